// The framework's open and save dialogs on the real platform dialogs: names, filters, events,
// refusals and the modal run, in both looks.
#include "framework/Dialogs.h"

#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static_assert(ofReadOnly == 0 && ofNoLongNames == 15 && ofOldStyleDialog == 16 && ofEnableSizing == 19,
              "option numbers are stored in forms");

namespace {
AnsiString Lower(AnsiString text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}
}  // namespace

TEST(FileDialogTest, OptionsAndFilterInThePlatformsTerms)
{
    EXPECT_EQ(TOpenOptions({ofHideReadOnly, ofEnableSizing}), TOpenDialog(nullptr).GetOptions());
    EXPECT_EQ(DWORD(OFN_READONLY | OFN_NOLONGNAMES | OFN_NODEREFERENCELINKS | OFN_ENABLESIZING),
              OpenOptionFlags({ofReadOnly, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableSizing}));
    static const char list[] = "Text\0*.txt\0All\0*.*\0\0";
    EXPECT_EQ(std::string(list, sizeof(list) - 1), FileDialogFilter("Text|*.txt|All|*.*"));
}

// A typed name comes back as a full path with the chosen filter, in both looks; a refused
// name keeps the dialog open; a multi-selection gives one path per file; a cancel changes
// nothing.
TEST(FileDialogTest, NamesFiltersAndRefusalsRoundTripThroughTheRealDialog)
{
    TempFolder folder;
    for (const char* name : {"one.txt", "two.txt", "three.dat"})
        WriteBytes(folder.Path(name), "x");
    auto type = [](const char* name) { return [name](HWND window) { FileDialogDriver::TypeAndConfirm(window, name); }; };
    for (bool old : {false, true}) {
        SCOPED_TRACE(old ? "old look" : "Explorer look");
        TOpenDialog dialog(nullptr);
        TOpenOptions options = dialog.GetOptions();
        dialog.SetOptions(old ? options.Include(ofOldStyleDialog) : options);
        dialog.SetFilter("Text|*.txt|Data|*.dat|All|*.*");
        dialog.SetFilterIndex(2);
        dialog.SetInitialDir(folder.Path(""));
        std::vector<std::string> events;
        int asked = 0;
        dialog.OnShow = [&](TObject*) { events.push_back("show"); };
        dialog.OnFolderChange = [&](TObject*) { events.push_back("folder"); };
        dialog.OnClose = [&](TObject*) { events.push_back("close"); };
        dialog.OnCanClose = [&](TObject* sender, bool& canClose) { canClose = sender == &dialog && ++asked > 1; };
        dialog.OnTypeChange = [&](TObject*) { events.push_back("type " + std::to_string(dialog.GetFilterIndex())); };
        // The user picks the third filter ("All") first.
        auto pickAll = [](HWND window) {
            SendDlgItemMessageA(window, 0x470, CB_SETCURSEL, 2, 0);
            for (WORD code : {CBN_SELENDOK, CBN_SELCHANGE})  // what each look listens to
                SendMessageA(window, WM_COMMAND, MAKEWPARAM(0x470, code), LPARAM(GetDlgItem(window, 0x470)));
        };
        FileDialogDriver driver;
        ASSERT_TRUE(driver.Run(dialog, {pickAll, type("three.dat"), type("three.dat")}));
        EXPECT_FALSE(driver.Stalled);
        EXPECT_EQ(2, asked);
        EXPECT_EQ(Lower(folder.Path("three.dat")), Lower(dialog.GetFileName()));
        EXPECT_EQ(std::vector<AnsiString>{dialog.GetFileName()}, dialog.GetFiles());
        EXPECT_EQ(3, dialog.GetFilterIndex());
        const std::vector<std::string> order[] = {{"show", "folder", "type 3", "close"}, {"show", "close"}};
        EXPECT_EQ(order[old], events);

        // The old look of this platform picks one name only.
        if (!old) {
            dialog.SetOptions(options.Include(ofAllowMultiSelect));
            dialog.SetFilterIndex(1);
            dialog.OnCanClose = nullptr;
            ASSERT_TRUE(driver.Run(dialog, {type("\"one.txt\" \"two.txt\"")}));
            std::vector<AnsiString> files;
            for (const AnsiString& file : dialog.GetFiles())
                files.push_back(Lower(file));
            EXPECT_EQ((std::vector<AnsiString>{Lower(folder.Path("one.txt")), Lower(folder.Path("two.txt"))}), files);
            EXPECT_EQ(dialog.GetFiles().front(), dialog.GetFileName());
        }
        const std::vector<AnsiString> chosen = dialog.GetFiles();
        EXPECT_FALSE(driver.Run(dialog, {FileDialogDriver::Cancel}));
        EXPECT_EQ(chosen, dialog.GetFiles());
    }
}

// While the dialog runs the program's windows are disabled; afterwards they are enabled and
// the active one is active again. The current folder is the platform's to keep or change.
TEST(FileDialogTest, ProgramWindowsWaitAndTheCurrentFolderIsLeftToThePlatform)
{
    TempFolder folder;
    char start[MAX_PATH], now[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, start);
    auto make = [] {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    };
    // The platform disables the owner (the active window) itself; the other one is ours to.
    HWND other = make(), window = make();
    SetActiveWindow(window);
    for (bool keep : {true, false}) {
        TSaveDialog dialog(nullptr);
        dialog.SetOptions(keep ? dialog.GetOptions().Include(ofNoChangeDir) : dialog.GetOptions());
        dialog.SetInitialDir(folder.Path(""));
        bool enabledWhileOpen = true;
        FileDialogDriver driver;
        EXPECT_TRUE(driver.Run(dialog, {[&](HWND dialogWindow) {
            enabledWhileOpen = IsWindowEnabled(other) != FALSE;
            FileDialogDriver::TypeAndConfirm(dialogWindow, "b.txt");
        }}));
        EXPECT_FALSE(enabledWhileOpen);
        EXPECT_TRUE(IsWindowEnabled(window) && IsWindowEnabled(other));
        EXPECT_EQ(window, GetActiveWindow());
        GetCurrentDirectoryA(MAX_PATH, now);
        const AnsiString changed = folder.Path("").substr(0, folder.Path("").size() - 1);
        EXPECT_EQ(Lower(keep ? start : changed), Lower(now)) << keep;
        SetCurrentDirectoryA(start);
    }
    DestroyWindow(window);
    DestroyWindow(other);
}
