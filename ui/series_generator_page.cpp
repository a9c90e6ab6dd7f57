#include "ui/series_generator_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "generator/midpoint.h"
#include "generator/series_writer.h"
#include "setup/output.h"
#include "setup/series_loader.h"
#include "tools/file_tools.h"
#include "ui/bytes_to_copy_dialog.h"
#include "ui/form_widgets.h"
#include "ui/result_chart.h"
#include "ui/run_log.h"

namespace fractan::ui {

// What a generation tells the page.
struct GenerationResult {
    GeneratorStatus status = kGenerated;
    bool failed = false;  // an error ended the generation
    GeneratorSummary summary;
    QString plottedFile;  // the first series of the request, read back for the chart
    std::vector<QPointF> points;
    bool plotCut = false;  // only the beginning of a long series was read
};

namespace {

// The chart shows at most the first 2^20 + 1 values of a series.
constexpr int32_t kMostPlottedLevels = 20;

// The first series of the request, as written, for the chart: from the
// binary file when there is one, since its values are exact.
void ReadFirstSeries(const GeneratorSettings& s, GenerationResult& result) {
    const std::vector<double> exponents = HurstExponents(s, 1);
    if (exponents.empty() || s.seriesCount < 1) return;
    const bool text = (s.outputKind & kBinarySeries) == 0;
    const std::string path =
        SeriesBaseName(s.outputPath, s.filePrefix, exponents.front(), 1) + (text ? ".txt" : ".dat");
    const size_t length = SeriesLength(std::min(s.lengthExponent, kMostPlottedLevels));
    SampleArray samples;
    {
        OutputCapture quiet;  // the loader's own lines are not the generator's
        if (!LoadSeries(samples, path, text ? kTextInput : kBinaryInput, static_cast<int32_t>(length), 0))
            return;
    }
    result.plottedFile = QString::fromStdString(path);
    result.plotCut = s.lengthExponent > kMostPlottedLevels;
    result.points.reserve(static_cast<size_t>(samples.Size()));
    for (int32_t i = 0; i < samples.Size(); ++i) result.points.emplace_back(i, samples[i]);
}

// Runs in the worker, on its own copy of the request.
GenerationResult RunGeneration(const GeneratorSettings& settings) {
    GenerationResult result;
    try {
        result.status = Generate(settings, &result.summary);
    } catch (const std::exception& error) {
        PrintFormatted("The generation ended with an error: %s\n", error.what());
        result.failed = true;
        return result;
    }
    if (result.status == kGeneratorStopped || result.summary.seriesWritten == 0) return result;
    try {
        ReadFirstSeries(settings, result);
    } catch (const std::bad_alloc&) {
        PrintProgress("Not enough memory to read the series back for the chart.");
        result.points.clear();
    }
    return result;
}

}  // namespace

CSeriesGeneratorPage::CSeriesGeneratorPage(FormServices& services, QWidget* parent)
    : QWidget(parent), services_(services), bytesToCopy_(kDefaultBytesToCopy) {
    runLog_ = new RunLog(this);
    LayOutPage(this, BuildForm(), BuildResultPane());

    const GeneratorSettings defaults;
    seriesCount_->setText(QString::number(defaults.seriesCount));
    lengthExponent_->setText(QString::number(defaults.lengthExponent));
    generatorType_->setCurrentIndex(defaults.method == kSpectralMethod ? 1 : 0);
    hurstStart_->setText(RealText(defaults.hurstStart));
    hurstEnd_->setText(RealText(defaults.hurstEnd));
    hurstStep_->setText(RealText(defaults.hurstStep));
    // The user's home folder: the folder every desktop has.
    outputPath_->setText(QDir::toNativeSeparators(QDir::homePath()));
    filePrefix_->setText(QString::fromStdString(defaults.filePrefix));
    outputType_->setCurrentIndex(defaults.outputKind - 1);
    precision_->setText(QString::number(defaults.precision));
    chooseSeed_->setChecked(false);
    seed_->setText("0");
    ApplyShownRules();
    status_->SetBusy(false);
    SetStatus("Ready");
}

CSeriesGeneratorPage::~CSeriesGeneratorPage() { StopAndWait(); }

QWidget* CSeriesGeneratorPage::BuildForm() {
    seriesCount_ = NumberField("seriesCount");
    lengthExponent_ = NumberField("lengthExponent");
    generatorType_ = ListField("generatorType", {"RMD", "FFT"});
    hurstStart_ = NumberField("hurstStart");
    hurstEnd_ = NumberField("hurstEnd");
    hurstStep_ = NumberField("hurstStep");
    outputPath_ = TextField("outputPath");
    auto* outputBrowse = Button("outputBrowse", "...");
    auto* outputView = Button("outputView", "View");
    filePrefix_ = TextField("filePrefix");
    outputType_ = ListField("outputType", {"Text", "Binary", "Both text and binary"});
    precision_ = NumberField("precision");
    chooseSeed_ = new QCheckBox("Choose seed");
    chooseSeed_->setObjectName("chooseSeed");
    seed_ = NumberField("seed");

    auto* hurst = new QGroupBox("Hurst exponent");
    hurst->setLayout(CaptionedFields({{"Start", hurstStart_}, {"End", hurstEnd_}, {"Step", hurstStep_}}));

    auto* series = new QGroupBox("Series");
    form_ = new QFormLayout(series);
    form_->addRow("Number of series", seriesCount_);
    form_->addRow("Series length (2^N)", lengthExponent_);
    form_->addRow("Generator type", generatorType_);
    form_->addRow(hurst);
    form_->addRow("Output path", Row({outputPath_, outputBrowse, outputView}));
    form_->addRow("Output file prefix", filePrefix_);
    form_->addRow("Output file type", outputType_);
    form_->addRow("Precision", precision_);
    form_->addRow(ButtonRow({chooseSeed_, seed_}));

    auto* generate = Button("generateSeries", "Generate series");
    auto* stop = Button("stop", "Stop");
    auto* sample = Button("generateSample", "Generate sample file");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(generate);
    buttons->addWidget(stop);
    buttons->addStretch(1);
    buttons->addWidget(sample);
    status_ = new PageStatus;

    connect(outputType_, &QComboBox::currentIndexChanged, this, &CSeriesGeneratorPage::ApplyShownRules);
    connect(chooseSeed_, &QCheckBox::toggled, this, &CSeriesGeneratorPage::ApplyShownRules);
    connect(outputBrowse, &QPushButton::clicked, this, [this] {
        const QString folder = services_.ChooseFolder(outputPath_->text());
        if (!folder.isEmpty()) outputPath_->setText(folder);
    });
    connect(outputView, &QPushButton::clicked, this, [this] { services_.ViewFolder(outputPath_->text()); });
    connect(generate, &QPushButton::clicked, this, &CSeriesGeneratorPage::GenerateSeries);
    connect(stop, &QPushButton::clicked, this, &CSeriesGeneratorPage::Stop);
    connect(sample, &QPushButton::clicked, this, &CSeriesGeneratorPage::GenerateSampleFile);
    return Column({series, buttons, status_, runLog_->Bar()});
}

QWidget* CSeriesGeneratorPage::BuildResultPane() {
    chart_ = new ResultChart;
    chart_->setObjectName("chart");
    chart_->ShowNote("The first series generated is drawn here.");
    return LogAndChart(runLog_->Pane(), chart_);
}

bool CSeriesGeneratorPage::WritesText() const { return outputType_->currentIndex() + 1 != kBinarySeries; }

// "Precision" only for text files; the seed only when it is chosen.
void CSeriesGeneratorPage::ApplyShownRules() {
    form_->setRowVisible(precision_, WritesText());
    seed_->setVisible(chooseSeed_->isChecked());
    seed_->setEnabled(chooseSeed_->isChecked());
}

std::optional<GeneratorSettings> CSeriesGeneratorPage::ReadRequest() {
    GeneratorSettings s;
    FormReader read(&services_);
    // The core takes 32-bit signed counts; larger ones would turn negative.
    s.seriesCount = static_cast<int32_t>(read.Whole(seriesCount_, "Number of series", 0, kInt32High));
    s.lengthExponent = static_cast<int32_t>(read.Whole(lengthExponent_, "Series length (2^N)", 0, kInt32High));
    s.hurstStart = read.Real(hurstStart_, "Hurst exponent start");
    s.hurstEnd = read.Real(hurstEnd_, "Hurst exponent end");
    s.hurstStep = read.Real(hurstStep_, "Hurst exponent step");
    s.outputPath = outputPath_->text().toStdString();
    s.filePrefix = filePrefix_->text().toStdString();
    s.outputKind = outputType_->currentIndex() + 1;
    s.method = generatorType_->currentIndex() == 1 ? kSpectralMethod : kMidpointMethod;
    // A hidden precision is not used, so it is not read either.
    if (WritesText())
        s.precision = static_cast<int32_t>(read.Whole(precision_, "Precision", 0, kInt32High));
    // The seed is an unsigned field given to the generator as a signed value:
    // 4294967295 is −1, the seed taken from the clock.
    s.seed = chooseSeed_->isChecked()
                 ? static_cast<int32_t>(static_cast<uint32_t>(read.Whole(seed_, "Seed", 0, kUInt32High)))
                 : kTimeSeed;
    if (!read.Ok()) return std::nullopt;
    return s;
}

void CSeriesGeneratorPage::GenerateSeries() {
    const std::optional<GeneratorSettings> settings = ReadRequest();
    if (!settings || RefusedWhileBusy()) return;
    if (const std::string refusal = GeneratorRefusal(*settings); !refusal.empty()) {
        status_->SetError(QString::fromStdString(refusal) + " Nothing generated.");
        return;
    }
    const QString folder = QString::fromStdString(settings->outputPath);
    if (!QFileInfo(folder).isDir()) {
        status_->SetError(QString("The output path [%1] is not a folder. Nothing generated.").arg(folder));
        return;
    }
    const int64_t total = int64_t{settings->seriesCount} * static_cast<int64_t>(HurstExponents(*settings).size());
    SetStatus("Generating series...");
    status_->SetBusy(true, "Generating");
    runLog_->Begin(QString("%1 series of 2^%2 + 1 values into %3")
                       .arg(total)
                       .arg(settings->lengthExponent)
                       .arg(folder));
    chart_->ShowNote("Generating series...");
    auto result = std::make_shared<GenerationResult>();
    runLog_->StartInWorker([request = *settings, result] { *result = RunGeneration(request); },
                           [this, result] { GenerationFinished(*result); });
}

void CSeriesGeneratorPage::GenerationFinished(const GenerationResult& result) {
    const bool stopped = result.status == kGeneratorStopped;
    runLog_->End(stopped);
    status_->SetBusy(false);
    if (stopped) {
        SetStatus("Generating series... Stopped: the series written so far are kept.");
        chart_->ShowNote("Stopped: no series was drawn.");
        return;
    }
    if (result.failed) {
        status_->SetError("Generating series... Failed: see the messages.");
        chart_->ShowNote("The generation failed: no series was drawn.");
        return;
    }
    switch (result.status) {
        case kSomeSeriesFailed:
            status_->SetError(
                QString("Generating series... Done. %1 of %2 series could not be written: see the messages.")
                    .arg(result.summary.seriesFailed)
                    .arg(result.summary.seriesFailed + result.summary.seriesWritten));
            break;
        case kGeneratorRefused:
            status_->SetError("Generating series... Nothing generated: see the messages.");
            break;
        default:
            SetStatus("Generating series... Done.");
    }
    if (result.points.empty()) {
        chart_->ShowNote("No series was read back to draw.");
        return;
    }
    const QString name = QFileInfo(result.plottedFile).fileName();
    chart_->ShowLine(result.points, result.plotCut ? QString("%1 (its first %2 values)").arg(name).arg(result.points.size())
                                                   : name,
                     "sample", "value");
}

void CSeriesGeneratorPage::Stop() {
    if (!runLog_->Busy()) return;
    SetStatus("Stopping...");
    // The generation ends at its next stop point; its end sets the status.
    runLog_->RequestStop();
}

void CSeriesGeneratorPage::GenerateSampleFile() {
    if (RefusedWhileBusy()) return;
    const QString path = services_.OpenFile("All files (*.*)|*.*||", QString());
    if (path.isEmpty()) return;
    const std::optional<uint32_t> bytes = services_.AskBytesToCopy(bytesToCopy_);
    if (!bytes) return;
    bytesToCopy_ = *bytes;
    // In the worker: up to 4 GiB may be copied. The status line is the
    // generation's; the copy is told in the log.
    statusBeforeCopy_ = StatusText();
    errorBeforeCopy_ = status_->ShowsError();
    status_->SetBusy(true, "Copying");
    runLog_->Begin(QString("Sample file of the first %1 characters of %2").arg(*bytes).arg(path));
    auto outcome = std::make_shared<SampleStatus>(SampleStatus::kWritten);
    auto written = std::make_shared<int64_t>(0);
    runLog_->StartInWorker(
        [input = path.toStdString(), count = *bytes, outcome, written] {
            *written = MakeSampleFile(input, count, 0, outcome.get());
        },
        [this, path, outcome, written] { SampleFinished(path, *outcome, *written); });
}

void CSeriesGeneratorPage::SampleFinished(const QString& path, SampleStatus status, int64_t written) {
    runLog_->End(status == SampleStatus::kStopped);
    status_->SetBusy(false);
    // The status line as it was before the copy: a Stop may have changed it.
    if (errorBeforeCopy_)
        status_->SetError(statusBeforeCopy_);
    else
        SetStatus(statusBeforeCopy_);
    const QString sample = QString::fromStdString(SampleFilePath(path.toStdString()));
    switch (status) {
        case SampleStatus::kWritten:
            runLog_->AppendLine(QString("Sample file: [%1], %2 characters").arg(sample).arg(written));
            services_.ViewText(sample);
            break;
        case SampleStatus::kStopped:
            runLog_->AppendLine("The unfinished sample file was removed.");
            break;
        case SampleStatus::kInputNotOpened:
            services_.Message(QString("Cannot read [%1]: no sample file was made.").arg(path));
            break;
        default:
            services_.Message(QString("Cannot write the sample file [%1].").arg(sample));
    }
}

bool CSeriesGeneratorPage::RefusedWhileBusy() {
    if (!runLog_->Busy()) return false;
    status_->SetError("The page is busy: stop its work or wait for its end.");
    return true;
}

QString CSeriesGeneratorPage::StatusText() const { return status_->Text(); }

void CSeriesGeneratorPage::SetStatus(const QString& text) { status_->SetText(text); }

bool CSeriesGeneratorPage::WorkerBusy() const { return runLog_->Busy(); }

void CSeriesGeneratorPage::StopAndWait() { runLog_->StopAndWait(); }

}  // namespace fractan::ui
