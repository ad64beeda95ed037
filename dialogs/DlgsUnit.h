// The settings behind every customizable dialog component: sub form, edge spaces, caption,
// icon and the geometry remembered from one opening to the next.
#pragma once

#include "framework/Forms.h"
#include "framework/Icon.h"
#include "framework/Sets.h"
#include "framework/Types.h"

#include <cstdint>
#include <initializer_list>

namespace CustDlgs {

class TDialogCustomizer;
class TCustomDlgsUnit;

// Where the sub form goes. The numbers are values callers save.
enum TSubFormPos : std::uint8_t { fpLeft = 0, fpTop = 1, fpRight = 2, fpBottom = 3, fpClient = 4 };

// One side of the dialog.
enum TSubFormAnchorKind : std::uint8_t { faLeft = 0, faTop = 1, faRight = 2, faBottom = 3 };

// A set of TSubFormAnchorKind in one byte: bit n stands for the kind of value n.
using TSubFormAnchors = TSet<TSubFormAnchorKind, std::uint8_t>;

constexpr std::uint8_t AnchorBit(TSubFormAnchorKind kind)
{
    return TSubFormAnchors::Bit(kind);
}

constexpr TSubFormAnchors AllSubFormAnchors = {faLeft, faTop, faRight, faBottom};
static_assert(AllSubFormAnchors.Bits() == 0x0F && sizeof(TSubFormAnchors) == 1, "the anchors' numbers are stored");

constexpr TSubFormAnchors SubFormAnchors(std::initializer_list<TSubFormAnchorKind> kinds)
{
    return TSubFormAnchors(kinds);
}

constexpr bool HasAnchor(TSubFormAnchors set, TSubFormAnchorKind kind)
{
    return set.Contains(kind);
}

// Four distances in pixels from the edges of a dialog's client area.
class TDialogEdgeSpace : public TPersistent {
public:
    TDialogEdgeSpace() = default;
    TDialogEdgeSpace(unsigned left, unsigned top, unsigned right, unsigned bottom);

    const char* ClassName() const override { return "TDialogEdgeSpace"; }

    unsigned GetLeftSpace() const { return FLeftSpace; }
    unsigned GetTopSpace() const { return FTopSpace; }
    unsigned GetRightSpace() const { return FRightSpace; }
    unsigned GetBottomSpace() const { return FBottomSpace; }
    void SetLeftSpace(unsigned value) { SetEdgeSpace(0, value); }
    void SetTopSpace(unsigned value) { SetEdgeSpace(1, value); }
    void SetRightSpace(unsigned value) { SetEdgeSpace(2, value); }
    void SetBottomSpace(unsigned value) { SetEdgeSpace(3, value); }

    // Index 0 left, 1 top, 2 right, 3 bottom.
    virtual void SetEdgeSpace(int index, unsigned value);
    virtual void SetAllEdgeSpace(unsigned left, unsigned top, unsigned right, unsigned bottom);

    void Assign(TPersistent* source) override;

protected:
    unsigned FLeftSpace = 0;
    unsigned FTopSpace = 0;
    unsigned FRightSpace = 0;
    unsigned FBottomSpace = 0;
};

// The minimum edge spaces a caller sets; every change is vetted by the owning unit and
// re-lays out an open dialog.
class TDialogMinEdgeSpace : public TDialogEdgeSpace {
public:
    explicit TDialogMinEdgeSpace(TCustomDlgsUnit* owner);

    const char* ClassName() const override { return "TDialogMinEdgeSpace"; }

    void SetEdgeSpace(int index, unsigned value) override;
    void SetAllEdgeSpace(unsigned left, unsigned top, unsigned right, unsigned bottom) override;

private:
    TCustomDlgsUnit* FOwner;
};

// One per dialog component: the settings, and the link to the customizer of the open window.
class TCustomDlgsUnit : public TComponent {
public:
    explicit TCustomDlgsUnit(TComponent* owner);

    const char* ClassName() const override { return "TCustomDlgsUnit"; }
    // A dialog still open: its customizer lets go of the window, and of the grip this unit owns.
    void BeforeDestruction() override;

    // The platform has created the dialog window: attach `customizer` to it.
    void RegistDialog(HWND window, TDialogCustomizer* customizer);
    // Sizes and places the registered dialog and sets its caption.
    void StartCustomize();
    // The dialog window; null while none is open.
    HWND GetHandle() const;
    // The registered customizer reports its window's destruction.
    void DialogDestroy(TDialogCustomizer* customizer);

    TDialogCustomizer* GetCustomizer() const { return FCustomizer; }

    TForm* GetSubForm() const { return FSubForm; }
    void SetSubForm(TForm* value);
    TSubFormPos GetSubFormPos() const { return FSubFormPos; }
    void SetSubFormPos(TSubFormPos value);
    TSubFormAnchors GetSubFormAnchors() const { return FSubFormAnchors; }
    void SetSubFormAnchors(TSubFormAnchors value);
    void SetSubFormAllProperties(TForm* form, TSubFormPos pos, TSubFormAnchors anchors);

    bool GetDialogSizing() const { return FDialogSizing; }
    void SetDialogSizing(bool value);

    TDialogMinEdgeSpace* GetMinEdgeSpace() const { return FMinEdgeSpace; }
    void SetMinEdgeSpace(TDialogEdgeSpace* value);
    TDialogEdgeSpace* GetNowEdgeSpace() const { return FNowEdgeSpace; }

    TPoint GetPosition() const;
    void SetPosition(const TPoint& value);
    int GetLeft() const { return GetPosition().x; }
    int GetTop() const { return GetPosition().y; }
    void SetLeft(int value);
    void SetTop(int value);
    // The outer size handed to the next opening; (-1, -1) keeps the dialog's own.
    TPoint GetDialogSize() const { return FDialogSize; }

    AnsiString GetCaption() const;
    void SetCaption(const AnsiString& value);

    TIcon* GetIcon() const { return FIcon; }
    void SetIcon(TIcon* value);
    // Applies the icon to the open window.
    void SysIconChange(TObject* sender);

private:
    // Takes this unit's copy out of the class of `window` if it is still there, and destroys it.
    void ReleaseClassIcon(HWND window);

protected:
    ~TCustomDlgsUnit() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TDialogCustomizer* FCustomizer = nullptr;
    TForm* FSubForm = nullptr;
    TSubFormPos FSubFormPos = fpClient;
    TSubFormAnchors FSubFormAnchors = AllSubFormAnchors;
    TDialogMinEdgeSpace* FMinEdgeSpace = nullptr;
    TDialogEdgeSpace* FNowEdgeSpace = nullptr;
    bool FDialogSizing = false;
    TPoint FPosition = {-1, -1};
    TPoint FDialogSize = {-1, -1};
    TIcon* FIcon = nullptr;
    // The copy of the icon this unit put into the dialog window class (shared by every dialog of
    // the process), for as long as its dialog is open; null when it put none there.
    HICON FClassIcon = nullptr;
    AnsiString FCaption;
};

}  // namespace CustDlgs
