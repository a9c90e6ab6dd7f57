#include "ui/main_sheet.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/analysis_page.h"
#include "ui/cross_correlation_page.h"
#include "ui/data_series_page.h"
#include "ui/local_slope_page.h"
#include "ui/multifractal_page.h"
#include "ui/series_generator_page.h"
#include "ui/icons.h"

namespace fractan::ui {
CMainSheet::CMainSheet(FormServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setWindowTitle("DMA algorithm");
    setWindowIcon(ApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);

    tabs_ = new QTabWidget;
    tabs_->setObjectName("pages");
    dmaPage_ = new CDMAPage(services);
    dfaPage_ = new CDFAPage(services);
    clustersPage_ = new CClustersPage(services);
    dmaPage_->setObjectName("dmaPage");
    dfaPage_->setObjectName("dfaPage");
    clustersPage_->setObjectName("clustersPage");
    generatorPage_ = new CSeriesGeneratorPage(services);
    dataSeriesPage_ = new CDataSeriesPage(services);
    localSlopePage_ = new CLocalSlopePage(services);
    generatorPage_->setObjectName("seriesGeneratorPage");
    dataSeriesPage_->setObjectName("dataSeriesPage");
    localSlopePage_->setObjectName("localSlopePage");
    multifractalPage_ = new CMultifractalPage(services);
    multifractalPage_->setObjectName("multifractalPage");
    crossCorrelationPage_ = new CCrossCorrelationPage(services);
    crossCorrelationPage_->setObjectName("crossCorrelationPage");
    tabs_->addTab(generatorPage_, "Series generation");
    tabs_->addTab(dmaPage_, "DMA");
    tabs_->addTab(dfaPage_, "DFA");
    tabs_->addTab(clustersPage_, "Clusters analysis");
    tabs_->addTab(dataSeriesPage_, "Input file series generation");
    tabs_->addTab(localSlopePage_, "Local slope");
    tabs_->addTab(multifractalPage_, "Multifractal");
    tabs_->addTab(crossCorrelationPage_, "Cross-correlation");
    tabs_->setCurrentWidget(dmaPage_);

    // No Apply and no Help button.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName("sheetButtons");
    for (QAbstractButton* button : buttons->buttons())
        if (auto* push = qobject_cast<QPushButton*>(button)) push->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    resize(1180, 760);
}

CMainSheet::~CMainSheet() { StopWorkers(); }

std::vector<WorkerPage*> CMainSheet::WorkerPages() const {
    std::vector<WorkerPage*> pages;
    for (int i = 0; i < tabs_->count(); ++i)
        if (auto* page = dynamic_cast<WorkerPage*>(tabs_->widget(i))) pages.push_back(page);
    return pages;
}

bool CMainSheet::WorkerBusy() const {
    for (WorkerPage* page : WorkerPages())
        if (page->WorkerBusy()) return true;
    return false;
}

void CMainSheet::StopWorkers() {
    for (WorkerPage* page : WorkerPages()) page->StopAndWait();
}

void CMainSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

void CMainSheet::done(int result) {
    if (WorkerBusy() && !services_.Confirm("A calculation is still running. Closing the window stops it; "
                                      "the files written so far stay. Close the window?"))
        return;
    hide();  // at once, though the calculation may take a moment to reach its stop point
    StopWorkers();
    QDialog::done(result);
}

}  // namespace fractan::ui
