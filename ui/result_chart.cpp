#include "ui/result_chart.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace fractan::ui {
namespace {

// Log axes show labels only at whole decades: widen the range to them.
QLogValueAxis* DecadeAxis(double low, double high, const QString& title) {
    auto* axis = new QLogValueAxis;
    axis->setBase(10.0);
    axis->setTitleText(title);
    axis->setLabelFormat("%g");
    double lowDecade = std::pow(10.0, std::floor(std::log10(low)));
    double highDecade = std::pow(10.0, std::ceil(std::log10(high)));
    if (!(highDecade > lowDecade)) highDecade = lowDecade * 10.0;
    // A hair wider, so that rounding cannot drop the label of an end decade.
    axis->setRange(lowDecade * 0.9999, highDecade * 1.0001);
    axis->setMinorTickCount(8);
    return axis;
}

// Log axes over the points from `low` to `high`, attached to every series, the legend below.
void AttachDecadeAxes(QChart* chart, QPointF low, QPointF high, const QString& xTitle, const QString& yTitle) {
    auto* xAxis = DecadeAxis(low.x(), high.x(), xTitle);
    auto* yAxis = DecadeAxis(low.y(), high.y(), yTitle);
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
}

// A chart has far fewer pixels than a run may have positions: long lines are
// drawn through every k-th point, at most this many in all.
constexpr size_t kMostDrawn = 20000;

// The smallest box around the points drawn.
struct Extent {
    double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
    void Add(QPointF p) {
        xLow = std::min(xLow, p.x());
        xHigh = std::max(xHigh, p.x());
        yLow = std::min(yLow, p.y());
        yHigh = std::max(yHigh, p.y());
    }
};

// Adds the lines, coloured from blue to red in their order, the first and the
// last named in the legend, through every stride-th point that `drawable`
// accepts; `extent` grows to hold them. The points drawn.
template <class Drawable>
int AddColouredLines(QChart* chart, const std::vector<std::vector<QPointF>>& lines, const QStringList& names,
                     size_t stride, Extent& extent, Drawable drawable) {
    int drawn = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        auto* line = new QLineSeries;
        line->setName(names.value(qsizetype(i)));
        const double share = lines.size() > 1 ? double(i) / double(lines.size() - 1) : 0.0;
        line->setColor(QColor::fromHsvF(0.66 * (1.0 - share), 0.85, 0.85));
        for (size_t k = 0; k < lines[i].size(); k += std::max<size_t>(stride, 1)) {
            if (!drawable(lines[i][k])) continue;
            line->append(lines[i][k]);
            extent.Add(lines[i][k]);
        }
        line->setPointsVisible(line->count() <= 200);  // few points: each one is a value of its own
        drawn += static_cast<int>(line->count());
        chart->addSeries(line);
        if (i != 0 && i + 1 != lines.size())
            for (QLegendMarker* marker : chart->legend()->markers(line)) marker->setVisible(false);
    }
    return drawn;
}

}  // namespace

ResultChart::ResultChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(320, 240);
    ShowNote("The chart of a run's results appears here.");
}

void ResultChart::ShowNote(const QString& note) {
    auto* chart = new QChart;
    chart->setTitle(note);
    chart->legend()->hide();
    setChart(chart);  // the view owns the chart and deletes the previous one
    hurstText_.clear();
    plotted_ = 0;
}

