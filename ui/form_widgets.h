#pragma once
// The pieces every page's form is made of: named fields and buttons, rows of
// a field with its buttons, and the reading of number fields with a message
// that names the field whose text is not a number.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>

#include "ui/form_services.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class QWidget;

namespace fractan::ui {

QComboBox* ListField(const char* name, const QStringList& entries);
QLineEdit* TextField(const char* name);
QLineEdit* NumberField(const char* name);
QPushButton* Button(const char* name, const QString& caption);
// The status line under a page's buttons.
QLabel* StatusLine(const char* name = "status");
// A field with the buttons beside it, as one row of a form; the first widget stretches.
QWidget* Row(std::initializer_list<QWidget*> widgets);

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
