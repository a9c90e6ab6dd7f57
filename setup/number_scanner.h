#pragma once
// Fast reading of decimal numbers separated by white space from a text file,
// with the semantics of repeated fscanf("%lf\n") calls: each read skips leading
// white space, takes the longest number there, and then skips white space.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fractan {

class NumberScanner {
public:
    explicit NumberScanner(std::FILE* file);

    // True when only white space (or nothing) is left.
    bool AtEnd();
    // False when the text at the current place is not a number.
    bool Next(double& value);

    // The line (from 1) of the next number, or of the text that is not one.
    int64_t Line() const { return line_; }
    // The first line that held more than one number, or 0.
    int64_t CrowdedLine() const { return crowdedLine_; }
    // The text at the current place up to its line end, at most `most` bytes.
    std::string TextHere(size_t most);

private:
    void SkipSpace();
    // Makes sure at least `wanted` bytes are buffered, unless the file ends first.
    void Fill(size_t wanted);

    std::FILE* file_;
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
    int64_t line_ = 1;
    int64_t lineOfLast_ = 0;  // the line of the last number read
    int64_t crowdedLine_ = 0;
};

}  // namespace fractan
