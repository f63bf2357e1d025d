// Speed of the melody conversion on a large RTX file: a ~50 MB note section
// with millions of notes, converted for both targets through the whole batch
// (read, parse, write, encode, write the files, log).
//
//   melody_bench                       run the benchmarks
//   melody_bench --write-rtx PATH      only write the large RTX file (for
//                                      measuring peak memory of emsconv, see
//                                      peak_memory.sh)

#include "melody/MelodyConverter.h"
#include "support/RecordingUi.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

constexpr std::size_t kFileSize = 50u << 20;

// A note section of realistic items, with a line break every 64 notes.
std::string LargeRtx(std::size_t size) {
    static const char* const kNotes[] = {"8c",  "16d#6", "4.p", "2a5", "32g",  "8e",
                                         "4f#", "8.b",   "1c6", "16p", "8d5.", "4g"};
    std::string text = "Large:d=4,o=5,b=140:";
    text.reserve(size + 16);
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += kNotes[i % std::size(kNotes)];
        text += i % 64 == 63 ? ",\r\n" : ",";
    }
    text += "8c\r\n";
    return text;
}

struct Folder {
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "melody-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path = pattern + "/";
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

void Write(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
}

void ConvertFile(benchmark::State& state, const std::string& text) {
    Folder folder;
    const std::string input = folder.path + "large.txt";
    Write(input, text);
    testsupport::RecordingUi ui; // answers every question with Replace All
    ui.whenNoAnswer = ReplaceAnswer::ReplaceAll;
    for (auto _ : state) {
        ui.Clear();
        CMelodyConverter converter(ui, folder.path);
        converter.ConvertMelodies(input, folder.path, 1, 1, 1);
        if (!converter.AllSucceeded())
            state.SkipWithError("conversion failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

// Millions of ordinary notes: both targets.
void BM_LargeFileBothTargets(benchmark::State& state) {
    ConvertFile(state, LargeRtx(kFileSize));
}

// Notes that convert to nothing never fill the body, so every one of them
// goes through the whole note conversion.
void BM_RejectedNotesBothTargets(benchmark::State& state) {
    std::string text = "Rejected::";
    text.reserve(kFileSize + 16);
    while (text.size() < kFileSize)
        text += "8x6,";
    text += "8c";
    ConvertFile(state, text);
}

// One note item of 50 MB: blanks before its duration.
void BM_OneHugeNoteBothTargets(benchmark::State& state) {
    std::string text = "Huge::" + std::string(kFileSize, ' ') + "8c";
    ConvertFile(state, text);
}

BENCHMARK(BM_LargeFileBothTargets)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RejectedNotesBothTargets)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OneHugeNoteBothTargets)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--write-rtx") {
        Write(argv[2], LargeRtx(kFileSize));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
