#pragma once
// "Multifractal": F_q(n) and the spectrum h(q), f(α) of one series by MF-DFA
// or MF-DMA (engine/multifractal.h), written beside the series as the command
// writes them and drawn, one chart at a time, on the page.

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

#include "engine/multifractal.h"
#include "ui/form_services.h"
#include "ui/worker_thread.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;

namespace fractan::ui {

class PageStatus;
class ResultChart;

class CMultifractalPage : public QWidget, public WorkerPage {
    Q_OBJECT
public:
    explicit CMultifractalPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr);
    ~CMultifractalPage() override;

    QString StatusText() const;
    const ResultChart* Chart() const { return chart_; }
    bool WorkerBusy() const override { return worker_->Busy(); }
    void StopAndWait() override;

    // The actions, as the buttons run them. The calculation runs in the
    // page's worker: many q on a long series take a while.
    void ChooseInput();
    void Calculate();
    void Stop();
    // The chart of the last result that the chart list names: F_q(n), h(q) or f(α).
    void DrawChart();

private:
    struct Outcome;
    // The form as settings, with the scales left empty when the field is:
    // the defaults follow the series' length. None after a message naming
    // the field that does not hold a number.
    std::optional<MultifractalSettings> ReadSettings();
    const MultifractalMethod& ChosenMethod() const;
    void ApplyMethodRules();
    void Finished(const Outcome& outcome);

    FormServices& services_;
    QString rememberedPath_;
    QLineEdit* input_ = nullptr;
    QLineEdit* column_ = nullptr;
    QComboBox* method_ = nullptr;
    QLineEdit *qFirst_ = nullptr, *qLast_ = nullptr, *qStep_ = nullptr;
    QLineEdit* scales_ = nullptr;
    QLineEdit* order_ = nullptr;
    QLineEdit* boxes_ = nullptr;
    QLineEdit* theta_ = nullptr;
    QCheckBox* integrate_ = nullptr;
    QFormLayout* form_ = nullptr;
    QComboBox* chartKind_ = nullptr;
    PageStatus* status_ = nullptr;
    ResultChart* chart_ = nullptr;
    std::shared_ptr<const MultifractalResult> shown_;  // the result the chart draws
    QString shownName_;                                 // its series and method, for the chart's title
    OutputBuffer output_;  // the calculation's lines: the note on flat segments
    // Last: its thread uses the output buffer and is joined before it goes.
    std::unique_ptr<WorkerThread> worker_;
};

}  // namespace fractan::ui
