#include "app/MainDlg.h"
#include "DesktopFakes.h"
#include "app/AboutDlg.h"
#include "app/ConverterApp.h"
#include "app/DialogControls.h"
#include "app/MelodyDlg.h"
#include "app/PictureDlg.h"
#include "app/ProductInfoDlg.h"
#include "app/Resources.h"
#include "app/SystemCommand.h"
#include "app/WindowPlacement.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <gtest/gtest.h>
#include <new>

using namespace app;
using apptest::DesktopFakes;
using apptest::ModalAnswerer;

namespace {

QStringList LabelTexts(const QWidget* dlg) {
    QStringList texts;
    for (const QLabel* label : dlg->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    return texts;
}

// The dialogs carry no meta-object of their own, so findChildren<T> would
// match every QDialog.
template <typename T> QList<T*> Converters(const CMainDlg& main) {
    QList<T*> found;
    for (QObject* child : main.children())
        if (auto* dlg = dynamic_cast<T*>(child))
            found << dlg;
    return found;
}

// The visible controls of a window, and where they are within it.
std::vector<std::pair<QWidget*, QRect>> Controls(QWidget* window) {
    std::vector<std::pair<QWidget*, QRect>> controls;
    for (QWidget* child : window->findChildren<QWidget*>())
        if (child->isVisible() && !child->isWindow() && child->findChildren<QWidget*>().isEmpty())
            controls.emplace_back(child, QRect(child->mapTo(window, QPoint(0, 0)), child->size()));
    return controls;
}

// Every control is inside the window, apart from the others and, if it is a
// wrapped text, tall enough for all its lines.
void ExpectRoomForEveryControl(QWidget* window) {
    QApplication::processEvents();
    const auto controls = Controls(window);
    ASSERT_FALSE(controls.empty());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const auto& [widget, rect] = controls[i];
        EXPECT_TRUE(window->rect().contains(rect)) << widget->metaObject()->className();
        if (auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap()) {
            EXPECT_GE(rect.height(), label->heightForWidth(rect.width()))
                << label->text().toStdString();
        }
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(rect.intersects(controls[j].second))
                << widget->metaObject()->className() << " and "
                << controls[j].first->metaObject()->className();
    }
}

class FailingMelodyDlg : public CMelodyDlg {
public:
    bool CreateModeless(QWidget*, int) override { return false; }
};

// A main dialog whose converter dialogs cannot be had in the ways a test picks.
class FaultyMainDlg : public CMainDlg {
public:
    enum class Fault { CreateFails, NullObject, Throws } fault = Fault::CreateFails;

protected:
    CMelodyDlg* NewMelodyDlg() override {
        if (fault == Fault::Throws) {
            errno = ENOENT;
            throw std::bad_alloc();
        }
        return new FailingMelodyDlg;
    }
    CPictureDlg* NewPictureDlg() override { return nullptr; }
};

} // namespace

TEST(MainDlg, ShowsItsTitleBannerWelcomeAndButtons) {
    CMainDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Corvane EMS Converter 1.1");
    EXPECT_FALSE(dlg.m_hIcon.isNull());
    EXPECT_FALSE(dlg.windowIcon().isNull());
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(LabelTexts(&dlg).contains("Welcome to the Corvane EMS Converter. Please select the "
                                          "type of file you would like to convert."));
    bool banner = false;
    for (const QLabel* label : dlg.findChildren<QLabel*>())
        banner = banner || label->pixmap().size() == QSize(400, 80);
    EXPECT_TRUE(banner);
    for (const auto& [id, caption] : {std::pair{IDC_MELODIES, "Melodies"},
                                      {IDC_PICTURES, "Pictures"},
                                      {IDC_ABOUT, "About..."},
                                      {IDC_CLOSE, "Close"}})
        EXPECT_EQ(apptest::Shown(Control<QPushButton>(&dlg, id)), caption);
}

