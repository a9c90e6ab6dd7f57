#include "slope/local_slope.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "engine/result_reading.h"
#include "setup/containers.h"
#include "setup/files.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
std::string LocalSlopePath(const std::string& chartPath) { return chartPath + ".localslope.txt"; }

int32_t LocalSlope(const std::string& chartPath, double width, double delta, bool* written) {
    if (written) *written = false;
    StopCheck stopRequested;
    std::vector<ChartPoint> points;
    if (!ReadChartPoints(chartPath, points)) return kChartNotOpened;
    if (points.empty()) {
        PrintFormatted("No chart point was read from [%s]: a chart's lines begin with two numbers, n and F(n).\n",
                       chartPath.c_str());
        return kLocalSlopeRefused;
    }
    if (!(width > 0.0)) {
        PrintFormatted("Window width is %g, it must be greater than 0.\n", width);
        return kLocalSlopeRefused;
    }
    if (!(delta > 0.0)) {
        PrintFormatted("Window delta is %g, it must be greater than 0.\n", delta);
        return kLocalSlopeRefused;
    }

    SampleArray xs, ys;
    for (const ChartPoint& point : points) {
        xs.Append(std::log10(point.n));
        ys.Append(std::log10(point.f));
    }

    SampleArray centres, slopes;
    if (!xs.Empty()) {
        const double xFirst = xs[0];
        const double xLast = xs.Last();
        if (!std::isfinite(xFirst) || !std::isfinite(xLast)) {
            PrintFormatted("Chart file [%s] has a first or last point that is not above 0.\n", chartPath.c_str());
            return kLocalSlopeRefused;
        }
        double c = (std::trunc(xFirst / delta) + 0.5) * delta;
        // A delta below the rounding step of the centres would never move them.
        if ((xLast - c) / delta > kMaxLocalSlopeWindows || !(c + delta > c)) {
            PrintFormatted("Window delta %g gives more than %.0f windows over the chart.\n", delta,
                           kMaxLocalSlopeWindows);
            return kLocalSlopeRefused;
        }
        const double half = width * 0.5;
        while (c < xLast) {
            if (stopRequested()) return kLocalSlopeStopped;
            double sx = 0, sy = 0, sxy = 0, sxx = 0;
            int32_t n = 0;
            for (int32_t k = 0; k < xs.Size(); ++k) {
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
                centres.Append(c);
                slopes.Append(LeastSquaresSlope(sx, sy, sxy, sxx, n));
            }
            c = c + delta;
        }
    }

    const std::string resultPath = LocalSlopePath(chartPath);
    std::FILE* result = std::fopen(resultPath.c_str(), "w");
    if (!result) {
        PrintFormatted("Errore nell'apertura el file %s\n", resultPath.c_str());
        return kLocalSlopeDone;
    }
    for (int32_t i = 0; i < centres.Size(); ++i) std::fprintf(result, "%g\t%g\n", centres[i], slopes[i]);
    if (!CloseWritten(result)) {
        PrintFormatted("Error writing local slope file [%s].\n", resultPath.c_str());
        return kLocalSlopeDone;
    }
    if (written) *written = true;
    return kLocalSlopeDone;
}

}  // namespace fractan
