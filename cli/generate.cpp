// `fractan generate`: the fields of the series generator page, on the
// generator's own record and defaults.

#include <algorithm>
#include <cctype>

#include "cli/cli_support.h"
#include "cli/subcommands.h"
#include "generator/generator.h"

namespace fractan::cli {
namespace generate {
namespace {

GeneratorSettings settings = [] {
    GeneratorSettings s;
    s.outputPath = ".";
    return s;
}();
std::string kind = "both", method = "rmd";

void Declare(CLI::App& cmd) {
    GeneratorSettings& o = settings;
    cmd.add_option("--count", o.seriesCount, "Number of series for each Hurst exponent")->capture_default_str();
    cmd.add_option("--levels", o.lengthExponent, "Length exponent N: each series has 2^N + 1 values")
        ->capture_default_str();
    cmd.add_option("--hurst-start", o.hurstStart, "First Hurst exponent, in (0, 1]")->capture_default_str();
    cmd.add_option("--hurst-end", o.hurstEnd,
                   "Last Hurst exponent (inclusive): the exponents stop at or before it, each in (0, 1]")
        ->capture_default_str();
    cmd.add_option("--hurst-step", o.hurstStep, "Step of the Hurst exponent")->capture_default_str();
    cmd.add_option("-o,--output", o.outputPath, "Folder of the series files (must exist)")->capture_default_str();
    cmd.add_option("--prefix", o.filePrefix, "First part of each file name, before H=<H>-<number>")
        ->capture_default_str();
    cmd.add_option("--kind", kind, "Files to write: text (.txt), binary (.dat, 8-byte doubles) or both")
        ->capture_default_str();
    cmd.add_option("--precision", o.precision, "Decimals of each value in the text file")->capture_default_str();
    cmd.add_option("--method", method,
                   "Generator: rmd (random midpoint displacement, both ends 0) or fft (exact fractional "
                   "Brownian motion from 0 by circulant embedding, Davies and Harte)")
        ->capture_default_str();
    cmd.add_option("--seed", o.seed,
                   "Seed: negative, every series is the same, on every run; 0 or positive, a run "
                   "that repeats exactly, each seed and every series of the run, at every H, with draws "
                   "of their own; default: the calendar time, a different run each second");
}

// text | binary | both, or the kind's number.
std::optional<int32_t> ParseKind(std::string value) {
    std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::tolower(c); });
    if (value == "text" || value == "1") return kTextSeries;
    if (value == "binary" || value == "2") return kBinarySeries;
    if (value == "both" || value == "3") return kTextAndBinarySeries;
    return std::nullopt;
}

int Run(const CLI::App&) {
    std::ostream &out = std::cout, &err = std::cerr;
    const auto outputKind = ParseKind(kind);
    if (!outputKind) {
        err << "fractan: output kind [" << kind << "] is not text, binary or both.\n";
        return kExitFailure;
    }
    settings.outputKind = *outputKind;
    if (method == "fft") {
        settings.method = kSpectralMethod;
    } else if (method != "rmd") {
        err << "fractan: generator method [" << method << "] is not rmd or fft.\n";
        return kExitFailure;
    }
    const std::string refusal = GeneratorRefusal(settings);
    if (!refusal.empty()) {
        err << "fractan: " << refusal << " Nothing generated.\n";
        return kExitFailure;
    }
    if (!IsFolder(settings.outputPath)) {
        err << "fractan: output folder [" << settings.outputPath << "] does not exist.\n";
        return kExitFailure;
    }
    GeneratorSummary summary;
    switch (Generate(settings, &summary)) {
        case kGenerated:
            out << "Series written: " << summary.seriesWritten << "\n";
            return kExitOk;
        case kGeneratorStopped:
            err << "fractan: generation stopped; the series written so far are kept.\n";
            return kExitStopped;
        case kSomeSeriesFailed:
            err << "fractan: " << summary.seriesFailed << " of " << summary.seriesWritten + summary.seriesFailed
                << " series could not be written.\n";
            return kExitFailure;
        case kGeneratorRefused:
            break;
    }
    return kExitFailure;
}

}  // namespace
}  // namespace generate

const Subcommand kGenerateCommand{
    "generate", "Generate fractional series with prescribed Hurst exponents by random midpoint displacement or FFT",
    generate::Declare, generate::Run, false};

}  // namespace fractan::cli
