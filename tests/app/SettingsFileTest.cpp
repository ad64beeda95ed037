#include "app/SettingsFile.h"

#include "app/InputPort.h"
#include "app/Mainform.h"
#include "framework/Application.h"
#include "framework/IniFile.h"
#include "framework/ModulePath.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace {

struct PathCase {
    const wchar_t* module;
    const wchar_t* settings;
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << WideToAnsi(c.module);
}

class SettingsPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathTest, IsTapstormIniInTheExecutablesFolder)
{
    EXPECT_EQ(GetParam().settings, SettingsFileName(GetParam().module));
}

const PathCase PathCases[] = {
    {L"D:\\Tools\\app.exe", L"D:\\Tools\\tapstorm.ini"},
    {L"D:\\Tools\\tapstorm.exe", L"D:\\Tools\\tapstorm.ini"},
    {L"C:\\Program Files\\Tapstorm\\clicker 2.exe", L"C:\\Program Files\\Tapstorm\\tapstorm.ini"},
    // The drive's root keeps its backslash.
    {L"D:\\app.exe", L"D:\\\\tapstorm.ini"},
    {L"D:app.exe", L"D:\\tapstorm.ini"},
    // "表" and "ソ" end in 0x5C in Shift-JIS, which is no separator there.
    {L"D:\\表\\app.exe", L"D:\\表\\tapstorm.ini"},
    {L"D:\\ソフト\\表\\app.exe", L"D:\\ソフト\\表\\tapstorm.ini"},
    {L"D:\\Tools\\表.exe", L"D:\\Tools\\tapstorm.ini"},
    {L"D:\\表.exe", L"D:\\\\tapstorm.ini"},
    // Names outside the ANSI code page.
    {L"D:\\caf\u00E9\\\uD55C\uAD6D\\app.exe", L"D:\\caf\u00E9\\\uD55C\uAD6D\\tapstorm.ini"},
    // Network shares.
    {L"\\\\server\\share\\app.exe", L"\\\\server\\share\\tapstorm.ini"},
    {L"\\\\server\\share\\表\\app.exe", L"\\\\server\\share\\表\\tapstorm.ini"},
};

INSTANTIATE_TEST_SUITE_P(Table, SettingsPathTest, ::testing::ValuesIn(PathCases));

TEST(SettingsFileNameTest, FollowsTheRunningExecutableUnlessOverridden)
{
    const WideString beside = SettingsFileName(ModuleFileNameW());
    EXPECT_EQ(ModuleFolderW() + L"tapstorm.ini", beside);
    EXPECT_EQ(beside, SettingsFileName());

    SetSettingsFileOverride("C:\\elsewhere\\test.ini");
    EXPECT_EQ(L"C:\\elsewhere\\test.ini", SettingsFileName());
    SetSettingsFileOverride("");
    EXPECT_EQ(beside, SettingsFileName());
}

// Stands in for the system's input: no hot keys taken, no key held, and a count of polls.
class QuietInput : public TInputPort {
public:
    BOOL RegisterHotKey(HWND, int, UINT, UINT) override { return TRUE; }
    BOOL UnregisterHotKey(HWND, int) override { ++Unregistered; return TRUE; }
    BOOL GetCursorPos(POINT* point) override { point->x = point->y = 0; return TRUE; }
    BOOL SetCursorPos(int, int) override { return TRUE; }
    void MouseEvent(DWORD, DWORD, DWORD, DWORD, ULONG_PTR) override { ++Clicks; }
    SHORT GetAsyncKeyState(int) override { ++KeyStateQueries; return 0; }

    int Unregistered = 0;
    int KeyStateQueries = 0;
    int Clicks = 0;
};

// A main window whose settings live in a temporary folder; the window is freed (and so saves)
// when the test frees it or at the end.
class SettingsFormTest : public ::testing::Test {
protected:
    SettingsFormTest() : FPrevious(SetInput(&FInput)) { SetSettingsFileOverride(SettingsPath()); }
    ~SettingsFormTest() override
    {
        Close();
        SetSettingsFileOverride("");
        SetInput(FPrevious);
        Application->OnException = nullptr;
    }

    AnsiString SettingsPath() const { return FFolder.Path("tapstorm.ini"); }
    void CreateForm() { Form.reset(new TMForm(nullptr)); }
    // Frees the window: FormDestroy writes the settings.
    void Close() { FreeObject(Form.release()); }

    TempFolder FFolder;
    QuietInput FInput;
    TObjectPtr<TMForm> Form;

private:
    TInputPort* FPrevious;
};

