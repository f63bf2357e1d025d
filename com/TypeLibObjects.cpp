// The library and type-information objects over a parsed type library.

#include "com/Bstr.h"

#include "com/ModuleResources.h"
#include "com/ObjectBase.h"
#include "com/TypeLib.h"
#include "com/VtableCall.h"
#include "platform/Ascii.h"

#include "platform/TextFile.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <new>

namespace com {
namespace {

using Data = std::shared_ptr<const TypeLibData>;

std::string NameOf(LPCOLESTR name) {
    return Utf16ToUtf8(std::u16string_view(name, std::char_traits<char16_t>::length(name)));
}

// Sets *out to a new BSTR of text when out is not null.
HRESULT SetText(BSTR* out, const std::string& text) {
    if (out == nullptr)
        return S_OK;
    *out = Utf8ToBstr(text);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// References handed out by this copy of the runtime (see ServedReferences).
std::atomic<LONG> g_servedReferences{0};

// Counts its references; each one it hands out (the first, to its creator,
// included) is also a served reference, each one it takes for itself (type
// information holding its library) is not.
template <class Interface> class RefCounted : public Interface {
public:
    RefCounted() { ++g_servedReferences; }

    ULONG AddRef() override {
        ++g_servedReferences;
        return m_refs.AddRef();
    }
    ULONG Release() override {
        const ULONG left = DropRef();
        --g_servedReferences; // last: nothing of this object is used afterwards
        return left;
    }
    void AddInternalRef() { m_refs.AddRef(); }
    void ReleaseInternalRef() { DropRef(); }

protected:
    virtual void DeleteThis() = 0;

private:
    ULONG DropRef() {
        const ULONG left = m_refs.Release();
        if (left == 0)
            DeleteThis();
        return left;
    }

    RefCount m_refs{1};
};

class TypeLibObject;

// Type references of a library: its own types by index, and the standard
// library's types (the bases of its interfaces) by index with this bit set.
constexpr HREFTYPE kStandardTypeRef = 0x80000000u;

// The standard library's interface of that name; null when there is none.
const TypeLibType* StandardInterface(const std::string& name, std::size_t* index = nullptr) {
    const std::vector<TypeLibType>& types = StandardTypeLib()->types;
    for (std::size_t i = 0; i < types.size(); ++i)
        if (types[i].name == name) {
            if (index != nullptr)
                *index = i;
            return &types[i];
        }
    return nullptr;
}

// Vtable slots of the interface's bases, ahead of its own methods.
std::size_t SlotsBefore(const TypeLibType& type) {
    const TypeLibType* base = type.base.empty() ? nullptr : StandardInterface(type.base);
    return base == nullptr ? 0 : SlotsBefore(*base) + base->methods.size();
}

// A type description for a parameter or result; VT_PTR points at "anything".
TYPEDESC TypeOf(VARTYPE vt) {
    static TYPEDESC anything{{nullptr}, VT_VOID};
    TYPEDESC desc{};
    desc.vt = vt;
    if (vt == VT_PTR)
        desc.lptdesc = &anything;
    return desc;
}

class TypeInfoObject final : public RefCounted<ITypeInfo> {
public:
    TypeInfoObject(TypeLibObject* lib, Data data, std::size_t index);

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return QueryInterfaceFrom({{IID_IUnknown, this}, {IID_ITypeInfo, this}}, riid, object);
    }

    HRESULT GetTypeAttr(TYPEATTR** attr) override {
        if (attr == nullptr)
            return E_INVALIDARG;
        auto* a = new (std::nothrow) TYPEATTR{};
        if (a == nullptr)
            return E_OUTOFMEMORY;
        const bool isInterface = Type().kind == TypeLibType::Kind::Interface;
        a->guid = Type().guid;
        a->lcid = m_data->lcid;
        a->memidConstructor = MEMBERID_NIL;
        a->memidDestructor = MEMBERID_NIL;
        a->cbSizeInstance = sizeof(void*); // an interface pointer
        a->typekind = !isInterface                           ? TKIND_COCLASS
                      : (Type().flags & TYPEFLAG_FDUAL) != 0 ? TKIND_DISPATCH
                                                             : TKIND_INTERFACE;
        a->cFuncs = static_cast<WORD>(Type().methods.size());
        a->cImplTypes = static_cast<WORD>(isInterface ? (Type().base.empty() ? 0 : 1)
                                                      : Type().implemented.size());
        a->cbSizeVft =
            static_cast<WORD>((SlotsBefore(Type()) + Type().methods.size()) * sizeof(void*));
        a->cbAlignment = alignof(void*);
        a->wTypeFlags = Type().flags;
        a->wMajorVerNum = m_data->majorVersion;
        a->wMinorVerNum = m_data->minorVersion;
        a->tdescAlias.vt = VT_EMPTY;
        *attr = a;
        return S_OK;
    }
    void ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }

    HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) override {
        if (desc == nullptr)
            return E_INVALIDARG;
        if (index >= Type().methods.size())
            return TYPE_E_ELEMENTNOTFOUND;
        const TypeLibMethod& method = Type().methods[index];
        auto params =
            std::unique_ptr<ELEMDESC[]>(new (std::nothrow) ELEMDESC[method.params.size() + 1]{});
        auto* d = new (std::nothrow) FUNCDESC{};
        if (params == nullptr || d == nullptr) {
            delete d;
            return E_OUTOFMEMORY;
        }
        for (std::size_t i = 0; i < method.params.size(); ++i) {
            params[i].tdesc = TypeOf(method.params[i].type);
            params[i].paramdesc.wParamFlags = PARAMFLAG_FIN;
        }
        d->memid = method.id;
        d->lprgelemdescParam = params.release();
        d->funckind = FUNC_PUREVIRTUAL;
        d->invkind = INVOKE_FUNC;
        d->callconv = CC_STDCALL;
        d->cParams = static_cast<std::int16_t>(method.params.size());
        d->oVft = static_cast<std::int16_t>((SlotsBefore(Type()) + index) * sizeof(void*));
        d->elemdescFunc.tdesc = TypeOf(method.result);
        d->wFuncFlags = method.flags;
        *desc = d;
        return S_OK;
    }
    void ReleaseFuncDesc(FUNCDESC* desc) override {
        if (desc != nullptr)
            delete[] desc->lprgelemdescParam;
        delete desc;
    }

    HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) override {
        if (names == nullptr || count == nullptr)
            return E_INVALIDARG;
        const TypeLibMethod* method = FindMethod(id);
        if (method == nullptr)
            return TYPE_E_ELEMENTNOTFOUND;
        *count = 0;
        std::vector<std::string> all{method->name};
        for (const TypeLibParam& p : method->params)
            all.push_back(p.name);
        for (std::size_t i = 0; i < all.size() && *count < maxNames; ++i) {
            if (SetText(&names[*count], all[i]) != S_OK)
                return E_OUTOFMEMORY;
            ++*count;
        }
        return S_OK;
    }

    // The first name is a member, the others its parameters; case does not matter.
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
        if (count == 0)
            return S_OK;
        if (names == nullptr || ids == nullptr)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (names[0] == nullptr)
            return E_INVALIDARG;
        const std::string member = NameOf(names[0]);
        const TypeLibMethod* method = nullptr;
        for (const TypeLibMethod& m : Type().methods)
            if (platform::EqualsIgnoringAsciiCase(m.name, member))
                method = &m;
        if (method == nullptr)
            return DISP_E_UNKNOWNNAME;
        ids[0] = method->id;
        HRESULT hr = S_OK;
        for (UINT i = 1; i < count; ++i) {
            const std::string param = names[i] != nullptr ? NameOf(names[i]) : std::string();
            for (std::size_t p = 0; p < method->params.size(); ++p)
                if (platform::EqualsIgnoringAsciiCase(method->params[p].name, param))
                    ids[i] = static_cast<MEMBERID>(p);
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argError) override;

    HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* docString, DWORD* helpContext,
                             BSTR* helpFile) override {
        std::string text[2];
        if (id == DISPID_UNKNOWN) {
            text[0] = Type().name, text[1] = Type().help;
        } else if (const TypeLibMethod* method = FindMethod(id)) {
            text[0] = method->name, text[1] = method->help;
        } else {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        if (helpContext != nullptr)
            *helpContext = 0;
        if (helpFile != nullptr)
            *helpFile = nullptr;
        if (SetText(name, text[0]) != S_OK || SetText(docString, text[1]) != S_OK)
            return E_OUTOFMEMORY;
        return S_OK;
    }

    HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) override;
    HRESULT GetImplTypeFlags(UINT index, INT* flags) override {
        if (flags == nullptr)
            return E_INVALIDARG;
        if (Type().kind == TypeLibType::Kind::Interface) {
            if (index != 0 || Type().base.empty())
                return TYPE_E_ELEMENTNOTFOUND;
            *flags = 0;
            return S_OK;
        }
        if (index >= Type().implemented.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *flags = index == 0 ? IMPLTYPEFLAG_FDEFAULT : 0;
        return S_OK;
    }
    HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) override;
    HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) override;

    HRESULT GetTypeComp(void**) override { return E_NOTIMPL; }
    HRESULT GetVarDesc(UINT, VARDESC**) override { return TYPE_E_ELEMENTNOTFOUND; }
    HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void**) override { return E_NOTIMPL; }
    HRESULT CreateInstance(IUnknown*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT GetMops(MEMBERID, BSTR* mops) override {
        if (mops != nullptr)
            *mops = nullptr;
        return S_OK;
    }
    void ReleaseVarDesc(VARDESC*) override {} // GetVarDesc hands out none

private:
    ~TypeInfoObject();
    void DeleteThis() override { delete this; }
    const TypeLibType& Type() const { return m_data->types[m_index]; }
    std::size_t FirstSlot() const { return SlotsBefore(Type()); }
    const TypeLibMethod* FindMethod(MEMBERID id) const {
        for (const TypeLibMethod& m : Type().methods)
            if (m.id == id)
                return &m;
        return nullptr;
    }

    TypeLibObject* m_lib;
    Data m_data;
    std::size_t m_index;
};

class TypeLibObject final : public RefCounted<ITypeLib> {
public:
    explicit TypeLibObject(Data data) : m_data(std::move(data)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return QueryInterfaceFrom({{IID_IUnknown, this}, {IID_ITypeLib, this}}, riid, object);
    }

    UINT GetTypeInfoCount() override { return static_cast<UINT>(m_data->types.size()); }

