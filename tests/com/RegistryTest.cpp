// The registry tree, its text form and its file: locking, safe replacement.

#include "com/RegistryFile.h"
#include "com/RegistryTree.h"

#include "support/ScopedRegistry.h"

#include "platform/ProgramPath.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

using com::RegistryTree;

namespace {
HRESULT SetKeyValue(const std::string& value);
} // namespace

TEST(RegistryTree, KeysValuesAndDeletion) {
    RegistryTree tree;
    ASSERT_TRUE(tree.SetValue("CLSID\\{A}\\InprocServer32", "", "/lib/a.so"));
    ASSERT_TRUE(tree.SetValue("CLSID\\{A}\\InprocServer32", "ThreadingModel", "both"));
    ASSERT_TRUE(tree.SetValue("Pellumo.LogoConverter", "", "x"));
    ASSERT_TRUE(tree.SetValue("Pellumo.LogoConverter.1", "", "y"));
    ASSERT_TRUE(tree.SetValue("Pellumo.LogoConverter\\CLSID", "", "z"));
    EXPECT_TRUE(tree.KeyExists("clsid\\{a}")); // ancestors exist; case does not matter
    EXPECT_EQ(tree.GetValue("CLSID\\{A}\\INPROCSERVER32", "threadingmodel"), "both");
    EXPECT_EQ(tree.SubKeyNames("CLSID"), std::vector<std::string>{"{A}"});
    EXPECT_FALSE(tree.GetValue("CLSID\\{A}", "").has_value());

    // Deleting a key takes its subtree, never a sibling that merely shares its prefix.
    EXPECT_TRUE(tree.DeleteTree("Pellumo.LogoConverter"));
    EXPECT_FALSE(tree.KeyExists("Pellumo.LogoConverter\\CLSID"));
    EXPECT_EQ(tree.GetValue("Pellumo.LogoConverter.1", ""), "y");
    EXPECT_TRUE(tree.DeleteTree("CLSID\\{A}"));
    EXPECT_TRUE(tree.KeyExists("CLSID"));
    EXPECT_FALSE(tree.DeleteTree("CLSID\\{A}"));

    // What a .reg line cannot hold is refused rather than written broken.
    EXPECT_FALSE(tree.SetValue("Bad", "", "two\nlines"));
    EXPECT_FALSE(tree.SetValue("a\\\\b", "", "x"));
    EXPECT_FALSE(tree.CreateKey(""));
}

TEST(RegistryTree, TextRoundTripKeepsEmptyKeysQuotesAndForeignValues) {
    RegistryTree tree;
    tree.CreateKey("CLSID");
    tree.SetValue("App", "", "say \"hi\" C:\\dir\\");
    tree.SetValue("App", "Path", "/opt/a b/lib.so");
    const std::string foreign = "[HKEY_CLASSES_ROOT\\Other]\n\"Size\"=dword:0000002a\n"
                                "\"Blob\"=hex:01,02,\\\n  03\n";
    const std::string text = tree.ToText() + "\n; a comment\n" + foreign;
    std::string error;
    const auto read = RegistryTree::FromText(text, &error);
    ASSERT_TRUE(read.has_value()) << error;
    EXPECT_TRUE(read->KeyExists("CLSID"));
    EXPECT_EQ(read->GetValue("App", ""), "say \"hi\" C:\\dir\\");
    EXPECT_EQ(read->GetValue("App", "Path"), "/opt/a b/lib.so");
    EXPECT_FALSE(read->GetValue("Other", "Size").has_value()); // not a string
    const std::string again = read->ToText();
    EXPECT_NE(again.find("\"Size\"=dword:0000002a\n"), std::string::npos);
    EXPECT_NE(again.find("\"Blob\"=hex:01,02,03\n"), std::string::npos);
    EXPECT_EQ(RegistryTree::FromText(again)->ToText(), again);
}

