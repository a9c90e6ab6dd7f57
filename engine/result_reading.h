#pragma once
// Reading a chart file back: the points (n, F) that the local slope takes.

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

}  // namespace fractan
