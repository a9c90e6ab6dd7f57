#pragma once
// The three analysis pages share one form, one set of actions and one way of
// running a calculation, directly or in the page's worker. They differ in a
// few fields, the computation types they offer, their checks and what they run.

#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "setup/parameters.h"
#include "ui/form_services.h"
#include "ui/worker_thread.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fractan::ui {

class PageStatus;
class ResultChart;
class RunLog;

// What a calculation tells its page.
struct CalculationResult {
    bool stopped = false;                 // it ended at a stop request
    std::vector<std::string> chartFiles;        // the chart files written, in input order
    std::vector<std::string> incrementalFiles;  // the incremental files that hold a line
};

class CAnalysisPage : public QWidget, public WorkerPage {
    Q_OBJECT
public:
    enum class Kind { kDma, kDfa, kClusters };
    ~CAnalysisPage() override;

    Kind PageKind() const { return kind_; }
    const AnalysisParameters& Record() const { return record_; }
    QString StatusText() const;
    QString ConfigFileName() const { return configFileName_; }
    bool WorkerBusy() const override;
    void StopAndWait() override;

    // The actions, as the buttons run them.
    void Load();
    void Save();
    void Calculate();
    void CalculateInThread();
    void Stop();

protected:
    CAnalysisPage(Kind kind, FormServices& services, QWidget* parent);

private:
    struct NumberBinding;
    void BuildForm();
    void BindNumberFields();
    QWidget* BuildFileGroup();
    QWidget* BuildScaleGroup();
    QWidget* BuildComputationGroup();
    QWidget* BuildRunRow();
    QWidget* BuildResultPane();

    // The form into the record; false, with a message naming the field and the
    // record unchanged, when a number field does not hold a number.
    bool ReadForm(bool reportErrors = true);
    void ShowRecord();
    void ApplyShownRules();
    int32_t SelectedComputationType() const;

    void SetStatus(const QString& text);
    std::string CheckReason() const;
    bool RefusedWhileWorkerRuns();
    // A header line in the log and a busy bar; then the end of the run shown.
    void BeginOutput();
    void EndOutput(const CalculationResult& result);
    void ShowResults(const CalculationResult& result);
    void WorkerFinished(const CalculationResult& result);

    void ChooseInputFile();
    void ChooseCustomFile();
    void ChooseOutputPath();
    void CountLines();

    Kind kind_;
    FormServices& services_;
    AnalysisParameters record_;
    QString configFileName_;
    QString lastLoadPath_;

    QLineEdit* configFile_ = nullptr;
    QComboBox* inputMode_ = nullptr;
    QLineEdit* inputFile_ = nullptr;
    QPushButton* inputView_ = nullptr;
    QPushButton* countLines_ = nullptr;
    QComboBox* fileType_ = nullptr;
    QLineEdit* offset_ = nullptr;
    QLineEdit* windowSize_ = nullptr;
    QLineEdit* dataSize_ = nullptr;
    QLineEdit* testName_ = nullptr;
    QLineEdit* start_ = nullptr;
    QLineEdit* step_ = nullptr;
    QLineEdit* end_ = nullptr;
    QComboBox* progressionType_ = nullptr;
    QWidget* customRow_ = nullptr;
    QLineEdit* customFile_ = nullptr;
    QLineEdit* outputPath_ = nullptr;
    QComboBox* computationType_ = nullptr;
    QLineEdit* dmaWeight_ = nullptr;
    QLineEdit* shiftPercentage_ = nullptr;
    QLineEdit* dynamicStep_ = nullptr;
    QLineEdit* dmaLambda_ = nullptr;
    QLineEdit* dfaOrder_ = nullptr;
    QLineEdit* distributionStep_ = nullptr;
    QLineEdit* badAbove_ = nullptr;
    QComboBox* distributionType_ = nullptr;
    QComboBox* averageType_ = nullptr;
    QCheckBox* globalOnly_ = nullptr;
    QCheckBox* movingAverageFiles_ = nullptr;
    QCheckBox* integrate_ = nullptr;
    QFormLayout* scaleForm_ = nullptr;
    QFormLayout* computationForm_ = nullptr;
    PageStatus* status_ = nullptr;
    ResultChart* chart_ = nullptr;
    RunLog* runLog_ = nullptr;  // a child of the page: the log pane, the bar and the worker
    std::vector<NumberBinding> numbers_;
};

class CDMAPage : public CAnalysisPage {
    Q_OBJECT
public:
    explicit CDMAPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr)
        : CAnalysisPage(Kind::kDma, services, parent) {}
};

class CDFAPage : public CAnalysisPage {
    Q_OBJECT
public:
    explicit CDFAPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr)
        : CAnalysisPage(Kind::kDfa, services, parent) {}
};

class CClustersPage : public CAnalysisPage {
    Q_OBJECT
public:
    explicit CClustersPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr)
        : CAnalysisPage(Kind::kClusters, services, parent) {}
};

}  // namespace fractan::ui
