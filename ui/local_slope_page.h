#pragma once
// "Local slope": the slope of a log-log chart file inside a window that
// slides along it, written next to the chart and drawn against the window's
// centre.

#include <QString>
#include <QWidget>

#include <memory>
#include <string>

#include "ui/form_services.h"
#include "ui/worker_thread.h"

class QLineEdit;

namespace fractan::ui {

class PageStatus;
class ResultChart;

class CLocalSlopePage : public QWidget, public WorkerPage {
    Q_OBJECT
public:
    explicit CLocalSlopePage(FormServices& services = DesktopServices(), QWidget* parent = nullptr);
    ~CLocalSlopePage() override;

    QString StatusText() const;
    const ResultChart* Chart() const { return chart_; }
    bool WorkerBusy() const override { return worker_->Busy(); }
    void StopAndWait() override;

    // The actions, as the buttons run them. The calculation runs in the
    // page's worker: a fine delta over a long chart may take minutes.
    void ChooseInput();
    void GetLocalSlope();
    void Stop();

private:
    struct Outcome;
    void Finished(const std::string& chart, const Outcome& outcome);
    void DrawSlopes(const QString& slopePath);

    FormServices& services_;
    QString rememberedPath_;
    QLineEdit* input_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* delta_ = nullptr;
    PageStatus* status_ = nullptr;
    ResultChart* chart_ = nullptr;
    OutputBuffer output_;  // the calculation's lines, which the page does not show
    // Last: its thread uses the output buffer and is joined before it goes.
    std::unique_ptr<WorkerThread> worker_;
};

}  // namespace fractan::ui
