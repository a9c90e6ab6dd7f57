#include "engine/result_reading.h"

#include <cstdio>

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

}  // namespace fractan
