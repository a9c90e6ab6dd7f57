// The series generation, files-list and local slope pages, and the
// "Bytes to copy" dialog, driven through their widgets.

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <QLineSeries>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "generator/generator.h"
#include "setup/parameters.h"
#include "test_support.h"
#include "ui/application.h"
#include "ui/bytes_to_copy_dialog.h"
#include "ui/data_series_page.h"
#include "ui/local_slope_page.h"
#include "ui/result_chart.h"
#include "ui/run_log.h"
#include "ui/series_generator_page.h"
#include "ui_test_support.h"

using namespace fractan;
using namespace fractan::ui;
using namespace fractan::ui::test;

namespace {

QString Text(QWidget* page, const char* name) { return Child<QLineEdit>(page, name)->text(); }

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::vector<double> ReadDoubles(const std::string& path) {
    const std::string bytes = fractan::test::ReadText(path);
    std::vector<double> values(bytes.size() / sizeof(double));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
    return values;
}

QList<QPointF> ChartLine(const ResultChart* chart) {
    const QList<QAbstractSeries*> series = chart->chart()->series();
    auto* line = series.isEmpty() ? nullptr : qobject_cast<QLineSeries*>(series.first());
    return line ? line->points() : QList<QPointF>();
}

// F = n^0.5 at n = 1 … count.
std::string SquareRootChart(int count) {
    std::string chart;
    for (int n = 1; n <= count; ++n) chart += std::to_string(n) + "\t" + std::to_string(std::sqrt(n)) + "\n";
    return chart;
}

// Waits for a generation to end and tells its status.
QString FinishedStatus(CSeriesGeneratorPage& page) {
    WaitForWorker(page);
    return page.StatusText();
}

}  // namespace

class ToolPagesTest : public QObject {
    Q_OBJECT
private slots:
    void generatorDefaultsAndShownRules();
    void generatorSeedAndRequest();
    void generateSeriesWithTheDefaults();
    void generatorRefusesWhatCannotBeGenerated();
    void stopEndsALongGeneration();
    void sampleFileAndItsRememberedByteCount();
    void bytesToCopyDialog();
    void filesListPage();
    void filesListLoadConfig();
    void localSlopePage();
    void localSlopeFailuresAndStop();
    void generationProgressAndChart();
    void filesListStop();
    void runLogShowsEveryLine();
    void numbersKeepTheirPointUnderACommaLocale();
};

void ToolPagesTest::generatorDefaultsAndShownRules() {
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    QWidget* p = page.get();
    QCOMPARE(page->StatusText(), QString("Ready"));
    QCOMPARE(Text(p, "outputPath"), QDir::homePath());
    QVERIFY(!Child<QCheckBox>(p, "chooseSeed")->isChecked());
    QVERIFY(!Shown(p, "seed"));

    // "Precision" is for text files only; the seed shows while it is chosen.
    QVERIFY(Shown(p, "precision"));
    Select(p, "outputType", 1);
    QVERIFY(!Shown(p, "precision"));
    Select(p, "outputType", 0);
    QVERIFY(Shown(p, "precision"));
    Child<QCheckBox>(p, "chooseSeed")->setChecked(true);
    QVERIFY(Shown(p, "seed") && Child<QLineEdit>(p, "seed")->isEnabled());
    Child<QCheckBox>(p, "chooseSeed")->setChecked(false);
    QVERIFY(!Shown(p, "seed"));

    // The folder chooser starts at the output path; a cancel keeps it.
    services.answers = {"/data/series"};
    Click(p, "outputBrowse");
    QCOMPARE(services.initialFiles.last(), QDir::homePath());
    QCOMPARE(Text(p, "outputPath"), QString("/data/series"));
    Click(p, "outputBrowse");
    QCOMPARE(Text(p, "outputPath"), QString("/data/series"));
    Click(p, "outputView");
    QCOMPARE(services.viewedFolders, QStringList{"/data/series"});
}

