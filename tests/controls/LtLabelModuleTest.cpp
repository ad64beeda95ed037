// The link label module's routines: the working folder it hands the shell, and its registration.
#include "controls/LtLabel.h"
#include "framework/DesignRegistry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct FolderCase {
    const char* Name;
    const char* Path;
    const char* Folder;
};

const FolderCase FolderCases[] = {
    {"Plain", "C:\\Program Files\\Tapstorm\\tapstorm.exe", "C:\\Program Files\\Tapstorm\\"},
    {"DriveRoot", "D:\\tapstorm.exe", "D:\\"},
    {"DriveOnly", "D:tapstorm.exe", "D:"},
    {"Share", "\\\\server\\share\\tapstorm.exe", "\\\\server\\share\\"},
    {"NoFolder", "tapstorm.exe", ""},
    {"Empty", "", ""},
    {"DotsStay", "C:\\a.b\\c.d\\x", "C:\\a.b\\c.d\\"},
};

class ModuleFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ModuleFolderTest, EndsAfterTheLastSeparator)
{
    EXPECT_EQ(GetParam().Folder, LtLabel::ModuleFolder(GetParam().Path));
}

INSTANTIATE_TEST_SUITE_P(Table, ModuleFolderTest, ::testing::ValuesIn(FolderCases),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.Name; });

// "表" is 0x95 0x5C in Shift-JIS: its second byte is the code of "\".
TEST(ModuleFolderDoubleByteTest, ASecondByteIsNoSeparator)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese ANSI code page";
    ASSERT_EQ("\x95\x5C", AnsiString("表"));
    EXPECT_EQ("C:\\表\\", LtLabel::ModuleFolder("C:\\表\\tapstorm.exe"));
    EXPECT_EQ("C:\\", LtLabel::ModuleFolder("C:\\表"));
    EXPECT_EQ("C:\\ツール\\", LtLabel::ModuleFolder("C:\\ツール\\表.exe"));
    EXPECT_EQ("C:\\x表y\\", LtLabel::ModuleFolder("C:\\x表y\\z"));
}

TEST(LtLabelRegisterTest, PutsExactlyTheLinkLabelOnStandard)
{
    ClearDesignRegistry();
    LtLabel::Register();
    EXPECT_EQ(std::vector<AnsiString>{"Standard"}, PalettePages());
    std::vector<TComponentClass> classes = PaletteClasses("Standard");
    ASSERT_EQ(1u, classes.size());
    EXPECT_EQ("TLightLabel", classes[0].Name);
    std::unique_ptr<TComponent> made(classes[0].Create(nullptr));
    EXPECT_NE(nullptr, dynamic_cast<TLightLabel*>(made.get()));
    EXPECT_STREQ("TLightLabel", made->ClassName());
    EXPECT_TRUE(PropertiesInCategory(sVisualCategoryName).empty());
    ClearDesignRegistry();
}

}  // namespace
