// The customizable folder browser: the customizer chosen per look, the freeze while the new
// look grows, the classic look's split point, and both looks on Wine's real browser.
#include "TestDialog.h"

#include "dialogs/CSelFDlg.h"
#include "framework/DesignRegistry.h"
#include "support/FileDialogDriver.h"
#include "support/PaletteCheck.h"
#include "support/WindowsFolderBrowser.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace TestDialogs;

namespace {

// The real shell reporting a chosen version.
class VersionShell : public TShellApi {
public:
    DWORD Version = 0;
    VersionShell() : FPrevious(SetShellApi(this)) {}
    ~VersionShell() override { SetShellApi(FPrevious); }
    DWORD ShellVersion() override { return Version; }

private:
    TShellApi* FPrevious;
};

bool IsNewLook(TDialogCustomizer* customizer)
{
    return dynamic_cast<TNewSelectFolderDialogCustomizer*>(customizer) != nullptr;
}

TEST(CustomFolderDialogTest, CustomizerFollowsTheLookAndTheShellVersion)
{
    const DWORD real = GetShellVersion();
    EXPECT_GE(real, 0x50000u);  // Wine reports 6.0
    EXPECT_LT(real, 0x100000u);
    EXPECT_EQ(real, GetShellVersion());  // loaded and released anew each time

    VersionShell shell;
    auto dialogOwned = MakeObject<TCSelectFolderDialog>(nullptr);
    TCSelectFolderDialog& dialog = *dialogOwned;
    for (bool newStyle : {false, true}) {
        for (DWORD version : {0x0u, 0x40048u, 0x50000u, 0x60000u}) {
            shell.Version = version;
            dialog.SetOptions(static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) |
                                                           (newStyle ? OptionBit(bifNewDialogStyle) : 0)));
            int kind = -1;
            dialog.OnShow = [&](TObject*) {
                kind = IsNewLook(dialog.GetCustomizer()) ? 1 : 0;
                EXPECT_EQ(dialog.GetCustomizer(), dialog.GetDlgsUnit()->GetCustomizer());
                PostMessageA(dialog.GetHandle(), WM_COMMAND, IDCANCEL, 0);
            };
            EXPECT_FALSE(dialog.Execute());
            EXPECT_EQ(newStyle && version >= 0x50000 ? 1 : 0, kind) << newStyle << " " << std::hex << version;
            EXPECT_EQ(nullptr, dialog.GetCustomizer());
        }
    }
}

// A dialog that lays its children out on every size change, as the new-look browser does:
// every child is asked to go to (10, 10).
WNDPROC LayoutOldProc = nullptr;
size_t FrozenDuringGrowth = 0;
LRESULT CALLBACK LayoutOnSize(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SIZE) {
        FrozenDuringGrowth = TNewSelectFolderDialogCustomizer::ControlsDefProc.size();
            for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            SetWindowPos(child, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return CallWindowProcA(LayoutOldProc, window, msg, wParam, lParam);
}

TEST(CustomFolderDialogTest, NewLookHoldsEveryControlButScrollBarsWhileTheWindowGrows)
{
    HWND dialog = CreateTestDialog(true);
    LayoutOldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LayoutOnSize)));
    const auto before = Snapshot(dialog);
    std::map<int, LONG_PTR> procs;
    for (const auto& place : before)
        procs[place.first] = GetWindowLongPtrA(GetDlgItem(dialog, place.first), GWLP_WNDPROC);
    const SIZE size = WindowSize(dialog);

    auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& unit = *unitOwned;
    TObjectPtr<TForm> sub(NewSubForm(120, 80));
    unit.SetSubFormPos(fpRight);
    unit.SetSubForm(sub.get());
    auto* customizer = new TNewSelectFolderDialogCustomizer;
    FrozenDuringGrowth = 0;
    unit.RegistDialog(dialog, customizer);

    EXPECT_EQ(size.cx + 120, WindowSize(dialog).cx);
    EXPECT_EQ(6u, FrozenDuringGrowth);  // every descendant (a grandchild too) but the two scroll bars
    EXPECT_TRUE(TNewSelectFolderDialogCustomizer::ControlsDefProc.empty());
    EXPECT_TRUE(customizer->GetAlwaysMoveSubForm());
    const auto after = Snapshot(dialog);
    for (const auto& place : before) {
        const bool scrollBar = place.first == idScroll || place.first == idSizeGrip;
        const RECT& now = after.at(place.first);
        if (scrollBar) {
            EXPECT_EQ(10, now.left) << place.first;
            EXPECT_EQ(10, now.top) << place.first;
        } else {
            EXPECT_TRUE(EqualRect(&place.second, &now)) << place.first;
        }
        EXPECT_EQ(procs[place.first], GetWindowLongPtrA(GetDlgItem(dialog, place.first), GWLP_WNDPROC));
    }
    DestroyWindow(dialog);
    delete customizer;
}

