#include "ui/run_log.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTime>
#include <QTimer>

#include <algorithm>


namespace fractan::ui {

RunLog::RunLog(QWidget* page) : QObject(page) {
    pane_ = new QPlainTextEdit;
    pane_->setObjectName("log");
    pane_->setReadOnly(true);
    pane_->setMaximumBlockCount(20000);
    pane_->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane_->setPlaceholderText("The progress and messages of a run appear here.");
    bar_ = new QProgressBar;
    bar_->setObjectName("progress");
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);  // the percentages are in the log
    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &RunLog::TakeOutput);
    worker_ = std::make_unique<WorkerThread>(this, output_);
}

RunLog::~RunLog() { StopAndWait(); }

void RunLog::StopAndWait() { worker_->StopAndWait(); }

void RunLog::Begin(const QString& what) {
    output_.Take();
    output_.TakeDone();
    pending_.clear();
    AppendLine(QString("=== %1, started %2 ===").arg(what, QTime::currentTime().toString("HH:mm:ss")));
    bar_->setRange(0, 0);
    bar_->setValue(0);
}

bool RunLog::StartInWorker(std::function<void()> run, std::function<void()> finished) {
    const bool started = worker_->Start(std::move(run), [this, finished = std::move(finished)] {
        timer_->stop();
        Flush();
        finished();
    });
    if (started) timer_->start();
    return started;
}

void RunLog::RunHere(const std::function<void()>& run) {
    // The window waits for the run; its lines are shown as they come.
    class ShowingSink : public OutputSink {
    public:
        explicit ShowingSink(RunLog& log) : log_(log) { clock_.start(); }
        void Write(std::string_view text) override {
            log_.output_.Write(text);
            Show();
        }
        void Report(const Progress& progress) override {
            log_.output_.Report(progress);
            Show();
        }

    private:
        void Show() {
            if (clock_.elapsed() < 100) return;
            clock_.restart();
            log_.TakeOutput();
            log_.pane_->repaint();
            log_.bar_->repaint();
        }

        RunLog& log_;
        QElapsedTimer clock_;
    } sink(*this);
    {
        ScopedOutputRedirect redirect(sink);
        run();
    }
    Flush();
}

void RunLog::End(bool stopped) {
    Flush();
    bar_->setRange(0, 100);
    if (stopped)
        AppendLine("Stopped.");
    else
        bar_->setValue(100);
}

void RunLog::TakeOutput() {
    QString text = pending_ + output_.Take();
    qsizetype start = 0;
    for (qsizetype end; (end = text.indexOf('\n', start)) >= 0; start = end + 1)
        AppendLine(text.mid(start, end - start));
    pending_ = text.mid(start);
    // Busy until some of the work is done.
    if (const auto done = output_.TakeDone(); done && done->first > 0 && done->second > 0) {
        bar_->setRange(0, 100);
        bar_->setValue(static_cast<int>(100 * std::min(done->first, done->second) / done->second));
    }
}

void RunLog::Flush() {
    TakeOutput();
    if (!pending_.isEmpty()) AppendLine(std::exchange(pending_, QString()));
}

void RunLog::AppendLine(const QString& line) { pane_->appendPlainText(line); }

}  // namespace fractan::ui
