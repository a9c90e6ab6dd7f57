#include "setup/line_reader.h"

#include <cctype>
#include <charconv>

namespace fractan {

bool ReadTrimmedLine(std::FILE* file, std::string& line) {
    line.clear();
    for (;;) {
        int c = std::fgetc(file);
        if (c == EOF || c == 255 || c == '\n') break;
        line.push_back(static_cast<char>(c));
    }
    line = Trim(line);
    return !line.empty();
}

std::string Trim(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

std::string Shown(const std::string& word) {
    return "\"" + (word.size() > 40 ? word.substr(0, 40) + "..." : word) + "\"";
}

std::optional<int32_t> WholeNumber(const std::string& word) {
    int32_t value = 0;
    const char* first = word.data() + (word.size() > 1 && word[0] == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(first, word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

void SkipByteOrderMark(std::FILE* file) {
    if (std::ftell(file) != 0) return;  // not at the start, or a stream that cannot go back
    unsigned char mark[3] = {};
    if (std::fread(mark, 1, 3, file) == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) return;
    std::fseek(file, 0, SEEK_SET);
}

bool StartsAsUtf16(std::FILE* file) {
    if (std::ftell(file) != 0) return false;
    unsigned char mark[2] = {};
    const bool read = std::fread(mark, 1, 2, file) == 2;
    std::fseek(file, 0, SEEK_SET);
    return read && ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF));
}

}  // namespace fractan
