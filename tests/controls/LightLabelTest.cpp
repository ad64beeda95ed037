// The link label on a real form: its looks under enter, leave, press and release, and the
// targets its clicks hand to the shell.
#include "controls/LtLabel.h"
#include "framework/Application.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct ShellCall {
    HWND Owner;
    std::string Verb;
    std::string File;
    bool HasParameters;
    std::string Directory;
    int Show;
};

// Distinct looks, so the shown one can be told from the label's Color and Font alone.
constexpr TColor HoverBack = 0x00FFFF;
constexpr TColor NormalBack = 0x00FF00;
constexpr TColor PressedBack = 0xFF00FF;
constexpr TColor HoverInk = 0x000080;
constexpr TColor NormalInk = 0x008000;
constexpr TColor PressedInk = 0x800000;

AnsiString ExecutablePath()
{
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return buffer;
}

// One shown form for every test: the system takes seconds to take a shown window off the
// screen, so the form lives as long as the suite and each test brings its own label.
class ShownForm : public ::testing::Environment {
public:
    static TForm* Get()
    {
        if (Form == nullptr) {
            Form = new TForm(nullptr);
            Form->SetBounds(100, 100, 320, 200);
            Form->HandleNeeded();
            Form->Show();
        }
        return Form;
    }
    void TearDown() override
    {
        FreeObject(Form);
        Form = nullptr;
    }

private:
    static TForm* Form;
};

TForm* ShownForm::Form = nullptr;
::testing::Environment* const ShownFormEnvironment = ::testing::AddGlobalTestEnvironment(new ShownForm);

class LightLabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Keep the real pointer off the form so only the test's own messages move the label.
        SetCursorPos(1900, 1060);
        Form = ShownForm::Get();
        Label = new TLightLabel(Form);
        Label->SetBounds(10, 10, 160, 24);
        Label->SetParent(Form);
        Previous = LtLabel::SetShellExecute([this](HWND owner, const char* verb, const char* file,
                                                   const char* parameters, const char* directory, int show) {
            Calls.push_back({owner, verb, file, parameters != nullptr, directory, show});
            Events.push_back(std::string("jump:") + Look());
            return reinterpret_cast<HINSTANCE>(42);
        });
    }

    void TearDown() override
    {
        LtLabel::SetShellExecute(Previous);
        FreeObject(Label);
        Application->ProcessMessages();
    }

    void UseDistinctLooks()
    {
        TFont font;
        font.SetName("Arial");
        font.SetColor(HoverInk);
        font.SetStyle(fsUnderline);
        Label->SetLightFont(&font);
        font.SetColor(NormalInk);
        font.SetStyle(0);
        Label->SetDefaultFont(&font);
        font.SetColor(PressedInk);
        font.SetStyle(fsBold);
        Label->SetClickFont(&font);
        Label->SetLightColor(HoverBack);
        Label->SetDefaultColor(NormalBack);
        Label->SetClickColor(PressedBack);
    }

    // 'N' normal, 'H' hover, 'P' pressed, '?' anything else (a mix of looks).
    char Look() const
    {
        TColor back = Label->GetColor();
        TColor ink = Label->GetFont()->GetColor();
        TFontStyles style = Label->GetFont()->GetStyle();
        if (back == NormalBack && ink == NormalInk && style == 0)
            return 'N';
        if (back == HoverBack && ink == HoverInk && style == fsUnderline)
            return 'H';
        if (back == PressedBack && ink == PressedInk && style == fsBold)
            return 'P';
        return '?';
    }

    // One step of pointer input: E enter, L leave, D/U left press/release, R/r right, M/m middle,
    // X left release outside the label, 2 the second press of a double click.
    void Step(char step)
    {
        HWND h = Label->GetHandle();
        const LPARAM inside = MAKELPARAM(5, 5);
        const LPARAM outside = MAKELPARAM(500, 5);
        switch (step) {
        case 'E': Label->Perform(CM_MOUSEENTER, 0, 0); break;
        case 'L': Label->Perform(CM_MOUSELEAVE, 0, 0); break;
        case 'D': SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, inside); break;
        case 'U': SendMessageA(h, WM_LBUTTONUP, 0, inside); break;
        case 'X': SendMessageA(h, WM_LBUTTONUP, 0, outside); break;
        case 'R': SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, inside); break;
        case 'r': SendMessageA(h, WM_RBUTTONUP, 0, inside); break;
        case 'M': SendMessageA(h, WM_MBUTTONDOWN, MK_MBUTTON, inside); break;
        case 'm': SendMessageA(h, WM_MBUTTONUP, 0, inside); break;
        case '2': SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, inside); break;
        default: FAIL() << "unknown step " << step;
        }
    }

    // Runs the steps and gives the look after each one.
    std::string Run(const std::string& steps)
    {
        std::string looks;
        for (char step : steps) {
            Step(step);
            looks += Look();
        }
        return looks;
    }

    TForm* Form = nullptr;
    TLightLabel* Label = nullptr;
    LtLabel::TShellExecute Previous;
    std::vector<ShellCall> Calls;
    std::vector<std::string> Events;
};

