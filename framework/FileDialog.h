// The platform's open-file and save-file dialogs.
#pragma once

#include "framework/CommonDialog.h"
#include "framework/Sets.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <windows.h>
#include <commdlg.h>


// Whether the platform offers the Explorer look of the file dialogs (major version above 3).
// Set at start; tests may change it.
extern bool NewStyleControls;

// The options of a file dialog. Each number is its bit in TOpenOptions, a value callers save.
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
using TOpenOptions = TSet<TOpenOption>;
static_assert(TOpenOptions{ofHideReadOnly, ofEnableSizing}.Bits() == 0x00080004, "the options' numbers are stored");

// The platform flags the options ask for. ofOldStyleDialog has none: the old look is asked
// for by leaving out OFN_EXPLORER.
DWORD OpenOptionFlags(TOpenOptions options);

// "text|pattern|text|pattern" as the platform's list: each part ends in a zero, the list in
// another.
std::string FileDialogFilter(const AnsiString& filter);

// The platform's open-file or save-file function.
using TFileDialogFunc = BOOL(WINAPI*)(LPOPENFILENAMEA);

// The modal open-file dialog. Each opening gets the framework's hook: in the Explorer look the
// hook sits on an empty child of the dialog (that child is `Handle`), in the old look on the
// dialog itself.
class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* owner);

    const char* ClassName() const override { return "TOpenDialog"; }

    // Shows the open-file dialog; true when the user confirmed a name. Each name handed over is
    // matched with the Unicode name the user chose (found in its folder; where several share its
    // code-page form, or it is new, told by what the name box and the file list show, whether they
    // show file names or display names): one with no exact form in the code page, or whose choice
    // cannot be told, is refused while the dialog is open (the user is told), unless UnicodeNames
    // takes it. OnCanClose sees the names as the caller gets them. Raises Exception, without showing
    // it, for an InitialDir, FileName or DefaultExt that cannot make a path, and after it for a
    // selection whose names did not fit the name buffer.
    bool Execute() override { return ExecuteWith(GetOpenFileNameA); }
    void DefaultHandler(TMessage& message) override;
    // The hook window's parent in the Explorer look, the hook window in the old.
    HWND DialogWindow() const override { return FHandle == nullptr ? nullptr : FExplorer ? ::GetParent(FHandle) : FHandle; }

    // The chosen file (the first one of a multi-selection), full path. With UnicodeNames, a name
    // with no exact form in the code page is an empty string here (never a look-alike).
    const AnsiString& GetFileName() const { return FFileName; }
    void SetFileName(const AnsiString& value);
    // Every chosen file, full paths; empty strings as for FileName.
    const std::vector<AnsiString>& GetFiles() const { return FFiles; }
    // The same names exactly as the file system holds them in Unicode, read from the platform in
    // Unicode; valid after Execute returned true.
    const WideString& GetFileNameW() const { return FFileNameW; }
    // While the dialog runs: the name in its name box as a full path in the folder it shows, in
    // Unicode (the ANSI CDM_GETFILEPATH gives a look-alike of a name outside the code page);
    // empty when closed or when it cannot be told.
    WideString GetFilePathW() const;
    // While the dialog runs: the folder it shows, in Unicode; empty when closed and for a folder
    // with no file-system path.
    WideString GetFolderPathW() const;
    const std::vector<WideString>& GetFilesW() const { return FFilesW; }
    // Starts the dialog on a name the code page may not hold (FileName becomes its exact form, or
    // empty).
    void SetFileNameW(const WideString& value);
    // False (the default): a name with no exact form in the code page is refused. True: it is
    // taken, and only the wide names hold it.
    bool GetUnicodeNames() const { return FUnicodeNames; }
    void SetUnicodeNames(bool value) { FUnicodeNames = value; }
    const AnsiString& GetFilter() const { return FFilter; }
    void SetFilter(const AnsiString& value) { FFilter = value; }
    // 1-based index of the chosen filter; read back after each opening.
    int GetFilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int value) { FFilterIndex = value; }
    const AnsiString& GetInitialDir() const { return FInitialDir; }
    void SetInitialDir(const AnsiString& value);
    // Starts the dialog in a folder the code page may not hold (InitialDir becomes its exact form,
    // or empty).
    const WideString& GetInitialDirW() const { return FInitialDirW; }
    void SetInitialDirW(const WideString& value);
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

    // The common runner of the open and save dialogs: Execute with the dialog shown through
    // `function`.
    bool ExecuteWith(TFileDialogFunc function);
    bool ShowDialog(TDialogRun& run) override;
    // Whether the running dialog has the Explorer look.
    bool IsExplorerLook() const { return FExplorer; }
    // The record handed to the platform is not used again once the window is unbound.
    void UnbindWindow() override;
    // While the refusal box is up the dialog is inside its own handling of OK, which a cancel
    // would pull the ground from under: it is cancelled once the box is closed.
    void CancelDialog(HWND dialog) override;

private:
    // Raises Exception for a path-like property the platform's dialog cannot take.
    void CheckPathProperties() const;
    // Takes the names the platform wrote into the dialog's buffer; false, with no name taken,
    // when the buffer was cut.
    bool ReadFileNames(const OPENFILENAMEA& ofn);
    // What became of a confirmed name: taken, refused (the dialog stays open), or the component
    // was freed meanwhile.
    enum class TFileOk { Accepted, Refused, Gone };
    // The user confirmed a name: takes the names, checks them, then asks DoCanClose. Names that did
    // not fit are asked for again into a larger buffer.
    TFileOk FileOk();
    // Whether every name taken can be handed over (see Execute); if not, the user is told over the
    // dialog, which stays open.
    TFileOk CheckChosenNames();
    // For each name taken from the platform, the Unicode name the user chose (see MatchChosenNames):
    // found in its folder, told apart by what the name box and the file list show; empty where
    // nothing tells.
    std::vector<WideString> ChosenWideNames() const;
    // The names as the caller gets them, from the names taken and their Unicode names.
    void SettleNames();
    // The name box, in Unicode, once the dialog is initialised: FileNameW where FileName cannot
    // hold it.
    void ShowWideFileName();
    // The bytes the running Explorer-look dialog's names may take; 0 when it cannot tell.
    size_t NamesRoom() const;
    // Gives the running dialog a name buffer of `size` bytes; false when it has one that large.
    bool GrowNames(size_t size);

    AnsiString FFileName;
    std::vector<AnsiString> FFiles;
    WideString FFileNameW;
    std::vector<WideString> FFilesW;
    WideString FInitialDirW;
    bool FUnicodeNames = false;
    // The refusal box is up.
    bool FShowingRefusal = false;
    // The Unicode names of the last names the user confirmed, one for each of FFiles.
    std::vector<WideString> FChosenW;
    AnsiString FFilter;
    int FFilterIndex = 1;
    AnsiString FInitialDir;
    AnsiString FDefaultExt;
    AnsiString FTitle;
    TOpenOptions FOptions = {ofHideReadOnly, ofEnableSizing};
    // While a dialog runs: its look and the record handed to the platform.
    bool FExplorer = false;
    OPENFILENAMEA* FRecord = nullptr;
    // The platform's function that shows the dialog, open or save.
    TFileDialogFunc FFunction = GetOpenFileNameA;
    // The name buffer of the run, which owns it.
    std::vector<char>* FNames = nullptr;
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
