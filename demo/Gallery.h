// The gallery window: every setting of the customizable dialogs, an Open button, a sample
// text for the find and replace dialogs, and the log of every event the dialogs fire.
#pragma once

#include "demo/DemoArgs.h"
#include "demo/EventLog.h"
#include "demo/SampleForms.h"
#include "dialogs/CFindDlg.h"
#include "dialogs/COpenDlg.h"
#include "dialogs/CSelFDlg.h"
#include "framework/Forms.h"
#include "framework/Icon.h"
#include "framework/StdCtrls.h"

class TGalleryForm : public TForm {
public:
    explicit TGalleryForm(TComponent* owner);
    ~TGalleryForm() override;

    // Shows `options` in the controls and logs to `log`; with --dialog the dialog opens as
    // soon as the message loop runs.
    void Start(const TDemoOptions& options, TEventLog* log);

    const char* ClassName() const override { return "TGalleryForm"; }

    // Opens the dialog chosen in the gallery with the settings the controls show.
    void OpenDialog();

    void Dispatch(TMessage& message) override;

    TComboBox* DialogKind;
    TComboBox* SubFormPlace;
    TCheckBox* Anchors[4];  // left, top, right, bottom
    TCheckBox* Sizing;
    TEdit* MinEdge[4];      // left, top, right, bottom
    TEdit* CaptionText;
    TCheckBox* IconShown;
    TCheckBox* OldStyle;
    TCheckBox* EnableSizing;
    TCheckBox* UnicodeNames;
    TCheckBox* NewStyle;
    TCheckBox* StatusShown;
    TCheckBox* EditBox;
    TEdit* RootFolder;
    TEdit* StatusText;
    TButton* OpenButton;
    TEdit* Sample;
    TListBox* EventList;

private:
    void CreateControls();
    void ShowOptions(const TDemoOptions& options);
    TDemoOptions ReadOptions() const;
    void RunDialog(const TDemoOptions& options);
    // Gives a dialog component the settings every customizable dialog shares.
    template <class TDialog>
    void Customize(TDialog* dialog, TForm* subForm, const TDemoOptions& options);
    void ApplySubFormSize(TForm* subForm, int defaultWidth, int defaultHeight, const TDemoOptions& options);
    // The dialog has closed: open it again while --reopen asks, then end with --exit.
    void DialogClosed();

    // Find and replace: modeless, so the run ends when the window closes, not when Execute
    // returns. The sub form counts the matches in the sample text at each search.
    template <class TDialog>
    void RunFindDialog(TDialog*& dialog, TMatchCountForm*& matches, const TDemoOptions& options);
    CustDlgs::TCFindDialog* FFindDialog = nullptr;
    CustDlgs::TCReplaceDialog* FReplaceDialog = nullptr;
    TMatchCountForm* FFindMatches = nullptr;
    TMatchCountForm* FReplaceMatches = nullptr;

    // The folder dialog: the sub form counts the files of the selected folder.
    void RunFolderDialog(const TDemoOptions& options);
    CustDlgs::TCSelectFolderDialog* FFolderDialog = nullptr;
    TFolderFactsForm* FFolderFacts = nullptr;

    // Open and save: one component each, created at the first opening and kept, so that the
    // place and size they remember carry over to the next opening.
    CustDlgs::TCOpenDialog* FileDialog(TDemoDialogKind kind);
    void RunFileDialog(TDemoDialogKind kind, const TDemoOptions& options);
    CustDlgs::TCOpenDialog* FOpenDialog = nullptr;
    CustDlgs::TCOpenDialog* FSaveDialog = nullptr;  // a TCSaveDialog
    TFileFactsForm* FOpenFacts = nullptr;
    TFileFactsForm* FSaveFacts = nullptr;

    TDemoOptions FScripted;  // the command line's settings beyond what the controls show
    int FReopenLeft = 0;
    TEventLog* FLog = nullptr;
    TIcon* FIcon;
};

// The one gallery window.
extern TGalleryForm* Gallery;

// Posted to the gallery to open the chosen dialog (at start and for each reopening).
constexpr UINT WM_OPENDIALOG = WM_APP + 1;
