#include "framework/FileNames.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <map>
#include <memory>

bool IsRooted(const WideString& name)
{
    return (name.size() >= 2 && name[1] == L':') || (!name.empty() && name[0] == L'\\');
}

WideString FullName(const WideString& folder, const WideString& name)
{
    const bool ownPlace = IsRooted(name) || (!name.empty() && name[0] == L'/');
    if (name.empty() || (!ownPlace && folder.empty()))
        return WideString();
    WideString path = ownPlace ? name : folder + (folder.back() == L'\\' ? L"" : L"\\") + name;
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return WideString();
    WideString full(length, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), length, &full[0], nullptr));
    return full;
}

AnsiString BareExtension(const AnsiString& ext)
{
    const size_t start = ext.find_first_not_of('.');
    return start == AnsiString::npos ? AnsiString() : ext.substr(start);
}

bool AnsiPathForm(const WideString& path, AnsiString& form)
{
    bool exact = false;
    AnsiString converted = WideToAnsi(path, &exact);
    if (exact) {
        form = converted;
        return true;
    }
    DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0)
        return false;
    WideString shortForm(length, L'\0');
    length = GetShortPathNameW(path.c_str(), &shortForm[0], length);
    if (length == 0 || length >= shortForm.size())
        return false;
    shortForm.resize(length);
    converted = WideToAnsi(shortForm, &exact);
    if (!exact)
        return false;
    form = converted;
    return true;
}

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

WideString BestFitForm(const WideString& wide, unsigned codePage)
{
    if (wide.empty())
        return WideString();
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    AnsiString bestFit(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, &bestFit[0], length, nullptr, nullptr);
    return AnsiToWide(bestFit, codePage);
}

