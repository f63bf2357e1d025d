#pragma once
// CHelpWindow: the program's own viewer for the user guide and the logs, so
// that help works with no web browser installed. The guide is shown as
// HTML, opened at a section, its links followed; a log is shown as plain
// text from its newest entries. A search field finds text in either, and a
// button hands the document to the desktop's own program (a browser, a text
// editor). Each document has one window, owned by the main window (the
// outermost owner of the window that asked for it first), so it closes with
// the program; asking again brings that window to the front.

#include <QDialog>
#include <QUrl>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;

class CHelpWindow : public QDialog {
public:
    // Shows the guide at path at the section context (0: its beginning);
    // null, and nothing shown, when it cannot be read.
    static CHelpWindow* ShowGuide(QWidget* owner, const std::string& path, int context);
    // Shows the log at path, scrolled to its end; null when it cannot be read.
    static CHelpWindow* ShowLog(QWidget* owner, const std::string& path);
    // The open window of the document at path, if any.
    static CHelpWindow* Find(const std::string& path);

    // The next occurrence of the search field's text after the selection (or
    // before it), wrapping around; false, and "Not found." shown, when none.
    bool FindNext(bool backwards = false);

    QTextBrowser* Viewer() const { return m_viewer; }
    QLineEdit* SearchField() const { return m_search; }
    // Hands the document, at the section shown, to the desktop's program.
    void OnOpenOutside();

private:
    enum class Kind { Guide, Log };
    CHelpWindow(QWidget* owner, Kind kind, const std::string& path);
    static CHelpWindow* WindowFor(QWidget* owner, Kind kind, const std::string& path);
    bool Load();
    void FollowLink(const QUrl& link);
    void BringToFront();

    Kind m_kind;
    std::string m_path;
    QTextBrowser* m_viewer;
    QLineEdit* m_search;
    QLabel* m_status;
    QPushButton* m_outside;
};
