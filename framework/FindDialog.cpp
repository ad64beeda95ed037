#include "framework/FindDialog.h"

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/WindowObject.h"

#include <dlgs.h>

namespace {
// The dialog behind each hidden owner window.
const TWindowObject<TFindDialog> FindDialogOfOwner("TFindDialogOwner");

const TSetFlag<TFindOptions, DWORD> FindFlags[] = {
    {frDown, FR_DOWN},
    {frFindNext, FR_FINDNEXT},
    {frHideMatchCase, FR_HIDEMATCHCASE},
    {frHideWholeWord, FR_HIDEWHOLEWORD},
    {frHideUpDown, FR_HIDEUPDOWN},
    {frMatchCase, FR_MATCHCASE},
    {frDisableMatchCase, FR_NOMATCHCASE},
    {frDisableUpDown, FR_NOUPDOWN},
    {frDisableWholeWord, FR_NOWHOLEWORD},
    {frReplace, FR_REPLACE},
    {frReplaceAll, FR_REPLACEALL},
    {frWholeWord, FR_WHOLEWORD},
    {frShowHelp, FR_SHOWHELP},
};
static_assert(sizeof(FindFlags) / sizeof(FindFlags[0]) == frShowHelp + 1, "an entry for every option");

UINT FindReplaceMessage()
{
    static const UINT message = RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

// Copies `text` into a text buffer of the dialog, cut to fit with its terminator.
void CopyText(char* buffer, const AnsiString& text)
{
    CopyToBuffer(buffer, TFindDialog::TextBufferSize, text);
}
}  // namespace

// The hidden window that owns a find dialog: the platform reports every button press to the
// dialog's owner.
struct FindOwnerWindow {
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        TFindDialog* dialog = FindDialogOfOwner.Find(window);
        if (msg == FindReplaceMessage() && msg != 0) {
            auto* record = reinterpret_cast<FINDREPLACEA*>(lParam);
            if (dialog != nullptr && record == &dialog->FFindReplace)
                GuardedCall(dialog, [&] { dialog->FindMessage(*record); });
            return 0;
        }
        if (msg == WM_NCDESTROY && dialog != nullptr) {
            // Gone with the window that owned it (the main form); the next opening makes another.
            dialog->FOwnerWindow = nullptr;
            FindDialogOfOwner.Unbind(window);
        }
        return DefWindowProcA(window, msg, wParam, lParam);
    }

    static HWND Create(TFindDialog* dialog, HWND owner)
    {
        static const bool registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = WndProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "TFindDialogOwner";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        HWND window = CreateWindowExA(0, "TFindDialogOwner", "", WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        if (window != nullptr)
            FindDialogOfOwner.Bind(window, dialog);
        return window;
    }
};

DWORD FindOptionsToFlags(TFindOptions options)
{
    return SetToFlags(options, FindFlags);
}

TFindOptions FlagsToFindOptions(DWORD flags)
{
    return FlagsToSet(flags, FindFlags);
}

TFindDialog::TFindDialog(TComponent* owner) : TCommonDialog(owner) {}

TFindDialog::~TFindDialog()
{
    if (FOwnerWindow != nullptr)
        DestroyWindow(FOwnerWindow);
}

bool TFindDialog::ShowDialog(TDialogRun& run)
{
    if (FHandle != nullptr) {
        BringWindowToTop(FHandle);
        return true;
    }
    FFindReplace = FINDREPLACEA{};
    FFindReplace.lStructSize = sizeof(FFindReplace);
    FFindReplace.hwndOwner = OwnerWindow();
    FFindReplace.hInstance = GetModuleHandleA(nullptr);
    FFindReplace.Flags = FindOptionsToFlags(FOptions) | FR_ENABLEHOOK;
    FFindReplace.lpstrFindWhat = FFindText;
    FFindReplace.wFindWhatLen = TextBufferSize;
    FFindReplace.lpstrReplaceWith = FReplaceText;
    FFindReplace.wReplaceWithLen = TextBufferSize;
    FFindReplace.lpfnHook = DialogHook;
    HWND window;
    {
        TDialogHookScope scope(this);
        window = CreateFindWindow(FFindReplace);
    }
    // Freed while the platform created it: nothing of the component is left.
    if (run.Component == nullptr)
        return false;
    return window != nullptr && window == FHandle;
}

HWND TFindDialog::CreateFindWindow(FINDREPLACEA& record)
{
    return FindTextA(&record);
}

void TFindDialog::CloseDialog()
{
    if (FHandle == nullptr)
        return;
    // As the Cancel button does: the platform reports the end to the owner, then destroys the
    // window. A window that stays (a handler kept the command) is destroyed all the same.
    SendMessageA(FHandle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(FHandle, IDCANCEL)));
    if (FHandle != nullptr)
        DestroyWindow(FHandle);
}

void TFindDialog::SetFindText(const AnsiString& value)
{
    CopyText(FFindText, value);
    FFindTextW = AnsiToWide(FFindText);
    if (FHandle != nullptr)
        SetDlgItemTextA(FHandle, edt1, FFindText);
}

void TFindDialog::SetReplaceText(const AnsiString& value)
{
    CopyText(FReplaceText, value);
    FReplaceTextW = AnsiToWide(FReplaceText);
    if (FHandle != nullptr)
        SetDlgItemTextA(FHandle, edt2, FReplaceText);
}