void ToolPagesTest::generatorSeedAndRequest() {
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    QWidget* p = page.get();
    SetText(p, "seriesCount", "3");
    SetText(p, "lengthExponent", "7");
    SetText(p, "hurstStart", "0.2");
    SetText(p, "hurstEnd", "0.4");
    SetText(p, "hurstStep", "0.05");
    SetText(p, "outputPath", "/data/out");
    SetText(p, "filePrefix", "fbm_");
    Select(p, "outputType", 0);
    SetText(p, "precision", "4");
    SetText(p, "seed", "123");  // not chosen: the clock's seed
    std::optional<GeneratorSettings> request = page->ReadRequest();
    QVERIFY(request);
    QCOMPARE(request->seriesCount, 3);
    QCOMPARE(request->lengthExponent, 7);
    QCOMPARE(request->hurstStart, 0.2);
    QCOMPARE(request->hurstEnd, 0.4);
    QCOMPARE(request->hurstStep, 0.05);
    QCOMPARE(request->outputPath, std::string("/data/out"));
    QCOMPARE(request->filePrefix, std::string("fbm_"));
    QCOMPARE(request->outputKind, 1);
    QCOMPARE(request->precision, 4);
    QCOMPARE(request->seed, -1);

    Child<QCheckBox>(p, "chooseSeed")->setChecked(true);
    SetText(p, "seed", "0");
    QCOMPARE(page->ReadRequest()->seed, 0);
    SetText(p, "seed", "4294967295");  // −1 as a signed value: the clock's seed
    QCOMPARE(page->ReadRequest()->seed, -1);
    SetText(p, "seed", "4294967294");
    QCOMPARE(page->ReadRequest()->seed, -2);
    // "FFT" is the page's own: the request is the same.
    Select(p, "generatorType", 1);
    QCOMPARE(page->ReadRequest()->seed, -2);
    QCOMPARE(page->ReadRequest()->outputKind, 1);

    // Fields that do not hold their kind of number stop the action with a
    // message naming the first one.
    SetText(p, "seed", "4294967296");
    QVERIFY(!page->ReadRequest());
    QCOMPARE(services.messages.last(), QString("Seed: \"4294967296\" is not a whole number from 0 to 4294967295."));
    SetText(p, "seriesCount", "-1");
    SetText(p, "hurstStep", "0,1");
    QVERIFY(!page->ReadRequest());
    QCOMPARE(services.messages.last(),
             QString("Number of series: \"-1\" is not a whole number from 0 to 2147483647."));
    SetText(p, "seriesCount", "1");
    QVERIFY(!page->ReadRequest());
    QCOMPARE(services.messages.last(), QString("Hurst exponent step: \"0,1\" is not a number."));
    SetText(p, "hurstStep", "1,000");  // not a thousand
    QVERIFY(!page->ReadRequest());
    QCOMPARE(services.messages.last(), QString("Hurst exponent step: \"1,000\" is not a number."));
    const qsizetype told = services.messages.size();
    page->GenerateSeries();
    QCOMPARE(services.messages.size(), told + 1);
    QCOMPARE(page->StatusText(), QString("Ready"));

    // A precision that is hidden is not read, so it cannot stop the action.
    SetText(p, "hurstStep", "0.1");
    SetText(p, "seed", "5");
    SetText(p, "precision", "ten");
    Select(p, "outputType", 1);
    QVERIFY(page->ReadRequest());
    Select(p, "outputType", 2);
    QVERIFY(!page->ReadRequest());
}

void ToolPagesTest::generateSeriesWithTheDefaults() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    QWidget* p = page.get();
    SetText(p, "outputPath", Q(dir.Path()));
    Click(p, "generateSeries");
    QCOMPARE(FinishedStatus(*page), QString("Generating series... Done."));

    const std::string text = dir.File("Artificial_H=0.5-1.txt");
    const std::vector<std::string> lines = fractan::test::ReadLines(text);
    QCOMPARE(lines.size(), size_t{33});
    for (const std::string& line : lines) {
        const size_t point = line.find('.');
        QVERIFY2(point != std::string::npos && line.size() - point - 1 == 10, line.c_str());
    }
    QCOMPARE(std::filesystem::file_size(dir.File("Artificial_H=0.5-1.dat")), uintmax_t{264});
    QVERIFY(LogText(p).contains("Building series #0 (H=0.50)"));
    QCOMPARE(Child<QProgressBar>(p, "progress")->value(), 100);
    // The chart draws the text file as read back: its 33 values.
    const ResultChart* chart = Child<ResultChart>(p, "chart");
    QCOMPARE(chart->PlottedPoints(), 33);
    QCOMPARE(chart->chart()->title(), QString("Artificial_H=0.5-1.dat"));

    // Three exponents of two series: the bar follows the series begun, and
    // "FFT" writes what "RMD" writes for the same seed (−10: a negative seed
    // restarts the random source, so the two runs draw the same numbers).
    fractan::test::TempDir fft;
    SetText(p, "outputPath", Q(fft.Path()));
    SetText(p, "seriesCount", "2");
    SetText(p, "hurstEnd", "0.7");
    Child<QCheckBox>(p, "chooseSeed")->setChecked(true);
    SetText(p, "seed", "4294967286");
    Select(p, "outputType", 1);
    Select(p, "generatorType", 1);
    Click(p, "generateSeries");
    QCOMPARE(FinishedStatus(*page), QString("Generating series... Done."));
    SetText(p, "outputPath", Q(dir.Path()));
    Select(p, "generatorType", 0);
    Click(p, "generateSeries");
    QCOMPARE(FinishedStatus(*page), QString("Generating series... Done."));
    for (const char* name : {"Artificial_H=0.5-2.dat", "Artificial_H=0.6-1.dat", "Artificial_H=0.7-2.dat"})
        QCOMPARE(fractan::test::ReadText(fft.File(name)), fractan::test::ReadText(dir.File(name)));
    QCOMPARE(Child<ResultChart>(p, "chart")->PlottedPoints(), 33);
    QVERIFY(LogText(p).contains("Building series #1 (H=0.70)"));
}

