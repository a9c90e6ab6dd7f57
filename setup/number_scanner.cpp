#include "setup/number_scanner.h"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "setup/line_reader.h"

namespace fractan {
namespace {
constexpr size_t kBufferSize = 1 << 18;
static_assert(kLongestWord >= kBufferSize);

// The white space of isspace in the "C" locale, without its call.
inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Where fast_float reads the number that starts at `first` (after a '+'),
// when it is a plain decimal, the bulk of a series, which fast_float reads
// exactly as strtod does (out-of-range values included); null for the other
// forms (hexadecimal, which fast_float reads as 0, inf, nan with its payload),
// which are left to strtod. `first` is before `last`.
inline const char* PlainDecimal(const char* first, const char* last) {
    const char* number = first + (*first == '+');
    const char* digits = number + (number == first && *first == '-');
    if (digits >= last) return nullptr;
    const bool plain = IsDigit(*digits) ? !(digits[0] == '0' && digits + 1 < last && (digits[1] | 0x20) == 'x')
                                        : *digits == '.';
    return plain ? number : nullptr;
}

// The end of the number that starts at `first` and its value, as strtod reads
// them; null when no number starts there. `first` is not white space, and the
// word it starts ends before `last` or at it, where a '\0' follows.
inline const char* ParseNumber(const char* first, const char* last, double& value) {
    if (const char* number = PlainDecimal(first, last)) {
        const auto [end, ec] = fast_float::from_chars(number, last, value);
        if (ec == std::errc()) return end;
    }
    char* end = nullptr;
    value = std::strtod(first, &end);
    return end == first ? nullptr : end;
}

}  // namespace

bool ParseWholeNumber(const char* first, const char* last, double& value) {
    if (first == last) return false;
    if (const char* number = PlainDecimal(first, last)) {
        const auto [end, ec] = fast_float::from_chars(number, last, value);
        if (ec == std::errc()) return end == last;
    }
    const std::string word(first, last);  // strtod reads up to a '\0'
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return end == word.c_str() + word.size();
}

NumberScanner::NumberScanner(std::FILE* file, int64_t firstLine)
    : file_(file), buffer_(kBufferSize + 1), line_(firstLine) {
    SkipByteOrderMark(file);
}

void NumberScanner::Refill() {
    for (;;) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        if (end_ == buffer_.size() - 1) {
            // The buffer holds a single word: no number is that long, and a
            // file without white space (/dev/zero) must not fill the memory.
            if (end_ > kLongestWord) {
                tooLong_ = true;
                whole_ = 0;
                return;
            }
            buffer_.resize(std::min(2 * buffer_.size() - 1, kLongestWord + 2));
        }
        while (end_ < buffer_.size() - 1 && !eof_) {
            const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - 1 - end_, file_);
            if (got == 0) eof_ = true;
            end_ += got;
        }
        buffer_[end_] = '\0';  // ends every scan for white space or digits
        if (eof_) {
            whole_ = end_;
            return;
        }
        // A word that starts before the last white space ends there at the latest.
        size_t space = end_;
        while (space > 0 && !IsSpace(buffer_[space - 1])) --space;
        if (space > 0) {
            whole_ = space - 1;
            return;
        }
    }
}

bool NumberScanner::Prepare() {
    for (;;) {
        const char* p = buffer_.data() + begin_;
        while (IsSpace(*p)) line_ += *p++ == '\n';
        begin_ = static_cast<size_t>(p - buffer_.data());
        if (begin_ < whole_) return true;
        if (eof_ || tooLong_) return false;
        Refill();
    }
}

int64_t NumberScanner::Read(double* out, int64_t most) {
    int64_t n = 0;
    bool number = true;
    while (number && n < most && Prepare()) {
        // The words before whole_ lie wholly in the buffer: they are read in
        // locals, without a look at its end.
        const char* p = buffer_.data() + begin_;
        const char* const whole = buffer_.data() + whole_;
        const char* const last = buffer_.data() + end_;
        int64_t line = line_, lineOfLast = lineOfLast_, crowdedLine = crowdedLine_;
        do {
            double value = 0.0;
            const char* const next = ParseNumber(p, last, value);
            if (!next) {
                number = false;
                break;
            }
            if (out) out[n] = value;
            ++n;
            if (line == lineOfLast && crowdedLine == 0) crowdedLine = line;
            lineOfLast = line;
            p = next;
            while (IsSpace(*p)) line += *p++ == '\n';
        } while (n < most && p < whole);
        begin_ = static_cast<size_t>(p - buffer_.data());
        line_ = line;
        lineOfLast_ = lineOfLast;
        crowdedLine_ = crowdedLine;
    }
    Prepare();  // so that Line() is that of the next number
    return n;
}

std::string NumberScanner::TextHere(size_t most) {
    Prepare();
    if (end_ - begin_ < most && !eof_ && !tooLong_) Refill();
    const char* first = buffer_.data() + begin_;
    const char* last = first + std::min(most, end_ - begin_);
    return std::string(first, std::find_if(first, last, [](char c) { return c == '\n' || c == '\r'; }));
}

}  // namespace fractan
