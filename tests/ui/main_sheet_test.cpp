// The main window: Enter does not close it, and closing it while pages work
// asks first and stops their work.

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include "test_support.h"
#include "ui/analysis_page.h"
#include "ui/main_sheet.h"
#include "ui/series_generator_page.h"
#include "ui_test_support.h"

using namespace fractan;
using namespace fractan::ui;
using namespace fractan::ui::test;

class MainSheetTest : public QObject {
    Q_OBJECT
private slots:
    void closingAsksAndStopsTheRunningPages();
};

void MainSheetTest::closingAsksAndStopsTheRunningPages() {
    fractan::test::TempDir dir;
    fractan::test::WriteBinary(dir.File("long.dat"), fractan::test::RandomWalk(200000, 8));
    ScriptedServices services;
    CMainSheet sheet(services);
    sheet.show();
    // The sheet's own key handling: the dialog's default button would take Enter.
    QTest::keyClick(Child<QLineEdit>(sheet.DmaPage(), "windowSize"), Qt::Key_Return);
    QVERIFY(sheet.isVisible());

    CDFAPage* dfa = sheet.DfaPage();
    CSeriesGeneratorPage* generator = sheet.GeneratorPage();
    FillLongDynamicDfa(dfa, dir.File("long.dat"), dir.Path());
    dfa->CalculateInThread();
    Set(generator, {{"outputPath", Q(dir.Path())}, {"seriesCount", "500"}, {"lengthExponent", "20"}});
    generator->GenerateSeries();
    QTRY_VERIFY_WITH_TIMEOUT(LogText(dfa).contains("%") && LogText(generator).contains("Building series #1 "), 30000);

    // The user is asked first, and may keep the window and its work.
    services.confirmation = false;
    sheet.reject();  // Cancel, Escape or the close box
    QCOMPARE(services.questions.size(), 1);
    QVERIFY(sheet.isVisible() && dfa->WorkerBusy() && generator->WorkerBusy());
    // Closed, at once, with the work ended, which takes far longer when not stopped.
    services.confirmation = true;
    QElapsedTimer clock;
    clock.start();
    sheet.reject();
    QVERIFY2(clock.elapsed() < 5000, "closing waited too long for the pages' work");
    QVERIFY(!sheet.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!dfa->WorkerBusy() && !generator->WorkerBusy(), 1000);
    QVERIFY(LogText(generator).endsWith("Stopped."));
}

#include "main_sheet_test.moc"

int RunMainSheetTest(int argc, char** argv) {
    MainSheetTest test;
    return QTest::qExec(&test, argc, argv);
}
