// Common dialogs: the base component the platform's dialogs are wrapped in, with the message
// map that every message reaching the framework's hook passes through, and the helpers the
// wrappers share (placing a dialog, disabling the program's windows around a modal one).
#pragma once

#include "framework/Classes.h"
#include "framework/Types.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>
#include <windows.h>
#include <commdlg.h>

// One run of a platform dialog for a component, from the call that opens it until that call
// returns. It lives on the runner's stack, so it outlives a component freed while the dialog is
// open; the runner asks it before touching the component again. Every component that runs a
// platform dialog keeps its run here, and refuses a second Execute while one is recorded.
class TModalRun {
public:
    // Starts a run of `component`, recorded in `slot` (the component's own) until it ends.
    TModalRun(TComponent* component, TModalRun*& slot);
    ~TModalRun();
    TModalRun(const TModalRun&) = delete;
    TModalRun& operator=(const TModalRun&) = delete;

    // The component of `slot` is on its way out: its run, if any, no longer reaches it.
    static void Abandon(TModalRun*& slot);

    // Null once the component is on its way out.
    TComponent* Component;

private:
    TModalRun** FSlot;
};

// A platform dialog run by a component. `Handle` is the window the framework's hook sits on
// (the dialog itself, or the hook child of an Explorer-look file dialog), 0 while closed.
//
// Messages reaching the hook go MainWndProc -> WndProc -> Dispatch -> DefaultHandler. A
// handler that answers a message sets `Result` (what the hook returns to the platform); the
// default handling returns 0, which leaves the message to the platform's own dialog procedure.
class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* owner);

    const char* ClassName() const override { return "TCommonDialog"; }

    HWND GetHandle() const { return FHandle; }

    // Opens the dialog; what the result means is the dialog's own (confirmed, or created). A
    // second Execute while one runs (from the dialog's own OnShow, say) is refused: it returns
    // false and changes nothing.
    virtual bool Execute() = 0;
    // Frees the component once control has returned from the platform; safe from inside any of
    // its own events.
    void Release();
    // A dialog still open is closed (OnClose fires while the component is whole) and no longer
    // reaches the component; a run on the stack ends with its result discarded.
    void BeforeDestruction() override;

    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    ~TCommonDialog() override;
    // The dialog has been initialised and is about to be shown: fires OnShow.
    virtual void DoShow();
    // The dialog window is being destroyed: fires OnClose.
    virtual void DoClose();
    virtual void WndProc(TMessage& message);

    // The hook's entry: exceptions stop here and go to the application's handler.
    void MainWndProc(TMessage& message);

    // The hook procedure every wrapper hands the platform. Until the dialog's WM_INITDIALOG
    // no component is known and messages get the default handling; at WM_INITDIALOG the hook
    // binds the window to the component that is opening (see TDialogHookScope) and from then
    // on every message of that window goes to the component's MainWndProc. The binding goes
    // with the window's WM_NCDESTROY.
    static UINT_PTR CALLBACK DialogHook(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // The component a hook window is bound to, if any.
    static TCommonDialog* FromHookWindow(HWND window);
    // Binds `window` to this component by hand (a hook window the platform reports otherwise).
    void BindHookWindow(HWND window);

    // Centres `window` horizontally and puts it a third of the way down the work area of the
    // monitor the program's main form is on (the primary monitor without a main form).
    static void PlaceDialog(HWND window);

    HWND FHandle = nullptr;
    // The running Execute, if any.
    TModalRun* FRun = nullptr;

private:
    friend class TDialogHookScope;
};

// While it lives, the hook binds the next initialised dialog window of this thread to
// `dialog`. Put one around the platform call that creates the dialog.
class TDialogHookScope {
public:
    explicit TDialogHookScope(TCommonDialog* dialog);
    ~TDialogHookScope();
    TDialogHookScope(const TDialogHookScope&) = delete;
    TDialogHookScope& operator=(const TDialogHookScope&) = delete;

private:
    TCommonDialog* FPrevious;
};

// What a find or replace dialog offers and what the user chose; each maps to one FR_ flag.
enum TFindOption : std::uint8_t {
    frDown,
    frFindNext,
    frHideMatchCase,
    frHideWholeWord,
    frHideUpDown,
    frMatchCase,
    frDisableMatchCase,
    frDisableUpDown,
    frDisableWholeWord,
    frReplace,
    frReplaceAll,
    frWholeWord,
    frShowHelp,
};

// A set of TFindOption: bit n stands for the option of value n.
using TFindOptions = std::uint16_t;

constexpr TFindOptions FindOptionBit(TFindOption option)
{
    return static_cast<TFindOptions>(1u << option);
}

inline TFindOptions FindOptions(std::initializer_list<TFindOption> options)
{
    TFindOptions set = 0;
    for (TFindOption option : options)
        set = static_cast<TFindOptions>(set | FindOptionBit(option));
    return set;
}

constexpr bool HasFindOption(TFindOptions set, TFindOption option)
{
    return (set & FindOptionBit(option)) != 0;
}