TEST_F(LightLabelTest, StartsWithBlueTextAndItsOwnThreeLooks)
{
    TFont defaults;
    EXPECT_EQ(jtCust, Label->GetJumpType());
    EXPECT_EQ("", Label->GetJumpTo());
    EXPECT_TRUE(Label->GetLightEnabled());
    EXPECT_TRUE(Label->GetDefaultEnabled());
    EXPECT_TRUE(Label->GetClickEnabled());
    EXPECT_FALSE(Label->GetMouseInside());
    EXPECT_EQ(static_cast<TColor>(0x8000000F), Label->GetLightColor());
    EXPECT_EQ(clBtnFace, Label->GetDefaultColor());
    EXPECT_EQ(clBtnFace, Label->GetClickColor());
    EXPECT_EQ(clBtnFace, Label->GetColor());

    TFont* light = Label->GetLightFont();
    EXPECT_EQ(defaults.GetName(), light->GetName());
    EXPECT_EQ(defaults.GetHeight(), light->GetHeight());
    EXPECT_EQ(static_cast<TColor>(0x00FF0000), light->GetColor());
    EXPECT_EQ(static_cast<TFontStyles>(fsUnderline), light->GetStyle());
    EXPECT_EQ(clBlue, Label->GetDefaultFont()->GetColor());
    EXPECT_EQ(0u, Label->GetDefaultFont()->GetStyle());
    EXPECT_EQ(static_cast<TColor>(0x000000FF), Label->GetClickFont()->GetColor());
    EXPECT_EQ(0u, Label->GetClickFont()->GetStyle());
    EXPECT_EQ(clBlue, Label->GetFont()->GetColor());
    EXPECT_EQ(0u, Label->GetFont()->GetStyle());

    // Three fonts of its own, none of them the label's displayed font.
    EXPECT_NE(light, Label->GetDefaultFont());
    EXPECT_NE(light, Label->GetClickFont());
    EXPECT_NE(Label->GetDefaultFont(), Label->GetClickFont());
    EXPECT_NE(Label->GetFont(), Label->GetDefaultFont());
}

TEST_F(LightLabelTest, DefaultsShowUnderlinedWhileHoveredRedWhilePressedAndOpenNothing)
{
    Step('E');
    EXPECT_EQ(static_cast<TFontStyles>(fsUnderline), Label->GetFont()->GetStyle());
    EXPECT_EQ(clBlue, Label->GetFont()->GetColor());
    EXPECT_EQ(TFont().GetName(), Label->GetFont()->GetName());
    Step('D');
    EXPECT_EQ(clRed, Label->GetFont()->GetColor());
    Step('U');
    EXPECT_EQ(static_cast<TFontStyles>(fsUnderline), Label->GetFont()->GetStyle());
    EXPECT_TRUE(Calls.empty());
}

struct LookCase {
    const char* Name;
    bool LightOn, DefaultOn, ClickOn;
    const char* Steps;
    const char* Looks;  // the look after each step
};

