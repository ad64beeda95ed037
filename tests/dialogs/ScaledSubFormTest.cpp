// A sub form beside the platform's find and open dialogs keeps its relation to them at every
// screen resolution: it is scaled as the dialog is, and no control of the dialog lies on it.
// The harness runs this suite at 96, 144 and 192 pixels per inch.
#include "TestDialog.h"

#include "dialogs/CFindDlg.h"
#include "dialogs/COpenDlg.h"
#include "dialogs/CSelFDlg.h"
#include "framework/StdCtrls.h"
#include "support/DisplayScale.h"
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>

using namespace TestDialogs;

namespace {

const int DesignWidth = 200;
const int DesignHeight = 160;

// A sub form of DesignWidth x DesignHeight with a label, built in design pixels.
struct SampleSubForm {
    TObjectPtr<TForm> Form;
    TLabel* Label;

    SampleSubForm() : Form(new TForm(nullptr))
    {
        Form->SetBorderStyle(bsSizeable);
        Form->SetClientWidth(DesignWidth);
        Form->SetClientHeight(DesignHeight);
        Label = new TLabel(Form.get());
        Label->SetBounds(8, 8, 100, 16);
        Label->SetParent(Form.get());
        Form->HandleNeeded();
    }
};

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// Runs `check` on each visible control of the dialog's own (its class name, its rectangle in
// the dialog's client area); returns how many there were.
int ForEachOwnControl(HWND dialog, const SampleSubForm& sub, const std::function<void(const char*, HWND, const RECT&)>& check)
{
    int seen = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = "";
        GetClassNameA(child, name, sizeof(name));
        const bool grip = (GetWindowLongA(child, GWL_STYLE) & SBS_SIZEGRIP) != 0 &&
                          (lstrcmpiA(name, "ScrollBar") == 0 || lstrcmpA(name, "TDialogGrip") == 0);
        // The file dialog's hook window spans the dialog without drawing; size grips sit in the corner.
        if (child == sub.Form->GetHandle() || grip || lstrcmpA(name, "#32770") == 0 || !IsWindowVisible(child))
            continue;
        check(name, child, ClientRectOfWindow(child));
        ++seen;
    }
    return seen;
}

// No visible control of the dialog lies on the sub form.
void ExpectNothingOnSubForm(HWND dialog, const SampleSubForm& sub)
{
    const RECT got = ClientRectOfWindow(sub.Form->GetHandle());
    ForEachOwnControl(dialog, sub, [&](const char* name, HWND child, const RECT& control) {
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &control, &got))
            << name << " " << GetDlgCtrlID(child) << " at " << Text(control) << " lies on the sub form " << Text(got);
    });
}

// The sub form at the right of `dialog`: its designed width scaled, the whole client height,
// at least its designed height scaled; its label scaled with it; no visible control of the
// dialog on it.
void ExpectSubFormAtTheRight(HWND dialog, const SampleSubForm& sub)
{
    const SIZE client = ClientSize(dialog);
    const RECT got = ClientRectOfWindow(sub.Form->GetHandle());
    const RECT want = {client.cx - Scaled(DesignWidth), 0, client.cx, client.cy};
    EXPECT_TRUE(EqualRect(&want, &got)) << Text(got) << " instead of " << Text(want);
    EXPECT_GE(client.cy, Scaled(DesignHeight));
    EXPECT_EQ(Scaled(DesignWidth), sub.Form->GetClientWidth());

    RECT label;
    GetWindowRect(sub.Label->GetHandle(), &label);
    MapWindowPoints(nullptr, sub.Form->GetHandle(), reinterpret_cast<POINT*>(&label), 2);
    const RECT wantLabel = {Scaled(8), Scaled(8), Scaled(8) + Scaled(100), Scaled(8) + Scaled(16)};
    EXPECT_TRUE(EqualRect(&wantLabel, &label)) << Text(label);

    ExpectNothingOnSubForm(dialog, sub);
}

}  // namespace

TEST(ScaledSubFormTest, FindDialogTakesTheSubFormScaledAsItIs)
{
    SampleSubForm sub;
    auto dialogOwned = MakeObject<TCFindDialog>(nullptr);
    TCFindDialog& dialog = *dialogOwned;
    dialog.SetSubForm(sub.Form.get());
    dialog.SetSubFormPos(fpRight);
    ASSERT_TRUE(dialog.Execute());
    HWND window = dialog.GetHandle();
    SCOPED_TRACE("find");
    ExpectSubFormAtTheRight(window, sub);
    // Taller than the dialog's own controls: the dialog takes the sub form's scaled height.
    EXPECT_EQ(Scaled(DesignHeight), ClientSize(window).cy);
    dialog.CloseDialog();
}