TEST(RegistryTree, MalformedTextIsRejectedWithItsLine) {
    std::string error;
    EXPECT_FALSE(RegistryTree::FromText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\X]\n", &error));
    EXPECT_EQ(error.rfind("line 3:", 0), 0u) << error;
    EXPECT_FALSE(RegistryTree::FromText("REGEDIT4\n@=\"no key\"\n"));
    EXPECT_FALSE(RegistryTree::FromText("[HKEY_CLASSES_ROOT\\A]\n@=\"open\n"));
    EXPECT_FALSE(RegistryTree::FromText("[HKEY_CLASSES_ROOT\\A]\ngarbage\n"));
    EXPECT_TRUE(RegistryTree::FromText("\xEF\xBB\xBFREGEDIT4\r\n[HKEY_CLASSES_ROOT\\A]\r\n"));

    // The limits of the registry: each text at its limit reads, one more
    // character is a malformed line.
    const std::string name(255, 'k');
    std::string longest = name; // 128 names: 32,767 characters
    while (longest.size() < 32767)
        longest += "\\" + name;
    const struct {
        std::string line;
        const char* error;
    } limits[] = {
        {"[HKEY_CLASSES_ROOT\\" + name + "]", nullptr},
        {"[HKEY_CLASSES_ROOT\\" + name + "k]", "line 2: a key name longer than 255 characters"},
        {"[HKEY_CLASSES_ROOT\\" + longest + "]", nullptr},
        {"[HKEY_CLASSES_ROOT\\" + longest + "k]",
         "line 2: a key path longer than 32767 characters"},
        {"[HKEY_CLASSES_ROOT\\A]\n\"" + std::string(16383, 'v') + "\"=\"\"", nullptr},
        {"[HKEY_CLASSES_ROOT\\A]\n\"" + std::string(16384, 'v') + "\"=\"\"",
         "line 3: a value name longer than 16383 characters"},
    };
    for (const auto& limit : limits) {
        error.clear();
        EXPECT_EQ(RegistryTree::FromText("REGEDIT4\n" + limit.line + "\n", &error).has_value(),
                  limit.error == nullptr);
        EXPECT_EQ(error, limit.error == nullptr ? "" : limit.error);
    }
    RegistryTree tree; // and what cannot be read cannot be made either
    EXPECT_FALSE(tree.CreateKey(name + "k"));
    EXPECT_FALSE(tree.SetValue("A", std::string(16384, 'v'), ""));
    EXPECT_FALSE(tree.KeyExists("A"));
}

TEST(RegistryFile, PathsComeFromTheEnvironment) {
    testsupport::ScopedRegistry registry;
    EXPECT_EQ(com::RegistryFilePath(), registry.Path());
    EXPECT_EQ(com::SystemRegistryFilePath(), registry.SystemPath());
    EXPECT_EQ(com::RegistryLookupFiles(),
              (std::vector<std::string>{registry.Path(), registry.SystemPath()}));

    testsupport::ScopedEnv user("QUILLMERE_REGISTRY", std::nullopt);
    testsupport::ScopedEnv system("QUILLMERE_SYSTEM_REGISTRY", std::nullopt);
    testsupport::ScopedEnv dataHome("XDG_DATA_HOME", "/data");
    EXPECT_EQ(com::RegistryFilePath(), "/data/quillmere/registry.reg");
    EXPECT_EQ(com::SystemRegistryFilePath(), platform::ProgramFolder() + "registry.reg");
    dataHome.Set(std::nullopt);
    EXPECT_EQ(com::RegistryFilePath(),
              std::string(std::getenv("HOME")) + "/.local/share/quillmere/registry.reg");
    // Without a usable HOME, the password database's; a relative XDG_DATA_HOME is invalid.
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    const std::string fromDatabase = std::string(entry->pw_dir) +
                                     (std::string(entry->pw_dir) == "/" ? "" : "/") +
                                     ".local/share/quillmere/registry.reg";
    testsupport::ScopedEnv home("HOME", std::nullopt);
    for (const char* value : {"", "relative/home"}) {
        home.Set(value);
        dataHome.Set("relative/data");
        EXPECT_EQ(com::RegistryFilePath(), fromDatabase) << value;
    }
    user.Set(com::SystemRegistryFilePath()); // one file is consulted once
    EXPECT_EQ(com::RegistryLookupFiles(), std::vector<std::string>{com::SystemRegistryFilePath()});
}

TEST(RegistryFile, EditsAreWrittenWholeAndOnlyOnSuccess) {
    testsupport::ScopedRegistry registry;
    RegistryTree tree;
    ASSERT_EQ(com::ReadRegistry(tree), S_OK); // no file yet: empty
    EXPECT_FALSE(tree.KeyExists("CLSID"));

    ASSERT_EQ(com::EditRegistry([](RegistryTree& t) {
                  t.SetValue("CLSID\\{A}", "", "first");
                  return S_OK;
              }),
              S_OK);
    const std::string written = testsupport::ReadFile(registry.Path());
    EXPECT_EQ(written.rfind("REGEDIT4\n", 0), 0u);

    // A failed edit and a failed write both leave the file as it was.
    EXPECT_EQ(com::EditRegistry([](RegistryTree& t) {
                  t.DeleteTree("CLSID");
                  return E_FAIL;
              }),
              E_FAIL);
    // (The write fails at a file size limit far below the registry's size.)
    struct rlimit previous {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto xfsz = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = previous;
    tiny.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const HRESULT failedWrite = com::EditRegistry([](RegistryTree& t) {
        t.DeleteTree("CLSID");
        return S_OK;
    });
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, xfsz);
    EXPECT_EQ(failedWrite, REGDB_E_WRITEREGDB);
    EXPECT_EQ(testsupport::ReadFile(registry.Path()), written);

    // A malformed file is reported and never overwritten, but set aside whole.
    EXPECT_EQ(com::SetAsideBrokenRegistry().problem, ""); // a sound one stays
    const std::string broken = "[HKEY_CLASSES_ROOT\\A]\nnonsense\n";
    testsupport::WriteFile(registry.Path(), broken);
    EXPECT_EQ(com::ReadRegistry(tree), REGDB_E_READREGDB);
    EXPECT_EQ(com::EditRegistry([](RegistryTree&) { return S_OK; }), REGDB_E_READREGDB);
    EXPECT_EQ(testsupport::ReadFile(registry.Path()), broken);
    std::string first;
    for (int i = 0; i < 2; ++i) { // twice, perhaps within a second: two names
        const com::BrokenRegistry aside = com::SetAsideBrokenRegistry();
        EXPECT_NE(aside.movedTo, first);
        first = aside.movedTo;
        EXPECT_EQ(aside.problem, "line 2: unexpected text");
        EXPECT_EQ(aside.movedTo.rfind(registry.Path() + ".broken-20", 0), 0u) << aside.movedTo;
        EXPECT_EQ(testsupport::ReadFile(aside.movedTo), broken);
        EXPECT_FALSE(std::filesystem::exists(registry.Path()));
        EXPECT_EQ(SetKeyValue("fresh"), S_OK);
        testsupport::WriteFile(registry.Path(), broken);
    }
}

