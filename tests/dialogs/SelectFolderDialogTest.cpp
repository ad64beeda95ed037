// The folder browser component on Wine's real browser, closed from its own events.
#include "dialogs/CSelFDlg.h"

#include "framework/Application.h"
#include "support/WindowsFolderBrowser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace CustDlgs;

namespace {

const int StatusStaticId = 14147;

// The real browser, with what it was handed noted; `Instead` runs in its place when set.
class BrowserShell : public TShellApi {
public:
    UINT Flags = 0;
    bool TitleGiven = false;  // the title handed over is a string, never null
    std::string Title;        // a copy: the component's text is gone once the browser returns
    HWND Owner = nullptr;
    LPARAM Data = 0;
    std::function<void()> Instead;

    BrowserShell() : FPrevious(SetShellApi(this)) {}
    ~BrowserShell() override { SetShellApi(FPrevious); }

    LPITEMIDLIST BrowseForFolder(BROWSEINFOA* info) override
    {
        Flags = info->ulFlags;
        TitleGiven = info->lpszTitle != nullptr;
        Title = TitleGiven ? info->lpszTitle : "";
        Owner = info->hwndOwner;
        Data = info->lParam;
        if (Instead)
            Instead();
        return TShellApi::BrowseForFolder(info);
    }

private:
    TShellApi* FPrevious;
};

// The shell's allocator, except that a freed block is zeroed and kept until the end: a list read
// after the component let it go reads as the desktop's, every time.
class ZeroingMalloc : public IMalloc {
public:
    ZeroingMalloc() { SHGetMalloc(&FReal); }
    ~ZeroingMalloc()
    {
        for (void* block : FKept)
            FReal->Free(block);
        FReal->Release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return FReal->Alloc(size); }
    void* STDMETHODCALLTYPE Realloc(void* block, SIZE_T size) override { return FReal->Realloc(block, size); }
    void STDMETHODCALLTYPE Free(void* block) override
    {
        if (block == nullptr)
            return;
        std::memset(block, 0, FReal->GetSize(block));
        FKept.push_back(block);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void* block) override { return FReal->GetSize(block); }
    bool WasFreed(const void* block) const { return std::find(FKept.begin(), FKept.end(), block) != FKept.end(); }
    int STDMETHODCALLTYPE DidAlloc(void* block) override { return FReal->DidAlloc(block); }
    void STDMETHODCALLTYPE HeapMinimize() override { FReal->HeapMinimize(); }

private:
    IMalloc* FReal = nullptr;
    std::vector<void*> FKept;
};

class ZeroingShell : public BrowserShell {
public:
    HRESULT GetMalloc(IMalloc** malloc) override
    {
        *malloc = &Malloc;
        return S_OK;
    }
    // Whether the root the browser ran on was let go before the browser returned (zeroed, it
    // would pass for the desktop's).
    LPITEMIDLIST BrowseForFolder(BROWSEINFOA* info) override
    {
        LPITEMIDLIST chosen = BrowserShell::BrowseForFolder(info);
        RootGiven = info->pidlRoot != nullptr;
        RootFreedWhileOpen = Malloc.WasFreed(info->pidlRoot);
        return chosen;
    }
    ZeroingMalloc Malloc;
    bool RootGiven = false;
    bool RootFreedWhileOpen = false;
};

// Notes the browser messages that pass the component's hook, and the events in order.
class RecordingDialog : public TSelectFolderDialog {
public:
    std::vector<UINT> Sent;
    std::vector<std::string> Events;
    LPITEMIDLIST SelectionAtSend = nullptr;  // the list held when a selection was last sent

