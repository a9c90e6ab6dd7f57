#pragma once
// The log-log chart of a static run: F(n) against n on logarithmic axes, with
// the least-squares line whose slope is H.

#include <QChartView>
#include <QString>

#include <vector>

#include "engine/chart_file.h"

namespace fractan::ui {

class LogLogChart : public QChartView {
    Q_OBJECT
public:
    explicit LogLogChart(QWidget* parent = nullptr);

    // Plots a chart file; false, with a note in place of the chart, when it
    // cannot be read or holds no point.
    bool ShowChartFile(const QString& path);
    void ShowPoints(const std::vector<ChartPoint>& points, const QString& name);
    // An empty chart with a note.
    void ShowNote(const QString& note);

    // What the chart says of H ("H = 0.5123"), for the tests and the title.
    const QString& HurstText() const { return hurstText_; }
    int PlottedPoints() const { return plotted_; }

private:
    QString hurstText_;
    int plotted_ = 0;
};

}  // namespace fractan::ui
