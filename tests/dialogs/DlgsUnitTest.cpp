// The settings unit: start values, setters while closed and while open, closing, the icon.
#include "TestDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using namespace TestDialogs;

namespace {

void ExpectSpaces(const TDialogEdgeSpace* space, unsigned l, unsigned t, unsigned r, unsigned b)
{
    EXPECT_EQ(l, space->GetLeftSpace());
    EXPECT_EQ(t, space->GetTopSpace());
    EXPECT_EQ(r, space->GetRightSpace());
    EXPECT_EQ(b, space->GetBottomSpace());
}

TEST(DlgsUnitTest, NewUnitStartsClosedWithItsDefaults)
{
    auto ownerOwned = MakeObject<TComponent>(nullptr);
    TComponent& owner = *ownerOwned;
    auto* unit = new TCustomDlgsUnit(&owner);
    EXPECT_EQ(&owner, unit->GetOwner());
    EXPECT_EQ(nullptr, unit->GetHandle());
    EXPECT_EQ(nullptr, unit->GetSubForm());
    EXPECT_EQ(fpClient, unit->GetSubFormPos());
    EXPECT_EQ(0x0F, unit->GetSubFormAnchors());
    EXPECT_FALSE(unit->GetDialogSizing());
    EXPECT_EQ(-1, unit->GetPosition().x);
    EXPECT_EQ(-1, unit->GetPosition().y);
    EXPECT_EQ(-1, unit->GetDialogSize().x);
    EXPECT_EQ(-1, unit->GetDialogSize().y);
    EXPECT_EQ("", unit->GetCaption());
    EXPECT_TRUE(unit->GetIcon()->Empty());
    ExpectSpaces(unit->GetMinEdgeSpace(), 0, 0, 0, 0);
    ExpectSpaces(unit->GetNowEdgeSpace(), 0, 0, 0, 0);
    // Stored in forms: the values must not move.
    EXPECT_EQ(0, fpLeft);
    EXPECT_EQ(4, fpClient);
    EXPECT_EQ(0x05, SubFormAnchors({faLeft, faRight}));
    EXPECT_EQ(1u, sizeof(TSubFormPos));
    EXPECT_EQ(1u, sizeof(TSubFormAnchors));
    // Its owner frees it.
}

TEST(DlgsUnitTest, EdgeSpacesAssignAndVetting)
{
    TDialogEdgeSpace source(1, 2, 3, 4);
    ExpectSpaces(&source, 1, 2, 3, 4);
    source.SetTopSpace(20);
    ExpectSpaces(&source, 1, 20, 3, 4);

    auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& unit = *unitOwned;
    unit.SetMinEdgeSpace(&source);
    ExpectSpaces(unit.GetMinEdgeSpace(), 1, 20, 3, 4);
    unit.GetMinEdgeSpace()->SetRightSpace(9);
    ExpectSpaces(unit.GetMinEdgeSpace(), 1, 20, 9, 4);

    // Not an edge space: the framework's assignment error, nothing changed.
    TIcon notASpace;
    EXPECT_THROW(unit.GetMinEdgeSpace()->Assign(&notASpace), EConvertError);
    EXPECT_THROW(unit.GetMinEdgeSpace()->Assign(nullptr), EConvertError);
    ExpectSpaces(unit.GetMinEdgeSpace(), 1, 20, 9, 4);

    // Without an owner nothing is ever stored.
    TDialogMinEdgeSpace orphan(nullptr);
    orphan.SetAllEdgeSpace(5, 6, 7, 8);
    orphan.SetLeftSpace(3);
    orphan.Assign(&source);
    ExpectSpaces(&orphan, 0, 0, 0, 0);
}

// A unit that records each removal it is told of, and whether the component read as being
// destroyed at that moment.
class WatchingUnit : public TCustomDlgsUnit {
public:
    using TCustomDlgsUnit::TCustomDlgsUnit;
    std::vector<std::pair<TComponent*, bool>> Removals;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        if (operation == opRemove)
            Removals.emplace_back(component, (component->ComponentState() & csDestroying) != 0);
        TCustomDlgsUnit::Notification(component, operation);
    }
};

