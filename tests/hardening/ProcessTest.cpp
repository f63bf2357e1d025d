// The programs as real processes: started with their standard streams
// closed, interrupted by signals part-way through a batch, killed outright,
// and eight at a time sharing both logs. Nothing finished is lost, no
// temporary file stays behind an interruption, and every log entry is whole.

#include "support/ChildProcess.h"
#include "support/ScopedRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::FilesIn;
using testsupport::kClosed;
using testsupport::ReadFile;
using testsupport::Start;
using testsupport::TempDir;
using testsupport::Untimed;
using testsupport::Wait;
using testsupport::WriteFile;

const std::string kEmsconv = EMSCONV_PATH;
const std::string kMelody = "Tune:d=4,o=5,b=125:8c,8d#6,4.p,16g5,2a";

std::string Picture() {
    std::string data;
    for (int i = 0; i < 252; ++i)
        data += "0123456789ABCDEF"[(i * 7) % 16];
    return data;
}

// count melody files m<i>.txt and picture files p<i>.txt in one folder.
struct Inputs {
    explicit Inputs(int count, const std::string& melody = kMelody) {
        for (int i = 0; i < count; ++i) {
            const std::string number = std::to_string(i);
            melodies.push_back(folder / ("m" + number + ".txt"));
            pictures.push_back(folder / ("p" + number + ".txt"));
            WriteFile(melodies.back(), melody);
            WriteFile(pictures.back(), Picture());
        }
    }
    TempDir folder;
    std::vector<std::string> melodies, pictures;
};

// "emsconv melody|picture" over files, writing into out with its log in logs.
std::vector<std::string> Emsconv(bool picture, const std::vector<std::string>& files,
                                 const std::string& out, const std::string& logs) {
    std::vector<std::string> argv = {
        kEmsconv, picture ? "picture" : "melody", "-o", out, "--log-dir", logs, "--replace", "all"};
    argv.insert(argv.end(), files.begin(), files.end());
    return argv;
}

std::string LogOf(const TempDir& logs, bool picture) {
    return logs / (picture ? "PictureConverter.log" : "MelodyConverter.log");
}

std::vector<std::string> Temporaries(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::string& name : FilesIn(folder))
        if (name.front() == '.')
            names.push_back(name);
    return names;
}

std::size_t CountOf(const std::string& text, const std::string& piece) {
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos;
         at = text.find(piece, at + piece.size()))
        ++count;
    return count;
}

// Checks that the logs in logs hold only whole entries; returns how many
// entries each holds (melody, picture).
std::pair<std::size_t, std::size_t> WholeEntries(const std::string& logs) {
    const std::string melody = Untimed(ReadFile(logs + "MelodyConverter.log"));
    std::size_t melodies = 0;
    for (std::size_t at = melody.find("<time>"); at != std::string::npos; ++melodies) {
        const std::size_t next = melody.find("<time>", at + 1);
        const std::string entry = melody.substr(at, next - at);
        EXPECT_EQ(entry.rfind("<time>Converting: ", 0), 0u) << entry;
        EXPECT_EQ(entry.find("Status: Success\r\n\r\n"), entry.size() - 19) << entry;
        at = next;
    }
    EXPECT_EQ(melody.find("<time>"), melody.empty() ? std::string::npos : 0u);

    const std::string picture = ReadFile(logs + "PictureConverter.log");
    std::size_t pictures = 0;
    for (std::size_t at = picture.find("Converting : "); at != std::string::npos; ++pictures) {
        const std::size_t next = picture.find("Converting : ", at + 1);
        const std::string entry = picture.substr(at, next - at);
        // Time, report, 14 drawing rows, three line feeds.
        EXPECT_EQ(CountOf(entry, "\r\n"), 2u + 13u + 3u) << entry;
        EXPECT_EQ(entry.find("\r\n\r\n\r\n"), entry.size() - 6) << entry;
        at = next;
    }
    EXPECT_EQ(picture.find("Converting : "), picture.empty() ? std::string::npos : 0u);
    return {melodies, pictures};
}

// Waits until the log has an entry (the program is well under way); false
// when the program ended first.
bool WaitForTheFirstEntry(pid_t pid, const std::string& log) {
    std::error_code error;
    while (std::filesystem::file_size(log, error) == 0 || error) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            ADD_FAILURE() << "the program ended without a log entry";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Once the log has an entry, stops the running program at random moments
// until one finds a temporary file of its in out; true with the program
// stopped then, false when it ended first.
bool StopWithATemporaryInFlight(pid_t pid, const std::string& out, const std::string& log) {
    std::mt19937 random(static_cast<unsigned>(pid));
    if (!WaitForTheFirstEntry(pid, log))
        return false;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 400));
        if (::kill(pid, SIGSTOP) != 0)
            return false;
        int status = 0;
        if (::waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) {
            ADD_FAILURE() << "the program ended before a temporary file was seen";
            return false;
        }
        if (!Temporaries(out).empty())
            return true;
        ::kill(pid, SIGCONT);
    }
}