void ToolPagesTest::generatorRefusesWhatCannotBeGenerated() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    QWidget* p = page.get();
    SetText(p, "outputPath", Q(dir.Path()));
    const struct {
        const char *start, *end, *step;
        QString status;
    } refused[] = {
        {"0", "0.5", "0.1", "The Hurst exponent 0 is outside (0, 1]. Nothing generated."},
        {"0.9", "1.2", "0.1", "The Hurst exponent 1.1 is outside (0, 1]. Nothing generated."},
        {"0.5", "0.5", "0", "The Hurst step is 0, it must be greater than 0 (start is not above end). Nothing generated."},
        {"0.5", "0.7", "-0.1",
         "The Hurst step is -0.1, it must be greater than 0 (start is not above end). Nothing generated."},
    };
    for (const auto& r : refused) {
        SetText(p, "hurstStart", r.start);
        SetText(p, "hurstEnd", r.end);
        SetText(p, "hurstStep", r.step);
        page->GenerateSeries();
        QCOMPARE(page->StatusText(), r.status);
        QVERIFY(!page->WorkerBusy());
    }
    SetText(p, "hurstStart", "0.5");
    SetText(p, "hurstEnd", "0.5");
    SetText(p, "hurstStep", "0.1");
    SetText(p, "outputPath", Q(dir.File("missing")));
    page->GenerateSeries();
    QCOMPARE(page->StatusText(),
             QString("The output path [%1] is not a folder. Nothing generated.").arg(Q(dir.File("missing"))));
    QVERIFY(std::filesystem::is_empty(dir.Path()));

    // A series that cannot be written (a folder holds its name) is not
    // reported as done.
    std::filesystem::create_directory(dir.File("Artificial_H=0.5-1.txt"));
    SetText(p, "outputPath", Q(dir.Path()));
    SetText(p, "seriesCount", "2");
    page->GenerateSeries();
    QCOMPARE(FinishedStatus(*page),
             QString("Generating series... Done. 1 of 2 series could not be written: see the messages."));
    QCOMPARE(StatusMark(p), QString("Error"));
    QVERIFY(fractan::test::Exists(dir.File("Artificial_H=0.5-2.txt")));
}

void ToolPagesTest::stopEndsALongGeneration() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    QWidget* p = page.get();
    SetText(p, "outputPath", Q(dir.Path()));
    SetText(p, "seriesCount", "200");
    SetText(p, "lengthExponent", "20");
    page->GenerateSeries();
    QCOMPARE(page->StatusText(), QString("Generating series..."));
    QTRY_VERIFY_WITH_TIMEOUT(LogText(p).contains("Building series #1 "), 30000);
    // A second start is refused while the first runs.
    page->GenerateSeries();
    QCOMPARE(page->StatusText(), QString("The page is busy: stop its work or wait for its end."));

    QElapsedTimer clock;
    clock.start();
    Click(p, "stop");
    QCOMPARE(page->StatusText(), QString("Stopping..."));
    QCOMPARE(FinishedStatus(*page), QString("Generating series... Stopped: the series written so far are kept."));
    QVERIFY2(clock.elapsed() < 5000, "the generation took too long to stop");
    const auto written = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
    QVERIFY(written < 400);
    QTest::qWait(200);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), written);
    QVERIFY(LogText(p).endsWith("Stopped."));
}

