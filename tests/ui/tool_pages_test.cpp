// The series generation, files-list and local slope pages driven through
// their widgets.

#include <QLineSeries>
#include <QProgressBar>
#include <QScopeGuard>

#include <clocale>
#include <cmath>
#include <cstdlib>

#include "engine/cross_correlation.h"
#include "engine/multifractal.h"
#include "setup/series_loader.h"
#include "slope/local_slope.h"
#include "test_support.h"
#include "ui/application.h"
#include "ui/cross_correlation_page.h"
#include "ui/data_series_page.h"
#include "ui/local_slope_page.h"
#include "ui/multifractal_page.h"
#include "ui/result_chart.h"
#include "ui/series_generator_page.h"
#include "ui_test_support.h"

using namespace fractan;
using namespace fractan::ui;
using namespace fractan::ui::test;
using fractan::test::ReadText;

namespace {

QList<QPointF> ChartLine(const ResultChart* chart) {
    auto* line = qobject_cast<QLineSeries*>(chart->chart()->series().value(0));
    return line ? line->points() : QList<QPointF>();
}

// F = n^0.5 at n = 1 … count.
std::string SquareRootChart(int count) {
    std::string chart;
    for (int n = 1; n <= count; ++n) chart += std::to_string(n) + "\t" + std::to_string(std::sqrt(n)) + "\n";
    return chart;
}

const QString kBusy("The page is busy: stop its work or wait for its end.");

}  // namespace

class ToolPagesTest : public QObject {
    Q_OBJECT
private slots:
    void generatorPage();
    void generationDrawsTheFirstSeriesFromItsFileUnderAnyLocale();
    void filesListPage();
    void localSlopePage();
    void multifractalPage();
    void crossCorrelationPage();
};

void ToolPagesTest::generatorPage() {
    ShownPage<CSeriesGeneratorPage> shown;
    auto& [dir, services, page] = shown;
    Set(&page, {{"seriesCount", "3"}, {"lengthExponent", "7"}, {"hurstStart", "0.2"}, {"hurstEnd", "0.4"},
                {"hurstStep", "0.05"}, {"outputPath", "/data/out"}, {"filePrefix", "fbm_"}, {"outputType", "2"},
                {"precision", "4"}, {"seed", "4294967294"}, {"generatorType", "1"}});
    const GeneratorSettings r = page.ReadRequest().value();  // throws, failing the test, when refused
    QCOMPARE((QStringList{N(r.seriesCount), N(r.lengthExponent), N(r.hurstStart), N(r.hurstEnd), N(r.hurstStep),
                          Q(r.outputPath), Q(r.filePrefix), N(r.outputKind), N(r.precision), N(r.seed), N(r.method)}),
             (QStringList{"3", "7", "0.2", "0.4", "0.05", "/data/out", "fbm_", "3", "4", "-1", "1"}));  // −1: the clock's
    // A chosen seed: the field is unsigned, the generator's seed signed.
    Set(&page, {{"chooseSeed", "1"}});
    QCOMPARE(page.ReadRequest()->seed, -2);
    // A field that does not hold its kind of number stops the action with a message naming it.
    Set(&page, {{"seed", "4294967296"}});
    page.GenerateSeries();
    QCOMPARE(services.messages.last(), QString("Seed: \"4294967296\" is not a whole number from 0 to 4294967295."));
    QCOMPARE(page.StatusText(), QString("Ready"));
    Set(&page, {{"seed", "0"}, {"hurstStep", "1,000"}});  // not a thousand
    QVERIFY(!page.ReadRequest());
    // A hidden precision is not read, so it cannot stop the action.
    Set(&page, {{"hurstStep", "0.1"}, {"precision", "ten"}, {"outputType", "1"}});
    QVERIFY(page.ReadRequest());
    Set(&page, {{"outputType", "0"}});
    QVERIFY(!page.ReadRequest());

    // Refused, with the error mark; a series that cannot be written (a folder
    // holds its name) is not reported as done.
    Set(&page, {{"precision", "4"}, {"seriesCount", "2"}, {"outputPath", Q(dir.File("missing"))}});
    page.GenerateSeries();
    QCOMPARE(page.StatusText(), QString("The output path [%1] is not a folder. Nothing generated.").arg(Q(dir.File("missing"))));
    QVERIFY(StatusMark(&page) == "Error" && !page.WorkerBusy());
    std::filesystem::create_directory(dir.File("fbm_H=0.5-1.txt"));
    Set(&page, {{"outputPath", Q(dir.Path())}, {"hurstStart", "0.5"}, {"hurstEnd", "0.5"}});
    page.GenerateSeries();
    WaitForWorker(page);
    QCOMPARE(page.StatusText(), QString("Generating series... Done. 1 of 2 series could not be written: see the messages."));
    QCOMPARE(StatusMark(&page), QString("Error"));

    // A long generation refuses a second start, and Stop ends it at once.
    Set(&page, {{"seriesCount", "200"}, {"lengthExponent", "20"}});
    page.GenerateSeries();
    QTRY_VERIFY_WITH_TIMEOUT(LogText(&page).count("Building series #1 ") == 2, 30000);
    page.GenerateSeries();
    QCOMPARE(page.StatusText(), kBusy);
    QVERIFY2(StoppedPromptly(page), "the generation took too long to stop");
    QCOMPARE(page.StatusText(), QString("Generating series... Stopped: the series written so far are kept."));

    // A sample file of the count asked for, copied in the worker; a long copy
    // keeps a generation waiting, and Stop removes the unfinished sample and
    // leaves the status line as it was.
    const std::string small = dir.File("x.txt"), big = dir.File("big.dat");
    fractan::test::WriteText(small, "0123456789\nabcdef\n");
    fractan::test::WriteText(big, "");
    std::filesystem::resize_file(big, uintmax_t{1} << 32);  // sparse: no disk is used
    services.answers = {Q(small), Q(big)};
    services.byteCounts = {uint32_t{12}, uint32_t{4294967295u}};
    page.GenerateSampleFile();
    WaitForWorker(page);
    QCOMPARE(ReadText(small + ".sample"), std::string("0123456789\na"));
    QCOMPARE(services.viewedTexts, QStringList{Q(small + ".sample")});
    page.GenerateSampleFile();
    QTest::qWait(200);
    page.GenerateSeries();
    QCOMPARE(page.StatusText(), kBusy);
    QVERIFY2(StoppedPromptly(page), "the copy took too long to stop");
    QVERIFY(LogText(&page).endsWith("Stopped.\nThe unfinished sample file was removed."));
    QCOMPARE(page.StatusText(), QString("Generating series... Stopped: the series written so far are kept."));
}

