#include "demo/SampleText.h"

#include <windows.h>

const char* const SampleText =
    "ダイアログ ライブラリは、検索・置換・ファイル・\r\n"
    "フォルダの各ダイアログに呼び出し側のフォームを\r\n"
    "埋め込みます。サイズを変えられないダイアログも\r\n"
    "サイズ変更できるようになり、位置と大きさは\r\n"
    "次に開くときまで残ります。\r\n"
    "A dialog keeps its place. The Dialog grows,\r\n"
    "and its controls follow the dialog.";

namespace {

bool IsWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

unsigned char Folded(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool MatchesAt(const AnsiString& sample, size_t at, const AnsiString& text, bool matchCase)
{
    if (sample.size() - at < text.size())
        return false;
    for (size_t i = 0; i < text.size();) {
        size_t n = CharLength(text, i);
        if (n == 2 || matchCase) {
            if (sample.compare(at + i, n, text, i, n) != 0)
                return false;
        } else if (Folded(static_cast<unsigned char>(sample[at + i])) != Folded(static_cast<unsigned char>(text[i]))) {
            return false;
        }
        i += n;
    }
    // The match must not end inside a double-byte character of the sample.
    size_t end = at + text.size();
    return end == sample.size() || !IsTrailByte(sample, end);
}

}  // namespace

int CountMatches(const AnsiString& sample, const AnsiString& text, bool matchCase, bool wholeWord)
{
    if (text.empty())
        return 0;
    int count = 0;
    size_t previous = AnsiString::npos;  // start of the character before `at`
    for (size_t at = 0; at < sample.size();) {
        if (MatchesAt(sample, at, text, matchCase)) {
            size_t end = at + text.size();
            bool before = previous != AnsiString::npos && CharLength(sample, previous) == 1 &&
                          IsWordByte(static_cast<unsigned char>(sample[previous]));
            bool after = end < sample.size() && CharLength(sample, end) == 1 &&
                         IsWordByte(static_cast<unsigned char>(sample[end]));
            if (!wholeWord || (!before && !after)) {
                ++count;
                // Step to the last character of the match, so `previous` is right after it.
                size_t last = at;
                for (size_t i = at; i < end; i += CharLength(sample, i))
                    last = i;
                previous = last;
                at = end;
                continue;
            }
        }
        previous = at;
        at += CharLength(sample, at);
    }
    return count;
}