// The classic look's split point, on a tree view placed at a chosen screen rectangle.
class TestOldCustomizer : public TOldSelectFolderDialogCustomizer {
public:
    void SetHandle(HWND window) { FHandle = window; }
};

TEST(CustomFolderDialogTest, ClassicSplitPointIsAQuarterAcrossTheTreeAtItsMiddle)
{
    struct Case {
        RECT Tree;
        bool HasTree;
        POINT Expected;
    };
    const Case cases[] = {
        {{100, 50, 300, 250}, true, {150, 150}},
        {{-101, -51, 0, 0}, true, {-75, -25}},  // truncated toward zero
        {{0, 0, 0, 0}, false, {7, 7}},
    };
    for (const Case& c : cases) {
        const POINT origin = {-300, -300};
        HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, origin.x, origin.y, 800, 800, nullptr, nullptr,
                                      nullptr, nullptr);
        CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
        if (c.HasTree)
            CreateWindowExA(0, "SysTreeView32", "", WS_CHILD, c.Tree.left - origin.x, c.Tree.top - origin.y,
                            c.Tree.right - c.Tree.left, c.Tree.bottom - c.Tree.top, parent, nullptr, nullptr,
                            nullptr);
        TestOldCustomizer customizer;
        customizer.SetHandle(parent);
        TPoint point = {7, 7};
        EXPECT_EQ(c.HasTree, customizer.CalcDialogCenterLine(point));
        EXPECT_EQ(c.Expected.x, point.x);
        EXPECT_EQ(c.Expected.y, point.y);
        DestroyWindow(parent);
    }
}

