// Concurrency: the built libPellumo.so, registered in a temporary registry
// and created through the runtime, used from two threads at once (one object
// shared, and one object each, early binding and late binding), and two
// processes changing the registry at the same time. Run under
// ThreadSanitizer too; every conversion must complete and nothing be lost.

#include "pellumo/ILogoConverter.h"

#include "com/Com.h"
#include "com/RegistryFile.h"
#include "support/ChildProcess.h"
#include "support/RecordingUi.h"
#include "support/ScopedRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::ReadFile;
using testsupport::Start;
using testsupport::TempDir;
using testsupport::Wait;
using testsupport::WriteFile;

constexpr int kRounds = 4;

// Pictures in an input folder of their own, converted into an output folder
// of their own; several jobs may share one program folder (and so one log).
struct PictureJob {
    explicit PictureJob(int id) : id(id) {
        for (int i = 0; i < 3; ++i) {
            const std::string digits(252, "0123456789ABCDEF"[(id * 3 + i) % 16]);
            WriteFile(in / Name(i), digits);
        }
    }
    std::string Name(int i) const {
        return "job" + std::to_string(id) + "_" + std::to_string(i) + ".txt";
    }
    std::string List() const { return in / Name(0) + "," + in / Name(1) + "," + in / Name(2); }
    void CheckOutputs() const {
        for (int i = 0; i < 3; ++i) {
            std::string output = Name(i);
            output.replace(output.size() - 3, 3, "lgo");
            EXPECT_EQ(ReadFile(out / output), ReadFile(in / Name(i))) << output;
        }
    }
    int id;
    TempDir in, out;
};

HRESULT Convert(ILogoConverter* converter, const PictureJob& job, const std::string& appFolder) {
    BSTR in = com::Utf8ToBstr(job.List());
    BSTR out = com::Utf8ToBstr(job.out.Folder());
    BSTR app = com::Utf8ToBstr(appFolder);
    const HRESULT hr = converter->Convert(in, out, app);
    for (BSTR text : {in, out, app})
        SysFreeString(text);
    return hr;
}

// The same call late-bound: the name looked up, then Invoke.
HRESULT ConvertByName(ILogoConverter* converter, const PictureJob& job,
                      const std::string& appFolder) {
    std::u16string name = u"Convert";
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    HRESULT hr = converter->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    EXPECT_EQ(id, 1);
    VARIANT args[3];
    const std::string texts[3] = {appFolder, job.out.Folder(), job.List()}; // last first
    for (int i = 0; i < 3; ++i) {
        VariantInit(&args[i]);
        args[i].vt = VT_BSTR;
        args[i].bstrVal = com::Utf8ToBstr(texts[i]);
    }
    DISPPARAMS params{args, nullptr, 3, 0};
    hr = converter->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                           nullptr, nullptr);
    for (VARIANT& arg : args)
        VariantClear(&arg);
    return hr;
}

// Every entry of the log is whole: one per picture and call, each with its
// 14-row drawing and three line feeds, none cut into by another.
void CheckLog(const std::string& logPath, std::size_t pictures) {
    const std::string log = ReadFile(logPath);
    std::size_t entries = 0;
    for (std::size_t at = log.find("Converting : "); at != std::string::npos;
         at = log.find("Converting : ", at + 1)) {
        ++entries;
        const std::size_t end = log.find("\r\n\r\n\r\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string entry = log.substr(at, end - at);
        EXPECT_EQ(entry.find("Converting : ", 1), std::string::npos) << "entries interleaved";
        std::size_t rows = 0;
        for (std::size_t line = entry.find("\r\n"); line != std::string::npos;
             line = entry.find("\r\n", line + 2))
            ++rows;
        EXPECT_EQ(rows, 2u + 13u) << "time, report and 14 drawing rows";
    }
    EXPECT_EQ(entries, pictures);
}

class Concurrency : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Wait(Start({REGSVR_TOOL, PELLUMO_MODULE})), 0);
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
    }
    void TearDown() override { CoUninitialize(); }

    static ILogoConverter* Create() {
        ILogoConverter* converter = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_LogoConverter, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ILogoConverter, reinterpret_cast<void**>(&converter)),
                  S_OK);
        return converter;
    }

    testsupport::ScopedRegistry m_registry;
};

TEST_F(Concurrency, TwoThreadsConvertAtOnceOnOneObject) {
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    testsupport::RecordingPresenter messages;
    TempDir app;
    PictureJob jobs[2] = {PictureJob(0), PictureJob(1)};
    const auto run = [&](int which) {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        converter->AddRef();
        for (int round = 0; round < kRounds; ++round) {
            const HRESULT hr = round % 2 == 0 ? Convert(converter, jobs[which], app.Folder())
                                              : ConvertByName(converter, jobs[which], app.Folder());
            EXPECT_EQ(hr, S_OK);
        }
        converter->Release();
        CoUninitialize();
    };
    std::thread first(run, 0), second(run, 1);
    first.join();
    second.join();
    EXPECT_EQ(converter->Release(), 0u);

    for (const PictureJob& job : jobs)
        job.CheckOutputs();
    CheckLog(app / "PictureConverter.log", 2 * kRounds * 3);
    const std::vector<std::string> texts = messages.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Conversion completed!"), 2 * kRounds);
    EXPECT_EQ(texts.size(), 2u * kRounds * 4u) << "three notices and the end, per call";
}

