#include "ui/local_slope_page.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

#include "engine/result_reading.h"
#include "setup/output.h"
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
    LayOutPage(this, Column({group, ButtonRow({run}), status_, note}), chart_);

    connect(browse, &QPushButton::clicked, this, &CLocalSlopePage::ChooseInput);
    connect(view, &QPushButton::clicked, this, [this] { services_.ViewText(input_->text()); });
    connect(run, &QPushButton::clicked, this, &CLocalSlopePage::GetLocalSlope);

    width_->setText(RealText(1.0));
    delta_->setText(RealText(0.1));
    status_->SetText("Ready");
}

QString CLocalSlopePage::StatusText() const { return status_->Text(); }

void CLocalSlopePage::ChooseInput() {
    const QString path = services_.OpenFileWithAllFiles("DMA/DFA chart files (*.txt)|*.txt|", rememberedPath_);
    if (!path.isEmpty()) input_->setText(path);
}

void CLocalSlopePage::GetLocalSlope() {
    FormReader read(&services_);
    const double width = read.Real(width_, "Window width");
    const double delta = read.Real(delta_, "Window delta");
    if (!read.Ok()) return;
    const std::string chart = input_->text().toStdString();
    status_->SetText("Calculating...");
    status_->ShowNow();
    int32_t outcome = 0;
    bool written = false;
    // A refusal (a width or delta of 0 or less, too many windows) says why in
    // a line, which goes to the status line.
    OutputCapture said;
    {
        WaitCursor wait;
        outcome = LocalSlope(chart, width, delta, &written);
    }
    const QString slopePath = QString::fromStdString(LocalSlopePath(chart));
    if (outcome == kChartNotOpened) {
        status_->SetText(QString("Cannot read the chart file [%1].").arg(input_->text()));
        return;
    }
    if (outcome == kLocalSlopeRefused) {
        const std::vector<std::string> lines = said.Lines();
        status_->SetText(lines.empty() ? QString("No local slope file was written.")
                                       : QString::fromStdString(lines.back()));
        return;
    }
    if (!written) {
        status_->SetText(QString("Cannot write [%1].").arg(slopePath));
        return;
    }
    status_->SetText("Calculating... Done.");
    services_.ViewText(slopePath);

    std::vector<ChartPoint> slopes;  // the centre and the slope of each window
    ReadChartPoints(slopePath.toStdString(), slopes);
    std::vector<QPointF> points;
    points.reserve(slopes.size());
    for (const ChartPoint& p : slopes) points.emplace_back(p.n, p.f);
    if (points.empty()) {
        chart_->ShowNote("No window holds two points of the chart: no slope to draw.");
        return;
    }
    chart_->ShowLine(points, QFileInfo(slopePath).fileName(), "log10 n (window centre)", "local slope");
}

}  // namespace fractan::ui
