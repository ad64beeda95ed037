#include "demo/Gallery.h"

#include "demo/SampleText.h"
#include "framework/Application.h"

using namespace CustDlgs;

namespace {
const char* const WindowFontName = "ＭＳ Ｐゴシック";
constexpr int WindowFontHeight = -12;
constexpr int RowHeight = 24;

unsigned EdgeValue(const TEdit* edit)
{
    int value = StrToIntDef(edit->GetText(), 0);
    return value < 0 ? 0u : static_cast<unsigned>(value);
}

// "down,matchcase,..." for the options a search or replacement was asked with; "-" for none.
AnsiString FindOptionsText(TFindOptions options)
{
    static const struct { TFindOption option; const char* name; } names[] = {
        {frDown, "down"}, {frFindNext, "findnext"}, {frMatchCase, "matchcase"}, {frWholeWord, "wholeword"},
        {frReplace, "replace"}, {frReplaceAll, "replaceall"}};
    AnsiString text;
    for (const auto& n : names) {
        if (options.Contains(n.option))
            text += (text.empty() ? "" : ",") + AnsiString(n.name);
    }
    return text.empty() ? AnsiString("-") : text;
}

// `text` in the code page where it has an exact form there, else empty.
AnsiString ExactAnsi(const WideString& text)
{
    return HasExactAnsiForm(text) ? WideToAnsi(text) : AnsiString();
}
}  // namespace

TGalleryForm* Gallery = nullptr;

TGalleryForm::TGalleryForm(TComponent* owner) : TForm(owner)
{
    SetName("Gallery");
    SetCaption("dlgdemo ダイアログ ギャラリー");
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetBounds(0, 0, GetWidth(), GetHeight());
    SetClientWidth(680);
    SetClientHeight(494);
    GetFont()->SetName(WindowFontName);
    GetFont()->SetHeight(WindowFontHeight);
    GetFont()->SetCharset(SHIFTJIS_CHARSET);
    HandleNeeded();
    CreateControls();

    FIcon = new TIcon;
    FIcon->SetHandle(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, 0, 0,
                                                   LR_DEFAULTSIZE)));
}

TGalleryForm::~TGalleryForm()
{
    delete FIcon;
    if (FLog != nullptr)
        FLog->OnLine = nullptr;
}

void TGalleryForm::Start(const TDemoOptions& options, TEventLog* log)
{
    FScripted = options;
    FLog = log;
    FLog->OnLine = [this](const AnsiString& line) { EventList->AddLine(line); };
    ShowOptions(options);
    if (options.OpenAtOnce) {
        FReopenLeft = options.Reopen;
        PostMessageA(GetHandle(), WM_OPENDIALOG, 0, 0);
    }
}

