#include "engine/result_reading.h"

#include <cmath>
#include <cstdio>

#include "engine/dma_frames.h"
#include "setup/files.h"

namespace fractan {

namespace {

// Calls `take` with each line of the file, without its line end.
template <class Take>
bool ForEachLine(const std::string& path, Take take) {
    std::FILE* file = OpenRegularFile(path, "r");
    if (!file) return false;
    std::string line;
    int c = 0;
    while (c != EOF) {
        line.clear();
        while ((c = std::fgetc(file)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        take(line);
    }
    std::fclose(file);
    return true;
}

}  // namespace

bool ReadChartPoints(const std::string& path, std::vector<ChartPoint>& points) {
    int32_t number = 0;
    return ForEachLine(path, [&](const std::string& line) {
        ChartPoint point;
        point.line = ++number;
        if (std::sscanf(line.c_str(), "%lf\t%lf", &point.n, &point.f) == 2) points.push_back(point);
    });
}

bool ReadHurstSeries(const std::string& path, std::vector<HurstPoint>& points) {
    return ForEachLine(path, [&](const std::string& line) {
        // The file name comes first and may hold blanks: read from the end.
        const size_t lastTab = line.rfind('\t');
        if (lastTab == std::string::npos || lastTab == 0) return;
        const size_t positionTab = line.rfind('\t', lastTab - 1);
        if (positionTab == std::string::npos) return;
        HurstPoint point;
        char end = 0;
        if (std::sscanf(line.c_str() + positionTab + 1, "%d%c", &point.position, &end) != 2 || end != '\t') return;
        if (std::sscanf(line.c_str() + lastTab + 1, "%lf", &point.hurst) != 1) return;
        points.push_back(point);
    });
}

LogLogLine FitLogLogLine(const std::vector<ChartPoint>& points) {
    LogLogFit fit;
    for (const ChartPoint& p : points) fit.Add(std::log10(p.n), std::log10(p.f));
    const int32_t count = static_cast<int32_t>(points.size());
    LogLogLine line;
    line.slope = fit.Slope(count);
    line.intercept = (fit.sy - line.slope * fit.sx) / count;
    return line;
}

}  // namespace fractan
