// The customizable open and save dialogs on the platform's real file dialogs: which customizer
// each look gets, when the customizing starts, and the layout with a sub form.
#include "TestDialog.h"

#include "dialogs/COpenDlg.h"
#include "framework/DesignRegistry.h"
#include "support/FileDialogDriver.h"
#include "support/PaletteCheck.h"
#include "support/TempFolder.h"
#include "support/WindowsFileDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace TestDialogs;

namespace {

// Sets NewStyleControls for one test and puts it back.
struct LookScope {
    bool Saved = NewStyleControls;
    explicit LookScope(bool newStyle) { NewStyleControls = newStyle; }
    ~LookScope() { NewStyleControls = Saved; }
};

enum class Look { Sizing, Fixed, Old };

void SetLook(TOpenDialog& dialog, Look look, const TempFolder& folder)
{
    TOpenOptions options = dialog.GetOptions();
    if (look == Look::Fixed)
        options.Exclude(ofEnableSizing);
    dialog.SetOptions(look == Look::Old ? options.Include(ofOldStyleDialog) : options);
    dialog.SetInitialDir(folder.Path(""));
}

std::string KindOf(TDialogCustomizer* customizer)
{
    if (customizer == nullptr)
        return "none";
    if (dynamic_cast<TFixedOldOpenDialogCustomizer*>(customizer) != nullptr)
        return "old";
    if (dynamic_cast<TFixedOpenDialogCustomizer*>(customizer) != nullptr)
        return "fixed";
    return dynamic_cast<TSizingDialogCustomizer*>(customizer) != nullptr ? "sizing" : "other";
}

// Records the order of the notifications; in DoShow a show-window message arrives while the
// start is pending, which in the Explorer look must start nothing.
class OrderProbe : public TCOpenDialog {
public:
    using TCOpenDialog::TCOpenDialog;
    std::vector<std::string> Log;

    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_SHOWWINDOW && GetOptions().Contains(ofOldStyleDialog))
            Log.push_back("WM_SHOWWINDOW");
        TCOpenDialog::Dispatch(message);
    }

protected:
    void DoShow() override
    {
        TCOpenDialog::DoShow();
        Log.push_back("DoShow");
        if (!GetOptions().Contains(ofOldStyleDialog)) {
            SendMessageA(GetHandle(), WM_SHOWWINDOW, TRUE, 0);
            Log.push_back(GetStartPending() ? "still pending" : "started");
        }
    }
};

// A control of the dialog itself, in client coordinates.
struct Placed {
    std::string Class;
    int Id;
    RECT Rect;
};

// The dialog's own controls in z-order: not the hook's child, the sub form or a size grip.
std::vector<Placed> OwnControls(HWND dialog, HWND subForm)
{
    std::vector<Placed> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = "";
        GetClassNameA(child, name, sizeof(name));
        const bool grip = lstrcmpiA(name, "ScrollBar") == 0 && (GetWindowLongA(child, GWL_STYLE) & SBS_SIZEGRIP) != 0;
        if (child != subForm && !grip && lstrcmpA(name, "#32770") != 0 && lstrcmpA(name, "TDialogGrip") != 0)
            controls.push_back({name, GetDlgCtrlID(child), ClientRectOfWindow(child)});
    }
    return controls;
}

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// The fixed rule along one axis: a control spanning the split grows, one at or after it moves.
void Follow(LONG& low, LONG& high, LONG split, int growth)
{
    if (low < split && split < high) {
        high += growth;
    } else if (split <= low) {
        low += growth;
        high += growth;
    }
}

