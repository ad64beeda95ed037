// The framework's open and save dialogs on the real platform dialogs: names, filters, events,
// refusals and the modal run, in both looks.
#include "framework/Dialogs.h"

#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"
#include "support/WindowsFileDialog.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>
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
    const AnsiString hyoUtf8 = "\xe8\xa1\xa8", smile = "\xf0\x9f\x98\x80";  // 表, U+1F600
    struct Case {
        AnsiString Text;
        size_t Size;
        AnsiString Copied;
        unsigned CodePage;
    };
    const Case cases[] = {
        {"ab" + Hyo, 5, "ab" + Hyo, 932},  // fits with its terminator
        {"ab" + Hyo, 4, "ab", 932},        // the lead byte alone would be half a character
        {Hyo + "ab", 3, Hyo, 932},
        {"abc", 3, "ab", 932},
        {"abc", 1, "", 932},
        {"a" + hyoUtf8, 5, "a" + hyoUtf8, CP_UTF8},
        {"a" + hyoUtf8, 4, "a", CP_UTF8},
        {"a" + hyoUtf8, 3, "a", CP_UTF8},
        {smile + "b", 5, smile, CP_UTF8},
        {smile + "b", 4, "", CP_UTF8},
    };
    for (const Case& c : cases) {
        char buffer[8];
        std::fill(std::begin(buffer), std::end(buffer), '#');
        CopyToBuffer(buffer, c.Size, c.Text, c.CodePage);
        EXPECT_EQ(c.Copied, AnsiString(buffer)) << c.Text << " " << c.Size << " " << c.CodePage;
    }
}

