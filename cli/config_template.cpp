#include "cli/commands.h"

#include "engine/methods.h"

namespace fractan::cli {
namespace {

constexpr int kMostOrder = static_cast<int>(DescriptionOf(kUsesOrder).most);

// Line 8's explanation: every computation type by its number.
std::string MethodLines() {
    std::string text = "# Line  8  computation type:\n";
    for (const Method& method : Methods())
        text += "#            " + std::to_string(method.id) + " " + MethodTitle(method) + "\n";
    return text;
}

}  // namespace

std::string ConfigTemplate() {
    AnalysisParameters example;
    example.inputFileMode = 0;
    example.inputFileName = "series.txt";
    example.inputFileType = 0;
    example.outputPath = "results";
    example.computationType = 2;
    example.dataSize = 65536;
    example.dataOffset = 0;
    example.windowSize = 60000;
    example.averageProgression = ScaleProgression{8, 2048, 8, kLinear, {}};
    example.testName = "run1";

    // The reader takes 35 lines, then lines 36 and 37 and lines 38 and 39
    // when their headers come; everything after them is free text.
    return example.ConfigText() + R"(
# ---------------------------------------------------------------------------
# FRACTAN configuration file. Only the first 39 lines above are read; the
# bracketed lines are headers that the reader skips without comparing them,
# but for lines 36 and 38: a file may end after line 35 (no integration,
# boxes from the end) or after line 37.
#
# Line  2  input mode: S one series file, M a files list (one path per line,
#          up to the first empty line).
# Line  3  the series file, or the files-list file in mode M.
# Line  4  file type: T text (one number per line, or a table: its first
#          column, or that of --column, which this file does not hold), B
#          binary (8-byte little-endian doubles, no header); a .npy file is
#          read as its array with either.
# Line  6  output folder of the result files.
)" + MethodLines() + R"(# Line 10  data size and offset: how many samples to load, from which sample
#          (counted from 0), separated by a tab.
# Line 12  window size W: the number of points over which the squared
#          deviations are averaged. DMA needs data size > W + 2 * M, where M is
#          the last moving-average window of the progression; DFA needs data
#          size > W, and takes its box sizes from the progression.
# Line 14  progression type: 0 linear, 2 custom file. (A geometric progression,
#          1, reads back as linear with the same numbers.)
# Line 15  progression start, end and step, separated by tabs.
# Line 17  custom progression file (type 2): a count N, then N window sizes.
# Line 19  files-list builder: first, last and step of the file numbers.
# Line 21  files-list builder: the folder of the numbered files.
# Line 23  files-list builder: the file name prefix.
# Line 25  cluster analysis: moving average type, 0 normal, 1 extended.
# Line 27  cluster analysis: distribution type (0 linear, 1 logarithmic) and step.
# Line 29  test name: the first part of every result file name.
# Line 31  smoothed DMA: filter weight and lambda.
# Line 33  DFA order: the degree of the polynomial fitted in each box, 0
#          constant, 1 linear, 2 quadratic, ... up to )" + std::to_string(kMostOrder) + R"(.
# Line 35  shifted DMA: the shift as a fraction of the window (0.5 = half).
# Line 37  1: analyse the cumulative sum of the values less their mean (for
#          increments such as returns or noise), as --integrate does; 0: not.
# Line 39  where the boxes of DFA lie, as --boxes takes it: end (the boxes tile
#          the window from its end), both (the tilings from its end and from
#          its start together), overlap (a box ending at every sample) or
#          overlap:STEP (box ends STEP of a box apart, 0 < STEP <= 1).
#
# Run it with:  fractan run THIS_FILE
)";
}

}  // namespace fractan::cli
