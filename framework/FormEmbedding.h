// A form embedded in a window the framework does not make (a platform dialog), and given back.
#pragma once

#include "framework/Forms.h"
#include "framework/Types.h"

// What a form had before it was embedded: its parent and parent window, border, bounds,
// visibility, window state and resolution; and giving all of it back.
class TFormEmbedding {
public:
    // Records what `form` has at the host's resolution `pixelsPerInch` (a scaled form is scaled
    // to it first), then hides the form and takes its border and window state away. Its outer
    // size becomes its former client size, which is returned.
    TPoint Take(TForm& form, int pixelsPerInch);
    // Makes `form` a child window of `host` (nothing when it already is).
    static void PutInto(TForm& form, HWND host);
    // Gives `form` what Take recorded: hidden, back under its parent, its border, its bounds at
    // the resolution it had then, its window state, then its visibility. A form being destroyed
    // is left alone.
    void GiveBack(TForm& form) const;

private:
    TWinControl* FParent = nullptr;
    HWND FParentWindow = nullptr;
    bool FVisible = false;
    TRect FBoundsRect = {0, 0, 0, 0};
    int FPixelsPerInch = DesignPixelsPerInch;
    TBorderStyle FBorderStyle = bsNone;
    TWindowState FWindowState = wsNormal;
};
