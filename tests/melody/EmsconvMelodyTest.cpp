// emsconv melody end to end: the built program run as a child process.

#include "support/ChildProcess.h"
#include "support/Messages.h"
#include "support/SubmitPdus.h"
#include "support/TempDir.h"

#include "platform/BuildInfo.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const std::string kComplete = testsupport::kMelodyComplete + "\n";

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

struct Emsconv : ::testing::Test {
    TempDir in;
    TempDir out;
    TempDir work; // standard streams and the log
    std::string program = EMSCONV_PATH;

    // Runs "emsconv melody ARGS" in folder cwd with input on standard input
    // (or the file stdinPath when given); shellPrefix runs it through
    // "sh -c 'PREFIX; exec ...'".
    Result Melody(std::vector<std::string> args, const std::string& input = "",
                  const std::string& cwd = "", const std::string& stdinPath = "",
                  const std::string& shellPrefix = "") {
        args.insert(args.begin(), "melody");
        return Run(std::move(args), input, cwd, stdinPath, shellPrefix);
    }
    // Runs "emsconv ARGS" likewise.
    Result Run(std::vector<std::string> args, const std::string& input = "",
               const std::string& cwd = "", const std::string& stdinPath = "",
               const std::string& shellPrefix = "") {
        args.insert(args.begin(), program);
        if (!shellPrefix.empty())
            args.insert(args.begin(), {"/bin/sh", "-c", shellPrefix + "; exec \"$0\" \"$@\""});
        WriteFile(work / "stdin", input);
        Result result;
        result.status = testsupport::Wait(testsupport::Start(
            args,
            {stdinPath.empty() ? work / "stdin" : stdinPath, work / "stdout", work / "stderr"},
            cwd));
        result.out = ReadFile(work / "stdout");
        result.err = ReadFile(work / "stderr");
        return result;
    }

    std::string Rtx(const std::string& name, const std::string& text) {
        WriteFile(in / name, text);
        return in / name;
    }
    std::vector<std::string> Options() {
        return {"-o", out.Folder(), "--log-dir", work.Path().string()};
    }
    std::vector<std::string> With(std::vector<std::string> args) {
        for (const std::string& option : Options())
            args.push_back(option);
        return args;
    }
};

TEST_F(Emsconv, ConvertsWithTheDefaultsAndTheOptions) {
    const std::string song = Rtx("song.txt", "Song:d=4,o=5,b=120:8c,8d");
    Result result = Melody(With({"--no-header", song}));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, kComplete);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadFile(out / "song.em1"), "MELODY:c3d3\r\n");
    EXPECT_EQ(ReadFile(out / "song.hx1"), "100C0E004D454C4F44593A633364330D0A");
    EXPECT_EQ(testsupport::FilesIn(out.Path()), (std::vector<std::string>{"song.em1", "song.hx1"}));
    EXPECT_NE(
        ReadFile(work / "MelodyConverter.log").find("Converting: " + song + "Status: Success\r\n"),
        std::string::npos);

    // Both targets, the header, options after the files, "--", a name with ","
    // and an output folder without its "/".
    const std::string odd = Rtx("-a,b.txt", "Odd::8e");
    result = Melody({song, "--target", "both", "--log-dir", work.Path().string(), "-o",
                     out.Path().string(), "--replace=all", "--wav", "--", odd});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, kComplete);
    EXPECT_EQ(ReadFile(out / "song.em2").rfind("BEGIN:IMELODY\r\n", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(out / "-a,b.hx2"));
    EXPECT_EQ(ReadFile(out / "-a,b.2.wav").rfind("RIFF", 0), 0u);

    // The current folder is the default output folder.
    result =
        Melody({"--target", "2", "--log-dir", work.Path().string(), song}, "", in.Path().string());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(in / "song.em2"));
}

