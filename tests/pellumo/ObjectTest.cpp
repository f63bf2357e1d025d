// The object and its class object: interfaces, counts, module locks,
// aggregation and the creation rules.

#include "ComponentFixture.h"

#include <chrono>
#include <thread>

using componenttest::Component;
using testsupport::CallExport;

namespace {

// An outer object that aggregates the converter and lives on the stack.
class Outer final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return inner != nullptr ? inner->QueryInterface(riid, object) : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }

    IUnknown* inner = nullptr;
    ULONG refs = 1;
};

} // namespace

TEST_F(Component, CreatedByClsidWithItsInterfacesAndCounts) {
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    ISupportErrorInfo* errorInfo = nullptr;
    ASSERT_EQ(
        converter->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errorInfo)),
        S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_ILogoConverter), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

    // One identity, whichever interface is asked.
    IUnknown* fromConverter = nullptr;
    IUnknown* fromErrorInfo = nullptr;
    converter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromConverter));
    errorInfo->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromErrorInfo));
    EXPECT_EQ(fromConverter, fromErrorInfo);
    IDispatch* dispatch = nullptr;
    converter->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    EXPECT_EQ(static_cast<void*>(dispatch), static_cast<void*>(converter));

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(converter->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(converter->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    EXPECT_EQ(converter->AddRef(), 6u); // created, error info, two IUnknown, dispatch, this
    for (IUnknown* p : {static_cast<IUnknown*>(dispatch), fromErrorInfo, fromConverter})
        p->Release();
    errorInfo->Release();
    EXPECT_EQ(converter->Release(), 1u);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    EXPECT_EQ(converter->Release(), 0u);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(Component, CanUnloadNowFollowsObjectsClassObjectAndServerLocks) {
    EXPECT_EQ(CanUnloadNow(), S_OK);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(CLSID_LogoConverter, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE); // a client holds the class object

    ILogoConverter* converter = nullptr;
    ASSERT_EQ(
        factory->CreateInstance(nullptr, IID_ILogoConverter, reinterpret_cast<void**>(&converter)),
        S_OK);
    EXPECT_EQ(factory->LockServer(1), S_OK);
    factory->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    converter->Release();
    EXPECT_EQ(CanUnloadNow(), S_FALSE); // the server lock remains

    ASSERT_EQ(CoGetClassObject(CLSID_LogoConverter, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(factory->LockServer(0), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    factory->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(Component, CreateInstanceRules) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(CLSID_LogoConverter, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ILogoConverter, nullptr), E_POINTER);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ITypeLib, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    Outer outer;
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_ILogoConverter, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    factory->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK); // nothing half-made stays alive

    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(::dlsym(m_module, "DllGetClassObject"));
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(getClassObject(CLSID_LogoConverter, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(getClassObject(CLSID_LogoConverter, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(Component, AggregatedObjectDelegatesToItsOuterObject) {
    Outer outer;
    ASSERT_EQ(CoCreateInstance(CLSID_LogoConverter, &outer, 7, IID_IUnknown,
                               reinterpret_cast<void**>(&outer.inner)),
              S_OK);
    ASSERT_NE(outer.inner, &outer);
    ILogoConverter* converter = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_ILogoConverter, reinterpret_cast<void**>(&converter)),
              S_OK);
    EXPECT_EQ(outer.refs, 2u); // the reference went to the outer object
    IUnknown* identity = nullptr;
    converter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    EXPECT_EQ(identity, &outer);
    identity->Release();
    ISupportErrorInfo* errorInfo = nullptr;
    EXPECT_EQ(
        converter->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errorInfo)),
        S_OK);
    errorInfo->Release();
    converter->Release();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    EXPECT_EQ(outer.inner->Release(), 0u);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST(ComponentModule, StaysLoadedWhileInUseAndIsUnloadedAfterwards) {
    testsupport::ScopedRegistry registry;
    void* module = ::dlopen(PELLUMO_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(CallExport(module, "DllRegisterServer"), S_OK);
    ::dlclose(module);

    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ILogoConverter* converter = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_LogoConverter, nullptr, 7, IID_ILogoConverter,
                               reinterpret_cast<void**>(&converter)),
              S_OK);
    const auto loaded = [] {
        void* handle = ::dlopen(PELLUMO_MODULE, RTLD_NOW | RTLD_NOLOAD);
        if (handle != nullptr)
            ::dlclose(handle);
        return handle != nullptr;
    };
    CoUninitialize(); // the last one: unused modules go, this one is in use
    EXPECT_TRUE(loaded());
    EXPECT_EQ(converter->Release(), 0u);

    // Unloaded once unused for the unload delay, measured from the last use.
    using namespace std::chrono_literals;
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    CoFreeUnusedLibrariesEx(100, 0);
    EXPECT_TRUE(loaded());
    IClassFactory* factory = nullptr;
    ASSERT_EQ(CoGetClassObject(CLSID_LogoConverter, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    factory->Release();
    std::this_thread::sleep_for(150ms);
    CoFreeUnusedLibrariesEx(100, 0);
    EXPECT_TRUE(loaded()); // used since the first check
    std::this_thread::sleep_for(150ms);
    CoFreeUnusedLibrariesEx(100, 0);
    EXPECT_FALSE(loaded());

    // The last CoUninitialize unloads an unused module at once.
    ASSERT_EQ(CoGetClassObject(CLSID_LogoConverter, CLSCTX_INPROC_SERVER, nullptr,
                               IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    factory->Release();
    CoFreeUnusedLibraries();
    EXPECT_TRUE(loaded());
    CoUninitialize();
    EXPECT_FALSE(loaded());
}