// Check boxes, radio and push buttons, static texts and combo boxes keep the height of their
// text: across the vertical split they move whole, when its middle is at or after the split.
void FollowDown(const Placed& control, HWND dialog, LONG& top, LONG& bottom, LONG split, int growth)
{
    const bool spans = top < split && split < bottom;
    bool textHigh = control.Class == "Static" || control.Class == "ComboBox";
    if (control.Class == "Button")
        textHigh = (GetWindowLongA(GetDlgItem(dialog, control.Id), GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX;
    if (spans && textHigh) {
        if (split <= (top + bottom) / 2) {
            top += growth;
            bottom += growth;
        }
        return;
    }
    Follow(top, bottom, split, growth);
}

// Shrinks the dialog as far as it goes: back to its starting size. The platform remembers the
// last size of a dialog it sizes itself for the next opening; this keeps the openings apart.
void ShrinkToMinimum(HWND window)
{
    SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);
}

// The sub form in its room at `pos` of the dialog's client area, and no shown control of the
// dialog's own on it.
void ExpectSubFormInItsRoom(HWND dialog, TForm* sub, TSubFormPos pos, int width, int height)
{
    const SIZE client = ClientSize(dialog);
    RECT want = {0, 0, client.cx, client.cy};
    switch (pos) {
    case fpLeft: want.right = width; break;
    case fpRight: want.left = client.cx - width; break;
    case fpTop: want.bottom = height; break;
    case fpBottom: want.top = client.cy - height; break;
    case fpClient: break;
    }
    const RECT got = ClientRectOfWindow(sub->GetHandle());
    EXPECT_TRUE(EqualRect(&want, &got)) << "sub form at " << Text(got) << " instead of " << Text(want);
    EXPECT_TRUE(IsWindowVisible(sub->GetHandle()));
    if (pos == fpClient)
        return;
    for (const Placed& control : OwnControls(dialog, sub->GetHandle())) {
        RECT overlap;
        if (IsWindowVisible(GetDlgItem(dialog, control.Id)) && !IsRectEmpty(&control.Rect)) {
            EXPECT_FALSE(IntersectRect(&overlap, &control.Rect, &got))
                << control.Class << " " << control.Id << " " << Text(control.Rect) << " on the sub form";
        }
    }
}

}  // namespace

TEST(OpenDialogTest, EachLookGetsItsCustomizerInBothDialogs)
{
    const struct {
        bool NewStyle, Old, Sizing;
        const char* Kind;
    } table[] = {
        {true, false, true, "sizing"}, {true, false, false, "fixed"}, {true, true, true, "old"},
        {true, true, false, "old"},    {false, true, true, "old"},    {false, true, false, "old"},
        {false, false, true, "none"},  {false, false, false, "none"},
    };
    TempFolder folder;
    AnsiString titles[2];
    for (bool save : {false, true}) {
        for (const auto& row : table) {
            SCOPED_TRACE(testing::Message() << save << row.NewStyle << row.Old << row.Sizing);
            LookScope scope(row.NewStyle);
            TObjectPtr<TCOpenDialog> dialog(save ? new TCSaveDialog(nullptr) : new TCOpenDialog(nullptr));
            dialog->SetInitialDir(folder.Path(""));
            TOpenOptions options;
            if (row.Old)
                options.Include(ofOldStyleDialog);
            dialog->SetOptions(row.Sizing ? options.Include(ofEnableSizing) : options);
            int shown = 0;
            dialog->SetOnShowWindow([&](TObject*) { ++shown; });
            std::string kind;
            bool handedDialog = false;
            FileDialogDriver driver;
            driver.Run(*dialog, {[&](HWND window) {
                kind = KindOf(dialog->GetCustomizer());
                handedDialog = dialog->GetDlgsUnit()->GetHandle() == window;
                titles[save] = WindowText(window);
                FileDialogDriver::Cancel(window);
            }});
            EXPECT_EQ(row.Kind, kind);
            EXPECT_EQ(kind != "none", handedDialog);
            EXPECT_EQ(kind != "none" ? 1 : 0, shown);
            EXPECT_EQ(nullptr, dialog->GetCustomizer());
        }
    }
    // The save dialog is the platform's other dialog.
    EXPECT_NE(titles[0], titles[1]);
}

// OnShow, then the deferred start (sizing and placing after the framework's placing, so the
// remembered place wins) with OnShowWindow once; a later folder change or show-window
// message starts nothing again.
TEST(OpenDialogTest, CustomizingStartsOnceAfterTheFrameworkPlacedTheDialog)
{
    TempFolder folder;
    CreateDirectoryA(folder.Path("sub").c_str(), nullptr);
    for (Look look : {Look::Sizing, Look::Old}) {
        SCOPED_TRACE(int(look));
        OrderProbe dialog(nullptr);
        SetLook(dialog, look, folder);
        dialog.OnShow = [&](TObject*) { dialog.Log.push_back("OnShow"); };
        dialog.OnFolderChange = [&](TObject*) { dialog.Log.push_back("OnFolderChange"); };
        dialog.GetDlgsUnit()->SetPosition({37, 41});
        RECT placed = {};
        dialog.SetOnShowWindow([&](TObject*) {
            dialog.Log.push_back("OnShowWindow");
            GetWindowRect(dialog.GetDlgsUnit()->GetHandle(), &placed);
        });
        FileDialogDriver driver;
        driver.Run(dialog, {[&](HWND window) {
                                dialog.Log.push_back("-");
                                if (look != Look::Old)
                                    FileDialogDriver::TypeAndConfirm(window, "sub");
                                SendMessageA(dialog.GetHandle(), WM_SHOWWINDOW, TRUE, 0);
                            },
                            FileDialogDriver::Cancel});
        EXPECT_EQ(37, placed.left);
        EXPECT_EQ(41, placed.top);
        const std::vector<std::string> want =
            look == Look::Old
                ? std::vector<std::string>{"OnShow", "DoShow", "WM_SHOWWINDOW", "OnShowWindow", "-", "WM_SHOWWINDOW"}
                : std::vector<std::string>{"OnShow",         "DoShow", "still pending", "OnShowWindow",
                                           "OnFolderChange", "-",      "OnFolderChange"};
        EXPECT_EQ(want, dialog.Log);
    }
}

