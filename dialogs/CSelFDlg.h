// The folder selection dialog: shell item-ID lists and special folders, the folder browser
// component with its events, and its customizable variant.
#pragma once

#include "dialogs/DlgsCust.h"
#include "framework/Classes.h"
#include "framework/Dialogs.h"
#include "framework/Sets.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <map>

namespace CustDlgs {

// The errors of the folder dialog library; the message is meant for the user.
class ESelFDlgException : public Exception {
public:
    explicit ESelFDlgException(const AnsiString& message) : Exception(message) {}
};

// Every shell call of this module goes through here, so that a test can put a substitute
// shell behind them. The product always runs on this class's own (real) calls.
class TShellApi {
public:
    virtual ~TShellApi() = default;
    virtual HRESULT GetMalloc(IMalloc** malloc);
    virtual HRESULT GetDesktopFolder(IShellFolder** folder);
    virtual HRESULT GetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);
    virtual BOOL GetPathFromIDList(LPCITEMIDLIST list, char* path);
    // The same path in Unicode, as the file system holds it (`path` holds MAX_PATH characters).
    virtual BOOL GetPathFromIDListW(LPCITEMIDLIST list, wchar_t* path);
    // The place's display name in Unicode (`name` holds MAX_PATH characters).
    virtual BOOL GetDisplayNameW(LPCITEMIDLIST list, wchar_t* name);
    virtual LPITEMIDLIST BrowseForFolder(BROWSEINFOA* info);
    // The shell library's version (see GetShellVersion).
    virtual DWORD ShellVersion();
};

// The shell library's version: major in the high 16 bits, minor in the low; 0 when it cannot be
// told. Asked anew on every call.
DWORD GetShellVersion();

// The shell in use.
TShellApi& ShellApi();
// Puts `api` behind the module's shell calls (null: the real shell); returns the one before.
TShellApi* SetShellApi(TShellApi* api);

// The getters the interface holders use.
HRESULT ShellGetMalloc(IMalloc** malloc);
HRESULT ShellGetDesktopFolder(IShellFolder** folder);

// Holds one shell interface, acquired at construction through `Getter` and released once.
template <class Interface, class GetterType, GetterType Getter>
class SHIface {
public:
    SHIface()
    {
        if (Getter(&FInterface) != S_OK) {
            // A getter that failed still owns nothing of ours; leave nothing to release.
            FInterface = nullptr;
            throw ESelFDlgException(LibraryText("シェルインターフェイスの取得に失敗しました。"));
        }
    }
    ~SHIface()
    {
        if (FInterface != nullptr)
            FInterface->Release();
    }
    SHIface(const SHIface&) = delete;
    SHIface& operator=(const SHIface&) = delete;

    Interface* operator->() const { return FInterface; }

private:
    Interface* FInterface = nullptr;
};

using TMallocIface = SHIface<IMalloc, decltype(&ShellGetMalloc), &ShellGetMalloc>;
using TDesktopFolderIface = SHIface<IShellFolder, decltype(&ShellGetDesktopFolder), &ShellGetDesktopFolder>;

// The shell's task allocator and desktop folder, and what they do with item-ID lists.
class TSHFolderInfo {
public:
    TSHFolderInfo() = default;

    // A new list for `path` (system code page), owned by the caller; raises ESelFDlgException
    // when the shell cannot parse the path.
    LPITEMIDLIST GetItemIDList(const char* path);
    // The same, null when the shell cannot parse the path.
    LPITEMIDLIST FindItemIDList(const char* path);
    LPITEMIDLIST FindItemIDList(const wchar_t* path);
    // A new copy of `list` (null for null, or when the allocator has no memory).
    LPITEMIDLIST CopyItemIDList(LPCITEMIDLIST list);
    void FreeItemIDList(LPITEMIDLIST list);
    // Do the two lists name the same place?
    bool CompareItemIDList(LPCITEMIDLIST first, LPCITEMIDLIST second);

    // Bytes of `list`, terminator included (the count is kept in 16 bits); 0 for a list of
    // 65,536 bytes or more, which is never walked past its 65,535th byte.
    static unsigned short ItemIDListSize(LPCITEMIDLIST list);

private:
    TMallocIface FMalloc;
    TDesktopFolderIface FDesktopFolder;
};

