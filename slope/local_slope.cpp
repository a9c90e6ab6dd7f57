#include "slope/local_slope.h"

#include <cmath>
#include <cstdio>

#include "setup/containers.h"
#include "setup/files.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
std::string LocalSlopePath(const std::string& chartPath) { return chartPath + ".localslope.txt"; }

std::string EmptyLocalSlopeNote(const std::string& resultPath) {
    return "No window holds two points of the chart: [" + resultPath + "] is empty.";
}

LocalSlopeResult LocalSlopeOf(const std::vector<ChartPoint>& points, double width, double delta,
                              const std::string& source) {
    LocalSlopeResult result;
    result.status = kLocalSlopeRefused;
    if (!(width > 0.0)) result.reason = Formatted("Window width is %g, it must be greater than 0.", width);
    else if (!(delta > 0.0)) result.reason = Formatted("Window delta is %g, it must be greater than 0.", delta);
    if (!result.reason.empty()) return result;
    StopCheck stopRequested;
    std::vector<double> xs, ys;
    for (size_t k = 0; k < points.size(); ++k) {
        const ChartPoint& point = points[k];
        xs.push_back(std::log10(point.n));
        ys.push_back(std::log10(point.f));
        // Its logarithm would make every fit around it not a number.
        if (!std::isfinite(xs.back()) || !std::isfinite(ys.back())) {
            const bool badN = !std::isfinite(xs.back());
            result.reason = source + Formatted(", %s %lld: %s is %g; n and F must be finite and above 0.",
                                               point.line > 0 ? "line" : "point",
                                               static_cast<long long>(point.line > 0 ? point.line : k + 1),
                                               badN ? "n" : "F", badN ? point.n : point.f);
            return result;
        }
    }
    if (!xs.empty()) {
        const double xLast = xs.back();
        double c = (std::trunc(xs.front() / delta) + 0.5) * delta;
        // A delta below the rounding step of the centres would never move them.
        if ((xLast - c) / delta > kMaxLocalSlopeWindows || !(c + delta > c)) {
            result.reason = Formatted("Window delta %g gives more than %.0f windows over the chart.", delta,
                                      kMaxLocalSlopeWindows);
            return result;
        }
        const double half = width * 0.5;
        for (; c < xLast; c = c + delta) {
            if (stopRequested()) {
                result.status = kLocalSlopeStopped;
                return result;
            }
            double sx = 0, sy = 0, sxy = 0, sxx = 0;
            int32_t n = 0;
            for (size_t k = 0; k < xs.size(); ++k) {
                const double x = xs[k];
                if (c - half < x && x < c + half) {
                    const double y = ys[k];
                    sx += x;
                    sy += y;
                    sxy += x * y;
                    sxx += x * x;
                    ++n;
                }
            }
            if (n >= 2) {
                result.centres.push_back(c);
                result.slopes.push_back(LeastSquaresSlope(sx, sy, sxy, sxx, n));
            }
        }
    }
    result.status = kLocalSlopeDone;
    return result;
}

int32_t LocalSlope(const std::string& chartPath, double width, double delta, bool* written, std::string* reason) {
    if (written) *written = false;
    std::vector<ChartPoint> points;
    if (!ReadChartPoints(chartPath, points)) return kChartNotOpened;
    LocalSlopeResult slopes = LocalSlopeOf(points, width, delta, "Chart file [" + chartPath + "]");
    if (slopes.status == kLocalSlopeDone && points.empty()) {
        slopes.status = kLocalSlopeRefused;
        slopes.reason = "No chart point was read from [" + chartPath +
                        "]: a chart's lines begin with two numbers, n and F(n).";
    }
    if (slopes.status == kLocalSlopeRefused) {
        WriteOutput(slopes.reason + "\n");
        if (reason) *reason = slopes.reason;
    }
    if (slopes.status != kLocalSlopeDone) return slopes.status;

    const std::string resultPath = LocalSlopePath(chartPath);
    std::FILE* result = std::fopen(resultPath.c_str(), "w");
    if (!result) {
        PrintFormatted("Errore nell'apertura el file %s\n", resultPath.c_str());
        return kLocalSlopeDone;
    }
    for (size_t i = 0; i < slopes.centres.size(); ++i)
        std::fprintf(result, "%g\t%g\n", slopes.centres[i], slopes.slopes[i]);
    if (!CloseWritten(result)) {
        PrintFormatted("Error writing local slope file [%s].\n", resultPath.c_str());
        return kLocalSlopeDone;
    }
    if (written) *written = true;
    return slopes.centres.empty() ? kLocalSlopeEmpty : kLocalSlopeDone;
}

}  // namespace fractan
