// The customizers on a real dialog window: placing, sizing, embedding, laying out, closing.
#include "TestDialog.h"

#include "framework/Application.h"
#include "framework/PlatformDialog.h"
#include "framework/Screen.h"
#include "framework/WndThunk.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <map>
#include <memory>
#include <vector>

using namespace TestDialogs;

namespace {

struct Opened {
    TObjectPtr<TCustomDlgsUnit> Unit = MakeObject<TCustomDlgsUnit>(nullptr);
    HWND Dialog = nullptr;
    TDialogCustomizer* Customizer = nullptr;

    ~Opened()
    {
        if (Dialog != nullptr && IsWindow(Dialog))
            DestroyWindow(Dialog);
        delete Customizer;
    }
    void Open(TDialogCustomizer* customizer, bool resizable, int width = 400, int height = 300)
    {
        Dialog = CreateTestDialog(resizable, width, height);
        ASSERT_NE(nullptr, Dialog);
        Customizer = customizer;
        Unit->RegistDialog(Dialog, customizer);
    }
    // Closes the window as the platform does; the component frees the customizer after.
    void Close()
    {
        DestroyWindow(Dialog);
        Dialog = nullptr;
        delete Customizer;
        Customizer = nullptr;
    }
};

// A subclassing layer put on the dialog before the customizer's: it notes which procedure
// the window has when the destruction message reaches it.
WNDPROC ProbeOldProc = nullptr;
LONG_PTR ProbeProcAtDestroy = 0;

LRESULT CALLBACK ProbeProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY)
        ProbeProcAtDestroy = GetWindowLongPtrA(window, GWLP_WNDPROC);
    return CallWindowProcA(ProbeOldProc, window, msg, wParam, lParam);
}

TEST(DialogCustomizerTest, AutomaticPlaceIsCentredAcrossAndAThirdDownTheWorkArea)
{
    // A taskbar at the top or the left moves the place by its size, never under it.
    EXPECT_EQ(760, FirstDialogPlace(SIZE{400, 300}, RECT{0, 0, 1920, 1080}).x);
    EXPECT_EQ(260, FirstDialogPlace(SIZE{400, 300}, RECT{0, 0, 1920, 1080}).y);
    EXPECT_EQ(300, FirstDialogPlace(SIZE{400, 300}, RECT{0, 60, 1920, 1080}).y);
    EXPECT_EQ(790, FirstDialogPlace(SIZE{400, 300}, RECT{60, 0, 1920, 1080}).x);

    TMonitor* monitor = Screen->Monitors(0);
    ASSERT_EQ(nullptr, Application->GetMainForm());
    struct Case {
        TPoint Position;
        int ExpectedX, ExpectedY;
    };
    const RECT work = monitor->GetWorkareaRect();
    const int autoX = (work.right - work.left - 400) / 2 + work.left;
    const int autoY = (work.bottom - work.top - 300) / 3 + work.top;
    const Case cases[] = {
        {{-1, -1}, autoX, autoY},
        {{100, -1}, 100, autoY},
        {{-1, 40}, autoX, 40},
        {{work.left - 390, 70}, work.left - 390, 70},  // partly in sight: kept
        // Wholly off every work area: back whole inside the nearest one.
        {{-5000, 70}, work.left, 70},
        {{-32768, 32767}, work.left, work.bottom - 300},
    };
    for (const Case& c : cases) {
        Opened opened;
        opened.Unit->SetPosition(c.Position);
        opened.Open(new TestFixedCustomizer, false);
        opened.Unit->StartCustomize();
        RECT r;
        GetWindowRect(opened.Dialog, &r);
        EXPECT_EQ(c.ExpectedX, r.left) << c.Position.x << "," << c.Position.y;
        EXPECT_EQ(c.ExpectedY, r.top) << c.Position.x << "," << c.Position.y;
        EXPECT_EQ(400, r.right - r.left);
        EXPECT_EQ(3, opened.Customizer->GetState());
    }
}

