// Components, forms and the standard controls on real windows.
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"
#include "framework/WndThunk.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

class Watcher : public TComponent {
public:
    Watcher(TComponent* owner, std::vector<std::string>& log, const char* name) : TComponent(owner), FLog(log)
    {
        SetName(name);
    }
    ~Watcher() override { FLog.push_back("free " + GetName()); }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove)
            FLog.push_back(GetName() + " told of " + component->GetName());
    }

private:
    std::vector<std::string>& FLog;
};

TEST(ComponentTest, OwnerFreesWhatItOwnsAndWatchersHearOfIt)
{
    std::vector<std::string> log;
    auto* owner = new Watcher(nullptr, log, "owner");
    new Watcher(owner, log, "a");
    auto* b = new Watcher(owner, log, "b");
    Watcher outsider(nullptr, log, "outsider");
    b->FreeNotification(&outsider);
    EXPECT_EQ(2, owner->ComponentCount());

    FreeObject(b);
    EXPECT_EQ(1, owner->ComponentCount());
    // The outsider hears of b while b is whole; b's owner (which passes it to its other
    // components) once b has left it.
    EXPECT_EQ((std::vector<std::string>{"outsider told of b", "free b", "a told of b", "owner told of b"}), log);

    log.clear();
    FreeObject(owner);
    EXPECT_EQ((std::vector<std::string>{"free owner", "free a"}), log);
}

TEST(ComponentTest, RemovedFreeNotificationIsNotSent)
{
    std::vector<std::string> log;
    auto* watched = new Watcher(nullptr, log, "watched");
    Watcher watcher(nullptr, log, "watcher");
    watched->FreeNotification(&watcher);
    watched->RemoveFreeNotification(&watcher);
    FreeObject(watched);
    EXPECT_EQ(std::vector<std::string>{"free watched"}, log);
}

// A component whose end fails, every time it is asked.
struct Failing : TComponent {
    Failing(TComponent* owner, bool* freed) : TComponent(owner), Freed(freed) {}
    void BeforeDestruction() override { throw Exception("end failed"); }
    ~Failing() override { *Freed = true; }
    bool* Freed;
};

TEST(ComponentTest, AFailingEndInsideTheOwnersDestructorReachesTheApplicationAndTheChildIsFreed)
{
    std::vector<std::string> shown;
    Application->OnException = [&](TObject*, const AnsiString& message) { shown.push_back(message); };
    bool freed = false;
    {
        std::vector<std::string> log;
        Watcher owner(nullptr, log, "owner");
        new Failing(&owner, &freed);
    }
    Application->OnException = nullptr;
    EXPECT_TRUE(freed);
    EXPECT_EQ(std::vector<std::string>{"end failed"}, shown);
}

// Closes this thread's message box titled "FormTest" once it is up.
void CALLBACK CloseFormTestBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (HWND box = FindWindowA("#32770", "FormTest"); box != nullptr && IsWindowVisible(box)) {
        KillTimer(nullptr, timer);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}

