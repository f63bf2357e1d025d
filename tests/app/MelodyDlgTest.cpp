#include "app/MelodyDlg.h"
#include "DesktopFakes.h"
#include "app/DialogControls.h"
#include "app/HelpWindow.h"
#include "app/Resources.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
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
    EXPECT_EQ(apptest::Shown(Check(IDC_MELODY_CHECK_HEADER)), "Include header information.");
    EXPECT_TRUE(Check(IDC_MELODY_CHECK_HEADER)->isChecked());
    EXPECT_TRUE(Check(IDC_MELODY_TARGET1)->isChecked());
    EXPECT_FALSE(Check(IDC_MELODY_TARGET2)->isChecked());
    EXPECT_TRUE(apptest::Shown(Check(IDC_MELODY_TARGET1)).startsWith("(1) Corvane "));
    EXPECT_TRUE(apptest::Shown(Check(IDC_MELODY_TARGET2)).startsWith("(2) Corvane "));
    for (const auto& [id, caption] : {std::pair{IDC_MELODY_BROWSE_INPUT, "Browse"},
                                      {IDC_MELODY_BROWSE_OUTPUT, "Browse"},
                                      {IDC_MELODY_CONVERT, "Convert"},
                                      {IDCANCEL, "Cancel"},
                                      {IDC_MELODY_HELP, "Help"},
                                      {IDC_MELODY_PLAY, "Play"}})
        EXPECT_EQ(apptest::Shown(Control<QPushButton>(dlg, id)), caption);

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

    // A name holding "," would split in two: it is refused, and named.
    fakes.openAnswers = {std::vector<std::string>{"/in/a,b.txt", "/in/c.txt"},
                         std::vector<std::string>{"/in/x,y.txt"}};
    Press(IDC_MELODY_BROWSE_INPUT);
    EXPECT_EQ(Edit(IDC_MELODY_RTX_FILES)->text(), "/in/c.txt");
    Press(IDC_MELODY_BROWSE_INPUT);
    EXPECT_EQ(Edit(IDC_MELODY_RTX_FILES)->text(), "/in/c.txt");
    const char* const kComma =
        " cannot be converted: its name holds a comma, which separates the files of the list.";
    EXPECT_EQ(fakes.MessageTexts(), (std::vector<std::string>{std::string("/in/a,b.txt") + kComma,
                                                              std::string("/in/x,y.txt") + kComma}));
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
    EXPECT_EQ(fakes.messages.back().owner, dlg.data()); // centred on the dialog
    EXPECT_TRUE(fakes.messages.back().final);

    // Again: the replace dialog asks once, and Replace All answers for the
    // batch; the last box's Open Folder shows the output folder.
    fakes.finalAnswers = {FinalChoice::OpenFolder, FinalChoice::ShowLog};
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
    ASSERT_EQ(fakes.openedUrls.size(), 1u);
    EXPECT_EQ(fakes.openedUrls[0].toLocalFile().toStdString(), work / "out");

    // A fresh click asks again; Cancel keeps the old files.
    WriteFile(work / "out/tune.em1", "old");
    {
        const ModalAnswerer answerer(
            [](QWidget* modal) { Control<QPushButton>(modal, IDCANCEL)->click(); });
        Press(IDC_MELODY_CONVERT);
        EXPECT_EQ(answerer.Answered(), 2); // tune.em1 and tune.em2
    }
    EXPECT_EQ(ReadFile(work / "out/tune.em1"), "old");
    // Show Log: the log in the program's own viewer, at its newest entry.
    CHelpWindow* log = CHelpWindow::Find(program / "MelodyConverter.log");
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_TRUE(log->Viewer()->toPlainText().endsWith("Status: Cancelled\n\n"));
    log->close();
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
    // The box says so once the progress window has gone, and the log ends
    // with the files never reached.
    const std::string left = std::to_string(kFiles - done);
    EXPECT_EQ(fakes.MessageTexts(),
              std::vector<std::string>{"Stopped: " + std::to_string(done) +
                                       " of 5000 files converted; " + left + " not converted."});
    EXPECT_TRUE(fakes.messages[0].final);
    EXPECT_FALSE(fakes.messages[0].windows.contains("Converting melodies"));
    EXPECT_TRUE(log.ends_with("Status: Success\r\n\r\nStopped by the user: " + left +
                              " files not converted.\r\n\r\n"));
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
    const std::string log = ReadFile(program / "MelodyConverter.log");
    const int done = Occurrences(log, "Converting: ");
    EXPECT_LT(done, 500);
    // Nothing was asked: the batch stopped as with Stop.
    EXPECT_EQ(fakes.MessageTexts(),
              std::vector<std::string>{"Stopped: " + std::to_string(done) +
                                       " of 500 files converted; " + std::to_string(500 - done) +
                                       " not converted."});
    EXPECT_NE(log.find("Stopped by the user: " + std::to_string(500 - done) + " files"),
              std::string::npos);
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
    // the input field it brings the files directly inside it, by name.
    apptest::DropUrls(output, {file("out")});
    EXPECT_EQ(output->text().toStdString(), work / "out/");
    output->clear();
    apptest::DropUrls(dlg, {QUrl::fromLocalFile(QString::fromStdString(work / "out/"))});
    EXPECT_EQ(output->text().toStdString(), work / "out/");
    std::filesystem::create_directories(work / "tunes/sub");
    for (const char* name : {"tunes/b.txt", "tunes/a.rtx", "tunes/.hidden", "tunes/sub/c.txt"})
        WriteFile(work / name, "Tune::c\n");
    apptest::DropUrls(input, {file("tunes")});
    const std::string tunes = work / "tunes/a.rtx," + work / "tunes/b.txt";
    EXPECT_EQ(input->text().toStdString(), tunes);
    EXPECT_TRUE(fakes.messages.empty());

    // A name holding the list's "," is left out, and named; a folder with
    // no files, or anything not on this computer, refuses the drop whole.
    EXPECT_EQ(apptest::DropUrls(input, {file("x,y.txt"), file("f.txt")}, Qt::ControlModifier),
              Qt::CopyAction);
    EXPECT_EQ(input->text().toStdString(), tunes + "," + (work / "f.txt"));
    for (const QUrl& away : {QUrl("https://example.org/tune.txt"), QUrl("file://server/tune.txt")})
        EXPECT_EQ(apptest::DropUrls(dlg, {file("f.txt"), away}), Qt::IgnoreAction);
    std::filesystem::create_directory(work / "empty");
    for (const char* nothing : {"empty", "a,b.txt"})
        EXPECT_EQ(apptest::DropUrls(input, {file(nothing)}), Qt::IgnoreAction) << nothing;
    QApplication::processEvents(); // the messages follow the drops
    EXPECT_EQ(input->text().toStdString(), tunes + "," + (work / "f.txt"));
    EXPECT_EQ(fakes.MessageTexts(),
              (std::vector<std::string>{
                  work / "x,y.txt" + " cannot be converted: its name holds a comma, which "
                                     "separates the files of the list.",
                  "Only files on this computer can be converted. This is not one of them:\n"
                  "https://example.org/tune.txt",
                  "Only files on this computer can be converted. This is not one of them:\n"
                  "file://server/tune.txt",
                  "The folder " + (work / "empty") + " holds no files.",
                  work / "a,b.txt" + " cannot be converted: its name holds a comma, which "
                                     "separates the files of the list."}));
    EXPECT_EQ(fakes.messages[0].caption, "Quillmere");
    EXPECT_EQ(fakes.messages[0].owner, dlg.data());
}

