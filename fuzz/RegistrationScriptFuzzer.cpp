// A registration script through the parser alone, then registering and
// unregistering it against an empty registry and a populated one. The
// parser reads a key tree within the registry's depth, or refuses the
// script with a reason; a refused script leaves the registry as it was; an
// accepted one leaves a registry that survives being written and read
// again, and can be unregistered.

#include "fuzz/FuzzCheck.h"

#include "com/Registrar.h"
#include "com/RegistrationScript.h"
#include "com/RegistryTree.h"

#include <algorithm>
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

const com::ScriptVariables kVariables = {{"MODULE", "/opt/quillmere/libPellumo.so"},
                                         {"QUOTE", "it's {odd} = s"}};

std::size_t Depth(const std::vector<com::ScriptKey>& keys) {
    std::size_t depth = 0;
    for (const com::ScriptKey& key : keys)
        depth = std::max(depth, 1 + Depth(key.subkeys));
    return depth;
}

// The parser alone: a key tree no deeper than the registry allows, or a reason.
bool Parses(std::string_view script) {
    std::string error;
    const auto keys = com::ParseRegistrationScript(script, kVariables, &error);
    if (!keys) {
        FUZZ_CHECK(!error.empty());
        return false;
    }
    FUZZ_CHECK(Depth(*keys) <= com::kMaxKeyDepth);
    return true;
}

void CheckRoundTrip(const com::RegistryTree& tree) {
    const std::string written = tree.ToText();
    const std::optional<com::RegistryTree> again = com::RegistryTree::FromText(written);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->ToText() == written);
}

void Apply(com::RegistryTree tree, std::string_view script, bool parses) {
    const std::string before = tree.ToText();
    std::string error;
    HRESULT hr = com::ApplyRegistrationScript(tree, script, kVariables, true, &error);
    FUZZ_CHECK(hr == S_OK || hr == E_INVALIDARG);
    FUZZ_CHECK(parses || hr != S_OK);
    if (hr != S_OK) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(tree.ToText() == before);
        return;
    }
    CheckRoundTrip(tree);
    hr = com::ApplyRegistrationScript(tree, script, kVariables, false, &error);
    FUZZ_CHECK(hr == S_OK);
    CheckRoundTrip(tree);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    static const com::RegistryTree populated = *com::RegistryTree::FromText(kPopulated);
    const bool parses = Parses(script);
    Apply(com::RegistryTree(), script, parses);
    Apply(populated, script, parses);
    return 0;
}
