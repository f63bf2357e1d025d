// Type libraries: the text form, type information, late-bound calls through
// the vtable, and registration with version and locale lookup.

#include "com/TypeLib.h"
#include "com/Bstr.h"
#include "com/RegistryFile.h"

#include "support/ScopedRegistry.h"

#include <gtest/gtest.h>

namespace {

constexpr GUID kLibId = MakeGuid("{AAAAAAAA-0000-0000-0000-000000000001}");
constexpr IID kIid = MakeGuid("{AAAAAAAA-0000-0000-0000-000000000002}");

constexpr const char* kLibraryText =
    "library TestLib {AAAAAAAA-0000-0000-0000-000000000001} 2.3 409 \"Test Library\"\n"
    "# two methods on a dual interface\n"
    "interface ITwoStrings {AAAAAAAA-0000-0000-0000-000000000002} IDispatch dual \"Two\"\n"
    "method Join 7 \"joins\" BSTR first BSTR second\n"
    "method Fail 8 \"fails\" BSTR what\n"
    "coclass TwoStrings {AAAAAAAA-0000-0000-0000-000000000003} creatable \"Class\" ITwoStrings\n";

class ITwoStrings : public IDispatch {
public:
    virtual HRESULT Join(BSTR first, BSTR second) = 0;
    virtual HRESULT Fail(BSTR what) = 0;

protected:
    ~ITwoStrings() = default;
};

class TwoStrings final : public ITwoStrings {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT Join(BSTR first, BSTR second) override {
        joined = com::BstrToUtf8(first) + "|" + com::BstrToUtf8(second);
        return S_OK;
    }
    HRESULT Fail(BSTR) override { return E_ACCESSDENIED; }

    std::string joined;
};

ITypeLib* Parse(const char* text = kLibraryText) {
    std::string error;
    auto data = com::ParseTypeLibText(text, &error);
    EXPECT_TRUE(data.has_value()) << error;
    ITypeLib* lib = nullptr;
    EXPECT_EQ(com::CreateTypeLib(std::move(*data), &lib), S_OK);
    return lib;
}

ITypeInfo* InterfaceInfo(ITypeLib* lib) {
    ITypeInfo* info = nullptr;
    EXPECT_EQ(lib->GetTypeInfoOfGuid(kIid, &info), S_OK);
    return info;
}

VARIANT StringArg(BSTR text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

} // namespace

TEST(TypeLib, TextDescribesLibraryTypesAndMembers) {
    ITypeLib* lib = Parse();
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, kLibId);
    EXPECT_EQ(attr->lcid, 0x409u);
    EXPECT_EQ(attr->wMajorVerNum, 2);
    EXPECT_EQ(attr->wMinorVerNum, 3);
    lib->ReleaseTLibAttr(attr);

