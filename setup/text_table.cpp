#include "setup/text_table.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "setup/line_reader.h"
#include "setup/number_scanner.h"

namespace fractan {
namespace {

constexpr size_t kRowBuffer = 1 << 18;
constexpr size_t npos = std::string_view::npos;

// White space within a line.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The cells of a line: apart by the separator, each trimmed, or by runs of
// blanks for ' '.
std::vector<std::string_view> CellsOf(std::string_view line, char separator) {
    std::vector<std::string_view> cells;
    if (separator == ' ') {
        for (size_t i = 0;;) {
            while (i < line.size() && IsBlank(line[i])) ++i;
            if (i == line.size()) return cells;
            const size_t start = i;
            while (i < line.size() && !IsBlank(line[i])) ++i;
            cells.push_back(line.substr(start, i - start));
        }
    }
    for (size_t start = 0;;) {
        const size_t end = line.find(separator, start);
        cells.push_back(TrimBlanks(line.substr(start, end == npos ? npos : end - start)));
        if (end == npos) return cells;
        start = end + 1;
    }
}

// "3,14", "-0,5": a number with a decimal comma, or two whole numbers apart by one.
bool IsDecimalCommaNumber(std::string_view text) {
    const size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+');
    const size_t comma = text.find(',');
    auto digits = [&](size_t from, size_t to) {
        return to > from && std::all_of(text.begin() + from, text.begin() + to, [](char c) { return c >= '0' && c <= '9'; });
    };
    return comma != npos && digits(sign, comma) && digits(comma + 1, text.size());
}

// A number written with a decimal comma ("3,14", "-1,5e-3"), read with a point.
bool ParseDecimalComma(std::string_view cell, double& value) {
    if (std::count(cell.begin(), cell.end(), ',') != 1 || cell.find('.') != npos) return false;
    std::string pointed(cell);
    pointed[pointed.find(',')] = '.';
    return ParseWholeNumber(pointed.data(), pointed.data() + pointed.size(), value);
}

// What a cell is taken for in telling a header line from data: a number, one
// with a decimal comma, or nothing (a missing value).
bool CountsAsNumber(std::string_view cell) {
    double value = 0.0;
    return cell.empty() || ParseWholeNumber(cell.data(), cell.data() + cell.size(), value) ||
           ParseDecimalComma(cell, value);
}

// The separator of a line: a tab, else a semicolon, else a comma, else blanks.
char SeparatorOf(std::string_view line, std::string_view header) {
    if (line.find('\t') != npos) return '\t';
    if (line.find(';') != npos) return ';';
    if (line.find(',') == npos) return ' ';
    // "3,14" alone may be one number with a decimal comma: a header with a comma
    // says that it is two columns.
    if (IsDecimalCommaNumber(TrimBlanks(line))) return header.find(',') != npos ? ',' : ' ';
    // Cells with blanks inside ("1,5 2,5") are numbers with decimal commas apart by blanks.
    for (std::string_view cell : CellsOf(line, ','))
        if (std::any_of(cell.begin(), cell.end(), IsBlank)) return ' ';
    return ',';
}

// The next line without its line end; false at the end of the file, and when
// it is longer than kLongestWord.
bool ReadHeadLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') {
        if (line.size() == kLongestWord) return false;
        line.push_back(static_cast<char>(c));
    }
    return c != EOF || !line.empty();
}