// Where each character starts, and the room a count of UTF-16 units needs, in code page 932 and in
// UTF-8 (which a system or a program's manifest may make the ANSI code page).
TEST(FileDialogTest, CharactersAndRoomFollowTheCodePage)
{
    using Lengths = std::vector<size_t>;
    struct Case {
        AnsiString Text;
        Lengths In932, InUtf8;  // the length of each character in turn
    };
    const Case cases[] = {
        {"a" + Hyo, {1, 2}, {1, 1, 1}},             // 表 in 932: a "\" second byte
        {"\xe8\xa1\xa8", {2, 1}, {3}},             // 表 in UTF-8
        {"\xf0\x9f\x98\x80!", {2, 2, 1}, {4, 1}},  // U+1F600
        {"\xc3\xa9\\", {1, 1, 1}, {2, 1}},          // é then "\"
        {"\xe8\xa1", {2}, {1, 1}},                  // a sequence cut short
        {"\xe8\xa1" "a", {2, 1}, {1, 1, 1}},
        {"\x95", {1}, {1}},                          // a lead byte at the end
    };
    for (const Case& c : cases) {
        for (unsigned codePage : {932u, unsigned(CP_UTF8)}) {
            Lengths lengths;
            for (size_t i = 0; i < c.Text.size(); i += lengths.back())
                lengths.push_back(CharLength(c.Text, i, codePage));
            EXPECT_EQ(codePage == 932 ? c.In932 : c.InUtf8, lengths) << c.Text << " in " << codePage;
            // A trail byte is one no character starts at.
            for (size_t i = 0, start = 0; i < c.Text.size(); ++i) {
                EXPECT_EQ(i != start, IsTrailByte(c.Text, i, codePage)) << c.Text << " at " << i;
                if (i + 1 == start + CharLength(c.Text, start, codePage))
                    start = i + 1;
            }
        }
    }
    struct Room {
        size_t Units, In932, InUtf8;
    };
    for (const Room& r : {Room{1, 2, 3}, Room{100, 200, 300}}) {
        EXPECT_EQ(r.In932, AnsiRoom(r.Units, 932));
        EXPECT_EQ(r.InUtf8, AnsiRoom(r.Units, CP_UTF8));
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
        const wchar_t* Fill;  // what the names are made of: a character of 2 bytes in 932, 3 in UTF-8
    };
    const Case cases[] = {{1100, 70, true, L"x"}, {340, 200, false, L"x"}, {700, 60, true, L"\u8868"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Count);
        TempFolder folder;
        std::set<AnsiString> made;
        AnsiString typed;
        size_t bytes = 0;
        for (int i = 0; i < c.Count; ++i) {
            AnsiString name = Format("%04d", i);
            for (size_t n = name.size(); n < c.NameLength - 4; ++n)
                name += WideToAnsi(c.Fill);
            name += ".txt";
            WriteBytes(folder.Path(name), "x");
            made.insert(Lower(folder.Path(name)));
            typed += "\"" + name + "\" ";
            bytes += name.size();
        }
        ASSERT_GT(bytes, size_t(TOpenDialog::FileBufferLength));
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
        {"InitialDir", [](TOpenDialog& d) { d.SetInitialDirW(L"C:\\" + WideString(300, L'\u00e9')); }},
        {"FileName", [](TOpenDialog& d) { d.SetFileNameW(WideString(300, L'\u00e9')); }},
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
    // Under code page 932 (this system's) and under UTF-8, which a system may use as its ANSI code
    // page and which holds every well-formed text.
    struct Case {
        const wchar_t* Name;
        bool Exact932, ExactUtf8;
    };
    const Case cases[] = {
        {L"plain ?.txt", true, true},        {L"\u8868\u30bd.txt", true, true},  // 表ソ
        {L"caf\u00e9.txt", false, true},     {L"\u00a5", false, true},            // é and ¥ have look-alikes
        {L"\u00a6", false, true},            {L"\ud55c\uad6d", false, true},      // ¦, 한국
        {L"emoji \U0001F600", false, true}, {L"half \xd800 pair", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetACP() == CP_UTF8 ? c.ExactUtf8 : c.Exact932, HasExactAnsiForm(c.Name)) << WideToAnsi(c.Name);
        EXPECT_EQ(c.Exact932, HasExactAnsiForm(c.Name, 932)) << WideToAnsi(c.Name);
        EXPECT_EQ(c.ExactUtf8, HasExactAnsiForm(c.Name, CP_UTF8)) << WideToAnsi(c.Name);
        if (c.ExactUtf8) {
            EXPECT_EQ(c.Name, AnsiToWide(WideToAnsi(c.Name, nullptr, CP_UTF8), CP_UTF8));
        }
    }
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
        LRESULT index = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
        // The list shows a shortcut without its extension.
        const WideString bare = name.substr(0, name.rfind(L'.'));
        find.psz = bare.c_str();
        if (index < 0)
            index = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
        EXPECT_GE(index, 0) << WideToAnsi(name) << " is not in the list";
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

// A shortcut `link` to `target`, made with the shell link interface.
void MakeShortcut(const WideString& link, const WideString& target)
{
    const HRESULT com = CoInitialize(nullptr);
    IShellLinkW* shellLink = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&shellLink)));
    IPersistFile* file = nullptr;
    shellLink->SetPath(target.c_str());
    shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    EXPECT_EQ(S_OK, file->Save(link.c_str(), TRUE));
    file->Release();
    shellLink->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
}

// The names of a name box's text: each quoted one, or the whole text.
std::vector<WideString> ListedNames(const WideString& text)
{
    std::vector<WideString> names;
    for (size_t open = text.find(L'"'); open != WideString::npos; open = text.find(L'"', text.find(L'"', open + 1) + 1))
        names.push_back(text.substr(open + 1, text.find(L'"', open + 1) - open - 1));
    if (names.empty())
        names.push_back(text);
    return names;
}

