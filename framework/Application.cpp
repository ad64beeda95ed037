#include "framework/Application.h"

#include "framework/LoopWait.h"
#include "framework/Timer.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

namespace {
// The one application object; its destructor is not public.
class TApplicationInstance : public TApplication {
} TheApplication;

void HandleThroughApplication(TObject* sender)
{
    Application->HandleException(sender);
}

void ReleaseWhenEventsEnd()
{
    Application->EventEnded();
}
}  // namespace

TApplication* Application = &TheApplication;

TApplication::TApplication() : TComponent(nullptr)
{
    SetExceptionHook(HandleThroughApplication);
    SetEventEndHook(ReleaseWhenEventsEnd);
}

TApplication::~TApplication()
{
    SetExceptionHook(nullptr);
    SetEventEndHook(nullptr);
    if (FHandle != nullptr)
        DestroyWindow(FHandle);
}

void TApplication::Initialize()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    GetHandle();
}

HWND TApplication::GetHandle()
{
    if (FHandle == nullptr) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        wc.lpszClassName = "TApplication";
        RegisterClassA(&wc);
        FHandle = CreateWindowExA(0, "TApplication", FTitle.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    }
    return FHandle;
}

void TApplication::SetTitle(const AnsiString& title)
{
    FTitle = title;
    if (FHandle != nullptr)
        SetWindowTextA(FHandle, title.c_str());
}

void TApplication::Run()
{
    FTerminated = false;
    if (FMainForm != nullptr)
        FMainForm->Show();
    while (!FTerminated)
        HandleMessage();
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return false;
    }
    // Tab, Enter and Esc in an open modeless dialog (also in a form embedded in it). A dialog
    // may close while it takes the message (Esc): walk a copy.
    const std::vector<HWND> dialogs = FModelessDialogs;
    for (HWND dialog : dialogs) {
        if ((msg.hwnd == dialog || IsChild(dialog, msg.hwnd)) && IsDialogMessageA(dialog, &msg))
            return true;
    }
    // Tab and arrow navigation between the controls of a framework form.
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (root != nullptr && dynamic_cast<TForm*>(TWinControl::FindControl(root)) != nullptr &&
        IsDialogMessageA(root, &msg))
        return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::HandleMessage()
{
    // The thread's timers tick from inside this wait; a pass of the loop handles one tick or
    // one message.
    MSG msg;
    do {
        if (WaitForMessageOrTick())
            return;
    } while (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD));
    ProcessMessage(msg);
}

void TApplication::ProcessMessages()
{
    MSG msg;
    // The queue is asked before each look: a look that finds it empty may give up the processor,
    // which on a busy machine costs a whole time slice, and the click step processes messages
    // after every click.
    while (MessageWaiting() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        if (!ProcessMessage(msg))
            break;
    }
}

void TApplication::AddModelessDialog(HWND window)
{
    FModelessDialogs.push_back(window);
}

void TApplication::RemoveModelessDialog(HWND window)
{
    FModelessDialogs.erase(std::remove(FModelessDialogs.begin(), FModelessDialogs.end(), window),
                           FModelessDialogs.end());
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::DestroyForms()
{
    while (ComponentCount() > 0) {
        TComponent* component = Components(ComponentCount() - 1);
        RemoveComponent(component);
        FreeObject(component);
    }
}

LRESULT CALLBACK TApplication::WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CM_RELEASE) {
        Application->FReleasePosted = false;
        Application->FreeReleased();
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

void TApplication::Release(TComponent* component)
{
    if (component == nullptr || std::find(FReleased.begin(), FReleased.end(), component) != FReleased.end())
        return;
    // Whoever is destroying it frees it; a second free would follow.
    if ((component->ComponentState() & csDestroying) || (ComponentState() & csDestroying))
        return;
    // The release message goes to the application's window: without one it would never be freed.
    if (GetHandle() == nullptr)
        throw Exception(Format("Cannot release a %s: the application window could not be created",
                               component->ClassName()));
    FReleased.push_back(component);
    // Told if the component is freed some other way before the message comes.
    FreeNotification(component);
    PostRelease();
}

void TApplication::PostRelease()
{
    // Marked only once it is on its way: a post the queue refused is tried again as the next
    // event ends, or nothing released would ever be freed.
    if (!FReleasePosted && FHandle != nullptr)
        FReleasePosted = PostMessageA(FHandle, CM_RELEASE, 0, 0) != FALSE;
}

bool TApplication::ReleaseReady() const
{
    return std::any_of(FReleased.begin(), FReleased.end(), [](TComponent* c) { return !c->InEvent(); });
}

void TApplication::EventEnded()
{
    if (ReleaseReady())
        PostRelease();
}

void TApplication::FreeReleased()
{
    // Newest first; one whose event (or an event of what it owns) is still running on the stack,
    // under the loop that took the message, waits for that event to end. The list is searched
    // afresh each time: freeing one may drop or add others.
    for (;;) {
        auto ready = std::find_if(FReleased.rbegin(), FReleased.rend(),
                                  [](TComponent* component) { return !component->InEvent(); });
        if (ready == FReleased.rend())
            break;
        TComponent* component = *ready;
        FReleased.erase(std::next(ready).base());
        RemoveFreeNotification(component);
        // FreeObject counts it as in an event while it ends: a loop run meanwhile (the exception
        // box, its OnDestroy) frees neither it nor its owner a second time under us.
        FreeObject(component);
    }
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == FMainForm)
        FMainForm = nullptr;
    FReleased.erase(std::remove(FReleased.begin(), FReleased.end(), component), FReleased.end());
}

void TApplication::HandleException(TObject* sender)
{
    AnsiString message;
    try {
        throw;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown exception";
    }
    if (OnException)
        OnException(sender, message);
    else
        ShowException(message);
}

AnsiString TApplication::ExceptionBoxText(const AnsiString& message)
{
    if (message.empty())
        return message;
    // Compare the first byte of the last character, so a double-byte character counts whole.
    size_t last = message.size() - 1;
    if (IsTrailByte(message, last))
        --last;
    if (static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

bool TApplication::ShowException(const AnsiString& message)
{
    // With its one OK button, anything but IDOK means the box never showed.
    return MessageBoxA(GetHandle(), ExceptionBoxText(message).c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP) == IDOK;
}