TEST(DlgsUnitTest, SubFormFreeNotificationFollowsTheAssignedForm)
{
    WatchingUnit unit(nullptr);
    TForm* first = NewSubForm(50, 50);
    TForm* second = NewSubForm(60, 60);
    unit.SetSubForm(first);
    unit.SetSubForm(second);
    FreeObject(first);  // no longer watched: not heard of
    EXPECT_TRUE(unit.Removals.empty());
    EXPECT_EQ(second, unit.GetSubForm());
    FreeObject(second);
    EXPECT_EQ(nullptr, unit.GetSubForm());
    ASSERT_EQ(1u, unit.Removals.size());
    EXPECT_EQ(second, unit.Removals[0].first);
    EXPECT_TRUE(unit.Removals[0].second);

    unit.Removals.clear();
    TForm* third = NewSubForm(60, 60);
    unit.SetSubForm(third);
    unit.SetSubForm(nullptr);
    FreeObject(third);
    EXPECT_TRUE(unit.Removals.empty());
    EXPECT_EQ(nullptr, unit.GetSubForm());
}

TEST(DlgsUnitTest, SubFormFreedWithItsOwnerWhileEmbeddedIsLetGo)
{
    // One owner holds a dialog component (which frees its customizer when it goes) and the sub
    // form. The owner tells the unit of the form before the form's own destructor runs; the form
    // must already read as being destroyed then, so that the customizer never restores it.
    struct Seen {
        int Updates = -1;
        TForm* Embedded = nullptr;
        bool FormWasGoing = false;
    } seen;
    struct DialogComponent : TComponent {
        WatchingUnit* Unit;
        TestSizingCustomizer* Customizer = nullptr;
        Seen& Record;
        DialogComponent(TComponent* owner, Seen& record) : TComponent(owner), Unit(new WatchingUnit(this)), Record(record)
        {
        }
        ~DialogComponent() override
        {
            for (const auto& removal : Unit->Removals)
                Record.FormWasGoing = Record.FormWasGoing || removal.second;
            Record.Updates = Customizer->Updates;
            Record.Embedded = Customizer->GetEmbeddedForm();
            if (Record.Embedded != nullptr)
                Customizer->ForgetEmbeddedForm();
            delete Customizer;
        }
    };
    auto* owner = new TComponent(nullptr);
    auto* component = new DialogComponent(owner, seen);
    auto* sub = new TForm(owner);  // the newest: freed first
    sub->SetClientWidth(200);
    sub->SetClientHeight(150);
    sub->HandleNeeded();
    component->Unit->SetSubFormPos(fpLeft);
    component->Unit->SetSubForm(sub);
    HWND dialog = CreateTestDialog(true);
    LONG_PTR oldProc = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
    component->Customizer = new TestSizingCustomizer;
    component->Unit->RegistDialog(dialog, component->Customizer);
    component->Unit->StartCustomize();
    ASSERT_EQ(sub, component->Customizer->GetEmbeddedForm());
    ASSERT_EQ(dialog, GetParent(sub->GetHandle()));

    FreeObject(owner);
    EXPECT_TRUE(seen.FormWasGoing);
    EXPECT_EQ(1, seen.Updates);
    EXPECT_EQ(nullptr, seen.Embedded);
    // The dialog outlives its customizer with its own window procedure back.
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(oldProc, GetWindowLongPtrA(dialog, GWLP_WNDPROC));
    DestroyWindow(dialog);
}

TEST(DlgsUnitTest, SubFormOwnedAlongsideTheUnitIsStillDroppedWhenFreed)
{
    // Siblings under one owner: the unit must hear of the form while it is still a form.
    auto ownerOwned = MakeObject<TComponent>(nullptr);
    TComponent& owner = *ownerOwned;
    auto* unit = new TCustomDlgsUnit(&owner);
    auto* form = new TForm(&owner);
    unit->SetSubForm(form);
    FreeObject(form);
    EXPECT_EQ(nullptr, unit->GetSubForm());
}

