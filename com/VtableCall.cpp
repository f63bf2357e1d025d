#include "com/VtableCall.h"

#include "com/HResult.h"

namespace com {

HRESULT CallStringMethod(void* instance, std::size_t slot, const BSTR* a, std::size_t count) {
    using Slot = void (*)();
    const Slot entry = (*static_cast<Slot* const*>(instance))[slot];
    using B = BSTR;
    void* self = instance;
    switch (count) {
    case 0:
        return reinterpret_cast<HRESULT (*)(void*)>(entry)(self);
    case 1:
        return reinterpret_cast<HRESULT (*)(void*, B)>(entry)(self, a[0]);
    case 2:
        return reinterpret_cast<HRESULT (*)(void*, B, B)>(entry)(self, a[0], a[1]);
    case 3:
        return reinterpret_cast<HRESULT (*)(void*, B, B, B)>(entry)(self, a[0], a[1], a[2]);
    case 4:
        return reinterpret_cast<HRESULT (*)(void*, B, B, B, B)>(entry)(self, a[0], a[1], a[2],
                                                                       a[3]);
    case 5:
        return reinterpret_cast<HRESULT (*)(void*, B, B, B, B, B)>(entry)(self, a[0], a[1], a[2],
                                                                          a[3], a[4]);
    case 6:
        return reinterpret_cast<HRESULT (*)(void*, B, B, B, B, B, B)>(entry)(self, a[0], a[1], a[2],
                                                                             a[3], a[4], a[5]);
    case 7:
        return reinterpret_cast<HRESULT (*)(void*, B, B, B, B, B, B, B)>(entry)(
            self, a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
    case 8:
        return reinterpret_cast<HRESULT (*)(void*, B, B, B, B, B, B, B, B)>(entry)(
            self, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    default:
        return DISP_E_BADPARAMCOUNT;
    }
}

} // namespace com
