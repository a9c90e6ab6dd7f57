// The analysis pages driven through their widgets, as a user would.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QThread>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "setup/parameters.h"
#include "test_support.h"
#include "ui/analysis_page.h"
#include "ui/line_count_dialog.h"
#include "ui/result_chart.h"
#include "ui_test_support.h"

using namespace fractan;
using namespace fractan::ui;
using namespace fractan::ui::test;

namespace {

const char* kReview = " Please review input parameters";

}  // namespace

class AnalysisPageTest : public QObject {
    Q_OBJECT
private slots:
    void newPagesShowTheResetRecord();
    void shownWhenRulesFollowTheLists();
    void dmaChecksRefuseWithTheirReasons();
    void dfaChecksRefuseWithTheirReasons();
    void loadSaveAndChoosers();
    void aFieldThatIsNotANumberStopsTheAction();
    void directAndThreadedCalculationsWriteResultsAndChart();
    void stopEndsALongThreadedRunPromptly();
    void clustersPageRunsWithoutChecks();
    void lineCountDialog();
    void chooserFilters();
    void resultChartThinsALongSeries();
};

void AnalysisPageTest::newPagesShowTheResetRecord() {
    ScriptedServices services;
    auto dma = ShownPage<CDMAPage>(services);
    auto dfa = ShownPage<CDFAPage>(services);
    auto clusters = ShownPage<CClustersPage>(services);
    for (CAnalysisPage* page : {static_cast<CAnalysisPage*>(dma.get()), static_cast<CAnalysisPage*>(dfa.get()),
                                static_cast<CAnalysisPage*>(clusters.get())}) {
        QCOMPARE(page->StatusText(), QString("Ready"));
        QCOMPARE(Child<QComboBox>(page, "inputMode")->currentIndex(), -1);
        QCOMPARE(Child<QComboBox>(page, "fileType")->currentIndex(), -1);
        QVERIFY(!Shown(page, "countLines"));
        QVERIFY(!Shown(page, "inputView"));
        QVERIFY(!Shown(page, "customRow"));
    }
    for (CAnalysisPage* page : {static_cast<CAnalysisPage*>(dma.get()), static_cast<CAnalysisPage*>(dfa.get())}) {
        QCOMPARE(Child<QComboBox>(page, "computationType")->currentIndex(), -1);
        QCOMPARE(page->ConfigFileName(), QString());
        QVERIFY(!Shown(page, "dynamicStep"));
    }
    for (const char* typeField : {"dmaWeight", "shiftPercentage", "dmaLambda"}) QVERIFY(!Shown(dma.get(), typeField));
    QVERIFY(!Shown(dfa.get(), "dfaOrder"));

    // The clusters page: no data size, no type list, no integration.
    QVERIFY(!clusters->findChild<QLineEdit*>("dataSize"));
    QVERIFY(!clusters->findChild<QComboBox*>("computationType"));
    QVERIFY(!clusters->findChild<QCheckBox*>("integrate"));
    QVERIFY(Child<QCheckBox>(clusters.get(), "globalStatisticsOnly")->isChecked());
    QVERIFY(!dfa->findChild<QCheckBox*>("generateMovingAverageFiles"));

    // Stop with no worker ever started.
    dma->Stop();
    QCOMPARE(dma->StatusText(), QString("Stopping calculation...done."));
}

void AnalysisPageTest::shownWhenRulesFollowTheLists() {
    ScriptedServices services;
    auto dma = ShownPage<CDMAPage>(services);
    QWidget* page = dma.get();
    Select(page, "inputMode", 1);
    QVERIFY(Shown(page, "inputView"));
    QVERIFY(!Shown(page, "countLines"));
    Select(page, "inputMode", 0);
    Select(page, "fileType", 0);
    QVERIFY(!Shown(page, "inputView"));
    QVERIFY(Shown(page, "countLines"));
    Select(page, "fileType", 1);
    QVERIFY(!Shown(page, "countLines"));
    Select(page, "progressionType", 2);
    QVERIFY(Shown(page, "customRow"));
    Select(page, "progressionType", 1);
    QVERIFY(!Shown(page, "customRow"));

    // List index → type 0, 2, 4, 5, 6, 7, 8; which of weight, shift, step show.
    const struct {
        int index;
        bool weight, shift, step;
    } dmaRules[] = {{0, false, false, true}, {1, false, false, false}, {2, true, false, false},
                    {3, false, true, true},  {4, false, true, false},  {5, false, false, false},
                    {6, true, false, true}};
    for (const auto& rule : dmaRules) {
        Select(page, "computationType", rule.index);
        QCOMPARE(Shown(page, "dmaWeight"), rule.weight);
        QCOMPARE(Shown(page, "shiftPercentage"), rule.shift);
        QCOMPARE(Shown(page, "dynamicStep"), rule.step);
        QVERIFY(!Shown(page, "dmaLambda"));
    }

    auto dfa = ShownPage<CDFAPage>(services);
    Select(dfa.get(), "computationType", 0);  // 1 - Dynamic DFA
    QVERIFY(Shown(dfa.get(), "dynamicStep") && Shown(dfa.get(), "dfaOrder"));
    Select(dfa.get(), "computationType", 1);  // 3 - Static DFA
    QVERIFY(!Shown(dfa.get(), "dynamicStep") && Shown(dfa.get(), "dfaOrder"));
}