// Places of the browser's own controls (client coordinates, by identifier).
std::map<int, RECT> BrowserControls(HWND browser, HWND subForm)
{
    std::map<int, RECT> places;
    for (HWND child = GetWindow(browser, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child != subForm && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
            places[GetDlgCtrlID(child)] = ClientRectOfWindow(child);
    }
    return places;
}

// What one run of the browser looked like.
struct Opening {
    std::map<int, RECT> Registered;  // the controls once the customizer is registered
    std::map<int, RECT> Shown;       // the controls once the browser is shown
    SIZE Window = {0, 0};
    POINT Place = {0, 0};
    RECT SubForm = {0, 0, 0, 0};
    bool Closed = false;
};

// Measures the browser at registration and once shown, then presses OK (Wine shows a dialog
// only when its queue first runs empty, so a command posted from OnShow would come before).
class MeasuredDialog : public TCSelectFolderDialog {
public:
    MeasuredDialog() : TCSelectFolderDialog(nullptr) {}
    Opening Last;
    std::function<void(HWND)> WhileOpen;

    Opening Run()
    {
        Last = Opening();
        FPressed = false;
        OnClose = [this](TObject*) {
            // The customizer has done its closing work and is not yet gone.
            EXPECT_EQ(nullptr, GetDlgsUnit()->GetCustomizer());
            EXPECT_NE(nullptr, GetCustomizer());
            EXPECT_TRUE(GetSubForm() == nullptr || GetSubForm()->GetParentWindow() != GetHandle());
            Last.Closed = true;
        };
        EXPECT_TRUE(Execute());
        EXPECT_EQ(nullptr, GetCustomizer());
        return Last;
    }

protected:
    HWND SubWindow() const { return GetSubForm() != nullptr ? GetSubForm()->GetHandle() : nullptr; }
    void DoShow() override
    {
        TCSelectFolderDialog::DoShow();
        Last.Registered = BrowserControls(GetHandle(), SubWindow());
    }
    void DoShowWindow() override
    {
        TCSelectFolderDialog::DoShowWindow();
        if (FPressed)
            return;
        FPressed = true;
        PostMessageA(GetHandle(), WM_COMMAND, IDOK, 0);
        OnCanClose = [this](TObject*, bool&) {
            HWND window = GetHandle();
            Last.Shown = BrowserControls(window, SubWindow());
            Last.Window = WindowSize(window);
            RECT r;
            GetWindowRect(window, &r);
            Last.Place = POINT{r.left, r.top};
            if (SubWindow() != nullptr)
                Last.SubForm = ClientRectOfWindow(SubWindow());
            if (WhileOpen)
                WhileOpen(window);
        };
    }

private:
    bool FPressed = false;
};

std::string Describe(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class CustomFolderLookTest : public testing::TestWithParam<bool> {};

TEST_P(CustomFolderLookTest, SubFormGetsItsRoomBesideTheBrowsersControls)
{
    const bool newLook = GetParam();
    const TSFolderOptions options =
        static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) | (newLook ? OptionBit(bifNewDialogStyle) : 0));
    Opening plain;
    {
        MeasuredDialog dialog;
        dialog.SetOptions(options);
        plain = dialog.Run();
    }
    ASSERT_FALSE(plain.Shown.empty());
    const int subWidth = 150;
    const int subHeight = 90;
    for (TSubFormPos pos : {fpLeft, fpBottom}) {
        MeasuredDialog dialog;
        dialog.SetOptions(options);
        TObjectPtr<TForm> sub(NewSubForm(subWidth, subHeight));
        dialog.SetSubFormPos(pos);
        dialog.SetSubForm(sub.get());
        dialog.SetCaption("Folder caption");
        const std::string look = std::string(newLook ? "new " : "classic ") + (pos == fpLeft ? "left" : "bottom");
        std::string captionAfterHide;
        dialog.WhileOpen = [&](HWND window) {
            // A hide starts the customizing again: the caption comes back.
            SetWindowTextA(window, "changed");
            SendMessageA(window, WM_SHOWWINDOW, FALSE, 0);
            char text[64] = {};
            GetWindowTextA(window, text, sizeof(text));
            captionAfterHide = text;
            SetWindowPos(window, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        };
        const Opening grown = dialog.Run();
        EXPECT_TRUE(grown.Closed);
        EXPECT_EQ("Folder caption", captionAfterHide) << look;
        const SIZE room = pos == fpLeft ? SIZE{subWidth, 0} : SIZE{0, subHeight};
        EXPECT_EQ(plain.Window.cx + room.cx, grown.Window.cx) << look;
        EXPECT_EQ(plain.Window.cy + room.cy, grown.Window.cy) << look;
        const RECT strip = pos == fpLeft ? RECT{0, 0, subWidth, grown.SubForm.bottom}
                                       : RECT{0, grown.SubForm.top, grown.SubForm.right, grown.SubForm.top + subHeight};
        EXPECT_TRUE(EqualRect(&strip, &grown.SubForm)) << look << " " << Describe(grown.SubForm);
        ASSERT_EQ(plain.Shown.size(), grown.Shown.size()) << look;
        for (const auto& place : plain.Shown) {
            // Beside the sub form as in the plain browser, also after the new look laid itself
            // out afresh from its edges when it was shown.
            RECT expected = place.second;
            OffsetRect(&expected, room.cx, 0);
            const RECT& now = grown.Shown.at(place.first);
            EXPECT_TRUE(EqualRect(&expected, &now)) << look << " control " << place.first << ": " << Describe(now);
            if (newLook) {
                // Held while the window grew, then moved once beside the sub form.
                RECT held = plain.Registered.at(place.first);
                OffsetRect(&held, room.cx, 0);
                const RECT& registered = grown.Registered.at(place.first);
                EXPECT_TRUE(EqualRect(&held, &registered)) << look << " " << place.first << Describe(registered);
            }
            if (pos == fpLeft) {
                EXPECT_GE(now.left, grown.SubForm.right) << look << " " << place.first;
            } else {
                EXPECT_LE(now.bottom, grown.SubForm.top) << look << " " << place.first;
            }
        }

        // The place the browser had at closing is where the next opening puts it.
        EXPECT_EQ(123, dialog.GetDlgsUnit()->GetLeft()) << look;
        if (pos == fpLeft) {
            dialog.WhileOpen = nullptr;
            const Opening again = dialog.Run();
            EXPECT_EQ(123, again.Place.x) << look;
            EXPECT_EQ(77, again.Place.y) << look;
            EXPECT_EQ(grown.Window.cx, again.Window.cx) << look;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothLooks, CustomFolderLookTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "New" : "Classic"; });

TEST(CustomFolderDialogTest, RegisterPutsBothFolderDialogsOnTheDialogsPage)
{
    ClearDesignRegistry();
    CSelFDlg::Register();
    const std::vector<std::string> made = MadeFromPalette("Dialogs");
    EXPECT_EQ((std::vector<std::string>{"TSelectFolderDialog", "TCSelectFolderDialog"}), made);
    auto names = [&](const char* category) { return FiledProperties(category, made); };
    EXPECT_EQ((std::vector<std::string>{"TSelectFolderDialog.Title", "TSelectFolderDialog.StatusText",
                                        "TCSelectFolderDialog.SubFormPos", "TCSelectFolderDialog.SubFormAnchors",
                                        "TCSelectFolderDialog.MinEdgeSpace"}),
              names(sVisualCategoryName));
    EXPECT_EQ((std::vector<std::string>{"TSelectFolderDialog.Title", "TSelectFolderDialog.StatusText"}),
              names(sLocalizableCategoryName));
    ClearDesignRegistry();
}

// A folder 30 levels down and the last and the middle of 300 siblings, made before any browser
// opens (Wine's browser does not see folders made after it listed their parent).
std::string PresetRoot()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    return std::string(base) + "tapstorm-preset";
}

std::string Sibling(int n)
{
    char name[16];
    wsprintfA(name, "s%03d", n);
    return PresetRoot() + "\\wide\\" + name;
}

std::string Deep(int levels)
{
    std::string path = PresetRoot() + "\\deep";
    for (int level = 1; level <= levels; ++level)
        path += "\\d" + std::to_string(level);
    return path;
}

class PresetFolders : public testing::Environment {
public:
    void SetUp() override
    {
        for (const std::string& path : Paths())
            CreateDirectoryA(path.c_str(), nullptr);
    }
    void TearDown() override
    {
        const std::vector<std::string> paths = Paths();
        for (auto path = paths.rbegin(); path != paths.rend(); ++path)
            RemoveDirectoryA(path->c_str());
    }

private:
    // Parents first.
    static std::vector<std::string> Paths()
    {
        std::vector<std::string> paths = {PresetRoot(), PresetRoot() + "\\wide"};
        for (int n = 1; n <= 300; ++n)
            paths.push_back(Sibling(n));
        for (int level = 0; level <= 30; ++level)
            paths.push_back(Deep(level));
        return paths;
    }
};
testing::Environment* const Presets = testing::AddGlobalTestEnvironment(new PresetFolders);

// Where the tree shows its selected item, once the browser is shown and idle.
struct SelectionView {
    RECT Item = {0, 0, 0, 0};
    RECT Tree = {0, 0, 0, 0};
    bool Found = false;
};

SelectionView Shown(HWND browser)
{
    SelectionView view;
    HWND tree = WindowsFolderBrowser::Tree(browser);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    GetClientRect(tree, &view.Tree);
    *reinterpret_cast<HTREEITEM*>(&view.Item) = item;
    view.Found = item != nullptr && SendMessageA(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&view.Item));
    return view;
}

