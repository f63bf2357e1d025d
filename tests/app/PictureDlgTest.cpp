#include "app/PictureDlg.h"
#include "DesktopFakes.h"
#include "app/DialogControls.h"
#include "app/HelpWindow.h"
#include "app/Resources.h"
#include "picture/LogoReader.h"
#include "support/Pictures.h"
#include "support/ScopedRegistry.h"
#include "support/TempDir.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <filesystem>
#include <gtest/gtest.h>

using namespace app;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

constexpr char kRenameNotice[] =
    "The EMS converted file will retain the same name as the RTX file with an .ems extension.";

class PictureDlgTest : public apptest::ConverterDlgTest<CPictureDlg> {
protected:
    TempDir work;
    testsupport::ScopedRegistry registry;
};

} // namespace

TEST_F(PictureDlgTest, FreshDialogShowsItsTextsAndEmptyFields) {
    EXPECT_EQ(dlg->windowTitle(), "Corvane EMS Picture Converter");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(dlg->windowIcon().isNull());
    QStringList labels;
    for (const QLabel* label : dlg->findChildren<QLabel*>())
        labels << apptest::Shown(label);
    EXPECT_TRUE(labels.contains("Smart Messaging File/s:"));
    EXPECT_TRUE(labels.contains("EMS output directory:"));
    EXPECT_TRUE(labels.contains(
        "Please select the SmartMessaging logo file you wish to convert by specifying a valid "
        "file path or browsing to the appropriate file. NOTE: The file must have a \".txt\" or "
        "\".ota\" extension."));
    EXPECT_TRUE(Edit(IDC_PICTURE_LOGO_FILES)->text().isEmpty());
    EXPECT_TRUE(Edit(IDC_PICTURE_OUTPUT_DIR)->text().isEmpty());
    for (const auto& [id, caption] : {std::pair{IDC_PICTURE_BROWSE_INPUT, "Browse"},
                                      {IDC_PICTURE_BROWSE_OUTPUT, "Browse"},
                                      {IDC_PICTURE_CONVERT, "Convert"},
                                      {IDC_PICTURE_CANCEL, "Cancel"},
                                      {IDC_PICTURE_HELP, "Help"}})
        EXPECT_EQ(apptest::Shown(Control<QPushButton>(dlg, id)), caption);
    EXPECT_EQ(
        apptest::TabOrder(dlg, Edit(IDC_PICTURE_LOGO_FILES), 7),
        (std::vector<int>{IDC_PICTURE_LOGO_FILES, IDC_PICTURE_BROWSE_INPUT, IDC_PICTURE_OUTPUT_DIR,
                          IDC_PICTURE_BROWSE_OUTPUT, IDC_PICTURE_CONVERT, IDC_PICTURE_CANCEL,
                          IDC_PICTURE_HELP, IDC_PICTURE_LOGO_FILES}));

    // Dropped from a file manager: files make the list, a folder the output.
    apptest::DropUrls(dlg, {QUrl::fromLocalFile("/in/a.ota"), QUrl::fromLocalFile("/in/b.ota")});
    apptest::DropUrls(dlg, {QUrl::fromLocalFile(QString::fromStdString(work.Folder()))});
    EXPECT_EQ(Edit(IDC_PICTURE_LOGO_FILES)->text(), "/in/a.ota,/in/b.ota");
    EXPECT_EQ(Edit(IDC_PICTURE_OUTPUT_DIR)->text().toStdString(), work.Folder());
}

TEST_F(PictureDlgTest, ConvertChecksTheInputFieldFirstThenTheOutputField) {
    Press(IDC_PICTURE_CONVERT);
    Type(IDC_PICTURE_LOGO_FILES, "/in/logo.ota");
    Press(IDC_PICTURE_CONVERT);
    ASSERT_EQ(fakes.messages.size(), 2u);
    EXPECT_EQ(fakes.messages[0].text, "Please specify a valid file to convert.");
    EXPECT_EQ(fakes.messages[1].text,
              "Please specify a valid file location to save the generated file to.");
    for (const auto& message : fakes.messages) {
        EXPECT_EQ(message.caption, "Corvane EMS Converter");
        EXPECT_EQ(message.owner, dlg.data());
    }
    EXPECT_FALSE(std::filesystem::exists(registry.Path()));
}

