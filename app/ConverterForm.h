#pragma once
// The rows the two converter dialogs share: an introduction; the input
// list's label, field and Browse button; the output folder's text, label,
// field and Browse button. Files dropped from a file manager on the dialog
// or the fields go into the fields (app/FileDrop.h).

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QDialog;
class QLineEdit;
class QPushButton;

class CConverterForm : public QWidget {
public:
    // Control numbers; 0 leaves the introduction without one.
    struct Controls {
        int intro;
        int inputField;
        int inputBrowse;
        int outputField;
        int outputBrowse;
    };

    // inputLabel marks its Alt letter with "&" (the output label has "o").
    // The Browse buttons, Alt+B and Alt+W, call onBrowseInput and onBrowseOutput.
    CConverterForm(QDialog* dialog, const char* intro, const char* inputLabel,
                   const Controls& controls, std::function<void()> onBrowseInput,
                   std::function<void()> onBrowseOutput);

    // The fields to the stored input list and output folder, or back.
    void Store(std::string& inputList, std::string& outputFolder) const;
    void Show(const std::string& inputList, const std::string& outputFolder);

    // The Open chooser's paths as an input list; nothing when it was
    // cancelled. filters: the file types it offers (IFileChooser), none for all.
    std::optional<std::string> ChooseInputList(const std::vector<std::string>& filters = {});
    // The Save As chooser, proposing the name, with the one filter "Text
    // Files" (*.txt): the chosen full path, or nothing when it was cancelled.
    std::optional<std::string> ChooseOutputPath(const std::string& proposedName);

    QLineEdit* InputField() const { return m_inputField; }
    QLineEdit* OutputField() const { return m_outputField; }
    QPushButton* InputBrowse() const { return m_inputBrowse; }
    QPushButton* OutputBrowse() const { return m_outputBrowse; }

private:
    QLineEdit* m_inputField;
    QLineEdit* m_outputField;
    QPushButton* m_inputBrowse;
    QPushButton* m_outputBrowse;
};