void AnalysisPageTest::dmaChecksRefuseWithTheirReasons() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto dma = ShownPage<CDMAPage>(services);
    QWidget* page = dma.get();
    SetText(page, "outputPath", QString::fromStdString(dir.Path()));
    dma->Calculate();
    QCOMPARE(dma->StatusText(), QString("Unknown is not a valid computation type for DMA.") + kReview);
    QCOMPARE(StatusMark(page), QString("Error"));

    Select(page, "computationType", 1);  // 2 - Static DMA
    FillSizes(page, 10, 5, 5, 50, 110);
    dma->Calculate();
    QCOMPARE(dma->StatusText(),
             QString("Data size must be greater than window size plus maximum moving average times two.") + kReview);
    SetText(page, "dataSize", "111");
    dma->Calculate();
    QCOMPARE(dma->StatusText(), QString("Calculating... Done."));
    QCOMPARE(StatusMark(page), QString("Idle"));

    Select(page, "computationType", 2);  // 4 - Static Smoothed DMA
    const QString weightReason =
        QString("DMA filter weight should be greater than or equal to zero and less than the smallest moving average.") +
        kReview;
    for (const char* weight : {"5", "-1"}) {
        SetText(page, "dmaWeight", weight);
        dma->CalculateInThread();
        QCOMPARE(dma->StatusText(), weightReason);
        QCOMPARE(StatusMark(page), QString("Error"));
        QVERIFY(!dma->WorkerBusy());
    }
    SetText(page, "dmaWeight", "4");
    dma->Calculate();
    QCOMPARE(dma->StatusText(), QString("Calculating... Done."));
    QCOMPARE(dma->Record().dmaWeight, 4);
}

void AnalysisPageTest::dfaChecksRefuseWithTheirReasons() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto dfa = ShownPage<CDFAPage>(services);
    QWidget* page = dfa.get();
    SetText(page, "outputPath", QString::fromStdString(dir.Path()));
    dfa->CalculateInThread();
    QCOMPARE(dfa->StatusText(), QString("Unknown is not a valid computation type for DFA.") + kReview);
    Select(page, "computationType", 1);
    FillSizes(page, 100, 4, 4, 20, 100);
    dfa->Calculate();
    QCOMPARE(dfa->StatusText(), QString("Data size must be at least greater than window size by one.") + kReview);
    SetText(page, "dataSize", "101");
    dfa->Calculate();
    QCOMPARE(dfa->StatusText(), QString("Calculating... Done."));
}

