// A registry file's text through the reader. A text that reads must come
// back from its own written form unchanged, so that every registration
// survives being written and read again.

#include "fuzz/FuzzCheck.h"

#include "com/RegistryTree.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::optional<com::RegistryTree> tree = com::RegistryTree::FromText(text, &error);
    if (!tree) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    const std::string written = tree->ToText();
    const std::optional<com::RegistryTree> again = com::RegistryTree::FromText(written, &error);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->ToText() == written);

    // Every key written can be found, and so can every subkey it lists.
    constexpr std::string_view kKeyLine = "\n[HKEY_CLASSES_ROOT\\";
    for (std::size_t at = written.find(kKeyLine); at != std::string::npos;
         at = written.find(kKeyLine, at + 1)) {
        const std::size_t begin = at + kKeyLine.size();
        const std::string path = written.substr(begin, written.find("]\n", begin) - begin);
        FUZZ_CHECK(tree->KeyExists(path));
        for (const std::string& sub : tree->SubKeyNames(path))
            FUZZ_CHECK(tree->KeyExists(path + "\\" + sub));
    }
    return 0;
}
