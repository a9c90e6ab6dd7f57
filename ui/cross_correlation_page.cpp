#include "ui/cross_correlation_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "setup/series_loader.h"
#include "setup/stop.h"
#include "ui/form_widgets.h"
#include "ui/result_chart.h"
#include "ui/run_log.h"

namespace fractan::ui {

CCrossCorrelationPage::CCrossCorrelationPage(FormServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    runLog_ = new RunLog(this);
    auto fileRow = [this](QLineEdit*& field, const char* name, const char* browseName, const char* viewName) {
        field = TextField(name);
        field->setMinimumWidth(280);
        auto* browse = Button(browseName, "...");
        auto* view = Button(viewName, "View");
        connect(browse, &QPushButton::clicked, this, [this, field] { ChooseInput(field); });
        connect(view, &QPushButton::clicked, this, [this, field] { services_.ViewText(field->text()); });
        return Row({field, browse, view});
    };
    QWidget* firstRow = fileRow(first_, "inputFile", "inputBrowse", "inputView");
    QWidget* secondRow = fileRow(second_, "secondFile", "secondBrowse", "secondView");
    column_ = TextField("column");
    column_->setPlaceholderText("its number or header name; empty: the first");
    secondColumn_ = TextField("secondColumn");
    secondColumn_->setPlaceholderText("empty: as the first file's");
    QStringList methods;
    for (const CrossCorrelationMethod& method : CrossCorrelationMethods()) methods << method.title;
    method_ = ListField("method", methods);
    order_ = NumberField(DescriptionOf(kUsesOrder).field);
    boxes_ = TextField(DescriptionOf(kUsesBoxes).field);
    boxes_->setToolTip(DescriptionOf(kUsesBoxes).help);
    theta_ = NumberField("theta");
    theta_->setToolTip("0 backward, 0.5 centred, 1 forward moving average");
    least_ = NumberField("leastScale");
    most_ = NumberField("mostScale");
    for (QLineEdit* field : {least_, most_}) {
        field->setPlaceholderText("default");
        field->setToolTip("The least and greatest of 20 scales spread evenly in log n; empty: 4 (order + 2 when "
                          "above) and an eighth of the samples, or of the window");
    }
    window_ = NumberField("window");
    window_->setPlaceholderText("empty: static");
    window_->setToolTip("Sliding: ρ(n) of the W samples up to every step-th position");
    step_ = NumberField("step");
    integrate_ = new QCheckBox("Analyse the cumulative sums of the samples less their means");
    integrate_->setObjectName("integrate");
    auto* calculate = Button("calculate", "Calculate");
    auto* stop = Button("stop", "Stop");
    status_ = new PageStatus;
    chart_ = new ResultChart;
    chart_->setObjectName("chart");
    chart_->ShowNote("ρ(n) of two series is drawn here.");

    auto* group = new QGroupBox("Cross-correlation of two series");
    form_ = new QFormLayout(group);
    form_->addRow("First file", firstRow);
    form_->addRow("Column", column_);
    form_->addRow("Second file", secondRow);
    form_->addRow("Column", secondColumn_);
    form_->addRow("Method", method_);
    form_->addRow("Order", order_);
    form_->addRow("Boxes", boxes_);
    form_->addRow("θ", theta_);
    form_->addRow("Scales", CaptionedFields({{"from", least_}, {"to", most_}}));
    form_->addRow("Sliding", CaptionedFields({{"W", window_}, {"step", step_}}));
    form_->addRow(integrate_);
    auto* note = Note("n, F2xy, Fx, Fy and ρ at each scale (with a window, ρ at each scale along the series) are "
                      "written beside the first series, to its \".SECONDNAME.dcca.txt\" file (\".dmca.\" for "
                      "DMCA; \".sliding.txt\" with a window), and its closing lines to the log.");
    LayOutPage(this, Column({group, ButtonRow({calculate, stop}), status_, runLog_->Bar(), note}),
               LogAndChart(runLog_->Pane(), chart_));

    connect(calculate, &QPushButton::clicked, this, &CCrossCorrelationPage::Calculate);
    connect(stop, &QPushButton::clicked, this, &CCrossCorrelationPage::Stop);
    connect(method_, &QComboBox::currentIndexChanged, this, &CCrossCorrelationPage::ApplyMethodRules);

    // The command's defaults.
    const CrossCorrelationSettings defaults;
    method_->setCurrentIndex(0);
    order_->setText(QString::number(defaults.order));
    boxes_->setText(QString::fromStdString(defaults.boxes));
    theta_->setText(RealText(defaults.theta));
    step_->setText(QString::number(defaults.step));
    ApplyMethodRules();
    status_->SetText("Ready");
}

CCrossCorrelationPage::~CCrossCorrelationPage() { StopAndWait(); }

QString CCrossCorrelationPage::StatusText() const { return status_->Text(); }

bool CCrossCorrelationPage::WorkerBusy() const { return runLog_->Busy(); }

void CCrossCorrelationPage::StopAndWait() { runLog_->StopAndWait(); }

const CrossCorrelationMethod& CCrossCorrelationPage::ChosenMethod() const {
    return CrossCorrelationMethods()[size_t(std::max(0, method_->currentIndex()))];
}

void CCrossCorrelationPage::ApplyMethodRules() {
    const CrossCorrelationMethod& method = ChosenMethod();
    form_->setRowVisible(order_, (method.settings & kUsesOrder) != 0);
    form_->setRowVisible(boxes_, (method.settings & kUsesBoxes) != 0);
    form_->setRowVisible(theta_, method.family == MethodFamily::kDma);
}

void CCrossCorrelationPage::ChooseInput(QLineEdit* field) {
    const QString path = services_.OpenFile(
        "Text input files (*.txt)|*.txt|Binary input files (*.dat)|*.dat|Tables (*.csv)|*.csv|"
        "NumPy arrays (*.npy)|*.npy|All files (*.*)|*.*||",
        rememberedPath_);
    if (path.isEmpty()) return;
    rememberedPath_ = path;
    field->setText(path);
}

std::optional<CCrossCorrelationPage::Request> CCrossCorrelationPage::ReadRequest() {
    const CrossCorrelationMethod& method = ChosenMethod();
    Request request;
    CrossCorrelationSettings& s = request.settings;
    s.family = method.family;
    s.integrate = integrate_->isChecked();
    s.boxes = boxes_->text().trimmed().toStdString();
    FormReader read(&services_);
    // An empty field leaves the default (0); the fields a method does not read cannot stop it.
    auto optional = [&read](const QLineEdit* field, const QString& caption) {
        return field->text().trimmed().isEmpty() ? 0 : static_cast<int32_t>(read.Whole(field, caption, 1));
    };
    if (method.settings & kUsesOrder) s.order = static_cast<int32_t>(read.Whole(order_, "Order"));
    if (method.family == MethodFamily::kDma) s.theta = read.Real(theta_, "θ");
    request.least = optional(least_, "Scales from");
    request.most = optional(most_, "Scales to");
    s.window = optional(window_, "W");
    if (s.window > 0) s.step = static_cast<int32_t>(read.Whole(step_, "Step"));
    if (!read.Ok()) return std::nullopt;
    return request;
}

// What a calculation tells the page.
struct CCrossCorrelationPage::Outcome {
    std::string first, second;
    const CrossCorrelationMethod* method = nullptr;
    std::string path;  // the file written
    Refusal refusal;
    std::string failure;  // why nothing, or not all, was written
    bool stopped = false;
    std::shared_ptr<const CrossCorrelationResult> result;  // once written
};

void CCrossCorrelationPage::Calculate() {
    if (runLog_->Busy()) {
        status_->SetError("A calculation is running on this page: stop it or wait for its end.");
        return;
    }
    std::optional<Request> request = ReadRequest();
    if (!request) return;
    auto outcome = std::make_shared<Outcome>();
    outcome->first = first_->text().toStdString();
    outcome->second = second_->text().toStdString();
    outcome->method = &ChosenMethod();
    const std::string column = column_->text().trimmed().toStdString();
    const std::string secondColumn = secondColumn_->text().trimmed().toStdString();
    status_->SetText("Calculating...");
    status_->SetBusy(true);
    runLog_->Begin(QString("%1 of %2 and %3").arg(outcome->method->title, first_->text(), second_->text()));
    chart_->ShowNote("Calculating...");
    // Copies only: the form may change meanwhile.
    runLog_->StartInWorker(
        [r = *request, column, secondColumn, outcome]() mutable {
            // A load that fails names its file; one that a stop ends is a stop.
            auto load = [&outcome](const std::string& path, const std::string& column) {
                SeriesFile file = LoadSeriesFile(path, column);
                outcome->stopped = !file.reason.empty() && StopRequested();
                if (!outcome->stopped) outcome->failure = file.reason;
                return file;
            };
            const SeriesFile x = load(outcome->first, column);
            if (!x.reason.empty()) return;
            const SeriesFile y = load(outcome->second, secondColumn.empty() ? column : secondColumn);
            if (!y.reason.empty()) return;
            const std::string pair = "[" + outcome->first + "] and [" + outcome->second + "]: ";
            CrossCorrelationSettings& s = r.settings;
            s.scales = DefaultCrossCorrelationScales(s, x.samples.Size(), r.least, r.most);
            outcome->refusal = CheckCrossCorrelation(s, x.samples.Size(), y.samples.Size());
            if (outcome->refusal) {
                outcome->refusal.reason = pair + outcome->refusal.reason;
                return;
            }
            auto result =
                std::make_shared<CrossCorrelationResult>(AnalyseCrossCorrelation(x.Samples(), y.Samples(), s));
            outcome->stopped = result->status == AnalysisStatus::kStopped;
            if (outcome->stopped) return;
            if (result->status == AnalysisStatus::kRefused) {
                outcome->failure = pair + result->reason;
                return;
            }
            outcome->path = CrossCorrelationFileOf(outcome->first, outcome->second, *outcome->method,
                                                   result->Sliding());
            if (!WriteCrossCorrelationFile(outcome->path, *result)) {
                outcome->failure = "Cannot write [" + outcome->path + "].";
                return;
            }
            // Written, as the command writes it, though some ρ is not a number.
            if (result->status == AnalysisStatus::kNotFinite) outcome->failure = pair + result->reason;
            outcome->result = std::move(result);
        },
        [this, outcome] { Finished(*outcome); });
}

void CCrossCorrelationPage::Stop() {
    if (!runLog_->Busy()) return;
    status_->SetText("Stopping calculation...");
    runLog_->RequestStop();  // its end sets the status
}

void CCrossCorrelationPage::Finished(const Outcome& outcome) {
    status_->SetBusy(false);
    runLog_->End(outcome.stopped);
    if (outcome.stopped) {
        chart_->ShowNote("Stopped: no chart was drawn.");
        status_->SetText("Calculating... Stopped: nothing was written.");
        return;
    }
    if (outcome.refusal) return Refuse(outcome.refusal);
    if (outcome.result) {
        runLog_->AppendLine(QString("%1 file: [%2]").arg(outcome.method->title, QString::fromStdString(outcome.path)));
        for (const std::string& line : outcome.result->Summary()) runLog_->AppendLine(QString::fromStdString(line));
        DrawResult(*outcome.result, QString("%1 of %2 and %3")
                                        .arg(outcome.method->title,
                                             QFileInfo(QString::fromStdString(outcome.first)).fileName(),
                                             QFileInfo(QString::fromStdString(outcome.second)).fileName()));
    } else {
        chart_->ShowNote("Nothing was written: no chart was drawn.");
    }
    if (!outcome.failure.empty()) {
        runLog_->AppendLine(QString::fromStdString(outcome.failure));
        status_->SetError(QString::fromStdString(outcome.failure));
        return;
    }
    status_->SetText(QString("Calculating... Done: [%1].").arg(QString::fromStdString(outcome.path)));
}

// The reason in the log and the status line, and the cursor in the field at fault.
void CCrossCorrelationPage::Refuse(const Refusal& refusal) {
    const QString reason = QString::fromStdString(refusal.reason);
    runLog_->AppendLine(reason);
    status_->SetError(reason);
    chart_->ShowNote("Refused: nothing was written.");
    const std::string& field = refusal.field == "scales" ? "leastScale" : refusal.field == "series" ? "secondFile"
                                                                                                     : refusal.field;
    if (auto* widget = findChild<QWidget*>(QString::fromStdString(field))) widget->setFocus();
}

// Static: ρ against n, with the exponent. Sliding: ρ along the series, a line per scale.
void CCrossCorrelationPage::DrawResult(const CrossCorrelationResult& r, const QString& name) {
    std::vector<std::vector<QPointF>> lines;
    QStringList names;
    if (!r.Sliding()) {
        lines.emplace_back();
        for (size_t k = 0; k < r.scales.size(); ++k) lines[0].emplace_back(r.scales[k], r.rho[k]);
        const QString exponent = std::isfinite(r.exponent) ? QString("exponent %1").arg(r.exponent, 0, 'f', 4)
                                                           : QString("exponent not a number");
        chart_->ShowCoefficient(lines, {"ρ(n)"}, QString("ρ(n), %1 — %2").arg(exponent, name), "n", true);
        return;
    }
    lines.resize(r.scales.size());
    for (size_t k = 0; k < r.scales.size(); ++k) {
        for (size_t i = 0; i < r.positions.size(); ++i) lines[k].emplace_back(r.positions[i], r.rhoAlong[i][k]);
        names << QString("n = %1").arg(r.scales[k]);
    }
    chart_->ShowCoefficient(lines, names, "ρ along the series — " + name, "position (last sample of the window)",
                            false);
}

}  // namespace fractan::ui
