// Inputs that once broke the registry reader and the registration-script
// parser: a continuation "\" on the last line, keys nested without end,
// deep keys with many values. And RTX and picture files saved as "Unicode"
// by a desktop editor, which converted into nothing.

#include "com/Registrar.h"
#include "com/RegistryTree.h"
#include "picture/PictureBatch.h"
#include "melody/MelodyConverter.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

namespace {

std::string Nested(int depth) {
    std::string script = "HKCR\n{\n";
    for (int i = 0; i < depth; ++i)
        script += "k\n{\n";
    for (int i = 0; i < depth; ++i)
        script += "}\n";
    return script + "}\n";
}

std::string DeepPath(int depth) {
    std::string path = "k";
    for (int i = 1; i < depth; ++i)
        path += "\\k";
    return path;
}

TEST(RegistryInput, ALastLineEndingInABackslashSurvivesRewriting) {
    // The "\" continued nothing, stayed in the raw value, and on the next
    // rewrite swallowed the value after it.
    const auto tree = com::RegistryTree::FromText("[HKEY_CLASSES_ROOT\\}]\n\"s\"=\n\"\"=\\");
    ASSERT_TRUE(tree);
    const std::string written = tree->ToText();
    const auto again = com::RegistryTree::FromText(written);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ToText(), written);
    EXPECT_NE(written.find("\"s\"="), std::string::npos);

    const auto spaced = com::RegistryTree::FromText("[HKEY_CLASSES_ROOT\\k]\n\"v\"=dword:1 \\\n");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(com::RegistryTree::FromText(spaced->ToText())->ToText(), spaced->ToText());
}

TEST(RegistryInput, KeysNestNoDeeperThanTheRegistryAllows) {
    com::RegistryTree tree;
    EXPECT_TRUE(tree.CreateKey(DeepPath(512)));
    EXPECT_TRUE(tree.KeyExists(DeepPath(300)));
    EXPECT_FALSE(tree.CreateKey(DeepPath(513)));
    EXPECT_FALSE(
        com::RegistryTree::FromText("[HKEY_CLASSES_ROOT\\" + DeepPath(513) + "]\n").has_value());

    // Values of a deep key cost no more than its path: as little as those of
    // a key with a path as long, four levels deep. (They walked every ancestor.)
    const auto timeValues = [](const std::string& path) {
        std::string text = "[HKEY_CLASSES_ROOT\\" + path + "]\n";
        for (int i = 0; i < 20000; ++i)
            text += "\"v" + std::to_string(i) + "\"=\"x\"\n";
        const auto start = std::chrono::steady_clock::now();
        const auto tree = com::RegistryTree::FromText(text);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(tree && tree->GetValue(path, "v19999") == "x");
        return took;
    };
    const std::string deep = DeepPath(512);
    const std::string part(255, 'k');
    const auto shallow = timeValues(part + "\\" + part + "\\" + part + "\\" + part);
    EXPECT_LT(timeValues(deep), 10 * shallow + std::chrono::milliseconds(200));
}

// The resident memory that call adds at its peak, in bytes; nullopt where
// the process cannot measure it.
template <class Call> std::optional<long> PeakMemoryAdded(Call call) {
    const auto resident = [](const char* field) {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind(field, 0) == 0)
                return std::atol(line.c_str() + std::strlen(field)) * 1024;
        return -1L;
    };
    ::malloc_trim(0);
    if (!(std::ofstream("/proc/self/clear_refs") << "5").flush())
        return std::nullopt; // the peak cannot be reset
    const long before = resident("VmRSS:");
    call();
    const long peak = resident("VmHWM:");
    return before < 0 || peak < 0 ? std::nullopt : std::optional<long>(peak - before);
}

std::string KeyLine(std::size_t parts, std::size_t partLength) {
    std::string line = "[HKEY_CLASSES_ROOT";
    for (std::size_t i = 0; i < parts; ++i)
        line.append("\\").append(partLength, 'k');
    return line + "]\n";
}