TEST_F(PictureDlgTest, OutputBrowseTakesTheFolderAndWarnsOfAnotherName) {
    fakes.saveAnswers = {std::nullopt, "/d/pics/a.txt", "/d/pics/b.txt"};
    Type(IDC_PICTURE_LOGO_FILES, "/in/a.txt");
    Type(IDC_PICTURE_OUTPUT_DIR, "/kept");
    Press(IDC_PICTURE_BROWSE_OUTPUT); // cancelled
    EXPECT_EQ(Edit(IDC_PICTURE_OUTPUT_DIR)->text(), "/kept");
    EXPECT_TRUE(fakes.messages.empty());

    Press(IDC_PICTURE_BROWSE_OUTPUT); // the proposed name accepted
    EXPECT_EQ(fakes.saveRequests.back().proposedName, "a.txt");
    EXPECT_EQ(Edit(IDC_PICTURE_OUTPUT_DIR)->text(), "/d/pics/");
    EXPECT_TRUE(fakes.messages.empty());

    Press(IDC_PICTURE_BROWSE_OUTPUT); // another name typed
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].text, kRenameNotice);
    EXPECT_EQ(fakes.messages[0].caption, "Corvane EMS Converter");
    EXPECT_EQ(Edit(IDC_PICTURE_OUTPUT_DIR)->text(), "/d/pics/");
    EXPECT_EQ(Edit(IDC_PICTURE_LOGO_FILES)->text(), "/in/a.txt");
}

TEST_F(PictureDlgTest, PreviewShowsTheFirstListedPictureOrTheReadersError) {
    WriteFile(work / "logo.png", imaging::EncodePng(testsupport::RowsImage(14)));
    WriteFile(work / "big.ota", "00481C01" + testsupport::Rows(28));
    WriteFile(work / "bad.txt", "nope");
    const auto* picture = Control<QLabel>(dlg, IDC_PICTURE_PREVIEW);
    const auto* text = Control<QLabel>(dlg, IDC_PICTURE_PREVIEW_TEXT);
    EXPECT_TRUE(text->text().isEmpty());

    Type(IDC_PICTURE_LOGO_FILES, work / "logo.png," + work / "bad.txt");
    EXPECT_EQ(text->text(), "PNG image found! width=72 height=14 colors=1");
    // Each cell a 4 x 4 square, dark exactly where the drawing has a "*".
    const QImage shown = picture->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(288, 56));
    const std::string bits = picture::PictureBits(testsupport::Rows(14));
    for (int y = 0; y < 56; ++y)
        for (int x = 0; x < 288; ++x)
            ASSERT_EQ(shown.pixelColor(x, y) == Qt::black, bits[y / 4 * 72 + x / 4] == '1')
                << x << "," << y;

    Type(IDC_PICTURE_LOGO_FILES, work / "bad.txt");
    EXPECT_EQ(text->text(), "Error! Not a valid Picture!");
    EXPECT_TRUE(picture->pixmap().isNull());
    Type(IDC_PICTURE_LOGO_FILES, work / "missing.txt");
    EXPECT_EQ(text->text(), "Error! Input file not found!");

    // The input Browse offers the images too; what it fills in is shown.
    fakes.openAnswers = {std::vector<std::string>{work / "big.ota"}};
    Press(IDC_PICTURE_BROWSE_INPUT);
    EXPECT_EQ(fakes.openFilters.back(),
              (std::vector<std::string>{"Pictures and images (*.txt *.ota *.png *.bmp *.pbm)",
                                        "All Files (*)"}));
    EXPECT_EQ(text->text(), "Ota Bitmap found: OTA BitMap width=72 height=28 colors=1");
    EXPECT_EQ(picture->pixmap().size(), QSize(288, 112));
}

