// The subcommands without a files list to analyse: the demo, the series
// generator, the local slope and the small file tools.

#include "cli/subcommands.h"

namespace fractan::cli {
namespace {

DemoOptions demo;
GenerateOptions generate;
LocalSlopeOptions localSlope;
FilesListOptions filesList;
std::string countPath;
SampleOptions sample;

void DeclareDemo(CLI::App& cmd) {
    cmd.add_option("--folder", demo.folder, "Folder for the series and the results")->capture_default_str();
    cmd.add_option("--levels", demo.levels, "Length exponent N: the series has 2^N + 1 samples")
        ->capture_default_str()
        ->check(CLI::Range(kMinDemoLevels, kMaxDemoLevels));
    cmd.add_option("--seed", demo.seed, "Seed of the generator (negative: the same series on every run)")
        ->capture_default_str();
}

// The fields of the series generator page.
void DeclareGenerate(CLI::App& cmd) {
    GenerateOptions& o = generate;
    cmd.add_option("--count", o.count, "Number of series for each Hurst exponent")->capture_default_str();
    cmd.add_option("--levels", o.levels, "Length exponent N: each series has 2^N + 1 values")
        ->capture_default_str();
    cmd.add_option("--hurst-start", o.hurstStart, "First Hurst exponent, in (0, 1]")->capture_default_str();
    cmd.add_option("--hurst-end", o.hurstEnd,
                   "Last Hurst exponent (inclusive): the exponents stop at or before it, each in (0, 1]")
        ->capture_default_str();
    cmd.add_option("--hurst-step", o.hurstStep, "Step of the Hurst exponent")->capture_default_str();
    cmd.add_option("-o,--output", o.output, "Folder of the series files (must exist)")->capture_default_str();
    cmd.add_option("--prefix", o.prefix, "First part of each file name, before H=<H>-<number>")
        ->capture_default_str();
    cmd.add_option("--kind", o.kind, "Files to write: text (.txt), binary (.dat, 8-byte doubles) or both")
        ->capture_default_str();
    cmd.add_option("--precision", o.precision, "Decimals of each value in the text file")->capture_default_str();
    cmd.add_option("--method", o.method,
                   "Generator: rmd (random midpoint displacement, both ends 0) or fft (exact fractional "
                   "Brownian motion from 0 by circulant embedding, Davies and Harte)")
        ->capture_default_str();
    cmd.add_option("--seed", o.seed,
                   "Seed: negative, every series is the same, on every run; 0 or positive, a run "
                   "that repeats exactly, each seed and every series of the run, at every H, with draws "
                   "of their own; default: the calendar time, a different run each second");
}

void DeclareLocalSlope(CLI::App& cmd) {
    cmd.add_option("chart", localSlope.chart, "Chart file: lines beginning with two positive numbers")->required();
    cmd.add_option("--width", localSlope.width, "Window width, in decades of the first column")
        ->capture_default_str();
    cmd.add_option("--delta", localSlope.delta, "Step between window centres, in decades")->capture_default_str();
}

// The fields of the files-list page.
void DeclareFilesList(CLI::App& cmd) {
    FilesListOptions& o = filesList;
    cmd.add_option("--path", o.path, "Folder of the listed files")->capture_default_str();
    cmd.add_option("--prefix", o.prefix, "First part of each file name, before its number");
    cmd.add_option("--start", o.start, "First number")->capture_default_str();
    cmd.add_option("--step", o.step, "Step between numbers (greater than 0)")->capture_default_str();
    cmd.add_option("--end", o.end, "Last number (inclusive)")->capture_default_str();
    cmd.add_option("--ext", o.ext, "Extension of the listed files (txt, dat, ...)")->capture_default_str();
    cmd.add_option("-o,--output", o.output, "The files-list file to write")->required();
    cmd.add_flag("--force", o.force, "Write a list of more than a million lines");
}

void DeclareSample(CLI::App& cmd) {
    cmd.add_option("file", sample.input, "The file to copy from")->required();
    cmd.add_option("--bytes", sample.bytes, "Characters to copy")->capture_default_str();
    cmd.add_option("--skip", sample.skip, "Characters to leave out first")->capture_default_str();
}

}  // namespace

const Subcommand kDemoCommand{
    "demo",
    "Generate a series with H = 0.7 by random midpoint displacement, estimate its H by static DMA and "
    "static DFA, and print them",
    DeclareDemo, [](const CLI::App&) { return RunDemoCommand(demo, std::cout, std::cerr); }, false};

const Subcommand kGenerateCommand{
    "generate",
    "Generate fractional series with prescribed Hurst exponents by random midpoint displacement or FFT",
    DeclareGenerate, [](const CLI::App&) { return RunGenerateCommand(generate, std::cout, std::cerr); }, false};

const Subcommand kLocalSlopeCommand{
    "localslope", "Write the local slope of a chart file to CHART.localslope.txt", DeclareLocalSlope,
    [](const CLI::App&) { return RunLocalSlopeCommand(localSlope, std::cout, std::cerr); }, false};

const Subcommand kFilesListCommand{
    "fileslist", "Write a files-list file naming a run of numbered files", DeclareFilesList,
    [](const CLI::App&) { return RunFilesListCommand(filesList, std::cout, std::cerr); }, false};

const Subcommand kCountLinesCommand{
    "countlines", "Print the number of line feeds in a file",
    [](CLI::App& cmd) { cmd.add_option("file", countPath, "The file to count")->required(); },
    [](const CLI::App&) { return RunCountLinesCommand(countPath, std::cout, std::cerr); }, false};

const Subcommand kSampleCommand{
    "sample", "Copy the beginning of a file to FILE.sample", DeclareSample,
    [](const CLI::App&) { return RunSampleCommand(sample, std::cout, std::cerr); }, false};

}  // namespace fractan::cli
