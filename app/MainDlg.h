#pragma once
// CMainDlg: the main dialog. It opens any number of modeless melody and
// picture dialogs, which it owns: closing it closes them and ends the program.

#include <QDialog>
#include <QIcon>
#include <QList>

class CMelodyDlg;
class CPictureDlg;
class QMenu;

class CMainDlg : public QDialog {
public:
    enum { IDD = 102 };

    explicit CMainDlg(QWidget* parent = nullptr);

    // Command handlers.
    void OnMelodies();
    void OnPictures();
    void OnAbout();
    void OnClose();
    // A command of the window menu: the About entry (16, whatever its lowest
    // four bits) opens CAboutDlg; the others act on the window.
    void OnSysCommand(unsigned id);

    // The window menu, ending with a separator and "&About Quillmere...".
    QMenu* SystemMenu() const { return m_systemMenu; }

    // Ends the dialog after closing the converter dialogs it owns.
    void done(int result) override;

    QIcon m_hIcon; // the application icon

protected:
    // Where the converter dialogs come from; null when none could be made.
    virtual CMelodyDlg* NewMelodyDlg();
    virtual CPictureDlg* NewPictureDlg();

    void contextMenuEvent(QContextMenuEvent* event) override;
    // Shift+F10 and the Menu key open the window menu too.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    // Moves a new converter dialog beside this one (or cascades it).
    void PlaceBeside(QDialog* dlg) const;
    // Makes a new converter dialog with make, then creates, shows and enables
    // it, owned by this one; whenNotMade is said when make gives none.
    template <typename Dlg> void OpenConverter(Dlg* (CMainDlg::*make)(), const char* whenNotMade);

    QMenu* m_systemMenu = nullptr;
    QList<QWidget*> m_buttons; // kept in sight when converter dialogs open
};
