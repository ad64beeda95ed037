// A sub form beside the platform's find and open dialogs keeps its relation to them at every
// screen resolution: it is scaled as the dialog is, and no control of the dialog lies on it.
// The harness runs this suite at 96, 144 and 192 pixels per inch.
#include "TestDialog.h"

#include "dialogs/CFindDlg.h"
#include "dialogs/COpenDlg.h"
#include "dialogs/CSelFDlg.h"
#include "framework/StdCtrls.h"
#include "support/DialogRescale.h"
#include "support/DisplayScale.h"
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

// How the platform answers a change of resolution beneath the customizer: not at all (as Wine),
// or as Windows' dialog manager does, moving the dialog before or after it rescales the children;
// before Windows 10 1703 the product's opt-outs are not there to honour, and the sub form and the
// grip are rescaled with the rest.
enum class Platform { Wine, MoveFirst, ChildrenFirst, MoveFirstScalingAll, ChildrenFirstScalingAll };
const Platform Platforms[] = {Platform::Wine, Platform::MoveFirst, Platform::ChildrenFirst,
                              Platform::MoveFirstScalingAll, Platform::ChildrenFirstScalingAll};

std::unique_ptr<DialogRescale> Emulate(Platform platform)
{
    if (platform == Platform::Wine)
        return nullptr;
    const bool moveFirst = platform == Platform::MoveFirst || platform == Platform::MoveFirstScalingAll;
    const bool honourOptOuts = platform == Platform::MoveFirst || platform == Platform::ChildrenFirst;
    return std::make_unique<DialogRescale>(
        moveFirst ? DialogRescale::Order::MoveFirst : DialogRescale::Order::ChildrenFirst, honourOptOuts);
}

// The dialog's own visible controls and the room they have beside the sub form.
struct Layout {
    RECT Room;
    std::vector<std::pair<HWND, RECT>> Controls;
};

Layout Capture(HWND dialog, TDialogCustomizer& customizer, const SampleSubForm& sub)
{
    const TDialogEdgeSpace* now = customizer.GetDlgsUnit()->GetNowEdgeSpace();
    const SIZE client = ClientSize(dialog);
    Layout layout{{LONG(now->GetLeftSpace()), LONG(now->GetTopSpace()), client.cx - LONG(now->GetRightSpace()),
                   client.cy - LONG(now->GetBottomSpace())},
                  {}};
    ForEachOwnControl(dialog, sub, [&](const char*, HWND child, const RECT& r) { layout.Controls.emplace_back(child, r); });
    return layout;
}

// Each edge of each control is where a dialog opened at the new scale and sized as this one is
// would have it: at its former distance, scaled by m / d, from the near or the far side of the
// room (a pixel or two of rounding either way). `cornerButtons`: the dialog's own layout keeps OK
// and Cancel in the room's far corner.
void ExpectAsOpenedAt(const Layout& was, const Layout& now, int m, int d, bool cornerButtons = false)
{
    const int slack = 2;
    auto fits = [&](LONG edge, LONG before, LONG wasNear, LONG wasFar, LONG nowNear, LONG nowFar) {
        return std::abs(edge - nowNear - MulDiv(before - wasNear, m, d)) <= slack ||
               std::abs(nowFar - edge - MulDiv(wasFar - before, m, d)) <= slack;
    };
    for (const auto& [control, r] : was.Controls) {
        const RECT got = ClientRectOfWindow(control);
        char name[32] = "";
        GetClassNameA(control, name, sizeof(name));
        // A combo box is as high as its font's line, a list box a whole number of rows.
        const bool ownHeight = lstrcmpiA(name, "ComboBox") == 0 ||
                               (lstrcmpiA(name, "ListBox") == 0 &&
                                !(GetWindowLongA(control, GWL_STYLE) & LBS_NOINTEGRALHEIGHT));
        EXPECT_TRUE(fits(got.left, r.left, was.Room.left, was.Room.right, now.Room.left, now.Room.right) &&
                    fits(got.right, r.right, was.Room.left, was.Room.right, now.Room.left, now.Room.right) &&
                    fits(got.top, r.top, was.Room.top, was.Room.bottom, now.Room.top, now.Room.bottom) &&
                    (ownHeight || fits(got.bottom, r.bottom, was.Room.top, was.Room.bottom, now.Room.top, now.Room.bottom)))
            << name << " " << GetDlgCtrlID(control) << " at " << Text(got) << ", was " << Text(r) << " in "
            << Text(was.Room) << ", room now " << Text(now.Room);
        const int id = GetDlgCtrlID(control);
        if (cornerButtons && lstrcmpiA(name, "Button") == 0 && (id == IDOK || id == IDCANCEL)) {
            EXPECT_NEAR(now.Room.right - got.right, MulDiv(was.Room.right - r.right, m, d), slack)
                << id << " at " << Text(got) << ", was " << Text(r) << " in " << Text(was.Room) << ", room now "
                << Text(now.Room);
            EXPECT_NEAR(now.Room.bottom - got.bottom, MulDiv(was.Room.bottom - r.bottom, m, d), slack)
                << id << " at " << Text(got) << ", was " << Text(r) << " in " << Text(was.Room) << ", room now "
                << Text(now.Room);
        }
    }
}

