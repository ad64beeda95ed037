// Points and rectangles in pixels (screen coordinates unless said otherwise).
#pragma once

#include <windows.h>

using TPoint = POINT;
using TRect = RECT;
