// Every window as a screen reader, the keyboard and a small screen meet it:
// each control named, one Alt letter per control, and nothing beyond the
// screen however long the paths it shows.

#include "DesktopFakes.h"
#include "app/AboutDlg.h"
#include "app/HelpWindow.h"
#include "app/MainDlg.h"
#include "app/MelodyDlg.h"
#include "app/PictureDlg.h"
#include "app/ProductInfoDlg.h"
#include "app/ProgressDlg.h"
#include "app/QtDesktop.h"
#include "app/ReplaceDlg.h"
#include "app/Resources.h"
#include "app/ScreenFit.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace app;
using apptest::ModalAnswerer;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

// What a user acts on or reads as a whole: buttons, fields, bars, viewers
// and pictures (a scroll area's own bars belong to it).
bool NeedsAName(QWidget* widget) {
    if (qobject_cast<QScrollBar*>(widget) != nullptr)
        return false;
    if (auto* label = qobject_cast<QLabel*>(widget))
        return !label->pixmap().isNull();
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
           qobject_cast<QAbstractSlider*>(widget) || qobject_cast<QProgressBar*>(widget) ||
           qobject_cast<QTextEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget);
}

// The letter after the "&" of text, or 0.
QChar Mnemonic(const QString& text) {
    for (qsizetype at = text.indexOf('&'); at >= 0 && at + 1 < text.size();
         at = text.indexOf('&', at + 2))
        if (text[at + 1] != '&')
            return text[at + 1].toLower();
    return {};
}

// Each control of window is named, and the Alt letters of its shown buttons
// and field labels are all different; ours give every button one.
void ExpectNamedAndOneLetterEach(QWidget* window, const std::string& which, bool ours = true) {
    std::map<QChar, QString> letters;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (NeedsAName(widget)) {
            EXPECT_FALSE(AccessibleName(widget).isEmpty())
                << which << ": " << widget->metaObject()->className();
        }
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy())
            text = label->text();
        if (text.isEmpty() || !widget->isVisibleTo(window))
            continue;
        const QChar letter = Mnemonic(text);
        if (letter.isNull()) {
            EXPECT_FALSE(ours && qobject_cast<QAbstractButton*>(widget))
                << which << ": no Alt letter in " << text.toStdString();
            continue;
        }
        const auto [at, added] = letters.emplace(letter, text);
        EXPECT_TRUE(added) << which << ": " << text.toStdString() << " and "
                           << at->second.toStdString();
    }
}

class DesktopReachTest : public ::testing::Test {
protected:
    apptest::DesktopFakes fakes;
    TempDir program;

    template <typename Dlg> Dlg* Converter() {
        auto* dlg = new Dlg;
        dlg->m_strProgramFolder = program.Folder();
        dlg->CreateModeless(nullptr);
        return dlg;
    }
};

} // namespace

TEST_F(DesktopReachTest, EveryWindowNamesItsControlsAndGivesEachItsOwnAltLetter) {
    CMainDlg main;
    ExpectNamedAndOneLetterEach(&main, "main");
    CAboutDlg about;
    ExpectNamedAndOneLetterEach(&about, "about");
    CProductInfoDlg info;
    ExpectNamedAndOneLetterEach(&info, "product information");

    auto* melody = Converter<CMelodyDlg>();
    ExpectNamedAndOneLetterEach(melody, "melody");
    // The fields are named by their labels; the two Browse buttons apart.
    const std::pair<int, const char*> names[] = {
        {IDC_MELODY_RTX_FILES, "RTX file/s location:"},
        {IDC_MELODY_OUTPUT_DIR, "EMS output directory:"},
        {IDC_MELODY_BROWSE_INPUT, "Browse for input files"},
        {IDC_MELODY_BROWSE_OUTPUT, "Browse for output folder"}};
    for (const auto& [id, name] : names)
        EXPECT_EQ(AccessibleName(Control<QWidget>(melody, id)), name);
    auto* progress = new CProgressDlg(melody, {}); // goes with the dialog
    progress->SetProgress(3, 9, "/in/tune.txt");
    ExpectNamedAndOneLetterEach(progress, "progress");

    auto* picture = Converter<CPictureDlg>();
    ExpectNamedAndOneLetterEach(picture, "picture");
    EXPECT_EQ(AccessibleName(Control<QWidget>(picture, IDC_PICTURE_LOGO_FILES)),
              "Smart Messaging File/s:");
    EXPECT_EQ(AccessibleName(Control<QWidget>(picture, IDC_PICTURE_BROWSE_OUTPUT)),
              "Browse for output folder");

    const std::string guide = program / "guide.html";
    WriteFile(guide, "<html><body><h2 id=\"22\">Melodies</h2></body></html>");
    CHelpWindow* help = CHelpWindow::ShowGuide(melody, guide, 22);
    ASSERT_NE(help, nullptr);
    ExpectNamedAndOneLetterEach(help, "help");
    help->close();

    // The modal ones, from inside their own loops: the replace question,
    // and a message box that has shortened its text, with its last buttons.
    const std::string longPrompt =
        "The file: /" + std::string(3000, 'x') + ".em1 already exists, would you like to replace it?";
    CReplaceDlg replace;
    replace.m_pszMessage = longPrompt.c_str();
    {
        const ModalAnswerer answerer([&](QWidget* modal) {
            ExpectNamedAndOneLetterEach(modal, modal->windowTitle().toStdString(),
                                        qobject_cast<QMessageBox*>(modal) == nullptr);
            modal->close();
        });
        replace.DoModal();
        QtMessageBoxes().ShowFinal(melody, "/" + std::string(9000, 'y'), "EMS Melody Converter");
        EXPECT_EQ(answerer.Answered(), 2);
    }

    // Alt and a letter: to the labelled field, or pressing the button.
    melody->show();
    melody->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(melody));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>(melody, IDC_MELODY_OUTPUT_DIR));
    // A button pressed from the keyboard shows it pressed for a moment.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(melody->m_bTarget2, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(fakes.MessageTexts(),
              std::vector<std::string>{
                  "Please specify a valid file location to save the generated file to."});
    melody->close();
    picture->close();
    apptest::FlushDeferredDeletes();
}

