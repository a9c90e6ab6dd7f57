#pragma once
// The local slope of a log-log chart: a window of fixed width slides along
// log10 of the first column in fixed steps, and the least-squares slope of
// log10 of the second column against it is taken inside each window.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/result_reading.h"

namespace fractan {

// What LocalSlope returns.
inline constexpr int32_t kLocalSlopeDone = 0;      // also when the result file could not be written
inline constexpr int32_t kLocalSlopeEmpty = 1;     // written, empty: no window holds two points
inline constexpr int32_t kChartNotOpened = -1;     // nothing written, no line
inline constexpr int32_t kLocalSlopeRefused = -2;  // a line said why; nothing written
inline constexpr int32_t kLocalSlopeStopped = -3;  // stopped; nothing written

// The most windows one call may visit.
inline constexpr double kMaxLocalSlopeWindows = 1e7;

// The local slope of chart points in memory: status kLocalSlopeDone,
// kLocalSlopeRefused (with the reason) or kLocalSlopeStopped.
struct LocalSlopeResult {
    int32_t status = kLocalSlopeDone;
    std::string reason;
    std::vector<double> centres, slopes;
};
// `source` names the points in a refusal ("Chart file [c.txt] has ...").
LocalSlopeResult LocalSlopeOf(const std::vector<ChartPoint>& points, double width, double delta,
                              const std::string& source = "The chart");

// chartPath + ".localslope.txt".
std::string LocalSlopePath(const std::string& chartPath);
// What is said of a result file that no window left a line in.
std::string EmptyLocalSlopeNote(const std::string& resultPath);

// Reads the chart's lines that begin with two numbers (tab or blanks between
// them; other lines are skipped), and writes one line "centre<TAB>slope" per
// window (c − width/2, c + width/2) that holds at least two points, for
// c = the middle of the delta-wide cell of the first point, then every delta
// while c lies below the last point. `written`, when given, tells whether the
// result file was written. A point whose n or F is not a finite number above
// 0 is refused, naming its line (its point, for points in memory); `reason`,
// when given, says why a refused chart is.
int32_t LocalSlope(const std::string& chartPath, double width, double delta, bool* written = nullptr,
                   std::string* reason = nullptr);

}  // namespace fractan
