// Top-level forms.
#pragma once

#include "framework/Controls.h"

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIconFlag : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

// A top-level window that owns and lays out controls. Hidden until shown.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    const char* ClassName() const override { return "TForm"; }

    int GetClientWidth() const;
    int GetClientHeight() const;
    void SetClientWidth(int value);
    void SetClientHeight(int value);

    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TBorderIcons GetBorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value);
    TPosition GetPosition() const { return FPosition; }
    void SetPosition(TPosition value) { FPosition = value; }

    void SetVisible(bool value) override;
    // Closes the form: the main form ends the application, any other form hides.
    void Close();

    void Dispatch(TMessage& message) override;

    TNotifyEvent OnDestroy;

protected:
    void CreateParams(TCreateParams& params) override;
    // Runs OnDestroy; an escaping exception goes to the application's handler.
    virtual void DoDestroy();
    // Outer size for a client size under the current styles.
    SIZE WindowSizeForClient(int clientWidth, int clientHeight) const;

private:
    void ApplyClientSize();

    TBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition FPosition = poDesigned;
    int FClientWidth = -1;
    int FClientHeight = -1;
    bool FDestroyed = false;
};
