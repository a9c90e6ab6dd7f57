// The series generation, files-list and local slope pages, and the
// "Bytes to copy" dialog, driven through their widgets.

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <memory>

#include "generator/generator.h"
#include "setup/parameters.h"
#include "test_support.h"
#include "ui/bytes_to_copy_dialog.h"
#include "ui/data_series_page.h"
#include "ui/local_slope_page.h"
#include "ui/result_chart.h"
#include "ui/series_generator_page.h"
#include "ui_test_support.h"

using namespace fractan;
using namespace fractan::ui;
using namespace fractan::ui::test;

namespace {

QString Text(QWidget* page, const char* name) { return Child<QLineEdit>(page, name)->text(); }

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Waits for a generation to end and tells its status.
QString FinishedStatus(CSeriesGeneratorPage& page) {
    QElapsedTimer clock;
    clock.start();
    while (page.WorkerBusy() && clock.elapsed() < 60000) QTest::qWait(10);
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
};

void ToolPagesTest::generatorDefaultsAndShownRules() {
    ScriptedServices services;
    auto page = ShownPage<CSeriesGeneratorPage>(services);
    QWidget* p = page.get();
    QCOMPARE(page->StatusText(), QString("Ready"));
    QCOMPARE(Text(p, "seriesCount"), QString("1"));
    QCOMPARE(Text(p, "lengthExponent"), QString("5"));
    QCOMPARE(Child<QComboBox>(p, "generatorType")->currentText(), QString("RMD"));
    QCOMPARE(Text(p, "hurstStart"), QString("0.5"));
    QCOMPARE(Text(p, "hurstEnd"), QString("0.5"));
    QCOMPARE(Text(p, "hurstStep"), QString("0.1"));
    QCOMPARE(Text(p, "outputPath"), QDir::homePath());
    QCOMPARE(Text(p, "filePrefix"), QString("Artificial_"));
    QCOMPARE(Child<QComboBox>(p, "outputType")->currentText(), QString("Both text and binary"));
    QCOMPARE(Text(p, "precision"), QString("10"));
    QVERIFY(!Child<QCheckBox>(p, "chooseSeed")->isChecked());
    QVERIFY(!Shown(p, "seed"));
    QCOMPARE(page->BytesToCopy(), kDefaultBytesToCopy);
    QCOMPARE(kDefaultBytesToCopy, 4194304u);

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
    QCOMPARE(chart->chart()->title(), QString("Artificial_H=0.5-1.txt"));

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
    page->GenerateSeries();
    QCOMPARE(FinishedStatus(*page),
             QString("Generating series... Done. 1 of 1 series could not be written: see the messages."));
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
    QCOMPARE(page->StatusText(), QString("Series are already being generated: stop them or wait for their end."));

    QElapsedTimer clock;
    clock.start();
    Click(p, "stop");
    QCOMPARE(page->StatusText(), QString("Stopping generation..."));
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
    QCOMPARE(services.filters.last(), QString("All files (*.*)|*.*||"));
    QCOMPARE(services.initialFiles.last(), QString());
    QVERIFY(services.bytePresets.empty());

    services.answers = {input};
    services.byteCounts = {uint32_t{12}};
    page->GenerateSampleFile();
    QCOMPARE(services.bytePresets, std::vector<uint32_t>{4194304});
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string("0123456789\na"));
    QCOMPARE(services.viewedTexts, QStringList{input + ".sample"});
    QCOMPARE(page->BytesToCopy(), 12u);

    // The next opening shows the last value; a cancel copies nothing and keeps it.
    services.answers = {input};
    services.byteCounts = {std::nullopt};
    page->GenerateSampleFile();
    QCOMPARE(services.bytePresets.back(), 12u);
    QCOMPARE(page->BytesToCopy(), 12u);
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string("0123456789\na"));
    QCOMPARE(services.viewedTexts.size(), 1);

    // More than the file holds copies the whole file; 0 makes an empty sample.
    services.answers = {input, input};
    services.byteCounts = {uint32_t{1000}, uint32_t{0}};
    page->GenerateSampleFile();
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string("0123456789\nabcdef\n"));
    page->GenerateSampleFile();
    QCOMPARE(fractan::test::ReadText(dir.File("x.txt.sample")), std::string());
    QCOMPARE(services.viewedTexts.size(), 3);

    // A file that cannot be read: a message that names it, and no viewer.
    services.answers = {Q(dir.File("gone.txt"))};
    page->GenerateSampleFile();
    QCOMPARE(services.messages.last(), QString("Cannot read [%1]: no sample file was made.").arg(Q(dir.File("gone.txt"))));
    QVERIFY(!fractan::test::Exists(dir.File("gone.txt.sample")));
    QCOMPARE(services.viewedTexts.size(), 3);
}