namespace {
// The start of `value` whose code-page form fits a text buffer, cut between characters: a box
// that shows a text holds no more of it than the buffer does.
WideString FittingText(const WideString& value)
{
    size_t bytes = 0;
    for (size_t i = 0; i < value.size();) {
        const bool pair = IS_HIGH_SURROGATE(value[i]) && i + 1 < value.size() && IS_LOW_SURROGATE(value[i + 1]);
        const size_t units = pair ? 2 : 1;
        bytes += WideToAnsi(value.substr(i, units)).size();
        if (bytes > TFindDialog::TextBufferSize - 1)
            return value.substr(0, i);
        i += units;
    }
    return value;
}

// Sets both forms of a text from its wide form, both cut at the same character: the ANSI one
// only where it is exact.
void SetTexts(char* buffer, WideString& wide, const WideString& value)
{
    wide = FittingText(value);
    bool exact = false;
    const AnsiString ansi = WideToAnsi(wide, &exact);
    CopyText(buffer, exact ? ansi : AnsiString());
}
}  // namespace

void TFindDialog::SetFindTextW(const WideString& value)
{
    SetTexts(FFindText, FFindTextW, value);
    if (FHandle != nullptr)
        SetDlgItemTextW(FHandle, edt1, FFindTextW.c_str());
}

void TFindDialog::SetReplaceTextW(const WideString& value)
{
    SetTexts(FReplaceText, FReplaceTextW, value);
    if (FHandle != nullptr)
        SetDlgItemTextW(FHandle, edt2, FReplaceTextW.c_str());
}

WideString TFindDialog::GetFindTextW() const
{
    return BoxTextW(edt1, FFindTextW);
}

WideString TFindDialog::GetReplaceTextW() const
{
    return BoxTextW(edt2, FReplaceTextW);
}

WideString TFindDialog::BoxTextW(int id, const WideString& kept) const
{
    HWND box = FHandle != nullptr ? GetDlgItem(FHandle, id) : nullptr;
    return box != nullptr ? WindowTextW(box) : kept;
}

void TFindDialog::KeepTextsW()
{
    FFindTextW = GetFindTextW();
    FReplaceTextW = GetReplaceTextW();
}

int TFindDialog::GetLeft() const
{
    RECT r;
    if (FHandle != nullptr && GetWindowRect(FHandle, &r))
        return r.left;
    return FPosition.x;
}

int TFindDialog::GetTop() const
{
    RECT r;
    if (FHandle != nullptr && GetWindowRect(FHandle, &r))
        return r.top;
    return FPosition.y;
}

void TFindDialog::SetLeft(int value)
{
    FPosition.x = value;
    if (FHandle != nullptr)
        MoveTo(FPosition.x, FPosition.y);
}

void TFindDialog::SetTop(int value)
{
    FPosition.y = value;
    if (FHandle != nullptr)
        MoveTo(FPosition.x, FPosition.y);
}

void TFindDialog::MoveTo(int left, int top)
{
    // A coordinate still at -1 keeps the window's own.
    RECT r;
    GetWindowRect(FHandle, &r);
    SetWindowPos(FHandle, nullptr, left != -1 ? left : r.left, top != -1 ? top : r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND TFindDialog::OwnerWindow()
{
    // Owned by the main form, so the dialog stays above it.
    TForm* mainForm = Application->GetMainForm();
    HWND owner = mainForm != nullptr && mainForm->HandleAllocated() ? mainForm->GetHandle() : nullptr;
    if (FOwnerWindow != nullptr && GetWindow(FOwnerWindow, GW_OWNER) != owner)
        DestroyWindow(FOwnerWindow);
    if (FOwnerWindow == nullptr)
        FOwnerWindow = FindOwnerWindow::Create(this, owner);
    return FOwnerWindow;
}

void TFindDialog::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_INITDIALOG:
        WMInitDialog(message);
        break;
    case WM_DESTROY:
        WMDestroy(message);
        break;
    default:
        TCommonDialog::Dispatch(message);
        break;
    }
}

void TFindDialog::WMInitDialog(TMessage& message)
{
    // TRUE lets the platform show the dialog; set first, so a failing OnShow cannot keep it hidden.
    message.Result = TRUE;
    // The platform put the ANSI texts in the boxes; a wide text the code page lacks goes in whole.
    SetDlgItemTextW(FHandle, edt1, FFindTextW.c_str());
    if (HWND replaceBox = GetDlgItem(FHandle, edt2))
        SetWindowTextW(replaceBox, FReplaceTextW.c_str());
    // One place as it opens: where Left and Top put it, else the first place.
    PlaceDialog(FHandle, FPosition);
    Application->AddModelessDialog(FHandle);
    DoShow();
}

void TFindDialog::WMDestroy(TMessage& message)
{
    message.Result = 0;
    Application->RemoveModelessDialog(FHandle);
    // Closed even when a close handler fails.
    struct Closed {
        HWND& Handle;
        ~Closed() { Handle = nullptr; }
    } closed{FHandle};
    // The boxes still exist: their children go after the dialog's own destruction message. A
    // close reports no texts, so both forms are taken from the boxes here.
    SetTexts(FFindText, FFindTextW, GetFindTextW());
    if (GetDlgItem(FHandle, edt2) != nullptr)
        SetTexts(FReplaceText, FReplaceTextW, GetReplaceTextW());
    DoClose();
}

void TFindDialog::FindMessage(FINDREPLACEA& record)
{
    // The platform wrote the texts into this dialog's buffers and the choices into the flags.
    FOptions = FlagsToFindOptions(record.Flags);
    KeepTextsW();
    if (record.Flags & FR_FINDNEXT)
        DoFind();
    else if (record.Flags & (FR_REPLACE | FR_REPLACEALL))
        DoReplace();
}

void TFindDialog::DoFind()
{
    if (OnFind)
        OnFind(this);
}

void TFindDialog::DoReplace()
{
    if (OnReplace)
        OnReplace(this);
}

TReplaceDialog::TReplaceDialog(TComponent* owner) : TFindDialog(owner) {}

HWND TReplaceDialog::CreateFindWindow(FINDREPLACEA& record)
{
    return ReplaceTextA(&record);
}
