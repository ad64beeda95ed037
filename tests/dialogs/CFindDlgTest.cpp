// The customizable find and replace dialogs on the platform's real dialogs: layout at every
// sub-form position and under growth, the group-box style rule, the split point, opening twice,
// closing, reopening and freeing while open, and the designer registration.
#include "TestDialog.h"

#include "dialogs/CFindDlg.h"
#include "framework/DesignRegistry.h"
#include "support/PaletteCheck.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <algorithm>
#include <string>
#include <memory>
#include <vector>

using namespace TestDialogs;

namespace {

// The dialog's own controls in the platform's order, with their client rectangles.
using Places = std::vector<std::pair<int, RECT>>;

struct ControlWalk {
    HWND Dialog;
    std::vector<HWND> Skip;
    Places Found;
};

BOOL CALLBACK AddOwnControl(HWND child, LPARAM param)
{
    auto* walk = reinterpret_cast<ControlWalk*>(param);
    if (GetParent(child) == walk->Dialog && std::find(walk->Skip.begin(), walk->Skip.end(), child) == walk->Skip.end())
        walk->Found.emplace_back(GetDlgCtrlID(child), ClientRectOfWindow(child));
    return TRUE;
}

Places OwnControls(HWND dialog, std::vector<HWND> skip = {})
{
    ControlWalk walk = {dialog, skip, {}};
    EnumChildWindows(dialog, AddOwnControl, reinterpret_cast<LPARAM>(&walk));
    return walk.Found;
}

// The find dialog opened without customization.
struct PlainDialog {
    SIZE Client;
    LONG Style;
    Places Controls;
};

const PlainDialog& PlainFind()
{
    static const PlainDialog plain = [] {
        auto dialogOwned = MakeObject<TFindDialog>(nullptr);
        TFindDialog& dialog = *dialogOwned;
        dialog.Execute();
        HWND window = dialog.GetHandle();
        return PlainDialog{ClientSize(window), GetWindowLongA(window, GWL_STYLE), OwnControls(window)};
    }();
    return plain;
}

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// Top-level windows sent to the bottom of the z-order while it is installed.
std::vector<HWND> BottomCalls;

LRESULT CALLBACK RecordBottomCalls(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGING) {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(call->lParam);
        if (pos->hwndInsertAfter == HWND_BOTTOM && !(pos->flags & SWP_NOZORDER) &&
            !(GetWindowLongA(call->hwnd, GWL_STYLE) & WS_CHILD))
            BottomCalls.push_back(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Records z-order calls during `action`.
template <class Action>
std::vector<HWND> BottomCallsDuring(Action action)
{
    BottomCalls.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordBottomCalls, nullptr, GetCurrentThreadId());
    action();
    UnhookWindowsHookEx(hook);
    return BottomCalls;
}

}  // namespace

TEST(CFindDialogTest, SubFormAtEachPositionAndGrowthWidenAtTheQuarterPoint)
{
    struct Case {
        TSubFormPos Pos;
        LONG Spaces[4];  // left, top, right, bottom edge spaces: the sub form's room
    };
    const Case cases[] = {
        {fpLeft, {120, 0, 0, 0}},   {fpTop, {0, 90, 0, 0}}, {fpRight, {0, 0, 120, 0}},
        {fpBottom, {0, 0, 0, 90}}, {fpClient, {10, 20, 10, 20}},
    };
    const PlainDialog& plain = PlainFind();
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "position " << int(k.Pos));
        TObjectPtr<TForm> sub(NewSubForm(120, 90));
        auto dialogOwned = MakeObject<TCFindDialog>(nullptr);
        TCFindDialog& dialog = *dialogOwned;
        dialog.SetSubForm(sub.get());
        dialog.SetSubFormPos(k.Pos);
        dialog.GetMinEdgeSpace()->SetAllEdgeSpace(10, 20, 10, 20);
        dialog.SetDialogSizing(true);
        ASSERT_TRUE(dialog.Execute());
        HWND window = dialog.GetHandle();
        // Resizable, but the visible group box keeps the children unclipped.
        EXPECT_EQ(WS_THICKFRAME, GetWindowLongA(window, GWL_STYLE) & (WS_THICKFRAME | WS_CLIPCHILDREN));
        const std::vector<HWND> notOwn = {sub->GetHandle(),
                                          static_cast<TFixedDialogCustomizer*>(dialog.GetCustomizer())
                                              ->GetGrip()->GetHandle()};

