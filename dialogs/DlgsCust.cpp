#include "dialogs/DlgsCust.h"

#include "framework/Application.h"
#include "framework/ChildWindows.h"
#include "framework/PlatformDialog.h"
#include "framework/Screen.h"
#include "framework/WndThunk.h"

#include <algorithm>
#include <memory>

namespace CustDlgs {

namespace {
// What the child-window enumeration needs: the unit (for the dialog and the sub form) and
// the list to fill.
struct TChildControls {
    TChildControls(TCustomDlgsUnit* unit, TList* list) : Unit(unit), List(list) {}
    TCustomDlgsUnit* Unit;
    TList* List;
};

// Check boxes, radio and push buttons, static texts and combo boxes have the height of their
// text (a combo box's is its edit line): a layout moves them whole and never makes them higher.
// Group boxes are buttons too, and grow like list boxes, edit boxes and views.
bool KeepsItsHeight(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, "Button") == 0)
        return (GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX;
    return lstrcmpiA(name, "Static") == 0 || lstrcmpiA(name, "ComboBox") == 0 || lstrcmpiA(name, "ComboBoxEx32") == 0;
}

// Posted to a dialog whose place is held (HoldPlace), once per step of the hold.
UINT HoldPlaceMessage()
{
    static const UINT message = RegisterWindowMessageA("CustDlgs.HoldPlace");
    return message;
}

// The steps of a hold: the first comes after what was queued while the notification ran, the
// second after what the platform queued once it had answered it.
constexpr int HoldSteps = 2;
}  // namespace

// ---------------------------------------------------------------------------------------------
// TDialogGrip

TDialogGrip::TDialogGrip(TComponent* owner) : TWinControl(owner)
{
    // The platform's size box does its own mouse work: no capture, no clicks of ours.
    FCaptureMouse = false;
    FWidth = 16;
    FHeight = 16;
    SetCursor(crSizeNWSE);
    SetColor(clBtnFace);
}

void TDialogGrip::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    // The platform's scroll bar under this class's own name.
    params.WinClassName = ClassName();
    params.BaseClassName = "SCROLLBAR";
    params.Style = WS_CHILD | WS_VISIBLE | SBS_SIZEBOX | SBS_SIZEGRIP;
}

// ---------------------------------------------------------------------------------------------
// TDialogCustomizer

TDialogCustomizer::TDialogCustomizer()
{
    FObjectInstance = MakeObjectInstance([this](TMessage& message) { MainWndProc(message); });
}

TDialogCustomizer::~TDialogCustomizer()
{
    ReleaseWindow();
    FreeObjectInstance(FObjectInstance);
}

void TDialogCustomizer::ReleaseWindow()
{
    if (FState == 0)
        return;
    // Off the window first, so no message reaches this object while it is taken apart; then
    // record the place, and take the sub form out of the dialog (which may stay behind).
    FOnSizeChanged = nullptr;
    FHoldSteps = 0;
    if (FOldWndProc != nullptr)
        UnhookObjectInstance(FHandle, FObjectInstance, FOldWndProc);
    FState = 0;
    if (FDlgsUnit != nullptr)
        FDlgsUnit->DialogDestroy(this);
    RestoreSubFormProperties();
}

void TDialogCustomizer::DlgsUnitDestroying()
{
    ReleaseWindow();
    FDlgsUnit = nullptr;
}

void TDialogCustomizer::RegistDialog(HWND window, TCustomDlgsUnit& unit)
{
    FHandle = window;
    FDlgsUnit = &unit;
    FEmbeddedForm = nullptr;
    FPixelsPerInch = WindowPixelsPerInch(window);
    FState = 1;
    FOnSizeChanged = nullptr;
    SaveSubFormProperties();
    InitializeDialog();
}

void TDialogCustomizer::InitializeDialog()
{
    TrimToClientArea();
    RECT window, client;
    GetWindowRect(FHandle, &window);
    GetClientRect(FHandle, &client);
    FInitDialogSize = TPoint{RectWidth(window), RectHeight(window)};
    FInitClientSize = TPoint{RectWidth(client), RectHeight(client)};
    FMinDialogSize = FInitDialogSize;
    FRegisteredClientSize = FInitClientSize;
    FRegisteredPixelsPerInch = FPixelsPerInch;
    FOldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FObjectInstance)));
}

