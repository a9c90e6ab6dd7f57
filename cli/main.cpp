// The `fractan` command: builds the command line from the table of
// subcommands, parses it and runs the one chosen. A new subcommand is a row,
// defined with its options in a file of cli/ (see subcommands.h), and its
// place in the table below, which is also its place in `fractan --help`.

#include <csignal>
#include <optional>

#include "cli/subcommands.h"
#include "setup/stop.h"
#ifdef FRACTAN_MPI
#include "cli/mpi_spread.h"
#endif

namespace {

using namespace fractan::cli;

const Subcommand* const kSubcommands[] = {
    &kRunCommand, &kDmaCommand, &kDfaCommand, &kClustersCommand, &kConfigCommand, &kDemoCommand,
    &kGenerateCommand, &kLocalSlopeCommand, &kFilesListCommand, &kCountLinesCommand, &kSampleCommand,
    &kMultifractalCommand, &kXcorrCommand,
};

fractan::StopSource interruptStop;

extern "C" void OnInterrupt(int signal) {
    interruptStop.RequestStop();
    std::signal(signal, SIG_DFL);  // a second Ctrl-C ends the program at once
}

}  // namespace

int main(int argc, char** argv) {
#ifdef FRACTAN_MPI
    std::optional<MpiRun> mpi;
    if (MpiRun::Launched()) mpi.emplace(argc, argv);
#endif
    CLI::App app{
        "FRACTAN: Hurst exponents of time series by detrending moving average (DMA) and "
        "detrended fluctuation analysis.\nProgress lines, and the lines saying why a file was not "
        "analysed, go to standard output; the command's own errors and its closing summary of "
        "failures go to standard error. Ctrl-C stops a calculation; files already written are kept."};
    app.require_subcommand(1);
    for (const Subcommand* row : kSubcommands) row->declare(*app.add_subcommand(row->name, row->help));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version end well; every other parse error is a usage error.
        return app.exit(e) == 0 ? kExitOk : kExitUsage;
    }
    const Subcommand* chosen = kSubcommands[0];  // require_subcommand(1): one was given
    for (const Subcommand* row : kSubcommands)
        if (app.got_subcommand(row->name)) chosen = row;
    const CLI::App& cmd = *app.get_subcommand(chosen->name);

    fractan::ScopedStopSource stopScope(interruptStop);
    std::signal(SIGINT, OnInterrupt);
#ifdef FRACTAN_MPI
    if (mpi) {
        // mpirun passes Ctrl-C on as SIGTERM; commands without a files list run on rank 0 alone.
        std::signal(SIGTERM, OnInterrupt);
        const bool runs = chosen->spreadsFiles || mpi->Root();
        return mpi->AgreedExitCode(runs ? chosen->run(cmd) : kExitOk);
    }
#endif
    return chosen->run(cmd);
}
