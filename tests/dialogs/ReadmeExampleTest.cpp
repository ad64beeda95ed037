// The README's usage examples, built from the README itself (tests/CMakeLists.txt cuts them out)
// and run on the real open dialog, the first in both looks.
#include "dialogs/COpenDlg.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

AnsiString Folder;

// The example is a form class of the reader's.
#include "ReadmeExample.inc"

struct Seen {
    bool Grip = false;          // a size grip of the library's
    bool Resizable = false;     // the dialog window has a sizing frame
    AnsiString Facts;           // the sub form's label after a file was selected in the list
};
Seen Observed;

BOOL CALLBACK FindChild(HWND window, LPARAM found)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpA(name, "TDialogGrip") == 0)
        Observed.Grip = true;
    if (lstrcmpA(name, "SysListView32") == 0)
        *reinterpret_cast<HWND*>(found) = window;
    // The label shows the whole path, the name box only the name.
    char text[MAX_PATH] = "";
    if (GetWindowTextLengthA(window) < MAX_PATH && GetWindowTextA(window, text, MAX_PATH) > 0 &&
        AnsiString(text).find(":\\") != AnsiString::npos && AnsiString(text).find("pic.bmp") != AnsiString::npos)
        Observed.Facts = text;
    return TRUE;
}

// One step a tick while the example's dialog is open: select the file in the list (Explorer
// look), look at the dialog, then type the name and confirm.
void CALLBACK Drive(HWND, UINT, UINT_PTR, DWORD)
{
    static int step = 0;
    HWND dialog = FindWindowA(nullptr, "画像を開く");
    if (dialog == nullptr || !IsWindowVisible(dialog)) {
        step = 0;
        return;
    }
    HWND list = nullptr;
    EnumChildWindows(dialog, FindChild, reinterpret_cast<LPARAM>(&list));
    Observed.Resizable = (GetWindowLongPtrA(dialog, GWL_STYLE) & WS_THICKFRAME) != 0;
    if (step == 0) {
        // The example names no folder: go to the test's own by typing it.
        SetDlgItemTextA(dialog, 0x480, Folder.c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else if (step == 5 && list != nullptr) {
        LVITEMA item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    } else if (step == 10 || (step > 10 && step % 50 == 0)) {
        SetDlgItemTextA(dialog, 0x480, "pic.bmp");
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    ++step;
}

class ReadmeExampleTest : public ::testing::TestWithParam<bool> {};

TEST_P(ReadmeExampleTest, OpensTheChosenFileWithTheSubFormAndSizing)
{
    const bool explorer = GetParam();
    TempFolder folder;
    ASSERT_TRUE(CloseHandle(CreateFileA(folder.Path("pic.bmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    char savedDir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, savedDir);
    SetCurrentDirectoryA(folder.Path("").c_str());
    Folder = folder.Path("");
    Observed = Seen();

    TPictureForm* form = new TPictureForm(nullptr);
    // The old look, as a reader asks for it: on the form's dialog.
    for (int i = 0; !explorer && i < form->ComponentCount(); ++i)
        if (auto* dialog = dynamic_cast<TCOpenDialog*>(form->Components(i)))
            dialog->SetOptions(dialog->GetOptions().Include(ofOldStyleDialog));
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Drive);
    const WideString opened = form->ChoosePicture();
    KillTimer(nullptr, timer);
    FreeObject(form);
    SetCurrentDirectoryA(savedDir);

    EXPECT_EQ(0, lstrcmpiW(folder.Path(WideString(L"pic.bmp")).c_str(), opened.c_str())) << WideToAnsi(opened);
    // The platform's own sizing in the Explorer look, the library's grip in the old look.
    EXPECT_TRUE(Observed.Resizable);
    EXPECT_EQ(!explorer, Observed.Grip);
    // The sub form follows the selection where the look reports it.
    if (explorer) {
        EXPECT_EQ(folder.Path("pic.bmp"), Observed.Facts);
    }
}

AnsiString OpenedAnsi;
WideString OpenedW;

#include "ReadmeUnicodeExample.inc"

// The two the reader writes.
void TDocumentForm::OpenDocument(const AnsiString& path) { OpenedAnsi = path; }
void TDocumentForm::OpenDocumentW(const WideString& path) { OpenedW = path; }

WideString Typed;
std::wstring Refusal;

// One step a tick in each of the example's dialogs: type the name and press OK; the ANSI one's
// refusal box is read and closed, and the dialog cancelled.
void CALLBACK DriveNames(HWND, UINT, UINT_PTR, DWORD)
{
    static HWND dialog = nullptr;
    static bool ansi = false;
    static int step = 0;
    if (dialog == nullptr || !IsWindow(dialog)) {
        dialog = nullptr;
        for (const char* title : {"ANSI", "Unicode"}) {
            HWND found = FindWindowA(nullptr, title);
            if (found != nullptr && IsWindowVisible(found) && GetDlgItem(found, 0x480) != nullptr) {
                dialog = found;
                ansi = lstrcmpA(title, "ANSI") == 0;
                step = 0;
            }
        }
        if (dialog == nullptr)
            return;
    }
    if (step++ == 0) {
        SetDlgItemTextW(dialog, 0x480, Typed.c_str());
        FileDialogDriver::Press(dialog, IDOK);
    } else if (ansi) {
        const std::wstring said = FileDialogDriver::TakeMessageBox(dialog);
        if (!said.empty())
            Refusal = said;
        if (!said.empty() || step > 500)
            FileDialogDriver::Cancel(dialog);
    }
}

TEST(ReadmeExampleTest, NamesTheCodePageLacksAreRefusedForTheAnsiCallerAndExactForTheUnicodeCaller)
{
    TempFolder folder;
    Typed = folder.Path(WideString(L"\ud55c\uad6d.txt"));
    ASSERT_TRUE(CloseHandle(CreateFileW(Typed.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
    OpenedAnsi.clear();
    OpenedW.clear();
    Refusal.clear();

    TDocumentForm* form = new TDocumentForm(nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 20, DriveNames);
    form->OpenDocuments();
    KillTimer(nullptr, timer);
    FreeObject(form);

    EXPECT_EQ("", OpenedAnsi);
    EXPECT_NE(std::wstring::npos, Refusal.find(Typed)) << WideToAnsi(Refusal);
    EXPECT_EQ(0, lstrcmpiW(Typed.c_str(), OpenedW.c_str())) << WideToAnsi(OpenedW);
}

INSTANTIATE_TEST_SUITE_P(Looks, ReadmeExampleTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& look) { return look.param ? "Explorer" : "Old"; });

}  // namespace
