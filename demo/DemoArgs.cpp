#include "demo/DemoArgs.h"

#include <cstdlib>

using namespace CustDlgs;

const char* const DemoUsage =
    "dlgdemo.exe --dialog find|replace|open|save|folder [--subform left|top|right|bottom|client|none]\n"
    "  [--subform-size W,H] [--anchors LTRB] [--sizing] [--min-edge L,T,R,B] [--caption TEXT] [--icon]\n"
    "  [--old-style] [--no-enable-sizing] [--unicode-names] [--new-style] [--edit-box] [--status TEXT] [--root PATH]\n"
    "  [--select PATH] [--reopen N] [--exit] [--log FILE]";

namespace {

const char* const DialogNames[] = {"find", "replace", "open", "save", "folder"};  // by TDemoDialogKind

// A decimal number from 0 to 100000, nothing else.
bool ParseCount(const AnsiString& text, int& value)
{
    if (text.empty() || text.size() > 6)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    value = std::atoi(text.c_str());
    return value <= 100000;
}

// Exactly `count` such numbers separated by commas.
bool ParseCountList(const AnsiString& text, int* values, size_t count)
{
    size_t start = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t comma = text.find(',', start);
        bool last = i + 1 == count;
        if (last != (comma == AnsiString::npos))
            return false;
        if (!ParseCount(text.substr(start, last ? AnsiString::npos : comma - start), values[i]))
            return false;
        start = comma + 1;
    }
    return true;
}

bool ParseDialog(const AnsiString& text, TDemoDialogKind& kind)
{
    for (int k = dkFind; k <= dkFolder; ++k)
        if (text == DialogNames[k]) {
            kind = static_cast<TDemoDialogKind>(k);
            return true;
        }
    return false;
}

bool ParseSubForm(const AnsiString& text, TDemoOptions& options)
{
    static const struct { const char* name; TSubFormPos pos; } names[] = {
        {"left", fpLeft}, {"top", fpTop}, {"right", fpRight}, {"bottom", fpBottom}, {"client", fpClient}};
    if (text == "none") {
        options.SubFormShown = false;
        return true;
    }
    for (const auto& n : names)
        if (text == n.name) {
            options.SubFormShown = true;
            options.SubFormPos = n.pos;
            return true;
        }
    return false;
}

// Letters L, T, R, B in any order and case, each at most once; empty is no anchor.
bool ParseAnchors(const AnsiString& text, TSubFormAnchors& anchors)
{
    static const char letters[] = "LTRB";  // in the order of TSubFormAnchorKind
    TSubFormAnchors set;
    for (char c : text) {
        char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        int kind = 0;
        while (kind < 4 && letters[kind] != upper)
            ++kind;
        if (kind == 4 || set.Contains(static_cast<TSubFormAnchorKind>(kind)))
            return false;
        set.Include(static_cast<TSubFormAnchorKind>(kind));
    }
    anchors = set;
    return true;
}

}  // namespace

const char* DemoDialogName(TDemoDialogKind kind)
{
    return DialogNames[kind];
}

TDemoArgsResult ParseDemoArgs(const std::vector<AnsiString>& args)
{
    TDemoArgsResult result;
    TDemoOptions& o = result.Options;
    auto fault = [&](const AnsiString& argument, const char* reason) {
        result.Ok = false;
        result.BadArgument = argument;
        result.Reason = reason;
        return result;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const AnsiString& name = args[i];
        // Switches.
        if (name == "--sizing") { o.Sizing = true; continue; }
        if (name == "--icon") { o.Icon = true; continue; }
        if (name == "--old-style") { o.OldStyle = true; continue; }
        if (name == "--no-enable-sizing") { o.EnableSizing = false; continue; }
        if (name == "--unicode-names") { o.UnicodeNames = true; continue; }
        if (name == "--new-style") { o.NewStyle = true; continue; }
        if (name == "--edit-box") { o.EditBox = true; continue; }
        if (name == "--exit") { o.ExitAfter = true; continue; }

        // Options with a value.
        static const char* const valued[] = {"--dialog", "--subform", "--subform-size", "--anchors",
                                             "--min-edge", "--caption", "--status", "--root",
                                             "--select", "--reopen", "--log"};
        bool known = false;
        for (const char* v : valued)
            known = known || name == v;
        if (!known)
            return fault(name, "知らないオプションです");
        if (i + 1 >= args.size())
            return fault(name, "値がありません");
        const AnsiString& value = args[++i];
        const AnsiString shown = name + " " + value;

        if (name == "--dialog") {
            if (!ParseDialog(value, o.Dialog))
                return fault(shown, "find, replace, open, save, folder のどれかを指定してください");
            o.OpenAtOnce = true;
        } else if (name == "--subform") {
            if (!ParseSubForm(value, o))
                return fault(shown, "left, top, right, bottom, client, none のどれかを指定してください");
        } else if (name == "--subform-size") {
            int size[2];
            if (!ParseCountList(value, size, 2))
                return fault(shown, "幅,高さ を数で指定してください");
            o.SubFormWidth = size[0];
            o.SubFormHeight = size[1];
        } else if (name == "--anchors") {
            if (!ParseAnchors(value, o.Anchors))
                return fault(shown, "L, T, R, B の文字を一度ずつ指定してください");
        } else if (name == "--min-edge") {
            int edge[4];
            if (!ParseCountList(value, edge, 4))
                return fault(shown, "左,上,右,下 の余白を数で指定してください");
            for (int k = 0; k < 4; ++k)
                o.MinEdge[k] = static_cast<unsigned>(edge[k]);
        } else if (name == "--caption") {
            o.Caption = value;
        } else if (name == "--status") {
            o.Status = value;
            o.StatusShown = true;
        } else if (name == "--root") {
            o.Root = value;
        } else if (name == "--select") {
            o.Select = value;
        } else if (name == "--reopen") {
            if (!ParseCount(value, o.Reopen))
                return fault(shown, "回数を数で指定してください");
        } else if (name == "--log") {
            if (value.empty())
                return fault(shown, "ファイル名がありません");
            o.LogFile = value;
        }
    }
    return result;
}
