#include "ui/line_count_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "tools/file_tools.h"

namespace fractan::ui {
namespace {

// Shared by every opening of the dialog for the run of the program.
QString& RememberedPath() {
    static QString path;
    return path;
}

}  // namespace

LineCountDialog::LineCountDialog(const QString& inputPath, FormServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle("Line count");
    // No close box: Escape and Enter close the dialog.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    input_ = new QLineEdit(inputPath);
    input_->setObjectName("lineCountInput");
    input_->setReadOnly(true);
    input_->setMinimumWidth(360);
    auto* browse = new QPushButton("...");
    browse->setObjectName("lineCountBrowse");
    auto* count = new QPushButton("Count");
    count->setObjectName("lineCountCount");
    count_ = new QLineEdit("0");
    count_->setObjectName("lineCountResult");
    count_->setReadOnly(true);
    for (QPushButton* button : {browse, count}) button->setAutoDefault(false);

    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(input_);
    inputRow->addWidget(browse);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(count_);
    countRow->addWidget(count);
    auto* form = new QFormLayout(this);
    form->addRow("Input:", inputRow);
    form->addRow("The number of lines is: ", countRow);

    connect(browse, &QPushButton::clicked, this, &LineCountDialog::Browse);
    connect(count, &QPushButton::clicked, this, &LineCountDialog::Count);
}

void LineCountDialog::Browse() {
    const QString path = services_.OpenFile(
        "Text input files (*.txt)|*.txt|Binary input files (*.dat)|*.dat|All files (*.*)|*.*||",
        RememberedPath());
    if (path.isEmpty()) return;
    input_->setText(path);
    RememberedPath() = path;
}

void LineCountDialog::Count() {
    const QString path = input_->text().trimmed();
    if (path.isEmpty()) {
        services_.Message("Please enter an input file.");
        return;
    }
    int64_t lines = 0;
    {
        WaitCursor wait;
        lines = CountLines(path.toStdString());
    }
    const bool unreadable = lines == kCountNotOpened;
    count_->setText(QString::number(unreadable ? -1 : lines));
    if (unreadable) services_.Message("There was an error reading from input file.");
}

QString LineCountDialog::CountText() const { return count_->text(); }

void LineCountDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace fractan::ui