void RoundTrip(HWND dialog, TDialogCustomizer* customizer, const SampleSubForm& sub, TSubFormPos pos,
               const DialogRescale* platform = nullptr, bool cornerButtons = false)
{
    ASSERT_NE(nullptr, customizer);
    const int ppi = customizer->GetPixelsPerInch();
    const TPoint min = customizer->GetMinDialogSizeValue();
    // Up from the design resolution, down from a larger one (the screen holds no larger dialog).
    const int other = ppi == DesignPixelsPerInch ? 144 : DesignPixelsPerInch;
    // Where the platform rescales the controls, they keep their relation to the room, scaled.
    const int m = platform != nullptr ? other : 1;
    const int d = platform != nullptr ? ppi : 1;
    ExpectLayoutAt(dialog, *customizer, sub, pos, ppi);
    const Layout start = Capture(dialog, *customizer, sub);
    if (platform != nullptr) {
        // Ours are kept out of the platform's rescale: the customizer scales them itself.
        EXPECT_EQ(DialogRescale::KeepPlace | DialogRescale::KeepFont, platform->BehaviorOf(sub.Form->GetHandle()));
    }
    MoveToResolution(dialog, ppi, other);
    ExpectLayoutAt(dialog, *customizer, sub, pos, other);
    ExpectAsOpenedAt(start, Capture(dialog, *customizer, sub), m, d, cornerButtons);
    MoveToResolution(dialog, other, ppi);
    ExpectLayoutAt(dialog, *customizer, sub, pos, ppi);
    // Back where it started, not a pixel off.
    EXPECT_EQ(min.x, customizer->GetMinDialogSizeValue().x);
    EXPECT_EQ(min.y, customizer->GetMinDialogSizeValue().y);
    ExpectAsOpenedAt(start, Capture(dialog, *customizer, sub), 1, 1, cornerButtons);
    if (platform != nullptr) {
        EXPECT_EQ(2, platform->Answered);
        EXPECT_GT(platform->ChildrenScaled, 2);
    }
}

// The round trip inside a modal dialog's loop, which is then cancelled.
template <class TDialog>
void RoundTripModal(TDialog& dialog, const SampleSubForm& sub, TSubFormPos pos, const DialogRescale* platform,
                    bool cornerButtons = false)
{
    FileDialogDriver driver;
    driver.Run(dialog, {[&](HWND window) {
                   RoundTrip(window, dialog.GetCustomizer(), sub, pos, platform, cornerButtons);
                   // The platform opens the next file dialog at this one's size: each opening is a first.
                   const TPoint first = dialog.GetCustomizer()->GetInitDialogSize();
                   SetWindowPos(window, nullptr, 0, 0, first.x, first.y, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                   FileDialogDriver::Cancel(window);
               }});
    EXPECT_FALSE(driver.Stalled);
    EXPECT_TRUE(driver.RanAll()) << driver.StepsRun << " steps ran";
}

}  // namespace

