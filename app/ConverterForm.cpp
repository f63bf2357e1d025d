#include "app/ConverterForm.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/FileDrop.h"
#include "app/PathRules.h"
#include "app/ScreenFit.h"
#include "platform/InputList.h"

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace app;

namespace {

// Wide fields give the dialog its width, so the texts wrap to fit it.
constexpr int kFieldWidth = 420;
// The Browse button, the margins and a scroll bar beside a field.
constexpr int kBesideField = 190;

} // namespace

CConverterForm::CConverterForm(QDialog* dialog, const char* intro, const char* inputLabel,
                               const Controls& controls, std::function<void()> onBrowseInput,
                               std::function<void()> onBrowseOutput)
    : QWidget(dialog) {
    m_inputField = PathField(controls.inputField, this);
    m_outputField = PathField(controls.outputField, this);
    // The same visible "Browse" twice; a screen reader tells them apart.
    m_inputBrowse = DialogButton("&Browse", controls.inputBrowse, this, std::move(onBrowseInput));
    m_outputBrowse = DialogButton("Bro&wse", controls.outputBrowse, this, std::move(onBrowseOutput));
    m_inputBrowse->setAccessibleName(QStringLiteral("Browse for input files"));
    m_outputBrowse->setAccessibleName(QStringLiteral("Browse for output folder"));
    m_inputField->setAccessibleDescription(
        QStringLiteral("Full paths of the files to convert, separated by commas"));
    m_outputField->setAccessibleDescription(
        QStringLiteral("The folder the converted files are written to"));
    // Narrower on a narrow screen: there the fields keep beside their buttons.
    const int fieldWidth =
        qMin(kFieldWidth, AvailableArea(nullptr).width() - kBesideField);
    m_inputField->setMinimumWidth(fieldWidth);
    m_outputField->setMinimumWidth(fieldWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel* introduction = WrappedText(intro, this);
    if (controls.intro != 0)
        Tag(introduction, controls.intro);
    layout->addWidget(introduction);
    auto* fields = new QGridLayout;
    fields->addWidget(FieldLabel(inputLabel, m_inputField, this), 0, 0, 1, 2);
    fields->addWidget(m_inputField, 1, 0);
    fields->addWidget(m_inputBrowse, 1, 1);
    fields->addWidget(WrappedText("Please select the windows directory you wish to save the "
                                  "converted files to by specifying a valid windows file path.",
                                  this),
                      2, 0, 1, 2);
    fields->addWidget(FieldLabel("EMS &output directory:", m_outputField, this), 3, 0, 1, 2);
    fields->addWidget(m_outputField, 4, 0);
    fields->addWidget(m_outputBrowse, 4, 1);
    layout->addLayout(fields);

    AcceptFileDrops(dialog, m_inputField, m_outputField);
}

void CConverterForm::Store(std::string& inputList, std::string& outputFolder) const {
    inputList = m_inputField->text().toStdString();
    outputFolder = m_outputField->text().toStdString();
}

void CConverterForm::Show(const std::string& inputList, const std::string& outputFolder) {
    m_inputField->setText(QString::fromStdString(inputList));
    m_outputField->setText(QString::fromStdString(outputFolder));
}

std::optional<std::string>
CConverterForm::ChooseInputList(const std::vector<std::string>& filters) {
    const auto chosen = FileChooser().ChooseFilesToOpen(window(), filters);
    if (!chosen)
        return std::nullopt;
    std::string refused;
    const std::vector<std::string> paths = ListablePaths(*chosen, refused);
    if (!refused.empty())
        ShowMessageBox(window(), refused, kAppName);
    if (paths.empty() && !chosen->empty())
        return std::nullopt;
    return platform::JoinInputList(paths);
}

std::optional<std::string> CConverterForm::ChooseOutputPath(const std::string& proposedName) {
    return FileChooser().ChooseFileToSave(window(), proposedName, "Text Files", "*.txt");
}
