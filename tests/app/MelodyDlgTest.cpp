#include "app/MelodyDlg.h"
#include "DesktopFakes.h"
#include "app/DialogControls.h"
#include "app/Resources.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

using namespace app;
using apptest::ModalAnswerer;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

int Occurrences(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

class MelodyDlgTest : public apptest::ConverterDlgTest<CMelodyDlg> {
protected:
    QCheckBox* Check(int id) const { return Control<QCheckBox>(dlg, id); }
};

} // namespace

TEST_F(MelodyDlgTest, FreshDialogShowsItsTextsAndInitialValues) {
    EXPECT_EQ(dlg->windowTitle(), "Corvane EMS Melody Converter");
    EXPECT_FALSE(dlg->isVisible()); // the opener shows it
    EXPECT_FALSE(dlg->windowIcon().isNull());
    EXPECT_EQ(Control<QLabel>(dlg, IDC_MELODY_INTRO)->text(),
              "Please select the SmartMessaging file you wish to convert by specifying a valid "
              "file path or browsing to the appropriate file. NOTE: The file must have a \".txt\" "
              "or \".rtx\" extension.");
    EXPECT_TRUE(Edit(IDC_MELODY_RTX_FILES)->text().isEmpty());
    EXPECT_TRUE(Edit(IDC_MELODY_OUTPUT_DIR)->text().isEmpty());
    EXPECT_EQ(Check(IDC_MELODY_CHECK_HEADER)->text(), "Include header information.");
    EXPECT_TRUE(Check(IDC_MELODY_CHECK_HEADER)->isChecked());
    EXPECT_TRUE(Check(IDC_MELODY_TARGET1)->isChecked());
    EXPECT_FALSE(Check(IDC_MELODY_TARGET2)->isChecked());
    EXPECT_TRUE(Check(IDC_MELODY_TARGET1)->text().startsWith("(1) Corvane "));
    EXPECT_TRUE(Check(IDC_MELODY_TARGET2)->text().startsWith("(2) Corvane "));
    for (const auto& [id, caption] : {std::pair{IDC_MELODY_BROWSE_INPUT, "Browse"},
                                      {IDC_MELODY_BROWSE_OUTPUT, "Browse"},
                                      {IDC_MELODY_CONVERT, "Convert"},
                                      {IDCANCEL, "Cancel"},
                                      {IDC_MELODY_HELP, "Help"},
                                      {IDC_MELODY_PLAY, "Play"}})
        EXPECT_EQ(Control<QPushButton>(dlg, id)->text(), caption);

    CMelodyDlg other;
    EXPECT_FALSE(other.CreateModeless(nullptr, CMelodyDlg::IDD + 1));
}

TEST_F(MelodyDlgTest, CheckBoxFlipsItsFlagWithoutLosingTypedText) {
    Type(IDC_MELODY_RTX_FILES, "/in/a.txt");
    Type(IDC_MELODY_OUTPUT_DIR, "/out");
    Check(IDC_MELODY_TARGET2)->click();
    EXPECT_EQ(dlg->m_bTarget2, 1);
    EXPECT_TRUE(Check(IDC_MELODY_TARGET2)->isChecked());
    EXPECT_EQ(Edit(IDC_MELODY_RTX_FILES)->text(), "/in/a.txt");
    EXPECT_EQ(Edit(IDC_MELODY_OUTPUT_DIR)->text(), "/out");

    Check(IDC_MELODY_CHECK_HEADER)->click();
    Check(IDC_MELODY_TARGET1)->click();
    EXPECT_EQ(dlg->m_bIncludeHeader, 0);
    EXPECT_EQ(dlg->m_bTarget1, 0);
    EXPECT_FALSE(Check(IDC_MELODY_TARGET1)->isChecked());
}