TEST_F(MelodyDlgTest, HelpOpensTheHelpFileOrTheGuideAtTopic22) {
    const std::string guide = program / "Help/VERErezozedi.html";
    Press(IDC_MELODY_HELP);
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_NE(fakes.messages[0].text.find(guide), std::string::npos);
    EXPECT_TRUE(fakes.openedUrls.empty());

    // The guide in the program's own help window, at the melody section,
    // with or without a browser; F1 opens it too.
    std::filesystem::create_directory(program / "Help");
    WriteFile(guide, "<html><body><a href=\"#21\">pictures</a><h2 id=\"22\">Melodies</h2>"
                     "<p>Play the tune. Play it again.</p><h2 id=\"21\">Pictures</h2></body></html>");
    fakes.urlOpenerSucceeds = false;
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    CHelpWindow* help = CHelpWindow::Find(guide);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Viewer()->source().fragment(), "22");
    Press(IDC_MELODY_HELP);
    EXPECT_EQ(CHelpWindow::Find(guide), help); // the same window again
    EXPECT_TRUE(fakes.openedUrls.empty());

    // Its search finds each occurrence in turn, round again, or says so.
    help->SearchField()->setText("play");
    EXPECT_TRUE(help->FindNext());
    const int first = help->Viewer()->textCursor().selectionStart();
    EXPECT_TRUE(help->FindNext());
    EXPECT_GT(help->Viewer()->textCursor().selectionStart(), first);
    EXPECT_TRUE(help->FindNext());
    EXPECT_EQ(help->Viewer()->textCursor().selectionStart(), first);
    help->SearchField()->setText("trumpet");
    EXPECT_FALSE(help->FindNext());
    // Links within the guide are followed; Open in Browser keeps the section
    // and, with no browser, says so.
    emit help->Viewer()->anchorClicked(QUrl("#21"));
    EXPECT_EQ(help->Viewer()->source().fragment(), "21");
    help->OnOpenOutside();
    ASSERT_EQ(fakes.openedUrls.size(), 1u);
    EXPECT_EQ(fakes.openedUrls[0].toLocalFile().toStdString(), guide);
    EXPECT_EQ(fakes.openedUrls[0].fragment(), "21");
    ASSERT_EQ(fakes.messages.size(), 2u);
    EXPECT_EQ(fakes.messages[1].text, "No web browser could be started to show " + guide +
                                          ". The guide stays here, in Quillmere's help window.");
    help->close();
    fakes.urlOpenerSucceeds = true;

    WriteFile(program / "Help/VERErezozedi.hlp", "help");
    Press(IDC_MELODY_HELP);
    ASSERT_EQ(fakes.openedUrls.size(), 2u);
    EXPECT_EQ(fakes.openedUrls[1].toLocalFile().toStdString(), program / "Help/VERErezozedi.hlp");

    fakes.urlOpenerSucceeds = false;
    Press(IDC_MELODY_HELP);
    ASSERT_EQ(fakes.messages.size(), 3u);
    EXPECT_NE(fakes.messages[2].text.find("VERErezozedi.hlp"), std::string::npos);
}

