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

// Each option as the user meets it in the real dialog, against the same dialog opened without
// it; a press of Find Next reports it back. (What the replace buttons report is checked below.)
TEST(FindOptionsTest, EachOptionShowsInTheDialogAndComesBackInItsReport)
{
    enum Shows { Hidden, Disabled, Checked, Shown };
    const struct Row {
        TFindOption Option;
        int Item;
        Shows How;
    } rows[] = {
        {frDown, rad2, Checked},           {frMatchCase, chx2, Checked},       {frWholeWord, chx1, Checked},
        {frHideMatchCase, chx2, Hidden},   {frHideWholeWord, chx1, Hidden},    {frHideUpDown, rad1, Hidden},
        {frDisableMatchCase, chx2, Disabled}, {frDisableWholeWord, chx1, Disabled}, {frDisableUpDown, rad2, Disabled},
        {frShowHelp, pshHelp, Shown},
    };
    auto shows = [](HWND window, const Row& row) {
        HWND item = GetDlgItem(window, row.Item);
        switch (row.How) {
        case Hidden:
            return !IsWindowVisible(item);
        case Disabled:
            return !IsWindowEnabled(item);
        case Checked:
            return IsDlgButtonChecked(window, row.Item) == BST_CHECKED;
        case Shown:
            return IsWindowVisible(item) != FALSE;
        }
        return false;
    };
    for (const Row& row : rows) {
        for (bool with : {false, true}) {
            SCOPED_TRACE(testing::Message() << "option " << int(row.Option) << (with ? " set" : " not set"));
            auto dialogOwned = MakeObject<TFindDialog>(nullptr);
            TFindDialog& dialog = *dialogOwned;
            dialog.SetOptions(with ? FindOptionBit(row.Option) : TFindOptions(0));
            dialog.SetFindText("needle");
            TFindOptions reported = 0;
            int finds = 0;
            dialog.OnFind = [&](TObject*) {
                ++finds;
                reported = dialog.GetOptions();
            };
            ASSERT_TRUE(dialog.Execute());
            HWND window = dialog.GetHandle();
            EXPECT_EQ(with, shows(window, row));
            Click(window, IDOK);
            ASSERT_EQ(1, finds);
            EXPECT_EQ(with, HasFindOption(reported, row.Option));
            EXPECT_TRUE(HasFindOption(reported, frFindNext));
            dialog.CloseDialog();
        }
    }
    // The platform's own flags are no options.
    EXPECT_EQ(0, FlagsToFindOptions(FR_ENABLEHOOK | FR_DIALOGTERM));
}

TEST(FindDialogTest, ReplaceButtonsReportTheTypedTextsAndTheChoices)
{
    const std::pair<int, TFindOption> presses[] = {{IDOK, frFindNext}, {psh1, frReplace}, {psh2, frReplaceAll}};
    auto dialogOwned = MakeObject<TReplaceDialog>(nullptr);
    TReplaceDialog& dialog = *dialogOwned;
    int finds = 0, replaces = 0;
    std::string found, replacement;
    auto record = [&](int& count) {
        return [&](TObject* sender) {
            EXPECT_EQ(&dialog, sender);
            ++count;
            found = dialog.GetFindText();
            replacement = dialog.GetReplaceText();
        };
    };
    dialog.OnFind = record(finds);
    dialog.OnReplace = record(replaces);
    ASSERT_TRUE(dialog.Execute());
    HWND window = dialog.GetHandle();
    SetDlgItemTextA(window, edt1, "needle");
    SetDlgItemTextA(window, edt2, "thread");
    Click(window, chx1);  // whole word
    for (const auto& press : presses) {
        SCOPED_TRACE(press.first);
        finds = replaces = 0;
        replacement.clear();
        Click(window, press.first);
        EXPECT_EQ(press.second == frFindNext ? 1 : 0, finds);
        EXPECT_EQ(press.second == frFindNext ? 0 : 1, replaces);
        EXPECT_EQ("needle", found);
        // "Find Next" reports only the text to find.
        EXPECT_EQ(press.second == frFindNext ? "" : "thread", replacement);
        // The replace dialog always searches down.
        EXPECT_EQ(FindOptions({press.second, frDown, frWholeWord}), dialog.GetOptions());
    }
}

