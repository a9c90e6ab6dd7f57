#pragma once
// Helpers of the desktop tests: services that answer from a script, and
// access to a page's widgets by their object names.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QWidget>

#include <deque>
#include <optional>
#include <string>

#include "test_support.h"
#include "ui/form_services.h"
#include "ui/worker_thread.h"

namespace fractan::ui::test {

// Choosers and the "Bytes to copy" dialog answer from their queues (an empty
// one is a cancel); viewers and message boxes only record what they were
// given; questions are answered with `confirmation`.
class ScriptedServices : public FormServices {
public:
    std::deque<QString> answers;
    std::deque<std::optional<uint32_t>> byteCounts;
    bool confirmation = true;
    QStringList messages, questions, viewedTexts;

    QString OpenFile(const QString&, const QString&) override { return Next(answers); }
    QString SaveFile(const QString&, const QString&) override { return Next(answers); }
    QString ChooseFolder(const QString&) override { return Next(answers); }
    std::optional<uint32_t> AskBytesToCopy(uint32_t) override { return Next(byteCounts); }
    void ViewText(const QString& path) override { viewedTexts << path; }
    void ViewFolder(const QString&) override {}
    void Message(const QString& text) override { messages << text; }
    bool Confirm(const QString& text) override { questions << text; return confirmation; }

private:
    template <class T>
    static T Next(std::deque<T>& queue) {
        if (queue.empty()) return {};
        T next = queue.front();
        queue.pop_front();
        return next;
    }
};

// A page on scripted services, shown as the user sees it, and a scratch folder.
template <class Page>
struct ShownPage {
    fractan::test::TempDir dir;
    ScriptedServices services;
    Page page{services};
    ShownPage() { page.show(); }
};

template <class T>
T* Child(QWidget* parent, const char* name) {
    if (T* child = parent->findChild<T*>(name)) return child;
    qFatal("no widget named %s", name);
}

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline QString N(double value) { return QString::number(value); }
inline QString Text(QWidget* page, const char* name) { return Child<QLineEdit>(page, name)->text(); }
inline void Click(QWidget* page, const char* name) { Child<QAbstractButton>(page, name)->click(); }
inline QString LogText(QWidget* page) { return Child<QPlainTextEdit>(page, "log")->toPlainText(); }
// The status mark's tooltip: "Idle", "Error" or what the page is busy with.
inline QString StatusMark(QWidget* page) { return Child<QLabel>(page, "statusIcon")->toolTip(); }

// Fields by name, in order: a line field takes the text, a list the index, a check box "1" or "0".
inline void Set(QWidget* page, std::initializer_list<std::pair<const char*, QString>> fields) {
    for (const auto& [name, text] : fields) {
        if (auto* line = page->findChild<QLineEdit*>(name)) line->setText(text);
        else if (auto* list = page->findChild<QComboBox*>(name)) list->setCurrentIndex(text.toInt());
        else Child<QAbstractButton>(page, name)->setChecked(text == "1");
    }
}

// A single input analysed into `folder` under the test name "t".
inline void FillInput(QWidget* page, const std::string& input, const std::string& folder, int fileType = 0) {
    Set(page, {{"inputMode", "0"}, {"inputFile", Q(input)}, {"fileType", N(fileType)}, {"offset", "0"},
               {"outputPath", Q(folder)}, {"testName", "t"}});
}

// Waits until the page's work has ended and the page has been told (a minute at most).
inline void WaitForWorker(const WorkerPage& page) {
    if (!QTest::qWaitFor([&] { return !page.WorkerBusy(); }, 60000)) qFatal("the page's work did not end within a minute");
}

// Stops the page's work with its Stop button: true when it ended within five seconds.
template <class Page>
bool StoppedPromptly(Page& page) {
    Click(&page, "stop");
    return QTest::qWaitFor([&] { return !page.WorkerBusy(); }, 5000);
}

// Dynamic DFA over most of a long binary walk with step 1: about W·K
// operations per position, long enough to be stopped in the middle.
inline void FillLongDynamicDfa(QWidget* page, const std::string& input, const std::string& folder) {
    FillInput(page, input, folder, 1);
    Set(page, {{"windowSize", "4000"}, {"progressionStart", "4"}, {"progressionStep", "4"}, {"progressionEnd", "1000"},
               {"progressionType", "0"}, {"dataSize", "199999"}, {"computationType", "0"}, {"dynamicStep", "1"}});
}

}  // namespace fractan::ui::test
