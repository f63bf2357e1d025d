// Activation failures: every one a result code, never a crash.

#include "com/Activation.h"
#include "com/RegistryFile.h"

#include "support/ScopedRegistry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

constexpr CLSID kClsid = MakeGuid("{CCCCCCCC-0000-0000-0000-000000000001}");

void RegisterServerPath(const std::string& path) {
    ASSERT_EQ(com::EditRegistry([&](com::RegistryTree& tree) {
                  tree.SetValue("CLSID\\" + com::GuidToString(kClsid) + "\\InprocServer32", "",
                                path);
                  return S_OK;
              }),
              S_OK);
}

HRESULT Create(DWORD context = CLSCTX_ALL) {
    void* object = reinterpret_cast<void*>(1);
    const HRESULT hr = CoCreateInstance(kClsid, nullptr, context, IID_IUnknown, &object);
    EXPECT_EQ(object, nullptr);
    return hr;
}

} // namespace

TEST(Activation, InitialisationIsPerThreadAndRepeatable) {
    std::thread([] {
        EXPECT_EQ(Create(), CO_E_NOTINITIALIZED);
        EXPECT_EQ(CoInitialize(nullptr), S_OK);
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
        CoUninitialize();
        EXPECT_NE(Create(), CO_E_NOTINITIALIZED); // still initialised once
        CoUninitialize();
        EXPECT_EQ(Create(), CO_E_NOTINITIALIZED);
        CoUninitialize(); // one too many is harmless
    }).join();
}

TEST(Activation, FailuresAreReportedAsCodes) {
    testsupport::ScopedRegistry registry;
    ASSERT_EQ(CoInitialize(nullptr), S_OK);

    EXPECT_EQ(Create(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);

    RegisterServerPath(registry.Dir() / "missing.so");
    EXPECT_EQ(Create(), CO_E_DLLNOTFOUND);
    EXPECT_EQ(Create(CLSCTX_LOCAL_SERVER), REGDB_E_CLASSNOTREG);

    testsupport::WriteFile(registry.Dir() / "text.so", "not a module");
    RegisterServerPath(registry.Dir() / "text.so");
    EXPECT_EQ(Create(), CO_E_DLLNOTFOUND);

    RegisterServerPath(NOEXPORT_MODULE);
    EXPECT_EQ(Create(), CO_E_ERRORINDLL);
    EXPECT_EQ(Create(), CO_E_ERRORINDLL); // and again, nothing half-loaded stays behind

    RegisterServerPath("");
    EXPECT_EQ(Create(), REGDB_E_CLASSNOTREG);

    testsupport::WriteFile(registry.SystemPath(), "[HKEY_CLASSES_ROOT\\CLSID]\nbroken\n");
    std::filesystem::remove(registry.Path());
    EXPECT_EQ(Create(), REGDB_E_READREGDB); // the machine's registry cannot be passed over

    CoUninitialize();
}

// Registries that once froze the host, loaded from wherever it stood, or hid
// the machine's registration (of a module without DllGetClassObject). Each
// row prepares the user's registry; the class is created twice.
TEST(Activation, HostileRegistriesNeitherBlockNorHideTheMachines) {
    namespace fs = std::filesystem;
    const auto registration = [](const std::string& module) {
        return "[HKEY_CLASSES_ROOT\\CLSID\\" + com::GuidToString(kClsid) +
               "\\InprocServer32]\n@=\"" + module + "\"\n";
    };
    const auto write = [](const std::string& path, const std::string& text) {
        testsupport::WriteFile(path, text);
    };
    const struct {
        const char* name;
        std::function<void(const testsupport::ScopedRegistry&)> prepare;
        HRESULT expected;
        int notices; // of a user's registry passed over; -1: the machine's own user decides
    } rows[] = {
        {"a FIFO as module",
         [&](const auto& r) {
             ASSERT_EQ(::mkfifo((r.Dir() / "pipe.so").c_str(), 0600), 0);
             write(r.Path(), registration(r.Dir() / "pipe.so"));
         },
         CO_E_DLLNOTFOUND, 0},
        {"a relative module path",
         [&](const auto& r) {
             fs::create_directory(r.Dir() / "sub");
             fs::copy_file(NOEXPORT_MODULE, r.Dir() / "sub/module.so");
             fs::current_path(r.Dir().Path()); // sub/module.so exists from here
             write(r.Path(), registration("sub/module.so"));
         },
         CO_E_DLLNOTFOUND, 0},
        {"a bare library name", [&](const auto& r) { write(r.Path(), registration("libc.so.6")); },
         CO_E_DLLNOTFOUND, 0},
        {"a malformed user's registry",
         [&](const auto& r) { write(r.Path(), registration("/none.so") + "broken\n"); },
         CO_E_ERRORINDLL, 1},
        {"a user's registry saved as UTF-16",
         [&](const auto& r) {
             std::string units = "\xFF\xFE";
             for (char c : registration("/none.so"))
                 units += std::string{c, '\0'};
             write(r.Path(), units);
         },
         CO_E_ERRORINDLL, 1},
        {"an unreadable user's registry", [](const auto& r) { fs::create_directory(r.Path()); },
         CO_E_ERRORINDLL, 1},
        {"no HOME and a relative XDG_DATA_HOME",
         [](const auto&) {
             ::unsetenv("QUILLMERE_REGISTRY");
             ::unsetenv("HOME");
             ::setenv("XDG_DATA_HOME", "relative", 1);
         },
         CO_E_ERRORINDLL, -1},
    };
    const fs::path folder = fs::current_path();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::ScopedRegistry registry;
        testsupport::ScopedEnv home("HOME"), dataHome("XDG_DATA_HOME");
        write(registry.SystemPath(), registration(NOEXPORT_MODULE));
        row.prepare(registry);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Create(), row.expected);
        EXPECT_EQ(Create(), row.expected);
        const std::string said = testing::internal::GetCapturedStderr();
        fs::current_path(folder);
        int notices = 0;
        for (auto at = said.find(" is not used ("); at != std::string::npos;
             at = said.find(" is not used (", at + 1))
            ++notices;
        EXPECT_TRUE(row.notices < 0 || notices == row.notices) << said;
        EXPECT_NE(com::RegistryFilePath().rfind("/.local/", 0), 0u); // never at the root
    }
    CoUninitialize();
}
