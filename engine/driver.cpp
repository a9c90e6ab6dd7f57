#include "engine/driver.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "engine/dfa.h"
#include "engine/dynamic_dma.h"
#include "engine/first_order_dma.h"
#include "engine/names.h"
#include "engine/result_files.h"
#include "engine/shifted_dma.h"
#include "engine/smoothed_dma.h"
#include "engine/static_dma.h"
#include "engine/variant.h"
#include "setup/output.h"
#include "setup/stop.h"

namespace fractan {
namespace {

int32_t RunVariant(const AnalysisParameters& p, const std::string& in, const std::string& out,
                   RunContext& context) {
    const int32_t W = p.windowSize, type = p.inputFileType, size = p.dataSize, offset = p.dataOffset;
    const ScaleProgression& sizes = p.averageProgression;
    switch (p.computationType) {
        case 0:
            return RunDynamicDma(W, sizes, in, type, out, size, offset, p.dynamicStep, &context);
        case 1:
            return RunDynamicDfa(W, p.dfaOrder, sizes, in, type, out, size, offset, p.dynamicStep,
                                 &context);
        case 2:
            return RunStaticDma(W, sizes, in, type, out, size, offset, &context);
        case 3:
            return RunStaticDfa(W, p.dfaOrder, sizes, in, type, out, size, offset, &context);
        case 4:
            return RunStaticSmoothedDma(W, p.dmaWeight, sizes, in, type, out, size, offset, &context);
        case 5:
            return RunDynamicShiftedDma(W, sizes, in, type, out, size, offset, p.shiftPercentage,
                                        p.dynamicStep, &context);
        case 6:
            return RunStaticShiftedDma(W, sizes, in, type, out, size, offset, p.shiftPercentage,
                                       &context);
        case 7:
            return RunStaticFirstOrderDma(W, sizes, in, type, out, size, offset, &context);
        case 8:
            return RunDynamicSmoothedDma(W, p.dmaWeight, sizes, in, type, out, size, offset,
                                         p.dynamicStep, &context);
        case 9:
            return RunStaticSmoothedDmaLambda(W, p.dmaWeight, p.dmaLambda, sizes, in, type, out,
                                              size, offset, &context);
        default:
            return kNotAnalysed;
    }
}

}  // namespace

int32_t RunAnalysis(AnalysisParameters& params, RunSummary* summary) {
    RunSummary local;
    RunSummary& report = summary ? *summary : local;
    report = RunSummary{};
    std::string listNote;
    if (!params.ExpandInputFiles(&listNote)) return -1;
    if (!listNote.empty()) WriteOutput(listNote + "\n");
    if (params.averageProgression.type == kCustom) {
        std::string note;
        params.averageProgression.Expand(&note);
        if (!note.empty()) WriteOutput("Warning: " + note + ".\n");
    }

    const int32_t type = params.computationType;
    if (type >= 0 && type < kComputationTypeCount) {
        report.resultPath = ResultFilePath(params.outputPath, params.testName, type);
        if (!TruncateFile(report.resultPath)) {
            // The other files of the run go to the same folder: nothing could be written.
            PrintFormatted("Cannot write result file [%s]: %s. Nothing is analysed.\n", report.resultPath.c_str(),
                           std::strerror(errno));
            report.notAnalysed = params.inputFiles;
            return 0;
        }
        RunContext context;
        context.integrate = params.integrate != 0;
        StopCheck stopRequested;
        for (const std::string& input : params.inputFiles) {
            int32_t status = kNotAnalysed;
            try {
                status = RunVariant(params, input, report.resultPath, context);
            } catch (const std::bad_alloc&) {
                // Memory grows with the series: one file too long must not end the run.
                PrintFormatted("Not enough memory to analyse [%s].\n", input.c_str());
            }
            if (status == kStopped || stopRequested()) {
                report.stopped = true;
                break;
            }
            (status == kAnalysed || status == kNotFinite ? report.analysed : report.notAnalysed).push_back(input);
            if (status == kNotFinite) report.notFinite.push_back(input);
        }
        report.chartFiles = std::move(context.chartFiles);
        report.incrementalFiles = std::move(context.incrementalFiles);
        if (report.stopped) return 0;
    }
    PrintProgress("Exiting...");
    return 0;
}

}  // namespace fractan