// The shell's special folders. Names and numbers are values callers save.
enum TSpecialFolder : std::uint8_t {
    sfDesktop, sfInternet, sfPrograms, sfControls, sfPrinters, sfPersonal, sfFavorites, sfStartUp,
    sfRecent, sfSendTo, sfBitBucket, sfStartMenu, sfDesktopDirectory, sfDrives, sfNetWork, sfNetHood,
    sfFonts, sfTemplates, sfCommonStartMenu, sfCommonPrograms, sfCommonStartUp, sfCommonDesktopDirectory,
    sfAppData, sfPrintHood, sfLocalAppData, sfAltStartUp, sfCommonAltStartUp, sfCommonFavorites,
    sfInternetCache, sfCookies, sfHistory, sfCommonAppData, sfWindows, sfSystem, sfProgramFiles,
    sfMyPictures, sfProfile, sfSystemX86, sfProgramFileX86, sfProgramFilesCommon, sfProgramFilesCommonX86,
    sfCommonTemplates, sfCommonDocuments, sfCommonAdminTools, sfAdminTools, sfConnections, sfNone
};

// The shell folder identifier of each special folder but sfNone.
inline constexpr int SpecialFolderIds[sfNone] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,  // 12 to 15 are not special folders
    16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32,
    33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49,
};

// The browser's options. Each number is its bit in TSFolderOptions, a value callers save.
enum TSFolderOption : std::uint8_t {
    bifReturnOnlyFSDirs, bifDontGoBelowDomain, bifStatusText, bifReturnFSAncestors, bifEditBox, bifValidate,
    bifNewDialogStyle, bifBrowseIncludeURLs, bifBrowseForComputer, bifBrowseForPrinter, bifBrowseIncludeFiles,
    bifShareable
};

// A set of TSFolderOption in 16 bits: bit n stands for the option of value n.
using TSFolderOptions = TSet<TSFolderOption, std::uint16_t>;
static_assert(TSFolderOptions{bifReturnOnlyFSDirs, bifShareable}.Bits() == 0x0801, "the options' numbers are stored");

constexpr std::uint16_t OptionBit(TSFolderOption option)
{
    return TSFolderOptions::Bit(option);
}

// The browser flag of each option.
inline constexpr TSetFlag<TSFolderOptions, UINT> SFolderOptionFlags[] = {
    {bifReturnOnlyFSDirs, 0x0001},  {bifDontGoBelowDomain, 0x0002}, {bifStatusText, 0x0004},
    {bifReturnFSAncestors, 0x0008}, {bifEditBox, 0x0010},           {bifValidate, 0x0020},
    {bifNewDialogStyle, 0x0040},    {bifBrowseIncludeURLs, 0x0080}, {bifBrowseForComputer, 0x1000},
    {bifBrowseForPrinter, 0x2000},  {bifBrowseIncludeFiles, 0x4000}, {bifShareable, 0x8000},
};

// The browser flags of a set of options.
constexpr UINT BrowseFlags(TSFolderOptions options)
{
    return SetToFlags(options, SFolderOptionFlags);
}

// The shell's folder browser as a component: root, selection, title, status line and options
// in; the chosen folder out; events while it is open. The browser window is subclassed while it
// runs; its run, close and events are those of every platform dialog (TPlatformDialog).
class TSelectFolderDialog : public TPlatformDialog {
public:
    // Owns at most one item-ID list and converts it from and to a path and a special folder.
    class spItemIDList {
    public:
        spItemIDList();
        ~spItemIDList();
        spItemIDList(const spItemIDList&) = delete;
        spItemIDList& operator=(const spItemIDList&) = delete;

