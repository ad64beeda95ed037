#include "dialogs/CSelFDlg.h"

#include "framework/Application.h"
#include "framework/ChildWindows.h"
#include "framework/Controls.h"
#include "framework/DesignRegistry.h"
#include "framework/Dialogs.h"
#include "framework/WndThunk.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

namespace CustDlgs {

// ---------------------------------------------------------------------------------------------
// The shell behind the module

HRESULT TShellApi::GetMalloc(IMalloc** malloc)
{
    return SHGetMalloc(malloc);
}

HRESULT TShellApi::GetDesktopFolder(IShellFolder** folder)
{
    return SHGetDesktopFolder(folder);
}

HRESULT TShellApi::GetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list)
{
    return SHGetSpecialFolderLocation(owner, folder, list);
}

BOOL TShellApi::GetPathFromIDList(LPCITEMIDLIST list, char* path)
{
    return SHGetPathFromIDListA(list, path);
}

BOOL TShellApi::GetPathFromIDListW(LPCITEMIDLIST list, wchar_t* path)
{
    return SHGetPathFromIDListW(list, path);
}

BOOL TShellApi::GetDisplayNameW(LPCITEMIDLIST list, wchar_t* name)
{
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME) == 0)
        return FALSE;
    lstrcpynW(name, info.szDisplayName, MAX_PATH);
    return TRUE;
}

LPITEMIDLIST TShellApi::BrowseForFolder(BROWSEINFOA* info)
{
    return SHBrowseForFolderA(info);
}

DWORD TShellApi::ShellVersion()
{
    return GetShellVersion();
}

DWORD GetShellVersion()
{
    HMODULE library = LoadLibraryA("SHELL32.DLL");
    if (library == nullptr)
        return 0;
    DWORD version = 0;
    using TDllGetVersion = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    auto getVersion =
        reinterpret_cast<TDllGetVersion>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetVersion")));
    if (getVersion != nullptr) {
        static_assert(sizeof(DLLVERSIONINFO) == 20, "the record the shell expects");
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof(info);
        if (SUCCEEDED(getVersion(&info)))
            version = (static_cast<DWORD>(LOWORD(info.dwMajorVersion)) << 16) | LOWORD(info.dwMinorVersion);
    }
    FreeLibrary(library);
    return version;
}

namespace {
TShellApi RealShell;
TShellApi* CurrentShell = &RealShell;

HWND ApplicationWindow()
{
    return Application != nullptr ? Application->GetHandle() : nullptr;
}
}  // namespace

TShellApi& ShellApi()
{
    return *CurrentShell;
}

TShellApi* SetShellApi(TShellApi* api)
{
    TShellApi* previous = CurrentShell;
    CurrentShell = api != nullptr ? api : &RealShell;
    return previous;
}

HRESULT ShellGetMalloc(IMalloc** malloc)
{
    return ShellApi().GetMalloc(malloc);
}

HRESULT ShellGetDesktopFolder(IShellFolder** folder)
{
    return ShellApi().GetDesktopFolder(folder);
}

// ---------------------------------------------------------------------------------------------
// TSHFolderInfo

LPITEMIDLIST TSHFolderInfo::FindItemIDList(const char* path)
{
    wchar_t wide[MAX_PATH];
    // A path too long for the buffer is one the shell cannot parse; it never sees a cut one. UTF-8
    // as the ANSI code page takes no flags.
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : MB_PRECOMPOSED;
    if (MultiByteToWideChar(CP_ACP, flags, path, -1, wide, MAX_PATH) == 0)
        return nullptr;
    return FindItemIDList(wide);
}

LPITEMIDLIST TSHFolderInfo::FindItemIDList(const wchar_t* wide)
{
    LPITEMIDLIST list = nullptr;
    ULONG eaten = 0;
    ULONG attributes = 0;
    if (FDesktopFolder->ParseDisplayName(ApplicationWindow(), nullptr, const_cast<wchar_t*>(wide), &eaten, &list,
                                         &attributes) == S_OK)
        return list;
    FreeItemIDList(list);
    return nullptr;
}

LPITEMIDLIST TSHFolderInfo::GetItemIDList(const char* path)
{
    if (LPITEMIDLIST list = FindItemIDList(path))
        return list;
    throw ESelFDlgException(LibraryText("項目識別子の取得に失敗\n") + path + LibraryText("  のフォルダは存在しません。"));
}

