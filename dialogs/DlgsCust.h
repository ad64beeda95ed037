// Customizers: objects that take over one open dialog window for as long as it exists, embed
// the caller's sub form, size the window and lay out its controls; and the size grip.
#pragma once

#include "dialogs/DlgsUnit.h"
#include "framework/FormEmbedding.h"
#include "framework/LayoutAnchors.h"
#include "framework/Lists.h"
#include "framework/RepaintBatch.h"

#include <functional>
#include <vector>

namespace CustDlgs {

// The bottom-right size grip put on fixed dialogs that are made resizable.
class TDialogGrip : public TWinControl {
public:
    explicit TDialogGrip(TComponent* owner);

    const char* ClassName() const override { return "TDialogGrip"; }

protected:
    ~TDialogGrip() override = default;
    void CreateParams(TCreateParams& params) override;
};

using TSizeChangedEvent = std::function<void(const TPoint& clientSize)>;

// The base of every customizer. One customizer serves exactly one dialog window.
class TDialogCustomizer {
public:
    TDialogCustomizer();
    TDialogCustomizer(const TDialogCustomizer&) = delete;
    TDialogCustomizer& operator=(const TDialogCustomizer&) = delete;

    // The order of these virtual operations is part of the class's contract; keep it.
    virtual void InitializeDialog();
    // May property changes be applied while the dialog is open?
    virtual bool GetCanChangeProperties() const = 0;
    virtual void WndProc(TMessage& message);
    // Embeds the current sub form and gives the window its starting size.
    virtual void ResizeDialog(const TPoint* size);
    // The client area is about to take `clientSize`: move the sub form (and controls).
    virtual void ChangedDialogSize(const TPoint& clientSize) = 0;
    virtual ~TDialogCustomizer();
    // A setting changed while the dialog is open.
    virtual void UpdateProperty();
    // Whether closing records the outer size for the next opening: only where the user could
    // resize the dialog. The unit asks this instead of knowing the kinds of customizer.
    virtual bool GetRemembersDialogSize() const { return true; }

    // The unit is freed while its dialog is still open (a modeless dialog outliving its form):
    // the customizer lets go of the window, the sub form and the grip, and of the unit.
    void DlgsUnitDestroying();

    // Records the window, saves and prepares the sub form and subclasses the window.
    void RegistDialog(HWND window, TCustomDlgsUnit& unit);
    // Sizes the dialog for the sub form and places it (-1 in a coordinate: automatic place).
    void StartCustomize(const TPoint& position, const TPoint& size);
    // Keeps the dialog at its place and at the size it remembered (else its size now) until the
    // messages queued behind this moment have been handled: the platform may restore a place and
    // size of its own right after the notification that started the customizing (Windows' file
    // dialog does). A move or size made meanwhile by anything but the component is replaced by
    // the held one; a user's move or size, or a system command, ends the hold.
    void HoldPlace();
    // Moves the dialog to `position` (screen), as the component's own move: a held place follows.
    void MoveTo(const TPoint& position);

    HWND GetHandle() const { return FHandle; }
    TCustomDlgsUnit* GetDlgsUnit() const { return FDlgsUnit; }
    int GetState() const { return FState; }
    TPoint GetInitDialogSize() const { return FInitDialogSize; }
    TPoint GetInitClientSize() const { return FInitClientSize; }
    TPoint GetMinDialogSizeValue() const { return FMinDialogSize; }
    TForm* GetEmbeddedForm() const { return FEmbeddedForm; }
    // The dialog's resolution, read at registration and followed when it changes: the sub form
    // is scaled to it.
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    // The unit's minimum edge spaces (design pixels) in the dialog's pixels, as left, top,
    // right and bottom.
    TRect GetScaledMinEdgeSpace() const;

    // Fills `list` with the dialog's own controls: direct children other than the sub form
    // and size grips.
    void GetDlgControlsHandle(TList* list);
    // Recomputes the minimum outer size.
    void GetMinDialogSize();
    void SaveSubFormProperties();
    void RestoreSubFormProperties();
    // For a client area of `clientSize`: where the dialog's controls and the sub form go, in
    // client coordinates; records the edge spaces in the unit. Either pointer may be null.
    // Virtual, so the layout a derived class computes is the one every caller gets.
    virtual void GetControlsandSubFormRect(const TPoint& clientSize, TRect* controlsRect, TRect* subFormRect);

