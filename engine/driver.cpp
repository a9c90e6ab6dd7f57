#include "engine/driver.h"

#include "engine/dynamic_dma.h"
#include "engine/names.h"
#include "engine/result_files.h"
#include "engine/static_dma.h"
#include "engine/variant.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

int32_t RunVariant(const AnalysisParameters& p, const std::string& inputPath,
                   const std::string& resultPath, RunContext& context) {
    switch (p.computationType) {
        case 0:
            return RunDynamicDma(p.windowSize, p.averageProgression, inputPath, p.inputFileType,
                                 resultPath, p.dataSize, p.dataOffset, p.dynamicStep, &context);
        case 2:
            return RunStaticDma(p.windowSize, p.averageProgression, inputPath, p.inputFileType,
                                resultPath, p.dataSize, p.dataOffset, &context);
        default:
            return kNotAnalysed;
    }
}

}  // namespace

bool IsComputationTypeAvailable(int32_t type) { return type == 0 || type == 2; }

int32_t RunAnalysis(AnalysisParameters& params, RunSummary* summary) {
    RunSummary local;
    RunSummary& report = summary ? *summary : local;
    report = RunSummary{};
    if (!params.ExpandInputFiles()) return -1;

    const int32_t type = params.computationType;
    if (type >= 0 && type < kComputationTypeCount) {
        if (!IsComputationTypeAvailable(type)) {
            report.typeAvailable = false;
            PrintFormatted("%s is not available in this version; nothing was computed.\n",
                           ComputationTypeFileName(type));
        } else {
            report.resultPath = ResultFilePath(params.outputPath, params.testName, type);
            TruncateFile(report.resultPath);
            RunContext context;
            StopCheck stopRequested;
            for (const std::string& input : params.inputFiles) {
                const int32_t status = RunVariant(params, input, report.resultPath, context);
                if (status == kStopped || stopRequested()) {
                    report.stopped = true;
                    return 0;
                }
                (status == kAnalysed ? report.analysed : report.notAnalysed).push_back(input);
            }
        }
    }
    PrintProgress("Exiting...");
    return 0;
}

}  // namespace fractan
