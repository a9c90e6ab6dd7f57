#include "setup/binary_array.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

constexpr std::string_view kMagic = "\x93NUMPY";
// numpy's headers of plain arrays are a few hundred bytes.
constexpr uint32_t kLongestHeader = 1 << 16;
// Bytes read at a time: 4 MB.
constexpr int64_t kBlockBytes = 1 << 22;

// The text after "'key':" in the header's dictionary, or empty.
std::string_view ValueOf(std::string_view header, std::string_view key) {
    for (const char quote : {'\'', '"'}) {
        const std::string quoted = quote + std::string(key) + quote;
        size_t at = header.find(quoted);
        if (at == std::string_view::npos) continue;
        at = header.find_first_not_of(' ', at + quoted.size());
        if (at == std::string_view::npos || header[at] != ':') continue;
        at = header.find_first_not_of(' ', at + 1);
        return at == std::string_view::npos ? std::string_view() : header.substr(at);
    }
    return {};
}

// The sizes of "(1000,)" or "(1000, 3)"; false when it is not such a tuple.
bool ReadShape(std::string_view text, std::vector<int64_t>& sizes) {
    if (text.empty() || text[0] != '(') return false;
    const size_t close = text.find(')');
    if (close == std::string_view::npos) return false;
    text = text.substr(1, close - 1);
    while (!text.empty()) {
        const size_t comma = std::min(text.find(','), text.size());
        std::string_view size = text.substr(0, comma);
        size.remove_prefix(std::min(size.find_first_not_of(' '), size.size()));
        text.remove_prefix(std::min(comma + 1, text.size()));
        if (size.empty()) continue;  // after the trailing comma of "(1000,)"
        if (size.back() == 'L') size.remove_suffix(1);  // Python 2 wrote "1000L"
        int64_t value = 0;
        const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), value);
        if (error != std::errc() || value < 0 || size.find_first_not_of(' ', static_cast<size_t>(end - size.data())) !=
                                                     std::string_view::npos)
            return false;
        sizes.push_back(value);
    }
    return true;
}

// The element types read: little-endian floats and signed integers.
bool SetType(std::string_view type, BinaryArray& array) {
    struct Type {
        const char* name;
        char kind;
        int32_t size;
    };
    for (const Type& read : {Type{"<f8", 'f', 8}, Type{"<f4", 'f', 4}, Type{"<i4", 'i', 4}, Type{"<i8", 'i', 8}})
        if (type == read.name) {
            array.kind = read.kind;
            array.itemSize = read.size;
            return true;
        }
    return false;
}

// The refusal of the header's fields, or empty.
std::string FieldsRefusal(std::string_view header, BinaryArray& array) {
    const std::string_view descr = ValueOf(header, "descr");
    if (!descr.empty() && descr[0] == '[') return "its values are records of several fields, not numbers";
    const size_t close = descr.empty() ? std::string_view::npos : descr.find(descr[0], 1);
    if ((descr.empty() || (descr[0] != '\'' && descr[0] != '"')) || close == std::string_view::npos)
        return "its header gives no type of values";
    const std::string_view type = descr.substr(1, close - 1);
    if (!SetType(type, array))
        return "its values are of type '" + std::string(type) +
               "', which is not read: the types read are '<f8', '<f4', '<i4' and '<i8'";
    if (ValueOf(header, "fortran_order").starts_with("True"))
        return "its values are in Fortran order, column by column; save the array in C order (np.ascontiguousarray)";
    std::vector<int64_t> shape;
    if (!ReadShape(ValueOf(header, "shape"), shape)) return "its header gives no shape that can be read";
    if (shape.empty()) return "it holds a single value (shape ()), not a series";
    if (shape.size() > 2)
        return "its array has " + std::to_string(shape.size()) + " dimensions; a series is 1-D, or a column of a 2-D array";
    array.rows = shape[0];
    array.columns = shape.size() == 2 ? shape[1] : 1;
    return {};
}

template <class T>
T Stored(const unsigned char* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

double ValueAt(const unsigned char* bytes, const BinaryArray& array) {
    if (array.kind == 'f') return array.itemSize == 8 ? Stored<double>(bytes) : Stored<float>(bytes);
    return array.itemSize == 8 ? static_cast<double>(Stored<int64_t>(bytes)) : Stored<int32_t>(bytes);
}

bool SeekTo(std::FILE* file, int64_t byte) { return std::fseek(file, static_cast<long>(byte), SEEK_SET) == 0; }

}  // namespace

