#include "app/HelpWindow.h"

#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/Resources.h"
#include "app/ScreenFit.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>
#include <optional>

using namespace app;

namespace {

// The newest part of a log that is shown; the rest stays in the file.
constexpr qint64 kMostLogBytes = 1 << 20;
constexpr QSize kPreferredSize(760, 600);

// The window that owns owner's window, and so on up: the main window, so
// that the help stays open when the converter that asked for it closes.
QWidget* OutermostWindow(QWidget* owner) {
    QWidget* window = owner != nullptr ? owner->window() : nullptr;
    while (window != nullptr && window->parentWidget() != nullptr)
        window = window->parentWidget()->window();
    return window;
}

QList<QPointer<CHelpWindow>>& OpenWindows() {
    static QList<QPointer<CHelpWindow>> windows;
    return windows;
}

// The last kMostLogBytes of the file from a line start, with a note when
// older lines are left out; nothing when it cannot be read.
std::optional<QString> LogText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 skipped = qMax<qint64>(0, file.size() - kMostLogBytes);
    QByteArray bytes;
    if (skipped > 0 && file.seek(skipped)) {
        bytes = file.readAll();
        bytes.remove(0, bytes.indexOf('\n') + 1);
    } else {
        bytes = file.readAll();
    }
    QString text = QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (skipped > 0)
        text.prepend(QStringLiteral("(Older entries are not shown here. The whole log is %1.)\n\n")
                         .arg(QString::fromStdString(path)));
    return text;
}

} // namespace

CHelpWindow::CHelpWindow(QWidget* owner, Kind kind, const std::string& path)
    : QDialog(OutermostWindow(owner), Qt::Window), m_kind(kind), m_path(path) {
    setAttribute(Qt::WA_DeleteOnClose);
    const bool guide = kind == Kind::Guide;
    setWindowTitle(guide ? QStringLiteral("Quillmere Help")
                         : QStringLiteral("%1 - Quillmere")
                               .arg(QFileInfo(QString::fromStdString(path)).fileName()));

    m_search = new QLineEdit(this);
    m_search->setAccessibleDescription(
        QStringLiteral("Enter finds the next occurrence, Shift+Enter the previous one"));
    auto* searchLabel = new QLabel(QStringLiteral("&Find:"), this);
    searchLabel->setBuddy(m_search);
    auto* previous = DialogButton("&Previous", 0, this, [this] { FindNext(true); },
                                  EnterKey::Never);
    auto* next = DialogButton("&Next", 0, this, [this] { FindNext(false); }, EnterKey::Never);
    m_status = new QLabel(this);
    m_status->hide(); // shown with "Not found."

    m_viewer = new QTextBrowser(this);
    m_viewer->setOpenLinks(false);
    m_viewer->setAccessibleName(guide ? QStringLiteral("User guide") : QStringLiteral("Log"));
    connect(m_viewer, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& link) { FollowLink(link); });

    m_outside = DialogButton(guide ? "Open in &Browser" : "Open in Text &Editor", 0, this,
                             [this] { OnOpenOutside(); }, EnterKey::Never);
    m_outside->setAccessibleDescription(
        guide ? QStringLiteral("Shows the user guide in the web browser")
              : QStringLiteral("Opens the log in the desktop's text editor"));
    auto* closeButton =
        DialogButton("&Close", IDCANCEL, this, [this] { close(); }, EnterKey::Never);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(previous);
    searchRow->addWidget(next);
    searchRow->addWidget(m_status);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_outside);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(m_viewer, 1);
    layout->addLayout(buttons);
    ChainTabOrder({m_search, previous, next, m_viewer, m_outside, closeButton});

    connect(m_search, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    connect(m_search, &QLineEdit::textEdited, this, [this] {
        // As the user types, the match grows from where the last one began,
        // or, before the first, from the top of what is in view.
        QTextCursor cursor = m_viewer->textCursor();
        if (cursor.hasSelection())
            cursor.setPosition(cursor.selectionStart());
        else
            cursor = m_viewer->cursorForPosition(QPoint(0, 0));
        m_viewer->setTextCursor(cursor);
        FindNext(false);
    });
    resize(kPreferredSize.boundedTo(AvailableArea(owner).size() * 17 / 20));
}

