#include "app/PictureDlg.h"

#include "app/AppNames.h"
#include "app/ConversionEnd.h"
#include "app/ConverterForm.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/HelpOpener.h"
#include "app/LogoConverterClient.h"
#include "app/PathRules.h"
#include "app/PicturePreview.h"
#include "app/Resources.h"
#include "picture/PictureLog.h"
#include "platform/LogFolder.h"
#include "platform/ProgramPath.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
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

// What the input Browse offers: the picture files and the images read as
// pictures, or every file.
const std::vector<std::string> kInputFilters = {
    "Pictures and images (*.txt *.ota *.png *.bmp *.pbm)", "All Files (*)"};

// The component's last message.
constexpr char kPicturesDone[] = "Conversion completed!";

// Runs the component with the wait cursor up; its messages are centred on
// owner, and its last one is the box with Open Folder and Show Log.
bool ConvertPictures(QWidget* owner, const std::string& logoFiles, const std::string& outputDir,
                     const std::string& programFolder) {
    const std::string logPath =
        platform::LogFolderFor({}, programFolder) + std::string(picture::kPictureLogName);
    const MessagePresenterScope messages(
        owner, [&](const std::string& text, const std::string& caption) {
            if (text != kPicturesDone)
                return false;
            ShowConversionEnd(owner, text, caption, outputDir, logPath);
            return true;
        });
    const BusyCursor busy;
    return RunLogoConverter(logoFiles, outputDir, programFolder);
}

} // namespace

CPictureDlg::CPictureDlg() : m_strProgramFolder(platform::ProgramFolder()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Corvane EMS Picture Converter"));

    m_form = new CConverterForm(
        this,
        "Please select the SmartMessaging logo file you wish to convert by specifying a valid "
        "file path or browsing to the appropriate file. NOTE: The file must have a \".txt\" or "
        "\".ota\" extension.",
        "&Smart Messaging File/s:",
        {0, IDC_PICTURE_LOGO_FILES, IDC_PICTURE_BROWSE_INPUT, IDC_PICTURE_OUTPUT_DIR,
         IDC_PICTURE_BROWSE_OUTPUT},
        [this] { OnBrowseInput(); }, [this] { OnBrowseOutput(); });
    // Enter in a field converts.
    auto* convert = DialogButton(
        "&Convert", IDC_PICTURE_CONVERT, this, [this] { OnConvert(); }, EnterKey::Default);
    auto* cancel = DialogButton("Ca&ncel", IDC_PICTURE_CANCEL, this, [this] { reject(); });
    auto* help = DialogButton("&Help", IDC_PICTURE_HELP, this, [this] { OnHelp(); });
    HelpOnF1(this, [this] { OnHelp(); });

    m_preview = new CPicturePreview(this);
    connect(m_form->InputField(), &QLineEdit::textChanged, this,
            [this](const QString& list) { m_preview->ShowFirstOf(list.toStdString()); });

    auto* body = new QWidget(this);
    auto* fields = new QVBoxLayout(body);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->addWidget(m_form);
    fields->addWidget(m_preview);
    fields->addStretch(); // spare height, when wider, goes above the buttons
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ScrollingBody(body, this));
    layout->addLayout(ButtonRow({convert, cancel, help}));
    ChainTabOrder({m_form->InputField(), m_form->InputBrowse(), m_form->OutputField(),
                   m_form->OutputBrowse(), convert, cancel, help});
    GrowOnlyInWidth(this);
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
        m_form->Store(m_strLogoFiles, m_strOutputDir);
        return;
    }
    m_form->Show(m_strLogoFiles, m_strOutputDir);
}

void CPictureDlg::OnBrowseInput() {
    UpdateData(true);
    const std::optional<std::string> chosen = m_form->ChooseInputList(kInputFilters);
    if (!chosen)
        return;
    m_strLogoFiles = *chosen;
    UpdateData(false);
}

void CPictureDlg::OnBrowseOutput() {
    UpdateData(true);
    const std::string proposed = ProposedSaveName(m_strLogoFiles);
    const std::optional<std::string> chosen = m_form->ChooseOutputPath(proposed);
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
    m_strOutputDir = DialogFolder(m_strOutputDir);
    if (!ConvertPictures(this, m_strLogoFiles, m_strOutputDir, programFolder))
        ShowMessageBox(this, "Internal error: Could not create Logo Converter object.", kAppName);
}

void CPictureDlg::OnHelp() {
    OpenHelp(this, m_strProgramFolder, HELP_CONTEXT_PICTURES);
}
