// The main window as built: every control, its place, text, action and state, and the timers.
#include "app/Mainform.h"
#include "app/SettingsFile.h"
#include "framework/Application.h"
#include "support/DisplayScale.h"
#include "support/RecordingInput.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string WindowClass(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

RECT RectInParent(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        FSettings = Format("%stapstorm-mainform-%lu.ini", temp, GetCurrentProcessId());
        DeleteFileA(FSettings.c_str());
        SetSettingsFileOverride(FSettings);
        Form = new TMForm(Application);
    }
    void TearDown() override
    {
        FreeObject(Form);
        SetSettingsFileOverride("");
        DeleteFileA(FSettings.c_str());
    }

    // What the shared change handler does when `component` raises it, as seen from outside.
    std::string ActionOf(TComponent* component)
    {
        Form->Timer1->SetInterval(777);
        Scope.Input.Calls.clear();
        Form->MainControl(component);
        std::string action;
        if (Form->Timer1->GetInterval() != 777)
            action = "pace";
        for (const std::string& call : Scope.Input.Calls) {
            if (call == "RegisterHotKey 101 0x4000 0x70")
                action += "lock key";
            if (call.rfind("mouse_event 0x2 ", 0) == 0)
                action += "click";
        }
        Form->Timer1->SetInterval(static_cast<unsigned>(Form->RendaSpeed->GetPosition()));
        Scope.Input.Calls.clear();
        return action.empty() ? "none" : action;
    }

    InputScope Scope;
    TMForm* Form = nullptr;

private:
    AnsiString FSettings;
};

TEST_F(MainFormTest, WindowIsAFixedSingleBorderFormOf188By224)
{
    HWND window = Form->GetHandle();
    EXPECT_EQ("TMForm", WindowClass(window));
    EXPECT_EQ("Tapstorm", WindowText(window));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(Scaled(188), client.right);
    EXPECT_EQ(Scaled(224), client.bottom);

    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    // Built hidden; the message loop shows it.
    EXPECT_FALSE(IsWindowVisible(window));
    // No settings file: the stored-position defaults put it at the screen's corner.
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);

    TFont* font = Form->GetFont();
    EXPECT_EQ("ＭＳ Ｐゴシック", font->GetName());
    EXPECT_EQ(Scaled(-12), font->GetHeight());
    EXPECT_EQ(SHIFTJIS_CHARSET, font->GetCharset());
    EXPECT_EQ(clWindowText, font->GetColor());
    EXPECT_EQ(0u, font->GetStyle());
    EXPECT_EQ(clBtnFace, Form->GetColor());
}

struct ExpectedControl {
    const char* name;
    const char* windowClass;
    RECT bounds;  // left, top, width, height at the design resolution
    const char* text;
    const char* action;  // what the shared change handler does for it: "pace", "lock key", "click"
};

// The window's font as the control's window draws with it.
HFONT WindowFont(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

// The extent of `text` in `font` on the screen.
SIZE TextExtent(HFONT font, const std::string& text)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return size;
}

TEST_F(MainFormTest, ControlsStandInCreationOrderWithTheirPlacesTextsAndActions)
{
    const ExpectedControl expected[] = {
        {"Label1", "Static", {8, 8, 109, 12}, "連打するマウスボタン", "none"},
        {"Label2", "Static", {8, 56, 48, 12}, "連打速度", "none"},
        {"Speed", "Static", {104, 56, 57, 12}, "500 m-sec.", "none"},
        {"SiteURL", "Static", {8, 176, 172, 24}, nullptr, "none"},
        {"Label3", "Static", {8, 112, 53, 12}, "ロックキー", "none"},
        {"Renda", "ComboBox", {8, 24, 172, 20}, "左クリック", "none"},
        {"StatusBar1", "msctls_statusbar32", {0, 205, 188, 19}, nullptr, "none"},
        {"RendaSpeed", "msctls_trackbar32", {8, 72, 172, 30}, nullptr, "pace"},
        {"LockKey", "ComboBox", {8, 128, 172, 20}, "F1", "lock key"},
        {"CursorLock", "Button", {8, 152, 169, 17}, "マウスカーソルをロックする", "none"},
    };
    const int slack = ScaleSlack();
    HWND child = GetWindow(Form->GetHandle(), GW_CHILD);
    for (const ExpectedControl& e : expected) {
        SCOPED_TRACE(e.name);
        ASSERT_NE(nullptr, child);
        TWinControl* control = TWinControl::FindControl(child);
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(e.name, control->GetName());
        EXPECT_EQ(Form, control->GetOwner());
        EXPECT_EQ(0, _stricmp(e.windowClass, WindowClass(child).c_str())) << WindowClass(child);
        RECT r = RectInParent(child);
        EXPECT_NEAR(Scaled(e.bounds.left), r.left, slack);
        EXPECT_NEAR(Scaled(e.bounds.top), r.top, slack);
        EXPECT_NEAR(Scaled(e.bounds.bottom), r.bottom - r.top, slack);
        // A one-line label whose scaled font runs wider than its scaled box grows to its text.
        const int width = r.right - r.left;
        int widest = Scaled(e.bounds.right) + slack;
        if (e.text != nullptr && WindowClass(child) == "Static")
            widest = std::max<int>(widest, TextExtent(WindowFont(child), e.text).cx);
        EXPECT_GE(width, Scaled(e.bounds.right) - slack);
        EXPECT_LE(width, widest);
        if (e.text != nullptr) {
            EXPECT_EQ(e.text, WindowText(child));
        }
        EXPECT_EQ(e.action, ActionOf(control));
        EXPECT_TRUE(IsWindowEnabled(child));
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, child);
}