    RecordingDialog() : TSelectFolderDialog(nullptr)
    {
        OnShow = [this](TObject*) { Events.push_back("show"); };
        OnClose = [this](TObject*) { Events.push_back("close"); };
        OnFolderChange = [this](TObject*) { Events.push_back("change"); };
    }

protected:
    void WndProc(TMessage& message) override
    {
        // (The browser sends itself BFFM_ENABLEOK on selection changes; that is not ours.)
        if (message.Msg == BFFM_SETSTATUSTEXTA || message.Msg == BFFM_SETSELECTIONA)
            Sent.push_back(message.Msg);
        if (message.Msg == BFFM_SETSELECTIONA)
            SelectionAtSend = GetSelectList().Get();
        TSelectFolderDialog::WndProc(message);
    }
};

void Post(TSelectFolderDialog* dialog, int command)
{
    PostMessageA(dialog->GetHandle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
}

// Closes a browser that a broken test left open, so the suite fails instead of hanging.
HWND Watched = nullptr;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    if (Watched != nullptr && IsWindow(Watched)) {
        ADD_FAILURE() << "the browser was still open";
        EndDialog(Watched, 0);
    }
}

bool RunWatched(TSelectFolderDialog& dialog)
{
    UINT_PTR timer = SetTimer(nullptr, 0, 20000, Watchdog);
    auto show = dialog.OnShow;
    dialog.OnShow = [&dialog, show](TObject* sender) {
        Watched = dialog.GetHandle();
        if (show)
            show(sender);
    };
    bool result = dialog.Execute();
    KillTimer(nullptr, timer);
    Watched = nullptr;
    return result;
}

const char* const FolderNames[] = {"tapstorm-browse-u", "tapstorm-browse-a", "tapstorm-browse-b", "tapstorm-browse-c",
                                   "tapstorm-browse-d", "tapstorm-browse-e", "tapstorm-browse-f",
                                   "tapstorm-browse-f\\inner", "tapstorm-browse-g"};

std::string TempFolder(const char* name)
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    return std::string(base) + name;
}

// Folders named outside the code page beside one that is its best-fit form ("cafe").
const wchar_t* const WideFolderNames[] = {L"cafe", L"caf\u00e9", L"\ud55c\uad6d"};

WideString WideTempFolder(const wchar_t* name)
{
    return AnsiToWide(TempFolder("tapstorm-browse-u")) + L"\\" + name;
}

// Wine's browser does not find a folder made after an earlier browser in the process listed
// its parent: the folders the tests select exist before any browser opens.
class BrowseFolders : public testing::Environment {
public:
    void SetUp() override
    {
        for (const char* name : FolderNames)
            CreateDirectoryA(TempFolder(name).c_str(), nullptr);
        for (const wchar_t* name : WideFolderNames)
            CreateDirectoryW(WideTempFolder(name).c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const wchar_t* name : WideFolderNames)
            RemoveDirectoryW(WideTempFolder(name).c_str());
        for (auto name = std::rbegin(FolderNames); name != std::rend(FolderNames); ++name)
            RemoveDirectoryA(TempFolder(*name).c_str());
    }
};
testing::Environment* const Folders = testing::AddGlobalTestEnvironment(new BrowseFolders);