// Each key held its ancestors' whole paths: a 4 MB key line took 4 GB, and
// each value of a long key cost the key's path again.
TEST(RegistryInput, LargeTextsCostMemoryInProportionToTheirSize) {
    std::string values = "REGEDIT4\n\n" + KeyLine(128, 255); // the longest path allowed
    for (int i = 0; values.size() < 2'000'000; ++i)
        values += "\"value" + std::to_string(i) + "\"=\"" + std::string(80, 'x') + "\"\n";
    const struct {
        const char* name;
        std::string text;
        const char* error; // nullptr: the text reads
    } cases[] = {
        {"4 MB key line", KeyLine(512, 8192), "line 1: a key path longer than 32767 characters"},
        {"4 MB key name", KeyLine(1, 4 << 20), "line 1: a key path longer than 32767 characters"},
        {"2 MB, 20,000 values under one long key", values, nullptr},
        {"4 MB value", KeyLine(1, 8) + "@=\"" + std::string(4 << 20, 'v') + "\"\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<com::RegistryTree> tree;
        std::string error;
        const auto added =
            PeakMemoryAdded([&] { tree = com::RegistryTree::FromText(c.text, &error); });
        EXPECT_EQ(tree.has_value(), c.error == nullptr);
        EXPECT_EQ(error, c.error == nullptr ? "" : c.error);
        if (!added)
            continue;
        std::printf("%s: %zu bytes of text, %ld bytes of memory at the peak\n", c.name,
                    c.text.size(), *added);
#ifndef QUILLMERE_SANITIZED
        EXPECT_LE(*added, 4 * static_cast<long>(c.text.size()));
#endif
    }
}

TEST(RegistrationScriptInput, DeepNestingIsRefusedNotACrash) {
    com::RegistryTree tree;
    std::string error;
    // Nested this deep, the parser used to run out of stack.
    EXPECT_EQ(com::ApplyRegistrationScript(tree, Nested(200000), {}, true, &error), E_INVALIDARG);
    EXPECT_EQ(error, "keys nested too deeply");
    EXPECT_EQ(tree.ToText(), com::RegistryTree().ToText());

    // As deep as the registry allows works, and quickly (it took minutes).
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(com::ApplyRegistrationScript(tree, Nested(512), {}, true, &error), S_OK);
    EXPECT_TRUE(tree.KeyExists(DeepPath(512)));
    EXPECT_EQ(com::ApplyRegistrationScript(tree, Nested(512), {}, false, &error), S_OK);
    EXPECT_FALSE(tree.KeyExists(DeepPath(1)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The text with a byte-order mark: UTF-8, UTF-16LE or UTF-16BE (each byte
// of text one character).
std::string Unicode(const std::string& text, int encoding) {
    if (encoding == 0)
        return "\xEF\xBB\xBF" + text;
    std::string units = encoding == 1 ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : text)
        units += encoding == 1 ? std::string{c, '\0'} : std::string{'\0', c};
    return units;
}

TEST(UnicodeInput, FilesSavedWithAByteOrderMarkConvertLikeTheir8BitTwins) {
    const std::string melody = "Tune:d=4,o=5,b=90:\r\n8c,8d#6,4.p,\r\n16g5\r\n";
    std::string picture = "00480E01";
    for (int i = 0; i < 252; ++i)
        picture += "0123456789abcdef"[(i * 5) % 16];
    for (int encoding = 0; encoding < 3; ++encoding) {
        SCOPED_TRACE(encoding);
        testsupport::TempDir in, twinOut, out, logs;
        testsupport::WriteFile(in / "twin.txt", melody);
        testsupport::WriteFile(in / "twin.ota", picture);
        testsupport::WriteFile(in / "song.txt", Unicode(melody, encoding));
        testsupport::WriteFile(in / "logo.ota", Unicode(picture, encoding));
        testsupport::RecordingUi user;
        user.whenNoAnswer = ReplaceAnswer::Replace;
        CMelodyConverter converter(user, logs.Folder());
        converter.ConvertMelodies(std::vector<std::string>{in / "twin.txt", in / "song.txt"},
                                  out.Folder(), 1, 1, 1);
        EXPECT_TRUE(converter.AllSucceeded());
        testsupport::RecordingUi messages;
        EXPECT_EQ(picture::ConvertPictureFiles(messages, {in / "twin.ota", in / "logo.ota"},
                                                out.Folder(), logs.Folder())
                      .converted,
                  2u);
        for (const char* twin : {"twin.em1", "twin.hx1", "twin.em2", "twin.hx2", "twin.lgo"}) {
            std::string name = twin;
            name.replace(0, 4, name.back() == 'o' ? "logo" : "song");
            EXPECT_EQ(testsupport::ReadFile(out / name), testsupport::ReadFile(out / twin)) << name;
        }
    }
}

} // namespace