// Names outside the code page, typed or picked in either look. By default the dialog says so and
// stays open (never true with another file's name); with UnicodeNames the name is taken, the wide
// names hold it exactly and the ANSI name is empty. Names the code page holds come back whole both
// ways, in both forms. A name whose folder or shortcut target the name box does not show (a
// shortcut the platform follows, a name with a drive and no folder, the old look without
// validation) is checked where it ends up: refused or exact, never a look-alike.
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
    MakeShortcut(folder.Path(WideString(L"shortcut.lnk")), folder.Path(WideString(L"caf\u00e9.txt")));
    // Raw: the platform may hand the name over as typed, unresolved; no Unicode name can be told
    // for it then, and it is refused even where Unicode names are taken.
    enum : unsigned { ExplorerOnly = 1, NoValidate = 2, InCafe = 4, Ends = 8, Raw = 16 };
    struct Case {
        bool Save;
        bool Picked;
        const wchar_t* Name;  // a quoted list: a multi-selection
        bool Exact;
        unsigned Flags;
        const wchar_t* EndsAs;  // where an Ends name comes back
    };
    const Case cases[] = {
        {false, false, L"caf\u00e9.txt", false, 0, nullptr},
        {false, true, L"caf\u00e9.txt", false, 0, nullptr},
        {false, true, L"\ud55c\uad6d.txt", false, 0, nullptr},
        {false, false, L"emoji \U0001F600.txt", false, 0, nullptr},
        {false, false, L"caf\u00e9\\x.txt", false, 0, nullptr},
        {false, false, L"\"cafe.txt\" \"caf\u00e9.txt\" \"\ud55c\uad6d.txt\"", false, ExplorerOnly, nullptr},
        {true, false, L"na\u00efve r\u00e9sum\u00e9.txt", false, 0, nullptr},
        {true, false, L"caf\u00e9.txt", false, 0, nullptr},
        {true, false, L"\uc0c8\ud30c\uc77c.txt", false, 0, nullptr},  // 새파일, new
        {false, false, L"caf\u00e9.txt", false, NoValidate, nullptr},
        {false, true, L"\u8868.txt", true, 0, nullptr},
        {false, false, L"\u30bd.txt", true, 0, nullptr},
        {true, false, L"\u8868\u30bd.txt", true, 0, nullptr},
        {false, true, L"cafe.txt", true, 0, nullptr},
        {false, true, L"shortcut.lnk", false, Ends, L"caf\u00e9.txt"},
        // (The old look takes a drive before the name as a change of drive.)
        {false, false, L"C:x.txt", false, ExplorerOnly | InCafe | Ends | Raw, L"caf\u00e9\\x.txt"},
        {false, false, L"x.txt", false, InCafe | NoValidate | Ends, L"caf\u00e9\\x.txt"},
    };
    for (bool unicode : {false, true}) {
        for (bool old : {false, true}) {
            for (const Case& c : cases) {
                if (old && (c.Flags & ExplorerOnly))
                    continue;
                const WideString name = c.Name;
                SCOPED_TRACE(WideToAnsi(name) + (old ? " old look" : " Explorer look") + (c.Picked ? " picked" : " typed") +
                             (unicode ? ", Unicode names" : ""));
                TObjectPtr<TOpenDialog> dialogOwned = c.Save ? TObjectPtr<TOpenDialog>(MakeObject<TSaveDialog>(nullptr))
                                                             : MakeObject<TOpenDialog>(nullptr);
                TOpenDialog& dialog = *dialogOwned;
                TOpenOptions options = dialog.GetOptions();
                if (old)
                    options.Include(ofOldStyleDialog);
                if (c.Flags & NoValidate)
                    options.Include(ofNoValidate);
                if (name[0] == L'"')
                    options.Include(ofAllowMultiSelect);
                dialog.SetOptions(options);
                dialog.SetUnicodeNames(unicode);
                dialog.SetInitialDirW(c.Flags & InCafe ? folder.Path(WideString(L"caf\u00e9")) : folder.Path(WideString()));
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
                EXPECT_GE(driver.StepsRun, 2u) << "chosen and confirmed";
                if (c.Flags & Ends) {
                    // Taken only as the exact name where it ends up, or as the name itself: with
                    // Unicode names always (but a raw one); otherwise either so, or refused with
                    // the box naming the file (where it ends up, or as typed).
                    if (unicode && !(c.Flags & Raw)) {
                        ASSERT_TRUE(result) << WideToAnsi(said);
                    }
                    if (!result) {
                        EXPECT_TRUE(said.find(folder.Path(WideString(c.EndsAs))) != WideString::npos ||
                                    said.find(folder.Path(name)) != WideString::npos || said.find(name) != WideString::npos)
                            << WideToAnsi(said);
                    } else {
                        ASSERT_EQ(1u, dialog.GetFilesW().size());
                        const WideString got = dialog.GetFileNameW();
                        wchar_t longForm[MAX_PATH] = {};
                        GetLongPathNameW(got.c_str(), longForm, MAX_PATH);
                        EXPECT_TRUE(lstrcmpiW(longForm, folder.Path(WideString(c.EndsAs)).c_str()) == 0 ||
                                    lstrcmpiW(longForm, folder.Path(name).c_str()) == 0)
                            << WideToAnsi(got);
                        // The ANSI name is the exact form of the wide one (or of its end, as the
                        // platform handed it over), or empty.
                        const WideString ansi = AnsiToWide(dialog.GetFileName());
                        if (!ansi.empty()) {
                            EXPECT_TRUE(HasExactAnsiForm(got)) << WideToAnsi(got);
                            EXPECT_TRUE(got.size() >= ansi.size() &&
                                        lstrcmpiW(got.c_str() + (got.size() - ansi.size()), ansi.c_str()) == 0)
                                << dialog.GetFileName();
                        }
                    }
                    continue;
                }
                // UTF-8 holds every name here.
                if (c.Exact || unicode || GetACP() == CP_UTF8) {
                    ASSERT_TRUE(result) << WideToAnsi(said);
                    std::vector<WideString> expected;
                    for (const WideString& listed : ListedNames(name))
                        expected.push_back(folder.Path(listed));
                    ASSERT_EQ(expected.size(), dialog.GetFilesW().size());
                    ASSERT_EQ(expected.size(), dialog.GetFiles().size());
                    for (size_t i = 0; i < expected.size(); ++i) {
                        EXPECT_EQ(0, lstrcmpiW(expected[i].c_str(), dialog.GetFilesW()[i].c_str()))
                            << WideToAnsi(dialog.GetFilesW()[i]);
                        const bool exact = HasExactAnsiForm(expected[i]);
                        EXPECT_EQ(Lower(exact ? WideToAnsi(expected[i]) : AnsiString()), Lower(dialog.GetFiles()[i]));
                    }
                    EXPECT_EQ(dialog.GetFiles().front(), dialog.GetFileName());
                    EXPECT_EQ(dialog.GetFilesW().front(), dialog.GetFileNameW());
                } else {
                    EXPECT_FALSE(result) << dialog.GetFileName();
                    // A multi-selection is refused at its first such name.
                    const WideString named = folder.Path(name[0] == L'"' ? WideString(L"caf\u00e9.txt") : name);
                    EXPECT_NE(WideString::npos, said.find(named)) << WideToAnsi(said);
                }
            }
        }
    }
}