TEST(MainDlg, AboutBoxesShowTheirOwnTexts) {
    const CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Quillmere");
    EXPECT_TRUE(LabelTexts(&about).contains("Quillmere Version 1.0"));
    EXPECT_EQ(apptest::Shown(Control<QPushButton>(&about, IDOK)), "OK");

    const CProductInfoDlg info;
    EXPECT_EQ(info.windowTitle(), "Corvane EMS Converter");
    EXPECT_TRUE(LabelTexts(&info).contains("Corvane EMS Converter"));
    EXPECT_TRUE(LabelTexts(&info).contains("Version 1.0"));
    EXPECT_FALSE(info.windowIcon().isNull());
    EXPECT_EQ(apptest::Shown(Control<QPushButton>(&info, IDOK)), "OK");
}

TEST(MainDlg, WindowMenuEndsWithTheAboutEntryAndCommand16OpensAbout) {
    CMainDlg dlg;
    const QList<QAction*> actions = dlg.SystemMenu()->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.back()->text(), "&About Quillmere...");
    EXPECT_EQ(actions.back()->data().toUInt(), 16u);

    for (unsigned id : {0x10u, 0x13u, 0x1Fu})
        EXPECT_TRUE(IsAboutCommand(id)) << id;
    for (unsigned id : {0x0u, 0x0Fu, 0x20u, 0x110u, SC_MINIMIZE, SC_CLOSE, SC_RESTORE})
        EXPECT_FALSE(IsAboutCommand(id)) << id;

    // The menu entry and a command with low bits set open CAboutDlg; the
    // About... button opens the other box.
    std::vector<std::string> opened;
    {
        const ModalAnswerer answerer([&](QWidget* modal) {
            opened.push_back(dynamic_cast<CAboutDlg*>(modal)         ? "about"
                             : dynamic_cast<CProductInfoDlg*>(modal) ? "info"
                                                                     : "other");
            Control<QPushButton>(modal, IDOK)->click();
        });
        actions.back()->trigger();
        dlg.OnSysCommand(0x13);
        Control<QPushButton>(&dlg, IDC_ABOUT)->click();
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"about", "about", "info"}));

    // From the keyboard: Tab through the buttons, Enter presses the focused
    // one, Shift+F10 and the Menu key open the window menu.
    EXPECT_EQ(apptest::TabOrder(&dlg, Control<QWidget>(&dlg, IDC_MELODIES), 4),
              (std::vector<int>{IDC_MELODIES, IDC_PICTURES, IDC_ABOUT, IDC_CLOSE, IDC_MELODIES}));
    {
        const ModalAnswerer answerer([](QWidget* modal) { modal->close(); });
        Control<QWidget>(&dlg, IDC_ABOUT)->setFocus();
        QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
        EXPECT_EQ(answerer.Answered(), 1);
    }
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, {Qt::Key_Menu, Qt::NoModifier}}) {
        QTest::keyClick(dlg.focusWidget(), key, modifiers);
        EXPECT_TRUE(dlg.SystemMenu()->isVisible()) << key;
        dlg.SystemMenu()->hide();
    }

    // Restore is there for a maximised window only, Maximize for the others.
    const auto enabled = [&](unsigned id) {
        emit dlg.SystemMenu()->aboutToShow();
        for (QAction* action : actions)
            if (action->data().toUInt() == id)
                return action->isEnabled();
        return false;
    };
    EXPECT_FALSE(enabled(SC_RESTORE));
    EXPECT_TRUE(enabled(SC_MAXIMIZE));
    dlg.OnSysCommand(SC_MAXIMIZE);
    EXPECT_TRUE(enabled(SC_RESTORE));
    EXPECT_FALSE(enabled(SC_MAXIMIZE));
    dlg.OnSysCommand(SC_RESTORE);
    EXPECT_FALSE(enabled(SC_RESTORE));
}

