#pragma once
// The analysis pages share one form, one set of actions and one way of
// running a calculation, directly or in the page's worker. Each kind of page
// gives what differs: its computation fields, its check and run, and how it
// shows the results. The DMA and DFA pages differ only by their family, whose
// methods and settings the method table gives.

#include <QFormLayout>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "engine/checks.h"
#include "engine/methods.h"
#include "setup/parameters.h"
#include "ui/form_services.h"
#include "ui/worker_thread.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace fractan::ui {

class PageStatus;
class ResultChart;
class RunLog;

class CAnalysisPage : public QWidget, public WorkerPage {
    Q_OBJECT
public:
    // A field's member of a record.
    using Member = std::variant<int32_t& (*)(AnalysisParameters&), double& (*)(AnalysisParameters&),
                                std::string& (*)(AnalysisParameters&)>;

    ~CAnalysisPage() override;

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
    // What a run tells its page, from whichever thread it ran in.
    struct Outcome {
        bool stopped = false;
        QString failure;  // FailureText: the files that could not be analysed
        std::function<void(ResultChart&)> show;  // draws the results, in the window's thread
    };
    // A run planned in the window's thread: why it cannot run, or the run,
    // which holds copies only, so that the form may change meanwhile.
    struct Job {
        Refusal refusal;
        QString title;  // what runs, for the log's header
        std::function<Outcome()> run;
    };
    // The form's texts that differ between the pages.
    struct Captions {
        const char* scales;  // the scale group's title
        const char* calculate;
        const char* calculateThread;
        const char* stop;
    };
    CAnalysisPage(FormServices& services, QWidget* parent);
    // Builds the form and shows the record: the end of a page's constructor.
    void BuildPage(const Captions& captions);

    // Binds a field to the record's member, in form order, the order the
    // fields are read in: a line field (a number, named by `caption` when it
    // holds none, or a text), a list (its index, or the entry's value among
    // `values`) or a check box (1 or 0).
    void Bind(QWidget* field, const char* caption, Member member, std::vector<int32_t> values = {});
    // Binds the field and adds its row, labelled with the caption when there is one.
    template <class Field>
    Field* AddRow(QFormLayout* form, const char* caption, Field* field, Member member,
                  std::vector<int32_t> values = {}) {
        Bind(field, caption, member, std::move(values));
        if (caption) form->addRow(caption, field);
        else form->addRow(field);
        return field;
    }
    // A field going out of sight shows the record's value again unless it
    // holds a number: it must not stop every action with a message about a
    // field the user cannot see.
    void ShowRow(QFormLayout* form, QWidget* field, bool shown);
    void ApplyShownRules();

    // Said after "done." when some input files or all could not be analysed.
    static QString FailureText(size_t failed, size_t total);

    // What differs between the pages.
    virtual QWidget* BuildComputationGroup() = 0;
    virtual void ApplyComputationRules() {}
    // The check and the run of the record.
    virtual Job Plan() const = 0;
    // Fills the fields still at a fresh page's values (0) as the command
    // derives them from `samples` samples from the offset on.
    virtual void FollowSeries(int32_t samples) = 0;

    FormServices& services_;
    AnalysisParameters record_;
    QString configFileName_;
    QFormLayout* fileForm_ = nullptr;
    QLineEdit* dataSize_ = nullptr;
    ResultChart* chart_ = nullptr;

private:
    struct Binding;
    QWidget* BuildFileGroup();
    QWidget* BuildScaleGroup(const char* title);
    QWidget* BuildRunRow(const Captions& captions);

    // The form into the record; false, with a message naming the field and the
    // record unchanged, when a number field does not hold a number.
    bool ReadForm(bool reportErrors = true);
    void ShowRecord();

    void SetStatus(const QString& text);
    bool RefusedWhileWorkerRuns();
    // The refusal in the status, and the focus on the field at fault.
    void Refuse(const Refusal& refusal);
    static Outcome Run(const std::function<Outcome()>& run);
    // A header line in the log and a busy bar; then the end of the run shown.
    void BeginOutput(const QString& title);
    void EndOutput(const Outcome& outcome, const QString& done);

    void ChooseInputFile();
    void ChooseCustomFile();
    void ChooseOutputPath();
    void CountLines();

    QString lastLoadPath_;
    QLineEdit* configFile_ = nullptr;
    QComboBox* inputMode_ = nullptr;
    QPushButton* inputView_ = nullptr;
    QPushButton* countLines_ = nullptr;
    QComboBox* fileType_ = nullptr;
    QComboBox* progressionType_ = nullptr;
    QWidget* customRow_ = nullptr;
    QFormLayout* scaleForm_ = nullptr;
    PageStatus* status_ = nullptr;
    RunLog* runLog_ = nullptr;  // a child of the page: the log pane, the bar and the worker
    std::vector<Binding> bindings_;
};

// The DMA or the DFA page: the methods of one family.
class CScalingPage : public CAnalysisPage {
public:
    CScalingPage(MethodFamily family, FormServices& services, QWidget* parent);

private:
    QWidget* BuildComputationGroup() override;
    void ApplyComputationRules() override;
    Job Plan() const override;
    void FollowSeries(int32_t samples) override;

    MethodFamily family_;
    std::vector<int32_t> types_;  // the computation types of the list, in its order
    QComboBox* computationType_ = nullptr;
    QFormLayout* computationForm_ = nullptr;
    std::vector<std::pair<MethodSetting, QLineEdit*>> settings_;
    std::vector<QWidget*> intervalFields_;  // shown for the static methods
};

class CDMAPage : public CScalingPage {
public:
    explicit CDMAPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr)
        : CScalingPage(MethodFamily::kDma, services, parent) {}
};

class CDFAPage : public CScalingPage {
public:
    explicit CDFAPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr)
        : CScalingPage(MethodFamily::kDfa, services, parent) {}
};

class CClustersPage : public CAnalysisPage {
public:
    explicit CClustersPage(FormServices& services = DesktopServices(), QWidget* parent = nullptr);

private:
    QWidget* BuildComputationGroup() override;
    Job Plan() const override;
    void FollowSeries(int32_t samples) override;
};

}  // namespace fractan::ui