void ToolPagesTest::generationDrawsTheFirstSeriesFromItsFileUnderAnyLocale() {
    // Of a long series, its beginning, with the exact values of the binary file.
    ShownPage<CSeriesGeneratorPage> shown;
    auto& [dir, services, page] = shown;
    Set(&page, {{"outputPath", Q(dir.Path())}, {"outputType", "2"}, {"lengthExponent", "21"}});
    Click(&page, "generateSeries");
    WaitForWorker(page);
    QCOMPARE(page.StatusText(), QString("Generating series... Done."));
    const std::vector<double> values = fractan::test::ReadDoubles(dir.File("Artificial_H=0.5-1.dat"));
    const ResultChart* chart = Child<ResultChart>(&page, "chart");
    QCOMPARE(chart->chart()->title(), QString("Artificial_H=0.5-1.dat (its first 1048577 values)"));
    const QList<QPointF> drawn = ChartLine(chart);
    QVERIFY(drawn.size() <= 20000 && drawn.last().x() > 1048000 && drawn.last().x() <= 1048576);
    for (const QPointF& point : drawn) QVERIFY(point.y() == values.at(size_t(point.x())));

    // Under a German locale, built here, printf writes "0,5" as Qt leaves it
    // for a German user: the application sets it back for numbers.
    fractan::test::TempDir locales;
    const std::string build = "localedef -i de_DE -f UTF-8 '" + locales.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) QSKIP("localedef cannot build de_DE on this machine (package locales)");
    qputenv("LOCPATH", QByteArray::fromStdString(locales.Path()));
    const auto restore = qScopeGuard([] {
        std::setlocale(LC_ALL, "C");
        qunsetenv("LOCPATH");
    });
    QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8") && std::localeconv()->decimal_point == std::string(","));
    SetUpApplication();
    Set(&page, {{"outputType", "0"}, {"lengthExponent", "5"}, {"filePrefix", "de_"}});
    page.GenerateSeries();
    WaitForWorker(page);
    const std::string text = ReadText(dir.File("de_H=0.5-1.txt"));
    QVERIFY2(text.find('.') != std::string::npos && text.find(',') == std::string::npos, text.c_str());
    // The chart draws the text file as read back.
    QCOMPARE(chart->chart()->title(), QString("de_H=0.5-1.txt"));
    QCOMPARE(chart->PlottedPoints(), int(fractan::test::ReadLines(dir.File("de_H=0.5-1.txt")).size()));
}