unsigned short TSHFolderInfo::ItemIDListSize(LPCITEMIDLIST list)
{
    // The count is kept in 16 bits; a walk that would pass 65,535 bytes (terminator included)
    // stops there: such a list has no size in these terms.
    const unsigned LongestList = 0xFFFF;
    const auto* bytes = reinterpret_cast<const unsigned char*>(list);
    unsigned length = 0;
    for (;;) {
        unsigned short count = 0;
        std::memcpy(&count, bytes + length, sizeof(count));
        if (count == 0)
            break;
        length += count;
        if (length + 2 > LongestList)
            return 0;
    }
    return static_cast<unsigned short>(length + 2);
}

LPITEMIDLIST TSHFolderInfo::CopyItemIDList(LPCITEMIDLIST list)
{
    if (list == nullptr)
        return nullptr;
    // A list too long to measure is copied as the allocator's failure would leave it: not at all.
    const unsigned short size = ItemIDListSize(list);
    if (size == 0)
        return nullptr;
    void* copy = FMalloc->Alloc(size);
    if (copy != nullptr)
        std::memcpy(copy, list, size);
    return static_cast<LPITEMIDLIST>(copy);
}

void TSHFolderInfo::FreeItemIDList(LPITEMIDLIST list)
{
    if (list != nullptr)
        FMalloc->Free(list);
}

bool TSHFolderInfo::CompareItemIDList(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    return FDesktopFolder->CompareIDs(0, first, second) == S_OK;
}

// ---------------------------------------------------------------------------------------------
// TSelectFolderDialog::spItemIDList

TSelectFolderDialog::spItemIDList::spItemIDList() : FFolderInfo(new TSHFolderInfo) {}

TSelectFolderDialog::spItemIDList::~spItemIDList()
{
    Free();
    delete FFolderInfo;
}

void TSelectFolderDialog::spItemIDList::Free()
{
    LPITEMIDLIST list = FList;
    FList = nullptr;
    FFolderInfo->FreeItemIDList(list);
}

void TSelectFolderDialog::spItemIDList::Set(LPITEMIDLIST list)
{
    if (list == FList)
        return;
    Free();
    FList = list;
}

void TSelectFolderDialog::spItemIDList::Copy(LPCITEMIDLIST list)
{
    // The source may be the list held now: copy before letting it go.
    LPITEMIDLIST copy = FFolderInfo->CopyItemIDList(list);
    Free();
    FList = copy;
}

namespace {
// The items of `list`; SIZE_MAX for a list longer than the size walk measures (it is walked no
// further than that).
std::size_t ItemCount(LPCITEMIDLIST list)
{
    if (TSHFolderInfo::ItemIDListSize(list) == 0)
        return SIZE_MAX;
    std::size_t count = 0;
    for (const auto* bytes = reinterpret_cast<const unsigned char*>(list);; ++count) {
        unsigned short size = 0;
        std::memcpy(&size, bytes, sizeof(size));
        if (size == 0)
            return count;
        bytes += size;
    }
}
}  // namespace

void TSelectFolderDialog::spItemIDList::Refresh()
{
    // The exact path: a folder whose name the code page lacks is looked up as itself.
    const WideString path = GetWideString();
    if (path.empty())
        return;
    // Looking a path up reads the folders on the way (not the last), which may move their
    // last-access stamps once; the second lookup sees them as they stay.
    LPITEMIDLIST current = FFolderInfo->FindItemIDList(path.c_str());
    if (current != nullptr) {
        FFolderInfo->FreeItemIDList(current);
        current = FFolderInfo->FindItemIDList(path.c_str());
    }
    // A place reached another way (a special folder at the top of the tree, say) keeps its own
    // list: only the same path of items, taken afresh, replaces it.
    if (current == nullptr || ItemCount(FList) == SIZE_MAX || ItemCount(current) != ItemCount(FList)) {
        FFolderInfo->FreeItemIDList(current);
        return;
    }
    Set(current);
}

void TSelectFolderDialog::spItemIDList::SetCharToIDList(const char* path)
{
    Free();
    FList = FFolderInfo->GetItemIDList(path);
}

void TSelectFolderDialog::spItemIDList::SetSpecialFolderToIDList(TSpecialFolder folder)
{
    Free();
    if (folder >= sfNone)
        return;
    if (ShellApi().GetSpecialFolderLocation(ApplicationWindow(), SpecialFolderIds[folder], &FList) != S_OK)
        FList = nullptr;
}

