#pragma once
// "Local slope": the slope of a log-log chart file inside a window that
// slides along it, written next to the chart and drawn against the window's
// centre.

#include <QString>
#include <QWidget>

#include "ui/form_services.h"

class QLineEdit;

namespace fractan::ui {

class PageStatus;
class ResultChart;

class CLocalSlopePage : public QWidget {
    Q_OBJECT
public:
    explicit CLocalSlopePage(FormServices& services = DesktopServices(), QWidget* parent = nullptr);

    QString StatusText() const;
    const ResultChart* Chart() const { return chart_; }

    // The actions, as the buttons run them.
    void ChooseInput();
    void GetLocalSlope();

private:
    FormServices& services_;
    QString rememberedPath_;
    QLineEdit* input_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* delta_ = nullptr;
    PageStatus* status_ = nullptr;
    ResultChart* chart_ = nullptr;
};

}  // namespace fractan::ui