const LookCase LookCases[] = {
    {"AllOn", true, true, true, "EDULDU", "HPHNPN"},
    {"HoverOff", false, true, true, "EDULDU", "NPHNPN"},
    {"HoverOffEnterAfterPress", false, true, true, "DEUL", "PPHN"},
    {"NormalOff", true, false, true, "EDULDU", "HPHHPN"},
    {"NormalOffLeaveAfterHover", true, false, true, "ELEL", "HHHH"},
    {"PressedOff", true, true, false, "EDULDU", "HHHNNN"},
    {"PressedOffFromHoverOnly", false, true, false, "EDUL", "NNHN"},
    {"AllOff", false, false, false, "EDULDU", "NNHHHN"},
    {"RightButton", true, true, true, "ERrLRr", "HPHNPN"},
    {"MiddleButton", true, true, true, "EMmL", "HPHN"},
    {"PressInsideReleaseOutside", true, true, true, "EDLX", "HPNN"},
    {"DoubleClick", true, true, true, "EDU2U", "HPHPH"},
};

class LightLabelLookTest : public LightLabelTest, public ::testing::WithParamInterface<LookCase> {};

TEST_P(LightLabelLookTest, FollowsThePointerAndTheSwitches)
{
    const LookCase& c = GetParam();
    UseDistinctLooks();
    ASSERT_EQ('N', Look());
    Label->SetLightEnabled(c.LightOn);
    Label->SetDefaultEnabled(c.DefaultOn);
    Label->SetClickEnabled(c.ClickOn);
    EXPECT_EQ(c.Looks, Run(c.Steps));
}

INSTANTIATE_TEST_SUITE_P(Table, LightLabelLookTest, ::testing::ValuesIn(LookCases),
                         [](const ::testing::TestParamInfo<LookCase>& info) { return info.param.Name; });

TEST_F(LightLabelTest, MouseInsideFollowsEnterAndLeaveAndTheEventsNameTheLabel)
{
    std::vector<std::string> seen;
    Label->OnMouseEnter = [&](TObject* sender) {
        seen.push_back(sender == Label ? "enter" : "enter:wrong sender");
        EXPECT_TRUE(Label->GetMouseInside());
    };
    Label->OnMouseLeave = [&](TObject* sender) {
        seen.push_back(sender == Label ? "leave" : "leave:wrong sender");
        EXPECT_FALSE(Label->GetMouseInside());
    };
    Step('E');
    EXPECT_TRUE(Label->GetMouseInside());
    Step('D');
    Step('U');
    EXPECT_TRUE(Label->GetMouseInside());
    Step('L');
    EXPECT_FALSE(Label->GetMouseInside());
    EXPECT_EQ((std::vector<std::string>{"enter", "leave"}), seen);
}

// A form that records the pointer notifications its controls pass up.
class WatchingForm : public TForm {
public:
    using TForm::TForm;
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE)
            Seen.push_back({message.Msg, message.LParam});
        TForm::Dispatch(message);
    }
    std::vector<std::pair<UINT, LPARAM>> Seen;
};

TEST_F(LightLabelTest, EnterAndLeaveReachTheParentToo)
{
    auto* form = new WatchingForm(nullptr);
    TObjectPtr<WatchingForm> owner(form);
    auto* label = new TLightLabel(form);
    label->SetParent(form);
    label->Perform(CM_MOUSEENTER, 0, 0);
    label->Perform(CM_MOUSELEAVE, 0, 0);
    const LPARAM self = reinterpret_cast<LPARAM>(label);
    ASSERT_EQ(2u, form->Seen.size());
    EXPECT_EQ(std::make_pair(CM_MOUSEENTER, self), form->Seen[0]);
    EXPECT_EQ(std::make_pair(CM_MOUSELEAVE, self), form->Seen[1]);
}