CHelpWindow* CHelpWindow::Find(const std::string& path) {
    for (const QPointer<CHelpWindow>& window : OpenWindows())
        if (window && window->m_path == path)
            return window;
    return nullptr;
}

CHelpWindow* CHelpWindow::WindowFor(QWidget* owner, Kind kind, const std::string& path) {
    CHelpWindow* window = Find(path);
    if (window == nullptr) {
        window = new CHelpWindow(owner, kind, path);
        QList<QPointer<CHelpWindow>>& windows = OpenWindows();
        windows.removeAll(nullptr);
        windows.append(window);
    }
    if (!window->Load()) {
        delete window;
        return nullptr;
    }
    return window;
}

CHelpWindow* CHelpWindow::ShowGuide(QWidget* owner, const std::string& path, int context) {
    CHelpWindow* window = WindowFor(owner, Kind::Guide, path);
    if (window == nullptr)
        return nullptr;
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
    if (context != 0)
        url.setFragment(QString::number(context));
    window->m_viewer->setSource(url);
    if (context == 0)
        window->m_viewer->scrollToAnchor(QString());
    window->BringToFront();
    return window;
}

CHelpWindow* CHelpWindow::ShowLog(QWidget* owner, const std::string& path) {
    CHelpWindow* window = WindowFor(owner, Kind::Log, path);
    if (window == nullptr)
        return nullptr;
    window->m_viewer->moveCursor(QTextCursor::End);
    window->m_viewer->ensureCursorVisible();
    window->BringToFront();
    return window;
}

bool CHelpWindow::Load() {
    if (m_kind == Kind::Guide) {
        QFile file(QString::fromStdString(m_path));
        return file.open(QIODevice::ReadOnly);
    }
    // A log is read anew each time: it has grown since.
    const std::optional<QString> text = LogText(m_path);
    if (!text)
        return false;
    m_viewer->setPlainText(*text);
    return true;
}

void CHelpWindow::BringToFront() {
    if (!isVisible())
        CentreOnScreen(this, parentWidget());
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

bool CHelpWindow::FindNext(bool backwards) {
    const QString text = m_search->text();
    m_status->hide();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward
                                                     : QTextDocument::FindFlags();
    if (m_viewer->find(text, flags))
        return true;
    // Round again from the other end.
    const QTextCursor kept = m_viewer->textCursor();
    m_viewer->moveCursor(backwards ? QTextCursor::End : QTextCursor::Start);
    if (m_viewer->find(text, flags))
        return true;
    m_viewer->setTextCursor(kept);
    m_status->setText(QStringLiteral("Not found."));
    m_status->show();
    return false;
}

void CHelpWindow::FollowLink(const QUrl& link) {
    const QUrl target = m_viewer->source().resolved(link);
    const bool here = target.isLocalFile() &&
                      target.toLocalFile() == QString::fromStdString(m_path);
    if (here) {
        m_viewer->setSource(target);
        return;
    }
    if (!UrlOpener().Open(target))
        ShowMessageBox(this, "No program could be started to open " +
                                 target.toDisplayString().toStdString() + ".",
                       kAppName);
}

void CHelpWindow::OnOpenOutside() {
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(m_path));
    if (m_kind == Kind::Guide)
        url.setFragment(m_viewer->source().fragment());
    if (UrlOpener().Open(url))
        return;
    ShowMessageBox(this,
                   m_kind == Kind::Guide
                       ? "No web browser could be started to show " + m_path +
                             ". The guide stays here, in Quillmere's help window."
                       : "No text editor could be started to open " + m_path + ".",
                   kAppName);
}
