#pragma once
// CProductInfoDlg: "Corvane EMS Converter", the main dialog's About... box.

#include <QDialog>

class CProductInfoDlg : public QDialog {
public:
    enum { IDD = 133 };
    explicit CProductInfoDlg(QWidget* parent = nullptr);
};
