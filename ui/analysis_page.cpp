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

#include <cmath>
#include <limits>
#include <new>

#include "clusters/cluster_analyzer.h"
#include "engine/checks.h"
#include "engine/driver.h"
#include "engine/methods.h"
#include "ui/form_widgets.h"
#include "ui/icons.h"
#include "ui/line_count_dialog.h"
#include "ui/result_chart.h"
#include "ui/run_log.h"

namespace fractan::ui {
namespace {

// The methods a page offers, in the order of its list.
std::vector<const Method*> TypesOf(CAnalysisPage::Kind kind) {
    const MethodPage page = kind == CAnalysisPage::Kind::kDma   ? MethodPage::kDma
                            : kind == CAnalysisPage::Kind::kDfa ? MethodPage::kDfa
                                                                : MethodPage::kNone;
    std::vector<const Method*> methods;
    if (page == MethodPage::kNone) return methods;
    for (const Method& method : Methods())
        if (method.page == page) methods.push_back(&method);
    return methods;
}

// What a page runs, in whichever thread. Only the record copy it is given is
// touched, so the form may change meanwhile.
CalculationResult RunCalculation(CAnalysisPage::Kind kind, AnalysisParameters& params) {
    CalculationResult result;
    try {
        if (kind == CAnalysisPage::Kind::kClusters) {
            ClusterRunSummary summary;
            RunClusterAnalysis(params, &summary);
            result.stopped = summary.stopped;
        } else {
            const RunSummary summary = RunAnalysis(params);
            result.stopped = summary.stopped;
            for (const FileReport& file : summary.files) {
                if (!file.chartFile.empty()) result.chartFiles.push_back(file.chartFile);
                if (!file.incrementalFile.empty()) result.incrementalFiles.push_back(file.incrementalFile);
            }
        }
    } catch (const std::bad_alloc&) {
        PrintProgress("Not enough memory for the calculation.");
    }
    return result;
}


}  // namespace

// A number field and the record field it shows: a whole or a real number.
struct CAnalysisPage::NumberBinding {
    QLineEdit* field;
    const char* caption;
    int32_t& (*whole)(AnalysisParameters&);
    double& (*real)(AnalysisParameters&);