        // grown: how much wider and higher than at the start.
        auto check = [&](int grownX, int grownY) {
            const SIZE client = ClientSize(window);
            EXPECT_EQ(plain.Client.cx + k.Spaces[0] + k.Spaces[2] + grownX, client.cx);
            EXPECT_EQ(plain.Client.cy + k.Spaces[1] + k.Spaces[3] + grownY, client.cy);
            const RECT controls = {k.Spaces[0], k.Spaces[1], client.cx - k.Spaces[2], client.cy - k.Spaces[3]};
            RECT wantSub = {0, 0, client.cx, client.cy};
            switch (k.Pos) {
            case fpLeft: wantSub.right = controls.left; break;
            case fpRight: wantSub.left = controls.right; break;
            case fpTop: wantSub.bottom = controls.top; break;
            case fpBottom: wantSub.top = controls.bottom; break;
            case fpClient: break;
            }
            const RECT gotSub = ClientRectOfWindow(sub->GetHandle());
            EXPECT_EQ(Text(wantSub), Text(gotSub));

            // The controls shift by the room on the left and top; the find-text box widens by
            // the growth and what starts at or after its quarter point moves; nothing moves down.
            RECT edit = {};
            for (const auto& control : plain.Controls) {
                if (control.first == edt1)
                    edit = control.second;
            }
            OffsetRect(&edit, k.Spaces[0], k.Spaces[1]);
            const int quarter = (3 * edit.left + edit.right) / 4;
            Places want;
            for (const auto& control : plain.Controls) {
                RECT r = control.second;
                OffsetRect(&r, k.Spaces[0], k.Spaces[1]);
                if (r.left < quarter && quarter < r.right)
                    r.right += grownX;
                else if (quarter <= r.left)
                    OffsetRect(&r, grownX, 0);
                want.emplace_back(control.first, r);
            }
            const Places got = OwnControls(window, notOwn);
            ASSERT_EQ(want.size(), got.size());
            for (size_t i = 0; i < want.size(); ++i) {
                EXPECT_EQ(want[i].first, got[i].first);
                EXPECT_EQ(Text(want[i].second), Text(got[i].second)) << "control " << got[i].first;
            }
        };
        check(0, 0);
        RECT r;
        GetWindowRect(window, &r);
        SetWindowPos(window, nullptr, 0, 0, r.right - r.left + 60, r.bottom - r.top + 40, SWP_NOMOVE | SWP_NOZORDER);
        check(60, 40);
    }
}

TEST(CFindDialogTest, QuarterPointTruncatesTowardZero)
{
    auto dialogOwned = MakeObject<TCFindDialog>(nullptr);
    TCFindDialog& dialog = *dialogOwned;
    dialog.SetDialogSizing(true);
    // Without a sub form, opening sends no window to the bottom of the z-order.
    EXPECT_TRUE(BottomCallsDuring([&] { ASSERT_TRUE(dialog.Execute()); }).empty());
    HWND window = dialog.GetHandle();
    // The find-text box from x = -10 to x = 1 on the screen: its quarter point is -29 / 4 = -7.
    HWND edit = GetDlgItem(window, edt1);
    RECT box = ClientRectOf(window, edt1), outer;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    GetWindowRect(window, &outer);
    const int shift = -10 - (origin.x + box.left);
    SetWindowPos(window, nullptr, outer.left + shift, outer.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    origin.x += shift;
    MoveWindow(edit, box.left, box.top, 11, box.bottom - box.top, FALSE);
    // One control spans the point (starts at -8), one starts on it (-7).
    auto place = [&](int screenLeft) {
        return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, screenLeft - origin.x, 0, 60, 5, window,
                               nullptr, nullptr, nullptr);
    };
    HWND spanning = place(-8), starting = place(-7);

    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + 30, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(edit, &r);
    EXPECT_EQ(-10, r.left);
    EXPECT_EQ(31, r.right);
    GetWindowRect(spanning, &r);
    EXPECT_EQ(-8, r.left);
    EXPECT_EQ(82, r.right);
    GetWindowRect(starting, &r);
    EXPECT_EQ(23, r.left);
    EXPECT_EQ(83, r.right);
}

