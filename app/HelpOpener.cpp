#include "app/HelpOpener.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/HelpWindow.h"

#include <QKeySequence>
#include <QShortcut>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace app {
namespace {

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string HelpFilePath(const std::string& programFolder) {
    return programFolder + "Help/VERErezozedi.hlp";
}

std::string HelpGuidePath(const std::string& programFolder) {
    return programFolder + "Help/VERErezozedi.html";
}

void OpenHelp(QWidget* owner, const std::string& programFolder, int context) {
    const std::string helpFile = HelpFilePath(programFolder);
    if (IsFile(helpFile)) {
        if (!UrlOpener().Open(QUrl::fromLocalFile(QString::fromStdString(helpFile))))
            ShowMessageBox(owner, "Could not open the help file " + helpFile + ".", kAppName);
        return;
    }
    const std::string guide = HelpGuidePath(programFolder);
    if (!IsFile(guide)) {
        ShowMessageBox(owner, "Could not find the help file " + guide + ".", kAppName);
        return;
    }
    if (CHelpWindow::ShowGuide(owner, guide, context) == nullptr)
        ShowMessageBox(owner, "Could not read the help file " + guide + ".", kAppName);
}

void HelpOnF1(QWidget* window, std::function<void()> openHelp) {
    auto* f1 = new QShortcut(QKeySequence::HelpContents, window);
    QObject::connect(f1, &QShortcut::activated, window, std::move(openHelp));
}

} // namespace app