    // Whether the text is a number of the field's kind; stored into `into` when given.
    bool Parse(AnalysisParameters* into) const {
        if (whole) {
            const std::optional<int64_t> value = ParseWhole(field->text());
            if (value && into) whole(*into) = static_cast<int32_t>(*value);
            return value.has_value();
        }
        const std::optional<double> value = ParseReal(field->text());
        if (value && into) real(*into) = *value;
        return value.has_value();
    }
    void Show(AnalysisParameters& record) const {
        field->setText(whole ? QString::number(whole(record)) : RealText(real(record)));
    }
    QString Error() const {
        return whole ? WholeNumberError(caption, field->text()) : RealNumberError(caption, field->text());
    }
};

CAnalysisPage::CAnalysisPage(Kind kind, FormServices& services, QWidget* parent)
    : QWidget(parent), kind_(kind), services_(services) {
    record_.Reset();
    // A fresh page starts from the method the command starts from.
    if (kind_ != Kind::kClusters)
        record_.computationType = DefaultType(kind_ == Kind::kDfa ? MethodFamily::kDfa : MethodFamily::kDma);
    if (kind_ == Kind::kClusters) configFileName_ = "...";
    runLog_ = new RunLog(this);
    BuildForm();
    ShowRecord();
    ApplyShownRules();
    status_->SetBusy(false);
    SetStatus("Ready");
}

CAnalysisPage::~CAnalysisPage() { StopAndWait(); }

void CAnalysisPage::StopAndWait() { runLog_->StopAndWait(); }

bool CAnalysisPage::WorkerBusy() const { return runLog_->Busy(); }

// ---------------------------------------------------------------- the form

void CAnalysisPage::BuildForm() {
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
    QWidget* form =
        Column({configRow, BuildFileGroup(), BuildScaleGroup(), BuildComputationGroup(), BuildRunRow()});
    LayOutPage(this, form, BuildResultPane());

    BindNumberFields();
    connect(configView, &QPushButton::clicked, this, [this] { services_.ViewText(configFileName_); });
    connect(load, &QPushButton::clicked, this, &CAnalysisPage::Load);
    connect(save, &QPushButton::clicked, this, &CAnalysisPage::Save);
}

// The number fields in form order, which is the order they are read in.
void CAnalysisPage::BindNumberFields() {
    using P = AnalysisParameters;
    const NumberBinding all[] = {
        {offset_, "Offset", [](P& p) -> int32_t& { return p.dataOffset; }, nullptr},
        {windowSize_, "Window size", [](P& p) -> int32_t& { return p.windowSize; }, nullptr},
        {dataSize_, "Data size", [](P& p) -> int32_t& { return p.dataSize; }, nullptr},
        {start_, "Start", [](P& p) -> int32_t& { return p.averageProgression.start; }, nullptr},
        {step_, "Step", [](P& p) -> int32_t& { return p.averageProgression.step; }, nullptr},
        {end_, "End", [](P& p) -> int32_t& { return p.averageProgression.end; }, nullptr},
        {dmaWeight_, "DMA filter weight", [](P& p) -> int32_t& { return p.dmaWeight; }, nullptr},
        {shiftPercentage_, "Shift percentage", nullptr, [](P& p) -> double& { return p.shiftPercentage; }},
        {dynamicStep_, "Dynamic step", [](P& p) -> int32_t& { return p.dynamicStep; }, nullptr},
        {dmaLambda_, "DMA lambda", nullptr, [](P& p) -> double& { return p.dmaLambda; }},
        {dfaOrder_, "DFA Order", [](P& p) -> int32_t& { return p.dfaOrder; }, nullptr},
        {distributionStep_, "Distribution step", nullptr, [](P& p) -> double& { return p.distributionStep; }},
        {badAbove_, "Bad data above", nullptr, [](P& p) -> double& { return p.badAbove; }},
    };
    for (const NumberBinding& binding : all)
        if (binding.field) numbers_.push_back(binding);  // the page has this field
}

QWidget* CAnalysisPage::BuildFileGroup() {
    auto* group = new QGroupBox("Input and output");
    auto* fileForm = new QFormLayout(group);

    inputMode_ = ListField("inputMode", {"Single", "Multi"});
    inputFile_ = TextField("inputFile");
    auto* inputBrowse = Button("inputBrowse", "...");
    inputView_ = Button("inputView", "View");
    countLines_ = Button("countLines", "Count lines");
    fileType_ = ListField("fileType", {"Text", "Binary"});
    offset_ = NumberField("offset");
    windowSize_ = NumberField("windowSize");
    testName_ = TextField("testName");
    outputPath_ = TextField("outputPath");
    auto* outputBrowse = Button("outputBrowse", "...");
    auto* outputView = Button("outputView", "View");

    fileForm->addRow("Input file mode", inputMode_);
    fileForm->addRow("Input file", Row({inputFile_, inputBrowse, inputView_, countLines_}));
    fileForm->addRow("File type", fileType_);
    fileForm->addRow("Offset", offset_);
    fileForm->addRow("Window size", windowSize_);
    if (kind_ != Kind::kClusters) {
        dataSize_ = NumberField("dataSize");
        fileForm->addRow("Data size", dataSize_);
    }
    fileForm->addRow("Test name", testName_);
    fileForm->addRow("Output path", Row({outputPath_, outputBrowse, outputView}));

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

QWidget* CAnalysisPage::BuildScaleGroup() {
    auto* group = new QGroupBox(kind_ == Kind::kDfa ? "Box size" : "Moving average windows");
    scaleForm_ = new QFormLayout(group);
    start_ = NumberField("progressionStart");
    step_ = NumberField("progressionStep");
    end_ = NumberField("progressionEnd");
    progressionType_ = ListField("progressionType", {"0 - Linear", "1 - Geometric", "2 - Custom"});
    customFile_ = TextField("customFile");
    auto* customBrowse = Button("customBrowse", "...");
    auto* customView = Button("customView", "View");
    customRow_ = Row({customFile_, customBrowse, customView});
    customRow_->setObjectName("customRow");

    scaleForm_->addRow(CaptionedFields({{"Start", start_}, {"Step", step_}, {"End", end_}}));
    scaleForm_->addRow("Progression type", progressionType_);
    scaleForm_->addRow("Progression file", customRow_);

    connect(progressionType_, &QComboBox::currentIndexChanged, this, &CAnalysisPage::ApplyShownRules);
    connect(customBrowse, &QPushButton::clicked, this, &CAnalysisPage::ChooseCustomFile);
    connect(customView, &QPushButton::clicked, this, [this] {
        if (ReadForm()) services_.ViewText(QString::fromStdString(record_.averageProgression.customFile));
    });
    return group;
}

QWidget* CAnalysisPage::BuildComputationGroup() {
    auto* group = new QGroupBox(kind_ == Kind::kClusters ? "Cluster analysis" : "Computation");
    computationForm_ = new QFormLayout(group);
    auto& form = *computationForm_;
    if (kind_ != Kind::kClusters) {
        QStringList captions;
        for (const Method* method : TypesOf(kind_)) captions << method->pageCaption;
        computationType_ = ListField("computationType", captions);
        form.addRow("Computation type", computationType_);
        connect(computationType_, &QComboBox::currentIndexChanged, this, &CAnalysisPage::ApplyShownRules);
    }
    if (kind_ == Kind::kDma) {
        dmaWeight_ = NumberField(DescriptionOf(kUsesWeight).field);
        shiftPercentage_ = NumberField(DescriptionOf(kUsesShift).field);
        dmaLambda_ = NumberField(DescriptionOf(kUsesLambda).field);
        form.addRow("DMA filter weight", dmaWeight_);
        form.addRow("Shift percentage", shiftPercentage_);
        form.addRow("DMA lambda", dmaLambda_);
    }
    if (kind_ != Kind::kClusters) {
        dynamicStep_ = NumberField(DescriptionOf(kUsesStep).field);
        form.addRow("Dynamic step", dynamicStep_);
    }
    if (kind_ == Kind::kDfa) {
        dfaOrder_ = NumberField(DescriptionOf(kUsesOrder).field);
        form.addRow("DFA Order", dfaOrder_);
    }
    if (kind_ != Kind::kClusters) {
        integrate_ = new QCheckBox("Integrate the values");
        integrate_->setObjectName("integrate");
        integrate_->setToolTip(
            "Analyse the cumulative sum of the values less their mean: for a series of increments (returns, "
            "noise) rather than its profile (a walk)");
        form.addRow(integrate_);
    }
    if (kind_ == Kind::kClusters) {
        distributionStep_ = NumberField("distributionStep");
        distributionType_ = ListField("distributionType", {"Linear", "Logarithmic"});
        averageType_ = ListField("averageType", {"Standard", "Extended"});
        globalOnly_ = new QCheckBox("Global PDF statistics only (no single moving averages)");
        globalOnly_->setObjectName("globalStatisticsOnly");
        form.addRow("Distribution step", distributionStep_);
        form.addRow("Distribution type", distributionType_);
        form.addRow("Average type", averageType_);
        form.addRow(globalOnly_);
        badAbove_ = NumberField("badAbove");
        badAbove_->setToolTip("Samples above this, and values that are not numbers, are replaced by the sample "
                              "before (not stored in the configuration file)");
        form.addRow("Bad data above", badAbove_);
    }
    if (kind_ != Kind::kDfa) {
        movingAverageFiles_ = new QCheckBox("Generate moving average files");
        movingAverageFiles_->setObjectName("generateMovingAverageFiles");
        form.addRow(movingAverageFiles_);
    }
    return group;
}

QWidget* CAnalysisPage::BuildRunRow() {
    const bool clusters = kind_ == Kind::kClusters;
    auto* calculate = Button("calculate", clusters ? "Calculate cluster size PDF" : "Calculate");
    auto* calculateThread = Button(
        "calculateThread", clusters ? "Calculate cluster size PDF (Thread)" : "Calculate (thread)");
    auto* stop = Button("stop", clusters ? "Stop (Thread only)" : "Stop (thread only)");
    status_ = new PageStatus;
    connect(calculate, &QPushButton::clicked, this, &CAnalysisPage::Calculate);
    connect(calculateThread, &QPushButton::clicked, this, &CAnalysisPage::CalculateInThread);
    connect(stop, &QPushButton::clicked, this, &CAnalysisPage::Stop);
    return Column({ButtonRow({calculate, calculateThread, stop}), status_, runLog_->Bar()});
}

QWidget* CAnalysisPage::BuildResultPane() {
    chart_ = new ResultChart;
    chart_->setObjectName("chart");
    if (kind_ == Kind::kClusters) chart_->hide();  // the cluster analysis draws no chart
    return LogAndChart(runLog_->Pane(), chart_);
}

int32_t CAnalysisPage::SelectedComputationType() const {
    if (!computationType_) return record_.computationType;
    const int index = computationType_->currentIndex();
    const std::vector<const Method*> types = TypesOf(kind_);
    return index >= 0 && index < static_cast<int>(types.size()) ? types[index]->id : -1;
}

bool CAnalysisPage::ReadForm(bool reportErrors) {
    AnalysisParameters read = record_;
    for (const NumberBinding& number : numbers_) {
        if (number.Parse(&read)) continue;
        if (reportErrors) services_.Message(number.Error());
        return false;
    }
    read.inputFileMode = inputMode_->currentIndex();
    read.inputFileName = inputFile_->text().toStdString();
    read.inputFileType = fileType_->currentIndex();
    read.testName = testName_->text().toStdString();
    read.averageProgression.type = progressionType_->currentIndex();
    read.averageProgression.customFile = customFile_->text().toStdString();
    read.outputPath = outputPath_->text().toStdString();
    if (computationType_) read.computationType = SelectedComputationType();
    if (distributionType_) read.distributionType = distributionType_->currentIndex();
    if (averageType_) read.movingAverageType = averageType_->currentIndex();
    if (globalOnly_) read.globalStatisticsOnly = globalOnly_->isChecked() ? 1 : 0;
    if (movingAverageFiles_) read.generateMovingAverageFiles = movingAverageFiles_->isChecked() ? 1 : 0;
    if (integrate_) read.integrate = integrate_->isChecked() ? 1 : 0;
    record_ = std::move(read);
    return true;
}

void CAnalysisPage::ShowRecord() {
    // A value the list does not offer shows no selection.
    auto select = [](QComboBox* list, int32_t index) {
        if (list) list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    };
    configFile_->setText(configFileName_);
    for (const NumberBinding& number : numbers_) number.Show(record_);
    select(inputMode_, record_.inputFileMode);
    inputFile_->setText(QString::fromStdString(record_.inputFileName));
    select(fileType_, record_.inputFileType);
    testName_->setText(QString::fromStdString(record_.testName));
    select(progressionType_, record_.averageProgression.type);
    customFile_->setText(QString::fromStdString(record_.averageProgression.customFile));
    outputPath_->setText(QString::fromStdString(record_.outputPath));
    if (computationType_) {
        int index = -1;
        const std::vector<const Method*> types = TypesOf(kind_);
        for (size_t i = 0; i < types.size(); ++i)
            if (types[i]->id == record_.computationType) index = static_cast<int>(i);
        computationType_->setCurrentIndex(index);
    }
    select(distributionType_, record_.distributionType);
    select(averageType_, record_.movingAverageType);
    if (globalOnly_) globalOnly_->setChecked(record_.globalStatisticsOnly != 0);
    if (movingAverageFiles_) movingAverageFiles_->setChecked(record_.generateMovingAverageFiles != 0);
    if (integrate_) integrate_->setChecked(record_.integrate != 0);
}

// The rules follow the lists as they stand, so that a number field being
// edited never interrupts a change of list with a message.
void CAnalysisPage::ApplyShownRules() {
    const int mode = inputMode_->currentIndex();
    const int type = fileType_->currentIndex();
    inputView_->setVisible(mode == 1);
    countLines_->setVisible(mode == 0 && type == 0);
    scaleForm_->setRowVisible(customRow_, progressionType_->currentIndex() == 2);

    const Method* method = FindMethod(SelectedComputationType());
    auto show = [this](QLineEdit* field, bool shown) {
        if (!field) return;
        computationForm_->setRowVisible(field, shown);
        // A field that goes out of sight must not keep text that is not a
        // number: it would stop every action with a message about a field
        // the user cannot see. It shows the record's value again.
        for (const NumberBinding& number : numbers_)
            if (number.field == field && !shown && !number.Parse(nullptr)) number.Show(record_);
    };
    // The fields of the settings the chosen method uses; a page lacks the others.
    auto uses = [method](MethodSetting setting) { return method && method->Uses(setting); };
    show(dmaWeight_, uses(kUsesWeight));
    show(shiftPercentage_, uses(kUsesShift));
    show(dynamicStep_, uses(kUsesStep));
    show(dmaLambda_, uses(kUsesLambda));
    show(dfaOrder_, uses(kUsesOrder));
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

void CAnalysisPage::ChooseInputFile() {
    const QString path = services_.OpenFile(
        "Text input files (*.txt)|*.txt|Binary input files (*.dat)|*.dat|All files (*.*)|*.*||", QString());
    if (path.isEmpty() || !ReadForm()) return;
    record_.inputFileName = path.toStdString();
    record_.ExpandInputFiles();
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

std::string CAnalysisPage::CheckReason() const {
    switch (kind_) {
        case Kind::kDma: return PlanRun(record_, MethodFamily::kDma).refusal.reason;
        case Kind::kDfa: return PlanRun(record_, MethodFamily::kDfa).refusal.reason;
        default: return {};  // the cluster analysis says itself what it cannot do
    }
}

void CAnalysisPage::Calculate() {
    if (!ReadForm()) return;
    if (RefusedWhileWorkerRuns()) return;
    SetStatus("Calculating...");
    WaitCursor wait;
    if (const std::string reason = CheckReason(); !reason.empty()) {
        status_->SetError(QString::fromStdString(reason + kReviewSuffix));
        return;
    }
    BeginOutput();
    status_->ShowNow();
    CalculationResult result;
    runLog_->RunHere([&] {
        AnalysisParameters params = record_;
        result = RunCalculation(kind_, params);
    });
    EndOutput(result);
    SetStatus("Calculating... Done.");
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
    if (const std::string reason = CheckReason(); !reason.empty()) {
        status_->SetError(QString::fromStdString(reason + kReviewSuffix));
        return;
    }
    SetStatus("Calculating...");
    status_->SetBusy(true);
    BeginOutput();
    auto result = std::make_shared<CalculationResult>();
    runLog_->StartInWorker(
        [kind = kind_, params = record_, result]() mutable { *result = RunCalculation(kind, params); },
        [this, result] { WorkerFinished(*result); });
}

void CAnalysisPage::WorkerFinished(const CalculationResult& result) {
    EndOutput(result);
    // A stop asked for after the calculation had ended changes nothing: the
    // results are whole, and the status says so.
    SetStatus(result.stopped ? "Stopping calculation...done." : "Calculeting... done.");
    status_->SetBusy(false);
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

void CAnalysisPage::BeginOutput() {
    const QString what = kind_ == Kind::kClusters
                             ? QString("Cluster analysis")
                             : QString::fromUtf8(ComputationTypeName(record_.computationType));
    const QString input = QString::fromStdString(record_.inputFileName);
    runLog_->Begin(QString("%1 of %2").arg(what, input.isEmpty() ? QString("no input file") : input));
    if (kind_ != Kind::kClusters) chart_->ShowNote("Calculating...");
}

void CAnalysisPage::EndOutput(const CalculationResult& result) {
    runLog_->End(result.stopped);
    if (result.stopped) {
        if (kind_ != Kind::kClusters) chart_->ShowNote("Stopped: no chart was drawn.");
        return;
    }
    ShowResults(result);
}

// The first input file's chart or H series; the others are in the output folder.
void CAnalysisPage::ShowResults(const CalculationResult& result) {
    if (kind_ == Kind::kClusters) return;
    if (!result.chartFiles.empty())
        chart_->ShowChartFile(QString::fromStdString(result.chartFiles.front()));
    else if (!result.incrementalFiles.empty())
        chart_->ShowHurstSeriesFile(QString::fromStdString(result.incrementalFiles.front()));
    else
        chart_->ShowNote("Nothing was written to draw: see the messages above.");
}

}  // namespace fractan::ui
