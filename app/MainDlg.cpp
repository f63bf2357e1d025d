#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/AppNames.h"
#include "app/DesktopSeams.h"
#include "app/DialogControls.h"
#include "app/HelpOpener.h"
#include "app/MelodyDlg.h"
#include "app/PictureDlg.h"
#include "app/ProductInfoDlg.h"
#include "app/Resources.h"
#include "app/SystemCommand.h"
#include "app/WindowPlacement.h"
#include "platform/LastError.h"
#include "platform/ProgramPath.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace app;

namespace {

// String 101, the window menu's About entry.
constexpr char kAboutEntry[] = "&About Quillmere...";

} // namespace

CMainDlg::CMainDlg(QWidget* parent) : QDialog(parent), m_hIcon(Icon(IDI_APP)) {
    setWindowTitle(QStringLiteral("Corvane EMS Converter 1.1"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    // The controls stay together at their natural size, centred however
    // large the window is made (maximised, for one).
    auto* content = new QWidget(this);
    QLabel* banner = PictureLabel(IDB_BANNER, "Corvane EMS Converter", content);
    banner->setFixedSize(400, 80);
    auto* melodies = DialogButton("&Melodies", IDC_MELODIES, content, [this] { OnMelodies(); });
    auto* pictures = DialogButton("&Pictures", IDC_PICTURES, content, [this] { OnPictures(); });
    auto* about = DialogButton("&About...", IDC_ABOUT, content, [this] { OnAbout(); });
    auto* close = DialogButton("&Close", IDC_CLOSE, content, [this] { OnClose(); });
    melodies->setAccessibleDescription(QStringLiteral("Opens a melody converter window"));
    pictures->setAccessibleDescription(QStringLiteral("Opens a picture converter window"));
    about->setAccessibleDescription(QStringLiteral("Shows the product information"));
    m_buttons = {melodies, pictures, about, close};
    HelpOnF1(this, [this] { OpenHelp(this, platform::ProgramFolder(), 0); });

    auto* layout = new QVBoxLayout(content);
    layout->addWidget(banner, 0, Qt::AlignHCenter);
    layout->addWidget(WrappedText("Welcome to the Corvane EMS Converter. Please select the type of "
                                  "file you would like to convert.",
                                  content));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(melodies);
    buttons->addWidget(pictures);
    buttons->addStretch();
    buttons->addWidget(about);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    layout->activate();
    const int width = content->sizeHint().width();
    content->setFixedSize(width, layout->totalHeightForWidth(width));

    auto* centre = new QGridLayout(this);
    centre->setContentsMargins(0, 0, 0, 0);
    centre->addWidget(content, 0, 0, Qt::AlignCenter);

    OnInitDialog();
}

void CMainDlg::OnInitDialog() {
    m_systemMenu = new QMenu(this);
    const struct {
        const char* text;
        unsigned id;
    } windowCommands[] = {{"&Restore", SC_RESTORE},
                          {"Mi&nimize", SC_MINIMIZE},
                          {"Ma&ximize", SC_MAXIMIZE},
                          {"&Close", SC_CLOSE}};
    for (const auto& command : windowCommands)
        m_systemMenu->addAction(QString::fromUtf8(command.text))->setData(command.id);
    // Restore only what is maximised or minimised; maximise only what is not.
    connect(m_systemMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : m_systemMenu->actions()) {
            if (action->data() == QVariant(SC_RESTORE))
                action->setEnabled(isMaximized() || isMinimized());
            else if (action->data() == QVariant(SC_MAXIMIZE))
                action->setEnabled(!isMaximized());
        }
    });
    const QString aboutEntry = QString::fromUtf8(kAboutEntry);
    if (!aboutEntry.isEmpty()) {
        m_systemMenu->addSeparator();
        m_systemMenu->addAction(aboutEntry)->setData(IDM_ABOUTBOX);
    }
    connect(m_systemMenu, &QMenu::triggered, this,
            [this](QAction* action) { OnSysCommand(action->data().toUInt()); });
    setWindowIcon(m_hIcon);
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard, at the window's corner as for Shift+F10 below.
    m_systemMenu->popup(event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(0, 0))
                                                                       : event->globalPos());
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (!menuKey && !shiftF10) {
        QDialog::keyPressEvent(event);
        return;
    }
    // At the top left corner of the window, where the window menu belongs.
    m_systemMenu->popup(mapToGlobal(QPoint(0, 0)));
    event->accept();
}

void CMainDlg::OnSysCommand(unsigned id) {
    if (IsAboutCommand(id)) {
        CAboutDlg dlg(this);
        dlg.exec();
        return;
    }
    switch (id & 0xFFF0u) {
    case SC_RESTORE:
        showNormal();
        break;
    case SC_MINIMIZE:
        showMinimized();
        break;
    case SC_MAXIMIZE:
        showMaximized();
        break;
    case SC_CLOSE:
        close();
        break;
    default:
        break;
    }
}

CMelodyDlg* CMainDlg::NewMelodyDlg() {
    return new CMelodyDlg;
}
CPictureDlg* CMainDlg::NewPictureDlg() {
    return new CPictureDlg;
}

void CMainDlg::PlaceBeside(QDialog* dlg) const {
    if (!isVisible() || screen() == nullptr)
        return;
    QList<QRect> others;
    for (const QDialog* other : findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        if (other != dlg && other->isVisible())
            others << other->frameGeometry();
    const QSize frameMargins = frameGeometry().size() - size();
    QList<QRect> buttons;
    for (const QWidget* button : m_buttons)
        buttons << QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    dlg->move(BesideOwner(frameGeometry(), buttons, dlg->size() + frameMargins,
                          screen()->availableGeometry(), int(others.size()), others));
}

template <typename Dlg>
void CMainDlg::OpenConverter(Dlg* (CMainDlg::*make)(), const char* whenNotMade) {
    try {
        Dlg* dlg = (this->*make)();
        if (dlg == nullptr) {
            ShowMessageBox(this, whenNotMade, kAppName);
            return;
        }
        if (!dlg->CreateModeless(this, Dlg::IDD)) {
            delete dlg;
            ShowMessageBox(this, "Dialog failed to be created.", kAppName);
            return;
        }
        PlaceBeside(dlg);
        dlg->show();
        dlg->setEnabled(true);
    } catch (...) {
        char text[255];
        ShowMessageBox(this, platform::FormatLastError(text, sizeof text), kAppName);
    }
}

void CMainDlg::OnMelodies() {
    OpenConverter(&CMainDlg::NewMelodyDlg, "Dialog failed to be created.");
}

void CMainDlg::OnPictures() {
    OpenConverter(&CMainDlg::NewPictureDlg, "pdlg is a NULL pointer.");
}

void CMainDlg::OnAbout() {
    CProductInfoDlg dlg(this);
    dlg.exec();
}

void CMainDlg::OnClose() {
    reject();
}

void CMainDlg::done(int result) {
    for (QDialog* converter : findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        converter->close();
    QDialog::done(result);
}