TFileSystemView RealFileSystem()
{
    TFileSystemView view;
    view.List = [](const WideString& folder) {
        std::vector<TFolderEntry> entries;
        WIN32_FIND_DATAW found;
        const WideString pattern = folder + (!folder.empty() && folder.back() == L'\\' ? L"*" : L"\\*");
        HANDLE find = FindFirstFileW(pattern.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return entries;
        do {
            const WideString name = found.cFileName;
            if (name != L"." && name != L"..")
                entries.push_back({name, found.cAlternateFileName});
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return entries;
    };
    view.Target = LinkTarget;
    return view;
}

namespace {
// Names compared as the file system compares them: letter case aside.
WideString Key(WideString name)
{
    if (!name.empty())
        CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

bool SameName(const WideString& a, const WideString& b)
{
    return a.size() == b.size() && Key(a) == Key(b);
}

// A name as a list with its extension hidden shows it ("report.txt" as "report", "x.lnk" as "x").
WideString WithoutExtension(const WideString& name)
{
    const size_t dot = name.rfind(L'.');
    return dot == WideString::npos || dot == 0 ? name : name.substr(0, dot);
}

// The pieces of `text` from `start` on between the `separator`s, empty ones left out.
void AppendPieces(const WideString& text, size_t start, wchar_t separator, std::vector<WideString>& pieces)
{
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == WideString::npos)
            end = text.size();
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// A full path as its root ("C:\", "\\server\share\") and its names; empty when it has no root.
std::vector<WideString> PathParts(const WideString& path)
{
    std::vector<WideString> parts;
    size_t start;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        start = 3;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        const size_t server = path.find(L'\\', 2);
        const size_t share = server == WideString::npos ? server : path.find(L'\\', server + 1);
        if (share == WideString::npos)
            return parts;
        start = share + 1;
    } else {
        return parts;
    }
    parts.push_back(path.substr(0, start));
    AppendPieces(path, start, L'\\', parts);
    return parts;
}

WideString JoinParts(const std::vector<WideString>& parts)
{
    WideString path;
    for (size_t i = 0; i < parts.size(); ++i)
        path += parts[i] + (i == 0 || i + 1 == parts.size() ? L"" : L"\\");
    return path;
}

// A folder's entries, read once for every name matched, by the key of their code-page form.
struct TListing {
    std::vector<TFolderEntry> Entries;
    std::multimap<WideString, size_t> ByForm;
    // The shortcuts, by their names with and without ".lnk".
    std::multimap<WideString, size_t> Links;
};

class TMatcher {
public:
    TMatcher(const TChosenNamesInput& input, const TFileSystemView& fileSystem) : FInput(input), FFiles(fileSystem) {}

    // The hints of each typed (or shown) name: the full paths it may stand for.
    std::vector<std::vector<std::vector<WideString>>> TypedHints(const std::vector<WideString>& names)
    {
        std::vector<std::vector<std::vector<WideString>>> hints;
        for (const WideString& name : names) {
            hints.emplace_back();
            const WideString full = FullName(FInput.Folder, name);
            std::vector<WideString> parts = PathParts(full);
            if (parts.empty())
                continue;
            hints.back().push_back(parts);
            if (!FInput.DefaultExt.empty())
                hints.back().push_back(PathParts(full + L"." + FInput.DefaultExt));
            // A shortcut shows with or without ".lnk"; where the platform follows it, the name
            // comes back as its target.
            if (!FInput.FollowLinks || !FFiles.Target || parts.size() < 2)
                continue;
            const WideString shownName = parts.back();
            parts.pop_back();
            const TListing& listing = List(JoinParts(parts));
            const auto links = listing.Links.equal_range(Key(shownName));
            for (auto it = links.first; it != links.second; ++it) {
                parts.push_back(listing.Entries[it->second].Name);
                const WideString target = FFiles.Target(JoinParts(parts));
                parts.pop_back();
                if (!target.empty())
                    hints.back().push_back(PathParts(target));
            }
        }
        return hints;
    }

    // The Unicode path `returned` came from; empty when nothing tells.
    WideString Match(const AnsiString& returned, const std::vector<std::vector<WideString>>& hints,
                     const std::vector<std::vector<WideString>>& shown)
    {
        const std::vector<WideString> parts = PathParts(FullName(FInput.Folder, AnsiToWide(returned, FInput.CodePage)));
        if (parts.empty())
            return WideString();
        std::vector<WideString> chosen;
        for (size_t depth = 0; depth < parts.size(); ++depth) {
            const WideString& part = parts[depth];
            WideString found;
            if (depth == 0) {
                // A root the code page holds is itself; another comes from the hints.
                found = HasExactAnsiForm(part, FInput.CodePage) ? part : FromHints(hints, chosen, part);
            } else {
                const TListing& listing = List(JoinParts(chosen));
                std::vector<const TFolderEntry*> matches;
                const auto range = listing.ByForm.equal_range(Key(part));
                for (auto it = range.first; it != range.second; ++it)
                    matches.push_back(&listing.Entries[it->second]);
                if (matches.size() == 1 && !TypedOtherwise(hints, chosen, part, *matches.front()))
                    found = matches.front()->Name;
                else if (matches.size() <= 1)
                    // A new name (perhaps a look-alike of the one entry), or a folder that cannot
                    // be read: what was typed decides.
                    found = FromHints(hints, chosen, part);
                else
                    found = Decide(matches, hints, chosen);
                if (found.empty() && matches.size() > 1)
                    found = Decide(matches, shown, chosen);
            }
            if (found.empty())
                return WideString();
            chosen.push_back(found);
        }
        return JoinParts(chosen);
    }

private:
    const TListing& List(const WideString& folder)
    {
        const WideString key = Key(folder);
        auto it = FListings.find(key);
        if (it != FListings.end())
            return *it->second;
        auto listing = std::make_unique<TListing>();
        if (FFiles.List) {
            WideString path = folder;
            if (!path.empty() && path.back() == L'\\')
                path.pop_back();
            listing->Entries = FFiles.List(path);
        }
        for (size_t i = 0; i < listing->Entries.size(); ++i) {
            const TFolderEntry& entry = listing->Entries[i];
            const WideString form = Key(BestFitForm(entry.Name, FInput.CodePage));
            listing->ByForm.emplace(form, i);
            if (!entry.ShortName.empty() && Key(entry.ShortName) != form)
                listing->ByForm.emplace(Key(entry.ShortName), i);
            const WideString name = Key(entry.Name);
            if (name.size() > 4 && name.compare(name.size() - 4, 4, L".LNK") == 0) {
                listing->Links.emplace(name, i);
                listing->Links.emplace(Key(WithoutExtension(entry.Name)), i);
            }
        }
        return *FListings.emplace(key, std::move(listing)).first->second;
    }

    // The name at `chosen`'s depth of the hints that lie under `chosen`.
    template <class TVisit>
    static void HintedNames(const std::vector<std::vector<WideString>>& hints, const std::vector<WideString>& chosen,
                            TVisit visit)
    {
        for (const std::vector<WideString>& hint : hints) {
            if (hint.size() <= chosen.size())
                continue;
            bool under = true;
            for (size_t i = 0; i < chosen.size() && under; ++i)
                under = SameName(hint[i], chosen[i]);
            if (under)
                visit(hint[chosen.size()]);
        }
    }

    // A name no entry holds: the one hint whose code-page form `part` is; empty when none or two.
    WideString FromHints(const std::vector<std::vector<WideString>>& hints, const std::vector<WideString>& chosen,
                         const WideString& part) const
    {
        WideString found;
        bool twice = false;
        HintedNames(hints, chosen, [&](const WideString& name) {
            if (!SameName(BestFitForm(name, FInput.CodePage), part))
                return;
            twice = twice || (!found.empty() && !SameName(found, name));
            found = name;
        });
        return twice ? WideString() : found;
    }

    // Whether a name typed at `chosen`'s depth has `part` for its code-page form but is not
    // `entry`: a new name whose form happens to be an existing entry's ("café.txt" beside
    // "cafe.txt").
    bool TypedOtherwise(const std::vector<std::vector<WideString>>& hints, const std::vector<WideString>& chosen,
                        const WideString& part, const TFolderEntry& entry) const
    {
        bool other = false;
        HintedNames(hints, chosen, [&](const WideString& name) {
            other = other || (SameName(BestFitForm(name, FInput.CodePage), part) && !SameName(name, entry.Name) &&
                              (entry.ShortName.empty() || !SameName(name, entry.ShortName)));
        });
        return other;
    }

    // Of entries that share a code-page form, the one the hints name: by its name or short name,
    // else as a list with extensions hidden shows it. Empty when none or several.
    static WideString Decide(const std::vector<const TFolderEntry*>& matches, const std::vector<std::vector<WideString>>& hints,
                             const std::vector<WideString>& chosen)
    {
        for (bool display : {false, true}) {
            const TFolderEntry* found = nullptr;
            bool several = false;
            for (const TFolderEntry* entry : matches) {
                bool named = false;
                HintedNames(hints, chosen, [&](const WideString& name) {
                    named = named || (display ? SameName(WithoutExtension(entry->Name), name)
                                              : SameName(entry->Name, name) ||
                                                    (!entry->ShortName.empty() && SameName(entry->ShortName, name)));
                });
                if (named) {
                    several = several || found != nullptr;
                    found = entry;
                }
            }
            if (several)
                return WideString();
            if (found != nullptr)
                return found->Name;
        }
        return WideString();
    }

    const TChosenNamesInput& FInput;
    const TFileSystemView& FFiles;
    std::map<WideString, std::unique_ptr<TListing>> FListings;
};

}  // namespace

std::vector<WideString> MatchChosenNames(const TChosenNamesInput& input, const TFileSystemView& fileSystem)
{
    TMatcher matcher(input, fileSystem);
    // The old look's multi-selection lists its names separated by spaces.
    std::vector<WideString> typed;
    if (input.SpaceSeparated && input.BoxText.find(L'"') == WideString::npos)
        AppendPieces(input.BoxText, 0, L' ', typed);
    else
        typed = TypedNames(input.BoxText);
    const auto typedHints = matcher.TypedHints(typed);
    // The folder shown is where the names are unless they say otherwise.
    const std::vector<WideString> folder = PathParts(input.Folder);
    std::vector<std::vector<WideString>> shown;
    for (const auto& hints : matcher.TypedHints(input.Selected))
        shown.insert(shown.end(), hints.begin(), hints.end());
    if (!folder.empty())
        shown.push_back(folder);
    // Several names come back in the order they were typed; otherwise any typed name may be one.
    const bool inPlace = typedHints.size() == input.Returned.size();
    std::vector<std::vector<WideString>> all;
    if (!inPlace) {
        for (const auto& hints : typedHints)
            all.insert(all.end(), hints.begin(), hints.end());
        if (!folder.empty())
            all.push_back(folder);
    }
    std::vector<WideString> names;
    for (size_t i = 0; i < input.Returned.size(); ++i) {
        if (!inPlace) {
            names.push_back(matcher.Match(input.Returned[i], all, shown));
            continue;
        }
        std::vector<std::vector<WideString>> own = typedHints[i];
        if (!folder.empty())
            own.push_back(folder);
        names.push_back(matcher.Match(input.Returned[i], own, shown));
    }
    return names;
}

WideString ShownPath(const WideString& folder, const WideString& shown, const TFileSystemView& fileSystem)
{
    const WideString full = FullName(folder, shown);
    std::vector<WideString> parts = PathParts(full);
    if (parts.size() < 2 || !fileSystem.List)
        return full;
    const WideString name = parts.back();
    parts.pop_back();
    WideString found;
    int count = 0;
    for (const TFolderEntry& entry : fileSystem.List(JoinParts(parts))) {
        if (SameName(entry.Name, name))
            return full;
        if (SameName(WithoutExtension(entry.Name), name)) {
            found = entry.Name;
            ++count;
        }
    }
    if (count != 1)
        return full;
    parts.push_back(found);
    return JoinParts(parts);
}

bool IsFullPath(const WideString& path)
{
    return !PathParts(path).empty();
}
