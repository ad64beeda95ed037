#include "framework/FileDialog.h"

#include "framework/Application.h"
#include "framework/Controls.h"

#include <cderr.h>
#include <dlgs.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

bool NewStyleControls = LOBYTE(LOWORD(GetVersion())) > 3;

DWORD OpenOptionFlags(TOpenOptions options)
{
    static const DWORD flags[] = {
        OFN_READONLY,         OFN_OVERWRITEPROMPT,   OFN_HIDEREADONLY,   OFN_NOCHANGEDIR,
        OFN_SHOWHELP,         OFN_NOVALIDATE,        OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT,
        OFN_PATHMUSTEXIST,    OFN_FILEMUSTEXIST,     OFN_CREATEPROMPT,   OFN_SHAREAWARE,
        OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE,  OFN_NONETWORKBUTTON, OFN_NOLONGNAMES,
        0,                    OFN_NODEREFERENCELINKS, OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING,
    };
    static_assert(sizeof(flags) / sizeof(flags[0]) == ofEnableSizing + 1, "one flag per option");
    DWORD result = 0;
    for (int option = ofReadOnly; option <= ofEnableSizing; ++option) {
        if (options.Contains(static_cast<TOpenOption>(option)))
            result |= flags[option];
    }
    return result;
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

bool TOpenDialog::Execute()
{
    return DoExecute(GetOpenFileNameA) != 0;
}

bool TSaveDialog::Execute()
{
    return DoExecute(GetSaveFileNameA) != 0;
}

namespace {
// The longest path the platform's file dialogs take, in characters without the terminator.
const size_t LongestPath = MAX_PATH - 1;

// The length in UTF-16 units of `text` once its environment variables are expanded, as the
// platform does with the initial folder.
size_t ExpandedLength(const AnsiString& text)
{
    const WideString wide = AnsiToWide(text);
    const DWORD length = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    return length > 0 ? length - 1 : wide.size();
}

// The folder a dialog opens in: the initial folder, else the current one (UTF-16 units).
size_t StartFolderLength(const AnsiString& initialDir)
{
    if (!initialDir.empty())
        return ExpandedLength(initialDir);
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    return length > 0 ? length - 1 : 0;
}

// Whether `name` names its place on its own ("C:...", "\...") rather than inside a folder.
bool IsRooted(const WideString& name)
{
    return (name.size() >= 2 && name[1] == L':') || (!name.empty() && name[0] == L'\\');
}

// `ext` without the periods it starts with: the platform puts one between name and extension.
AnsiString BareExtension(const AnsiString& ext)
{
    const size_t start = ext.find_first_not_of('.');
    return start == AnsiString::npos ? AnsiString() : ext.substr(start);
}

[[noreturn]] void RaiseTooLong(const char* property, size_t length)
{
    throw Exception(Format("The file dialog cannot take this %s: it makes a path of %u characters, and a path "
                           "has at most %u",
                           property, static_cast<unsigned>(length), static_cast<unsigned>(LongestPath)));
}

// The folder the ANSI dialog can be started in for `folder`: its exact form, else its short
// form where the file system has one the code page holds; empty when neither.
AnsiString StartFolder(const WideString& folder)
{
    if (HasExactAnsiForm(folder))
        return WideToAnsi(folder);
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(folder.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !HasExactAnsiForm(shortPath))
        return AnsiString();
    return WideToAnsi(shortPath);
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
    const size_t folder = StartFolderLength(FInitialDir);
    if (!FInitialDir.empty() && folder > LongestPath)
        RaiseTooLong("InitialDir", folder);
    const WideString name = AnsiToWide(FFileName);
    const size_t path = IsRooted(name) ? name.size() : folder + 1 + name.size();
    if (!name.empty() && path > LongestPath)
        RaiseTooLong("FileName", path);
    // The extension goes after a name of at least one character in the starting folder.
    const size_t ext = AnsiToWide(BareExtension(FDefaultExt)).size();
    if (ext > 0 && folder + 3 + ext > LongestPath)
        RaiseTooLong("DefaultExt", folder + 3 + ext);
}

BOOL TOpenDialog::DoExecute(TFileDialogFunc function)
{
    // The open dialog still writes into the name buffer and the record.
    if (Running())
        return FALSE;
    CheckPathProperties();
    FNames.assign(FileBufferLength, '\0');
    // A start name the code page cannot hold goes into the name box in Unicode at initialisation.
    CopyToBuffer(FNames.data(), FNames.size(), FFileName);
    const AnsiString initialDir = FInitialDir.empty() && !FInitialDirW.empty() ? StartFolder(FInitialDirW) : FInitialDir;
    std::string filter = FileDialogFilter(FFilter);
    const AnsiString defaultExt = BareExtension(FDefaultExt);

    OPENFILENAMEA ofn = {};
    // The size before the places bar: the Explorer look then has a plain edit for the name.
    ofn.lStructSize = static_cast<DWORD>(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(ofn.lpTemplateName));
    const HWND active = GetActiveWindow();
    ofn.hwndOwner = active != nullptr ? active : Application->GetHandle();
    ofn.lpstrFilter = FFilter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FFilterIndex);
    ofn.lpstrFile = FNames.data();
    ofn.nMaxFile = static_cast<DWORD>(FNames.size());
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
    FRunning = &ofn;
    BOOL result;
    DWORD error;
    TModalRun run(this, FRun);
    {
        TModalWindowsScope modal;
        TDialogHookScope scope(this);
        result = function(&ofn);
        error = result == 0 ? CommDlgExtendedError() : 0;
    }
    // Freed during the run: the dialog was cancelled, and nothing of the component is left.
    if (run.Component == nullptr)
        return FALSE;
    FRunning = nullptr;
    FHandle = nullptr;

    FFilterIndex = static_cast<int>(ofn.nFilterIndex);
    const bool whole = result != 0 && ReadFileNames(ofn);
    const size_t bufferSize = FNames.size();
    std::vector<char>().swap(FNames);
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
        // The Unicode names checked at the confirmation; a name the code page cannot hold (taken
        // only with UnicodeNames) leaves an empty ANSI name, never its look-alike.
        FFilesW = FChosenW.size() == FFiles.size() ? FChosenW : std::vector<WideString>(FFiles.size());
        for (size_t i = 0; i < FFiles.size(); ++i) {
            if (!HasExactAnsiForm(FFilesW[i]))
                FFiles[i].clear();
        }
        FFileName = FFiles.empty() ? AnsiString() : FFiles.front();
        FFileNameW = FFilesW.empty() ? WideString() : FFilesW.front();
    }
    FChosenW.clear();
    // A selection the buffer could not hold is a failure, never a Cancel or a cut name.
    if ((result != 0 && !whole) || error == FNERR_BUFFERTOOSMALL)
        RaiseNamesCut(bufferSize);
    return result;
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
    // The names come back as the folder, then each name (shorter than the typed list with its
    // quotes), perhaps with the default extension.
    const size_t ext = BareExtension(FDefaultExt).size() + 1;
    return AnsiRoom(static_cast<size_t>(typed) + static_cast<size_t>(folder) + ext) + 2;
}