WideString CurrentFolderW()
{
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string DialogItemText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

TEST(SelectFolderDialogTest, NewComponentValuesAndTheFlagsTitleAndOwnerHandedToTheBrowser)
{
    BrowserShell shell;
    RecordingDialog dialog;
    EXPECT_EQ(OptionBit(bifReturnOnlyFSDirs), dialog.GetOptions());
    EXPECT_EQ(sfDesktop, dialog.GetRootSpecialFolder());
    EXPECT_EQ(sfNone, dialog.GetSelectSpecialFolder());
    EXPECT_EQ("", dialog.GetSelectFolder());
    EXPECT_EQ(0, dialog.GetImageIndex());
    EXPECT_EQ(Application->GetHandle(), dialog.GetOwnerWindow());

    struct Case {
        TSFolderOptions Options;
        UINT Flags;
    };
    const Case cases[] = {
        {OptionBit(bifReturnOnlyFSDirs), 0x0001},
        {static_cast<TSFolderOptions>(OptionBit(bifStatusText) | OptionBit(bifNewDialogStyle) | OptionBit(bifShareable)),
         0x8044},
    };
    dialog.OnShow = [&](TObject*) { Post(&dialog, IDCANCEL); };
    for (const Case& c : cases) {
        dialog.SetOptions(c.Options);
        EXPECT_FALSE(RunWatched(dialog));
        EXPECT_EQ(c.Flags, shell.Flags);
        EXPECT_TRUE(shell.TitleGiven);  // an empty title is an empty string
        EXPECT_EQ("", shell.Title);
        EXPECT_EQ(dialog.GetOwnerWindow(), shell.Owner);
    }
    EXPECT_EQ(nullptr, dialog.GetHandle());
}

TEST(SelectFolderDialogTest, SettingsMadeBeforeARunAreSentAtInitializationOnly)
{
    BrowserShell shell;
    const std::string folder = TempFolder("tapstorm-browse-a");
    for (bool withStatus : {true, false}) {
        RecordingDialog dialog;
        dialog.SetOptions(withStatus ? OptionBit(bifStatusText) : 0);
        dialog.SetEnableOK(false);
        dialog.SetStatusText("status line");
        dialog.SetSelectFolder(folder);
        std::string statusShown;
        dialog.OnShow = [&](TObject*) {
            dialog.Events.push_back("show");
            statusShown = DialogItemText(dialog.GetHandle(), StatusStaticId);
            Post(&dialog, IDOK);
        };
        EXPECT_TRUE(RunWatched(dialog));
        const std::vector<UINT> expected = withStatus ? std::vector<UINT>{BFFM_SETSELECTIONA, BFFM_SETSTATUSTEXTA}
                                                      : std::vector<UINT>{BFFM_SETSELECTIONA};
        EXPECT_EQ(expected, dialog.Sent) << withStatus;
        EXPECT_EQ(withStatus ? "status line" : "", statusShown);
        // The browser reports the selection sent before the handler learns of the show.
        EXPECT_EQ((std::vector<std::string>{"change", "show", "close"}), dialog.Events);
        EXPECT_EQ(folder, dialog.GetSelectFolder());
        // Wine names the folder by its whole path.
        EXPECT_TRUE(EndsWith(dialog.GetDisplayName(), "tapstorm-browse-a")) << dialog.GetDisplayName();
    }
}

// Moves one of the folder's time stamps an hour back, as using the folder moves them on.
void MoveTimeStamp(const std::string& folder, bool lastAccess)
{
    HANDLE file = CreateFileA(folder.c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << folder;
    FILETIME access{}, write{};
    ASSERT_TRUE(GetFileTime(file, nullptr, &access, &write));
    FILETIME& moved = lastAccess ? access : write;
    ULARGE_INTEGER time{};
    time.LowPart = moved.dwLowDateTime;
    time.HighPart = moved.dwHighDateTime;
    time.QuadPart -= 36000000000ULL;
    moved.dwLowDateTime = time.LowPart;
    moved.dwHighDateTime = time.HighPart;
    EXPECT_TRUE(SetFileTime(file, nullptr, &access, &write));
    CloseHandle(file);
}

// The shell's items carry a folder's time stamps. A selection made before the folder, or one on
// its way, was used again still opens the browser there: set before a run, and kept from a run.
TEST(SelectFolderDialogTest, ASelectionOutlivesTheTimeStampsOfItsFolders)
{
    BrowserShell shell;
    const std::string folder = TempFolder("tapstorm-browse-g");
    const std::string parent = folder.substr(0, folder.rfind('\\'));
    for (const std::string& used : {folder, parent}) {
        for (bool lastAccess : {false, true}) {
            RecordingDialog dialog;
            dialog.SetSelectFolder(folder);
            dialog.OnShow = [&](TObject*) {
                dialog.Events.push_back("show");
                Post(&dialog, IDOK);
            };
            for (int run = 0; run < 2; ++run) {
                MoveTimeStamp(used, lastAccess);
                dialog.Events.clear();
                EXPECT_TRUE(RunWatched(dialog));
                EXPECT_EQ((std::vector<std::string>{"change", "show", "close"}), dialog.Events)
                    << used << " access " << lastAccess << " run " << run;
                EXPECT_EQ(folder, dialog.GetSelectFolder()) << used << " access " << lastAccess << " run " << run;
            }
        }
    }
}

// A folder selected in the open browser by its list, as a click does, is what the run returns,
// also when the list was made before a folder above it changed (its time stamps went stale).
TEST(SelectFolderDialogTest, ThePlainNewLookBrowserKeepsASelectedFolder)
{
    BrowserShell shell;
    for (const wchar_t* name : WideFolderNames) {
        const WideString path = WideTempFolder(name);
        SCOPED_TRACE(WideToAnsi(path));
        LPITEMIDLIST selected = ILCreateFromPathW(path.c_str());
        // The folder above changes and is used once more, so its last access stays put.
        MoveTimeStamp(TempFolder("tapstorm-browse-u"), false);
        CoTaskMemFree(ILCreateFromPathW(path.c_str()));
        RecordingDialog dialog;
        dialog.SetOptions(static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) | OptionBit(bifNewDialogStyle)));
        dialog.OnShow = [&](TObject*) {
            SendMessageA(dialog.GetHandle(), BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(selected));
            Post(&dialog, IDOK);
        };
        EXPECT_TRUE(RunWatched(dialog));
        CoTaskMemFree(selected);
        EXPECT_EQ(path, dialog.GetSelectList().GetWideString());
    }
}

