// Runs the desktop tests headless; the first argument names one test class.

#include <QApplication>

#include <cstring>

#include "ui/application.h"

int RunAnalysisPageTest(int argc, char** argv);
int RunMainSheetTest(int argc, char** argv);
int RunToolPagesTest(int argc, char** argv);

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fractan::ui::SetUpApplication();
    const char* only = argc > 1 ? argv[1] : "";
    // QtTest reads its own options after the class name.
    int rest = argc > 1 ? argc - 1 : argc;
    char** restArgs = argc > 1 ? argv + 1 : argv;
    restArgs[0] = argv[0];
    int status = 0;
    if (!*only || std::strcmp(only, "AnalysisPageTest") == 0) status |= RunAnalysisPageTest(rest, restArgs);
    if (!*only || std::strcmp(only, "MainSheetTest") == 0) status |= RunMainSheetTest(rest, restArgs);
    if (!*only || std::strcmp(only, "ToolPagesTest") == 0) status |= RunToolPagesTest(rest, restArgs);
    return status;
}
