// Every dialog component, plain and customized, freed while its dialog is open: released from
// inside each of its events (also with a message box shown after the release, whose loop must
// not free it under the handler), freed with its owner (also released from the owner's
// OnDestroy), released and then freed with its owner while its OnClose fails into the default
// exception box (whose loop must not free it a second time), freed directly (also after a second
// Execute from OnShow, which is refused, and after the window active when it opened went, with
// the windows it disabled enabled again). Each
// ends without a fault (freed memory is poisoned), with OnClose seen once while the component
// and its owner are whole, and the next dialog of the process opens with a live class icon. A
// customized one's sub form, shown before the dialog opened, is shown on its own again once the
// dialog has closed or the component has gone.
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include "dialogs/CFindDlg.h"
#include "dialogs/COpenDlg.h"
#include "dialogs/CSelFDlg.h"
#include "framework/Application.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

using namespace CustDlgs;

namespace {

// The owner every component under test gets; its derived part must still be there when the
// component reports its close.
class TProbeForm : public TForm {
public:
    using TForm::TForm;
};

// Tells whether a component has been freed, without touching it afterwards.
class TFreeWatch : public TComponent {
public:
    explicit TFreeWatch(TComponent* watched) : TComponent(nullptr) { FreeNotification(watched); }
    bool Freed = false;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove)
            Freed = true;
    }
};

using TEventSink = std::function<void(const std::string& event, TObject* sender)>;

// One component under test, reached the same way whatever its kind.
struct Subject {
    TComponent* Component = nullptr;
    std::function<bool()> Execute;
    std::function<HWND()> Window;  // the dialog's top-level window while open
    std::function<void()> Release;
    std::function<void(TForm*)> SetSubForm;  // customized components only
    TForm* Sub = nullptr;                     // the sub form it embeds, shown before it opens
};

// How an event is brought about while the dialog is open; null: it fires by itself.
using Action = void (*)(HWND dialog);

void Press(HWND dialog, int id)
{
    FileDialogDriver::Press(dialog, id);
}

struct Event {
    const char* Name;
    Action Cause;
};

struct Kind {
    const char* Name;
    std::function<Subject(TForm* owner, const TEventSink& sink)> Make;
    std::vector<Event> Events;
};

// A sub form owned by `owner`, shown on its own until the dialog takes it, and an icon: what a
// customized component carries. Returns the sub form (null for a plain component).
template <bool Customized, class T>
TForm* Customize(T& dialog, TForm* owner)
{
    if constexpr (!Customized) {
        return nullptr;
    } else {
        auto* sub = new TForm(owner);
        sub->SetBorderStyle(bsNone);
        sub->SetClientWidth(80);
        sub->SetClientHeight(60);
        sub->SetVisible(true);
        dialog.SetSubForm(sub);
        TIcon icon;
        icon.SetHandle(CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));  // IDI_APPLICATION
        dialog.SetIcon(&icon);
        return sub;
    }
}

template <class T, bool Customized>
std::function<void(TForm*)> SubFormSetter(T* dialog)
{
    if constexpr (Customized)
        return [dialog](TForm* form) { dialog->SetSubForm(form); };
    return nullptr;
}

template <class T, bool Customized>
Subject MakeFind(TForm* owner, const TEventSink& sink)
{
    auto* dialog = new T(owner);
    TForm* sub = Customize<Customized>(*dialog, owner);
    dialog->SetFindText("needle");
    dialog->OnShow = [sink](TObject* s) { sink("OnShow", s); };
    dialog->OnFind = [sink](TObject* s) { sink("OnFind", s); };
    dialog->OnReplace = [sink](TObject* s) { sink("OnReplace", s); };
    dialog->OnClose = [sink](TObject* s) { sink("OnClose", s); };
    return {dialog, [dialog] { return dialog->Execute(); }, [dialog] { return dialog->GetHandle(); },
            [dialog] { dialog->Release(); }, SubFormSetter<T, Customized>(dialog), sub};
}

// The events the file and folder components share.
template <class T>
void BindBrowsingEvents(T& dialog, const TEventSink& sink)
{
    dialog.OnShow = [sink](TObject* s) { sink("OnShow", s); };
    dialog.OnFolderChange = [sink](TObject* s) { sink("OnFolderChange", s); };
    dialog.OnCanClose = [sink](TObject* s, bool&) { sink("OnCanClose", s); };
    dialog.OnClose = [sink](TObject* s) { sink("OnClose", s); };
}

