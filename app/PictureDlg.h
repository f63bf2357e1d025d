#pragma once
// CPictureDlg: the modeless dialog that converts Smart Messaging picture
// files. It collects the input list and the output folder and hands them,
// with the program folder, to a LogoConverter component created anew for
// every Convert. Store and refresh as in CMelodyDlg; the dialog deletes
// itself when its window closes. Whenever the input field changes, the
// preview shows its first file (app/PicturePreview.h).

#include <QDialog>
#include <string>

class CConverterForm;
class CPicturePreview;

class CPictureDlg : public QDialog {
public:
    enum { IDD = 138 };

    CPictureDlg();

    // Makes the (hidden) dialog window owned by owner from the given
    // template; false when that fails. The opener shows it.
    virtual bool CreateModeless(QWidget* owner, int templateId = IDD);

    // Controls to stored values (save) or stored values to controls.
    void UpdateData(bool save);

    // Command handlers.
    void OnBrowseInput();
    void OnBrowseOutput();
    void OnConvert();
    void OnHelp();

    std::string m_strLogoFiles;     // input paths joined by ","
    std::string m_strOutputDir;     // output folder
    std::string m_strProgramFolder; // handed to the component for its log; the help lives here

private:
    void OnInitDialog();

    CConverterForm* m_form; // the input list (m_strLogoFiles) and the output folder
    CPicturePreview* m_preview;
};
