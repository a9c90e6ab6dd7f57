#pragma once
// The application's one window: a sheet of eight pages with OK and Cancel.

#include <QDialog>

#include <vector>

#include "ui/form_services.h"
#include "ui/worker_thread.h"

class QTabWidget;

namespace fractan::ui {

class CDMAPage;
class CDFAPage;
class CClustersPage;
class CSeriesGeneratorPage;
class CDataSeriesPage;
class CLocalSlopePage;
class CMultifractalPage;
class CCrossCorrelationPage;

class CMainSheet : public QDialog {
    Q_OBJECT
public:
    explicit CMainSheet(FormServices& services = DesktopServices(), QWidget* parent = nullptr);
    ~CMainSheet() override;

    QTabWidget* Pages() const { return tabs_; }
    CDMAPage* DmaPage() const { return dmaPage_; }
    CDFAPage* DfaPage() const { return dfaPage_; }
    CClustersPage* ClustersPage() const { return clustersPage_; }
    CSeriesGeneratorPage* GeneratorPage() const { return generatorPage_; }
    CDataSeriesPage* DataSeriesPage() const { return dataSeriesPage_; }
    CLocalSlopePage* LocalSlopePage() const { return localSlopePage_; }
    CMultifractalPage* MultifractalPage() const { return multifractalPage_; }
    CCrossCorrelationPage* CrossCorrelationPage() const { return crossCorrelationPage_; }

    // OK, Cancel, Escape and the close box end here. While a page's worker
    // runs, the user is asked first; its work is then stopped and
    // waited for before the window goes.
    void done(int result) override;

protected:
    // Enter does not press OK: it would end the program from any field.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The pages that may have work running in their worker.
    std::vector<WorkerPage*> WorkerPages() const;
    bool WorkerBusy() const;
    void StopWorkers();

    FormServices& services_;
    QTabWidget* tabs_;
    CDMAPage* dmaPage_;
    CDFAPage* dfaPage_;
    CClustersPage* clustersPage_;
    CSeriesGeneratorPage* generatorPage_;
    CDataSeriesPage* dataSeriesPage_;
    CLocalSlopePage* localSlopePage_;
    CMultifractalPage* multifractalPage_;
    CCrossCorrelationPage* crossCorrelationPage_;
};

}  // namespace fractan::ui
