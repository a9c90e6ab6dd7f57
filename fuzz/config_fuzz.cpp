// The configuration file: a file that loads saves and loads back to the same record.
#include "fuzz_support.h"
#include "setup/parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fractan;
    fuzz::Silence silence;
    ScopedOutputRedirect quiet(silence);
    AnalysisParameters loaded;
    std::string problem;
    const bool read = loaded.LoadConfig(fuzz::WriteScratch(data, size), &problem);
    fuzz::Expect(read || !problem.empty(), "a configuration that does not load says why");
    if (!problem.empty() && problem.starts_with("it names no input file")) return 0;  // read, but no files list
    if (!read) {
        fuzz::Expect(loaded.ConfigText() == AnalysisParameters().ConfigText(), "a refused file changes nothing");
        return 0;
    }
    const std::string& saved = fuzz::ScratchPath("saved");
    fuzz::Expect(loaded.SaveConfig(saved), "a loaded record can be saved");
    AnalysisParameters again;
    std::string why;
    const bool reread = again.LoadConfig(saved, &why);
    fuzz::Expect(reread || why.starts_with("it names no input file"), "a saved record loads back");
    fuzz::Expect(again.ConfigText() == loaded.ConfigText(), "a saved record loads back to the same record");
    return 0;
}