AnsiString TSelectFolderDialog::spItemIDList::GetString() const
{
    char path[MAX_PATH] = {};
    if (FList == nullptr || ShellApi().GetPathFromIDList(FList, path) != TRUE)
        return AnsiString();
    path[MAX_PATH - 1] = '\0';
    // The code page's form of a name it lacks is another name ("café" as "cafe").
    if (HasInexactPath())
        return AnsiString();
    return AnsiString(path);
}

WideString TSelectFolderDialog::spItemIDList::GetWideString() const
{
    wchar_t path[MAX_PATH] = {};
    if (FList == nullptr || ShellApi().GetPathFromIDListW(FList, path) != TRUE)
        return WideString();
    path[MAX_PATH - 1] = L'\0';
    return WideString(path);
}

WideString TSelectFolderDialog::spItemIDList::GetDisplayNameW() const
{
    wchar_t name[MAX_PATH] = {};
    if (FList == nullptr || ShellApi().GetDisplayNameW(FList, name) != TRUE)
        return WideString();
    name[MAX_PATH - 1] = L'\0';
    return WideString(name);
}

bool TSelectFolderDialog::spItemIDList::HasInexactPath() const
{
    const WideString path = GetWideString();
    return !path.empty() && !HasExactAnsiForm(path);
}

TSpecialFolder TSelectFolderDialog::spItemIDList::GetSpecialFolder() const
{
    if (FList == nullptr)
        return sfNone;
    for (int i = 0; i < sfNone; ++i) {
        LPITEMIDLIST list = nullptr;
        if (ShellApi().GetSpecialFolderLocation(ApplicationWindow(), SpecialFolderIds[i], &list) != S_OK ||
            list == nullptr)
            continue;
        const bool same = FFolderInfo->CompareItemIDList(FList, list);
        FFolderInfo->FreeItemIDList(list);
        if (same)
            return static_cast<TSpecialFolder>(i);
    }
    return sfNone;
}

// ---------------------------------------------------------------------------------------------
// TSelectFolderDialog

TSelectFolderDialog::TSelectFolderDialog(TComponent* owner) : TPlatformDialog(owner)
{
    // Taken once: every later run uses this owner window.
    if (auto* control = dynamic_cast<TWinControl*>(owner))
        FOwnerWindow = control->GetHandle();
    else
        FOwnerWindow = ApplicationWindow();
    FRoot.SetSpecialFolderToIDList(sfDesktop);
    FSubclass = MakeObjectInstance([this](TMessage& message) { MainWndProc(message); });
}

TSelectFolderDialog::~TSelectFolderDialog()
{
    FreeObjectInstance(FSubclass);
}

bool TSelectFolderDialog::ShowDialog(TDialogRun&)
{
    return DoExecute();
}

void TSelectFolderDialog::UnbindWindow()
{
    UnhookObjectInstance(FHandle, FSubclass, FPrevWndProc);
}

namespace {
// Puts back what a run of the browser changed around it, also when the run ends by an exception:
// the current directory and COM on this thread (Execute disables the program's other windows). The
// directory is kept in Unicode: the code page's form of a folder it lacks names another folder.
class TBrowseRestorer {
public:
    TBrowseRestorer()
    {
        const DWORD size = GetCurrentDirectoryW(0, nullptr);
        if (size != 0) {
            FDirectory.resize(size);
            const DWORD length = GetCurrentDirectoryW(size, &FDirectory[0]);
            // A directory that changed under us and no longer fits is not "restored" from garbage.
            FDirectory.resize(length != 0 && length < size ? length : 0);
        }
        FComResult = CoInitialize(nullptr);
    }
    ~TBrowseRestorer()
    {
        if (SUCCEEDED(FComResult))
            CoUninitialize();
        if (!FDirectory.empty())
            SetCurrentDirectoryW(FDirectory.c_str());
    }
    TBrowseRestorer(const TBrowseRestorer&) = delete;
    TBrowseRestorer& operator=(const TBrowseRestorer&) = delete;

private:
    WideString FDirectory;
    HRESULT FComResult = E_FAIL;
};
}  // namespace

