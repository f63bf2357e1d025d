#pragma once
// The built libPellumo.so, registered in a temporary registry for each test,
// with the runtime initialised on the test's thread, and helpers to run a
// real conversion of a sample picture.

#include "logoconv/frame/ILogoConverter.h"

#include "com/Com.h"
#include "platform/MessagePresenter.h"
#include "tests/com/ScopedRegistry.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace componenttest {

inline HRESULT CallExport(void* module, const char* name) {
    const auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(module, name));
    return fn != nullptr ? fn() : E_FAIL;
}

// Records every message the component shows, from any thread.
class Messages {
public:
    Messages() {
        m_previous = platform::SetMessagePresenter(
            [](void* context, const char*, const char* text) {
                auto* self = static_cast<Messages*>(context);
                std::lock_guard lock(self->m_mutex);
                self->m_texts.emplace_back(text);
            },
            this);
    }
    ~Messages() { platform::SetMessagePresenter(m_previous.show, m_previous.context); }
    std::vector<std::string> Texts() {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

private:
    QuillmereMessagePresenter m_previous;
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

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
