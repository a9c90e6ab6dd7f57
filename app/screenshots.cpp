// fractan-gui-screenshots FOLDER: fills every page with a synthetic series or
// what the pages before it wrote, runs it, and saves a picture of each page
// into FOLDER (gui-generator.png, gui-dma.png, gui-dfa.png, gui-clusters.png,
// gui-fileslist.png, gui-localslope.png, gui-multifractal.png, gui-xcorr.png) for the
// documentation.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include <cstdio>
#include <random>
#include <span>
#include <vector>

#include "generator/generator.h"
#include "generator/series_writer.h"
#include "setup/output.h"
#include "ui/analysis_page.h"
#include "ui/cross_correlation_page.h"
#include "ui/data_series_page.h"
#include "ui/application.h"
#include "ui/local_slope_page.h"
#include "ui/main_sheet.h"
#include "ui/multifractal_page.h"
#include "ui/series_generator_page.h"

namespace {

using fractan::ui::CAnalysisPage;

void Text(QWidget* page, const char* name, const QString& text) {
    if (auto* field = page->findChild<QLineEdit*>(name)) field->setText(text);
}
void Pick(QWidget* page, const char* name, int index) {
    if (auto* list = page->findChild<QComboBox*>(name)) list->setCurrentIndex(index);
}

void FillCommon(CAnalysisPage* page, const QString& series, const QString& folder) {
    Pick(page, "inputMode", 0);
    Text(page, "inputFile", series);
    Pick(page, "fileType", 0);
    Text(page, "offset", "0");
    Text(page, "outputPath", folder);
    Text(page, "testName", "demo");
}

// Answers the choosers from a queue; viewers and messages only print.
class PictureServices : public fractan::ui::FormServices {
public:
    QStringList answers;
    QString OpenFile(const QString&, const QString&) override { return Next(); }
    QString SaveFile(const QString&, const QString&) override { return Next(); }
    QString ChooseFolder(const QString&) override { return Next(); }
    void ViewText(const QString& path) override { std::printf("Viewer: %s\n", qPrintable(path)); }
    void ViewFolder(const QString& path) override { ViewText(path); }
    void Message(const QString& text) override { std::printf("Message: %s\n", qPrintable(text)); }
    bool Confirm(const QString&) override { return true; }

private:
    QString Next() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
};

bool Save(QWidget* sheet, const QString& path) {
    QApplication::processEvents();
    const bool saved = sheet->grab().save(path);
    std::printf("%s %s\n", saved ? "Wrote" : "Could not write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    fractan::ui::SetUpApplication();
    if (argc != 2) {
        std::fprintf(stderr, "usage: fractan-gui-screenshots FOLDER\n");
        return 2;
    }
    const QString pictures = QDir(argv[1]).absolutePath();
    // A fixed folder, so that the pictures change only when the pages do.
    QDir work(QDir::temp().filePath("fractan-demo"));
    work.removeRecursively();
    if (!QDir().mkpath(work.path())) return 1;

    // A fractional Brownian motion of 2^14 + 1 samples with H = 0.7.
    fractan::GeneratorSettings settings;
    settings.lengthExponent = 14;
    settings.hurstStart = settings.hurstEnd = 0.7;
    settings.outputPath = work.path().toStdString();
    settings.filePrefix = "walk_";
    settings.outputKind = fractan::kTextSeries;
    settings.seed = 7;
    {
        fractan::OutputCapture quiet;
        if (fractan::Generate(settings) != fractan::kGenerated) return 1;
    }
    const QString series =
        QString::fromStdString(fractan::SeriesBaseName(settings.outputPath, settings.filePrefix, 0.7, 1) + ".txt");

    PictureServices services;
    fractan::ui::CMainSheet sheet(services);
    sheet.show();
    bool ok = true;

    // Six exact series of 2^12 + 1 values, H from 0.3 to 0.7, drawn from a fixed seed.
    auto* generator = sheet.GeneratorPage();
    Text(generator, "seriesCount", "2");
    Text(generator, "lengthExponent", "12");
    Text(generator, "hurstStart", "0.3");
    Text(generator, "hurstEnd", "0.7");
    Text(generator, "hurstStep", "0.2");
    Text(generator, "outputPath", work.path());
    Pick(generator, "generatorType", 1);  // exact fBm by FFT
    Pick(generator, "outputType", 0);
    Text(generator, "precision", "6");
    generator->findChild<QCheckBox*>("chooseSeed")->setChecked(true);
    Text(generator, "seed", "4294967286");
    generator->GenerateSeries();
    QElapsedTimer clock;
    clock.start();
    while (generator->WorkerBusy() && clock.elapsed() < 60000) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    sheet.Pages()->setCurrentWidget(generator);
    ok &= Save(&sheet, pictures + "/gui-generator.png");

    // The DMA and DFA pages on the sizes they derive from the series, as the command does.
    auto* dma = sheet.DmaPage();
    Pick(dma, "computationType", 1);  // static DMA
    services.answers = {series};
    dma->findChild<QPushButton*>("inputBrowse")->click();
    FillCommon(dma, series, work.path());
    dma->findChild<QCheckBox*>("interval")->setChecked(true);  // the interval on H, drawn on the chart
    Text(dma, "intervalSeed", "1");
    dma->Calculate();
    sheet.Pages()->setCurrentWidget(dma);
    ok &= Save(&sheet, pictures + "/gui-dma.png");

    auto* dfa = sheet.DfaPage();
    Pick(dfa, "computationType", 0);  // dynamic DFA: H along the series
    Text(dfa, "dynamicStep", "25");
    services.answers = {series};
    dfa->findChild<QPushButton*>("inputBrowse")->click();
    FillCommon(dfa, series, work.path());
    dfa->Calculate();
    sheet.Pages()->setCurrentWidget(dfa);
    ok &= Save(&sheet, pictures + "/gui-dfa.png");

    auto* clusters = sheet.ClustersPage();
    FillCommon(clusters, series, work.path());
    Text(clusters, "windowSize", "16385");
    Text(clusters, "progressionStart", "10");
    Text(clusters, "progressionStep", "10");
    Text(clusters, "progressionEnd", "100");
    Pick(clusters, "progressionType", 0);
    Text(clusters, "distributionStep", "1");
    Pick(clusters, "distributionType", 0);
    Pick(clusters, "averageType", 0);
    clusters->Calculate();
    sheet.Pages()->setCurrentWidget(clusters);
    ok &= Save(&sheet, pictures + "/gui-clusters.png");

    // The list of the generated series with H = 0.3.
    auto* filesList = sheet.DataSeriesPage();
    Text(filesList, "filePrefix", "Artificial_H=0.3-");
    Text(filesList, "filesPath", work.path());
    Text(filesList, "fileStart", "1");
    Text(filesList, "fileStep", "1");
    Text(filesList, "fileEnd", "2");
    services.answers = {work.filePath("fileslist.txt")};
    filesList->Generate();
    sheet.Pages()->setCurrentWidget(filesList);
    ok &= Save(&sheet, pictures + "/gui-fileslist.png");

    // The local slope of the static DMA run's chart.
    auto* localSlope = sheet.LocalSlopePage();
    const QStringList charts = work.entryList({"*.chart.txt"}, QDir::Files, QDir::Name);
    services.answers = {charts.isEmpty() ? QString() : work.filePath(charts.first())};
    localSlope->ChooseInput();
    Text(localSlope, "windowWidth", "0.6");
    localSlope->GetLocalSlope();
    sheet.Pages()->setCurrentWidget(localSlope);
    ok &= Save(&sheet, pictures + "/gui-localslope.png");

    // MF-DFA-1 of the series on the default q and scales, its spectrum f(α) drawn.
    auto* multifractal = sheet.MultifractalPage();
    services.answers = {series};
    multifractal->ChooseInput();
    Pick(multifractal, "chartKind", 0);
    multifractal->Calculate();
    clock.restart();
    while (multifractal->WorkerBusy() && clock.elapsed() < 60000) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    sheet.Pages()->setCurrentWidget(multifractal);
    ok &= Save(&sheet, pictures + "/gui-multifractal.png");

    // DCCA of two random walks of 2^14 steps whose steps are correlated by 0.6.
    std::mt19937 random(11);
    std::normal_distribution<double> gauss;
    std::vector<double> x(16384), y(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        const double step = gauss(random);
        x[i] = (i ? x[i - 1] : 0.0) + step;
        y[i] = (i ? y[i - 1] : 0.0) + 0.6 * step + 0.8 * gauss(random);
    }
    const QString first = work.filePath("walk_x"), second = work.filePath("walk_y");
    for (const auto& [walk, base] : {std::pair{&x, first}, std::pair{&y, second}})
        ok &= fractan::WriteSeries(std::span<const double>(*walk), base.toStdString(), fractan::kTextSeries, 6) ==
              fractan::kSeriesWritten;
    auto* xcorr = sheet.CrossCorrelationPage();
    Text(xcorr, "inputFile", first + ".txt");
    Text(xcorr, "secondFile", second + ".txt");
    sheet.Pages()->setCurrentWidget(xcorr);  // shown as it runs, its log laid out as the user sees it
    xcorr->Calculate();
    clock.restart();
    while (xcorr->WorkerBusy() && clock.elapsed() < 60000) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    ok &= Save(&sheet, pictures + "/gui-xcorr.png");
    work.removeRecursively();
    return ok ? 0 : 1;
}
