#pragma once
// The pieces every page's form is made of: named fields and buttons, rows and
// columns, the page's status, the reading of number fields with a message
// that names the field whose text is not a number, and the loading of a
// configuration into a page's record.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>

#include "setup/parameters.h"
#include "ui/form_services.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;


namespace fractan::ui {

QComboBox* ListField(const char* name, const QStringList& entries);
QLineEdit* TextField(const char* name);
QLineEdit* NumberField(const char* name);
QPushButton* Button(const char* name, const QString& caption);
// A field with the buttons beside it, as one row of a form; the first widget stretches.
QWidget* Row(std::initializer_list<QWidget*> widgets);
// Captioned fields side by side: "Start [ ]  Step [ ]  End [ ]".
QHBoxLayout* CaptionedFields(std::initializer_list<std::pair<const char*, QWidget*>> fields);
// Buttons side by side, the room left after them.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons);
// A line of explanation under a form.
QLabel* Note(const QString& text);
// Widgets and layouts top to bottom, without margins, the room left below them.
QWidget* Column(std::initializer_list<QObject*> items);
// The log pane above the chart, which gets the larger part.
QWidget* LogAndChart(QWidget* log, QWidget* chart);
// A page: its form on the left, and on the right what it shows, which takes
// the room the form leaves.
void LayOutPage(QWidget* page, QWidget* form, QWidget* shown);

// A page's status under its buttons: the idle, busy or error mark
// ("statusIcon") and the text ("status").
class PageStatus : public QWidget {
public:
    PageStatus();
    // The text with the idle or busy mark.
    void SetText(const QString& text);
    // A refusal or a failure: the text with the error mark, until the next
    // text or SetBusy.
    void SetError(const QString& text);
    QString Text() const;
    bool ShowsError() const { return error_; }
    // Repaints at once, for a window that is about to wait.
    void ShowNow();
    void SetBusy(bool busy, const QString& busyTip = "Calculating");

private:
    void ShowMark(bool error);

    QLabel* icon_;
    QLabel* text_;
    bool busy_ = false;
    bool error_ = false;
    QString busyTip_;
};

inline constexpr int64_t kInt32Low = std::numeric_limits<int32_t>::min();
inline constexpr int64_t kInt32High = std::numeric_limits<int32_t>::max();
inline constexpr int64_t kUInt32High = std::numeric_limits<uint32_t>::max();

// A whole number between low and high, blanks at both ends allowed.
std::optional<int64_t> ParseWhole(const QString& text, int64_t low = kInt32Low, int64_t high = kInt32High);
// A finite number; decimal point, no group separators ("0,5" is not 5).
std::optional<double> ParseReal(const QString& text);
// "Window size: "12x" is not a whole number.", with the range when it is not
// the whole 32-bit one.
QString WholeNumberError(const QString& caption, const QString& text, int64_t low = kInt32Low,
                         int64_t high = kInt32High);
QString RealNumberError(const QString& caption, const QString& text);
// The shortest text that reads back as the same number.
QString RealText(double value);

// "Load config": the configuration chooser, starting at `remembered`, which a
// choice replaces; the file is read into a copy of the record, which replaces
// the record only when it loads ("Error opening config file" otherwise). The
// path loaded, or an empty text.
QString LoadConfigInto(AnalysisParameters& record, QString& remembered, FormServices& services);

// Reads number fields in form order. The first field that does not hold a
// number is reported once (with no services, not at all); the ones after it
// are not read.
class FormReader {
public:
    explicit FormReader(FormServices* reportTo) : reportTo_(reportTo) {}
    int64_t Whole(const QLineEdit* field, const QString& caption, int64_t low = kInt32Low,
                  int64_t high = kInt32High);
    double Real(const QLineEdit* field, const QString& caption);
    bool Ok() const { return ok_; }

private:
    void Fail(const QString& message);

    FormServices* reportTo_;
    bool ok_ = true;
};

}  // namespace fractan::ui
