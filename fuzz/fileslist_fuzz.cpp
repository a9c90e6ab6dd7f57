// The files-list file: never an empty entry, nothing untrimmed, the note only when files are left out.
#include "fuzz_support.h"
#include "setup/line_reader.h"
#include "setup/parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    std::vector<std::string> files;
    std::string note;
    fuzz::Expect(ReadFilesList(fuzz::WriteScratch(data, size), files, &note), "a written list can be read");
    for (const std::string& file : files) {
        fuzz::Expect(!file.empty(), "no entry is empty");
        fuzz::Expect(Trim(file) == file, "every entry is trimmed");
    }
    fuzz::Expect(note.empty() || note.find("is not analysed") != std::string::npos ||
                     note.find("are not analysed") != std::string::npos,
                 "the note says what is left out");
    return 0;
}
