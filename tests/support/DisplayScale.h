// The screen resolution a suite runs at. The harness runs some suites again on screens of 144
// and 192 pixels per inch (TAPSTORM_DPI); their expectations are design pixels scaled as the
// framework scales forms, exact at the design resolution and a pixel either way elsewhere.
#pragma once

#include "framework/Graphics.h"

#include <windows.h>

#include <cstdlib>

// Design pixels at this run's resolution, rounded as the framework rounds them.
inline int Scaled(int designPixels)
{
    return MulDiv(designPixels, ScreenPixelsPerInch(), DesignPixelsPerInch);
}

// How far a scaled size may stray from Scaled: nowhere at the design resolution.
inline int ScaleSlack()
{
    return ScreenPixelsPerInch() == DesignPixelsPerInch ? 0 : 1;
}

// The resolution the harness asked for and the one the run got; a run whose screen was not
// set up as asked must fail rather than pass at the design resolution.
inline bool RunsAtRequestedResolution()
{
    const char* requested = std::getenv("TAPSTORM_DPI");
    return requested == nullptr || std::atoi(requested) == ScreenPixelsPerInch();
}