TEST(FindDialogTest, ClosingDestroysTheWindowAndFiresOnCloseOnce)
{
    // Each way on the same component, which opens again as new after each; the last one frees it.
    const std::pair<const char*, std::function<void(TObjectPtr<TFindDialog>&)>> ways[] = {
        {"Cancel", [](TObjectPtr<TFindDialog>& d) { Click(d->GetHandle(), IDCANCEL); }},
        {"close box", [](TObjectPtr<TFindDialog>& d) { SendMessageA(d->GetHandle(), WM_CLOSE, 0, 0); }},
        {"Esc through the loop",
         [](TObjectPtr<TFindDialog>& d) {
             PostMessageA(GetDlgItem(d->GetHandle(), edt1), WM_KEYDOWN, VK_ESCAPE, 0);
             Application->ProcessMessages();
         }},
        {"CloseDialog", [](TObjectPtr<TFindDialog>& d) { d->CloseDialog(); }},
        {"freed", [](TObjectPtr<TFindDialog>& d) { d.reset(); }},
    };
    auto dialog = MakeObject<TFindDialog>(nullptr);
    int closes = 0;
    dialog->OnClose = [&](TObject*) { ++closes; };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.first);
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

TEST(FindDialogTest, TypedChoicesAndTabAndEnterThroughTheApplicationsLoop)
{
    auto dialogOwned = MakeObject<TFindDialog>(nullptr);
    TFindDialog& dialog = *dialogOwned;
    int finds = 0;
    dialog.OnFind = [&](TObject*) { ++finds; };
    dialog.SetOptions(FindOptions({frDown, frMatchCase}));
    dialog.SetFindText("old");
    ASSERT_TRUE(dialog.Execute());
    HWND window = dialog.GetHandle();
    EXPECT_EQ("old", ItemText(window, edt1));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window, chx2));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window, rad2));
    SetDlgItemTextA(window, edt1, "needle");
    Click(window, chx1);  // whole word
    Click(window, rad1);  // up

    HWND edit = GetDlgItem(window, edt1);
    SetFocus(edit);
    ASSERT_EQ(edit, GetFocus());
    PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    Application->ProcessMessages();
    EXPECT_NE(edit, GetFocus());
    EXPECT_TRUE(IsChild(window, GetFocus()));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    Application->ProcessMessages();
    EXPECT_EQ(1, finds);
    EXPECT_EQ("needle", dialog.GetFindText());
    EXPECT_EQ(FindOptions({frFindNext, frMatchCase, frWholeWord}), dialog.GetOptions());
}

TEST(FindDialogTest, PlacedAThirdDownTheWorkAreaThenAtLeftAndTop)
{
    auto dialogOwned = MakeObject<TFindDialog>(nullptr);
    TFindDialog& dialog = *dialogOwned;
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
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(window, dialog.GetHandle());
    dialog.CloseDialog();

    // Only Left set: it applies at the next opening, the top stays the framework's.
    dialog.SetLeft(70);
    EXPECT_EQ(-1, dialog.GetTop());
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(70, dialog.GetLeft());
    EXPECT_EQ(framedTop, dialog.GetTop());
    // Set while open: the window moves at once.
    dialog.SetTop(30);
    GetWindowRect(dialog.GetHandle(), &r);
    EXPECT_EQ(30, r.top);
}

TEST(FindDialogTest, StaysAboveTheMainFormAndGoesWithIt)
{
    TForm* mainForm = nullptr;
    Application->CreateForm(mainForm);
    ASSERT_EQ(mainForm, Application->GetMainForm());
    auto dialogOwned = MakeObject<TFindDialog>(nullptr);
    TFindDialog& dialog = *dialogOwned;
    int closes = 0;
    dialog.OnClose = [&](TObject*) { ++closes; };
    ASSERT_TRUE(dialog.Execute());
    HWND window = dialog.GetHandle();
    EXPECT_EQ(mainForm->GetHandle(), GetWindow(GetWindow(window, GW_OWNER), GW_OWNER));
    FreeObject(mainForm);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, closes);
    EXPECT_EQ(nullptr, dialog.GetHandle());
    // Without a main form the next opening gets an owner of its own.
    ASSERT_TRUE(dialog.Execute());
    EXPECT_NE(nullptr, GetWindow(dialog.GetHandle(), GW_OWNER));
}

