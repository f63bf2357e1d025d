#include "platform/TextFile.h"
#include "platform/ByteOrderMark.h"
#include "platform/Interruption.h"
#include "platform/OutputUnit.h"
#include "support/FaultyFiles.h"
#include "support/TempDir.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using testsupport::FilesIn;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    TempDir dir;
};

} // namespace

TEST_F(TextFileTest, ReadsBytesExactlyAndRefusesMissingFilesAndFolders) {
    const std::string bytes("a\r\nb\0c\xff", 7);
    WriteFile(dir / "in.txt", bytes);
    std::string text = "untouched";
    ASSERT_TRUE(ReadWholeFile(dir / "in.txt", text));
    EXPECT_EQ(text, bytes);

    text = "untouched";
    const FileResult missing = ReadWholeFile(dir / "missing.txt", text);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.Message(), dir / "missing.txt" + ": No such file or directory");
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(ReadWholeFile(dir.Path().string(), text).error, EISDIR);

    // More than the limit: refused before anything is read.
    EXPECT_EQ(ReadWholeFile(dir / "in.txt", text, 6).error, EFBIG);
    EXPECT_EQ(text, "untouched");
    ASSERT_TRUE(ReadWholeFile(dir / "in.txt", text, 7));

    // A pipe with no writer must not block the reader.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(ReadWholeFile(dir / "pipe", text));
    // Nor is a pipe that holds text read: only a file is.
    const int pipe = ::open((dir / "pipe").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_EQ(::write(pipe, "8c,8d", 5), 5);
    EXPECT_EQ(ReadWholeFile(dir / "pipe", text).error, EINVAL);
    ::close(pipe);
    // Nor may a device that never ends exhaust memory; an empty one is no empty file.
    EXPECT_FALSE(ReadWholeFile("/dev/zero", text));
    EXPECT_EQ(ReadWholeFile("/dev/null", text).error, EINVAL);

    // Files about the size of the first read come whole, with their size.
    std::string sized;
    for (const std::size_t length : {0, 1, 16383, 16384, 16385, 70000}) {
        while (sized.size() < length)
            sized += static_cast<char>('a' + sized.size() % 26);
        WriteFile(dir / "sized", sized);
        ASSERT_TRUE(ReadWholeFile(dir / "sized", text)) << length;
        EXPECT_EQ(text, sized) << length;
        std::uintmax_t size = 99; // set by every read, never left as it was
        ASSERT_TRUE(ReadFilePrefix(dir / "sized", 16384, text, size));
        EXPECT_EQ(text, sized.substr(0, 16384)) << length;
        EXPECT_EQ(size, length);
    }
}

TEST_F(TextFileTest, PrefixReadStopsAtLimitButReportsFullSize) {
    WriteFile(dir / "big", std::string(100000, 'x'));
    std::string text;
    std::uintmax_t size = 0;
    ASSERT_TRUE(ReadFilePrefix(dir / "big", 10, text, size));
    EXPECT_EQ(text, std::string(10, 'x'));
    EXPECT_EQ(size, 100000u);
}

TEST_F(TextFileTest, ReplacingWritesNewFilesAndReplacesOldOnesLeavingNoTemporaries) {
    ASSERT_TRUE(WriteFileReplacing(dir / "out.em1", "first"));
    EXPECT_EQ(ReadFile(dir / "out.em1"), "first");
    ASSERT_TRUE(WriteFileReplacing(dir / "out.em1", "second, longer"));
    EXPECT_EQ(ReadFile(dir / "out.em1"), "second, longer");
    EXPECT_EQ(FilesIn(dir.Path()).size(), 1u);

    // Every name the file system takes can be written, new or replaced: the
    // temporary name stays short whatever the name is.
    std::string utf8;
    while (utf8.size() + 3 <= 255)
        utf8 += "\xE2\x99\xAA"; // three bytes per character
    for (const std::string& name : {std::string(255, 'n'), std::string(250, 'm') + ".lgo", utf8}) {
        ASSERT_TRUE(WriteFileReplacing(dir / name, "new")) << name.size();
        ASSERT_TRUE(WriteFileReplacing(dir / name, "again")) << name.size();
        EXPECT_EQ(ReadFile(dir / name), "again");
        std::filesystem::remove(dir / name);
    }
    EXPECT_EQ(FilesIn(dir.Path()).size(), 1u);
}

