#include "framework/FileDialog.h"

#include "framework/Application.h"
#include "framework/ChildWindows.h"
#include "framework/Controls.h"
#include "framework/FileNames.h"

#include <cderr.h>
#include <commctrl.h>
#include <dlgs.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

bool NewStyleControls = LOBYTE(LOWORD(GetVersion())) > 3;

namespace {

// ofOldStyleDialog has no entry.
const TSetFlag<TOpenOptions, DWORD> OpenFlags[] = {
    {ofReadOnly, OFN_READONLY},
    {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
    {ofHideReadOnly, OFN_HIDEREADONLY},
    {ofNoChangeDir, OFN_NOCHANGEDIR},
    {ofShowHelp, OFN_SHOWHELP},
    {ofNoValidate, OFN_NOVALIDATE},
    {ofAllowMultiSelect, OFN_ALLOWMULTISELECT},
    {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
    {ofPathMustExist, OFN_PATHMUSTEXIST},
    {ofFileMustExist, OFN_FILEMUSTEXIST},
    {ofCreatePrompt, OFN_CREATEPROMPT},
    {ofShareAware, OFN_SHAREAWARE},
    {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
    {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
    {ofNoNetworkButton, OFN_NONETWORKBUTTON},
    {ofNoLongNames, OFN_NOLONGNAMES},
    {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
    {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY},
    {ofEnableSizing, OFN_ENABLESIZING},
};
static_assert(sizeof(OpenFlags) / sizeof(OpenFlags[0]) == ofEnableSizing, "an entry for every option but one");

}  // namespace

DWORD OpenOptionFlags(TOpenOptions options)
{
    return SetToFlags(options, OpenFlags);
}

std::string FileDialogFilter(const AnsiString& filter)
{
    std::string list = filter;
    // By character: the second byte of a double-byte character may be 0x7C ("ポ" is 0x83 0x7C).
    for (size_t i = 0; i < list.size(); i += CharLength(filter, i)) {
        if (list[i] == '|')
            list[i] = '\0';
    }
    list.push_back('\0');
    list.push_back('\0');
    return list;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}

void TOpenDialog::SetFileName(const AnsiString& value)
{
    FFileName = value;
    FFileNameW = AnsiToWide(value);
}

void TOpenDialog::SetFileNameW(const WideString& value)
{
    FFileNameW = value;
    FFileName = HasExactAnsiForm(value) ? WideToAnsi(value) : AnsiString();
}

void TOpenDialog::SetInitialDir(const AnsiString& value)
{
    FInitialDir = value;
    FInitialDirW = AnsiToWide(value);
}

void TOpenDialog::SetInitialDirW(const WideString& value)
{
    FInitialDirW = value;
    FInitialDir = HasExactAnsiForm(value) ? WideToAnsi(value) : AnsiString();
}

bool TOpenDialog::ExecuteWith(TFileDialogFunc function)
{
    FFunction = function;
    return TCommonDialog::Execute();
}

bool TSaveDialog::Execute()
{
    return ExecuteWith(GetSaveFileNameA);
}

namespace {
// The longest path the platform's file dialogs take, in characters without the terminator.
const size_t LongestPath = MAX_PATH - 1;

// The length in UTF-16 units of `wide` once its environment variables are expanded, as the
// platform does with the initial folder.
size_t ExpandedLength(const WideString& wide)
{
    const DWORD length = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    return length > 0 ? length - 1 : wide.size();
}

// The folder a dialog opens in: the initial folder, else the current one (UTF-16 units).
size_t StartFolderLength(const WideString& initialDir)
{
    if (!initialDir.empty())
        return ExpandedLength(initialDir);
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    return length > 0 ? length - 1 : 0;
}

[[noreturn]] void RaiseTooLong(const char* property, size_t length)
{
    throw Exception(Format("The file dialog cannot take this %s: it makes a path of %u characters, and a path "
                           "has at most %u",
                           property, static_cast<unsigned>(length), static_cast<unsigned>(LongestPath)));
}

[[noreturn]] void RaiseNamesCut(size_t bufferSize)
{
    throw Exception(Format("The chosen file names do not fit the file dialog's name buffer of %u bytes; no name "
                           "was taken",
                           static_cast<unsigned>(bufferSize)));
}
}  // namespace

void TOpenDialog::CheckPathProperties() const
{
    // The platform's dialog keeps paths in buffers of MAX_PATH characters: a longer value makes
    // it fail in its own code, so none reaches it.
    const size_t folder = StartFolderLength(FInitialDirW);
    if (!FInitialDirW.empty() && folder > LongestPath)
        RaiseTooLong("InitialDir", folder);
    // A folder the code page lacks is handed over by its short form; without one the platform
    // would silently open another folder.
    AnsiString form;
    if (FInitialDir.empty() && !FInitialDirW.empty() && !AnsiPathForm(FInitialDirW, form))
        throw Exception("The file dialog cannot take this InitialDir: the code page holds neither its name nor a "
                        "short form of it");
    const WideString& name = FFileNameW;
    const size_t path = IsRooted(name) ? name.size() : folder + 1 + name.size();
    if (!name.empty() && path > LongestPath)
        RaiseTooLong("FileName", path);
    // The extension goes after a name of at least one character in the starting folder.
    const size_t ext = AnsiToWide(BareExtension(FDefaultExt)).size();
    if (ext > 0 && folder + 3 + ext > LongestPath)
        RaiseTooLong("DefaultExt", folder + 3 + ext);
}

bool TOpenDialog::ShowDialog(TDialogRun& run)
{
    CheckPathProperties();
    // The run owns the name buffer: the platform may still write it after the component is freed.
    std::vector<char> names(FileBufferLength, '\0');
    FNames = &names;
    // A start name the code page cannot hold goes into the name box in Unicode at initialisation.
    CopyToBuffer(names.data(), names.size(), FFileName);
    AnsiString initialDir = FInitialDir;
    if (initialDir.empty() && !FInitialDirW.empty())
        AnsiPathForm(FInitialDirW, initialDir);
    std::string filter = FileDialogFilter(FFilter);
    const AnsiString defaultExt = BareExtension(FDefaultExt);

    OPENFILENAMEA ofn = {};
    // The size before the places bar: the Explorer look then has a plain edit for the name.
    ofn.lStructSize = static_cast<DWORD>(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(ofn.lpTemplateName));
    ofn.hwndOwner = run.Active != nullptr ? run.Active : Application->GetHandle();
    ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
    ofn.lpstrFile = names.data();
    ofn.nMaxFile = static_cast<DWORD>(names.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = FTitle.empty() ? nullptr : FTitle.c_str();
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    FExplorer = NewStyleControls && !FOptions.Contains(ofOldStyleDialog);
    // Without a template of ours the platform gives the hook an empty child of its own, which
    // it never resizes: nothing of it can cover the dialog's controls.
    ofn.Flags = OpenOptionFlags(FOptions) | OFN_ENABLEHOOK | (FExplorer ? OFN_EXPLORER : 0);
    ofn.lpfnHook = reinterpret_cast<LPOFNHOOKPROC>(DialogHook);

    // A name refused by OnCanClose and then cancelled must not stay.
    const AnsiString fileName = FFileName;
    const std::vector<AnsiString> files = FFiles;
    const WideString fileNameW = FFileNameW;
    const std::vector<WideString> filesW = FFilesW;
    FChosenW.clear();
    FRecord = &ofn;
    BOOL result;
    DWORD error;
    {
        TDialogHookScope scope(this);
        result = FFunction(&ofn);
        error = result == 0 ? CommDlgExtendedError() : 0;
    }
    // Freed during the run: the dialog was cancelled, and nothing of the component is left.
    if (run.Component == nullptr)
        return false;
    FRecord = nullptr;
    FNames = nullptr;
    FHandle = nullptr;

    FFilterIndex = static_cast<int>(ofn.nFilterIndex);
    bool whole = result != 0 && ReadFileNames(ofn);
    const bool cut = result != 0 && !whole;
    const size_t bufferSize = names.size();
    // Every name is taken as the user chose it, or none: names no check reached (the platform
    // confirmed without asking) are matched now, and where nothing tells one, none is taken.
    if (whole && FChosenW.size() != FFiles.size())
        FChosenW = ChosenWideNames();
    if (whole && std::find(FChosenW.begin(), FChosenW.end(), WideString()) != FChosenW.end()) {
        whole = false;
        result = FALSE;
    }
    if (result != 0) {
        if ((ofn.Flags & OFN_READONLY) != 0)
            FOptions.Include(ofReadOnly);
        else
            FOptions.Exclude(ofReadOnly);
        if ((ofn.Flags & OFN_EXTENSIONDIFFERENT) != 0)
            FOptions.Include(ofExtensionDifferent);
        else
            FOptions.Exclude(ofExtensionDifferent);
    }
    if (!whole) {
        FFileName = fileName;
        FFiles = files;
        FFileNameW = fileNameW;
        FFilesW = filesW;
    } else {
        SettleNames();
    }
    FChosenW.clear();
    // A selection the buffer could not hold is a failure, never a Cancel or a cut name.
    if (cut || error == FNERR_BUFFERTOOSMALL)
        RaiseNamesCut(bufferSize);
    return result != 0;
}

size_t TOpenDialog::NamesRoom() const
{
    HWND dialog = FHandle != nullptr ? GetParent(FHandle) : nullptr;
    if (dialog == nullptr)
        return 0;
    const LRESULT typed = SendMessageA(dialog, CDM_GETSPEC, 0, 0);
    const LRESULT folder = SendMessageA(dialog, CDM_GETFOLDERPATH, 0, 0);
    if (typed <= 0 || folder <= 0)
        return 0;
    // Each counts characters (or bytes) with a terminator, each taking at most AnsiRoom bytes.
    // The names come back as the folder, then each name, perhaps with the default extension. A
    // box of file names with their quotes is longer than that; one of display names (extensions
    // hidden) may not be, and FileOk grows further when the names were still cut.
    const size_t ext = BareExtension(FDefaultExt).size() + 1;
    return AnsiRoom(static_cast<size_t>(typed) + static_cast<size_t>(folder) + ext) + 2;
}

bool TOpenDialog::GrowNames(size_t size)
{
    if (FRecord == nullptr || FNames == nullptr || size <= FNames->size() || size > MAXDWORD)
        return false;
    FNames->assign(size, '\0');
    FRecord->lpstrFile = FNames->data();
    FRecord->nMaxFile = static_cast<DWORD>(FNames->size());
    return true;
}

void TOpenDialog::CancelDialog(HWND dialog)
{
    if (!FShowingRefusal)
        TCommonDialog::CancelDialog(dialog);
}

void TOpenDialog::UnbindWindow()
{
    TCommonDialog::UnbindWindow();
    FRecord = nullptr;
    FNames = nullptr;
}

TOpenDialog::TFileOk TOpenDialog::FileOk()
{
    // Names that did not fit, or may not have (a platform may cut the last name short without a
    // word), are asked for again into a buffer that holds them. Where it cannot grow the dialog
    // closes, and Execute reports names that were cut.
    const bool whole = FRecord == nullptr || ReadFileNames(*FRecord);
    HWND dialog = FExplorer ? GetParent(FHandle) : nullptr;
    // Cut names always double the buffer: the box's text may be shorter than the names.
    const size_t room = whole ? NamesRoom() : std::max(NamesRoom(), 2 * FNames->size());
    if (dialog != nullptr && GrowNames(room)) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
        return TFileOk::Refused;
    }
    if (!whole)
        return TFileOk::Accepted;
    const TFileOk names = CheckChosenNames();
    if (names != TFileOk::Accepted)
        return names;
    // The handlers see the names as the caller will get them.
    SettleNames();
    return DoCanClose() ? TFileOk::Accepted : TFileOk::Refused;
}

namespace {
// The folder an Explorer-look dialog shows, from its item-ID list; empty for a virtual folder.
WideString ExplorerFolder(HWND dialog)
{
    const LRESULT size = SendMessageW(dialog, CDM_GETFOLDERIDLIST, 0, 0);
    if (size <= 0)
        return WideString();
    std::vector<BYTE> list(static_cast<size_t>(size));
    SendMessageW(dialog, CDM_GETFOLDERIDLIST, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(list.data()));
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(list.data()), path))
        return WideString();
    return path;
}

// The box the user types names into: an edit box, or the combo box of the newer Explorer look.
HWND NameBox(HWND dialog)
{
    HWND box = GetDlgItem(dialog, edt1);
    return box != nullptr ? box : GetDlgItem(dialog, cmb13);
}

// The old look lists, and joins the name to, the current folder.
WideString CurrentFolder()
{
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
        return WideString();
    WideString folder(length, L'\0');
    folder.resize(GetCurrentDirectoryW(length, &folder[0]));
    return folder;
}

// The names of the items selected in the dialog's file list, as the list shows them: the list
// view of the Explorer look's shell view, the list box of the old look. Only the shell view's own
// list counts: newer views have none, and another list view in the dialog (a caller's, on a sub
// form) lists something else; no names then, and what the name box shows decides alone.
std::vector<WideString> SelectedNames(HWND dialog, bool explorer)
{
    std::vector<WideString> names;
    if (explorer) {
        HWND view = GetDlgItem(dialog, lst2);
        HWND list = view != nullptr ? FindDescendant(view, WC_LISTVIEWW) : nullptr;
        if (list == nullptr)
            return names;
        for (int item = -1;
             (item = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) >= 0;) {
            wchar_t text[MAX_PATH] = {};
            LVITEMW column = {};
            column.pszText = text;
            column.cchTextMax = MAX_PATH;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&column));
            names.push_back(text);
        }
        return names;
    }
    HWND list = GetDlgItem(dialog, lst1);
    const int count = list != nullptr ? static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
    for (int item = 0; item < count; ++item) {
        if (SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(item), 0) <= 0)
            continue;
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(item), 0);
        if (length <= 0)
            continue;
        WideString text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&text[0]))));
        names.push_back(text);
    }
    return names;
}
}  // namespace