// The platform's FR_ flags of a set of options, and back (flags without an option are dropped).
DWORD FindOptionsToFlags(TFindOptions options);
TFindOptions FlagsToFindOptions(DWORD flags);

// The platform's modeless find dialog. Its window lives until the user closes it (Cancel, Esc,
// the close box), CloseDialog is called or the component is freed; each button press in it
// fires OnFind (or, in the replace dialog, OnReplace) with the text and options the user chose.
class TFindDialog : public TCommonDialog {
public:
    explicit TFindDialog(TComponent* owner);

    const char* ClassName() const override { return "TFindDialog"; }

    // Opens the dialog, or brings the open one to the top; false if the platform failed, and
    // while the platform is still creating it (from OnShow).
    bool Execute() override;
    // Closes an open dialog (OnClose fires) before the component goes.
    void BeforeDestruction() override;
    // Closes an open dialog as its Cancel button does.
    void CloseDialog();

    AnsiString GetFindText() const { return FFindText; }
    // Longer texts are cut to what the platform's buffer holds.
    void SetFindText(const AnsiString& value);
    AnsiString GetReplaceText() const { return FReplaceText; }
    void SetReplaceText(const AnsiString& value);
    TFindOptions GetOptions() const { return FOptions; }
    void SetOptions(TFindOptions value) { FOptions = value; }

    // The dialog's place on the screen: the live window while open; -1 until the caller sets it,
    // in which case the framework's own place stands.
    int GetLeft() const;
    int GetTop() const;
    void SetLeft(int value);
    void SetTop(int value);

    void Dispatch(TMessage& message) override;

    TNotifyEvent OnFind;
    TNotifyEvent OnReplace;

    // The size of each text buffer in bytes, the terminating zero included.
    static constexpr int TextBufferSize = 256;

protected:
    ~TFindDialog() override;
    // "Find Next" was pressed: fires OnFind.
    virtual void DoFind();
    // "Replace" or "Replace All" was pressed: fires OnReplace.
    virtual void DoReplace();
    // Creates the platform's window for `record` (the find dialog; the replace dialog overrides).
    virtual HWND CreateFindWindow(FINDREPLACEA& record);

private:
    friend struct FindOwnerWindow;

    void WMInitDialog(TMessage& message);
    void WMDestroy(TMessage& message);
    // The platform's report of a button press, in the record it was opened with.
    void FindMessage(FINDREPLACEA& record);
    void MoveTo(int left, int top);
    // The hidden window that owns the dialog and receives the platform's reports.
    HWND OwnerWindow();

    FINDREPLACEA FFindReplace = {};
    char FFindText[TextBufferSize] = {};
    char FReplaceText[TextBufferSize] = {};
    TFindOptions FOptions = FindOptionBit(frDown);
    TPoint FPosition = {-1, -1};
    HWND FOwnerWindow = nullptr;
};

// The platform's modeless replace dialog: the find dialog with a replacement text.
class TReplaceDialog : public TFindDialog {
public:
    explicit TReplaceDialog(TComponent* owner);

    const char* ClassName() const override { return "TReplaceDialog"; }

protected:
    ~TReplaceDialog() override = default;
    HWND CreateFindWindow(FINDREPLACEA& record) override;
};

// The windows a modal dialog disables for as long as it runs.
using TTaskWindowList = std::vector<HWND>;

// Disables every visible, enabled top-level window of this thread except `except` and
// returns them.
TTaskWindowList DisableTaskWindows(HWND except = nullptr);
// Enables again the windows of `list` that still exist.
void EnableTaskWindows(const TTaskWindowList& list);

// ---------------------------------------------------------------------------------------------
// File dialogs

// Whether the platform offers the Explorer look of the file dialogs (major version above 3).
// Set at start; tests may change it.
extern bool NewStyleControls;

// The options of a file dialog. The values are stored in forms; keep them.
enum TOpenOption : std::uint8_t {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
};

// A set of TOpenOption: bit n stands for the option of value n.
class TOpenOptions {
public:
    constexpr TOpenOptions() = default;
    constexpr TOpenOptions(std::initializer_list<TOpenOption> options)
    {
        for (TOpenOption option : options)
            FBits |= Bit(option);
    }

    constexpr bool Contains(TOpenOption option) const { return (FBits & Bit(option)) != 0; }
    TOpenOptions& Include(TOpenOption option)
    {
        FBits |= Bit(option);
        return *this;
    }
    TOpenOptions& Exclude(TOpenOption option)
    {
        FBits &= ~Bit(option);
        return *this;
    }
    constexpr std::uint32_t Bits() const { return FBits; }
    constexpr bool operator==(const TOpenOptions& other) const { return FBits == other.FBits; }
    constexpr bool operator!=(const TOpenOptions& other) const { return FBits != other.FBits; }

private:
    static constexpr std::uint32_t Bit(TOpenOption option) { return std::uint32_t(1) << option; }
    std::uint32_t FBits = 0;
};

