// Which Unicode name each name an ANSI file dialog hands over stands for, with the name box as
// Windows fills it (display names: extensions of known types and of shortcuts hidden, several names
// quoted, the old look's names separated by spaces) and as Wine fills it (file names).
#include "framework/FileNames.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {
// C:\d holds look-alikes in the code page (cafe and café), a name with a short form, a name
// that is another's with an extension and names with more than one dot (a shortcut among them);
// C:\e is where the shortcuts point.
TFileSystemView Tree()
{
    static const std::map<WideString, std::vector<TFolderEntry>> folders = {
        {L"C:", {{L"d", L""}, {L"e", L""}, {L"f", L""}}},
        {L"C:\\d",
         {{L"report.txt", L""}, {L"other.txt", L""}, {L"shortcut.lnk", L""}, {L"my report.txt", L"MYREPO~1.TXT"},
          {L"b.txt", L""}, {L"abc", L""}, {L"abc.txt", L""}, {L"cafe.txt", L""}, {L"caf\u00e9.txt", L""},
          {L"cafe", L""}, {L"caf\u00e9", L""}, {L"report.v2.txt", L""}, {L"x.y.lnk", L""}, {L"cafe.v2.txt", L""},
          {L"caf\u00e9.v2.txt", L""}}},
        {L"C:\\d\\cafe", {{L"x.txt", L""}}},
        {L"C:\\d\\caf\u00e9", {{L"x.txt", L""}}},
        {L"C:\\e", {{L"cafe.txt", L""}, {L"caf\u00e9.txt", L""}}},
        {L"C:\\f", {{L"cafe.txt", L""}}},
    };
    TFileSystemView view;
    view.List = [](const WideString& folder) {
        const auto found = folders.find(folder);
        return found == folders.end() ? std::vector<TFolderEntry>() : found->second;
    };
    view.Target = [](const WideString& link) {
        return link == L"C:\\d\\shortcut.lnk" || link == L"C:\\d\\x.y.lnk" ? WideString(L"C:\\e\\caf\u00e9.txt")
                                                                        : WideString();
    };
    return view;
}
}  // namespace

