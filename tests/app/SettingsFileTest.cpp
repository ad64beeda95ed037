#include "app/SettingsFile.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct PathCase {
    const char* module;
    const char* settings;
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.module;
}

class SettingsPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathTest, IsTapstormIniInTheExecutablesFolder)
{
    // The double-byte cases need Shift-JIS as the ANSI code page.
    ASSERT_EQ(932u, GetACP()) << "run under LC_ALL=ja_JP.UTF-8";
    EXPECT_EQ(GetParam().settings, SettingsFileName(GetParam().module));
}

const PathCase PathCases[] = {
    {"D:\\Tools\\app.exe", "D:\\Tools\\tapstorm.ini"},
    {"D:\\Tools\\tapstorm.exe", "D:\\Tools\\tapstorm.ini"},
    {"C:\\Program Files\\Tapstorm\\clicker 2.exe", "C:\\Program Files\\Tapstorm\\tapstorm.ini"},
    // The drive's root keeps its backslash.
    {"D:\\app.exe", "D:\\\\tapstorm.ini"},
    {"D:app.exe", "D:\\tapstorm.ini"},
    // "表" and "ソ" end in 0x5C, which is not a separator there.
    {"D:\\表\\app.exe", "D:\\表\\tapstorm.ini"},
    {"D:\\ソフト\\表\\app.exe", "D:\\ソフト\\表\\tapstorm.ini"},
    {"D:\\Tools\\表.exe", "D:\\Tools\\tapstorm.ini"},
    {"D:\\表.exe", "D:\\\\tapstorm.ini"},
    // Network shares.
    {"\\\\server\\share\\app.exe", "\\\\server\\share\\tapstorm.ini"},
    {"\\\\server\\share\\表\\app.exe", "\\\\server\\share\\表\\tapstorm.ini"},
};

INSTANTIATE_TEST_SUITE_P(Table, SettingsPathTest, ::testing::ValuesIn(PathCases));

TEST(SettingsFileNameTest, FollowsTheRunningExecutableUnlessOverridden)
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    EXPECT_EQ(SettingsFileName(module), SettingsFileName());

    SetSettingsFileOverride("C:\\elsewhere\\test.ini");
    EXPECT_EQ("C:\\elsewhere\\test.ini", SettingsFileName());
    SetSettingsFileOverride("");
    EXPECT_EQ(SettingsFileName(module), SettingsFileName());
}

} // namespace
