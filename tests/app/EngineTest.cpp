// The clicking engine: toggle, hold, click step and lock-key rule, observed through the input port.
#include "app/Engine.h"
#include "app/Mainform.h"
#include "app/SettingsFile.h"
#include "framework/Application.h"
#include "framework/Clock.h"
#include "support/HiddenWindows11.h"
#include "support/RecordingInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        FSettings = Format("%stapstorm-engine-%lu.ini", temp, GetCurrentProcessId());
        DeleteFileA(FSettings.c_str());
        SetSettingsFileOverride(FSettings);
        Form = new TMForm(Application);
        Input().Calls.clear();
    }
    void TearDown() override
    {
        FreeObject(Form);
        SetSettingsFileOverride("");
        DeleteFileA(FSettings.c_str());
    }

    RecordingInput& Input() { return Scope.Input; }
    void PressLockKey() { SendMessageA(Form->GetHandle(), WM_HOTKEY, HotKeyId, 0); }
    void Poll(bool shift, bool control)
    {
        Input().ShiftDown = shift;
        Input().ControlDown = control;
        Form->Timer2Timer(Form->Timer2);
    }
    void Tick(TTimer* timer) { Form->MainControl(timer); }
    int Clicks() { return static_cast<int>(std::count(Input().Calls.begin(), Input().Calls.end(), "mouse_event 0x2 0 0 0 0")); }
    // The clicks a tick of `timer` makes at `ms` on the engine's clock.
    int TickAt(TTimer* timer, double ms)
    {
        Input().Clock = static_cast<LONGLONG>(ms * static_cast<double>(MsToCounts(1000)) / 1000.0);
        int before = Clicks();
        Tick(timer);
        return Clicks() - before;
    }
    AnsiString Panel() { return Form->StatusBar1->GetPanelText(1); }
    // Label1, Renda, Label3, LockKey: all enabled, all disabled, or a mix.
    int ChoicesEnabled()
    {
        TControl* choices[] = {Form->Label1, Form->Renda, Form->Label3, Form->LockKey};
        int enabled = 0;
        for (TControl* c : choices)
            enabled += c->GetEnabled() && IsWindowEnabled(static_cast<TWinControl*>(c)->GetHandle()) ? 1 : 0;
        return enabled;
    }
    void ExpectIdle()
    {
        EXPECT_FALSE(Form->Timer1->GetEnabled());
        EXPECT_FALSE(Form->Timer3->GetEnabled());
        EXPECT_EQ(4, ChoicesEnabled());
        EXPECT_EQ("", Panel());
    }
    void ExpectToggle()
    {
        EXPECT_TRUE(Form->Timer1->GetEnabled());
        EXPECT_FALSE(Form->Timer3->GetEnabled());
        EXPECT_EQ(0, ChoicesEnabled());
        EXPECT_EQ("Lock", Panel());
    }
    void ExpectHold()
    {
        EXPECT_FALSE(Form->Timer1->GetEnabled());
        EXPECT_TRUE(Form->Timer3->GetEnabled());
        EXPECT_EQ(0, ChoicesEnabled());
        EXPECT_EQ("On", Panel());
    }

    InputScope Scope;
    TMForm* Form = nullptr;

private:
    AnsiString FSettings;
};

// The key a lock-key caption names, as the keyboard knows it.
UINT KeyOfCaption(const AnsiString& caption)
{
    const std::pair<const char*, UINT> named[] = {{"Home", VK_HOME},         {"End", VK_END},
                                                  {"PageUp", VK_PRIOR},      {"PageDown", VK_NEXT},
                                                  {"ScrollLock", VK_SCROLL}, {"Pause", VK_PAUSE}};
    for (const auto& entry : named)
        if (caption == entry.first)
            return entry.second;
    if (caption.size() >= 2 && caption[0] == 'F')
        return VK_F1 + std::atoi(caption.c_str() + 1) - 1;
    return 0;
}

