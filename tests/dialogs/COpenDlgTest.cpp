// The customizable open and save dialogs on the platform's real file dialogs: which customizer
// each look gets, when the customizing starts, and the layout with a sub form.
#include "TestDialog.h"

#include "dialogs/COpenDlg.h"
#include "framework/DesignRegistry.h"
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

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

void SetLook(TOpenDialog& dialog, Look look)
{
    TOpenOptions options = dialog.GetOptions();
    if (look == Look::Fixed)
        options.Exclude(ofEnableSizing);
    if (look == Look::Old)
        options.Include(ofOldStyleDialog);
    dialog.SetOptions(options);
}

const char* KindOf(TDialogCustomizer* customizer)
{
    if (customizer == nullptr)
        return "none";
    if (dynamic_cast<TFixedOldOpenDialogCustomizer*>(customizer) != nullptr)
        return "old";
    if (dynamic_cast<TFixedOpenDialogCustomizer*>(customizer) != nullptr)
        return "fixed";
    if (dynamic_cast<TSizingDialogCustomizer*>(customizer) != nullptr)
        return "sizing";
    return "other";
}

std::unique_ptr<TCOpenDialog> NewDialog(bool save)
{
    if (save)
        return std::make_unique<TCSaveDialog>(nullptr);
    return std::make_unique<TCOpenDialog>(nullptr);
}

AnsiString TextOf(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Records the order of the component's notifications, and in DoShow checks that a
// show-window message arriving while the start is pending starts nothing in the Explorer look.
class OrderProbe : public TCOpenDialog {
public:
    using TCOpenDialog::TCOpenDialog;
    std::vector<std::string> Log;

    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_SHOWWINDOW)
            Log.push_back("WM_SHOWWINDOW");
        TCOpenDialog::Dispatch(message);
    }

protected:
    void DoShow() override
    {
        TCOpenDialog::DoShow();
        Log.push_back("DoShow");
        if (NewStyleControls && !GetOptions().Contains(ofOldStyleDialog)) {
            SendMessageA(GetHandle(), WM_SHOWWINDOW, TRUE, 0);
            Log.push_back(GetStartPending() ? "still pending" : "started");
        }
    }
};

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
            SCOPED_TRACE(testing::Message() << (save ? "save" : "open") << " new style " << row.NewStyle << " old "
                                            << row.Old << " sizing " << row.Sizing);
            LookScope scope(row.NewStyle);
            auto dialog = NewDialog(save);
            dialog->SetInitialDir(folder.Path(""));
            TOpenOptions options;
            if (row.Old)
                options.Include(ofOldStyleDialog);
            if (row.Sizing)
                options.Include(ofEnableSizing);
            dialog->SetOptions(options);
            int shown = 0;
            dialog->SetOnShowWindow([&](TObject*) { ++shown; });
            std::string kind;
            bool handedDialog = false;
            FileDialogDriver driver;
            driver.Run(*dialog, {[&](HWND window) {
                kind = KindOf(dialog->GetCustomizer());
                handedDialog = dialog->GetDlgsUnit()->GetHandle() == window;
                if (row.NewStyle && !row.Old)
                    titles[save] = TextOf(window);
                FileDialogDriver::Cancel(window);
            }});
            EXPECT_FALSE(driver.Stalled);
            EXPECT_EQ(row.Kind, kind);
            EXPECT_EQ(kind != "none", handedDialog);
            EXPECT_EQ(kind != "none" ? 1 : 0, shown);
            EXPECT_EQ(nullptr, dialog->GetCustomizer());
        }
    }
    // The save dialog is the platform's other dialog.
    EXPECT_NE(titles[0], titles[1]);
}

TEST(OpenDialogTest, CustomizingStartsOnceAfterTheFrameworkPlacedTheDialog)
{
    TempFolder folder;
    CreateDirectoryA(folder.Path("sub").c_str(), nullptr);
    for (bool old : {false, true}) {
        SCOPED_TRACE(old ? "old look" : "Explorer look");
        OrderProbe dialog(nullptr);
        SetLook(dialog, old ? Look::Old : Look::Sizing);
        dialog.SetInitialDir(folder.Path(""));
        dialog.OnShow = [&](TObject*) { dialog.Log.push_back("OnShow"); };
        dialog.OnFolderChange = [&](TObject*) { dialog.Log.push_back("OnFolderChange"); };
        // A place of its own: the framework's placing would put the dialog elsewhere.
        dialog.GetDlgsUnit()->SetPosition({37, 41});
        RECT placed = {};
        dialog.SetOnShowWindow([&](TObject*) {
            dialog.Log.push_back("OnShowWindow");
            GetWindowRect(dialog.GetDlgsUnit()->GetHandle(), &placed);
        });
        FileDialogDriver driver;
        driver.Run(dialog, {[&](HWND window) {
                                dialog.Log.push_back("-");
                                // Another folder (Explorer look) or show-window message (both).
                                if (!old)
                                    FileDialogDriver::TypeAndConfirm(window, "sub");
                                SendMessageA(dialog.GetHandle(), WM_SHOWWINDOW, TRUE, 0);
                            },
                            [](HWND window) { FileDialogDriver::Cancel(window); }});
        EXPECT_FALSE(driver.Stalled);
        EXPECT_EQ(37, placed.left);
        EXPECT_EQ(41, placed.top);
        // What comes between the first lines and "-" is the platform's; only our marks count.
        std::vector<std::string> marks;
        for (const std::string& entry : dialog.Log) {
            if (entry != "WM_SHOWWINDOW" || old)
                marks.push_back(entry);
        }
        std::vector<std::string> want;
        if (old)
            want = {"OnShow", "DoShow", "WM_SHOWWINDOW", "OnShowWindow", "-", "WM_SHOWWINDOW"};
        else
            want = {"OnShow", "DoShow", "still pending", "OnShowWindow", "OnFolderChange", "-", "OnFolderChange"};
        EXPECT_EQ(want, marks);
    }
}

