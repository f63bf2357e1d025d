// Failing file systems made by real means: the output folder removed while a
// batch runs, a read-only log, logs that are a pipe, a device or a folder, a
// small file system that fills up, and names holding a zero byte. Both
// batches go on, tell the user, and never leave a half-written file.

#include "PrivateMount.h"

#include "imaging/Image.h"
#include "picture/PictureBatch.h"
#include "picture/PictureFormat.h"
#include "melody/MelodyConverter.h"
#include "platform/TextFile.h"
#include "support/Pictures.h"
#include "support/Messages.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using testsupport::kMelodyCaption;
using testsupport::kMelodyComplete;
using testsupport::kMelodyLogFailed;
using testsupport::kOperatorLogoNotice;

using testsupport::FilesIn;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;


std::string Logo() {
    return std::string(252, 'A');
}

std::string Written(const std::string& path) {
    return "The file: " + path + " could not be written.";
}

TEST(RealFaults, OutputFolderRemovedWhileTheMelodyBatchRuns) {
    TempDir in, logs;
    TempDir parent;
    const std::string out = parent / "out/";
    std::filesystem::create_directory(out);
    WriteFile(in / "a.txt", "A::8c");
    WriteFile(in / "b.txt", "B::8d");
    WriteFile(out + "a.em1", "old");
    testsupport::RecordingUi user;
    user.whenNoAnswer = ReplaceAnswer::Replace;
    user.onEvent = [&](const std::string& event) {
        if (event.rfind("ASK ", 0) == 0)
            std::filesystem::remove_all(out);
    };
    CMelodyConverter converter(user, logs.Folder());
    converter.ConvertMelodies(in / "a.txt" + "," + in / "b.txt", out, 0, 1, 1);

    EXPECT_EQ(user.events, (std::vector<std::string>{
                               "ASK The file: " + out +
                                   "a.em1 already exists, would you like to "
                                   "replace it?",
                               // the new name is made before the old file is replaced
                               kMelodyCaption + Written(out + "a.hx1"),
                               kMelodyCaption + Written(out + "a.em2"),
                               kMelodyCaption + Written(out + "b.em1"),
                               kMelodyCaption + Written(out + "b.em2"),
                               kMelodyComplete,
                           }));
    const std::string log = testsupport::Untimed(ReadFile(logs / "MelodyConverter.log"));
    std::string expected;
    for (const char* entry :
         {"a.txt Status: Failed - The file: OUTa.hx1", "a.txt Status: Failed - The file: OUTa.em2",
          "b.txt Status: Failed - The file: OUTb.em1",
          "b.txt Status: Failed - The file: OUTb.em2"}) {
        std::string line = std::string("<time>Converting: ") + in.Folder() + entry;
        line.replace(line.find("OUT"), 3, out);
        expected += line + " could not be written.\r\n\r\n";
    }
    EXPECT_EQ(log, expected);
    EXPECT_EQ(converter.Counts().failed, 4);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(RealFaults, OutputFolderRemovedWhileThePictureBatchRuns) {
    TempDir in, app, parent;
    const std::string out = parent / "out/";
    std::filesystem::create_directory(out);
    WriteFile(in / "a.txt", Logo());
    WriteFile(in / "b.txt", Logo());
    testsupport::RecordingUi messages;
    messages.onEvent = [&](const std::string& event) {
        if (event == "ZEV Urur Orarodude: " + kOperatorLogoNotice)
            std::filesystem::remove_all(out);
    };
    const picture::PictureBatchSummary summary =
        picture::RunPictureBatch(messages, in / "a.txt" + "," + in / "b.txt", out, app.Folder());
    EXPECT_EQ(summary.converted, 0u);
    EXPECT_EQ(summary.failed, 2u);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{kOperatorLogoNotice, "Error! Could not write to file! ",
                                                        kOperatorLogoNotice, "Error! Could not write to file! ",
                                                        "Conversion completed!"}));
    const std::string log = ReadFile(app / "PictureConverter.log");
    const std::string failure = "Error! Could not write to file!\r\n\r\n\r\n\r\n";
    std::size_t failures = 0;
    for (std::size_t at = log.find(failure); at != std::string::npos;
         at = log.find(failure, at + 1))
        ++failures;
    EXPECT_EQ(failures, 2u);
    EXPECT_EQ(log.find('*'), std::string::npos) << "no drawing for a picture not written";
}

