#pragma once
// The services the pages share: file and folder choosers, viewers, message
// boxes, the small dialogs that ask for a value, and the wait cursor. Tests
// replace the interactive ones.

#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

namespace fractan::ui {

// Turns a filter of "|"-separated description and pattern pairs, ended by "||"
// ("Text (*.txt)|*.txt|All files (*.*)|*.*||"), into the chooser's own form,
// one description a line; "*.*" matches every file, with or without a dot.
QString ChooserFilter(const QString& pairs);

class FormServices {
public:
    virtual ~FormServices() = default;

    // The chosen path, or an empty text on cancel. The file must exist.
    virtual QString OpenFile(const QString& filter, const QString& initialFile);
    // The chosen path, or an empty text; asks before overwriting a file.
    virtual QString SaveFile(const QString& filter, const QString& initialFile);
    // "Browse folder": the chosen folder, or an empty text.
    virtual QString ChooseFolder(const QString& initialFolder);
    // Open a file or a folder with the desktop's default application.
    virtual void ViewText(const QString& path);
    virtual void ViewFolder(const QString& path);
    // Shows the text with an OK button and waits.
    virtual void Message(const QString& text);
    // Asks a yes-or-no question; true for yes.
    virtual bool Confirm(const QString& text);
    // The "Bytes to copy" dialog preset to `preset`: the value confirmed, or
    // nothing when it was cancelled.
    virtual std::optional<uint32_t> AskBytesToCopy(uint32_t preset);

    // The open-file chooser with "All files (*.*)|*.*||" appended to the filter
    // prefix, starting at `remembered`, which a choice replaces.
    QString OpenFileWithAllFiles(const QString& filterPrefix, QString& remembered);
};

// The services of the running application.
FormServices& DesktopServices();

// The busy pointer for the life of this object.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace fractan::ui
