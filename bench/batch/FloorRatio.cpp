// The batches against the file-system floor of their own work, measured
// side by side in one run (the machine may be busy: the ratios count).
//
//   batch_floor_ratio [FOLDER] [FILES]     (default: /dev/shm, 10000)
//
// melody: emsconv melody --target both over FILES ringtones, against a loop
// that reads each input, writes 4 outputs through a temporary file renamed
// over the target and appends 2 log lines. picture: emsconv picture over
// FILES 72x14 OTA bitmaps, then FILES logos without header (each brings a
// notice), against read, one temporary renamed over the .lgo, one log
// append of the size of the batch's entries (which draw the picture: about
// 1.1 kB each) and the logos' notices. Then one 40 MB ringtone for both
// targets, which should take under half a second. Each figure is the best
// of several runs, a batch and its floor taking turns.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void WriteText(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::exit(1);
    ::close(fd);
}

std::string Ringtone(std::mt19937& random, std::size_t number) {
    static const char* const kNotes[] = {"c", "d", "e", "f", "g", "a", "b", "p", "c#", "f#"};
    static const char* const kDurations[] = {"4", "8", "16"};
    static const char* const kOctaves[] = {"", "5", "6", "7"};
    std::string text = "Tune" + std::to_string(number) + ":d=4,o=5,b=125:";
    const int count = 10 + static_cast<int>(random() % 31);
    for (int i = 0; i < count; ++i) {
        text += i > 0 ? "," : "";
        text += kDurations[random() % 3];
        text += kNotes[random() % 10];
        text += kOctaves[random() % 4];
    }
    return text;
}

// Runs a program to its end; the seconds it took.
double Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0].c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The floor: per input, read it, write each of `endings` through a
// temporary renamed over the target, append `logLines` log lines (the
// input's path, or `logBytes` bytes when given), write `noticeBytes` bytes
// where the batch's standard error goes. Plain C calls, as lean as the work
// allows.
double Floor(const std::vector<std::string>& inputs, const std::string& out,
             const std::vector<const char*>& endings, int logLines, std::size_t logBytes = 0,
             std::size_t noticeBytes = 0) {
    const std::string entry(logBytes, '*');
    const std::string notice(noticeBytes, '!');
    const int user = ::open("/dev/null", O_WRONLY);
    const auto start = Clock::now();
    char target[4096], temp[4096 + 8];
    std::snprintf(target, sizeof target, "%slog", out.c_str());
    const int log = ::open(target, O_WRONLY | O_CREAT | O_APPEND, 0644);
    static char buffer[1 << 16];
    for (const std::string& input : inputs) {
        const int fd = ::open(input.c_str(), O_RDONLY);
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        const char* name = std::strrchr(input.c_str(), '/') + 1;
        const int stem = static_cast<int>(std::strlen(name)) - 4;
        for (const char* ending : endings) {
            std::snprintf(target, sizeof target, "%s%.*s%s", out.c_str(), stem, name, ending);
            std::snprintf(temp, sizeof temp, "%s.tmp", target);
            const int o = ::open(temp, O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (::write(o, buffer, static_cast<std::size_t>(n)) != n)
                std::exit(1);
            ::close(o);
            ::rename(temp, target);
        }
        const std::string_view line = logBytes > 0 ? std::string_view(entry) : input;
        for (int k = 0; k < logLines; ++k)
            if (::write(log, line.data(), line.size()) < 0)
                std::exit(1);
        if (noticeBytes > 0 && ::write(user, notice.data(), notice.size()) < 0)
            std::exit(1);
    }
    ::close(log);
    ::close(user);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Fresh(const std::string& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder + "/";
}

double Best(const std::function<double()>& run) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i)
        best = std::min(best, run());
    return best;
}

// The best of seven rounds of each, taking turns: a busy spell falls on both.
std::pair<double, double> BestOfBoth(const std::function<double()>& first,
                                     const std::function<double()>& second) {
    std::pair<double, double> best{1e9, 1e9};
    for (int i = 0; i < 7; ++i) {
        best.first = std::min(best.first, first());
        best.second = std::min(best.second, second());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    const std::string work = (argc > 1 ? argv[1] : "/dev/shm") + std::string("/batch-floor");
    const std::size_t files = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
    const std::string emsconv = EMSCONV_PATH;
    std::mt19937 random(7);
    const std::string in = Fresh(work + "/in");
    std::vector<std::string> melodies, logos, bitmaps;
    for (std::size_t i = 0; i < files; ++i) {
        melodies.push_back(in + "t" + std::to_string(i) + ".txt");
        WriteText(melodies.back(), Ringtone(random, i));
        std::string logo(252, '0');
        for (char& c : logo)
            c = "0123456789ABCDEF"[random() % 16];
        logos.push_back(in + "l" + std::to_string(i) + ".txt");
        WriteText(logos.back(), logo);
        bitmaps.push_back(in + "b" + std::to_string(i) + ".ota");
        WriteText(bitmaps.back(), "00480E01" + logo);
    }

    std::size_t logSize = 0; // of the last command's log
    const auto command = [&](const char* kind, const std::vector<std::string>& inputs,
                             std::vector<std::string> options) {
        const std::string out = Fresh(work + "/out");
        const auto done = [&](double seconds) {
            std::error_code error;
            logSize = static_cast<std::size_t>(fs::file_size(
                out + (kind[0] == 'p' ? "PictureConverter.log" : "MelodyConverter.log"), error));
            return seconds;
        };
        std::vector<std::string> args = {emsconv, kind, "--replace", "all",
                                         "-o",    out,  "--log-dir", out};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), inputs.begin(), inputs.end());
        return done(Run(args));
    };
    const auto [melody, melodyFloor] = BestOfBoth(
        [&] {
            return command("melody", melodies, {"--target", "both"});
        },
        [&] {
            return Floor(melodies, Fresh(work + "/floor"), {".em1", ".em2", ".hx1", ".hx2"}, 2);
        });
    std::printf("melody  %zu files both targets: emsconv %.3f s, floor %.3f s, ratio %.2f\n", files,
                melody, melodyFloor, melody / melodyFloor);
    constexpr std::size_t kNoticeLine = 84; // a logo's notice on standard error
    for (const auto& [kind, pictures, notice] :
         {std::tuple{"OTA bitmaps 72x14", &bitmaps, std::size_t{0}},
          std::tuple{"logos without header", &logos, kNoticeLine}}) {
        command("picture", *pictures, {}); // the size of its entries, for the floor
        const std::size_t entry = logSize / files;
        const auto [picture, floor] = BestOfBoth(
            [&] { return command("picture", *pictures, {}); },
            [&] { return Floor(*pictures, Fresh(work + "/floor"), {".lgo"}, 1, entry, notice); });
        std::printf("picture %zu %s: emsconv %.3f s, floor %.3f s, ratio %.2f\n", files, kind,
                    picture, floor, picture / floor);
    }

    std::string large = "Large:d=4,o=5,b=140:";
    while (large.size() < (40u << 20))
        large += "8c,16d#6,4.p,2a5,32g,8e,";
    large += "8c";
    WriteText(in + "large.txt", large);
    const double big = Best([&] {
        return command("melody", {in + "large.txt"}, {"--target", "both"});
    });
    std::printf("melody  one 40 MB ringtone, both targets: emsconv %.3f s\n", big);
    fs::remove_all(work);
    return 0;
}
