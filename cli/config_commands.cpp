// `fractan run`, which runs a configuration file, and `fractan config
// template`, which prints an example of one.

#include "cli/subcommands.h"

namespace fractan::cli {
namespace {

std::string configPath, runColumn;
int32_t runJobs = 0;

void DeclareRun(CLI::App& cmd) {
    cmd.add_option("config", configPath, "Configuration file (see `fractan config template`)")->required();
    AddColumnOption(cmd, runColumn);
    AddJobsOption(cmd, runJobs);
}

void DeclareConfig(CLI::App& cmd) {
    cmd.require_subcommand(1);
    cmd.add_subcommand("template", "Print a commented example configuration file");
}

int RunConfig(const CLI::App&) {  // its only subcommand: template
    std::cout << ConfigTemplate() << std::flush;
    if (std::cout) return kExitOk;
    std::cerr << "fractan: cannot write the template to standard output.\n";
    return kExitFailure;
}

}  // namespace

const Subcommand kRunCommand{
    "run", "Run the analysis that a configuration file describes", DeclareRun,
    [](const CLI::App&) { return RunConfigCommand(configPath, std::cout, std::cerr, runJobs, runColumn); }, true};

const Subcommand kConfigCommand{"config", "Configuration file helpers", DeclareConfig, RunConfig, false};

}  // namespace fractan::cli
