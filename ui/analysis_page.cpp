#include "ui/analysis_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <memory>
#include <new>

#include "clusters/cluster_analyzer.h"
#include "engine/analysis.h"
#include "engine/driver.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "ui/form_widgets.h"
#include "ui/line_count_dialog.h"
#include "ui/result_chart.h"
#include "ui/run_log.h"

// A record's member, for Bind.
#define FIELD(member) [](AnalysisParameters& p) -> auto& { return p.member; }

namespace fractan::ui {
namespace {

QCheckBox* CheckField(const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    return box;
}

// The record's member of a setting that only some methods read.
CAnalysisPage::Member SettingMember(MethodSetting setting) {
    switch (setting) {
        case kUsesWeight: return FIELD(dmaWeight);
        case kUsesLambda: return FIELD(dmaLambda);
        case kUsesShift: return FIELD(shiftPercentage);
        case kUsesOrder: return FIELD(dfaOrder);
        case kUsesBoxes: return FIELD(dfaBoxes);
        case kUsesStep: break;
    }
    return FIELD(dynamicStep);
}

}  // namespace

struct CAnalysisPage::Binding {
    QWidget* field;
    const char* caption;
    Member member;
    std::vector<int32_t> values;

    // Whether the field holds a value of its member's kind; stored into `into`.
    bool Read(AnalysisParameters& into) const {
        if (auto* list = qobject_cast<QComboBox*>(field)) {
            const int index = list->currentIndex();
            std::get<0>(member)(into) =
                values.empty() ? index : index >= 0 && index < int(values.size()) ? values[index] : -1;
            return true;
        }
        if (auto* box = qobject_cast<QCheckBox*>(field)) {
            std::get<0>(member)(into) = box->isChecked() ? 1 : 0;
            return true;
        }
        const QString text = static_cast<QLineEdit*>(field)->text();
        if (auto* get = std::get_if<2>(&member)) {
            (*get)(into) = text.toStdString();
            return true;
        }
        if (auto* get = std::get_if<0>(&member)) {
            const std::optional<int64_t> value = ParseWhole(text);
            if (value) (*get)(into) = static_cast<int32_t>(*value);
            return value.has_value();
        }
        const std::optional<double> value = ParseReal(text);
        if (value) std::get<1>(member)(into) = *value;
        return value.has_value();
    }
    // A value a list does not offer shows no selection.
    void Show(AnalysisParameters& from) const {
        if (auto* list = qobject_cast<QComboBox*>(field)) {
            const int32_t value = std::get<0>(member)(from);
            const auto found = std::find(values.begin(), values.end(), value);
            const int index = values.empty() ? value : found == values.end() ? -1 : int(found - values.begin());
            list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
        } else if (auto* box = qobject_cast<QCheckBox*>(field)) {
            box->setChecked(std::get<0>(member)(from) != 0);
        } else {
            auto* line = static_cast<QLineEdit*>(field);
            if (auto* get = std::get_if<2>(&member)) line->setText(QString::fromStdString((*get)(from)));
            else if (auto* get = std::get_if<0>(&member)) line->setText(QString::number((*get)(from)));
            else line->setText(RealText(std::get<1>(member)(from)));
        }
    }
    QString Error() const {
        const QString text = static_cast<QLineEdit*>(field)->text();
        return member.index() == 0 ? WholeNumberError(caption, text) : RealNumberError(caption, text);
    }
};

CAnalysisPage::CAnalysisPage(FormServices& services, QWidget* parent) : QWidget(parent), services_(services) {
    record_.Reset();
    // A fresh page starts from the command's defaults: a single series, scales 4, 8, 16 ...
    record_.inputFileMode = 0;
    record_.averageProgression = ScaleProgression{4, 0, 2, kGeometric, {}};
    runLog_ = new RunLog(this);
}

CAnalysisPage::~CAnalysisPage() { StopAndWait(); }

void CAnalysisPage::StopAndWait() { runLog_->StopAndWait(); }

bool CAnalysisPage::WorkerBusy() const { return runLog_->Busy(); }

// ---------------------------------------------------------------- the form

void CAnalysisPage::BuildPage(const Captions& captions) {
    configFile_ = TextField("configFile");
    configFile_->setReadOnly(true);
    auto* configView = Button("configView", "View");
    auto* load = Button("load", "Load");
    auto* save = Button("save", "Save");
    auto* configRow = new QHBoxLayout;
    configRow->addWidget(new QLabel("Config file:"));
    configRow->addWidget(configFile_, 1);
    configRow->addWidget(configView);
    configRow->addWidget(load);
    configRow->addWidget(save);
    QWidget* form = Column({configRow, BuildFileGroup(), BuildScaleGroup(captions.scales), BuildComputationGroup(),
                            BuildRunRow(captions)});
    chart_ = new ResultChart;
    chart_->setObjectName("chart");
    LayOutPage(this, form, LogAndChart(runLog_->Pane(), chart_));

    connect(configView, &QPushButton::clicked, this, [this] { services_.ViewText(configFileName_); });
    connect(load, &QPushButton::clicked, this, &CAnalysisPage::Load);
    connect(save, &QPushButton::clicked, this, &CAnalysisPage::Save);
    ShowRecord();
    ApplyShownRules();
    status_->SetBusy(false);
    SetStatus("Ready");
}

void CAnalysisPage::Bind(QWidget* field, const char* caption, Member member, std::vector<int32_t> values) {
    bindings_.push_back({field, caption, member, std::move(values)});
}

QWidget* CAnalysisPage::BuildFileGroup() {
    auto* group = new QGroupBox("Input and output");
    fileForm_ = new QFormLayout(group);
    auto* inputFile = TextField("inputFile");
    auto* inputBrowse = Button("inputBrowse", "...");
    inputView_ = Button("inputView", "View");
    countLines_ = Button("countLines", "Count lines");
    auto* outputPath = TextField("outputPath");
    auto* outputBrowse = Button("outputBrowse", "...");
    auto* outputView = Button("outputView", "View");

    inputMode_ =
        AddRow(fileForm_, "Input file mode", ListField("inputMode", {"Single", "Multi"}), FIELD(inputFileMode));
    Bind(inputFile, "Input file", FIELD(inputFileName));
    fileForm_->addRow("Input file", Row({inputFile, inputBrowse, inputView_, countLines_}));
    fileType_ = AddRow(fileForm_, "File type", ListField("fileType", {"Text", "Binary"}), FIELD(inputFileType));
    auto* columnField = AddRow(fileForm_, "Column", TextField("column"), FIELD(column));
    columnField->setPlaceholderText("its number or header name; empty: the first");
    columnField->setToolTip("The column read of every input file that has several: a table (with or without a "
                            "header line naming its columns) or a 2-D .npy array. Not stored in the configuration "
                            "file.");
    AddRow(fileForm_, "Offset", NumberField("offset"), FIELD(dataOffset));
    AddRow(fileForm_, "Window size", NumberField("windowSize"), FIELD(windowSize));
    dataSize_ = AddRow(fileForm_, "Data size", NumberField("dataSize"), FIELD(dataSize));
    AddRow(fileForm_, "Test name", TextField("testName"), FIELD(testName));
    Bind(outputPath, "Output path", FIELD(outputPath));
    fileForm_->addRow("Output path", Row({outputPath, outputBrowse, outputView}));

    connect(inputMode_, &QComboBox::currentIndexChanged, this, &CAnalysisPage::ApplyShownRules);
    connect(fileType_, &QComboBox::currentIndexChanged, this, &CAnalysisPage::ApplyShownRules);
    connect(inputBrowse, &QPushButton::clicked, this, &CAnalysisPage::ChooseInputFile);
    connect(inputView_, &QPushButton::clicked, this, [this] {
        if (ReadForm()) services_.ViewText(QString::fromStdString(record_.inputFileName));
    });
    connect(countLines_, &QPushButton::clicked, this, &CAnalysisPage::CountLines);
    connect(outputBrowse, &QPushButton::clicked, this, &CAnalysisPage::ChooseOutputPath);
    connect(outputView, &QPushButton::clicked, this, [this] {
        if (ReadForm()) services_.ViewFolder(QString::fromStdString(record_.outputPath));
    });
    return group;
}

QWidget* CAnalysisPage::BuildScaleGroup(const char* title) {
    auto* group = new QGroupBox(title);
    scaleForm_ = new QFormLayout(group);
    auto* start = NumberField("progressionStart");
    auto* step = NumberField("progressionStep");
    auto* end = NumberField("progressionEnd");
    auto* customFile = TextField("customFile");
    auto* customBrowse = Button("customBrowse", "...");
    auto* customView = Button("customView", "View");
    customRow_ = Row({customFile, customBrowse, customView});
    customRow_->setObjectName("customRow");

    Bind(start, "Start", FIELD(averageProgression.start));
    Bind(step, "Step", FIELD(averageProgression.step));
    Bind(end, "End", FIELD(averageProgression.end));
    scaleForm_->addRow(CaptionedFields({{"Start", start}, {"Step", step}, {"End", end}}));
    progressionType_ = AddRow(scaleForm_, "Progression type",
                              ListField("progressionType", {"0 - Linear", "1 - Geometric", "2 - Custom"}),
                              FIELD(averageProgression.type));
    Bind(customFile, "Progression file", FIELD(averageProgression.customFile));
    scaleForm_->addRow("Progression file", customRow_);

    connect(progressionType_, &QComboBox::currentIndexChanged, this, &CAnalysisPage::ApplyShownRules);
    connect(customBrowse, &QPushButton::clicked, this, &CAnalysisPage::ChooseCustomFile);
    connect(customView, &QPushButton::clicked, this, [this] {
        if (ReadForm()) services_.ViewText(QString::fromStdString(record_.averageProgression.customFile));
    });
    return group;
}

QWidget* CAnalysisPage::BuildRunRow(const Captions& captions) {
    auto* calculate = Button("calculate", captions.calculate);
    auto* calculateThread = Button("calculateThread", captions.calculateThread);
    auto* stop = Button("stop", captions.stop);
    status_ = new PageStatus;
    connect(calculate, &QPushButton::clicked, this, &CAnalysisPage::Calculate);
    connect(calculateThread, &QPushButton::clicked, this, &CAnalysisPage::CalculateInThread);
    connect(stop, &QPushButton::clicked, this, &CAnalysisPage::Stop);
    return Column({ButtonRow({calculate, calculateThread, stop}), status_, runLog_->Bar()});
}

bool CAnalysisPage::ReadForm(bool reportErrors) {
    AnalysisParameters read = record_;
    for (const Binding& binding : bindings_) {
        if (binding.Read(read)) continue;
        if (reportErrors) services_.Message(binding.Error());
        return false;
    }
    record_ = std::move(read);
    return true;
}

void CAnalysisPage::ShowRecord() {
    configFile_->setText(configFileName_);
    for (const Binding& binding : bindings_) binding.Show(record_);
}

void CAnalysisPage::ShowRow(QFormLayout* form, QWidget* field, bool shown) {
    form->setRowVisible(field, shown);
    AnalysisParameters scratch;
    for (const Binding& binding : bindings_)
        if (binding.field == field && !shown && !binding.Read(scratch)) binding.Show(record_);
}

// The rules follow the lists as they stand, so that a number field being
// edited never interrupts a change of list with a message.
void CAnalysisPage::ApplyShownRules() {
    const int mode = inputMode_->currentIndex();
    inputView_->setVisible(mode == 1);
    countLines_->setVisible(mode == 0 && fileType_->currentIndex() == 0);
    scaleForm_->setRowVisible(customRow_, progressionType_->currentIndex() == 2);
    ApplyComputationRules();
}

// ---------------------------------------------------------------- actions

void CAnalysisPage::Load() {
    // The configuration replaces the fields: a field that does not hold a
    // number must not keep the user from loading one.
    ReadForm(false);
    const QString path = LoadConfigInto(record_, lastLoadPath_, services_);
    if (path.isEmpty()) return;
    configFileName_ = path;
    ShowRecord();
    ApplyShownRules();
}

void CAnalysisPage::Save() {
    if (!ReadForm()) return;
    const QString name = configFileName_.trimmed();
    if (name.isEmpty()) {
        services_.Message("Please enter config file name");
        return;
    }
    if (const std::string refusal = record_.SaveRefusal(); !refusal.empty()) {
        services_.Message(QString::fromStdString(refusal + "."));
        return;
    }
    const QString path =
        services_.SaveFile("Configuration files (*.txt)|*.txt|All files (*.*)|*.*||", name);
    if (path.isEmpty()) return;
    if (!record_.SaveConfig(path.toStdString())) {
        services_.Message("Error saving config file");
        return;
    }
    configFileName_ = path;
    ShowRecord();
}

// A single series fills the fields still at a fresh page's values as the
// command fills its defaults: its type by the extension, then from its length.
void CAnalysisPage::ChooseInputFile() {
    const QString path = services_.OpenFile(
        "Text input files (*.txt)|*.txt|Binary input files (*.dat)|*.dat|Tables (*.csv)|*.csv|"
        "NumPy arrays (*.npy)|*.npy|All files (*.*)|*.*||",
        QString());
    if (path.isEmpty() || !ReadForm()) return;
    record_.inputFileName = path.toStdString();
    record_.ExpandInputFiles();
    if (record_.inputFileMode == 0) {
        if (record_.inputFileType < 0) record_.inputFileType = InputTypeOf(record_.inputFileName);
        WaitCursor wait;
        const int64_t samples =
            CountSamples(record_.inputFileName, record_.inputFileType, nullptr, record_.column) - record_.dataOffset;
        if (samples > 0) FollowSeries(static_cast<int32_t>(std::min<int64_t>(samples, kInt32High)));
    }
    ShowRecord();
}

void CAnalysisPage::ChooseCustomFile() {
    const QString path =
        services_.OpenFile("Progression files (*.txt)|*.txt|All files (*.*)|*.*||", QString());
    if (path.isEmpty() || !ReadForm()) return;
    record_.averageProgression.customFile = path.toStdString();
    ShowRecord();
}

void CAnalysisPage::ChooseOutputPath() {
    const QString folder = services_.ChooseFolder(QString::fromStdString(record_.outputPath));
    if (folder.isEmpty() || !ReadForm()) return;
    record_.outputPath = folder.toStdString();
    ShowRecord();
}

void CAnalysisPage::CountLines() {
    if (!ReadForm()) return;
    LineCountDialog dialog(QString::fromStdString(record_.inputFileName), services_, this);
    dialog.exec();
}

void CAnalysisPage::Refuse(const Refusal& refusal) {
    status_->SetError(QString::fromStdString(refusal.reason + kReviewSuffix));
    const std::string& field = refusal.field == "averageProgression" ? "progressionStart" : refusal.field;
    if (auto* widget = findChild<QWidget*>(QString::fromStdString(field))) widget->setFocus();
}

CAnalysisPage::Outcome CAnalysisPage::Run(const std::function<Outcome()>& run) {
    try {
        return run();
    } catch (const std::bad_alloc&) {
        PrintProgress("Not enough memory for the calculation.");
        return {false, FailureText(1, 1), {}};
    }
}

void CAnalysisPage::Calculate() {
    if (!ReadForm()) return;
    if (RefusedWhileWorkerRuns()) return;
    SetStatus("Calculating...");
    WaitCursor wait;
    const Job job = Plan();
    if (job.refusal) {
        Refuse(job.refusal);
        return;
    }
    BeginOutput(job.title);
    status_->ShowNow();
    Outcome outcome;
    runLog_->RunHere([&] { outcome = Run(job.run); });
    EndOutput(outcome, "Calculating... Done.");
}

// Two calculations of one page would write the same result files.
bool CAnalysisPage::RefusedWhileWorkerRuns() {
    if (!runLog_->Busy()) return false;
    status_->SetError("A calculation is already running on this page: stop it or wait for its end.");
    return true;
}

void CAnalysisPage::CalculateInThread() {
    if (!ReadForm()) return;
    WaitCursor wait;
    if (RefusedWhileWorkerRuns()) return;
    Job job = Plan();
    if (job.refusal) {
        Refuse(job.refusal);
        return;
    }
    SetStatus("Calculating...");
    status_->SetBusy(true);
    BeginOutput(job.title);
    auto outcome = std::make_shared<Outcome>();
    runLog_->StartInWorker([run = std::move(job.run), outcome] { *outcome = Run(run); },
                           [this, outcome] {
                               status_->SetBusy(false);
                               EndOutput(*outcome, "Calculeting... done.");
                           });
}

void CAnalysisPage::Stop() {
    SetStatus("Stopping calculation...");
    if (runLog_->Busy()) {
        // The calculation ends at its next stop point; its end sets the status.
        runLog_->RequestStop();
        return;
    }
    SetStatus("Stopping calculation...done.");
    status_->SetBusy(false);
}

// ---------------------------------------------------------------- status and results

QString CAnalysisPage::StatusText() const { return status_->Text(); }

void CAnalysisPage::SetStatus(const QString& text) { status_->SetText(text); }

QString CAnalysisPage::FailureText(size_t failed, size_t total) {
    if (failed == 0 && total > 0) return {};
    if (failed >= total) return "No file could be analysed: see the messages.";
    return QString("%1 of %2 files could not be analysed: see the messages.").arg(failed).arg(total);
}

void CAnalysisPage::BeginOutput(const QString& title) {
    const QString input = QString::fromStdString(record_.inputFileName);
    runLog_->Begin(QString("%1 of %2").arg(title, input.isEmpty() ? QString("no input file") : input));
    chart_->ShowNote("Calculating...");
}

// A stop asked for after the calculation had ended changes nothing: the
// results are whole, and the status says so.
void CAnalysisPage::EndOutput(const Outcome& outcome, const QString& done) {
    runLog_->End(outcome.stopped);
    if (outcome.stopped) {
        chart_->ShowNote("Stopped: no chart was drawn.");
        SetStatus("Stopping calculation...done.");
        return;
    }
    if (outcome.show) outcome.show(*chart_);
    if (outcome.failure.isEmpty()) SetStatus(done);
    else status_->SetError(done + " " + outcome.failure);
}

// ---------------------------------------------------------------- DMA and DFA

CScalingPage::CScalingPage(MethodFamily family, FormServices& services, QWidget* parent)
    : CAnalysisPage(services, parent), family_(family) {
    record_.computationType = DefaultType(family);
    BuildPage({family == MethodFamily::kDfa ? "Box size" : "Moving average windows", "Calculate",
               "Calculate (thread)", "Stop (thread only)"});
}

// The methods the page offers, and the fields of the settings any of them reads.
QWidget* CScalingPage::BuildComputationGroup() {
    auto* group = new QGroupBox("Computation");
    computationForm_ = new QFormLayout(group);
    QStringList captions;
    uint32_t used = 0;
    for (const Method& method : Methods()) {
        if (method.family != family_) continue;
        used |= method.settings;  // a field for each, shown when the chosen method reads it
        if (method.page == MethodPage::kNone) continue;
        captions << method.pageCaption;
        types_.push_back(method.id);
    }
    computationType_ = AddRow(computationForm_, "Computation type", ListField("computationType", captions),
                              FIELD(computationType), types_);
    for (const SettingDescription& setting : kSettingDescriptions) {
        if (!(used & setting.setting)) continue;
        QLineEdit* field = setting.textDefault ? TextField(setting.field) : NumberField(setting.field);
        field->setToolTip(QString::fromStdString(SettingHelp(setting.setting)));
        settings_.emplace_back(setting.setting,
                               AddRow(computationForm_, setting.caption, field, SettingMember(setting.setting)));
    }
    AddRow(computationForm_, nullptr, CheckField("integrate", "Integrate the values"), FIELD(integrate))
        ->setToolTip("Analyse the cumulative sum of the values less their mean: for a series of increments "
                     "(returns, noise) rather than its profile (a walk)");
    // An interval on H, for the static methods (not stored in the configuration file).
    intervalFields_ = {
        AddRow(computationForm_, nullptr, CheckField("interval", "Interval on H (parametric bootstrap)"),
               FIELD(interval)),
        AddRow(computationForm_, "Interval level", NumberField("intervalLevel"), FIELD(intervalRequest.level)),
        AddRow(computationForm_, "Bootstrap series", NumberField("bootstrap"), FIELD(intervalRequest.replicates)),
        AddRow(computationForm_, "Interval seed", NumberField("intervalSeed"), FIELD(intervalRequest.seed))};
    intervalFields_[0]->setToolTip("Exact fractional Brownian motions of the series' length at the H found, "
                                   "analysed alike, give the spread and bias of H: the interval is drawn on the "
                                   "chart and written to <result>.interval.txt");
    intervalFields_[3]->setToolTip("0 or more: the same interval every time; -1: drawn anew");
    // Kept in the record for a cluster analysis of the same configuration; DMA does not read it.
    if (family_ == MethodFamily::kDma)
        AddRow(computationForm_, nullptr, CheckField("generateMovingAverageFiles", "Generate moving average files"),
               FIELD(generateMovingAverageFiles));
    connect(computationType_, &QComboBox::currentIndexChanged, this, &CScalingPage::ApplyShownRules);
    return group;
}

// The fields of the settings the chosen method reads.
void CScalingPage::ApplyComputationRules() {
    const int index = computationType_->currentIndex();
    const Method* method = index >= 0 ? FindMethod(types_[index]) : nullptr;
    for (const auto& [setting, field] : settings_) ShowRow(computationForm_, field, method && method->Uses(setting));
    for (QWidget* field : intervalFields_) ShowRow(computationForm_, field, method && !method->dynamic);
}

CAnalysisPage::Job CScalingPage::Plan() const {
    RunPlan plan = PlanRun(record_, family_);
    Job job{plan.refusal, ComputationTypeName(record_.computationType), {}};
    job.run = [plan = std::move(plan)] {
        RunSummary summary = RunAnalysis(plan);
        const size_t files = summary.files.size();
        const size_t failed = summary.refusal.empty() ? summary.Inputs({kNotAnalysed}).size() : files;
        Outcome outcome{summary.stopped, FailureText(failed, files), [](ResultChart& chart) {
                            chart.ShowNote("Nothing to draw: see the messages above.");
                        }};
        // The first file with results is drawn; the others are in the output folder.
        const auto drawn = std::find_if(summary.files.begin(), summary.files.end(), [](const FileReport& file) {
            return !file.fluctuations.empty() || !file.hursts.empty();
        });
        if (drawn != summary.files.end())
            outcome.show = [file = std::move(*drawn), scales = std::move(summary.scales)](ResultChart& chart) {
                const QString name = QFileInfo(QString::fromStdString(file.input)).fileName();
                if (file.hursts.empty()) chart.ShowScaling(scales, file.fluctuations, file.hurst, name, file.interval);
                else chart.ShowHurstSeries(file.positions, file.hursts, name);
            };
        return outcome;
    };
    return job;
}

void CScalingPage::FollowSeries(int32_t samples) {
    AnalysisParameters& p = record_;
    int32_t& end = p.averageProgression.end;
    const int32_t type = p.computationType;
    if (p.dataSize == 0) p.dataSize = samples;
    // DFA's largest box follows the window, DMA's window the largest average.
    if (IsDfaType(type) && p.windowSize == 0) p.windowSize = DefaultWindowSize(type, p.dataSize, 0);
    if (end == 0) end = DefaultLargestScale(type, p.dataSize, p.windowSize, p.averageProgression.start);
    if (p.windowSize == 0) {
        const SizeList sizes = p.averageProgression.Expand();
        p.windowSize = DefaultWindowSize(type, p.dataSize, sizes.Empty() ? 0 : sizes.Last());
    }
    if (p.testName.empty())
        p.testName = QFileInfo(QString::fromStdString(p.inputFileName)).completeBaseName().toStdString();
}

// ---------------------------------------------------------------- clusters

CClustersPage::CClustersPage(FormServices& services, QWidget* parent) : CAnalysisPage(services, parent) {
    configFileName_ = "...";
    BuildPage({"Moving average windows", "Calculate cluster size PDF", "Calculate cluster size PDF (Thread)",
               "Stop (Thread only)"});
    fileForm_->setRowVisible(dataSize_, false);  // the window is the stretch taken
    chart_->hide();                               // the cluster analysis draws no chart
}

QWidget* CClustersPage::BuildComputationGroup() {
    auto* group = new QGroupBox("Cluster analysis");
    auto* form = new QFormLayout(group);
    AddRow(form, "Distribution step", NumberField("distributionStep"), FIELD(distributionStep));
    AddRow(form, "Distribution type", ListField("distributionType", {"Linear", "Logarithmic"}),
           FIELD(distributionType));
    AddRow(form, "Average type", ListField("averageType", {"Standard", "Extended"}), FIELD(movingAverageType));
    AddRow(form, nullptr, CheckField("globalStatisticsOnly", "Global PDF statistics only (no single moving averages)"),
           FIELD(globalStatisticsOnly));
    AddRow(form, "Bad data above", NumberField("badAbove"), FIELD(badAbove))
        ->setToolTip("Samples above this, and values that are not numbers, are replaced by the sample before (not "
                     "stored in the configuration file)");
    AddRow(form, nullptr, CheckField("generateMovingAverageFiles", "Generate moving average files"),
           FIELD(generateMovingAverageFiles));
    return group;
}

// The cluster analysis says itself what it cannot do.
CAnalysisPage::Job CClustersPage::Plan() const {
    return {{}, "Cluster analysis", [params = record_] {
                AnalysisParameters run = params;  // the run expands its files list
                ClusterRunSummary summary;
                const bool ran = RunClusterAnalysis(run, &summary);
                const size_t files = run.inputFiles.size();
                return Outcome{summary.stopped, FailureText(ran ? summary.notAnalysed.size() : files, files), {}};
            }};
}

// The window is every sample, as the command takes it.
void CClustersPage::FollowSeries(int32_t samples) {
    AnalysisParameters& p = record_;
    if (p.windowSize == 0) p.windowSize = samples;
    if (p.averageProgression.end == 0)
        p.averageProgression.end = std::max(p.averageProgression.start, p.windowSize / 8);
}

}  // namespace fractan::ui