TEST(FileNamesTest, EachNameHandedOverIsTheOneTheUserChose)
{
    struct Case {
        const char* What;
        std::vector<AnsiString> Returned;
        const wchar_t* Box;
        std::vector<WideString> Selected;
        const wchar_t* Ext;
        bool FollowLinks, SpaceSeparated;
        std::vector<WideString> Expected;  // empty names: refused
        const wchar_t* Folder = L"C:\\d";  // the folder the dialog shows
    };
    const WideString cafe = L"C:\\d\\caf\u00e9.txt";
    const Case cases[] = {
        {"hidden extension", {"C:\\d\\report.txt"}, L"report", {}, L"", true, false, {L"C:\\d\\report.txt"}},
        {"file name (Wine)", {"C:\\d\\report.txt"}, L"report.txt", {}, L"", true, false, {L"C:\\d\\report.txt"}},
        {"several display names", {"C:\\d\\report.txt", "C:\\d\\other.txt"}, L"\"report\" \"other\"", {}, L"", true,
         false, {L"C:\\d\\report.txt", L"C:\\d\\other.txt"}},
        {"three, in another order", {"C:\\d\\other.txt", "C:\\d\\cafe.txt", "C:\\d\\report.txt"},
         L"\"report\" \"caf\u00e9\" \"other\"", {}, L"", true, false,
         {L"C:\\d\\other.txt", cafe, L"C:\\d\\report.txt"}},
        {"shortcut followed", {"C:\\e\\cafe.txt"}, L"shortcut", {}, L"", true, false, {L"C:\\e\\caf\u00e9.txt"}},
        {"shortcut followed (Wine)", {"C:\\e\\cafe.txt"}, L"shortcut.lnk", {}, L"", true, false,
         {L"C:\\e\\caf\u00e9.txt"}},
        {"shortcut not followed", {"C:\\d\\shortcut.lnk"}, L"shortcut", {}, L"", false, false,
         {L"C:\\d\\shortcut.lnk"}},
        {"old look, short name", {"C:\\d\\MYREPO~1.TXT", "C:\\d\\b.txt"}, L"MYREPO~1.TXT b.txt", {}, L"", false, true,
         {L"C:\\d\\my report.txt", L"C:\\d\\b.txt"}},
        {"old look, default extension", {"C:\\d\\abc.txt"}, L"abc", {}, L"txt", false, false, {L"C:\\d\\abc.txt"}},
        {"cafe with accent picked", {"C:\\d\\cafe.txt"}, L"caf\u00e9", {}, L"", true, false, {cafe}},
        {"cafe picked", {"C:\\d\\cafe.txt"}, L"cafe", {}, L"", true, false, {L"C:\\d\\cafe.txt"}},
        {"cafe with accent picked (Wine)", {"C:\\d\\cafe.txt"}, L"caf\u00e9.txt", {}, L"", true, false, {cafe}},
        {"cafe with accent selected", {"C:\\d\\cafe.txt"}, L"", {L"caf\u00e9"}, L"", true, false, {cafe}},
        {"nothing tells", {"C:\\d\\cafe.txt"}, L"other", {}, L"", true, false, {L""}},
        {"new name", {"C:\\d\\new.txt"}, L"new", {}, L"txt", true, false, {L"C:\\d\\new.txt"}},
        {"new look-alike", {"C:\\d\\naive.txt"}, L"na\u00efve", {}, L"txt", true, false, {L"C:\\d\\na\u00efve.txt"}},
        {"new look-alike of another file", {"C:\\f\\cafe.txt"}, L"caf\u00e9", {}, L"txt", true, false,
         {L"C:\\f\\caf\u00e9.txt"}, L"C:\\f"},
        {"the other file itself", {"C:\\f\\cafe.txt"}, L"cafe", {}, L"txt", true, false, {L"C:\\f\\cafe.txt"},
         L"C:\\f"},
        {"new, nothing typed", {"C:\\d\\new.txt"}, L"old", {}, L"", true, false, {L""}},
        {"in the folder shown", {"C:\\d\\cafe\\x.txt"}, L"x.txt", {}, L"", true, false, {L"C:\\d\\caf\u00e9\\x.txt"},
         L"C:\\d\\caf\u00e9"},
        {"two dots, extension hidden", {"C:\\d\\report.v2.txt"}, L"report.v2", {}, L"", true, false,
         {L"C:\\d\\report.v2.txt"}},
        {"two dots, several display names", {"C:\\d\\report.v2.txt", "C:\\d\\other.txt"},
         L"\"report.v2\" \"other\"", {}, L"txt", true, false, {L"C:\\d\\report.v2.txt", L"C:\\d\\other.txt"}},
        {"two dots, look-alike with accent", {"C:\\d\\cafe.v2.txt"}, L"caf\u00e9.v2", {}, L"", true, false,
         {L"C:\\d\\caf\u00e9.v2.txt"}},
        {"two dots, look-alike without", {"C:\\d\\cafe.v2.txt"}, L"cafe.v2", {}, L"", true, false,
         {L"C:\\d\\cafe.v2.txt"}},
        {"two dots, look-alike selected", {"C:\\d\\cafe.v2.txt"}, L"", {L"caf\u00e9.v2"}, L"", true, false,
         {L"C:\\d\\caf\u00e9.v2.txt"}},
        {"shortcut with a dot followed", {"C:\\e\\cafe.txt"}, L"x.y", {}, L"", true, false, {L"C:\\e\\caf\u00e9.txt"}},
        {"shortcut with a dot not followed", {"C:\\d\\x.y.lnk"}, L"x.y", {}, L"", false, false, {L"C:\\d\\x.y.lnk"}},
        {"typed in a subfolder", {"C:\\d\\cafe\\x.txt"}, L"caf\u00e9\\x.txt", {}, L"", true, false,
         {L"C:\\d\\caf\u00e9\\x.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TChosenNamesInput input;
        input.Returned = c.Returned;
        input.BoxText = c.Box;
        input.Selected = c.Selected;
        input.DefaultExt = c.Ext;
        input.FollowLinks = c.FollowLinks;
        input.SpaceSeparated = c.SpaceSeparated;
        input.Folder = c.Folder;
        input.CodePage = 932;
        const std::vector<WideString> names = MatchChosenNames(input, Tree());
        ASSERT_EQ(c.Expected.size(), names.size());
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(c.Expected[i], names[i]) << i;
    }
}

TEST(FileNamesTest, AShownNameIsTheEntryItShows)
{
    EXPECT_EQ(L"C:\\d\\report.txt", ShownPath(L"C:\\d", L"report", Tree()));  // not report.v2.txt
    EXPECT_EQ(L"C:\\d\\abc", ShownPath(L"C:\\d", L"abc", Tree()));  // the entry of that very name
    EXPECT_EQ(L"C:\\d\\new", ShownPath(L"C:\\d", L"new", Tree()));
    // Only the last extension is hidden.
    EXPECT_EQ(L"C:\\d\\report.v2.txt", ShownPath(L"C:\\d", L"report.v2", Tree()));
    EXPECT_EQ(L"C:\\d\\x.y.lnk", ShownPath(L"C:\\d", L"x.y", Tree()));
    EXPECT_EQ(L"C:\\d\\caf\u00e9.v2.txt", ShownPath(L"C:\\d", L"caf\u00e9.v2", Tree()));
}