bool TSelectFolderDialog::DoExecute()
{
    // The browser works on copies of its own for the whole run: a handler may replace the root
    // or the title (freeing what the component held) while it is open; that takes effect at the
    // next run.
    spItemIDList root;
    root.Copy(FRoot.Get());
    if (root.Get() == nullptr && FRoot.Get() != nullptr)
        return false;  // no memory for the copy: a browser on the whole namespace would be wrong
    // The browser finds the selection in its tree by comparing every byte of the items, time
    // stamps included, and the stamps move whenever a folder is used: a list made earlier (set
    // by the caller, or kept from the last run) may name nothing there, and the browser would
    // stay on its root. Both lists are taken afresh just before it opens: the selection first,
    // since looking it up reads the folders down to it, then the root below them.
    FSelection.Refresh();
    root.Refresh();
    const AnsiString title = FTitle;
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = FOwnerWindow;
    info.pidlRoot = root.Get();
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BrowseFlags(FOptions);
    info.lpfn = BrowseCallBack;
    // The run Execute recorded: the browser's callback finds the component through it.
    if (FRun == nullptr)
        return false;
    TDialogRun& run = *FRun;
    info.lParam = reinterpret_cast<LPARAM>(&run);

    LPITEMIDLIST chosen = nullptr;
    {
        TBrowseRestorer restorer;
        chosen = ShellApi().BrowseForFolder(&info);
    }
    if (run.Component == nullptr) {
        // Freed while the browser was open: the result is discarded, the component not touched.
        CoTaskMemFree(chosen);
        return false;
    }
    if (chosen == nullptr)
        return false;
    FSelection.Set(chosen);
    displayName[MAX_PATH - 1] = '\0';
    FDisplayNameW = FSelection.GetDisplayNameW();
    // Neither a name the code page lacks nor one in a folder it lacks has an ANSI form: the
    // browser's would be a look-alike, naming another folder.
    const bool exact = !FSelection.HasInexactPath() && HasExactAnsiForm(FDisplayNameW);
    FDisplayName = exact ? AnsiString(displayName) : AnsiString();
    FImageIndex = info.iImage;
    return true;
}

namespace {
// The browser's edit box (with bifEditBox), a direct child in both looks.
HWND EditBox(HWND browser)
{
    return FindWindowExW(browser, nullptr, L"Edit", nullptr);
}

// The typed name the browser reports, or empty when the name the user typed has no exact form in
// the code page: the browser's form of it would name another folder.
const char* ReportedFolderName(HWND window, const char* reported)
{
    const WideString typed = WindowTextW(EditBox(window));
    return typed.empty() || HasExactAnsiForm(typed) ? reported : "";
}

// The existing folder a typed name names, as a full path: the name is a full path or one relative
// to the folder `selected`. Empty when it names none.
WideString TypedFolder(const WideString& typed, const WideString& selected)
{
    const bool drive = typed.size() >= 2 && typed[1] == L':';
    const bool network = typed.size() >= 2 && typed[0] == L'\\' && typed[1] == L'\\';
    WideString path;
    if (drive || network) {
        path = typed;
    } else if (selected.size() >= 2 && selected[1] == L':') {
        if (typed[0] == L'\\')
            path = selected.substr(0, 2) + typed;  // from the root of the selection's drive
        else
            path = selected + (selected.back() == L'\\' ? L"" : L"\\") + typed;
    } else {
        return WideString();  // a place without a path: nothing is relative to it
    }
    wchar_t full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return WideString();
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return WideString();
    WideString folder(full);
    if (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}
}  // namespace

int CALLBACK TSelectFolderDialog::BrowseCallBack(HWND window, UINT message, LPARAM lParam, LPARAM data)
{
    auto* dialog = static_cast<TSelectFolderDialog*>(reinterpret_cast<TDialogRun*>(data)->Component);
    // The component went while its browser was still open.
    if (dialog == nullptr)
        return 0;
    int result = 0;
    // Nothing may cross the shell's code; a rejected name whose handler failed keeps the browser
    // open.
    const bool done = GuardedCall(dialog, [&] {
        switch (message) {
        case BFFM_INITIALIZED:
            dialog->FHandle = window;
            dialog->FPrevWndProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialog->FSubclass)));
            dialog->ChangeSelectFolder();
            dialog->ChangeStatusText();
            dialog->DoShow();
            break;
        case BFFM_SELCHANGED:
            if (dialog->FHandle == nullptr)
                break;
            if (!dialog->FSelectionBeingSet)
                dialog->FSelection.Copy(reinterpret_cast<LPCITEMIDLIST>(lParam));
            dialog->DoFolderChange();
            break;
        case BFFM_VALIDATEFAILEDA:
            // A name judged at this OK already was let through by its handler.
            if (dialog->FTypedNameJudged)
                break;
            result = dialog->ValidateTypedName(reinterpret_cast<const char*>(lParam)) ? 0 : 1;
            break;
        default:
            break;
        }
    });
    return done ? result : (message == BFFM_VALIDATEFAILEDA ? 1 : 0);
}