void TGalleryForm::CreateControls()
{
    // Left column: the settings.
    int y = 8;
    PlaceControl<TLabel>(this, 8, y + 4, 110, 16, "ダイアログ");
    // The style goes before the window is made: only then does a box take no typed text, which
    // would leave nothing chosen.
    DialogKind = new TComboBox(this);
    DialogKind->SetStyle(csDropDownList);
    DialogKind->SetBounds(120, y, 200, 20);
    DialogKind->SetParent(this);
    DialogKind->SetItems({"検索 (TCFindDialog)", "置換 (TCReplaceDialog)", "ファイルを開く (TCOpenDialog)",
                          "ファイルを保存 (TCSaveDialog)", "フォルダの選択 (TCSelectFolderDialog)"});
    y += RowHeight + 4;
    PlaceControl<TLabel>(this, 8, y + 4, 110, 16, "サブフォームの位置");
    SubFormPlace = new TComboBox(this);
    SubFormPlace->SetStyle(csDropDownList);
    SubFormPlace->SetBounds(120, y, 200, 20);
    SubFormPlace->SetParent(this);
    SubFormPlace->SetItems({"左 (fpLeft)", "上 (fpTop)", "右 (fpRight)", "下 (fpBottom)", "全体 (fpClient)",
                            "なし"});
    y += RowHeight + 4;
    PlaceControl<TLabel>(this, 8, y + 2, 110, 16, "アンカー");
    const char* const sides[4] = {"左", "上", "右", "下"};
    for (int i = 0; i < 4; ++i)
        Anchors[i] = PlaceControl<TCheckBox>(this, 120 + 50 * i, y, 48, 20, sides[i]);
    y += RowHeight;
    Sizing = PlaceControl<TCheckBox>(this, 8, y, 312, 20, "サイズ変更できるようにする (DialogSizing)");
    y += RowHeight;
    PlaceControl<TLabel>(this, 8, y + 4, 110, 16, "最小余白 左上右下");
    for (int i = 0; i < 4; ++i)
        MinEdge[i] = PlaceControl<TEdit>(this, 120 + 50 * i, y, 44, 22, "0");
    y += RowHeight + 4;
    PlaceControl<TLabel>(this, 8, y + 4, 110, 16, "キャプション");
    CaptionText = PlaceControl<TEdit>(this, 120, y, 200, 22);
    y += RowHeight + 4;
    IconShown = PlaceControl<TCheckBox>(this, 8, y, 312, 20, "アイコンを付ける (Icon)");
    y += RowHeight + 8;

    PlaceControl<TLabel>(this, 8, y, 312, 16, "ファイルを開く・保存");
    y += 20;
    OldStyle = PlaceControl<TCheckBox>(this, 20, y, 300, 20, "旧スタイル (ofOldStyleDialog)");
    y += RowHeight;
    EnableSizing = PlaceControl<TCheckBox>(this, 20, y, 300, 20, "標準のサイズ変更 (ofEnableSizing)");
    y += RowHeight;
    UnicodeNames = PlaceControl<TCheckBox>(this, 20, y, 300, 20, "コードページにない名前も受け取る (UnicodeNames)");
    y += RowHeight + 8;

    PlaceControl<TLabel>(this, 8, y, 312, 16, "フォルダの選択");
    y += 20;
    NewStyle = PlaceControl<TCheckBox>(this, 20, y, 300, 20, "新しいスタイル (bifNewDialogStyle)");
    y += RowHeight;
    StatusShown = PlaceControl<TCheckBox>(this, 20, y, 300, 20, "ステータス行 (bifStatusText)");
    y += RowHeight;
    EditBox = PlaceControl<TCheckBox>(this, 20, y, 300, 20, "名前の入力欄 (bifEditBox)");
    y += RowHeight;
    PlaceControl<TLabel>(this, 20, y + 4, 98, 16, "ルート");
    RootFolder = PlaceControl<TEdit>(this, 120, y, 200, 22);
    y += RowHeight + 4;
    PlaceControl<TLabel>(this, 20, y + 4, 98, 16, "ステータス");
    StatusText = PlaceControl<TEdit>(this, 120, y, 200, 22);
    y += RowHeight + 8;

    OpenButton = PlaceControl<TButton>(this, 120, y, 120, 26, "開く");
    OpenButton->OnClick = [this](TObject*) { OpenDialog(); };

    // Right column: the sample text and the event log.
    PlaceControl<TLabel>(this, 340, 8, 330, 16, "サンプルテキスト (検索と置換の対象)");
    Sample = new TEdit(this);
    Sample->SetMultiLine(true);
    Sample->SetBounds(340, 26, 330, 110);
    Sample->SetText(SampleText);
    Sample->SetParent(this);
    PlaceControl<TLabel>(this, 340, 146, 330, 16, "イベントログ");
    EventList = PlaceControl<TListBox>(this, 340, 164, 330, 320);
}

void TGalleryForm::ShowOptions(const TDemoOptions& o)
{
    DialogKind->SetItemIndex(o.Dialog);
    SubFormPlace->SetItemIndex(o.SubFormShown ? o.SubFormPos : 5);
    for (int i = 0; i < 4; ++i) {
        Anchors[i]->SetChecked(o.Anchors.Contains(static_cast<TSubFormAnchorKind>(i)));
        MinEdge[i]->SetText(IntToStr(static_cast<int>(o.MinEdge[i])));
    }
    Sizing->SetChecked(o.Sizing);
    CaptionText->SetText(o.Caption);
    IconShown->SetChecked(o.Icon);
    OldStyle->SetChecked(o.OldStyle);
    EnableSizing->SetChecked(o.EnableSizing);
    UnicodeNames->SetChecked(o.UnicodeNames);
    NewStyle->SetChecked(o.NewStyle);
    StatusShown->SetChecked(o.StatusShown);
    EditBox->SetChecked(o.EditBox);
    RootFolder->SetText(o.Root);
    StatusText->SetText(o.Status);
}