TEST_F(Concurrency, TwoThreadsConvertAtOnceOnTwoObjects) {
    testsupport::RecordingPresenter messages;
    TempDir app;
    PictureJob jobs[2] = {PictureJob(2), PictureJob(3)};
    std::atomic<int> created{0};
    const auto run = [&](int which) {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        for (int round = 0; round < kRounds; ++round) {
            // A fresh object for every call: creation, the first type
            // information lookup and the last release overlap as well.
            ILogoConverter* converter = Create();
            if (converter == nullptr)
                continue;
            ++created;
            const HRESULT hr = round % 2 == 1 ? Convert(converter, jobs[which], app.Folder())
                                              : ConvertByName(converter, jobs[which], app.Folder());
            EXPECT_EQ(hr, S_OK);
            EXPECT_EQ(converter->Release(), 0u);
        }
        CoUninitialize();
    };
    std::thread first(run, 0), second(run, 1);
    first.join();
    second.join();
    EXPECT_EQ(created.load(), 2 * kRounds);
    for (const PictureJob& job : jobs)
        job.CheckOutputs();
    CheckLog(app / "PictureConverter.log", 2 * kRounds * 3);
    const std::vector<std::string> texts = messages.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Conversion completed!"), 2 * kRounds);
}

TEST_F(Concurrency, ReferencesTakenAndDroppedFromTwoThreadsBalance) {
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    const auto churn = [&] {
        for (int i = 0; i < 2000; ++i) {
            void* other = nullptr;
            if (converter->QueryInterface(i % 2 == 0 ? IID_IDispatch : IID_ISupportErrorInfo,
                                          &other) == S_OK)
                static_cast<IUnknown*>(other)->Release();
            converter->AddRef();
            converter->Release();
        }
    };
    std::thread first(churn), second(churn);
    first.join();
    second.join();
    EXPECT_EQ(converter->AddRef(), 2u);
    converter->Release();
    EXPECT_EQ(converter->Release(), 0u);
}

// Twelve threads create objects, ask for type information and release both,
// in bursts with pauses all at once, while another thread keeps asking for
// unused modules to be unloaded: the module goes between the bursts, and
// never while a thread may still be returning from its code. Bounded: 3 s.
TEST_F(Concurrency, UnloadingNeverRacesThreadsLeavingTheModule) {
    using namespace std::chrono;
    constexpr int kThreads = 12;
    constexpr DWORD kUnloadDelayMs = 100;
    const auto start = steady_clock::now();
    const auto busy = [&] { return (steady_clock::now() - start) % 600ms < 250ms; };
    std::atomic<bool> done{false};
    std::atomic<int> created{0};
    const auto work = [&] {
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        while (!done) {
            if (!busy()) {
                std::this_thread::sleep_for(5ms);
                continue;
            }
            ILogoConverter* converter = Create();
            if (converter == nullptr)
                break;
            ITypeInfo* info = nullptr;
            EXPECT_EQ(converter->GetTypeInfo(0, 0, &info), S_OK);
            converter->Release();
            if (info != nullptr)
                info->Release(); // the module's code, after the object is gone
            ++created;
        }
        CoUninitialize();
    };
    // Looked up in the process's mappings: a handle of the test's own could
    // end up unloading the module itself.
    const auto loaded = [] {
        return ReadFile("/proc/self/maps").find(PELLUMO_MODULE) != std::string::npos;
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back(work);
    threads.emplace_back([&] {
        while (!done)
            CoFreeUnusedLibrariesEx(kUnloadDelayMs, 0);
    });
    int unloads = 0;
    bool wasLoaded = false;
    while (steady_clock::now() - start < 3s) {
        const bool now = loaded();
        unloads += wasLoaded && !now ? 1 : 0;
        wasLoaded = now;
        std::this_thread::sleep_for(2ms);
    }
    done = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_GT(created.load(), kThreads);
    EXPECT_GE(unloads, 1) << "the module went between the bursts";
}

// Registers COUNT keys Writers\PREFIX_i one locked change at a time.
std::vector<std::string> Writer(const std::string& prefix, int count) {
    return {REGISTRY_WRITER, prefix, std::to_string(count)};
}

bool HasWriterKeys(const com::RegistryTree& tree, const std::string& prefix, int count) {
    for (int i = 0; i < count; ++i)
        if (!tree.KeyExists("Writers\\" + prefix + "_" + std::to_string(i)))
            return false;
    return true;
}

TEST_F(Concurrency, TwoProcessesRegisteringAtOnceBothLand) {
    constexpr int kKeys = 25;
    for (int round = 0; round < 3; ++round) {
        const std::string suffix = std::to_string(round);
        const std::optional<pid_t> a = Start(Writer("a" + suffix, kKeys));
        const std::optional<pid_t> b = Start(Writer("b" + suffix, kKeys));
        const std::optional<pid_t> unregister = Start({REGSVR_TOOL, "-u", PELLUMO_MODULE});
        EXPECT_EQ(Wait(a), 0);
        EXPECT_EQ(Wait(b), 0);
        EXPECT_EQ(Wait(unregister), 0);
        // The component registering while a writer runs.
        const std::optional<pid_t> c = Start(Writer("c" + suffix, kKeys));
        const std::optional<pid_t> reg = Start({REGSVR_TOOL, PELLUMO_MODULE});
        EXPECT_EQ(Wait(c), 0);
        EXPECT_EQ(Wait(reg), 0);

        com::RegistryTree tree;
        ASSERT_EQ(com::ReadRegistry(tree), S_OK);
        for (const char* prefix : {"a", "b", "c"})
            EXPECT_TRUE(HasWriterKeys(tree, prefix + std::to_string(round), kKeys))
                << prefix << round;
        EXPECT_TRUE(
            tree.GetValue("CLSID\\{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}\\InprocServer32", "")
                .has_value());
        EXPECT_TRUE(tree.KeyExists("Pellumo.LogoConverter.1"));
    }
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    converter->Release();
}

} // namespace
