// The platform's find and replace dialogs behind the framework's components: options, the
// buttons' reports, placing, closing and the keyboard through the application's loop.
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/Screen.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct OptionFlag {
    TFindOption Option;
    DWORD Flag;
};
const OptionFlag OptionFlags[] = {
    {frDown, FR_DOWN},           {frFindNext, FR_FINDNEXT},           {frHideMatchCase, FR_HIDEMATCHCASE},
    {frHideWholeWord, FR_HIDEWHOLEWORD}, {frHideUpDown, FR_HIDEUPDOWN}, {frMatchCase, FR_MATCHCASE},
    {frDisableMatchCase, FR_NOMATCHCASE}, {frDisableUpDown, FR_NOUPDOWN}, {frDisableWholeWord, FR_NOWHOLEWORD},
    {frReplace, FR_REPLACE},     {frReplaceAll, FR_REPLACEALL},       {frWholeWord, FR_WHOLEWORD},
    {frShowHelp, FR_SHOWHELP},
};
static_assert(sizeof(OptionFlags) / sizeof(OptionFlags[0]) == frShowHelp + 1, "every option has its flag");

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string ItemText(HWND dialog, int id)
{
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

}  // namespace

TEST(FindOptionsTest, EachOptionMapsToItsFlagBothWays)
{
    TFindOptions all = 0;
    for (const OptionFlag& entry : OptionFlags) {
        EXPECT_EQ(entry.Flag, FindOptionsToFlags(FindOptionBit(entry.Option))) << int(entry.Option);
        EXPECT_EQ(FindOptionBit(entry.Option), FlagsToFindOptions(entry.Flag)) << int(entry.Option);
        all = static_cast<TFindOptions>(all | FindOptionBit(entry.Option));
    }
    EXPECT_EQ(all, FlagsToFindOptions(FindOptionsToFlags(all)));
    // The platform's own flags are no options.
    EXPECT_EQ(0, FlagsToFindOptions(FR_ENABLEHOOK | FR_DIALOGTERM));
}

TEST(FindDialogTest, ButtonsReportTheTypedTextAndTheChoices)
{
    struct Press {
        int Button;
        TFindOptions Expected;  // with "Up" (find dialog only) and whole word chosen
        bool FiresFind;
    };
    const Press findPresses[] = {{IDOK, FindOptions({frFindNext, frWholeWord}), true}};
    const Press replacePresses[] = {
        {IDOK, FindOptions({frFindNext, frDown, frWholeWord}), true},  // the replace dialog always goes down
        {psh1, FindOptions({frReplace, frDown, frWholeWord}), false},
        {psh2, FindOptions({frReplaceAll, frDown, frWholeWord}), false},
    };
    for (bool replace : {false, true}) {
        std::unique_ptr<TFindDialog> dialog(replace ? new TReplaceDialog(nullptr) : new TFindDialog(nullptr));
        dialog->SetOptions(FindOptions({frDown, frMatchCase}));
        dialog->SetFindText("old");
        int finds = 0, replaces = 0;
        std::string found, replacement;
        auto record = [&](int& count) {
            return [&](TObject* sender) {
                EXPECT_EQ(dialog.get(), sender);
                ++count;
                found = dialog->GetFindText();
                replacement = dialog->GetReplaceText();
            };
        };
        dialog->OnFind = record(finds);
        dialog->OnReplace = record(replaces);
        ASSERT_TRUE(dialog->Execute());
        HWND window = dialog->GetHandle();
        EXPECT_EQ("old", ItemText(window, edt1));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window, chx2));

        SetDlgItemTextA(window, edt1, "needle");
        SetDlgItemTextA(window, edt2, "thread");
        Click(window, chx2);  // match case off
        Click(window, chx1);  // whole word on
        Click(window, rad1);  // up
        for (const Press& press : replace ? std::vector<Press>(std::begin(replacePresses), std::end(replacePresses))
                                          : std::vector<Press>(std::begin(findPresses), std::end(findPresses))) {
            SCOPED_TRACE(testing::Message() << (replace ? "replace " : "find ") << press.Button);
            finds = replaces = 0;
            replacement.clear();
            Click(window, press.Button);
            EXPECT_EQ(press.FiresFind ? 1 : 0, finds);
            EXPECT_EQ(press.FiresFind ? 0 : 1, replaces);
            EXPECT_EQ("needle", found);
            // "Find Next" reports only the text to find.
            EXPECT_EQ(press.FiresFind ? "" : "thread", replacement);
            EXPECT_EQ(press.Expected, dialog->GetOptions());
        }
    }
}