TEST(SizingCustomizerTest, SubFormOnTheLeftWidensTheDialogAndShiftsEveryControlOnce)
{
    Opened opened;
    // An earlier opening leaves a size behind; a dialog that sizes itself does not take it.
    opened.Open(new TestSizingCustomizer, true);
    opened.Unit->StartCustomize();
    SetWindowPos(opened.Dialog, nullptr, 0, 0, 700, 520, SWP_NOMOVE | SWP_NOZORDER);
    opened.Close();
    ASSERT_EQ(700, opened.Unit->GetDialogSize().x);
    TForm* sub = NewSubForm(200, 150);
    opened.Unit->SetSubFormPos(fpLeft);
    opened.Unit->SetSubForm(sub);
    opened.Unit->SetPosition(TPoint{30, 20});
    HWND dialog = CreateTestDialog(true);
    auto before = Snapshot(dialog);
    SIZE beforeSize = WindowSize(dialog);
    opened.Dialog = dialog;
    opened.Customizer = new TestSizingCustomizer;
    opened.Unit->RegistDialog(dialog, opened.Customizer);
    EXPECT_EQ(beforeSize.cx + 200, WindowSize(dialog).cx);
    EXPECT_EQ(beforeSize.cy, WindowSize(dialog).cy);
    auto shifted = Snapshot(dialog);
    for (auto& [id, r] : before) {
        if (id == idSizeGrip)
            continue;
        EXPECT_EQ(r.left + 200, shifted[id].left) << id;
        EXPECT_EQ(r.top, shifted[id].top) << id;
        EXPECT_EQ(r.right - r.left, shifted[id].right - shifted[id].left) << id;
    }
    EXPECT_EQ(before[idSizeGrip].left, shifted[idSizeGrip].left);

    opened.Unit->StartCustomize();
    EXPECT_EQ(beforeSize.cx + 200, WindowSize(dialog).cx);
    EXPECT_EQ(beforeSize.cy, WindowSize(dialog).cy);
    // Starting does not move the controls a second time.
    auto started = Snapshot(dialog);
    for (auto& [id, r] : shifted)
        EXPECT_TRUE(EqualRect(&r, &started[id])) << id;
    // The sub form fills the strip on the left, as a child of the dialog.
    EXPECT_EQ(dialog, GetParent(sub->GetHandle()));
    RECT subRect = ClientRectOfWindow(sub->GetHandle());
    EXPECT_EQ(0, subRect.left);
    EXPECT_EQ(200, subRect.right);
    EXPECT_EQ(ClientSize(dialog).cy, subRect.bottom);
    EXPECT_TRUE(GetWindowLongA(sub->GetHandle(), GWL_STYLE) & WS_VISIBLE);

    // Later size changes size the sub form but neither move it nor the controls again.
    SetWindowPos(sub->GetHandle(), nullptr, 5, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(dialog, nullptr, 0, 0, beforeSize.cx + 300, beforeSize.cy + 50, SWP_NOMOVE | SWP_NOZORDER);
    subRect = ClientRectOfWindow(sub->GetHandle());
    EXPECT_EQ(5, subRect.left);
    EXPECT_EQ(ClientSize(dialog).cy, subRect.bottom - subRect.top);
    EXPECT_EQ(shifted[idEdit].left, ClientRectOf(dialog, idEdit).left);

    opened.Close();
    FreeObject(sub);
}


TEST(SizingCustomizerTest, SubFormOnTheRightOrBottomShiftsNothing)
{
    for (TSubFormPos pos : {fpRight, fpBottom}) {
        Opened opened;
        TForm* sub = NewSubForm(120, 90);
        opened.Unit->SetSubFormPos(pos);
        opened.Unit->SetSubForm(sub);
        HWND dialog = CreateTestDialog(true);
        auto before = Snapshot(dialog);
        SIZE size = WindowSize(dialog);
        opened.Dialog = dialog;
        opened.Customizer = new TestSizingCustomizer;
        opened.Unit->RegistDialog(dialog, opened.Customizer);
        opened.Unit->StartCustomize();
        EXPECT_EQ(size.cx + (pos == fpRight ? 120 : 0), WindowSize(dialog).cx) << pos;
        EXPECT_EQ(size.cy + (pos == fpBottom ? 90 : 0), WindowSize(dialog).cy) << pos;
        auto after = Snapshot(dialog);
        for (auto& [id, r] : before)
            EXPECT_TRUE(EqualRect(&r, &after[id])) << pos << " control " << id;
        RECT subRect = ClientRectOfWindow(sub->GetHandle());
        SIZE client = ClientSize(dialog);
        if (pos == fpRight)
            EXPECT_EQ((RECT{client.cx - 120, 0, client.cx, client.cy}.left), subRect.left);
        else
            EXPECT_EQ(client.cy - 90, subRect.top);
        opened.Close();
        FreeObject(sub);
    }
}

TEST(DialogCustomizerTest, MinimumSizeFollowsTheSubFormAndItsSide)
{
    auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& unit = *unitOwned;
    TForm* sub = NewSubForm(50, 50);
    unit.SetSubForm(sub);
    TestFixedCustomizer c;
    c.SetUnit(&unit);
    struct Case {
        TSubFormPos Pos;
        TPoint SubClient;
        unsigned Spaces[4];
        TPoint Expected;
    };
    const Case cases[] = {
        {fpLeft, {200, 150}, {0, 0, 0, 0}, {600, 300}},
        {fpRight, {200, 280}, {0, 0, 0, 0}, {600, 310}},
        {fpTop, {200, 150}, {0, 0, 0, 0}, {400, 450}},
        {fpBottom, {500, 150}, {0, 0, 0, 0}, {510, 450}},
        {fpClient, {200, 150}, {0, 0, 0, 0}, {400, 300}},
        {fpClient, {500, 400}, {10, 0, 30, 0}, {440, 430}},
        {fpClient, {500, 100}, {0, 5, 0, 15}, {510, 320}},
    };
    for (const Case& k : cases) {
        unit.SetSubFormPos(k.Pos);
        unit.GetMinEdgeSpace()->SetAllEdgeSpace(k.Spaces[0], k.Spaces[1], k.Spaces[2], k.Spaces[3]);
        c.SetSizes({400, 300}, {390, 270}, k.SubClient);
        c.GetMinDialogSize();
        EXPECT_EQ(k.Expected.x, c.GetMinDialogSizeValue().x) << k.Pos << " " << k.SubClient.x;
        EXPECT_EQ(k.Expected.y, c.GetMinDialogSizeValue().y) << k.Pos << " " << k.SubClient.y;
    }
    unit.SetSubForm(nullptr);
    c.GetMinDialogSize();
    EXPECT_EQ(400, c.GetMinDialogSizeValue().x);
    FreeObject(sub);
}

TEST(DialogCustomizerTest, ControlsAndSubFormRectanglesWithTheShortfallRule)
{
    auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& unit = *unitOwned;
    TForm* sub = NewSubForm(50, 50);
    unit.SetSubForm(sub);
    TestFixedCustomizer c;
    c.SetUnit(&unit);
    struct Case {
        TSubFormPos Pos;
        unsigned Spaces[4];
        TPoint Client;
        RECT Controls, SubForm;
        unsigned Now[4];
    };
    const Case cases[] = {
        // Room enough: the strip is the sub form's client width.
        {fpLeft, {0, 0, 0, 0}, {590, 270}, {200, 0, 590, 270}, {0, 0, 200, 270}, {200, 0, 0, 0}},
        // Shortfall: 500 wide, controls keep 390, the space gets the remaining 110.
        {fpLeft, {0, 0, 0, 0}, {500, 270}, {110, 0, 500, 270}, {0, 0, 110, 270}, {110, 0, 0, 0}},
        {fpRight, {0, 0, 0, 0}, {500, 270}, {0, 0, 390, 270}, {390, 0, 500, 270}, {0, 0, 110, 0}},
        {fpTop, {0, 0, 0, 0}, {390, 420}, {0, 150, 390, 420}, {0, 0, 390, 150}, {0, 150, 0, 0}},
        {fpTop, {0, 0, 0, 0}, {390, 400}, {0, 130, 390, 400}, {0, 0, 390, 130}, {0, 130, 0, 0}},
        {fpBottom, {0, 0, 0, 0}, {390, 300}, {0, 0, 390, 270}, {0, 270, 390, 300}, {0, 0, 0, 30}},
        // fpClient with no spaces: the controls have the whole client area.
        {fpClient, {0, 0, 0, 0}, {390, 270}, {0, 0, 390, 270}, {0, 0, 390, 270}, {0, 0, 0, 0}},
        // Shared in proportion: d = 20, L = 20 * 10 / 40 = 5, R = 15.
        {fpClient, {10, 0, 30, 0}, {410, 270}, {5, 0, 395, 270}, {0, 0, 410, 270}, {5, 0, 15, 0}},
        // Narrower than the controls themselves: no space is left on either side.
        {fpLeft, {0, 0, 0, 0}, {300, 200}, {0, 0, 300, 200}, {0, 0, 0, 200}, {0, 0, 0, 0}},
    };
    for (const Case& k : cases) {
        unit.SetSubFormPos(k.Pos);
        unit.GetMinEdgeSpace()->SetAllEdgeSpace(k.Spaces[0], k.Spaces[1], k.Spaces[2], k.Spaces[3]);
        c.SetSizes({400, 300}, {390, 270}, {200, 150});
        TRect controls, subRect;
        c.TDialogCustomizer::GetControlsandSubFormRect(k.Client, &controls, &subRect);
        EXPECT_TRUE(EqualRect(&controls, &k.Controls))
            << k.Pos << " " << k.Client.x << ": " << controls.left << "," << controls.top << "," << controls.right
            << "," << controls.bottom;
        EXPECT_TRUE(EqualRect(&subRect, &k.SubForm))
            << k.Pos << " " << k.Client.x << ": " << subRect.left << "," << subRect.top << "," << subRect.right
            << "," << subRect.bottom;
        const TDialogEdgeSpace* now = unit.GetNowEdgeSpace();
        EXPECT_EQ(k.Now[0], now->GetLeftSpace());
        EXPECT_EQ(k.Now[1], now->GetTopSpace());
        EXPECT_EQ(k.Now[2], now->GetRightSpace());
        EXPECT_EQ(k.Now[3], now->GetBottomSpace());
    }
    // Without a sub form the controls have everything and the sub form nothing.
    unit.SetSubForm(nullptr);
    TRect controls, subRect;
    c.TDialogCustomizer::GetControlsandSubFormRect({300, 200}, &controls, &subRect);
    EXPECT_TRUE(EqualRect(&controls, std::make_unique<RECT>(RECT{0, 0, 300, 200}).get()));
    EXPECT_TRUE(IsRectEmpty(&subRect));
    FreeObject(sub);
}

TEST(FixedCustomizerTest, GrowthGoesToTheEdgeSpacesOfUnanchoredSides)
{
    auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& unit = *unitOwned;
    TForm* sub = NewSubForm(50, 50);
    unit.SetSubForm(sub);
    TestFixedCustomizer c;
    c.SetUnit(&unit);
    struct Case {
        TSubFormPos Pos;
        TSubFormAnchors Anchors;
        unsigned Spaces[4];
        TPoint Grow;
        unsigned Now[4];
        RECT Controls;
    };
    // Initial window 400 x 300 with client 390 x 270; sub form client 200 x 150.
    const Case cases[] = {
        {fpLeft, AllSubFormAnchors, {0, 0, 0, 0}, {100, 0}, {200, 0, 0, 0}, {200, 0, 690, 270}},
        {fpLeft, SubFormAnchors({faTop, faRight, faBottom}), {0, 0, 0, 0}, {100, 0}, {300, 0, 0, 0}, {300, 0, 690, 270}},
        {fpClient, SubFormAnchors({faLeft, faTop}), {10, 10, 10, 10}, {40, 20}, {10, 10, 50, 30}, {10, 10, 400, 280}},
        {fpClient, 0, {10, 0, 30, 0}, {40, 0}, {20, 0, 60, 0}, {20, 0, 410, 270}},
        // No growth: nothing changes hands.
        {fpClient, 0, {10, 0, 30, 0}, {0, 0}, {10, 0, 30, 0}, {10, 0, 400, 270}},
        {fpTop, SubFormAnchors({faLeft, faRight, faBottom}), {0, 0, 0, 0}, {0, 60}, {0, 210, 0, 0}, {0, 210, 390, 480}},
    };
    for (const Case& k : cases) {
        unit.SetSubFormAllProperties(sub, k.Pos, k.Anchors);
        unit.GetMinEdgeSpace()->SetAllEdgeSpace(k.Spaces[0], k.Spaces[1], k.Spaces[2], k.Spaces[3]);
        c.SetSizes({400, 300}, {390, 270}, {200, 150});
        c.GetMinDialogSize();
        TPoint min = c.GetMinDialogSizeValue();
        TPoint client = {min.x - 10 + k.Grow.x, min.y - 30 + k.Grow.y};
        TRect controls, subRect;
        // Through the base class as well: the fixed layout is not hidden behind the base's.
        TDialogCustomizer& base = c;
        base.GetControlsandSubFormRect(client, &controls, &subRect);
        const TDialogEdgeSpace* now = unit.GetNowEdgeSpace();
        const unsigned got[4] = {now->GetLeftSpace(), now->GetTopSpace(), now->GetRightSpace(), now->GetBottomSpace()};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(k.Now[i], got[i]) << "case pos " << k.Pos << " side " << i;
        EXPECT_TRUE(EqualRect(&controls, &k.Controls))
            << k.Pos << ": " << controls.left << "," << controls.top << "," << controls.right << "," << controls.bottom;
        if (k.Pos == fpLeft) {
            EXPECT_EQ(controls.left, subRect.right);
        }
        if (k.Pos == fpTop) {
            EXPECT_EQ(controls.top, subRect.bottom);
        }
    }
    FreeObject(sub);
}

TEST(DialogCustomizerTest, ChildListHasOnlyTheDialogsOwnControls)
{
    Opened opened;
    TForm* sub = NewSubForm(100, 80);
    opened.Unit->SetSubFormPos(fpLeft);
    opened.Unit->SetSubForm(sub);
    opened.Unit->SetDialogSizing(true);
    auto* c = new TestFixedCustomizer;
    opened.Open(c, false);
    opened.Unit->StartCustomize();
    ASSERT_NE(nullptr, c->GetGrip());
    ASSERT_EQ(opened.Dialog, GetParent(sub->GetHandle()));
    char name[32];
    GetClassNameA(c->GetGrip()->GetHandle(), name, sizeof(name));
    EXPECT_STREQ("TDialogGrip", name);

    TList list;
    list.Add(nullptr);  // emptied first
    c->GetDlgControlsHandle(&list);
    std::vector<int> ids;
    for (int i = 0; i < list.Count(); ++i)
        ids.push_back(GetDlgCtrlID(static_cast<HWND>(list.Items(i))));
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ((std::vector<int>{idOk, idCancel, idEdit, idList, idGroup, idScroll}), ids);
    c->GetDlgControlsHandle(nullptr);  // nothing to fill
    opened.Close();
    FreeObject(sub);
}

TEST(DialogCustomizerTest, MinMaxInfoIsOnlyChangedOnceCustomizingStarted)
{
    Opened opened;
    TForm* sub = NewSubForm(200, 150);
    opened.Unit->SetSubFormPos(fpLeft);
    opened.Unit->SetSubForm(sub);
    opened.Open(new TestSizingCustomizer, true);
    // The platform fills the record before it asks; the handler only adjusts it.
    auto ask = [&](LONG maxX, LONG maxY) {
        MINMAXINFO info = {};
        info.ptMinTrackSize = POINT{7, 9};
        info.ptMaxTrackSize = POINT{maxX, maxY};
        SendMessageA(opened.Dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return info.ptMinTrackSize;
    };
    POINT before = ask(5000, 5000);
    EXPECT_EQ(7, before.x);
    EXPECT_EQ(9, before.y);

    opened.Unit->StartCustomize();
    TPoint min = opened.Customizer->GetMinDialogSizeValue();
    EXPECT_EQ(opened.Customizer->GetInitDialogSize().x + 200, min.x);
    POINT after = ask(5000, 5000);
    EXPECT_EQ(min.x, after.x);
    EXPECT_EQ(min.y, after.y);
    // Never beyond the largest tracking size.
    POINT capped = ask(500, 5000);
    EXPECT_EQ(500, capped.x);
    opened.Close();
    FreeObject(sub);
}

TEST(FixedCustomizerTest, WithoutSizingNoGripNoStyleChangeAndNoShrinking)
{
    Opened opened;
    opened.Unit->SetDialogSizing(true);
    opened.Unit->SetDialogSizing(false);
    HWND probe = CreateTestDialog(false);
    LONG styleBefore = GetWindowLongA(probe, GWL_STYLE);
    DestroyWindow(probe);

    // A remembered size from an earlier opening is ignored for a dialog the user cannot size.
    auto* first = new TestFixedCustomizer;
    opened.Unit->SetDialogSizing(true);
    opened.Open(first, false);
    opened.Unit->StartCustomize();
    SetWindowPos(opened.Dialog, nullptr, 0, 0, 520, 360, SWP_NOMOVE | SWP_NOZORDER);
    opened.Close();
    EXPECT_EQ(520, opened.Unit->GetDialogSize().x);
    opened.Unit->SetDialogSizing(false);

    auto* c = new TestFixedCustomizer;
    opened.Open(c, false);
    opened.Unit->StartCustomize();
    EXPECT_EQ(nullptr, c->GetGrip());
    EXPECT_EQ(styleBefore, GetWindowLongA(opened.Dialog, GWL_STYLE));
    EXPECT_EQ(400, WindowSize(opened.Dialog).cx);
    EXPECT_EQ(300, WindowSize(opened.Dialog).cy);
    SetWindowPos(opened.Dialog, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(400, WindowSize(opened.Dialog).cx);
    EXPECT_EQ(300, WindowSize(opened.Dialog).cy);
    // Growing is allowed.
    SetWindowPos(opened.Dialog, nullptr, 0, 0, 450, 320, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(450, WindowSize(opened.Dialog).cx);
    opened.Close();
}

TEST(FixedCustomizerTest, SizingMakesTheDialogResizableWithAGripInTheCorner)
{
    Opened opened;
    opened.Unit->SetDialogSizing(true);
    auto* c = new TestFixedCustomizer;
    HWND dialog = CreateTestDialog(false);
    SIZE clientBefore = ClientSize(dialog);
    opened.Dialog = dialog;
    opened.Customizer = c;
    // A system menu without a size entry is rebuilt offering move, size and close only.
    DeleteMenu(GetSystemMenu(dialog, FALSE), SC_SIZE, MF_BYCOMMAND);
    ASSERT_EQ(0xFFFFFFFFu, GetMenuState(GetSystemMenu(dialog, FALSE), SC_SIZE, MF_BYCOMMAND));
    opened.Unit->RegistDialog(dialog, c);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    // Same client area under the thicker frame.
    EXPECT_EQ(clientBefore.cx, ClientSize(dialog).cx);
    EXPECT_EQ(clientBefore.cy, ClientSize(dialog).cy);
    HMENU menu = GetSystemMenu(dialog, FALSE);
    EXPECT_NE(0xFFFFFFFFu, GetMenuState(menu, SC_SIZE, MF_BYCOMMAND));
    EXPECT_NE(0xFFFFFFFFu, GetMenuState(menu, SC_MOVE, MF_BYCOMMAND));
    EXPECT_EQ(0xFFFFFFFFu, GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND));
    EXPECT_EQ(0xFFFFFFFFu, GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND));
    EXPECT_EQ(0xFFFFFFFFu, GetMenuState(menu, SC_RESTORE, MF_BYCOMMAND));
    ASSERT_NE(nullptr, c->GetGrip());
    HWND grip = c->GetGrip()->GetHandle();
    EXPECT_EQ(dialog, GetParent(grip));
    EXPECT_EQ(0x50000018, GetWindowLongA(grip, GWL_STYLE) & 0x5000001F);

    opened.Unit->StartCustomize();
    for (SIZE size : {SIZE{450, 330}, SIZE{600, 500}, SIZE{420, 310}}) {
        SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        SIZE client = ClientSize(dialog);
        RECT g = ClientRectOfWindow(grip);
        EXPECT_EQ(client.cx - 16, g.left) << size.cx;
        EXPECT_EQ(client.cy - 16, g.top) << size.cy;
        EXPECT_EQ(16, g.right - g.left);
    }
    // The size is remembered at close and applied at the next opening.
    SetWindowPos(dialog, nullptr, 0, 0, 480, 350, SWP_NOMOVE | SWP_NOZORDER);
    opened.Close();
    EXPECT_EQ(480, opened.Unit->GetDialogSize().x);
    EXPECT_EQ(350, opened.Unit->GetDialogSize().y);
    auto* again = new TestFixedCustomizer;
    opened.Open(again, false);
    opened.Unit->StartCustomize();
    EXPECT_EQ(480, WindowSize(opened.Dialog).cx);
    EXPECT_EQ(350, WindowSize(opened.Dialog).cy);
    RECT g = ClientRectOfWindow(again->GetGrip()->GetHandle());
    EXPECT_EQ(ClientSize(opened.Dialog).cx - 16, g.left);
    opened.Close();
}

TEST(FixedCustomizerTest, ControlsSpanningTheSplitWidenThoseAfterItMoveOthersStay)
{
    Opened opened;
    TForm* sub = NewSubForm(200, 150);
    opened.Unit->SetSubFormPos(fpLeft);
    opened.Unit->SetSubForm(sub);
    opened.Unit->SetDialogSizing(true);
    auto* c = new TestFixedCustomizer;
    c->CentreClient = POINT{0, 100000};  // placed below once the controls sit after the sub form
    opened.Open(c, false);
    opened.Unit->StartCustomize();
    HWND dialog = opened.Dialog;
    auto start = Snapshot(dialog);
    // Registration put every control 200 to the right of where the template had it.
    EXPECT_EQ(210, start[idEdit].left);
    EXPECT_EQ(200, ClientRectOfWindow(sub->GetHandle()).right);

    // Split at client x = 300 (inside the edit box, left of the group box, buttons after it).
    c->CentreClient = POINT{300, 100000};
    SIZE size = WindowSize(dialog);
    SetWindowPos(dialog, nullptr, 0, 0, size.cx + 100, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    auto grown = Snapshot(dialog);
    auto width = [](const RECT& r) { return r.right - r.left; };
    EXPECT_EQ(start[idEdit].left, grown[idEdit].left);  // 210..410 spans 300: widens
    EXPECT_EQ(width(start[idEdit]) + 100, width(grown[idEdit]));
    EXPECT_EQ(start[idList].left, grown[idList].left);  // 210..350 spans it too
    EXPECT_EQ(width(start[idList]) + 100, width(grown[idList]));
    EXPECT_EQ(start[idGroup].left + 100, grown[idGroup].left);  // starts after it: moves
    EXPECT_EQ(width(start[idGroup]), width(grown[idGroup]));
    EXPECT_EQ(start[idOk].left + 100, grown[idOk].left);
    // All anchors: the sub form keeps its width.
    EXPECT_EQ(200, ClientRectOfWindow(sub->GetHandle()).right);
    EXPECT_EQ(200u, opened.Unit->GetNowEdgeSpace()->GetLeftSpace());

    // Without faLeft the growth goes to the left space: the controls only move right.
    opened.Unit->SetSubFormAnchors(SubFormAnchors({faTop, faRight, faBottom}));
    auto moved = Snapshot(dialog);
    EXPECT_EQ(300u, opened.Unit->GetNowEdgeSpace()->GetLeftSpace());
    EXPECT_EQ(300, ClientRectOfWindow(sub->GetHandle()).right);
    EXPECT_EQ(start[idEdit].left + 100, moved[idEdit].left);
    EXPECT_EQ(width(start[idEdit]), width(moved[idEdit]));
    EXPECT_EQ(start[idGroup].left + 100, moved[idGroup].left);

    // A pass in which nothing changed collects and queues nothing.
    c->RectQueries = 0;
    c->Queued = 0;
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_EQ(0, c->RectQueries);
    EXPECT_EQ(0, c->Queued);
    opened.Close();
    FreeObject(sub);
}

// A fixed customizer whose split point follows the dialog's controls, as the real dialogs'
// split points do: 190 right of the edit box's left edge, 60 below the list's top edge.
struct LiveSplitCustomizer : TestFixedCustomizer {
    bool CalcDialogCenterLine(TPoint& point) override
    {
        RECT edit, list;
        GetWindowRect(GetDlgItem(FHandle, idEdit), &edit);
        GetWindowRect(GetDlgItem(FHandle, idList), &list);
        point = TPoint{edit.left + 190, list.top + 60};
        return true;
    }
};

// Where a template control goes when the controls rectangle starts at (l0, t0), the split
// point lies at template (200, 100), the rectangle grows by (dw, dh) and moves by (dx, dy).
RECT ExpectedPlace(RECT r, int l0, int t0, int dx, int dy, int dw, int dh)
{
    OffsetRect(&r, l0, t0);
    const int cx = 200 + l0, cy = 100 + t0;
    if (dw != 0) {
        if (r.left < cx && cx < r.right)
            r.right += dw;
        else if (cx <= r.left)
            OffsetRect(&r, dw, 0);
    }
    if (dh != 0) {
        if (r.top < cy && cy < r.bottom)
            r.bottom += dh;
        else if (cy <= r.top)
            OffsetRect(&r, 0, dh);
    }
    OffsetRect(&r, dx, dy);
    return r;
}

TEST(FixedCustomizerTest, EveryControlAndTheSubFormFollowTheLayoutRulesAtEveryPosition)
{
    struct Case {
        TSubFormPos Pos;
        TSubFormAnchors Anchors;
        unsigned Min[4];
        unsigned Start[4];  // edge spaces at the minimum size
        unsigned Grown[4];  // after growing by 100 x 60
    };
    const TSubFormAnchors all = AllSubFormAnchors;
    const Case cases[] = {
        {fpLeft, all, {0, 0, 0, 0}, {120, 0, 0, 0}, {120, 0, 0, 0}},
        {fpLeft, SubFormAnchors({faTop, faRight, faBottom}), {0, 0, 0, 0}, {120, 0, 0, 0}, {220, 0, 0, 0}},
        {fpRight, all, {0, 0, 0, 0}, {0, 0, 120, 0}, {0, 0, 120, 0}},
        {fpRight, SubFormAnchors({faLeft, faTop, faBottom}), {0, 0, 0, 0}, {0, 0, 120, 0}, {0, 0, 220, 0}},
        {fpTop, all, {0, 0, 0, 0}, {0, 90, 0, 0}, {0, 90, 0, 0}},
        {fpBottom, all, {0, 0, 0, 0}, {0, 0, 0, 90}, {0, 0, 0, 90}},
        {fpBottom, SubFormAnchors({faLeft, faTop, faRight}), {0, 0, 0, 0}, {0, 0, 0, 90}, {0, 0, 0, 150}},
        {fpClient, all, {10, 10, 10, 10}, {10, 10, 10, 10}, {10, 10, 10, 10}},
        // 100 x 10 / 40 = 25 and 60 x 20 / 60 = 20 go left and up, the rest right and down.
        {fpClient, 0, {10, 20, 30, 40}, {10, 20, 30, 40}, {35, 40, 105, 80}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "position " << int(k.Pos) << " anchors " << int(k.Anchors));
        Opened opened;
        TForm* sub = NewSubForm(120, 90);
        opened.Unit->SetSubFormAllProperties(sub, k.Pos, k.Anchors);
        opened.Unit->GetMinEdgeSpace()->SetAllEdgeSpace(k.Min[0], k.Min[1], k.Min[2], k.Min[3]);
        opened.Unit->SetDialogSizing(true);
        auto* c = new LiveSplitCustomizer;
        opened.Open(c, false);
        opened.Unit->StartCustomize();
        HWND dialog = opened.Dialog;
        TPoint min = c->GetMinDialogSizeValue();
        ASSERT_EQ(min.x, WindowSize(dialog).cx);
        ASSERT_EQ(min.y, WindowSize(dialog).cy);

        auto check = [&](const unsigned spaces[4], int dx, int dy, int dw, int dh) {
            const TDialogEdgeSpace* now = opened.Unit->GetNowEdgeSpace();
            EXPECT_EQ(spaces[0], now->GetLeftSpace());
            EXPECT_EQ(spaces[1], now->GetTopSpace());
            EXPECT_EQ(spaces[2], now->GetRightSpace());
            EXPECT_EQ(spaces[3], now->GetBottomSpace());
            for (const ControlPlace& place : ControlPlaces()) {
                if (place.Id == idSizeGrip)
                    continue;
                RECT want = ExpectedPlace(place.Rect, int(k.Start[0]), int(k.Start[1]), dx, dy, dw, dh);
                RECT got = ClientRectOf(dialog, place.Id);
                EXPECT_TRUE(EqualRect(&want, &got))
                    << "control " << place.Id << ": " << got.left << "," << got.top << "," << got.right << ","
                    << got.bottom << " instead of " << want.left << "," << want.top << "," << want.right << ","
                    << want.bottom;
            }
            SIZE client = ClientSize(dialog);
            RECT controls = {int(spaces[0]), int(spaces[1]), client.cx - int(spaces[2]), client.cy - int(spaces[3])};
            RECT wantSub = {0, 0, client.cx, client.cy};
            switch (k.Pos) {
            case fpLeft: wantSub.right = controls.left; break;
            case fpRight: wantSub.left = controls.right; break;
            case fpTop: wantSub.bottom = controls.top; break;
            case fpBottom: wantSub.top = controls.bottom; break;
            case fpClient: break;
            }
            RECT gotSub = ClientRectOfWindow(sub->GetHandle());
            EXPECT_TRUE(EqualRect(&wantSub, &gotSub)) << gotSub.left << "," << gotSub.top << "," << gotSub.right
                                                      << "," << gotSub.bottom;
            RECT grip = ClientRectOfWindow(c->GetGrip()->GetHandle());
            EXPECT_EQ(client.cx - 16, grip.left);
            EXPECT_EQ(client.cy - 16, grip.top);
        };
        check(k.Start, 0, 0, 0, 0);

        SetWindowPos(dialog, nullptr, 0, 0, min.x + 100, min.y + 60, SWP_NOMOVE | SWP_NOZORDER);
        const int dx = int(k.Grown[0]) - int(k.Start[0]);
        const int dy = int(k.Grown[1]) - int(k.Start[1]);
        const int dw = 100 - dx - (int(k.Grown[2]) - int(k.Start[2]));
        const int dh = 60 - dy - (int(k.Grown[3]) - int(k.Start[3]));
        check(k.Grown, dx, dy, dw, dh);

        // Back to the minimum: everything returns to its first place.
        SetWindowPos(dialog, nullptr, 0, 0, min.x, min.y, SWP_NOMOVE | SWP_NOZORDER);
        check(k.Start, 0, 0, 0, 0);

        // Closed at the grown size, opened again: the same layout in one pass.
        SetWindowPos(dialog, nullptr, 0, 0, min.x + 100, min.y + 60, SWP_NOMOVE | SWP_NOZORDER);
        opened.Close();
        c = new LiveSplitCustomizer;
        opened.Open(c, false);
        opened.Unit->StartCustomize();
        EXPECT_EQ(min.x + 100, WindowSize(opened.Dialog).cx);
        dialog = opened.Dialog;
        check(k.Grown, dx, dy, dw, dh);
        opened.Close();
        FreeObject(sub);
    }
}

TEST(FixedCustomizerTest, DraggingTheGripResizesTheDialogAndLaysItOut)
{
    Opened opened;
    TForm* sub = NewSubForm(120, 90);
    opened.Unit->SetSubFormPos(fpRight);
    opened.Unit->SetSubForm(sub);
    opened.Unit->SetDialogSizing(true);
    auto* c = new TestFixedCustomizer;
    c->HasCentre = false;
    opened.Open(c, false);
    opened.Unit->StartCustomize();
    HWND dialog = opened.Dialog;
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    Pump();
    SIZE before = WindowSize(dialog);
    RECT grip;
    GetWindowRect(c->GetGrip()->GetHandle(), &grip);
    // A hand on the mouse, from another thread: press on the grip, drag 60 right and 40 down,
    // let go. This thread runs the platform's sizing loop meanwhile.
    std::atomic<bool> done{false};
    std::thread hand([&] {
        SetCursorPos(grip.left + 8, grip.top + 8);
        Sleep(100);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        for (int i = 1; i <= 4; ++i) {
            Sleep(50);
            SetCursorPos(grip.left + 8 + 15 * i, grip.top + 8 + 10 * i);
        }
        Sleep(100);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        Sleep(100);
        done = true;
    });
    while (!done) {
        Pump();
        Sleep(10);
    }
    hand.join();
    Pump();
    SIZE after = WindowSize(dialog);
    EXPECT_EQ(before.cx + 60, after.cx);
    EXPECT_EQ(before.cy + 40, after.cy);
    SIZE client = ClientSize(dialog);
    RECT g = ClientRectOfWindow(c->GetGrip()->GetHandle());
    EXPECT_EQ(client.cx - 16, g.left);
    EXPECT_EQ(client.cy - 16, g.top);
    RECT s = ClientRectOfWindow(sub->GetHandle());
    EXPECT_EQ(client.cx - 120, s.left);
    EXPECT_EQ(client.cy, s.bottom);
    opened.Close();
    FreeObject(sub);
}

TEST(FixedCustomizerTest, ControlsOfTextHeightMoveWholeAcrossTheSplitAndMovedPlacesRepaint)
{
    enum Outcome { Stays, Moves, Grows };
    const struct {
        const char* Class;
        DWORD Style;
        int Top, Bottom;  // client y; the split lies at 100
        Outcome Expected;
    } cases[] = {
        {"BUTTON", BS_AUTOCHECKBOX, 88, 106, Stays},      // its middle above the split
        {"BUTTON", BS_AUTORADIOBUTTON, 96, 112, Moves},   // its middle at or below it
        {"BUTTON", BS_PUSHBUTTON, 80, 105, Stays},
        {"BUTTON", BS_PUSHBUTTON, 90, 110, Moves},        // middle exactly on the split
        {"STATIC", SS_LEFT, 94, 110, Moves},
        {"COMBOBOX", CBS_DROPDOWNLIST, 93, 300, Moves},   // the box is its edit line, well over 14 high
        {"BUTTON", BS_GROUPBOX, 50, 150, Grows},
        {"LISTBOX", LBS_NOINTEGRALHEIGHT, 60, 140, Grows},
        {"EDIT", ES_MULTILINE, 70, 130, Grows},
        {"SysTreeView32", 0, 80, 120, Grows},
        {"SysListView32", LVS_REPORT, 85, 125, Grows},
        {"STATIC", SS_LEFT, 120, 136, Moves},             // below the split: every kind moves
        {"LISTBOX", LBS_NOINTEGRALHEIGHT, 20, 60, Stays}, // above it: every kind stays
    };
    Opened opened;
    opened.Unit->SetDialogSizing(true);
    auto* c = new TestFixedCustomizer;
    c->CentreClient = POINT{100000, 100};
    opened.Open(c, false, 1000, 300);
    HWND dialog = opened.Dialog;
    std::vector<HWND> made;
    int x = 400;
    for (const auto& k : cases) {
        made.push_back(CreateWindowExA(0, k.Class, "text", WS_CHILD | WS_VISIBLE | k.Style, x, k.Top, 40,
                                       k.Bottom - k.Top, dialog, nullptr, GetModuleHandleA(nullptr), nullptr));
        ASSERT_NE(nullptr, made.back()) << k.Class;
        x += 45;
    }
    opened.Unit->StartCustomize();
    ShowWindow(dialog, SW_SHOWNA);
    Pump();
    std::vector<RECT> before;
    for (HWND w : made)
        before.push_back(ClientRectOfWindow(w));
    ValidateRect(dialog, nullptr);

    const SIZE size = WindowSize(dialog);
    SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy + 40, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HRGN invalid = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(dialog, invalid, FALSE);
    for (size_t i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(testing::Message() << cases[i].Class << " " << cases[i].Top << ".." << cases[i].Bottom);
        RECT want = before[i];
        if (cases[i].Expected == Moves)
            OffsetRect(&want, 0, 40);
        else if (cases[i].Expected == Grows)
            want.bottom += 40;
        const RECT got = ClientRectOfWindow(made[i]);
        EXPECT_TRUE(EqualRect(&want, &got)) << got.top << ".." << got.bottom;
        // What moved is painted afresh where it was and where it is; what stayed is not.
        const POINT was = {(before[i].left + before[i].right) / 2, before[i].top + 1};
        EXPECT_EQ(cases[i].Expected != Stays, PtInRegion(invalid, was.x, was.y) != FALSE);
    }
    DeleteObject(invalid);
    opened.Close();
}

TEST(FixedCustomizerTest, SwappingTheSubFormWhileOpenRestoresTheOldOneAndEmbedsTheNew)
{
    Opened opened;
    TForm* first = NewSubForm(120, 90);
    TForm* second = NewSubForm(150, 60);
    opened.Unit->SetSubFormPos(fpLeft);
    opened.Unit->SetSubForm(first);
    auto* c = new TestFixedCustomizer;
    c->HasCentre = false;
    opened.Open(c, false);
    opened.Unit->StartCustomize();
    HWND dialog = opened.Dialog;
    const TPoint init = c->GetInitDialogSize();
    EXPECT_EQ(130, ClientRectOf(dialog, idEdit).left);

    opened.Unit->SetSubForm(second);
    EXPECT_EQ(second, c->GetEmbeddedForm());
    EXPECT_EQ(nullptr, GetParent(first->GetHandle()));
    EXPECT_EQ(bsSizeable, first->GetBorderStyle());
    EXPECT_FALSE(first->GetVisible());
    EXPECT_EQ(dialog, GetParent(second->GetHandle()));
    EXPECT_EQ(bsNone, second->GetBorderStyle());
    EXPECT_EQ(init.x + 150, c->GetMinDialogSizeValue().x);
    EXPECT_EQ(init.x + 150, WindowSize(dialog).cx);  // grown to its new minimum at once
    EXPECT_EQ(160, ClientRectOf(dialog, idEdit).left);
    RECT s = ClientRectOfWindow(second->GetHandle());
    EXPECT_EQ(0, s.left);
    EXPECT_EQ(150, s.right);

    opened.Unit->SetSubForm(nullptr);
    EXPECT_EQ(nullptr, c->GetEmbeddedForm());
    EXPECT_EQ(nullptr, GetParent(second->GetHandle()));
    EXPECT_EQ(bsSizeable, second->GetBorderStyle());
    EXPECT_EQ(10, ClientRectOf(dialog, idEdit).left);
    opened.Close();
    FreeObject(first);
    FreeObject(second);
}

TEST(FixedCustomizerTest, SplitPointOnAControlsEdge)
{
    // A control that starts at the split moves; one that ends at it stays.
    struct Case {
        POINT Centre;  // client coordinates
        std::map<int, RECT> Want;
    };
    const Case cases[] = {
        {{160, 170},
         {{idEdit, {10, 10, 240, 30}},
          {idList, {10, 40, 150, 160}},
          {idGroup, {190, 40, 330, 160}},
          {idScroll, {10, 190, 330, 206}},
          {idOk, {340, 10, 410, 35}},
          {idCancel, {340, 45, 410, 70}}}},
        {{150, 160},
         {{idEdit, {10, 10, 240, 30}},
          {idList, {10, 40, 150, 160}},
          {idGroup, {190, 40, 330, 160}},
          {idScroll, {10, 190, 330, 206}},
          {idOk, {340, 10, 410, 35}},
          {idCancel, {340, 45, 410, 70}}}},
    };
    for (const Case& k : cases) {
        Opened opened;
        auto* c = new TestFixedCustomizer;
        opened.Open(c, false);
        opened.Unit->StartCustomize();
        TList list;
        c->GetDlgControlsHandle(&list);
        POINT centre = k.Centre;
        ClientToScreen(opened.Dialog, &centre);
        HDWP batch = BeginDeferWindowPos(list.Count());
        batch = c->SetDialogControlsPosition(batch, &list, centre, 0, 0, 30, 20);
        ASSERT_NE(nullptr, batch);
        EndDeferWindowPos(batch);
        for (const auto& [id, want] : k.Want) {
            RECT got = ClientRectOf(opened.Dialog, id);
            EXPECT_TRUE(EqualRect(&want, &got)) << "split " << k.Centre.x << "," << k.Centre.y << " control " << id
                                                << ": " << got.left << "," << got.top << "," << got.right << ","
                                                << got.bottom;
        }
        // Only the list box stays where it was, and only it is not queued.
        EXPECT_EQ(5, c->Queued);
        opened.Close();
    }
}

TEST(FixedCustomizerTest, WithoutASplitPointControlsOnlyFollowAShift)
{
    Opened opened;
    TForm* sub = NewSubForm(100, 50);
    opened.Unit->SetSubFormPos(fpTop);
    opened.Unit->SetSubForm(sub);
    opened.Unit->SetDialogSizing(true);
    auto* c = new TestFixedCustomizer;
    c->HasCentre = false;
    opened.Open(c, false);
    opened.Unit->StartCustomize();
    auto start = Snapshot(opened.Dialog);
    EXPECT_EQ(60, start[idEdit].top);  // shifted down under the 50 high strip
    SIZE size = WindowSize(opened.Dialog);
    SetWindowPos(opened.Dialog, nullptr, 0, 0, size.cx + 80, size.cy + 40, SWP_NOMOVE | SWP_NOZORDER);
    auto after = Snapshot(opened.Dialog);
    for (auto& [id, r] : start) {
        if (id == idSizeGrip)
            continue;
        EXPECT_TRUE(EqualRect(&r, &after[id])) << id;
    }
    opened.Close();
    FreeObject(sub);
}

TEST(DialogCustomizerTest, EmbeddedSubFormLiesUnderTheDialogsControls)
{
    // Around the controls (fpClient) the sub form must not cover them or take their clicks.
    for (bool fixed : {true, false}) {
        SCOPED_TRACE(fixed ? "fixed" : "sizing");
        Opened opened;
        TForm* sub = NewSubForm(120, 90);
        opened.Unit->SetSubForm(sub);
        opened.Unit->SetMinEdgeSpace(std::make_unique<TDialogEdgeSpace>(10, 10, 10, 10).get());
        opened.Unit->SetDialogSizing(true);
        if (fixed)
            opened.Open(new TestFixedCustomizer, false);
        else
            opened.Open(new TestSizingCustomizer, true);
        opened.Unit->StartCustomize();
        ASSERT_EQ(opened.Dialog, GetParent(sub->GetHandle()));
        for (int id : {int(idEdit), int(idList), int(idOk), int(idCancel), int(idScroll)}) {
            RECT r = ClientRectOf(opened.Dialog, id);
            POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            EXPECT_EQ(GetDlgItem(opened.Dialog, id), ChildWindowFromPointEx(opened.Dialog, centre, CWP_SKIPINVISIBLE))
                << id;
        }
        if (fixed) {
            HWND grip = static_cast<TestFixedCustomizer*>(opened.Customizer)->GetGrip()->GetHandle();
            RECT g = ClientRectOfWindow(grip);
            EXPECT_EQ(grip, ChildWindowFromPointEx(opened.Dialog, POINT{g.left + 8, g.top + 8}, CWP_SKIPINVISIBLE));
        }
        opened.Close();
        FreeObject(sub);
    }
}

TEST(DialogCustomizerTest, ClosingRestoresTheSubFormAndTheWindowProcedure)
{
    Opened opened;
    TForm* sub = NewSubForm(200, 150);
    sub->SetBounds(70, 80, sub->GetWidth(), sub->GetHeight());
    RECT bounds = sub->GetBoundsRect();
    opened.Unit->SetSubFormPos(fpBottom);
    opened.Unit->SetSubForm(sub);
    HWND dialog = CreateTestDialog(false);
    ProbeOldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProbeProc)));
    LONG_PTR oldProc = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
    opened.Dialog = dialog;
    auto* c = new TestFixedCustomizer;
    opened.Customizer = c;
    opened.Unit->RegistDialog(dialog, c);
    EXPECT_NE(oldProc, GetWindowLongPtrA(dialog, GWLP_WNDPROC));
    EXPECT_EQ(bsNone, sub->GetBorderStyle());
    opened.Unit->StartCustomize();
    EXPECT_EQ(dialog, GetParent(sub->GetHandle()));
    EXPECT_EQ(bsNone, sub->GetBorderStyle());
    EXPECT_EQ(ClientSize(dialog).cx, sub->GetWidth());
    EXPECT_EQ(150, sub->GetHeight());
    EXPECT_EQ(ClientSize(dialog).cy, ClientRectOfWindow(sub->GetHandle()).bottom);
    SetWindowPos(dialog, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_NE(0u, opened.Unit->GetNowEdgeSpace()->GetBottomSpace());

    // Watch the destruction from a layer under the customizer: by the time WM_DESTROY gets
    // there, the customizer has put that layer back as the window's procedure.
    ProbeProcAtDestroy = 0;
    DestroyWindow(dialog);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&ProbeProc), ProbeProcAtDestroy);
    EXPECT_EQ(0, c->GetState());
    EXPECT_EQ(nullptr, opened.Unit->GetHandle());
    EXPECT_EQ(123, opened.Unit->GetPosition().x);
    EXPECT_EQ(45, opened.Unit->GetPosition().y);
    EXPECT_EQ(-1, opened.Unit->GetDialogSize().x);  // fixed and not resizable: no size
    const TDialogEdgeSpace* now = opened.Unit->GetNowEdgeSpace();
    EXPECT_EQ(0u, now->GetLeftSpace() + now->GetTopSpace() + now->GetRightSpace() + now->GetBottomSpace());
    EXPECT_EQ(nullptr, GetParent(sub->GetHandle()));
    EXPECT_FALSE(GetWindowLongA(sub->GetHandle(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(bsSizeable, sub->GetBorderStyle());
    EXPECT_TRUE(GetWindowLongA(sub->GetHandle(), GWL_STYLE) & WS_THICKFRAME);
    RECT restored = sub->GetBoundsRect();
    EXPECT_TRUE(EqualRect(&bounds, &restored));
    EXPECT_EQ(wsNormal, sub->GetWindowState());
    EXPECT_FALSE(sub->GetVisible());
    opened.Dialog = nullptr;
    delete opened.Customizer;
    opened.Customizer = nullptr;

    // The next opening goes back to the recorded place.
    opened.Open(new TestFixedCustomizer, false);
    opened.Unit->StartCustomize();
    RECT r;
    GetWindowRect(opened.Dialog, &r);
    EXPECT_EQ(123, r.left);
    EXPECT_EQ(45, r.top);
    opened.Close();
    FreeObject(sub);
}

TEST(DialogCustomizerTest, ComponentLayerFreesTheCustomizerInsideTheDestructionMessage)
{
    // The components' own flow: their hook sits under the customizer's and, when WM_DESTROY
    // reaches it, frees the customizer whose thunk is still dispatching that message.
    for (bool fixed : {true, false}) {
        SCOPED_TRACE(fixed ? "fixed" : "sizing");
        Opened opened;
        TForm* sub = NewSubForm(120, 90);
        opened.Unit->SetSubFormPos(fpTop);
        opened.Unit->SetSubForm(sub);
        opened.Unit->SetDialogSizing(true);
        HWND dialog = CreateTestDialog(!fixed);
        struct Component {
            WNDPROC Old = nullptr;
            HWND Window = nullptr;
            TDialogCustomizer** Customizer = nullptr;
            std::vector<UINT> Seen;
        } component;
        component.Window = dialog;
        component.Customizer = &opened.Customizer;
        void* hook = MakeObjectInstance([&component](TMessage& m) {
            if (m.Msg == WM_DESTROY || m.Msg == WM_NCDESTROY)
                component.Seen.push_back(m.Msg);
            if (m.Msg == WM_DESTROY) {
                delete *component.Customizer;
                *component.Customizer = nullptr;
            }
            m.Result = CallWindowProcA(component.Old, component.Window, m.Msg, m.WParam, m.LParam);
        });
        component.Old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook)));
        opened.Dialog = dialog;
        opened.Customizer = fixed ? static_cast<TDialogCustomizer*>(new TestFixedCustomizer)
                                  : static_cast<TDialogCustomizer*>(new TestSizingCustomizer);
        opened.Unit->RegistDialog(dialog, opened.Customizer);
        opened.Unit->StartCustomize();
        SetWindowPos(dialog, nullptr, 210, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SIZE size = WindowSize(dialog);

        EXPECT_TRUE(DestroyWindow(dialog));
        opened.Dialog = nullptr;
        EXPECT_EQ(nullptr, opened.Customizer);
        EXPECT_EQ((std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}), component.Seen);
        EXPECT_EQ(nullptr, opened.Unit->GetHandle());
        EXPECT_EQ(210, opened.Unit->GetPosition().x);
        EXPECT_EQ(120, opened.Unit->GetPosition().y);
        EXPECT_EQ(size.cx, opened.Unit->GetDialogSize().x);
        EXPECT_EQ(nullptr, GetParent(sub->GetHandle()));
        EXPECT_EQ(bsSizeable, sub->GetBorderStyle());
        FreeObjectInstance(hook);
        FreeObject(sub);
    }
}