TDemoOptions TGalleryForm::ReadOptions() const
{
    TDemoOptions o = FScripted;
    o.Dialog = static_cast<TDemoDialogKind>(DialogKind->GetItemIndex());
    o.SubFormShown = SubFormPlace->GetItemIndex() <= fpClient;
    if (o.SubFormShown)
        o.SubFormPos = static_cast<TSubFormPos>(SubFormPlace->GetItemIndex());
    o.Anchors = {};
    for (int i = 0; i < 4; ++i) {
        if (Anchors[i]->GetChecked())
            o.Anchors.Include(static_cast<TSubFormAnchorKind>(i));
        o.MinEdge[i] = EdgeValue(MinEdge[i]);
    }
    o.Sizing = Sizing->GetChecked();
    o.Caption = CaptionText->GetText();
    o.Icon = IconShown->GetChecked();
    o.OldStyle = OldStyle->GetChecked();
    o.EnableSizing = EnableSizing->GetChecked();
    o.UnicodeNames = UnicodeNames->GetChecked();
    o.NewStyle = NewStyle->GetChecked();
    o.StatusShown = StatusShown->GetChecked();
    o.EditBox = EditBox->GetChecked();
    o.Root = RootFolder->GetText();
    o.Status = StatusText->GetText();
    return o;
}

template <class TDialog>
void TGalleryForm::Customize(TDialog* dialog, TForm* subForm, const TDemoOptions& o)
{
    dialog->SetSubForm(o.SubFormShown ? subForm : nullptr);
    dialog->SetSubFormPos(o.SubFormPos);
    dialog->SetSubFormAnchors(o.Anchors);
    TDialogEdgeSpace minEdge(o.MinEdge[0], o.MinEdge[1], o.MinEdge[2], o.MinEdge[3]);
    dialog->SetMinEdgeSpace(&minEdge);
    dialog->SetDialogSizing(o.Sizing);
    dialog->SetCaption(o.Caption);
    TIcon none;
    dialog->SetIcon(o.Icon ? FIcon : &none);
}

void TGalleryForm::ApplySubFormSize(TForm* subForm, int defaultWidth, int defaultHeight, const TDemoOptions& o)
{
    // Design pixels, like the labels: the sample forms have their windows, so their sizes are
    // the windows' pixels.
    subForm->SetClientWidth(subForm->ScaledFromDesign(o.SubFormWidth >= 0 ? o.SubFormWidth : defaultWidth));
    subForm->SetClientHeight(subForm->ScaledFromDesign(o.SubFormHeight >= 0 ? o.SubFormHeight : defaultHeight));
}

void TGalleryForm::OpenDialog()
{
    const TDemoOptions o = ReadOptions();
    FLog->Add("open", DemoDialogName(o.Dialog));
    try {
        RunDialog(o);
    } catch (const Exception& e) {
        // A setting the dialog refused (an unknown root folder, say): logged, and the run goes on.
        FLog->Add("exception", e.Message());
        DialogClosed();
    }
}

void TGalleryForm::RunDialog(const TDemoOptions& o)
{
    switch (o.Dialog) {
    case dkFind:
        RunFindDialog(FFindDialog, FFindMatches, o);
        break;
    case dkReplace:
        RunFindDialog(FReplaceDialog, FReplaceMatches, o);
        break;
    case dkOpen:
    case dkSave:
        RunFileDialog(o.Dialog, o);
        break;
    case dkFolder:
        RunFolderDialog(o);
        break;
    }
}

