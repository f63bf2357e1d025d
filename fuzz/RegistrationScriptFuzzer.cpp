// A registration script through the registrar's parser, registering and
// unregistering against an empty registry and a populated one. A refused
// script leaves the registry as it was; an accepted one leaves a registry
// that survives being written and read again, and can be unregistered.

#include "fuzz/FuzzCheck.h"

#include "com/Registrar.h"
#include "com/RegistryTree.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPopulated = R"(REGEDIT4

[HKEY_CLASSES_ROOT\CLSID]

[HKEY_CLASSES_ROOT\CLSID\{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}]
@="LogoConverter Class"

[HKEY_CLASSES_ROOT\CLSID\{72D7EBB1-14E9-42BB-A0A5-33E4CE02164C}\InprocServer32]
@="/opt/quillmere/libPellumo.so"
"ThreadingModel"="both"

[HKEY_CLASSES_ROOT\Pellumo.LogoConverter]
@="LogoConverter Class"
)";

void CheckRoundTrip(const com::RegistryTree& tree) {
    const std::string written = tree.ToText();
    const std::optional<com::RegistryTree> again = com::RegistryTree::FromText(written);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->ToText() == written);
}

void Apply(com::RegistryTree tree, std::string_view script) {
    const com::ScriptVariables variables = {{"MODULE", "/opt/quillmere/libPellumo.so"},
                                            {"QUOTE", "it's {odd} = s"}};
    const std::string before = tree.ToText();
    std::string error;
    HRESULT hr = com::ApplyRegistrationScript(tree, script, variables, true, &error);
    FUZZ_CHECK(hr == S_OK || hr == E_INVALIDARG);
    if (hr != S_OK) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(tree.ToText() == before);
        return;
    }
    CheckRoundTrip(tree);
    hr = com::ApplyRegistrationScript(tree, script, variables, false, &error);
    FUZZ_CHECK(hr == S_OK);
    CheckRoundTrip(tree);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    static const com::RegistryTree populated = *com::RegistryTree::FromText(kPopulated);
    Apply(com::RegistryTree(), script);
    Apply(populated, script);
    return 0;
}