void ToolPagesTest::sampleFileAndItsRememberedByteCount() {
    fractan::test::TempDir dir;
    fractan::test::WriteText(dir.File("x.txt"), "0123456789\nabcdef\n");
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    const QString input = Q(dir.File("x.txt"));

    // A cancelled chooser asks for nothing more.
    page->GenerateSampleFile();
    WaitForWorker(*page);
    QCOMPARE(services.filters.last(), QString("All files (*.*)|*.*||"));
    QCOMPARE(services.initialFiles.last(), QString());
    QVERIFY(services.bytePresets.empty());

    services.answers = {input};
    services.byteCounts = {uint32_t{12}};
    page->GenerateSampleFile();
    WaitForWorker(*page);
    QCOMPARE(services.bytePresets, std::vector<uint32_t>{4194304});
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string("0123456789\na"));
    QCOMPARE(services.viewedTexts, QStringList{input + ".sample"});
    QCOMPARE(page->BytesToCopy(), 12u);

    // The next opening shows the last value; a cancel copies nothing and keeps it.
    services.answers = {input};
    services.byteCounts = {std::nullopt};
    page->GenerateSampleFile();
    WaitForWorker(*page);
    QCOMPARE(services.bytePresets.back(), 12u);
    QCOMPARE(page->BytesToCopy(), 12u);
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string("0123456789\na"));
    QCOMPARE(services.viewedTexts.size(), 1);

    // More than the file holds copies the whole file; 0 makes an empty sample.
    services.answers = {input, input};
    services.byteCounts = {uint32_t{1000}, uint32_t{0}};
    page->GenerateSampleFile();
    WaitForWorker(*page);
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string("0123456789\nabcdef\n"));
    page->GenerateSampleFile();
    WaitForWorker(*page);
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string());
    QCOMPARE(services.viewedTexts.size(), 3);

    // A file that cannot be read: a message that names it, and no viewer.
    services.answers = {Q(dir.File("gone.txt"))};
    page->GenerateSampleFile();
    WaitForWorker(*page);
    QCOMPARE(services.messages.last(), QString("Cannot read [%1]: no sample file was made.").arg(Q(dir.File("gone.txt"))));
    QVERIFY(!fractan::test::Exists(dir.File("gone.txt.sample")));
    QCOMPARE(services.viewedTexts.size(), 3);

    // A sample that cannot be written (a folder holds its name): a message that names it.
    std::filesystem::remove(dir.File("x.txt.sample"));
    std::filesystem::create_directory(dir.File("x.txt.sample"));
    services.answers = {input};
    page->GenerateSampleFile();
    WaitForWorker(*page);
    QCOMPARE(services.messages.last(), QString("Cannot write the sample file [%1.sample].").arg(input));
    QCOMPARE(services.viewedTexts.size(), 3);
    QVERIFY(LogText(page.get()).contains("Sample file: [" + input + ".sample], 18 characters"));

    // A long copy runs in the worker: a generation waits for it, and Stop
    // removes the unfinished sample. The status line is left as it was.
    const std::string big = dir.File("big.dat");
    fractan::test::WriteText(big, "");
    std::filesystem::resize_file(big, uintmax_t{1} << 32);  // sparse: no disk is used
    services.answers = {Q(big)};
    services.byteCounts = {uint32_t{4294967295u}};
    page->GenerateSampleFile();
    QTest::qWait(200);
    QVERIFY(page->WorkerBusy());
    page->GenerateSeries();
    QCOMPARE(page->StatusText(), QString("The page is busy: stop its work or wait for its end."));
    Click(page.get(), "stop");
    WaitForWorker(*page);
    QVERIFY(LogText(page.get()).endsWith("Stopped.\nThe unfinished sample file was removed."));
    QVERIFY(!fractan::test::Exists(big + ".sample"));
    QCOMPARE(page->StatusText(), QString("Ready"));
    QCOMPARE(services.viewedTexts.size(), 3);
}

void ToolPagesTest::bytesToCopyDialog() {
    // The field shows the preset, which a cancel keeps.
    ScriptedServices services;
    BytesToCopyDialog cancelled(77, services);
    cancelled.show();
    auto* field = Child<QLineEdit>(&cancelled, "bytesToCopy");
    QCOMPARE(field->text(), QString("77"));
    field->setText("5");
    cancelled.reject();
    QCOMPARE(cancelled.Value(), 77u);

    // Text that is not a byte count keeps the dialog open with a message.
    BytesToCopyDialog wrong(1, services);
    wrong.show();
    Child<QLineEdit>(&wrong, "bytesToCopy")->setText("-3");
    Click(&wrong, "bytesToCopyOk");
    QVERIFY(wrong.isVisible());
    QCOMPARE(services.messages.last(), QString("Bytes to copy: \"-3\" is not a whole number from 0 to 4294967295."));
    Child<QLineEdit>(&wrong, "bytesToCopy")->setText("4294967295");
    Click(&wrong, "bytesToCopyOk");
    QVERIFY(!wrong.isVisible());
    QCOMPARE(wrong.Value(), 4294967295u);
}