TEST_F(LightLabelTest, NormalLookSettersShowAtOnceOnlyWhileTheNormalLookIsOn)
{
    UseDistinctLooks();
    Step('E');
    ASSERT_EQ('H', Look());

    TFont font;
    font.SetName("Courier New");
    font.SetColor(0x123456);
    Label->SetDefaultFont(&font);
    EXPECT_EQ("Courier New", Label->GetFont()->GetName());
    EXPECT_EQ(static_cast<TColor>(0x123456), Label->GetFont()->GetColor());
    Label->SetDefaultColor(0x654321);
    EXPECT_EQ(static_cast<TColor>(0x654321), Label->GetColor());

    Label->SetDefaultEnabled(false);
    font.SetColor(0x111111);
    Label->SetDefaultFont(&font);
    Label->SetDefaultColor(0x222222);
    EXPECT_EQ(static_cast<TColor>(0x123456), Label->GetFont()->GetColor());
    EXPECT_EQ(static_cast<TColor>(0x654321), Label->GetColor());
    // The stored values are the new ones all the same.
    EXPECT_EQ(static_cast<TColor>(0x111111), Label->GetDefaultFont()->GetColor());
    EXPECT_EQ(static_cast<TColor>(0x222222), Label->GetDefaultColor());
}

TEST_F(LightLabelTest, HoverAndPressedSettersShowOnlyWhenThatLookIsNextApplied)
{
    UseDistinctLooks();
    Step('E');
    TFont font;
    font.SetColor(0x0A0B0C);
    Label->SetLightFont(&font);
    Label->SetLightColor(0x010203);
    font.SetColor(0x0D0E0F);
    Label->SetClickFont(&font);
    Label->SetClickColor(0x040506);
    // Still the old hover look on screen.
    EXPECT_EQ(HoverBack, Label->GetColor());
    EXPECT_EQ(HoverInk, Label->GetFont()->GetColor());

    Step('D');
    EXPECT_EQ(static_cast<TColor>(0x040506), Label->GetColor());
    EXPECT_EQ(static_cast<TColor>(0x0D0E0F), Label->GetFont()->GetColor());
    Step('U');
    EXPECT_EQ(static_cast<TColor>(0x010203), Label->GetColor());
    EXPECT_EQ(static_cast<TColor>(0x0A0B0C), Label->GetFont()->GetColor());
}

TEST_F(LightLabelTest, LookFontsAreCopiesTheCallerKeepsItsOwn)
{
    TFont font;
    font.SetName("Arial");
    font.SetColor(0x010101);
    Label->SetLightFont(&font);
    Label->SetDefaultFont(&font);
    Label->SetClickFont(&font);
    font.SetName("Courier New");
    font.SetColor(0x020202);
    for (TFont* owned : {Label->GetLightFont(), Label->GetDefaultFont(), Label->GetClickFont(), Label->GetFont()}) {
        EXPECT_NE(&font, owned);
        EXPECT_EQ("Arial", owned->GetName());
        EXPECT_EQ(static_cast<TColor>(0x010101), owned->GetColor());
    }
    // Handing a look its own font back changes nothing.
    Label->SetLightFont(Label->GetLightFont());
    Label->SetDefaultFont(Label->GetDefaultFont());
    Label->SetClickFont(Label->GetClickFont());
    EXPECT_EQ("Arial", Label->GetDefaultFont()->GetName());
}

// ---------------------------------------------------------------------------------------------
// Jumps

struct JumpCase {
    const char* Name;
    TJumpType Type;
    const char* JumpTo;
    const char* Caption;
    std::vector<std::string> Opened;
};

const JumpCase JumpCases[] = {
    {"NoneNeverOpens", jtNone, "https://a.example/", "caption", {}},
    {"NoneWithOnlyACaption", jtNone, "", "https://caption.example/", {}},
    {"CustOpensJumpToUnchanged", jtCust, "https://a.example/x?y=1", "caption", {"https://a.example/x?y=1"}},
    {"CustEmpty", jtCust, "", "caption", {}},
    {"HomeOpensJumpToUnchanged", jtHome, "https://a.example/", "", {"https://a.example/"}},
    {"HomeEmpty", jtHome, "", "caption", {}},
    {"MailAddsTheScheme", jtMail, "someone@a.example", "caption", {"mailto:someone@a.example"}},
    {"MailEmpty", jtMail, "", "caption", {}},
    {"FileKeepsBackslashes", jtFile, "C:\\docs\\read me.txt", "", {"file:///C:\\docs\\read me.txt"}},
    {"FileEmpty", jtFile, "", "caption", {}},
    {"CaptionWithoutJumpTo", jtCaption, "", "https://caption.example/", {"https://caption.example/"}},
    {"CaptionIgnoresJumpTo", jtCaption, "https://a.example/", "the caption", {"the caption"}},
    {"CaptionEmpty", jtCaption, "https://a.example/", "", {}},
};

