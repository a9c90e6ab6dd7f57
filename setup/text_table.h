#pragma once
// Text series laid out as tables: a header line naming the columns (or
// none), then rows of cells apart by commas, semicolons, tabs or blanks, of
// which one column is the series.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fractan {

// How a text file's numbers lie, as its first lines show.
struct TextLayout {
    bool table = false;              // one cell of each row (TableReader); otherwise number by number
    char separator = ' ';            // ',', ';', '\t', or ' ' for any run of blanks
    std::vector<std::string> names;  // the header line's cells, when the file has one
    int64_t dataStart = 0;           // the byte the data begin at (after the header line)
    int64_t dataLine = 1;            // and their line
    int32_t columns = 1;             // the cells of the first data line
    int32_t column = 0;              // the column read, from 0
    std::string problem;             // why the column asked for cannot be read
};

// The column chosen by `column`: its number from 1, or a name of `names` (a
// name that is a whole number is taken as the number); empty chooses the
// first. −1, with `problem` saying why, when there is none such.
int32_t ColumnIndex(const std::string& column, const std::vector<std::string>& names, std::string& problem);

// The layout of an open text file, from its first lines, after a UTF-8
// byte-order mark: a first line that is not all numbers is the header; the
// separator is found on the first data line (a comma only when it cannot be
// a decimal comma, or when the header has one too). The file is a table when
// a column is chosen or that line holds several cells; it is left at the start
// of the data. A file that cannot go back (a pipe) is read number by number,
// and cannot give a column.
TextLayout ReadTextLayout(std::FILE* file, const std::string& column);

// "[path] has 3 columns apart by commas; column 1 ("time") is read: ...": the
// line that says which column of several is read when none was chosen.
// `separator`: 0 for the columns of a binary array.
std::string ColumnNote(const std::string& path, int64_t columns, char separator,
                       const std::vector<std::string>& names);

// Reads the chosen column of a table row by row, from the start of its data.
class TableReader {
public:
    TableReader(std::FILE* file, const TextLayout& layout);

    // Reads the column of up to `most` rows into `out` (only skipped when it is
    // null); fewer at the end of the file, or at a row without a number there,
    // which Problem() then names. Blank lines are skipped. In a table apart by
    // semicolons, a number may have a decimal comma ("3,14").
    int64_t Read(double* out, int64_t most);
    // True when only blank lines are left.
    bool AtEnd() { return problem_.empty() && !NextRow(); }
    // Why a row gives no number: its line, and what its cells hold.
    const std::string& Problem() const { return problem_; }
    // That cell is a number with a decimal comma, which is not read here.
    bool DecimalComma() const { return decimalComma_; }

private:
    // Skips blank lines, refilling the buffer, until the next row lies whole
    // in it (from begin_ to rowEnd_); false at the end of the file, or when
    // a line is longer than kLongestWord (a problem).
    bool NextRow();
    // Moves the unread bytes to the front and fills the rest of the buffer,
    // growing it while it holds a single line, up to kLongestWord.
    void Refill();
    // The cell of the column in the current row; false when the row is too short.
    bool CellOfRow(const char*& first, const char*& last) const;
    // Its value, or false with the problem.
    bool ValueOfRow(double& value);

    std::FILE* file_;
    char separator_;
    int32_t column_;
    std::string caption_;  // "column 2 (\"price\")", for the problems
    std::vector<char> buffer_;
    size_t begin_ = 0, end_ = 0, rowEnd_ = 0;
    bool eof_ = false;
    int64_t line_;
    std::string problem_;
    bool decimalComma_ = false;
};

}  // namespace fractan