void ResultChart::ShowScaling(const std::vector<int32_t>& scales, const std::vector<double>& fluctuations,
                              double hurst, const QString& name, const std::optional<HurstInterval>& interval) {
    auto* chart = new QChart;
    auto* scatter = new QScatterSeries;
    scatter->setName("F(n)");
    scatter->setMarkerSize(8.0);
    double nLow = INFINITY, nHigh = -INFINITY, fLow = INFINITY, fHigh = -INFINITY;
    double sumLogN = 0.0, sumLogF = 0.0;
    for (size_t i = 0; i < std::min(scales.size(), fluctuations.size()); ++i) {
        const double n = scales[i], f = fluctuations[i];
        // A log axis cannot place zero, negative or undefined values.
        if (!(n > 0.0 && f > 0.0 && std::isfinite(f))) continue;
        scatter->append(n, f);
        nLow = std::min(nLow, n);
        nHigh = std::max(nHigh, n);
        fLow = std::min(fLow, f);
        fHigh = std::max(fHigh, f);
        sumLogN += std::log10(n);
        sumLogF += std::log10(f);
    }
    plotted_ = static_cast<int>(scatter->count());
    hurstText_ = std::isfinite(hurst) ? QString("H = %1").arg(hurst, 0, 'f', 4) : QString("H is not a finite number");
    if (interval && interval->none.empty())
        hurstText_ += QString(", %1 % interval %2 … %3 (corrected H %4)")
                          .arg(100 * interval->level)
                          .arg(interval->low, 0, 'f', 4)
                          .arg(interval->high, 0, 'f', 4)
                          .arg(interval->corrected, 0, 'f', 4);
    else if (interval)
        hurstText_ += QString(", no interval: %1").arg(QString::fromStdString(interval->none));

    chart->setTitle(QString("%1 — %2").arg(hurstText_, name));
    if (plotted_ == 0) {
        chart->setTitle(QString("%1 — %2: no point can be drawn on logarithmic axes").arg(hurstText_, name));
        delete scatter;
        setChart(chart);
        return;
    }
    chart->addSeries(scatter);
    if (std::isfinite(hurst)) {
        // The least-squares line of slope H passes through the points' centre.
        // The lines of slope H, and of the interval's ends, through the points' centre.
        const double centreN = sumLogN / plotted_, centreF = sumLogF / plotted_;
        auto line = [&](double slope, const QString& caption, Qt::PenStyle style) {
            auto* fit = new QLineSeries;
            fit->setName(caption);
            for (double n : {nLow, nHigh}) {
                const double f = std::pow(10.0, centreF + slope * (std::log10(n) - centreN));
                fit->append(n, f);
                fLow = std::min(fLow, f);
                fHigh = std::max(fHigh, f);
            }
            chart->addSeries(fit);
            if (style == Qt::SolidLine) return;
            fit->setPen(QPen(Qt::gray, 1.5, style));
            if (caption.isEmpty())
                for (QLegendMarker* marker : chart->legend()->markers(fit)) marker->setVisible(false);
        };
        line(hurst, "least-squares line", Qt::SolidLine);
        if (interval && interval->none.empty()) {
            line(interval->low, "interval's ends", Qt::DashLine);
            line(interval->high, "", Qt::DashLine);
        }
    }
    AttachDecadeAxes(chart, {nLow, fLow}, {nHigh, fHigh}, "n", "F(n)");
    setChart(chart);
}

void ResultChart::ShowHurstSeries(const std::vector<int32_t>& positions, const std::vector<double>& hursts,
                                  const QString& name) {
    std::vector<QPointF> points;
    double sum = 0.0;
    for (size_t i = 0; i < std::min(positions.size(), hursts.size()); ++i) {
        if (!std::isfinite(hursts[i])) continue;
        points.emplace_back(positions[i], hursts[i]);
        sum += hursts[i];
    }
    const QString hurst = points.empty()
                              ? QString("H is not a finite number at any position")
                              : QString("mean H = %1 over %2 positions")
                                    .arg(sum / static_cast<double>(points.size()), 0, 'f', 4)
                                    .arg(points.size());
    ShowLine(points, QString("%1 — %2").arg(hurst, name), "position", "H");
    hurstText_ = hurst;
}

