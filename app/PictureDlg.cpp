#include "app/PictureDlg.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/FileDrop.h"
#include "app/HelpOpener.h"
#include "app/LogoConverterClient.h"
#include "app/PathRules.h"
#include "app/Resources.h"
#include "platform/ProgramPath.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app;

namespace {

// The wait cursor over the program while the component converts.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

bool ConvertWithBusyCursor(const std::string& logoFiles, const std::string& outputDir,
                           const std::string& programFolder) {
    const BusyCursor busy;
    return RunLogoConverter(logoFiles, outputDir, programFolder);
}

} // namespace

CPictureDlg::CPictureDlg() : m_strProgramFolder(platform::ProgramFolder()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Corvane EMS Picture Converter"));

    m_editLogoFiles = PathField(IDC_PICTURE_LOGO_FILES, this);
    m_editOutputDir = PathField(IDC_PICTURE_OUTPUT_DIR, this);
    auto* browseInput = DialogButton("Browse", IDC_PICTURE_BROWSE_INPUT, this);
    auto* browseOutput = DialogButton("Browse", IDC_PICTURE_BROWSE_OUTPUT, this);
    auto* convert = DialogButton("Convert", IDC_PICTURE_CONVERT, this);
    auto* cancel = DialogButton("Cancel", IDC_PICTURE_CANCEL, this);
    auto* help = DialogButton("Help", IDC_PICTURE_HELP, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WrappedText("Please select the SmartMessaging logo file you wish to convert "
                                  "by specifying a valid file path or browsing to the appropriate "
                                  "file. NOTE: The file must have a \".txt\" or \".ota\" "
                                  "extension.",
                                  this));
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Smart Messaging File/s:"), this), 0, 0, 1, 2);
    fields->addWidget(m_editLogoFiles, 1, 0);
    fields->addWidget(browseInput, 1, 1);
    fields->addWidget(WrappedText("Please select the windows directory you wish to save the "
                                  "converted files to by specifying a valid windows file path.",
                                  this),
                      2, 0, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("EMS output directory:"), this), 3, 0, 1, 2);
    fields->addWidget(m_editOutputDir, 4, 0);
    fields->addWidget(browseOutput, 4, 1);
    layout->addLayout(fields);
    layout->addStretch(); // spare height, when wider, goes above the buttons
    layout->addLayout(ButtonRow({convert, cancel, help}));
    convert->setDefault(true); // Enter in a field converts
    ChainTabOrder(
        {m_editLogoFiles, browseInput, m_editOutputDir, browseOutput, convert, cancel, help});
    // Wide fields give the dialog its width, so the texts wrap to fit it.
    m_editLogoFiles->setMinimumWidth(420);
    m_editOutputDir->setMinimumWidth(420);

    GrowOnlyInWidth(this);
    AcceptFileDrops(this, m_editLogoFiles, m_editOutputDir);

    connect(browseInput, &QPushButton::clicked, this, [this] { OnBrowseInput(); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { OnBrowseOutput(); });
    connect(convert, &QPushButton::clicked, this, [this] { OnConvert(); });
    connect(help, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool CPictureDlg::CreateModeless(QWidget* owner, int templateId) {
    if (!CreateModelessDialog(this, owner, templateId, IDD))
        return false;
    OnInitDialog();
    return true;
}

void CPictureDlg::OnInitDialog() {
    UpdateData(false);
    setWindowIcon(Icon(IDI_PICTURE));
}

void CPictureDlg::UpdateData(bool save) {
    if (save) {
        m_strLogoFiles = m_editLogoFiles->text().toStdString();
        m_strOutputDir = m_editOutputDir->text().toStdString();
        return;
    }
    m_editLogoFiles->setText(QString::fromStdString(m_strLogoFiles));
    m_editOutputDir->setText(QString::fromStdString(m_strOutputDir));
}

void CPictureDlg::OnBrowseInput() {
    UpdateData(true);
    const auto chosen = FileChooser().ChooseFilesToOpen(this);
    if (!chosen)
        return;
    m_strLogoFiles = JoinInputList(*chosen);
    UpdateData(false);
}

void CPictureDlg::OnBrowseOutput() {
    UpdateData(true);
    const std::string proposed = ProposedSaveName(m_strLogoFiles);
    const auto chosen = FileChooser().ChooseFileToSave(this, proposed, "Text Files", "*.txt");
    if (!chosen)
        return;
    if (platform::FileNamePart(*chosen) != proposed)
        ShowMessageBox(this,
                       "The EMS converted file will retain the same name as the RTX file with an "
                       ".ems extension.",
                       kConverterCaption);
    m_strOutputDir = SplitFolderPart(*chosen);
    UpdateData(false);
}

void CPictureDlg::OnConvert() {
    const std::string programFolder = m_strProgramFolder;
    UpdateData(true);
    if (m_strLogoFiles.empty()) {
        ShowMessageBox(this, "Please specify a valid file to convert.", kConverterCaption);
        return;
    }
    if (m_strOutputDir.empty()) {
        ShowMessageBox(this, "Please specify a valid file location to save the generated file to.",
                       kConverterCaption);
        return;
    }
    m_strOutputDir = WithFolderSlash(m_strOutputDir);
    if (!ConvertWithBusyCursor(m_strLogoFiles, m_strOutputDir, programFolder))
        ShowMessageBox(this, "Internal error: Could not create Logo Converter object.", kAppName);
}

void CPictureDlg::OnHelp() {
    OpenHelp(this, m_strProgramFolder, HELP_CONTEXT_PICTURES);
}
