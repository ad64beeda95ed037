#include "dialogs/COpenDlg.h"

#include "framework/DesignRegistry.h"

namespace CustDlgs {

namespace {
// The platform's file lists in its file dialog templates.
constexpr int FileList1 = 1120;  // old look: the files; Explorer look: a hidden place holder
constexpr int FileList2 = 1121;  // old look: the folders; Explorer look: the shell view

bool WindowHeight(HWND window, int& height)
{
    RECT rect;
    if (window == nullptr || !GetWindowRect(window, &rect))
        return false;
    height = rect.bottom - rect.top;
    return true;
}
}  // namespace

TCOpenDialog::TCOpenDialog(TComponent* owner) : TCustomizableDialog(owner) {}

TCOpenDialog::~TCOpenDialog() = default;

bool TCSaveDialog::Execute()
{
    return ExecuteWith(GetSaveFileNameA);
}

void TCOpenDialog::Dispatch(TMessage& message)
{
    if (message.Msg == WM_SHOWWINDOW)
        WMShowWindow(message);
    else
        TOpenDialog::Dispatch(message);
}

void TCOpenDialog::DoShow()
{
    const bool explorer = IsExplorerLook();
    const bool sizing = explorer && GetOptions().Contains(ofEnableSizing);
    HWND dialog;
    TDialogCustomizer* customizer;
    if (explorer) {
        dialog = DialogWindow();
        // The hook's own child takes no room among the dialog's controls.
        SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0, 0);
        if (sizing)
            customizer = new TSizingDialogCustomizer;
        else
            customizer = new TFixedOpenDialogCustomizer;
    } else {
        dialog = GetHandle();
        customizer = new TFixedOldOpenDialogCustomizer;
    }
    AttachCustomizer(dialog, customizer);
    TOpenDialog::DoShow();
    FStartPending = true;
}

void TCOpenDialog::DoShowWindow()
{
    if (!FStartPending)
        return;
    FDlgsUnit->StartCustomize();
    // Windows' Explorer look restores its own last size, and older Windows its place, right after
    // the first folder change: the place and size just made hold until that has passed.
    if (TDialogCustomizer* customizer = GetCustomizer())
        customizer->HoldPlace();
    FStartPending = false;
    if (FOnShowWindow)
        FOnShowWindow(this);
}

void TCOpenDialog::WMShowWindow(TMessage& message)
{
    // In the Explorer look the first folder change starts the customizing instead.
    if (!IsExplorerLook())
        DoShowWindow();
    TOpenDialog::Dispatch(message);
}

void TCOpenDialog::DoFolderChange()
{
    DoShowWindow();
    TOpenDialog::DoFolderChange();
}

void TCOpenDialog::DoClose()
{
    // A dialog closed before its deferred start leaves nothing pending for the next one.
    FStartPending = false;
    TCustomizableDialog::DoClose();
}

bool TFixedOpenDialogCustomizer::CalcDialogCenterLine(TPoint& point)
{
    HWND list = GetDlgItem(FHandle, FileList2);
    RECT rect;
    if (list == nullptr || !GetWindowRect(list, &rect))
        return false;
    point.x = (rect.left + rect.right) / 2;
    point.y = (rect.top + rect.bottom) / 2;
    return true;
}

TFixedOpenDialogCustomizer::~TFixedOpenDialogCustomizer() = default;

void TFixedOldOpenDialogCustomizer::InitializeDialog()
{
    TFixedDialogCustomizer::InitializeDialog();
    FList1Height = 0;
    FList2Height = 0;
    FList1 = GetDlgItem(FHandle, FileList1);
    WindowHeight(FList1, FList1Height);
    FList2 = GetDlgItem(FHandle, FileList2);
    WindowHeight(FList2, FList2Height);
}

bool TFixedOldOpenDialogCustomizer::CalcDialogCenterLine(TPoint& point)
{
    FList1 = GetDlgItem(FHandle, FileList1);
    FList2 = GetDlgItem(FHandle, FileList2);
    RECT rect;
    if (FList1 == nullptr || !GetWindowRect(FList1, &rect))
        return false;
    point.x = (rect.left + rect.right) / 2;
    point.y = rect.top + (rect.bottom - rect.top) * 3 / 4;
    return true;
}

bool TFixedOldOpenDialogCustomizer::GetDialogControlRect(HWND window, TRect& rect)
{
    if (!TFixedDialogCustomizer::GetDialogControlRect(window, rect))
        return false;
    if (window == FList1)
        rect.bottom = rect.top + FList1Height;
    else if (window == FList2)
        rect.bottom = rect.top + FList2Height;
    return true;
}

HDWP TFixedOldOpenDialogCustomizer::SetDialogControlRect(HDWP batch, HWND window, int x, int y, int width,
                                                         int height, UINT flags)
{
    HDWP result = TFixedDialogCustomizer::SetDialogControlRect(batch, window, x, y, width, height, flags);
    if (window == FList1)
        FList1Height = height;
    else if (window == FList2)
        FList2Height = height;
    return result;
}

void TFixedOldOpenDialogCustomizer::ScaleLayout(int m, int d, bool controlsScaled)
{
    TFixedDialogCustomizer::ScaleLayout(m, d, controlsScaled);
    if (controlsScaled) {
        FList1Height = ScalePixels(FList1Height, m, d);
        FList2Height = ScalePixels(FList2Height, m, d);
    }
}

TFixedOldOpenDialogCustomizer::~TFixedOldOpenDialogCustomizer() = default;

namespace COpenDlg {
void Register()
{
    RegisterComponents("Dialogs",
                       {ComponentClass<TCOpenDialog>("TCOpenDialog"), ComponentClass<TCSaveDialog>("TCSaveDialog")});
    RegisterPropertiesInCategory(sVisualCategoryName, "TCOpenDialog", {"SubFormPos", "SubFormAnchors", "MinEdgeSpace"});
}
}  // namespace COpenDlg

}  // namespace CustDlgs