void TDialogCustomizer::TrimToClientArea()
{
    RECT client;
    GetClientRect(FHandle, &client);
    TList list;
    GetDlgControlsHandle(&list);
    for (int i = 0; i < list.Count(); ++i) {
        HWND control = static_cast<HWND>(list.Items(i));
        if (!(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE))
            continue;
        const RECT now = ClientRectOfControl(control);
        const RECT content = ContentRectOfControl(control);
        const RECT want = {now.left, now.top, std::max<LONG>(std::min(now.right, client.right), content.right),
                           std::max<LONG>(std::min(now.bottom, client.bottom), content.bottom)};
        if (!EqualRect(&want, &now))
            SetWindowPos(control, nullptr, 0, 0, RectWidth(want), RectHeight(want),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TDialogCustomizer::UpdateProperty()
{
    // A form on its way out is never touched again.
    if (FEmbeddedForm != nullptr && (FEmbeddedForm->ComponentState() & csDestroying))
        FEmbeddedForm = nullptr;
}

void TDialogCustomizer::StartCustomize(const TPoint& position, const TPoint& size)
{
    if (FHandle == nullptr)
        return;
    FState = 2;
    FOnSizeChanged = [this](const TPoint& clientSize) { ChangedDialogSize(clientSize); };
    ResizeDialog(&size);

    // A remembered place wholly off every work area (a monitor since gone, a window dragged far
    // away) would leave the dialog where no user can reach it.
    PlaceDialog(FHandle, position);
    FState = 3;
}

template <class TMove>
void TDialogCustomizer::MoveItself(TMove move)
{
    struct Own {
        int& Count;
        explicit Own(int& count) : Count(count) { ++Count; }
        ~Own() { --Count; }
    } own(FOwnMoves);
    move();
    if (FHoldSteps > 0)
        GetWindowRect(FHandle, &FHeldPlace);
}

void TDialogCustomizer::HoldPlace()
{
    if (FHandle == nullptr || FState < 2 || FDlgsUnit == nullptr || !GetWindowRect(FHandle, &FHeldPlace))
        return;
    // The size remembered from the last opening, where the dialog remembers one: a dialog the
    // platform sizes itself started at the platform's.
    const TPoint size = FDlgsUnit->GetDialogSize();
    if (GetRemembersDialogSize() && size.x > 0 && size.y > 0) {
        FHeldPlace.right = FHeldPlace.left + std::max<LONG>(size.x, FMinDialogSize.x);
        FHeldPlace.bottom = FHeldPlace.top + std::max<LONG>(size.y, FMinDialogSize.y);
    }
    const bool posted = FHoldSteps > 0;
    FHoldSteps = HoldSteps;
    // A hold that could not end would keep every later move away.
    if (!posted && !PostMessageA(FHandle, HoldPlaceMessage(), 0, 0)) {
        FHoldSteps = 0;
        return;
    }
    PlaceAgain();
}

void TDialogCustomizer::KeepHeldPlace(WINDOWPOS& pos) const
{
    if (FOwnMoves > 0 || (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD))
        return;
    if (!(pos.flags & SWP_NOMOVE)) {
        pos.x = FHeldPlace.left;
        pos.y = FHeldPlace.top;
    }
    if (!(pos.flags & SWP_NOSIZE)) {
        pos.cx = RectWidth(FHeldPlace);
        pos.cy = RectHeight(FHeldPlace);
    }
}

void TDialogCustomizer::EndHold()
{
    if (FHoldSteps == 0)
        return;
    if (--FHoldSteps > 0) {
        if (!PostMessageA(FHandle, HoldPlaceMessage(), 0, 0))
            FHoldSteps = 0;
        return;
    }
    // Something may have got past the hold.
    PlaceAgain();
}

void TDialogCustomizer::PlaceAgain()
{
    RECT now;
    if (!GetWindowRect(FHandle, &now) || EqualRect(&now, &FHeldPlace) || IsIconic(FHandle) || IsZoomed(FHandle))
        return;
    // As at the start, where the sub form goes with the dialog (state 2); a frame change lays it
    // out even at the same size.
    const int state = FState;
    FState = 2;
    MoveItself([this] {
        SetWindowPos(FHandle, nullptr, FHeldPlace.left, FHeldPlace.top, RectWidth(FHeldPlace),
                     RectHeight(FHeldPlace), SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    });
    if (FState == 2)
        FState = state;
}

void TDialogCustomizer::MoveTo(const TPoint& position)
{
    if (FHandle == nullptr)
        return;
    MoveItself([&] {
        SetWindowPos(FHandle, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void TDialogCustomizer::ResizeDialog(const TPoint* size)
{
    TForm* subForm = FDlgsUnit->GetSubForm();
    if (FEmbeddedForm != nullptr && FEmbeddedForm != subForm)
        RestoreSubFormProperties();
    if (subForm != nullptr) {
        SaveSubFormProperties();
        TFormEmbedding::PutInto(*subForm, FHandle);
        // Scaled by this customizer when the resolution changes, never by the platform as well.
        KeepOutOfDialogRescale(subForm->GetHandle(), true);
    }
    GetMinDialogSize();

    RECT target;
    if (size == nullptr || (size->x == -1 && size->y == -1))
        GetWindowRect(FHandle, &target);
    else
        target = RECT{0, 0, size->x, size->y};
    // A frame change always reports the client size, even when the size stays.
    MoveItself([&] {
        SetWindowPos(FHandle, nullptr, 0, 0, RectWidth(target), RectHeight(target),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    });
    if (subForm != nullptr) {
        subForm->SetVisible(true);
        subForm->SetFocus();
    }
    ::SetFocus(FHandle);
}

void TDialogCustomizer::GetMinDialogSize()
{
    FMinDialogSize = FInitDialogSize;
    if (FDlgsUnit == nullptr || FDlgsUnit->GetSubForm() == nullptr)
        return;
    const TPoint frame = {FInitDialogSize.x - FInitClientSize.x, FInitDialogSize.y - FInitClientSize.y};
    const TPoint& s = FSubFormClientSize;
    switch (FDlgsUnit->GetSubFormPos()) {
    case fpLeft:
    case fpRight:
        FMinDialogSize.x += s.x;
        FMinDialogSize.y = std::max<LONG>(FMinDialogSize.y, s.y + frame.y);
        break;
    case fpTop:
    case fpBottom:
        FMinDialogSize.y += s.y;
        FMinDialogSize.x = std::max<LONG>(FMinDialogSize.x, s.x + frame.x);
        break;
    case fpClient: {
        const TRect m = GetScaledMinEdgeSpace();
        FMinDialogSize.x += m.left + m.right;
        FMinDialogSize.y += m.top + m.bottom;
        if (m.top != 0 || m.bottom != 0)
            FMinDialogSize.x = std::max<LONG>(FMinDialogSize.x, s.x + frame.x);
        if (m.left != 0 || m.right != 0)
            FMinDialogSize.y = std::max<LONG>(FMinDialogSize.y, s.y + frame.y);
        break;
    }
    }
}

TRect TDialogCustomizer::GetScaledMinEdgeSpace() const
{
    const TDialogEdgeSpace* m = FDlgsUnit->GetMinEdgeSpace();
    auto scaled = [this](unsigned space) {
        return MulDiv(static_cast<int>(space), FPixelsPerInch, DesignPixelsPerInch);
    };
    return TRect{scaled(m->GetLeftSpace()), scaled(m->GetTopSpace()), scaled(m->GetRightSpace()),
                 scaled(m->GetBottomSpace())};
}

void TDialogCustomizer::SaveSubFormProperties()
{
    TForm* form = FDlgsUnit != nullptr ? FDlgsUnit->GetSubForm() : nullptr;
    if (form == nullptr || FEmbeddedForm != nullptr)
        return;
    // Measured at the dialog's resolution.
    FSubFormClientSize = FEmbedding.Take(*form, FPixelsPerInch);
    FEmbeddedForm = form;
}

void TDialogCustomizer::RestoreSubFormProperties()
{
    // A form on its way out (freed with the owner that frees the unit) is left alone, only let go.
    if (FEmbeddedForm != nullptr) {
        if (!(FEmbeddedForm->ComponentState() & csDestroying) && FEmbeddedForm->HandleAllocated())
            KeepOutOfDialogRescale(FEmbeddedForm->GetHandle(), false);
        FEmbedding.GiveBack(*FEmbeddedForm);
    }
    FEmbeddedForm = nullptr;
}

void TDialogCustomizer::GetControlsandSubFormRect(const TPoint& clientSize, TRect* controlsRect, TRect* subFormRect)
{
    const int w = clientSize.x;
    const int h = clientSize.y;
    const TPoint& init = FInitClientSize;
    TForm* subForm = FDlgsUnit->GetSubForm();
    const TSubFormPos pos = FDlgsUnit->GetSubFormPos();

    int l = 0, t = 0, r = 0, b = 0;
    if (subForm != nullptr) {
        switch (pos) {
        case fpClient: {
            const TRect m = GetScaledMinEdgeSpace();
            l = m.left;
            t = m.top;
            r = m.right;
            b = m.bottom;
            break;
        }
        case fpLeft: l = FSubFormClientSize.x; break;
        case fpRight: r = FSubFormClientSize.x; break;
        case fpTop: t = FSubFormClientSize.y; break;
        case fpBottom: b = FSubFormClientSize.y; break;
        }
        // Short of room: the controls keep their initial size and the spaces share the rest
        // in proportion. A client smaller than the controls leaves no space at all (the
        // minimum size keeps this from happening while the dialog is customized).
        if (w - (l + r) < init.x && l + r != 0) {
            const int d = std::max<int>(0, w - init.x);
            l = static_cast<int>(static_cast<long long>(d) * l / (l + r));
            r = d - l;
        }
        if (h - (t + b) < init.y && t + b != 0) {
            const int d = std::max<int>(0, h - init.y);
            t = static_cast<int>(static_cast<long long>(d) * t / (t + b));
            b = d - t;
        }
    }

    const TRect controls = {l, t, w - r, h - b};
    TRect sub = {0, 0, 0, 0};
    if (subForm != nullptr) {
        sub = TRect{0, 0, w, h};
        switch (pos) {
        case fpLeft: sub.right = controls.left; break;
        case fpRight: sub.left = controls.right; break;
        case fpTop: sub.bottom = controls.top; break;
        case fpBottom: sub.top = controls.bottom; break;
        case fpClient: break;
        }
    }
    if (controlsRect != nullptr)
        *controlsRect = controls;
    if (subFormRect != nullptr)
        *subFormRect = sub;
    FDlgsUnit->GetNowEdgeSpace()->SetAllEdgeSpace(static_cast<unsigned>(l), static_cast<unsigned>(t),
                                                  static_cast<unsigned>(r), static_cast<unsigned>(b));
}

void TDialogCustomizer::GetDlgControlsHandle(TList* list)
{
    if (list == nullptr)
        return;
    list->SetCount(0);
    TChildControls pair(FDlgsUnit, list);
    EnumChildWindows(FHandle, DlgControlsProc, reinterpret_cast<LPARAM>(&pair));
}

BOOL CALLBACK TDialogCustomizer::DlgControlsProc(HWND window, LPARAM param)
{
    auto* pair = reinterpret_cast<TChildControls*>(param);
    // The enumeration visits every descendant; only the dialog's own children count.
    if (GetParent(window) != pair->Unit->GetHandle())
        return TRUE;
    if (TForm* subForm = pair->Unit->GetSubForm();
        subForm != nullptr && subForm->HandleAllocated() && subForm->GetHandle() == window)
        return TRUE;
    char className[20] = {};
    GetClassNameA(window, className, sizeof(className));
    if ((lstrcmpiA(className, "scrollbar") == 0 || lstrcmpA(className, "TDialogGrip") == 0) &&
        (GetWindowLongA(window, GWL_STYLE) & SBS_SIZEGRIP))
        return TRUE;
    pair->List->Add(window);
    return TRUE;
}

void TDialogCustomizer::MainWndProc(TMessage& message)
{
    // The unit belongs to the dialog component: the component waits for this message too.
    GuardedCall(FDlgsUnit, [&] { WndProc(message); });
}

void TDialogCustomizer::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_DESTROY:
        WMDestroy(message);
        break;
    case WM_NCCALCSIZE:
        WMNCCalcSize(message);
        break;
    case WM_DPICHANGED:
        if (FState >= 2) {
            WMDpiChanged(message);
            return;
        }
        break;
    case WM_WINDOWPOSCHANGING:
        if (FHoldSteps > 0)
            KeepHeldPlace(*reinterpret_cast<WINDOWPOS*>(message.LParam));
        break;
    case WM_ENTERSIZEMOVE:
    case WM_SYSCOMMAND:
        // The user moves or sizes the dialog: that place is theirs.
        FHoldSteps = 0;
        break;
    case WM_GETMINMAXINFO:
        if (FState >= 2) {
            message.Result = CallWindowProcA(FOldWndProc, FHandle, message.Msg, message.WParam, message.LParam);
            WMGetMinMaxInfo(message);
            return;
        }
        break;
    default:
        if (message.Msg == HoldPlaceMessage()) {
            EndHold();
            message.Result = 0;
            return;
        }
        break;
    }
    // Passing WM_DESTROY on may free this object (the component's close notification): only
    // the message record is written after the call.
    if (FHandle != nullptr)
        message.Result = CallWindowProcA(FOldWndProc, FHandle, message.Msg, message.WParam, message.LParam);
}

void TDialogCustomizer::WMNCCalcSize(TMessage& message)
{
    message.Result = 0;
    if (message.WParam == 0 || !FOnSizeChanged)
        return;
    const auto* params = reinterpret_cast<const NCCALCSIZE_PARAMS*>(message.LParam);
    const RECT& newWindow = params->rgrc[0];
    const RECT& oldWindow = params->rgrc[1];
    const RECT& oldClient = params->rgrc[2];
    // The client size the window will have if its frame keeps its thickness.
    const TPoint clientSize = {RectWidth(newWindow) - RectWidth(oldWindow) + RectWidth(oldClient),
                               RectHeight(newWindow) - RectHeight(oldWindow) + RectHeight(oldClient)};
    TSizeChangedEvent callback = FOnSizeChanged;
    callback(clientSize);
}

void TDialogCustomizer::WMGetMinMaxInfo(TMessage& message)
{
    message.Result = 0;
    auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
    info->ptMinTrackSize.x = std::min<LONG>(FMinDialogSize.x, info->ptMaxTrackSize.x);
    info->ptMinTrackSize.y = std::min<LONG>(FMinDialogSize.y, info->ptMaxTrackSize.y);
}

void TDialogCustomizer::WMDpiChanged(TMessage& message)
{
    const int ppi = LOWORD(message.WParam);
    const RECT suggested = *reinterpret_cast<const RECT*>(message.LParam);
    // The dialog's own steps first, without this layout: it still has the old resolution's
    // sizes. Whether the platform rescaled the dialog's controls shows in their heights after.
    // A layout of the dialog's own never changes the fixed heights; a new font and a rescale do.
    const TChildPlaces heights = ControlPlaces(true);
    const TChildPlaces ours = OwnWindowPlaces();
    const TSizeChangedEvent layout = FOnSizeChanged;
    FOnSizeChanged = nullptr;
    message.Result = CallWindowProcA(FOldWndProc, FHandle, message.Msg, message.WParam, message.LParam);
    if (FState < 2)
        return;  // let go meanwhile
    FOnSizeChanged = layout;
    // The sub form and the grip are scaled here, once: a platform that moved them as well (one
    // that ignores the opt-out) has them put back first.
    for (const auto& place : ours) {
        const RECT now = ClientRectOfControl(place.first);
        if (!EqualRect(&now, &place.second))
            SetWindowPos(place.first, nullptr, place.second.left, place.second.top, RectWidth(place.second),
                         RectHeight(place.second), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (ppi <= 0 || ppi == FPixelsPerInch)
        return;
    const bool controlsScaled = std::any_of(heights.begin(), heights.end(), [](const auto& place) {
        return IsWindow(place.first) && RectHeight(ClientRectOfControl(place.first)) != RectHeight(place.second);
    });
    const int old = FPixelsPerInch;
    FPixelsPerInch = ppi;
    ScaleLayout(ppi, old, controlsScaled);

    // The frame as the window has it now; measured again once it stands at its new place.
    auto takeFrame = [this] {
        RECT window, client;
        GetWindowRect(FHandle, &window);
        GetClientRect(FHandle, &client);
        const TPoint size = {FInitClientSize.x + RectWidth(window) - RectWidth(client),
                             FInitClientSize.y + RectHeight(window) - RectHeight(client)};
        const bool changed = size.x != FInitDialogSize.x || size.y != FInitDialogSize.y;
        FInitDialogSize = size;
        GetMinDialogSize();
        return changed;
    };
    takeFrame();
    MoveItself([&] {
        // A frame change always reports the client size, so the layout runs even at the same size.
        SetWindowPos(FHandle, nullptr, suggested.left, suggested.top,
                     std::max<int>(RectWidth(suggested), FMinDialogSize.x),
                     std::max<int>(RectHeight(suggested), FMinDialogSize.y),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        if (takeFrame()) {
            RECT r;
            GetWindowRect(FHandle, &r);
            SetWindowPos(FHandle, nullptr, 0, 0, std::max<int>(RectWidth(r), FMinDialogSize.x),
                         std::max<int>(RectHeight(r), FMinDialogSize.y),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
    });
    message.Result = 0;
}

TChildPlaces TDialogCustomizer::ControlPlaces(bool fixedHeightOnly)
{
    TChildPlaces places;
    TList list;
    GetDlgControlsHandle(&list);
    for (int i = 0; i < list.Count(); ++i) {
        HWND control = static_cast<HWND>(list.Items(i));
        if (!fixedHeightOnly || KeepsItsHeight(control))
            places.emplace_back(control, ClientRectOfControl(control));
    }
    return places;
}

TChildPlaces TDialogCustomizer::OwnWindowPlaces()
{
    TChildPlaces places;
    if (FEmbeddedForm != nullptr && FEmbeddedForm->HandleAllocated() &&
        GetParent(FEmbeddedForm->GetHandle()) == FHandle)
        places.emplace_back(FEmbeddedForm->GetHandle(), ClientRectOfControl(FEmbeddedForm->GetHandle()));
    if (HWND grip = GripWindow())
        places.emplace_back(grip, ClientRectOfControl(grip));
    return places;
}

void TDialogCustomizer::ScaleLayout(int m, int d, bool controlsScaled)
{
    // Back at the resolution it was registered at, the dialog has the size it had then: a size
    // the platform made is no scaled design size, and a way there and back could lose a pixel.
    if (controlsScaled)
        FInitClientSize = m == FRegisteredPixelsPerInch
                              ? FRegisteredClientSize
                              : TPoint{ScalePixels(FInitClientSize.x, m, d), ScalePixels(FInitClientSize.y, m, d)};
    if (FEmbeddedForm != nullptr && FEmbeddedForm->GetScaled()) {
        // Its size as designed, not as the layout stretched it.
        FEmbeddedForm->ScaleForPPI(m);
        FSubFormClientSize = TPoint{ScalePixels(FSubFormClientSize.x, m, d), ScalePixels(FSubFormClientSize.y, m, d)};
    }
}

namespace {
// A control spanning [nearEdge, farEdge) that reaches past `roomEnd` moves back by as much, no
// further than `roomStart`; what still reaches past is cut. One wholly past is left alone.
void PullInside(LONG& nearEdge, LONG& farEdge, LONG roomStart, LONG roomEnd)
{
    const LONG excess = farEdge - roomEnd;
    if (excess <= 0 || nearEdge >= roomEnd)
        return;
    const LONG shift = std::min<LONG>(excess, std::max<LONG>(0, nearEdge - roomStart));
    nearEdge -= shift;
    farEdge = std::min<LONG>(farEdge - shift, roomEnd);
}
}  // namespace

void TDialogCustomizer::KeepControlsInsideRoom(const RECT& controls, const std::vector<HWND>& leave)
{
    // A client sub form has its edge spaces beyond the right and bottom edges too.
    const TSubFormPos pos = FDlgsUnit->GetSubFormPos();
    const bool right = pos == fpRight || pos == fpClient;
    const bool bottom = pos == fpBottom || pos == fpClient;
    if (FDlgsUnit->GetSubForm() == nullptr || (!right && !bottom))
        return;
    TList list;
    GetDlgControlsHandle(&list);
    for (int i = 0; i < list.Count(); ++i) {
        HWND control = static_cast<HWND>(list.Items(i));
        // Hidden ones stay as the platform keeps them.
        if (!(GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) ||
            std::find(leave.begin(), leave.end(), control) != leave.end())
            continue;
        const RECT now = ClientRectOfControl(control);
        RECT want = now;
        if (right)
            PullInside(want.left, want.right, controls.left, controls.right);
        if (bottom)
            PullInside(want.top, want.bottom, controls.top, controls.bottom);
        if (!EqualRect(&want, &now))
            SetWindowPos(control, nullptr, want.left, want.top, RectWidth(want), RectHeight(want),
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TDialogCustomizer::WMDestroy(TMessage&)
{
    ReleaseWindow();
}

// ---------------------------------------------------------------------------------------------
// TSizingDialogCustomizer

TSizingDialogCustomizer::~TSizingDialogCustomizer() = default;

void TSizingDialogCustomizer::InitializeDialog()
{
    TDialogCustomizer::InitializeDialog();
    FOnSizeChanged = [this](const TPoint& clientSize) { InitializeDialogSize(clientSize); };
    try {
        KeepInitializeDialogSize();
    } catch (...) {
        FOnSizeChanged = nullptr;
        throw;
    }
    FOnSizeChanged = nullptr;
}

void TSizingDialogCustomizer::KeepInitializeDialogSize()
{
    TForm* subForm = FDlgsUnit->GetSubForm();
    if (subForm == nullptr)
        return;
    int w = FInitDialogSize.x;
    int h = FInitDialogSize.y;
    switch (FDlgsUnit->GetSubFormPos()) {
    case fpLeft:
    case fpRight:
        w += subForm->GetClientWidth();
        break;
    case fpTop:
    case fpBottom:
        h += subForm->GetClientHeight();
        break;
    case fpClient: {
        const TRect m = GetScaledMinEdgeSpace();
        w += m.left + m.right;
        h += m.top + m.bottom;
        break;
    }
    }
    SetWindowPos(FHandle, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSizingDialogCustomizer::InitializeDialogSize(const TPoint& clientSize)
{
    TRect controls;
    TDialogCustomizer::GetControlsandSubFormRect(clientSize, &controls, nullptr);
    if (controls.left == 0 && controls.top == 0)
        return;
    auto list = std::make_unique<TList>();
    GetDlgControlsHandle(list.get());
    POINT origin = {0, 0};
    ClientToScreen(FHandle, &origin);
    for (int i = 0; i < list->Count(); ++i) {
        HWND control = static_cast<HWND>(list->Items(i));
        RECT r;
        GetWindowRect(control, &r);
        SetWindowPos(control, nullptr, r.left + controls.left - origin.x, r.top + controls.top - origin.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TSizingDialogCustomizer::LearnLayoutAnchors()
{
    // The layout the dialog makes while it is watched is left as it is.
    FLearningAnchors = true;
    FAnchors.Learn(FHandle, [this] { return ControlPlaces(); });
    FLearningAnchors = false;
}

void TSizingDialogCustomizer::KeepControlsOutOfRoom()
{
    if (FLearningAnchors || FAnchors.Empty() || FDlgsUnit == nullptr || FDlgsUnit->GetSubForm() == nullptr)
        return;
    RECT client;
    GetClientRect(FHandle, &client);
    TRect controls;
    TDialogCustomizer::GetControlsandSubFormRect(TPoint{client.right, client.bottom}, &controls, nullptr);
    const int roomRight = client.right - controls.right;
    const int roomBottom = client.bottom - controls.bottom;
    if (roomRight <= 0 && roomBottom <= 0)
        return;
    // All in one batch: the dialog repaints once.
    MoveChildWindows(FAnchors.OutOfFarRoom(FHandle, roomRight, roomBottom));
    // A control the layout keeps where it was made can still reach into the room: one wider than
    // the client area the dialog was made with (the file dialog's tool bar). Not while the
    // resolution changes: the controls are between two layouts then (FollowResolution ends so).
    if (!FFollowingResolution)
        KeepControlsInsideRoom(controls, FAnchors.LaidOutFromFarEdge());
    // The next layout is judged against the places it finds now.
    FAnchors.Remember(FHandle);
}

void TSizingDialogCustomizer::ScaleLayout(int m, int d, bool controlsScaled)
{
    TDialogCustomizer::ScaleLayout(m, d, controlsScaled);
    // The distances from the far edges were scaled with the controls.
    if (controlsScaled)
        FAnchors.Scale(m, d);
    FRescale = TRescale{m, d, controlsScaled};
}

RECT TSizingDialogCustomizer::SubFormRoom()
{
    RECT client;
    GetClientRect(FHandle, &client);
    TRect controls;
    TDialogCustomizer::GetControlsandSubFormRect(TPoint{client.right, client.bottom}, &controls, nullptr);
    return RECT{controls.left, controls.top, client.right - controls.right, client.bottom - controls.bottom};
}

void TSizingDialogCustomizer::FollowResolution(TMessage& message)
{
    // A dialog that did not lay itself out yet as the customizing started (the Explorer look
    // starts it from inside its own initialisation) showed no edge kept from the far side then.
    if (FAnchors.LaidOutFromFarEdge().empty())
        MoveItself([this] { LearnLayoutAnchors(); });
    RECT clientBefore;
    GetClientRect(FHandle, &clientBefore);
    const RECT roomBefore = SubFormRoom();
    const auto before = ControlPlaces();
    FRescale = TRescale{};
    {
        // Reset however the dialog's own steps end, an exception included: left set, every later
        // layout would leave out the check that keeps the controls inside the room.
        struct Following {
            bool& Flag;
            explicit Following(bool& flag) : Flag(flag) { Flag = true; }
            ~Following() { Flag = false; }
        } following(FFollowingResolution);
        TDialogCustomizer::WndProc(message);
    }
    if (FState < 2 || FDlgsUnit == nullptr || FAnchors.Empty())
        return;
    RECT clientAfter;
    GetClientRect(FHandle, &clientAfter);
    const RECT roomAfter = SubFormRoom();
    const RECT was = {roomBefore.left, roomBefore.top, clientBefore.right - roomBefore.right,
                      clientBefore.bottom - roomBefore.bottom};
    const RECT now = {roomAfter.left, roomAfter.top, clientAfter.right - roomAfter.right,
                      clientAfter.bottom - roomAfter.bottom};
    const int m = FRescale.ControlsScaled ? FRescale.M : 1;
    const int d = FRescale.ControlsScaled ? FRescale.D : 1;
    // Whether the platform scaled the controls before or after the dialog laid them out for the
    // new size (or not at all), only where they were before counts.
    auto place = [m, d](LONG edge, LONG fromFar, LONG wasNear, LONG wasFar, LONG nowNear, LONG nowFar) {
        return fromFar ? nowFar - ScalePixels(wasFar - edge, m, d) : nowNear + ScalePixels(edge - wasNear, m, d);
    };
    TChildPlaces moves;
    for (const auto& [control, r] : before) {
        if (!IsWindow(control) || GetParent(control) != FHandle)
            continue;
        const RECT anchored = FAnchors.FarEdges(control);
        const RECT want = {place(r.left, anchored.left, was.left, was.right, now.left, now.right),
                           place(r.top, anchored.top, was.top, was.bottom, now.top, now.bottom),
                           place(r.right, anchored.right, was.left, was.right, now.left, now.right),
                           place(r.bottom, anchored.bottom, was.top, was.bottom, now.top, now.bottom)};
        const RECT current = ClientRectOfControl(control);
        if (!EqualRect(&want, &current))
            moves.emplace_back(control, want);
    }
    MoveChildWindows(moves);
    TRect controls, sub;
    TDialogCustomizer::GetControlsandSubFormRect(TPoint{clientAfter.right, clientAfter.bottom}, &controls, &sub);
    if (TForm* subForm = FDlgsUnit->GetSubForm())
        SetWindowPos(subForm->GetHandle(), nullptr, sub.left, sub.top, RectWidth(sub), RectHeight(sub),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    KeepControlsInsideRoom(controls, FAnchors.LaidOutFromFarEdge());
    FAnchors.Remember(FHandle);
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TSizingDialogCustomizer::WndProc(TMessage& message)
{
    const UINT msg = message.Msg;
    if (msg == WM_DPICHANGED && FState >= 2) {
        FollowResolution(message);
        return;
    }
    TDialogCustomizer::WndProc(message);
    // The dialog has laid out its controls for the whole client area by now; a layout made
    // from its edges covers a room at the right or bottom, which this takes back.
    if ((msg == WM_SIZE || msg == WM_SHOWWINDOW) && FState >= 2)
        KeepControlsOutOfRoom();
}

void TSizingDialogCustomizer::ResizeDialog(const TPoint* size)
{
    if (!FAnchorsLearned) {
        FAnchorsLearned = true;
        LearnLayoutAnchors();
    }
    // The dialog keeps the size registration gave it.
    TDialogCustomizer::ResizeDialog(nullptr);
    KeepControlsOutOfRoom();
}

void TSizingDialogCustomizer::ChangedDialogSize(const TPoint& clientSize)
{
    TForm* subForm = FDlgsUnit->GetSubForm();
    if (subForm == nullptr)
        return;
    TRect rect;
    TDialogCustomizer::GetControlsandSubFormRect(clientSize, nullptr, &rect);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!FAlwaysMoveSubForm && FState == 3)
        flags |= SWP_NOMOVE;
    SetWindowPos(subForm->GetHandle(), nullptr, rect.left, rect.top, RectWidth(rect), RectHeight(rect), flags);
}

// ---------------------------------------------------------------------------------------------
// TFixedDialogCustomizer

TFixedDialogCustomizer::~TFixedDialogCustomizer()
{
    // While this class's part is still whole, so the unit sees what kind of dialog it was.
    ReleaseWindow();
}

void TFixedDialogCustomizer::ReleaseWindow()
{
    TDialogCustomizer::ReleaseWindow();
    // The grip's owner is the unit; only this customizer frees it, before the unit can.
    TDialogGrip* grip = FGrip;
    FGrip = nullptr;
    FreeObject(grip);
}

void TFixedDialogCustomizer::ScaleLayout(int m, int d, bool controlsScaled)
{
    TDialogCustomizer::ScaleLayout(m, d, controlsScaled);
    if (controlsScaled) {
        FControlsRect = TRect{ScalePixels(FControlsRect.left, m, d), ScalePixels(FControlsRect.top, m, d),
                              ScalePixels(FControlsRect.right, m, d), ScalePixels(FControlsRect.bottom, m, d)};
    }
    if (FGrip != nullptr)
        FGrip->ScaleForPPI(m);
}

HWND TFixedDialogCustomizer::GripWindow() const
{
    return FGrip != nullptr && FGrip->HandleAllocated() ? FGrip->GetHandle() : nullptr;
}

void TFixedDialogCustomizer::InitializeDialog()
{
    if (FDlgsUnit->GetDialogSizing()) {
        LONG style = GetWindowLongA(FHandle, GWL_STYLE);
        SetWindowLongA(FHandle, GWL_STYLE, style | WS_THICKFRAME | WS_CLIPCHILDREN);

        // A menu without a size entry becomes the default one, offering move, size and close.
        HMENU menu = GetSystemMenu(FHandle, FALSE);
        if (GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) == 0xFFFFFFFF) {
            GetSystemMenu(FHandle, TRUE);
            menu = GetSystemMenu(FHandle, FALSE);
            DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
            DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
            DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
        }

        // The same client area under the thicker frame.
        RECT r;
        GetClientRect(FHandle, &r);
        AdjustWindowRectForPPI(r, static_cast<DWORD>(GetWindowLongA(FHandle, GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongA(FHandle, GWL_EXSTYLE)), FPixelsPerInch);
        SetWindowPos(FHandle, nullptr, 0, 0, RectWidth(r), RectHeight(r), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

        FGrip = new TDialogGrip(FDlgsUnit);
        FGrip->SetParentWindow(FHandle);
        KeepOutOfDialogRescale(FGrip->GetHandle(), true);
    }
    TDialogCustomizer::InitializeDialog();
    FControlsRect = TRect{0, 0, FInitClientSize.x, FInitClientSize.y};
    KeepControlsInsideRoom(FControlsRect);
}

void TFixedDialogCustomizer::ResizeDialog(const TPoint* size)
{
    // A remembered size only applies to a dialog the user can resize.
    TDialogCustomizer::ResizeDialog(FDlgsUnit->GetDialogSizing() ? size : nullptr);
}

void TFixedDialogCustomizer::UpdateProperty()
{
    TDialogCustomizer::UpdateProperty();
    ResizeDialog(nullptr);
}

bool TFixedDialogCustomizer::GetRemembersDialogSize() const
{
    return FDlgsUnit != nullptr && FDlgsUnit->GetDialogSizing();
}

void TFixedDialogCustomizer::WndProc(TMessage& message)
{
    if (message.Msg == WM_WINDOWPOSCHANGING && FState >= 2 && !FDlgsUnit->GetDialogSizing())
        WMWindowPosChanging(message);
    TDialogCustomizer::WndProc(message);
}

void TFixedDialogCustomizer::WMWindowPosChanging(TMessage& message)
{
    auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
    if (pos->flags & SWP_NOSIZE)
        return;
    pos->cx = std::max<int>(pos->cx, FMinDialogSize.x);
    pos->cy = std::max<int>(pos->cy, FMinDialogSize.y);
    pos->cx = std::min(pos->cx, GetSystemMetrics(SM_CXMAXTRACK));
    pos->cy = std::min(pos->cy, GetSystemMetrics(SM_CYMAXTRACK));
}

bool TFixedDialogCustomizer::GetDialogControlRect(HWND window, TRect& rect)
{
    if (window == nullptr)
        return false;
    GetWindowRect(window, &rect);
    return true;
}

HDWP TFixedDialogCustomizer::SetDialogControlRect(HDWP batch, HWND window, int x, int y, int width, int height,
                                                  UINT flags)
{
    if (batch == nullptr || (flags & (SWP_NOSIZE | SWP_NOMOVE)) == (SWP_NOSIZE | SWP_NOMOVE))
        return batch;
    // The pass repaints where the control was and where it goes: copying its old picture
    // across first would be work thrown away.
    return DeferWindowPos(batch, window, nullptr, x, y, width, height, flags | SWP_NOCOPYBITS);
}

void TFixedDialogCustomizer::GetControlsandSubFormRect(const TPoint& clientSize, TRect* controlsRect,
                                                       TRect* subFormRect)
{
    TRect controls, sub;
    TDialogCustomizer::GetControlsandSubFormRect(clientSize, &controls, &sub);
    if (FDlgsUnit->GetSubForm() != nullptr) {
        const TDialogEdgeSpace* now = FDlgsUnit->GetNowEdgeSpace();
        int l = static_cast<int>(now->GetLeftSpace());
        int t = static_cast<int>(now->GetTopSpace());
        int r = static_cast<int>(now->GetRightSpace());
        int b = static_cast<int>(now->GetBottomSpace());
        const TPoint frame = {FInitDialogSize.x - FInitClientSize.x, FInitDialogSize.y - FInitClientSize.y};
        const TSubFormAnchors anchors = FDlgsUnit->GetSubFormAnchors();

        // Growth beyond the minimum goes to the free (unanchored, non-empty) spaces, shared in
        // proportion when both are free; otherwise the controls take it.
        auto grow = [](int extra, int& first, bool firstFree, int& second, bool secondFree) {
            if (extra <= 0)
                return;
            if (first > 0 && firstFree && second > 0 && secondFree) {
                const int share = static_cast<int>(static_cast<long long>(extra) * first / (first + second));
                first += share;
                second += extra - share;
            } else if (first > 0 && firstFree) {
                first += extra;
            } else if (second > 0 && secondFree) {
                second += extra;
            }
        };
        grow(clientSize.x + frame.x - FMinDialogSize.x, l, !anchors.Contains(faLeft), r,
             !anchors.Contains(faRight));
        grow(clientSize.y + frame.y - FMinDialogSize.y, t, !anchors.Contains(faTop), b,
             !anchors.Contains(faBottom));

        controls = TRect{l, t, clientSize.x - r, clientSize.y - b};
        switch (FDlgsUnit->GetSubFormPos()) {
        case fpLeft: sub.right = controls.left; break;
        case fpRight: sub.left = controls.right; break;
        case fpTop: sub.bottom = controls.top; break;
        case fpBottom: sub.top = controls.bottom; break;
        case fpClient: break;
        }
        FDlgsUnit->GetNowEdgeSpace()->SetAllEdgeSpace(static_cast<unsigned>(l), static_cast<unsigned>(t),
                                                      static_cast<unsigned>(r), static_cast<unsigned>(b));
    }
    if (controlsRect != nullptr)
        *controlsRect = controls;
    if (subFormRect != nullptr)
        *subFormRect = sub;
}

void TFixedDialogCustomizer::ChangedDialogSize(const TPoint& clientSize)
{
    TRect controls, sub;
    GetControlsandSubFormRect(clientSize, &controls, &sub);

    TForm* subForm = FDlgsUnit->GetSubForm();
    UINT subFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (subForm != nullptr) {
        if (subForm->GetLeft() != sub.left || subForm->GetTop() != sub.top)
            subFlags &= ~SWP_NOMOVE;
        if (subForm->GetWidth() != RectWidth(sub) || subForm->GetHeight() != RectHeight(sub))
            subFlags &= ~SWP_NOSIZE;
    }
    const bool moveSubForm = (subFlags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE);

    std::unique_ptr<TList> list;
    if (!EqualRect(&controls, &FControlsRect)) {
        list = std::make_unique<TList>();
        GetDlgControlsHandle(list.get());
    }
    if (!moveSubForm && !list && FGrip == nullptr) {
        KeepControlsInsideRoom(FControlsRect);
        return;
    }

    // Every move of this pass in one batch, so the dialog repaints once.
    const int count = (list ? list->Count() : 0) + (moveSubForm ? 1 : 0) + (FGrip != nullptr ? 1 : 0);
    HDWP batch = BeginDeferWindowPos(count);
    if (batch != nullptr && FGrip != nullptr)
        batch = DeferWindowPos(batch, FGrip->GetHandle(), HWND_TOP, clientSize.x - FGrip->GetWidth(),
                               clientSize.y - FGrip->GetHeight(), 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    if (batch != nullptr && moveSubForm)
        batch = DeferWindowPos(batch, subForm->GetHandle(), HWND_BOTTOM, sub.left, sub.top, RectWidth(sub),
                               RectHeight(sub), subFlags);
    FMovedAreas.Clear();
    if (batch != nullptr && list)
        batch = DeferDialogControlsPos(batch, list.get(), controls);
    if (batch != nullptr) {
        EndDeferWindowPos(batch);
        FMovedAreas.Repaint(FHandle);
    }
    // The first pass at show ends as a drag does: nothing reaches past the controls' room.
    KeepControlsInsideRoom(FControlsRect);
}

HDWP TFixedDialogCustomizer::DeferDialogControlsPos(HDWP batch, TList* controls, const TRect& newRect)
{
    const int dx = newRect.left - FControlsRect.left;
    const int dy = newRect.top - FControlsRect.top;
    int dw = RectWidth(newRect) - RectWidth(FControlsRect);
    int dh = RectHeight(newRect) - RectHeight(FControlsRect);
    FControlsRect = newRect;
    TPoint centre = {0, 0};
    // Without a split point the controls only follow the shift of the whole rectangle.
    if ((dw != 0 || dh != 0) && !CalcDialogCenterLine(centre)) {
        dw = 0;
        dh = 0;
    }
    return SetDialogControlsPosition(batch, controls, centre, dx, dy, dw, dh);
}

HDWP TFixedDialogCustomizer::SetDialogControlsPosition(HDWP batch, TList* controls, const TPoint& centre, int dx,
                                                       int dy, int dw, int dh)
{
    POINT origin = {0, 0};
    ClientToScreen(FHandle, &origin);
    for (int i = 0; i < controls->Count(); ++i) {
        HWND window = static_cast<HWND>(controls->Items(i));
        TRect r;
        if (!GetDialogControlRect(window, r))
            continue;
        const RECT was = r;
        UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
        if (dw != 0) {
            if (r.left < centre.x && centre.x < r.right) {
                r.right += dw;
                flags &= ~SWP_NOSIZE;
            } else if (centre.x <= r.left) {
                r.left += dw;
                r.right += dw;
                flags &= ~SWP_NOMOVE;
            }
        }
        if (dh != 0) {
            const bool spans = r.top < centre.y && centre.y < r.bottom;
            if (spans && !KeepsItsHeight(window)) {
                r.bottom += dh;
                flags &= ~SWP_NOSIZE;
            } else if (centre.y <= (spans ? (r.top + r.bottom) / 2 : r.top)) {
                // Past the split, or a control of fixed height whose lower half is.
                r.top += dh;
                r.bottom += dh;
                flags &= ~SWP_NOMOVE;
            }
        }
        if (dx != 0 || dy != 0) {
            OffsetRect(&r, dx, dy);
            flags &= ~SWP_NOMOVE;
        }
        if ((flags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE)) {
            // Where it was and where it goes are painted afresh once the batch has run.
            FMovedAreas.Add(was);
            FMovedAreas.Add(r);
        }
        batch = SetDialogControlRect(batch, window, r.left - origin.x, r.top - origin.y, RectWidth(r), RectHeight(r),
                                     flags);
    }
    return batch;
}

}  // namespace CustDlgs
