#pragma once
// What every fuzz target shares: the input written to a scratch file of the
// process (the readers take paths), and the core's lines silenced.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "setup/output.h"

namespace fractan::fuzz {

class Silence : public OutputSink {
public:
    void Write(std::string_view) override {}
};

// A file of this process in the temporary folder, rewritten for every input.
inline const std::string& ScratchPath(const char* name) {
    static const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                                    "/fractan-fuzz-" + std::to_string(::getpid()) + "-" + name;
    return path;
}

inline const std::string& WriteScratch(const uint8_t* data, size_t size, const char* name = "input") {
    const std::string& path = ScratchPath(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

// A property the reader must keep; a failure is a finding.
inline void Expect(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace fractan::fuzz
