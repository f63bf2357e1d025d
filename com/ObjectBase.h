#pragma once
// What every object of the component model does the same way: answer
// QueryInterface from a table of the interfaces it has, and count its
// references.
//
//   HRESULT QueryInterface(REFIID riid, void** object) override {
//       return com::QueryInterfaceFrom({{IID_IUnknown, this}, {IID_IClassFactory, this}},
//                                      riid, object);
//   }

#include "com/Unknown.h"

#include <atomic>
#include <initializer_list>

namespace com {

// One interface of an object: its identifier and the pointer that answers for it.
struct InterfaceEntry {
    const IID& iid;
    IUnknown* pointer;
};

// The pointer of the first entry for riid, with a reference added through
// it. E_NOINTERFACE, and *object null, when the object has no such
// interface; E_POINTER when object is null.
inline HRESULT QueryInterfaceFrom(std::initializer_list<InterfaceEntry> table, REFIID riid,
                                  void** object) {
    if (object == nullptr)
        return E_POINTER;
    for (const InterfaceEntry& entry : table) {
        if (entry.iid == riid) {
            entry.pointer->AddRef();
            *object = entry.pointer;
            return S_OK;
        }
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// A reference count that threads may change at once. Each call returns the
// count it left, so that the caller can act on the first or the last one.
class RefCount {
public:
    explicit RefCount(ULONG initial = 0) : m_count(initial) {}
    ULONG AddRef() { return ++m_count; }
    ULONG Release() { return --m_count; }

private:
    std::atomic<ULONG> m_count;
};

} // namespace com
