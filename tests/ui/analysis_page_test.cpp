// The analysis pages driven through their widgets, as a user would.

#include <QLabel>
#include <QTest>
#include <QThread>

#include "test_support.h"
#include "ui/analysis_page.h"
#include "ui/result_chart.h"
#include "ui_test_support.h"

using namespace fractan;
using namespace fractan::ui;
using namespace fractan::ui::test;
using fractan::test::ReadLines;

class AnalysisPageTest : public QObject {
    Q_OBJECT
private slots:
    void everyFieldGoesToItsOwnMember();
    void loadAndSaveAConfiguration();
    void calculationsWriteResultsAndDrawTheirChart();
    void refusesWhatEveryFrontEndRefuses();
};

void AnalysisPageTest::everyFieldGoesToItsOwnMember() {
    ShownPage<CDMAPage> dma;
    ShownPage<CDFAPage> dfa;
    ShownPage<CClustersPage> clusters;
    Set(&dma.page, {{"computationType", "3"}, {"offset", "1"}, {"windowSize", "2"}, {"dataSize", "3"},
                    {"progressionStart", "4"}, {"progressionStep", "5"}, {"progressionEnd", "6"}, {"dmaWeight", "7"},
                    {"shiftPercentage", "8.5"}, {"dynamicStep", "9"}, {"inputMode", "1"}, {"fileType", "1"},
                    {"progressionType", "2"}, {"customFile", "/sizes"}, {"integrate", "1"}});
    // A chosen series fills the fields still fresh as the command does: type, data size, largest box, test name.
    fractan::test::WriteNumbers(clusters.dir.File("c.txt"), fractan::test::RandomWalk(5000, 6));
    Set(&dfa.page, {{"computationType", "1"}, {"dfaOrder", "11"}, {"dfaBoxes", "both"}, {"offset", "1000"},
                    {"windowSize", "1200"}});
    dfa.services.answers = {Q(clusters.dir.File("c.txt"))};
    Click(&dfa.page, "inputBrowse");
    FillInput(&clusters.page, clusters.dir.File("c.txt"), clusters.dir.Path());
    Set(&clusters.page, {{"windowSize", "5000"}, {"progressionStart", "10"}, {"progressionStep", "10"},
                         {"progressionEnd", "30"}, {"progressionType", "0"}, {"distributionStep", "0.5"},
                         {"distributionType", "1"}, {"averageType", "1"}, {"globalStatisticsOnly", "0"},
                         {"badAbove", "1e6"}, {"generateMovingAverageFiles", "1"}});
    // Refused by the checks, failing or run: either way the form is read.
    for (auto* page : std::initializer_list<CAnalysisPage*>{&dma.page, &dfa.page, &clusters.page}) page->Calculate();
    const AnalysisParameters &d = dma.page.Record(), &f = dfa.page.Record(), &c = clusters.page.Record();
    QCOMPARE((QStringList{N(d.computationType), N(d.dataOffset), N(d.windowSize), N(d.dataSize),
                          N(d.averageProgression.start), N(d.averageProgression.step), N(d.averageProgression.end),
                          N(d.dmaWeight), N(d.shiftPercentage), N(d.dynamicStep), N(d.inputFileMode),
                          N(d.inputFileType), N(d.averageProgression.type), Q(d.averageProgression.customFile),
                          N(d.integrate), N(f.computationType), N(f.dfaOrder), Q(f.dfaBoxes), N(f.inputFileType), N(f.dataSize),
                          N(f.windowSize), N(f.averageProgression.end), Q(f.testName), N(c.distributionStep),
                          N(c.distributionType), N(c.movingAverageType), N(c.globalStatisticsOnly), N(c.badAbove),
                          N(c.generateMovingAverageFiles), clusters.page.StatusText()}),
             (QStringList{"5", "1", "2", "3", "4", "5", "6", "7", "8.5", "9", "1", "1", "2", "/sizes", "1", "3", "11",
                          "both", "0", "4000", "1200", "150", "c", "0.5", "1", "1", "0", "1e+06", "1", "Calculating... Done."}));

    // A field that is not a number stops the action with a message naming it.
    Set(&dma.page, {{"windowSize", "12x"}});
    dma.page.CalculateInThread();
    QVERIFY(dma.services.messages == QStringList{"Window size: \"12x\" is not a whole number."} && !dma.page.WorkerBusy());
    // A field that goes out of sight shows the record's value again unless it
    // holds a number: it cannot stop the actions of a type that does not use it.
    Set(&dma.page, {{"windowSize", "2"}, {"shiftPercentage", "half"}, {"dmaWeight", "2"}, {"computationType", "1"}});
    QVERIFY(Text(&dma.page, "shiftPercentage") == "8.5" && Text(&dma.page, "dmaWeight") == "2");
}