WideString TOpenDialog::GetFolderPathW() const
{
    if (FHandle == nullptr)
        return WideString();
    return FExplorer ? ExplorerFolder(DialogWindow()) : CurrentFolder();
}

WideString TOpenDialog::GetFilePathW() const
{
    if (FHandle == nullptr)
        return WideString();
    HWND dialog = DialogWindow();
    const std::vector<WideString> typed = TypedNames(WindowTextW(NameBox(dialog)));
    if (typed.empty() || typed.front().empty())
        return WideString();
    // A name the folder holds as it is needs no look at the folder's other entries.
    const WideString folder = GetFolderPathW();
    const WideString full = FullName(folder, typed.front());
    if (full.empty() || GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES)
        return full;
    return ShownPath(folder, typed.front(), RealFileSystem());
}

std::vector<WideString> TOpenDialog::ChosenWideNames() const
{
    TChosenNamesInput input;
    input.Returned = FFiles;
    input.DefaultExt = AnsiToWide(BareExtension(FDefaultExt));
    input.FollowLinks = FExplorer && !FOptions.Contains(ofNoDereferenceLinks);
    input.SpaceSeparated = !FExplorer && FOptions.Contains(ofAllowMultiSelect);
    // Once the dialog has closed only the names handed over are left to go by.
    if (FHandle != nullptr) {
        const HWND dialog = DialogWindow();
        input.BoxText = WindowTextW(NameBox(dialog));
        input.Folder = GetFolderPathW();
        input.Selected = SelectedNames(dialog, FExplorer);
    }
    return MatchChosenNames(input, RealFileSystem());
}