bool TOpenDialog::GrowNames(size_t size)
{
    if (FRunning == nullptr || size <= FNames.size() || size > MAXDWORD)
        return false;
    FNames.assign(size, '\0');
    FRunning->lpstrFile = FNames.data();
    FRunning->nMaxFile = static_cast<DWORD>(FNames.size());
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
    FRunning = nullptr;
}

TOpenDialog::TFileOk TOpenDialog::FileOk()
{
    if (FRunning != nullptr && !ReadFileNames(*FRunning)) {
        // The names did not fit: the platform is asked for them again, into a buffer that holds
        // them. Where it cannot grow the dialog closes, and Execute reports the failure.
        HWND dialog = FExplorer ? GetParent(FHandle) : nullptr;
        if (dialog != nullptr && GrowNames(NamesRoom())) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
            return TFileOk::Refused;
        }
        return TFileOk::Accepted;
    }
    const TFileOk names = CheckChosenNames();
    if (names != TFileOk::Accepted)
        return names;
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

// The names of a name box's text: each quoted one, or the whole text.
std::vector<WideString> TypedNames(const WideString& text)
{
    std::vector<WideString> names;
    if (text.find(L'"') == WideString::npos) {
        names.push_back(text);
        return names;
    }
    for (size_t open = text.find(L'"'); open != WideString::npos;) {
        const size_t close = text.find(L'"', open + 1);
        names.push_back(text.substr(open + 1, close == WideString::npos ? WideString::npos : close - open - 1));
        open = close == WideString::npos ? close : text.find(L'"', close + 1);
    }
    return names;
}