    HRESULT GetTypeInfo(UINT index, ITypeInfo** info) override {
        if (info == nullptr)
            return E_INVALIDARG;
        *info = nullptr;
        if (index >= m_data->types.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *info = new (std::nothrow) TypeInfoObject(this, m_data, index);
        return *info != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) override {
        if (kind == nullptr)
            return E_INVALIDARG;
        if (index >= m_data->types.size())
            return TYPE_E_ELEMENTNOTFOUND;
        const TypeLibType& type = m_data->types[index];
        *kind = type.kind == TypeLibType::Kind::CoClass ? TKIND_COCLASS
                : (type.flags & TYPEFLAG_FDUAL) != 0    ? TKIND_DISPATCH
                                                        : TKIND_INTERFACE;
        return S_OK;
    }

    HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) override {
        if (info == nullptr)
            return E_INVALIDARG;
        *info = nullptr;
        for (std::size_t i = 0; i < m_data->types.size(); ++i)
            if (m_data->types[i].guid == guid)
                return GetTypeInfo(static_cast<UINT>(i), info);
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT GetLibAttr(TLIBATTR** attr) override {
        if (attr == nullptr)
            return E_INVALIDARG;
        *attr = new (std::nothrow)
            TLIBATTR{m_data->guid, m_data->lcid, 0, m_data->majorVersion, m_data->minorVersion, 0};
        return *attr != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    void ReleaseTLibAttr(TLIBATTR* attr) override { delete attr; }

    // Index -1 documents the library itself.
    HRESULT GetDocumentation(INT index, BSTR* name, BSTR* docString, DWORD* helpContext,
                             BSTR* helpFile) override {
        if (index < -1 || (index >= 0 && static_cast<std::size_t>(index) >= m_data->types.size()))
            return TYPE_E_ELEMENTNOTFOUND;
        const std::string& n = index < 0 ? m_data->name : m_data->types[index].name;
        const std::string& h = index < 0 ? m_data->help : m_data->types[index].help;
        if (helpContext != nullptr)
            *helpContext = 0;
        if (helpFile != nullptr)
            *helpFile = nullptr;
        if (SetText(name, n) != S_OK || SetText(docString, h) != S_OK)
            return E_OUTOFMEMORY;
        return S_OK;
    }

    HRESULT GetTypeComp(void**) override { return E_NOTIMPL; }
    HRESULT IsName(LPOLESTR, ULONG, BOOL*) override { return E_NOTIMPL; }
    HRESULT FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) override {
        return E_NOTIMPL;
    }

    const TypeLibData& Content() const { return *m_data; }

private:
    ~TypeLibObject() = default;
    void DeleteThis() override { delete this; }
    Data m_data;
};

TypeInfoObject::TypeInfoObject(TypeLibObject* lib, Data data, std::size_t index)
    : m_lib(lib), m_data(std::move(data)), m_index(index) {
    m_lib->AddInternalRef();
}

TypeInfoObject::~TypeInfoObject() {
    m_lib->ReleaseInternalRef();
}

HRESULT TypeInfoObject::GetRefTypeOfImplType(UINT index, HREFTYPE* ref) {
    if (ref == nullptr)
        return E_INVALIDARG;
    if (Type().kind == TypeLibType::Kind::Interface) {
        std::size_t base = 0;
        if (index != 0 || Type().base.empty() || StandardInterface(Type().base, &base) == nullptr)
            return TYPE_E_ELEMENTNOTFOUND;
        *ref = kStandardTypeRef | static_cast<HREFTYPE>(base);
        return S_OK;
    }
    if (index >= Type().implemented.size())
        return TYPE_E_ELEMENTNOTFOUND;
    for (std::size_t i = 0; i < m_data->types.size(); ++i)
        if (m_data->types[i].kind == TypeLibType::Kind::Interface &&
            m_data->types[i].name == Type().implemented[index]) {
            *ref = static_cast<HREFTYPE>(i);
            return S_OK;
        }
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfoObject::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) {
    if ((ref & kStandardTypeRef) == 0)
        return m_lib->GetTypeInfo(ref, info);
    if (info == nullptr)
        return E_INVALIDARG;
    *info = nullptr;
    auto* standard = new (std::nothrow) TypeLibObject(StandardTypeLib());
    if (standard == nullptr)
        return E_OUTOFMEMORY;
    const HRESULT hr = standard->GetTypeInfo(ref & ~kStandardTypeRef, info);
    standard->Release();
    return hr;
}

HRESULT TypeInfoObject::GetContainingTypeLib(ITypeLib** lib, UINT* index) {
    if (lib == nullptr)
        return E_INVALIDARG;
    m_lib->AddRef();
    *lib = m_lib;
    if (index != nullptr)
        *index = static_cast<UINT>(m_index);
    return S_OK;
}

// Late-bound calls reach methods that take strings and return a result code.
bool TakesStringsOnly(const TypeLibMethod& method) {
    for (const TypeLibParam& p : method.params)
        if (p.type != VT_BSTR)
            return false;
    return method.result == VT_HRESULT;
}

// The arguments of a call in parameter order, each coerced to a string;
// frees the strings made for it.
class StringArguments {
public:
    ~StringArguments() {
        for (std::size_t i = 0; i < kMaxMethodParams; ++i)
            if (m_owned[i])
                SysFreeString(m_args[i]);
    }

