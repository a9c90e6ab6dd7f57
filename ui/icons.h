#pragma once
// The application's icons, drawn rather than loaded, so that the program
// carries no image files.

#include <QIcon>
#include <QPixmap>

namespace fractan::ui {

// A log-log chart with its fitted line.
QIcon ApplicationIcon();
// The page's idle, busy and error marks.
QPixmap IdleIcon();
QPixmap BusyIcon();
QPixmap ErrorIcon();

}  // namespace fractan::ui
