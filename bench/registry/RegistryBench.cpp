// CoCreateInstance through a large or hostile registry: the first call, the
// calls after it, the first GetTypeInfo, and the peak memory of the process.
//
//   registry_bench [CASE...]   (default: 10000 100000 keyline:4 values:20000)
//
//   N           a user's registry of N in-process classes (each with its two
//               ProgID keys, as a registration script writes them) plus the
//               logo converter
//   keyline:MB  a user's registry holding one key line of MB megabytes in 512
//               parts; the converter is registered in the machine's registry
//   values:N[:KB]  a 2 MB user's registry: one key as long as a key path may
//               be (or of KB kilobytes) and N values under it; the converter
//               in the machine's registry
//
// Each case runs in a process of its own. It waits until the files are a few
// seconds old (as a registry is when a program starts), then creates the
// converter repeatedly.

#include "pellumo/ILogoConverter.h"

#include "com/Com.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// "[HKEY_CLASSES_ROOT\kkk...\kkk...]" with parts names of partLength characters.
std::string KeyLine(std::size_t parts, std::size_t partLength) {
    std::string line = "[HKEY_CLASSES_ROOT";
    for (std::size_t i = 0; i < parts; ++i)
        line.append("\\").append(partLength, 'k');
    return line + "]\n";
}

// One key line of about mb megabytes in 512 parts.
std::string LongKeyLine(unsigned mb) {
    return "REGEDIT4\n\n" + KeyLine(512, std::size_t{mb} * 1024 * 1024 / 512) + "@=\"x\"\n";
}

// 2 MB: one key of 32,767 characters (128 parts), or of kb kilobytes in 512
// parts, and count values under it.
std::string ManyValues(unsigned count, unsigned kb) {
    std::string text =
        "REGEDIT4\n\n" + (kb == 0 ? KeyLine(128, 255) : KeyLine(512, std::size_t{kb} * 2));
    const std::size_t line = (2'000'000 - text.size()) / count;
    for (unsigned i = 0; i < count; ++i) {
        std::string name = "\"v" + std::to_string(i) + "\"=\"";
        text +=
            name + std::string(line > name.size() + 2 ? line - name.size() - 2 : 1, 'x') + "\"\n";
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

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        std::fprintf(stderr, "registry_bench: %s failed with 0x%08X\n", what,
                     static_cast<unsigned>(hr));
        std::exit(1);
    }
}

// Creates the converter; with typeInfoMs, also times its first GetTypeInfo.
double CreateOnce(double* typeInfoMs = nullptr) {
    auto start = Clock::now();
    ILogoConverter* converter = nullptr;
    Check(CoCreateInstance(CLSID_LogoConverter, nullptr, CLSCTX_ALL, IID_ILogoConverter,
                           reinterpret_cast<void**>(&converter)),
          "CoCreateInstance");
    const double ms = Milliseconds(Clock::now() - start);
    if (typeInfoMs != nullptr) {
        start = Clock::now();
        ITypeInfo* info = nullptr;
        Check(converter->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), "GetTypeInfo");
        *typeInfoMs = Milliseconds(Clock::now() - start);
        info->Release();
    }
    converter->Release();
    return ms;
}

// Registers the converter in the registry file at path.
void* RegisterConverter(const std::string& path) {
    ::setenv("QUILLMERE_REGISTRY", path.c_str(), 1);
    void* module = ::dlopen(PELLUMO_MODULE, RTLD_NOW | RTLD_LOCAL);
    const auto registerServer =
        module != nullptr ? reinterpret_cast<HRESULT (*)()>(::dlsym(module, "DllRegisterServer"))
                          : nullptr;
    if (registerServer == nullptr || FAILED(registerServer())) {
        std::fprintf(stderr, "registry_bench: cannot register %s\n", PELLUMO_MODULE);
        std::exit(1);
    }
    return module;
}

void Run(const std::string& which) {
    char pattern[] = "/tmp/quillmere-registry-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        std::exit(1);
    const fs::path dir = pattern;
    const std::string user = dir / "registry.reg";
    const std::string machine = dir / "machine.reg";
    ::setenv("QUILLMERE_SYSTEM_REGISTRY", machine.c_str(), 1);

    void* module = nullptr;
    const auto colon = which.find(':');
    char* end = nullptr;
    const unsigned count = static_cast<unsigned>(
        std::strtoul(which.c_str() + (colon == std::string::npos ? 0 : colon + 1), &end, 10));
    const unsigned kb = *end == ':' ? static_cast<unsigned>(std::strtoul(end + 1, nullptr, 10)) : 0;
    if (colon == std::string::npos) {
        std::ofstream(user, std::ios::binary) << FillerRegistry(count, PELLUMO_MODULE);
        module = RegisterConverter(user);
    } else {
        module = RegisterConverter(machine);
        std::ofstream(user, std::ios::binary)
            << (which.rfind("keyline:", 0) == 0 ? LongKeyLine(count) : ManyValues(count, kb));
        ::setenv("QUILLMERE_REGISTRY", user.c_str(), 1);
    }
    const auto bytes = fs::file_size(user);
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));

    ResetPeakMemory();
    const long before = PeakMemoryMb();
    CoInitialize(nullptr);
    double typeInfo = 0;
    const double first = CreateOnce(&typeInfo);
    constexpr int kLater = 20;
    double total = 0, worst = 0;
    for (int i = 0; i < kLater; ++i) {
        const double ms = CreateOnce();
        total += ms;
        worst = ms > worst ? ms : worst;
    }
    CoUninitialize();
    ::dlclose(module);

    std::printf("%-14s (%5.1f MB registry): first call %8.2f ms, first GetTypeInfo %8.2f ms, "
                "next %d calls %8.3f ms each (worst %8.3f ms), peak memory %ld MB -> %ld MB\n",
                which.c_str(), static_cast<double>(bytes) / 1e6, first, typeInfo, kLater,
                total / kLater, worst, before, PeakMemoryMb());
    std::fflush(stdout);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

// A process of its own, so that no case sees what an earlier one left behind.
void RunApart(const std::string& which) {
    const pid_t child = ::fork();
    if (child == 0) {
        Run(which);
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || status != 0)
        std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1)
        for (const char* which : {"10000", "100000", "keyline:4", "values:20000"})
            RunApart(which);
    for (int i = 1; i < argc; ++i)
        RunApart(argv[i]);
    return 0;
}