TEST(DlgsUnitTest, SettersWhileClosedStoreOnly)
{
    auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& unit = *unitOwned;
    unit.SetSubFormPos(fpTop);
    unit.SetSubFormAnchors(SubFormAnchors({faBottom}));
    unit.SetDialogSizing(true);
    unit.SetCaption("検索");
    unit.SetPosition(TPoint{10, 20});
    unit.SetLeft(11);
    unit.SetTop(22);
    EXPECT_EQ(fpTop, unit.GetSubFormPos());
    EXPECT_EQ(AnchorBit(faBottom), unit.GetSubFormAnchors());
    EXPECT_TRUE(unit.GetDialogSizing());
    EXPECT_EQ("検索", unit.GetCaption());
    EXPECT_EQ(11, unit.GetLeft());
    EXPECT_EQ(22, unit.GetTop());
    // Registering no window leaves it closed.
    TestFixedCustomizer c;
    unit.RegistDialog(nullptr, &c);
    EXPECT_EQ(nullptr, unit.GetHandle());
    EXPECT_EQ(0, c.GetState());
    unit.StartCustomize();
}

struct OpenUnit {
    TObjectPtr<TCustomDlgsUnit> Unit = MakeObject<TCustomDlgsUnit>(nullptr);
    HWND Dialog = nullptr;
    TDialogCustomizer* Customizer = nullptr;
    void Open(TDialogCustomizer* customizer, bool resizable)
    {
        Dialog = CreateTestDialog(resizable);
        Customizer = customizer;
        Unit->RegistDialog(Dialog, customizer);
        Unit->StartCustomize();
    }
    void Close()
    {
        if (Dialog != nullptr)
            DestroyWindow(Dialog);
        Dialog = nullptr;
        delete Customizer;
        Customizer = nullptr;
    }
    ~OpenUnit() { Close(); }
};

TEST(DlgsUnitTest, SizingDialogOpenRefusesLayoutChanges)
{
    OpenUnit open;
    TForm* sub = NewSubForm(100, 80);
    TForm* other = NewSubForm(100, 80);
    open.Unit->SetSubFormPos(fpLeft);
    open.Unit->SetSubForm(sub);
    auto* c = new TestSizingCustomizer;
    open.Open(c, true);
    open.Unit->SetSubForm(other);
    open.Unit->SetSubFormPos(fpTop);
    open.Unit->SetSubFormAnchors(0);
    open.Unit->GetMinEdgeSpace()->SetAllEdgeSpace(1, 2, 3, 4);
    open.Unit->GetMinEdgeSpace()->SetTopSpace(7);
    open.Unit->SetDialogSizing(true);
    EXPECT_EQ(sub, open.Unit->GetSubForm());
    EXPECT_EQ(fpLeft, open.Unit->GetSubFormPos());
    EXPECT_EQ(AllSubFormAnchors, open.Unit->GetSubFormAnchors());
    ExpectSpaces(open.Unit->GetMinEdgeSpace(), 0, 0, 0, 0);
    EXPECT_FALSE(open.Unit->GetDialogSizing());
    EXPECT_EQ(0, c->Updates);
    // Caption and icon still go through.
    open.Unit->SetCaption("開く");
    EXPECT_EQ("開く", open.Unit->GetCaption());
    open.Close();
    FreeObject(sub);
    FreeObject(other);
}

TEST(DlgsUnitTest, FixedDialogOpenStoresAndLaysOutOnceForEachChange)
{
    OpenUnit open;
    TForm* sub = NewSubForm(100, 80);
    TForm* other = NewSubForm(120, 90);
    auto* c = new TestFixedCustomizer;
    open.Open(c, false);
    EXPECT_EQ(0, c->Updates);

    // Without a sub form the position and anchors are stored but nothing is laid out.
    open.Unit->SetSubFormPos(fpRight);
    open.Unit->SetSubFormAnchors(SubFormAnchors({faLeft}));
    EXPECT_EQ(fpRight, open.Unit->GetSubFormPos());
    EXPECT_EQ(0, c->Updates);

    struct Step {
        const char* Name;
        std::function<void()> Change;
        int Updates;
    };
    const Step steps[] = {
        {"sub form", [&] { open.Unit->SetSubForm(sub); }, 1},
        {"same values", [&] { open.Unit->SetSubFormAllProperties(sub, fpRight, SubFormAnchors({faLeft})); }, 0},
        {"position", [&] { open.Unit->SetSubFormPos(fpBottom); }, 1},
        {"anchors", [&] { open.Unit->SetSubFormAnchors(0); }, 1},
        {"one edge", [&] { open.Unit->GetMinEdgeSpace()->SetTopSpace(12); }, 1},
        {"all edges", [&] { open.Unit->GetMinEdgeSpace()->SetAllEdgeSpace(1, 2, 3, 4); }, 1},
        {"other form", [&] { open.Unit->SetSubForm(other); }, 1},
        {"no form", [&] { open.Unit->SetSubForm(nullptr); }, 1},
        {"sizing", [&] { open.Unit->SetDialogSizing(true); }, 0},
    };
    for (const Step& step : steps) {
        int before = c->Updates;
        step.Change();
        EXPECT_EQ(step.Updates, c->Updates - before) << step.Name;
    }
    EXPECT_EQ(fpBottom, open.Unit->GetSubFormPos());
    EXPECT_EQ(0, open.Unit->GetSubFormAnchors());
    ExpectSpaces(open.Unit->GetMinEdgeSpace(), 1, 2, 3, 4);
    EXPECT_FALSE(open.Unit->GetDialogSizing());
    // The last re-layout embedded `other` and then released it again.
    EXPECT_EQ(nullptr, GetParent(other->GetHandle()));
    EXPECT_EQ(nullptr, GetParent(sub->GetHandle()));
    open.Close();
    FreeObject(sub);
    FreeObject(other);
}

