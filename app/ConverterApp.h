#pragma once
// CConverterApp: the application object. It starts the program, runs the
// main dialog modally and ends the program when the main dialog closes.

class QWidget;

class CConverterApp {
public:
    CConverterApp();
    virtual ~CConverterApp() = default;
    CConverterApp(const CConverterApp&) = delete;
    CConverterApp& operator=(const CConverterApp&) = delete;

    // The program's entry: makes the Qt application, routes every message
    // of the process to the desktop's message boxes, runs InitInstance and
    // shuts down. Returns the exit code.
    int Run(int argc, char** argv);

    // Runs the main dialog until it closes; returns false so that no
    // message loop of the application's own follows.
    virtual bool InitInstance();

    const char* m_pszAppName;      // the caption of the program's own message boxes
    QWidget* m_pMainWnd = nullptr; // the main dialog while it runs
};

// The one application object.
extern CConverterApp theApp;