TEST_F(MainFormTest, EveryTextFitsItsControlInTheControlsFont)
{
    // The room a control leaves its text: labels all of it, the check box what its box and
    // the gap after it leave, a list what its drop-down button leaves.
    struct Captioned {
        TWinControl* Control;
        std::string Text;
        int Taken;
    };
    const int box = GetSystemMetrics(SM_CXMENUCHECK) + TextExtent(WindowFont(Form->CursorLock->GetHandle()), "0").cx;
    const int button = GetSystemMetrics(SM_CXVSCROLL);
    // The widest pace caption.
    Form->RendaSpeed->SetPosition(5000);
    const Captioned captioned[] = {
        {Form->Label1, Form->Label1->GetCaption(), 0},
        {Form->Label2, Form->Label2->GetCaption(), 0},
        {Form->Label3, Form->Label3->GetCaption(), 0},
        {Form->Speed, Form->Speed->GetCaption(), 0},
        {Form->CursorLock, Form->CursorLock->GetCaption(), box},
        {Form->Renda, "マウスホイール", button},
        {Form->LockKey, "ScrollLock", button},
    };
    for (const Captioned& c : captioned) {
        SCOPED_TRACE(c.Control->GetName());
        const HWND window = c.Control->GetHandle();
        RECT client;
        GetClientRect(window, &client);
        const SIZE text = TextExtent(WindowFont(window), c.Text);
        EXPECT_LE(text.cx + c.Taken, client.right) << c.Text;
        EXPECT_LE(text.cy, client.bottom) << c.Text;
    }

    // The notice wraps: in every look it takes no more lines than its box holds.
    TLightLabel* site = Form->SiteURL;
    RECT client;
    GetClientRect(site->GetHandle(), &client);
    for (TFont* look : {site->GetDefaultFont(), site->GetLightFont(), site->GetClickFont()}) {
        site->SetFont(look);
        HDC dc = GetDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, WindowFont(site->GetHandle()));
        RECT need = {0, 0, client.right, 0};
        AnsiString caption = site->GetCaption();
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &need, DT_CALCRECT | DT_WORDBREAK);
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
        EXPECT_LE(need.right, client.right);
        EXPECT_LE(need.bottom, client.bottom);
    }

    // The version panel holds its text between its borders.
    HWND bar = Form->StatusBar1->GetHandle();
    RECT panel;
    SendMessageA(bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&panel));
    EXPECT_LT(TextExtent(WindowFont(bar), "Ver 1.0.0J").cx, panel.right - panel.left);
}

TEST_F(MainFormTest, FocusMovesThroughTheFourChoicesInOrder)
{
    HWND form = Form->GetHandle();
    HWND order[] = {Form->Renda->GetHandle(), Form->RendaSpeed->GetHandle(), Form->LockKey->GetHandle(),
                    Form->CursorLock->GetHandle()};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(order[(i + 1) % 4], GetNextDlgTabItem(form, order[i], FALSE)) << i;
}