TEST(DialogCustomizerTest, SubFormDestroyedWhileEmbeddedIsLeftAlone)
{
    for (bool fixed : {true, false}) {
        Opened opened;
        TForm* sub = NewSubForm(200, 150);
        opened.Unit->SetSubFormPos(fpLeft);
        opened.Unit->SetSubForm(sub);
        auto* fixedCustomizer = new TestFixedCustomizer;
        fixedCustomizer->HasCentre = false;  // the controls only follow the shift
        TDialogCustomizer* c = fixed ? static_cast<TDialogCustomizer*>(fixedCustomizer)
                                     : static_cast<TDialogCustomizer*>(new TestSizingCustomizer);
        if (!fixed)
            delete fixedCustomizer;
        opened.Open(c, !fixed);
        opened.Unit->StartCustomize();
        ASSERT_EQ(sub, c->GetEmbeddedForm());
        FreeObject(sub);
        EXPECT_EQ(nullptr, opened.Unit->GetSubForm());
        EXPECT_EQ(nullptr, c->GetEmbeddedForm());
        if (fixed) {
            // Laid out again without it: the controls go back to the left edge.
            EXPECT_EQ(10, ClientRectOf(opened.Dialog, idEdit).left);
            EXPECT_EQ(400, c->GetMinDialogSizeValue().x);
        }
        SetWindowPos(opened.Dialog, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
        opened.Close();  // nothing is restored on the freed form
    }
}

TEST(DialogCustomizerTest, CustomizerFreedWhileItsDialogIsOpenPutsEverythingBack)
{
    Opened opened;
    TForm* sub = NewSubForm(120, 100);
    opened.Unit->SetSubFormPos(fpRight);
    opened.Unit->SetSubForm(sub);
    opened.Unit->SetDialogSizing(true);
    HWND dialog = CreateTestDialog(false);
    LONG_PTR oldProc = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
    opened.Dialog = dialog;
    auto* c = new TestFixedCustomizer;
    opened.Unit->RegistDialog(dialog, c);
    opened.Unit->StartCustomize();
    SetWindowPos(dialog, nullptr, 77, 66, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    delete c;
    EXPECT_EQ(oldProc, GetWindowLongPtrA(dialog, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, opened.Unit->GetHandle());
    EXPECT_EQ(77, opened.Unit->GetPosition().x);
    EXPECT_EQ(nullptr, GetParent(sub->GetHandle()));
    EXPECT_EQ(bsSizeable, sub->GetBorderStyle());
    // The dialog goes on without us; its messages reach nothing freed.
    SetWindowPos(dialog, nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
    opened.Close();
    FreeObject(sub);
}

TEST(DialogCustomizerTest, UnitFreedWhileItsDialogIsOpenLetsTheCustomizerGoFirst)
{
    // A modeless dialog outliving the form its component belonged to: the unit goes, by
    // itself or with its owner, while a fixed customizer with a grip and a sub form is on.
    for (bool throughOwner : {false, true}) {
        SCOPED_TRACE(throughOwner ? "owner freed" : "unit freed");
        auto* owner = new TComponent(nullptr);
        auto* unit = new TCustomDlgsUnit(owner);
        TForm* sub = NewSubForm(120, 90);
        unit->SetSubFormPos(fpRight);
        unit->SetSubForm(sub);
        unit->SetDialogSizing(true);
        HWND dialog = CreateTestDialog(false);
        LONG_PTR oldProc = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
        auto* c = new TestFixedCustomizer;
        unit->RegistDialog(dialog, c);
        unit->StartCustomize();
        HWND grip = c->GetGrip()->GetHandle();
        ASSERT_EQ(dialog, GetParent(sub->GetHandle()));

        if (throughOwner)
            FreeObject(owner);
        else
            FreeObject(unit);
        EXPECT_EQ(oldProc, GetWindowLongPtrA(dialog, GWLP_WNDPROC));
        EXPECT_EQ(nullptr, c->GetDlgsUnit());
        EXPECT_EQ(nullptr, c->GetGrip());
        EXPECT_FALSE(IsWindow(grip));
        EXPECT_EQ(nullptr, GetParent(sub->GetHandle()));
        // The dialog goes on and closes without us; then its component frees the customizer.
        SetWindowPos(dialog, nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_TRUE(DestroyWindow(dialog));
        delete c;
        if (!throughOwner)
            FreeObject(owner);
        FreeObject(sub);
    }
}

TEST(DialogCustomizerTest, ExceptionInMessageHandlingGoesToTheApplicationWithTheUnit)
{
    struct Throwing : TestFixedCustomizer {
        void ChangedDialogSize(const TPoint&) override { throw Exception("layout failed"); }
    };
    std::vector<std::pair<TObject*, AnsiString>> seen;
    Application->OnException = [&](TObject* sender, const AnsiString& message) { seen.emplace_back(sender, message); };
    Opened opened;
    opened.Open(new Throwing, false);
    opened.Unit->StartCustomize();
    Application->OnException = nullptr;
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(opened.Unit.get(), seen[0].first);
    EXPECT_EQ("layout failed", seen[0].second);
    EXPECT_EQ(3, opened.Customizer->GetState());  // the dialog keeps running
    opened.Close();
}

}  // namespace