void ToolPagesTest::filesListPage() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CDataSeriesPage>(services);
    QWidget* p = page.get();
    QCOMPARE(page->StatusText(), QString("Ready"));
    QCOMPARE(Text(p, "filePrefix"), QString());
    QCOMPARE(Text(p, "filesPath"), QString());
    QCOMPARE(Child<QComboBox>(p, "extension")->currentText(), QString("txt"));
    for (const char* field : {"fileStart", "fileStep", "fileEnd"}) QCOMPARE(Text(p, field), QString("0"));

    // The defaults (0, 0, 0) would never end: refused before a file is asked for.
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(services.messages,
             QStringList{"The step is 0, it must be greater than 0 when the start is not above the end."});
    QVERIFY(services.filters.isEmpty());

    const QString list = Q(dir.File("list.txt"));
    SetText(p, "filePrefix", "Artificial_H=0.5-");
    SetText(p, "filesPath", Q(dir.Path()));
    SetText(p, "fileStart", "1");
    SetText(p, "fileStep", "2");
    SetText(p, "fileEnd", "6");
    services.answers = {list};
    Click(p, "generate");
    WaitForWorker(*page);
    QCOMPARE(services.filters.last(), QString("Files list files (*.txt)|*.txt|All files (*.*)|*.*||"));
    const std::string folder = dir.Path() + "/Artificial_H=0.5-";
    QCOMPARE(fractan::test::ReadText(list.toStdString()),
             folder + "1.txt\n" + folder + "3.txt\n" + folder + "5.txt\n");
    QCOMPARE(services.viewedTexts, QStringList{list});
    QCOMPARE(page->Record().fileProgression.step, 2);
    QCOMPARE(Child<QLabel>(p, "listSummary")->text(), list + ": 3 lines");
    QCOMPARE(Child<QPlainTextEdit>(p, "listPreview")->toPlainText(),
             Q(folder + "1.txt\n" + folder + "3.txt\n" + folder + "5.txt"));

    // "dat" from the list, a typed extension, and the chooser starting at the last list.
    Select(p, "extension", 1);
    services.answers = {list};
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(services.initialFiles.last(), list);
    QVERIFY(fractan::test::ReadText(list.toStdString()).ends_with("5.dat\n"));
    Child<QComboBox>(p, "extension")->setEditText("csv");
    SetText(p, "filePrefix", "");
    services.answers = {list};
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(fractan::test::ReadLines(list.toStdString()).front(), dir.Path() + "/1.csv");

    // Start above end: an empty list, written and shown.
    SetText(p, "fileStart", "7");
    services.answers = {list};
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(fractan::test::ReadText(list.toStdString()), std::string());
    QCOMPARE(services.viewedTexts.size(), 4);

    // A negative step, a list that cannot be created, a number that is not one.
    SetText(p, "fileStart", "1");
    SetText(p, "fileStep", "-1");
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(services.messages.last(),
             QString("The step is -1, it must be greater than 0 when the start is not above the end."));
    SetText(p, "fileStep", "1");
    const QString nowhere = Q(dir.File("missing/list.txt"));
    services.answers = {nowhere};
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(services.messages.last(), QString("Error creating files list.\n\n%1").arg(nowhere));
    QCOMPARE(StatusMark(p), QString("Error"));
    QCOMPARE(services.viewedTexts.size(), 4);
    SetText(p, "fileEnd", "6x");
    qsizetype asked = services.filters.size();
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(services.messages.last(), QString("End: \"6x\" is not a whole number."));
    QCOMPARE(services.filters.size(), asked);
    QCOMPARE(page->Record().fileProgression.end, 6);
    SetText(p, "fileEnd", "2147483648");
    page->Generate();
    QCOMPARE(services.messages.last(),
             QString("End: \"2147483648\" is not a whole number from -2147483648 to 2147483647."));
    // A folder chosen meanwhile is kept, and so is the text being edited.
    services.answers = {"/elsewhere"};
    Click(p, "filesPathBrowse");
    QCOMPARE(Text(p, "filesPath"), QString("/elsewhere"));
    QCOMPARE(Text(p, "fileEnd"), QString("2147483648"));
    asked = services.filters.size();

    // A list of more than a million lines is written only when the user says
    // so: 1, 3, … 3999999 under /d are 2000000 lines of at most 15 bytes.
    SetText(p, "filesPath", "/d");
    SetText(p, "fileStep", "2");
    SetText(p, "fileEnd", "4000000");
    services.confirmation = false;
    services.answers = {list};
    page->Generate();
    WaitForWorker(*page);
    QCOMPARE(services.questions.last(), QString("The files list will have 2000000 lines (about 30 MB). Write it?"));
    QCOMPARE(services.filters.size(), asked);
    QCOMPARE(fractan::test::ReadText(list.toStdString()), std::string());
    SetText(p, "filesPath", Q(dir.Path()));
    SetText(p, "fileStep", "1");

    // The page shows the first thousand lines of a longer list.
    SetText(p, "fileEnd", "1500");
    services.answers = {list};
    page->Generate();
    WaitForWorker(*page);
    const QStringList shown = Child<QPlainTextEdit>(p, "listPreview")->toPlainText().split('\n');
    QCOMPARE(shown.size(), 1001);
    QCOMPARE(shown[999], Q(dir.Path() + "/1000.csv"));
    QCOMPARE(shown.last(), QString("... and 500 more"));
    QCOMPARE(fractan::test::ReadLines(list.toStdString()).size(), size_t{1500});
}

