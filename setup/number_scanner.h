#pragma once
// Fast reading of decimal numbers separated by white space from a text file,
// with the semantics of repeated fscanf("%lf\n") calls: each read skips leading
// white space, takes the longest number there, and then skips white space.
// The values are those strtod gives for the same text in the "C" locale.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fractan {

// The most characters a word may have: a longer one (a line without white
// space) ends the numbers like text that is not one.
inline constexpr size_t kLongestWord = size_t{1} << 20;

// The number the whole of first … last is, as strtod reads it: false when
// it is empty, is not a number or goes on after one.
bool ParseWholeNumber(const char* first, const char* last, double& value);

class NumberScanner {
public:
    // Skips a UTF-8 byte-order mark at the start of the file. `firstLine`: the
    // line the file's current place is on (after a header line, say).
    explicit NumberScanner(std::FILE* file, int64_t firstLine = 1);

    // True when only white space (or nothing) is left.
    bool AtEnd() { return !Prepare() && !tooLong_; }
    // Reads up to `most` numbers into `out` (they are only skipped when it is
    // null); fewer when the numbers end, at the end or at text that is not one.
    int64_t Read(double* out, int64_t most);

    // The line (from 1) of the next number, or of the text that is not one.
    int64_t Line() const { return line_; }
    // The first line that held more than one number, or 0.
    int64_t CrowdedLine() const { return crowdedLine_; }
    // True when the numbers ended at a word longer than kLongestWord, on Line().
    bool TooLong() const { return tooLong_; }
    // The text at the current place up to its line end, at most `most` bytes.
    std::string TextHere(size_t most);

private:
    // Skips white space, refilling the buffer, until the text at the current
    // place lies wholly in it; false when only white space is left.
    bool Prepare();
    // Moves the unread bytes to the front and fills the rest of the buffer,
    // growing it while it holds a single word, up to kLongestWord.
    void Refill();

    std::FILE* file_;
    std::vector<char> buffer_;  // the bytes, then a terminating '\0'
    size_t begin_ = 0;          // the current place
    size_t end_ = 0;            // the end of the bytes read
    // The words that start before it lie wholly in the buffer: the last white
    // space before end_, or end_ once the file has ended.
    size_t whole_ = 0;
    bool eof_ = false;
    bool tooLong_ = false;
    int64_t line_ = 1;
    int64_t lineOfLast_ = 0;  // the line of the last number read
    int64_t crowdedLine_ = 0;
};

}  // namespace fractan
