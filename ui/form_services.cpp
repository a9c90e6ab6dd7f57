#include "ui/form_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

#include "ui/bytes_to_copy_dialog.h"

namespace fractan::ui {

QString ChooserFilter(const QString& pairs) {
    const QStringList parts = pairs.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.isEmpty()) break;  // the closing "||"
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern.trimmed() == "*.*") pattern = "*";
        }
        // The chooser reads the patterns from the parentheses of each line.
        QString label = description;
        const qsizetype open = label.lastIndexOf('(');
        if (open >= 0) label = label.left(open).trimmed();
        filters << QString("%1 (%2)").arg(label, patterns.join(' '));
    }
    return filters.join(";;");
}

namespace {

QWidget* DialogParent() { return QApplication::activeWindow(); }

const char* const kTitle = "FRACTAN";

}  // namespace

QString FormServices::OpenFile(const QString& filter, const QString& initialFile) {
    QFileDialog dialog(DialogParent());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilter(ChooserFilter(filter));
    if (!initialFile.isEmpty()) dialog.selectFile(initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString FormServices::SaveFile(const QString& filter, const QString& initialFile) {
    // The platform chooser asks before overwriting and wants an existing folder.
    return QFileDialog::getSaveFileName(DialogParent(), QString(), initialFile, ChooserFilter(filter));
}

QString FormServices::ChooseFolder(const QString& initialFolder) {
    QString start = initialFolder;
    while (start.size() > 1 && (start.endsWith('/') || start.endsWith('\\'))) start.chop(1);
    QFileDialog dialog(DialogParent(), "Browse folder", start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::LookIn, "Choose output path");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void FormServices::ViewText(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void FormServices::ViewFolder(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(path).absolutePath()));
}

void FormServices::Message(const QString& text) {
    QMessageBox::information(DialogParent(), kTitle, text);
}

bool FormServices::Confirm(const QString& text) {
    return QMessageBox::question(DialogParent(), kTitle, text) == QMessageBox::Yes;
}

std::optional<uint32_t> FormServices::AskBytesToCopy(uint32_t preset) {
    BytesToCopyDialog dialog(preset, *this, DialogParent());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Value();
}

QString FormServices::OpenFileWithAllFiles(const QString& filterPrefix, QString& remembered) {
    const QString path = OpenFile(filterPrefix + "All files (*.*)|*.*||", remembered);
    if (!path.isEmpty()) remembered = path;
    return path;
}

FormServices& DesktopServices() {
    static FormServices services;
    return services;
}

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace fractan::ui
