#include "ui/bytes_to_copy_dialog.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/form_widgets.h"

namespace fractan::ui {

BytesToCopyDialog::BytesToCopyDialog(uint32_t preset, FormServices& services, QWidget* parent)
    : QDialog(parent), services_(services), value_(preset) {
    setWindowTitle("Bytes to copy");
    field_ = NumberField("bytesToCopy");
    field_->setText(QString::number(preset));
    field_->selectAll();
    auto* ok = new QPushButton("OK");
    ok->setObjectName("bytesToCopyOk");
    ok->setDefault(true);  // Enter confirms; Escape cancels
    auto* form = new QFormLayout(this);
    form->addRow("Bytes to copy:", field_);
    form->addRow(ok);
    connect(ok, &QPushButton::clicked, this, &BytesToCopyDialog::accept);
}

void BytesToCopyDialog::accept() {
    FormReader read(&services_);
    const int64_t value = read.Whole(field_, "Bytes to copy", 0, kUInt32High);
    if (!read.Ok()) return;
    value_ = static_cast<uint32_t>(value);
    QDialog::accept();
}

}  // namespace fractan::ui
