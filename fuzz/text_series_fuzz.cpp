// A text series: the analyses' loader, the count and the cluster analysis's
// read give the numbers an independent reading gives, bit for bit: a plain
// strtod reading of the words (after a header line) up to the first word that
// is not one (or that is longer than kLongestWord), or the column of a
// table's rows, each cell whole, to the end; a table row without a number in
// the column loads nothing. No sample without a value, none invented. The
// header and the separator are the loader's (ReadTextLayout); the column is
// chosen by the input's length: none, by number, or by the header's second name.
// The file's bytes kept by the count of a files list load the same numbers.
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "clusters/cluster_analyzer.h"
#include "fuzz_support.h"
#include "setup/number_scanner.h"
#include "setup/series_loader.h"
#include "setup/text_table.h"

namespace {

using fractan::kLongestWord;

uint64_t Bits(double x) { return std::isnan(x) ? 0x7FF8000000000000u : std::bit_cast<uint64_t>(x); }

bool Same(const double* a, const std::vector<double>& b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Bits(a[i]) != Bits(b[i])) return false;
    return true;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The number the whole text is, by strtod.
std::optional<double> Whole(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || Blank(text[0]) || text[0] == '\n' || end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

// The words of the text read by strtod up to the first that is not a number.
std::vector<double> PlainNumbers(const std::string& text) {
    std::vector<double> numbers;
    const char* p = text.c_str();
    for (char* end = nullptr;; p = end) {
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
        const double value = std::strtod(p, &end);
        if (end == p || std::strcspn(p, " \t\n\v\f\r") > kLongestWord) break;
        numbers.push_back(value);
    }
    return numbers;
}

// The column of every row that is not blank; nothing when a row has no number there.
std::optional<std::vector<double>> TableNumbers(const std::string& text, char separator, size_t column) {
    std::vector<double> numbers;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.size() > kLongestWord) return std::nullopt;
        if (std::all_of(line.begin(), line.end(), Blank)) continue;
        std::vector<std::string> cells;
        for (size_t i = 0; i < line.size();) {
            if (separator == ' ') {
                while (i < line.size() && Blank(line[i])) ++i;
                const size_t from = i;
                while (i < line.size() && !Blank(line[i])) ++i;
                if (i > from) cells.push_back(line.substr(from, i - from));
                continue;
            }
            const size_t next = std::min(line.find(separator, i), line.size());
            std::string cell = line.substr(i, next - i);
            while (!cell.empty() && Blank(cell.back())) cell.pop_back();
            cells.push_back(cell.substr(std::min(cell.size(), cell.find_first_not_of(" \t\r\v\f"))));
            i = next + 1;
            if (next + 1 == line.size()) cells.emplace_back();  // after a separator at the end
        }
        if (column >= cells.size()) return std::nullopt;
        std::string cell = cells[column];
        std::optional<double> value = Whole(cell);
        if (!value && separator == ';' && std::count(cell.begin(), cell.end(), ',') == 1 &&
            cell.find('.') == std::string::npos) {
            cell[cell.find(',')] = '.';
            value = Whole(cell);
        }
        if (!value) return std::nullopt;
        numbers.push_back(*value);
    }
    return numbers;
}

fractan::TextLayout LayoutOf(const std::string& path, const std::string& column) {
    const fractan::FilePtr file(std::fopen(path.c_str(), "r"));
    return fractan::ReadTextLayout(file.get(), column);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    fuzz::Silence silence;
    ScopedOutputRedirect quiet(silence);
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (text.starts_with("\x93NUMPY")) return 0;  // read as an array: npy_series_fuzz
    const std::string& path = fuzz::WriteScratch(data, size);

    const std::vector<std::string> names = LayoutOf(path, "").names;
    const std::string column = size % 4 == 0 ? "" : size % 4 == 3 && names.size() > 1 ? names[1] : std::to_string(size % 4);
    const TextLayout layout = LayoutOf(path, column);
    const std::string body = text.substr(static_cast<size_t>(layout.dataStart));
    const std::optional<std::vector<double>> found =
        !layout.problem.empty() ? std::nullopt
        : layout.table          ? TableNumbers(body, layout.separator, static_cast<size_t>(layout.column))
                                : PlainNumbers(body);
    const std::vector<double> expected = found.value_or(std::vector<double>{});

    SampleArray all;
    const bool loaded = LoadSeries(all, path, kTextInput, kAllSamples, 0, nullptr, column);
    fuzz::Expect(loaded == !expected.empty(), "every sample is loaded, or none when there is none");
    fuzz::Expect(static_cast<size_t>(all.Size()) == expected.size() && Same(all.Data(), expected, expected.size()),
                 "the loaded samples are the file's numbers");
    if (expected.size() >= 2) {  // a stretch from an offset
        SampleArray part;
        fuzz::Expect(LoadSeries(part, path, kTextInput, 1, static_cast<int32_t>(expected.size()) - 1, nullptr, column) &&
                         part.Size() == 1 && Bits(part[0]) == Bits(expected.back()),
                     "a stretch is the file's numbers");
    }
    ClusterAnalyzer clusters;
    fuzz::Expect(clusters.Load(path, kTextInput, 0, 1 << 30, column) == found.has_value(),
                 "the cluster analysis reads what there is");
    fuzz::Expect(static_cast<size_t>(clusters.Series().Size()) == expected.size() &&
                     Same(clusters.Series().Data(), expected, expected.size()),
                 "the cluster analysis reads the same numbers");
    // A files list counts a short file with its bytes kept, and reads them again from memory.
    SeriesNote note;
    KeptFiles keptFiles;
    fuzz::Expect(CountSamples(path, kTextInput, &note, column, &keptFiles) ==
                     (found ? static_cast<int64_t>(expected.size()) : -1),
                 "the count is the numbers'");
    SampleArray fromKept;
    fuzz::Expect(LoadSeries(fromKept, path, kTextInput, kAllSamples, 0, nullptr, column, &keptFiles) == loaded &&
                     fromKept.Size() == all.Size() && Same(fromKept.Data(), expected, expected.size()),
                 "the kept bytes load as the file does");
    return 0;
}
