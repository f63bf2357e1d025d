#include "app/MelodyDlg.h"

#include "app/AppNames.h"
#include "app/ConverterForm.h"
#include "app/DesktopMelodyUi.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/HelpOpener.h"
#include "app/MelodyBatchRun.h"
#include "app/PathRules.h"
#include "app/Resources.h"
#include "melody/ImelodySound.h"
#include "melody/MelodyConverter.h"
#include "platform/InputList.h"
#include "platform/LogFolder.h"
#include "platform/ProgramPath.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace app;

namespace {

constexpr char kNoTarget[] =
    "Please select at least target IMelody format to convert to by checking the appropriate box.";

} // namespace

CMelodyDlg::CMelodyDlg() : m_strProgramFolder(platform::ProgramFolder()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Corvane EMS Melody Converter"));

    m_form = new CConverterForm(
        this,
        "Please select the SmartMessaging file you wish to convert by specifying a valid file "
        "path or browsing to the appropriate file. NOTE: The file must have a \".txt\" or "
        "\".rtx\" extension.",
        "&RTX file/s location:",
        {IDC_MELODY_INTRO, IDC_MELODY_RTX_FILES, IDC_MELODY_BROWSE_INPUT, IDC_MELODY_OUTPUT_DIR,
         IDC_MELODY_BROWSE_OUTPUT},
        [this] { OnBrowseInput(); }, [this] { OnBrowseOutput(); });
    m_checkHeader = Tag(new QCheckBox(QStringLiteral("&Include header information."), this),
                        IDC_MELODY_CHECK_HEADER);
    m_checkHeader->setAccessibleDescription(
        QStringLiteral("Writes the iMelody header and end lines around the melody"));
    m_checkTarget1 = Tag(new QCheckBox(QStringLiteral("(&1) Corvane Arden 3, Corvane Arden 5, "
                                                      "Corvane Brisk 20, Corvane Brisk 22"),
                                       this),
                         IDC_MELODY_TARGET1);
    m_checkTarget2 = Tag(
        new QCheckBox(QStringLiteral("(&2) Corvane Tamsin 7, Corvane Tamsin 9, Corvane Velo 40"),
                      this),
        IDC_MELODY_TARGET2);
    // Enter in a field converts.
    m_convert = DialogButton(
        "&Convert", IDC_MELODY_CONVERT, this, [this] { OnConvert(); }, EnterKey::Default);
    auto* cancel = DialogButton("Ca&ncel", IDCANCEL, this, [this] { reject(); });
    auto* help = DialogButton("&Help", IDC_MELODY_HELP, this, [this] { OnHelp(); });
    m_play = DialogButton("&Play", IDC_MELODY_PLAY, this, [this] { OnPlay(); });
    m_play->setAccessibleDescription(
        QStringLiteral("Plays the first listed file as the first checked target's handsets would"));
    HelpOnF1(this, [this] { OnHelp(); });

    auto* body = new QWidget(this);
    auto* fields = new QVBoxLayout(body);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->addWidget(m_form);
    fields->addWidget(m_checkHeader);
    fields->addWidget(WrappedText("Please select at least one target IMelody format (based on "
                                  "Corvane phones) for the EMS output.",
                                  body));
    fields->addWidget(m_checkTarget1);
    fields->addWidget(m_checkTarget2);
    fields->addStretch(); // spare height, when wider, goes above the buttons
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ScrollingBody(body, this));
    layout->addLayout(ButtonRow({m_convert, cancel, help, m_play}));
    ChainTabOrder({m_form->InputField(), m_form->InputBrowse(), m_form->OutputField(),
                   m_form->OutputBrowse(), m_checkHeader, m_checkTarget1, m_checkTarget2, m_convert,
                   cancel, help, m_play});
    GrowOnlyInWidth(this);

    connect(m_checkHeader, &QCheckBox::clicked, this, [this] { OnCheckHeader(); });
    connect(m_checkTarget1, &QCheckBox::clicked, this, [this] { OnCheckTarget1(); });
    connect(m_checkTarget2, &QCheckBox::clicked, this, [this] { OnCheckTarget2(); });
}