WideString TSelectFolderDialog::GetDisplayNameW() const
{
    return FHandle != nullptr ? FSelection.GetDisplayNameW() : FDisplayNameW;
}

void TSelectFolderDialog::SetStatusText(const AnsiString& value)
{
    FStatusText = value;
    ChangeStatusText();
}

void TSelectFolderDialog::SetSelectFolder(const AnsiString& path)
{
    FSelection.SetCharToIDList(path.c_str());
    ChangeSelectFolder();
}

void TSelectFolderDialog::SetSelectSpecialFolder(TSpecialFolder value)
{
    FSelection.SetSpecialFolderToIDList(value);
    ChangeSelectFolder();
}

void TSelectFolderDialog::SetEnableOK(bool value)
{
    if (FHandle != nullptr)
        SendMessageA(FHandle, BFFM_ENABLEOK, 0, value ? 1 : 0);
}

void TSelectFolderDialog::ChangeSelectFolder()
{
    if (FHandle == nullptr || FSelection.Get() == nullptr)
        return;
    // The browser gets a list of its own: a handler of the change it reports may replace the
    // selection (and free its list) while the browser is still working with the one sent.
    spItemIDList sent;
    sent.Copy(FSelection.Get());
    if (sent.Get() == nullptr)
        return;
    // The change the browser reports meanwhile is the one being set: it is not copied back.
    FSelectionBeingSet = true;
    SendMessageA(FHandle, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(sent.Get()));
    FSelectionBeingSet = false;
}

void TSelectFolderDialog::ChangeStatusText()
{
    if (FHandle == nullptr || !FOptions.Contains(bifStatusText))
        return;
    SendMessageA(FHandle, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(FStatusText.c_str()));
}

bool TSelectFolderDialog::DoCanClose()
{
    bool canClose = true;
    if (OnCanClose)
        OnCanClose(this, canClose);
    return canClose;
}

void TSelectFolderDialog::DoFolderChange()
{
    if (OnFolderChange)
        OnFolderChange(this);
}

bool TSelectFolderDialog::ValidateTypedName(const char* reported)
{
    struct Typed {
        WideString& Name;
        ~Typed() { Name.clear(); }
    } typed{FFailedFolderW};
    FFailedFolderW = WindowTextW(EditBox(FHandle));
    return DoValidateFailed(ReportedFolderName(FHandle, reported));
}