TEST(ScaledSubFormTest, FindDialogFollowsItsResolution)
{
    for (Platform platform : Platforms) {
        for (bool replace : {false, true}) {
            for (TSubFormPos pos : {fpLeft, fpTop, fpRight, fpBottom, fpClient}) {
                SCOPED_TRACE(testing::Message() << "platform " << int(platform) << " replace " << replace
                                                << " position " << int(pos));
                SampleSubForm sub;
                const auto rescale = Emulate(platform);
                auto run = [&](auto* dialog) {
                    dialog->SetSubForm(sub.Form.get());
                    dialog->SetSubFormPos(pos);
                    TDialogEdgeSpace minEdge(MinEdge[0], MinEdge[1], MinEdge[2], MinEdge[3]);
                    dialog->SetMinEdgeSpace(&minEdge);
                    dialog->SetDialogSizing(pos == fpBottom || pos == fpLeft);
                    ASSERT_TRUE(dialog->Execute());
                    RoundTrip(dialog->GetHandle(), dialog->GetCustomizer(), sub, pos, rescale.get());
                    dialog->CloseDialog();
                };
                if (replace)
                    run(MakeObject<TCReplaceDialog>(nullptr).get());
                else
                    run(MakeObject<TCFindDialog>(nullptr).get());
                // Given back at the resolution it was lent at.
                EXPECT_EQ(Scaled(DesignWidth), sub.Form->GetClientWidth());
            }
        }
    }
}

TEST(ScaledSubFormTest, OpenDialogFollowsItsResolution)
{
    TempFolder folder;
    enum Look { Explorer, ExplorerSizing, Old, OldSave };
    for (Platform platform : Platforms) {
        for (Look look : {Explorer, ExplorerSizing, Old, OldSave}) {
            for (TSubFormPos pos : {fpLeft, fpTop, fpRight, fpBottom, fpClient}) {
                SCOPED_TRACE(testing::Message() << "platform " << int(platform) << " look " << look << " position "
                                                << int(pos));
                SampleSubForm sub;
                const auto rescale = Emulate(platform);
                TObjectPtr<TCOpenDialog> dialog(look == OldSave ? new TCSaveDialog(nullptr) : new TCOpenDialog(nullptr));
                TOpenOptions options = dialog->GetOptions();
                if (look != ExplorerSizing)
                    options.Exclude(ofEnableSizing);
                if (look == Old || look == OldSave)
                    options.Include(ofOldStyleDialog);
                dialog->SetOptions(options);
                dialog->SetInitialDir(folder.Path(""));
                dialog->SetSubForm(sub.Form.get());
                dialog->SetSubFormPos(pos);
                TDialogEdgeSpace minEdge(MinEdge[0], MinEdge[1], MinEdge[2], MinEdge[3]);
                dialog->SetMinEdgeSpace(&minEdge);
                dialog->SetDialogSizing(pos == fpLeft);
                // The resizable look keeps OK and Cancel in the corner of the room.
                RoundTripModal(*dialog, sub, pos, rescale.get(), look == ExplorerSizing);
            }
        }
    }
}

TEST(ScaledSubFormTest, FolderBrowserFollowsItsResolution)
{
    for (Platform platform : Platforms) {
        for (bool newLook : {true, false}) {
            for (TSubFormPos pos : {fpLeft, fpTop, fpRight, fpBottom, fpClient}) {
                SCOPED_TRACE(testing::Message() << "platform " << int(platform) << " new look " << newLook
                                                << " position " << int(pos));
                SampleSubForm sub;
                const auto rescale = Emulate(platform);
                auto dialog = MakeObject<TCSelectFolderDialog>(nullptr);
                // The new look lays its controls out again from the window's edges.
                const unsigned look = newLook ? OptionBit(bifNewDialogStyle) : 0;
                dialog->SetOptions(static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) | look));
                dialog->SetSubForm(sub.Form.get());
                dialog->SetSubFormPos(pos);
                TDialogEdgeSpace minEdge(MinEdge[0], MinEdge[1], MinEdge[2], MinEdge[3]);
                dialog->SetMinEdgeSpace(&minEdge);
                RoundTripModal(*dialog, sub, pos, rescale.get(), newLook);
            }
        }
    }
}
