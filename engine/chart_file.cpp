#include "engine/chart_file.h"

#include <cmath>
#include <cstdio>

#include "engine/dma_frames.h"
#include "setup/files.h"

namespace fractan {

bool ReadChartPoints(const std::string& path, std::vector<ChartPoint>& points) {
    std::FILE* file = OpenRegularFile(path, "r");
    if (!file) return false;
    std::string line;
    int c = 0;
    while (c != EOF) {
        line.clear();
        while ((c = std::fgetc(file)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        ChartPoint point;
        if (std::sscanf(line.c_str(), "%lf\t%lf", &point.n, &point.f) == 2) points.push_back(point);
    }
    std::fclose(file);
    return true;
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
