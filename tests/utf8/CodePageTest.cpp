// What a program whose code page is UTF-8 meets of the framework (this suite's manifest declares
// UTF-8, as a caller's program may, and as a system may have it for every program). The file
// dialogs' suite runs in the same program.
#include "framework/Dialogs.h"
#include "framework/IniFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(CodePageTest, TheManifestMakesThisProgramsCodePageUtf8)
{
    ASSERT_EQ(UINT(CP_UTF8), GetACP());
}

// A text longer than the platform's buffer is cut after a whole character, never inside one.
TEST(CodePageTest, FindTextsAreCutAtCharacters)
{
    auto dialog = MakeObject<TFindDialog>(nullptr);
    const WideString hyo(100, L'\u8868');  // 300 bytes in UTF-8
    dialog->SetFindText(WideToAnsi(hyo));
    EXPECT_EQ(hyo.substr(0, 85), AnsiToWide(dialog->GetFindText()));
    EXPECT_EQ(hyo.substr(0, 85), dialog->GetFindTextW());
}

// The framework's own texts, written in Shift-JIS, read as they say here too.
TEST(CodePageTest, TheFrameworksMessagesReadRight)
{
    TempFolder folder;
    const AnsiString path = folder.Path("\xed\x95\x9c\xea\xb5\xad\\settings.ini");  // Korean, a folder not made
    TIniFile ini(path);
    try {
        ini.WriteInteger("Window", "Left", 1);
        ADD_FAILURE() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(AnsiToWide(path) + L" \u306b\u66f8\u304d\u8fbc\u3081\u307e\u305b\u3093", AnsiToWide(e.Message()));
    }
}