TEST(FindDialogTest, TextsLongerThanTheBufferAreCut)
{
    auto dialogOwned = MakeObject<TReplaceDialog>(nullptr);
    TReplaceDialog& dialog = *dialogOwned;
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
    // A wide text is cut at the character where its ANSI form is, in the box too, also where the
    // code page lacks a character of it.
    dialog.SetFindTextW(WideString(room + 40, L'w'));
    EXPECT_EQ(std::string(room, 'w'), dialog.GetFindText());
    EXPECT_EQ(WideString(room, L'w'), dialog.GetFindTextW());
    const WideString foreign = L"\ud55c";
    dialog.SetReplaceTextW(foreign + WideString(room, L'r'));
    EXPECT_EQ("", dialog.GetReplaceText());
    EXPECT_EQ(foreign + WideString(room - WideToAnsi(foreign).size(), L'r'), dialog.GetReplaceTextW());
    if (GetACP() == 932) {
        // A double-byte character that does not fit goes whole.
        dialog.SetFindText(std::string(room - 1, 'a') + "\x95\x5C");
        EXPECT_EQ(std::string(room - 1, 'a'), dialog.GetFindText());
    }
}

// What the user typed comes back exactly, though the code page lacks it: while open, at each
// report and after the dialog closed. A wide text set beforehand stands in the box whole.
TEST(FindDialogTest, WideTextsAreWhatWasTypedWhileOpenAtEachReportAndAfter)
{
    const WideString typed = L"caf\u00e9 \ud55c\uad6d";
    const WideString replacement = L"\u00a5 \ud55c";
    auto dialogOwned = MakeObject<TReplaceDialog>(nullptr);
    TReplaceDialog& dialog = *dialogOwned;
    dialog.SetFindTextW(L"\ud55c\uad6d");
    dialog.SetReplaceTextW(L"plain");
    EXPECT_EQ("", dialog.GetFindText());  // no look-alike
    EXPECT_EQ("plain", dialog.GetReplaceText());
    std::vector<WideString> reported;
    dialog.OnFind = [&](TObject*) { reported.push_back(dialog.GetFindTextW()); };
    dialog.OnReplace = [&](TObject*) { reported.push_back(dialog.GetFindTextW() + L"|" + dialog.GetReplaceTextW()); };
    ASSERT_TRUE(dialog.Execute());
    HWND window = dialog.GetHandle();
    EXPECT_EQ(L"\ud55c\uad6d", WindowTextW(GetDlgItem(window, edt1)));
    EXPECT_EQ(L"plain", WindowTextW(GetDlgItem(window, edt2)));
    SetDlgItemTextW(window, edt1, typed.c_str());
    SetDlgItemTextW(window, edt2, replacement.c_str());
    EXPECT_EQ(typed, dialog.GetFindTextW());
    Click(window, IDOK);
    Click(window, psh1);
    EXPECT_EQ((std::vector<WideString>{typed, typed + L"|" + replacement}), reported);
    Click(window, IDCANCEL);
    EXPECT_EQ(nullptr, dialog.GetHandle());
    EXPECT_EQ(typed, dialog.GetFindTextW());
    EXPECT_EQ(replacement, dialog.GetReplaceTextW());
    // Typed and closed with no report: the ANSI texts follow too, exact or empty.
    const struct {
        const wchar_t* Typed;
        const char* Ansi;
    } closes[] = {{L"typed late", "typed late"}, {L"late \ud55c", ""}};
    for (const auto& close : closes) {
        ASSERT_TRUE(dialog.Execute());
        SetDlgItemTextW(dialog.GetHandle(), edt1, close.Typed);
        SetDlgItemTextW(dialog.GetHandle(), edt2, close.Typed);
        Click(dialog.GetHandle(), IDCANCEL);
        EXPECT_EQ(close.Typed, dialog.GetFindTextW());
        EXPECT_EQ(close.Ansi, dialog.GetFindText());
        EXPECT_EQ(close.Typed, dialog.GetReplaceTextW());
        EXPECT_EQ(close.Ansi, dialog.GetReplaceText());
    }
}