// The full path of a name typed in `folder` (empty: a folder with no file-system path), as the
// platform makes it: a name with a drive ("C:a.txt" is in that drive's current folder) or from
// the root is resolved on its own; any other needs the folder. Empty when it cannot be made.
WideString FullName(const WideString& folder, const WideString& name)
{
    const bool ownPlace = IsRooted(name) || (!name.empty() && name[0] == L'/');
    if (!ownPlace && folder.empty())
        return WideString();
    WideString path = ownPlace ? name : folder + (folder.back() == L'\\' ? L"" : L"\\") + name;
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return WideString();
    WideString full(length, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), length, &full[0], nullptr));
    return full;
}

// The target of the shortcut `link`, read in Unicode; empty for anything else.
WideString LinkTarget(const WideString& link)
{
    const HRESULT com = CoInitialize(nullptr);
    WideString target;
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
                shellLink->GetPath(path, MAX_PATH, nullptr, 0) == S_OK)
                target = path;
            file->Release();
        }
        shellLink->Release();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return target;
}

bool EndsWithNoCase(const WideString& text, const WideString& end)
{
    return text.size() >= end.size() && lstrcmpiW(text.c_str() + (text.size() - end.size()), end.c_str()) == 0;
}

// Whether `ansi`, a name the dialog handed over, is the platform's code-page form of `wide` (with
// its best fit, as the ANSI dialogs make it), letter case aside. Before the old look closes it
// holds the name as typed, without the folder: then it is the end of that form.
bool HandsOverAs(const WideString& wide, const AnsiString& ansi)
{
    if (wide.empty() || ansi.empty())
        return false;
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    AnsiString bestFit(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, &bestFit[0], length, nullptr, nullptr);
    const WideString form = AnsiToWide(bestFit);
    const WideString name = AnsiToWide(ansi);
    if (lstrcmpiW(form.c_str(), name.c_str()) == 0)
        return true;
    return form.size() > name.size() && form[form.size() - name.size() - 1] == L'\\' &&
           lstrcmpiW(form.c_str() + (form.size() - name.size()), name.c_str()) == 0;
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
    return FullName(GetFolderPathW(), typed.front());
}

std::vector<WideString> TOpenDialog::ChosenWideNames() const
{
    HWND nameBox = NameBox(DialogWindow());
    const WideString folder = GetFolderPathW();
    // What each typed name may come back as: itself, with the default extension, or, where the
    // platform follows shortcuts, the shortcut's target.
    std::vector<std::vector<WideString>> candidates;
    const WideString ext = L"." + AnsiToWide(BareExtension(FDefaultExt));
    const bool followLinks = FExplorer && !FOptions.Contains(ofNoDereferenceLinks);
    for (const WideString& name : TypedNames(WindowTextW(nameBox))) {
        const WideString full = FullName(folder, name);
        candidates.emplace_back();
        if (full.empty())
            continue;
        candidates.back().push_back(full);
        if (ext.size() > 1)
            candidates.back().push_back(full + ext);
        if (followLinks && EndsWithNoCase(full, L".lnk"))
            candidates.back().push_back(LinkTarget(full));
    }
    // Each name handed over is matched with the Unicode name it came from: the one typed in the
    // same place ("cafe.txt" comes from "café.txt" as well as from "cafe.txt"), or, where the
    // platform lists them otherwise, the first that fits.
    const bool inPlace = candidates.size() == FFiles.size();
    std::vector<WideString> names;
    for (size_t i = 0; i < FFiles.size(); ++i) {
        auto fits = [&](const WideString& candidate) { return HandsOverAs(candidate, FFiles[i]); };
        WideString found;
        for (size_t j = inPlace ? i : 0; j < (inPlace ? i + 1 : candidates.size()) && found.empty(); ++j) {
            auto match = std::find_if(candidates[j].begin(), candidates[j].end(), fits);
            if (match != candidates[j].end())
                found = *match;
        }
        names.push_back(found);
    }
    return names;
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
                                AnsiToWide("\nこのファイル名には、このプログラムで扱えない文字が含まれています。\n"
                                           "別の名前を指定してください。");
        // The box's loop may free the component (directly, or with its owner): its run says so,
        // and the dialog, left open by the refusal, is cancelled now.
        TModalRun* run = FRun;
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
            if (FRunning != nullptr)
                FFilterIndex = static_cast<int>(FRunning->nFilterIndex);
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
    // Freed while the refusal was shown: nothing of the component may be touched any more.
    if (fileOk == TFileOk::Gone) {
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