TEST(ScaledSubFormTest, OpenDialogTakesTheSubFormScaledAsItIs)
{
    TempFolder folder;
    SampleSubForm sub;
    auto dialogOwned = MakeObject<TCOpenDialog>(nullptr);
    TCOpenDialog& dialog = *dialogOwned;
    // The look whose controls the library lays out itself; in the resizable look the platform
    // lays them out again over the whole window when it is resized.
    dialog.SetOptions(dialog.GetOptions().Exclude(ofEnableSizing));
    dialog.SetInitialDir(folder.Path(""));
    dialog.SetSubForm(sub.Form.get());
    dialog.SetSubFormPos(fpRight);
    FileDialogDriver driver;
    driver.Run(dialog, {[&](HWND window) {
                   SCOPED_TRACE("open");
                   ExpectSubFormAtTheRight(window, sub);
                   FileDialogDriver::Cancel(window);
               }});
    EXPECT_FALSE(driver.Stalled);
    EXPECT_TRUE(driver.RanAll()) << driver.StepsRun << " steps ran";
}

// A customized dialog moved to a monitor of another resolution, as the platform tells it, and
// back: at the design resolution to 144 pixels per inch, at a larger one to the design one.
namespace {

// Sends what the platform sends: the new resolution and the old rectangle scaled to it.
void MoveToResolution(HWND dialog, int from, int to)
{
    RECT r;
    GetWindowRect(dialog, &r);
    RECT suggested = {r.left + 5, r.top + 7, r.left + 5 + MulDiv(r.right - r.left, to, from),
                      r.top + 7 + MulDiv(r.bottom - r.top, to, from)};
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    RECT now;
    GetWindowRect(dialog, &now);
    EXPECT_EQ(suggested.left, now.left);
    EXPECT_EQ(suggested.top, now.top);
}

const unsigned MinEdge[4] = {12, 20, 16, 8};

// At `ppi`: the sub form and its label scaled once from design pixels, the minimum size made
// of the dialog's own and the scaled sub form (or edge spaces), nothing of the dialog on it.
void ExpectLayoutAt(HWND dialog, TDialogCustomizer& customizer, const SampleSubForm& sub, TSubFormPos pos, int ppi)
{
    SCOPED_TRACE(ppi);
    auto at = [ppi](int design) { return MulDiv(design, ppi, DesignPixelsPerInch); };
    EXPECT_EQ(ppi, customizer.GetPixelsPerInch());
    EXPECT_EQ(at(100), sub.Label->GetWidth());
    const TPoint init = customizer.GetInitDialogSize();
    const TPoint min = customizer.GetMinDialogSizeValue();
    const TPoint frame = {init.x - customizer.GetInitClientSize().x, init.y - customizer.GetInitClientSize().y};
    const SIZE window = WindowSize(dialog);
    EXPECT_GE(window.cx, min.x);
    EXPECT_GE(window.cy, min.y);
    if (pos == fpClient) {
        const TRect edges = customizer.GetScaledMinEdgeSpace();
        EXPECT_EQ(at(MinEdge[0]) + at(MinEdge[2]), edges.left + edges.right);
        EXPECT_EQ(at(MinEdge[1]) + at(MinEdge[3]), edges.top + edges.bottom);
        EXPECT_EQ(std::max<int>(init.x + edges.left + edges.right, at(DesignWidth) + frame.x), min.x);
        EXPECT_EQ(std::max<int>(init.y + edges.top + edges.bottom, at(DesignHeight) + frame.y), min.y);
        const TDialogEdgeSpace* now = customizer.GetDlgsUnit()->GetNowEdgeSpace();
        EXPECT_GE(now->GetLeftSpace(), static_cast<unsigned>(edges.left));
        EXPECT_GE(now->GetTopSpace(), static_cast<unsigned>(edges.top));
        // The sub form is the background of the whole client area, the controls on it inside
        // the edge spaces.
        const SIZE client = ClientSize(dialog);
        const RECT whole = {0, 0, client.cx, client.cy};
        const RECT got = ClientRectOfWindow(sub.Form->GetHandle());
        EXPECT_TRUE(EqualRect(&whole, &got)) << Text(got);
        const RECT room = {LONG(now->GetLeftSpace()), LONG(now->GetTopSpace()), client.cx - LONG(now->GetRightSpace()),
                           client.cy - LONG(now->GetBottomSpace())};
        const int seen = ForEachOwnControl(dialog, sub, [&](const char* name, HWND child, const RECT& control) {
            RECT both;
            UnionRect(&both, &control, &room);
            EXPECT_TRUE(EqualRect(&both, &room))
                << name << " " << GetDlgCtrlID(child) << " at " << Text(control) << " outside " << Text(room);
        });
        EXPECT_GT(seen, 2);
        return;
    } else {
        const bool across = pos == fpLeft || pos == fpRight;
        const int extent = across ? sub.Form->GetClientWidth() : sub.Form->GetClientHeight();
        EXPECT_EQ(at(across ? DesignWidth : DesignHeight), extent);
        EXPECT_EQ(extent, across ? min.x - init.x : min.y - init.y);
        const RECT got = ClientRectOfWindow(sub.Form->GetHandle());
        const SIZE client = ClientSize(dialog);
        if (pos == fpRight) {
            EXPECT_EQ(client.cx, got.right);
        } else if (pos == fpBottom) {
            EXPECT_EQ(client.cy, got.bottom);
        }
    }
    ExpectNothingOnSubForm(dialog, sub);
}

void RoundTrip(HWND dialog, TDialogCustomizer* customizer, const SampleSubForm& sub, TSubFormPos pos)
{
    ASSERT_NE(nullptr, customizer);
    const int ppi = customizer->GetPixelsPerInch();
    const TPoint min = customizer->GetMinDialogSizeValue();
    // Up from the design resolution, down from a larger one (the screen holds no larger dialog).
    const int other = ppi == DesignPixelsPerInch ? 144 : DesignPixelsPerInch;
    ExpectLayoutAt(dialog, *customizer, sub, pos, ppi);
    MoveToResolution(dialog, ppi, other);
    ExpectLayoutAt(dialog, *customizer, sub, pos, other);
    MoveToResolution(dialog, other, ppi);
    ExpectLayoutAt(dialog, *customizer, sub, pos, ppi);
    // Back where it started, not a pixel off.
    EXPECT_EQ(min.x, customizer->GetMinDialogSizeValue().x);
    EXPECT_EQ(min.y, customizer->GetMinDialogSizeValue().y);
}

// The round trip inside a modal dialog's loop, which is then cancelled.
template <class TDialog>
void RoundTripModal(TDialog& dialog, const SampleSubForm& sub, TSubFormPos pos)
{
    FileDialogDriver driver;
    driver.Run(dialog, {[&](HWND window) {
                   RoundTrip(window, dialog.GetCustomizer(), sub, pos);
                   FileDialogDriver::Cancel(window);
               }});
    EXPECT_FALSE(driver.Stalled);
    EXPECT_TRUE(driver.RanAll()) << driver.StepsRun << " steps ran";
}

}  // namespace

