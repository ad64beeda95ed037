// The common-dialog base: binding a hook window to the opening component, the message map
// through it, and the task-window switch around modal dialogs.
#include "framework/Application.h"
#include "framework/Dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

// A dialog component whose "platform dialog" is a plain dialog with the framework's hook as
// its procedure, which is how the platform's dialogs call a hook.
class THookedDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    std::vector<UINT> Seen;
    bool ThrowOnCommand = false;

    // Opens the stand-in dialog, with (`bind`) or without this component opening it.
    HWND Open(bool bind)
    {
        struct {
            DLGTEMPLATE Template;
            WORD Menu, Class, Title;
        } dlg = {};
        dlg.Template.style = WS_POPUP | WS_CAPTION;
        dlg.Template.cx = 100;
        dlg.Template.cy = 50;
        auto create = [&] {
            return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dlg.Template, nullptr,
                                              reinterpret_cast<DLGPROC>(DialogHook), 0);
        };
        if (!bind)
            return create();
        TDialogHookScope scope(this);
        return create();
    }

    bool ShowDialog(TDialogRun&) override { return Open(true) != nullptr; }

    void Dispatch(TMessage& message) override
    {
        Seen.push_back(message.Msg);
        if (message.Msg == WM_COMMAND && ThrowOnCommand)
            throw std::runtime_error("boom");
        if (message.Msg == WM_INITDIALOG)
            message.Result = TRUE;
        else
            TCommonDialog::Dispatch(message);
    }

    static TCommonDialog* BoundTo(HWND window) { return FromHookWindow(window); }
};

}  // namespace

TEST(CommonDialogTest, HookBindsTheOpeningComponentAndRoutesItsMessages)
{
    THookedDialog dialog(nullptr);
    std::vector<AnsiString> shown;
    Application->OnException = [&](TObject*, const AnsiString& text) { shown.push_back(text); };

    HWND window = dialog.Open(true);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(THookedDialog::BoundTo(window), &dialog);
    ASSERT_FALSE(dialog.Seen.empty());
    EXPECT_EQ(dialog.Seen.front(), static_cast<UINT>(WM_INITDIALOG));

    // An exception in a handler goes to the application; the dialog keeps running.
    dialog.ThrowOnCommand = true;
    SendMessageA(window, WM_COMMAND, 1234, 0);
    EXPECT_EQ(shown, std::vector<AnsiString>{"boom"});
    EXPECT_TRUE(IsWindow(window));

    DestroyWindow(window);
    EXPECT_EQ(dialog.Seen.back(), static_cast<UINT>(WM_NCDESTROY));

    // A dialog opened outside the scope reaches nobody.
    size_t count = dialog.Seen.size();
    HWND other = dialog.Open(false);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(THookedDialog::BoundTo(other), nullptr);
    DestroyWindow(other);
    EXPECT_EQ(dialog.Seen.size(), count);
    Application->OnException = nullptr;
}

TEST(CommonDialogTest, TaskWindowsAreDisabledAndOnlySurvivorsEnabledAgain)
{
    auto make = [](DWORD style) {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP | style, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    };
    HWND shown = make(WS_VISIBLE), kept = make(WS_VISIBLE), gone = make(WS_VISIBLE);
    HWND hidden = make(0), disabled = make(WS_VISIBLE | WS_DISABLED);

    TTaskWindowList list = DisableTaskWindows(kept);
    for (HWND window : {shown, gone}) {
        EXPECT_FALSE(IsWindowEnabled(window));
        EXPECT_NE(std::find(list.begin(), list.end(), window), list.end());
    }
    for (HWND window : {kept, hidden, disabled})
        EXPECT_EQ(std::find(list.begin(), list.end(), window), list.end());

    DestroyWindow(gone);
    EnableTaskWindows(list);
    EXPECT_TRUE(IsWindowEnabled(shown));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    for (HWND window : {shown, kept, hidden, disabled})
        DestroyWindow(window);
}
