#include "ui/form_widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStringList>
#include <QVBoxLayout>

#include <cmath>

#include "ui/icons.h"

namespace fractan::ui {
namespace {

// The C locale, refusing group separators: "1,000" is not a number, rather than 1000.
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

PageStatus::PageStatus() {
    icon_ = new QLabel;
    icon_->setObjectName("statusIcon");
    text_ = new QLabel;
    text_->setObjectName("status");
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(icon_);
    layout->addWidget(text_, 1);
    SetBusy(false);
}

void PageStatus::SetText(const QString& text) {
    text_->setText(text);
    ShowMark(false);
}

void PageStatus::SetError(const QString& text) {
    text_->setText(text);
    ShowMark(true);
}

QString PageStatus::Text() const { return text_->text(); }

void PageStatus::ShowNow() { text_->repaint(); }

void PageStatus::SetBusy(bool busy, const QString& busyTip) {
    busy_ = busy;
    busyTip_ = busyTip;
    ShowMark(false);
}

void PageStatus::ShowMark(bool error) {
    error_ = error;
    icon_->setPixmap(error ? ErrorIcon() : busy_ ? BusyIcon() : IdleIcon());
    icon_->setToolTip(error ? QString("Error") : busy_ ? busyTip_ : QString("Idle"));
}

QWidget* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets) layout->addWidget(widget, widget == *widgets.begin() ? 1 : 0);
    return row;
}

QHBoxLayout* CaptionedFields(std::initializer_list<std::pair<const char*, QWidget*>> fields) {
    auto* row = new QHBoxLayout;
    for (auto [caption, field] : fields) {
        row->addWidget(new QLabel(caption));
        row->addWidget(field);
    }
    row->addStretch(1);
    return row;
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    for (QWidget* button : buttons) row->addWidget(button);
    row->addStretch(1);
    return row;
}

QLabel* Note(const QString& text) {
    auto* note = new QLabel(text);
    note->setWordWrap(true);
    return note;
}

QWidget* Column(std::initializer_list<QObject*> items) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QObject* item : items) {
        if (auto* widget = qobject_cast<QWidget*>(item))
            layout->addWidget(widget);
        else if (auto* inner = qobject_cast<QLayout*>(item))
            layout->addLayout(inner);
    }
    layout->addStretch(1);
    return column;
}

QWidget* LogAndChart(QWidget* log, QWidget* chart) {
    auto* pane = new QSplitter(Qt::Vertical);
    pane->addWidget(log);
    pane->addWidget(chart);
    pane->setStretchFactor(0, 1);
    pane->setStretchFactor(1, 2);
    return pane;
}

void LayOutPage(QWidget* page, QWidget* form, QWidget* shown) {
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(form);
    splitter->addWidget(shown);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(splitter);
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
    // Digits out of range are told the range; other text only what it is not.
    static const QRegularExpression digits(R"(^\s*[+-]?\d+\s*$)");
    const bool outOfRange = digits.match(text).hasMatch();
    const QString range = low == kInt32Low && high == kInt32High && !outOfRange
                              ? QString()
                              : QString(" from %1 to %2").arg(low).arg(high);
    return QString("%1: \"%2\" is not a whole number%3.").arg(caption, text, range);
}

QString RealNumberError(const QString& caption, const QString& text) {
    return QString("%1: \"%2\" is not a number.").arg(caption, text);
}

QString RealText(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

QString LoadConfigInto(AnalysisParameters& record, QString& remembered, FormServices& services) {
    const QString path = services.OpenFileWithAllFiles("Configuration files (*.txt)|*.txt|", remembered);
    if (path.isEmpty()) return {};
    AnalysisParameters loaded = record;
    std::string problem;
    if (!loaded.LoadConfig(path.toStdString(), &problem)) {
        services.Message("Error opening config file\n" + path + ": " + QString::fromStdString(problem) + ".");
        return {};
    }
    record = std::move(loaded);
    return path;
}

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
