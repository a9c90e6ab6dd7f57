#pragma once
// Reading back what a run wrote, for display: the points (n, F) of a chart
// file with the least-squares line of log10 F against log10 n whose slope is
// the static variants' H, and the H series of an incremental file.

#include <cstdint>
#include <string>
#include <vector>

namespace fractan {

struct ChartPoint {
    double n = 0.0;
    double f = 0.0;
    int32_t line = 0;  // of the file it was read from (from 1); 0 when it was not read from one
};

// The points of the lines that begin with two numbers separated by white
// space (the chart's own lines have a tab); other lines are skipped. False when the file cannot be opened.
bool ReadChartPoints(const std::string& path, std::vector<ChartPoint>& points);

// log10 F = slope · log10 n + intercept, fitted over every point in order, as
// the static variants fit H: a point whose F is 0 or not a number makes the
// line not finite.
struct LogLogLine {
    double slope = 0.0;
    double intercept = 0.0;
};
LogLogLine FitLogLogLine(const std::vector<ChartPoint>& points);

struct HurstPoint {
    int32_t position = 0;
    double hurst = 0.0;
};

// The position and H of each result line of an incremental file (the last two
// of its tab-separated fields); other lines are skipped. False when the file
// cannot be opened.
bool ReadHurstSeries(const std::string& path, std::vector<HurstPoint>& points);

}  // namespace fractan