class LightLabelJumpTest : public LightLabelTest, public ::testing::WithParamInterface<JumpCase> {};

TEST_P(LightLabelJumpTest, OpensTheTargetOfItsType)
{
    const JumpCase& c = GetParam();
    Label->SetJumpType(c.Type);
    Label->SetJumpTo(c.JumpTo);
    Label->SetCaption(c.Caption);
    Label->Jump();
    std::vector<std::string> opened;
    for (const ShellCall& call : Calls)
        opened.push_back(call.File);
    EXPECT_EQ(c.Opened, opened);

    // A click opens the same, once.
    Calls.clear();
    Run("DU");
    opened.clear();
    for (const ShellCall& call : Calls)
        opened.push_back(call.File);
    EXPECT_EQ(c.Opened, opened);
}

INSTANTIATE_TEST_SUITE_P(Table, LightLabelJumpTest, ::testing::ValuesIn(JumpCases),
                         [](const ::testing::TestParamInfo<JumpCase>& info) { return info.param.Name; });

TEST_F(LightLabelTest, TheShellIsAskedToOpenFromTheExecutablesFolder)
{
    Label->SetJumpTo("https://a.example/");
    Label->Jump();
    ASSERT_EQ(1u, Calls.size());
    const ShellCall& call = Calls[0];
    EXPECT_EQ(Application->GetHandle(), call.Owner);
    EXPECT_NE(nullptr, call.Owner);
    EXPECT_EQ("Open", call.Verb);
    EXPECT_FALSE(call.HasParameters);
    EXPECT_EQ(SW_SHOW, call.Show);
    ASSERT_FALSE(call.Directory.empty());
    EXPECT_EQ('\\', call.Directory.back());
    EXPECT_EQ(ExecutablePath(), call.Directory + "controls_tests.exe");
}

TEST_F(LightLabelTest, ALeftClickShowsPressedThenJumpsThenClicksThenReleases)
{
    UseDistinctLooks();
    Label->SetJumpTo("https://a.example/");
    Label->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        Events.push_back(std::string("down:") + Look());
        EXPECT_EQ(mbLeft, b);
        EXPECT_EQ(5, x);
        EXPECT_EQ(5, y);
    };
    Label->OnClick = [&](TObject* sender) {
        Events.push_back(std::string("click:") + Look());
        EXPECT_EQ(Label, sender);
    };
    Label->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) {
        Events.push_back(std::string("up:") + Look());
    };
    Run("EDU");
    EXPECT_EQ((std::vector<std::string>{"down:H", "jump:P", "click:P", "up:P"}), Events);
    EXPECT_EQ('H', Look());
}

struct ClickCase {
    const char* Name;
    const char* Steps;
    int Jumps;
};

const ClickCase ClickCases[] = {
    {"OneClick", "DU", 1},
    {"TwoClicks", "DUDU", 2},
    {"DoubleClickIsOneClick", "DU2U", 1},
    {"ReleasedOutside", "DX", 0},
    {"ReleaseWithoutPress", "U", 0},
    {"RightButton", "Rr", 0},
    {"MiddleButton", "Mm", 0},
    {"RightPressThenLeftRelease", "RU", 0},
};

class LightLabelClickTest : public LightLabelTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(LightLabelClickTest, JumpsOncePerLeftClickOnTheLabel)
{
    const ClickCase& c = GetParam();
    Label->SetJumpTo("https://a.example/");
    int clicks = 0;
    Label->OnClick = [&](TObject*) { ++clicks; };
    Run(c.Steps);
    EXPECT_EQ(static_cast<size_t>(c.Jumps), Calls.size());
    EXPECT_EQ(c.Jumps, clicks);
    EXPECT_EQ(nullptr, GetCapture());
}