TEST_F(Emsconv, FailuresGiveTheirMessagesAndStatusOne) {
    const std::string missing = in / "missing.txt";
    Result result = Melody(With({missing}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "EMS Melody Converter: " + missing + " could not be found.\n" +
                              "EMS Melody Converter: " + missing +
                              " is not a valid RTX formatted file.\n" + kComplete);

    // A file too large for memory, or one that memory cannot hold, fails
    // alone: the batch goes on and the log has every entry.
    const std::string tune = Rtx("tune.txt", "T::8c");
    const std::string huge = in / "huge.txt";
    ASSERT_EQ(::truncate(Rtx("huge.txt", "").c_str(), 100LL << 30), 0); // sparse, 100 GB
    result = Melody(With({huge, tune}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "EMS Melody Converter: " + huge +
                              " is larger than 64 MB, too large for an RTX file.\n" + kComplete);
    std::string log = ReadFile(work / "MelodyConverter.log");
    EXPECT_NE(log.find(huge + " Status: Failed - " + huge + " is larger"), std::string::npos);
    EXPECT_NE(log.find("Converting: " + tune + "Status: Success"), std::string::npos);
#ifndef QUILLMERE_SANITIZED
    // Memory for one 40 MB file's text but not for its cleaned note list.
    std::string big = "Big::";
    while (big.size() < (40u << 20))
        big += "8c,16d#6,4.p,";
    const std::string large = Rtx("large.txt", big);
    std::string().swap(big);
    result = Melody(With({"--replace", "all", large, tune}), "", "", "", "ulimit -v 70000");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "EMS Melody Converter: " + large +
                              " could not be converted: not enough memory.\n" + kComplete);
    log = ReadFile(work / "MelodyConverter.log");
    EXPECT_NE(log.find(large + " Status: Failed - " + large + " could not be converted"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(out / "tune.hx1"));
#endif

    // A log that cannot be written is reported, but the status stays 0.
    const std::string song = Rtx("song.txt", "S::8c");
    result = Melody({"-o", out.Folder(), "--log-dir", (work / "none"), song});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "EMS Melody Converter: Could not create the log entry, make sure the log "
                          "file is not read only.\n" +
                              kComplete);
}

TEST_F(Emsconv, ReplaceModes) {
    const std::string song = Rtx("song.txt", "S::8c");
    WriteFile(out / "song.em1", "old");
    const std::string prompt =
        "The file: " + out / "song.em1" + " already exists, would you like to replace it?";

    // Standard input is no terminal: never replace, and ask nothing.
    Result result = Melody(With({song}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, kComplete);
    EXPECT_EQ(ReadFile(out / "song.em1"), "old");
    EXPECT_NE(ReadFile(work / "MelodyConverter.log").find(" Status: Cancelled\r\n\r\n"),
              std::string::npos);

    result = Melody(With({"--replace", "ask", song}), "c\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.find(prompt), 0u);
    EXPECT_EQ(ReadFile(out / "song.em1"), "old");

    // An answer it does not know is asked again; "a" replaces every file.
    result = Melody(With({"--replace", "ask", "--target", "both", song}), "what\n  A \n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(ReadFile(out / "song.em1").find("MELODY:c3\r\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(out / "song.hx2"));
    const std::size_t first = result.err.find(prompt);
    EXPECT_NE(result.err.find(prompt, first + 1), std::string::npos);
    EXPECT_EQ(result.err.substr(result.err.size() - kComplete.size()), kComplete);

    // The end of the input answers Cancel, and the next output starts on a
    // line of its own; "all" answers without asking.
    const std::string question = prompt + " [r]eplace, replace [a]ll, [c]ancel: ";
    result = Melody(With({"--replace", "ask", song}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, question + "\n" + kComplete);
    // A line over 4 KiB is no answer, however it ends; input that answers
    // nothing ten times in a row has ended, even one that never ends.
    result = Melody(With({"--replace", "ask", song}), std::string(5000, ' ') + "r\nc\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, question + question + question + kComplete);
    std::string tenTimes;
    for (int i = 0; i < 10; ++i)
        tenTimes += question;
    WriteFile(out / "song.em1", "old");
    std::string second = question;
    second.replace(second.find("song.em1"), 8, "song.em2");
    result = Melody(With({"--replace", "ask", "--target", "both", song}), "", "", "/dev/zero");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, tenTimes + question + "\n" + second + "\n" + kComplete);
    EXPECT_EQ(ReadFile(out / "song.em1"), "old");
    result = Melody(With({"--replace", "all", "--target", "both", song}));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, kComplete);
}

TEST_F(Emsconv, PduFilesBesideTheHeaders) {
    const std::string song = Rtx("song.txt", "Song:b=90:8c,8d6,4.e,2p");
    const std::string bad = Rtx("bad.txt", "Bad::8c");
    std::filesystem::create_directory(out / "bad.2.pdu");
    Result result = Melody(With({"--target", "both", "--pdu", "+4912345", song, bad}));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "EMS Melody Converter: The file: " + out / "bad.2.pdu" +
                              " could not be written.\n" + kComplete);
    // One SMS for each header written; its AT+CMGS length on standard output.
    std::string lengths;
    for (const auto& [name, digit] : std::vector<std::pair<std::string, std::string>>{
             {"song", "1"}, {"song", "2"}, {"bad", "1"}}) {
        const std::string path = out / (name + "." + digit + ".pdu");
        const std::vector<std::string> lines = testsupport::PduLines(ReadFile(path));
        ASSERT_EQ(lines.size(), 1u) << path;
        const std::string hex = ReadFile(out / (name + ".hx" + digit));
        lengths += path + ": AT+CMGS=" +
                   std::to_string(testsupport::ExpectSubmitPdu(lines[0], "+4912345", hex)) + "\n";
    }
    EXPECT_EQ(result.out, lengths);

    // The replace question covers the PDU file as well.
    result = Melody(With({"--replace", "ask", "--pdu", "012", song}), "r\nr\nc\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("The file: " + out / "song.1.pdu" + " already exists"),
              std::string::npos);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(ReadFile(out / "song.1.pdu").find("0791942143F5"), std::string::npos);
}

TEST_F(Emsconv, UsageErrorsAndHelp) {
    const std::string song = Rtx("song.txt", "S::8c");
    std::vector<std::vector<std::string>> usageErrors = {{},
                                                         {"--target", "3", song},
                                                         {"--replace", "sometimes", song},
                                                         {"--bogus", song},
                                                         {"--log-dir", "", song},
                                                         {song, "-o"}};
    for (const std::string& bad : testsupport::kBadNumbers)
        usageErrors.push_back({"--pdu", bad, song});
    for (const std::vector<std::string>& args : usageErrors) {
        const Result result = Melody(args);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(result.err.find("Usage: emsconv melody"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(in / "song.em1"));
    const Result help = Melody({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--replace"), std::string::npos);
    EXPECT_EQ(help.err, "");
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("emsconv ") + platform::kVersion + "\n");
}

TEST_F(Emsconv, TheLogGoesBesideTheProgramByDefault) {
    const std::string copy = work / "emsconv";
    std::filesystem::copy_file(program, copy);
    program = copy;
    const std::string song = Rtx("song.txt", "S::8c");
    const Result result = Melody({"-o", out.Folder(), song});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(ReadFile(work / "MelodyConverter.log").find("Converting: " + song),
              std::string::npos);
}

} // namespace

TEST_F(Emsconv, NamesAreWrittenEscapedAndLostOutputIsAFailure) {
    // A name holding control characters cannot forge a line on the terminal
    // or in a log; the file keeps its real name.
    const std::string forged = Rtx("x\nx.1.pdu: AT+CMGS=99\t\x01.txt", "S::8c");
    const std::string shown = in / "x\\nx.1.pdu: AT+CMGS=99\\t\\x01.txt";
    const std::string missing = in / "no\rsuch.txt";
    Result result = Melody(With({"--pdu", "1", forged, missing}));
    EXPECT_EQ(result.status, 1);
    const std::string pdu = out / "x\nx.1.pdu: AT+CMGS=99\t\x01.1.pdu";
    ASSERT_TRUE(std::filesystem::exists(pdu));
    EXPECT_EQ(result.out, out / "x\\nx.1.pdu: AT+CMGS=99\\t\\x01.1.pdu: AT+CMGS=" +
                              std::to_string(ReadFile(pdu).size() / 2 - 2) + "\n");
    EXPECT_EQ(result.err.find('\r'), std::string::npos);
    EXPECT_NE(result.err.find(in / "no\\rsuch.txt could not be found."), std::string::npos);
    const std::string log = ReadFile(work / "MelodyConverter.log");
    EXPECT_NE(log.find("Converting: " + shown + "Status: Success"), std::string::npos);
    EXPECT_EQ(log.find(forged), std::string::npos);

    // Standard output or standard error that cannot be written: status 1,
    // said on standard error while that still works.
    const std::string song = Rtx("song.txt", "S::8c");
    result = Melody(With({"--replace", "all", "--pdu", "1", song}), "", "", "",
                    "exec >/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("emsconv: could not write to standard output: No space left on "
                              "device\n"),
              std::string::npos);
    result = Melody(With({"--replace", "all", song}), "", "", "", "exec 2>/dev/full");
    EXPECT_EQ(result.status, 1);
    result = Run({"picture", "--help"}, "", "", "", "exec >/dev/full");
    EXPECT_EQ(result.status, 1);
}
