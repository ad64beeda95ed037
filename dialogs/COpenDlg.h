// Customizable open and save dialogs: the framework's file dialogs with a caller's sub form,
// optional resizing, minimum edge spaces, caption, icon and a remembered place.
#pragma once

#include "dialogs/DlgsCust.h"
#include "framework/Dialogs.h"

namespace CustDlgs {

// The open-file dialog with the customization of the dialogs library. At each opening it
// picks the customizer the look needs and starts customizing at the first folder change
// (Explorer look) or the first show-window message (old look).
class TCOpenDialog : public TCustomizableDialog<TOpenDialog> {
public:
    explicit TCOpenDialog(TComponent* owner);

    const char* ClassName() const override { return "TCOpenDialog"; }

    // WM_SHOWWINDOW goes to WMShowWindow, everything else to the framework.
    void Dispatch(TMessage& message) override;

    // Fires once per opening, when the customizing has started (the dialog is sized and placed).
    const TNotifyEvent& GetOnShowWindow() const { return FOnShowWindow; }
    void SetOnShowWindow(TNotifyEvent value) { FOnShowWindow = std::move(value); }

    bool GetStartPending() const { return FStartPending; }

protected:
    ~TCOpenDialog() override;
    void DoShow() override;
    // The deferred start of the customizing, once per opening.
    virtual void DoShowWindow();
    void DoFolderChange() override;
    void WMShowWindow(TMessage& message);
    void DoClose() override;

private:
    TNotifyEvent FOnShowWindow;
    bool FStartPending = false;
};

// The save-file dialog; in every other respect the customizable open dialog.
class TCSaveDialog : public TCOpenDialog {
public:
    using TCOpenDialog::TCOpenDialog;

    const char* ClassName() const override { return "TCSaveDialog"; }

    bool Execute() override;

protected:
    ~TCSaveDialog() override = default;
};

// The customizers below serve the components of this module only.

// Explorer look made resizable by the library: the file list (control 1121) takes the growth.
class TFixedOpenDialogCustomizer : public TFixedDialogCustomizer {
public:
    // The centre of the file list.
    bool CalcDialogCenterLine(TPoint& point) override;
    ~TFixedOpenDialogCustomizer() override;
};

// Old look: the split lies three quarters down the file list (control 1120). Both list boxes
// are laid out from the heights last measured or asked for, since the platform may give them
// a height of its own.
class TFixedOldOpenDialogCustomizer : public TFixedDialogCustomizer {
public:
    void InitializeDialog() override;
    bool CalcDialogCenterLine(TPoint& point) override;
    bool GetDialogControlRect(HWND window, TRect& rect) override;
    HDWP SetDialogControlRect(HDWP batch, HWND window, int x, int y, int width, int height, UINT flags) override;
    ~TFixedOldOpenDialogCustomizer() override;

    int GetList1Height() const { return FList1Height; }
    int GetList2Height() const { return FList2Height; }

protected:
    // The lists' heights too, where the platform scaled them.
    void ScaleLayout(int m, int d, bool controlsScaled) override;

private:
    int FList1Height = 0;
    int FList2Height = 0;
    HWND FList1 = nullptr;
    HWND FList2 = nullptr;
};

namespace COpenDlg {
// Puts the components on the designer's palette; never called by a running program.
void Register();
}  // namespace COpenDlg

}  // namespace CustDlgs