// Each button choice presses and releases that button, as the system's mouse input flags name it.
TEST_F(EngineTest, EachButtonChoiceClicksThatButton)
{
    const DWORD flags[][2] = {{MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                              {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
                              {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP}};
    ASSERT_EQ(3, Form->Renda->ItemCount());
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        Form->Renda->SetItemIndex(index);
        Input().Calls.clear();
        Tick(Form->Timer3);
        EXPECT_EQ((Calls{Format("mouse_event 0x%X 0 0 0 0", static_cast<unsigned>(flags[index][0])),
                         Format("mouse_event 0x%X 0 0 0 0", static_cast<unsigned>(flags[index][1])), "ProcessMessages"}),
                  Input().Calls);
    }
}

TEST_F(EngineTest, LockKeyStartsAndStopsToggleMode)
{
    Input().Cursor = {123, 45};
    PressLockKey();
    ExpectToggle();
    EXPECT_EQ(Calls{"GetCursorPos"}, Input().Calls);
    EXPECT_EQ(123, LockPoint.x);
    EXPECT_EQ(45, LockPoint.y);

    Input().Calls.clear();
    PressLockKey();
    ExpectIdle();
    EXPECT_TRUE(Input().Calls.empty());
}

TEST_F(EngineTest, ClickStepPressesAndReleasesTheChosenButton)
{
    const char* expected[][2] = {{"mouse_event 0x2 0 0 0 0", "mouse_event 0x4 0 0 0 0"},
                                 {"mouse_event 0x8 0 0 0 0", "mouse_event 0x10 0 0 0 0"},
                                 // the wheel item presses the middle button, never turns the wheel
                                 {"mouse_event 0x20 0 0 0 0", "mouse_event 0x40 0 0 0 0"}};
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        Form->Renda->SetItemIndex(index);
        Input().Calls.clear();
        Tick(Form->Timer1);
        EXPECT_EQ((Calls{expected[index][0], expected[index][1], "ProcessMessages"}), Input().Calls);
    }
}

// A transition injected at `at` itself, as the cursor lock sends it.
std::string LockedClick(DWORD button, POINT at)
{
    DWORD dx = 0, dy = 0;
    AbsoluteInputPosition(at, dx, dy);
    return Format("mouse_event 0x%X %u %u 0 0",
                  static_cast<unsigned>(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | button),
                  static_cast<unsigned>(dx), static_cast<unsigned>(dy));
}

// The cursor is put back, and each transition carries the lock point too: mouse movement taken
// in while messages are handled cannot move the press.
TEST_F(EngineTest, CursorLockPutsTheCursorBackAndPressesAtTheLockPoint)
{
    Input().Cursor = {300, 200};
    PressLockKey();
    Form->CursorLock->SetChecked(true);
    Input().Cursor = {10, 10};  // the user moved the mouse
    Input().Calls.clear();
    Tick(Form->Timer1);
    EXPECT_EQ((Calls{"SetCursorPos 300 200", "ProcessMessages", LockedClick(MOUSEEVENTF_LEFTDOWN, {300, 200}),
                     LockedClick(MOUSEEVENTF_LEFTUP, {300, 200}), "ProcessMessages"}),
              Input().Calls);
}

// The system maps an absolute coordinate n to the pixel n * size / 65536 of the virtual screen:
// every pixel, edges included, comes back as itself.
TEST(AbsoluteInputPositionTest, EveryPixelMapsBackToItself)
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    ASSERT_GT(width, 1);
    for (POINT p : {POINT{left, top}, POINT{left + width - 1, top + height - 1}, POINT{left + 400, top + 350},
                    POINT{left + width / 3, top + height / 7}}) {
        for (int x = p.x - 1; x <= p.x + 1; ++x) {
            if (x < left || x >= left + width)
                continue;
            DWORD dx = 0, dy = 0;
            AbsoluteInputPosition({x, p.y}, dx, dy);
            EXPECT_LE(dx, 65535u);
            EXPECT_EQ(x, left + static_cast<int>(static_cast<long long>(dx) * width / 65536)) << x;
            EXPECT_EQ(p.y, top + static_cast<int>(static_cast<long long>(dy) * height / 65536)) << p.y;
        }
    }
}

TEST_F(EngineTest, ButtonIsReadAgainForTheRelease)
{
    // A handler run in the click step's first message pass may change the button.
    Form->CursorLock->SetChecked(true);
    Input().OnProcessMessages = [this] {
        Input().OnProcessMessages = nullptr;
        Form->Renda->SetItemIndex(1);
    };
    Tick(Form->Timer1);
    EXPECT_EQ(LockedClick(MOUSEEVENTF_RIGHTDOWN, LockPoint), Input().Calls[2]);
    EXPECT_EQ(LockedClick(MOUSEEVENTF_RIGHTUP, LockPoint), Input().Calls[3]);
}

TEST_F(EngineTest, NoButtonSelectedSendsNoClick)
{
    Form->Renda->SetItemIndex(-1);
    ASSERT_EQ(-1, Form->Renda->GetItemIndex());
    Tick(Form->Timer3);
    EXPECT_EQ(Calls{"ProcessMessages"}, Input().Calls);
}

TEST_F(EngineTest, ShiftAndCtrlHeldRunHoldModeAndTakeTheCursorEveryPoll)
{
    Poll(true, false);
    Poll(false, true);
    ExpectIdle();  // one key alone never starts it
    EXPECT_EQ((Calls{"GetAsyncKeyState 0x10", "GetAsyncKeyState 0x11", "GetAsyncKeyState 0x10",
                     "GetAsyncKeyState 0x11"}),
              Input().Calls);

    Input().Cursor = {50, 60};
    Poll(true, true);
    ExpectHold();
    EXPECT_EQ(50, LockPoint.x);
    Input().Cursor = {70, 80};
    Poll(true, true);
    ExpectHold();
    EXPECT_EQ(70, LockPoint.x);
    EXPECT_EQ(80, LockPoint.y);

    Poll(true, false);
    ExpectIdle();
}