TEST_F(PictureDlgTest, UnregisteredComponentGivesTheInternalError) {
    Type(IDC_PICTURE_LOGO_FILES, "/in/logo.ota");
    Type(IDC_PICTURE_OUTPUT_DIR, "/out");
    Press(IDC_PICTURE_CONVERT);
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].text, "Internal error: Could not create Logo Converter object.");
    EXPECT_EQ(fakes.messages[0].caption, "Quillmere");
    EXPECT_EQ(dlg->m_strOutputDir, "/out/");
    EXPECT_FALSE(fakes.messages[0].busyCursor);
    EXPECT_TRUE(Control<QPushButton>(dlg, IDC_PICTURE_CONVERT)->isEnabled());
}

TEST_F(PictureDlgTest, ConvertCreatesTheRegisteredComponentAndWritesThePictures) {
    ASSERT_TRUE(testsupport::RegisterModule(PELLUMO_MODULE));
    std::filesystem::create_directory(work / "in");
    std::filesystem::create_directory(work / "out");
    std::filesystem::copy_file(SAMPLES_DIR "/pictures/ota_bitmap_72x14.ota", work / "in/logo.ota");
    std::filesystem::copy_file(SAMPLES_DIR "/pictures/ota_bitmap_72x28.ota",
                               work / "in/message.ota");
    fakes.openAnswers = {std::vector<std::string>{work / "in/logo.ota", work / "in/message.ota"}};
    Press(IDC_PICTURE_BROWSE_INPUT);
    Type(IDC_PICTURE_OUTPUT_DIR, work / "out"); // no trailing "/"
    Press(IDC_PICTURE_CONVERT);

    EXPECT_EQ(ReadFile(work / "out/logo.lgo").size(), 252u);
    EXPECT_NE(ReadFile(work / "out/message.lgo").find("810003"), std::string::npos);
    EXPECT_NE(ReadFile(program / "PictureConverter.log").find("logo.ota"), std::string::npos);
    ASSERT_FALSE(fakes.messages.empty());
    EXPECT_EQ(fakes.messages.back().text, "Conversion completed!");
    EXPECT_EQ(fakes.messages.back().caption, "ZEV Urur Orarodude"); // the component's own box,
    EXPECT_EQ(fakes.messages.back().owner, dlg.data()); // centred on the dialog
    EXPECT_TRUE(fakes.messages.back().final);
    EXPECT_TRUE(fakes.messages.back().busyCursor); // shown during the component call
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Each click creates its own object again; Show Log shows the picture log.
    const std::size_t shown = fakes.messages.size();
    fakes.finalAnswers = {FinalChoice::ShowLog};
    Press(IDC_PICTURE_CONVERT);
    EXPECT_EQ(fakes.messages.size(), 2 * shown);
    CHelpWindow* log = CHelpWindow::Find(program / "PictureConverter.log");
    ASSERT_NE(log, nullptr);
    EXPECT_NE(log->Viewer()->toPlainText().indexOf("message.ota"), -1);
    log->close();
}

TEST_F(PictureDlgTest, HelpOpensTheGuideAtTopic21AndCancelDestroysTheDialog) {
    std::filesystem::create_directory(program / "Help");
    WriteFile(program / "Help/VERErezozedi.html", "<html></html>");
    Press(IDC_PICTURE_HELP);
    CHelpWindow* help = CHelpWindow::Find(program / "Help/VERErezozedi.html");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->Viewer()->source().fragment(), "21");
    help->close();

    dlg->show();
    Press(IDC_PICTURE_CANCEL);
    apptest::FlushDeferredDeletes();
    EXPECT_TRUE(dlg.isNull());
}
