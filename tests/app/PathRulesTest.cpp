#include "app/PathRules.h"
#include "app/HelpOpener.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace app;

TEST(PathRules, FolderPartEndsAtTheLastSlashAndIsEmptyWithoutOne) {
    EXPECT_EQ(SplitFolderPart("/home/ana/a.txt"), "/home/ana/");
    EXPECT_EQ(SplitFolderPart("/a.txt"), "/");
    EXPECT_EQ(SplitFolderPart("/home/ana/"), "/home/ana/");
    EXPECT_EQ(SplitFolderPart("a.txt"), "");
    EXPECT_EQ(SplitFolderPart("back\\slash.txt"), ""); // a backslash is part of the name
    EXPECT_EQ(InputFolderOf("/in/a.txt,/other/b.txt"), "/in/");
    EXPECT_EQ(InputFolderOf(""), "");
}

TEST(PathRules, ProposedNameDropsTheInputFolderOnlyAtTheStartOfItems) {
    EXPECT_EQ(ProposedSaveName("/in/a.txt"), "a.txt");
    EXPECT_EQ(ProposedSaveName("/in/a.txt,/in/b.txt,/in/c.txt"), "a.txt,b.txt,c.txt");
    // Files from two folders: only the first file's folder is removed.
    EXPECT_EQ(ProposedSaveName("/in/a.txt,/other/b.txt"), "a.txt,/other/b.txt");
    // The folder text inside another path stays.
    EXPECT_EQ(ProposedSaveName("/in/a.txt,/x/in/b.txt,/in/in/c.txt"), "a.txt,/x/in/b.txt,in/c.txt");
    EXPECT_EQ(ProposedSaveName("a.txt,b.txt"), "a.txt,b.txt");
    EXPECT_EQ(ProposedSaveName(""), "");
    EXPECT_EQ(ProposedSaveName("/in/a.txt,"), "a.txt,");
}

TEST(PathRules, OutputFolderAlwaysEndsWithSlash) {
    EXPECT_EQ(DialogFolder(""), "/");
    EXPECT_EQ(DialogFolder("/out"), "/out/");
    EXPECT_EQ(DialogFolder("/out/"), "/out/");
    EXPECT_EQ(DialogFolder("/d/pics/b.txt"), "/d/pics/b.txt/");
}

TEST(PathRules, HelpFilesLiveInHelpUnderTheProgramFolder) {
    EXPECT_EQ(HelpFilePath("/opt/quillmere/"), "/opt/quillmere/Help/VERErezozedi.hlp");
    EXPECT_EQ(HelpGuidePath("/opt/quillmere/"), "/opt/quillmere/Help/VERErezozedi.html");
    EXPECT_EQ(HelpFilePath(""), "Help/VERErezozedi.hlp");
}

