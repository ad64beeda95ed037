// The notice label of the main window: its settings, and the address a click opens.
#include "app/Mainform.h"
#include "app/SettingsFile.h"
#include "framework/Application.h"
#include "support/DisplayScale.h"
#include "support/RecordingInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class SiteUrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        FSettings = Format("%stapstorm-siteurl-%lu.ini", temp, GetCurrentProcessId());
        DeleteFileA(FSettings.c_str());
        SetSettingsFileOverride(FSettings);
        FPreviousShell = LtLabel::SetShellExecute(
            [this](HWND, const char*, const char* file, const char*, const char*, int) {
                Opened.push_back(file);
                return reinterpret_cast<HINSTANCE>(42);
            });
        Form = new TMForm(Application);
    }
    void TearDown() override
    {
        FreeObject(Form);
        LtLabel::SetShellExecute(FPreviousShell);
        SetSettingsFileOverride("");
        DeleteFileA(FSettings.c_str());
    }

    static void ExpectWindowFont(TFont* font, TColor colour, TFontStyles style)
    {
        EXPECT_EQ("ＭＳ Ｐゴシック", font->GetName());
        EXPECT_EQ(Scaled(-12), font->GetHeight());
        EXPECT_EQ(SHIFTJIS_CHARSET, font->GetCharset());
        EXPECT_EQ(colour, font->GetColor());
        EXPECT_EQ(style, font->GetStyle());
    }

    InputScope Scope;
    TMForm* Form = nullptr;
    std::vector<std::string> Opened;

private:
    AnsiString FSettings;
    LtLabel::TShellExecute FPreviousShell;
};

TEST_F(SiteUrlTest, IsALinkLabelWithTheNoticeAndTheTabledLooks)
{
    TLightLabel* site = Form->SiteURL;
    ASSERT_NE(nullptr, site);
    EXPECT_EQ(Form, site->GetParent());
    EXPECT_EQ(crHandPoint, site->GetCursor());
    EXPECT_TRUE(site->GetWordWrap());
    EXPECT_FALSE(site->GetCaption().empty());
    EXPECT_EQ(jtHome, site->GetJumpType());
    const AnsiString address = site->GetJumpTo();
    const AnsiString host = "://tapstorm.example/";
    EXPECT_EQ(0u, address.find("https://")) << address;
    EXPECT_NE(AnsiString::npos, address.find(host)) << address;

    for (TColor colour : {site->GetColor(), site->GetLightColor(), site->GetDefaultColor(), site->GetClickColor()})
        EXPECT_EQ(clBtnFace, colour);
    ExpectWindowFont(site->GetFont(), clBlue, 0);
    ExpectWindowFont(site->GetDefaultFont(), clBlue, 0);
    ExpectWindowFont(site->GetLightFont(), clBlue, fsUnderline);
    ExpectWindowFont(site->GetClickFont(), clRed, 0);
    EXPECT_TRUE(site->GetLightEnabled());
    EXPECT_TRUE(site->GetDefaultEnabled());
    EXPECT_TRUE(site->GetClickEnabled());
    EXPECT_FALSE(site->GetMouseInside());
}

TEST_F(SiteUrlTest, ALeftClickOpensTheAddressOnce)
{
    HWND label = Form->SiteURL->GetHandle();
    SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    EXPECT_EQ(std::vector<std::string>{Form->SiteURL->GetJumpTo()}, Opened);
}

}  // namespace
