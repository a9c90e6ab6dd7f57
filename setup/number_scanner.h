#pragma once
// Fast reading of decimal numbers separated by white space from a text file,
// with the semantics of repeated fscanf("%lf\n") calls: each read skips leading
// white space, takes the longest number there, and then skips white space.

#include <cstdio>
#include <vector>

namespace fractan {

class NumberScanner {
public:
    explicit NumberScanner(std::FILE* file);

    // True when only white space (or nothing) is left.
    bool AtEnd();
    // False when the text at the current place is not a number.
    bool Next(double& value);

private:
    void SkipSpace();
    // Makes sure at least `wanted` bytes are buffered, unless the file ends first.
    void Fill(size_t wanted);

    std::FILE* file_;
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
};

}  // namespace fractan