bool TSelectFolderDialog::TakeTypedFolder()
{
    if (!FOptions.Contains(bifEditBox) || FHandle == nullptr)
        return true;
    HWND edit = EditBox(FHandle);
    const WideString typed = WindowTextW(edit);
    const WideString selected = FSelection.GetWideString();
    // The box shows the selection's name (or path) until the user types another.
    if (typed.empty() || lstrcmpiW(typed.c_str(), FSelection.GetDisplayNameW().c_str()) == 0 ||
        lstrcmpiW(typed.c_str(), selected.c_str()) == 0)
        return true;
    const WideString folder = TypedFolder(typed, selected);
    if (!folder.empty()) {
        // The browser returns its tree's selection (the one platform) or the folder the box names
        // (the other): it is made to select the typed folder, and the box names it in full, so
        // that both are the folder judged and returned.
        SendMessageW(FHandle, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        if (lstrcmpiW(FSelection.GetWideString().c_str(), folder.c_str()) == 0)
            SetWindowTextW(edit, folder.c_str());
        return true;
    }
    if (!FOptions.Contains(bifValidate))
        return true;
    // Rejected here, before the close is asked about, as the browser rejects it after: the
    // browser's own report of the same name then only closes.
    const AnsiString reported = WideToAnsi(typed);
    if (!ValidateTypedName(reported.c_str()))
        return false;
    FTypedNameJudged = true;
    return true;
}

bool TSelectFolderDialog::DoValidateFailed(const char* failedFolder)
{
    bool canClose = true;
    if (OnValidateFailed)
        OnValidateFailed(this, failedFolder, canClose);
    return canClose;
}

namespace {
// Posted to the browser when it is shown: handled once the show and every layout it causes are done.
UINT SelectionIntoViewMessage()
{
    static const UINT message = RegisterWindowMessageA("TapstormSelectFolderIntoView");
    return message;
}
}  // namespace

void TSelectFolderDialog::Dispatch(TMessage& message)
{
    if (message.Msg == SelectionIntoViewMessage() && message.Msg != 0) {
        BringSelectionIntoView();
        return;
    }
    switch (message.Msg) {
    case WM_SHOWWINDOW:
        ShowingWindow(message);
        break;
    case WM_DESTROY:
        WMDestroy(message);
        break;
    case WM_NCDESTROY:
        WMNCDestroy(message);
        break;
    case WM_COMMAND:
        WMCommand(message);
        break;
    case BFFM_SETSELECTIONA:
    case BFFM_SETSELECTIONW:
        WMSetSelection(message);
        break;
    default:
        DefaultHandler(message);
        break;
    }
}

void TSelectFolderDialog::DefaultHandler(TMessage& message)
{
    if (FHandle != nullptr)
        message.Result = CallWindowProcA(FPrevWndProc, FHandle, message.Msg, message.WParam, message.LParam);
}

void TSelectFolderDialog::WMDestroy(TMessage& message)
{
    // The browser must see its destruction whatever the close handler does.
    GuardedCall(this, [this] { DoClose(); });
    DefaultHandler(message);
}

void TSelectFolderDialog::WMNCDestroy(TMessage& message)
{
    DefaultHandler(message);
    FHandle = nullptr;
}

void TSelectFolderDialog::WMCommand(TMessage& message)
{
    if (LOWORD(message.WParam) != IDOK) {
        DefaultHandler(message);
        return;
    }
    struct Judged {
        bool& Flag;
        ~Judged() { Flag = false; }
    } judged{FTypedNameJudged};
    // The close handler judges the folder the browser is about to return.
    if (!TakeTypedFolder() || !DoCanClose())
        return;
    DefaultHandler(message);
}

void TSelectFolderDialog::ShowingWindow(TMessage& message)
{
    DefaultHandler(message);
    if (message.WParam != FALSE && FHandle != nullptr)
        PostMessageA(FHandle, SelectionIntoViewMessage(), 0, 0);
}

void TSelectFolderDialog::BringSelectionIntoView()
{
    // The new look may keep its tree inside a window of its own rather than as a direct child.
    HWND tree = FindDescendant(FHandle, WC_TREEVIEWW);
    if (tree == nullptr)
        return;
    const auto selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (selected != nullptr)
        SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(selected));
}

void TSelectFolderDialog::WMSetSelection(TMessage& message)
{
    DefaultHandler(message);
    // The browser looks a list up in its tree by every byte of its items, time stamps included. A
    // folder on the way that changed, or was read for the first time after a change, since the
    // list was made leaves the list naming nothing there, and the tree stays where it was (on the
    // desktop, say): a list the browser did not find is taken afresh from its path and sent again.
    if (message.Result != FALSE || message.WParam != FALSE || message.LParam == 0 || FHandle == nullptr)
        return;
    const auto* sent = reinterpret_cast<LPCITEMIDLIST>(message.LParam);
    spItemIDList fresh;
    fresh.Copy(sent);
    fresh.Refresh();
    const unsigned short size = TSHFolderInfo::ItemIDListSize(fresh.Get());
    if (fresh.Get() == nullptr || size == 0 ||
        (size == TSHFolderInfo::ItemIDListSize(sent) && std::memcmp(fresh.Get(), sent, size) == 0))
        return;
    message.LParam = reinterpret_cast<LPARAM>(fresh.Get());
    DefaultHandler(message);
    message.LParam = reinterpret_cast<LPARAM>(sent);
}

// ---------------------------------------------------------------------------------------------
// TNewSelectFolderDialogCustomizer

std::map<HWND, WNDPROC> TNewSelectFolderDialogCustomizer::ControlsDefProc;

TNewSelectFolderDialogCustomizer::~TNewSelectFolderDialogCustomizer() = default;