TEST_F(MainFormTest, ListsHoldTheirItemsAndStartOnTheFirst)
{
    const char* buttons[] = {"左クリック", "右クリック", "マウスホイール"};
    HWND renda = Form->Renda->GetHandle();
    ASSERT_EQ(3, SendMessageA(renda, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        SendMessageA(renda, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(buttons[i], text);
    }
    const char* keys[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
                          "Home", "End", "PageUp", "PageDown", "ScrollLock", "Pause"};
    HWND lockKey = Form->LockKey->GetHandle();
    ASSERT_EQ(18, SendMessageA(lockKey, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < 18; ++i) {
        char text[64] = {};
        SendMessageA(lockKey, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(keys[i], text);
    }
    for (HWND list : {renda, lockKey}) {
        EXPECT_EQ(CBS_DROPDOWNLIST, GetWindowLongA(list, GWL_STYLE) & 3);
        EXPECT_EQ(0, SendMessageA(list, CB_GETCURSEL, 0, 0));
    }
    // Wine keeps the font's height for the rows of a list that is not owner-drawn.
    EXPECT_EQ(Scaled(12), Form->Renda->GetItemHeight());
    EXPECT_EQ(Scaled(12), Form->LockKey->GetItemHeight());
    EXPECT_EQ(20, Form->LockKey->GetDropDownCount());
    EXPECT_FALSE(Form->CursorLock->GetChecked());
}

TEST_F(MainFormTest, TrackBarIsSetForThePace)
{
    HWND bar = Form->RendaSpeed->GetHandle();
    EXPECT_EQ(1, SendMessageA(bar, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(5000, SendMessageA(bar, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(500, SendMessageA(bar, TBM_GETPOS, 0, 0));
    EXPECT_EQ(100, SendMessageA(bar, TBM_GETPAGESIZE, 0, 0));
    EXPECT_EQ(1, SendMessageA(bar, TBM_GETLINESIZE, 0, 0));
    EXPECT_EQ(Scaled(10), SendMessageA(bar, TBM_GETTHUMBLENGTH, 0, 0));
    LONG style = GetWindowLongA(bar, GWL_STYLE);
    EXPECT_EQ(TBS_BOTH, style & TBS_BOTH);
    EXPECT_TRUE(style & TBS_AUTOTICKS);
    EXPECT_FALSE(style & (TBS_VERT | TBS_ENABLESELRANGE));
    EXPECT_EQ(1000, Form->RendaSpeed->GetFrequency());
}

TEST_F(MainFormTest, StatusBarShowsTheVersionAndAnEmptyModePanel)
{
    HWND bar = Form->StatusBar1->GetHandle();
    int edges[4] = {};
    ASSERT_EQ(2, SendMessageA(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)));
    EXPECT_EQ(Scaled(70), edges[0]);
    EXPECT_FALSE(SendMessageA(bar, SB_ISSIMPLE, 0, 0));
    char text[64] = {};
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Ver 1.0.0J", text);
    SendMessageA(bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("", text);
    EXPECT_EQ(Scaled(50), Form->StatusBar1->GetPanelWidth(1));
}

TEST_F(MainFormTest, TimersAndHotKeyAfterConstruction)
{
    EXPECT_FALSE(Form->Timer1->GetEnabled());
    EXPECT_EQ(500u, Form->Timer1->GetInterval());
    EXPECT_TRUE(Form->Timer2->GetEnabled());
    EXPECT_EQ(100u, Form->Timer2->GetInterval());
    EXPECT_FALSE(Form->Timer3->GetEnabled());
    EXPECT_EQ(500u, Form->Timer3->GetInterval());
    EXPECT_EQ("500 m-sec.", Form->Speed->GetCaption());
    EXPECT_EQ(MForm, Form);

    // The hot key is the last step of construction: F1, identifier 101, no modifier key.
    ASSERT_FALSE(Scope.Input.Calls.empty());
    EXPECT_EQ("RegisterHotKey 101 0x4000 0x70", Scope.Input.Calls.back());
    // The pace's two timers click, the poll does not.
    EXPECT_EQ("click", ActionOf(Form->Timer1));
    EXPECT_EQ("none", ActionOf(Form->Timer2));
    EXPECT_EQ("click", ActionOf(Form->Timer3));
}

TEST_F(MainFormTest, ClosingFreesTheHotKeyAfterStoringTheSettings)
{
    Scope.Input.Calls.clear();
    FreeObject(Form);
    Form = nullptr;
    ASSERT_EQ(1u, Scope.Input.Calls.size());
    EXPECT_EQ("UnregisterHotKey 101", Scope.Input.Calls[0]);
}

TEST_F(MainFormTest, OnlyHotKey101ReachesTheToggle)
{
    SendMessageA(Form->GetHandle(), WM_HOTKEY, 102, 0);
    EXPECT_FALSE(Form->Timer1->GetEnabled());
    SendMessageA(Form->GetHandle(), WM_HOTKEY, 101, 0);
    EXPECT_TRUE(Form->Timer1->GetEnabled());
}

}  // namespace