namespace {

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
        if (child == subForm || grip || lstrcmpA(name, "#32770") == 0 || lstrcmpA(name, "TDialogGrip") == 0)
            continue;
        controls.push_back({name, GetDlgCtrlID(child), ClientRectOfWindow(child)});
    }
    return controls;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// The fixed rule along one axis: a control spanning the split grows, one at or after it moves.
void Follow(LONG& low, LONG& high, LONG split, int growth)
{
    if (low < split && split < high)
        high += growth;
    else if (split <= low) {
        low += growth;
        high += growth;
    }
}

}  // namespace

// Shrinks the dialog as far as it goes: back to its starting size. The platform remembers the
// last size of a dialog it sizes itself for the next opening; this keeps the openings apart.
void ShrinkToMinimum(HWND window)
{
    SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER);
}

// Each look with a sub form on the left and at the bottom, against the same dialog opened
// plain: the dialog grows by the sub form's room and its controls make way; after a resize
// the fixed looks follow the split rule and the sizing look the platform's own layout, the
// sub form keeping its side; back at the minimum everything is where it started.
TEST(OpenDialogTest, SubFormMakesRoomAndFollowsResizingInEveryLook)
{
    TempFolder folder;
    const int subWidth = 120, subHeight = 90, growX = 60, growY = 40;
    for (Look look : {Look::Sizing, Look::Fixed, Look::Old}) {
        for (TSubFormPos pos : {fpLeft, fpBottom}) {
            SCOPED_TRACE(testing::Message() << "look " << int(look) << " position " << int(pos));
            // The plain dialog: the same component and options without a sub form.
            std::vector<Placed> plain;
            SIZE plainClient = {};
            {
                TCOpenDialog dialog(nullptr);
                SetLook(dialog, look);
                dialog.SetInitialDir(folder.Path(""));
                dialog.SetDialogSizing(true);
                FileDialogDriver driver;
                driver.Run(dialog, {ShrinkToMinimum, [&](HWND window) {
                                        plain = OwnControls(window, nullptr);
                                        plainClient = ClientSize(window);
                                        FileDialogDriver::Cancel(window);
                                    }});
            }
            std::unique_ptr<TForm> sub(NewSubForm(subWidth, subHeight));
            TCOpenDialog dialog(nullptr);
            SetLook(dialog, look);
            dialog.SetInitialDir(folder.Path(""));
            dialog.SetDialogSizing(true);
            dialog.SetSubForm(sub.get());
            dialog.SetSubFormPos(pos);
            const int roomX = pos == fpLeft ? subWidth : 0, roomY = pos == fpBottom ? subHeight : 0;
            std::vector<Placed> before;
            SIZE client = {};
            auto checkSubForm = [&](HWND window, int dw, int dh) {
                SIZE now = ClientSize(window);
                RECT want = {0, 0, roomX, now.cy};
                if (pos == fpBottom)
                    want = {0, now.cy - subHeight, now.cx, now.cy};
                RECT got = ClientRectOfWindow(sub->GetHandle());
                EXPECT_TRUE(SameRect(want, got)) << Text(got) << " instead of " << Text(want);
                EXPECT_EQ(client.cx + dw, now.cx);
                EXPECT_EQ(client.cy + dh, now.cy);
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
                EXPECT_TRUE(SameRect(want, got.Rect))
                    << got.Class << " " << got.Id << " " << Text(got.Rect) << " instead of " << Text(want);
            };
            FileDialogDriver driver;
            driver.Run(dialog, {[&](HWND window) {
                                    client = ClientSize(window);
                                    EXPECT_EQ(plainClient.cx + roomX, client.cx);
                                    EXPECT_EQ(plainClient.cy + roomY, client.cy);
                                    before = OwnControls(window, sub->GetHandle());
                                    ASSERT_EQ(plain.size(), before.size());
                                    for (size_t i = 0; i < plain.size(); ++i) {
                                        RECT want = plain[i].Rect;
                                        OffsetRect(&want, roomX, 0);
                                        EXPECT_EQ(plain[i].Class, before[i].Class);
                                        checkControl(before[i], want);
                                    }
                                    checkSubForm(window, 0, 0);
                                    RECT outer;
                                    GetWindowRect(window, &outer);
                                    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + growX,
                                                 outer.bottom - outer.top + growY, SWP_NOMOVE | SWP_NOZORDER);
                                },
                                [&](HWND window) {
                                    checkSubForm(window, growX, growY);
                                    std::vector<Placed> after = OwnControls(window, sub->GetHandle());
                                    ASSERT_EQ(before.size(), after.size());
                                    // The split of the fixed looks, from the places before the resize.
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
                                        if (look == Look::Sizing) {
                                            // The platform's layout: OK and Cancel keep the corner.
                                            if (before[i].Class != "Button" ||
                                                (before[i].Id != IDOK && before[i].Id != IDCANCEL))
                                                continue;
                                            OffsetRect(&want, growX, growY);
                                        } else {
                                            Follow(want.left, want.right, split.x, growX);
                                            Follow(want.top, want.bottom, split.y, growY);
                                        }
                                        checkControl(after[i], want);
                                    }
                                    ShrinkToMinimum(window);
                                },
                                [&](HWND window) {
                                    checkSubForm(window, 0, 0);
                                    std::vector<Placed> back = OwnControls(window, sub->GetHandle());
                                    ASSERT_EQ(before.size(), back.size());
                                    for (size_t i = 0; i < before.size(); ++i)
                                        checkControl(back[i], before[i].Rect);
                                    FileDialogDriver::Cancel(window);
                                }});
            EXPECT_FALSE(driver.Stalled);
        }
    }
}

