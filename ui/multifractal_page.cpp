#include "ui/multifractal_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

#include "setup/series_loader.h"
#include "ui/form_widgets.h"
#include "ui/result_chart.h"

namespace fractan::ui {

CMultifractalPage::CMultifractalPage(FormServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    input_ = TextField("inputFile");
    input_->setMinimumWidth(280);
    auto* browse = Button("inputBrowse", "...");
    auto* view = Button("inputView", "View");
    column_ = TextField("column");
    column_->setPlaceholderText("its number or header name; empty: the first");
    QStringList methods;
    for (const MultifractalMethod& method : MultifractalMethods()) methods << method.title;
    method_ = ListField("method", methods);
    qFirst_ = NumberField("qFirst");
    qLast_ = NumberField("qLast");
    qStep_ = NumberField("qStep");
    scales_ = TextField("scales");
    scales_->setPlaceholderText("empty: 20 from 16 to an eighth of the samples");
    scales_->setToolTip("Segment lengths separated by commas");
    order_ = NumberField("dfaOrder");
    boxes_ = TextField("dfaBoxes");
    boxes_->setToolTip(DescriptionOf(kUsesBoxes).help);
    theta_ = NumberField("theta");
    theta_->setToolTip("0 backward, 0.5 centred, 1 forward moving average");
    integrate_ = new QCheckBox("Analyse the cumulative sum of the samples less their mean");
    integrate_->setObjectName("integrate");
    auto* calculate = Button("calculate", "Calculate");
    auto* stop = Button("stop", "Stop");
    status_ = new PageStatus;
    chartKind_ = ListField("chartKind", {"F_q(n)", "h(q)", "f(α)"});
    chart_ = new ResultChart;
    chart_->setObjectName("chart");
    chart_->ShowNote("F_q(n), h(q) and f(α) of a series are drawn here.");

    auto* group = new QGroupBox("Multifractal spectrum of a series");
    form_ = new QFormLayout(group);
    form_->addRow("Input file", Row({input_, browse, view}));
    form_->addRow("Column", column_);
    form_->addRow("Method", method_);
    form_->addRow("q", CaptionedFields({{"from", qFirst_}, {"to", qLast_}, {"step", qStep_}}));
    form_->addRow("Scales", scales_);
    form_->addRow("Order", order_);
    form_->addRow("Boxes", boxes_);
    form_->addRow("θ", theta_);
    form_->addRow(integrate_);
    auto* note = Note("F_q(n) (a column per q) and the spectrum (q, h, τ, α, f) are written beside the series, "
                      "to its \".mfdfa.fq.txt\" and \".mfdfa.spectrum.txt\" files (\".mfdma.\" for MF-DMA).");
    auto* shown = new QWidget;
    auto* shownForm = new QFormLayout(shown);
    shownForm->setContentsMargins(0, 0, 0, 0);
    shownForm->addRow("Chart", chartKind_);
    shownForm->addRow(chart_);
    LayOutPage(this, Column({group, ButtonRow({calculate, stop}), status_, note}), shown);

    connect(browse, &QPushButton::clicked, this, &CMultifractalPage::ChooseInput);
    connect(view, &QPushButton::clicked, this, [this] { services_.ViewText(input_->text()); });
    connect(calculate, &QPushButton::clicked, this, &CMultifractalPage::Calculate);
    connect(stop, &QPushButton::clicked, this, &CMultifractalPage::Stop);
    connect(method_, &QComboBox::currentIndexChanged, this, &CMultifractalPage::ApplyMethodRules);
    connect(chartKind_, &QComboBox::currentIndexChanged, this, &CMultifractalPage::DrawChart);
    worker_ = std::make_unique<WorkerThread>(this, output_);

    // The command's defaults.
    const MultifractalSettings defaults;
    const std::vector<double> q = DefaultMultifractalQ();
    method_->setCurrentIndex(0);
    qFirst_->setText(RealText(q.front()));
    qLast_->setText(RealText(q.back()));
    qStep_->setText(RealText(q[1] - q[0]));
    order_->setText(QString::number(defaults.order));
    boxes_->setText(QString::fromStdString(defaults.boxes));
    theta_->setText(RealText(defaults.theta));
    chartKind_->setCurrentIndex(0);
    ApplyMethodRules();
    status_->SetText("Ready");
}

CMultifractalPage::~CMultifractalPage() { StopAndWait(); }

QString CMultifractalPage::StatusText() const { return status_->Text(); }

void CMultifractalPage::StopAndWait() { worker_->StopAndWait(); }

const MultifractalMethod& CMultifractalPage::ChosenMethod() const {
    return MultifractalMethods()[size_t(std::max(0, method_->currentIndex()))];
}

void CMultifractalPage::ApplyMethodRules() {
    const uint32_t settings = ChosenMethod().settings;
    form_->setRowVisible(order_, (settings & kUsesOrder) != 0);
    form_->setRowVisible(boxes_, (settings & kUsesBoxes) != 0);
    form_->setRowVisible(theta_, ChosenMethod().family == MethodFamily::kDma);
}

void CMultifractalPage::ChooseInput() {
    const QString path = services_.OpenFile(
        "Text input files (*.txt)|*.txt|Binary input files (*.dat)|*.dat|Tables (*.csv)|*.csv|"
        "NumPy arrays (*.npy)|*.npy|All files (*.*)|*.*||",
        rememberedPath_);
    if (path.isEmpty()) return;
    rememberedPath_ = path;
    input_->setText(path);
}

std::optional<MultifractalSettings> CMultifractalPage::ReadSettings() {
    const MultifractalMethod& method = ChosenMethod();
    MultifractalSettings s;
    s.family = method.family;
    s.integrate = integrate_->isChecked();
    FormReader read(&services_);
    const double first = read.Real(qFirst_, "q from"), last = read.Real(qLast_, "q to"),
                 step = read.Real(qStep_, "q step");
    // The fields a method does not read cannot stop it.
    if (method.settings & kUsesOrder) s.order = static_cast<int32_t>(read.Whole(order_, "Order"));
    if (method.family == MethodFamily::kDma) s.theta = read.Real(theta_, "θ");
    if (!read.Ok()) return std::nullopt;
    s.boxes = boxes_->text().trimmed().toStdString();
    s.q = MultifractalQRange(first, last, step);
    if (s.q.empty()) {
        services_.Message(QString("q: from %1 to %2 by %3 is not a rising range.")
                              .arg(qFirst_->text(), qLast_->text(), qStep_->text()));
        return std::nullopt;
    }
    for (const QString& word : scales_->text().split(',', Qt::SkipEmptyParts)) {
        const std::optional<int64_t> n = ParseWhole(word, 1);
        if (!n) {
            services_.Message(QString("Scales: \"%1\" is not a whole number of 1 or more.").arg(word.trimmed()));
            return std::nullopt;
        }
        s.scales.push_back(static_cast<int32_t>(*n));
    }
    return s;
}

// What a calculation tells the page.
struct CMultifractalPage::Outcome {
    std::string input;
    const MultifractalMethod* method = nullptr;
    MultifractalFiles files;
    std::string failure;  // why nothing, or not all, was written
    bool stopped = false;
    std::shared_ptr<MultifractalResult> result;
};

void CMultifractalPage::Calculate() {
    if (worker_->Busy()) {
        status_->SetError("A calculation is running on this page: stop it or wait for its end.");
        return;
    }
    std::optional<MultifractalSettings> settings = ReadSettings();
    if (!settings) return;
    auto outcome = std::make_shared<Outcome>();
    outcome->input = input_->text().toStdString();
    outcome->method = &ChosenMethod();
    outcome->files = MultifractalFilesOf(outcome->input, *outcome->method);
    const std::string column = column_->text().trimmed().toStdString();
    status_->SetText("Calculating...");
    status_->SetBusy(true);
    output_.Take();  // the lines of an earlier calculation
    // Copies only: the form may change meanwhile.
    worker_->Start(
        [s = *settings, column, outcome]() mutable {
            const SeriesFile series = LoadSeriesFile(outcome->input, column);
            if (!series.reason.empty()) {
                outcome->failure = series.reason;
                return;
            }
            const std::span<const double> samples = series.Samples();
            if (s.scales.empty()) s.scales = DefaultMultifractalScales(s, static_cast<int64_t>(samples.size()));
            auto r = std::make_shared<MultifractalResult>(AnalyseMultifractal(samples, s));
            if (r->status == AnalysisStatus::kStopped) {
                outcome->stopped = true;
                return;
            }
            if (r->status == AnalysisStatus::kRefused) {
                outcome->failure = "[" + outcome->input + "]: " + r->reason;
                return;
            }
            if (r->status == AnalysisStatus::kNotFinite) outcome->failure = "[" + outcome->input + "]: " + r->reason;
            if (const std::string failed = WriteMultifractalFiles(outcome->files, *r); !failed.empty()) {
                outcome->failure = "Cannot write [" + failed + "].";
                return;
            }
            outcome->result = std::move(r);
        },
        [this, outcome] { Finished(*outcome); });
}

void CMultifractalPage::Stop() {
    if (!worker_->Busy()) return;
    status_->SetText("Stopping calculation...");
    worker_->RequestStop();  // its end sets the status
}

void CMultifractalPage::Finished(const Outcome& outcome) {
    status_->SetBusy(false);
    output_.Take();
    if (outcome.stopped) {
        status_->SetText("Calculating... Stopped: nothing was written.");
        return;
    }
    if (outcome.result) {
        shown_ = outcome.result;
        shownName_ = QString("%1 of %2").arg(outcome.method->title, QFileInfo(QString::fromStdString(outcome.input)).fileName());
        DrawChart();
    }
    if (!outcome.failure.empty()) {
        status_->SetError(QString::fromStdString(outcome.failure));
        return;
    }
    const QString note = QString::fromStdString(outcome.result->FlatSegmentsNote());
    status_->SetText(QString("Calculating... Done: [%1] and [%2].%3")
                         .arg(QString::fromStdString(outcome.files.fluctuations),
                              QString::fromStdString(outcome.files.spectrum), note.isEmpty() ? "" : " " + note));
}

void CMultifractalPage::DrawChart() {
    if (!shown_) return;
    const MultifractalResult& r = *shown_;
    if (chartKind_->currentIndex() == 0) {
        std::vector<std::vector<QPointF>> lines(r.q.size());
        QStringList names;
        for (size_t j = 0; j < r.q.size(); ++j) {
            for (size_t k = 0; k < r.scales.size(); ++k) lines[j].emplace_back(r.scales[k], r.fluctuation[j][k]);
            names << QString("q = %1").arg(r.q[j]);
        }
        chart_->ShowLogLogLines(lines, names, "F_q(n) — " + shownName_, "n", "F_q(n)");
        return;
    }
    const bool spectrum = chartKind_->currentIndex() == 2;
    std::vector<QPointF> points;
    for (size_t j = 0; j < r.q.size(); ++j) points.emplace_back(spectrum ? r.alpha[j] : r.q[j], spectrum ? r.f[j] : r.h[j]);
    chart_->ShowLine(points, (spectrum ? "f(α) — " : "h(q) — ") + shownName_, spectrum ? "α" : "q",
                     spectrum ? "f(α)" : "h(q)");
}

}  // namespace fractan::ui
