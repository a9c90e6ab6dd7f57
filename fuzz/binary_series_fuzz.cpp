// A binary series: the whole 8-byte groups as they are, from any offset, for
// the analyses and the cluster analysis alike, from the file or from its
// bytes kept by a files list's count.
#include <cstring>
#include <vector>

#include "clusters/cluster_analyzer.h"
#include "fuzz_support.h"
#include "setup/series_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    fuzz::Silence silence;
    ScopedOutputRedirect quiet(silence);
    if (size >= 6 && std::memcmp(data, "\x93NUMPY", 6) == 0) return 0;  // read as an array: npy_series_fuzz
    const std::string& path = fuzz::WriteScratch(data, size);
    const size_t numbers = size / 8;
    const int32_t offset = size > 0 ? data[0] % 4 : 0;
    const size_t kept = numbers > static_cast<size_t>(offset) ? numbers - offset : 0;

    SampleArray all;
    fuzz::Expect(LoadSeries(all, path, kBinaryInput, kAllSamples, offset) == (kept > 0), "every whole number is loaded");
    fuzz::Expect(static_cast<size_t>(all.Size()) == kept &&
                     (kept == 0 || std::memcmp(all.Data(), data + 8 * offset, 8 * kept) == 0),
                 "the numbers are the file's bytes");
    SampleArray sized;
    fuzz::Expect(LoadSeries(sized, path, kBinaryInput, static_cast<int32_t>(kept), offset) == true ||
                     kept == 0,
                 "a data size of what there is loads");
    KeptFiles keptFiles;  // as a files list counts a short file, and reads it again from memory
    fuzz::Expect(CountSamples(path, kBinaryInput, nullptr, {}, &keptFiles) == static_cast<int64_t>(numbers),
                 "the count is the whole numbers");
    SampleArray fromKept;
    fuzz::Expect(LoadSeries(fromKept, path, kBinaryInput, kAllSamples, offset, nullptr, {}, &keptFiles) == (kept > 0) &&
                     static_cast<size_t>(fromKept.Size()) == kept &&
                     (kept == 0 || std::memcmp(fromKept.Data(), data + 8 * offset, 8 * kept) == 0),
                 "the kept bytes load as the file does");
    ClusterAnalyzer clusters;
    fuzz::Expect(clusters.Load(path, kBinaryInput, offset, 1 << 30), "the cluster analysis reads what there is");
    fuzz::Expect(static_cast<size_t>(clusters.Series().Size()) == kept &&
                     (kept == 0 || std::memcmp(clusters.Series().Data(), data + 8 * offset, 8 * kept) == 0),
                 "the cluster analysis reads the same numbers");
    return 0;
}
