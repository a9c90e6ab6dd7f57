// The main window: its pages, its buttons, and closing it while a worker runs.

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <filesystem>

#include "test_support.h"
#include "ui/analysis_page.h"
#include "ui/main_sheet.h"
#include "ui/data_series_page.h"
#include "ui/local_slope_page.h"
#include "ui/series_generator_page.h"
#include "ui_test_support.h"

using namespace fractan;
using namespace fractan::ui;
using namespace fractan::ui::test;

class MainSheetTest : public QObject {
    Q_OBJECT
private slots:
    void sixPagesWithTheDmaPageShown();
    void closingStopsARunningWorkerFirst();
    void closingStopsARunningGeneration();
};

void MainSheetTest::sixPagesWithTheDmaPageShown() {
    ScriptedServices services;
    CMainSheet sheet(services);
    sheet.show();
    QTabWidget* tabs = sheet.Pages();
    QCOMPARE(tabs->currentWidget(), static_cast<QWidget*>(sheet.DmaPage()));
    QCOMPARE(tabs->widget(2), static_cast<QWidget*>(sheet.DfaPage()));
    QCOMPARE(tabs->widget(3), static_cast<QWidget*>(sheet.ClustersPage()));
    QCOMPARE(tabs->widget(0), static_cast<QWidget*>(sheet.GeneratorPage()));
    QCOMPARE(tabs->widget(4), static_cast<QWidget*>(sheet.DataSeriesPage()));
    QCOMPARE(tabs->widget(5), static_cast<QWidget*>(sheet.LocalSlopePage()));

    // Enter in a field does not close the window; OK does.
    QTest::keyClick(Child<QLineEdit>(sheet.DmaPage(), "windowSize"), Qt::Key_Return);
    QVERIFY(sheet.isVisible());
    Child<QDialogButtonBox>(&sheet, "sheetButtons")->button(QDialogButtonBox::Ok)->click();
    QVERIFY(!sheet.isVisible());
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
}

void MainSheetTest::closingStopsARunningWorkerFirst() {
    fractan::test::TempDir dir;
    fractan::test::WriteBinary(dir.File("long.dat"), fractan::test::RandomWalk(200000, 8));
    const std::string inc = dir.File("t.Dynamic DFA (1).out.long.inc.txt");
    ScriptedServices services;
    auto sheet = std::make_unique<CMainSheet>(services);
    sheet->show();
    CDFAPage* page = sheet->DfaPage();
    sheet->Pages()->setCurrentWidget(page);
    FillLongDynamicDfa(page, dir.File("long.dat"), dir.Path());
    page->CalculateInThread();
    QTRY_VERIFY_WITH_TIMEOUT(LogText(page).contains("%"), 20000);

    // The user is asked first, and may keep the window and its calculation.
    services.confirmation = false;
    sheet->reject();  // Cancel, Escape or the close box
    QCOMPARE(services.questions.size(), 1);
    QVERIFY(sheet->isVisible());
    QVERIFY(page->WorkerBusy());
    QCOMPARE(page->StatusText(), QString("Calculating..."));

    services.confirmation = true;
    QElapsedTimer clock;
    clock.start();
    sheet->reject();
    QVERIFY2(clock.elapsed() < 5000, "closing waited too long for the worker");
    QVERIFY(!sheet->isVisible());
    // The worker has ended: its file no longer changes, and the pages can go.
    const std::string written = fractan::test::ReadText(inc);
    QTest::qWait(200);
    QCOMPARE(fractan::test::ReadText(inc), written);
    sheet.reset();
}

void MainSheetTest::closingStopsARunningGeneration() {
    fractan::test::TempDir dir;
    ScriptedServices services;
    auto sheet = std::make_unique<CMainSheet>(services);
    sheet->show();
    CSeriesGeneratorPage* page = sheet->GeneratorPage();
    SetText(page, "outputPath", QString::fromStdString(dir.Path()));
    SetText(page, "seriesCount", "500");
    SetText(page, "lengthExponent", "20");
    page->GenerateSeries();
    QTRY_VERIFY_WITH_TIMEOUT(LogText(page).contains("Building series #1 "), 30000);

    QElapsedTimer clock;
    clock.start();
    sheet->reject();
    QCOMPARE(services.questions.size(), 1);
    QVERIFY2(clock.elapsed() < 5000, "closing waited too long for the generation");
    QVERIFY(!sheet->isVisible());
    // The generation has ended: the page hears of it, and no file is added.
    QTRY_VERIFY_WITH_TIMEOUT(!page->WorkerBusy(), 1000);
    QVERIFY(LogText(page).endsWith("Stopped."));
    const auto written = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
    QTest::qWait(200);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), written);
    sheet.reset();
}

#include "main_sheet_test.moc"

int RunMainSheetTest(int argc, char** argv) {
    MainSheetTest test;
    return QTest::qExec(&test, argc, argv);
}