TEST(SelectFolderDialogTest, HandlersSteerTheOpenBrowser)
{
    BrowserShell shell;
    const std::string first = TempFolder("tapstorm-browse-b");
    const std::string second = TempFolder("tapstorm-browse-c");
    RecordingDialog dialog;
    dialog.SetOptions(OptionBit(bifStatusText));
    dialog.SetSelectFolder(first);
    bool moved = false;
    bool keptSetList = false;
    int refusals = 0;
    bool okEnabledAfterDisable = true;
    std::string statusAfterSet;
    std::vector<std::string> validated;
    std::vector<int> validateResults;
    dialog.OnFolderChange = [&](TObject*) {
        dialog.Events.push_back("change");
        if (!moved) {
            moved = true;
            dialog.SetSelectFolder(second);  // fires the event again, but keeps this selection
            keptSetList = dialog.GetSelectList().Get() == dialog.SelectionAtSend;
        }
    };
    dialog.OnValidateFailed = [&](TObject* sender, const char* failedFolder, bool& canClose) {
        EXPECT_EQ(&dialog, sender);
        validated.push_back(failedFolder);
        canClose = validated.size() == 2;
    };
    dialog.OnShow = [&](TObject*) {
        HWND window = dialog.GetHandle();
        dialog.SetEnableOK(false);
        okEnabledAfterDisable = IsWindowEnabled(GetDlgItem(window, IDOK)) != FALSE;
        dialog.SetEnableOK(true);
        dialog.SetStatusText("now");
        statusAfterSet = DialogItemText(window, StatusStaticId);
        // Wine's browser never validates: the callback is driven as the browser would.
        for (const char* typed : {"typed one", "typed two"})
            validateResults.push_back(
                TSelectFolderDialog::BrowseCallBack(window, BFFM_VALIDATEFAILEDA, reinterpret_cast<LPARAM>(typed),
                                                    shell.Data));
        // Clearing the selection while open sends nothing.
        dialog.Sent.clear();
        dialog.SetSelectSpecialFolder(sfNone);
        EXPECT_TRUE(dialog.Sent.empty());
        EXPECT_EQ(nullptr, dialog.GetSelectList().Get());
        Post(&dialog, IDOK);
    };
    dialog.OnCanClose = [&](TObject* sender, bool& canClose) {
        EXPECT_EQ(&dialog, sender);
        EXPECT_TRUE(canClose);
        if (refusals++ == 0) {
            canClose = false;  // stays open: OK again
            Post(&dialog, IDOK);
        }
    };
    EXPECT_TRUE(RunWatched(dialog));
    EXPECT_TRUE(moved);
    EXPECT_TRUE(keptSetList);
    EXPECT_EQ(2, refusals);
    EXPECT_FALSE(okEnabledAfterDisable);
    EXPECT_EQ("now", statusAfterSet);
    EXPECT_EQ((std::vector<std::string>{"typed one", "typed two"}), validated);
    EXPECT_EQ((std::vector<int>{1, 0}), validateResults);
    EXPECT_GE(std::count(dialog.Events.begin(), dialog.Events.end(), "change"), 2);
    EXPECT_EQ(second, dialog.GetSelectFolder());
}