        void Free();
        // Adopts `list` (null allowed) without copying.
        void Set(LPITEMIDLIST list);
        void Copy(LPCITEMIDLIST list);
        // Takes a file-system folder's list afresh from its path: its items carry the folders'
        // time stamps, which go stale. Any other list is kept.
        void Refresh();
        void SetCharToIDList(const char* path);
        void SetSpecialFolderToIDList(TSpecialFolder folder);
        // The folder's path; empty for a place without one, and for a folder whose path has no
        // exact form in the code page (it would name another folder).
        AnsiString GetString() const;
        // The folder's path as the file system holds it; empty for a place without one.
        WideString GetWideString() const;
        // The place's display name as the shell shows it, in Unicode; empty without a list.
        WideString GetDisplayNameW() const;
        // Whether the list names a folder whose path has no exact form in the code page.
        bool HasInexactPath() const;
        TSpecialFolder GetSpecialFolder() const;
        LPITEMIDLIST Get() const { return FList; }

    private:
        TSHFolderInfo* FFolderInfo;
        LPITEMIDLIST FList = nullptr;
    };

    using TCanCloseEvent = TCloseQueryEvent;
    using TValidateFailedEvent = std::function<void(TObject* Sender, const char* FailedFolder, bool& CanClose)>;

    explicit TSelectFolderDialog(TComponent* owner);

    const char* ClassName() const override { return "TSelectFolderDialog"; }

    // Execute runs the browser (through DoExecute); true when the user chose a folder. False, with
    // the component left untouched, when the component is freed while the browser is open, and
    // when a run is already going on (a second Execute from OnShow, say: it is refused). An
    // exception from a handler while the browser is open (OnShow and the customizer made at the
    // show included) goes to the application's handler and the browser goes on: it never leaves
    // Execute through the shell's code, which could not unwind it.

    TSFolderOptions GetOptions() const { return FOptions; }
    void SetOptions(TSFolderOptions value) { FOptions = value; }
    const AnsiString& GetTitle() const { return FTitle; }
    void SetTitle(const AnsiString& value) { FTitle = value; }
    const AnsiString& GetStatusText() const { return FStatusText; }
    void SetStatusText(const AnsiString& value);
    AnsiString GetRootFolder() const { return FRoot.GetString(); }
    void SetRootFolder(const AnsiString& path) { FRoot.SetCharToIDList(path.c_str()); }
    TSpecialFolder GetRootSpecialFolder() const { return FRoot.GetSpecialFolder(); }
    void SetRootSpecialFolder(TSpecialFolder value) { FRoot.SetSpecialFolderToIDList(value); }
    // Empty for a place without a path, and for a folder whose path has no exact form in the code
    // page: GetSelectList still names it exactly.
    AnsiString GetSelectFolder() const { return FSelection.GetString(); }
    void SetSelectFolder(const AnsiString& path);
    TSpecialFolder GetSelectSpecialFolder() const { return FSelection.GetSpecialFolder(); }
    void SetSelectSpecialFolder(TSpecialFolder value);
    // Of the folder chosen by the last successful run; empty when it or its path has no exact
    // form in the code page.
    const AnsiString& GetDisplayName() const { return FDisplayName; }
    // The selection's path exactly as the file system holds it, whatever the code page; empty for
    // a place without a path. Handlers read the browser's current selection.
    WideString GetSelectFolderW() const { return FSelection.GetWideString(); }
    // The display name in Unicode, exact for any place: while the browser is open that of its
    // current selection, afterwards that of the folder chosen by the last successful run.
    WideString GetDisplayNameW() const;
    // While OnValidateFailed runs: the rejected name as typed, exact whatever the code page
    // (FailedFolder is empty for a name the code page lacks).
    const WideString& GetFailedFolderW() const { return FFailedFolderW; }
    int GetImageIndex() const { return FImageIndex; }

    // The root and the selection as lists.
    spItemIDList& GetRootList() { return FRoot; }
    spItemIDList& GetSelectList() { return FSelection; }
    HWND GetOwnerWindow() const { return FOwnerWindow; }

    // Enables or disables the open browser's OK button.
    void SetEnableOK(bool value);
    // Push the selection / the status text into the open browser.
    void ChangeSelectFolder();
    void ChangeStatusText();

    // The browser's callback; `data` is the run record (TDialogRun) of the running Execute.
    static int CALLBACK BrowseCallBack(HWND window, UINT message, LPARAM lParam, LPARAM data);

