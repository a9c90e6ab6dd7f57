#include "setup/output.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace fractan {
namespace {

class StdoutSink : public OutputSink {
public:
    void Write(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
};

StdoutSink& DefaultSink() {
    static StdoutSink sink;
    return sink;
}

thread_local OutputSink* currentSink = nullptr;

OutputSink& Sink() { return currentSink ? *currentSink : DefaultSink(); }

std::string FormattedList(const char* format, va_list args) {
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0 || static_cast<size_t>(length) < sizeof small) return std::string(small, std::max(length, 0));
    std::string large(static_cast<size_t>(length), '\0');
    std::vsnprintf(large.data(), large.size() + 1, format, args);
    return large;
}

}  // namespace

void WriteOutput(std::string_view text) { Sink().Write(text); }

OutputSink& CurrentOutputSink() { return Sink(); }

std::string Formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormattedList(format, args);
    va_end(args);
    return text;
}

void PrintFormatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteOutput(FormattedList(format, args));
    va_end(args);
}

void PrintProgress(std::string_view text) {
    const std::string line = std::string(text) + '\n';
    ReportProgress({Progress::Kind::kPhase, line});
}

void ReportProgress(const Progress& progress) { Sink().Report(progress); }

ScopedOutputRedirect::ScopedOutputRedirect(OutputSink& sink) : previous_(currentSink) {
    currentSink = &sink;
}

ScopedOutputRedirect::~ScopedOutputRedirect() { currentSink = previous_; }

OutputCapture::OutputCapture() : redirect_(*this) {}

void OutputCapture::Write(std::string_view text) {
    std::lock_guard lock(mutex_);
    text_.append(text);
}

std::string OutputCapture::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

std::vector<std::string> OutputCapture::Lines() const {
    std::string text = Text();
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace fractan