TEST(SelectFolderDialogTest, CancelKeepsTheLastSuccessfulResultAndTheLastSelection)
{
    BrowserShell shell;
    const std::string chosen = TempFolder("tapstorm-browse-d");
    const std::string later = TempFolder("tapstorm-browse-e");
    RecordingDialog dialog;
    dialog.SetSelectFolder(chosen);
    dialog.OnShow = [&](TObject*) { Post(&dialog, IDOK); };
    ASSERT_TRUE(RunWatched(dialog));
    const AnsiString name = dialog.GetDisplayName();
    const int image = dialog.GetImageIndex();
    EXPECT_TRUE(EndsWith(name, "tapstorm-browse-d")) << name;

    dialog.SetSelectFolder(later);
    dialog.OnShow = [&](TObject*) { Post(&dialog, IDCANCEL); };
    EXPECT_FALSE(RunWatched(dialog));
    EXPECT_EQ(name, dialog.GetDisplayName());
    EXPECT_EQ(image, dialog.GetImageIndex());
    EXPECT_EQ(later, dialog.GetSelectFolder());  // what was selected while it was open
}

// A folder whose name the code page lacks has no path for the ANSI interface, like a virtual
// folder: nothing names another folder, the list stays exact, and the next run opens on it again.
// The wide accessors name it exactly, in the handlers too.
TEST(SelectFolderDialogTest, AFolderOutsideTheCodePageHasNoPathAndKeepsItsList)
{
    BrowserShell shell;
    for (const wchar_t* name : {L"caf\u00e9", L"\ud55c\uad6d"}) {
        const WideString path = WideTempFolder(name);
        SCOPED_TRACE(WideToAnsi(path));
        RecordingDialog dialog;
        dialog.GetSelectList().Set(ILCreateFromPathW(path.c_str()));
        std::vector<AnsiString> reported;
        std::vector<WideString> reportedW;
        dialog.OnFolderChange = [&](TObject*) {
            reported.push_back(dialog.GetSelectFolder());
            reportedW.push_back(dialog.GetSelectFolderW() + L"|" + dialog.GetDisplayNameW());
        };
        dialog.OnShow = [&](TObject*) { Post(&dialog, IDOK); };
        for (int run = 0; run < 2; ++run) {
            ASSERT_TRUE(RunWatched(dialog));
            EXPECT_EQ(path, dialog.GetSelectList().GetWideString()) << run;
            EXPECT_EQ(path, dialog.GetSelectFolderW());
            EXPECT_EQ(WideString(name), dialog.GetDisplayNameW());
            EXPECT_EQ("", dialog.GetSelectFolder());
            EXPECT_EQ("", dialog.GetDisplayName());
        }
        EXPECT_EQ(std::vector<AnsiString>(reported.size()), reported);
        ASSERT_FALSE(reportedW.empty());
        EXPECT_EQ(std::vector<WideString>(reportedW.size(), path + L"|" + name), reportedW);
    }
    // A display name the code page lacks for a folder whose path it has: no ANSI name either.
    struct ForeignNameShell : BrowserShell {
        BOOL GetDisplayNameW(LPCITEMIDLIST, wchar_t* name) override
        {
            lstrcpynW(name, L"caf\u00e9", MAX_PATH);
            return TRUE;
        }
    } foreignNames;
    RecordingDialog dialog;
    dialog.SetSelectFolder(TempFolder("tapstorm-browse-g"));
    dialog.OnShow = [&](TObject*) { Post(&dialog, IDOK); };
    ASSERT_TRUE(RunWatched(dialog));
    EXPECT_EQ(L"caf\u00e9", dialog.GetDisplayNameW());
    EXPECT_EQ("", dialog.GetDisplayName());
}

