#pragma once
// "Cross-correlation": F²_xy(n) and ρ(n) of two series by DCCA or DMCA
// (engine/cross_correlation.h), written beside the first series as
// `fractan xcorr` writes them, its closing lines in the log, and ρ drawn
// against n, or along the series for a sliding window.

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

#include "engine/cross_correlation.h"
#include "ui/form_services.h"
#include "ui/worker_thread.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;

namespace fractan::ui {

class PageStatus;
class ResultChart;
class RunLog;

class CCrossCorrelationPage : public QWidget, public WorkerPage {
    Q_OBJECT
public:
    explicit CCrossCorrelationPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr);
    ~CCrossCorrelationPage() override;

    QString StatusText() const;
    const ResultChart* Chart() const { return chart_; }
    bool WorkerBusy() const override;
    void StopAndWait() override;

    // The actions, as the buttons run them. Loading and analysis run in the
    // page's worker: two long series at many scales take a while.
    void ChooseInput(QLineEdit* field);
    void Calculate();
    void Stop();

private:
    struct Outcome;
    // The settings the form holds, with the least and most of the default
    // scales (0 for an empty field). None after a message naming the field
    // that does not hold a number.
    struct Request {
        CrossCorrelationSettings settings;
        int32_t least = 0, most = 0;
    };
    std::optional<Request> ReadRequest();
    const CrossCorrelationMethod& ChosenMethod() const;
    void ApplyMethodRules();
    void Finished(const Outcome& outcome);
    void Refuse(const Refusal& refusal);
    void DrawResult(const CrossCorrelationResult& result, const QString& name);

    FormServices& services_;
    QString rememberedPath_;
    QLineEdit *first_ = nullptr, *second_ = nullptr;
    QLineEdit *column_ = nullptr, *secondColumn_ = nullptr;
    QComboBox* method_ = nullptr;
    QLineEdit* order_ = nullptr;
    QLineEdit* boxes_ = nullptr;
    QLineEdit* theta_ = nullptr;
    QLineEdit *least_ = nullptr, *most_ = nullptr;
    QLineEdit *window_ = nullptr, *step_ = nullptr;
    QCheckBox* integrate_ = nullptr;
    QFormLayout* form_ = nullptr;
    PageStatus* status_ = nullptr;
    ResultChart* chart_ = nullptr;
    RunLog* runLog_ = nullptr;  // a child of the page: the log pane, the bar and the worker
};

}  // namespace fractan::ui