    // The thunk's entry: exceptions stop here and go to the application's handler.
    void MainWndProc(TMessage& message);

protected:
    static BOOL CALLBACK DlgControlsProc(HWND window, LPARAM param);

    // The window is being destroyed: the customizer lets it go (ReleaseWindow).
    void WMDestroy(TMessage& message);
    // A move or size while the place is held: the held place and size instead, unless the
    // component makes it.
    void KeepHeldPlace(WINDOWPOS& pos) const;
    // One step of the hold's end (HoldPlace): posted again until the queue behind it is handled,
    // then the held place is made again if something got past.
    void EndHold();
    // Puts the dialog at the held place and size where it is not there.
    void PlaceAgain();
    // Runs `move`, a move or size of the dialog by the component itself: a held place takes it.
    template <class TMove>
    void MoveItself(TMove move);
    void WMNCCalcSize(TMessage& message);
    void WMGetMinMaxInfo(TMessage& message);
    // The dialog came to a monitor of another resolution: the dialog takes its own steps, the
    // sub form, the edge spaces, the minimum size and the layout follow (ScaleLayout), and the
    // dialog takes the place the platform suggests (at least its new minimum size).
    void WMDpiChanged(TMessage& message);
    // Scales what the layout keeps in the dialog's pixels by m / d (new / old resolution).
    // `controlsScaled`: the platform scaled the dialog's own controls with it.
    virtual void ScaleLayout(int m, int d, bool controlsScaled);
    // A shown control of the platform's that reaches past the client area with nothing to show
    // there (the Explorer look's tool bar is wider than its buttons) ends at the client area.
    void TrimToClientArea();
    // The dialog's controls and their client rectangles; with `fixedHeightOnly`, only those of a
    // fixed height (buttons, texts, combo boxes).
    TChildPlaces ControlPlaces(bool fixedHeightOnly = false);
    // The windows of ours in the dialog (the sub form, the grip) and their places.
    TChildPlaces OwnWindowPlaces();
    // The size grip's window, if the customizer made one.
    virtual HWND GripWindow() const { return nullptr; }
    // A shown control of the dialog's that reaches past `controls` (their room, in client
    // coordinates) on a side the sub form takes moves back inside it, as a drag of the grip
    // leaves it, keeping its size. Only one larger than the room is cut at its edge. The
    // controls in `leave` are not touched.
    void KeepControlsInsideRoom(const RECT& controls, const std::vector<HWND>& leave = {});
    // Lets the window go: the subclassing comes off, the unit records the place, the sub form
    // goes back. At the window's destruction, or when the customizer goes while still attached.
    // A derived class adds its own closing work and calls this.
    virtual void ReleaseWindow();

    HWND FHandle = nullptr;
    TCustomDlgsUnit* FDlgsUnit = nullptr;
    // The embedded form, and what it had before (restored when it leaves the dialog).
    TForm* FEmbeddedForm = nullptr;
    TFormEmbedding FEmbedding;
    TPoint FSubFormClientSize = {0, 0};
    TPoint FInitDialogSize = {0, 0};
    TPoint FInitClientSize = {0, 0};
    TPoint FMinDialogSize = {0, 0};
    TSizeChangedEvent FOnSizeChanged;
    int FState = 0;
    int FPixelsPerInch = DesignPixelsPerInch;
    // The initial client size and the resolution at registration.
    TPoint FRegisteredClientSize = {0, 0};
    int FRegisteredPixelsPerInch = DesignPixelsPerInch;
    void* FObjectInstance = nullptr;
    WNDPROC FOldWndProc = nullptr;
    // The place and size held against the platform (HoldPlace), and the posted steps left before
    // the hold ends; 0: none held.
    RECT FHeldPlace = {0, 0, 0, 0};
    int FHoldSteps = 0;
    // Inside a move or size the component makes itself (MoveItself).
    int FOwnMoves = 0;
};

// For dialogs that lay out their own controls when resized: makes room for the sub form once
// at registration and afterwards only keeps the sub form in its place.
class TSizingDialogCustomizer : public TDialogCustomizer {
public:
    TSizingDialogCustomizer() = default;

