// A real dialog window built from an in-memory template, standing in for a common dialog,
// and customizers that record what the core asks of them.
#pragma once

#include "dialogs/DlgsCust.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace TestDialogs {

using namespace CustDlgs;

// Control identifiers of the test dialog.
enum : int {
    idEdit = 100,
    idList = 101,
    idGroup = 102,
    idScroll = 103,
    idSizeGrip = 104,
    idOk = IDOK,
    idCancel = IDCANCEL,
};

// Client-coordinate places of the dialog's controls (pixels).
struct ControlPlace {
    int Id;
    RECT Rect;
};

inline const std::vector<ControlPlace>& ControlPlaces()
{
    static const std::vector<ControlPlace> places = {
        {idEdit, {10, 10, 210, 30}},  {idList, {10, 40, 150, 160}},  {idGroup, {160, 40, 300, 160}},
        {idScroll, {10, 170, 300, 186}}, {idOk, {310, 10, 380, 35}}, {idCancel, {310, 45, 380, 70}},
        {idSizeGrip, {0, 0, 16, 16}},
    };
    return places;
}

// Builds the dialog, hidden; the window is `outerWidth` x `outerHeight` at (50, 50).
HWND CreateTestDialog(bool resizable, int outerWidth = 400, int outerHeight = 300);

// A control's rectangle in the dialog's client coordinates.
RECT ClientRectOf(HWND dialog, int id);
RECT ClientRectOfWindow(HWND window);
SIZE WindowSize(HWND window);
SIZE ClientSize(HWND window);

// Places of every control, by identifier.
std::map<int, RECT> Snapshot(HWND dialog);

// A fixed customizer with a split point given in client coordinates, counting re-layouts.
class TestFixedCustomizer : public TFixedDialogCustomizer {
public:
    int Updates = 0;
    bool HasCentre = true;
    POINT CentreClient = {100, 1000};
    int RectQueries = 0;
    int Queued = 0;

    void UpdateProperty() override
    {
        ++Updates;
        TFixedDialogCustomizer::UpdateProperty();
    }
    bool CalcDialogCenterLine(TPoint& point) override
    {
        if (!HasCentre)
            return false;
        point = CentreClient;
        ClientToScreen(FHandle, &point);
        return true;
    }
    bool GetDialogControlRect(HWND window, TRect& rect) override
    {
        ++RectQueries;
        return TFixedDialogCustomizer::GetDialogControlRect(window, rect);
    }
    HDWP SetDialogControlRect(HDWP batch, HWND window, int x, int y, int width, int height, UINT flags) override
    {
        if (batch != nullptr && (flags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE))
            ++Queued;
        return TFixedDialogCustomizer::SetDialogControlRect(batch, window, x, y, width, height, flags);
    }

    // Test access to the recorded sizes, for the pure computations.
    void SetSizes(TPoint initDialog, TPoint initClient, TPoint subFormClient)
    {
        FInitDialogSize = initDialog;
        FInitClientSize = initClient;
        FSubFormClientSize = subFormClient;
    }
    void SetMinDialogSize(TPoint size) { FMinDialogSize = size; }
    void SetUnit(TCustomDlgsUnit* unit) { FDlgsUnit = unit; }
};

class TestSizingCustomizer : public TSizingDialogCustomizer {
public:
    int Updates = 0;
    void UpdateProperty() override
    {
        ++Updates;
        TSizingDialogCustomizer::UpdateProperty();
    }
    void SetSizes(TPoint initDialog, TPoint initClient, TPoint subFormClient)
    {
        FInitDialogSize = initDialog;
        FInitClientSize = initClient;
        FSubFormClientSize = subFormClient;
    }
    void SetUnit(TCustomDlgsUnit* unit) { FDlgsUnit = unit; }
    // Lets go of the embedded form without restoring it (a failing test must not touch a freed one).
    void ForgetEmbeddedForm() { FEmbeddedForm = nullptr; }
};

// A sub form with a given client size, owned by nobody.
TForm* NewSubForm(int clientWidth, int clientHeight);

// Runs the message queue until it is empty.
void Pump();

}  // namespace TestDialogs
