#pragma once
// The one channel through which the core prints its progress and error lines.
// By default text goes to standard output; a thread may redirect its own output
// (a test capturing lines, the desktop application's worker showing them).

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace fractan {

// What a long run tells as it goes, typed, besides its lines: the pages show
// it in their bars, the command prints it.
struct Progress {
    enum class Kind {
        kPhase,     // a step begins ("Shifting data...") or ends ("Done.")
        kPercent,   // `done` percent of the positions of a dynamic computation
        kSeries,    // series `done` of `total` of a generation begins
        kFileDone,  // file `done` of `total` of a files list is committed, with its `status`
    };
    Kind kind = Kind::kPhase;
    std::string_view line;  // what is printed for it, with its line end; may be empty
    int64_t done = 0, total = 100;
    int32_t status = 0;     // kFileDone: kAnalysed, kNotAnalysed, ... (engine/variant.h)
};

class OutputSink {
public:
    virtual ~OutputSink() = default;
    // Receives text exactly as printed: whole lines, or pieces without a line end.
    virtual void Write(std::string_view text) = 0;
    // Receives progress; printing its line is what most sinks do with it.
    virtual void Report(const Progress& progress) {
        if (!progress.line.empty()) Write(progress.line);
    }
};

// Hands progress to the calling thread's sink.
void ReportProgress(const Progress& progress);

// Writes text as it stands to the calling thread's sink.
void WriteOutput(std::string_view text);

// The calling thread's sink (standard output unless redirected): threads that
// share a computation print to it.
OutputSink& CurrentOutputSink();

// The text printf would print.
std::string Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-style line with a format string of its own (which carries its own line end).
void PrintFormatted(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The shared progress printer: a phase whose line is the text followed by a
// line end.
void PrintProgress(std::string_view text);

// Redirects the calling thread's output to a sink for the life of this object.
class ScopedOutputRedirect {
public:
    explicit ScopedOutputRedirect(OutputSink& sink);
    ~ScopedOutputRedirect();
    ScopedOutputRedirect(const ScopedOutputRedirect&) = delete;
    ScopedOutputRedirect& operator=(const ScopedOutputRedirect&) = delete;

private:
    OutputSink* previous_;
};

// Discards everything the calling thread prints while it is alive.
class OutputSilence : public OutputSink {
public:
    OutputSilence() : redirect_(*this) {}
    void Write(std::string_view) override {}
    void Report(const Progress&) override {}

private:
    ScopedOutputRedirect redirect_;
};

// Collects everything printed while it is alive and hands it back line by line.
class OutputCapture : public OutputSink {
public:
    OutputCapture();
    void Write(std::string_view text) override;

    std::string Text() const;
    // Complete lines without their line ends; a trailing piece without a line end
    // comes last.
    std::vector<std::string> Lines() const;

private:
    mutable std::mutex mutex_;
    std::string text_;
    ScopedOutputRedirect redirect_;
};

}  // namespace fractan