    void InitializeDialog() override;
    bool GetCanChangeProperties() const override { return false; }
    void ResizeDialog(const TPoint* size) override;
    void ChangedDialogSize(const TPoint& clientSize) override;
    ~TSizingDialogCustomizer() override;
    // Enlarges the dialog by the sub form's room.
    virtual void KeepInitializeDialogSize();

    // The size-changed callback during registration: shifts the dialog's controls once.
    void InitializeDialogSize(const TPoint& clientSize);

    bool GetAlwaysMoveSubForm() const { return FAlwaysMoveSubForm; }

    // Passes every message on; after the dialog's own layout (a size change, a show) keeps its
    // controls out of the sub form's room.
    void WndProc(TMessage& message) override;

protected:
    // Lets the dialog lay itself out at two sizes and notes which control edges followed the
    // right or bottom edge (as the customizing starts, and again at a change of resolution if
    // none did then).
    void LearnLayoutAnchors();
    // A dialog that lays its controls out afresh from its edges puts those it keeps at the right
    // or bottom into the room made there for the sub form: those edges come back by the room
    // (a control moves, or shrinks if only its far edge followed). An edge the dialog left
    // clear of the room (a layout by deltas) is not touched. Then KeepControlsInsideRoom for
    // the others.
    void KeepControlsOutOfRoom();
    // The learnt distances too, where the platform scaled the controls.
    void ScaleLayout(int m, int d, bool controlsScaled) override;
    // The room the sub form takes at each edge of the client area (left, top, right, bottom).
    RECT SubFormRoom();
    // The dialog came to another resolution (WMDpiChanged): each control goes where the dialog's
    // own layout puts it at the new resolution and size, whatever the platform did meanwhile and
    // in which order: its edges kept from the near side of the controls' room at their scaled
    // distance from it, those kept from the far side likewise from that.
    void FollowResolution(TMessage& message);

    bool FAlwaysMoveSubForm = false;
    bool FAnchorsLearned = false;
    bool FLearningAnchors = false;
    // Inside the dialog's own steps for a new resolution (FollowResolution).
    bool FFollowingResolution = false;
    // Where the dialog's own layout keeps each control's edges.
    TLayoutAnchors FAnchors;
    // The change of scale the last WMDpiChanged applied: new / old, and whether the platform
    // rescaled the controls (else they keep their sizes).
    struct TRescale {
        int M = 1, D = 1;
        bool ControlsScaled = false;
    } FRescale;
};

// For dialogs with a fixed layout: lays out the dialog's controls and the sub form itself on
// every size change, optionally makes the dialog resizable with a size grip.
class TFixedDialogCustomizer : public TDialogCustomizer {
public:
    TFixedDialogCustomizer() = default;

    void InitializeDialog() override;
    bool GetCanChangeProperties() const override { return true; }
    void WndProc(TMessage& message) override;
    void ResizeDialog(const TPoint* size) override;
    void ChangedDialogSize(const TPoint& clientSize) override;
    ~TFixedDialogCustomizer() override;
    void UpdateProperty() override;
    // Only a dialog made resizable (DialogSizing) remembers its size.
    bool GetRemembersDialogSize() const override;
    // The split point in screen coordinates: controls spanning it widen, those after it move.
    virtual bool CalcDialogCenterLine(TPoint& point) = 0;
    // One dialog control's rectangle in screen coordinates.
    virtual bool GetDialogControlRect(HWND window, TRect& rect);
    // Queues one control's new place (client coordinates) in the batch.
    virtual HDWP SetDialogControlRect(HDWP batch, HWND window, int x, int y, int width, int height, UINT flags);

    // The fixed layout: the base rectangles, with growth beyond the minimum size handed to the
    // edge spaces of the sides that are not anchored.
    void GetControlsandSubFormRect(const TPoint& clientSize, TRect* controlsRect, TRect* subFormRect) override;
    HDWP DeferDialogControlsPos(HDWP batch, TList* controls, const TRect& newRect);
    HDWP SetDialogControlsPosition(HDWP batch, TList* controls, const TPoint& centre, int dx, int dy, int dw,
                                   int dh);

