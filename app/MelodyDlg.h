#pragma once
// CMelodyDlg: the modeless dialog that converts RTX ringtone files. It
// collects the input list, the output folder, the header option and the two
// target handset groups and hands them to one CMelodyConverter per Convert.
//
// Stored values and controls are separate: UpdateData(true) stores the
// controls, UpdateData(false) refreshes them. The dialog deletes itself when
// its window closes.
//
// Play plays the melody of the first listed file for the first checked
// target, as the handsets would (melody/ImelodySound.h), through the
// desktop's sound output, and turns into Stop while it plays. It reads the
// fields and boxes as they are, stores nothing and writes nothing.

#include <QDialog>
#include <string>

class CConverterForm;
class CMelodyBatchRun;
class QCheckBox;
class QPushButton;

class CMelodyDlg : public QDialog {
public:
    enum { IDD = 139 };

    CMelodyDlg();
    ~CMelodyDlg() override;

    // Makes the (hidden) dialog window owned by owner from the given
    // template; false when that fails. The opener shows it.
    virtual bool CreateModeless(QWidget* owner, int templateId = IDD);

    // Controls to stored values (save) or stored values to controls.
    void UpdateData(bool save);

    // Command handlers.
    void OnBrowseInput();
    void OnBrowseOutput();
    void OnCheckHeader();
    void OnCheckTarget1();
    void OnCheckTarget2();
    void OnConvert();
    void OnHelp();
    void OnPlay();

    std::string m_strRtxFiles;      // input paths joined by ","
    std::string m_strOutputDir;     // output folder
    int m_bIncludeHeader = 1;       // "Include header information."
    int m_bTarget1 = 1;             // target group (1)
    int m_bTarget2 = 0;             // target group (2)
    std::string m_strProgramFolder; // where the log is kept and the help lives
    int m_nProgressDelayMs = 500;   // a batch running this long shows its progress

    // Cancel, Esc and the close box during a batch stop it after the file in
    // hand; the dialog closes when it has ended.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnInitDialog();
    void OnCheckBox(int& flag);
    void PlayEnded();
    // True (and the batch asked to stop) while a batch runs.
    bool StopBatchBeforeClosing();

    CMelodyBatchRun* m_pBatch = nullptr; // the batch running now, if any
    bool m_bCloseAfterBatch = false;
    QPushButton* m_convert;
    QPushButton* m_play;
    bool m_bPlaying = false;

    CConverterForm* m_form; // the input list (m_strRtxFiles) and the output folder
    QCheckBox* m_checkHeader;
    QCheckBox* m_checkTarget1;
    QCheckBox* m_checkTarget2;
};
