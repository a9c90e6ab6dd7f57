// `fractan fileslist`, `countlines` and `sample`: the small file tools of the
// files-list page and the line count and sample dialogs.

#include <cstdio>

#include "cli/subcommands.h"
#include "setup/line_reader.h"
#include "tools/file_tools.h"

namespace fractan::cli {
namespace file_tools {
namespace {

FilesListRequest list{".", "", 0, 1, 0, "txt"};
std::string listPath;
bool force = false;  // write a list longer than kLargeFilesList lines

void DeclareFilesList(CLI::App& cmd) {
    cmd.add_option("--path", list.folder, "Folder of the listed files")->capture_default_str();
    cmd.add_option("--prefix", list.prefix, "First part of each file name, before its number");
    cmd.add_option("--start", list.start, "First number")->capture_default_str();
    cmd.add_option("--step", list.step, "Step between numbers (greater than 0)")->capture_default_str();
    cmd.add_option("--end", list.end, "Last number (inclusive)")->capture_default_str();
    cmd.add_option("--ext", list.extension, "Extension of the listed files (txt, dat, ...)")->capture_default_str();
    cmd.add_option("-o,--output", listPath, "The files-list file to write")->required();
    cmd.add_flag("--force", force, "Write a list of more than a million lines");
}

int RunFilesList(const CLI::App&) {
    std::ostream& err = std::cerr;
    if (const int64_t length = FilesListLength(list); length > kLargeFilesList && !force) {
        char megabytes[32];
        std::snprintf(megabytes, sizeof megabytes, "%.0f", FilesListMegabytes(list));
        err << "fractan: the files list would have " << length << " lines (about " << megabytes
            << " MB); give --force to write it.\n";
        return kExitFailure;
    }
    int64_t lines = 0;
    switch (WriteFilesList(listPath, list, &lines)) {
        case FilesListStatus::kWritten:
            std::cout << "Files list: [" << listPath << "], " << lines << " files\n";
            return kExitOk;
        case FilesListStatus::kRefused:
            err << "fractan: " << FilesListRefusal(list) << "\n";
            return kExitFailure;
        case FilesListStatus::kNotCreated:
            err << "fractan: Error creating files list. [" << listPath << "]\n";
            return kExitFailure;
        case FilesListStatus::kWriteFailed:
            err << "fractan: error writing files list [" << listPath << "]; the unfinished list is removed.\n";
            return kExitFailure;
        case FilesListStatus::kStopped:
            err << "fractan: stopped; the unfinished files list is removed.\n";
            return kExitStopped;
    }
    return kExitFailure;
}

std::string countPath;

int RunCountLines(const CLI::App&) {
    const std::string trimmed = Trim(countPath);
    if (trimmed.empty()) {
        std::cerr << "fractan: Please enter an input file.\n";
        return kExitFailure;
    }
    const int64_t lines = CountLines(trimmed);
    if (lines == kCountStopped) {
        std::cerr << "fractan: counting stopped.\n";
        return kExitStopped;
    }
    if (lines < 0) {
        std::cerr << "fractan: There was an error reading from input file. [" << trimmed << "]\n";
        return kExitFailure;
    }
    std::cout << lines << "\n";
    return kExitOk;
}

std::string sampled;
uint32_t bytes = 4194304, skip = 0;

void DeclareSample(CLI::App& cmd) {
    cmd.add_option("file", sampled, "The file to copy from")->required();
    cmd.add_option("--bytes", bytes, "Characters to copy")->capture_default_str();
    cmd.add_option("--skip", skip, "Characters to leave out first")->capture_default_str();
}

int RunSample(const CLI::App&) {
    SampleStatus status;
    const int64_t written = MakeSampleFile(sampled, bytes, skip, &status);
    const std::string sample = SampleFilePath(sampled);
    switch (status) {
        case SampleStatus::kWritten:
            std::cout << "Sample file: [" << sample << "], " << written << " characters\n";
            return kExitOk;
        case SampleStatus::kInputNotOpened:
            std::cerr << "fractan: cannot read [" << sampled << "].\n";
            return kExitFailure;
        case SampleStatus::kSampleNotOpened:
        case SampleStatus::kWriteFailed:
            std::cerr << "fractan: cannot write [" << sample << "].\n";
            return kExitFailure;
        case SampleStatus::kStopped:
            std::cerr << "fractan: stopped; the unfinished sample file is removed.\n";
            return kExitStopped;
    }
    return kExitFailure;
}

}  // namespace
}  // namespace file_tools

const Subcommand kFilesListCommand{"fileslist", "Write a files-list file naming a run of numbered files",
                                   file_tools::DeclareFilesList, file_tools::RunFilesList, false};

const Subcommand kCountLinesCommand{
    "countlines", "Print the number of line feeds in a file",
    [](CLI::App& cmd) { cmd.add_option("file", file_tools::countPath, "The file to count")->required(); },
    file_tools::RunCountLines, false};

const Subcommand kSampleCommand{"sample", "Copy the beginning of a file to FILE.sample", file_tools::DeclareSample,
                                file_tools::RunSample, false};

}  // namespace fractan::cli
