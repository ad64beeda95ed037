// Top-level forms.
#pragma once

#include "framework/Controls.h"

class TMonitor;

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIconFlag : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

// A top-level window that owns and lays out controls. Hidden until shown.
// A scaled form (the default) is made at the screen's resolution: its client size, its
// controls and every font given in pixels are scaled from the design resolution as its window
// is made, and again by new / old when the platform moves it to a monitor of another
// resolution. Its Left and Top are screen pixels and are never scaled.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);

    const char* ClassName() const override { return "TForm"; }

    int GetClientWidth() const;
    int GetClientHeight() const;
    // Design pixels until the window is made, the window's pixels afterwards: a size designed
    // for a form that already has its window goes through ScaledFromDesign.
    void SetClientWidth(int value);
    void SetClientHeight(int value);

    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TBorderIcons GetBorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value);
    TPosition GetPosition() const { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }
    // Off: every size stays as designed, at any resolution. Set it before the window is made.
    bool GetScaled() const { return FScaled; }
    void SetScaled(bool value) { FScaled = value; }

    // Minimised or maximised state; a hidden form takes it when it is shown.
    TWindowState GetWindowState() const;
    void SetWindowState(TWindowState value);
    // Embeds the form in a platform window (a child window), or makes it top-level again.
    void SetParentWindow(HWND value) override;
    // The monitor the form is on (the primary one before it has a window).
    TMonitor* GetMonitor() const;

    void SetVisible(bool value) override;
    // Closes the form: the main form ends the application, any other form hides.
    void Close();

    void Dispatch(TMessage& message) override;
    // Ends the form while the whole of it, derived parts included, lives: its components end
    // their activity, the window hides, OnDestroy runs, and the window is destroyed.
    void BeforeDestruction() override;
    // Frees the form once control is back in the application's loop; safe from inside any of
    // the form's own events.
    void Release();

    TNotifyEvent OnDestroy;

protected:
    ~TForm() override;
    void CreateParams(TCreateParams& params) override;
    void InitializeHandle() override;
    int TargetPixelsPerInch() const override;
    // The client size, not the place on the screen.
    void ScaleBounds(int m, int d) override;
    // The window came to a monitor of another resolution: scale by new / old and take the
    // rectangle the platform suggests.
    void WMDpiChanged(TMessage& message);
    // Runs OnDestroy; an escaping exception goes to the application's handler.
    virtual void DoDestroy();
    // Outer size for a client size under the current styles.
    SIZE WindowSizeForClient(int clientWidth, int clientHeight) const;
    // The resolution the frame is drawn at: the window's, or the one it will be made at.
    int FramePixelsPerInch() const;

private:
    // Gives the form the outer size for that client size, with or without a window.
    void ApplyClientSize(int clientWidth, int clientHeight);
    // Gives a live window the styles the current properties ask for.
    void ApplyStyles();

    TBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    int FClientWidth = -1;
    int FClientHeight = -1;
    bool FDestroyed = false;
    bool FScaled = true;
};