void TGalleryForm::RunFolderDialog(const TDemoOptions& o)
{
    if (FFolderDialog == nullptr) {
        FFolderFacts = new TFolderFactsForm(this);
        FFolderDialog = new TCSelectFolderDialog(this);
        FFolderDialog->OnShow = [this](TObject*) { FLog->AddWindow("show", FFolderDialog->GetHandle()); };
        FFolderDialog->OnFolderChange = [this](TObject*) {
            const AnsiString path = FFolderDialog->GetSelectFolder();
            FLog->Add("folderchange", path);
            FLog->Add("folderchangew", FFolderDialog->GetSelectFolderW());
            FFolderFacts->ShowFolder(path);
        };
        FFolderDialog->OnCanClose = [this](TObject*, bool&) { FLog->Add("canclose", FFolderDialog->GetSelectFolder()); };
        FFolderDialog->OnValidateFailed = [this](TObject*, const char* name, bool&) { FLog->Add("validatefailed", name); };
        FFolderDialog->OnClose = [this](TObject*) { FLog->AddWindow("close", FFolderDialog->GetHandle()); };
    }
    ApplySubFormSize(FFolderFacts, 280, 40, o);
    Customize(FFolderDialog, FFolderFacts, o);
    TSFolderOptions options = {bifReturnOnlyFSDirs};
    if (o.NewStyle)
        options.Include(bifNewDialogStyle);
    if (o.StatusShown)
        options.Include(bifStatusText);
    if (o.EditBox)
        options.Include(bifEditBox);
    FFolderDialog->SetOptions(options);
    FFolderDialog->SetTitle("フォルダを選んでください。");
    FFolderDialog->SetStatusText(o.Status);
    // An unknown root or selection raises an error for the log; the dialog does not open.
    if (o.Root.empty())
        FFolderDialog->SetRootSpecialFolder(sfDesktop);
    else
        FFolderDialog->SetRootFolder(o.Root);
    if (o.Select.empty())
        FFolderDialog->SetSelectSpecialFolder(sfNone);
    else
        FFolderDialog->SetSelectFolder(o.Select);

    const bool chosen = FFolderDialog->Execute();
    if (chosen) {
        // The exact names beside the ANSI ones, which are empty where the code page lacks a character.
        FLog->Add("folderw", FFolderDialog->GetSelectFolderW());
        FLog->Add("displaynamew", FFolderDialog->GetDisplayNameW());
    }
    FLog->Add("result", chosen ? "1 " + FFolderDialog->GetSelectFolder() : AnsiString("0"));
    DialogClosed();
}

template <class TDialog>
void TGalleryForm::RunFindDialog(TDialog*& dialog, TMatchCountForm*& matches, const TDemoOptions& o)
{
    if (dialog == nullptr) {
        // One component for the whole run, so it remembers its place between openings.
        matches = new TMatchCountForm(this);
        dialog = new TDialog(this);
        TDialog* d = dialog;
        TMatchCountForm* m = matches;
        d->OnShow = [this, d](TObject*) { FLog->AddWindow("show", d->GetHandle()); };
        d->OnFind = [this, d, m](TObject*) {
            const TFindOptions options = d->GetOptions();
            FLog->Add("find", d->GetFindText() + " " + FindOptionsText(options));
            FLog->Add("findw", d->GetFindTextW());
            m->ShowMatches(d->GetFindText(), CountMatches(Sample->GetText(), d->GetFindText(),
                                                          options.Contains(frMatchCase),
                                                          options.Contains(frWholeWord)));
        };
        d->OnReplace = [this, d](TObject*) {
            FLog->Add("replace", d->GetFindText() + " " + d->GetReplaceText() + " " + FindOptionsText(d->GetOptions()));
            FLog->Add("replacew", d->GetFindTextW() + L" " + d->GetReplaceTextW());
        };
        d->OnClose = [this, d](TObject*) {
            FLog->AddWindow("close", d->GetHandle());
            DialogClosed();
        };
    }
    ApplySubFormSize(matches, 280, 40, o);
    Customize(dialog, matches, o);
    matches->ShowMatches(dialog->GetFindText(), 0);
    // The window is open from here until the user closes it (OnClose).
    const bool opened = dialog->Execute();
    FLog->Add("result", opened ? "1" : "0");
    if (!opened)
        DialogClosed();
}