TEST(MainDlg, ConverterDialogsOpenBesideTheMainDialog) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize frame(540, 360);
    const struct {
        QRect owner;
        QList<QRect> keep;
        QRect available;
        int index;
        QPoint expected;
        QList<QRect> others = {};
    } cases[] = {
        {{100, 100, 420, 180}, {{110, 240, 400, 30}}, screen, 0, {528, 100}},      // right
        {{100, 100, 420, 180}, {{110, 240, 400, 30}}, screen, 1, {560, 132}},      // one step on
        {{1400, 100, 420, 180}, {{1410, 240, 400, 30}}, screen, 0, {852, 100}},    // left
        {{0, 0, 420, 180}, {{10, 140, 400, 30}}, {0, 0, 800, 600}, 0, {0, 188}},   // below
        {{0, 400, 420, 180}, {{10, 540, 400, 30}}, {0, 0, 800, 600}, 0, {0, 32}},  // above
        // 1024 x 768, the owner centred: clear of its buttons, covering the
        // least of it.
        {{292, 244, 420, 185}, {{302, 395, 400, 24}}, {0, 0, 1024, 768}, 0, {484, 0}},
        {{292, 244, 420, 185}, {{302, 395, 400, 24}}, {0, 0, 1024, 768}, 1, {0, 0},
         {{484, 0, 540, 360}}}, // and of the one opened before
        {{292, 200, 420, 185}, {{302, 351, 400, 24}}, {0, 0, 540, 768}, 0, {0, 408}},
        // No room even for that: where it covers the fewest buttons.
        {{0, 0, 420, 180},
         {{10, 140, 100, 30}, {120, 140, 100, 30}, {230, 140, 100, 30}, {340, 140, 70, 30}},
         {0, 0, 640, 480}, 0, {100, 120}}};
    for (const auto& c : cases)
        EXPECT_EQ(BesideOwner(c.owner, c.keep, frame, c.available, c.index, c.others), c.expected)
            << c.owner.x() << "," << c.owner.y() << " #" << c.index;
}

TEST(MainDlg, EveryClickOpensAnIndependentConverterDialog) {
    CMainDlg dlg;
    dlg.move(0, 0); // the offscreen screen is small: room below only
    dlg.show();
    Control<QPushButton>(&dlg, IDC_MELODIES)->click();
    Control<QPushButton>(&dlg, IDC_MELODIES)->click();
    Control<QPushButton>(&dlg, IDC_PICTURES)->click();
    const auto melodies = Converters<CMelodyDlg>(dlg);
    ASSERT_EQ(melodies.size(), 2);
    ASSERT_EQ(Converters<CPictureDlg>(dlg).size(), 1);
    for (QDialog* converter :
         {static_cast<QDialog*>(melodies[0]), static_cast<QDialog*>(melodies[1]),
          static_cast<QDialog*>(Converters<CPictureDlg>(dlg)[0])}) {
        EXPECT_TRUE(converter->isVisible());
        EXPECT_FALSE(converter->frameGeometry().intersects(dlg.frameGeometry()));
        EXPECT_TRUE(converter->isEnabled());
        EXPECT_FALSE(converter->isModal());
    }
    Control<QAbstractButton>(melodies[0], IDC_MELODY_TARGET2)->click();
    EXPECT_EQ(melodies[0]->m_bTarget2, 1);
    EXPECT_EQ(melodies[1]->m_bTarget2, 0);
}

TEST(MainDlg, EveryDialogSizeShowsEveryControlWhole) {
    CMainDlg main;
    main.show();
    ExpectRoomForEveryControl(&main);
    const QSize natural = main.size();
    EXPECT_EQ(main.minimumSize(), natural);
    // Larger (as when maximised): the controls stay together, centred.
    main.resize(natural + QSize(600, 400));
    ExpectRoomForEveryControl(&main);
    QRect bounds;
    for (const auto& control : Controls(&main))
        bounds |= control.second;
    EXPECT_NEAR(bounds.center().x(), main.rect().center().x(), 1);
    EXPECT_NEAR(bounds.center().y(), main.rect().center().y(), 1);
    EXPECT_LT(bounds.width(), natural.width());

    // The converter dialogs: their natural size is the least, and they grow
    // only in width.
    main.OnMelodies();
    main.OnPictures();
    for (QDialog* converter : {static_cast<QDialog*>(Converters<CMelodyDlg>(main).value(0)),
                               static_cast<QDialog*>(Converters<CPictureDlg>(main).value(0))}) {
        ASSERT_NE(converter, nullptr);
        EXPECT_EQ(converter->minimumSize(), converter->size());
        EXPECT_EQ(converter->maximumHeight(), converter->height());
        EXPECT_GT(converter->maximumWidth(), converter->width());
        ExpectRoomForEveryControl(converter);
        converter->resize(converter->size() + QSize(500, 0));
        ExpectRoomForEveryControl(converter);
    }
}