TEST_F(EngineTest, HoldEndsAToggleRunForGood)
{
    PressLockKey();
    ExpectToggle();
    Poll(true, true);
    ExpectHold();
    Poll(false, false);
    ExpectIdle();
    Poll(false, false);
    ExpectIdle();
}

TEST_F(EngineTest, LockKeyArrivingJustAfterHoldKeepsShowingTheToggleRun)
{
    Poll(true, true);
    ExpectHold();
    PressLockKey();  // between the release and the next poll
    EXPECT_TRUE(Form->Timer1->GetEnabled());
    Poll(false, false);
    ExpectToggle();
    PressLockKey();
    ExpectIdle();
}

TEST_F(EngineTest, PaceChangeDuringARunUpdatesCaptionAndBothTimers)
{
    PressLockKey();
    Form->RendaSpeed->SetPosition(50);
    EXPECT_EQ("50 m-sec.", Form->Speed->GetCaption());
    EXPECT_EQ(50u, Form->Timer1->GetInterval());
    EXPECT_EQ(50u, Form->Timer3->GetInterval());
    EXPECT_TRUE(Form->Timer1->GetEnabled());
    Form->RendaSpeed->SetPosition(0);
    EXPECT_EQ("1 m-sec.", Form->Speed->GetCaption());
    Form->RendaSpeed->SetPosition(6000);
    EXPECT_EQ(5000u, Form->Timer3->GetInterval());
}