TEST(FormTest, ReleaseWaitsForTheFormsEventsAndIsLeftToWhoeverDestroysIt)
{
    std::vector<std::string> log;
    Watcher watcher(nullptr, log, "watcher");
    auto* form = new TForm(nullptr);
    form->SetName("form");
    form->HandleNeeded();
    form->FreeNotification(&watcher);
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    // Released from a click of its own check box, then a box: the box's loop must leave it whole.
    bool freedUnderTheHandler = true;
    check->OnClick = [&](TObject*) {
        form->Release();
        SetTimer(nullptr, 0, 20, CloseFormTestBox);
        MessageBoxA(nullptr, "released", "FormTest", MB_OK);
        freedUnderTheHandler = !log.empty();
    };
    HWND button = check->GetHandle();
    SendMessageA(form->GetHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    const DWORD start = GetTickCount();
    while (log.empty() && GetTickCount() - start < 30000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    EXPECT_FALSE(freedUnderTheHandler);
    EXPECT_EQ(std::vector<std::string>{"watcher told of form"}, log);

    // Released from its own OnDestroy while freed: freed once (a second free would meet poison).
    log.clear();
    auto* doomed = new TForm(nullptr);
    doomed->SetName("doomed");
    doomed->FreeNotification(&watcher);
    doomed->OnDestroy = [doomed](TObject*) { doomed->Release(); };
    FreeObject(doomed);
    Application->ProcessMessages();
    EXPECT_EQ(std::vector<std::string>{"watcher told of doomed"}, log) << "freed, and once";

    // A released component whose end runs a loop in which its owner is released: the owner
    // waits for that end, which would otherwise free the component a second time.
    struct LoopingEnd : TComponent {
        using TComponent::TComponent;
        std::function<void()> OnEnd;
        void BeforeDestruction() override
        {
            std::function<void()> onEnd;
            onEnd.swap(OnEnd);
            if (onEnd)
                onEnd();
            TComponent::BeforeDestruction();
        }
    };
    log.clear();
    auto* owner = new Watcher(nullptr, log, "owner");
    auto* part = new LoopingEnd(owner);
    auto ownerFreed = [&] { return std::find(log.begin(), log.end(), "free owner") != log.end(); };
    bool ownerFreedDuringTheEnd = true;
    part->OnEnd = [&] {
        Application->Release(owner);
        Application->ProcessMessages();
        ownerFreedDuringTheEnd = ownerFreed();
    };
    Application->Release(part);
    const DWORD released = GetTickCount();
    while (!ownerFreed() && GetTickCount() - released < 30000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    EXPECT_FALSE(ownerFreedDuringTheEnd);
    EXPECT_TRUE(ownerFreed());

    // Released, then freed with its owner before the release came: a loop its end runs leaves it
    // to the owner (a free there would be a second one, and meet poison).
    log.clear();
    Watcher watch(nullptr, log, "watch");
    auto* ended = new LoopingEnd(new Watcher(nullptr, log, "owner"));
    ended->SetName("released");
    ended->FreeNotification(&watch);
    bool freedDuringItsEnd = true;
    ended->OnEnd = [&] {
        Application->ProcessMessages();
        freedDuringItsEnd = !log.empty();
    };
    Application->Release(ended);
    FreeObject(ended->GetOwner());
    EXPECT_FALSE(freedDuringItsEnd);
    EXPECT_EQ((std::vector<std::string>{"watch told of released", "free owner"}), log);
}

TEST(FormTest, OnDestroyRunsWhileTheDerivedFormIsWhole)
{
    // A derived form whose handler reads its own members; its destructor marks them gone.
    struct Derived : TForm {
        std::string Title = "settings of a derived form";
        std::vector<int> Values = {1, 2, 3};
        bool* Gone;
        Derived(TComponent* owner, bool* gone, std::vector<std::string>& seen) : TForm(owner), Gone(gone)
        {
            OnDestroy = [this, &seen](TObject*) {
                seen.push_back(*Gone ? "gone" : Title + " " + std::to_string(Values.size()));
            };
        }
        ~Derived() override { *Gone = true; }
    };
    enum How { byFreeObject, byOwner, byApplication, byRelease };
    // Also with a component of the form's whose end fails: the handler is told, and the form
    // still ends whole and is freed.
    for (bool failing : {false, true}) {
        for (How how : {byFreeObject, byOwner, byApplication, byRelease}) {
            SCOPED_TRACE(testing::Message() << how << (failing ? " with a failing component" : ""));
            std::vector<std::string> seen, shown;
            Application->OnException = [&](TObject*, const AnsiString& message) { shown.push_back(message); };
            bool gone = false, componentFreed = false;
            auto* owner = new TComponent(nullptr);
            TComponent* formOwner = how == byOwner ? owner : how == byApplication ? Application : nullptr;
            auto* form = new Derived(formOwner, &gone, seen);
            form->HandleNeeded();
            HWND window = form->GetHandle();
            if (failing)
                new Failing(form, &componentFreed);
            if (how == byFreeObject)
                FreeObject(form);
            else if (how == byOwner)
                FreeObject(owner);
            else if (how == byApplication)
                Application->DestroyForms();
            else
                form->Release();
            const DWORD start = GetTickCount();
            while (!gone && GetTickCount() - start < 30000) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                Application->ProcessMessages();
            }
            if (how != byOwner)
                FreeObject(owner);
            Application->OnException = nullptr;
            EXPECT_TRUE(gone);
            EXPECT_FALSE(IsWindow(window));
            EXPECT_EQ(std::vector<std::string>{"settings of a derived form 3"}, seen);  // once, while whole
            EXPECT_EQ(failing, componentFreed);
            EXPECT_EQ(failing ? std::vector<std::string>{"end failed"} : std::vector<std::string>{}, shown);
        }
    }
}

TEST(FormTest, ClientSizeIsWhatWasSetWithOrWithoutAWindow)
{
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    enum When { beforeWindow, afterWindow, afterEmbedding };
    const struct {
        TBorderStyle Border;
        When At;
        int Width, Height;
    } cases[] = {
        {bsSizeable, beforeWindow, 210, 130}, {bsSizeable, afterWindow, 230, 90}, {bsNone, beforeWindow, 300, 60},
        {bsNone, afterWindow, 280, 40},       {bsNone, afterEmbedding, 150, 75},  {bsDialog, afterWindow, 190, 170},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Border << " " << c.At << " " << c.Width << "x" << c.Height);
        auto formOwned = MakeObject<TForm>(nullptr);
        TForm& form = *formOwned;
        form.SetScaled(false);  // the sizes as set, on a screen of any resolution
        form.SetBorderStyle(c.Border);
        if (c.At != beforeWindow)
            form.HandleNeeded();
        if (c.At == afterEmbedding)
            form.SetParentWindow(host);
        form.SetClientWidth(c.Width);
        EXPECT_EQ(c.Width, form.GetClientWidth());
        form.SetClientHeight(c.Height);
        EXPECT_EQ(c.Width, form.GetClientWidth());  // the other side stays
        EXPECT_EQ(c.Height, form.GetClientHeight());
        form.HandleNeeded();
        RECT client;
        GetClientRect(form.GetHandle(), &client);
        EXPECT_EQ(c.Width, client.right);
        EXPECT_EQ(c.Height, client.bottom);
        // Set again on the live window: the new size, not the one it had.
        form.SetClientWidth(c.Width + 17);
        form.SetClientHeight(c.Height + 9);
        GetClientRect(form.GetHandle(), &client);
        EXPECT_EQ(c.Width + 17, client.right);
        EXPECT_EQ(c.Height + 9, client.bottom);
        EXPECT_EQ(c.Width + 17, form.GetClientWidth());
        EXPECT_EQ(c.Height + 9, form.GetClientHeight());
        form.SetParentWindow(nullptr);
    }
    DestroyWindow(host);
}

TEST(ApplicationTest, ExceptionBoxAddsAFullStopOnlyAfterCharactersSortingAfterIt)
{
    EXPECT_EQ("", TApplication::ExceptionBoxText(""));
    EXPECT_EQ("abc.", TApplication::ExceptionBoxText("abc"));
    EXPECT_EQ("abc.", TApplication::ExceptionBoxText("abc."));
    EXPECT_EQ("abc!", TApplication::ExceptionBoxText("abc!"));
    EXPECT_EQ("a/.", TApplication::ExceptionBoxText("a/"));
    EXPECT_EQ("C:\\tapstorm.ini に書き込めません.", TApplication::ExceptionBoxText("C:\\tapstorm.ini に書き込めません"));
    // A double-byte character whose second byte is below '.' still counts by its first byte.
    EXPECT_EQ("ー.", TApplication::ExceptionBoxText("ー"));
}

TEST(ApplicationTest, ExceptionInAHandlerReachesTheApplicationAndNotThePlatform)
{
    std::vector<std::string> shown;
    Application->OnException = [&](TObject*, const AnsiString& message) { shown.push_back(message); };
    auto formOwned = MakeObject<TForm>(nullptr);
    TForm& form = *formOwned;
    form.HandleNeeded();
    auto* check = new TCheckBox(&form);
    check->SetParent(&form);
    check->OnClick = [](TObject*) { throw Exception("boom"); };
    HWND button = check->GetHandle();
    SendMessageA(form.GetHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    Application->OnException = nullptr;
    EXPECT_EQ(std::vector<std::string>{"boom"}, shown);
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 300, 200);
        Form->HandleNeeded();
    }
    void TearDown() override { FreeObject(Form); }
    TForm* Form = nullptr;
};