void TOpenDialog::SettleNames()
{
    // A name the code page cannot hold (taken only with UnicodeNames) leaves an empty ANSI name,
    // never its look-alike; a name the old look still holds as typed becomes its full path.
    FFilesW = FChosenW;
    FFilesW.resize(FFiles.size());
    for (size_t i = 0; i < FFiles.size(); ++i) {
        if (FFilesW[i].empty() || !HasExactAnsiForm(FFilesW[i]))
            FFiles[i].clear();
        else if (!IsFullPath(AnsiToWide(FFiles[i])))
            FFiles[i] = WideToAnsi(FFilesW[i]);
    }
    FFileName = FFiles.empty() ? AnsiString() : FFiles.front();
    FFileNameW = FFilesW.empty() ? WideString() : FFilesW.front();
}

void TOpenDialog::ShowWideFileName()
{
    if (FFileNameW.empty() || HasExactAnsiForm(FFileNameW))
        return;
    SetWindowTextW(NameBox(DialogWindow()), FFileNameW.c_str());
}

TOpenDialog::TFileOk TOpenDialog::CheckChosenNames()
{
    // The platform hands the names over in the code page with best fit: "café.txt" would come
    // back as "cafe.txt", another file. A name whose Unicode form cannot be told, or (unless the
    // caller takes Unicode names) has no exact form, is refused here instead.
    FChosenW = ChosenWideNames();
    for (size_t i = 0; i < FChosenW.size(); ++i) {
        const WideString& path = FChosenW[i];
        if (!path.empty() && (FUnicodeNames || HasExactAnsiForm(path)))
            continue;
        HWND dialog = DialogWindow();
        const WideString text = (path.empty() ? AnsiToWide(FFiles[i]) : path) +
                                LibraryTextW("\nこのファイル名には、このプログラムで扱えない文字が含まれています。\n"
                                           "別の名前を指定してください。");
        // The box's loop may free the component (directly, or with its owner): its run says so,
        // and the dialog, left open by the refusal, is cancelled now.
        TDialogRun* run = FRun;
        FShowingRefusal = true;
        MessageBoxW(dialog, text.c_str(), WindowTextW(dialog).c_str(), MB_OK | MB_ICONWARNING);
        if (run == nullptr || run->Component == nullptr) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            return TFileOk::Gone;
        }
        FShowingRefusal = false;
        return TFileOk::Refused;
    }
    return TFileOk::Accepted;
}

