#pragma once
// CProgressDlg: the window that follows a long melody batch: file n of N,
// the name of the file in hand, a bar and a Stop button. Stop (and Esc or
// the close box) asks the batch to end after the file in hand; the window
// stays until the batch has ended.

#include <QDialog>
#include <cstddef>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDlg : public QDialog {
public:
    // onStop is called once, when the user first asks to stop.
    CProgressDlg(QWidget* owner, std::function<void()> onStop);

    // Shows that file number (from 1) of count, at path, is in hand.
    void SetProgress(std::size_t number, std::size_t count, const std::string& path);
    bool StopPressed() const { return m_bStopPressed; }

    // Esc and the close box stop too; the window closes with the batch.
    void reject() override;

private:
    void OnStop();

    std::function<void()> m_onStop;
    bool m_bStopPressed = false;
    QLabel* m_count;
    QLabel* m_name;
    QProgressBar* m_bar;
    QPushButton* m_stop;
};