// Root and title changed while the browser is open take effect at the next run: this run keeps
// the root it started with, though the component lets its old list go.
TEST(SelectFolderDialogTest, ARootChangedWhileOpenLeavesTheRunOnItsStartingRoot)
{
    ZeroingShell shell;
    const std::string root = TempFolder("tapstorm-browse-f");
    const std::string inner = TempFolder("tapstorm-browse-f\\inner");
    RecordingDialog dialog;
    dialog.SetRootFolder(root);
    dialog.SetSelectFolder(inner);
    dialog.OnShow = [&](TObject*) {
        dialog.SetRootSpecialFolder(sfWindows);
        dialog.SetTitle("changed");
        // The browser finds the folder again from the root it runs on.
        dialog.SetSelectFolder(inner);
        Post(&dialog, IDOK);
    };
    ASSERT_TRUE(RunWatched(dialog));
    EXPECT_TRUE(shell.RootGiven);
    EXPECT_FALSE(shell.RootFreedWhileOpen) << "the browser ran on a list the component let go";
    EXPECT_EQ(inner, dialog.GetSelectFolder());
    EXPECT_EQ(sfWindows, dialog.GetRootSpecialFolder());
    EXPECT_EQ("changed", dialog.GetTitle());
}

TEST(SelectFolderDialogTest, HandlerErrorsGoToTheApplicationAndTheBrowserGoesOn)
{
    BrowserShell shell;
    std::vector<std::pair<TObject*, AnsiString>> reported;
    Application->OnException = [&](TObject* sender, const AnsiString& text) { reported.push_back({sender, text}); };
    RecordingDialog dialog;
    int canCloseCalls = 0;
    dialog.OnFolderChange = [&](TObject*) { throw Exception("change failed"); };
    dialog.OnCanClose = [&](TObject*, bool&) {
        if (canCloseCalls++ == 0) {
            Post(&dialog, IDOK);
            throw Exception("refused by error");  // the OK is dropped; the second one closes
        }
    };
    dialog.OnShow = [&](TObject*) {
        dialog.SetSelectSpecialFolder(sfWindows);
        Post(&dialog, IDOK);
    };
    EXPECT_TRUE(RunWatched(dialog));
    Application->OnException = nullptr;
    EXPECT_EQ(2, canCloseCalls);
    ASSERT_GE(reported.size(), 2u);
    EXPECT_EQ(&dialog, reported.front().first);
    EXPECT_EQ("change failed", reported.front().second);
    EXPECT_EQ("refused by error", reported.back().second);
    EXPECT_EQ(sfWindows, dialog.GetSelectSpecialFolder());
}

TEST(SelectFolderDialogTest, AnErrorOutOfTheBrowserStillRestoresWhatTheRunChanged)
{
    BrowserShell shell;
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    // Started in a folder the code page lacks: its ANSI form would name another one ("cafe").
    const WideString outside = CurrentFolderW(), before = WideTempFolder(L"caf\u00e9");
    ASSERT_TRUE(SetCurrentDirectoryW(before.c_str()));
    bool disabledDuring = false;
    shell.Instead = [&] {
        disabledDuring = !IsWindowEnabled(other);
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        SetCurrentDirectoryA(windows);
        SetActiveWindow(nullptr);
        throw Exception("browser failed");
    };
    // Whether this thread had COM before the run (a probe that puts it back at once).
    const HRESULT probe = CoInitialize(nullptr);
    if (SUCCEEDED(probe))
        CoUninitialize();
    RecordingDialog dialog;
    dialog.SetSelectSpecialFolder(sfWindows);
    EXPECT_THROW(dialog.Execute(), Exception);
    EXPECT_EQ(before, CurrentFolderW());
    SetCurrentDirectoryW(outside.c_str());
    EXPECT_TRUE(disabledDuring);
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_EQ(other, GetActiveWindow());
    EXPECT_EQ(sfWindows, dialog.GetSelectSpecialFolder());
    EXPECT_EQ("", dialog.GetDisplayName());
    // COM is left as the run found it.
    const HRESULT com = CoInitialize(nullptr);
    EXPECT_EQ(probe, com);
    if (SUCCEEDED(com))
        CoUninitialize();
    DestroyWindow(other);
}