std::string Plural(size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

int32_t ColumnIndex(const std::string& column, const std::vector<std::string>& names, std::string& problem) {
    const std::string chosen = Trim(column);
    if (chosen.empty()) return 0;
    if (const std::optional<int32_t> number = WholeNumber(chosen)) {
        if (*number >= 1) return *number - 1;
        problem = "columns are counted from 1: there is no column " + chosen;
        return -1;
    }
    if (const auto found = std::find(names.begin(), names.end(), chosen); found != names.end())
        return static_cast<int32_t>(found - names.begin());
    problem = "there is no column named " + Shown(chosen);
    if (names.empty()) {
        problem += ": its columns have no names; choose one by its number";
        return -1;
    }
    constexpr size_t kNamesShown = 8;
    problem += "; the header line names ";
    for (size_t i = 0; i < std::min(names.size(), kNamesShown); ++i) problem += (i ? ", " : "") + Shown(names[i]);
    if (names.size() > kNamesShown) problem += " and " + std::to_string(names.size() - kNamesShown) + " more";
    return -1;
}

TextLayout ReadTextLayout(std::FILE* file, const std::string& column) {
    TextLayout layout;
    SkipByteOrderMark(file);
    const long start = std::ftell(file);
    if (start < 0) {
        if (!Trim(column).empty()) layout.problem = "its columns cannot be read: it is not a regular file";
        return layout;
    }
    layout.dataStart = start;
    std::string first, second;
    int64_t line = 1;
    auto nextFilled = [&](std::string& into) {
        for (; ReadHeadLine(file, into); ++line)
            if (!TrimBlanks(into).empty()) return true;
        into.clear();
        return false;
    };
    nextFilled(first);
    const std::vector<std::string_view> cells = CellsOf(first, SeparatorOf(first, {}));
    const bool header = !std::all_of(cells.begin(), cells.end(), CountsAsNumber);
    std::string_view data = first;
    if (header) {
        layout.dataStart = std::ftell(file);
        layout.dataLine = ++line;
        nextFilled(second);
        data = second;
    }
    const std::string_view headerLine = header ? std::string_view(first) : std::string_view();
    layout.separator = SeparatorOf(data.empty() ? headerLine : data, headerLine);
    layout.columns = static_cast<int32_t>(CellsOf(data, layout.separator).size());
    if (header) {
        std::vector<std::string_view> names = CellsOf(first, layout.separator);
        if (names.size() != static_cast<size_t>(layout.columns) && !data.empty())
            names = CellsOf(first, SeparatorOf(first, {}));  // a header apart otherwise than its data
        for (std::string_view name : names) {
            if (name.size() >= 2 && (name[0] == '"' || name[0] == '\'') && name.back() == name[0])
                name = name.substr(1, name.size() - 2);
            layout.names.emplace_back(name);
        }
    }
    layout.table = !Trim(column).empty() || layout.columns > 1;
    layout.column = ColumnIndex(column, layout.names, layout.problem);
    std::fseek(file, layout.dataStart, SEEK_SET);
    return layout;
}

std::string ColumnNote(const std::string& path, int64_t columns, char separator,
                       const std::vector<std::string>& names) {
    const char* apart = separator == ',' ? " apart by commas"
                        : separator == ';' ? " apart by semicolons"
                        : separator == '\t' ? " apart by tabs"
                        : separator == ' ' ? " apart by blanks"
                                           : "";
    return "[" + path + "] has " + std::to_string(columns) + " columns" + apart + "; column 1" +
           (names.empty() ? "" : " (" + Shown(names[0]) + ")") + " is read. Another is chosen by its number" +
           (names.empty() ? "" : " or its name") + ": --column, or the Column field.";
}

TableReader::TableReader(std::FILE* file, const TextLayout& layout)
    : file_(file), separator_(layout.separator), column_(layout.column), buffer_(kRowBuffer + 1),
      line_(layout.dataLine) {
    caption_ = "column " + std::to_string(int64_t{column_} + 1);
    if (static_cast<size_t>(column_) < layout.names.size()) caption_ += " (" + Shown(layout.names[column_]) + ")";
}

void TableReader::Refill() {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (end_ == buffer_.size() - 1) {
        // One line fills the buffer: no row is that long, and a file without
        // line ends (/dev/zero) must not fill the memory.
        if (end_ > kLongestWord) {
            problem_ = "line " + std::to_string(line_) + " is longer than " + std::to_string(kLongestWord) +
                       " characters";
            return;
        }
        buffer_.resize(std::min(2 * buffer_.size() - 1, kLongestWord + 2));
    }
    while (end_ < buffer_.size() - 1 && !eof_) {
        const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - 1 - end_, file_);
        if (got == 0) eof_ = true;
        end_ += got;
    }
}

bool TableReader::NextRow() {
    for (;;) {
        const char* first = buffer_.data() + begin_;
        const char* last = buffer_.data() + end_;
        const auto* newline = static_cast<const char*>(std::memchr(first, '\n', static_cast<size_t>(last - first)));
        if (!newline && !eof_) {
            Refill();
            if (!problem_.empty()) return false;
            continue;
        }
        const char* rowEnd = newline ? newline : last;
        if (std::all_of(first, rowEnd, IsBlank)) {
            begin_ = static_cast<size_t>(rowEnd - buffer_.data());
            if (!newline) return false;
            ++begin_;
            ++line_;
            continue;
        }
        rowEnd_ = static_cast<size_t>(rowEnd - buffer_.data());
        return true;
    }
}

bool TableReader::CellOfRow(const char*& first, const char*& last) const {
    const char* p = buffer_.data() + begin_;
    const char* const end = buffer_.data() + rowEnd_;
    if (separator_ == ' ') {
        for (int32_t k = 0;; ++k) {
            while (p < end && IsBlank(*p)) ++p;
            if (p == end) return false;
            first = p;
            while (p < end && !IsBlank(*p)) ++p;
            if (k == column_) {
                last = p;
                return true;
            }
        }
    }
    for (int32_t k = 0; k < column_; ++k) {
        p = static_cast<const char*>(std::memchr(p, separator_, static_cast<size_t>(end - p)));
        if (!p) return false;
        ++p;
    }
    const auto* next = static_cast<const char*>(std::memchr(p, separator_, static_cast<size_t>(end - p)));
    first = p;
    last = next ? next : end;
    while (first < last && IsBlank(*first)) ++first;
    while (last > first && IsBlank(last[-1])) --last;
    return true;
}

bool TableReader::ValueOfRow(double& value) {
    const char *first = nullptr, *last = nullptr;
    if (CellOfRow(first, last) && ParseWholeNumber(first, last, value)) return true;
    const std::string where = "line " + std::to_string(line_);
    if (!CellOfRow(first, last)) {
        const std::string_view row(buffer_.data() + begin_, rowEnd_ - begin_);
        problem_ = where + " has " + Plural(CellsOf(row, separator_).size(), "column") + "; there is no " + caption_;
        return false;
    }
    const std::string_view cell(first, static_cast<size_t>(last - first));
    if (separator_ == ';' && ParseDecimalComma(cell, value)) return true;
    double ignored = 0.0;
    decimalComma_ = ParseDecimalComma(cell, ignored);
    problem_ = cell.empty() ? where + ": " + caption_ + " is empty"
                            : where + ": " + caption_ + " holds " + Shown(std::string(cell)) + ", which is not a number";
    if (decimalComma_)
        problem_ += " (a decimal comma? numbers are read with a decimal point, or with a comma in columns apart by "
                    "semicolons)";
    return false;
}

int64_t TableReader::Read(double* out, int64_t most) {
    int64_t n = 0;
    double value = 0.0;
    while (n < most && problem_.empty() && NextRow() && ValueOfRow(value)) {
        if (out) out[n] = value;
        ++n;
        begin_ = std::min(rowEnd_ + 1, end_);
        ++line_;
    }
    return n;
}

}  // namespace fractan