TEST_F(MelodyDlgTest, InputBrowseJoinsTheChosenPathsAndCancelKeepsTheField) {
    fakes.openAnswers = {std::vector<std::string>{"/in/a.txt", "/in/b.txt", "/in/c.txt"},
                         std::nullopt};
    Type(IDC_MELODY_OUTPUT_DIR, "/typed/out");
    Press(IDC_MELODY_BROWSE_INPUT);
    EXPECT_EQ(Edit(IDC_MELODY_RTX_FILES)->text(), "/in/a.txt,/in/b.txt,/in/c.txt");
    EXPECT_EQ(Edit(IDC_MELODY_OUTPUT_DIR)->text(), "/typed/out");
    EXPECT_EQ(fakes.openFilters.back(), std::vector<std::string>{}); // every file

    Type(IDC_MELODY_RTX_FILES, "/in/typed.rtx");
    Press(IDC_MELODY_BROWSE_INPUT);
    EXPECT_EQ(Edit(IDC_MELODY_RTX_FILES)->text(), "/in/typed.rtx");
    EXPECT_TRUE(fakes.messages.empty());
}

TEST_F(MelodyDlgTest, OutputBrowseProposesTheTypedNamesAndTakesTheChosenFolder) {
    fakes.saveAnswers = {"/d/out/a.txt,b.txt,c.txt", "/d/other/renamed.txt", std::nullopt};
    Type(IDC_MELODY_RTX_FILES, "/in/a.txt,/in/b.txt,/in/c.txt");
    Press(IDC_MELODY_BROWSE_OUTPUT);
    ASSERT_EQ(fakes.saveRequests.size(), 1u);
    EXPECT_EQ(fakes.saveRequests[0].proposedName, "a.txt,b.txt,c.txt");
    EXPECT_EQ(fakes.saveRequests[0].filterName, "Text Files");
    EXPECT_EQ(fakes.saveRequests[0].pattern, "*.txt");
    EXPECT_EQ(Edit(IDC_MELODY_OUTPUT_DIR)->text(), "/d/out/");

    // Another name typed in the chooser: only its folder counts.
    Press(IDC_MELODY_BROWSE_OUTPUT);
    EXPECT_EQ(Edit(IDC_MELODY_OUTPUT_DIR)->text(), "/d/other/");

    // Cancelled: the field stays as it is.
    Type(IDC_MELODY_OUTPUT_DIR, "/kept");
    Press(IDC_MELODY_BROWSE_OUTPUT);
    EXPECT_EQ(Edit(IDC_MELODY_OUTPUT_DIR)->text(), "/kept");
    EXPECT_EQ(Edit(IDC_MELODY_RTX_FILES)->text(), "/in/a.txt,/in/b.txt,/in/c.txt");
    EXPECT_TRUE(fakes.messages.empty());
}

TEST_F(MelodyDlgTest, ConvertNeedsATargetAndAFolderAndEndsTheFolderWithSlash) {
    Check(IDC_MELODY_TARGET1)->click();
    Press(IDC_MELODY_CONVERT);
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].text, "Please select at least target IMelody format to convert to "
                                      "by checking the appropriate box.");
    EXPECT_EQ(fakes.messages[0].caption, "Quillmere");
    EXPECT_EQ(fakes.messages[0].owner, dlg.data());
    EXPECT_EQ(dlg->m_strOutputDir, ""); // an empty folder never becomes the root folder
    EXPECT_TRUE(Edit(IDC_MELODY_OUTPUT_DIR)->text().isEmpty());

    // With a target but no folder, nothing is written anywhere.
    Check(IDC_MELODY_TARGET1)->click();
    Press(IDC_MELODY_CONVERT);
    ASSERT_EQ(fakes.messages.size(), 2u);
    EXPECT_EQ(fakes.messages[1].text,
              "Please specify a valid file location to save the generated file to.");
    EXPECT_EQ(fakes.messages[1].caption, "Quillmere");
    Check(IDC_MELODY_TARGET1)->click();

    Type(IDC_MELODY_OUTPUT_DIR, "/tmp/out");
    Press(IDC_MELODY_CONVERT);
    EXPECT_EQ(dlg->m_strOutputDir, "/tmp/out/");
    Type(IDC_MELODY_OUTPUT_DIR, "/tmp/out/");
    Press(IDC_MELODY_CONVERT);
    EXPECT_EQ(dlg->m_strOutputDir, "/tmp/out/");
    EXPECT_FALSE(std::filesystem::exists(program / "MelodyConverter.log")); // nothing converted
}