bool TOpenDialog::ReadFileNames(const OPENFILENAMEA& ofn)
{
    const size_t size = ofn.nMaxFile;
    const AnsiString text(ofn.lpstrFile, size);
    const size_t offset = ofn.nFileOffset;
    FFiles.clear();
    FFileName.clear();
    // One name: the buffer holds its full path. Several: the folder, then each name, ended by
    // zeros (Explorer look) or by spaces (old look). A buffer without its terminator was cut.
    const bool several = offset > 0 && offset < size &&
                         (text[offset - 1] == '\0' ||
                          (!FExplorer && (ofn.Flags & OFN_ALLOWMULTISELECT) != 0 && text[offset - 1] == ' '));
    if (!several) {
        const size_t length = text.find('\0');
        if (length == AnsiString::npos)
            return false;
        FFiles.push_back(text.substr(0, length));
    } else {
        const char separator = text[offset - 1];
        std::vector<AnsiString> parts;
        bool ended = false;
        size_t start = 0;
        // By character: a second byte is never a zero or a space, but the rule holds everywhere.
        for (size_t i = 0; i < size && !ended;) {
            if (text[i] != '\0' && text[i] != separator) {
                i += CharLength(text, i);
                continue;
            }
            ended = text[i] == '\0' && (i == start || separator != '\0');
            if (i > start)
                parts.push_back(text.substr(start, i - start));
            start = ++i;
        }
        if (!ended)
            return false;
        AnsiString folder = parts.empty() ? AnsiString() : parts.front();
        // The folder's own last byte may be the second byte of a character ("表" is 0x95 0x5C).
        if (!folder.empty() && (folder.back() != '\\' || IsTrailByte(folder, folder.size() - 1)))
            folder += '\\';
        for (size_t i = 1; i < parts.size(); ++i)
            FFiles.push_back(folder + parts[i]);
    }
    FFileName = FFiles.empty() ? AnsiString() : FFiles.front();
    return true;
}