CMelodyDlg::~CMelodyDlg() {
    if (m_bPlaying)
        AudioOutput().Stop();
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
        m_form->Store(m_strRtxFiles, m_strOutputDir);
        m_bIncludeHeader = m_checkHeader->isChecked() ? 1 : 0;
        m_bTarget1 = m_checkTarget1->isChecked() ? 1 : 0;
        m_bTarget2 = m_checkTarget2->isChecked() ? 1 : 0;
        return;
    }
    m_form->Show(m_strRtxFiles, m_strOutputDir);
    m_checkHeader->setChecked(m_bIncludeHeader != 0);
    m_checkTarget1->setChecked(m_bTarget1 != 0);
    m_checkTarget2->setChecked(m_bTarget2 != 0);
}

void CMelodyDlg::OnBrowseInput() {
    UpdateData(true);
    const std::optional<std::string> chosen = m_form->ChooseInputList();
    if (!chosen)
        return;
    m_strRtxFiles = *chosen;
    UpdateData(false);
}

void CMelodyDlg::OnBrowseOutput() {
    UpdateData(true);
    const std::string proposed = ProposedSaveName(m_strRtxFiles);
    const std::optional<std::string> chosen = m_form->ChooseOutputPath(proposed);
    if (!chosen)
        return;
    m_strOutputDir = SplitFolderPart(*chosen);
    UpdateData(false);
}

void CMelodyDlg::OnCheckBox(int& flag) {
    // The box has already turned; store the texts typed so far, flip the
    // stored flag and show the stored values again.
    m_form->Store(m_strRtxFiles, m_strOutputDir);
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
        m_strOutputDir = DialogFolder(m_strOutputDir);
    if (m_bTarget1 == 0 && m_bTarget2 == 0) {
        ShowMessageBox(this, kNoTarget, kAppName);
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
        batch.Run({m_strRtxFiles, m_strOutputDir, platform::LogFolderFor({}, m_strProgramFolder),
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

void CMelodyDlg::OnPlay() {
    if (m_bPlaying) {
        AudioOutput().Stop();
        return;
    }
    const int target = m_checkTarget1->isChecked() ? 1 : m_checkTarget2->isChecked() ? 2 : 0;
    if (target == 0) {
        ShowMessageBox(this, kNoTarget, kAppName);
        return;
    }
    const std::string list = m_form->InputField()->text().toStdString();
    const std::string first(platform::FirstInput(list));
    if (first.empty()) {
        ShowMessageBox(this, "Choose or type a melody file first.", kAppName);
        return;
    }
    CDesktopMelodyUi ui(this);
    CMelodyConverter converter(ui);
    const std::optional<std::string> imelody =
        converter.ConvertForListening(first, target, m_checkHeader->isChecked() ? 1 : 0);
    if (!imelody)
        return;
    std::vector<std::int16_t> samples =
        melody::RenderImelody(*imelody, melody::OctavePrefixOf(target));
    const auto ended = [self = QPointer<CMelodyDlg>(this)] {
        if (self)
            self->PlayEnded();
    };
    if (!AudioOutput().Play(std::move(samples), melody::kSampleRate, ended)) {
        ShowMessageBox(this, "The melody cannot be played: no sound output was found.", kAppName);
        return;
    }
    m_bPlaying = true;
    m_play->setText(QStringLiteral("&Stop"));
}

void CMelodyDlg::PlayEnded() {
    m_bPlaying = false;
    m_play->setText(QStringLiteral("&Play"));
}

void CMelodyDlg::OnHelp() {
    OpenHelp(this, m_strProgramFolder, HELP_CONTEXT_MELODIES);
}