    // Matches rgvarg to the count parameters: positional arguments from the
    // end of rgvarg, the first parameter last; named ones by the parameter
    // identifiers (their positions) in rgdispidNamedArgs.
    HRESULT Take(const DISPPARAMS& params, std::size_t count, UINT* argError) {
        if (params.cArgs != count)
            return DISP_E_BADPARAMCOUNT;
        if (params.cNamedArgs > params.cArgs ||
            (params.cNamedArgs > 0 && params.rgdispidNamedArgs == nullptr))
            return E_INVALIDARG;
        std::size_t from[kMaxMethodParams];
        bool given[kMaxMethodParams] = {};
        const std::size_t positional = params.cArgs - params.cNamedArgs;
        for (std::size_t p = 0; p < positional; ++p) {
            from[p] = params.cArgs - 1 - p;
            given[p] = true;
        }
        for (std::size_t i = 0; i < params.cNamedArgs; ++i) {
            const DISPID p = params.rgdispidNamedArgs[i];
            if (p < 0 || static_cast<std::size_t>(p) >= count || given[p])
                return Fail(DISP_E_PARAMNOTFOUND, i, argError);
            from[p] = i;
            given[p] = true;
        }
        for (std::size_t p = 0; p < count; ++p)
            if (const HRESULT hr = CoerceToBstr(params.rgvarg[from[p]], m_args[p], m_owned[p]);
                FAILED(hr))
                return Fail(hr, from[p], argError);
        return S_OK;
    }

    const BSTR* Strings() const { return m_args; }

private:
    static HRESULT Fail(HRESULT hr, std::size_t position, UINT* argError) {
        if (argError != nullptr && hr != E_OUTOFMEMORY)
            *argError = static_cast<UINT>(position);
        return hr;
    }

    BSTR m_args[kMaxMethodParams] = {};
    bool m_owned[kMaxMethodParams] = {};
};

HRESULT TypeInfoObject::Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (instance == nullptr || params == nullptr ||
        (params->cArgs > 0 && params->rgvarg == nullptr))
        return E_INVALIDARG;
    const TypeLibMethod* method = FindMethod(id);
    if (method == nullptr || (flags & DISPATCH_METHOD) == 0 || !TakesStringsOnly(*method))
        return DISP_E_MEMBERNOTFOUND;
    const std::size_t count = method->params.size();
    StringArguments args;
    if (const HRESULT hr = args.Take(*params, count, argError); FAILED(hr))
        return hr;
    const std::size_t slot = FirstSlot() + static_cast<std::size_t>(method - Type().methods.data());
    const HRESULT hr = CallStringMethod(instance, slot, args.Strings(), count);
    if (FAILED(hr)) {
        if (exception != nullptr) {
            std::memset(static_cast<void*>(exception), 0, sizeof *exception);
            exception->scode = hr;
        }
        return DISP_E_EXCEPTION;
    }
    if (result != nullptr)
        VariantInit(result);
    return S_OK;
}

} // namespace

LONG ServedReferences() {
    return g_servedReferences.load();
}

void KeepReferenceUncounted() {
    --g_servedReferences;
}

void CountReferenceAgain() {
    ++g_servedReferences;
}

HRESULT CreateTypeLib(TypeLibData data, ITypeLib** lib) {
    if (lib == nullptr)
        return E_INVALIDARG;
    try {
        *lib = new TypeLibObject(std::make_shared<const TypeLibData>(std::move(data)));
        return S_OK;
    } catch (const std::bad_alloc&) {
        *lib = nullptr;
        return E_OUTOFMEMORY;
    }
}

HRESULT LoadTypeLibFile(const std::string& path, ITypeLib** lib) {
    if (lib == nullptr)
        return E_INVALIDARG;
    *lib = nullptr;
    try {
        std::optional<std::string> text = ReadModuleResource(path, "TYPELIB", 1);
        if (!text) {
            std::string fileText;
            if (!platform::ReadWholeFile(path, fileText))
                return TYPE_E_CANTLOADLIBRARY;
            // A module without a type library is no type library text either.
            if (fileText.compare(0, 4,
                                 "\x7F"
                                 "ELF") == 0)
                return TYPE_E_CANTLOADLIBRARY;
            text = std::move(fileText);
        }
        std::optional<TypeLibData> data = ParseTypeLibText(*text);
        if (!data)
            return TYPE_E_CANTLOADLIBRARY;
        return CreateTypeLib(std::move(*data), lib);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace com

HRESULT LoadTypeLib(LPCOLESTR path, ITypeLib** lib) {
    if (path == nullptr)
        return E_INVALIDARG;
    return com::LoadTypeLibFile(com::Utf16ToUtf8(path), lib);
}
