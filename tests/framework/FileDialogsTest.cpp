// The framework's open and save dialogs on the real platform dialogs: options, names, filters,
// events and their order, in both looks.
#include "framework/Dialogs.h"

#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

static_assert(ofReadOnly == 0 && ofNoLongNames == 15 && ofOldStyleDialog == 16 && ofEnableSizing == 19,
              "option numbers are stored in forms");

// Sets NewStyleControls for one test and puts it back.
struct LookScope {
    bool Saved = NewStyleControls;
    explicit LookScope(bool newStyle) { NewStyleControls = newStyle; }
    ~LookScope() { NewStyleControls = Saved; }
};

AnsiString Lower(AnsiString text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

TEST(FileDialogTest, OptionsMapToThePlatformFlags)
{
    EXPECT_EQ(TOpenOptions({ofHideReadOnly, ofEnableSizing}), TOpenDialog(nullptr).GetOptions());
    const struct {
        TOpenOption Option;
        DWORD Flag;
    } table[] = {
        {ofReadOnly, OFN_READONLY}, {ofOverwritePrompt, OFN_OVERWRITEPROMPT}, {ofHideReadOnly, OFN_HIDEREADONLY},
        {ofNoChangeDir, OFN_NOCHANGEDIR}, {ofShowHelp, OFN_SHOWHELP}, {ofNoValidate, OFN_NOVALIDATE},
        {ofAllowMultiSelect, OFN_ALLOWMULTISELECT}, {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
        {ofPathMustExist, OFN_PATHMUSTEXIST}, {ofFileMustExist, OFN_FILEMUSTEXIST}, {ofCreatePrompt, OFN_CREATEPROMPT},
        {ofShareAware, OFN_SHAREAWARE}, {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
        {ofNoTestFileCreate, OFN_NOTESTFILECREATE}, {ofNoNetworkButton, OFN_NONETWORKBUTTON},
        {ofNoLongNames, OFN_NOLONGNAMES}, {ofOldStyleDialog, 0}, {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
        {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY}, {ofEnableSizing, OFN_ENABLESIZING},
    };
    DWORD all = 0;
    TOpenOptions every;
    for (const auto& row : table) {
        EXPECT_EQ(row.Flag, OpenOptionFlags({row.Option})) << int(row.Option);
        all |= row.Flag;
        every.Include(row.Option);
    }
    EXPECT_EQ(all, OpenOptionFlags(every));
    EXPECT_EQ(0u, OpenOptionFlags(every) & OFN_EXPLORER);
    static const char list[] = "Text\0*.txt\0All\0*.*\0\0";
    EXPECT_EQ(std::string(list, sizeof(list) - 1), FileDialogFilter("Text|*.txt|All|*.*"));
}

TEST(FileDialogTest, NewStyleControlsFollowsThePlatformVersion)
{
    EXPECT_EQ(LOBYTE(LOWORD(GetVersion())) > 3, NewStyleControls);
}

// A typed name comes back as a full path with the chosen filter, in both looks; a refused
// name keeps the dialog open; a multi-selection comes back as one path per file.
TEST(FileDialogTest, NamesFiltersAndRefusalsRoundTripThroughTheRealDialog)
{
    TempFolder folder;
    for (const char* name : {"one.txt", "two.txt", "three.dat"})
        WriteBytes(folder.Path(name), "x");
    for (bool old : {false, true}) {
        SCOPED_TRACE(old ? "old look" : "Explorer look");
        TOpenDialog dialog(nullptr);
        TOpenOptions options = dialog.GetOptions();
        if (old)
            options.Include(ofOldStyleDialog);
        dialog.SetOptions(options);
        dialog.SetFilter("Text|*.txt|Data|*.dat|All|*.*");
        dialog.SetFilterIndex(2);
        dialog.SetInitialDir(folder.Path(""));
        std::vector<std::string> events;
        int asked = 0;
        dialog.OnShow = [&](TObject*) { events.push_back("show"); };
        dialog.OnFolderChange = [&](TObject*) { events.push_back("folder"); };
        dialog.OnClose = [&](TObject*) { events.push_back("close"); };
        dialog.OnCanClose = [&](TObject* sender, bool& canClose) {
            EXPECT_EQ(&dialog, sender);
            canClose = ++asked > 1;
        };
        FileDialogDriver driver;
        auto type = [](const char* name) {
            return [name](HWND window) { FileDialogDriver::TypeAndConfirm(window, name); };
        };
        ASSERT_TRUE(driver.Run(dialog, {type("three.dat"), type("three.dat")}));
        EXPECT_FALSE(driver.Stalled);
        EXPECT_EQ(2, asked);
        EXPECT_EQ(Lower(folder.Path("three.dat")), Lower(dialog.GetFileName()));
        EXPECT_EQ(std::vector<AnsiString>{dialog.GetFileName()}, dialog.GetFiles());
        EXPECT_EQ(2, dialog.GetFilterIndex());
        std::vector<std::string> order = {"show", "folder", "close"};
        if (old)
            order = {"show", "close"};
        EXPECT_EQ(order, events);

        // Several names (the old look of this platform picks one name only), then a cancel
        // that leaves them alone.
        if (!old) {
            dialog.SetOptions(options.Include(ofAllowMultiSelect));
            dialog.OnCanClose = nullptr;
            dialog.SetFilterIndex(1);
            ASSERT_TRUE(driver.Run(dialog, {type("\"one.txt\" \"two.txt\"")}));
            std::vector<AnsiString> files;
            for (const AnsiString& file : dialog.GetFiles())
                files.push_back(Lower(file));
            EXPECT_EQ((std::vector<AnsiString>{Lower(folder.Path("one.txt")), Lower(folder.Path("two.txt"))}), files);
            EXPECT_EQ(dialog.GetFiles().front(), dialog.GetFileName());
        }
        const std::vector<AnsiString> chosen = dialog.GetFiles();
        EXPECT_FALSE(driver.Run(dialog, {[](HWND window) { FileDialogDriver::Cancel(window); }}));
        EXPECT_EQ(chosen, dialog.GetFiles());
    }
}

// While the dialog runs the program's windows are disabled; afterwards they are enabled and
// the active one is active again. The current folder is the platform's to keep or change.
TEST(FileDialogTest, ProgramWindowsWaitAndTheCurrentFolderIsLeftToThePlatform)
{
    TempFolder folder;
    WriteBytes(folder.Path("a.txt"), "x");
    char start[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, start);
    auto make = [] {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    };
    // The platform disables the owner (the active window) itself; the other one is ours to.
    HWND other = make(), window = make();
    SetActiveWindow(window);
    for (bool keep : {true, false}) {
        TSaveDialog dialog(nullptr);
        if (keep)
            dialog.SetOptions(dialog.GetOptions().Include(ofNoChangeDir));
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
        char now[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, now);
        EXPECT_EQ(Lower(keep ? start : folder.Path("").substr(0, folder.Path("").size() - 1)), Lower(now)) << keep;
        SetCurrentDirectoryA(start);
    }
    DestroyWindow(window);
    DestroyWindow(other);
}