// Each caption in the list registers the key it names ("F5" gives VK_F5), replacing the last.
TEST_F(EngineTest, LockKeyChangeMovesTheHotKeyToTheKeyItsCaptionNames)
{
    HWND list = Form->LockKey->GetHandle();
    ASSERT_EQ(18, SendMessageA(list, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < 18; ++index) {
        char text[64] = {};
        SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        const AnsiString caption = text;
        SCOPED_TRACE(caption);
        ASSERT_NE(0u, KeyOfCaption(caption));
        Form->LockKey->SetItemIndex(index);
        Input().Calls.clear();
        Form->MainControl(Form->LockKey);
        EXPECT_EQ((Calls{"UnregisterHotKey 101", Format("RegisterHotKey 101 0x4000 0x%X", KeyOfCaption(caption))}),
                  Input().Calls);
    }
}

TEST_F(EngineTest, HotKeyFallsBackToNoFlagsWhereNoRepeatIsRefused)
{
    Input().AcceptsNoRepeat = false;
    Form->LockKey->SetItemIndex(12);
    Form->MainControl(Form->LockKey);
    EXPECT_EQ((Calls{"UnregisterHotKey 101", "RegisterHotKey 101 0x4000 0x24", "RegisterHotKey 101 0x0 0x24"}),
              Input().Calls);
}

TEST_F(EngineTest, NoLockKeySelectedRegistersNothing)
{
    Form->LockKey->SetItemIndex(18);
    ASSERT_EQ(-1, Form->LockKey->GetItemIndex());
    Form->MainControl(Form->LockKey);
    EXPECT_TRUE(Input().Calls.empty());
}

TEST_F(EngineTest, UserChoosingALockKeyRegistersIt)
{
    // A keyboard choice in the list is a user's choice: it raises the change event.
    SendMessageA(Form->LockKey->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(1, Form->LockKey->GetItemIndex());
    EXPECT_EQ((Calls{"UnregisterHotKey 101", "RegisterHotKey 101 0x4000 0x71"}), Input().Calls);
}

TEST_F(EngineTest, ClickStepsNeverNestIntoThemselvesAtTheFastestPace)
{
    int depth = 0, deepest = 0, clicks = 0;
    Input().OnProcessMessages = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        Application->ProcessMessages();
        --depth;
    };
    Form->RendaSpeed->SetPosition(1);
    PressLockKey();
    // Many clicks, however long a busy machine takes for them.
    DWORD start = GetTickCount();
    while (clicks < 100 && GetTickCount() - start < 30000) {
        Application->ProcessMessages();
        Sleep(1);
        clicks = static_cast<int>(std::count(Input().Calls.begin(), Input().Calls.end(), "mouse_event 0x2 0 0 0 0"));
    }
    PressLockKey();
    EXPECT_GE(clicks, 100);
    EXPECT_EQ(1, deepest);
}

// Clicks a tick makes from the count of clicks due (the tick's own included) and made, with a
// debt window of 50 clicks unless a row says otherwise.
TEST(CatchUpTest, ATickMakesUpOneClickAtMostAndForgivesALongStall)
{
    struct Row {
        const char* name;
        LONGLONG due, made, window;
        int clicks;
        LONGLONG madeAfter;  // the count the tick goes on from
    } rows[] = {
        {"first tick", 1, 0, 50, 1, 0},
        {"on time", 5, 4, 50, 1, 4},
        {"one tick late", 6, 4, 50, 2, 4},
        {"ten ticks late", 15, 4, 50, 2, 4},
        {"the whole window owed", 55, 4, 50, 2, 4},
        {"a stall longer than the window", 56, 4, 50, 1, 55},
        {"a slow pace has no window", 6, 4, 0, 1, 5},
        {"the count restarted by a pace change mid-debt", 1, 0, 50, 1, 0},
        {"ahead of the count", 3, 9, 50, 1, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LONGLONG made = row.made;
        EXPECT_EQ(row.clicks, CatchUpClicks(row.due, made, row.window));
        EXPECT_EQ(row.madeAfter, made);
    }
}

// The machine holds ticks back (on the engine's clock): the clicks owed are made up one extra a
// tick, never three within one interval; a longer stall is forgiven; a pace change starts the
// count afresh; a stop in the middle of a tick's clicks ends them.
TEST_F(EngineTest, LateTicksAreMadeUpWithoutABurst)
{
    std::vector<LONGLONG> times;
    Input().OnProcessMessages = [&] { times.push_back(Input().Clock); };
    Form->RendaSpeed->SetPosition(1);
    PressLockKey();
    EXPECT_EQ(1, TickAt(Form->Timer1, 1));
    EXPECT_EQ(1, TickAt(Form->Timer1, 2));
    EXPECT_EQ(2, TickAt(Form->Timer1, 12.4)) << "ten deadlines passed";
    for (int ms = 13; ms <= 20; ++ms)
        EXPECT_EQ(2, TickAt(Form->Timer1, ms)) << ms;
    EXPECT_EQ(20, Clicks()) << "caught up";
    EXPECT_EQ(1, TickAt(Form->Timer1, 21));
    for (size_t i = 2; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 2], MsToCounts(1)) << "three clicks within one interval, click " << i;

    EXPECT_EQ(1, TickAt(Form->Timer1, 101)) << "a stall of 80 clicks is not paid";
    EXPECT_EQ(1, TickAt(Form->Timer1, 102));

    EXPECT_EQ(2, TickAt(Form->Timer1, 110));
    Form->RendaSpeed->SetPosition(2);
    EXPECT_EQ(1, TickAt(Form->Timer1, 112)) << "the debt at the old pace is gone";
    EXPECT_EQ(1, TickAt(Form->Timer1, 114));

    Input().OnProcessMessages = [&] {
        Input().OnProcessMessages = nullptr;
        PressLockKey();
    };
    EXPECT_EQ(1, TickAt(Form->Timer1, 130)) << "no click after the stop";
    ExpectIdle();
}

// Hold mode makes clicks up the same way; the polls while the keys stay down keep the count.
TEST_F(EngineTest, HoldModeMakesUpLateTicksAndItsPollsKeepTheCount)
{
    Form->RendaSpeed->SetPosition(1);
    Poll(true, true);
    EXPECT_EQ(2, TickAt(Form->Timer3, 5.5));
    Poll(true, true);
    EXPECT_EQ(2, TickAt(Form->Timer3, 6));
    EXPECT_EQ(2, TickAt(Form->Timer3, 7));
    EXPECT_EQ(2, TickAt(Form->Timer3, 8));
    EXPECT_EQ(1, TickAt(Form->Timer3, 9));
    EXPECT_EQ(9, Clicks());
}

// Windows 11 gives a minimized program no finer timer than its default resolution unless it opts
// out; clicking at 1 ms keeps its timing through the opt-out where the system grants it and
// through high-resolution timers where it has them.
TEST_F(EngineTest, MinimizedAtOneMillisecondKeepsItsTimingOnWindows11)
{
    Form->RendaSpeed->SetPosition(1);
    ShowWindow(Form->GetHandle(), SW_SHOWMINIMIZED);
    Input().RealClock = true;
    for (const HiddenWindows11Case& row : HiddenWindows11Cases) {
        SCOPED_TRACE(row.Name);
        HiddenWindows11Scope windows(row);
        Input().Calls.clear();
        PressLockKey();
        windows.Platform().Coarsened = 0;
        DWORD start = GetTickCount();
        while (Clicks() < 300 && GetTickCount() - start < 30000)
            Application->HandleMessage();
        EXPECT_TRUE(windows.KeptTheTimeOf(Clicks()));
        PressLockKey();
        EXPECT_GE(Clicks(), 300);
    }
}

}  // namespace
