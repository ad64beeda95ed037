// Colours and fonts.
#pragma once

#include "framework/Classes.h"

#include <windows.h>

// A colour: 0x00BBGGRR, or 0x80000000 | a system colour index.
using TColor = int;

constexpr TColor clBlack = 0x000000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = static_cast<TColor>(0x80000000u | COLOR_BTNFACE);
constexpr TColor clWindowText = static_cast<TColor>(0x80000000u | COLOR_WINDOWTEXT);
constexpr TColor clWindow = static_cast<TColor>(0x80000000u | COLOR_WINDOW);

// The RGB value a colour stands for now (system colours are looked up).
COLORREF ColorToRGB(TColor color);

// The resolution forms are designed at: sizes given before a window is made are pixels at it.
constexpr int DesignPixelsPerInch = 96;
// The screen's resolution (the system's, for windows that do not say otherwise).
int ScreenPixelsPerInch();
// `pixels` at resolution `from` as pixels at `to`, by way of design pixels: a size scaled up
// from design pixels comes back to them exactly, so a size scaled again lands where one
// scaling from design pixels would, not a pixel off.
int ScalePixels(int pixels, int to, int from);

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // a set of TFontStyle bits

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// A logical font with a lazily made GDI handle; OnChange fires after every change.
class TFont : public TPersistent {
public:
    TFont();
    ~TFont() override;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const char* ClassName() const override { return "TFont"; }
    // Copies every attribute; a height meant for another resolution is scaled to this font's.
    void Assign(TPersistent* source) override;

    const AnsiString& GetName() const { return FName; }
    void SetName(const AnsiString& name);
    int GetHeight() const { return FHeight; }
    void SetHeight(int height);
    // Size in points at the font's resolution (derived from Height).
    int GetSize() const;
    void SetSize(int points);
    // The resolution Height is meant for; a new font is at the design resolution. Changing it
    // scales Height along, so the font keeps its size in points.
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int value);
    BYTE GetCharset() const { return FCharset; }
    void SetCharset(BYTE charset);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor color);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles style);
    TFontPitch GetPitch() const { return FPitch; }
    void SetPitch(TFontPitch pitch);

    HFONT GetHandle();

    TNotifyEvent OnChange;

private:
    void Changed();
    void FreeHandle();

    AnsiString FName;
    int FHeight;
    BYTE FCharset;
    TColor FColor;
    TFontStyles FStyle = 0;
    TFontPitch FPitch = fpDefault;
    int FPixelsPerInch = DesignPixelsPerInch;
    HFONT FHandle = nullptr;
};
