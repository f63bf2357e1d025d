#include "picture/PictureBatch.h"

#include "picture/LogoReader.h"
#include "picture/PicturePng.h"
#include "platform/TextFile.h"
#include "support/FaultyFiles.h"
#include "support/Pictures.h"
#include "support/RecordingUi.h"
#include "support/SubmitPdus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using namespace picture;
using testsupport::Box;
using testsupport::ReadFile;
using testsupport::Rows;
using testsupport::WriteFile;

namespace {

// The log as written, with CR LF read back as "\n" and each time as "<time>".
std::string LogOf(const testsupport::TempDir& dir) {
    return testsupport::Untimed(platform::CrlfToLf(ReadFile(dir / "PictureConverter.log")));
}

std::string Drawing(int rows) {
    std::string drawing;
    for (int r = 0; r < rows; ++r) {
        if (r > 0)
            drawing += '\n';
        const std::string bits =
            PictureBits(Rows(rows).substr(static_cast<std::size_t>(r) * 18, 18));
        for (const char bit : bits)
            drawing += bit == '1' ? '*' : ' ';
    }
    return drawing;
}

} // namespace

TEST(PictureBatch, HeaderlessLogoGivesNoticeReportOutputAndDrawing) {
    testsupport::TempDir in, out, app;
    const std::string logo = in / "logo.txt";
    WriteFile(logo, Rows(14));
    testsupport::RecordingUi messages;
    const PictureBatchSummary summary = RunPictureBatch(messages, logo, out.Folder(), app.Folder());
    EXPECT_EQ(summary.converted, 1u);
    EXPECT_EQ(summary.failed, 0u);
    EXPECT_EQ(messages.events,
              (std::vector<std::string>{
                  Box("Operator logo without header found! width=72 height=14 colors=1"),
                  Box("Conversion completed!")}));
    EXPECT_EQ(ReadFile(out / "logo.lgo"), Rows(14));
    EXPECT_EQ(LogOf(app), "Converting : " + logo + " : <time>" +
                              "Operator logo without header found! width=72 height=14 colors=1\n" +
                              Drawing(14) + "\n\n\n");
}

TEST(PictureBatch, ListNamesFailuresAndFormsInOrder) {
    testsupport::TempDir in, out, app;
    WriteFile(in / "big.ota", "00481C01" + Rows(28));
    WriteFile(in / "small.ota", "00480E01" + Rows(14));
    WriteFile(in / "bad.txt", Rows(14) + "\n");
    WriteFile(app / "PictureConverter.log", "earlier\r\n");
    testsupport::RecordingUi messages;
    const std::string list = in / "missing.txt" + "," + in / "big.ota" + "," + in / "bad.txt" +
                             "," + in / "small.ota" + ",";
    const PictureBatchSummary summary = RunPictureBatch(messages, list, out.Folder(), app.Folder());
    EXPECT_EQ(summary.converted, 2u);
    EXPECT_EQ(summary.failed, 3u);
    EXPECT_EQ(messages.events, (std::vector<std::string>{Box("Error! Input file not found!"),
                                                         Box("Error! Not a valid Picture!"),
                                                         Box("Error! Input file not found!"),
                                                         Box("Conversion completed!")}));
    EXPECT_EQ(ReadFile(out / "big.lgo").size(), 602u);
    EXPECT_EQ(ReadFile(out / "small.lgo"), Rows(14)); // no three-part form carried over
    EXPECT_FALSE(std::filesystem::exists(out / "bad.lgo"));
    EXPECT_EQ(LogOf(app), "earlier\n" + in / "missing.txt" + "Error! Input file not found!" +
                              "Converting : " + in / "big.ota" + " : <time>" +
                              "Ota Bitmap found: OTA BitMap width=72 height=28 colors=1\n" +
                              Drawing(28) + "\n\n\n" + "Converting : " + in / "bad.txt" +
                              " : <time>" + "Error! Not a valid Picture! \n" +
                              "Converting : " + in / "small.ota" + " : <time>" +
                              "Ota bitmap found: OTA BitMap width=72 height=14 colors=1\n" +
                              Drawing(14) + "\n\n\n" + "Error! Input file not found!");
}