void AnalysisPageTest::loadSaveAndChoosers() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto dma = ShownPage<CDMAPage>(services);
    QWidget* page = dma.get();

    // Save before any Load: the DMA page has no config name yet.
    dma->Save();
    QCOMPARE(services.messages, QStringList{"Please enter config file name"});
    QVERIFY(services.filters.isEmpty());

    // A configuration of type 9, which the DMA list does not offer.
    AnalysisParameters stored;
    stored.inputFileMode = 0;
    stored.inputFileType = 1;
    stored.inputFileName = dir.File("series.dat");
    stored.computationType = 9;
    stored.windowSize = 1234;
    stored.dataSize = 5000;
    stored.outputPath = dir.Path();
    stored.testName = "stored";
    stored.averageProgression = ScaleProgression{4, 100, 2, kCustom, dir.File("sizes.txt")};
    const QString config = QString::fromStdString(dir.File("config.txt"));
    QVERIFY(stored.SaveConfig(config.toStdString()));

    services.answers = {config};
    dma->Load();
    QCOMPARE(services.filters.last(), QString("Configuration files (*.txt)|*.txt|All files (*.*)|*.*||"));
    QCOMPARE(services.initialFiles.last(), QString());
    QCOMPARE(dma->ConfigFileName(), config);
    QCOMPARE(Child<QLineEdit>(page, "configFile")->text(), config);
    QCOMPARE(Child<QLineEdit>(page, "windowSize")->text(), QString("1234"));
    QCOMPARE(Child<QComboBox>(page, "fileType")->currentIndex(), 1);
    QCOMPARE(Child<QComboBox>(page, "progressionType")->currentIndex(), 2);
    QVERIFY(Shown(page, "customRow"));
    QCOMPARE(Child<QComboBox>(page, "computationType")->currentIndex(), -1);
    dma->Calculate();
    QCOMPARE(dma->Record().computationType, -1);
    QCOMPARE(dma->StatusText(), QString("Unknown is not a valid computation type for DMA.") + kReview);

    // A truncated file: a message naming the line, and the form keeps what it showed.
    const QString truncated = QString::fromStdString(dir.File("truncated.txt"));
    fractan::test::WriteText(truncated.toStdString(), AnalysisParameters().ConfigText().substr(0, 120));
    services.answers = {truncated};
    dma->Load();
    QCOMPARE(services.initialFiles.last(), config);  // the last path chosen with Load
    QCOMPARE(services.messages.last(), "Error opening config file\n" + truncated +
                                           ": the file ends after line 7; line 8 should hold the computation type, a whole number.");
    QCOMPARE(Child<QLineEdit>(page, "windowSize")->text(), QString("1234"));
    QCOMPARE(dma->ConfigFileName(), config);

    // Save proposes the config name and writes the form as it stands.
    Select(page, "computationType", 1);
    SetText(page, "windowSize", "999");
    const QString saved = QString::fromStdString(dir.File("saved.txt"));
    services.answers = {saved};
    dma->Save();
    QCOMPARE(services.initialFiles.last(), config);
    QCOMPARE(dma->ConfigFileName(), saved);
    AnalysisParameters reread;
    QVERIFY(reread.LoadConfig(saved.toStdString()));
    QCOMPARE(reread.windowSize, 999);
    QCOMPARE(reread.computationType, 2);
    QCOMPARE(reread.testName, std::string("stored"));
    QCOMPARE(QString::fromStdString(fractan::test::ReadText(saved.toStdString())),
             QString::fromStdString(dma->Record().ConfigText()));

    services.answers = {QString::fromStdString(dir.File("no-such-folder/x.txt"))};
    dma->Save();
    QCOMPARE(services.messages.last(), QString("Error saving config file"));
    QCOMPARE(dma->ConfigFileName(), saved);

    // The clusters page proposes "..." at once; a cancelled chooser changes nothing.
    auto clusters = ShownPage<CClustersPage>(services);
    const int messages = services.messages.size();
    clusters->Save();
    QCOMPARE(services.initialFiles.last(), QString("..."));
    QCOMPARE(services.messages.size(), messages);
    QCOMPARE(clusters->ConfigFileName(), QString("..."));

    // The input, progression and output choosers, and the viewers.
    const QString input = QString::fromStdString(dir.File("chosen.txt"));
    services.answers = {input};
    Click(page, "inputBrowse");
    QCOMPARE(services.filters.last(),
             QString("Text input files (*.txt)|*.txt|Binary input files (*.dat)|*.dat|All files (*.*)|*.*||"));
    QCOMPARE(Child<QLineEdit>(page, "inputFile")->text(), input);
    services.answers = {QString::fromStdString(dir.File("sizes.txt"))};
    Click(page, "customBrowse");
    QCOMPARE(Child<QLineEdit>(page, "customFile")->text(), QString::fromStdString(dir.File("sizes.txt")));
    services.answers = {"/elsewhere"};
    Click(page, "outputBrowse");
    QCOMPARE(services.initialFiles.last(), QString::fromStdString(dir.Path()));
    QCOMPARE(Child<QLineEdit>(page, "outputPath")->text(), QString("/elsewhere"));
    Click(page, "outputView");
    QCOMPARE(services.viewedFolders, QStringList{"/elsewhere"});
    Click(page, "configView");
    QCOMPARE(services.viewedTexts, QStringList{saved});
}

