#pragma once
// "Bytes to copy": how many characters of a file its sample file receives.

#include <QDialog>

#include <cstdint>

#include "ui/form_services.h"

class QLineEdit;

namespace fractan::ui {

// What the dialog shows the first time in a run of the program.
inline constexpr uint32_t kDefaultBytesToCopy = 4194304;

class BytesToCopyDialog : public QDialog {
    Q_OBJECT
public:
    BytesToCopyDialog(uint32_t preset, FormServices& services, QWidget* parent = nullptr);

    // The value confirmed with OK or Enter.
    uint32_t Value() const { return value_; }
    // OK and Enter: a field that is not a whole number from 0 to 4294967295
    // keeps the dialog open with a message.
    void accept() override;

private:
    FormServices& services_;
    QLineEdit* field_;
    uint32_t value_;
};

}  // namespace fractan::ui