TEST_F(DesktopReachTest, LongPathsNeverMakeAWindowLargerThanTheScreen) {
    const QRect screen = AvailableArea(nullptr);
    const auto expectOnScreen = [&](QWidget* window, const char* which) {
        EXPECT_LE(window->width(), screen.width()) << which;
        EXPECT_LE(window->height(), screen.height()) << which;
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->isVisible()) {
                EXPECT_TRUE(window->rect().contains(
                    QRect(button->mapTo(window, QPoint(0, 0)), button->size())))
                    << which << ": " << button->text().toStdString();
            }
        }
    };

    // The replace question: the path shortened in the middle, whole in the
    // tooltip and under Show Details. A path that fits stays whole.
    const std::string path = "/home/ana/" + std::string(3553, 'p') + "/tune.em1";
    const std::string prompt = "The file: " + path + " already exists, would you like to replace it?";
    for (const std::string& asked : {prompt, std::string("The file: /out/a.em1 already exists, "
                                                         "would you like to replace it?")}) {
        CReplaceDlg dlg;
        dlg.m_pszMessage = asked.c_str();
        const ModalAnswerer answerer([&](QWidget* modal) {
            auto* label = Control<QLabel>(modal, IDC_REPLACE_TEXT);
            auto* details = modal->findChild<QPlainTextEdit*>();
            const bool shortened = asked.size() > 1000;
            EXPECT_EQ(label->text().contains(QChar(0x2026)), shortened);
            EXPECT_EQ(label->text().toStdString() == asked, !shortened);
            EXPECT_TRUE(label->text().endsWith(".em1 already exists, would you like to replace it?"));
            EXPECT_EQ(label->toolTip().remove('\n').toStdString(), asked.substr(10, asked.size() - 56));
            for (QAbstractButton* button : modal->findChildren<QAbstractButton*>())
                if (apptest::Shown(button) == "Show Details") {
                    EXPECT_EQ(button->isVisibleTo(modal), shortened);
                    if (shortened)
                        button->click();
                }
            EXPECT_EQ(details->isVisibleTo(modal), shortened);
            EXPECT_EQ(details->toPlainText().toStdString(), asked.substr(10, asked.size() - 56));
            expectOnScreen(modal, "replace");
            Control<QPushButton>(modal, IDCANCEL)->click();
        });
        dlg.DoModal();
        EXPECT_EQ(answerer.Answered(), 1);
    }

    // A message box naming a very long input path, and a conversion's last box.
    const std::string missing = "/" + std::string(9878, 'q') + ".txt could not be found.";
    const ModalAnswerer answerer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains(QChar(0x2026)));
        EXPECT_TRUE(box->text().endsWith(".txt could not be found."));
        EXPECT_EQ(box->detailedText().toStdString(), missing);
        expectOnScreen(box, "message box");
        box->close();
    });
    QtMessageBoxes().Show(nullptr, missing, "EMS Melody Converter");
    EXPECT_EQ(QtMessageBoxes().ShowFinal(nullptr, missing, "EMS Melody Converter"),
              FinalChoice::Ok);

    // The converters, with a long list in hand, and the help window.
    auto* melody = new CMelodyDlg;
    melody->CreateModeless(nullptr);
    melody->m_strRtxFiles = std::string(9878, 'r');
    melody->UpdateData(false);
    melody->show();
    expectOnScreen(melody, "melody");
    auto* progress = new CProgressDlg(melody, {});
    progress->SetProgress(1, 2, path);
    progress->show();
    expectOnScreen(progress, "progress");
    const std::string guide = program / "guide.html";
    WriteFile(guide, "<html><body>" + std::string(20000, 'g') + "</body></html>");
    CHelpWindow* help = CHelpWindow::ShowGuide(nullptr, guide, 0);
    expectOnScreen(help, "help");
    help->close();
    melody->close();
    apptest::FlushDeferredDeletes();
}