template <class T, bool Customized>
Subject MakeFile(TForm* owner, const TEventSink& sink)
{
    static TempFolder folder("tapstorm-lifetime");
    auto* dialog = new T(owner);
    TForm* sub = Customize<Customized>(*dialog, owner);
    dialog->SetInitialDir(folder.Path(""));
    BindBrowsingEvents(*dialog, sink);
    return {dialog, [dialog] { return dialog->Execute(); },
            [dialog] { return FileDialogDriver::DialogOf(dialog->GetHandle()); }, [dialog] { dialog->Release(); },
            SubFormSetter<T, Customized>(dialog), sub};
}

template <class T, bool Customized>
Subject MakeFolder(TForm* owner, const TEventSink& sink)
{
    static TempFolder folder("tapstorm-lifetime");
    auto* dialog = new T(owner);
    TForm* sub = Customize<Customized>(*dialog, owner);
    dialog->SetSelectFolder(folder.Path("").substr(0, folder.Path("").size() - 1));
    BindBrowsingEvents(*dialog, sink);
    return {dialog, [dialog] { return dialog->Execute(); }, [dialog] { return dialog->GetHandle(); },
            [dialog] { dialog->Release(); }, SubFormSetter<T, Customized>(dialog), sub};
}

void Confirm(HWND dialog)
{
    FileDialogDriver::TypeAndConfirm(dialog, "lifetime.txt");
}

const std::vector<Event> FindEvents = {{"OnShow", nullptr}, {"OnFind", [](HWND d) { Press(d, IDOK); }},
                                       {"OnClose", [](HWND d) { Press(d, IDCANCEL); }}};
const std::vector<Event> ReplaceEvents = {{"OnShow", nullptr},
                                          {"OnFind", [](HWND d) { Press(d, IDOK); }},
                                          {"OnReplace", [](HWND d) { Press(d, psh1); }},
                                          {"OnClose", [](HWND d) { Press(d, IDCANCEL); }}};
const std::vector<Event> FileEvents = {{"OnShow", nullptr},
                                       {"OnFolderChange", nullptr},
                                       {"OnCanClose", Confirm},
                                       {"OnClose", [](HWND d) { Press(d, IDCANCEL); }}};
const std::vector<Event> FolderEvents = {{"OnShow", nullptr},
                                         {"OnFolderChange", nullptr},
                                         {"OnCanClose", [](HWND d) { Press(d, IDOK); }},
                                         {"OnClose", [](HWND d) { Press(d, IDCANCEL); }}};

const Kind Kinds[] = {
    {"find", MakeFind<TFindDialog, false>, FindEvents},
    {"customized find", MakeFind<TCFindDialog, true>, FindEvents},
    {"replace", MakeFind<TReplaceDialog, false>, ReplaceEvents},
    {"customized replace", MakeFind<TCReplaceDialog, true>, ReplaceEvents},
    {"open", MakeFile<TOpenDialog, false>, FileEvents},
    {"customized open", MakeFile<TCOpenDialog, true>, FileEvents},
    {"save", MakeFile<TSaveDialog, false>, FileEvents},
    {"customized save", MakeFile<TCSaveDialog, true>, FileEvents},
    {"folder", MakeFolder<TSelectFolderDialog, false>, FolderEvents},
    {"customized folder", MakeFolder<TCSelectFolderDialog, true>, FolderEvents},
};

// How the component goes: released from one of its events (then a message box shown from the
// same handler), with its owner (released from the owner's OnDestroy, or released just before
// the owner goes, with OnClose failing), or directly (after a second Execute from OnShow, or after
// the window active at the start has gone).
enum class Way {
    Release, ReleaseThenBox, WithOwner, ReleasedAtOwnersEnd, ReleasedThenOwnerFreed, Directly, ExecuteAgain, ActiveGone
};

const char BoxTitle[] = "LifetimeTest";

// Closes the message box a case shows once it is up (the case's own step may be the caller).
void CALLBACK CloseBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = FindWindowA("#32770", BoxTitle);
    if (box == nullptr || !IsWindowVisible(box))
        return;
    KillTimer(nullptr, timer);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// Closes the application's own exception box whenever one is up, as its user would, and counts it.
int ExceptionBoxesClosed = 0;
void CALLBACK CloseExceptionBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA("#32770", Application->GetTitle().c_str());
    if (box == nullptr || !IsWindowVisible(box))
        return;
    ++ExceptionBoxesClosed;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// The step the thread timer runs while a case goes on (also inside the dialogs' modal loops).