void ToolPagesTest::filesListPage() {
    ShownPage<CDataSeriesPage> shown;
    auto& [dir, services, page] = shown;
    const QString list = Q(dir.File("list.txt")), config = Q(dir.File("config.txt"));
    services.answers = {list};
    page.Generate();  // 0, 0, 0 would never end: refused before a file is asked for
    QVERIFY(services.messages.size() == 1 && services.answers.size() == 1);

    // A configuration fills the form, whatever it held; the extension is the page's own.
    AnalysisParameters stored;
    stored.filePrefix = "p-";
    stored.inputFilesPath = dir.Path();
    stored.fileProgression = ScaleProgression{1, 6, 2, kLinear, ""};
    QVERIFY(stored.SaveConfig(config.toStdString()));
    Child<QComboBox>(&page, "extension")->setEditText("csv");
    Set(&page, {{"fileEnd", "not a number"}});
    services.answers = {config, list};
    page.LoadConfig();
    Click(&page, "generate");
    WaitForWorker(page);
    const std::string written = dir.Path() + "/p-1.csv\n" + dir.Path() + "/p-3.csv\n" + dir.Path() + "/p-5.csv";
    QCOMPARE(ReadText(list.toStdString()), written + "\n");
    QCOMPARE(services.viewedTexts, QStringList{list});
    QCOMPARE(Child<QLabel>(&page, "listSummary")->text(), list + ": 3 lines");

    const QString nowhere = Q(dir.File("missing/list.txt"));
    services.answers = {nowhere};
    page.Generate();
    WaitForWorker(page);
    QCOMPARE(services.messages.last(), QString("Error creating files list.\n\n%1").arg(nowhere));
    QVERIFY(StatusMark(&page) == "Error" && services.viewedTexts.size() == 1);
    // A folder chosen while a number is being edited keeps the number's text.
    Set(&page, {{"fileEnd", "6x"}});
    services.answers = {"/d"};
    Click(&page, "filesPathBrowse");
    QVERIFY(Text(&page, "filesPath") == "/d" && Text(&page, "fileEnd") == "6x");

    // More than a million lines only when the user says so: 1, 3, … 3999999
    // under /d are 2000000 lines of at most 15 bytes.
    Set(&page, {{"filePrefix", ""}, {"fileEnd", "4000000"}});
    services.confirmation = false;
    services.answers = {list};
    page.Generate();
    QCOMPARE(services.questions, QStringList{"The files list will have 2000000 lines (about 30 MB). Write it?"});
    QCOMPARE(services.answers.size(), size_t{1});
    // A long list is written in the worker, which refuses a second one, and Stop removes it.
    Set(&page, {{"fileStep", "1"}, {"fileEnd", "2000000000"}});
    services.confirmation = true;
    page.Generate();
    QTest::qWait(200);
    page.Generate();
    QCOMPARE(services.messages.last(), QString("A files list is being written: stop it or wait for its end."));
    QVERIFY2(StoppedPromptly(page), "the files list took too long to stop");
    QCOMPARE(Child<QLabel>(&page, "listSummary")->text(), QString("Stopped: the unfinished list %1 was removed.").arg(list));
    QCOMPARE(services.viewedTexts.size(), 1);
}

