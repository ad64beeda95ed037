// The framework's open and save dialogs on the real platform dialogs: names, filters, events,
// refusals and the modal run, in both looks.
#include "framework/Dialogs.h"

#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
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

// Characters whose second byte is a separator: "\" in the first two, "|" in the third.
const AnsiString Hyo = "\x95\x5c";                          // 表
const AnsiString So = "\x83\x5c";                           // ソ
const AnsiString Report = "\x83\x8c\x83\x7c\x81\x5b\x83\x67";  // レポート
const AnsiString All = "\x82\xb7\x82\xd7\x82\xc4";              // すべて

bool Exists(const AnsiString& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BOOL CALLBACK FindFileList(HWND child, LPARAM param)
{
    char name[32] = {};
    GetClassNameA(child, name, sizeof(name));
    if (lstrcmpA(name, WC_LISTVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
}

// The file list of a running dialog (the list view inside its shell view).
HWND FileList(HWND dialog)
{
    HWND found = nullptr;
    EnumChildWindows(dialog, FindFileList, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The first letter of every name the file list shows, in order.
std::string ListedInitials(HWND dialog)
{
    HWND list = FileList(dialog);
    std::string initials;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[MAX_PATH] = {};
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        initials += text[0];
    }
    std::sort(initials.begin(), initials.end());
    return initials;
}

// Picks the type of `index` (0-based) in the type box, as the user does.
void PickType(HWND dialog, int index)
{
    SendDlgItemMessageA(dialog, 0x470, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    for (WORD code : {CBN_SELENDOK, CBN_SELCHANGE})  // what each look listens to
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x470, code), LPARAM(GetDlgItem(dialog, 0x470)));
}

std::vector<AnsiString> TypeDescriptions(HWND dialog)
{
    std::vector<AnsiString> descriptions;
    const int count = static_cast<int>(SendDlgItemMessageA(dialog, 0x470, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(dialog, 0x470, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        descriptions.push_back(text);
    }
    return descriptions;
}

// The message of the Exception `action` raises; empty when it raises none.
std::string RaisedMessage(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}
}  // namespace

TEST(FileDialogTest, OptionsAndFilterInThePlatformsTerms)
{
    EXPECT_EQ(TOpenOptions({ofHideReadOnly, ofEnableSizing}), MakeObject<TOpenDialog>(nullptr)->GetOptions());
    EXPECT_EQ(DWORD(OFN_READONLY | OFN_NOLONGNAMES | OFN_NODEREFERENCELINKS | OFN_ENABLESIZING),
              OpenOptionFlags({ofReadOnly, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableSizing}));
    static const char list[] = "Text\0*.txt\0All\0*.*\0\0";
    EXPECT_EQ(std::string(list, sizeof(list) - 1), FileDialogFilter("Text|*.txt|All|*.*"));
    // The second byte of "ポ" is "|": it splits nothing.
    const std::string japanese = Report + "|*.rpt|" + All + "|*.*";
    EXPECT_EQ(Report + '\0' + "*.rpt" + '\0' + All + '\0' + "*.*" + '\0' + '\0', FileDialogFilter(japanese));
}

TEST(FileDialogTest, CopyToBufferNeverLeavesHalfACharacter)
{
    struct Case {
        AnsiString Text;
        size_t Size;
        AnsiString Copied;
    };
    const Case cases[] = {
        {"ab" + Hyo, 5, "ab" + Hyo},  // fits with its terminator
        {"ab" + Hyo, 4, "ab"},        // the lead byte alone would be half a character
        {Hyo + "ab", 3, Hyo},
        {"abc", 3, "ab"},
        {"abc", 1, ""},
    };
    for (const Case& c : cases) {
        char buffer[8];
        std::fill(std::begin(buffer), std::end(buffer), '#');
        CopyToBuffer(buffer, c.Size, c.Text);
        EXPECT_EQ(c.Copied, AnsiString(buffer)) << c.Text << " " << c.Size;
    }
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
        auto dialogOwned = MakeObject<TOpenDialog>(nullptr);
        TOpenDialog& dialog = *dialogOwned;
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
        auto dialogOwned = MakeObject<TSaveDialog>(nullptr);
        TSaveDialog& dialog = *dialogOwned;
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

// A multi-selection in a folder whose name ends in a character whose second byte is "\": every
// name returned is one that exists.
TEST(FileDialogTest, MultiSelectionInFoldersEndingInADoubleByteCharacterGivesNamesThatExist)
{
    TempFolder root;
    for (const AnsiString& name : {Hyo, So, AnsiString("plain")}) {
        SCOPED_TRACE(name);
        const AnsiString folder = root.Path(name);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        for (const char* file : {"a.txt", "b.txt"})
            WriteBytes(folder + "\\" + file, "x");
        auto dialogOwned = MakeObject<TOpenDialog>(nullptr);
        TOpenDialog& dialog = *dialogOwned;
        dialog.SetOptions(dialog.GetOptions().Include(ofAllowMultiSelect));
        dialog.SetInitialDir(folder);
        FileDialogDriver driver;
        ASSERT_TRUE(driver.Run(dialog, {[](HWND window) {
            FileDialogDriver::TypeAndConfirm(window, "\"a.txt\" \"b.txt\"");
        }}));
        ASSERT_EQ(2u, dialog.GetFiles().size());
        for (const AnsiString& file : dialog.GetFiles())
            EXPECT_TRUE(Exists(file)) << file;
        EXPECT_EQ(Lower(folder + "\\a.txt"), Lower(dialog.GetFileName()));
    }
}

// Filters whose descriptions and patterns hold characters with a "|" or "\" second byte: the type
// box shows each description whole, and each pattern lists its own files.
TEST(FileDialogTest, JapaneseFiltersShowWholeDescriptionsAndApplyTheirOwnPatterns)
{
    TempFolder folder;
    for (const AnsiString& name : {AnsiString("a.rpt"), AnsiString("b.txt"), "c." + Hyo, "d." + So})
        WriteBytes(folder.Path(name), "x");
    struct Case {
        AnsiString Filter;
        std::vector<AnsiString> Descriptions;
        std::vector<std::string> Listed;  // first letters of the listed files, per type
    };
    const Case cases[] = {
        {Report + " (*.rpt)|*.rpt|" + All + " (*.*)|*.*", {Report + " (*.rpt)", All + " (*.*)"}, {"a", "abcd"}},
        {Hyo + So + "|*." + Hyo + "|" + So + Hyo + "|*." + So + ";*.rpt", {Hyo + So, So + Hyo}, {"c", "ad"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Filter);
        auto dialogOwned = MakeObject<TOpenDialog>(nullptr);
        TOpenDialog& dialog = *dialogOwned;
        dialog.SetFilter(c.Filter);
        dialog.SetInitialDir(folder.Path(""));
        std::vector<AnsiString> descriptions;
        std::vector<std::string> listed;
        std::vector<FileDialogDriver::Step> steps = {[&](HWND window) { descriptions = TypeDescriptions(window); }};
        for (int i = 0; i < static_cast<int>(c.Descriptions.size()); ++i) {
            steps.push_back([i](HWND window) { PickType(window, i); });
            steps.push_back([&](HWND window) { listed.push_back(ListedInitials(window)); });
        }
        steps.push_back(FileDialogDriver::Cancel);
        FileDialogDriver driver;
        EXPECT_FALSE(driver.Run(dialog, steps));
        EXPECT_EQ(c.Descriptions, descriptions);
        EXPECT_EQ(c.Listed, listed);
    }
}

// Selections whose names need more than the first name buffer: typed into the name box (1100 long
// names) or selected in the file list (fewer, longer ones: each selection step lists them all
// again). Every name comes back, none cut.
TEST(FileDialogTest, LargeMultiSelectionsComeBackWhole)
{
    struct Case {
        int Count;
        size_t NameLength;
        bool Typed;
    };
    const Case cases[] = {{1100, 70, true}, {340, 200, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Count);
        TempFolder folder;
        std::set<AnsiString> made;
        AnsiString typed;
        for (int i = 0; i < c.Count; ++i) {
            AnsiString name = Format("%04d", i);
            name += std::string(c.NameLength - name.size() - 4, 'x') + ".txt";
            WriteBytes(folder.Path(name), "x");
            made.insert(Lower(folder.Path(name)));
            typed += "\"" + name + "\" ";
        }
        ASSERT_GT(made.size() * c.NameLength, size_t(TOpenDialog::FileBufferLength));
        auto dialogOwned = MakeObject<TOpenDialog>(nullptr);
        TOpenDialog& dialog = *dialogOwned;
        dialog.SetOptions(dialog.GetOptions().Include(ofAllowMultiSelect));
        dialog.SetInitialDir(folder.Path(""));
        auto choose = [&](HWND window) {
            if (c.Typed) {
                SetDlgItemTextA(window, 0x480, typed.c_str());
                return;
            }
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED;
            SendMessageA(FileList(window), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        };
        auto ok = [](HWND window) { FileDialogDriver::Press(window, IDOK); };
        FileDialogDriver driver;
        ASSERT_TRUE(driver.Run(dialog, {choose, ok}));
        std::set<AnsiString> returned;
        for (const AnsiString& file : dialog.GetFiles())
            returned.insert(Lower(file));
        EXPECT_EQ(static_cast<size_t>(c.Count), dialog.GetFiles().size());
        EXPECT_TRUE(made == returned);
    }
}

// Values no path can hold raise before the platform's dialog opens; the program goes on, and a
// default extension given with its period is used without it.
TEST(FileDialogTest, OverLongPathValuesRaiseAndADefaultExtensionLosesItsPeriod)
{
    struct Case {
        const char* Property;
        std::function<void(TOpenDialog&)> Set;
    };
    const Case cases[] = {
        {"InitialDir", [](TOpenDialog& d) { d.SetInitialDir("C:\\" + AnsiString(1000, 'a')); }},
        {"InitialDir", [](TOpenDialog& d) {  // 300 characters in 600 bytes
             AnsiString path = "C:\\";
             for (int i = 0; i < 300; ++i)
                 path += Hyo;
             d.SetInitialDir(path);
         }},
        {"DefaultExt", [](TOpenDialog& d) { d.SetDefaultExt(AnsiString(1000, 'e')); }},
        {"FileName", [](TOpenDialog& d) { d.SetFileName(AnsiString(1000, 'f')); }},
        {"FileName", [](TOpenDialog& d) { d.SetFileName("C:\\" + AnsiString(300, 'f')); }},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        auto dialogOwned = MakeObject<TSaveDialog>(nullptr);
        TSaveDialog& dialog = *dialogOwned;
        c.Set(dialog);
        bool opened = false;
        dialog.OnShow = [&](TObject*) { opened = true; };
        const std::string message = RaisedMessage([&] { dialog.Execute(); });
        EXPECT_NE(std::string::npos, message.find(c.Property)) << c.Property << ": " << message;
        EXPECT_FALSE(opened);
    }
    auto dialogOwned = MakeObject<TSaveDialog>(nullptr);
    TSaveDialog& dialog = *dialogOwned;
    dialog.SetInitialDir(folder.Path(""));
    dialog.SetDefaultExt(".txt");
    FileDialogDriver driver;
    ASSERT_TRUE(driver.Run(dialog, {[](HWND window) { FileDialogDriver::TypeAndConfirm(window, "abc"); }}));
    EXPECT_EQ(Lower(folder.Path("abc.txt")), Lower(dialog.GetFileName()));
}

TEST(FileDialogTest, OnlyNamesTheCodePageHoldsWholeAreExact)
{
    struct Case {
        const wchar_t* Name;
        bool Exact;
    };
    const Case cases[] = {
        {L"plain ?.txt", true},        {L"\u8868\u30bd.txt", true},  // 表ソ
        {L"caf\u00e9.txt", false},     {L"\u00a5", false},            // é and ¥ have look-alikes
        {L"\u00a6", false},            {L"\ud55c\uad6d", false},      // ¦, 한국
        {L"emoji \U0001F600", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Exact, HasExactAnsiForm(c.Name)) << WideToAnsi(c.Name);
}

namespace {
// Selects `name` in the file list as a click does: the list view of the Explorer look, the
// list box of the old one.
void PickFile(HWND dialog, const WideString& name)
{
    if (HWND list = FileList(dialog)) {
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING;
        find.psz = name.c_str();
        const LRESULT index =
            SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return;
    }
    const LRESULT index = SendDlgItemMessageW(dialog, lst1, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(name.c_str()));
    SendDlgItemMessageW(dialog, lst1, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(lst1, LBN_SELCHANGE), LPARAM(GetDlgItem(dialog, lst1)));
}
}  // namespace

// Names outside the code page, typed or picked in either look: the dialog says so and stays open
// (never true with another file's name); names it holds whole come back whole.
TEST(FileDialogTest, ANameTheCodePageLacksIsRefusedNeverTurnedIntoAnother)
{
    TempFolder folder;
    for (const wchar_t* name : {L"cafe.txt", L"caf\u00e9.txt", L"\ud55c\uad6d.txt", L"emoji \U0001F600.txt",
                                L"\u8868.txt", L"\u30bd.txt"})
        WriteBytes(folder.Path(WideString(name)), "x");
    for (const wchar_t* name : {L"cafe", L"caf\u00e9"}) {
        CreateDirectoryW(folder.Path(WideString(name)).c_str(), nullptr);
        WriteBytes(folder.Path(WideString(name)) + L"\\x.txt", "x");
    }
    struct Case {
        bool Save;
        bool Picked;
        const wchar_t* Name;  // a quoted list: a multi-selection
        bool Exact;
        bool ExplorerOnly;
    };
    const Case cases[] = {
        {false, false, L"caf\u00e9.txt", false, false},
        {false, true, L"caf\u00e9.txt", false, false},
        {false, true, L"\ud55c\uad6d.txt", false, false},
        {false, false, L"emoji \U0001F600.txt", false, false},
        {false, false, L"caf\u00e9\\x.txt", false, false},
        {false, false, L"\"cafe.txt\" \"caf\u00e9.txt\" \"\ud55c\uad6d.txt\"", false, true},
        {true, false, L"na\u00efve r\u00e9sum\u00e9.txt", false, false},
        {true, false, L"caf\u00e9.txt", false, false},
        {false, true, L"\u8868.txt", true, false},
        {false, false, L"\u30bd.txt", true, false},
        {true, false, L"\u8868\u30bd.txt", true, false},
        {false, true, L"cafe.txt", true, false},
    };
    for (bool old : {false, true}) {
        for (const Case& c : cases) {
            if (old && c.ExplorerOnly)
                continue;
            const WideString name = c.Name;
            SCOPED_TRACE(WideToAnsi(name) + (old ? " old look" : " Explorer look") + (c.Picked ? " picked" : " typed"));
            TObjectPtr<TOpenDialog> dialogOwned =
                c.Save ? TObjectPtr<TOpenDialog>(MakeObject<TSaveDialog>(nullptr)) : MakeObject<TOpenDialog>(nullptr);
            TOpenDialog& dialog = *dialogOwned;
            TOpenOptions options = dialog.GetOptions();
            if (old)
                options.Include(ofOldStyleDialog);
            if (name[0] == L'"')
                options.Include(ofAllowMultiSelect);
            dialog.SetOptions(options);
            dialog.SetInitialDir(folder.Path(""));
            WideString said;
            auto choose = [&](HWND window) {
                if (c.Picked)
                    PickFile(window, name);
                else
                    SetDlgItemTextW(window, edt1, name.c_str());
            };
            auto ok = [](HWND window) { FileDialogDriver::Press(window, IDOK); };
            auto readBox = [&](HWND window) { said = FileDialogDriver::TakeMessageBox(window); };
            FileDialogDriver driver;
            const bool result = driver.Run(dialog, {choose, ok, readBox, FileDialogDriver::Cancel});
            EXPECT_FALSE(driver.Stalled);
            if (c.Exact) {
                EXPECT_TRUE(result);
                EXPECT_EQ(Lower(WideToAnsi(folder.Path(name))), Lower(dialog.GetFileName()));
            } else {
                EXPECT_FALSE(result) << dialog.GetFileName();
                // A multi-selection is refused at its first such name.
                const WideString named = folder.Path(name[0] == L'"' ? WideString(L"caf\u00e9.txt") : name);
                EXPECT_NE(WideString::npos, said.find(named)) << WideToAnsi(said);
            }
        }
    }
}
