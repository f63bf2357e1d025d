#include "app/ConversionEnd.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace app {

void ShowConversionEnd(QWidget* owner, const std::string& text, const std::string& caption,
                       const std::string& outputFolder, const std::string& logPath) {
    switch (MessageBoxes().ShowFinal(owner, text, caption)) {
    case FinalChoice::OpenFolder: {
        // A folder typed relative to the working folder is that folder.
        const QFileInfo folder(QString::fromStdString(outputFolder));
        if (!folder.isDir())
            ShowMessageBox(owner, "The folder " + outputFolder + " does not exist.", kAppName);
        else if (!UrlOpener().Open(
                     QUrl::fromLocalFile(QDir::cleanPath(folder.absoluteFilePath()))))
            ShowMessageBox(owner, "No file manager could be started to show " + outputFolder + ".",
                           kAppName);
        break;
    }
    case FinalChoice::ShowLog:
        if (CHelpWindow::ShowLog(owner, logPath) == nullptr)
            ShowMessageBox(owner, "The log " + logPath + " could not be read.", kAppName);
        break;
    case FinalChoice::Ok:
        break;
    }
}

} // namespace app