TEST_F(ControlTest, DropDownListItemIndexRules)
{
    auto* list = new TComboBox(Form);
    list->SetStyle(csDropDownList);
    list->SetBounds(0, 0, 100, 20);
    list->SetItems({"a", "b", "c"});
    list->SetParent(Form);
    int changes = 0;
    list->OnChange = [&](TObject* sender) {
        EXPECT_EQ(list, sender);
        ++changes;
    };
    EXPECT_EQ(-1, list->GetItemIndex());
    list->SetItemIndex(2);
    EXPECT_EQ(2, list->GetItemIndex());
    list->SetItemIndex(3);
    EXPECT_EQ(-1, list->GetItemIndex());
    list->SetItemIndex(1);
    list->SetItemIndex(-5);
    EXPECT_EQ(-1, list->GetItemIndex());
    EXPECT_EQ(0, changes);  // the program's own changes raise nothing

    list->SetItemIndex(0);
    SendMessageA(list->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(1, list->GetItemIndex());
    EXPECT_EQ(1, changes);
}

TEST_F(ControlTest, TrackBarRaisesChangeExactlyWhenThePositionChanges)
{
    auto* bar = new TTrackBar(Form);
    bar->SetBounds(0, 0, 200, 30);
    bar->SetRange(1, 5000);
    bar->SetParent(Form);
    std::vector<int> seen;
    bar->OnChange = [&](TObject*) { seen.push_back(bar->GetPosition()); };

    bar->SetPosition(500);
    bar->SetPosition(500);
    bar->SetPosition(0);
    bar->SetPosition(1);
    bar->SetPosition(9999);
    EXPECT_EQ((std::vector<int>{500, 1, 5000}), seen);
    EXPECT_EQ(5000, SendMessageA(bar->GetHandle(), TBM_GETPOS, 0, 0));

    seen.clear();
    bar->SetLineSize(1);
    bar->SetPageSize(100);
    SendMessageA(bar->GetHandle(), WM_KEYDOWN, VK_LEFT, 0);   // keyboard
    SendMessageA(bar->GetHandle(), WM_KEYDOWN, VK_PRIOR, 0);  // a page
    SendMessageA(bar->GetHandle(), WM_KEYDOWN, VK_END, 0);    // already at the end after this one
    SendMessageA(bar->GetHandle(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ((std::vector<int>{4999, 4899, 5000}), seen);
}

TEST_F(ControlTest, StatusBarPanelsKeepTextAndWidth)
{
    auto* bar = new TStatusBar(Form);
    bar->AddPanel("one", 70);
    bar->AddPanel("", 50);
    bar->SetBounds(0, 180, 300, 20);
    bar->SetParent(Form);
    bar->SetPanelText(1, "Lock");
    char text[32] = {};
    SendMessageA(bar->GetHandle(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Lock", text);
    EXPECT_EQ("Lock", bar->GetPanelText(1));
    EXPECT_EQ("one", bar->GetPanelText(0));
}

TEST_F(ControlTest, ParentFontReachesChildrenUntilTheyTakeTheirOwn)
{
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    Form->GetFont()->SetHeight(-20);
    EXPECT_EQ(-20, label->GetFont()->GetHeight());
    label->GetFont()->SetHeight(-9);
    EXPECT_FALSE(label->GetParentFont());
    Form->GetFont()->SetHeight(-14);
    EXPECT_EQ(-9, label->GetFont()->GetHeight());
    HFONT shown = reinterpret_cast<HFONT>(SendMessageA(label->GetHandle(), WM_GETFONT, 0, 0));
    EXPECT_EQ(label->GetFont()->GetHandle(), shown);
}

// What reaches the combo box class's own procedure, for combo boxes created while it is set.
WNDPROC ComboClassProc = nullptr;
std::vector<UINT> ComboClassEnds;

LRESULT CALLBACK ComboClassProbe(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY || msg == WM_NCDESTROY)
        ComboClassEnds.push_back(msg);
    return CallWindowProcA(ComboClassProc, window, msg, wParam, lParam);
}

TEST_F(ControlTest, ControlLetGoUnderAnotherLayerStillPassesMessagesToItsClass)
{
    HWND sample = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD, 0, 0, 10, 10, Form->GetHandle(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ComboClassProc = reinterpret_cast<WNDPROC>(
        SetClassLongPtrA(sample, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboClassProbe)));
    ComboClassEnds.clear();
    auto* list = new TComboBox(Form);
    list->SetStyle(csDropDownList);
    list->SetItems({"a", "b", "c"});
    list->SetParent(Form);
    HWND window = list->GetHandle();
    SetClassLongPtrA(sample, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboClassProc));
    DestroyWindow(sample);

    // A second layer above the framework's; it asks the list for its items as the window goes.
    WNDPROC below = nullptr;
    LRESULT countAtDestroy = -1;
    void* upper = MakeObjectInstance([&](TMessage& m) {
        if (m.Msg == WM_DESTROY)
            countAtDestroy = CallWindowProcA(below, window, CB_GETCOUNT, 0, 0);
        m.Result = CallWindowProcA(below, window, m.Msg, m.WParam, m.LParam);
    });
    below = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(upper)));
    FreeObject(list);  // the framework lets go underneath, then the window goes
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(3, countAtDestroy);
    EXPECT_EQ((std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}), ComboClassEnds);
    FreeObjectInstance(upper);
}

