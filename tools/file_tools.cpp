#include "tools/file_tools.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "setup/files.h"
#include "setup/paths.h"
#include "setup/stop.h"

namespace fractan {

constexpr size_t kChunk = 1 << 16;

int64_t CountLines(const std::string& path) {
    StopCheck stopRequested;
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return kCountNotOpened;
    std::vector<char> buffer(kChunk);
    int64_t lines = 0;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
        if (stopRequested()) return kCountStopped;
        lines += std::count(buffer.data(), buffer.data() + got, '\n');
    }
    return std::ferror(file.get()) ? kCountNotOpened : lines;
}

std::string SampleFilePath(const std::string& path) { return path + ".sample"; }

int64_t MakeSampleFile(const std::string& path, uint32_t count, uint32_t skip, SampleStatus* status) {
    StopCheck stopRequested;
    SampleStatus ignored;
    SampleStatus& outcome = status ? *status : ignored;
    const FilePtr input(OpenRegularFile(path, "r"));
    if (!input) {
        outcome = SampleStatus::kInputNotOpened;
        return 0;
    }
    const std::string samplePath = SampleFilePath(path);
    std::FILE* sample = std::fopen(samplePath.c_str(), "w");
    if (!sample) {
        outcome = SampleStatus::kSampleNotOpened;
        return 0;
    }

    std::vector<char> buffer(kChunk);
    int64_t toSkip = skip, left = count, written = 0;
    bool readFailed = false;
    while (left > 0) {
        if (stopRequested()) {
            std::fclose(sample);
            std::remove(samplePath.c_str());
            outcome = SampleStatus::kStopped;
            return 0;
        }
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), input.get());
        if (got == 0) {
            readFailed = std::ferror(input.get()) != 0;
            break;
        }
        const int64_t dropped = std::min<int64_t>(toSkip, static_cast<int64_t>(got));
        toSkip -= dropped;
        const int64_t take = std::min<int64_t>(left, static_cast<int64_t>(got) - dropped);
        std::fwrite(buffer.data() + dropped, 1, static_cast<size_t>(take), sample);
        left -= take;
        written += take;
    }
    outcome = CloseWritten(sample) && !readFailed ? SampleStatus::kWritten : SampleStatus::kWriteFailed;
    return written;
}

std::string FilesListLine(const FilesListRequest& request, int32_t n) {
    return JoinPath(request.folder, request.prefix + std::to_string(n) + "." + request.extension);
}

std::string FilesListRefusal(const FilesListRequest& request) {
    if (request.start <= request.end && request.step <= 0)
        return "The step is " + std::to_string(request.step) +
               ", it must be greater than 0 when the start is not above the end.";
    return {};
}

int64_t FilesListLength(const FilesListRequest& request) {
    if (request.start > request.end || !FilesListRefusal(request).empty()) return 0;
    return (int64_t{request.end} - request.start) / request.step + 1;
}

double FilesListMegabytes(const FilesListRequest& request) {
    return static_cast<double>(FilesListLength(request)) *
           static_cast<double>(FilesListLine(request, request.end).size() + 1) / 1e6;
}

FilesListStatus WriteFilesList(const std::string& listPath, const FilesListRequest& request,
                               int64_t* lines) {
    StopCheck stopRequested;
    if (lines) *lines = 0;
    if (!FilesListRefusal(request).empty()) return FilesListStatus::kRefused;
    std::FILE* list = std::fopen(listPath.c_str(), "w");
    if (!list) return FilesListStatus::kNotCreated;
    int64_t count = 0;
    // A 64-bit counter: the step past the last number cannot overflow.
    for (int64_t n = request.start; n <= request.end; n += request.step) {
        if (stopRequested()) {
            std::fclose(list);
            std::remove(listPath.c_str());
            return FilesListStatus::kStopped;
        }
        const std::string line = FilesListLine(request, static_cast<int32_t>(n)) + "\n";
        if (std::fwrite(line.data(), 1, line.size(), list) != line.size()) break;  // a full disk
        ++count;
    }
    if (lines) *lines = count;
    if (CloseWritten(list)) return FilesListStatus::kWritten;
    std::remove(listPath.c_str());  // a cut list would be read as a whole one
    return FilesListStatus::kWriteFailed;
}

}  // namespace fractan
