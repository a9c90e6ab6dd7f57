#include "ui/local_slope_page.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

#include "engine/result_reading.h"
#include "slope/local_slope.h"
#include "ui/form_widgets.h"
#include "ui/result_chart.h"

namespace fractan::ui {

CLocalSlopePage::CLocalSlopePage(FormServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    input_ = TextField("inputFile");
    input_->setReadOnly(true);
    input_->setMinimumWidth(320);
    auto* browse = Button("inputBrowse", "...");
    auto* view = Button("inputView", "View");
    width_ = NumberField("windowWidth");
    delta_ = NumberField("windowDelta");
    auto* run = Button("getLocalSlope", "Get local slope");
    auto* stop = Button("stop", "Stop");
    status_ = new PageStatus;
    chart_ = new ResultChart;
    chart_->setObjectName("chart");
    chart_->ShowNote("The local slope of a chart file is drawn here.");

    auto* group = new QGroupBox("Local slope of a chart file");
    auto* form = new QFormLayout(group);
    form->addRow("Input file:", Row({input_, browse, view}));
    form->addRow("Window width", width_);
    form->addRow("Window delta", delta_);
    auto* note = Note(
        "A window of the given width (in decades of n) slides along the chart in steps of the given "
        "delta; the least-squares slope of log F against log n inside each window is written to the "
        "chart's \".localslope.txt\" file.");
    LayOutPage(this, Column({group, ButtonRow({run, stop}), status_, note}), chart_);

    connect(browse, &QPushButton::clicked, this, &CLocalSlopePage::ChooseInput);
    connect(view, &QPushButton::clicked, this, [this] { services_.ViewText(input_->text()); });
    connect(run, &QPushButton::clicked, this, &CLocalSlopePage::GetLocalSlope);
    connect(stop, &QPushButton::clicked, this, &CLocalSlopePage::Stop);
    worker_ = std::make_unique<WorkerThread>(this, output_);

    width_->setText(RealText(1.0));
    delta_->setText(RealText(0.1));
    status_->SetText("Ready");
}

CLocalSlopePage::~CLocalSlopePage() { StopAndWait(); }

QString CLocalSlopePage::StatusText() const { return status_->Text(); }

void CLocalSlopePage::ChooseInput() {
    const QString path = services_.OpenFileWithAllFiles("DMA/DFA chart files (*.txt)|*.txt|", rememberedPath_);
    if (!path.isEmpty()) input_->setText(path);
}

// What a calculation tells the page.
struct CLocalSlopePage::Outcome {
    int32_t code = kLocalSlopeDone;
    bool written = false;
    std::string reason;  // of a refusal
};

void CLocalSlopePage::GetLocalSlope() {
    if (worker_->Busy()) {
        status_->SetError("The local slope is being calculated: stop it or wait for its end.");
        return;
    }
    FormReader read(&services_);
    const double width = read.Real(width_, "Window width");
    const double delta = read.Real(delta_, "Window delta");
    if (!read.Ok()) return;
    const std::string chart = input_->text().toStdString();
    status_->SetText("Calculating...");
    status_->SetBusy(true);
    output_.Take();  // the lines of an earlier calculation
    // A refusal (a width or delta of 0 or less, too many windows) says why in the status line.
    auto outcome = std::make_shared<Outcome>();
    worker_->Start([chart, width, delta, outcome] {
                       outcome->code = LocalSlope(chart, width, delta, &outcome->written, &outcome->reason);
                   },
                   [this, chart, outcome] { Finished(chart, *outcome); });
}

void CLocalSlopePage::Stop() {
    if (!worker_->Busy()) return;
    status_->SetText("Stopping calculation...");
    worker_->RequestStop();  // its end sets the status
}

void CLocalSlopePage::StopAndWait() { worker_->StopAndWait(); }

void CLocalSlopePage::Finished(const std::string& chart, const Outcome& outcome) {
    status_->SetBusy(false);
    const QString slopePath = QString::fromStdString(LocalSlopePath(chart));
    switch (outcome.code) {
        case kChartNotOpened:
            status_->SetError(QString("Cannot read the chart file [%1].").arg(QString::fromStdString(chart)));
            return;
        case kLocalSlopeRefused:
            status_->SetError(QString::fromStdString(outcome.reason));
            return;
        case kLocalSlopeStopped:
            status_->SetText("Calculating... Stopped: nothing was written.");
            return;
        default:
            break;
    }
    if (!outcome.written) {
        status_->SetError(QString("Cannot write [%1].").arg(slopePath));
        return;
    }
    status_->SetText("Calculating... Done.");
    DrawSlopes(slopePath);
}

void CLocalSlopePage::DrawSlopes(const QString& slopePath) {
    std::vector<ChartPoint> slopes;  // the centre and the slope of each window
    ReadChartPoints(slopePath.toStdString(), slopes);
    if (slopes.empty()) {
        // Not a chart file, or one whose points are too far apart for the width.
        status_->SetText("Calculating... Done. " + QString::fromStdString(EmptyLocalSlopeNote(slopePath.toStdString())));
        chart_->ShowNote("No window holds two points of the chart: no slope to draw.");
        return;
    }
    services_.ViewText(slopePath);
    std::vector<QPointF> points;
    points.reserve(slopes.size());
    for (const ChartPoint& p : slopes) points.emplace_back(p.n, p.f);
    chart_->ShowLine(points, QFileInfo(slopePath).fileName(), "log10 n (window centre)", "local slope");
}

}  // namespace fractan::ui