void AnalysisPageTest::loadAndSaveAConfiguration() {
    ShownPage<CDMAPage> shown;
    auto& [dir, services, dma] = shown;
    dma.Save();  // no configuration chosen yet
    QCOMPARE(services.messages, QStringList{"Please enter config file name"});
    AnalysisParameters stored = fractan::test::SmallRun(dir.Path());
    stored.integrate = 1;  // the page's check box keeps it
    const QString config = Q(dir.File("config.txt")), saved = Q(dir.File("saved.txt")), cut = Q(dir.File("cut.txt"));
    QVERIFY(stored.SaveConfig(config.toStdString()));
    // Saved as the form shows it: the configuration with what was edited.
    services.answers = {config, saved, cut};
    dma.Load();
    Set(&dma, {{"windowSize", "999"}});
    dma.Save();
    stored.windowSize = 999;
    QCOMPARE(Q(fractan::test::ReadText(saved.toStdString())), Q(stored.ConfigText()));
    // A file that ends early: the line is named, and the form keeps what it showed.
    fractan::test::WriteText(cut.toStdString(), AnalysisParameters().ConfigText().substr(0, 120));
    dma.Load();
    QCOMPARE(services.messages.last(), "Error opening config file\n" + cut +
                                           ": the file ends after line 7; line 8 should hold the computation type, a whole number.");
    QCOMPARE(Text(&dma, "windowSize"), QString("999"));
    QCOMPARE(dma.ConfigFileName(), saved);
    // A geometric progression would load back as linear: it is not saved.
    Set(&dma, {{"progressionType", "1"}});
    dma.Save();
    QVERIFY(services.messages.last().startsWith("A configuration file reads a geometric progression back as linear"));
    // The choosers' filters: several patterns in a pair, a description without parentheses, all files.
    QCOMPARE(ChooserFilter("Series|*.txt;*.dat|All files (*.*)|*.*||"), QString("Series (*.txt *.dat);;All files (*)"));
}

