#include "melody/ImelodySound.h"
#include "melody/MelodyConverter.h"
#include "support/Messages.h"
#include "support/FaultyFiles.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using testsupport::FilesIn;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::Untimed;
using testsupport::WriteFile;

namespace {

using testsupport::kMelodyCaption;
using testsupport::kMelodyComplete;

const std::string kSuccess = "Status: Success\r\n\r\n";
const std::string kTruncated = "Status: Success\r\nThe melody was truncated to accomodate the "
                               "maximum limit of 128 bytes.\r\n\r\n";

void MakeReadOnly(const std::string& path) {
    ::chmod(path.c_str(), 0444);
}

struct Batch : ::testing::Test {
    TempDir in;
    TempDir out;
    TempDir logs;
    testsupport::RecordingUi ui;
    testsupport::FaultyFiles files; // fails nothing unless asked
    CMelodyConverter converter{ui, logs.Folder(), files};

    std::string Rtx(const std::string& name, const std::string& text) {
        WriteFile(in / name, text);
        return in / name;
    }
    void Run(const std::string& files, int header, int target1, int target2) {
        converter.ConvertMelodies(files, out.Folder(), header, target1, target2);
    }
    std::string Log() { return Untimed(ReadFile(logs / "MelodyConverter.log")); }
    std::string Output(const std::string& name) { return ReadFile(out / name); }
    bool Exists(const std::string& name) { return std::filesystem::exists(out / name); }
};

TEST_F(Batch, EveryFileForTheChosenTargetsInListOrder) {
    const std::string a = Rtx("a.txt", "A:d=4,o=5,b=100:8c,8d");
    const std::string b = Rtx("b.rtx", "B::8e");
    Run(a + "," + b, 0, 0, 1);
    EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"a.em2", "a.hx2", "b.em2", "b.hx2"}));
    EXPECT_EQ(Output("a.em2"), "BEAT:100\r\nMELODY:c3d3\r\n");
    EXPECT_EQ(Output("b.em2"), "BEAT:100\r\nMELODY:e3\r\n"); // the beat carries over
    EXPECT_EQ(Log(), "<time>Converting: " + a + kSuccess + "<time>Converting: " + b + kSuccess);
    EXPECT_EQ(ui.events, (std::vector<std::string>{kMelodyComplete}));
    EXPECT_TRUE(converter.AllSucceeded());
    EXPECT_EQ(converter.Counts().succeeded, 2);

    // Both targets: target 1 first, each with its own entry; the log is appended to.
    ui.events.clear();
    ui.answers = {ReplaceAnswer::ReplaceAll}; // a.em2 exists now
    Run(a, 0, 1, 1);
    EXPECT_EQ(Output("a.em1"), "MELODY:c3d3\r\n");
    EXPECT_EQ(Output("a.hx1"), "100C0E004D454C4F44593A633364330D0A");
    EXPECT_EQ(Log(), "<time>Converting: " + a + kSuccess + "<time>Converting: " + b + kSuccess +
                         "<time>Converting: " + a + kSuccess + "<time>Converting: " + a + kSuccess);
}

TEST_F(Batch, OutputNamesAndHeaderOption) {
    std::filesystem::create_directory(in / "my.dir");
    const std::string song = Rtx("my.dir/song", "S:d=4:8c");
    const std::string mix = Rtx("bells.mix.txt", "S:d=4:8c");
    Run(song + "," + mix, 1, 1, 0);
    EXPECT_EQ(FilesIn(out.Path()),
              (std::vector<std::string>{"bells.mix.em1", "bells.mix.hx1", "song.em1", "song.hx1"}));
    const std::string text = Output("song.em1");
    EXPECT_EQ(text,
              "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nMELODY:c3\r\nEND:IMELODY\r\n");
    EXPECT_EQ(Output("song.hx1").size(), 2 * text.size() + 8);
    EXPECT_EQ(converter.m_bIncludeHeader, 1);
}