void ToolPagesTest::filesListLoadConfig() {
    fractan::test::TempDir dir;
    fractan::test::WriteNumbers(dir.File("series.txt"), {1, 2, 3});
    AnalysisParameters stored;
    stored.Reset();
    stored.inputFileMode = 0;
    stored.inputFileName = dir.File("series.txt");
    stored.filePrefix = "fbm_";
    stored.inputFilesPath = "/data/series";
    stored.fileProgression = ScaleProgression{3, 30, 9, kLinear, ""};
    const QString config = Q(dir.File("config.txt"));
    QVERIFY(stored.SaveConfig(config.toStdString()));

    ScriptedServices services;
    auto page = ShownPage<CDataSeriesPage>(services);
    QWidget* p = page.get();
    Child<QComboBox>(p, "extension")->setEditText("csv");
    SetText(p, "fileEnd", "not a number");  // replaced by the configuration
    services.answers = {config};
    page->LoadConfig();
    QCOMPARE(services.filters.last(), QString("Configuration files (*.txt)|*.txt|All files (*.*)|*.*||"));
    QVERIFY(services.messages.isEmpty());
    QCOMPARE(Text(p, "filePrefix"), QString("fbm_"));
    QCOMPARE(Text(p, "filesPath"), QString("/data/series"));
    QCOMPARE(Text(p, "fileStart"), QString("3"));
    QCOMPARE(Text(p, "fileStep"), QString("9"));
    QCOMPARE(Text(p, "fileEnd"), QString("30"));
    QCOMPARE(Child<QComboBox>(p, "extension")->currentText(), QString("csv"));

    // A configuration that cannot be read: a message, the form as it was; the
    // chooser starts at the configuration chosen last.
    SetText(p, "fileStart", "4");
    services.answers = {Q(dir.File("missing.txt"))};
    page->LoadConfig();
    QCOMPARE(services.initialFiles.last(), config);
    QCOMPARE(services.messages, QStringList{"Error opening config file\n" + Q(dir.File("missing.txt")) + ": it cannot be opened."});
    QCOMPARE(Text(p, "fileStart"), QString("4"));
    QCOMPARE(Text(p, "filePrefix"), QString("fbm_"));
}

void ToolPagesTest::localSlopePage() {
    fractan::test::TempDir dir;
    // F = 3 n^0.7 at n = 10 … 10^4, ten points a decade, and F ∝ n^0.3 beyond:
    // the local slope is 0.7, then 0.3.
    std::string chart;
    for (int i = 0; i <= 50; ++i) {
        const double n = std::pow(10.0, 1.0 + i / 10.0);
        const double f = i <= 30 ? 3.0 * std::pow(n, 0.7) : 3.0 * std::pow(1e4, 0.4) * std::pow(n, 0.3);
        char line[80];
        std::snprintf(line, sizeof line, "%.9f\t%.9f\n", n, f);
        chart += line;
    }
    const std::string chartPath = dir.File("t.chart.txt");
    fractan::test::WriteText(chartPath, chart);

    ScriptedServices services;
    auto page = ShownPage<CLocalSlopePage>(services);
    QWidget* p = page.get();
    QCOMPARE(page->StatusText(), QString("Ready"));
    QCOMPARE(Text(p, "windowWidth"), QString("1"));
    QCOMPARE(Text(p, "windowDelta"), QString("0.1"));
    QVERIFY(Child<QLineEdit>(p, "inputFile")->isReadOnly());

    services.answers = {Q(chartPath)};
    Click(p, "inputBrowse");
    QCOMPARE(services.filters.last(), QString("DMA/DFA chart files (*.txt)|*.txt|All files (*.*)|*.*||"));
    QCOMPARE(Text(p, "inputFile"), Q(chartPath));
    Click(p, "inputView");
    QCOMPARE(services.viewedTexts.last(), Q(chartPath));
    SetText(p, "windowWidth", "0.5");
    Click(p, "getLocalSlope");
    WaitForWorker(*page);
    QCOMPARE(page->StatusText(), QString("Calculating... Done."));
    const std::string slopePath = chartPath + ".localslope.txt";
    QCOMPARE(services.viewedTexts.last(), Q(slopePath));

    // The chart draws every line of the file; the slopes are those of the two stretches.
    const std::vector<std::string> lines = fractan::test::ReadLines(slopePath);
    QVERIFY(lines.size() > 20);
    QCOMPARE(page->Chart()->PlottedPoints(), int(lines.size()));
    const auto first = fractan::test::SplitTabs(lines.front());
    const auto last = fractan::test::SplitTabs(lines.back());
    QVERIFY(std::abs(std::stod(first[1]) - 0.7) < 1e-6);
    QVERIFY(std::abs(std::stod(last[1]) - 0.3) < 1e-6);
    const QList<QPointF> drawn = ChartLine(page->Chart());
    QCOMPARE(drawn.first(), QPointF(std::stod(first[0]), std::stod(first[1])));
    QCOMPARE(drawn.last(), QPointF(std::stod(last[0]), std::stod(last[1])));

    // The chooser starts at the chart chosen last.
    Click(p, "inputBrowse");
    QCOMPARE(services.initialFiles.last(), Q(chartPath));

    // Refusals and failures say what went wrong instead of "Done.".
    SetText(p, "windowDelta", "0");
    page->GetLocalSlope();
    WaitForWorker(*page);
    QCOMPARE(page->StatusText(), QString("Window delta is 0, it must be greater than 0."));
    SetText(p, "windowDelta", "-0.1");
    page->GetLocalSlope();
    WaitForWorker(*page);
    QCOMPARE(page->StatusText(), QString("Window delta is -0.1, it must be greater than 0."));
    SetText(p, "windowDelta", "x");
    page->GetLocalSlope();
    WaitForWorker(*page);
    QCOMPARE(services.messages.last(), QString("Window delta: \"x\" is not a number."));
    SetText(p, "windowDelta", "0.1");
    services.answers = {Q(dir.File("gone.txt"))};
    Click(p, "inputBrowse");
    const qsizetype viewed = services.viewedTexts.size();
    page->GetLocalSlope();
    WaitForWorker(*page);
    QCOMPARE(page->StatusText(), QString("Cannot read the chart file [%1].").arg(Q(dir.File("gone.txt"))));
    QCOMPARE(services.viewedTexts.size(), viewed);
}

