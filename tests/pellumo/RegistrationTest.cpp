// What registering and unregistering the component leave in the registry,
// through the module's entry points and through the regsvr tool.

#include "ComponentFixture.h"

#include "com/ModuleResources.h"
#include "com/Registrar.h"
#include "com/RegistryFile.h"
#include "platform/BuildInfo.h"

#include <cstdlib>
#include <gnu/libc-version.h>
#include <sys/stat.h>

using componenttest::Component;
using testsupport::CallExport;

namespace {

constexpr const char* kClassKey = "CLSID\\{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}";
constexpr const char* kClsidText = "{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}";

com::RegistryTree Registry(const std::string& file = com::RegistryFilePath()) {
    com::RegistryTree tree;
    EXPECT_EQ(com::ReadRegistryFile(file, tree), S_OK);
    return tree;
}

// Runs the regsvr tool with args; its exit status, its output in output.
int RunRegsvr(const std::string& args, const std::string& output) {
    const int status =
        std::system((std::string(REGSVR_TOOL) + " " + args + " >" + output + " 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

HRESULT CreateConverter(ILogoConverter** converter) {
    return CoCreateInstance(CLSID_LogoConverter, nullptr, 7, IID_ILogoConverter,
                            reinterpret_cast<void**>(converter));
}

} // namespace

TEST_F(Component, RegistrationWritesEveryListedEntry) {
    const com::RegistryTree tree = Registry();
    for (const char* progId : {"Pellumo.LogoConverter.1", "Pellumo.LogoConverter"}) {
        EXPECT_EQ(tree.GetValue(progId, ""), "LogoConverter Class");
        EXPECT_EQ(tree.GetValue(std::string(progId) + "\\CLSID", ""), kClsidText);
        EXPECT_EQ(tree.SubKeyNames(progId), std::vector<std::string>{"CLSID"});
    }
    const std::string key = kClassKey;
    EXPECT_EQ(tree.GetValue(key, ""), "LogoConverter Class");
    EXPECT_EQ(tree.GetValue(key + "\\ProgID", ""), "Pellumo.LogoConverter.1");
    EXPECT_EQ(tree.GetValue(key + "\\VersionIndependentProgID", ""), "Pellumo.LogoConverter");
    EXPECT_EQ(tree.GetValue(key + "\\InprocServer32", ""), PELLUMO_MODULE);
    EXPECT_EQ(tree.GetValue(key + "\\InprocServer32", "ThreadingModel"), "both");
    EXPECT_EQ(tree.SubKeyNames(key).size(), 3u);

    const std::string lib = "TypeLib\\{78165FE8-B27C-486C-B90F-D12678536855}\\1.0";
    EXPECT_EQ(tree.GetValue(lib, ""), "Pellumo 1.0 Type Library");
    EXPECT_EQ(tree.GetValue(lib + "\\409\\linux64", ""), PELLUMO_MODULE);
    const std::string itf = "Interface\\{5BA4DE79-080E-421B-8AF1-260A249D605F}";
    EXPECT_EQ(tree.GetValue(itf, ""), "ILogoConverter");
    EXPECT_EQ(tree.GetValue(itf + "\\TypeLib", ""), "{78165FE8-B27C-486C-B90F-D12678536855}");
}

// What registration writes is the module's own REGISTRY 102 with %MODULE%
// replaced, and the type library's entries.
TEST_F(Component, RegistrationWritesTheScriptTheModuleCarries) {
    const auto script = com::ReadModuleResource(PELLUMO_MODULE, "REGISTRY", 102);
    ASSERT_TRUE(script.has_value());
    com::RegistryTree expected;
    ASSERT_EQ(com::ApplyRegistrationScript(expected, *script, {{"MODULE", PELLUMO_MODULE}}, true),
              S_OK);
    com::RegistryTree written = Registry();
    written.DeleteTree("TypeLib");
    written.DeleteTree("Interface");
    EXPECT_EQ(written.ToText(), expected.ToText());
    EXPECT_EQ(com::ReadModuleResource(PELLUMO_MODULE, "STRING", 100), "Pellumo");
    EXPECT_EQ(com::ReadModuleResource(PELLUMO_MODULE, "STRING", 101), "LogoConverter Class");
}

// A copy whose script says otherwise registers what its script says.
TEST(ComponentModule, RegistersByTheScriptInItsFile) {
    testsupport::ScopedRegistry registry;
    std::string bytes = testsupport::ReadFile(PELLUMO_MODULE);
    const std::string said = "val ThreadingModel = s 'both'";
    ASSERT_NE(bytes.find(said), std::string::npos);
    for (auto at = bytes.find(said); at != std::string::npos; at = bytes.find(said, at))
        bytes.replace(at, said.size(), "val ThreadingModel = s 'free'");
    const std::string copy = registry.Dir() / "libPellumo.so";
    testsupport::WriteFile(copy, bytes);
    ASSERT_TRUE(testsupport::RegisterModule(copy));
    EXPECT_EQ(Registry().GetValue(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel"),
              "free");
}

TEST_F(Component, ReRegistrationReplacesTheClassKeyWhole) {
    ASSERT_EQ(com::EditRegistry([](com::RegistryTree& tree) {
                  tree.SetValue(std::string(kClassKey) + "\\Stale", "", "old");
                  tree.SetValue(std::string(kClassKey) + "\\InprocServer32", "", "/old/path.so");
                  return S_OK;
              }),
              S_OK);
    ASSERT_EQ(CallExport(m_module, "DllRegisterServer"), S_OK);
    const com::RegistryTree tree = Registry();
    EXPECT_FALSE(tree.KeyExists(std::string(kClassKey) + "\\Stale"));
    EXPECT_EQ(tree.GetValue(std::string(kClassKey) + "\\InprocServer32", ""), PELLUMO_MODULE);
}

TEST_F(Component, UnregistrationLeavesTheClsidParentKey) {
    ASSERT_EQ(com::EditRegistry([](com::RegistryTree& tree) {
                  tree.SetValue("CLSID\\{00000000-1111-2222-3333-444444444444}", "", "other");
                  return S_OK;
              }),
              S_OK);
    ASSERT_EQ(CallExport(m_module, "DllUnregisterServer"), S_OK);
    const com::RegistryTree tree = Registry();
    EXPECT_FALSE(tree.KeyExists("Pellumo.LogoConverter.1"));
    EXPECT_FALSE(tree.KeyExists("Pellumo.LogoConverter"));
    EXPECT_FALSE(tree.KeyExists(kClassKey));
    EXPECT_TRUE(tree.KeyExists("CLSID"));
    EXPECT_EQ(tree.GetValue("CLSID\\{00000000-1111-2222-3333-444444444444}", ""), "other");
    EXPECT_FALSE(tree.KeyExists("TypeLib\\{78165FE8-B27C-486C-B90F-D12678536855}"));
    EXPECT_FALSE(tree.KeyExists("Interface\\{5BA4DE79-080E-421B-8AF1-260A249D605F}"));

    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_LogoConverter, nullptr, 7, IID_ILogoConverter, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CallExport(m_module, "DllUnregisterServer"), S_OK); // twice is harmless
}

TEST(ComponentModule, RegistersByItsFullPathAfterTheHostChangedFolder) {
    testsupport::ScopedRegistry registry;
    const std::string copy = registry.Dir() / "libPellumo.so";
    std::filesystem::copy_file(PELLUMO_MODULE, copy);
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(registry.Dir().Path());
    void* module = ::dlopen("./libPellumo.so", RTLD_NOW | RTLD_LOCAL);
    std::filesystem::current_path("/");
    ASSERT_NE(module, nullptr) << ::dlerror();
    EXPECT_EQ(CallExport(module, "DllRegisterServer"), S_OK);
    std::filesystem::current_path(home);
    EXPECT_EQ(Registry().GetValue(std::string(kClassKey) + "\\InprocServer32", ""), copy);
    EXPECT_EQ(Registry().GetValue(
                  "TypeLib\\{78165FE8-B27C-486C-B90F-D12678536855}\\1.0\\409\\linux64", ""),
              copy);
    ::dlclose(module);
}

TEST(RegsvrTool, RegistersUnregistersAndFailsClearly) {
    testsupport::ScopedRegistry registry;
    const std::string output = registry.Dir() / "output.txt";
    const auto run = [&](const std::string& args) { return RunRegsvr(args, output); };
    EXPECT_EQ(run(PELLUMO_MODULE), 0);
    EXPECT_NE(testsupport::ReadFile(output).find("FileVersion: 1, 0, 0, 1"), std::string::npos);
    EXPECT_NE(
        testsupport::ReadFile(output).find("DllRegisterServer in " PELLUMO_MODULE " succeeded"),
        std::string::npos);
    EXPECT_EQ(Registry().GetValue(std::string(kClassKey) + "\\InprocServer32", ""), PELLUMO_MODULE);

    EXPECT_EQ(run(std::string("-u ") + PELLUMO_MODULE), 0);
    EXPECT_FALSE(Registry().KeyExists(kClassKey));

    // Each failure says its cause in words.
    ASSERT_EQ(::mkfifo((registry.Dir() / "pipe.so").c_str(), 0600), 0);
    testsupport::WriteFile(registry.Dir() / "text.so", "not a module");
    const std::string unwritable = registry.Dir() / "text.so/registry.reg";
    const struct {
        std::string args;
        std::string said;
        const char* registryFile = nullptr;
    } failures[] = {
        {registry.Dir() / "missing.so",
         "cannot load " + registry.Dir() / "missing.so" + ": module not found"},
        {registry.Dir() / "pipe.so", ": module not found (no regular file there)"},
        {registry.Dir() / "text.so", ": not a loadable module ("},
        // The C library: a shared object with no registration entry points
        // (a sanitizer's runtime may stand in for dlopen, not for this).
        {com::ModulePathOf(reinterpret_cast<const void*>(&::gnu_get_libc_version)),
         "it is not a server"},
        {PELLUMO_MODULE, "failed with code 0x80040151 (registry not writable: " + unwritable + ")",
         unwritable.c_str()},
    };
    for (const auto& failure : failures) {
        testsupport::ScopedEnv file("QUILLMERE_REGISTRY", failure.registryFile != nullptr
                                                              ? failure.registryFile
                                                              : registry.Path());
        EXPECT_EQ(run(failure.args), 1) << failure.args;
        EXPECT_NE(testsupport::ReadFile(output).find(failure.said), std::string::npos)
            << testsupport::ReadFile(output);
    }

    EXPECT_EQ(run(""), 2);
    EXPECT_NE(testsupport::ReadFile(output).find("usage: regsvr [-u] [--system] MODULE"),
              std::string::npos);
    EXPECT_EQ(run("--system --system " PELLUMO_MODULE), 2);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(testsupport::ReadFile(output), std::string("regsvr ") + platform::kVersion + "\n");
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(testsupport::ReadFile(output).find("Here the user's registry is " + registry.Path()),
              std::string::npos);

    // --system writes the machine's registry and leaves the user's alone.
    EXPECT_EQ(run("--system " PELLUMO_MODULE), 0);
    EXPECT_NE(testsupport::ReadFile(output).find("(registry " + registry.SystemPath() + ")"),
              std::string::npos);
    EXPECT_EQ(
        Registry(registry.SystemPath()).GetValue(std::string(kClassKey) + "\\InprocServer32", ""),
        PELLUMO_MODULE);
    EXPECT_FALSE(Registry().KeyExists(kClassKey));
    EXPECT_EQ(run("-u --system " PELLUMO_MODULE), 0);
    EXPECT_FALSE(Registry(registry.SystemPath()).KeyExists(kClassKey));

    // A registry that cannot be used is moved aside, never lost, and written afresh.
    testsupport::WriteFile(registry.Path(),
                           "REGEDIT4\n[HKEY_CLASSES_ROOT\\A]\n\"x\"=\"y\nbroken\n");
    EXPECT_EQ(run(PELLUMO_MODULE), 0);
    const std::string said = testsupport::ReadFile(output);
    EXPECT_NE(said.find("regsvr: the registry " + registry.Path() +
                        " could not be used (line 3: malformed string value); moved it to " +
                        registry.Path() + ".broken-"),
              std::string::npos)
        << said;
    const std::string aside =
        said.substr(said.find(" moved it to ") + 13, registry.Path().size() + 23);
    EXPECT_NE(testsupport::ReadFile(aside).find("broken"), std::string::npos) << aside;
    EXPECT_EQ(Registry().GetValue(std::string(kClassKey) + "\\InprocServer32", ""), PELLUMO_MODULE);

    // The resources, for a person to read.
    EXPECT_EQ(run(std::string("--resources ") + PELLUMO_MODULE), 0);
    const std::string resources = testsupport::ReadFile(output);
    for (const char* part : {"REGISTRY 102\nHKCR\n{\n", "STRING 100\nPellumo\n\n",
                             "STRING 101\nLogoConverter Class\n\n", "TYPELIB 1\nlibrary PELLUMOLib",
                             "VERSION 1\nFileVersionNumber=1.0.0.1\n"})
        EXPECT_NE(resources.find(part), std::string::npos) << part;
    EXPECT_EQ(run(std::string("--resources -u ") + PELLUMO_MODULE), 2);
}

// Registered for the machine only, the component serves a user whose own
// registry is empty, early and late bound; a key of the user's own hides the
// machine's, which is then not even read.
TEST(SystemRegistry, ServesUsersBeneathTheirOwnKeys) {
    testsupport::ScopedRegistry registry;
    ASSERT_EQ(RunRegsvr("--system " PELLUMO_MODULE, registry.Dir() / "output.txt"), 0);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);

    ILogoConverter* converter = nullptr;
    ASSERT_EQ(CreateConverter(&converter), S_OK);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(converter->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    if (info != nullptr)
        info->Release();
    {
        testsupport::RecordingPresenter messages;
        componenttest::PictureJob job;
        BSTR in = com::Utf8ToBstr(job.in / "operator_logo.txt");
        BSTR out = com::Utf8ToBstr(job.out.Folder());
        BSTR app = com::Utf8ToBstr(job.app.Folder());
        EXPECT_EQ(converter->Convert(in, out, app), S_OK);
        EXPECT_EQ(testsupport::ReadFile(job.Output()).size(), 252u);
        for (BSTR s : {in, out, app})
            SysFreeString(s);
    }
    converter->Release();

    ASSERT_EQ(com::EditRegistry([&](com::RegistryTree& tree) {
                  tree.SetValue(std::string(kClassKey) + "\\InprocServer32", "",
                                registry.Dir() / "missing.so");
                  return S_OK;
              }),
              S_OK);
    EXPECT_EQ(CreateConverter(&converter), CO_E_DLLNOTFOUND);
    testsupport::WriteFile(registry.SystemPath(), "[HKEY_CLASSES_ROOT\\CLSID]\nbroken\n");
    EXPECT_EQ(CreateConverter(&converter), CO_E_DLLNOTFOUND);
    ASSERT_EQ(com::EditRegistry([](com::RegistryTree& tree) {
                  tree.DeleteTree(kClassKey);
                  return S_OK;
              }),
              S_OK);
    EXPECT_EQ(CreateConverter(&converter), REGDB_E_READREGDB);
    CoUninitialize();
}