TEST(PictureBatch, OutputThatCannotBeWrittenIsReportedWithoutDrawing) {
    testsupport::TempDir in, app;
    WriteFile(in / "a.ota", "00480E01" + Rows(14));
    const std::string expectedLog = "Converting : " + in / "a.ota" + " : <time>" +
                                    "Ota bitmap found: OTA BitMap width=72 height=14 colors=1\n" +
                                    "Error! Could not write to file!\n\n\n\n";
    const std::vector<std::string> expectedBoxes = {Box("Error! Could not write to file! "),
                                                    Box("Conversion completed!")};
    {
        testsupport::RecordingUi messages;
        EXPECT_EQ(
            RunPictureBatch(messages, in / "a.ota", in / "no/such/folder/", app.Folder()).failed,
            1u);
        EXPECT_EQ(messages.events, expectedBoxes);
        EXPECT_EQ(LogOf(app), expectedLog);
    }
    {
        // Without a log the output's write is the first one, and the disk is full.
        testsupport::TempDir noLog, out;
        std::filesystem::create_directory(noLog / "PictureConverter.log");
        testsupport::RecordingUi messages;
        testsupport::FaultyFiles files;
        files.InjectFailure(testsupport::FileOp::Write, 1, ENOSPC);
        EXPECT_EQ(
            RunPictureBatch(messages, in / "a.ota", out.Folder(), noLog.Folder(), files).failed,
            1u);
        EXPECT_EQ(messages.events,
                  (std::vector<std::string>{Box("Error! Could not open the log file!"),
                                            expectedBoxes[0], expectedBoxes[1]}));
        EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
    }
}

TEST(PictureBatch, LogThatCannotBeOpenedIsReportedOnceAndConversionGoesOn) {
    testsupport::TempDir in, out, app;
    WriteFile(in / "a.txt", Rows(14));
    WriteFile(in / "b.txt", Rows(14));
    std::filesystem::create_directory(app / "PictureConverter.log");
    testsupport::RecordingUi messages;
    const std::string list = in / "a.txt" + "," + in / "b.txt";
    EXPECT_EQ(RunPictureBatch(messages, list, out.Folder(), app.Folder()).converted, 2u);
    const std::string notice =
        Box("Operator logo without header found! width=72 height=14 colors=1");
    EXPECT_EQ(messages.events,
              (std::vector<std::string>{Box("Error! Could not open the log file!"), notice, notice,
                                        Box("Conversion completed!")}));
    EXPECT_EQ(ReadFile(out / "a.lgo"), Rows(14));
}

TEST(PictureBatch, AnOutputNeverReplacesAnInputOfTheSameCall) {
    // x.lgo's output is x.lgo itself; a.txt's output is a.lgo, named later
    // in the same call; p.png's PNG image is p.png itself. Each is reported
    // as not written, naming the file, and stays as it was.
    testsupport::TempDir in, app;
    for (const char* name : {"x.lgo", "a.txt", "a.lgo"})
        WriteFile(in / name, Rows(14));
    const std::string png = imaging::EncodePng(testsupport::RowsImage(14));
    WriteFile(in / "p.png", png);
    testsupport::RecordingUi messages;
    const PictureBatchSummary summary =
        ConvertPictureFiles(messages, {in / "x.lgo", in / "a.txt", in / "a.lgo", in / "p.png"},
                            in.Folder(), app.Folder(), {.png = true, .pduTo = {}});
    EXPECT_EQ(summary.failed, 4u);
    const std::string notice =
        Box("Operator logo without header found! width=72 height=14 colors=1");
    const auto isInput = [&](const char* name) {
        return Box("The file: " + in / name +
                   " could not be written: it is an input of this conversion.");
    };
    EXPECT_EQ(messages.events,
              (std::vector<std::string>{notice, isInput("x.lgo"), notice, isInput("a.lgo"), notice,
                                        isInput("a.lgo"), isInput("p.png"),
                                        Box("Conversion completed!")}));
    for (const char* name : {"x.lgo", "a.txt", "a.lgo"})
        EXPECT_EQ(ReadFile(in / name), Rows(14)) << name;
    EXPECT_EQ(ReadFile(in / "p.png"), png);
}