// Each look with a sub form on the left and at the bottom, against the same dialog opened
// plain: the dialog grows by the sub form's room and its controls make way; after a resize
// the fixed looks follow the split rule and the sizing look the platform's own layout (OK and
// Cancel keep the corner), the sub form keeping its side; back at the minimum everything is
// where it started.
TEST(OpenDialogTest, SubFormMakesRoomAndFollowsResizingInEveryLook)
{
    TempFolder folder;
    const int subWidth = 120, subHeight = 90, growX = 60, growY = 40;
    for (Look look : {Look::Sizing, Look::Fixed, Look::Old}) {
        for (TSubFormPos pos : {fpLeft, fpBottom}) {
            SCOPED_TRACE(testing::Message() << "look " << int(look) << " position " << int(pos));
            TObjectPtr<TForm> sub(NewSubForm(subWidth, subHeight));
            std::vector<Placed> plain, before;
            SIZE plainClient = {}, client = {};
            auto dialogOwned = MakeObject<TCOpenDialog>(nullptr);
            TCOpenDialog& dialog = *dialogOwned;
            SetLook(dialog, look, folder);
            dialog.SetDialogSizing(true);
            FileDialogDriver driver;
            driver.Run(dialog, {ShrinkToMinimum, [&](HWND window) {
                                    plain = OwnControls(window, nullptr);
                                    plainClient = ClientSize(window);
                                    FileDialogDriver::Cancel(window);
                                }});
            ASSERT_TRUE(driver.RanAll()) << "the plain dialog: " << driver.StepsRun << " steps ran";
            dialog.SetSubForm(sub.get());
            dialog.SetSubFormPos(pos);
            const int roomX = pos == fpLeft ? subWidth : 0, roomY = pos == fpBottom ? subHeight : 0;

            auto checkSubForm = [&](HWND window, int dw, int dh) {
                SIZE now = ClientSize(window);
                EXPECT_EQ(client.cx + dw, now.cx);
                EXPECT_EQ(client.cy + dh, now.cy);
                RECT want = pos == fpLeft ? RECT{0, 0, roomX, now.cy} : RECT{0, now.cy - subHeight, now.cx, now.cy};
                RECT got = ClientRectOfWindow(sub->GetHandle());
                EXPECT_TRUE(EqualRect(&want, &got)) << Text(got) << " instead of " << Text(want);
            };
            // The old look's list boxes take whole lines: laid out from the height asked for,
            // they may end up to a line shorter.
            auto checkControl = [&](Placed got, RECT want) {
                auto* old = dynamic_cast<TFixedOldOpenDialogCustomizer*>(dialog.GetCustomizer());
                if (old != nullptr && (got.Id == 1120 || got.Id == 1121)) {
                    EXPECT_EQ(want.bottom - want.top, got.Id == 1120 ? old->GetList1Height() : old->GetList2Height());
                    const LONG line = LONG(SendDlgItemMessageA(old->GetHandle(), got.Id, LB_GETITEMHEIGHT, 0, 0));
                    EXPECT_GT(got.Rect.bottom, want.bottom - line) << got.Id;
                    want.bottom = got.Rect.bottom = std::min(want.bottom, got.Rect.bottom);
                }
                EXPECT_TRUE(EqualRect(&want, &got.Rect))
                    << got.Class << " " << got.Id << " " << Text(got.Rect) << " instead of " << Text(want);
            };
            auto opened = [&](HWND window) {
                client = ClientSize(window);
                EXPECT_EQ(plainClient.cx + roomX, client.cx);
                EXPECT_EQ(plainClient.cy + roomY, client.cy);
                before = OwnControls(window, sub->GetHandle());
                ASSERT_EQ(plain.size(), before.size());
                for (size_t i = 0; i < plain.size(); ++i) {
                    EXPECT_EQ(plain[i].Class, before[i].Class);
                    RECT want = plain[i].Rect;
                    OffsetRect(&want, roomX, 0);
                    checkControl(before[i], want);
                }
                checkSubForm(window, 0, 0);
                RECT outer;
                GetWindowRect(window, &outer);
                SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + growX, outer.bottom - outer.top + growY,
                             SWP_NOMOVE | SWP_NOZORDER);
            };
            auto resized = [&](HWND window) {
                checkSubForm(window, growX, growY);
                std::vector<Placed> after = OwnControls(window, sub->GetHandle());
                ASSERT_EQ(before.size(), after.size());
                POINT split = {};
                for (const Placed& control : before) {
                    const RECT& r = control.Rect;
                    if (look == Look::Fixed && control.Id == 1121)
                        split = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                    if (look == Look::Old && control.Id == 1120)
                        split = {(r.left + r.right) / 2, r.top + (r.bottom - r.top) * 3 / 4};
                }
                for (size_t i = 0; i < before.size(); ++i) {
                    RECT want = before[i].Rect;
                    if (look != Look::Sizing) {
                        Follow(want.left, want.right, split.x, growX);
                        FollowDown(before[i], window, want.top, want.bottom, split.y, growY);
                    } else if (before[i].Class == "Button" && (before[i].Id == IDOK || before[i].Id == IDCANCEL)) {
                        OffsetRect(&want, growX, growY);
                    } else {
                        continue;
                    }
                    checkControl(after[i], want);
                }
                ShrinkToMinimum(window);
            };
            auto shrunk = [&](HWND window) {
                checkSubForm(window, 0, 0);
                std::vector<Placed> back = OwnControls(window, sub->GetHandle());
                ASSERT_EQ(before.size(), back.size());
                for (size_t i = 0; i < before.size(); ++i)
                    checkControl(back[i], before[i].Rect);
                FileDialogDriver::Cancel(window);
            };
            driver.Run(dialog, {opened, resized, shrunk});
            EXPECT_FALSE(driver.Stalled);
            EXPECT_TRUE(driver.RanAll()) << driver.StepsRun << " steps ran";
        }
    }
}