bool StartsAsNpy(std::FILE* file) {
    if (std::ftell(file) != 0) return false;
    char start[6] = {};
    const bool read = std::fread(start, 1, sizeof start, file) == sizeof start;
    std::fseek(file, 0, SEEK_SET);
    return read && std::string_view(start, sizeof start) == kMagic;
}

std::optional<BinaryArray> ReadNpyHeader(std::FILE* file, std::string& problem) {
    unsigned char start[12] = {};
    if (!SeekTo(file, 0) || std::fread(start, 1, 10, file) != 10 ||
        std::string_view(reinterpret_cast<const char*>(start), 6) != kMagic) {
        problem = "it does not start as a .npy file does";
        return std::nullopt;
    }
    const int major = start[6];
    uint32_t length = start[8] | uint32_t{start[9]} << 8;
    if (major == 2 || major == 3) {
        if (std::fread(start + 10, 1, 2, file) != 2) length = kLongestHeader + 1;
        length |= uint32_t{start[10]} << 16 | uint32_t{start[11]} << 24;
    } else if (major != 1) {
        problem = "its format version is " + std::to_string(major) + "." + std::to_string(start[7]) +
                  ", not 1.0, 2.0 or 3.0";
        return std::nullopt;
    }
    std::string header(std::min(length, kLongestHeader), '\0');
    if (length > kLongestHeader || std::fread(header.data(), 1, length, file) != length) {
        problem = "its header is cut short, or longer than that of any array of numbers";
        return std::nullopt;
    }
    BinaryArray array;
    array.dataStart = (major == 1 ? 10 : 12) + int64_t{length};
    problem = FieldsRefusal(header, array);
    if (!problem.empty()) return std::nullopt;
    struct stat info {};
    const int64_t after = ::fstat(fileno(file), &info) == 0 ? info.st_size - array.dataStart : 0;
    int64_t bytes = 0;
    if (__builtin_mul_overflow(array.rows, array.columns, &bytes) ||
        __builtin_mul_overflow(bytes, int64_t{array.itemSize}, &bytes) || bytes > after) {
        auto count = [](int64_t n, const char* noun) { return std::to_string(n) + noun + (n == 1 ? "" : "s"); };
        problem = "it ends before its values: its shape gives " + count(array.rows, " row") + " of " +
                  count(array.columns, " value") + " of " + std::to_string(array.itemSize) + " bytes, and " +
                  count(std::max<int64_t>(after, 0), " byte") + " follow its header";
        return std::nullopt;
    }
    return array;
}

bool ReadArrayColumn(std::FILE* file, const std::string& path, const BinaryArray& array, int64_t column,
                     int64_t first, int64_t count, double* out) {
    if (count <= 0) return true;
    StopCheck stopRequested;
    const int64_t size = array.itemSize, rowBytes = array.columns * size;
    bool read = SeekTo(file, array.dataStart + first * rowBytes);
    if (array.columns == 1 && array.kind == 'f' && size == 8) {
        // The values themselves, read in place.
        for (int64_t done = 0; read && done < count; done += kBlockBytes / 8) {
            if (stopRequested()) return false;
            const size_t block = static_cast<size_t>(std::min(kBlockBytes / 8, count - done));
            read = std::fread(out + done, 8, block, file) == block;
        }
    } else if (rowBytes <= kBlockBytes) {
        // Whole rows a block at a time, the column taken from each.
        const int64_t rows = kBlockBytes / rowBytes;
        std::vector<unsigned char> block(static_cast<size_t>(std::min(rows, count) * rowBytes));
        for (int64_t done = 0; read && done < count; done += rows) {
            if (stopRequested()) return false;
            const int64_t n = std::min(rows, count - done);
            read = std::fread(block.data(), static_cast<size_t>(rowBytes), static_cast<size_t>(n), file) ==
                   static_cast<size_t>(n);
            for (int64_t i = 0; read && i < n; ++i) out[done + i] = ValueAt(&block[i * rowBytes + column * size], array);
        }
    } else {
        // Rows longer than a block: each value on its own.
        unsigned char value[8];
        for (int64_t i = 0; read && i < count; ++i) {
            if (i % 1024 == 0 && stopRequested()) return false;
            read = SeekTo(file, array.dataStart + (first + i) * rowBytes + column * size) &&
                   std::fread(value, static_cast<size_t>(size), 1, file) == 1;
            if (read) out[i] = ValueAt(value, array);
        }
    }
    if (!read) PrintFormatted("Error reading file [%s]\n", path.c_str());
    return read;
}

}  // namespace fractan
