#include "setup/number_scanner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "setup/line_reader.h"

namespace fractan {
namespace {
constexpr size_t kBufferSize = 1 << 16;
// Longer than any number a series file holds, so one never straddles a refill.
constexpr size_t kLongestNumber = 512;

bool IsHexadecimal(const char* p, const char* end) {
    if (p < end && *p == '-') ++p;
    return end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
}

}  // namespace

NumberScanner::NumberScanner(std::FILE* file) : file_(file), buffer_(kBufferSize) { SkipByteOrderMark(file); }

void NumberScanner::Fill(size_t wanted) {
    if (end_ - begin_ >= wanted || eof_) return;
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < buffer_.size() && !eof_) {
        size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
        if (got == 0) eof_ = true;
        end_ += got;
    }
}

void NumberScanner::SkipSpace() {
    for (;;) {
        while (begin_ < end_ && std::isspace(static_cast<unsigned char>(buffer_[begin_]))) {
            if (buffer_[begin_] == '\n') ++line_;
            ++begin_;
        }
        if (begin_ < end_ || eof_) return;
        Fill(1);
    }
}

bool NumberScanner::AtEnd() {
    SkipSpace();
    return begin_ == end_;
}

bool NumberScanner::Next(double& value) {
    SkipSpace();
    Fill(kLongestNumber);
    const char* first = buffer_.data() + begin_;
    const char* last = buffer_.data() + end_;
    // A leading '+' is accepted, as scanf does.
    const char* digits = (first < last && *first == '+') ? first + 1 : first;
    if (digits < last && (*digits == '-' || *digits == '+') && digits != first) return false;
    // from_chars reads "0x1p3" as 0, so hexadecimal goes to strtod below.
    auto [ptr, ec] = IsHexadecimal(digits, last)
                         ? std::from_chars_result{digits, std::errc::invalid_argument}
                         : std::from_chars(digits, last, value);
    if (ec != std::errc()) {
        // The forms from_chars leaves to strtod, as scanf reads them: values out
        // of range (infinity or almost zero) and hexadecimal numbers.
        const std::string text(first, std::min(last, first + kLongestNumber));
        char* end = nullptr;
        value = std::strtod(text.c_str(), &end);
        if (end == text.c_str()) return false;
        ptr = first + (end - text.c_str());
    }
    begin_ += static_cast<size_t>(ptr - first);
    if (line_ == lineOfLast_ && crowdedLine_ == 0) crowdedLine_ = line_;
    lineOfLast_ = line_;
    SkipSpace();
    return true;
}

std::string NumberScanner::TextHere(size_t most) {
    SkipSpace();
    Fill(most);
    const char* first = buffer_.data() + begin_;
    const char* last = first + std::min(most, end_ - begin_);
    return std::string(first, std::find_if(first, last, [](char c) { return c == '\n' || c == '\r'; }));
}

}  // namespace fractan
