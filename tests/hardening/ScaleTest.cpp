// Scale: a batch of 100,000 melody files, generated here. It completes,
// opens its log once, keeps its memory within what the list of files needs
// (log entries go to disk as they are made), and takes time linear in the
// number of files (a tenth of the files takes about a tenth of the time).
// The picture batch at the same scale is measured by bench/picture.

#include "PrivateMount.h"

#include "melody/MelodyConverter.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using testsupport::TempDir;

constexpr std::size_t kFiles = 100000;
constexpr std::size_t kSmall = kFiles / 10;
constexpr long kSlack = 48L << 20; // bytes of memory any batch may use besides its texts

// Where the files go: a memory file system of this process alone when it may
// mount one (then the figures are the converters', not the disk's, and
// nothing outlives the test), the system's temporary folder otherwise.
std::string UseScratchFileSystem() {
    static TempDir mountPoint;
    static hardening::PrivateMount mount; // unmounted before the folder goes
    static const std::string where = [] {
        const std::string folder = mountPoint.Path().string();
        if (!mount.Mount(folder, "size=4g"))
            return std::filesystem::temp_directory_path().string() + " (disk)";
        ::setenv("TMPDIR", folder.c_str(), 1);
        return folder + " (memory)";
    }();
    return where;
}

void Generate(const TempDir& dir, const std::string& prefix, std::size_t count,
              const std::string& extension, const std::string& text, std::string& list) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::string path = dir / (prefix + std::to_string(i) + extension);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << path;
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(fd);
        if (!list.empty())
            list += ',';
        list += path;
    }
}

long PeakBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

long CurrentBytes() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Counts how often the file of that name in the folder is opened and closed.
class OpenCounter {
public:
    OpenCounter(const std::string& folder, std::string name) : m_name(std::move(name)) {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0)
            ::inotify_add_watch(m_fd, folder.c_str(), IN_OPEN | IN_CLOSE);
    }
    ~OpenCounter() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Works() const { return m_fd >= 0; }
    // Reads the events so far: opens and closes of the file.
    void Count(int& opens, int& closes) {
        opens = closes = 0;
        alignas(inotify_event) char buffer[1 << 16];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len > 0 && m_name == event->name) {
                    opens += (event->mask & IN_OPEN) != 0;
                    closes += (event->mask & IN_CLOSE) != 0;
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
    }

private:
    int m_fd = -1;
    std::string m_name;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// What one batch took: its time, how much memory grew, how its log was used.
struct BatchRun {
    double seconds = 0;
    std::size_t listBytes = 0;
    long grewBy = 0;
    int logOpens = 0, logCloses = 0;
    std::uintmax_t logBytes = 0;
};

// Runs convert, the batch of the files of list, and measures it.
template <typename Convert>
BatchRun Measure(const std::string& list, const std::string& logPath, Convert convert) {
    const std::filesystem::path log(logPath);
    OpenCounter counter(log.parent_path().string(), log.filename().string());
    BatchRun run;
    run.listBytes = list.size();
    const long before = CurrentBytes();
    const auto start = std::chrono::steady_clock::now();
    convert();
    run.seconds = Seconds(std::chrono::steady_clock::now() - start);
    run.grewBy = PeakBytes() - before;
    counter.Count(run.logOpens, run.logCloses);
    run.logBytes = std::filesystem::file_size(log);
    return run;
}

// What a batch of kFiles files must show against one of kSmall: its log
// opened once and holding at least logBytesPerFile a file, memory for the
// list alone (log entries go to disk as they are made), and time linear in
// the number of files.
void ExpectAtScale(const char* what, const BatchRun& small, const BatchRun& large,
                   std::size_t logBytesPerFile) {
    std::printf("%s: %zu files in %.2f s, %zu files in %.2f s (%.1f us per file); "
                "log %ju bytes, opened %d time(s); memory grew by %.1f MB\n",
                what, kSmall, small.seconds, kFiles, large.seconds, 1e6 * large.seconds / kFiles,
                large.logBytes, large.logOpens, large.grewBy / 1048576.0);
    EXPECT_EQ(large.logOpens, 1) << "the log is opened once per batch";
    EXPECT_EQ(large.logCloses, 1);
    EXPECT_GT(large.logBytes, kFiles * logBytesPerFile);
    EXPECT_LT(large.grewBy, static_cast<long>(3 * large.listBytes) + kSlack);
    EXPECT_LT(large.seconds, 3.0 * 10 * small.seconds + 1.0) << "not linear";
}

BatchRun ConvertMelodies(std::size_t count) {
    TempDir in, out, logs;
    std::string list;
    Generate(in, "m", count, ".txt", "Tune:d=4,o=5,b=125:8c,8d#6,4.p,16g5,2a", list);
    testsupport::RecordingUi user;
    user.whenNoAnswer = ReplaceAnswer::ReplaceAll;
    // Room for the user's record of the files, in memory before measuring:
    // it is not the converter's.
    user.started.assign(count, std::string());
    user.started.clear();
    CMelodyConverter converter(user, logs.Folder());
    const BatchRun run = Measure(list, logs / "MelodyConverter.log",
                                 [&] { converter.ConvertMelodies(list, out.Folder(), 1, 1, 0); });
    EXPECT_EQ(converter.Counts().succeeded, static_cast<int>(count));
    EXPECT_TRUE(converter.AllSucceeded());
    EXPECT_EQ(user.texts, (std::vector<std::string>{"Conversion complete."}));
    return run;
}

TEST(Scale, AHundredThousandMelodies) {
    std::printf("files in %s\n", UseScratchFileSystem().c_str());
    const BatchRun small = ConvertMelodies(kSmall);
    ExpectAtScale("melodies", small, ConvertMelodies(kFiles), 60);
}

} // namespace