TEST_F(Batch, MissingAndEmptyPathsFailAsInvalidFiles) {
    Run(in / "missing.txt,", 0, 1, 1);
    const std::string missing = in / "missing.txt";
    EXPECT_EQ(ui.events, (std::vector<std::string>{
                             kMelodyCaption + missing + " could not be found.",
                             kMelodyCaption + missing + " is not a valid RTX formatted file.",
                             kMelodyCaption + missing + " could not be found.",
                             kMelodyCaption + missing + " is not a valid RTX formatted file.",
                             kMelodyCaption + " could not be found.",
                             kMelodyCaption + " is not a valid RTX formatted file.",
                             kMelodyCaption + " could not be found.",
                             kMelodyCaption + " is not a valid RTX formatted file.",
                             kMelodyComplete,
                         }));
    const std::string failed = " Status: Failed - ";
    EXPECT_EQ(Log(), "<time>Converting: " + missing + failed + missing +
                         " is not a valid RTX formatted file.\r\n\r\n"
                         "<time>Converting: " +
                         missing + failed + missing +
                         " is not a valid RTX formatted file.\r\n\r\n"
                         "<time>Converting: " +
                         failed +
                         " is not a valid RTX formatted file.\r\n\r\n"
                         "<time>Converting: " +
                         failed + " is not a valid RTX formatted file.\r\n\r\n");
    EXPECT_TRUE(FilesIn(out.Path()).empty());
    EXPECT_EQ(converter.Counts().failed, 4);
    EXPECT_FALSE(converter.AllSucceeded());

    // An empty list is one empty path; a folder cannot be read as a file.
    ui.events.clear();
    Run("", 0, 1, 0);
    Run(in.Path().string(), 0, 1, 0);
    EXPECT_EQ(ui.events[0], kMelodyCaption + " could not be found.");
    EXPECT_EQ(ui.events[3], kMelodyCaption + in.Path().string() + " could not be found.");
}

TEST_F(Batch, ReaderAndWriterFailuresAreLoggedAndShown) {
    const std::string range = Rtx("range.txt", "R::8c3,8d6");
    const std::string empty = Rtx("empty.txt", "E:d=4: \r\n");
    const std::string fine = Rtx("fine.txt", "F::8c");
    Run(range + "," + empty + "," + fine, 0, 1, 1);
    const std::string rangeText =
        "The melody is in a range that cannot be converted accurately in the EMS standard.";
    EXPECT_EQ(ui.events, (std::vector<std::string>{
                             kMelodyCaption + rangeText,
                             kMelodyCaption + empty + " does not have any melody to convert.",
                             kMelodyCaption + empty + " does not have any melody to convert.",
                             kMelodyComplete,
                         }));
    EXPECT_EQ(Log(), "<time>Converting: " + range + " Status: Failed - " + rangeText + "\r\n\r\n" +
                         "<time>Converting: " + range + kSuccess + //
                         "<time>Converting: " + empty + " Status: Failed - " + empty +
                         " does not have any melody to convert.\r\n\r\n" + //
                         "<time>Converting: " + empty + " Status: Failed - " + empty +
                         " does not have any melody to convert.\r\n\r\n" + //
                         "<time>Converting: " + fine + kSuccess + "<time>Converting: " + fine +
                         kSuccess);
    EXPECT_EQ(FilesIn(out.Path()),
              (std::vector<std::string>{"fine.em1", "fine.em2", "fine.hx1", "fine.hx2", "range.em2",
                                        "range.hx2"}));
}

TEST_F(Batch, TruncatedMelodyIsLoggedAsSuch) {
    std::string notes = "8c";
    for (int i = 0; i < 60; ++i)
        notes += ",8c";
    const std::string longer = Rtx("long.txt", "L::" + notes);
    Run(longer, 0, 1, 0);
    EXPECT_EQ(Log(), "<time>Converting: " + longer + kTruncated);
    EXPECT_TRUE(converter.AllSucceeded());
}

TEST_F(Batch, ReplaceAllAnswersEveryLaterQuestion) {
    const std::string song = Rtx("song.txt", "S::8c");
    const std::string tune = Rtx("tune.txt", "T::8d");
    for (const char* name : {"song.em1", "song.hx1", "tune.em2"})
        WriteFile(out / name, "old");
    ui.answers = {ReplaceAnswer::ReplaceAll};
    Run(song + "," + tune, 0, 1, 1);
    EXPECT_EQ(ui.events,
              (std::vector<std::string>{"ASK The file: " + out / "song.em1" +
                                            " already exists, would you like to replace it?",
                                        kMelodyComplete}));
    EXPECT_EQ(Output("song.hx1"), "0E0C0C004D454C4F44593A63330D0A");
    EXPECT_EQ(Output("tune.em2"), "MELODY:d3\r\n");
    EXPECT_TRUE(converter.m_bReplaceAll);
    EXPECT_TRUE(converter.AllSucceeded());
}

