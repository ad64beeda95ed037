#include "framework/ModulePath.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct FolderCase {
    const char* Name;
    const wchar_t* Path;
    const wchar_t* Folder;
};

const FolderCase FolderCases[] = {
    {"Plain", L"C:\\Program Files\\Tapstorm\\tapstorm.exe", L"C:\\Program Files\\Tapstorm\\"},
    {"DriveRoot", L"D:\\tapstorm.exe", L"D:\\"},
    {"DriveOnly", L"D:tapstorm.exe", L"D:"},
    {"Share", L"\\\\server\\share\\tapstorm.exe", L"\\\\server\\share\\"},
    {"NoFolder", L"tapstorm.exe", L""},
    {"Empty", L"", L""},
    {"DotsStay", L"C:\\a.b\\c.d\\x", L"C:\\a.b\\c.d\\"},
    {"OutsideTheCodePage", L"C:\\caf\u00E9\\\uD55C\uAD6D\\tapstorm.exe", L"C:\\caf\u00E9\\\uD55C\uAD6D\\"},
};

class ExtractFilePathTest : public ::testing::TestWithParam<FolderCase> {};

// The wide and the ANSI form cut at the same place wherever the path converts exactly.
TEST_P(ExtractFilePathTest, EndsAfterTheLastSeparator)
{
    EXPECT_EQ(GetParam().Folder, ExtractFilePath(WideString(GetParam().Path)));
    bool exact = false;
    AnsiString ansi = WideToAnsi(GetParam().Path, &exact);
    if (exact) {
        EXPECT_EQ(WideToAnsi(GetParam().Folder), ExtractFilePath(ansi));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ExtractFilePathTest, ::testing::ValuesIn(FolderCases),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.Name; });

// "表" is 0x95 0x5C in Shift-JIS: its second byte is the code of "\".
TEST(ExtractFilePathDoubleByteTest, ASecondByteIsNoSeparator)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Japanese ANSI code page";
    ASSERT_EQ("\x95\x5C", AnsiString("表"));
    EXPECT_EQ("C:\\表\\", ExtractFilePath(AnsiString("C:\\表\\tapstorm.exe")));
    EXPECT_EQ("C:\\", ExtractFilePath(AnsiString("C:\\表")));
    EXPECT_EQ("C:\\ツール\\", ExtractFilePath(AnsiString("C:\\ツール\\表.exe")));
    EXPECT_EQ("C:\\x表y\\", ExtractFilePath(AnsiString("C:\\x表y\\z")));
}

TEST(ModulePathTest, TheFolderIsTheRunningExecutablesOwn)
{
    WideString path = ModuleFileNameW();
    ASSERT_GT(path.size(), 4u);
    EXPECT_EQ(path, ModuleFolderW() + L"framework_tests.exe");
    EXPECT_EQ(WideToAnsi(ModuleFolderW()), ModuleFolder());
}

TEST(AnsiConversionTest, RoundTripsAndTellsWhatTheCodePageLacks)
{
    bool exact = false;
    EXPECT_EQ("連打 m-sec.", WideToAnsi(AnsiToWide("連打 m-sec."), &exact));
    EXPECT_TRUE(exact);
    WideToAnsi(L"caf\u00E9", &exact);
    EXPECT_FALSE(exact) << "no look-alike stands in";
}

}  // namespace
