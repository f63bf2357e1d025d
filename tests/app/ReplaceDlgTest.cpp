#include "app/ReplaceDlg.h"
#include "DesktopFakes.h"
#include "app/DialogControls.h"
#include "app/Resources.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace app;
using apptest::ModalAnswerer;

namespace {

constexpr char kPrompt[] = "The file: /home/ana/out/a rather long melody name that will not fit "
                           "on one line.em1 already exists, would you like to replace it?";

struct Outcome {
    int result;
    int replace;
    int replaceAll;
};

Outcome Ask(CReplaceDlg& dlg, const std::function<void(QWidget*)>& answer) {
    const ModalAnswerer answerer(answer);
    dlg.m_pszMessage = kPrompt;
    const int result = dlg.DoModal();
    return {result, dlg.m_bReplace, dlg.m_bReplaceAll};
}

Outcome Ask(const std::function<void(QWidget*)>& answer) {
    CReplaceDlg dlg;
    return Ask(dlg, answer);
}

void Click(QWidget* dlg, int id) {
    Control<QPushButton>(dlg, id)->click();
}

} // namespace

TEST(ReplaceDlg, ShowsTheCallersTextWrappedAndNoDefaultAnswer) {
    bool checked = false;
    Ask([&](QWidget* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Corvane EMS converter v1.1");
        auto* label = Control<QLabel>(dlg, IDC_REPLACE_TEXT);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), kPrompt);
        EXPECT_TRUE(label->wordWrap());
        EXPECT_GT(label->height(), label->fontMetrics().height() * 3 / 2); // more than one line
        const std::pair<int, const char*> buttons[] = {
            {IDC_REPLACE, "Replace"}, {IDC_REPLACE_ALL, "Replace All"}, {IDCANCEL, "Cancel"}};
        for (const auto& [id, caption] : buttons) {
            auto* button = Control<QPushButton>(dlg, id);
            ASSERT_NE(button, nullptr) << caption;
            EXPECT_EQ(apptest::Shown(button), caption);
            EXPECT_FALSE(button->isDefault()) << caption;
        }
        checked = true;
        Click(dlg, IDCANCEL);
    });
    EXPECT_TRUE(checked);
}

TEST(ReplaceDlg, ALongFileNameShowsWholeWithItsPathInATooltip) {
    const std::string path = "/home/ana/out/" + std::string(200, 'x') + ".em1";
    const std::string prompt =
        "The file: " + path + " already exists, would you like to replace it?";
    CReplaceDlg dlg;
    dlg.m_pszMessage = prompt.c_str();
    const ModalAnswerer answerer([&](QWidget* modal) {
        auto* label = Control<QLabel>(modal, IDC_REPLACE_TEXT);
        EXPECT_EQ(label->toolTip().remove(QLatin1Char('\n')).toStdString(), path);
        // The name wraps over several lines, inside the dialog, and the label
        // is as tall as they need: nothing is cut off.
        EXPECT_LE(label->geometry().right(), modal->width());
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        EXPECT_GT(label->height(), 4 * label->fontMetrics().height());
        EXPECT_LT(modal->width(), label->fontMetrics().horizontalAdvance(label->text()) / 2);
        Click(modal, IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(answerer.Answered(), 1);
}

TEST(ReplaceDlg, EachAnswerSetsItsFlagAndResult) {
    const Outcome replace = Ask([](QWidget* dlg) { Click(dlg, IDC_REPLACE); });
    EXPECT_EQ(replace.result, 1);
    EXPECT_EQ(replace.replace, 1);
    EXPECT_EQ(replace.replaceAll, 0);

    // Replace All and Cancel share the result code; only the flag tells them apart.
    const Outcome all = Ask([](QWidget* dlg) { Click(dlg, IDC_REPLACE_ALL); });
    EXPECT_EQ(all.result, 2);
    EXPECT_EQ(all.replace, 0);
    EXPECT_EQ(all.replaceAll, 1);

    const Outcome cancel = Ask([](QWidget* dlg) { Click(dlg, IDCANCEL); });
    EXPECT_EQ(cancel.result, 2);
    EXPECT_EQ(cancel.replace + cancel.replaceAll, 0);
}

TEST(ReplaceDlg, EscCloseBoxAndBareEnterAnswerNothing) {
    const Outcome esc = Ask([](QWidget* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); });
    EXPECT_EQ(esc.result, 2);
    EXPECT_EQ(esc.replace + esc.replaceAll, 0);

    const Outcome closed = Ask([](QWidget* dlg) { dlg->close(); });
    EXPECT_EQ(closed.result, 2);
    EXPECT_EQ(closed.replace + closed.replaceAll, 0);

    // Enter with no answer focused is the OK command: result 1, yet no answer.
    const Outcome enter = Ask([](QWidget* dlg) {
        if (QWidget* focus = dlg->focusWidget())
            focus->clearFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(dlg, &press);
    });
    EXPECT_EQ(enter.result, 1);
    EXPECT_EQ(enter.replace + enter.replaceAll, 0);

    // Enter on a focused answer presses that answer.
    const Outcome focused = Ask([](QWidget* dlg) {
        Control<QPushButton>(dlg, IDC_REPLACE_ALL)->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(dlg, &press);
    });
    EXPECT_EQ(focused.result, 2);
    EXPECT_EQ(focused.replaceAll, 1);
}

TEST(ReplaceDlg, ReusedDialogNeverReportsAStaleAnswer) {
    CReplaceDlg dlg;
    EXPECT_EQ(Ask(dlg, [](QWidget* d) { Click(d, IDC_REPLACE_ALL); }).replaceAll, 1);
    const Outcome second = Ask(dlg, [](QWidget* d) { Click(d, IDCANCEL); });
    EXPECT_EQ(second.replace + second.replaceAll, 0);
}
