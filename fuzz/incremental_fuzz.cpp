// An incremental file read back for the desktop's chart: the position and H of
// the lines that end with them, at most one a line.
#include "engine/result_reading.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    std::vector<HurstPoint> points;
    fuzz::Expect(ReadHurstSeries(fuzz::WriteScratch(data, size), points), "a written file can be read");
    size_t lines = 1;
    for (size_t i = 0; i < size; ++i) lines += data[i] == '\n';
    fuzz::Expect(points.size() <= lines, "at most a point a line");
    return 0;
}
