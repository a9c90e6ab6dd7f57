#pragma once
// Helpers of the desktop tests: services that answer from a script, and
// access to a page's widgets by their object names.

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/form_services.h"
#include "ui/run_log.h"
#include "ui/worker_thread.h"

namespace fractan::ui::test {

// Choosers answer with the queued paths (empty when none is queued: a
// cancel); viewers and message boxes only record what they were given.
class ScriptedServices : public FormServices {
public:
    std::deque<QString> answers;
    bool confirmation = true;  // the answer to every question
    QStringList messages, questions, viewedTexts, viewedFolders, filters, initialFiles;
    // "Bytes to copy": the queued answers (nothing is a cancel; an empty queue
    // confirms the preset) and the presets shown.
    std::deque<std::optional<uint32_t>> byteCounts;
    std::vector<uint32_t> bytePresets;

    QString OpenFile(const QString& filter, const QString& initialFile) override { return Answer(filter, initialFile); }
    QString SaveFile(const QString& filter, const QString& initialFile) override { return Answer(filter, initialFile); }
    QString ChooseFolder(const QString& initialFolder) override { return Answer(QString(), initialFolder); }
    void ViewText(const QString& path) override { viewedTexts << path; }
    void ViewFolder(const QString& path) override { viewedFolders << path; }
    void Message(const QString& text) override { messages << text; }
    bool Confirm(const QString& text) override {
        questions << text;
        return confirmation;
    }

    std::optional<uint32_t> AskBytesToCopy(uint32_t preset) override {
        bytePresets.push_back(preset);
        if (byteCounts.empty()) return preset;
        const std::optional<uint32_t> answer = byteCounts.front();
        byteCounts.pop_front();
        return answer;
    }

private:
    QString Answer(const QString& filter, const QString& initial) {
        filters << filter;
        initialFiles << initial;
        if (answers.empty()) return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A page on the scripted services, shown as the user sees it.
template <class Page>
std::unique_ptr<Page> ShownPage(ScriptedServices& services) {
    auto page = std::make_unique<Page>(services);
    page->show();
    return page;
}

template <class T>
T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(name);
    if (!child) qFatal("no widget named %s", name);
    return child;
}

inline void SetText(QWidget* page, const char* name, const QString& text) {
    Child<QLineEdit>(page, name)->setText(text);
}
inline void Select(QWidget* page, const char* name, int index) {
    Child<QComboBox>(page, name)->setCurrentIndex(index);
}
inline void Click(QWidget* page, const char* name) { Child<QAbstractButton>(page, name)->click(); }
// Shown on the page as the user sees it (the page itself is shown by the test).
inline bool Shown(QWidget* page, const char* name) { return Child<QWidget>(page, name)->isVisible(); }

// Window, progression (linear) and data size of a DMA or DFA form.
inline void FillSizes(QWidget* page, int window, int start, int step, int end, int dataSize) {
    SetText(page, "windowSize", QString::number(window));
    SetText(page, "progressionStart", QString::number(start));
    SetText(page, "progressionStep", QString::number(step));
    SetText(page, "progressionEnd", QString::number(end));
    Select(page, "progressionType", 0);
    SetText(page, "dataSize", QString::number(dataSize));
}

// A single text input analysed into `folder` under the test name "t".
inline void FillInput(QWidget* page, const std::string& input, const std::string& folder, int fileType = 0) {
    Select(page, "inputMode", 0);
    SetText(page, "inputFile", QString::fromStdString(input));
    Select(page, "fileType", fileType);
    SetText(page, "offset", "0");
    SetText(page, "outputPath", QString::fromStdString(folder));
    SetText(page, "testName", "t");
}

// Waits until the page's work has ended and the page has been told (a minute at most).
inline void WaitForWorker(const WorkerPage& page) {
    QElapsedTimer clock;
    clock.start();
    while (page.WorkerBusy() && clock.elapsed() < 60000) QTest::qWait(10);
    if (page.WorkerBusy()) qFatal("the page's work did not end within a minute");
}

inline void WaitForWorkerOf(const RunLog& log) {
    QElapsedTimer clock;
    clock.start();
    while (log.Busy() && clock.elapsed() < 60000) QTest::qWait(10);
    if (log.Busy()) qFatal("the run did not end within a minute");
}

inline QString LogText(QWidget* page) { return Child<QPlainTextEdit>(page, "log")->toPlainText(); }
// The status mark's tooltip: "Idle", "Error" or what the page is busy with.
inline QString StatusMark(QWidget* page) { return Child<QLabel>(page, "statusIcon")->toolTip(); }

// Dynamic DFA over most of a long binary walk with step 1: about W·K
// operations per position, long enough to be stopped in the middle.
inline void FillLongDynamicDfa(QWidget* page, const std::string& input, const std::string& folder) {
    FillInput(page, input, folder, 1);
    Select(page, "computationType", 0);
    FillSizes(page, 4000, 4, 4, 1000, 199999);
    SetText(page, "dynamicStep", "1");
    SetText(page, "dfaOrder", "1");
}

}  // namespace fractan::ui::test
