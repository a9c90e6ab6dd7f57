#pragma once
// What every desktop program does once its QApplication exists.

namespace fractan::ui {

// Names the application, sets its icon, and puts the number format of the C
// library back to "C": Qt has switched it to the user's locale, under which
// the core would write and read "0,5" in its files and file names.
void SetUpApplication();

}  // namespace fractan::ui