TEST_F(TextFileTest, NewFileGetsOrdinaryPermissionsAndExistingKeepsItsMode) {
    ASSERT_TRUE(WriteFileReplacing(dir / "new", "x"));
    struct stat info {};
    ASSERT_EQ(::stat((dir / "new").c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

    ::chmod((dir / "new").c_str(), 0640);
    ASSERT_TRUE(WriteFileReplacing(dir / "new", "y"));
    ASSERT_EQ(::stat((dir / "new").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    // Never set-user-ID, set-group-ID or sticky; a symbolic link lends
    // nothing of its target and is replaced, not written through.
    WriteFile(dir / "tool", "binary");
    ::chmod((dir / "tool").c_str(), 07755);
    std::filesystem::create_symlink(dir / "tool", dir / "link");
    for (const auto& [name, mode] : {std::pair{"tool", 0755u}, {"link", 0666u & ~mask}}) {
        ASSERT_TRUE(WriteFileReplacing(dir / name, "converted")) << name;
        ASSERT_EQ(::lstat((dir / name).c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode)) << name;
        EXPECT_EQ(info.st_mode & 07777, mode) << name;
    }

    // A file of another user replaced by root keeps its owner and group.
    if (::geteuid() == 0) {
        WriteFile(dir / "theirs", "old");
        ASSERT_EQ(::chown((dir / "theirs").c_str(), 4321, 4322), 0);
        ::chmod((dir / "theirs").c_str(), 0604);
        ASSERT_TRUE(WriteFileReplacing(dir / "theirs", "new"));
        ASSERT_EQ(::stat((dir / "theirs").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4322u);
        EXPECT_EQ(info.st_mode & 07777, 0604u);
    }
}

TEST_F(TextFileTest, FailedWritesLeaveTheExistingFileIntact) {
    const std::string target = dir / "keep.hx1";
    for (const auto op : {testsupport::FileOp::Open, testsupport::FileOp::Write,
                          testsupport::FileOp::Close, testsupport::FileOp::Rename}) {
        WriteFile(target, "old content");
        testsupport::FaultyFiles files;
        files.InjectFailure(op, 1, ENOSPC);
        const FileResult result = WriteFileReplacing(target, std::string(5000, 'n'), files);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.error, ENOSPC);
        EXPECT_EQ(result.path, target);
        EXPECT_EQ(ReadFile(target), "old content");
        EXPECT_EQ(FilesIn(dir.Path()).size(), 1u) << "a temporary file was left behind";
    }
}

TEST_F(TextFileTest, ReadOnlyTargetsAndMissingFoldersAreRefused) {
    const std::string target = dir / "ro.em1";
    WriteFile(target, "old");
    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(WriteFileReplacing(target, "new").error, EACCES); // even for a privileged user
    EXPECT_EQ(ReadFile(target), "old");
    AppendFile file;
    EXPECT_EQ(file.Open(target).error, EACCES);
    EXPECT_EQ(ReadFile(target), "old");

    EXPECT_FALSE(WriteFileReplacing(dir / "no/such/folder/x", "new"));
    EXPECT_FALSE(WriteFileReplacing(dir.Path().string(), "a folder is no file"));
}

TEST_F(TextFileTest, AppendingRefusesAnythingButARegularFileWithoutWaiting) {
    // A pipe without a reader (opening it would wait), one with a reader,
    // a socket, devices and a folder are no log.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "read pipe").c_str(), 0600), 0);
    const int reader = ::open((dir / "read pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir / "socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const std::string& path :
         {dir / "pipe", dir / "read pipe", socketPath, std::string("/dev/full"),
          std::string("/dev/null"), dir.Path().string()}) {
        AppendFile file;
        EXPECT_FALSE(file.Open(path)) << path;
        EXPECT_FALSE(file.Write("entry")) << path;
    }
    char buffer[8];
    EXPECT_LE(::read(reader, buffer, sizeof buffer), 0) << "nothing went into the pipe";
    ::close(reader);
    ::close(sock);
}

TEST_F(TextFileTest, AppendingCreatesAndNeverTruncates) {
    const std::string log = dir / "x.log";
    AppendFile file;
    for (const char* entry : {"one\n", "two\n"}) {
        ASSERT_TRUE(file.Open(log));
        ASSERT_TRUE(file.Write(entry));
        ASSERT_TRUE(file.Close());
    }
    ASSERT_TRUE(file.Open(log));
    ASSERT_TRUE(file.Write("three"));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadFile(log), "one\ntwo\nthree");
    EXPECT_EQ(file.Write("closed").error, EBADF);
}

TEST(LineEnds, ConvertBothWays) {
    EXPECT_EQ(LfToCrlf("a\nb\n\n"), "a\r\nb\r\n\r\n");
    EXPECT_EQ(CrlfToLf("a\r\nb\r\r\n\r"), "a\nb\r\n\r");
    EXPECT_EQ(CrlfToLf(LfToCrlf("x\ny\n")), "x\ny\n");
}

TEST(ByteOrderMark, TextsWithAMarkAreReadAsTheirEncoding) {
    const struct {
        std::string raw, text;
    } cases[] = {
        {"plain \xE9:8c", "plain \xE9:8c"},                              // no mark: unchanged
        {"\xEF\xBB\xBFT\xC3\xA9:8c", "T\xC3\xA9:8c"},                    // UTF-8: mark dropped
        {std::string("\xFF\xFET\0:\0\xE9\0\r\0\n\0", 12), "T:\xE9\r\n"}, // UTF-16LE
        {std::string("\xFE\xFF\0T\0:\0\xE9", 8), "T:\xE9"},              // UTF-16BE
        {std::string("\xFF\xFE\0\0\x3B\x26", 6), std::string("\0?", 2)}, // U+0000, U+263B
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE"
                     "x",
                     7),
         "??"},                                             // a surrogate pair, half a unit
        {std::string("\xFE\xFF\xD8\x3D\x00\x41", 6), "?A"}, // a lone surrogate
        {"\xFF\xFE", ""},
    };
    for (const auto& c : cases) {
        std::string text = c.raw;
        platform::ReadByteOrderMark(text);
        EXPECT_EQ(text, c.text) << ::testing::PrintToString(c.raw);
    }
}

TEST_F(TextFileTest, AUnitWritesRightInItsHeldFolderAndElsewhereByPath) {
    std::filesystem::create_directories(dir.Path() / "out" / "sub");
    std::filesystem::create_directories(dir.Path() / "other");
    const std::string out = dir / "out/";
    const OutputFolder folder(out);
    // Another folder's path, a deeper one, and a name that only begins
    // with the folder's path (as does a folder without "/") go by path.
    const std::string paths[] = {out + "a", out + "sub/b", dir / "other/c", out + "d",
                                 dir / "outx"};
    EXPECT_EQ(std::vector<std::size_t>({folder.NameAt(paths[0]), folder.NameAt(paths[1]),
                                        folder.NameAt(paths[4]),
                                        OutputFolder(dir / "out").NameAt(paths[0])}),
              std::vector<std::size_t>({out.size(), 0, 0, 0}));
    testsupport::FaultyFiles files;
    for (const int failingRename : {2, 0}) {
        if (failingRename > 0)
            files.InjectFailure(testsupport::FileOp::Rename, failingRename, EIO);
        OutputUnit unit(files, false, &folder);
        for (const std::string& path : paths)
            ASSERT_TRUE(unit.Stage(path, "text of " + path));
        const OutputUnit::Result result = unit.Commit(
            [](std::size_t, const FileIdentity&) { return ReplaceVerdict::Replace; }, [] {});
        if (failingRename > 0) {
            // Nothing of the unit stays: no output, no temporary.
            EXPECT_EQ(result.outcome, OutputUnit::Outcome::Failed);
            EXPECT_EQ(FilesIn(dir.Path() / "out"), std::vector<std::string>{"sub"});
            continue;
        }
        ASSERT_EQ(result.outcome, OutputUnit::Outcome::Committed);
        for (const std::string& path : paths)
            EXPECT_EQ(ReadFile(path), "text of " + path);
    }
    EXPECT_EQ(FilesIn(dir.Path() / "out"), (std::vector<std::string>{"a", "d", "sub"}));
    EXPECT_EQ(FilesIn(dir.Path() / "other"), std::vector<std::string>{"c"});
}

TEST_F(TextFileTest, AUnitIsCommittedWholeOrNotAtAllEvenWhenInterrupted) {
    // In a child process with the interruption handlers: SIGTERM while the
    // unit is staged removes its temporaries and renames nothing; SIGTERM
    // while it is committed waits until every file is in place and the
    // finishing step (the log entry) is done.
    for (const bool duringCommit : {false, true}) {
        TempDir out;
        WriteFile(out / "b", "old b");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            EndCleanlyOnInterruption();
            OutputUnit unit;
            if (!unit.Stage(out / "a", "new a") || !unit.Stage(out / "b", "new b"))
                ::_exit(1);
            if (!duringCommit)
                ::kill(::getpid(), SIGTERM);
            unit.Commit([](std::size_t, const FileIdentity&) { return ReplaceVerdict::Replace; },
                        [&] {
                            ::kill(::getpid(), SIGTERM);
                            WriteFile(out / "entry", "done");
                        });
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
        const std::vector<std::string> expected = duringCommit
                                                      ? std::vector<std::string>{"a", "b", "entry"}
                                                      : std::vector<std::string>{"b"};
        EXPECT_EQ(FilesIn(out.Path()), expected);
        EXPECT_EQ(ReadFile(out / "b"), duringCommit ? "new b" : "old b");
    }

    // Kept at the question about the existing one: the new name is not made
    // either, and the verdict is asked about the existing file alone.
    WriteFile(dir / "b", "old b");
    OutputUnit unit;
    ASSERT_TRUE(unit.Stage(dir / "a", "new a") && unit.Stage(dir / "b", "new b"));
    std::vector<std::size_t> asked;
    const OutputUnit::Result result = unit.Commit(
        [&](std::size_t i, const FileIdentity&) {
            asked.push_back(i);
            return ReplaceVerdict::Keep;
        },
        [] { ADD_FAILURE() << "nothing is committed"; });
    EXPECT_EQ(result.outcome, OutputUnit::Outcome::Kept);
    EXPECT_EQ(asked, std::vector<std::size_t>{1});
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"b"});
}
