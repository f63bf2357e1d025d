// Registration scripts: ForceRemove, NoRemove, plain keys, values, variables.

#include "com/Registrar.h"

#include <gtest/gtest.h>

using com::RegistryTree;

namespace {

constexpr std::string_view kScript = R"(HKCR
{
    App.Thing.1 = s 'Thing Class'
    {
        CLSID = s '{11111111-2222-3333-4444-555555555555}'
    }
    NoRemove CLSID
    {
        ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Thing Class'
        {
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'both'
            }
        }
    }
})";

constexpr const char* kClassKey = "CLSID\\{11111111-2222-3333-4444-555555555555}";

HRESULT Apply(RegistryTree& tree, bool registering, const std::string& module = "/m/lib.so") {
    return com::ApplyRegistrationScript(tree, kScript, {{"MODULE", module}}, registering);
}

} // namespace

TEST(Registrar, RegisteringWritesKeysValuesAndReplacesTheForcedKeyWhole) {
    RegistryTree tree;
    tree.SetValue(std::string(kClassKey) + "\\Stale", "", "left over");
    tree.SetValue(kClassKey, "Extra", "old");
    ASSERT_EQ(Apply(tree, true), S_OK);
    EXPECT_EQ(tree.GetValue("App.Thing.1", ""), "Thing Class");
    EXPECT_EQ(tree.GetValue("App.Thing.1\\CLSID", ""), "{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(tree.GetValue(kClassKey, ""), "Thing Class");
    EXPECT_EQ(tree.GetValue(std::string(kClassKey) + "\\InprocServer32", ""), "/m/lib.so");
    EXPECT_EQ(tree.GetValue(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel"), "both");
    EXPECT_FALSE(tree.KeyExists(std::string(kClassKey) + "\\Stale"));
    EXPECT_FALSE(tree.GetValue(kClassKey, "Extra").has_value());
}

TEST(Registrar, UnregisteringKeepsNoRemoveKeysAndForeignSubkeys) {
    RegistryTree tree;
    tree.SetValue("CLSID\\{OTHER}", "", "another class");
    ASSERT_EQ(Apply(tree, true), S_OK);
    ASSERT_EQ(Apply(tree, false), S_OK);
    EXPECT_FALSE(tree.KeyExists("App.Thing.1"));
    EXPECT_FALSE(tree.KeyExists(kClassKey));
    EXPECT_TRUE(tree.KeyExists("CLSID"));
    EXPECT_EQ(tree.GetValue("CLSID\\{OTHER}", ""), "another class");

    // A plain key stays while something else still lives below it.
    ASSERT_EQ(Apply(tree, true), S_OK);
    tree.SetValue("App.Thing.1\\Shell", "", "someone else's");
    ASSERT_EQ(Apply(tree, false), S_OK);
    EXPECT_TRUE(tree.KeyExists("App.Thing.1\\Shell"));
    EXPECT_FALSE(tree.KeyExists("App.Thing.1\\CLSID"));

    // The NoRemove key itself is kept even when empty, and unregistering twice is harmless.
    RegistryTree fresh;
    ASSERT_EQ(Apply(fresh, true), S_OK);
    ASSERT_EQ(Apply(fresh, false), S_OK);
    ASSERT_EQ(Apply(fresh, false), S_OK);
    EXPECT_TRUE(fresh.KeyExists("CLSID"));
    EXPECT_TRUE(fresh.SubKeyNames("CLSID").empty());
}

TEST(Registrar, VariablesAreReplacedInsideTheirTextOnly) {
    RegistryTree tree;
    const std::string module = "/odd 'dir' {x} 100%/lib.so";
    ASSERT_EQ(Apply(tree, true, module), S_OK);
    EXPECT_EQ(tree.GetValue(std::string(kClassKey) + "\\InprocServer32", ""), module);

    ASSERT_EQ(com::ApplyRegistrationScript(tree, "HKCR { 'It''s' = s '50%% of %A%' }",
                                           {{"A", "all"}}, true),
              S_OK);
    EXPECT_EQ(tree.GetValue("It's", ""), "50% of all");
}

TEST(Registrar, MalformedScriptsLeaveTheTreeUntouched) {
    RegistryTree tree;
    tree.SetValue("Keep", "", "me");
    const std::string before = tree.ToText();
    std::string error;
    for (const char* script : {"HKLM { A = s 'x' }", "HKCR { A = s 'x' ", "HKCR { A = d '1' }",
                               "HKCR { A = s 'unterminated }", "HKCR { A = s '%NOPE%' }",
                               "HKCR { ForceRemove Keep { } B = }"}) {
        EXPECT_EQ(com::ApplyRegistrationScript(tree, script, {}, true, &error), E_INVALIDARG)
            << script;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(tree.ToText(), before) << script;
    }
    // A value the registry cannot hold fails the whole script.
    EXPECT_EQ(Apply(tree, true, "/a\nb.so"), E_INVALIDARG);
    EXPECT_EQ(tree.ToText(), before);
}

TEST(Registrar, TheScriptIsReadIntoAKeyTreeBeforeAnythingIsApplied) {
    using Flag = com::ScriptKey::Flag;
    const auto keys = com::ParseRegistrationScript(kScript, {{"MODULE", "/m/lib.so"}});
    ASSERT_TRUE(keys);
    ASSERT_EQ(keys->size(), 2u);
    EXPECT_EQ((*keys)[0].flag, Flag::Plain);
    EXPECT_EQ((*keys)[0].name, "App.Thing.1");
    EXPECT_EQ((*keys)[0].defaultValue, "Thing Class");
    EXPECT_EQ((*keys)[1].flag, Flag::NoRemove);
    ASSERT_EQ((*keys)[1].subkeys.size(), 1u);
    const com::ScriptKey& forced = (*keys)[1].subkeys[0];
    EXPECT_EQ(forced.flag, Flag::ForceRemove);
    ASSERT_EQ(forced.subkeys.size(), 1u);
    EXPECT_EQ(forced.subkeys[0].defaultValue, "/m/lib.so");
    EXPECT_EQ(forced.subkeys[0].values,
              (std::vector<std::pair<std::string, std::string>>{{"ThreadingModel", "both"}}));

    std::string error;
    EXPECT_FALSE(com::ParseRegistrationScript("hkcr { A = S '%NOPE%' }", {}, &error));
    EXPECT_EQ(error, "unknown variable %NOPE%");
}