TEST(CFindDialogTest, SecondExecuteWhileOpenLeavesEverythingAsItIs)
{
    TObjectPtr<TForm> sub(NewSubForm(120, 90));
    auto dialogOwned = MakeObject<TCFindDialog>(nullptr);
    TCFindDialog& dialog = *dialogOwned;
    dialog.SetSubForm(sub.get());
    dialog.SetSubFormPos(fpRight);
    EXPECT_EQ((std::vector<HWND>{sub->GetHandle()}), BottomCallsDuring([&] { ASSERT_TRUE(dialog.Execute()); }));
    HWND window = dialog.GetHandle();
    // Not resizable: the group-box rule clears a bit that is not set, the style stays the platform's.
    EXPECT_EQ(PlainFind().Style, GetWindowLongA(window, GWL_STYLE));
    TDialogCustomizer* customizer = dialog.GetCustomizer();
    const RECT place = ClientRectOfWindow(sub->GetHandle());

    bool again = false;
    EXPECT_TRUE(BottomCallsDuring([&] { again = dialog.Execute(); }).empty());
    EXPECT_TRUE(again);
    EXPECT_EQ(window, dialog.GetHandle());
    EXPECT_EQ(customizer, dialog.GetCustomizer());
    EXPECT_EQ(Text(place), Text(ClientRectOfWindow(sub->GetHandle())));
}

template <class T>
void CloseReopenAndFree()
{
    TObjectPtr<TForm> sub(NewSubForm(120, 90));
    auto dialog = MakeObject<T>(nullptr);
    dialog->SetSubForm(sub.get());
    dialog->SetDialogSizing(true);
    std::vector<bool> customizerAtClose;
    dialog->OnClose = [&](TObject*) { customizerAtClose.push_back(dialog->GetCustomizer() != nullptr); };
    ASSERT_TRUE(dialog->Execute());
    // Resizable; only the find dialog's group box turns the clipping of children off.
    const LONG style = GetWindowLongA(dialog->GetHandle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_EQ(GetDlgItem(dialog->GetHandle(), grp1) == nullptr, (style & WS_CLIPCHILDREN) != 0);
    SetWindowPos(dialog->GetHandle(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageA(GetDlgItem(dialog->GetHandle(), IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(std::vector<bool>{true}, customizerAtClose);
    EXPECT_EQ(nullptr, dialog->GetCustomizer());
    EXPECT_EQ(nullptr, GetParent(sub->GetHandle()));

    // A fresh customizer on the new window, which goes where the last one was.
    ASSERT_TRUE(dialog->Execute());
    HWND window = dialog->GetHandle();
    ASSERT_NE(nullptr, dialog->GetCustomizer());
    EXPECT_EQ(window, dialog->GetCustomizer()->GetHandle());
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(123, r.left);
    EXPECT_EQ(45, r.top);
    EXPECT_EQ(window, GetParent(sub->GetHandle()));

    // Freed while open: the window goes, OnClose fires once, the sub form is the caller's again.
    int closes = 0;
    dialog->OnClose = [&](TObject*) { ++closes; };
    dialog.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, closes);
    EXPECT_EQ(nullptr, GetParent(sub->GetHandle()));
    EXPECT_EQ(bsSizeable, sub->GetBorderStyle());
}

TEST(CFindDialogTest, CloseReopenAndFreeWhileOpen)
{
    CloseReopenAndFree<TCFindDialog>();
    CloseReopenAndFree<TCReplaceDialog>();
}

TEST(CFindDialogTest, RegisterPutsBothOnDialogsWithTheirVisualProperties)
{
    ClearDesignRegistry();
    CFindDlg::Register();
    const std::vector<std::string> made = MadeFromPalette("Dialogs");
    EXPECT_EQ((std::vector<std::string>{"TCFindDialog", "TCReplaceDialog"}), made);
    EXPECT_EQ((std::vector<std::string>{"TCFindDialog.SubFormPos", "TCFindDialog.SubFormAnchors",
                                        "TCFindDialog.MinEdgeSpace", "TCReplaceDialog.SubFormPos",
                                        "TCReplaceDialog.SubFormAnchors", "TCReplaceDialog.MinEdgeSpace"}),
              FiledProperties(sVisualCategoryName, made));
    ClearDesignRegistry();
}