namespace {
// Puts every frozen child's procedure back, forgets them, and gives the size handler back.
class TFrozenControls {
public:
    explicit TFrozenControls(TSizeChangedEvent& handler) : FHandler(handler), FSaved(handler) {}
    ~TFrozenControls()
    {
        auto& frozen = TNewSelectFolderDialogCustomizer::ControlsDefProc;
        for (const auto& entry : frozen)
            SetWindowLongPtrA(entry.first, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.second));
        frozen.clear();
        FHandler = FSaved;
    }
    TFrozenControls(const TFrozenControls&) = delete;
    TFrozenControls& operator=(const TFrozenControls&) = delete;

private:
    TSizeChangedEvent& FHandler;
    TSizeChangedEvent FSaved;
};
}  // namespace

void TNewSelectFolderDialogCustomizer::KeepInitializeDialogSize()
{
    FAlwaysMoveSubForm = true;
    {
        // Neither the core nor the browser moves a control while the window grows; the thaw
        // also happens when the growth fails.
        TFrozenControls frozen(FOnSizeChanged);
        FOnSizeChanged = nullptr;
        EnumChildWindows(FHandle, GetHandleProc, 0);
        TSizingDialogCustomizer::KeepInitializeDialogSize();
    }
    // A frame change reports the grown client size to the restored handler, which moves the
    // browser's controls once beside the sub form.
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

BOOL CALLBACK TNewSelectFolderDialogCustomizer::GetHandleProc(HWND window, LPARAM lParam)
{
    char className[15] = {};
    GetClassNameA(window, className, sizeof(className));
    // Scroll bars (size grips among them) keep following the window.
    if (lstrcmpA(className, "ScrollBar") == 0)
        return TRUE;
    ControlsDefProc[window] = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NewWndProc)));
    return TRUE;
}

LRESULT CALLBACK TNewSelectFolderDialogCustomizer::NewWndProc(HWND window, UINT message, WPARAM wParam,
                                                              LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING)
        reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOSIZE | SWP_NOMOVE;
    auto found = ControlsDefProc.find(window);
    if (found == ControlsDefProc.end())
        return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(found->second, window, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// TOldSelectFolderDialogCustomizer

TOldSelectFolderDialogCustomizer::~TOldSelectFolderDialogCustomizer() = default;

bool TOldSelectFolderDialogCustomizer::CalcDialogCenterLine(TPoint& point)
{
    HWND tree = FindWindowExA(FHandle, nullptr, "SysTreeView32", nullptr);
    if (tree == nullptr)
        return false;
    RECT r;
    GetWindowRect(tree, &r);
    point.x = (3 * r.left + r.right) / 4;
    point.y = (r.top + r.bottom) / 2;
    return true;
}

// ---------------------------------------------------------------------------------------------
// TCSelectFolderDialog

TCSelectFolderDialog::TCSelectFolderDialog(TComponent* owner) : TCustomizableDialog(owner) {}

TCSelectFolderDialog::~TCSelectFolderDialog() = default;

void TCSelectFolderDialog::DoShow()
{
    const bool newStyle =
        GetOptions().Contains(bifNewDialogStyle) && ShellApi().ShellVersion() >= 0x50000;
    if (newStyle)
        AttachCustomizer(GetHandle(), new TNewSelectFolderDialogCustomizer);
    else
        AttachCustomizer(GetHandle(), new TOldSelectFolderDialogCustomizer);
    TSelectFolderDialog::DoShow();
}

void TCSelectFolderDialog::DoShowWindow()
{
    FDlgsUnit->StartCustomize();
}

void TCSelectFolderDialog::WMShowWindow(TMessage& message)
{
    DoShowWindow();
    TSelectFolderDialog::Dispatch(message);
}

void TCSelectFolderDialog::Dispatch(TMessage& message)
{
    if (message.Msg == WM_SHOWWINDOW)
        WMShowWindow(message);
    else
        TSelectFolderDialog::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------

void CSelFDlg::Register()
{
    RegisterComponents("Dialogs", {ComponentClass<TSelectFolderDialog>("TSelectFolderDialog"),
                                   ComponentClass<TCSelectFolderDialog>("TCSelectFolderDialog")});
    for (const char* category : {sVisualCategoryName, sLocalizableCategoryName})
        RegisterPropertiesInCategory(category, "TSelectFolderDialog", {"Title", "StatusText"});
    RegisterPropertiesInCategory(sVisualCategoryName, "TCSelectFolderDialog",
                                 {"SubFormPos", "SubFormAnchors", "MinEdgeSpace"});
}

}  // namespace CustDlgs
