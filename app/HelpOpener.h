#pragma once
// Opening the user guide at a topic.

#include <string>

class QWidget;

namespace app {

// The help file under a program folder (which ends in "/" or is empty).
std::string HelpFilePath(const std::string& programFolder);
// The HTML user guide installed beside it.
std::string HelpGuidePath(const std::string& programFolder);

// Opens the help for a topic number: the help file with the desktop's
// default handler when it exists, otherwise the HTML guide at the anchor
// "#context". When neither can be opened, a message box owned by owner
// names the file that is missing or could not be opened.
void OpenHelp(QWidget* owner, const std::string& programFolder, int context);

} // namespace app