TEST(RealFaults, ReadOnlyLogsAreReportedAndLeftAsTheyWere) {
    TempDir in, out, logs;
    WriteFile(in / "a.txt", "A::8c");
    WriteFile(in / "a.ota", Logo());
    WriteFile(logs / "MelodyConverter.log", "earlier melody\r\n");
    WriteFile(logs / "PictureConverter.log", "earlier picture\r\n");
    ::chmod((logs / "MelodyConverter.log").c_str(), 0444);
    ::chmod((logs / "PictureConverter.log").c_str(), 0444);

    testsupport::RecordingUi user;
    user.whenNoAnswer = ReplaceAnswer::Replace;
    CMelodyConverter converter(user, logs.Folder());
    converter.ConvertMelodies(in / "a.txt", out.Folder(), 1, 1, 1);
    EXPECT_EQ(user.events, (std::vector<std::string>{kMelodyLogFailed, kMelodyComplete}));
    EXPECT_EQ(ReadFile(logs / "MelodyConverter.log"), "earlier melody\r\n");
    EXPECT_TRUE(converter.AllSucceeded());

    testsupport::RecordingUi messages;
    WriteFile(in / "b.ota", Logo());
    EXPECT_EQ(picture::RunPictureBatch(messages, in / "a.ota" + "," + in / "b.ota", out.Folder(),
                                        logs.Folder())
                  .converted,
              2u);
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"Error! Could not open the log file!", kOperatorLogoNotice, kOperatorLogoNotice,
                                        "Conversion completed!"}));
    EXPECT_EQ(ReadFile(logs / "PictureConverter.log"), "earlier picture\r\n");
    EXPECT_EQ(FilesIn(out.Path()),
              (std::vector<std::string>{"a.em1", "a.em2", "a.hx1", "a.hx2", "a.lgo", "b.lgo"}));
}

TEST(RealFaults, LogsThatAreNoRegularFileAreRefusedWithoutWaitingAndConversionGoesOn) {
    TempDir in;
    WriteFile(in / "a.txt", "A::8c");
    WriteFile(in / "a.ota", Logo());
    // Each kind of thing standing where the logs go: a pipe without a reader
    // made both batches wait forever, a device took the entries.
    const std::vector<std::pair<std::string, std::function<void(const std::string&)>>> kinds = {
        {"pipe", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"device",
         [](const std::string& path) { std::filesystem::create_symlink("/dev/full", path); }},
        {"folder", [](const std::string& path) { std::filesystem::create_directory(path); }},
    };
    for (const auto& [kind, make] : kinds) {
        SCOPED_TRACE(kind);
        TempDir out, logs;
        make(logs / "MelodyConverter.log");
        make(logs / "PictureConverter.log");

        testsupport::RecordingUi user;
        user.whenNoAnswer = ReplaceAnswer::Replace;
        CMelodyConverter converter(user, logs.Folder());
        converter.ConvertMelodies(in / "a.txt", out.Folder(), 0, 1, 0);
        EXPECT_EQ(user.events, (std::vector<std::string>{kMelodyLogFailed, kMelodyComplete}));
        EXPECT_EQ(ReadFile(out / "a.em1"), "MELODY:c3\r\n");

        testsupport::RecordingUi messages;
        EXPECT_EQ(picture::RunPictureBatch(messages, in / "a.ota", out.Folder(), logs.Folder())
                      .converted,
                  1u);
        EXPECT_EQ(messages.texts, (std::vector<std::string>{"Error! Could not open the log file!",
                                                            kOperatorLogoNotice, "Conversion completed!"}));
        EXPECT_EQ(ReadFile(out / "a.lgo"), Logo());
    }
}

