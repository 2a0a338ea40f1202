// icon.library stand-in: icon files and tool type matching.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "amiga/dos.h"
#include "host/control.h"
#include "amiga/icon.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

class IconTest : public testfiles::FilesTest {
protected:
    static std::vector<std::string> tool_types(const DiskObject *d) {
        std::vector<std::string> out;
        for (STRPTR *t = d->do_ToolTypes; t && *t; ++t) out.emplace_back(*t);
        return out;
    }
};

TEST_F(IconTest, FindToolTypeMatchesNamesNotValues) {
    char e0[] = "SKIN=progdir:grafika_aga2x", e1[] = "screen", e2[] = "(TOOL=off)", e3[] = "WIDTH = 640",
         e4[] = "FILETYPE=text|ascii", e5[] = "SKINNY=1", e6[] = "MODE =", e7[] = "zażółć=tak";
    STRPTR tt[] = {e0, e1, e2, e3, e4, e5, e6, e7, nullptr};

    EXPECT_EQ(FindToolType(tt, "skin"), e0 + 5); // a pointer into the entry
    EXPECT_EQ(FindToolType(tt, "SCREEN"), e1 + 6); // bare name: ""
    EXPECT_STREQ(FindToolType(tt, "WIDTH"), "640");
    EXPECT_STREQ(FindToolType(tt, "SKINNY"), "1");
    EXPECT_STREQ(FindToolType(tt, "mode"), "");
    EXPECT_STREQ(FindToolType(tt, "zażółć"), "tak");
    for (const char *absent : {"TOOL", "text", "SKI", "SKINNYX", "SCREENS", ""})
        EXPECT_EQ(FindToolType(tt, absent), nullptr) << absent;
    EXPECT_EQ(FindToolType(nullptr, "SKIN"), nullptr);
}

TEST_F(IconTest, MissingIconGivesADefaultOne) {
    for (std::string name : {dir + "/kwadron", std::string()}) {
        DiskObject *d = GetDiskObjectNew(name.empty() ? nullptr : name.c_str());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->do_Magic, WB_DISKMAGIC);
        EXPECT_EQ(d->do_ToolTypes, nullptr);
        EXPECT_EQ(FindToolType(d->do_ToolTypes, "SKIN"), nullptr);
        EXPECT_EQ(host::ledger_count("diskobject"), 1u);
        FreeDiskObject(d);
    }
    fs::create_directory(dir + "/drawer.info"); // not a file: no tool types
    DiskObject *d = GetDiskObjectNew((dir + "/drawer").c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->do_ToolTypes, nullptr);
    FreeDiskObject(d);
}

TEST_F(IconTest, IconFileHoldsOneToolTypePerLine) {
    testfiles::spit(dir + "/kwadron.info", "# settings\n"
                         "SKIN=progdir:grafika_aga2x\r\n"
                         "\n"
                         "   \t\n"
                         "  SCREEN  \n"
                         "(CX_POPUP=NO)\n"
                         "TITLE=Łódź \xFF\n"
                         "LAST");
    host::set_progdir(dir);
    DiskObject *d = GetDiskObjectNew("progdir:kwadron");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(tool_types(d), (std::vector<std::string>{"SKIN=progdir:grafika_aga2x", "SCREEN", "(CX_POPUP=NO)",
                                                       "TITLE=Łódź \xFF", "LAST"}));
    EXPECT_STREQ(FindToolType(d->do_ToolTypes, "SKIN"), "progdir:grafika_aga2x");
    EXPECT_STREQ(FindToolType(d->do_ToolTypes, "SCREEN"), "");
    EXPECT_EQ(FindToolType(d->do_ToolTypes, "CX_POPUP"), nullptr);
    EXPECT_EQ(host::ledger_count("file"), 0u); // the file is closed again
    FreeDiskObject(d);
}

} // namespace
