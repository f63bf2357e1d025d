#pragma once
// The base interfaces as abstract classes. Their virtual functions are
// declared in the standard slot order and none has a virtual destructor, so
// each vtable is exactly the table of function pointers (each taking the
// object pointer first) that a C client declares for the same interface.

#include "com/Guid.h"
#include "com/HResult.h"
#include "com/Types.h"

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

class ISupportErrorInfo : public IUnknown {
public:
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

// The signature of a module's exported class-object lookup.
extern "C" {
typedef HRESULT (*DllGetClassObjectFn)(REFCLSID clsid, REFIID riid, void** object);
typedef HRESULT (*DllCanUnloadNowFn)();
typedef HRESULT (*DllRegisterServerFn)();
}
