// Window-procedure thunks: layers on one window, taken off in any order, freed mid-message.
#include "framework/Application.h"
#include "framework/WndThunk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const UINT WM_PROBE = WM_APP + 5;

// One subclassing layer that logs what reaches it and passes everything on.
struct Layer {
    std::string Name;
    std::vector<std::string>& Log;
    HWND Window = nullptr;
    WNDPROC Old = nullptr;
    void* Instance = nullptr;

    Layer(const char* name, std::vector<std::string>& log) : Name(name), Log(log)
    {
        Instance = MakeObjectInstance([this](TMessage& m) {
            if (m.Msg == WM_PROBE)
                Log.push_back(Name);
            m.Result = CallWindowProcA(Old, Window, m.Msg, m.WParam, m.LParam);
        });
    }
    void Hook(HWND window)
    {
        Window = window;
        Old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Instance)));
    }
    void Unhook() { UnhookObjectInstance(Window, Instance, Old); }
    ~Layer() { FreeObjectInstance(Instance); }
};

std::vector<std::string>* BaseLog = nullptr;

LRESULT CALLBACK BaseProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PROBE) {
        BaseLog->push_back("base");
        return 42;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND NewWindow()
{
    WNDCLASSA wc = {};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), "TapstormThunkTest", &wc)) {
        wc.lpfnWndProc = BaseProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TapstormThunkTest";
        RegisterClassA(&wc);
    }
    return CreateWindowExA(0, "TapstormThunkTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

TEST(WndThunkTest, TwoLayersEachReachTheirOwnObjectInEitherUndoOrder)
{
    std::vector<std::string> log;
    BaseLog = &log;
    for (bool reverseOrder : {true, false}) {
        HWND window = NewWindow();
        LONG_PTR original = GetWindowLongPtrA(window, GWLP_WNDPROC);
        auto* lower = new Layer("lower", log);
        auto* upper = new Layer("upper", log);
        lower->Hook(window);
        upper->Hook(window);
        log.clear();
        EXPECT_EQ(42, SendMessageA(window, WM_PROBE, 0, 0));
        EXPECT_EQ((std::vector<std::string>{"upper", "lower", "base"}), log);

        if (reverseOrder) {
            upper->Unhook();
            delete upper;
            EXPECT_EQ(reinterpret_cast<LONG_PTR>(lower->Instance), GetWindowLongPtrA(window, GWLP_WNDPROC));
            lower->Unhook();
            delete lower;
            EXPECT_EQ(original, GetWindowLongPtrA(window, GWLP_WNDPROC));
        } else {
            // The lower layer goes first: it cannot be lifted out from under the upper one,
            // so it only passes messages on from now on.
            lower->Unhook();
            delete lower;
            log.clear();
            EXPECT_EQ(42, SendMessageA(window, WM_PROBE, 0, 0));
            EXPECT_EQ((std::vector<std::string>{"upper", "base"}), log);
            upper->Unhook();
            delete upper;
            log.clear();
            EXPECT_EQ(42, SendMessageA(window, WM_PROBE, 0, 0));
            EXPECT_EQ(std::vector<std::string>{"base"}, log);
        }
        DestroyWindow(window);
    }
}

TEST(WndThunkTest, ThunkFreedWhileTheDestroyMessageItDispatchedStillRuns)
{
    std::vector<std::string> log;
    BaseLog = &log;
    HWND window = NewWindow();
    struct Owner {
        void* Instance = nullptr;
        WNDPROC Old = nullptr;
        HWND Window = nullptr;
        bool* Destroyed;
    };
    bool destroyed = false;
    auto* owner = new Owner{nullptr, nullptr, window, &destroyed};
    owner->Instance = MakeObjectInstance([owner](TMessage& m) {
        HWND w = owner->Window;
        WNDPROC old = owner->Old;
        if (m.Msg == WM_DESTROY) {
            UnhookObjectInstance(w, owner->Instance, old);
            // The owner goes away from inside the message its thunk is dispatching.
            FreeObjectInstance(owner->Instance);
            *owner->Destroyed = true;
            delete owner;
        }
        m.Result = CallWindowProcA(old, w, m.Msg, m.WParam, m.LParam);
    });
    owner->Old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(owner->Instance)));
    EXPECT_EQ(42, SendMessageA(window, WM_PROBE, 0, 0));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(window));
}

TEST(WndThunkTest, ThunkTakenOffUnderAnotherLayerInTheLastMessageIsFreed)
{
    // A layer that lets go at WM_NCDESTROY while another sits above it (a framework control
    // whose window ends under a later subclass): its thunk must not outlive the window.
    std::vector<std::string> log;
    BaseLog = &log;
    HWND window = NewWindow();
    bool released = false;
    // Dropped together with the thunk's method, that is when the thunk itself goes.
    std::shared_ptr<bool> witness(&released, [](bool* flag) { *flag = true; });
    struct {
        void* Instance = nullptr;
        WNDPROC Old = nullptr;
    } lower;
    lower.Instance = MakeObjectInstance([&lower, window, witness](TMessage& m) {
        m.Result = CallWindowProcA(lower.Old, window, m.Msg, m.WParam, m.LParam);
        if (m.Msg == WM_NCDESTROY) {
            UnhookObjectInstance(window, lower.Instance, lower.Old);
            FreeObjectInstance(lower.Instance);
        }
    });
    witness.reset();
    lower.Old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lower.Instance)));
    Layer upper("upper", log);
    upper.Hook(window);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(released);
}

TEST(WndThunkTest, ExceptionsStopAtTheThunk)
{
    std::vector<AnsiString> seen;
    Application->OnException = [&](TObject*, const AnsiString& message) { seen.push_back(message); };
    std::vector<std::string> log;
    BaseLog = &log;
    HWND window = NewWindow();
    void* instance = MakeObjectInstance([](TMessage& m) {
        if (m.Msg == WM_PROBE)
            throw Exception("boom");
    });
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instance)));
    SendMessageA(window, WM_PROBE, 0, 0);
    Application->OnException = nullptr;
    EXPECT_EQ(std::vector<AnsiString>{"boom"}, seen);
    UnhookObjectInstance(window, instance, old);
    FreeObjectInstance(instance);
    DestroyWindow(window);
}

}  // namespace