// Twenty interruptions at random moments of a 2,000-file batch that writes
// every output there is: each file and target is afterwards either wholly
// written, with its log entry, or not touched at all, and no temporary file
// is left. Half the signals come while a unit's temporary files exist.
TEST(Processes, InterruptedBatchesLeaveEveryFileWholeOrUntouched) {
    const Inputs inputs(2000, "Short:d=16,b=900:c"); // a WAV of 1.5 kB
    std::mt19937 random(20);
    const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    for (int round = 0; round < 20; ++round) {
        const bool picture = round % 5 == 4;
        const int signal = kSignals[round % 3];
        SCOPED_TRACE("round " + std::to_string(round) + ", " + ::strsignal(signal));
        TempDir out, logs;
        std::vector<std::string> argv =
            Emsconv(picture, picture ? inputs.pictures : inputs.melodies, out.Folder(),
                    logs.Folder());
        argv.insert(argv.begin() + 2, {"--pdu", "1", picture ? "--png" : "--wav"});
        if (!picture)
            argv.insert(argv.begin() + 2, {"--target", "both"});
        const auto pid = Start(argv, {"/dev/null", "/dev/null", "/dev/null"});
        ASSERT_TRUE(pid);
        if (round % 2 == 0) {
            if (!StopWithATemporaryInFlight(*pid, out.Folder(), LogOf(logs, picture)))
                continue;
        } else {
            if (!WaitForTheFirstEntry(*pid, LogOf(logs, picture)))
                continue;
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1000));
        }
        ::kill(*pid, signal);
        ::kill(*pid, SIGCONT);
        const int status = Wait(pid);
        EXPECT_TRUE(status == 128 + signal || status == 0) << status;

        EXPECT_EQ(Temporaries(out.Folder()), std::vector<std::string>{});
        const auto [melodies, pictures] = WholeEntries(logs.Folder());
        const std::string log = ReadFile(LogOf(logs, picture));
        std::set<std::string> present;
        for (const std::string& name : FilesIn(out.Folder()))
            present.insert(name);
        std::size_t units = 0;
        for (std::size_t i = 0; i < inputs.melodies.size(); ++i) {
            const std::string stem = (picture ? "p" : "m") + std::to_string(i);
            const std::string input = picture ? inputs.pictures[i] : inputs.melodies[i];
            // Entries of this input: "PATH : " for a picture, "PATHStatus" for a melody.
            const std::size_t entries = CountOf(log, input + (picture ? " : " : "Status"));
            std::size_t whole = 0;
            for (const std::vector<std::string>& unit :
                 picture ? std::vector<std::vector<std::string>>{{".lgo", ".png", ".pdu"}}
                         : std::vector<std::vector<std::string>>{{".em1", ".hx1", ".1.wav", ".1.pdu"},
                                                                 {".em2", ".hx2", ".2.wav", ".2.pdu"}}) {
                std::size_t there = 0;
                for (const std::string& ending : unit)
                    there += present.count(stem + ending);
                EXPECT_TRUE(there == 0 || there == unit.size()) << stem << unit[0] << ": " << there;
                whole += there == unit.size();
            }
            EXPECT_EQ(entries, whole) << stem;
            units += whole;
        }
        EXPECT_EQ(units, picture ? pictures : melodies);
        EXPECT_EQ(present.size(), units * (picture ? 3 : 4));
    }
}

TEST(Processes, AKilledBatchLeavesOneTemporaryAndTheNextRunRemovesNothingElse) {
    const Inputs inputs(1500);
    for (const bool picture : {false, true}) {
        SCOPED_TRACE(picture ? "picture" : "melody");
        TempDir out, logs;
        const std::vector<std::string> argv = Emsconv(
            picture, picture ? inputs.pictures : inputs.melodies, out.Folder(), logs.Folder());
        const auto pid = Start(argv, {"/dev/null", "/dev/null", "/dev/null"});
        ASSERT_TRUE(pid);
        if (!StopWithATemporaryInFlight(*pid, out.Folder(), LogOf(logs, picture)))
            continue;
        ::kill(*pid, SIGKILL);
        EXPECT_EQ(Wait(pid), -1);
        // At most the temporary files of one unit: a picture's one, a melody
        // target's two.
        const std::size_t left = Temporaries(out.Folder()).size();
        EXPECT_TRUE(left >= 1 && left <= (picture ? 1u : 2u)) << left;
        const std::vector<std::string> before = FilesIn(out.Folder());

        EXPECT_EQ(Wait(Start(argv, {"/dev/null", "/dev/null", "/dev/null"})), 0);
        const std::vector<std::string> after = FilesIn(out.Folder());
        for (const std::string& name : before)
            EXPECT_TRUE(std::binary_search(after.begin(), after.end(), name)) << name << " went";
        EXPECT_EQ(after.size(), inputs.melodies.size() * (picture ? 1 : 2) + left);
    }
}

