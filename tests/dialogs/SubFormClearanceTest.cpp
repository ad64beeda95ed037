// Every customizable dialog, opened for real, keeps the caller's sub form clear: with the sub
// form at each position, once shown and again after the window grew, none of the dialog's own
// visible controls lies on the sub form's room, and the sub form has the size it was given,
// scaled to the screen (the harness runs this at 96, 144 and 192 pixels per inch).
#include "TestDialog.h"

#include "dialogs/CFindDlg.h"
#include "dialogs/COpenDlg.h"
#include "dialogs/CSelFDlg.h"
#include "support/DisplayScale.h"
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"
#include "support/WindowsFolderBrowser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace TestDialogs;

namespace {

enum class Kind { FolderNew, FolderOld, OpenExplorer, OpenExplorerFixed, OpenOld, SaveOld, Find, FolderNewDelta, FolderNewDeltaInHost };

constexpr int SubWidth = 130;
constexpr int SubHeight = 70;
constexpr int GrowX = 60;
constexpr int GrowY = 40;
const TDialogEdgeSpace ClientEdges(20, 15, 25, 30);

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

bool IsGrip(HWND window)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof(name));
    return lstrcmpA(name, "TDialogGrip") == 0 ||
           (lstrcmpiA(name, "ScrollBar") == 0 && (GetWindowLongA(window, GWL_STYLE) & SBS_SIZEGRIP) != 0);
}

// Checks the open dialog `window` against its embedded `sub` form placed at `pos`.
void ExpectClear(HWND window, TForm* sub, TSubFormPos pos, TCustomDlgsUnit* unit, const char* when)
{
    SCOPED_TRACE(when);
    const SIZE client = ClientSize(window);
    const RECT subRect = ClientRectOfWindow(sub->GetHandle());
    EXPECT_TRUE(IsWindowVisible(sub->GetHandle()));
    RECT room = subRect;  // where no control of the dialog may be
    switch (pos) {
    case fpLeft:
    case fpRight:
        EXPECT_NEAR(Scaled(SubWidth), subRect.right - subRect.left, ScaleSlack()) << Text(subRect);
        break;
    case fpTop:
    case fpBottom:
        EXPECT_NEAR(Scaled(SubHeight), subRect.bottom - subRect.top, ScaleSlack()) << Text(subRect);
        break;
    case fpClient: {
        const RECT whole = {0, 0, client.cx, client.cy};
        EXPECT_TRUE(EqualRect(&whole, &subRect)) << Text(subRect);
        const TDialogEdgeSpace* now = unit->GetNowEdgeSpace();
        // Around the client sub form, the room is the edge spaces: the controls stay inside them.
        room = RECT{LONG(now->GetLeftSpace()), LONG(now->GetTopSpace()), client.cx - LONG(now->GetRightSpace()),
                    client.cy - LONG(now->GetBottomSpace())};
        EXPECT_GE(room.left, Scaled(int(ClientEdges.GetLeftSpace())));
        EXPECT_GE(room.top, Scaled(int(ClientEdges.GetTopSpace())));
        EXPECT_LE(room.right, client.cx - Scaled(int(ClientEdges.GetRightSpace())));
        EXPECT_LE(room.bottom, client.cy - Scaled(int(ClientEdges.GetBottomSpace())));
        break;
    }
    }
    int seen = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == sub->GetHandle() || !IsWindowVisible(child) || IsGrip(child))
            continue;
        RECT r = ClientRectOfWindow(child);
        if (IsRectEmpty(&r))
            continue;  // the file dialog's hook window takes no room
        ++seen;
        char name[32] = "";
        GetClassNameA(child, name, sizeof(name));
        // Nothing pokes past the client area (the Explorer look's tool bar did by a few pixels).
        const RECT whole = {0, 0, client.cx, client.cy};
        RECT inside;
        UnionRect(&inside, &r, &whole);
        EXPECT_TRUE(EqualRect(&inside, &whole)) << name << " " << GetDlgCtrlID(child) << " " << Text(r)
                                                << " past the client area " << Text(whole);
        RECT overlap;
        if (pos == fpClient) {
            UnionRect(&overlap, &r, &room);
            EXPECT_TRUE(EqualRect(&overlap, &room))
                << name << " " << GetDlgCtrlID(child) << " " << Text(r) << " outside " << Text(room);
        } else {
            EXPECT_FALSE(IntersectRect(&overlap, &r, &room))
                << name << " " << GetDlgCtrlID(child) << " " << Text(r) << " on the sub form at " << Text(room);
        }
    }
    EXPECT_GT(seen, 2);
}