// A name typed into the edit box at OK, on Wine as it is (which ignores the box) and with the box
// taken as Windows takes it: the close handler judges the folder the run returns.
class TypedFolderTest : public testing::TestWithParam<bool> {};

TEST_P(TypedFolderTest, TheCloseHandlerJudgesTheTypedFolderThatIsReturned)
{
    WindowsFolderBrowser shell;
    shell.TypedNames = GetParam();
    const std::string parent = TempFolder("tapstorm-browse-f");
    const std::string inner = TempFolder("tapstorm-browse-f\\inner");
    struct Case {
        std::string Typed;
        bool Validate;
        bool RefuseInner;
        bool Returned;
        std::vector<std::string> Judged;  // what the close handler was asked about
        const char* Failed;               // what failed validation, if anything
    };
    const Case cases[] = {
        {"inner", false, false, true, {inner}, nullptr},
        {"inner", true, false, true, {inner}, nullptr},
        {inner, false, false, true, {inner}, nullptr},
        {"inner", false, true, false, {inner}, nullptr},  // refused: the run is cancelled after
        {"missing", true, false, false, {}, "missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed + (c.Validate ? " validated" : "") + (c.RefuseInner ? " refused" : ""));
        RecordingDialog dialog;
        dialog.SetOptions(static_cast<TSFolderOptions>(OptionBit(bifReturnOnlyFSDirs) | OptionBit(bifEditBox) |
                                                       OptionBit(bifNewDialogStyle) |
                                                       (c.Validate ? OptionBit(bifValidate) : 0)));
        dialog.SetSelectFolder(parent);
        std::vector<std::string> judged, failed;
        std::vector<WideString> failedW;
        dialog.OnShow = [&](TObject*) {
            SetWindowTextA(FindWindowExA(dialog.GetHandle(), nullptr, "Edit", nullptr), c.Typed.c_str());
            Post(&dialog, IDOK);
        };
        dialog.OnCanClose = [&](TObject*, bool& canClose) {
            judged.push_back(dialog.GetSelectFolder());
            EXPECT_EQ(AnsiToWide(judged.back()), dialog.GetSelectFolderW());
            canClose = !(c.RefuseInner && judged.back() == inner);
            if (!canClose)
                Post(&dialog, IDCANCEL);
        };
        dialog.OnValidateFailed = [&](TObject*, const char* name, bool& canClose) {
            failed.push_back(name);
            failedW.push_back(dialog.GetFailedFolderW());
            canClose = false;
            Post(&dialog, IDCANCEL);
        };
        EXPECT_EQ(c.Returned, RunWatched(dialog));
        if (c.Returned) {
            EXPECT_EQ(inner, dialog.GetSelectFolder());
            EXPECT_EQ(AnsiToWide(inner), dialog.GetSelectFolderW());
        }
        EXPECT_EQ(c.Judged, judged);
        using Names = std::vector<std::string>;
        using WideNames = std::vector<WideString>;
        EXPECT_EQ(c.Failed ? Names{c.Failed} : Names{}, failed);
        EXPECT_EQ(c.Failed ? WideNames{AnsiToWide(c.Failed)} : WideNames{}, failedW);
    }
}

INSTANTIATE_TEST_SUITE_P(EditBoxAsWineAndWindowsTakeIt, TypedFolderTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Taken" : "Ignored"; });

}  // namespace