// The refusal box runs a message loop: a dialog freed there (directly, or with its owner) is
// cancelled, and nothing of it is touched once the box closes (freed memory is poisoned).
TEST(FileDialogTest, ADialogFreedWhileItsRefusalIsShownEndsWithoutTouchingIt)
{
    TempFolder folder;
    WriteBytes(folder.Path(WideString(L"caf\u00e9.txt")), "x");
    // What the driver runs: the component until it is freed, nothing of it afterwards.
    struct Runner {
        TOpenDialog* Dialog;
        bool Freed = false;
        HWND GetHandle() const { return Freed ? nullptr : Dialog->GetHandle(); }
        bool Execute() { return Dialog->Execute(); }
    };
    for (bool withOwner : {false, true}) {
        for (bool old : {false, true}) {
            SCOPED_TRACE(std::string(withOwner ? "owner freed" : "freed") + (old ? ", old look" : ""));
            auto* owner = new TComponent(nullptr);
            Runner runner{new TOpenDialog(owner)};
            TOpenOptions options = runner.Dialog->GetOptions();
            if (old)
                options.Include(ofOldStyleDialog);
            runner.Dialog->SetOptions(options);
            runner.Dialog->SetInitialDir(folder.Path(""));
            bool boxShown = false;
            FileDialogDriver driver;
            const bool result = driver.Run(
                runner, {[](HWND window) { SetDlgItemTextW(window, edt1, L"caf\u00e9.txt"); },
                         [](HWND window) { FileDialogDriver::Press(window, IDOK); },
                         [&](HWND window) {
                             // The box is up: the dialog goes under it, then the box closes.
                             HWND box = GetLastActivePopup(window);
                             boxShown = box != window;
                             runner.Freed = true;
                             FreeObject(withOwner ? owner : static_cast<TComponent*>(runner.Dialog));
                             PostMessageW(box, WM_COMMAND, IDOK, 0);
                         }});
            EXPECT_TRUE(boxShown);
            EXPECT_FALSE(result);
            if (!withOwner)
                FreeObject(owner);
        }
    }
}

