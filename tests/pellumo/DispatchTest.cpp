// Late-bound use of the converter: names, type information and Invoke, and
// what happens when the type library is not registered.

#include "ComponentFixture.h"

#include "pellumo/PellumoIdentity.h"

#include "com/ModuleResources.h"

using componenttest::Component;
using componenttest::PictureJob;
using testsupport::CallExport;

namespace {

HRESULT IdsOf(IDispatch* dispatch, std::vector<const char16_t*> names, std::vector<DISPID>& ids) {
    ids.assign(names.size(), 12345);
    return dispatch->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()),
                                   static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT,
                                   ids.data());
}

std::string Doc(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr, doc = nullptr;
    EXPECT_EQ(info->GetDocumentation(id, &name, &doc, nullptr, nullptr), S_OK);
    std::string text = com::BstrToUtf8(name) + ": " + com::BstrToUtf8(doc);
    SysFreeString(name);
    SysFreeString(doc);
    return text;
}

} // namespace

TEST_F(Component, NamesResolveThroughTheCacheAndTheTypeInformation) {
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    UINT count = 0;
    EXPECT_EQ(converter->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);

    std::vector<DISPID> ids;
    EXPECT_EQ(IdsOf(converter, {u"Convert"}, ids), S_OK);
    EXPECT_EQ(ids[0], 1);
    // Not in the case-sensitive cache: the type information answers, ignoring case.
    EXPECT_EQ(IdsOf(converter, {u"CONVERT"}, ids), S_OK);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(IdsOf(converter, {u"Convert", u"sAppfilePath", u"sRTXfilePATH"}, ids), S_OK);
    EXPECT_EQ(ids, (std::vector<DISPID>{1, 2, 0}));
    EXPECT_EQ(IdsOf(converter, {u"Convertx"}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(IdsOf(converter, {nullptr}, ids), E_POINTER);
    // The names after the first are the member's parameters, never members.
    EXPECT_EQ(IdsOf(converter, {u"Convert", u"Convert", u"sEMSFilePath"}, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids, (std::vector<DISPID>{1, DISPID_UNKNOWN, 1}));
    LPOLESTR name = const_cast<LPOLESTR>(u"Convert");
    EXPECT_EQ(converter->GetIDsOfNames(IID_ILogoConverter, &name, 1, 0, ids.data()),
              DISP_E_UNKNOWNINTERFACE);

    ITypeInfo* info = nullptr;
    EXPECT_EQ(converter->GetTypeInfo(0, 0, nullptr), E_POINTER);
    ASSERT_EQ(converter->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    EXPECT_EQ(Doc(info, DISPID_UNKNOWN), "ILogoConverter: ILogoConverter Interface");
    EXPECT_EQ(Doc(info, 1), "Convert: method Convert");
    BSTR names[4] = {};
    ASSERT_EQ(info->GetNames(1, names, 4, &count), S_OK);
    std::string joined;
    for (BSTR n : names) {
        joined += com::BstrToUtf8(n) + " ";
        SysFreeString(n);
    }
    EXPECT_EQ(joined, "Convert sRTXfilePATH sEMSFilePath sAppfilePath ");
    ITypeLib* lib = nullptr;
    ASSERT_EQ(info->GetContainingTypeLib(&lib, nullptr), S_OK);
    BSTR libName = nullptr, libHelp = nullptr;
    lib->GetDocumentation(-1, &libName, &libHelp, nullptr, nullptr);
    EXPECT_EQ(com::BstrToUtf8(libName) + ": " + com::BstrToUtf8(libHelp),
              "PELLUMOLib: Pellumo 1.0 Type Library");
    SysFreeString(libName);
    SysFreeString(libHelp);
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_LogoConverter, &coclass), S_OK);
    EXPECT_EQ(Doc(coclass, DISPID_UNKNOWN), "LogoConverter: LogoConverter Class");
    coclass->Release();
    lib->Release();
    info->Release();
    converter->Release();
}

TEST_F(Component, InvokeRunsARealConversion) {
    ILogoConverter* converter = Create();
    ASSERT_NE(converter, nullptr);
    testsupport::RecordingPresenter messages;
    PictureJob job;
    BSTR in = com::Utf8ToBstr(job.in / "operator_logo.txt");
    BSTR out = com::Utf8ToBstr(job.out.Folder());
    BSTR app = com::Utf8ToBstr(job.app.Folder());
    VARIANT args[3];
    for (VARIANT& v : args) {
        VariantInit(&v);
        v.vt = VT_BSTR;
    }
    // The input list first, then the two folders named (app by reference).
    args[0].bstrVal = out;
    args[1].vt = VT_BSTR | VT_BYREF;
    args[1].pbstrVal = &app;
    args[2].bstrVal = in;
    DISPID named[] = {1, 2};
    DISPPARAMS params{args, named, 3, 2};
    EXPECT_EQ(converter->Invoke(1, IID_ILogoConverter, 0, DISPATCH_METHOD, &params, nullptr,
                                nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_FALSE(std::filesystem::exists(job.Output()));
    args[0].vt = VT_ERROR; // a missing argument
    args[0].scode = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(
        converter->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        DISP_E_PARAMNOTOPTIONAL);
    EXPECT_TRUE(messages.Texts().empty());
    args[0].vt = VT_BSTR;
    args[0].bstrVal = out;
    EXPECT_EQ(converter->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                nullptr, nullptr),
              S_OK);
    EXPECT_TRUE(std::filesystem::exists(job.Output()));
    EXPECT_TRUE(std::filesystem::exists(job.Log()));
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts().back(), "Conversion completed!");

    params = {args + 1, nullptr, 2, 0};
    EXPECT_EQ(
        converter->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        DISP_E_BADPARAMCOUNT);
    for (BSTR s : {in, out, app})
        SysFreeString(s);
    converter->Release();
}

TEST(ComponentTypeLibrary, MissingRegistrationFailsLateBindingOnly) {
    // A fresh copy of the module: nothing of it has been loaded or cached yet.
    testsupport::ScopedRegistry registry;
    const std::string copy = registry.Dir() / "libPellumo.so";
    std::filesystem::copy_file(PELLUMO_MODULE, copy);
    void* module = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(::dlsym(module, "DllGetClassObject"));
    IClassFactory* factory = nullptr;
    ASSERT_EQ(
        getClassObject(CLSID_LogoConverter, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    ILogoConverter* converter = nullptr;
    ASSERT_EQ(
        factory->CreateInstance(nullptr, IID_ILogoConverter, reinterpret_cast<void**>(&converter)),
        S_OK);
    factory->Release();

    LPOLESTR name = const_cast<LPOLESTR>(u"Convert");
    DISPID id = 0;
    ITypeInfo* info = nullptr;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(converter->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(converter->GetTypeInfo(0, 0, &info), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(converter->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              TYPE_E_LIBNOTREGISTERED);

    testsupport::RecordingPresenter messages;
    PictureJob job;
    BSTR in = com::Utf8ToBstr(job.in / "operator_logo.txt");
    BSTR out = com::Utf8ToBstr(job.out.Folder());
    BSTR app = com::Utf8ToBstr(job.app.Folder());
    EXPECT_EQ(converter->Convert(in, out, app), S_OK);
    EXPECT_TRUE(std::filesystem::exists(job.Output()));
    for (BSTR s : {in, out, app})
        SysFreeString(s);

    // Nothing was cached by the failures: once registered, the names resolve.
    ASSERT_EQ(CallExport(module, "DllRegisterServer"), S_OK);
    EXPECT_EQ(converter->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 1);
    converter->Release();
    ::dlclose(module);
}

TEST(ComponentModule, ExportsOnlyTheFourEntryPoints) {
    FILE* pipe = ::popen("nm -D --defined-only " PELLUMO_MODULE " 2>/dev/null", "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        names.push_back(text.substr(text.rfind(' ') + 1));
    }
    if (::pclose(pipe) != 0 && names.empty())
        GTEST_SKIP() << "nm is not available";
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                               "DllRegisterServer", "DllUnregisterServer"}));
}

TEST(ComponentModule, CarriesItsVersionData) {
    const auto version = com::ReadModuleResource(PELLUMO_MODULE, "VERSION", 1);
    ASSERT_TRUE(version.has_value());
    for (const std::string& line : {"FileVersion=" + std::string(pellumo::kFileVersion),
                                    "ProductVersion=" + std::string(pellumo::kProductVersion),
                                    "FileDescription=" + std::string(pellumo::kFileDescription),
                                    "ProductName=" + std::string(pellumo::kProductName),
                                    "InternalName=" + std::string(pellumo::kInternalName),
                                    "OriginalFilename=" + std::string(pellumo::kOriginalFilename),
                                    std::string("CompanyName="), std::string("OLESelfRegister=")})
        EXPECT_NE(version->find("\n" + line + "\n"), std::string::npos) << line;
    EXPECT_EQ(pellumo::kFileVersion, "1, 0, 0, 1");
    EXPECT_EQ(pellumo::kOriginalFilename, "Pellumo.DLL");
}
