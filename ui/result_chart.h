#pragma once
// The chart of a run's results: for a static run, F(n) against n on
// logarithmic axes with the least-squares line whose slope is H; for a dynamic
// run, H against the position in the series; any other line on linear axes,
// and a coefficient against n or along the series.

#include <QChartView>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/interval.h"

namespace fractan::ui {

class ResultChart : public QChartView {
    Q_OBJECT
public:
    explicit ResultChart(QWidget* parent = nullptr);

    // A static run's F at its scales n, and the line of slope H through
    // them; `name`: the input's, for the title. With an interval on H, its
    // ends as dashed lines through the points' centre, and it in the title.
    void ShowScaling(const std::vector<int32_t>& scales, const std::vector<double>& fluctuations, double hurst,
                     const QString& name, const std::optional<HurstInterval>& interval = {});
    // A dynamic run's H at each position.
    void ShowHurstSeries(const std::vector<int32_t>& positions, const std::vector<double>& hursts,
                         const QString& name);
    // A line through the points on linear axes, through every k-th point
    // when there are more than 20000; points that are not finite are left out.
    void ShowLine(const std::vector<QPointF>& points, const QString& title, const QString& xTitle,
                  const QString& yTitle);
    // Lines on logarithmic axes, coloured from blue to red in their order,
    // the first and the last named in the legend; points that cannot be
    // placed on them are left out.
    void ShowLogLogLines(const std::vector<std::vector<QPointF>>& lines, const QStringList& names,
                         const QString& title, const QString& xTitle, const QString& yTitle);
    // ρ on a fixed axis from −1 to 1, a line per scale (coloured and named as
    // above, no legend for one), against n on a logarithmic axis or along
    // the series on a linear one; points that are not finite are left out,
    // and long lines are drawn through every k-th point.
    void ShowCoefficient(const std::vector<std::vector<QPointF>>& lines, const QStringList& names,
                         const QString& title, const QString& xTitle, bool logX);
    // An empty chart with a note.
    void ShowNote(const QString& note);

    // What the chart says of H ("H = 0.5123", "mean H = 0.5123 over 90
    // positions"), for the tests and the title.
    const QString& HurstText() const { return hurstText_; }
    int PlottedPoints() const { return plotted_; }

private:
    QString hurstText_;
    int plotted_ = 0;
};

}  // namespace fractan::ui