void ToolPagesTest::bytesToCopyDialog() {
    ScriptedServices services;
    BytesToCopyDialog dialog(4194304, services);
    dialog.show();
    auto* field = Child<QLineEdit>(&dialog, "bytesToCopy");
    QCOMPARE(field->text(), QString("4194304"));
    field->setText("123");
    QTest::keyClick(field, Qt::Key_Return);  // Enter confirms
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Value(), 123u);

    BytesToCopyDialog cancelled(77, services);
    cancelled.show();
    Child<QLineEdit>(&cancelled, "bytesToCopy")->setText("5");
    QTest::keyClick(&cancelled, Qt::Key_Escape);
    QVERIFY(!cancelled.isVisible());
    QCOMPARE(cancelled.result(), int(QDialog::Rejected));
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
    QCOMPARE(services.initialFiles.last(), list);
    QVERIFY(fractan::test::ReadText(list.toStdString()).ends_with("5.dat\n"));
    Child<QComboBox>(p, "extension")->setEditText("csv");
    SetText(p, "filePrefix", "");
    services.answers = {list};
    page->Generate();
    QCOMPARE(fractan::test::ReadLines(list.toStdString()).front(), dir.Path() + "/1.csv");

    // Start above end: an empty list, written and shown.
    SetText(p, "fileStart", "7");
    services.answers = {list};
    page->Generate();
    QCOMPARE(fractan::test::ReadText(list.toStdString()), std::string());
    QCOMPARE(services.viewedTexts.size(), 4);

    // A negative step, a list that cannot be created, a number that is not one.
    SetText(p, "fileStart", "1");
    SetText(p, "fileStep", "-1");
    page->Generate();
    QCOMPARE(services.messages.last(),
             QString("The step is -1, it must be greater than 0 when the start is not above the end."));
    SetText(p, "fileStep", "1");
    const QString nowhere = Q(dir.File("missing/list.txt"));
    services.answers = {nowhere};
    page->Generate();
    QCOMPARE(services.messages.last(), QString("Error creating files list.\n\n%1").arg(nowhere));
    QCOMPARE(services.viewedTexts.size(), 4);
    SetText(p, "fileEnd", "6x");
    const qsizetype asked = services.filters.size();
    page->Generate();
    QCOMPARE(services.messages.last(), QString("End: \"6x\" is not a whole number."));
    QCOMPARE(services.filters.size(), asked);
    QCOMPARE(page->Record().fileProgression.end, 6);

    // A list of more than a million lines is written only when the user says so.
    SetText(p, "fileEnd", "2000000");
    services.confirmation = false;
    services.answers = {list};
    page->Generate();
    QCOMPARE(services.questions.last(), QString("The files list will have 2000000 lines. Write it?"));
    QCOMPARE(services.filters.size(), asked);
    QCOMPARE(fractan::test::ReadText(list.toStdString()), std::string());

    // The page shows the first thousand lines of a longer list.
    SetText(p, "fileEnd", "1500");
    services.answers = {list};
    page->Generate();
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
    QCOMPARE(services.messages, QStringList{"Error opening config file"});
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

    // The chooser starts at the chart chosen last.
    Click(p, "inputBrowse");
    QCOMPARE(services.initialFiles.last(), Q(chartPath));

    // Refusals and failures say what went wrong instead of "Done.".
    SetText(p, "windowDelta", "0");
    page->GetLocalSlope();
    QCOMPARE(page->StatusText(), QString("Window delta is 0, it must be greater than 0."));
    SetText(p, "windowDelta", "-0.1");
    page->GetLocalSlope();
    QCOMPARE(page->StatusText(), QString("Window delta is -0.1, it must be greater than 0."));
    SetText(p, "windowDelta", "x");
    page->GetLocalSlope();
    QCOMPARE(services.messages.last(), QString("Window delta: \"x\" is not a number."));
    SetText(p, "windowDelta", "0.1");
    services.answers = {Q(dir.File("gone.txt"))};
    Click(p, "inputBrowse");
    const qsizetype viewed = services.viewedTexts.size();
    page->GetLocalSlope();
    QCOMPARE(page->StatusText(), QString("Cannot read the chart file [%1].").arg(Q(dir.File("gone.txt"))));
    QCOMPARE(services.viewedTexts.size(), viewed);
}

#include "tool_pages_test.moc"

int RunToolPagesTest(int argc, char** argv) {
    ToolPagesTest test;
    return QTest::qExec(&test, argc, argv);
}