// Windows restores the Explorer look's last size, and older Windows its place too, right after the
// first folder change (WindowsFileDialog puts that into Wine's dialog; the old look gets it after
// its first show-window message), or a platform may do so as it shows the dialog: the place and
// size the component remembered win, in every look and at every position of the sub form, which
// stays in its room.
TEST(OpenDialogTest, TheRememberedPlaceAndSizeWinOverThePlatformsOwn)
{
    using WindowsFileDialog::RestoreMoment;
    TempFolder folder;
    const int subWidth = 110, subHeight = 80;
    for (RestoreMoment when : {RestoreMoment::AfterFirstFolderChange, RestoreMoment::AsShown}) {
        for (Look look : {Look::Sizing, Look::Fixed, Look::Old}) {
            for (TSubFormPos pos : {fpLeft, fpTop, fpRight, fpBottom, fpClient}) {
                SCOPED_TRACE(testing::Message()
                             << "look " << int(look) << ", sub form at " << int(pos) << ", restored "
                             << (when == RestoreMoment::AsShown ? "as shown" : "after the folder change"));
                TObjectPtr<TForm> sub(NewSubForm(subWidth, subHeight));
                auto dialogOwned = MakeObject<TCSaveDialog>(nullptr);
                TCSaveDialog& dialog = *dialogOwned;
                SetLook(dialog, look, folder);
                dialog.SetDialogSizing(true);
                dialog.SetSubForm(sub.get());
                dialog.SetSubFormPos(pos);
                if (pos == fpClient) {
                    TDialogEdgeSpace edges(20, 15, 25, 30);
                    dialog.SetMinEdgeSpace(&edges);
                }
                // A first opening, grown, leaves a size to remember.
                FileDialogDriver driver;
                driver.Run(dialog, {[](HWND window) {
                    RECT r;
                    GetWindowRect(window, &r);
                    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + 50, r.bottom - r.top + 30,
                                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                },
                                    FileDialogDriver::Cancel});
                ASSERT_TRUE(driver.RanAll());
                const TPoint size = dialog.GetDlgsUnit()->GetDialogSize();
                dialog.GetDlgsUnit()->SetPosition({150, 120});
                // The platform's own: elsewhere and smaller.
                dialog.OnShow = [&](TObject*) {
                    const RECT own = {24, 18, 24 + size.x - 40, 18 + size.y - 30};
                    WindowsFileDialog::RestorePlace(dialog.GetHandle(), own, when);
                };
                RECT placed = {};
                driver.Run(dialog, {[&](HWND window) {
                    GetWindowRect(window, &placed);
                    ExpectSubFormInItsRoom(window, sub.get(), pos, subWidth, subHeight);
                    FileDialogDriver::Cancel(window);
                }});
                ASSERT_TRUE(driver.RanAll());
                EXPECT_TRUE(WindowsFileDialog::PlaceRestored());
                const RECT remembered = {150, 120, 150 + size.x, 120 + size.y};
                EXPECT_TRUE(EqualRect(&remembered, &placed)) << Text(placed) << " instead of " << Text(remembered);
                // The platform opens its next dialog at this one's size: back to the first.
                dialog.OnShow = nullptr;
                driver.Run(dialog, {[&](HWND window) {
                    const TPoint first = dialog.GetCustomizer()->GetInitDialogSize();
                    SetWindowPos(window, nullptr, 0, 0, first.x, first.y, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                    FileDialogDriver::Cancel(window);
                }});
            }
        }
    }
}

// The split points: the centre of 1121 (Explorer look) and three quarters down 1120 (old
// look), products before the division, quotients truncated toward zero; none without the list.
TEST(OpenDialogTest, SplitPointsOfBothFixedCustomizers)
{
    const struct {
        POINT Origin;
        RECT List1, List2;
        POINT Old, Explorer;
    } table[] = {
        // 10 + (11 x 3) / 4 = 18.
        {{0, 0}, {4, 10, 21, 21}, {30, 10, 61, 31}, {12, 18}, {45, 20}},
        // (-15 + 2) / 2 = -6, -21 + (11 x 3) / 4 = -13 and (-33) / 2 = -16, not the floor.
        {{-20, -30}, {5, 9, 22, 20}, {0, 0, 7, 3}, {-6, -13}, {-16, -28}},
    };
    for (const auto& row : table) {
        // A frameless window at a screen place with stand-ins for the two lists.
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, row.Origin.x, row.Origin.y, 400, 300, nullptr,
                                      nullptr, nullptr, nullptr);
        for (int i = 0; i < 2; ++i) {
            const RECT& r = i == 0 ? row.List1 : row.List2;
            CreateWindowExA(0, "STATIC", "", WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top, window,
                            reinterpret_cast<HMENU>(INT_PTR(1120 + i)), nullptr, nullptr);
        }
        auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
        TCustomDlgsUnit& unit = *unitOwned;
        TFixedOldOpenDialogCustomizer old;
        TFixedOpenDialogCustomizer explorer;
        TPoint point = {};
        unit.RegistDialog(window, &old);
        EXPECT_TRUE(old.CalcDialogCenterLine(point));
        EXPECT_EQ(row.Old.x, point.x);
        EXPECT_EQ(row.Old.y, point.y);
        EXPECT_EQ(row.List1.bottom - row.List1.top, old.GetList1Height());
        EXPECT_EQ(row.List2.bottom - row.List2.top, old.GetList2Height());
        unit.RegistDialog(window, &explorer);
        EXPECT_TRUE(explorer.CalcDialogCenterLine(point));
        EXPECT_EQ(row.Explorer.x, point.x);
        EXPECT_EQ(row.Explorer.y, point.y);
        for (int id : {1120, 1121})
            DestroyWindow(GetDlgItem(window, id));
        EXPECT_FALSE(old.CalcDialogCenterLine(point));
        EXPECT_FALSE(explorer.CalcDialogCenterLine(point));
        DestroyWindow(window);
    }
}

TEST(OpenDialogTest, RegisterPutsBothDialogsOnTheDialogsPage)
{
    ClearDesignRegistry();
    COpenDlg::Register();
    const std::vector<std::string> made = MadeFromPalette("Dialogs");
    EXPECT_EQ((std::vector<std::string>{"TCOpenDialog", "TCSaveDialog"}), made);
    EXPECT_EQ((std::vector<std::string>{"TCOpenDialog.SubFormPos", "TCOpenDialog.SubFormAnchors",
                                        "TCOpenDialog.MinEdgeSpace"}),
              FiledProperties(sVisualCategoryName, made));
    ClearDesignRegistry();
}
