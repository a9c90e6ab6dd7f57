#include "ui/main_sheet.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/analysis_page.h"
#include "ui/icons.h"

namespace fractan::ui {
namespace {

// Stands for a page that this version does not have yet.
QWidget* PlaceholderPage(const char* name, const QString& text) {
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    return page;
}

}  // namespace

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
    tabs_->addTab(PlaceholderPage("seriesGeneratorPage",
                                  "Series generation comes with the next version of the desktop "
                                  "application; until then use \"fractan generate\"."),
                  "Series generation");
    tabs_->addTab(dmaPage_, "DMA");
    tabs_->addTab(dfaPage_, "DFA");
    tabs_->addTab(clustersPage_, "Clusters analysis");
    tabs_->addTab(PlaceholderPage("dataSeriesPage",
                                  "Files-list building comes with the next version of the desktop "
                                  "application; until then use \"fractan fileslist\"."),
                  "Input file series generation");
    tabs_->addTab(PlaceholderPage("localSlopePage",
                                  "The local slope page comes with the next version of the desktop "
                                  "application; until then use \"fractan localslope\"."),
                  "Local slope");
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

std::array<CAnalysisPage*, 3> CMainSheet::AnalysisPages() const {
    return {dmaPage_, dfaPage_, clustersPage_};
}

void CMainSheet::StopWorkers() {
    for (CAnalysisPage* page : AnalysisPages()) page->StopAndWait();
}

void CMainSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}

void CMainSheet::done(int result) {
    bool running = false;
    for (CAnalysisPage* page : AnalysisPages()) running = running || page->WorkerBusy();
    if (running && !services_.Confirm("A calculation is still running. Closing the window stops it; "
                                      "the files written so far stay. Close the window?"))
        return;
    hide();  // at once, though the calculation may take a moment to reach its stop point
    StopWorkers();
    QDialog::done(result);
}

}  // namespace fractan::ui