std::function<void()> Step;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    static bool busy = false;
    if (Step && !busy) {
        busy = true;
        Step();
        busy = false;
    }
}

bool PumpUntil(const std::function<bool()>& done)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 30000)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// What went wrong with a sub form shown before its dialog opened, once the dialog has closed or
// gone: it is back on its own and shown again.
std::string SubFormGivenBack(TForm* sub)
{
    std::string problems;
    if (!sub->GetVisible() || !IsWindowVisible(sub->GetHandle()))
        problems += "sub form hidden; ";
    if (GetParent(sub->GetHandle()) != nullptr || (GetWindowLongA(sub->GetHandle(), GWL_STYLE) & WS_CHILD))
        problems += "sub form still a child; ";
    return problems;
}

// Runs one case; returns what went wrong, empty for nothing.
std::string RunCase(const Kind& kind, Way way, const char* event, Action cause)
{
    auto* owner = new TProbeForm(nullptr);
    const std::type_info* type = nullptr;
    TComponent* component = nullptr;
    int closes = 0;
    std::string problems;
    bool released = false;
    TObjectPtr<TFreeWatch> watch;
    const bool releasing = way == Way::Release || way == Way::ReleaseThenBox;
    Subject subject = kind.Make(owner, [&](const std::string& name, TObject* sender) {
        if (name == "OnClose") {
            ++closes;
            if (sender != component || typeid(*sender) != *type)
                problems += "OnClose without its whole sender; ";
            else if (dynamic_cast<TProbeForm*>(component->GetOwner()) == nullptr)
                problems += "OnClose without its whole owner; ";
            if (way == Way::ReleasedThenOwnerFreed)
                throw Exception("close failed");
        }
        if (way == Way::ExecuteAgain && name == "OnShow" && subject.Execute())
            problems += "a second Execute ran; ";
        if (releasing && name == event && !released) {
            released = true;
            subject.Release();
            if (way == Way::ReleaseThenBox) {
                SetTimer(nullptr, 0, 20, CloseBox);
                MessageBoxA(nullptr, "released", BoxTitle, MB_OK);
                if (watch->Freed)
                    problems += "freed under its own handler; ";
            }
        }
    });
    component = subject.Component;
    type = &typeid(*component);
    watch = MakeObject<TFreeWatch>(component);
    // Asked for while the owner and so the component are being destroyed: the release is left
    // to the owner, and a sub form set then is never watched by the dying component.
    auto* lateSub = new TForm(nullptr);
    if (way == Way::ReleasedAtOwnersEnd) {
        owner->OnDestroy = [&](TObject*) {
            subject.Release();
            if (subject.SetSubForm)
                subject.SetSubForm(lateSub);
        };
    }

    // The window active when the dialog opens, and another the dialog disables meanwhile.
    TObjectPtr<TForm> active, bystander;
    if (way == Way::ActiveGone) {
        bystander = MakeObject<TForm>(nullptr);
        bystander->SetVisible(true);
        active = MakeObject<TForm>(nullptr);
        active->SetVisible(true);
        SetActiveWindow(active->GetHandle());
    }

    bool acted = false;
    int ticks = 0;
    HWND freedWindow = nullptr;
    Step = [&] {
        if (watch->Freed)
            return;
        HWND window = subject.Window();
        if (window == nullptr || !IsWindowVisible(window))
            return;
        if (++ticks > 1000) {
            // Stuck: close it so the suite goes on, and say so.
            problems += "still open; ";
            Press(window, IDCANCEL);
            return;
        }
        if (acted)
            return;
        acted = true;
        if (way == Way::WithOwner || way == Way::ReleasedAtOwnersEnd)
            FreeObject(owner);
        else if (way == Way::ReleasedThenOwnerFreed) {
            freedWindow = window;
            subject.Release();
            FreeObject(owner);
        }
        else if (way == Way::Directly || way == Way::ExecuteAgain)
            FreeObject(component);
        else if (way == Way::ActiveGone) {
            active.reset();
            FreeObject(component);
        }
        else if (cause != nullptr)
            cause(window);
    };
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    const int boxesBefore = ExceptionBoxesClosed;
    UINT_PTR boxCloser = way == Way::ReleasedThenOwnerFreed ? SetTimer(nullptr, 0, 20, CloseExceptionBox) : 0;
    subject.Execute();
    if (!PumpUntil([&] { return watch->Freed; }))
        problems += "never freed; ";
    KillTimer(nullptr, timer);
    if (boxCloser != 0) {
        KillTimer(nullptr, boxCloser);
        if (ExceptionBoxesClosed - boxesBefore != 1)
            problems += std::to_string(ExceptionBoxesClosed - boxesBefore) + " exception boxes; ";
        if (freedWindow == nullptr || IsWindow(freedWindow))
            problems += "its window left; ";
    }
    Step = nullptr;
    // A release still waiting would come now.
    Application->ProcessMessages();
    FreeObject(lateSub);
    if (bystander != nullptr && !IsWindowEnabled(bystander->GetHandle()))
        problems += "another window left disabled; ";
    if (closes != 1)
        problems += "OnClose seen " + std::to_string(closes) + " times; ";
    if (way != Way::WithOwner && way != Way::ReleasedAtOwnersEnd && way != Way::ReleasedThenOwnerFreed) {
        // The sub form outlives the dialog.
        if (subject.Sub != nullptr)
            problems += SubFormGivenBack(subject.Sub);
        FreeObject(owner);
    }
    return problems;
}