TEST_F(MelodyDlgTest, ConvertWritesTheMelodyAndAsksBeforeReplacing) {
    const TempDir work;
    std::filesystem::create_directory(work / "out");
    WriteFile(work / "tune.txt", "Tune:d=4,o=5,b=125:8c6,8d6,e,f\n");
    Type(IDC_MELODY_RTX_FILES, work / "tune.txt");
    Type(IDC_MELODY_OUTPUT_DIR, work / "out");
    Check(IDC_MELODY_TARGET2)->click();
    Press(IDC_MELODY_CONVERT);

    for (const char* name : {"tune.em1", "tune.hx1", "tune.em2", "tune.hx2"})
        EXPECT_TRUE(std::filesystem::exists(work / ("out/" + std::string(name)))) << name;
    EXPECT_NE(ReadFile(work / "out/tune.em1").find("BEGIN:IMELODY"), std::string::npos);
    EXPECT_NE(ReadFile(program / "MelodyConverter.log").find("Status: Success"), std::string::npos);
    ASSERT_FALSE(fakes.messages.empty());
    EXPECT_EQ(fakes.messages.back().text, "Conversion complete.");
    EXPECT_EQ(fakes.messages.back().caption, "EMS Melody Converter");
    EXPECT_EQ(fakes.messages.back().owner, nullptr);

    // Again: the replace dialog asks once, and Replace All answers for the batch.
    std::vector<std::string> prompts;
    {
        const ModalAnswerer answerer([&](QWidget* modal) {
            prompts.push_back(Control<QLabel>(modal, IDC_REPLACE_TEXT)->text().toStdString());
            Control<QPushButton>(modal, IDC_REPLACE_ALL)->click();
        });
        Press(IDC_MELODY_CONVERT);
    }
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0], "The file: " + (work / "out/tune.em1") +
                              " already exists, would you like to replace it?");

    // A fresh click asks again; Cancel keeps the old files.
    WriteFile(work / "out/tune.em1", "old");
    {
        const ModalAnswerer answerer(
            [](QWidget* modal) { Control<QPushButton>(modal, IDCANCEL)->click(); });
        Press(IDC_MELODY_CONVERT);
        EXPECT_EQ(answerer.Answered(), 2); // tune.em1 and tune.em2
    }
    EXPECT_EQ(ReadFile(work / "out/tune.em1"), "old");
}

TEST_F(MelodyDlgTest, AListOf200000CharactersConvertsEveryFile) {
    const TempDir work;
    std::filesystem::create_directory(work / "out");
    const std::string stem(180, 'n'); // long names: fewer files make the long list
    std::string list;
    int count = 0;
    for (; list.size() < 200000; ++count) {
        const std::string path = work / (stem + std::to_string(count) + ".txt");
        WriteFile(path, "Tune:d=4,o=5,b=125:c\n");
        list += (list.empty() ? "" : ",") + path;
    }
    Type(IDC_MELODY_RTX_FILES, list);
    Type(IDC_MELODY_OUTPUT_DIR, work / "out");
    Press(IDC_MELODY_CONVERT);

    ASSERT_EQ(dlg->m_strRtxFiles.size(), list.size()); // nothing cut
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(std::filesystem::exists(work / ("out/" + stem + std::to_string(i) + ".hx1")))
            << i;
    EXPECT_EQ(Occurrences(ReadFile(program / "MelodyConverter.log"), "Status: Success"), count);
    EXPECT_EQ(fakes.MessageTexts(), std::vector<std::string>{"Conversion complete."});
}

