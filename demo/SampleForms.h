// The sample sub forms the gallery embeds in its dialogs. Each shows what an embedded form is
// for: facts the dialog itself cannot show, kept up to date from the dialog's events.
#pragma once

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

// For the open and save dialogs: size, date and first line of the selected file.
class TFileFactsForm : public TForm {
public:
    explicit TFileFactsForm(TComponent* owner);
    const char* ClassName() const override { return "TFileFactsForm"; }

    // Facts of the file at `path` (Unicode: any name the file system holds).
    void ShowFile(const WideString& path);

    TLabel* NameLabel;
    TLabel* SizeLabel;
    TLabel* DateLabel;
    TLabel* FirstLineLabel;
};

// For the folder dialog: how many files the selected folder holds.
class TFolderFactsForm : public TForm {
public:
    explicit TFolderFactsForm(TComponent* owner);
    const char* ClassName() const override { return "TFolderFactsForm"; }

    void ShowFolder(const AnsiString& path);

    TLabel* FolderLabel;
    TLabel* CountLabel;
};

// For the find and replace dialogs: how often the text occurs in the gallery's sample text.
class TMatchCountForm : public TForm {
public:
    explicit TMatchCountForm(TComponent* owner);
    const char* ClassName() const override { return "TMatchCountForm"; }

    void ShowMatches(const AnsiString& text, int count);

    TLabel* TextLabel;
    TLabel* CountLabel;
};

// Files (not folders) directly in `folder`; -1 when it cannot be listed.
int CountFilesIn(const AnsiString& folder);