void ToolPagesTest::localSlopePage() {
    ShownPage<CLocalSlopePage> shown;
    auto& [dir, services, page] = shown;
    const std::string chart = dir.File("c.txt"), slopes = chart + ".localslope.txt";
    for (const char* name : {"c.txt", "core.txt"}) fractan::test::WriteText(dir.File(name), SquareRootChart(100));
    auto run = [&](const std::string& input, bool wait = true) {
        services.answers = {Q(input)};
        Click(&page, "inputBrowse");
        page.GetLocalSlope();
        if (wait) WaitForWorker(page);
    };
    // The width and delta go to the core, and the chart draws every line of its file.
    Set(&page, {{"windowWidth", "0.5"}, {"windowDelta", "0.2"}});
    run(chart);
    QCOMPARE(page.StatusText(), QString("Calculating... Done."));
    QCOMPARE(services.viewedTexts, QStringList{Q(slopes)});
    {
        OutputCapture quiet;
        LocalSlope(dir.File("core.txt"), 0.5, 0.2);
    }
    QCOMPARE(ReadText(slopes), ReadText(dir.File("core.txt.localslope.txt")));
    const std::vector<std::string> lines = fractan::test::ReadLines(slopes);
    const QList<QPointF> drawn = ChartLine(page.Chart());
    QCOMPARE(drawn.size(), qsizetype(lines.size()));
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        const std::vector<std::string> fields = fractan::test::SplitTabs(lines[size_t(i)]);
        QCOMPARE(drawn[i], QPointF(std::stod(fields[0]), std::stod(fields[1])));
    }

    // A refusal says why, with the error mark; an empty result is said; neither is viewed.
    Set(&page, {{"windowDelta", "0"}});
    run(chart);
    QCOMPARE(page.StatusText(), QString("Window delta is 0, it must be greater than 0."));
    QCOMPARE(StatusMark(&page), QString("Error"));
    fractan::test::WriteText(dir.File("one.txt"), "10\t1\n");
    Set(&page, {{"windowDelta", "0.1"}});
    run(dir.File("one.txt"));
    QCOMPARE(page.StatusText(), QString("Calculating... Done. No window holds two points of the chart: [%1] is empty.")
                                    .arg(Q(dir.File("one.txt.localslope.txt"))));
    QCOMPARE(services.viewedTexts.size(), 1);
    // A fine delta over a long chart runs in the worker, which refuses a second start, and Stop ends it.
    fractan::test::WriteText(dir.File("long.txt"), SquareRootChart(20000));
    Set(&page, {{"windowDelta", "0.00001"}});
    run(dir.File("long.txt"), false);
    QTest::qWait(300);
    page.GetLocalSlope();
    QCOMPARE(page.StatusText(), QString("The local slope is being calculated: stop it or wait for its end."));
    QVERIFY2(StoppedPromptly(page), "the local slope took too long to stop");
    QCOMPARE(page.StatusText(), QString("Calculating... Stopped: nothing was written."));
}

// The page's files are those of the core on the same settings, and its charts draw them.
void ToolPagesTest::multifractalPage() {
    ShownPage<CMultifractalPage> shown;
    auto& [dir, services, page] = shown;
    OutputCapture quiet;
    const std::string input = dir.File("w.txt");
    fractan::test::WriteNumbers(input, fractan::test::RandomWalk(4000, 3));
    const SeriesFile series = LoadSeriesFile(input);
    const struct { int method; const char *order, *boxes, *theta; MultifractalSettings s; } rows[] = {
        {0, "2", "both", "x", {MethodFamily::kDfa, {-2, 0, 2}, {}, 2, "both", 0.0, false}},
        {1, "x", "", "0.5", {MethodFamily::kDma, {-2, 0, 2}, {}, 1, "end", 0.5, false}}};
    for (const auto& row : rows) {
        Set(&page, {{"inputFile", Q(input)}, {"method", N(row.method)}, {"qFirst", "-2"}, {"qLast", "2"},
                    {"qStep", "2"}, {"dfaOrder", row.order}, {"dfaBoxes", row.boxes}, {"theta", row.theta},
                    {"chartKind", "0"}});
        page.Calculate();  // a field the method does not read cannot stop it
        WaitForWorker(page);
        MultifractalSettings s = row.s;
        s.scales = DefaultMultifractalScales(s, series.samples.Size());
        const MultifractalResult expected = AnalyseMultifractal({&series.samples[0], 4000}, s);
        const MultifractalFiles got = MultifractalFilesOf(input, MultifractalMethods()[size_t(row.method)]),
                                want = MultifractalFilesOf(dir.File("core"), MultifractalMethods()[size_t(row.method)]);
        QVERIFY(WriteMultifractalFiles(want, expected).empty());
        QCOMPARE(page.StatusText(), QString("Calculating... Done: [%1] and [%2].").arg(Q(got.fluctuations), Q(got.spectrum)));
        QCOMPARE(ReadText(got.fluctuations), ReadText(want.fluctuations));
        QCOMPARE(ReadText(got.spectrum), ReadText(want.spectrum));
        QCOMPARE(page.Chart()->PlottedPoints(), int(3 * s.scales.size()));
        Set(&page, {{"chartKind", "2"}});
        QCOMPARE(ChartLine(page.Chart()).value(2), QPointF(expected.alpha[2], expected.f[2]));
    }
    // A range that does not rise, and a refusal of the core, say why.
    Set(&page, {{"qStep", "0"}});
    page.Calculate();
    QCOMPARE(services.messages.last(), QString("q: from -2 to 2 by 0 is not a rising range."));
    Set(&page, {{"qStep", "1"}, {"scales", "10, 3000"}});
    page.Calculate();
    WaitForWorker(page);
    QVERIFY2(StatusMark(&page) == "Error" && page.StatusText().startsWith("[" + Q(input) + "]: "), qPrintable(page.StatusText()));
}