namespace {

// A frameless window at a screen place with stand-ins for the two file lists, so that screen
// rectangles (negative ones too) are exactly what a test asks for.
struct ListsWindow {
    HWND Window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND Lists[2] = {};
    ~ListsWindow() { DestroyWindow(Window); }
    void Place(int x, int y, const RECT& list1, const RECT& list2)
    {
        SetWindowPos(Window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT* rects[2] = {&list1, &list2};
        for (int i = 0; i < 2; ++i) {
            if (Lists[i] == nullptr)
                Lists[i] = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, Window,
                                           reinterpret_cast<HMENU>(INT_PTR(1120 + i)), nullptr, nullptr);
            const RECT& r = *rects[i];
            SetWindowPos(Lists[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
        }
    }
};

}  // namespace

// The split points: the centre of 1121 (Explorer look) and three quarters down 1120 (old
// look), products before the division, quotients truncated toward zero.
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
        ListsWindow lists;
        lists.Place(row.Origin.x, row.Origin.y, row.List1, row.List2);
        TCustomDlgsUnit unit(nullptr);
        auto* old = new TFixedOldOpenDialogCustomizer;
        unit.RegistDialog(lists.Window, old);
        TPoint point = {};
        ASSERT_TRUE(old->CalcDialogCenterLine(point));
        EXPECT_EQ(row.Old.x, point.x);
        EXPECT_EQ(row.Old.y, point.y);
        EXPECT_EQ(row.List1.bottom - row.List1.top, old->GetList1Height());
        EXPECT_EQ(row.List2.bottom - row.List2.top, old->GetList2Height());
        delete old;
        TFixedOpenDialogCustomizer explorer;
        unit.RegistDialog(lists.Window, &explorer);
        ASSERT_TRUE(explorer.CalcDialogCenterLine(point));
        EXPECT_EQ(row.Explorer.x, point.x);
        EXPECT_EQ(row.Explorer.y, point.y);
    }
    // Without the list there is no split.
    ListsWindow bare;
    TCustomDlgsUnit unit(nullptr);
    TFixedOldOpenDialogCustomizer old;
    unit.RegistDialog(bare.Window, &old);
    TPoint point = {};
    EXPECT_FALSE(old.CalcDialogCenterLine(point));
    TFixedOpenDialogCustomizer explorer;
    unit.RegistDialog(bare.Window, &explorer);
    EXPECT_FALSE(explorer.CalcDialogCenterLine(point));
}

TEST(OpenDialogTest, RegisterPutsBothDialogsOnTheDialogsPage)
{
    ClearDesignRegistry();
    COpenDlg::Register();
    std::vector<TComponentClass> classes = PaletteClasses("Dialogs");
    ASSERT_EQ(2u, classes.size());
    EXPECT_EQ("TCOpenDialog", classes[0].Name);
    EXPECT_EQ("TCSaveDialog", classes[1].Name);
    std::unique_ptr<TComponent> made(classes[1].Create(nullptr));
    EXPECT_STREQ("TCSaveDialog", made->ClassName());
    std::vector<std::string> filed;
    for (const TPropertyRegistration& entry : PropertiesInCategory(sVisualCategoryName))
        filed.push_back(entry.ClassName + "." + entry.PropertyName);
    EXPECT_EQ((std::vector<std::string>{"TCOpenDialog.SubFormPos", "TCOpenDialog.SubFormAnchors",
                                        "TCOpenDialog.MinEdgeSpace"}),
              filed);
    ClearDesignRegistry();
}
