// File names between the ANSI code page and Unicode: the path helpers of the file dialogs and the
// matching that tells, for each name an ANSI file dialog hands over, the Unicode name the user chose.
#pragma once

#include "framework/SysUtils.h"

#include <functional>
#include <vector>

// Whether `name` names its place on its own ("C:...", "\...") rather than inside a folder.
bool IsRooted(const WideString& name);

// Whether `path` is a full path: from a drive's root ("C:\...") or a share ("\\server\share\...").
bool IsFullPath(const WideString& path);

// The full path of `name` typed in `folder` (empty: a folder with no file-system path), as the
// platform makes it: a name with a drive ("C:a.txt" is in that drive's current folder) or from the
// root is resolved on its own; any other needs the folder. Empty when it cannot be made.
WideString FullName(const WideString& folder, const WideString& name);

// `ext` without the periods it starts with: the platform puts one between name and extension.
AnsiString BareExtension(const AnsiString& ext);

// The form of `path` the ANSI calls can take: its exact form, else its short form where the file
// system has one the code page holds. False, with `form` untouched, when neither.
bool AnsiPathForm(const WideString& path, AnsiString& form);

// The target of the shortcut `link`, read in Unicode; empty for anything else.
WideString LinkTarget(const WideString& link);

// The names of a name box's text: each quoted one, or the whole text.
std::vector<WideString> TypedNames(const WideString& text);

// `wide` as the platform's ANSI calls hand it over: in `codePage` with its best fit ("café" gives
// "cafe"), read back in Unicode.
WideString BestFitForm(const WideString& wide, unsigned codePage = 0);

// One entry of a folder: its name and, where the file system keeps one, its short (8.3) name.
struct TFolderEntry {
    WideString Name;
    WideString ShortName;
};

// What the matching reads of the file system. Tests give it folders of their own.
struct TFileSystemView {
    // The entries of a folder (a full path without the final "\"); empty when it cannot be read.
    std::function<std::vector<TFolderEntry>(const WideString& folder)> List;
    // The target of a shortcut; empty for anything else.
    std::function<WideString(const WideString& link)> Target;
};
// The file system itself.
TFileSystemView RealFileSystem();

// The full path of `shown`, a name as a file dialog's name box shows it in `folder`: the entry of
// that name, else the one entry a list with extensions hidden shows so, else the name as typed.
WideString ShownPath(const WideString& folder, const WideString& shown, const TFileSystemView& fileSystem);

// What a file dialog knows when the user confirms: the names it hands over, and what the user saw.
struct TChosenNamesInput {
    // The names the platform hands over in the code page: full paths, or (the old look, before it
    // closes) as typed.
    std::vector<AnsiString> Returned;
    // The name box's text in Unicode: file names (Wine), display names (Windows: extensions of
    // known types and of shortcuts hidden, several names quoted), or the old look's space-separated
    // multi-selection.
    WideString BoxText;
    // The folder the dialog shows, in Unicode; empty for a folder with no file-system path.
    WideString Folder;
    // The names of the items selected in the dialog's file list, as it shows them.
    std::vector<WideString> Selected;
    // The default extension without its period; empty for none.
    WideString DefaultExt;
    // The platform hands over a shortcut's target rather than the shortcut.
    bool FollowLinks = false;
    // The box lists several names unquoted, separated by spaces (the old look's multi-selection).
    bool SpaceSeparated = false;
    // The code page the names are handed over in (0: the process's).
    unsigned CodePage = 0;
};

// For each name handed over, the Unicode path the user chose: every part of it is found in its
// folder by its code-page form; where several entries share that form (café.txt beside cafe.txt)
// or none exists yet (a new name), what the user typed or picked decides. Empty where nothing
// decides: such a name must not be taken.
std::vector<WideString> MatchChosenNames(const TChosenNamesInput& input, const TFileSystemView& fileSystem);
