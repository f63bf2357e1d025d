#include "app/ConverterApp.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/MainDlg.h"
#include "app/Resources.h"

#include "platform/BuildInfo.h"

#include <QApplication>

CConverterApp theApp;

CConverterApp::CConverterApp() : m_pszAppName(app::kAppName) {}

int CConverterApp::Run(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(m_pszAppName));
    // Lets the desktop match the windows to the installed desktop entry.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(platform::kDesktopId));
    QApplication::setWindowIcon(app::Icon(app::IDI_APP));
    const app::MessagePresenterScope presenter;
    InitInstance();
    return 0;
}

bool CConverterApp::InitInstance() {
    CMainDlg dlg;
    m_pMainWnd = &dlg;
    dlg.exec();
    m_pMainWnd = nullptr;
    return false;
}