void ResultChart::ShowLine(const std::vector<QPointF>& points, const QString& title, const QString& xTitle,
                           const QString& yTitle) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    hurstText_.clear();
    const size_t stride = (points.size() + kMostDrawn - 1) / kMostDrawn;
    auto* line = new QLineSeries;
    double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
    for (size_t i = 0; i < points.size(); i += stride) {
        const QPointF& p = points[i];
        if (!std::isfinite(p.x()) || !std::isfinite(p.y())) continue;
        line->append(p);
        xLow = std::min(xLow, p.x());
        xHigh = std::max(xHigh, p.x());
        yLow = std::min(yLow, p.y());
        yHigh = std::max(yHigh, p.y());
    }
    plotted_ = static_cast<int>(line->count());
    line->setPointsVisible(plotted_ <= 200);  // few points: each one is a value of its own
    if (plotted_ == 0) {
        delete line;
        setChart(chart);
        return;
    }
    chart->addSeries(line);
    auto* xAxis = new QValueAxis;
    xAxis->setTitleText(stride > 1 ? QString("%1 (every %2th drawn)").arg(xTitle).arg(stride) : xTitle);
    xAxis->setLabelFormat("%g");
    xAxis->setRange(xLow, xHigh > xLow ? xHigh : xLow + 1.0);
    xAxis->applyNiceNumbers();
    auto* yAxis = new QValueAxis;
    yAxis->setTitleText(yTitle);
    yAxis->setLabelFormat("%g");
    const double margin = std::max(0.05, (yHigh - yLow) * 0.05);
    yAxis->setRange(yLow - margin, yHigh + margin);
    yAxis->applyNiceNumbers();
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    line->attachAxis(xAxis);
    line->attachAxis(yAxis);
    setChart(chart);
}

void ResultChart::ShowLogLogLines(const std::vector<std::vector<QPointF>>& lines, const QStringList& names,
                                  const QString& title, const QString& xTitle, const QString& yTitle) {
    auto* chart = new QChart;
    chart->setTitle(title);
    hurstText_.clear();
    Extent extent;
    plotted_ = AddColouredLines(chart, lines, names, 1, extent, [](QPointF p) {
        return p.x() > 0.0 && p.y() > 0.0 && std::isfinite(p.x()) && std::isfinite(p.y());
    });
    if (plotted_ == 0) {
        chart->setTitle(title + ": no point can be drawn on logarithmic axes");
        chart->removeAllSeries();
        chart->legend()->hide();
        setChart(chart);
        return;
    }
    AttachDecadeAxes(chart, {extent.xLow, extent.yLow}, {extent.xHigh, extent.yHigh}, xTitle, yTitle);
    setChart(chart);
}

void ResultChart::ShowCoefficient(const std::vector<std::vector<QPointF>>& lines, const QStringList& names,
                                  const QString& title, const QString& xTitle, bool logX) {
    auto* chart = new QChart;
    chart->setTitle(title);
    hurstText_.clear();
    size_t points = 0;
    for (const std::vector<QPointF>& line : lines) points += line.size();
    Extent extent;
    plotted_ = AddColouredLines(chart, lines, names, (points + kMostDrawn - 1) / kMostDrawn, extent, [logX](QPointF p) {
        return std::isfinite(p.x()) && std::isfinite(p.y()) && (!logX || p.x() > 0.0);
    });
    if (lines.size() < 2) chart->legend()->hide();
    if (plotted_ == 0) {
        chart->setTitle(title + ": no finite ρ to draw");
        setChart(chart);
        return;
    }
    QAbstractAxis* xAxis = nullptr;
    if (logX) {
        xAxis = DecadeAxis(extent.xLow, extent.xHigh, xTitle);
    } else {
        auto* linear = new QValueAxis;
        linear->setTitleText(xTitle);
        linear->setLabelFormat("%g");
        linear->setRange(extent.xLow, extent.xHigh > extent.xLow ? extent.xHigh : extent.xLow + 1.0);
        linear->applyNiceNumbers();
        xAxis = linear;
    }
    // The coefficient's whole range, so that its distance from 0 and ±1 reads at a glance.
    auto* yAxis = new QValueAxis;
    yAxis->setTitleText("ρ");
    yAxis->setRange(-1.0, 1.0);
    yAxis->setTickCount(9);
    yAxis->setLabelFormat("%.2f");
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    setChart(chart);
}

}  // namespace fractan::ui
