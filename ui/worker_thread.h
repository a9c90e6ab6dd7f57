#pragma once
// The background thread of an analysis page. It runs one calculation at a
// time, with a stop request of its own and its output sent to the page; the
// page hears of the end in its own thread.

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <thread>

#include "setup/output.h"
#include "setup/stop.h"

namespace fractan::ui {

// Collects text printed by a calculation, from whichever thread, until the
// page takes it.
class OutputBuffer : public OutputSink {
public:
    void Write(std::string_view text) override;
    // Keeps the line and, for a count of work done, how far the work is.
    void Report(const Progress& progress) override;
    // Everything written since the last call.
    QString Take();
    // How far the work is (done, total), when a count was reported since the last call.
    std::optional<std::pair<int64_t, int64_t>> TakeDone();

private:
    std::mutex mutex_;
    std::string text_;
    std::optional<std::pair<int64_t, int64_t>> done_;
};

class WorkerThread {
public:
    // The end of each calculation is told in `receiver`'s thread.
    WorkerThread(QObject* receiver, OutputSink& output);
    // Asks a running calculation to stop and waits for it.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `calculation` in the background, then `finished` in the receiver's
    // thread. False, with nothing started, while the previous calculation has
    // not finished.
    bool Start(std::function<void()> calculation, std::function<void()> finished);
    // Asks the running calculation to stop; it ends at its next stop point and
    // writes nothing more. Nothing happens when none runs.
    void RequestStop();
    // From Start until `finished` has been called.
    bool Busy() const { return busy_; }
    // Waits until the thread of the last calculation has ended.
    void Wait();
    void StopAndWait() {
        RequestStop();
        Wait();
    }

private:
    QObject* receiver_;
    OutputSink& output_;
    StopSource stop_;
    bool busy_ = false;  // touched only in the receiver's thread
    // Last, so that it is joined before the members it uses go.
    std::thread thread_;
};

// A page whose work may run in its worker: the window asks before closing
// while one runs, then stops it and waits for it.
class WorkerPage {
public:
    virtual ~WorkerPage() = default;
    virtual bool WorkerBusy() const = 0;
    // Asks the running work to stop and waits for its thread to end.
    virtual void StopAndWait() = 0;
};

}  // namespace fractan::ui