TEST(ScaledSubFormTest, FindDialogFollowsItsResolution)
{
    for (TSubFormPos pos : {fpRight, fpBottom, fpClient}) {
        SCOPED_TRACE(pos);
        SampleSubForm sub;
        auto dialog = MakeObject<TCFindDialog>(nullptr);
        dialog->SetSubForm(sub.Form.get());
        dialog->SetSubFormPos(pos);
        TDialogEdgeSpace minEdge(MinEdge[0], MinEdge[1], MinEdge[2], MinEdge[3]);
        dialog->SetMinEdgeSpace(&minEdge);
        dialog->SetDialogSizing(pos == fpBottom);
        ASSERT_TRUE(dialog->Execute());
        RoundTrip(dialog->GetHandle(), dialog->GetCustomizer(), sub, pos);
        dialog->CloseDialog();
        // Given back at the resolution it was lent at.
        EXPECT_EQ(Scaled(DesignWidth), sub.Form->GetClientWidth());
    }
}

TEST(ScaledSubFormTest, OpenDialogFollowsItsResolution)
{
    TempFolder folder;
    // The look the library lays out itself, and the resizable one that lays out its own controls.
    const std::pair<bool, TSubFormPos> runs[] = {{false, fpLeft}, {true, fpTop}, {true, fpRight}, {true, fpBottom}};
    for (const auto& [sizing, pos] : runs) {
        SCOPED_TRACE(testing::Message() << sizing << " " << pos);
        SampleSubForm sub;
        auto dialog = MakeObject<TCOpenDialog>(nullptr);
        if (!sizing)
            dialog->SetOptions(dialog->GetOptions().Exclude(ofEnableSizing));
        dialog->SetInitialDir(folder.Path(""));
        dialog->SetSubForm(sub.Form.get());
        dialog->SetSubFormPos(pos);
        RoundTripModal(*dialog, sub, pos);
    }
}

TEST(ScaledSubFormTest, FolderBrowserFollowsItsResolution)
{
    for (TSubFormPos pos : {fpLeft, fpTop, fpRight, fpBottom}) {
        SCOPED_TRACE(pos);
        SampleSubForm sub;
        auto dialog = MakeObject<TCSelectFolderDialog>(nullptr);
        // The look that lays its controls out again from the window's edges.
        dialog->SetOptions(static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) | OptionBit(bifNewDialogStyle)));
        dialog->SetSubForm(sub.Form.get());
        dialog->SetSubFormPos(pos);
        RoundTripModal(*dialog, sub, pos);
    }
}
