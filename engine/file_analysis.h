#pragma once
// One input file analysed as the driver runs it: loaded, computed (engine/
// computation.h), and its files written. The result line of a static type
// goes to the run's shared result file, which takes the lines in list order:
// it is written by CommitFile, apart from the rest.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "engine/analysis.h"
#include "engine/variant.h"
#include "setup/files.h"
#include "setup/series_loader.h"
#include "setup/progression.h"

namespace fractan {

// The input file of one call and where its results go.
struct VariantCall {
    VariantCall(std::string input, int32_t type, std::string result, int32_t size, int32_t offset)
        : inputPath(std::move(input)), inputType(type), resultPath(std::move(result)), dataSize(size),
          dataOffset(offset) {}

    std::string inputPath;
    int32_t inputType = 0;
    std::string resultPath;
    int32_t dataSize = 0;
    int32_t dataOffset = 0;
    // The names this file's chart and incremental files take in the run (the
    // composed names when empty): a run gives later files of the same name a
    // suffix, so that none wipes another's.
    std::string chartPath, incrementalPath;
    std::string column;              // of a table or an array (LoadSeries)
    LoadedSeries* loaded = nullptr;  // the series when the caller has loaded it already
    const KeptFiles* kept = nullptr;  // the file's bytes when the caller has read them already
};

struct FileOutcome {
    int32_t status = kNotAnalysed;  // kAnalysed for a static file whose line is still pending
    bool read = false;              // the series was loaded
    bool pending = false;           // a static type's result line waits for its turn in the result file
    AnalysisResult computed;        // the refusal's reason, or what the computation found
    std::string chartFile;          // the chart file written
    std::string incrementalFile;    // the incremental file, when it holds a line
    std::string suggestion;         // the line suggesting integration, for values that look like increments
};

// An outcome as bytes, for the process that commits it, and back.
std::string Pack(const FileOutcome& outcome);
FileOutcome UnpackOutcome(const std::string& bytes);

// Loads, computes and writes every file of this input but the result line.
FileOutcome AnalyseFile(const AnalysisSettings& settings, const VariantCall& call);

// The run's result file, open while the run commits its lines; `openError`
// says why it could not be opened (0 when it was not tried).
struct ResultFile {
    ResultFile() = default;
    ResultFile(const std::string& path, const char* mode);
    FilePtr file;
    int openError = 0;
};

// Writes the pending result line to `resultFile` ("Writing output file..."
// and the lines after it) and returns the file's status. The suggestion line
// is printed unless `suggested`, which it then sets: once a run.
int32_t CommitFile(const VariantCall& call, FileOutcome& outcome, bool& suggested, const ResultFile& resultFile);

// AnalyseFile and CommitFile, for a call on its own.
int32_t RunFileVariant(const AnalysisSettings& settings, const VariantCall& call);

}  // namespace fractan