class PresetInViewTest : public testing::TestWithParam<bool> {};

TEST_P(PresetInViewTest, ThePresetFolderIsInViewOnceTheBrowserIsShown)
{
    WindowsFolderBrowser shell;
    shell.TreeInHost = GetParam();
    const TSFolderOptions options =
        static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) | OptionBit(bifNewDialogStyle));
    for (const std::string& preset : {Deep(30), Sibling(151), Sibling(300)}) {
        // No sub form, and the two places of one that change the tree's height.
        for (int pos : {-1, int(fpTop), int(fpBottom)}) {
            SCOPED_TRACE(preset + " sub form at " + std::to_string(pos));
            auto dialogOwned = MakeObject<TCSelectFolderDialog>(nullptr);
            TCSelectFolderDialog& dialog = *dialogOwned;
            dialog.SetOptions(options);
            TObjectPtr<TForm> sub(NewSubForm(150, 90));
            if (pos >= 0) {
                dialog.SetSubFormPos(static_cast<TSubFormPos>(pos));
                dialog.SetSubForm(sub.get());
            }
            dialog.SetSelectFolder(preset);
            SelectionView view;
            FileDialogDriver driver;
            EXPECT_TRUE(driver.Run(dialog, {[&](HWND browser) {
                                                view = Shown(browser);
                                                FileDialogDriver::Press(browser, IDOK);
                                            }}));
            EXPECT_EQ(preset, dialog.GetSelectFolder());
            ASSERT_TRUE(view.Found);
            EXPECT_GE(view.Item.top, view.Tree.top) << Describe(view.Item) << " in " << Describe(view.Tree);
            EXPECT_LE(view.Item.bottom, view.Tree.bottom) << Describe(view.Item) << " in " << Describe(view.Tree);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(TreeAsWineAndWindowsPlaceIt, PresetInViewTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "InHost" : "DirectChild"; });

}  // namespace