TEST(FindDialogTest, ClosingDestroysTheWindowAndFiresOnCloseOnce)
{
    // Each way on the same component, which opens again as new after each; the last one frees it.
    const std::pair<const char*, std::function<void(std::unique_ptr<TFindDialog>&)>> ways[] = {
        {"Cancel", [](std::unique_ptr<TFindDialog>& d) { Click(d->GetHandle(), IDCANCEL); }},
        {"close box", [](std::unique_ptr<TFindDialog>& d) { SendMessageA(d->GetHandle(), WM_CLOSE, 0, 0); }},
        {"Esc through the loop",
         [](std::unique_ptr<TFindDialog>& d) {
             PostMessageA(GetDlgItem(d->GetHandle(), edt1), WM_KEYDOWN, VK_ESCAPE, 0);
             Application->ProcessMessages();
         }},
        {"CloseDialog", [](std::unique_ptr<TFindDialog>& d) { d->CloseDialog(); }},
        {"freed", [](std::unique_ptr<TFindDialog>& d) { d.reset(); }},
    };
    for (bool replace : {false, true}) {
        std::unique_ptr<TFindDialog> dialog(replace ? new TReplaceDialog(nullptr) : new TFindDialog(nullptr));
        int closes = 0;
        dialog->OnClose = [&](TObject*) { ++closes; };
        // The replace dialog only checks what differs for it: being freed while open.
        const std::vector<size_t> used = replace ? std::vector<size_t>{4} : std::vector<size_t>{0, 1, 2, 3, 4};
        for (size_t i : used) {
            const auto& way = ways[i];
            SCOPED_TRACE(testing::Message() << way.first << (replace ? " replace" : " find"));
            closes = 0;
            ASSERT_TRUE(dialog->Execute());
            HWND window = dialog->GetHandle();
            EXPECT_TRUE(IsWindowVisible(window));
            way.second(dialog);
            EXPECT_FALSE(IsWindow(window));
            EXPECT_EQ(1, closes);
            if (dialog) {
                EXPECT_EQ(nullptr, dialog->GetHandle());
            }
        }
    }
}

TEST(FindDialogTest, TabAndEnterWorkThroughTheApplicationsLoop)
{
    TFindDialog dialog(nullptr);
    int finds = 0;
    dialog.OnFind = [&](TObject*) { ++finds; };
    dialog.SetFindText("x");
    ASSERT_TRUE(dialog.Execute());
    HWND edit = GetDlgItem(dialog.GetHandle(), edt1);
    SetFocus(edit);
    ASSERT_EQ(edit, GetFocus());
    PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    Application->ProcessMessages();
    EXPECT_NE(edit, GetFocus());
    EXPECT_TRUE(IsChild(dialog.GetHandle(), GetFocus()));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    Application->ProcessMessages();
    EXPECT_EQ(1, finds);
}

TEST(FindDialogTest, PlacedAThirdDownTheWorkAreaThenAtLeftAndTop)
{
    TFindDialog dialog(nullptr);
    EXPECT_EQ(-1, dialog.GetLeft());
    EXPECT_EQ(-1, dialog.GetTop());
    bool shownHidden = false;
    dialog.OnShow = [&](TObject*) { shownHidden = dialog.GetHandle() != nullptr && !IsWindowVisible(dialog.GetHandle()); };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(shownHidden);
    HWND window = dialog.GetHandle();
    RECT r, work = Screen->Monitors(0)->GetWorkareaRect();
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    EXPECT_EQ(work.left + (work.right - work.left - width) / 2, r.left);
    EXPECT_EQ(work.top + (work.bottom - work.top - height) / 3, r.top);
    const int framedTop = r.top;

    // Open: a second Execute keeps the window; the place follows the setters at once.
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(window, dialog.GetHandle());
    dialog.SetLeft(70);
    GetWindowRect(window, &r);
    EXPECT_EQ(70, r.left);
    EXPECT_EQ(framedTop, r.top);
    dialog.CloseDialog();

    // Closed: the set coordinate applies at the next opening, the one still -1 stays the framework's.
    EXPECT_EQ(70, dialog.GetLeft());
    EXPECT_EQ(-1, dialog.GetTop());
    ASSERT_TRUE(dialog.Execute());
    GetWindowRect(dialog.GetHandle(), &r);
    EXPECT_EQ(70, r.left);
    EXPECT_EQ(framedTop, r.top);
    dialog.CloseDialog();
    dialog.SetTop(30);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(70, dialog.GetLeft());
    EXPECT_EQ(30, dialog.GetTop());
}

TEST(FindDialogTest, TextsLongerThanTheBufferAreCut)
{
    TReplaceDialog dialog(nullptr);
    const int room = TFindDialog::TextBufferSize - 1;
    dialog.SetFindText(std::string(room + 40, 'f'));
    dialog.SetReplaceText(std::string(room + 1, 'r'));
    EXPECT_EQ(std::string(room, 'f'), dialog.GetFindText());
    EXPECT_EQ(std::string(room, 'r'), dialog.GetReplaceText());
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(std::string(room, 'f'), ItemText(dialog.GetHandle(), edt1));
    // Set while open: the box shows it too.
    dialog.SetFindText("again");
    EXPECT_EQ("again", ItemText(dialog.GetHandle(), edt1));
    if (GetACP() == 932) {
        // A double-byte character that does not fit goes whole.
        dialog.SetFindText(std::string(room - 1, 'a') + "\x95\x5C");
        EXPECT_EQ(std::string(room - 1, 'a'), dialog.GetFindText());
    }
}