TEST_F(Batch, CancelKeepsTheOldFilesAndEndsTheEntry) {
    const std::string song = Rtx("song.txt", "S::8c");
    WriteFile(out / "song.em1", "old em");
    WriteFile(out / "song.hx1", "old hx");
    Run(song, 0, 1, 0); // no answer: Cancel
    EXPECT_EQ(Output("song.em1"), "old em");
    EXPECT_EQ(Output("song.hx1"), "old hx");
    EXPECT_EQ(ui.events.size(), 2u);
    EXPECT_EQ(ui.events.back(), kMelodyComplete);
    EXPECT_EQ(Log(), "<time>Converting: " + song + " Status: Cancelled\r\n\r\n");
    EXPECT_EQ(converter.Counts().cancelled, 1);
    EXPECT_FALSE(converter.AllSucceeded());

    // Replace for the iMelody file, Cancel for the hex file: every question
    // comes first, so the old pair stays whole.
    ui.events.clear();
    ui.answers = {ReplaceAnswer::Replace, ReplaceAnswer::DoNotReplace};
    Run(song, 0, 1, 0);
    EXPECT_EQ(Output("song.em1"), "old em");
    EXPECT_EQ(Output("song.hx1"), "old hx");
    EXPECT_EQ(ui.events.size(), 3u);
    EXPECT_FALSE(converter.m_bReplaceAll);
}

TEST_F(Batch, OutputThatCannotBeWrittenFailsThatFileAndTargetOnly) {
    const std::string song = Rtx("song.txt", "S::8c");
    converter.ConvertMelodies(song, out / "missing/", 0, 1, 1);
    const std::string em1 = out / "missing/song.em1";
    const std::string em2 = out / "missing/song.em2";
    EXPECT_EQ(ui.events, (std::vector<std::string>{
                             kMelodyCaption + "The file: " + em1 + " could not be written.",
                             kMelodyCaption + "The file: " + em2 + " could not be written.",
                             kMelodyComplete,
                         }));
    EXPECT_EQ(Log(), "<time>Converting: " + song + " Status: Failed - The file: " + em1 +
                         " could not be written.\r\n\r\n" + "<time>Converting: " + song +
                         " Status: Failed - The file: " + em2 + " could not be written.\r\n\r\n");
    EXPECT_EQ(converter.Counts().failed, 2);

    // A read-only hex file: the old hex file stays, and no iMelody file is
    // written beside it.
    ui.events.clear();
    WriteFile(out / "song.hx1", "old hx");
    MakeReadOnly(out / "song.hx1");
    converter.m_bReplaceAll = true;
    Run(song, 0, 1, 0);
    EXPECT_FALSE(std::filesystem::exists(out / "song.em1"));
    EXPECT_EQ(Output("song.hx1"), "old hx");
    EXPECT_EQ(ui.events.front(),
              kMelodyCaption + "The file: " + out / "song.hx1" + " could not be written.");
}

TEST_F(Batch, WaveAndMidiFilesFollowEachTargetWrittenAndLeaveTheLogAsItIs) {
    const std::string range = Rtx("range.txt", "R:b=100:8c3,8d6");
    const std::string song = Rtx("song.txt", "S::4c,4p,4c6");
    std::filesystem::create_directory(out / "song.2.wav");
    const std::string unwritable = "The file: " + out / "song.2.wav" + " could not be written.";
    const std::string rangeText =
        "The melody is in a range that cannot be converted accurately in the EMS standard.";
    converter.SetWaveOutput(true);
    converter.SetMidiOutput(true);
    Run(range + "," + song, 0, 1, 1);
    EXPECT_EQ(Log(), "<time>Converting: " + range + " Status: Failed - " + rangeText + "\r\n\r\n" +
                         "<time>Converting: " + range + kSuccess + "<time>Converting: " + song +
                         kSuccess + "<time>Converting: " + song + " Status: Failed - " +
                         unwritable + "\r\n\r\n");
    EXPECT_EQ(ui.events,
              (std::vector<std::string>{kMelodyCaption + rangeText, kMelodyCaption + unwritable, kMelodyComplete}));
    EXPECT_EQ(
        FilesIn(out.Path()),
        (std::vector<std::string>{"range.2.mid", "range.2.wav", "range.em2", "range.hx2",
                                  "song.1.mid", "song.1.wav", "song.2.wav", "song.em1",
                                  "song.hx1"}));
    // Each is its target's iMelody file as the target's handsets play it.
    EXPECT_EQ(Output("range.2.wav"), melody::WaveFile(melody::RenderImelody(
                                         Output("range.em2"), melody::OctavePrefix::ForOneNote)));
    EXPECT_EQ(Output("song.1.wav"),
              melody::WaveFile(melody::RenderImelody(Output("song.em1"),
                                                     melody::OctavePrefix::KeptUntilChanged)));
    EXPECT_EQ(Output("song.1.mid"), melody::MidiFile(melody::ReadImelodyTones(
                                        Output("song.em1"), melody::OctavePrefix::KeptUntilChanged)));

    // An existing WAV is asked about like the other files; kept, the target is cancelled.
    ui.events.clear();
    ui.answers = {ReplaceAnswer::Replace, ReplaceAnswer::Replace, ReplaceAnswer::DoNotReplace};
    Run(song, 0, 1, 0);
    EXPECT_EQ(ui.events.size(), 4u);
    EXPECT_EQ(ui.events[2], "ASK The file: " + out / "song.1.wav" +
                                " already exists, would you like to replace it?");
    EXPECT_EQ(converter.Counts().cancelled, 1);
}

