// fractan-gui-screenshots FOLDER: fills the three analysis pages with a
// synthetic series, runs each one, and saves a picture of each page into
// FOLDER (gui-dma.png, gui-dfa.png, gui-clusters.png) for the documentation.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>

#include <cstdio>

#include "generator/generator.h"
#include "generator/series_writer.h"
#include "setup/output.h"
#include "ui/analysis_page.h"
#include "ui/icons.h"
#include "ui/main_sheet.h"

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

bool Save(QWidget* sheet, const QString& path) {
    QApplication::processEvents();
    const bool saved = sheet->grab().save(path);
    std::printf("%s %s\n", saved ? "Wrote" : "Could not write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(fractan::ui::ApplicationIcon());
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

    fractan::ui::CMainSheet sheet;
    sheet.show();
    bool ok = true;

    auto* dma = sheet.DmaPage();
    FillCommon(dma, series, work.path());
    Pick(dma, "computationType", 1);  // static DMA
    Text(dma, "windowSize", "14000");
    Text(dma, "dataSize", "16385");
    Text(dma, "progressionStart", "8");
    Text(dma, "progressionStep", "2");
    Text(dma, "progressionEnd", "1024");
    Pick(dma, "progressionType", 1);
    dma->Calculate();
    sheet.Pages()->setCurrentWidget(dma);
    ok &= Save(&sheet, pictures + "/gui-dma.png");

    auto* dfa = sheet.DfaPage();
    FillCommon(dfa, series, work.path());
    Pick(dfa, "computationType", 0);  // dynamic DFA: H along the series
    Text(dfa, "windowSize", "2000");
    Text(dfa, "dataSize", "16385");
    Text(dfa, "progressionStart", "8");
    Text(dfa, "progressionStep", "2");
    Text(dfa, "progressionEnd", "256");
    Text(dfa, "dynamicStep", "25");
    Pick(dfa, "progressionType", 1);
    Text(dfa, "dfaOrder", "1");
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
    work.removeRecursively();
    return ok ? 0 : 1;
}
