#include "demo/SampleForms.h"

#include <cstdio>

namespace {

void PrepareForm(TForm* form, const char* name, int width, int height)
{
    form->SetName(name);
    form->SetBorderStyle(bsNone);
    form->SetClientWidth(width);
    form->SetClientHeight(height);
    form->HandleNeeded();
}

// The last part of a path: the name of the file or folder. A 0x5C that is the second byte of a
// double-byte character is no separator.
AnsiString NamePart(const AnsiString& path)
{
    size_t start = 0;
    for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
        if ((path[i] == '\\' || path[i] == '/') && i + 1 < path.size())
            start = i + 1;
    }
    return path.substr(start);
}

// The first line of a text file, or why there is none.
AnsiString FirstLineOf(const WideString& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(読めません)";
    char buffer[256];
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr))
        read = 0;
    CloseHandle(file);
    AnsiString head(buffer, read);
    if (head.find('\0') != AnsiString::npos)
        return "(テキストではありません)";
    return head.substr(0, head.find_first_of("\r\n"));
}

}  // namespace

TFileFactsForm::TFileFactsForm(TComponent* owner) : TForm(owner)
{
    const int width = 280;
    PrepareForm(this, "FileFacts", width, 76);
    NameLabel = PlaceControl<TLabel>(this, 8, 4, width - 16, 16, "ファイルを選んでください");
    SizeLabel = PlaceControl<TLabel>(this, 8, 22, width - 16, 16);
    DateLabel = PlaceControl<TLabel>(this, 8, 40, width - 16, 16);
    FirstLineLabel = PlaceControl<TLabel>(this, 8, 58, width - 16, 16);
}

void TFileFactsForm::ShowFile(const WideString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        NameLabel->SetCaption(path.empty() ? AnsiString("ファイルを選んでください") : WideToAnsi(path));
        SizeLabel->SetCaption("");
        DateLabel->SetCaption("");
        FirstLineLabel->SetCaption("");
        return;
    }
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &time);
    // The label shows the code page's characters; one it lacks shows as the default character.
    NameLabel->SetCaption("ファイル: " + WideToAnsi(path.substr(path.find_last_of(L"\\/") + 1)));
    SizeLabel->SetCaption(Format("サイズ: %llu バイト", size));
    DateLabel->SetCaption(Format("更新日時: %04u/%02u/%02u %02u:%02u", time.wYear, time.wMonth, time.wDay,
                                 time.wHour, time.wMinute));
    FirstLineLabel->SetCaption("先頭行: " + FirstLineOf(path));
}

TFolderFactsForm::TFolderFactsForm(TComponent* owner) : TForm(owner)
{
    const int width = 280;
    PrepareForm(this, "FolderFacts", width, 40);
    FolderLabel = PlaceControl<TLabel>(this, 8, 4, width - 16, 16, "フォルダを選んでください");
    CountLabel = PlaceControl<TLabel>(this, 8, 22, width - 16, 16);
}

void TFolderFactsForm::ShowFolder(const AnsiString& path)
{
    FolderLabel->SetCaption(path.empty() ? AnsiString("(ファイルシステムのフォルダではありません)")
                                         : "フォルダ: " + NamePart(path));
    int count = path.empty() ? -1 : CountFilesIn(path);
    CountLabel->SetCaption(count < 0 ? AnsiString("") : Format("ファイル数: %d", count));
}

TMatchCountForm::TMatchCountForm(TComponent* owner) : TForm(owner)
{
    const int width = 280;
    PrepareForm(this, "MatchCount", width, 40);
    TextLabel = PlaceControl<TLabel>(this, 8, 4, width - 16, 16, "サンプルテキストを検索します");
    CountLabel = PlaceControl<TLabel>(this, 8, 22, width - 16, 16);
}

void TMatchCountForm::ShowMatches(const AnsiString& text, int count)
{
    TextLabel->SetCaption("検索する文字列: " + text);
    CountLabel->SetCaption(Format("サンプルテキスト中に %d 件", count));
}

int CountFilesIn(const AnsiString& folder)
{
    AnsiString pattern = folder;
    // A trailing 0x5C may be the second byte of a double-byte character, not a separator.
    const bool separated = !pattern.empty() && (pattern.back() == '/' || (pattern.back() == '\\' &&
                                                                          !IsTrailByte(pattern, pattern.size() - 1)));
    if (!separated)
        pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
    int count = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}
