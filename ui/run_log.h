#pragma once
// A page's runs as the user follows them: the log pane that shows every line
// a run prints, the progress bar that follows the progress it reports, and
// the page's worker. Lines reach the pane
// as they come, from the worker a few times a second and from a run in the
// window's thread as it prints.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "ui/worker_thread.h"

class QPlainTextEdit;
class QProgressBar;
class QTimer;
class QWidget;

namespace fractan::ui {

class RunLog : public QObject {
    Q_OBJECT
public:
    // The pane ("log") and the bar ("progress") are for the page to lay out.
    explicit RunLog(QWidget* page);
    // Asks a running calculation to stop and waits for it.
    ~RunLog() override;

    QPlainTextEdit* Pane() const { return pane_; }
    QProgressBar* Bar() const { return bar_; }

    // A header line "=== what, started HH:MM:SS ===" and a busy bar until the
    // run reports how far it is.
    void Begin(const QString& what);
    // Runs `run` in the worker, then `finished` in the window's thread once
    // every line is in the pane. False, with nothing started, while the
    // worker is busy.
    bool StartInWorker(std::function<void()> run, std::function<void()> finished);
    // Runs `run` in the window's thread, repainting the pane and bar as it prints.
    void RunHere(const std::function<void()>& run);
    // After a run: "Stopped." or a full bar.
    void End(bool stopped);
    void AppendLine(const QString& line);

    bool Busy() const { return worker_->Busy(); }
    void RequestStop() { worker_->RequestStop(); }
    void StopAndWait();

private:
    // Moves the printed lines to the pane; a piece without a line end waits
    // for its end, or for Flush.
    void TakeOutput();
    void Flush();

    QPlainTextEdit* pane_;
    QProgressBar* bar_;
    QTimer* timer_;
    QString pending_;  // a printed piece that has no line end yet
    OutputBuffer output_;
    // Last: its thread uses the output buffer and is joined before it goes.
    std::unique_ptr<WorkerThread> worker_;
};

}  // namespace fractan::ui