TEST_F(SettingsFormTest, NoFileGivesDefaultsAndCloseWritesTheSevenKeysInOrder)
{
    CreateForm();
    EXPECT_EQ(0, Form->GetLeft());
    EXPECT_EQ(0, Form->GetTop());
    EXPECT_EQ(0, Form->Renda->GetItemIndex());
    EXPECT_EQ(500, Form->RendaSpeed->GetPosition());
    EXPECT_EQ(0, Form->LockKey->GetItemIndex());
    EXPECT_FALSE(Form->CursorLock->GetChecked());
    EXPECT_EQ(100u, Form->Timer2->GetInterval());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(SettingsPath().c_str())) << "nothing written at start";

    Close();
    EXPECT_EQ("[Window]\r\n"
              "Left=0\r\n"
              "Top=0\r\n"
              "[Option]\r\n"
              "MouseButton=0\r\n"
              "Interval1=500\r\n"
              "LockKey=0\r\n"
              "CursorLock=0\r\n"
              "Interval2=100\r\n",
              ReadBytes(SettingsPath()));
}

// What the window holds after loading, which is also what closing writes back.
struct Stored {
    int left, top, mouseButton, interval1, lockKey;
    bool cursorLock;
    unsigned interval2;
};

struct LoadCase {
    const char* name;
    const char* file;
    Stored loaded;
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsLoadTest : public SettingsFormTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(SettingsLoadTest, AppliesAndWritesBack)
{
    const LoadCase& c = GetParam();
    const Stored& s = c.loaded;
    WriteBytes(SettingsPath(), c.file);
    CreateForm();
    EXPECT_EQ(s.left, Form->GetLeft());
    EXPECT_EQ(s.top, Form->GetTop());
    EXPECT_EQ(s.mouseButton, Form->Renda->GetItemIndex());
    EXPECT_EQ(s.interval1, Form->RendaSpeed->GetPosition());
    EXPECT_EQ(Format("%d m-sec.", s.interval1), Form->Speed->GetCaption());
    EXPECT_EQ(static_cast<unsigned>(s.interval1), Form->Timer1->GetInterval());
    EXPECT_EQ(static_cast<unsigned>(s.interval1), Form->Timer3->GetInterval());
    EXPECT_EQ(s.lockKey, Form->LockKey->GetItemIndex());
    EXPECT_EQ(s.cursorLock, Form->CursorLock->GetChecked());
    EXPECT_EQ(s.interval2, Form->Timer2->GetInterval());

    Close();
    TIniFile ini(SettingsPath());
    EXPECT_EQ(IntToStr(s.left), ini.ReadString("Window", "Left", "?"));
    EXPECT_EQ(IntToStr(s.top), ini.ReadString("Window", "Top", "?"));
    EXPECT_EQ(IntToStr(s.mouseButton), ini.ReadString("Option", "MouseButton", "?"));
    EXPECT_EQ(IntToStr(s.interval1), ini.ReadString("Option", "Interval1", "?"));
    EXPECT_EQ(IntToStr(s.lockKey), ini.ReadString("Option", "LockKey", "?"));
    EXPECT_EQ(s.cursorLock ? "1" : "0", ini.ReadString("Option", "CursorLock", "?"));
    EXPECT_EQ(IntToStr(static_cast<int>(s.interval2)), ini.ReadString("Option", "Interval2", "?"));
}

const LoadCase LoadCases[] = {
    {"every key set",
     "[Window]\r\nLeft=120\r\nTop=64\r\n[Option]\r\nMouseButton=1\r\nInterval1=50\r\n"
     "LockKey=12\r\nCursorLock=1\r\nInterval2=250\r\n",
     {120, 64, 1, 50, 12, true, 250}},
    {"names in another case, partly off-screen place",
     "[window]\r\nleft=-100\r\nTOP=-40\r\n[OPTION]\r\nmousebutton=2\r\nLOCKKEY=17\r\n",
     {-100, -40, 2, 500, 17, false, 100}},
    {"a place off every monitor comes back within reach", "[Window]\r\nLeft=-32000\r\nTop=-32000\r\n",
     {0, 0, 0, 500, 0, false, 100}},
    {"garbage gives the defaults",
     "[Window]\r\nLeft=abc\r\nTop=\r\n[Option]\r\nMouseButton=x\r\nInterval1=250ms\r\n"
     "LockKey=F1\r\nCursorLock=yes\r\nInterval2=fast\r\n",
     {0, 0, 0, 500, 0, false, 100}},
    {"hexadecimal and blanks", "[Option]\r\nMouseButton=0x1\r\nInterval1=0x1F4\r\nLockKey=$d\r\nInterval2= 250\r\n",
     {0, 0, 1, 500, 13, false, 250}},
    {"dollar pace", "[Option]\r\nInterval1=$1F4\r\n", {0, 0, 0, 500, 0, false, 100}},
    {"blank before the pace", "[Option]\r\nInterval1= 250\r\n", {0, 0, 0, 250, 0, false, 100}},
    {"pace 0 is 1", "[Option]\r\nInterval1=0\r\n", {0, 0, 0, 1, 0, false, 100}},
    {"negative pace is 1", "[Option]\r\nInterval1=-20\r\n", {0, 0, 0, 1, 0, false, 100}},
    {"pace 9999 is 5000", "[Option]\r\nInterval1=9999\r\n", {0, 0, 0, 5000, 0, false, 100}},
    {"button and key out of range", "[Option]\r\nMouseButton=7\r\nLockKey=18\r\n", {0, 0, -1, 500, -1, false, 100}},
    {"negative button and key", "[Option]\r\nMouseButton=-1\r\nLockKey=-5\r\n", {0, 0, -1, 500, -1, false, 100}},
    {"cursor lock 2 is on", "[Option]\r\nCursorLock=2\r\n", {0, 0, 0, 500, 0, true, 100}},
    {"cursor lock yes is off", "[Option]\r\nCursorLock=yes\r\n", {0, 0, 0, 500, 0, false, 100}},
    {"poll 0", "[Option]\r\nInterval2=0\r\n", {0, 0, 0, 500, 0, false, 0}},
    {"negative poll kept as its bit pattern", "[Option]\r\nInterval2=-1\r\n", {0, 0, 0, 500, 0, false, 0xFFFFFFFFu}},
};

INSTANTIATE_TEST_SUITE_P(Table, SettingsLoadTest, ::testing::ValuesIn(LoadCases));

TEST_F(SettingsFormTest, WhatTheProgramDoesNotUseSurvives)
{
    const AnsiString unknownBefore = "; kept by hand\r\n[Other]\r\nName=表示\r\n";
    const AnsiString unknownAfter = "[Last]\r\nA=b\r\n";
    WriteBytes(SettingsPath(), unknownBefore +
                                   "[Option]\r\nMine=1\r\nInterval1=300\r\nLockKey=2\r\n"
                                   "[Window]\r\nTop=5\r\nLeft=10\r\nWidth=99\r\n" +
                                   unknownAfter);
    CreateForm();
    Form->Renda->SetItemIndex(2);
    Close();
    EXPECT_EQ(unknownBefore +
                  "[Option]\r\nMine=1\r\nInterval1=300\r\nLockKey=2\r\n"
                  "MouseButton=2\r\nCursorLock=0\r\nInterval2=100\r\n"
                  "[Window]\r\nTop=5\r\nLeft=10\r\nWidth=99\r\n" +
                  unknownAfter,
              ReadBytes(SettingsPath()));
}

TEST_F(SettingsFormTest, FailedWriteAtCloseReachesTheExceptionBox)
{
    // A folder in the file's place cannot be written as a file.
    CreateDirectoryA(SettingsPath().c_str(), nullptr);
    AnsiString shown;
    int boxes = 0;
    CreateForm();
    TMForm* form = Form.get();
    bool startedInBox = true;
    Application->OnException = [&](TObject*, const AnsiString& message) {
        shown = message;
        ++boxes;
        // The box's loop takes the hot key, still registered: the teardown has stopped the
        // timers, and nothing starts them again.
        SendMessageA(form->GetHandle(), WM_HOTKEY, 101, 0);
        startedInBox = form->Timer1->GetEnabled() || form->Timer3->GetEnabled();
        form->Timer1->SetEnabled(true);
        // A box's own loop, for three of the pace's intervals.
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 3 * form->Timer1->GetInterval()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
    };
    EXPECT_EQ(500, Form->RendaSpeed->GetPosition());
    Close();
    EXPECT_EQ(1, boxes);
    EXPECT_EQ(SettingsPath() + " に書き込めません", shown);
    EXPECT_FALSE(startedInBox);
    EXPECT_EQ(0, FInput.Clicks);
    // The rest of FormDestroy is skipped.
    EXPECT_EQ(0, FInput.Unregistered);
}

TEST_F(SettingsFormTest, SaveStopsAtTheKeyThatFails)
{
    CreateForm();
    SetSettingsFileOverride(FFolder.Path("missing\\tapstorm.ini"));
    try {
        Form->SaveSettings();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(FFolder.Path("missing\\tapstorm.ini") + " に書き込めません", e.Message());
    }
    SetSettingsFileOverride(SettingsPath());
}

// Counts the hold-mode polls over a third of a second with the given Interval2 text.
struct PollCase {
    const char* interval2;
    bool polls;
};

void PrintTo(const PollCase& c, std::ostream* os)
{
    *os << "Interval2=" << c.interval2;
}

class SettingsPollTest : public SettingsFormTest, public ::testing::WithParamInterface<PollCase> {};

TEST_P(SettingsPollTest, OnlyAPositiveIntervalPolls)
{
    WriteBytes(SettingsPath(), AnsiString("[Option]\r\nInterval2=") + GetParam().interval2 + "\r\n");
    CreateForm();
    // A poll is waited for as long as a busy machine may take; no poll is looked for over
    // more than 17 intervals of the positive case.
    const DWORD limit = GetParam().polls ? 20000 : 350;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < limit && FInput.KeyStateQueries == 0) {
        Application->ProcessMessages();
        Sleep(5);
    }
    if (GetParam().polls) EXPECT_GT(FInput.KeyStateQueries, 0);
    else EXPECT_EQ(0, FInput.KeyStateQueries);
}

const PollCase PollCases[] = {
    {"20", true},
    {"0", false},
    {"-1", false},
    {"-100", false},
    {"-2147483648", false},
};

INSTANTIATE_TEST_SUITE_P(Table, SettingsPollTest, ::testing::ValuesIn(PollCases));

} // namespace
