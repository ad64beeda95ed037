#include "demo/DemoArgs.h"
#include "demo/SampleText.h"

#include <gtest/gtest.h>

using namespace CustDlgs;

namespace {

std::vector<AnsiString> Split(const char* line)
{
    std::vector<AnsiString> args;
    AnsiString word;
    for (const char* p = line; ; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!word.empty())
                args.push_back(word);
            word.clear();
            if (*p == '\0')
                return args;
        } else {
            word += *p;
        }
    }
}

}  // namespace

TEST(DemoArgs, NoArgumentsOnlyShowsTheGallery)
{
    TDemoArgsResult r = ParseDemoArgs({});
    ASSERT_TRUE(r.Ok);
    EXPECT_FALSE(r.Options.OpenAtOnce);
    EXPECT_TRUE(r.Options.SubFormShown);
    EXPECT_EQ(fpBottom, r.Options.SubFormPos);
    EXPECT_EQ(AllSubFormAnchors, r.Options.Anchors);
    EXPECT_TRUE(r.Options.EnableSizing);
    EXPECT_EQ(-1, r.Options.SubFormWidth);
}

TEST(DemoArgs, GoodArgumentsSetTheirOptions)
{
    struct Case {
        const char* line;
        std::function<bool(const TDemoOptions&)> holds;
    } cases[] = {
        {"--dialog folder", [](const TDemoOptions& o) { return o.OpenAtOnce && o.Dialog == dkFolder; }},
        {"--dialog save --subform left", [](const TDemoOptions& o) { return o.Dialog == dkSave && o.SubFormPos == fpLeft; }},
        {"--subform none", [](const TDemoOptions& o) { return !o.SubFormShown; }},
        {"--subform none --subform client", [](const TDemoOptions& o) { return o.SubFormShown && o.SubFormPos == fpClient; }},
        {"--subform-size 300,0", [](const TDemoOptions& o) { return o.SubFormWidth == 300 && o.SubFormHeight == 0; }},
        {"--anchors rB", [](const TDemoOptions& o) { return o.Anchors == SubFormAnchors({faRight, faBottom}); }},
        {"--anchors LTRB", [](const TDemoOptions& o) { return o.Anchors == AllSubFormAnchors; }},
        {"--min-edge 1,2,30,400", [](const TDemoOptions& o) {
             return o.MinEdge[0] == 1 && o.MinEdge[1] == 2 && o.MinEdge[2] == 30 && o.MinEdge[3] == 400; }},
        {"--sizing --icon --old-style --no-enable-sizing --new-style --edit-box --exit", [](const TDemoOptions& o) {
             return o.Sizing && o.Icon && o.OldStyle && !o.EnableSizing && o.NewStyle && o.EditBox && o.ExitAfter &&
                    !o.UnicodeNames; }},
        {"--unicode-names", [](const TDemoOptions& o) { return o.UnicodeNames; }},
        {"--status ok --root C:\\ --select C:\\windows", [](const TDemoOptions& o) {
             return o.StatusShown && o.Status == "ok" && o.Root == "C:\\" && o.Select == "C:\\windows"; }},
        {"--reopen 3 --log x.log --caption --dialog", [](const TDemoOptions& o) {
             return o.Reopen == 3 && o.LogFile == "x.log" && o.Caption == "--dialog" && !o.OpenAtOnce; }},
    };
    for (const Case& c : cases) {
        TDemoArgsResult r = ParseDemoArgs(Split(c.line));
        EXPECT_TRUE(r.Ok && c.holds(r.Options)) << c.line;
    }
    // An empty value is a value: no anchors, an empty caption.
    TDemoArgsResult r = ParseDemoArgs({"--anchors", "", "--caption", ""});
    ASSERT_TRUE(r.Ok);
    EXPECT_EQ(0, r.Options.Anchors);
}

TEST(DemoArgs, BadArgumentsAreNamed)
{
    struct Case {
        const char* line;
        const char* bad;
    } cases[] = {
        {"--dialog", "--dialog"},
        {"--dialog print", "--dialog print"},
        {"--dialog find --frobnicate", "--frobnicate"},
        {"find", "find"},
        {"--subform middle", "--subform middle"},
        {"--subform-size 300", "--subform-size 300"},
        {"--subform-size 300,", "--subform-size 300,"},
        {"--subform-size -1,20", "--subform-size -1,20"},
        {"--subform-size 1,2,3", "--subform-size 1,2,3"},
        {"--anchors LX", "--anchors LX"},
        {"--anchors LL", "--anchors LL"},
        {"--min-edge 1,2,3", "--min-edge 1,2,3"},
        {"--min-edge 1,2,3,4,5", "--min-edge 1,2,3,4,5"},
        {"--min-edge 1,,3,4", "--min-edge 1,,3,4"},
        {"--min-edge 1,2,3,9999999", "--min-edge 1,2,3,9999999"},
        {"--reopen two", "--reopen two"},
        {"--reopen +1", "--reopen +1"},
        {"--dialog find --reopen", "--reopen"},
    };
    for (const Case& c : cases) {
        TDemoArgsResult r = ParseDemoArgs(Split(c.line));
        EXPECT_FALSE(r.Ok) << c.line;
        EXPECT_EQ(c.bad, r.BadArgument) << c.line;
        EXPECT_FALSE(r.Reason.empty()) << c.line;
    }
    EXPECT_EQ("--log ", ParseDemoArgs({"--log", ""}).BadArgument);
}

TEST(SampleText, CountsMatchesAsTheFindOptionsAsk)
{
    struct Case {
        const char* sample;
        const char* text;
        bool matchCase;
        bool wholeWord;
        int count;
    } cases[] = {
        {"A dialog, the Dialog, dialogs", "dialog", false, false, 3},
        {"A dialog, the Dialog, dialogs", "dialog", true, false, 2},
        {"A dialog, the Dialog, dialogs", "dialog", false, true, 2},
        {"aaaa", "aa", false, false, 2},
        {"x", "", false, false, 0},
        {"ab", "abc", false, false, 0},
        // ソ is 0x83 0x5C: a search for the byte 0x5C ("\") must not find its second half, and
        // a letter after a double-byte character is a word start.
        {"ソ\\", "\\", false, false, 1},
        {"表示ダイアログ", "ダイアログ", false, true, 1},
        {"検索と検索", "検索", true, false, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.count, CountMatches(c.sample, c.text, c.matchCase, c.wholeWord)) << c.sample << " / " << c.text;
}
