// Activation failures: every one a result code, never a crash.

#include "com/Activation.h"
#include "com/RegistryFile.h"

#include "support/ScopedRegistry.h"

#include <gtest/gtest.h>

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

    testsupport::WriteFile(registry.Path(), "[HKEY_CLASSES_ROOT\\CLSID]\nbroken\n");
    EXPECT_EQ(Create(), REGDB_E_READREGDB);

    CoUninitialize();
}