void ToolPagesTest::localSlopeFailuresAndStop() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CLocalSlopePage>(services);
    QWidget* p = page.get();
    auto choose = [&](const std::string& path) {
        services.answers = {Q(path)};
        Click(p, "inputBrowse");
    };

    // A chart of one point: an empty result, said so, and no viewer.
    fractan::test::WriteText(dir.File("words.txt"), "n\tF\n10\t1\n");
    choose(dir.File("words.txt"));
    page->GetLocalSlope();
    WaitForWorker(*page);
    QCOMPARE(page->StatusText(),
             QString("Calculating... Done. No window holds two points of the chart: [%1] is empty.")
                 .arg(Q(dir.File("words.txt.localslope.txt"))));
    QVERIFY(services.viewedTexts.isEmpty());

    // A result that cannot be written (a folder holds its name).
    fractan::test::WriteText(dir.File("c.txt"), SquareRootChart(100));
    std::filesystem::create_directory(dir.File("c.txt.localslope.txt"));
    choose(dir.File("c.txt"));
    page->GetLocalSlope();
    WaitForWorker(*page);
    QCOMPARE(page->StatusText(), QString("Cannot write [%1].").arg(Q(dir.File("c.txt.localslope.txt"))));
    QCOMPARE(StatusMark(p), QString("Error"));
    QVERIFY(services.viewedTexts.isEmpty());

    // A fine delta over a long chart runs in the worker, and Stop ends it.
    fractan::test::WriteText(dir.File("long.txt"), SquareRootChart(20000));
    choose(dir.File("long.txt"));
    SetText(p, "windowDelta", "0.00001");
    page->GetLocalSlope();
    QCOMPARE(page->StatusText(), QString("Calculating..."));
    QTest::qWait(300);
    QVERIFY(page->WorkerBusy());
    page->GetLocalSlope();
    QCOMPARE(page->StatusText(), QString("The local slope is being calculated: stop it or wait for its end."));
    QElapsedTimer clock;
    clock.start();
    Click(p, "stop");
    QCOMPARE(page->StatusText(), QString("Stopping calculation..."));
    WaitForWorker(*page);
    QVERIFY2(clock.elapsed() < 5000, "the local slope took too long to stop");
    QCOMPARE(page->StatusText(), QString("Calculating... Stopped: nothing was written."));
    QVERIFY(!fractan::test::Exists(dir.File("long.txt.localslope.txt")));
}

void ToolPagesTest::generationProgressAndChart() {
    // The bar stays busy through the first series, then shows the share written.
    RunLog::PercentReader progress = SeriesProgress(4);
    int32_t percent = -1;
    QVERIFY(!progress("Building series #0 (H=0.50)", &percent));
    QVERIFY(!progress("Building series 1 (H=0.5). Level 0", &percent));
    QVERIFY(progress("Building series #1 (H=0.50)", &percent));
    QCOMPARE(percent, 25);
    QVERIFY(progress("Building series #0 (H=0.60)", &percent));
    QCOMPARE(percent, 50);
    QVERIFY(progress("Building series #1 (H=0.60)", &percent));
    QCOMPARE(percent, 75);

    // The chart draws the binary file's values; of a long series, its beginning only.
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    QWidget* p = page.get();
    SetText(p, "outputPath", Q(dir.Path()));
    Select(p, "outputType", 1);
    SetText(p, "lengthExponent", "21");
    page->GenerateSeries();
    QCOMPARE(FinishedStatus(*page), QString("Generating series... Done."));
    const std::vector<double> values = ReadDoubles(dir.File("Artificial_H=0.5-1.dat"));
    QCOMPARE(values.size(), size_t{2097153});
    const ResultChart* chart = Child<ResultChart>(p, "chart");
    QCOMPARE(chart->chart()->title(), QString("Artificial_H=0.5-1.dat (its first 1048577 values)"));
    const QList<QPointF> drawn = ChartLine(chart);
    const int stride = (1048577 + 19999) / 20000;  // every 53rd value
    QCOMPARE(drawn.size(), (1048577 + stride - 1) / stride);
    for (qsizetype i : {qsizetype{0}, qsizetype{1}, drawn.size() - 1}) {
        QCOMPARE(drawn[i].x(), double(i * stride));
        QCOMPARE(drawn[i].y(), values[size_t(i * stride)]);
    }
}