TEST_F(ControlTest, ChildIdentifiersStayUniqueAfterARemoval)
{
    std::vector<TCheckBox*> boxes;
    for (int i = 0; i < 4; ++i) {
        boxes.push_back(new TCheckBox(Form));
        boxes.back()->SetParent(Form);
        if (i == 2)
            FreeObject(boxes[1]);
    }
    std::set<int> ids;
    for (TCheckBox* box : {boxes[0], boxes[2], boxes[3]})
        ids.insert(GetDlgCtrlID(box->GetHandle()));
    EXPECT_EQ(3u, ids.size());
}

TEST_F(ControlTest, AutoSizeLabelGrowsWithItsTextAndFontOnOneLineOnly)
{
    auto* label = new TLabel(Form);
    label->SetBounds(10, 20, 30, 12);
    label->SetParent(Form);
    label->SetCaption("5000 m-sec.");
    EXPECT_EQ(30, label->GetWidth()) << "off by default";
    HDC dc = GetDC(label->GetHandle());
    SIZE text = {};
    label->SetAutoSize(true);
    for (int height : {-12, -24}) {
        label->GetFont()->SetHeight(height);
        HGDIOBJ previous = SelectObject(dc, label->GetFont()->GetHandle());
        GetTextExtentPoint32A(dc, "5000 m-sec.", 11, &text);
        SelectObject(dc, previous);
        EXPECT_EQ(text.cx, label->GetWidth());
        EXPECT_EQ(10, label->GetLeft());
    }
    ReleaseDC(label->GetHandle(), dc);
    // A short text leaves the label at the box it was given, never smaller.
    label->GetFont()->SetHeight(-12);
    label->SetCaption("1");
    EXPECT_EQ(30, label->GetWidth());
    EXPECT_GE(label->GetHeight(), 12);
    // A wrapping label keeps the box it was given.
    label->SetWordWrap(true);
    label->SetCaption("a much longer caption than before");
    EXPECT_EQ(30, label->GetWidth());
}

}  // namespace