    ITypeInfo* info = InterfaceInfo(lib);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->typekind, TKIND_DISPATCH);
    EXPECT_EQ(type->cFuncs, 2);
    EXPECT_NE(type->wTypeFlags & TYPEFLAG_FDUAL, 0);
    info->ReleaseTypeAttr(type);

    FUNCDESC* func = nullptr;
    ASSERT_EQ(info->GetFuncDesc(1, &func), S_OK);
    EXPECT_EQ(func->memid, 8);
    EXPECT_EQ(func->cParams, 1);
    EXPECT_EQ(func->lprgelemdescParam[0].tdesc.vt, VT_BSTR);
    EXPECT_EQ(func->oVft, static_cast<short>(8 * sizeof(void*))); // after IDispatch and Join
    info->ReleaseFuncDesc(func);

    // The bases come from the standard library: IDispatch, then IUnknown.
    const char* const bases[] = {"IDispatch", "IUnknown"};
    const unsigned slots[] = {7, 3};
    ITypeInfo* derived = info;
    derived->AddRef();
    for (int level = 0; level < 2; ++level) {
        HREFTYPE ref = 0;
        ITypeInfo* base = nullptr;
        ASSERT_EQ(derived->GetRefTypeOfImplType(0, &ref), S_OK);
        ASSERT_EQ(derived->GetRefTypeInfo(ref, &base), S_OK);
        derived->Release();
        derived = base;
        BSTR name = nullptr;
        ASSERT_EQ(base->GetDocumentation(DISPID_UNKNOWN, &name, nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(com::BstrToUtf8(name), bases[level]);
        SysFreeString(name);
        ASSERT_EQ(base->GetTypeAttr(&type), S_OK);
        EXPECT_EQ(type->cbSizeVft, slots[level] * sizeof(void*));
        EXPECT_EQ(type->cImplTypes, level == 0 ? 1 : 0);
        base->ReleaseTypeAttr(type);
    }
    HREFTYPE none = 0;
    EXPECT_EQ(derived->GetRefTypeOfImplType(0, &none), TYPE_E_ELEMENTNOTFOUND);
    derived->Release();

    BSTR names[3] = {};
    UINT count = 0;
    ASSERT_EQ(info->GetNames(7, names, 3, &count), S_OK);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(com::BstrToUtf8(names[0]) + com::BstrToUtf8(names[1]) + com::BstrToUtf8(names[2]),
              "Joinfirstsecond");
    for (BSTR n : names)
        SysFreeString(n);

    LPOLESTR byName[] = {const_cast<LPOLESTR>(u"JOIN"), const_cast<LPOLESTR>(u"Second")};
    MEMBERID ids[2] = {};
    EXPECT_EQ(info->GetIDsOfNames(byName, 2, ids), S_OK); // case does not matter here
    EXPECT_EQ(ids[0], 7);
    EXPECT_EQ(ids[1], 1);
    byName[1] = const_cast<LPOLESTR>(u"third");
    EXPECT_EQ(info->GetIDsOfNames(byName, 2, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 7);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    byName[0] = const_cast<LPOLESTR>(u"Nope");
    EXPECT_EQ(info->GetIDsOfNames(byName, 1, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    info->Release();
    lib->Release();

    std::string error;
    EXPECT_FALSE(com::ParseTypeLibText("interface I {AAAAAAAA-0000-0000-0000-000000000002} "
                                       "IDispatch dual \"x\"\n",
                                       &error));
    EXPECT_FALSE(com::ParseTypeLibText(std::string(kLibraryText) + "method Late 9 \"x\"\n"));
    EXPECT_FALSE(com::ParseTypeLibText(std::string(kLibraryText) + "coclass C {AAAAAAAA-0000-"
                                                                   "0000-0000-000000000004} - "
                                                                   "\"x\" IMissing\n"));
}

TEST(TypeLib, InvokeCallsThroughTheVtableWithArgumentsInOrder) {
    ITypeLib* lib = Parse();
    ITypeInfo* info = InterfaceInfo(lib);
    TwoStrings object;
    ITwoStrings* itf = &object;

    BSTR a = com::Utf8ToBstr("A");
    BSTR b = com::Utf8ToBstr("B");
    VARIANT args[2] = {StringArg(b), StringArg(a)}; // the last argument comes first
    DISPPARAMS params{args, nullptr, 2, 0};
    VARIANT result;
    EXPECT_EQ(info->Invoke(itf, 7, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(object.joined, "A|B");
    EXPECT_EQ(result.vt, VT_EMPTY);

    // A string passed by reference, and through a referenced VARIANT.
    VARIANT inner = StringArg(b);
    args[0].vt = VT_VARIANT | VT_BYREF;
    args[0].pvarVal = &inner;
    args[1].vt = VT_BSTR | VT_BYREF;
    args[1].pbstrVal = &a;
    EXPECT_EQ(info->Invoke(itf, 7, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(object.joined, "A|B");

    // The second argument coerced to a string as standard dispatch does, or refused.
    LONG number = 7;
    VARIANT nested;
    nested.vt = VT_VARIANT | VT_BYREF;
    nested.pvarVal = &inner;
    const auto make = [](VARTYPE vt, std::int64_t bits) {
        VARIANT v;
        VariantInit(&v);
        v.vt = vt;
        v.llVal = bits;
        return v;
    };
    const struct {
        VARIANT arg;
        HRESULT hr;
        const char* joined;
    } cases[] = {
        {make(VT_I4, -5), S_OK, "A|-5"},
        {make(VT_BOOL, VARIANT_TRUE), S_OK, "A|-1"},
        {make(VT_BOOL, VARIANT_FALSE), S_OK, "A|0"},
        {make(VT_UI1, 200), S_OK, "A|200"},
        {make(VT_UI8, -1), S_OK, "A|18446744073709551615"},
        {make(VT_EMPTY, 0), S_OK, "A|"},
        {make(VT_I4 | VT_BYREF, reinterpret_cast<std::intptr_t>(&number)), S_OK, "A|7"},
        {make(VT_ERROR, DISP_E_PARAMNOTFOUND), DISP_E_PARAMNOTOPTIONAL, ""},
        {make(VT_ERROR, E_FAIL), DISP_E_TYPEMISMATCH, ""},
        {make(VT_R8, 0), DISP_E_TYPEMISMATCH, ""},
        {make(VT_NULL, 0), DISP_E_TYPEMISMATCH, ""},
        {make(VT_DISPATCH, 0), DISP_E_TYPEMISMATCH, ""},
        {make(VT_BSTR | VT_ARRAY, 0), DISP_E_TYPEMISMATCH, ""},
        {make(VT_VARIANT | VT_BYREF, reinterpret_cast<std::intptr_t>(&nested)), DISP_E_TYPEMISMATCH,
         ""},
        {make(15, 0), DISP_E_BADVARTYPE, ""},
        {make(VT_VARIANT, 0), DISP_E_BADVARTYPE, ""},
        {make(VT_EMPTY | VT_BYREF, 0), DISP_E_BADVARTYPE, ""},
        {make(0x1000 | VT_I4, 0), DISP_E_BADVARTYPE, ""},
    };
    args[1] = StringArg(a);
    for (const auto& c : cases) {
        args[0] = c.arg;
        object.joined.clear();
        UINT argError = 99;
        EXPECT_EQ(info->Invoke(itf, 7, DISPATCH_METHOD, &params, nullptr, nullptr, &argError), c.hr)
            << c.arg.vt;
        EXPECT_EQ(object.joined, c.joined) << c.arg.vt;
        EXPECT_EQ(argError, c.hr == S_OK ? 99u : 0u) << c.arg.vt;
    }

    // Named arguments by their parameter positions, after the positional ones.
    DISPID named[2] = {1, 0};
    args[0] = StringArg(b);
    params = {args, named, 2, 2};
    EXPECT_EQ(info->Invoke(itf, 7, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(object.joined, "A|B");
    params.cNamedArgs = 1; // "second" named; "first" comes positional
    EXPECT_EQ(info->Invoke(itf, 7, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(object.joined, "A|B");
    for (const DISPID wrong : {0, 2, DISPID_PROPERTYPUT}) {
        named[0] = wrong; // the positional one already, no such parameter
        UINT argError = 99;
        EXPECT_EQ(info->Invoke(itf, 7, DISPATCH_METHOD, &params, nullptr, nullptr, &argError),
                  DISP_E_PARAMNOTFOUND);
        EXPECT_EQ(argError, 0u);
    }
    params = {args, nullptr, 1, 0};
    EXPECT_EQ(info->Invoke(itf, 7, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(info->Invoke(itf, 42, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(info->Invoke(itf, 8, DISPATCH_PROPERTYGET, &params, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);

    // A failing method comes back as an exception carrying its code.
    args[0] = StringArg(a);
    EXCEPINFO exception{};
    EXPECT_EQ(info->Invoke(itf, 8, DISPATCH_METHOD, &params, nullptr, &exception, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_ACCESSDENIED);

    SysFreeString(a);
    SysFreeString(b);
    info->Release();
    lib->Release();
}

TEST(TypeLib, RegistrationFindsLibrariesByVersionAndLocale) {
    testsupport::ScopedRegistry registry;
    const std::string file = registry.Dir() / "test.tlb";
    testsupport::WriteFile(file, kLibraryText);
    const std::u16string widePath = com::Utf8ToUtf16(file);

    ITypeLib* lib = nullptr;
    ASSERT_EQ(LoadTypeLib(widePath.c_str(), &lib), S_OK);
    ASSERT_EQ(RegisterTypeLib(lib, widePath.c_str(), u"/help"), S_OK);
    lib->Release();

    com::RegistryTree tree;
    ASSERT_EQ(com::ReadRegistry(tree), S_OK);
    const std::string key = "TypeLib\\{AAAAAAAA-0000-0000-0000-000000000001}\\2.3";
    EXPECT_EQ(tree.GetValue(key, ""), "Test Library");
    EXPECT_EQ(tree.GetValue(key + "\\409\\linux64", ""), file);
    EXPECT_EQ(tree.GetValue(key + "\\HELPDIR", ""), "/help");
    const std::string itf = "Interface\\{AAAAAAAA-0000-0000-0000-000000000002}";
    EXPECT_EQ(tree.GetValue(itf, ""), "ITwoStrings");
    EXPECT_EQ(tree.GetValue(itf + "\\TypeLib", ""), "{AAAAAAAA-0000-0000-0000-000000000001}");
    EXPECT_EQ(tree.GetValue(itf + "\\TypeLib", "Version"), "2.3");

    const auto loads = [](WORD major, WORD minor, LCID lcid) {
        ITypeLib* found = nullptr;
        const HRESULT hr = LoadRegTypeLib(kLibId, major, minor, lcid, &found);
        if (found != nullptr)
            found->Release();
        return hr;
    };
    EXPECT_EQ(loads(2, 3, 0x409), S_OK);
    EXPECT_EQ(loads(2, 1, 0x409), S_OK); // a newer minor version serves
    EXPECT_EQ(loads(2, 3, LOCALE_NEUTRAL), S_OK);
    EXPECT_EQ(loads(2, 3, LOCALE_USER_DEFAULT), S_OK);
    EXPECT_EQ(loads(2, 4, 0x409), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(loads(1, 0, 0x409), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(loads(2, 3, 0x407), TYPE_E_LIBNOTREGISTERED);

    // Unregistering removes the library and its interface, nothing else.
    com::EditRegistry([](com::RegistryTree& t) {
        t.SetValue("Interface\\{BBBBBBBB-0000-0000-0000-000000000000}", "", "other");
        return S_OK;
    });
    ASSERT_EQ(UnRegisterTypeLib(kLibId, 2, 3, 0x409, 0), S_OK);
    ASSERT_EQ(com::ReadRegistry(tree), S_OK);
    EXPECT_FALSE(tree.KeyExists("TypeLib\\{AAAAAAAA-0000-0000-0000-000000000001}"));
    EXPECT_FALSE(tree.KeyExists(itf));
    EXPECT_TRUE(tree.KeyExists("Interface\\{BBBBBBBB-0000-0000-0000-000000000000}"));
    EXPECT_EQ(loads(2, 3, 0x409), TYPE_E_LIBNOTREGISTERED);
}

TEST(TypeLib, FilesWithoutALibraryDoNotLoad) {
    testsupport::TempDir dir;
    ITypeLib* lib = nullptr;
    EXPECT_EQ(com::LoadTypeLibFile(dir / "missing.tlb", &lib), TYPE_E_CANTLOADLIBRARY);
    testsupport::WriteFile(dir / "junk.tlb", "not a library\n");
    EXPECT_EQ(com::LoadTypeLibFile(dir / "junk.tlb", &lib), TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(com::LoadTypeLibFile(NOEXPORT_MODULE, &lib), TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(lib, nullptr);
}