TEST(Processes, EightSharingBothLogsKeepEveryEntryWhole) {
    constexpr int kProcesses = 8;
#ifdef QUILLMERE_SANITIZED
    constexpr int kRounds = 15; // a sanitizer makes each of the 2 x 8 x rounds starts slow
#else
    constexpr int kRounds = 50;
#endif
    const Inputs inputs(2 * kProcesses);
    TempDir logs;
    std::vector<std::unique_ptr<TempDir>> outs;
    std::vector<std::optional<pid_t>> workers;
    for (int p = 0; p < kProcesses; ++p) {
        outs.push_back(std::make_unique<TempDir>());
        // Each worker converts its two melodies and its two pictures, round after round.
        const std::vector<std::string> melody =
            Emsconv(false, {inputs.melodies[2 * p], inputs.melodies[2 * p + 1]}, outs[p]->Folder(),
                    logs.Folder());
        const std::vector<std::string> picture =
            Emsconv(true, {inputs.pictures[2 * p], inputs.pictures[2 * p + 1]}, outs[p]->Folder(),
                    logs.Folder());
        std::string script = "i=0; while [ $i -lt " + std::to_string(kRounds) + " ]; do";
        for (const auto* argv : {&melody, &picture}) {
            for (const std::string& arg : *argv)
                script += " '" + arg + "'";
            script += " || exit 1;";
        }
        script += " i=$((i+1)); done";
        workers.push_back(
            Start({"/bin/sh", "-c", script}, {"/dev/null", "/dev/null", "/dev/null"}));
    }
    for (const auto& worker : workers)
        EXPECT_EQ(Wait(worker), 0);
    const auto [melodies, pictures] = WholeEntries(logs.Folder());
    EXPECT_EQ(melodies, std::size_t{2 * kProcesses * kRounds});
    EXPECT_EQ(pictures, std::size_t{2 * kProcesses * kRounds});
}

// Where descriptor fd of a running process leads.
std::string DescriptorTarget(pid_t pid, int fd) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(
        "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), error);
    return error ? "(closed)" : target.string();
}

TEST(Processes, StandardStreamsClosedAtStartAreOpenedOnDevNullBeforeAnythingElse) {
    TempDir in, out, logs;
    WriteFile(in / "a.txt", kMelody);
    WriteFile(in / "b.txt", Picture());

    // Started with standard error closed, a picture batch never writes its
    // messages into its log.
    EXPECT_EQ(Wait(Start(Emsconv(true, {in / "b.txt"}, out.Folder(), logs.Folder()),
                         {"/dev/null", "/dev/null", kClosed})),
              0);
    EXPECT_EQ(ReadFile(logs / "PictureConverter.log").find("ZEV Urur Orarodude"),
              std::string::npos);

    // Programs held while they run: at the replace question, waiting for the
    // registry's lock, showing the main dialog.
    WriteFile(out / "a.em1", "old");
    const std::string question = in / "answers";
    ASSERT_EQ(::mkfifo(question.c_str(), 0600), 0);
    const int answers = ::open(question.c_str(), O_RDWR);
    const testsupport::ScopedRegistry registry;
    const int lock = ::open((registry.Path() + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    struct Held {
        std::vector<std::string> argv;
        testsupport::Streams streams;
    };
    std::vector<Held> programs = {
        {{kEmsconv, "melody", "--replace", "ask", "-o", out.Folder(), "--log-dir", logs.Folder(),
          in / "a.txt"},
         {question, kClosed, kClosed}},
        {{REGSVR_TOOL, PELLUMO_MODULE}, {kClosed, kClosed, kClosed}},
    };
#ifdef QUILLMERE_PATH
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    programs.push_back({{QUILLMERE_PATH}, {kClosed, kClosed, kClosed}});
#endif
    for (const Held& program : programs) {
        SCOPED_TRACE(program.argv[0]);
        const auto pid = Start(program.argv, program.streams);
        ASSERT_TRUE(pid);
        // However slowly the program starts (a sanitizer build on a busy
        // machine), its descriptors are opened on /dev/null within seconds.
        for (int fd = program.streams.in == kClosed ? 0 : 1; fd < 3; ++fd) {
            std::string target;
            for (int wait = 0; wait < 100 && (target = DescriptorTarget(*pid, fd)) != "/dev/null";
                 ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            EXPECT_EQ(target, "/dev/null") << "descriptor " << fd;
        }
        ::kill(*pid, SIGTERM);
        Wait(pid);
    }
    ::close(lock);
    ::close(answers);
}

} // namespace
