#include "ui/worker_thread.h"

#include <QMetaObject>

#include <exception>

namespace fractan::ui {

void OutputBuffer::Write(std::string_view text) {
    std::lock_guard lock(mutex_);
    text_.append(text);
}

void OutputBuffer::Report(const Progress& progress) {
    std::lock_guard lock(mutex_);
    text_.append(progress.line);
    if (progress.kind != Progress::Kind::kPhase) done_.emplace(progress.done, progress.total);
}

std::optional<std::pair<int64_t, int64_t>> OutputBuffer::TakeDone() {
    std::lock_guard lock(mutex_);
    return std::exchange(done_, std::nullopt);
}

QString OutputBuffer::Take() {
    std::string taken;
    {
        std::lock_guard lock(mutex_);
        taken.swap(text_);
    }
    return QString::fromLocal8Bit(taken.data(), static_cast<qsizetype>(taken.size()));
}

WorkerThread::WorkerThread(QObject* receiver, OutputSink& output)
    : receiver_(receiver), output_(output) {}

WorkerThread::~WorkerThread() {
    stop_.RequestStop();  // also when the page has not heard of the end yet
    Wait();
}

bool WorkerThread::Start(std::function<void()> calculation,
                         std::function<void()> finished) {
    if (busy_) return false;
    Wait();
    stop_.Clear();
    busy_ = true;
    thread_ = std::thread([this, calculation = std::move(calculation),
                           finished = std::move(finished)]() mutable {
        {
            ScopedOutputRedirect redirect(output_);
            ScopedStopSource stopSource(stop_);
            try {
                calculation();
            } catch (const std::exception& error) {
                PrintFormatted("The calculation ended with an error: %s\n", error.what());
            }
        }
        // Queued: the page may be waiting for this thread, and a blocking post
        // would never return. A page that is gone drops the call.
        QMetaObject::invokeMethod(
            receiver_,
            [this, finished = std::move(finished)] {
                busy_ = false;
                finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void WorkerThread::RequestStop() {
    if (busy_) stop_.RequestStop();
}

void WorkerThread::Wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace fractan::ui