TEST(RegistryFile, ConcurrentEditsAllLand) {
    testsupport::ScopedRegistry registry;
    constexpr int kPerThread = 25;
    const auto writer = [](const char* who) {
        for (int i = 0; i < kPerThread; ++i)
            com::EditRegistry([&](RegistryTree& t) {
                t.SetValue(std::string("Keys\\") + who + std::to_string(i), "", "x");
                return S_OK;
            });
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    RegistryTree tree;
    ASSERT_EQ(com::ReadRegistry(tree), S_OK);
    EXPECT_EQ(tree.SubKeyNames("Keys").size(), 2u * kPerThread);
}

namespace {

HRESULT SetKeyValue(const std::string& value) {
    return com::EditRegistry([&](RegistryTree& t) {
        t.SetValue("Key", "", value);
        return S_OK;
    });
}

std::string SharedValue() {
    std::shared_ptr<const RegistryTree> tree;
    EXPECT_EQ(com::ReadRegistryFileShared(com::RegistryFilePath(), tree), S_OK);
    return tree->GetValue("Key", "").value_or("(none)");
}

} // namespace

TEST(RegistryFile, SharedReadIsKeptOnlyUntilTheFileChanges) {
    testsupport::ScopedRegistry registry;
    EXPECT_EQ(SharedValue(), "(none)"); // no file: empty
    ASSERT_EQ(SetKeyValue("one"), S_OK);
    EXPECT_EQ(SharedValue(), "one");

    // Once the file has settled, its parsed form is shared.
    std::this_thread::sleep_for(std::chrono::milliseconds(3100));
    std::shared_ptr<const RegistryTree> first, second;
    ASSERT_EQ(com::ReadRegistryFileShared(registry.Path(), first), S_OK);
    ASSERT_EQ(com::ReadRegistryFileShared(registry.Path(), second), S_OK);
    EXPECT_EQ(first.get(), second.get());

    // Changed in place with the same size and its old time put back.
    struct stat before {};
    ASSERT_EQ(::stat(registry.Path().c_str(), &before), 0);
    std::string text = testsupport::ReadFile(registry.Path());
    text.replace(text.find("\"one\""), 5, "\"two\"");
    const int fd = ::open(registry.Path().c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::futimens(fd, times);
    ::close(fd);
    EXPECT_EQ(SharedValue(), "two");

    // Replaced by another writer: a new file of the same size.
    ASSERT_EQ(SetKeyValue("six"), S_OK);
    EXPECT_EQ(SharedValue(), "six");
    EXPECT_EQ(first->GetValue("Key", ""), "one"); // what a reader holds never changes
}

TEST(RegistryFile, RewriteFollowsALinkAndKeepsOwnerGroupAndMode) {
    testsupport::ScopedRegistry registry;
    const std::filesystem::path real = registry.Dir() / "real";
    std::filesystem::create_directory(real);
    std::filesystem::create_symlink("real/registry.reg", registry.Path());
    ASSERT_EQ(SetKeyValue("one"), S_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(registry.Path()));
    EXPECT_NE(testsupport::ReadFile(real / "registry.reg").find("\"one\""), std::string::npos);

    // Made another user's file, readable by its owner and group only.
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod((real / "registry.reg").c_str(), 0640), 0);
    if (root) {
        ASSERT_EQ(::chown((real / "registry.reg").c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(com::EditRegistry([](RegistryTree& t) {
                  t.DeleteTree("Key");
                  return S_OK;
              }),
              S_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(registry.Path()));
    EXPECT_EQ(testsupport::ReadFile(real / "registry.reg").find("Key"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat((real / "registry.reg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(real),
                            std::filesystem::directory_iterator()),
              2); // the file and its lock file, no temporary left

    // A link that leads nowhere but to itself is refused.
    std::filesystem::remove(registry.Path());
    std::filesystem::create_symlink("registry.reg", registry.Path());
    EXPECT_EQ(SetKeyValue("one"), REGDB_E_WRITEREGDB);
}