INSTANTIATE_TEST_SUITE_P(Table, LightLabelClickTest, ::testing::ValuesIn(ClickCases),
                         [](const ::testing::TestParamInfo<ClickCase>& info) { return info.param.Name; });

TEST_F(LightLabelTest, LosingTheMouseToAnotherWindowCancelsTheClick)
{
    Label->SetJumpTo("https://a.example/");
    Step('D');
    EXPECT_EQ(Label->GetHandle(), GetCapture());
    SetCapture(Form->GetHandle());
    ReleaseCapture();
    Step('U');
    EXPECT_TRUE(Calls.empty());
}

// ---------------------------------------------------------------------------------------------
// The real pointer

// Handles messages until `done` holds or about two seconds have passed.
template <class Pred>
bool PumpUntil(Pred done)
{
    for (int i = 0; i < 200 && !done(); ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
    return done();
}

TEST_F(LightLabelTest, TheRealPointerRaisesEnterAndLeave)
{
    UseDistinctLooks();
    int enters = 0, leaves = 0;
    Label->OnMouseEnter = [&](TObject*) { ++enters; };
    Label->OnMouseLeave = [&](TObject*) { ++leaves; };
    Application->ProcessMessages();

    RECT r;
    GetWindowRect(Label->GetHandle(), &r);
    // Only the pointer moves: the system reports the move to the label on its own.
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return Label->GetMouseInside(); }));
    EXPECT_EQ('H', Look());
    SetCursorPos(r.left + 3, r.top + 3);
    PumpUntil([] { return false; });  // a while for the move within the label to arrive
    EXPECT_EQ(1, enters);

    SetCursorPos(1900, 1060);
    ASSERT_TRUE(PumpUntil([&] { return !Label->GetMouseInside(); }));
    EXPECT_EQ('N', Look());
    EXPECT_EQ(1, enters);
    EXPECT_EQ(1, leaves);
}

TEST_F(LightLabelTest, DraggingOffThePressedLabelLeavesAndReleasingThereDoesNotJump)
{
    UseDistinctLooks();
    Label->SetJumpTo("https://a.example/");
    RECT r;
    GetWindowRect(Label->GetHandle(), &r);
    SetCursorPos(r.left + 5, r.top + 5);
    SendMessageA(Label->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(Label->GetMouseInside());
    Step('D');
    ASSERT_EQ('P', Look());

    // With the mouse captured, the moves keep coming to the label while the pointer is away.
    SetCursorPos(r.right + 200, r.top + 5);
    SendMessageA(Label->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right - r.left + 200, 5));
    EXPECT_FALSE(Label->GetMouseInside());
    EXPECT_EQ('N', Look());
    SendMessageA(Label->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(r.right - r.left + 200, 5));
    EXPECT_EQ('N', Look());
    EXPECT_TRUE(Calls.empty());
    SetCursorPos(1900, 1060);
}

TEST_F(LightLabelTest, DraggingOffAndBackOntoThePressedLabelStillClicksOnRelease)
{
    UseDistinctLooks();
    Label->SetJumpTo("https://a.example/");
    RECT r;
    GetWindowRect(Label->GetHandle(), &r);
    const int width = r.right - r.left;
    SetCursorPos(r.left + 5, r.top + 5);
    SendMessageA(Label->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    Step('D');
    SetCursorPos(r.right + 200, r.top + 5);
    SendMessageA(Label->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(width + 200, 5));
    ASSERT_FALSE(Label->GetMouseInside());
    SetCursorPos(r.left + 6, r.top + 5);
    SendMessageA(Label->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 5));
    EXPECT_TRUE(Label->GetMouseInside());
    EXPECT_EQ('H', Look());
    Step('U');
    EXPECT_EQ(1u, Calls.size());
    EXPECT_EQ('H', Look());
    EXPECT_EQ(nullptr, GetCapture());
    SetCursorPos(1900, 1060);
}

}  // namespace
