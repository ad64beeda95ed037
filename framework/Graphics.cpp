#include "framework/Graphics.h"

#include <cstring>

namespace {
// The attributes every new font starts with.
const char* const DefaultFontName = "Tahoma";
constexpr int DefaultFontHeight = -11;
}  // namespace

int ScreenPixelsPerInch()
{
    HDC dc = GetDC(nullptr);
    int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return ppi > 0 ? ppi : DesignPixelsPerInch;
}

int ScalePixels(int pixels, int to, int from)
{
    if (from <= 0 || to <= 0 || to == from)
        return pixels;
    // Scaled up, a design size rounded by less than one of its own pixels: the way back is exact.
    if (from > DesignPixelsPerInch && to != DesignPixelsPerInch)
        return MulDiv(MulDiv(pixels, DesignPixelsPerInch, from), to, DesignPixelsPerInch);
    return MulDiv(pixels, to, from);
}

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}

TFont::TFont() : FName(DefaultFontName), FHeight(DefaultFontHeight), FCharset(DEFAULT_CHARSET), FColor(clWindowText) {}

TFont::~TFont()
{
    FreeHandle();
}

void TFont::Assign(TPersistent* source)
{
    if (auto* font = dynamic_cast<TFont*>(source)) {
        if (font == this)
            return;
        FName = font->FName;
        FHeight = font->FPixelsPerInch == FPixelsPerInch ? font->FHeight
                                                         : ScalePixels(font->FHeight, FPixelsPerInch, font->FPixelsPerInch);
        FCharset = font->FCharset;
        FColor = font->FColor;
        FStyle = font->FStyle;
        FPitch = font->FPitch;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TFont::SetName(const AnsiString& name)
{
    if (name.empty() || name == FName)
        return;
    FName = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == FHeight)
        return;
    FHeight = height;
    Changed();
}

int TFont::GetSize() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, FPixelsPerInch, 72));
}

void TFont::SetPixelsPerInch(int value)
{
    if (value <= 0 || value == FPixelsPerInch)
        return;
    const int height = ScalePixels(FHeight, value, FPixelsPerInch);
    FPixelsPerInch = value;
    if (height == FHeight)
        return;
    FHeight = height;
    Changed();
}

void TFont::SetCharset(BYTE charset)
{
    if (charset == FCharset)
        return;
    FCharset = charset;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == FPitch)
        return;
    FPitch = pitch;
    Changed();
}

HFONT TFont::GetHandle()
{
    if (FHandle == nullptr) {
        LOGFONTA lf = {};
        lf.lfHeight = FHeight;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (FStyle & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = FCharset;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
        strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
        FHandle = CreateFontIndirectA(&lf);
    }
    return FHandle;
}

void TFont::FreeHandle()
{
    if (FHandle != nullptr) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
}

void TFont::Changed()
{
    // Controls may still hold the old handle until OnChange gives them the new one, so the
    // old handle is freed only after they have been told.
    HFONT old = FHandle;
    FHandle = nullptr;
    if (OnChange)
        OnChange(this);
    if (old != nullptr)
        DeleteObject(old);
}