TEST(PictureBatch, ImagesConvertAsTheirHexTwinsWithTheirPngBeside) {
    // Each file converted alone: its output, PNG, messages and log entry
    // (paths and the report line taken out; a 72x28 form's reference too).
    struct Converted {
        std::string output, png, log;
        std::vector<std::string> events;
    };
    const auto convert = [](const std::string& name, const std::string& bytes) {
        testsupport::TempDir in, out, app;
        WriteFile(in / name, bytes);
        testsupport::RecordingUi messages;
        ConvertPictureFiles(messages, {in / name}, out.Folder(), app.Folder(),
                            {.png = true, .pduTo = {}});
        Converted result{ReadFile(out / (name.substr(0, name.size() - 3) + "lgo")),
                         ReadFile(out / (name.substr(0, name.size() - 3) + "png")), LogOf(app),
                         messages.events};
        for (const std::size_t at : {6u, 268u, 522u})
            if (result.output.size() > at)
                result.output.replace(at, 2, "RR");
        const std::size_t path = result.log.find(in / name);
        const std::size_t report = result.log.find("<time>") + 6;
        result.log.erase(report, result.log.find('\n', report) - report);
        result.log.erase(path, (in / name).size());
        return result;
    };
    for (const int height : {14, 28}) {
        const imaging::MonoImage picture = testsupport::RowsImage(height);
        const Converted twin = convert("twin.txt", testsupport::UpperRows(height));
        ASSERT_EQ(twin.output.size(), height == 14 ? 252u : 602u);
        EXPECT_EQ(twin.png, PictureAsPng(RecogniseLogo(Rows(height))));
        for (const auto& [name, bytes] :
             {std::pair{"logo.png", imaging::EncodePng(picture)},
              std::pair{"logo.bmp", testsupport::AsBmp(picture, 24)},
              std::pair{"logo.pbm", testsupport::AsPbm(picture, false)}}) {
            SCOPED_TRACE(name);
            const Converted image = convert(name, bytes);
            EXPECT_EQ(image.output, twin.output);
            EXPECT_EQ(image.png, twin.png);
            EXPECT_EQ(image.log, twin.log);
            // The twin's notice tells of a missing header; an image has none.
            EXPECT_EQ(image.events,
                      std::vector<std::string>(twin.events.begin() + 1, twin.events.end()));
        }
    }
}

TEST(PictureBatch, PduFilesCarryEveryLineOfTheOutputAndNeverReplaceAnInput) {
    // keep.pdu converts to keep.lgo, but its PDU file would be itself.
    testsupport::TempDir in, app;
    WriteFile(in / "big.ota", "00481C01" + Rows(28));
    WriteFile(in / "small.txt", Rows(14));
    WriteFile(in / "keep.pdu", Rows(14));
    testsupport::RecordingUi messages;
    const PictureBatchSummary summary = ConvertPictureFiles(
        messages, {in / "big.ota", in / "small.txt", in / "keep.pdu"}, in.Folder(), app.Folder(),
        {.png = false, .pduTo = sms::ParseNumber("012")});
    EXPECT_EQ(summary.converted, 2u);
    EXPECT_EQ(summary.failed, 1u);
    const std::string notice =
        Box("Operator logo without header found! width=72 height=14 colors=1");
    EXPECT_EQ(messages.events,
              (std::vector<std::string>{notice, notice,
                                        Box("The file: " + in / "keep.pdu" +
                                            " could not be written: it is an input of this "
                                            "conversion."),
                                        Box("Conversion completed!")}));
    EXPECT_EQ(ReadFile(in / "keep.pdu"), Rows(14));
    EXPECT_FALSE(std::filesystem::exists(in / "keep.lgo"));
    ASSERT_EQ(summary.pduFiles.size(), 2u);
    EXPECT_EQ(summary.pduFiles[0].path, in / "big.pdu");
    EXPECT_EQ(summary.pduFiles[1].path, in / "small.pdu");

    // 72x28: each output line is the whole user data of one message, its
    // header and nothing after it.
    const std::vector<std::string> lines = testsupport::PduLines(ReadFile(in / "big.lgo"));
    const std::vector<std::string> big = testsupport::PduLines(ReadFile(in / "big.pdu"));
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(big.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::stoul(lines[i].substr(0, 2), nullptr, 16) + 1, lines[i].size() / 2);
        EXPECT_EQ(testsupport::ExpectSubmitPdu(big[i], "012", lines[i]),
                  summary.pduFiles[0].lengths.at(i));
    }
    EXPECT_EQ(summary.pduFiles[0].lengths, (std::vector<std::size_t>{139, 135, 51}));
    // 72x14: one message, one variable picture 9 octets wide and 14 rows high.
    const std::vector<std::string> small = testsupport::PduLines(ReadFile(in / "small.pdu"));
    ASSERT_EQ(small.size(), 1u);
    EXPECT_EQ(testsupport::ExpectSubmitPdu(small[0], "012", "83128100090E" + Rows(14)), 141u);
    EXPECT_EQ(summary.pduFiles[1].lengths, std::vector<std::size_t>{141});
}