TEST_F(MelodyDlgTest, PlayPlaysTheFirstFileForTheFirstCheckedTargetAndStops) {
    const TempDir in;
    WriteFile(in / "song.txt", "S:b=60:4c,4p,4c6");
    WriteFile(in / "bad.txt", "not a ringtone");
    auto* play = Control<QPushButton>(dlg, IDC_MELODY_PLAY);
    Press(IDC_MELODY_PLAY); // nothing listed yet
    Type(IDC_MELODY_RTX_FILES, in / "song.txt," + in / "bad.txt");
    Press(IDC_MELODY_PLAY);
    // Target 1 writes no beat: three quarters at 120 beats, 1.5 s.
    ASSERT_EQ(fakes.played.size(), 1u);
    EXPECT_EQ(fakes.played[0].samples, 66150u);
    EXPECT_EQ(fakes.played[0].sampleRate, 44100);
    EXPECT_EQ(apptest::Shown(play), "Stop");
    Press(IDC_MELODY_PLAY);
    EXPECT_FALSE(fakes.Playing());
    EXPECT_EQ(apptest::Shown(play), "Play");

    // Target 2 alone: its beat of 60, played to the end.
    Check(IDC_MELODY_TARGET1)->click();
    Check(IDC_MELODY_TARGET2)->click();
    Press(IDC_MELODY_PLAY);
    ASSERT_EQ(fakes.played.size(), 2u);
    EXPECT_EQ(fakes.played[1].samples, 132300u);
    fakes.PlayingEnds();
    EXPECT_EQ(apptest::Shown(play), "Play");
    EXPECT_EQ(fakes.MessageTexts(),
              std::vector<std::string>{"Choose or type a melody file first."});
    fakes.messages.clear();

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
    EXPECT_EQ(apptest::Shown(play), "Play");
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