// The page's file and closing lines are those of the core on the same
// settings, its fields follow the method, and a refusal writes nothing.
void ToolPagesTest::crossCorrelationPage() {
    ShownPage<CCrossCorrelationPage> shown;
    auto& [dir, services, page] = shown;
    OutputCapture quiet;
    std::vector<double> x = fractan::test::RandomWalk(4000, 3), y = fractan::test::RandomWalk(4000, 5);
    fractan::test::WriteNumbers(dir.File("x.txt"), x);
    fractan::test::WriteNumbers(dir.File("y.txt"), y);
    const struct { int method; const char *order, *boxes, *theta, *window; CrossCorrelationSettings s; } rows[] = {
        {0, "2", "both", "x", "", {MethodFamily::kDfa, {}, 2, "both", 0.0, false, 0, 100}},
        {1, "x", "", "0.5", "", {MethodFamily::kDma, {}, 1, "end", 0.5, false, 0, 100}},
        {1, "x", "", "0", "1000", {MethodFamily::kDma, {}, 1, "end", 0.0, false, 1000, 500}}};
    for (const auto& row : rows) {
        Set(&page, {{"inputFile", Q(dir.File("x.txt"))}, {"secondFile", Q(dir.File("y.txt"))}, {"method", N(row.method)},
                    {"dfaOrder", row.order}, {"dfaBoxes", row.boxes}, {"theta", row.theta}, {"window", row.window},
                    {"step", "500"}, {"leastScale", "5"}});
        const CrossCorrelationMethod& method = CrossCorrelationMethods()[size_t(row.method)];
        QCOMPARE(Child<QLineEdit>(&page, "dfaOrder")->isVisible(), (method.settings & kUsesOrder) != 0);
        QCOMPARE(Child<QLineEdit>(&page, "theta")->isVisible(), method.family == MethodFamily::kDma);
        page.Calculate();  // a field the method does not read cannot stop it
        WaitForWorker(page);
        CrossCorrelationSettings s = row.s;
        s.scales = DefaultCrossCorrelationScales(s, 4000, 5);
        const CrossCorrelationResult expected = AnalyseCrossCorrelation(x, y, s);
        const std::string got = CrossCorrelationFileOf(dir.File("x.txt"), dir.File("y.txt"), method, s.window > 0);
        QVERIFY(WriteCrossCorrelationFile(dir.File("core"), expected));
        QCOMPARE(ReadText(got), ReadText(dir.File("core")));
        QString closing = QString("%1 file: [%2]").arg(method.title, Q(got));
        for (const std::string& line : expected.Summary()) closing += "\n" + Q(line);
        QVERIFY2(LogText(&page).endsWith(closing), qPrintable(LogText(&page)));
        QCOMPARE(page.Chart()->PlottedPoints(), int(s.scales.size() * std::max<size_t>(1, expected.positions.size())));
    }
    // Series of different lengths are refused, with both lengths, and nothing is written.
    y.pop_back();
    fractan::test::WriteNumbers(dir.File("short.txt"), y);
    Set(&page, {{"secondFile", Q(dir.File("short.txt"))}, {"window", ""}});
    page.Calculate();
    WaitForWorker(page);
    QVERIFY2(StatusMark(&page) == "Error" && LogText(&page).endsWith(page.StatusText()) &&
                 page.StatusText().contains("the first has 4000 samples, the second 3999"),
             qPrintable(page.StatusText()));
    QVERIFY(!fractan::test::Exists(dir.File("x.txt.short.txt.dmca.txt")));
}

#include "tool_pages_test.moc"

int RunToolPagesTest(int argc, char** argv) {
    ToolPagesTest test;
    return QTest::qExec(&test, argc, argv);
}
