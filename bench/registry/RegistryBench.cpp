// CoCreateInstance through a registry holding many classes: the first call,
// the calls after it, and the peak memory of the process.
//
//   registry_bench [CLASSES...]      (default: 10000 100000)
//
// Each run writes a registry of CLASSES in-process classes (each with its two
// ProgID keys, as a registration script writes them) plus the logo converter,
// waits until the file is a few seconds old (as a registry is when a program
// starts), then creates the converter repeatedly.

#include "logoconv/frame/ILogoConverter.h"

#include "com/Com.h"

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string FillerGuid(unsigned i) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-0000-4000-8000-%012X}", i, i * 7u);
    return text;
}

// The text of a registry holding count classes served by module.
std::string FillerRegistry(unsigned count, const std::string& module) {
    std::string text = "REGEDIT4\n";
    text.reserve(std::size_t{count} * 520);
    const std::string root = "\n[HKEY_CLASSES_ROOT\\";
    for (unsigned i = 0; i < count; ++i) {
        const std::string guid = FillerGuid(i);
        const std::string progId = "Filler.Class" + std::to_string(i);
        const std::string clsid = root + "CLSID\\" + guid;
        text += root + progId + "]\n@=\"Filler Class\"\n";
        text += root + progId + "\\CLSID]\n@=\"" + guid + "\"\n";
        text += clsid + "]\n@=\"Filler Class\"\n";
        text += clsid + "\\InprocServer32]\n@=\"" + module + "\"\n\"ThreadingModel\"=\"both\"\n";
        text += clsid + "\\ProgID]\n@=\"" + progId + ".1\"\n";
    }
    return text;
}

// The process's peak resident memory in MB since the last ResetPeakMemory.
long PeakMemoryMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10) / 1024;
    return -1;
}

// Hands freed memory back first, so that the peak counts only what follows.
void ResetPeakMemory() {
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double CreateOnce() {
    const auto start = Clock::now();
    ILogoConverter* converter = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_LogoConverter, nullptr, CLSCTX_ALL,
                                        IID_ILogoConverter, reinterpret_cast<void**>(&converter));
    const double ms = Milliseconds(Clock::now() - start);
    if (FAILED(hr)) {
        std::fprintf(stderr, "registry_bench: CoCreateInstance failed with 0x%08X\n",
                     static_cast<unsigned>(hr));
        std::exit(1);
    }
    converter->Release();
    return ms;
}

void Run(unsigned count) {
    char pattern[] = "/tmp/quillmere-registry-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        std::exit(1);
    const fs::path dir = pattern;
    const std::string registry = dir / "registry.reg";
    ::setenv("QUILLMERE_REGISTRY", registry.c_str(), 1);
    std::ofstream(registry, std::ios::binary) << FillerRegistry(count, PELLUMO_MODULE);

    void* module = ::dlopen(PELLUMO_MODULE, RTLD_NOW | RTLD_LOCAL);
    const auto registerServer =
        module != nullptr ? reinterpret_cast<HRESULT (*)()>(::dlsym(module, "DllRegisterServer"))
                          : nullptr;
    if (registerServer == nullptr || FAILED(registerServer())) {
        std::fprintf(stderr, "registry_bench: cannot register %s\n", PELLUMO_MODULE);
        std::exit(1);
    }
    const auto bytes = fs::file_size(registry);
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));

    ResetPeakMemory();
    const long before = PeakMemoryMb();
    CoInitialize(nullptr);
    const double first = CreateOnce();
    constexpr int kLater = 20;
    double total = 0, worst = 0;
    for (int i = 0; i < kLater; ++i) {
        const double ms = CreateOnce();
        total += ms;
        worst = ms > worst ? ms : worst;
    }
    CoUninitialize();
    ::dlclose(module);

    std::printf("%7u classes (%5.1f MB registry): first call %8.2f ms, next %d calls %8.3f ms "
                "each (worst %8.3f ms), peak memory %ld MB -> %ld MB\n",
                count, static_cast<double>(bytes) / 1e6, first, kLater, total / kLater, worst,
                before, PeakMemoryMb());
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        Run(10000);
        Run(100000);
    }
    for (int i = 1; i < argc; ++i)
        Run(static_cast<unsigned>(std::strtoul(argv[i], nullptr, 10)));
    return 0;
}
