// A text series: the analyses' loader and the cluster analysis's read the
// numbers a plain strtod reading of the words gives, bit for bit, up to the
// first word that is not one (or that is longer than kLongestWord): no sample
// without a value, none invented.
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "clusters/cluster_analyzer.h"
#include "fuzz_support.h"
#include "setup/number_scanner.h"
#include "setup/series_loader.h"

namespace {

uint64_t Bits(double x) { return std::isnan(x) ? 0x7FF8000000000000u : std::bit_cast<uint64_t>(x); }

bool Same(const double* a, const std::vector<double>& b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Bits(a[i]) != Bits(b[i])) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    fuzz::Silence silence;
    ScopedOutputRedirect quiet(silence);
    const std::string& path = fuzz::WriteScratch(data, size);

    // Text after a UTF-8 byte-order mark at the start, NUL-terminated for strtod.
    std::string text(reinterpret_cast<const char*>(data), size);
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    std::vector<double> expected;
    const char* p = text.c_str();
    for (char* end = nullptr;; p = end) {
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
        const double value = std::strtod(p, &end);
        if (end == p || std::strcspn(p, " \t\n\v\f\r") > kLongestWord) break;
        expected.push_back(value);
    }

    SampleArray all;
    const bool loaded = LoadSeries(all, path, kTextInput, kAllSamples, 0);
    fuzz::Expect(loaded == !expected.empty(), "every sample is loaded, or none when there is none");
    fuzz::Expect(static_cast<size_t>(all.Size()) == expected.size() && Same(all.Data(), expected, expected.size()),
                 "the loaded samples are the file's numbers");
    if (expected.size() >= 2) {  // a stretch from an offset
        SampleArray part;
        fuzz::Expect(LoadSeries(part, path, kTextInput, 1, static_cast<int32_t>(expected.size()) - 1) && part.Size() == 1 &&
                         Bits(part[0]) == Bits(expected.back()),
                     "a stretch is the file's numbers");
    }
    ClusterAnalyzer clusters;
    fuzz::Expect(clusters.LoadTextSeries(path, 0, 1 << 30), "the cluster analysis reads what there is");
    fuzz::Expect(static_cast<size_t>(clusters.Series().Size()) == expected.size() &&
                     Same(clusters.Series().Data(), expected, expected.size()),
                 "the cluster analysis reads the same numbers");
    SeriesNote note;
    fuzz::Expect(CountSamples(path, kTextInput, &note) == static_cast<int64_t>(expected.size()), "the count is the numbers'");
    return 0;
}