// Opens a customized find dialog with an icon: it opens, and the class icon it shows is live.
bool NextDialogHasALiveClassIcon()
{
    auto dialog = MakeObject<TCFindDialog>(nullptr);
    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32516))));  // IDI_INFORMATION
    dialog->SetIcon(&icon);
    if (!dialog->Execute())
        return false;
    auto classIcon = reinterpret_cast<HICON>(GetClassLongPtrA(dialog->GetHandle(), GCLP_HICON));
    ICONINFO info = {};
    if (classIcon == nullptr || !GetIconInfo(classIcon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

TEST(LifetimeTest, EveryComponentEndsWholeHoweverItIsFreedWhileOpen)
{
    for (const Kind& kind : Kinds) {
        for (const Event& event : kind.Events) {
            EXPECT_EQ("", RunCase(kind, Way::Release, event.Name, event.Cause))
                << kind.Name << ", released from " << event.Name;
            EXPECT_EQ("", RunCase(kind, Way::ReleaseThenBox, event.Name, event.Cause))
                << kind.Name << ", released from " << event.Name << " with a message box after";
        }
        EXPECT_EQ("", RunCase(kind, Way::WithOwner, "", nullptr)) << kind.Name << ", freed with its owner";
        EXPECT_EQ("", RunCase(kind, Way::ReleasedAtOwnersEnd, "", nullptr))
            << kind.Name << ", released from its owner's OnDestroy";
        EXPECT_EQ("", RunCase(kind, Way::ReleasedThenOwnerFreed, "", nullptr))
            << kind.Name << ", released, then freed with its owner, its OnClose failing into the exception box";
        EXPECT_EQ("", RunCase(kind, Way::Directly, "", nullptr)) << kind.Name << ", freed directly";
        EXPECT_EQ("", RunCase(kind, Way::ExecuteAgain, "", nullptr))
            << kind.Name << ", executed again from OnShow, then freed directly";
        EXPECT_EQ("", RunCase(kind, Way::ActiveGone, "", nullptr))
            << kind.Name << ", freed directly after the window active at its start went";
        // A dead handle left in the shared class would stay there for every later dialog.
        EXPECT_TRUE(NextDialogHasALiveClassIcon()) << "after the " << kind.Name << " cases";
    }
}

// Opens the customized component of `kind` once and cancels it; returns what went wrong with its
// sub form, shown before the dialog opened, once the dialog has closed.
std::string SubFormAfterClosing(const Kind& kind)
{
    auto* owner = new TProbeForm(nullptr);
    Subject subject = kind.Make(owner, [](const std::string&, TObject*) {});
    HWND seen = nullptr;
    Step = [&] {
        HWND window = subject.Window();
        if (window != nullptr && IsWindowVisible(window) && seen == nullptr) {
            seen = window;
            Press(window, IDCANCEL);
        }
    };
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    subject.Execute();
    // The find dialogs are modeless: closed once their window is gone.
    const bool closed = PumpUntil([&] { return seen != nullptr && !IsWindow(seen); });
    KillTimer(nullptr, timer);
    Step = nullptr;
    std::string problems = (closed ? "" : "never closed; ") + SubFormGivenBack(subject.Sub);
    FreeObject(owner);
    return problems;
}

TEST(LifetimeTest, ASubFormShownBeforeItsDialogOpenedIsShownAgainOnceItCloses)
{
    for (const Kind& kind : Kinds) {
        if (std::string(kind.Name).compare(0, 10, "customized") == 0) {
            EXPECT_EQ("", SubFormAfterClosing(kind)) << kind.Name;
        }
    }
}

}  // namespace
