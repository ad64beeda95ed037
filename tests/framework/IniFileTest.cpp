#include "framework/IniFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>

namespace {

bool Exists(const AnsiString& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(IniFileTest, ReadsBackWhatItWrites)
{
    TempFolder folder;
    TIniFile ini(folder.Path("a.ini"));
    EXPECT_EQ(folder.Path("a.ini"), ini.FileName());

    ini.WriteString("Text", "Name", "連打 speed");
    ini.WriteInteger("Numbers", "Negative", -5);
    ini.WriteInteger("Numbers", "Lowest", -2147483647 - 1);
    ini.WriteBool("Flags", "On", true);
    ini.WriteBool("Flags", "Off", false);

    EXPECT_EQ("連打 speed", ini.ReadString("Text", "Name", ""));
    EXPECT_EQ("-5", ini.ReadString("Numbers", "Negative", ""));
    EXPECT_EQ(-5, ini.ReadInteger("Numbers", "Negative", 0));
    EXPECT_EQ("-2147483648", ini.ReadString("Numbers", "Lowest", ""));
    EXPECT_EQ(-2147483647 - 1, ini.ReadInteger("Numbers", "Lowest", 0));
    EXPECT_EQ("1", ini.ReadString("Flags", "On", ""));
    EXPECT_EQ("0", ini.ReadString("Flags", "Off", ""));
    EXPECT_TRUE(ini.ReadBool("Flags", "On", false));
    EXPECT_FALSE(ini.ReadBool("Flags", "Off", true));
}

TEST(IniFileTest, MissingFileGivesDefaultsAndIsNotCreated)
{
    TempFolder folder;
    TIniFile ini(folder.Path("none.ini"));
    EXPECT_EQ("fallback", ini.ReadString("S", "K", "fallback"));
    EXPECT_EQ(77, ini.ReadInteger("S", "K", 77));
    EXPECT_TRUE(ini.ReadBool("S", "K", true));
    EXPECT_FALSE(ini.ReadBool("S", "K", false));
    EXPECT_FALSE(Exists(ini.FileName()));
}

TEST(IniFileTest, ReadStringStopsAtItsBuffer)
{
    TempFolder folder;
    WriteBytes(folder.Path("long.ini"), "[S]\r\nK=" + AnsiString(3000, 'a') + "\r\n");
    EXPECT_EQ(AnsiString(2047, 'a'), TIniFile(folder.Path("long.ini")).ReadString("S", "K", ""));
}

struct StoredCase {
    const char* line;  // the key's line as it stands in the file, or nullptr for no line
    int integer;       // ReadInteger with default -1
    bool boolean;      // ReadBool with default false
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << (c.line ? c.line : "(no line)");
}

class IniFileStoredTest : public ::testing::TestWithParam<StoredCase> {};

TEST_P(IniFileStoredTest, ReadsIntegerAndBool)
{
    const StoredCase& c = GetParam();
    TempFolder folder;
    AnsiString path = folder.Path("values.ini");
    WriteBytes(path, AnsiString("[Option]\r\nOther=9\r\n") + (c.line ? c.line : "") + "\r\n");
    TIniFile ini(path);
    EXPECT_EQ(c.integer, ini.ReadInteger("Option", "Value", -1));
    EXPECT_EQ(c.boolean, ini.ReadBool("Option", "Value", false));
    // A default of true survives whatever is not a number.
    EXPECT_EQ(c.integer == -1 ? true : c.integer != 0, ini.ReadBool("Option", "Value", true));
}

const StoredCase StoredCases[] = {
    {"Value=500", 500, true},
    {"Value=0", 0, false},
    {"Value=2", 2, true},
    {"Value=-12", -12, true},
    {"Value=0x1F4", 500, true},
    {"Value=0X1F4", 500, true},
    {"Value=$1F4", 500, true},
    {"Value=0x0", 0, false},
    {"Value=0xFFFFFFFE", -2, true},
    {"Value= 250", 250, true},
    {"value = 250  ", 250, true},
    {"Value=0x", -1, false},
    {"Value=250ms", -1, false},
    {"Value=yes", -1, false},
    {"Value=", -1, false},
    {nullptr, -1, false},
};

INSTANTIATE_TEST_SUITE_P(Table, IniFileStoredTest, ::testing::ValuesIn(StoredCases));

TEST(IniFileTest, FailedWriteRaisesTheFullPath)
{
    TempFolder folder;
    CreateDirectoryA(folder.Path("folder.ini").c_str(), nullptr);
    const AnsiString targets[] = {
        folder.Path("folder.ini"),              // a folder where the file should be
        folder.Path("missing\\settings.ini"),   // a folder that does not exist
    };
    for (const AnsiString& path : targets) {
        SCOPED_TRACE(path);
        TIniFile ini(path);
        try {
            ini.WriteInteger("Window", "Left", 1);
            ADD_FAILURE() << "no exception";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(path + " に書き込めません", e.Message());
        }
        EXPECT_THROW(ini.WriteBool("Option", "CursorLock", true), Exception);
    }
}

TEST(IniFileTest, WritesLeaveUnknownContentAlone)
{
    TempFolder folder;
    AnsiString path = folder.Path("keep.ini");
    WriteBytes(path,
               "[Mine]\r\n"
               "Note=keep me\r\n"
               "[Option]\r\n"
               "Extra=1\r\n"
               "Interval1=300\r\n"
               "Tail=x\r\n"
               "[Last]\r\n"
               "A=b\r\n");
    TIniFile ini(path);
    ini.WriteInteger("Option", "Interval1", 500);
    ini.WriteInteger("Option", "LockKey", 3);
    ini.WriteInteger("Window", "Left", -20);
    EXPECT_EQ("[Mine]\r\n"
              "Note=keep me\r\n"
              "[Option]\r\n"
              "Extra=1\r\n"
              "Interval1=500\r\n"
              "Tail=x\r\n"
              "LockKey=3\r\n"
              "[Last]\r\n"
              "A=b\r\n"
              "[Window]\r\n"
              "Left=-20\r\n",
              ReadBytes(path));
}

// TIniFile in folders named outside the ANSI code page writes the bytes the ANSI calls write
// into a plain folder (no byte-order mark, same encoding, same lines).
TEST(IniFileTest, FolderOutsideTheCodePageHoldsWhatTheAnsiCallsWrite)
{
    TempFolder folder;
    const AnsiString reference = folder.Path("reference.ini");
    WriteBytes(reference, "[Other]\r\n名前=表示\r\n");
    WritePrivateProfileStringA("Option", "Name", "連打", reference.c_str());
    for (const wchar_t* name : {L"caf\u00E9", L"\uD55C\uAD6D"}) {
        WideString sub = AnsiToWide(folder.Path("")) + name;
        ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
        WideString path = sub + L"\\tapstorm.ini";
        TIniFile(path).WriteString("Other", "名前", "表示");
        TIniFile(path).WriteString("Option", "Name", "連打");
        EXPECT_EQ("連打", TIniFile(path).ReadString("Option", "Name", ""));
        EXPECT_EQ(ReadBytes(reference), ReadBytes(path));
        DeleteFileW(path.c_str());
        RemoveDirectoryW(sub.c_str());
    }
}

} // namespace
