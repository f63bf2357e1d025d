#include "app/MelodyDlg.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/FileDrop.h"
#include "app/HelpOpener.h"
#include "app/MelodyBatchRun.h"
#include "app/PathRules.h"
#include "app/Resources.h"
#include "platform/LogFolder.h"
#include "platform/ProgramPath.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app;

CMelodyDlg::CMelodyDlg() : m_strProgramFolder(platform::ProgramFolder()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Corvane EMS Melody Converter"));

    m_editRtxFiles = PathField(IDC_MELODY_RTX_FILES, this);
    m_editOutputDir = PathField(IDC_MELODY_OUTPUT_DIR, this);
    m_checkHeader = Tag(new QCheckBox(QStringLiteral("Include header information."), this),
                        IDC_MELODY_CHECK_HEADER);
    m_checkTarget1 = Tag(new QCheckBox(QStringLiteral("(1) Corvane Arden 3, Corvane Arden 5, "
                                                      "Corvane Brisk 20, Corvane Brisk 22"),
                                       this),
                         IDC_MELODY_TARGET1);
    m_checkTarget2 =
        Tag(new QCheckBox(QStringLiteral("(2) Corvane Tamsin 7, Corvane Tamsin 9, Corvane Velo 40"),
                          this),
            IDC_MELODY_TARGET2);
    auto* browseInput = DialogButton("Browse", IDC_MELODY_BROWSE_INPUT, this);
    auto* browseOutput = DialogButton("Browse", IDC_MELODY_BROWSE_OUTPUT, this);
    m_convert = DialogButton("Convert", IDC_MELODY_CONVERT, this);
    auto* cancel = DialogButton("Cancel", IDCANCEL, this);
    auto* help = DialogButton("Help", IDC_MELODY_HELP, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        Tag(WrappedText("Please select the SmartMessaging file you wish to convert by "
                        "specifying a valid file path or browsing to the appropriate "
                        "file. NOTE: The file must have a \".txt\" or \".rtx\" "
                        "extension.",
                        this),
            IDC_MELODY_INTRO));
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("RTX file/s location:"), this), 0, 0, 1, 2);
    fields->addWidget(m_editRtxFiles, 1, 0);
    fields->addWidget(browseInput, 1, 1);
    fields->addWidget(WrappedText("Please select the windows directory you wish to save the "
                                  "converted files to by specifying a valid windows file path.",
                                  this),
                      2, 0, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("EMS output directory:"), this), 3, 0, 1, 2);
    fields->addWidget(m_editOutputDir, 4, 0);
    fields->addWidget(browseOutput, 4, 1);
    layout->addLayout(fields);
    layout->addWidget(m_checkHeader);
    layout->addWidget(WrappedText("Please select at least one target IMelody format (based on "
                                  "Corvane phones) for the EMS output.",
                                  this));
    layout->addWidget(m_checkTarget1);
    layout->addWidget(m_checkTarget2);
    layout->addStretch(); // spare height, when wider, goes above the buttons
    layout->addLayout(ButtonRow({m_convert, cancel, help}));
    m_convert->setDefault(true); // Enter in a field converts
    ChainTabOrder({m_editRtxFiles, browseInput, m_editOutputDir, browseOutput, m_checkHeader,
                   m_checkTarget1, m_checkTarget2, m_convert, cancel, help});
    // Wide fields give the dialog its width, so the texts wrap to fit it.
    m_editRtxFiles->setMinimumWidth(420);
    m_editOutputDir->setMinimumWidth(420);

    GrowOnlyInWidth(this);
    AcceptFileDrops(this, m_editRtxFiles, m_editOutputDir);

    connect(browseInput, &QPushButton::clicked, this, [this] { OnBrowseInput(); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { OnBrowseOutput(); });
    connect(m_checkHeader, &QCheckBox::clicked, this, [this] { OnCheckHeader(); });
    connect(m_checkTarget1, &QCheckBox::clicked, this, [this] { OnCheckTarget1(); });
    connect(m_checkTarget2, &QCheckBox::clicked, this, [this] { OnCheckTarget2(); });
    connect(m_convert, &QPushButton::clicked, this, [this] { OnConvert(); });
    connect(help, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool CMelodyDlg::CreateModeless(QWidget* owner, int templateId) {
    if (!CreateModelessDialog(this, owner, templateId, IDD))
        return false;
    OnInitDialog();
    return true;
}

void CMelodyDlg::OnInitDialog() {
    UpdateData(false);
    setWindowIcon(Icon(IDI_MELODY));
}

void CMelodyDlg::UpdateData(bool save) {
    if (save) {
        m_strRtxFiles = m_editRtxFiles->text().toStdString();
        m_strOutputDir = m_editOutputDir->text().toStdString();
        m_bIncludeHeader = m_checkHeader->isChecked() ? 1 : 0;
        m_bTarget1 = m_checkTarget1->isChecked() ? 1 : 0;
        m_bTarget2 = m_checkTarget2->isChecked() ? 1 : 0;
        return;
    }
    m_editRtxFiles->setText(QString::fromStdString(m_strRtxFiles));
    m_editOutputDir->setText(QString::fromStdString(m_strOutputDir));
    m_checkHeader->setChecked(m_bIncludeHeader != 0);
    m_checkTarget1->setChecked(m_bTarget1 != 0);
    m_checkTarget2->setChecked(m_bTarget2 != 0);
}

void CMelodyDlg::OnBrowseInput() {
    UpdateData(true);
    const auto chosen = FileChooser().ChooseFilesToOpen(this);
    if (!chosen)
        return;
    m_strRtxFiles = JoinInputList(*chosen);
    UpdateData(false);
}

void CMelodyDlg::OnBrowseOutput() {
    UpdateData(true);
    const std::string proposed = ProposedSaveName(m_strRtxFiles);
    const auto chosen = FileChooser().ChooseFileToSave(this, proposed, "Text Files", "*.txt");
    if (!chosen)
        return;
    m_strOutputDir = SplitFolderPart(*chosen);
    UpdateData(false);
}

void CMelodyDlg::OnCheckBox(int& flag) {
    // The box has already turned; store the texts typed so far, flip the
    // stored flag and show the stored values again.
    m_strRtxFiles = m_editRtxFiles->text().toStdString();
    m_strOutputDir = m_editOutputDir->text().toStdString();
    flag = flag != 0 ? 0 : 1;
    UpdateData(false);
}

void CMelodyDlg::OnCheckHeader() {
    OnCheckBox(m_bIncludeHeader);
}
void CMelodyDlg::OnCheckTarget1() {
    OnCheckBox(m_bTarget1);
}
void CMelodyDlg::OnCheckTarget2() {
    OnCheckBox(m_bTarget2);
}

void CMelodyDlg::OnConvert() {
    UpdateData(true);
    // An empty field stays empty: "/" would send the files to the root folder.
    if (!m_strOutputDir.empty())
        m_strOutputDir = WithFolderSlash(m_strOutputDir);
    if (m_bTarget1 == 0 && m_bTarget2 == 0) {
        ShowMessageBox(this,
                       "Please select at least target IMelody format to convert to by checking "
                       "the appropriate box.",
                       kAppName);
        return;
    }
    if (m_strOutputDir.empty()) {
        ShowMessageBox(this, "Please specify a valid file location to save the generated file to.",
                       kAppName);
        return;
    }
    // The batch gets copies: the dialog stays usable while it runs.
    CMelodyBatchRun batch(this, m_nProgressDelayMs);
    m_pBatch = &batch;
    m_convert->setEnabled(false);
    const auto endBatch = [this] {
        m_pBatch = nullptr;
        m_convert->setEnabled(true);
    };
    try {
        batch.Run({m_strRtxFiles, m_strOutputDir, platform::LogFolder(m_strProgramFolder),
                   m_bIncludeHeader, m_bTarget1, m_bTarget2});
    } catch (...) {
        endBatch();
        throw;
    }
    endBatch();
    if (m_bCloseAfterBatch) {
        m_bCloseAfterBatch = false;
        close();
    }
}

bool CMelodyDlg::StopBatchBeforeClosing() {
    if (m_pBatch == nullptr)
        return false;
    m_pBatch->RequestStop();
    m_bCloseAfterBatch = true;
    return true;
}

void CMelodyDlg::reject() {
    if (!StopBatchBeforeClosing())
        QDialog::reject();
}

void CMelodyDlg::closeEvent(QCloseEvent* event) {
    if (StopBatchBeforeClosing())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void CMelodyDlg::OnHelp() {
    OpenHelp(this, m_strProgramFolder, HELP_CONTEXT_MELODIES);
}
