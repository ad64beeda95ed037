// The link label: a label with a normal, a hover and a pressed look that hands a target to the
// shell when it is clicked.
#pragma once

#include "framework/StdCtrls.h"

#include <functional>
#include <memory>

// What a click opens.
enum TJumpType { jtNone, jtCust, jtHome, jtMail, jtFile, jtCaption };

class TLightLabel : public TLabel {
public:
    explicit TLightLabel(TComponent* owner);
    ~TLightLabel() override;

    const char* ClassName() const override { return "TLightLabel"; }

    // The properties the designer lists, in the order it lists them.
    TColor GetLightColor() const { return FLightColor; }
    void SetLightColor(TColor value) { FLightColor = value; }
    TFont* GetLightFont() const { return FLightFont.get(); }
    void SetLightFont(TFont* value);
    bool GetLightEnabled() const { return FLightEnabled; }
    void SetLightEnabled(bool value) { FLightEnabled = value; }
    TColor GetDefaultColor() const { return FDefaultColor; }
    void SetDefaultColor(TColor value);
    TFont* GetDefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(TFont* value);
    bool GetDefaultEnabled() const { return FDefaultEnabled; }
    void SetDefaultEnabled(bool value) { FDefaultEnabled = value; }
    TColor GetClickColor() const { return FClickColor; }
    void SetClickColor(TColor value) { FClickColor = value; }
    TFont* GetClickFont() const { return FClickFont.get(); }
    void SetClickFont(TFont* value);
    bool GetClickEnabled() const { return FClickEnabled; }
    void SetClickEnabled(bool value) { FClickEnabled = value; }
    TJumpType GetJumpType() const { return FJumpType; }
    void SetJumpType(TJumpType value) { FJumpType = value; }
    const AnsiString& GetJumpTo() const { return FJumpTo; }
    void SetJumpTo(const AnsiString& value) { FJumpTo = value; }
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // True from the pointer entering the label until it leaves.
    bool GetMouseInside() const { return FMouseInside; }

    // Opens the target the jump type names.
    void Jump();
    // Shows the hover look.
    void Light();
    // Shows the normal look.
    void Default();

    void Dispatch(TMessage& message) override;

protected:
    void CMMouseEnter(TMessage& message);
    void CMMouseLeave(TMessage& message);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Click() override;
    // The three looks' fonts are scaled with the label's own, so every look fits its box.
    void ChangeScale(int m, int d) override;

private:
    TColor FLightColor;
    std::unique_ptr<TFont> FLightFont;
    bool FLightEnabled;
    TColor FDefaultColor;
    std::unique_ptr<TFont> FDefaultFont;
    bool FDefaultEnabled;
    TColor FClickColor;
    std::unique_ptr<TFont> FClickFont;
    bool FClickEnabled;
    TJumpType FJumpType;
    AnsiString FJumpTo;
    bool FMouseInside;
};

namespace LtLabel {

// The shell's open call, in the shape of ShellExecuteA.
using TShellExecute = std::function<HINSTANCE(HWND owner, const char* verb, const char* file,
                                              const char* parameters, const char* directory, int show)>;

// Puts `call` in place of the real ShellExecuteA (an empty one puts the real call back) and
// returns the call that was in place. Tests record the label's jumps through it.
TShellExecute SetShellExecute(TShellExecute call);

// Asks the shell to open `target`, with the executable's folder as the working directory. Whether
// the shell could open it is not checked.
void OpenTarget(const AnsiString& target);

// Puts TLightLabel on the designer's "Standard" palette page.
void Register();

}  // namespace LtLabel
