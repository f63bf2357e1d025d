#pragma once
// CReplaceDlg: asks whether an existing output file may be overwritten.
// The caller sets m_pszMessage, runs DoModal and reads the two flags:
//
//   Replace      m_bReplace = 1, result 1
//   Replace All  m_bReplaceAll = 1, result 2
//   Cancel, Esc, close box: both clear, result 2
//   Enter where it presses no button (the OK command): both clear, result 1
//
// The result alone cannot tell the answers apart; the flags are the answer.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class CReplaceDlg : public QDialog {
public:
    enum { IDD = 140 };

    explicit CReplaceDlg(QWidget* parent = nullptr);

    // Shows the dialog modally and returns its result code.
    int DoModal();

    const char* m_pszMessage = nullptr; // owned by the caller, alive until DoModal returns
    unsigned char m_bReplaceAll = 0;
    unsigned char m_bReplace = 0;

    // Cancel, Esc and the close box end the dialog with result 2.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    void OnReplace();
    void OnReplaceAll();
    void OnShowDetails();

    QLabel* m_message;
    QPlainTextEdit* m_details; // the whole path, when the text shows it shortened
    QPushButton* m_showDetails;
    QPushButton* m_replace;
    QPushButton* m_replaceAll;
    QPushButton* m_cancel;
};