TEST_F(Batch, AFailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    const std::string song = Rtx("song.txt", "S::8c");
    WriteFile(out / "song.em1", "old em");
    WriteFile(out / "song.hx1", "old hx");
    converter.m_bReplaceAll = true;
    files.InjectFailure(testsupport::FileOp::Write, 1, ENOSPC);
    Run(song, 0, 1, 0);
    EXPECT_EQ(Output("song.em1"), "old em");
    EXPECT_EQ(Output("song.hx1"), "old hx"); // not attempted after the failure
    EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"song.em1", "song.hx1"}));
    EXPECT_EQ(ui.events.front(),
              kMelodyCaption + "The file: " + out / "song.em1" + " could not be written.");

    // A failed rename, the first replacing one: the old pair stays whole.
    ui.events.clear();
    files.InjectFailure(testsupport::FileOp::Rename, 2, EIO);
    Run(song, 0, 1, 0);
    EXPECT_EQ(Output("song.em1"), "old em");
    EXPECT_EQ(Output("song.hx1"), "old hx");
    EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"song.em1", "song.hx1"}));
    EXPECT_FALSE(converter.AllSucceeded());
}

TEST_F(Batch, ALogThatCannotBeAppendedToIsReported) {
    const std::string song = Rtx("song.txt", "S::8c");
    WriteFile(logs / "MelodyConverter.log", "earlier\r\n");
    MakeReadOnly(logs / "MelodyConverter.log");
    Run(song, 0, 1, 0);
    EXPECT_EQ(
        ui.events,
        (std::vector<std::string>{
            kMelodyCaption + "Could not create the log entry, make sure the log file is not read only.",
            kMelodyComplete}));
    EXPECT_EQ(ReadFile(logs / "MelodyConverter.log"), "earlier\r\n");
    EXPECT_EQ(Output("song.em1"), "MELODY:c3\r\n");
    EXPECT_TRUE(converter.AllSucceeded()); // the log does not count

    // A log folder that does not exist.
    testsupport::RecordingUi other;
    CMelodyConverter elsewhere(other, logs / "missing");
    elsewhere.m_bReplaceAll = true;
    elsewhere.ConvertMelodies(song, out.Folder(), 0, 1, 0);
    EXPECT_EQ(other.events.front(),
              kMelodyCaption +
                  "Could not create the log entry, make sure the log file is not read only.");
}

TEST_F(Batch, PathsGivenOneByOneKeepTheirCommas) {
    const std::string odd = Rtx("a,b.txt", "S::8c");
    converter.ConvertMelodies(std::vector<std::string>{odd}, out.Folder(), 0, 1, 0);
    EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"a,b.em1", "a,b.hx1"}));
    EXPECT_EQ(ui.events, (std::vector<std::string>{kMelodyComplete}));
}

TEST_F(Batch, StopEndsTheBatchAfterTheFileInHand) {
    const std::string a = Rtx("a.txt", "A::8c");
    const std::string b = Rtx("b.txt", "B::8d");
    const std::string c = Rtx("c.txt", "C::8e");
    ui.stopAfter = 2;
    Run(a + "," + b + "," + c, 0, 1, 1);
    EXPECT_EQ(ui.started, (std::vector<std::string>{"1/3", "2/3"}));
    EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"a.em1", "a.em2", "a.hx1", "a.hx2",
                                                             "b.em1", "b.em2", "b.hx1", "b.hx2"}));
    EXPECT_EQ(Log(), "<time>Converting: " + a + kSuccess + "<time>Converting: " + a + kSuccess +
                         "<time>Converting: " + b + kSuccess + "<time>Converting: " + b + kSuccess);
    EXPECT_EQ(ui.events, (std::vector<std::string>{kMelodyComplete}));
}

} // namespace