TEST(RealFaults, AFullFileSystemFailsTheOutputsAndTheLogsAndKeepsTheOldOnesWhole) {
    TempDir in, parent;
    const std::string out = parent / "small/";
    std::filesystem::create_directory(out);
    hardening::PrivateMount mount;
    if (!mount.Mount(out, "size=16k"))
        GTEST_SKIP() << "cannot mount a small file system here";
    WriteFile(in / "a.txt", "A::8c,8d,8e");
    WriteFile(in / "a.ota", Logo());
    WriteFile(out + "a.em1", "old melody");
    WriteFile(out + "a.lgo", "old logo");
    // Empty logs: their first append needs room the file system no longer has.
    WriteFile(out + "MelodyConverter.log", "");
    WriteFile(out + "PictureConverter.log", "");
    // Fill what is left, a page at a time.
    const std::string page(4096, 'x');
    platform::AppendFile filler;
    ASSERT_TRUE(filler.Open(out + "filler"));
    for (int i = 0; i < 16 && filler.Write(page); ++i) {
    }
    ASSERT_FALSE(filler.Write(page)) << "the file system is not full";
    filler.Close();
    const std::vector<std::string> before = FilesIn(out);

    testsupport::RecordingUi user;
    user.whenNoAnswer = ReplaceAnswer::Replace;
    CMelodyConverter converter(user, out);
    converter.m_bReplaceAll = true;
    converter.ConvertMelodies(in / "a.txt", out, 0, 1, 0);
    EXPECT_EQ(user.events,
              (std::vector<std::string>{kMelodyCaption + Written(out + "a.em1"), kMelodyLogFailed, kMelodyComplete}));
    EXPECT_EQ(ReadFile(out + "a.em1"), "old melody");
    EXPECT_EQ(ReadFile(out + "MelodyConverter.log"), "");

    // The picture log's failed append is said once, right where it happens.
    testsupport::RecordingUi messages;
    EXPECT_EQ(picture::RunPictureBatch(messages, in / "a.ota," + in / "a.ota", out, out).failed,
              2u);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{kOperatorLogoNotice, "Error! Could not write to file! ",
                                                        "Error! Could not write to the log file!",
                                                        kOperatorLogoNotice, "Error! Could not write to file! ",
                                                        "Conversion completed!"}));
    EXPECT_EQ(ReadFile(out + "a.lgo"), "old logo");
    EXPECT_EQ(ReadFile(out + "PictureConverter.log"), "");
    EXPECT_EQ(FilesIn(out), before) << "a temporary file was left behind";
}

TEST(RealFaults, NamesHoldingAZeroByteNameNoFile) {
    // The system would read such a name only up to the zero, which is
    // another file: here it is a name of no file at all.
    TempDir in, out, logs;
    WriteFile(in / "a.txt", "A::8c");
    WriteFile(in / "a.ota", Logo());
    const std::string melody = in / "a.txt" + std::string(1, '\0') + "x";
    const std::string picture = in / "a.ota" + std::string(1, '\0') + "x.ota";

    testsupport::RecordingUi user;
    user.whenNoAnswer = ReplaceAnswer::Replace;
    CMelodyConverter converter(user, logs.Folder());
    converter.ConvertMelodies(std::vector<std::string>{melody}, out.Folder(), 0, 1, 0);
    // Said with the zero escaped, as every control character in a name is.
    EXPECT_EQ(user.events.front(), kMelodyCaption + in / "a.txt\\x00x could not be found.");
    EXPECT_EQ(converter.Counts().failed, 1);

    testsupport::RecordingUi messages;
    EXPECT_EQ(
        picture::ConvertPictureFiles(messages, {picture}, out.Folder(), logs.Folder()).failed, 1u);
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"Error! Input file not found!", "Conversion completed!"}));
    EXPECT_TRUE(FilesIn(out.Path()).empty());

    EXPECT_FALSE(platform::WriteFileReplacing(out / "b.lgo" + std::string(1, '\0'), "x"));
    platform::AppendFile log;
    EXPECT_EQ(log.Open(out / "c.log" + std::string(1, '\0') + "d").error, EINVAL);
    EXPECT_TRUE(FilesIn(out.Path()).empty());
}

} // namespace

