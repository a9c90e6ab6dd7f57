#include "ui/form_widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStringList>

#include <cmath>

namespace fractan::ui {
namespace {

// The C locale without group separators: "0,5" is not a number, rather than 5.
const QLocale& NumberLocale() {
    static const QLocale locale = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
        return c;
    }();
    return locale;
}

}  // namespace

QComboBox* ListField(const char* name, const QStringList& entries) {
    auto* list = new QComboBox;
    list->setObjectName(name);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    return list;
}

QLineEdit* TextField(const char* name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    return field;
}

QLineEdit* NumberField(const char* name) {
    QLineEdit* field = TextField(name);
    field->setMaximumWidth(140);
    return field;
}

QPushButton* Button(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* StatusLine(const char* name) {
    auto* status = new QLabel;
    status->setObjectName(name);
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return status;
}

QWidget* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets) layout->addWidget(widget, widget == *widgets.begin() ? 1 : 0);
    return row;
}

std::optional<int64_t> ParseWhole(const QString& text, int64_t low, int64_t high) {
    bool parsed = false;
    const qlonglong value = text.trimmed().toLongLong(&parsed);
    if (!parsed || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<double> ParseReal(const QString& text) {
    bool parsed = false;
    const double value = NumberLocale().toDouble(text.trimmed(), &parsed);
    if (!parsed || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString WholeNumberError(const QString& caption, const QString& text, int64_t low, int64_t high) {
    const QString range = low == kInt32Low && high == kInt32High
                              ? QString()
                              : QString(" from %1 to %2").arg(low).arg(high);
    return QString("%1: \"%2\" is not a whole number%3.").arg(caption, text, range);
}

QString RealNumberError(const QString& caption, const QString& text) {
    return QString("%1: \"%2\" is not a number.").arg(caption, text);
}

QString RealText(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

int64_t FormReader::Whole(const QLineEdit* field, const QString& caption, int64_t low, int64_t high) {
    if (!ok_) return 0;
    const std::optional<int64_t> value = ParseWhole(field->text(), low, high);
    if (!value) Fail(WholeNumberError(caption, field->text(), low, high));
    return value.value_or(0);
}

double FormReader::Real(const QLineEdit* field, const QString& caption) {
    if (!ok_) return 0.0;
    const std::optional<double> value = ParseReal(field->text());
    if (!value) Fail(RealNumberError(caption, field->text()));
    return value.value_or(0.0);
}

void FormReader::Fail(const QString& message) {
    ok_ = false;
    if (reportTo_) reportTo_->Message(message);
}

}  // namespace fractan::ui