    TDialogGrip* GetGrip() const { return FGrip; }
    TRect GetControlsRect() const { return FControlsRect; }

protected:
    void WMWindowPosChanging(TMessage& message);
    // Frees the grip too.
    void ReleaseWindow() override;
    // The grip, and the controls' place where the platform moved them.
    void ScaleLayout(int m, int d, bool controlsScaled) override;
    HWND GripWindow() const override;

    TDialogGrip* FGrip = nullptr;
    TRect FControlsRect = {0, 0, 0, 0};

private:
    // The old and new places of the controls the last batch moved, filled by
    // SetDialogControlsPosition and painted afresh once the batch has run.
    TRepaintBatch FMovedAreas;
};

// Frees a component's customizer when it goes out of scope, also when a close handler fails.
// The component's pointer is cleared first, so nothing reaches the customizer being freed.
struct CustomizerRelease {
    TDialogCustomizer*& Customizer;
    ~CustomizerRelease()
    {
        TDialogCustomizer* customizer = Customizer;
        Customizer = nullptr;
        delete customizer;
    }
};

// What every customizable dialog component adds to the framework component it extends: the
// settings unit it owns (freed with it), the properties forwarded to the unit, and the
// customizer of the open window, which goes with the window whatever its close handler does.
template <class TBase>
class TCustomizableDialog : public TBase {
public:
    explicit TCustomizableDialog(TComponent* owner) : TBase(owner), FDlgsUnit(new TCustomDlgsUnit(this)) {}

    TSubFormPos GetSubFormPos() const { return FDlgsUnit->GetSubFormPos(); }
    void SetSubFormPos(TSubFormPos value) { FDlgsUnit->SetSubFormPos(value); }
    TSubFormAnchors GetSubFormAnchors() const { return FDlgsUnit->GetSubFormAnchors(); }
    void SetSubFormAnchors(TSubFormAnchors value) { FDlgsUnit->SetSubFormAnchors(value); }
    TDialogEdgeSpace* GetMinEdgeSpace() const { return FDlgsUnit->GetMinEdgeSpace(); }
    void SetMinEdgeSpace(TDialogEdgeSpace* value) { FDlgsUnit->SetMinEdgeSpace(value); }
    bool GetDialogSizing() const { return FDlgsUnit->GetDialogSizing(); }
    void SetDialogSizing(bool value) { FDlgsUnit->SetDialogSizing(value); }
    AnsiString GetCaption() const { return FDlgsUnit->GetCaption(); }
    void SetCaption(const AnsiString& value) { FDlgsUnit->SetCaption(value); }
    TIcon* GetIcon() const { return FDlgsUnit->GetIcon(); }
    void SetIcon(TIcon* value) { FDlgsUnit->SetIcon(value); }
    // The form embedded at each opening (not published; not owned).
    TForm* GetSubForm() const { return FDlgsUnit->GetSubForm(); }
    void SetSubForm(TForm* value) { FDlgsUnit->SetSubForm(value); }

    // The settings object, for what the properties above do not reach (position, size).
    TCustomDlgsUnit* GetDlgsUnit() const { return FDlgsUnit; }
    // The customizer of the open dialog window; null while none is attached.
    TDialogCustomizer* GetCustomizer() const { return FCustomizer; }

protected:
    ~TCustomizableDialog() override { ReleaseCustomizer(); }

    // Attaches `customizer` to the dialog `window` through the unit; one left from an opening
    // that never closed goes first.
    void AttachCustomizer(HWND window, TDialogCustomizer* customizer)
    {
        ReleaseCustomizer();
        FCustomizer = customizer;
        FDlgsUnit->RegistDialog(window, customizer);
    }
    void ReleaseCustomizer() { CustomizerRelease release{FCustomizer}; }
    // Fires OnClose, then frees the customizer, also when the handler fails.
    void DoClose() override
    {
        CustomizerRelease release{FCustomizer};
        TBase::DoClose();
    }

    TCustomDlgsUnit* const FDlgsUnit;

private:
    TDialogCustomizer* FCustomizer = nullptr;
};

}  // namespace CustDlgs