void AnalysisPageTest::aFieldThatIsNotANumberStopsTheAction() {
    fractan::test::TempDir dir;
    fractan::test::WriteNumbers(dir.File("s.txt"), fractan::test::RandomWalk(400, 3));
    ScriptedServices services;
    auto dma = ShownPage<CDMAPage>(services);
    QWidget* page = dma.get();
    FillInput(page, dir.File("s.txt"), dir.Path());
    Select(page, "computationType", 1);
    FillSizes(page, 100, 4, 4, 20, 200);
    SetText(page, "windowSize", "12x");
    dma->Calculate();
    QCOMPARE(services.messages, QStringList{"Window size: \"12x\" is not a whole number."});
    QCOMPARE(dma->StatusText(), QString("Ready"));
    QCOMPARE(dma->Record().windowSize, 0);  // nothing of the form was taken
    QVERIFY(!fractan::test::Exists(dir.File("t.Static DMA (2).out.txt")));
    dma->CalculateInThread();
    QVERIFY(!dma->WorkerBusy());

    // A comma is not taken for a group separator: "0,5" is no number, not 5.
    SetText(page, "windowSize", "100");
    Select(page, "computationType", 4);  // 6 - Static Shifted DMA shows the shift
    SetText(page, "shiftPercentage", "0,5");
    dma->Calculate();
    QCOMPARE(services.messages.last(), QString("Shift percentage: \"0,5\" is not a number."));
    // A field that goes out of sight shows the record's value again, so that it
    // cannot stop the actions of a type that does not use it.
    SetText(page, "shiftPercentage", "half");
    Select(page, "computationType", 1);
    QCOMPARE(Child<QLineEdit>(page, "shiftPercentage")->text(), QString("0"));
    SetText(page, "dmaWeight", "2");
    Select(page, "computationType", 0);  // the weight hides, and keeps a number typed in it
    QCOMPARE(Child<QLineEdit>(page, "dmaWeight")->text(), QString("2"));
    Select(page, "computationType", 1);
    dma->Calculate();
    QCOMPARE(dma->StatusText(), QString("Calculating... Done."));
    QCOMPARE(fractan::test::ReadLines(dir.File("t.Static DMA (2).out.txt")).size(), size_t{1});
}

void AnalysisPageTest::directAndThreadedCalculationsWriteResultsAndChart() {
    fractan::test::TempDir dir;
    fractan::test::WriteNumbers(dir.File("walk.txt"), fractan::test::RandomWalk(3000, 9));
    ScriptedServices services;
    auto dma = ShownPage<CDMAPage>(services);
    QWidget* page = dma.get();
    FillInput(page, dir.File("walk.txt"), dir.Path());
    Select(page, "computationType", 1);
    FillSizes(page, 1000, 4, 4, 64, 2000);
    const std::string result = dir.File("t.Static DMA (2).out.txt");

    dma->Calculate();
    QCOMPARE(dma->StatusText(), QString("Calculating... Done."));
    std::vector<std::string> lines = fractan::test::ReadLines(result);
    QCOMPARE(lines.size(), size_t{1});
    const double hurst = std::atof(fractan::test::SplitTabs(lines[0])[4].c_str());
    auto* chart = Child<ResultChart>(page, "chart");
    QCOMPARE(chart->PlottedPoints(), 16);
    QCOMPARE(chart->HurstText(), QString("H = %1").arg(hurst, 0, 'f', 4));
    QVERIFY(LogText(page).contains("Performing Hurst exponent calculation..."));
    QVERIFY(LogText(page).endsWith("Exiting..."));
    // Integrated, the walk is far smoother.
    Child<QCheckBox>(page, "integrate")->setChecked(true);
    dma->Calculate();
    Child<QCheckBox>(page, "integrate")->setChecked(false);
    QVERIFY(std::atof(fractan::test::SplitTabs(fractan::test::ReadLines(result)[0])[4].c_str()) > hurst + 0.4);

    // In the worker, on a copy of the record: the form may change meanwhile.
    dma->CalculateInThread();
    QCOMPARE(dma->StatusText(), QString("Calculating..."));
    SetText(page, "windowSize", "500");
    dma->CalculateInThread();  // refused, but it reads the form into the page's record
    QCOMPARE(dma->Record().windowSize, 500);
    QTRY_COMPARE(dma->StatusText(), QString("Calculeting... done."));
    QVERIFY(!dma->WorkerBusy());
    lines = fractan::test::ReadLines(result);
    QCOMPARE(lines.size(), size_t{1});
    QCOMPARE(fractan::test::SplitTabs(lines[0])[3], std::string("1064"));  // M + W of the copy

    // A stop asked for when the calculation has ended, but before the page
    // has heard of it, leaves the results whole and says so.
    SetText(page, "windowSize", "1000");
    dma->CalculateInThread();
    QThread::msleep(500);  // the thread ends; its news waits in the event queue
    dma->Stop();
    QCOMPARE(dma->StatusText(), QString("Stopping calculation..."));
    QTRY_COMPARE(dma->StatusText(), QString("Calculeting... done."));
    QCOMPARE(chart->PlottedPoints(), 16);
    QCOMPARE(Child<QProgressBar>(page, "progress")->value(), 100);
    QCOMPARE(chart->PlottedPoints(), 16);

    // A dynamic run fills the progress bar from its percentage lines.
    Select(page, "computationType", 0);
    SetText(page, "windowSize", "1000");
    SetText(page, "dynamicStep", "10");
    dma->CalculateInThread();
    QTRY_COMPARE(dma->StatusText(), QString("Calculeting... done."));
    QVERIFY(LogText(page).contains("Hurst exponent 99 %"));
    // Positions 1070, 1080, … 1990: M + W = 1064 up to the last sample, step 10.
    QCOMPARE(fractan::test::ReadLines(dir.File("t.Dynamic DMA (0).out.walk.inc.txt")).size(), size_t{93});
    // Its chart is H along the series, one point per line of the incremental file.
    QCOMPARE(chart->PlottedPoints(), 93);
    QVERIFY(chart->HurstText().startsWith("mean H = "));
    QVERIFY(chart->HurstText().endsWith(" over 93 positions"));
}