TCOpenDialog* TGalleryForm::FileDialog(TDemoDialogKind kind)
{
    TCOpenDialog*& dialog = kind == dkOpen ? FOpenDialog : FSaveDialog;
    TFileFactsForm*& facts = kind == dkOpen ? FOpenFacts : FSaveFacts;
    if (dialog != nullptr)
        return dialog;
    facts = new TFileFactsForm(this);
    dialog = kind == dkOpen ? new TCOpenDialog(this) : new TCSaveDialog(this);
    dialog->SetFilter("すべてのファイル (*.*)|*.*|テキスト ファイル (*.txt)|*.txt");

    // Every event goes to the log; the sub form follows the selection.
    TCOpenDialog* d = dialog;
    TFileFactsForm* f = facts;
    d->OnShow = [this, d](TObject*) { FLog->AddWindow("show", d->DialogWindow()); };
    d->SetOnShowWindow([this, d](TObject*) { FLog->AddWindow("showwindow", d->DialogWindow()); });
    d->OnFolderChange = [this, d](TObject*) {
        const WideString folder = d->GetFolderPathW();
        FLog->Add("folderchange", ExactAnsi(folder));
        FLog->Add("folderchangew", folder);
    };
    // The selection's path in Unicode; its ANSI form only where the code page holds it exactly
    // (the dialog's own ANSI answer would name a look-alike, another file).
    d->OnSelectionChange = [this, d, f](TObject*) {
        const WideString path = d->GetFilePathW();
        FLog->Add("selchange", ExactAnsi(path));
        FLog->Add("selchangew", path);
        f->ShowFile(path);
    };
    d->OnTypeChange = [this, d](TObject*) { FLog->Add("typechange", IntToStr(d->GetFilterIndex())); };
    d->OnCanClose = [this, d](TObject*, bool&) {
        const WideString path = d->GetFilePathW();
        FLog->Add("canclose", ExactAnsi(path));
        FLog->Add("canclosew", path);
    };
    d->OnClose = [this, d](TObject*) { FLog->AddWindow("close", d->DialogWindow()); };
    return dialog;
}

void TGalleryForm::RunFileDialog(TDemoDialogKind kind, const TDemoOptions& o)
{
    TCOpenDialog* dialog = FileDialog(kind);
    TFileFactsForm* facts = kind == dkOpen ? FOpenFacts : FSaveFacts;
    ApplySubFormSize(facts, 280, 76, o);
    Customize(dialog, facts, o);
    TOpenOptions options = dialog->GetOptions();
    if (o.OldStyle)
        options.Include(ofOldStyleDialog);
    else
        options.Exclude(ofOldStyleDialog);
    if (o.EnableSizing)
        options.Include(ofEnableSizing);
    else
        options.Exclude(ofEnableSizing);
    dialog->SetOptions(options);
    dialog->SetUnicodeNames(o.UnicodeNames);
    // --select names a folder to start in, or a file to start with.
    if (!o.Select.empty()) {
        DWORD attributes = GetFileAttributesA(o.Select.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            dialog->SetInitialDir(o.Select);
            dialog->SetFileName("");
        } else {
            dialog->SetFileName(o.Select);
        }
    }
    facts->ShowFile(dialog->GetFileNameW());

    const bool chosen = dialog->Execute();
    if (chosen) {
        // The exact names beside the ANSI ones, which are empty where the code page lacks a character.
        FLog->Add("namew", dialog->GetFileNameW());
        for (const WideString& name : dialog->GetFilesW())
            FLog->Add("filew", name);
    }
    FLog->Add("result", chosen ? "1 " + dialog->GetFileName() : AnsiString("0"));
    DialogClosed();
}

void TGalleryForm::DialogClosed()
{
    if (FReopenLeft > 0) {
        --FReopenLeft;
        PostMessageA(GetHandle(), WM_OPENDIALOG, 0, 0);
    } else if (FScripted.ExitAfter) {
        Close();
    }
}

void TGalleryForm::Dispatch(TMessage& message)
{
    if (message.Msg == WM_OPENDIALOG) {
        OpenDialog();
        return;
    }
    TForm::Dispatch(message);
}
