// The picture batch at scale: 10,000 and 100,000 pictures in one call (the
// time per file must stay the same: the batch is linear), and a 100 MB file
// that must be refused without reading it all.

#include "picture/PictureBatch.h"
#include "support/RecordingUi.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class Workspace {
public:
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "quillmere-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        m_root = pattern;
        fs::create_directory(m_root / "in");
        fs::create_directory(m_root / "out");
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    std::string Folder(const char* name) const { return (m_root / name).string() + "/"; }

private:
    fs::path m_root;
};

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Picture(std::size_t rows) {
    std::string data;
    for (std::size_t i = 0; i < rows * 18; ++i)
        data += "0123456789ABCDEF"[(i * 5) % 16];
    return data;
}

void BM_Pictures(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    testsupport::RecordingUi ui;
    Workspace work;
    const std::string in = work.Folder("in");
    std::string list;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string path = in + "p" + std::to_string(i) + ".ota";
        Write(path, i % 2 ? Picture(14) : "00481C01" + Picture(28));
        list += (i ? "," : "") + path;
    }
    for (auto _ : state) {
        ui.Clear();
        const picture::PictureBatchSummary summary =
            picture::RunPictureBatch(ui, list, work.Folder("out"), work.Folder("out"));
        if (summary.converted != count)
            state.SkipWithError("not every picture was converted");
        fs::remove(work.Folder("out") + "PictureConverter.log");
    }
    state.counters["per file"] = benchmark::Counter(
        static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                        benchmark::Counter::kInvert);
}
BENCHMARK(BM_Pictures)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RefuseHundredMegabytes(benchmark::State& state) {
    testsupport::RecordingUi ui;
    Workspace work;
    const std::string path = work.Folder("in") + "huge.ota";
    Write(path, "00480E01" + std::string(100u << 20, 'F'));
    for (auto _ : state) {
        const picture::PictureBatchSummary summary =
            picture::RunPictureBatch(ui, path, work.Folder("out"), work.Folder("out"));
        if (summary.failed != 1)
            state.SkipWithError("the huge file was not refused");
    }
}
BENCHMARK(BM_RefuseHundredMegabytes)->Unit(benchmark::kMicrosecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