void AnalysisPageTest::stopEndsALongThreadedRunPromptly() {
    fractan::test::TempDir dir;
    fractan::test::WriteBinary(dir.File("long.dat"), fractan::test::RandomWalk(200000, 2));
    ScriptedServices services;
    auto dfa = ShownPage<CDFAPage>(services);
    QWidget* page = dfa.get();
    FillLongDynamicDfa(page, dir.File("long.dat"), dir.Path());

    dfa->CalculateInThread();
    QVERIFY(dfa->WorkerBusy());
    QTRY_VERIFY_WITH_TIMEOUT(LogText(page).contains("%"), 20000);
    auto* progress = Child<QProgressBar>(page, "progress");
    QTRY_VERIFY(progress->value() > 0 && progress->value() < 100);

    // A second start while the first runs is refused, in the worker or in the window.
    const QString refusal("A calculation is already running on this page: stop it or wait for its end.");
    dfa->CalculateInThread();
    QCOMPARE(dfa->StatusText(), refusal);
    Child<QLabel>(page, "status")->clear();
    dfa->Calculate();
    QCOMPARE(dfa->StatusText(), refusal);
    QVERIFY(dfa->WorkerBusy());

    QElapsedTimer clock;
    clock.start();
    dfa->Stop();
    QCOMPARE(dfa->StatusText(), QString("Stopping calculation..."));
    QTRY_COMPARE_WITH_TIMEOUT(dfa->StatusText(), QString("Stopping calculation...done."), 10000);
    QVERIFY2(clock.elapsed() < 5000, "the calculation did not stop promptly");
    QVERIFY(!dfa->WorkerBusy());
    QVERIFY(!LogText(page).contains("Exiting..."));
    QVERIFY(LogText(page).endsWith("Stopped."));
    QCOMPARE(Child<ResultChart>(page, "chart")->chart()->title(), QString("Stopped: no chart was drawn."));

    // Nothing is written after the stop, and the worker's own text never comes.
    const std::string inc = dir.File("t.Dynamic DFA (1).out.long.inc.txt");
    const std::string before = fractan::test::ReadText(inc);
    QTest::qWait(300);
    QCOMPARE(fractan::test::ReadText(inc), before);
    QCOMPARE(dfa->StatusText(), QString("Stopping calculation...done."));

    // The page can run again afterwards.
    Select(page, "computationType", 1);
    SetText(page, "progressionEnd", "40");
    dfa->CalculateInThread();
    QTRY_COMPARE_WITH_TIMEOUT(dfa->StatusText(), QString("Calculeting... done."), 20000);
}

