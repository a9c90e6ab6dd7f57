#include "ui/application.h"

#include <QApplication>

#include <clocale>

#include "ui/icons.h"

namespace fractan::ui {

void SetUpApplication() {
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("fractan-gui");
    QApplication::setWindowIcon(ApplicationIcon());
}

}  // namespace fractan::ui