void AnalysisPageTest::calculationsWriteResultsAndDrawTheirChart() {
    ShownPage<CDMAPage> shown;
    auto& [dir, services, dma] = shown;
    fractan::test::WriteNumbers(dir.File("walk.txt"), fractan::test::RandomWalk(3000, 9));
    FillInput(&dma, dir.File("none.txt"), dir.Path());
    Set(&dma, {{"windowSize", "1000"}, {"progressionStart", "4"}, {"progressionStep", "4"}, {"progressionEnd", "4"},
               {"progressionType", "0"}, {"dataSize", "1100"}, {"computationType", "1"}});  // 2 - Static DMA
    // A refusal, in the window or in the worker, bears the error mark and puts the focus on the field at
    // fault, which a run leaves where it is; a run that analysed no file bears the mark too.
    const struct { void (CAnalysisPage::*act)(); const char* field; QString value; const char *status, *focus; } runs[] = {
        {&CAnalysisPage::Calculate, "progressionEnd", "4", "Error: The progression gives 1 scale;", "progressionStart"},
        {&CAnalysisPage::CalculateInThread, "progressionEnd", "64", "Error: Data size must be greater than", "dataSize"},
        {&CAnalysisPage::Calculate, "dataSize", "2000", "Error: Calculating... Done. No file could be analysed", "dataSize"},
        {&CAnalysisPage::Calculate, "inputFile", Q(dir.File("walk.txt")), "Idle: Calculating... Done.", "dataSize"}};
    for (const auto& run : runs) {
        Set(&dma, {{run.field, run.value}});
        (dma.*run.act)();
        const QString said = StatusMark(&dma) + ": " + dma.StatusText();
        QVERIFY2(said.startsWith(run.status) && !dma.WorkerBusy() &&
                     dma.focusWidget() == Child<QWidget>(&dma, run.focus), qPrintable(said));
    }
    QVERIFY(LogText(&dma).contains("=== Static DMA (2) of " + Q(dir.File("walk.txt")) + ", started "));
    const std::string result = dir.File("t.Static DMA (2).out.txt");
    auto* chart = Child<ResultChart>(&dma, "chart");
    QCOMPARE(chart->PlottedPoints(), int(ReadLines(result + ".walk.txt.chart.txt").size()));
    QCOMPARE(chart->HurstText(), QString("H = %1").arg(fractan::test::HurstOf(result), 0, 'f', 4));

    // In the worker, on a copy of the record: the form may change meanwhile.
    dma.CalculateInThread();
    Set(&dma, {{"windowSize", "500"}});
    dma.CalculateInThread();  // refused, but it reads the form into the page's record
    QCOMPARE(dma.Record().windowSize, 500);
    QTRY_COMPARE(dma.StatusText(), QString("Calculeting... done."));
    QCOMPARE(fractan::test::SplitTabs(ReadLines(result)[0])[3], std::string("1064"));  // M + W of the copy
    // A stop asked for when the calculation has ended, but before the page
    // has heard of it, leaves the results whole and says so.
    dma.CalculateInThread();
    QThread::msleep(500);  // the thread ends; its news waits in the event queue
    dma.Stop();
    QTRY_COMPARE(dma.StatusText(), QString("Calculeting... done."));
    QCOMPARE(chart->PlottedPoints(), 16);
    // A dynamic run's chart is H along the series, a point per line of its incremental file.
    Set(&dma, {{"computationType", "0"}, {"dynamicStep", "10"}});
    dma.CalculateInThread();
    QTRY_COMPARE(dma.StatusText(), QString("Calculeting... done."));
    const int positions = int(ReadLines(dir.File("t.Dynamic DMA (0).out.walk.inc.txt")).size());
    QVERIFY(positions > 50 && chart->PlottedPoints() == positions &&
            chart->HurstText().endsWith(QString(" over %1 positions").arg(positions)));

    // A long run refuses a second start, in the worker or in the window, and Stop ends it.
    fractan::test::WriteBinary(dir.File("long.dat"), fractan::test::RandomWalk(200000, 2));
    ShownPage<CDFAPage> dfa;
    FillLongDynamicDfa(&dfa.page, dir.File("long.dat"), dir.Path());
    dfa.page.CalculateInThread();
    QTRY_VERIFY_WITH_TIMEOUT(LogText(&dfa.page).contains("%"), 20000);
    for (auto calculate : {&CAnalysisPage::CalculateInThread, &CAnalysisPage::Calculate}) {
        Child<QLabel>(&dfa.page, "status")->clear();
        (dfa.page.*calculate)();
        QVERIFY(dfa.page.StatusText().startsWith("A calculation is already running on this page: stop it"));
    }
    QVERIFY2(StoppedPromptly(dfa.page), "the calculation did not stop promptly");
    QCOMPARE(dfa.page.StatusText(), QString("Stopping calculation...done."));
    QVERIFY(LogText(&dfa.page).endsWith("Stopped.") && !LogText(&dfa.page).contains("Exiting..."));
    QCOMPARE(Child<ResultChart>(&dfa.page, "chart")->chart()->title(), QString("Stopped: no chart was drawn."));
}


int RunAnalysisPageTest(int argc, char** argv) {
    AnalysisPageTest test;
    return QTest::qExec(&test, argc, argv);
}

// The rows of the table of refusals that the command and the module are tested
// against, for the methods a page offers.
void AnalysisPageTest::refusesWhatEveryFrontEndRefuses() {
    ShownPage<CDMAPage> dma;
    ShownPage<CDFAPage> dfa;
    for (const fractan::test::RefusalRow& row : fractan::test::RefusalRows()) {
        CAnalysisPage& page = row.dfa ? static_cast<CAnalysisPage&>(dfa.page) : dma.page;
        int index = 0;  // the type's place in the page's list
        for (const Method& method : Methods())
            if (method.id < row.type && method.page == FindMethod(row.type)->page) ++index;
        if (FindMethod(row.type)->page != (row.dfa ? MethodPage::kDfa : MethodPage::kDma)) continue;
        Set(&page, {{"computationType", N(index)}, {"windowSize", N(row.window)}, {"dataSize", N(row.samples)},
                    {"progressionStart", N(row.start)}, {"progressionStep", N(row.step)},
                    {"progressionEnd", N(row.end)}, {"progressionType", "0"}, {"testName", "t"},
                    {"dynamicStep", N(row.dynamicStep)}});
        Set(&page, row.dfa ? std::initializer_list<std::pair<const char*, QString>>{{"dfaOrder", N(row.order)}, {"dfaBoxes", Q(row.boxes)}}
                           : std::initializer_list<std::pair<const char*, QString>>{{"dmaWeight", N(row.weight)},
                                                                                   {"shiftPercentage", N(row.shift)}});
        page.Calculate();
        QCOMPARE(page.StatusText(), Q(row.reason + kReviewSuffix));
    }
}

#include "analysis_page_test.moc"