TEST_F(MelodyDlgTest, StopEndsALongBatchAfterTheFileInHandWithItsLogWritten) {
    const TempDir work;
    std::filesystem::create_directory(work / "out");
    constexpr int kFiles = 5000;
    std::string list;
    for (int i = 0; i < kFiles; ++i) {
        const std::string number = std::to_string(i);
        const std::string path = work / ("t" + number + ".txt");
        WriteFile(path, "Tune:d=4,o=5,b=125:c,d\n");
        list += (list.empty() ? "" : ",") + path;
    }
    Type(IDC_MELODY_RTX_FILES, list);
    Type(IDC_MELODY_OUTPUT_DIR, work / "out");
    Check(IDC_MELODY_TARGET2)->click();
    dlg->m_nProgressDelayMs = 0;

    // The user watches the progress window and presses Stop; the dialog
    // stays live meanwhile, which is what lets this timer run at all.
    QString shown;
    QTimer user;
    user.callOnTimeout([&] {
        auto* stop = Control<QPushButton>(dlg, IDC_PROGRESS_STOP);
        const QString count = stop ? Control<QLabel>(dlg, IDC_PROGRESS_COUNT)->text() : QString();
        if (stop == nullptr || !stop->isVisible() || !count.startsWith("Converting file"))
            return;
        shown = count;
        EXPECT_FALSE(Control<QPushButton>(dlg, IDC_MELODY_CONVERT)->isEnabled());
        stop->click();
        user.stop();
    });
    user.start(1);
    Press(IDC_MELODY_CONVERT);
    EXPECT_TRUE(shown.endsWith(" of 5000")) << shown.toStdString();

    // Every file begun was finished for both targets, in list order, and
    // logged; nothing after it was touched.
    const std::string log = ReadFile(program / "MelodyConverter.log");
    std::vector<std::string> logged;
    for (std::size_t at = log.find("Converting: "); at != std::string::npos;
         at = log.find("Converting: ", at + 1))
        logged.push_back(log.substr(at + 12, log.find("Status: Success\r\n\r\n", at) - at - 12));
    const int done = int(logged.size() / 2);
    EXPECT_GT(done, 0);
    EXPECT_LT(done, kFiles);
    ASSERT_EQ(logged.size() % 2, 0u);
    for (int i = 0; i < done; ++i) {
        const std::string number = std::to_string(i);
        const std::string path = work / ("t" + number + ".txt");
        ASSERT_EQ(logged[2 * i], path);
        ASSERT_EQ(logged[2 * i + 1], path);
    }
    int outputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work / "out"))
        outputs += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(outputs, 4 * done);
    EXPECT_EQ(fakes.MessageTexts(), std::vector<std::string>{"Conversion complete."});
    EXPECT_TRUE(Control<QPushButton>(dlg, IDC_MELODY_CONVERT)->isEnabled());
    EXPECT_EQ(Control<QPushButton>(dlg, IDC_PROGRESS_STOP), nullptr); // the window is gone
}

TEST_F(MelodyDlgTest, ClosingDuringABatchStopsItAndClosesWhenItHasEnded) {
    const TempDir work;
    std::string list;
    for (int i = 0; i < 500; ++i) {
        const std::string path = work / ("t" + std::to_string(i).append(".txt"));
        WriteFile(path, "Tune::c\n");
        list.append(list.empty() ? "" : ",").append(path);
    }
    Type(IDC_MELODY_RTX_FILES, list);
    Type(IDC_MELODY_OUTPUT_DIR, work.Folder());
    dlg->show();
    QTimer::singleShot(0, dlg, [this] { QTest::keyClick(dlg, Qt::Key_Escape); });
    Press(IDC_MELODY_CONVERT);
    ASSERT_FALSE(dlg.isNull()); // not while the batch ran
    EXPECT_LT(Occurrences(ReadFile(program / "MelodyConverter.log"), "Converting: "), 500);
    EXPECT_EQ(fakes.MessageTexts(), std::vector<std::string>{"Conversion complete."});
    apptest::FlushDeferredDeletes();
    EXPECT_TRUE(dlg.isNull());
}

