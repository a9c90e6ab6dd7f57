// The custom progression file: the sizes are exactly the whole numbers after
// the count, at most the count of them, as a plain reading of its words gives;
// and a note whenever that is not the whole file.
#include <charconv>
#include <sstream>
#include <vector>

#include "fuzz_support.h"
#include "setup/progression.h"

namespace {

bool Whole(const std::string& word, int32_t& value) {
    const char* first = word.data() + (word.size() > 1 && word[0] == '+');
    const auto [end, error] = std::from_chars(first, word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    std::string note;
    const SizeList sizes = ReadCustomProgression(fuzz::WriteScratch(data, size), &note);

    // Words as the C locale's white space separates them; a NUL is part of a word.
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == ' ' || (c >= '\t' && c <= '\r')) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) words.push_back(word);
    std::vector<int32_t> expected;
    int32_t count = 0;
    bool counted = !words.empty() && Whole(words[0], count);
    for (size_t i = 1; counted && static_cast<int32_t>(expected.size()) < count && i < words.size(); ++i) {
        int32_t value = 0;
        if (!Whole(words[i], value)) break;
        expected.push_back(value);
    }
    fuzz::Expect(std::vector<int32_t>(sizes.begin(), sizes.end()) == expected, "the sizes are the file's whole numbers");
    const bool whole = counted && static_cast<int32_t>(expected.size()) == std::max(count, 0) &&
                       words.size() == expected.size() + 1;
    if (!whole) fuzz::Expect(!note.empty(), "a file that is not read whole says so");
    return 0;
}