TEST(MainDlg, ConverterDialogFailuresAreReported) {
    DesktopFakes fakes;
    FaultyMainDlg dlg;
    dlg.OnMelodies();
    dlg.OnPictures();
    dlg.fault = FaultyMainDlg::Fault::Throws;
    dlg.OnMelodies();
    ASSERT_EQ(fakes.messages.size(), 3u);
    EXPECT_EQ(fakes.messages[0].text, "Dialog failed to be created.");
    EXPECT_EQ(fakes.messages[1].text, "pdlg is a NULL pointer.");
    EXPECT_EQ(fakes.messages[2].text, "No such file or directory (0x2)");
    for (const auto& message : fakes.messages) {
        EXPECT_EQ(message.caption, "Quillmere");
        EXPECT_EQ(message.owner, &dlg);
    }
    EXPECT_TRUE(Converters<CMelodyDlg>(dlg).isEmpty()); // the failed one is not left behind
}

TEST(MainDlg, ClosingTheMainDialogDuringABatchStopsItAsStopDoes) {
    DesktopFakes fakes;
    const testsupport::TempDir work;
    std::string list;
    for (int i = 0; i < 500; ++i) {
        const std::string path = work / ("t" + std::to_string(i) + ".txt");
        testsupport::WriteFile(path, "Tune::c\n");
        list += (list.empty() ? "" : ",") + path;
    }
    CMainDlg main;
    main.show();
    main.OnMelodies();
    const QPointer<CMelodyDlg> melody = Converters<CMelodyDlg>(main).value(0);
    ASSERT_FALSE(melody.isNull());
    melody->m_strProgramFolder = work.Folder();
    Control<QLineEdit>(melody, IDC_MELODY_RTX_FILES)->setText(QString::fromStdString(list));
    Control<QLineEdit>(melody, IDC_MELODY_OUTPUT_DIR)->setText(QString::fromStdString(work.Folder()));
    QTimer::singleShot(0, &main, [&] { main.close(); }); // asks nothing
    Control<QPushButton>(melody, IDC_MELODY_CONVERT)->click();
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_TRUE(fakes.messages[0].text.starts_with("Stopped: "));
    EXPECT_TRUE(fakes.messages[0].final);
    EXPECT_NE(testsupport::ReadFile(work / "MelodyConverter.log").find("Stopped by the user: "),
              std::string::npos);
    apptest::FlushDeferredDeletes();
    EXPECT_TRUE(melody.isNull());
    EXPECT_FALSE(main.isVisible());
}

TEST(MainDlg, ClosingTheMainDialogClosesTheConvertersAndEndsTheProgram) {
    QPointer<CMelodyDlg> melody;
    QPointer<CPictureDlg> picture;
    const ModalAnswerer answerer([&](QWidget* modal) {
        auto* main = dynamic_cast<CMainDlg*>(modal);
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(theApp.m_pMainWnd, main);
        main->OnMelodies();
        main->OnPictures();
        melody = Converters<CMelodyDlg>(*main).value(0);
        picture = Converters<CPictureDlg>(*main).value(0);
        Control<QPushButton>(main, IDC_CLOSE)->click();
        EXPECT_FALSE(melody && melody->isVisible());
        EXPECT_FALSE(picture && picture->isVisible());
    });
    EXPECT_FALSE(theApp.InitInstance());
    apptest::FlushDeferredDeletes();
    EXPECT_EQ(answerer.Answered(), 1);
    EXPECT_TRUE(melody.isNull());
    EXPECT_TRUE(picture.isNull());
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_STREQ(theApp.m_pszAppName, "Quillmere");
}