void Grow(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + GrowX, r.bottom - r.top + GrowY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The browser's tree as one of its own controls: the tree, or the host it sits in.
HWND TreeControl(HWND browser)
{
    HWND tree = WindowsFolderBrowser::Tree(browser);
    return tree != nullptr && GetParent(tree) != browser ? GetParent(tree) : tree;
}

// Where the tree, OK and Cancel end: their gaps to the right and bottom edges `right` and
// `bottom`, and their sizes.
struct FarPlace {
    SIZE Gap, Size;
};
std::vector<FarPlace> FarPlaces(HWND browser, LONG right, LONG bottom)
{
    std::vector<FarPlace> places;
    for (HWND control : {TreeControl(browser), GetDlgItem(browser, IDOK), GetDlgItem(browser, IDCANCEL)}) {
        const RECT r = ClientRectOfWindow(control);
        places.push_back({SIZE{right - r.right, bottom - r.bottom}, SIZE{r.right - r.left, r.bottom - r.top}});
    }
    return places;
}

// The places in the same browser opened plain, shown; grown, the gaps and the buttons' sizes stay.
std::vector<FarPlace> PlainFarPlaces(TSFolderOptions options)
{
    std::vector<FarPlace> shown, grown;
    auto dialog = MakeObject<TSelectFolderDialog>(nullptr);
    dialog->SetOptions(options);
    FileDialogDriver driver;
    auto places = [](HWND window) {
        const SIZE client = ClientSize(window);
        return FarPlaces(window, client.cx, client.cy);
    };
    driver.Run(*dialog, {[&](HWND window) {
                             shown = places(window);
                             Grow(window);
                         },
                         [&](HWND window) {
                             grown = places(window);
                             FileDialogDriver::Cancel(window);
                         }});
    EXPECT_TRUE(driver.RanAll()) << "the plain browser: " << driver.StepsRun << " steps ran";
    EXPECT_EQ(shown.size(), grown.size());
    for (size_t i = 0; i < shown.size() && i < grown.size(); ++i) {
        EXPECT_EQ(shown[i].Gap.cx, grown[i].Gap.cx) << "control " << i;
        EXPECT_EQ(shown[i].Gap.cy, grown[i].Gap.cy) << "control " << i;
    }
    return shown;
}

// The tree, OK and Cancel keep the plain browser's gaps to the edges of the room the sub form
// leaves, shown and grown (a room taken back twice leaves a second gap as wide as the room), and
// OK and Cancel their size; they cover no other control.
void ExpectButtonsInPlace(HWND window, TForm* sub, TSubFormPos pos, TCustomDlgsUnit* unit,
                          const std::vector<FarPlace>& plain, const char* when)
{
    SCOPED_TRACE(when);
    const SIZE client = ClientSize(window);
    const RECT subRect = ClientRectOfWindow(sub->GetHandle());
    const TDialogEdgeSpace* now = unit->GetNowEdgeSpace();
    const LONG roomRight = pos == fpClient ? LONG(now->GetRightSpace()) : 0;
    const LONG roomBottom = pos == fpClient ? LONG(now->GetBottomSpace()) : 0;
    const LONG right = pos == fpRight ? subRect.left : client.cx - roomRight;
    const LONG bottom = pos == fpBottom ? subRect.top : client.cy - roomBottom;
    const std::vector<FarPlace> places = FarPlaces(window, right, bottom);
    ASSERT_EQ(plain.size(), places.size());
    for (size_t i = 0; i < places.size(); ++i) {
        const char* const name = i == 0 ? "tree" : i == 1 ? "OK" : "Cancel";
        EXPECT_EQ(plain[i].Gap.cx, places[i].Gap.cx) << name << " from the right";
        EXPECT_EQ(plain[i].Gap.cy, places[i].Gap.cy) << name << " from the bottom";
        if (i > 0) {
            EXPECT_EQ(plain[i].Size.cx, places[i].Size.cx) << name << " wide";
            EXPECT_EQ(plain[i].Size.cy, places[i].Size.cy) << name << " high";
        }
    }
    for (int id : {IDOK, IDCANCEL}) {
        HWND button = GetDlgItem(window, id);
        const RECT r = ClientRectOfWindow(button);
        EXPECT_GE(right - r.right, 0) << id << " " << Text(r);
        EXPECT_GE(bottom - r.bottom, 0) << id << " " << Text(r);
        for (HWND other = GetWindow(window, GW_CHILD); other != nullptr; other = GetWindow(other, GW_HWNDNEXT)) {
            RECT o = ClientRectOfWindow(other), overlap;
            if (other != button && other != sub->GetHandle() && IsWindowVisible(other) && !IsGrip(other)) {
                EXPECT_FALSE(IntersectRect(&overlap, &r, &o)) << id << " " << Text(r) << " on " << GetDlgCtrlID(other)
                                                              << " " << Text(o);
            }
        }
    }
}

template <class TDialog>
void Customize(TDialog& dialog, TForm* sub, TSubFormPos pos)
{
    dialog.SetSubForm(sub);
    dialog.SetSubFormPos(pos);
    dialog.SetDialogSizing(true);
    if (pos == fpClient) {
        TDialogEdgeSpace edges(ClientEdges.GetLeftSpace(), ClientEdges.GetTopSpace(), ClientEdges.GetRightSpace(),
                               ClientEdges.GetBottomSpace());
        dialog.SetMinEdgeSpace(&edges);
    }
}

// A modal dialog: checked once shown, grown, checked again, cancelled.
// `plain`: the folder browser's tree, OK and Cancel are checked too, against these gaps.
template <class TDialog>
void RunModal(TDialog& dialog, TForm* sub, TSubFormPos pos, const std::vector<FarPlace>* plain = nullptr)
{
    FileDialogDriver driver;
    driver.Run(dialog, {[&](HWND window) {
                            ExpectClear(window, sub, pos, dialog.GetCustomizer()->GetDlgsUnit(), "shown");
                            if (plain != nullptr)
                                ExpectButtonsInPlace(window, sub, pos, dialog.GetCustomizer()->GetDlgsUnit(), *plain,
                                                     "shown");
                            Grow(window);
                        },
                        [&](HWND window) {
                            ExpectClear(window, sub, pos, dialog.GetCustomizer()->GetDlgsUnit(), "grown");
                            if (plain != nullptr)
                                ExpectButtonsInPlace(window, sub, pos, dialog.GetCustomizer()->GetDlgsUnit(), *plain,
                                                     "grown");
                            // The platform opens the next file dialog of the process at the last
                            // one's size: back to the size it first had, each opening is a first.
                            const TPoint first = dialog.GetCustomizer()->GetInitDialogSize();
                            SetWindowPos(window, nullptr, 0, 0, first.x, first.y,
                                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                            FileDialogDriver::Cancel(window);
                        }});
    EXPECT_FALSE(driver.Stalled);
    EXPECT_TRUE(driver.RanAll()) << driver.StepsRun << " steps ran";
}

void RunFile(TCOpenDialog& dialog, Kind kind, TForm* sub, TSubFormPos pos)
{
    TempFolder folder;
    TOpenOptions options = dialog.GetOptions();
    if (kind == Kind::OpenExplorerFixed)
        options.Exclude(ofEnableSizing);
    if (kind == Kind::OpenOld || kind == Kind::SaveOld)
        options.Include(ofOldStyleDialog);
    dialog.SetOptions(options);
    dialog.SetInitialDir(folder.Path(""));
    Customize(dialog, sub, pos);
    RunModal(dialog, sub, pos);
}

class SubFormClearanceTest : public testing::TestWithParam<Kind> {};

TEST_P(SubFormClearanceTest, NoControlOnTheSubFormAtAnyPositionShownAndGrown)
{
    const Kind kind = GetParam();
    for (TSubFormPos pos : {fpLeft, fpTop, fpRight, fpBottom, fpClient}) {
        SCOPED_TRACE(testing::Message() << "dialog " << int(kind) << ", sub form at " << int(pos));
        TObjectPtr<TForm> sub(NewSubForm(SubWidth, SubHeight));
        switch (kind) {
        case Kind::FolderNew:
        case Kind::FolderOld:
        case Kind::FolderNewDelta:
        case Kind::FolderNewDeltaInHost: {
            // The browser as Windows lays it out: by the change of size, the tree in its host.
            WindowsFolderBrowser shell;
            shell.DeltaLayout = kind == Kind::FolderNewDelta || kind == Kind::FolderNewDeltaInHost;
            shell.TreeInHost = kind == Kind::FolderNewDeltaInHost;
            auto dialogOwned = MakeObject<TCSelectFolderDialog>(nullptr);
            TCSelectFolderDialog& dialog = *dialogOwned;
            const unsigned look = kind != Kind::FolderOld ? OptionBit(bifNewDialogStyle) : 0;
            const auto options = static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) | look);
            dialog.SetOptions(options);
            Customize(dialog, sub.get(), pos);
            const auto plain = kind != Kind::FolderOld ? PlainFarPlaces(options) : std::vector<FarPlace>();
            RunModal(dialog, sub.get(), pos, kind != Kind::FolderOld ? &plain : nullptr);
            break;
        }
        case Kind::OpenExplorer:
        case Kind::OpenExplorerFixed:
        case Kind::OpenOld: {
            auto dialogOwned = MakeObject<TCOpenDialog>(nullptr);
            TCOpenDialog& dialog = *dialogOwned;
            RunFile(dialog, kind, sub.get(), pos);
            break;
        }
        case Kind::SaveOld: {
            auto dialogOwned = MakeObject<TCSaveDialog>(nullptr);
            TCSaveDialog& dialog = *dialogOwned;
            RunFile(dialog, kind, sub.get(), pos);
            break;
        }
        case Kind::Find: {
            // Modeless: the window is open when Execute returns.
            auto dialogOwned = MakeObject<TCFindDialog>(nullptr);
            TCFindDialog& dialog = *dialogOwned;
            Customize(dialog, sub.get(), pos);
            ASSERT_TRUE(dialog.Execute());
            Pump();
            HWND window = dialog.GetHandle();
            ExpectClear(window, sub.get(), pos, dialog.GetCustomizer()->GetDlgsUnit(), "shown");
            Grow(window);
            Pump();
            ExpectClear(window, sub.get(), pos, dialog.GetCustomizer()->GetDlgsUnit(), "grown");
            dialog.CloseDialog();
            Pump();
            break;
        }
        }
    }
}

std::string KindName(const testing::TestParamInfo<Kind>& info)
{
    static const char* const names[] = {"FolderNewLook",  "FolderOldLook",          "OpenExplorerLook",
                                        "OpenExplorerLookFixed", "OpenOldLook", "SaveOldLook",
                                        "Find",           "FolderNewLookByDeltas", "FolderNewLookByDeltasTreeInHost"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, SubFormClearanceTest,
                         testing::Values(Kind::FolderNew, Kind::FolderOld, Kind::OpenExplorer, Kind::OpenExplorerFixed,
                                         Kind::OpenOld, Kind::SaveOld, Kind::Find, Kind::FolderNewDelta,
                                         Kind::FolderNewDeltaInHost),
                         KindName);

}  // namespace
