// A .npy array: numpy's magic bytes, then the input (the version, the header
// and the values). Its header is read or refused with a reason; a column that
// is read holds the values of its rows, decoded here from the bytes, for the
// analyses' loader, the count, a stretch and the cluster analysis alike. The
// column is chosen by the input's length: none, the first or the second.
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "clusters/cluster_analyzer.h"
#include "fuzz_support.h"
#include "setup/binary_array.h"
#include "setup/series_loader.h"

namespace {

// The value at `at` of the file's bytes, as its type says, by its bits.
uint64_t Bits(double x) { return std::isnan(x) ? 0x7FF8000000000000u : std::bit_cast<uint64_t>(x); }

uint64_t BitsAt(const std::string& bytes, size_t at, const fractan::BinaryArray& array) {
    double f8 = 0.0;
    float f4 = 0.0f;
    int64_t i8 = 0;
    int32_t i4 = 0;
    if (array.kind == 'f' && array.itemSize == 8) return Bits((std::memcpy(&f8, &bytes[at], 8), f8));
    if (array.kind == 'f') return Bits((std::memcpy(&f4, &bytes[at], 4), f4));
    if (array.itemSize == 8) return Bits((std::memcpy(&i8, &bytes[at], 8), static_cast<double>(i8)));
    return Bits((std::memcpy(&i4, &bytes[at], 4), i4));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    fuzz::Silence silence;
    ScopedOutputRedirect quiet(silence);
    const std::string bytes = "\x93NUMPY" + std::string(reinterpret_cast<const char*>(data), size);
    const std::string& path =
        fuzz::WriteScratch(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "input.npy");
    const std::string column = size % 3 == 0 ? "" : std::to_string(size % 3);

    std::string problem;
    std::optional<BinaryArray> array;
    {
        const FilePtr file(std::fopen(path.c_str(), "rb"));
        array = ReadNpyHeader(file.get(), problem);
    }
    fuzz::Expect(array.has_value() == problem.empty(), "a header is read, or refused with a reason");
    const int64_t index = column.empty() ? 0 : std::stoll(column) - 1;
    const bool readable = array && index < array->columns;
    std::vector<uint64_t> expected;
    for (int64_t row = 0; readable && row < array->rows; ++row)
        expected.push_back(BitsAt(bytes, static_cast<size_t>(array->dataStart + (row * array->columns + index) *
                                                                                    array->itemSize), *array));

    SampleArray all;
    SeriesNote note;
    fuzz::Expect(LoadSeries(all, path, kTextInput, kAllSamples, 0, &note, column) == !expected.empty(),
                 "every row is loaded, or none when there is none");
    fuzz::Expect(readable || !note.failure.empty(), "a file that is not read says why");
    std::vector<uint64_t> loaded;
    for (double x : all) loaded.push_back(Bits(x));
    fuzz::Expect(loaded == expected, "the loaded samples are the column's values");
    fuzz::Expect(CountSamples(path, kBinaryInput, &note, column) == (readable ? array->rows : -1),
                 "the count is the rows'");
    if (expected.size() >= 2) {  // a stretch from an offset
        SampleArray part;
        fuzz::Expect(LoadSeries(part, path, kBinaryInput, 1, static_cast<int32_t>(expected.size()) - 1, nullptr,
                                column) && part.Size() == 1 && Bits(part[0]) == expected.back(),
                     "a stretch is the column's values");
    }
    ClusterAnalyzer clusters;
    fuzz::Expect(clusters.Load(path, kTextInput, 0, 1 << 30, column) == readable,
                 "the cluster analysis reads what there is");
    loaded.clear();
    for (double x : clusters.Series()) loaded.push_back(Bits(x));
    fuzz::Expect(loaded == expected, "the cluster analysis reads the same values");
    return 0;
}
