#include "framework/FormEmbedding.h"

TPoint TFormEmbedding::Take(TForm& form, int pixelsPerInch)
{
    // The client size is only exact once the form has its window, at the host's resolution:
    // the platform scales the host, and the form keeps its relation to it.
    form.HandleNeeded();
    if (form.GetScaled())
        form.ScaleForPPI(pixelsPerInch);
    FVisible = form.GetVisible();
    form.SetVisible(false);
    FParent = form.GetParent();
    FParentWindow = form.GetParentWindow();
    FBoundsRect = form.GetBoundsRect();
    FPixelsPerInch = form.GetPixelsPerInch();
    const RECT client = form.GetClientRect();
    const TPoint clientSize = {RectWidth(client), RectHeight(client)};
    FBorderStyle = form.GetBorderStyle();
    FWindowState = form.GetWindowState();
    form.SetBorderStyle(bsNone);
    form.SetWindowState(wsNormal);
    // Without a border the outer size becomes the former client size.
    form.SetBounds(form.GetLeft(), form.GetTop(), clientSize.x, clientSize.y);
    return clientSize;
}

void TFormEmbedding::PutInto(TForm& form, HWND host)
{
    if (form.GetParentWindow() == host)
        return;
    form.SetParent(nullptr);
    form.SetParentWindow(host);
}

void TFormEmbedding::GiveBack(TForm& form) const
{
    if (form.ComponentState() & csDestroying)
        return;
    form.SetVisible(false);
    form.SetParentWindow(FParentWindow);
    form.SetParent(FParent);
    form.SetBorderStyle(FBorderStyle);
    // The bounds are for the resolution it had then (the host may have moved since).
    if (form.GetScaled())
        form.ScaleForPPI(FPixelsPerInch);
    form.SetBoundsRect(FBoundsRect);
    form.SetWindowState(FWindowState);
    form.SetVisible(FVisible);
}
