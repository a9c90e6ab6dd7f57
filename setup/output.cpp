#include "setup/output.h"

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

}  // namespace

void WriteOutput(std::string_view text) { Sink().Write(text); }

OutputSink& CurrentOutputSink() { return Sink(); }

void PrintFormatted(const char* format, ...) {
    char small[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<size_t>(length) < sizeof small) {
        WriteOutput(std::string_view(small, length));
    } else {
        std::string large(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(large.data(), large.size(), format, copy);
        large.resize(static_cast<size_t>(length));
        WriteOutput(large);
    }
    va_end(copy);
}

void PrintProgress(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 1);
    line.append(text);
    line.push_back('\n');
    ReportProgress({Progress::Kind::kPhase, line});
}

void ReportProgress(const Progress& progress) { Sink().Report(progress); }

ScopedOutputRedirect::ScopedOutputRedirect(OutputSink& sink) : previous_(currentSink) {
    currentSink = &sink;
}

ScopedOutputRedirect::~ScopedOutputRedirect() { currentSink = previous_; }

OutputCapture::OutputCapture() : redirect_(*this) {}

OutputCapture::~OutputCapture() = default;

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
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace fractan