bool TOpenDialog::DoCanClose()
{
    bool canClose = true;
    if (OnCanClose)
        OnCanClose(this, canClose);
    return canClose;
}

void TOpenDialog::DoFolderChange()
{
    if (OnFolderChange)
        OnFolderChange(this);
}

void TOpenDialog::DoSelectionChange()
{
    if (OnSelectionChange)
        OnSelectionChange(this);
}

void TOpenDialog::DoTypeChange()
{
    if (OnTypeChange)
        OnTypeChange(this);
}

void TOpenDialog::WndProc(TMessage& message)
{
    static const UINT fileOkMessage = RegisterWindowMessageA(FILEOKSTRINGA);
    TFileOk fileOk = TFileOk::Accepted;
    // Kept for a refusal answered after the component is gone.
    const HWND hook = FHandle;
    const bool explorer = FExplorer;
    if (message.Msg == WM_INITDIALOG) {
        // The Explorer look reports its initialisation later (CDN_INITDONE).
        if (!FExplorer) {
            PlaceDialog(FHandle);
            ShowWideFileName();
            if (FOptions.Contains(ofOldStyleDialog))
                DoShow();
        }
    } else if (message.Msg == WM_NOTIFY && FExplorer) {
        const auto* notify = reinterpret_cast<const OFNOTIFYA*>(message.LParam);
        switch (notify->hdr.code) {
        case CDN_INITDONE:
            ShowWideFileName();
            DoShow();
            break;
        case CDN_FOLDERCHANGE: DoFolderChange(); break;
        case CDN_SELCHANGE:
            // The documented moment to make room for a large multi-selection.
            GrowNames(NamesRoom());
            DoSelectionChange();
            break;
        case CDN_TYPECHANGE:
            if (FRecord != nullptr)
                FFilterIndex = static_cast<int>(FRecord->nFilterIndex);
            DoTypeChange();
            break;
        case CDN_FILEOK: fileOk = FileOk(); break;
        default: break;
        }
    } else if (message.Msg == fileOkMessage && !FExplorer) {
        fileOk = FileOk();
    } else if (message.Msg == WM_DESTROY) {
        DoClose();
    }
    // Freed while the refusal was shown: nothing of the component may be touched any more. The
    // OK is still refused (the Explorer look reads the answer from the hook window), so the
    // platform writes no names before the cancel arrives.
    if (fileOk == TFileOk::Gone) {
        if (explorer && message.Msg == WM_NOTIFY && IsWindow(hook))
            SetWindowLongPtrA(hook, DWLP_MSGRESULT, TRUE);
        message.Result = TRUE;
        return;
    }
    TCommonDialog::WndProc(message);
    if (fileOk == TFileOk::Refused)
        message.Result = TRUE;
    // The Explorer look reads every answer to a notification from the hook window's message
    // result (a refused name among them); the hook's own return only says it answered.
    if (message.Msg == WM_NOTIFY && FExplorer && FHandle != nullptr) {
        SetWindowLongPtrA(FHandle, DWLP_MSGRESULT, message.Result);
        message.Result = message.Result != 0 ? TRUE : FALSE;
    }
}

void TOpenDialog::DefaultHandler(TMessage& message)
{
    TCommonDialog::DefaultHandler(message);
    if (message.Msg == WM_INITDIALOG) {
        message.Result = TRUE;
    } else if (message.Msg == WM_NOTIFY && FExplorer &&
               reinterpret_cast<const NMHDR*>(message.LParam)->code == CDN_INITDONE) {
        PlaceDialog(GetParent(FHandle));
    }
}