TEST(DlgsUnitTest, PositionWhileOpenMovesTheWindowAndIsRecordedAtClose)
{
    OpenUnit open;
    open.Unit->SetPosition(TPoint{40, 30});
    open.Open(new TestFixedCustomizer, false);
    EXPECT_EQ(40, open.Unit->GetPosition().x);
    // Moved by the user; setting the stored place again does nothing.
    SetWindowPos(open.Dialog, nullptr, 90, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    open.Unit->SetPosition(TPoint{40, 30});
    EXPECT_EQ(90, open.Unit->GetPosition().x);
    // Any other place moves the window; the live place is what reads back.
    open.Unit->SetTop(150);
    EXPECT_EQ(90, open.Unit->GetLeft());
    EXPECT_EQ(150, open.Unit->GetTop());
    open.Unit->SetPosition(TPoint{200, 210});
    RECT r;
    GetWindowRect(open.Dialog, &r);
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(210, r.top);
    // The caption reads the live title.
    SetWindowTextA(open.Dialog, "live");
    EXPECT_EQ("live", open.Unit->GetCaption());
    open.Close();
    EXPECT_EQ(200, open.Unit->GetPosition().x);
    EXPECT_EQ(210, open.Unit->GetPosition().y);
    EXPECT_EQ("", open.Unit->GetCaption());
}

TEST(DlgsUnitTest, ClosingRecordsTheSizeOnlyWhereTheDialogCouldBeResized)
{
    // The customizer says whether its dialog could be resized; a kind of its own may decline.
    struct Declining : TestSizingCustomizer {
        bool GetRemembersDialogSize() const override { return false; }
    };
    struct Case {
        bool Fixed;
        bool Sizing;
        bool SizeRecorded;
        bool Declines;
    };
    for (const Case& k : {Case{true, false, false, false}, Case{true, true, true, false},
                          Case{false, false, true, false}, Case{false, false, false, true}}) {
        OpenUnit open;
        TForm* sub = NewSubForm(80, 60);
        open.Unit->SetSubFormPos(fpRight);
        open.Unit->SetSubForm(sub);
        open.Unit->SetDialogSizing(k.Sizing);
        open.Open(k.Fixed      ? static_cast<TDialogCustomizer*>(new TestFixedCustomizer)
                  : k.Declines ? static_cast<TDialogCustomizer*>(new Declining)
                               : static_cast<TDialogCustomizer*>(new TestSizingCustomizer),
                  !k.Fixed);
        EXPECT_NE(0u, open.Unit->GetNowEdgeSpace()->GetRightSpace());
        // Only the registered customizer closes the unit.
        TestFixedCustomizer stranger;
        open.Unit->DialogDestroy(&stranger);
        EXPECT_EQ(open.Dialog, open.Unit->GetHandle());
        EXPECT_NE(0u, open.Unit->GetNowEdgeSpace()->GetRightSpace());
        SetWindowPos(open.Dialog, nullptr, 33, 44, 640, 480, SWP_NOZORDER);
        RECT r;
        GetWindowRect(open.Dialog, &r);
        open.Close();
        EXPECT_EQ(33, open.Unit->GetPosition().x);
        EXPECT_EQ(44, open.Unit->GetPosition().y);
        EXPECT_EQ(k.SizeRecorded ? r.right - r.left : -1, open.Unit->GetDialogSize().x) << k.Fixed << k.Sizing;
        EXPECT_EQ(k.SizeRecorded ? r.bottom - r.top : -1, open.Unit->GetDialogSize().y);
        ExpectSpaces(open.Unit->GetNowEdgeSpace(), 0, 0, 0, 0);
        FreeObject(sub);
    }
}

TEST(DlgsUnitTest, CaptionIsSetAtStartOnlyWhenOneIsStored)
{
    OpenUnit open;
    open.Open(new TestFixedCustomizer, false);
    EXPECT_EQ("Test dialog", open.Unit->GetCaption());
    open.Close();
    open.Unit->SetCaption("置換");
    open.Open(new TestFixedCustomizer, false);
    char title[64];
    GetWindowTextA(open.Dialog, title, sizeof(title));
    EXPECT_STREQ("置換", title);
}

TEST(DlgsUnitTest, IconGoesToTheClassFirstAndIsClearedAgain)
{
    // A window class of its own without an icon, so no other test's windows share it.
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    GetClassInfoExA(nullptr, "#32770", &wc);
    wc.cbSize = sizeof(wc);
    wc.lpszClassName = "TapstormIconTestDialog";
    wc.hIcon = nullptr;
    wc.hIconSm = nullptr;
    wc.hInstance = GetModuleHandleA(nullptr);
    ASSERT_NE(0, RegisterClassExA(&wc));
    HWND window = CreateWindowExA(0, "TapstormIconTestDialog", "icon", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 200,
                                  150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    auto classIcon = [&] { return reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)); };
    auto bigIcon = [&] { return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)); };
    // The class is shared by every dialog of the process: whatever it holds must stay alive.
    auto liveClassIcon = [&] {
        ICONINFO info = {};
        if (classIcon() == nullptr || !GetIconInfo(classIcon(), &info))
            return false;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return true;
    };

    auto unitOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& unit = *unitOwned;
    auto* c = new TestFixedCustomizer;
    unit.RegistDialog(window, c);
    EXPECT_EQ(nullptr, classIcon());  // empty icon, no class icon: nothing happens

    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    unit.SetIcon(&icon);
    ASSERT_FALSE(unit.GetIcon()->Empty());
    EXPECT_TRUE(liveClassIcon());
    EXPECT_NE(unit.GetIcon()->GetHandle(), classIcon());  // a copy of the unit's own

    // With the class icon set, a new icon goes to the window only.
    TIcon second;
    second.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_WARNING)));
    HICON firstClassIcon = classIcon();
    unit.SetIcon(&second);
    EXPECT_EQ(unit.GetIcon()->GetHandle(), bigIcon());
    EXPECT_EQ(firstClassIcon, classIcon());
    EXPECT_TRUE(liveClassIcon());  // the unit's first icon is gone; the class's copy is not

    TIcon empty;
    unit.SetIcon(&empty);
    EXPECT_TRUE(unit.GetIcon()->Empty());
    EXPECT_EQ(nullptr, classIcon());
    EXPECT_EQ(nullptr, bigIcon());

    DestroyWindow(window);
    delete c;

    // An icon chosen while closed reaches the window class when the next window registers.
    window = CreateWindowExA(0, "TapstormIconTestDialog", "icon", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 200, 150,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    auto presetOwned = MakeObject<TCustomDlgsUnit>(nullptr);
    TCustomDlgsUnit& preset = *presetOwned;
    preset.SetIcon(&icon);
    auto* again = new TestFixedCustomizer;
    preset.RegistDialog(window, again);
    EXPECT_TRUE(liveClassIcon());
    // The dialog's end takes the copy back out of the class.
    DestroyWindow(window);
    WNDCLASSEXA after = {};
    after.cbSize = sizeof(after);
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "TapstormIconTestDialog", &after));
    EXPECT_EQ(nullptr, after.hIcon);
    delete again;
    UnregisterClassA("TapstormIconTestDialog", GetModuleHandleA(nullptr));
}

}  // namespace
