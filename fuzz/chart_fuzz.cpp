// A chart file, as the local slope reads it: the
// points of the lines that begin with two numbers, and a local slope of them
// that ends in time.
#include <cmath>

#include "engine/result_reading.h"
#include "fuzz_support.h"
#include "slope/local_slope.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    fuzz::Silence silence;
    ScopedOutputRedirect quiet(silence);
    std::vector<ChartPoint> points;
    fuzz::Expect(ReadChartPoints(fuzz::WriteScratch(data, size), points), "a written chart can be read");
    size_t lines = 1;
    for (size_t i = 0; i < size; ++i) lines += data[i] == '\n';
    fuzz::Expect(points.size() <= lines, "at most a point a line");
    const LocalSlopeResult slopes = LocalSlopeOf(points, 0.5, 0.05);
    fuzz::Expect(slopes.centres.size() == slopes.slopes.size(), "a slope for every centre");
    if (slopes.status == kLocalSlopeDone)
        for (double c : slopes.centres) fuzz::Expect(std::isfinite(c), "every centre is a number");
    return 0;
}