TEST(OutputPlan, NoOutputReplacesAnInputOrWhatAnEarlierFileWrote) {
    // Each row: a batch over inputs (in a/, b/ or the output folder o/);
    // the file named last fails with the message, nothing of it is written,
    // and the inputs and the first file's outputs stay as they were.
    struct Row {
        bool picture;
        std::vector<std::string> inputs; // "o/..." lies in the output folder
        std::string message;             // with IN, OUT for the folders
        std::vector<std::string> absent; // outputs of the failed file, in o/
        std::string kept = {};           // an output of the first file, as it wrote it
    };
    const std::string taken = " earlier in this conversion.";
    const std::vector<Row> rows = {
        {false, {"a/x.txt", "b/x.txt"},
         "The file: OUTx.em1 could not be written: it was written for INa/x.txt" + taken, {},
         "x.em1"},
        {false, {"o/x.em1"}, "The file: OUTx.em1 could not be written: it is an input of this "
                             "conversion.", {"x.hx1", "x.1.pdu"}},
        {false, {"o/a.txt", "o/a.1.pdu"}, "The file: OUTa.1.pdu could not be written: it is an "
                                          "input of this conversion.", {"a.em1", "a.hx1"}},
        {true, {"a/logo.txt", "b/logo.txt"},
         "The file: OUTlogo.lgo could not be written: it was written for INa/logo.txt" + taken, {},
         "logo.lgo"},
        {true, {"o/logo.png"}, "The file: OUTlogo.png could not be written: it is an input of "
                               "this conversion.", {"logo.lgo", "logo.pdu"}},
    };
    for (const Row& row : rows) {
        TempDir root, logs;
        const std::string out = root / "o/";
        std::vector<std::string> inputs;
        for (const std::string& name : row.inputs) {
            for (const char* folder : {"a", "b", "o"})
                std::filesystem::create_directories(root / folder);
            const std::string path = root / name;
            // The first file's text differs from the later ones' (8c, lower case).
            const bool first = inputs.empty();
            WriteFile(path, !row.picture                ? (first ? "T::8c" : "T::8d")
                            : name.ends_with(".png") ? imaging::EncodePng(testsupport::RowsImage(14))
                            : first                  ? testsupport::Rows(14)
                                                     : testsupport::UpperRows(14));
            inputs.push_back(path);
        }
        const auto filled = [&](std::string text) {
            text.replace(text.find("OUT"), 3, out);
            if (const std::size_t in = text.find("IN"); in != std::string::npos)
                text.replace(in, 2, root.Folder());
            return text;
        };
        SCOPED_TRACE(filled(row.message));
        std::map<std::string, std::string> before;
        for (const std::string& name : FilesIn(out))
            before[name] = ReadFile(out + name);
        testsupport::RecordingUi user;
        user.whenNoAnswer = ReplaceAnswer::ReplaceAll;
        std::size_t failed = 0;
        if (row.picture) {
            const auto summary = picture::ConvertPictureFiles(
                user, inputs, out, logs.Folder(), {.png = true, .pduTo = sms::ParseNumber("1")});
            failed = summary.failed;
        } else {
            CMelodyConverter converter(user, logs.Folder());
            converter.WritePdusTo(*sms::ParseNumber("1"));
            converter.ConvertMelodies(inputs, out, 1, 1, 0);
            failed = static_cast<std::size_t>(converter.Counts().failed);
        }
        EXPECT_EQ(failed, 1u);
        EXPECT_EQ(user.texts.at(user.texts.size() - 2), filled(row.message));
        for (const auto& [name, text] : before)
            EXPECT_EQ(ReadFile(out + name), text) << name;
        for (const std::string& name : row.absent)
            EXPECT_FALSE(std::filesystem::exists(out + name)) << name;
        if (!row.kept.empty()) {
            const std::string kept = ReadFile(out + row.kept);
            EXPECT_TRUE(row.picture ? kept == testsupport::Rows(14)
                                    : kept.find("d") == std::string::npos)
                << kept;
        }
        const std::string log = ReadFile(logs / (row.picture ? "PictureConverter.log"
                                                             : "MelodyConverter.log"));
        EXPECT_NE(log.find(filled(row.message)), std::string::npos) << "the log says so";
    }
}