namespace {
// What Windows' name box holds when the dialog confirms: display names. Put there by a subclass of
// the hook window (the old look: of the dialog), which sees the confirmation before the hook.
WideString DisplayForm;
WNDPROC HookProc = nullptr;

LRESULT CALLBACK ShowDisplayForm(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    static const UINT fileOk = RegisterWindowMessageA(FILEOKSTRINGA);
    const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    if ((msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_FILEOK) || msg == fileOk)
        SetDlgItemTextW(child ? GetParent(window) : window, edt1, DisplayForm.c_str());
    return CallWindowProcW(HookProc, window, msg, wParam, lParam);
}
}  // namespace

// The names Windows' box shows at the confirmation (extensions hidden, a shortcut without ".lnk",
// several names quoted) stand for the files picked: they come back as the platform hands them
// over, with no refusal, and OnCanClose already sees them as the caller gets them.
TEST(FileDialogTest, DisplayNamesInTheBoxGiveTheFilesPicked)
{
    TempFolder folder;
    for (const wchar_t* name : {L"report.txt", L"other.txt", L"third.txt", L"cafe.txt", L"caf\u00e9.txt",
                                L"report.v2.txt", L"cafe.v2.txt", L"caf\u00e9.v2.txt"})
        WriteBytes(folder.Path(WideString(name)), "x");
    CreateDirectoryW(folder.Path(WideString(L"sub")).c_str(), nullptr);
    WriteBytes(folder.Path(WideString(L"sub\\target.txt")), "x");
    MakeShortcut(folder.Path(WideString(L"shortcut.lnk")), folder.Path(WideString(L"sub\\target.txt")));
    MakeShortcut(folder.Path(WideString(L"x.y.lnk")), folder.Path(WideString(L"sub\\target.txt")));
    struct Case {
        const wchar_t* Typed;  // what the user picked, as file names
        const wchar_t* Shown;  // the same as Windows shows it
        std::vector<const wchar_t*> Expected;
        bool OldLook;
        const wchar_t* Or = nullptr;  // the name itself, where the platform may not follow a shortcut
    };
    const Case cases[] = {
        {L"report.txt", L"report", {L"report.txt"}, false},
        {L"report.txt", L"report", {L"report.txt"}, true},
        {L"\"report.txt\" \"other.txt\" \"third.txt\"", L"\"report\" \"other\" \"third\"",
         {L"report.txt", L"other.txt", L"third.txt"}, false},
        {L"shortcut.lnk", L"shortcut", {L"sub\\target.txt"}, false, L"shortcut.lnk"},
        {L"caf\u00e9.txt", L"caf\u00e9", {L"caf\u00e9.txt"}, false},
        // More than one dot: only the last extension is hidden.
        {L"report.v2.txt", L"report.v2", {L"report.v2.txt"}, false},
        {L"report.v2.txt", L"report.v2", {L"report.v2.txt"}, true},
        {L"\"report.v2.txt\" \"other.txt\"", L"\"report.v2\" \"other\"", {L"report.v2.txt", L"other.txt"}, false},
        {L"caf\u00e9.v2.txt", L"caf\u00e9.v2", {L"caf\u00e9.v2.txt"}, false},
        {L"cafe.v2.txt", L"cafe.v2", {L"cafe.v2.txt"}, false},
        {L"x.y.lnk", L"x.y", {L"sub\\target.txt"}, false, L"x.y.lnk"},
    };
    for (bool unicode : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(WideToAnsi(c.Shown) + (c.OldLook ? ", old look" : "") + (unicode ? ", Unicode names" : ""));
            auto dialogOwned = MakeObject<TOpenDialog>(nullptr);
            TOpenDialog& dialog = *dialogOwned;
            TOpenOptions options = dialog.GetOptions().Include(ofAllowMultiSelect);
            dialog.SetOptions(c.OldLook ? options.Include(ofOldStyleDialog) : options);
            dialog.SetUnicodeNames(unicode);
            dialog.SetInitialDir(folder.Path(""));
            std::vector<WideString> expected;
            for (const wchar_t* name : c.Expected)
                expected.push_back(folder.Path(WideString(name)));
            const bool takeable = unicode || HasExactAnsiForm(expected.front());
            AnsiString seenAnsi = "(not asked)";
            WideString seenWide;
            dialog.OnCanClose = [&](TObject*, bool&) {
                seenAnsi = dialog.GetFileName();
                seenWide = dialog.GetFileNameW();
            };
            DisplayForm = c.Shown;
            WideString said;
            auto choose = [&](HWND window) {
                HookProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                    dialog.GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShowDisplayForm)));
                SetDlgItemTextW(window, edt1, c.Typed);
                FileDialogDriver::Press(window, IDOK);
            };
            auto readBox = [&](HWND window) { said = FileDialogDriver::TakeMessageBox(window); };
            FileDialogDriver driver;
            const bool result = driver.Run(dialog, {choose, readBox, FileDialogDriver::Cancel});
            EXPECT_EQ(takeable, result) << WideToAnsi(said);
            if (!takeable) {
                EXPECT_NE(WideString::npos, said.find(expected.front())) << WideToAnsi(said);
                continue;
            }
            EXPECT_EQ(L"", said);
            ASSERT_EQ(expected.size(), dialog.GetFilesW().size());
            if (c.Or != nullptr && lstrcmpiW(dialog.GetFileNameW().c_str(), expected.front().c_str()) != 0)
                expected.front() = folder.Path(WideString(c.Or));
            for (size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(0, lstrcmpiW(expected[i].c_str(), dialog.GetFilesW()[i].c_str())) << WideToAnsi(dialog.GetFilesW()[i]);
                const AnsiString ansi = HasExactAnsiForm(expected[i]) ? WideToAnsi(expected[i]) : AnsiString();
                EXPECT_EQ(Lower(ansi), Lower(dialog.GetFiles()[i]));
            }
            EXPECT_EQ(dialog.GetFileName(), seenAnsi);
            EXPECT_EQ(dialog.GetFileNameW(), seenWide);
        }
    }
}

