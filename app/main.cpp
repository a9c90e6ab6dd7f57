// fractan-gui: the desktop application, one window of analysis pages.

#include <QApplication>

#include "ui/application.h"
#include "ui/main_sheet.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    fractan::ui::SetUpApplication();
    fractan::ui::CMainSheet sheet;
    sheet.exec();  // the result of the sheet is not used
    return 0;
}