void AnalysisPageTest::clustersPageRunsWithoutChecks() {
    fractan::test::TempDir dir;
    fractan::test::WriteNumbers(dir.File("c.txt"), fractan::test::RandomWalk(5000, 6));
    ScriptedServices services;
    auto clusters = ShownPage<CClustersPage>(services);
    QWidget* page = clusters.get();
    // Whatever the fields hold, the calculation runs; the analysis says what it refuses.
    clusters->Calculate();
    QCOMPARE(clusters->StatusText(), QString("Calculating... Done."));

    FillInput(page, dir.File("c.txt"), dir.Path());
    SetText(page, "windowSize", "5000");
    SetText(page, "progressionStart", "10");
    SetText(page, "progressionStep", "10");
    SetText(page, "progressionEnd", "30");
    Select(page, "progressionType", 0);
    SetText(page, "distributionStep", "1");
    Select(page, "distributionType", 0);
    Select(page, "averageType", 0);
    Child<QCheckBox>(page, "globalStatisticsOnly")->setChecked(false);
    clusters->CalculateInThread();
    QTRY_COMPARE(clusters->StatusText(), QString("Calculeting... done."));
    QVERIFY(LogText(page).contains("Found"));
    QCOMPARE(clusters->Record().globalStatisticsOnly, 0);
    int lengthFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        lengthFiles += entry.path().string().find(".rLength.txt") != std::string::npos;
    QCOMPARE(lengthFiles, 4);  // three windows and the global set
}

void AnalysisPageTest::lineCountDialog() {
    fractan::test::TempDir dir;
    fractan::test::WriteText(dir.File("two.txt"), "a\nb\n");
    ScriptedServices services;
    LineCountDialog dialog(QString::fromStdString(dir.File("two.txt")), services);
    QCOMPARE(dialog.CountText(), QString("0"));
    dialog.Count();
    QCOMPARE(dialog.CountText(), QString("2"));
    QVERIFY(services.messages.isEmpty());

    services.answers = {QString::fromStdString(dir.File("missing.txt"))};
    dialog.Browse();
    dialog.Count();
    QCOMPARE(dialog.CountText(), QString("-1"));
    QCOMPARE(services.messages, QStringList{"There was an error reading from input file."});

    // The chooser starts at the path chosen last, in any opening of the dialog.
    LineCountDialog again(QString(" \t "), services);
    again.Count();
    QCOMPARE(services.messages.last(), QString("Please enter an input file."));
    again.Browse();
    QCOMPARE(services.initialFiles.last(), QString::fromStdString(dir.File("missing.txt")));

}

void AnalysisPageTest::chooserFilters() {
    QCOMPARE(ChooserFilter("Configuration files (*.txt)|*.txt|All files (*.*)|*.*||"),
             QString("Configuration files (*.txt);;All files (*)"));
    QCOMPARE(ChooserFilter("Text input files (*.txt)|*.txt|Binary input files (*.dat)|*.dat|All files (*.*)|*.*||"),
             QString("Text input files (*.txt);;Binary input files (*.dat);;All files (*)"));
    // Several patterns in one pair, and a description without parentheses.
    QCOMPARE(ChooserFilter("Series|*.txt;*.dat||"), QString("Series (*.txt *.dat)"));
}

void AnalysisPageTest::resultChartThinsALongSeries() {
    fractan::test::TempDir dir;
    // 50000 positions alternating between H 0.4 and 0.6, and one that is not a number.
    std::string text;
    for (int i = 0; i < 50000; ++i)
        text += "s.txt\t9\t0\t" + std::to_string(1000 + i) + "\t" + (i % 2 ? "0.6" : "0.4") + "\n";
    text += "s.txt\t9\t0\t51000\tnan\n";
    fractan::test::WriteText(dir.File("s.inc.txt"), text);
    ResultChart chart;
    QVERIFY(chart.ShowHurstSeriesFile(QString::fromStdString(dir.File("s.inc.txt"))));
    QCOMPARE(chart.PlottedPoints(), 16667);  // every third of 50000 finite positions
    QCOMPARE(chart.HurstText(), QString("mean H = 0.5000 over 50000 positions"));
    QVERIFY(!chart.ShowHurstSeriesFile(QString::fromStdString(dir.File("none.inc.txt"))));
    QCOMPARE(chart.PlottedPoints(), 0);
}

#include "analysis_page_test.moc"

int RunAnalysisPageTest(int argc, char** argv) {
    AnalysisPageTest test;
    return QTest::qExec(&test, argc, argv);
}