TEST_F(MelodyDlgTest, TabFollowsTheControlsAndEnterPressesTheFocusedButtonOrConvert) {
    EXPECT_EQ(
        apptest::TabOrder(dlg, Edit(IDC_MELODY_RTX_FILES), 11),
        (std::vector<int>{IDC_MELODY_RTX_FILES, IDC_MELODY_BROWSE_INPUT, IDC_MELODY_OUTPUT_DIR,
                          IDC_MELODY_BROWSE_OUTPUT, IDC_MELODY_CHECK_HEADER, IDC_MELODY_TARGET1,
                          IDC_MELODY_TARGET2, IDC_MELODY_CONVERT, IDCANCEL, IDC_MELODY_HELP,
                          IDC_MELODY_PLAY, IDC_MELODY_RTX_FILES}));

    fakes.openAnswers = {std::vector<std::string>{"/in/a.txt"}};
    Control<QPushButton>(dlg, IDC_MELODY_BROWSE_INPUT)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Edit(IDC_MELODY_RTX_FILES)->text(), "/in/a.txt");

    // Enter in either field presses Convert, which asks for the folder.
    for (int field : {IDC_MELODY_RTX_FILES, IDC_MELODY_OUTPUT_DIR}) {
        Edit(field)->setFocus();
        QTest::keyClick(Edit(field), Qt::Key_Return);
    }
    EXPECT_EQ(fakes.MessageTexts(),
              std::vector<std::string>(
                  2, "Please specify a valid file location to save the generated file to."));
}

TEST_F(MelodyDlgTest, DroppedFilesFillTheListAndADroppedFolderTheOutputField) {
    const TempDir work;
    std::filesystem::create_directory(work / "out");
    const auto file = [&](const char* name) { return QUrl::fromLocalFile((work / name).c_str()); };
    QLineEdit* input = Edit(IDC_MELODY_RTX_FILES);
    QLineEdit* output = Edit(IDC_MELODY_OUTPUT_DIR);

    // A file manager's move is taken as a copy, so it never deletes the files.
    EXPECT_EQ(apptest::DropUrls(input, {file("a.txt"), file("b.txt"), file("c.rtx")}),
              Qt::CopyAction);
    const std::string three = work / "a.txt," + work / "b.txt," + work / "c.rtx";
    EXPECT_EQ(input->text().toStdString(), three);
    // Anywhere on the dialog: a new list, or with Ctrl one added to it.
    apptest::DropUrls(dlg, {file("d.txt")}, Qt::ControlModifier);
    EXPECT_EQ(input->text().toStdString(), three + "," + (work / "d.txt"));
    apptest::DropUrls(output, {file("e.txt")});
    EXPECT_EQ(input->text().toStdString(), work / "e.txt");

    // A folder on the output field or the dialog is the output folder; on
    // the input field it is just another path.
    apptest::DropUrls(output, {file("out")});
    EXPECT_EQ(output->text().toStdString(), work / "out/");
    output->clear();
    apptest::DropUrls(dlg, {QUrl::fromLocalFile(QString::fromStdString(work / "out/"))});
    EXPECT_EQ(output->text().toStdString(), work / "out/");
    apptest::DropUrls(input, {file("out")});
    EXPECT_EQ(input->text().toStdString(), work / "out");
    EXPECT_TRUE(fakes.messages.empty());

    // Anything not on this computer is refused whole, with a message.
    for (const QUrl& away : {QUrl("https://example.org/tune.txt"), QUrl("file://server/tune.txt")})
        EXPECT_EQ(apptest::DropUrls(dlg, {file("f.txt"), away}), Qt::IgnoreAction);
    QApplication::processEvents(); // the message follows the drop
    EXPECT_EQ(input->text().toStdString(), work / "out");
    ASSERT_EQ(fakes.messages.size(), 2u);
    EXPECT_NE(fakes.messages[0].text.find("https://example.org/tune.txt"), std::string::npos);
    EXPECT_EQ(fakes.messages[0].caption, "Quillmere");
    EXPECT_EQ(fakes.messages[0].owner, dlg.data());
}