// Newer Windows views keep no list view the selection can be read from. With café.txt picked by
// click beside cafe.txt, the shell view's list telling nothing (WindowsFileDialog) and another
// list view in the dialog showing cafe.txt selected (a caller's), the name box decides alone: the
// file picked, as Wine's and Windows' boxes show it; where the box tells nothing, a refusal. Never
// the other file.
TEST(FileDialogTest, WithoutTheShellViewsListThePickedFileOrARefusalNeverTheOther)
{
    TempFolder folder;
    for (const wchar_t* name : {L"cafe.txt", L"caf\u00e9.txt"})
        WriteBytes(folder.Path(WideString(name)), "x");
    const WideString picked = folder.Path(WideString(L"caf\u00e9.txt"));
    for (const wchar_t* shown : {L"caf\u00e9.txt", L"caf\u00e9", L""}) {
        SCOPED_TRACE(WideToAnsi(WideString(L"box: ") + shown));
        auto dialogOwned = MakeObject<TOpenDialog>(nullptr);
        TOpenDialog& dialog = *dialogOwned;
        dialog.SetUnicodeNames(true);
        dialog.SetInitialDir(folder.Path(""));
        DisplayForm = shown;
        bool hidden = false;
        WideString said;
        auto pick = [&](HWND window) {
            PickFile(window, L"caf\u00e9.txt");
            hidden = WindowsFileDialog::HideSelection(window) != nullptr;
            HWND other = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_LIST, 0, 0, 10, 10, window,
                                         nullptr, nullptr, nullptr);
            SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_STATE;
            item.pszText = const_cast<wchar_t*>(L"cafe.txt");
            item.stateMask = item.state = LVIS_SELECTED;
            SendMessageW(other, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            HookProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(dialog.GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ShowDisplayForm)));
        };
        auto confirm = [](HWND window) { FileDialogDriver::Press(window, IDOK); };
        auto readBox = [&](HWND window) { said = FileDialogDriver::TakeMessageBox(window); };
        FileDialogDriver driver;
        const bool result = driver.Run(dialog, {pick, confirm, readBox, FileDialogDriver::Cancel});
        EXPECT_TRUE(hidden) << "the shell view has a list to hide";
        if (result) {
            EXPECT_EQ(0, lstrcmpiW(picked.c_str(), dialog.GetFileNameW().c_str())) << WideToAnsi(dialog.GetFileNameW());
        } else {
            EXPECT_NE(L"", said) << "neither taken nor refused";
        }
        // The box that names the file decides; the wide code page's names are exact anyway.
        if (*shown != L'\0' || GetACP() == CP_UTF8) {
            EXPECT_TRUE(result) << WideToAnsi(said);
        }
    }
}