// The platform flags the options ask for. ofOldStyleDialog has none: the old look is asked
// for by leaving out OFN_EXPLORER.
DWORD OpenOptionFlags(TOpenOptions options);

// "text|pattern|text|pattern" as the platform's list: each part ends in a zero, the list in
// another.
std::string FileDialogFilter(const AnsiString& filter);

// Handlers that may refuse: `canClose` starts true.
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

// The platform's open-file or save-file function.
using TFileDialogFunc = BOOL(WINAPI*)(LPOPENFILENAMEA);

// The modal open-file dialog. Each opening gets the framework's hook: in the Explorer look the
// hook sits on an empty child of the dialog (that child is `Handle`), in the old look on the
// dialog itself.
class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* owner);

    const char* ClassName() const override { return "TOpenDialog"; }

    // Shows the open-file dialog; true when the user confirmed a name. A name with no exact form in
    // the code page is refused while the dialog is open (the user is told): the code page's form
    // of it names another file or none. Raises Exception, without showing it, for an InitialDir,
    // FileName or DefaultExt that cannot make a path, and after it for a selection whose names did
    // not fit the name buffer.
    bool Execute() override;
    // A dialog still open fires OnClose now and is cancelled; its run returns false.
    void BeforeDestruction() override;

    void DefaultHandler(TMessage& message) override;

    // The chosen file (the first one of a multi-selection), full path.
    const AnsiString& GetFileName() const { return FFileName; }
    void SetFileName(const AnsiString& value) { FFileName = value; }
    // Every chosen file, full paths.
    const std::vector<AnsiString>& GetFiles() const { return FFiles; }
    const AnsiString& GetFilter() const { return FFilter; }
    void SetFilter(const AnsiString& value) { FFilter = value; }
    // 1-based index of the chosen filter; read back after each opening.
    int GetFilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int value) { FFilterIndex = value; }
    const AnsiString& GetInitialDir() const { return FInitialDir; }
    void SetInitialDir(const AnsiString& value) { FInitialDir = value; }
    // Added to a name typed without an extension; periods it starts with are not used.
    const AnsiString& GetDefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const AnsiString& value) { FDefaultExt = value; }
    const AnsiString& GetTitle() const { return FTitle; }
    void SetTitle(const AnsiString& value) { FTitle = value; }
    TOpenOptions GetOptions() const { return FOptions; }
    void SetOptions(TOpenOptions value) { FOptions = value; }

    TCloseQueryEvent OnCanClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;

    // The characters the name buffer holds at the start; it grows for a larger multi-selection.
    static constexpr DWORD FileBufferLength = 0x10000;

protected:
    ~TOpenDialog() override = default;
    // The user confirmed a name: may the dialog close? Fires OnCanClose.
    virtual bool DoCanClose();
    virtual void DoFolderChange();
    virtual void DoSelectionChange();
    virtual void DoTypeChange();
    void WndProc(TMessage& message) override;

    // The common runner of the open and save dialogs: shows the dialog through `function`
    // and returns what it returned (non-zero: confirmed).
    BOOL DoExecute(TFileDialogFunc function);
    // Whether the running dialog has the Explorer look.
    bool IsExplorerLook() const { return FExplorer; }
    // The dialog window: the hook window's parent in the Explorer look, the hook window in the old.
    HWND DialogWindow() const { return FExplorer ? ::GetParent(FHandle) : FHandle; }

private:
    // Raises Exception for a path-like property the platform's dialog cannot take.
    void CheckPathProperties() const;
    // Takes the names the platform wrote into the dialog's buffer; false, with no name taken,
    // when the buffer was cut.
    bool ReadFileNames(const OPENFILENAMEA& ofn);
    // The user confirmed a name: takes the names, then asks DoCanClose. Names that did not fit
    // are asked for again into a larger buffer.
    bool FileOk();
    // Whether every chosen name, as the platform holds it in Unicode, has an exact form in the
    // code page; if not, the user is told over the dialog, which stays open.
    bool ChosenNamesExact();
    // The chosen names as full paths in Unicode: the dialog's folder joined to each name of the
    // name box.
    std::vector<WideString> ChosenWideNames() const;
    // The bytes the running Explorer-look dialog's names may take; 0 when it cannot tell.
    size_t NamesRoom() const;
    // Gives the running dialog a name buffer of `size` bytes; false when it has one that large.
    bool GrowNames(size_t size);

    AnsiString FFileName;
    std::vector<AnsiString> FFiles;
    AnsiString FFilter;
    int FFilterIndex = 1;
    AnsiString FInitialDir;
    AnsiString FDefaultExt;
    AnsiString FTitle;
    TOpenOptions FOptions = {ofHideReadOnly, ofEnableSizing};
    // While a dialog runs: its look and the record handed to the platform.
    bool FExplorer = false;
    OPENFILENAMEA* FRunning = nullptr;
    std::vector<char> FNames;
};

// The modal save-file dialog: the open dialog's runner on the platform's save function.
class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;

    const char* ClassName() const override { return "TSaveDialog"; }

    bool Execute() override;

protected:
    ~TSaveDialog() override = default;
};