TEST_F(MelodyDlgTest, HelpOpensTheHelpFileOrTheGuideAtTopic22) {
    Press(IDC_MELODY_HELP);
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_NE(fakes.messages[0].text.find(program / "Help/VERErezozedi.html"), std::string::npos);
    EXPECT_TRUE(fakes.openedUrls.empty());

    std::filesystem::create_directory(program / "Help");
    WriteFile(program / "Help/VERErezozedi.html", "<html></html>");
    Press(IDC_MELODY_HELP);
    ASSERT_EQ(fakes.openedUrls.size(), 1u);
    EXPECT_EQ(fakes.openedUrls[0].toLocalFile().toStdString(), program / "Help/VERErezozedi.html");
    EXPECT_EQ(fakes.openedUrls[0].fragment(), "22");

    WriteFile(program / "Help/VERErezozedi.hlp", "help");
    Press(IDC_MELODY_HELP);
    ASSERT_EQ(fakes.openedUrls.size(), 2u);
    EXPECT_EQ(fakes.openedUrls[1].toLocalFile().toStdString(), program / "Help/VERErezozedi.hlp");

    fakes.urlOpenerSucceeds = false;
    Press(IDC_MELODY_HELP);
    ASSERT_EQ(fakes.messages.size(), 2u);
    EXPECT_NE(fakes.messages[1].text.find("VERErezozedi.hlp"), std::string::npos);
}

TEST_F(MelodyDlgTest, PlayPlaysTheFirstFileForTheFirstCheckedTargetAndStops) {
    const TempDir in;
    WriteFile(in / "song.txt", "S:b=60:4c,4p,4c6");
    WriteFile(in / "bad.txt", "not a ringtone");
    auto* play = Control<QPushButton>(dlg, IDC_MELODY_PLAY);
    Type(IDC_MELODY_RTX_FILES, in / "song.txt," + in / "bad.txt");
    Press(IDC_MELODY_PLAY);
    // Target 1 writes no beat: three quarters at 120 beats, 1.5 s.
    ASSERT_EQ(fakes.played.size(), 1u);
    EXPECT_EQ(fakes.played[0].samples, 66150u);
    EXPECT_EQ(fakes.played[0].sampleRate, 44100);
    EXPECT_EQ(play->text(), "Stop");
    Press(IDC_MELODY_PLAY);
    EXPECT_FALSE(fakes.Playing());
    EXPECT_EQ(play->text(), "Play");

    // Target 2 alone: its beat of 60, played to the end.
    Check(IDC_MELODY_TARGET1)->click();
    Check(IDC_MELODY_TARGET2)->click();
    Press(IDC_MELODY_PLAY);
    ASSERT_EQ(fakes.played.size(), 2u);
    EXPECT_EQ(fakes.played[1].samples, 132300u);
    fakes.PlayingEnds();
    EXPECT_EQ(play->text(), "Play");
    EXPECT_TRUE(fakes.messages.empty());

    // A file that does not convert gives the converter's message; no output: said so.
    Type(IDC_MELODY_RTX_FILES, in / "bad.txt");
    Press(IDC_MELODY_PLAY);
    fakes.soundOutput = false;
    Type(IDC_MELODY_RTX_FILES, in / "song.txt");
    Press(IDC_MELODY_PLAY);
    EXPECT_EQ(
        fakes.MessageTexts(),
        (std::vector<std::string>{in / "bad.txt" + " is not a valid RTX formatted file.",
                                  "The melody cannot be played: no sound output was found."}));
    EXPECT_EQ(play->text(), "Play");
    EXPECT_EQ(fakes.played.size(), 2u);
    // Nothing is written, nothing stored.
    EXPECT_EQ(testsupport::FilesIn(in.Path()), (std::vector<std::string>{"bad.txt", "song.txt"}));
    EXPECT_EQ(dlg->m_strRtxFiles, in / "song.txt," + in / "bad.txt");
}

TEST_F(MelodyDlgTest, CancelEscAndCloseBoxDestroyTheDialog) {
    dlg->show();
    Press(IDCANCEL);
    apptest::FlushDeferredDeletes();
    EXPECT_TRUE(dlg.isNull());

    QPointer<CMelodyDlg> esc = new CMelodyDlg;
    ASSERT_TRUE(esc->CreateModeless(nullptr));
    esc->show();
    QTest::keyClick(esc, Qt::Key_Escape);
    apptest::FlushDeferredDeletes();
    EXPECT_TRUE(esc.isNull());

    QPointer<CMelodyDlg> closed = new CMelodyDlg;
    ASSERT_TRUE(closed->CreateModeless(nullptr));
    closed->show();
    closed->close();
    apptest::FlushDeferredDeletes();
    EXPECT_TRUE(closed.isNull());
}
