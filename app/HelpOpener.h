#pragma once
// Opening the user guide at a topic.

#include <functional>
#include <string>

class QWidget;

namespace app {

// The help file under a program folder (which ends in "/" or is empty).
std::string HelpFilePath(const std::string& programFolder);
// The HTML user guide installed beside it.
std::string HelpGuidePath(const std::string& programFolder);

// Opens the help for a topic number: the help file with the desktop's
// default handler when it exists, otherwise the HTML guide in the program's
// help window (app/HelpWindow.h) at the section "#context" (0: its
// beginning). When neither can be opened, a message box owned by owner
// names the file that is missing or could not be opened.
void OpenHelp(QWidget* owner, const std::string& programFolder, int context);

// F1 anywhere in window calls openHelp.
void HelpOnF1(QWidget* window, std::function<void()> openHelp);

} // namespace app
