#pragma once
// Helpers of the tests: a scratch folder and small file readers and writers.

#include <string>
#include <string_view>
#include <vector>

#include "setup/output.h"
#include "setup/parameters.h"
#include "setup/stop.h"

namespace fractan::test {

// A fresh folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteText(const std::string& path, const std::string& text);
void WriteNumbers(const std::string& path, const std::vector<double>& values);
void WriteBinary(const std::string& path, const std::vector<double>& values);
std::string ReadText(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);
bool Exists(const std::string& path);

// A Gaussian random walk from a fixed seed.
std::vector<double> RandomWalk(int count, unsigned seed);

// The result line that WriteResultLine writes, as text.
std::string ResultLine(const std::string& fileName, int dataSize, int dataOffset, int position,
                       double hurst);

// Splits a line at tabs.
std::vector<std::string> SplitTabs(const std::string& line);

// H (the fifth field) of result line `line` of a result or incremental file.
double HurstOf(const std::string& path, size_t line = 0);
// Field `field` (0-based, tab-separated) of every line of a file.
std::vector<std::string> Column(const std::string& path, size_t field);
// The lines that begin with `prefix`.
std::vector<std::string> StartingWith(const std::vector<std::string>& lines, const std::string& prefix);
// The 8-byte numbers of a binary file.
std::vector<double> ReadDoubles(const std::string& path);
// The record of a small run: one text series, static DMA (type 2), window 50,
// data size 100, window sizes 2, 4, 6, 8, test name "t", results into `folder`.
AnalysisParameters SmallRun(const std::string& folder);

// A row of tests/refusals.tsv: settings every front end refuses, and the reason.
struct RefusalRow {
    bool dfa;
    int type, samples, window, start, step, end, weight;
    double shift;
    int order, dynamicStep;
    std::string boxes, reason;
};
std::vector<RefusalRow> RefusalRows();

// A fresh folder with the series s.txt and the files of a run whose result file is <name>.out.txt.
struct SeriesFolder {
    TempDir dir;
    std::string input = dir.File("s.txt");
    std::string Result(const std::string& name) const { return dir.File(name + ".out.txt"); }
    std::string Chart(const std::string& name) const { return Result(name) + ".s.txt.chart.txt"; }
    std::string Inc(const std::string& name) const { return dir.File(name + ".out.s.inc.txt"); }
};

// Captures the calling thread's output and requests a stop when a given line is printed.
class StopOnLine : public OutputSink {
public:
    StopOnLine(StopSource& stop, std::string line) : stop_(stop), line_(std::move(line)), redirect_(*this) {}
    void Write(std::string_view text) override {
        text_.append(text);
        if (text.substr(0, text.size() - 1) == line_) stop_.RequestStop();
    }
    const std::string& Text() const { return text_; }

private:
    StopSource& stop_;
    std::string line_;
    std::string text_;
    ScopedOutputRedirect redirect_;
};

}  // namespace fractan::test
