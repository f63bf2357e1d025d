#pragma once
// The last box of a conversion: its text and OK, with "Open Folder" (the
// output folder in the file manager) and "Show Log" (the log in the
// program's viewer, app/HelpWindow.h).

#include <string>

class QWidget;

namespace app {

void ShowConversionEnd(QWidget* owner, const std::string& text, const std::string& caption,
                       const std::string& outputFolder, const std::string& logPath);

} // namespace app