    void Dispatch(TMessage& message) override;
    // Passes the message to the browser's own procedure while the window exists.
    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnFolderChange;
    TCanCloseEvent OnCanClose;
    TValidateFailedEvent OnValidateFailed;

protected:
    ~TSelectFolderDialog() override;
    // The order of these virtual operations is part of the class's contract; keep it.
    virtual bool DoExecute();
    bool ShowDialog(TDialogRun& run) override;
    virtual bool DoCanClose();
    virtual void DoFolderChange();
    virtual bool DoValidateFailed(const char* failedFolder);
    // A name typed into the browser's edit box was rejected: DoValidateFailed with the name as the
    // browser reports it (`reported`, or empty when the typed name has no exact ANSI form).
    bool ValidateTypedName(const char* reported);
    // At OK: a name typed into the edit box makes the browser select the folder it names, which
    // both the edit box and the tree then name; one naming no folder is judged as the browser
    // would judge it. False when the browser is to stay open.
    bool TakeTypedFolder();
    // Takes the component's procedure off the browser window.
    void UnbindWindow() override;

    void WMDestroy(TMessage& message);
    void WMNCDestroy(TMessage& message);
    void WMCommand(TMessage& message);
    void WMSetSelection(TMessage& message);
    // The browser is shown: once it is laid out (and the customizer has sized it), the selected
    // folder is brought into view, which the platform does not always do for a preset selection.
    void ShowingWindow(TMessage& message);
    // Scrolls the browser's tree, wherever it sits among the browser's windows, to its selection.
    void BringSelectionIntoView();

private:
    HWND FOwnerWindow = nullptr;
    spItemIDList FRoot;
    spItemIDList FSelection;
    TSFolderOptions FOptions = {bifReturnOnlyFSDirs};
    AnsiString FTitle;
    AnsiString FStatusText;
    AnsiString FDisplayName;
    WideString FDisplayNameW;
    int FImageIndex = 0;
    bool FSelectionBeingSet = false;
    // The name typed at this OK was judged already: the browser's own rejection of it closes.
    bool FTypedNameJudged = false;
    WideString FFailedFolderW;
    // The thunk that subclasses the browser's window for MainWndProc, and the procedure it
    // replaced.
    WNDPROC FPrevWndProc = nullptr;
    void* FSubclass = nullptr;
};

// The customizer of the new-style browser, which lays out its own controls when resized: while
// the window grows by the sub form's room, the browser's controls are held where they are.
class TNewSelectFolderDialogCustomizer : public TSizingDialogCustomizer {
public:
    TNewSelectFolderDialogCustomizer() = default;
    ~TNewSelectFolderDialogCustomizer() override;

    void KeepInitializeDialogSize() override;

    // The previous procedure of each child frozen now; empty outside KeepInitializeDialogSize.
    static std::map<HWND, WNDPROC> ControlsDefProc;
    // The procedure of a frozen child: it keeps its place and size.
    static LRESULT CALLBACK NewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Freezes one child (scroll bars excepted); always goes on with the enumeration.
    static BOOL CALLBACK GetHandleProc(HWND window, LPARAM lParam);
};

// The customizer of the classic browser: a fixed layout arranged around its tree view.
class TOldSelectFolderDialogCustomizer : public TFixedDialogCustomizer {
public:
    TOldSelectFolderDialogCustomizer() = default;
    ~TOldSelectFolderDialogCustomizer() override;

    // A quarter across the tree view, at its vertical middle; false without a tree view.
    bool CalcDialogCenterLine(TPoint& point) override;
};

// The folder browser with a caller's form embedded, optional sizing, minimum edge spaces, a
// caption and an icon, and its place remembered from one opening to the next.
class TCSelectFolderDialog : public TCustomizableDialog<TSelectFolderDialog> {
public:
    explicit TCSelectFolderDialog(TComponent* owner);

    const char* ClassName() const override { return "TCSelectFolderDialog"; }

    void Dispatch(TMessage& message) override;

protected:
    ~TCSelectFolderDialog() override;
    void DoShow() override;
    // Every show or hide of the browser window: starts the customizing.
    virtual void DoShowWindow();

    void WMShowWindow(TMessage& message);
};

namespace CSelFDlg {
// Puts TSelectFolderDialog and TCSelectFolderDialog on the designer's "Dialogs" palette page.
void Register();
}  // namespace CSelFDlg

}  // namespace CustDlgs
