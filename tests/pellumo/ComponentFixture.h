#pragma once
// The built libPellumo.so, registered in a temporary registry for each test,
// with the runtime initialised on the test's thread, and helpers to run a
// real conversion of a sample picture.

#include "pellumo/ILogoConverter.h"

#include "com/Com.h"
#include "platform/MessagePresenter.h"
#include "support/RecordingUi.h"
#include "support/ScopedRegistry.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace componenttest {

using testsupport::CallExport;

// A sample picture in an input folder, with empty output and program folders.
struct PictureJob {
    PictureJob() {
        std::filesystem::copy_file(std::string(QUILLMERE_SAMPLES) + "/operator_logo.txt",
                                   in / "operator_logo.txt");
    }
    std::string Output() const { return out / "operator_logo.lgo"; }
    std::string Log() const { return app / "PictureConverter.log"; }
    testsupport::TempDir in, out, app;
};

class Component : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = ::dlopen(PELLUMO_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_module, nullptr) << ::dlerror();
        ASSERT_EQ(CallExport(m_module, "DllRegisterServer"), S_OK);
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
    }
    void TearDown() override {
        CoUninitialize();
        if (m_module != nullptr)
            ::dlclose(m_module);
    }

    HRESULT CanUnloadNow() { return CallExport(m_module, "DllCanUnloadNow"); }

    ILogoConverter* Create() {
        ILogoConverter* converter = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_LogoConverter, nullptr, 7, IID_ILogoConverter,
                                   reinterpret_cast<void**>(&converter)),
                  S_OK);
        return converter;
    }

    testsupport::ScopedRegistry m_registry;
    void* m_module = nullptr;
};

} // namespace componenttest
