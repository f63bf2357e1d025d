#pragma once
// CAboutDlg: "About Quillmere", opened from the main dialog's window menu.

#include <QDialog>

class CAboutDlg : public QDialog {
public:
    enum { IDD = 100 };
    explicit CAboutDlg(QWidget* parent = nullptr);
};
