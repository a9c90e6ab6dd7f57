// `fractan localslope CHART`: the local slope page's calculation.

#include "cli/subcommands.h"
#include "slope/local_slope.h"

namespace fractan::cli {
namespace local_slope {
namespace {

std::string chart;
double width = 1.0, delta = 0.1;

void Declare(CLI::App& cmd) {
    cmd.add_option("chart", chart, "Chart file: lines beginning with two positive numbers")->required();
    cmd.add_option("--width", width, "Window width, in decades of the first column")->capture_default_str();
    cmd.add_option("--delta", delta, "Step between window centres, in decades")->capture_default_str();
}

int Run(const CLI::App&) {
    std::ostream& err = std::cerr;
    if (!(delta > 0.0)) {
        err << "fractan: the window delta is " << delta << ", it must be greater than 0.\n";
        return kExitFailure;
    }
    bool written = false;
    switch (LocalSlope(chart, width, delta, &written)) {
        case kChartNotOpened:
            err << "fractan: cannot read chart file [" << chart << "].\n";
            return kExitFailure;
        case kLocalSlopeStopped:
            err << "fractan: local slope stopped; nothing was written.\n";
            return kExitStopped;
        case kLocalSlopeRefused:
            err << "fractan: no local slope file was written.\n";
            return kExitFailure;
        case kLocalSlopeEmpty:
            err << "fractan: " << EmptyLocalSlopeNote(LocalSlopePath(chart)) << "\n";
            return kExitFailure;
        default:
            break;
    }
    if (!written) {
        err << "fractan: cannot write [" << LocalSlopePath(chart) << "].\n";
        return kExitFailure;
    }
    std::cout << "Local slope file: [" << LocalSlopePath(chart) << "]\n";
    return kExitOk;
}

}  // namespace
}  // namespace local_slope

const Subcommand kLocalSlopeCommand{"localslope", "Write the local slope of a chart file to CHART.localslope.txt",
                                    local_slope::Declare, local_slope::Run, false};

}  // namespace fractan::cli