void ToolPagesTest::filesListStop() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CDataSeriesPage>(services);
    QWidget* p = page.get();
    SetText(p, "filesPath", "/d");
    SetText(p, "fileStart", "1");
    SetText(p, "fileStep", "1");
    SetText(p, "fileEnd", "2000000000");
    const QString list = Q(dir.File("long.txt"));
    services.answers = {list};
    page->Generate();
    QCOMPARE(services.questions.size(), 1);
    QTest::qWait(200);
    QVERIFY(page->WorkerBusy());
    QCOMPARE(Child<QLabel>(p, "listSummary")->text(), QString("Writing %1...").arg(list));
    page->Generate();
    QCOMPARE(services.messages.last(), QString("A files list is being written: stop it or wait for its end."));
    QElapsedTimer clock;
    clock.start();
    Click(p, "stop");
    WaitForWorker(*page);
    QVERIFY2(clock.elapsed() < 5000, "the files list took too long to stop");
    QCOMPARE(Child<QLabel>(p, "listSummary")->text(), QString("Stopped: the unfinished list %1 was removed.").arg(list));
    QVERIFY(!fractan::test::Exists(list.toStdString()));
    QVERIFY(services.viewedTexts.isEmpty());
}

void ToolPagesTest::runLogShowsEveryLine() {
    QWidget page;
    RunLog log(&page);
    log.Begin("test");
    log.RunHere([] { WriteOutput("first\nHurst exponent 40 %\nlast, without its line end"); });
    log.End(false);
    QStringList lines = log.Pane()->toPlainText().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].startsWith("=== test, started "));
    QCOMPARE(lines.mid(1), (QStringList{"first", "Hurst exponent 40 %", "last, without its line end"}));
    QCOMPARE(log.Bar()->value(), 100);

    // From the worker; a stop leaves the bar where the run left it.
    log.Begin("again");
    log.StartInWorker([] { WriteOutput("Hurst exponent 30 %\nend"); }, [&log] { log.End(true); });
    WaitForWorkerOf(log);
    lines = log.Pane()->toPlainText().split('\n');
    QCOMPARE(lines.mid(lines.size() - 3), (QStringList{"Hurst exponent 30 %", "end", "Stopped."}));
    QCOMPARE(log.Bar()->value(), 30);
}

void ToolPagesTest::numbersKeepTheirPointUnderACommaLocale() {
    // A German locale, built here, writes "0,5" through printf.
    fractan::test::TempDir locales;
    const std::string build = "localedef -i de_DE -f UTF-8 '" + locales.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(build.c_str()) != 0) QSKIP("localedef cannot build de_DE on this machine (package locales)");
    qputenv("LOCPATH", QByteArray::fromStdString(locales.Path()));
    struct Restore {
        ~Restore() {
            std::setlocale(LC_ALL, "C");
            qunsetenv("LOCPATH");
        }
    } restore;
    QVERIFY(std::setlocale(LC_ALL, "de_DE.UTF-8"));
    QCOMPARE(std::localeconv()->decimal_point, ",");  // as Qt leaves it for a German user

    SetUpApplication();
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    SetText(page.get(), "outputPath", Q(dir.Path()));
    Select(page.get(), "outputType", 0);
    page->GenerateSeries();
    QCOMPARE(FinishedStatus(*page), QString("Generating series... Done."));
    const std::vector<std::string> lines = fractan::test::ReadLines(dir.File("Artificial_H=0.5-1.txt"));
    QCOMPARE(lines.size(), size_t{33});
    QVERIFY2(lines[1].find('.') != std::string::npos && lines[1].find(',') == std::string::npos, lines[1].c_str());

    // And a chart with points is read as one.
    fractan::test::WriteText(dir.File("c.txt"), SquareRootChart(100));
    auto slope = ShownPage<CLocalSlopePage>(services);
    services.answers = {Q(dir.File("c.txt"))};
    Click(slope.get(), "inputBrowse");
    slope->GetLocalSlope();
    WaitForWorker(*slope);
    QCOMPARE(slope->StatusText(), QString("Calculating... Done."));
}

#include "tool_pages_test.moc"

int RunToolPagesTest(int argc, char** argv) {
    ToolPagesTest test;
    return QTest::qExec(&test, argc, argv);
}
