#include "cli/Commands.h"

#include "support/Pictures.h"
#include "support/RecordingUi.h"
#include "support/SubmitPdus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using testsupport::ReadFile;
using testsupport::Rows;
using testsupport::WriteFile;

TEST(PictureCommand, EachFileIsOneNameAndMessagesGoToStandardError) {
    testsupport::TempDir in, out, logs;
    WriteFile(in / "a,b.txt", Rows(14));
    WriteFile(in / "c.ota", "00480E01" + Rows(14));
    testing::internal::CaptureStderr();
    const int status = cli::RunPictureCommand({in / "a,b.txt", "-o", out.Path().string(),
                                               in / "c.ota", "--log-dir", logs.Folder(), "--png"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ZEV Urur Orarodude: Operator logo without header found! width=72 height=14 "
              "colors=1\n"
              "ZEV Urur Orarodude: Conversion completed!\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(out / "a,b.lgo"), Rows(14));
    EXPECT_EQ(ReadFile(out / "c.lgo"), Rows(14));
    EXPECT_EQ(ReadFile(out / "c.png"), imaging::EncodePng(testsupport::RowsImage(14)));
    EXPECT_NE(ReadFile(logs / "PictureConverter.log").find("Converting : " + in / "c.ota"),
              std::string::npos);
}

TEST(PictureCommand, ExitStatusTellsFailuresAndUsageErrors) {
    testsupport::TempDir in, out;
    WriteFile(in / "bad.txt", "not a picture");
    WriteFile(in / "good.txt", Rows(28));
    testsupport::RecordingPresenter messages;
    EXPECT_EQ(cli::RunPictureCommand({"-o", out.Folder(), "--log-dir", out.Folder(),
                                      in / "good.txt", in / "missing.txt"}),
              1);
    EXPECT_EQ(ReadFile(out / "good.lgo").size(), 602u);
    EXPECT_EQ(cli::RunPictureCommand(
                  {"-o", out.Folder(), "--log-dir", out.Folder(), "--", in / "bad.txt"}),
              1);
    // A log that cannot be opened does not change the status.
    EXPECT_EQ(
        cli::RunPictureCommand({"-o", out.Folder(), "--log-dir", in / "no/such", "--replace=all",
                                in / "good.txt"}),
        0);
    EXPECT_EQ(messages.events.back(), testsupport::Box("Conversion completed!"));
    // Without -o the output goes to the current folder.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(in.Path());
    EXPECT_EQ(cli::RunPictureCommand({"good.txt", "--log-dir", out.Folder()}), 0);
    std::filesystem::current_path(previous);
    EXPECT_EQ(ReadFile(in / "good.lgo").size(), 602u);

    // The AT+CMGS length of every line of every PDU file written.
    testing::internal::CaptureStdout();
    EXPECT_EQ(cli::RunPictureCommand({"--pdu=+4912345", "-o", out.Folder(), "--log-dir",
                                      out.Folder(), "--replace", "all", in / "good.txt",
                                      in / "bad.txt"}),
              1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              out / "good.pdu" + ": AT+CMGS=141 AT+CMGS=137 AT+CMGS=53\n");

    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::RunPictureCommand({}), 2);
    EXPECT_EQ(cli::RunPictureCommand({"--bogus", in / "good.txt"}), 2);
    EXPECT_EQ(cli::RunPictureCommand({in / "good.txt", "-o"}), 2);
    EXPECT_EQ(cli::RunPictureCommand({"--log-dir", "", in / "good.txt"}), 2);
    EXPECT_EQ(cli::RunPictureCommand({"--log-dir=", in / "good.txt"}), 2);
    for (const std::string& bad : testsupport::kBadNumbers)
        EXPECT_EQ(cli::RunPictureCommand({"-o", out.Folder(), "--pdu", bad, in / "good.txt"}), 2)
            << bad;
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "emsconv picture: --pdu needs a number of 1 to 20 digits, with an optional "
                  "leading \"+\", not '1+2'\n\nUsage: emsconv picture"),
              std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_EQ(cli::RunPictureCommand({"--help"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("emsconv picture"), std::string::npos);
}
