// Common controls: track bar and status bar.
#pragma once

#include "framework/Controls.h"

#include <vector>

enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

// A horizontal track bar. OnChange fires exactly when Position really changes, whether the
// program, a drag, the keyboard or the wheel moved it.
class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TComponent* owner);
    const char* ClassName() const override { return "TTrackBar"; }

    int GetMin() const { return FMin; }
    int GetMax() const { return FMax; }
    void SetMin(int value);
    void SetMax(int value);
    void SetRange(int minValue, int maxValue);
    int GetPosition() const { return FPosition; }
    // Clamps to Min..Max; raises OnChange when the position changes.
    void SetPosition(int value);
    int GetPageSize() const { return FPageSize; }
    void SetPageSize(int value);
    int GetLineSize() const { return FLineSize; }
    void SetLineSize(int value);
    int GetFrequency() const { return FFrequency; }
    void SetFrequency(int value);
    TTickMark GetTickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark value) { FTickMarks = value; }
    TTickStyle GetTickStyle() const { return FTickStyle; }
    void SetTickStyle(TTickStyle value) { FTickStyle = value; }
    int GetThumbLength() const { return FThumbLength; }
    void SetThumbLength(int value);

    void Dispatch(TMessage& message) override;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeHandle() override;
    void ChangeScale(int m, int d) override;
    virtual void Changed();

private:
    void PositionFromWindow();

    int FMin = 0;
    int FMax = 10;
    int FPosition = 0;
    int FPageSize = 2;
    int FLineSize = 1;
    int FFrequency = 1;
    TTickMark FTickMarks = tmBottomRight;
    TTickStyle FTickStyle = tsAuto;
    int FThumbLength = 20;
};

struct TStatusPanel {
    AnsiString Text;
    int Width;
};

// A status bar of panels.
class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);
    const char* ClassName() const override { return "TStatusBar"; }

    void AddPanel(const AnsiString& text, int width);
    int PanelCount() const { return static_cast<int>(FPanels.size()); }
    AnsiString GetPanelText(int index) const;
    void SetPanelText(int index, const AnsiString& text);
    int GetPanelWidth(int index) const;
    void SetPanelWidth(int index, int width);
    bool GetSimplePanel() const { return FSimplePanel; }

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeHandle() override;
    void ChangeScale(int m, int d) override;

private:
    void UpdatePanels();

    std::vector<TStatusPanel> FPanels;
    bool FSimplePanel = false;
};
