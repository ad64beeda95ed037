// Standard controls: label, drop-down list, check box, push button, edit box, list box.
#pragma once

#include "framework/Controls.h"

#include <vector>

// A text label (a STATIC window that reports the mouse).
class TLabel : public TWinControl {
public:
    explicit TLabel(TComponent* owner);
    const char* ClassName() const override { return "TLabel"; }

    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    // With AutoSize on, a one-line label grows to the size of its text in its font whenever the
    // text or the font changes, so a longer text shows whole; it never gets smaller than the
    // box it had when AutoSize was turned on. Off by default.
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);

    void SetText(const AnsiString& value) override;
    // The box given here is the label's own; widening for a scaled font starts from it again.
    void SetBounds(int left, int top, int width, int height) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void FontChanged() override;
    void ColorChanged() override;
    // A scaled one-line label grows to its text wherever its font runs wider than its box
    // (fonts do not scale exactly), so its text stays whole at every resolution; at a scale
    // where the text fits, it has its own box again.
    void ChangeScale(int m, int d) override;

private:
    void AdjustSize();
    // The text's extent in the label's font, and the font's line height.
    SIZE TextSize();

    bool FWordWrap = false;
    bool FAutoSize = false;
    SIZE FMinSize = {0, 0};
    // The label's own width while it is widened to a scaled text, else -1.
    int FBoxWidth = -1;
    bool FWidening = false;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// A drop-down list. Setting ItemIndex from the program raises no OnChange; a user's choice does.
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    const char* ClassName() const override { return "TComboBox"; }

    void SetStyle(TComboBoxStyle style) { FStyle = style; }
    TComboBoxStyle GetStyle() const { return FStyle; }

    void AddItem(const AnsiString& item);
    void SetItems(const std::vector<AnsiString>& items);
    int ItemCount() const;
    AnsiString Item(int index) const;

    int GetItemIndex() const;
    void SetItemIndex(int value);

    int GetItemHeight() const { return FItemHeight; }
    void SetItemHeight(int value);
    int GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int value);

    void Dispatch(TMessage& message) override;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeHandle() override;
    void ChangeScale(int m, int d) override;
    void ScaleBounds(int m, int d) override;
    virtual void Change();

private:
    void ApplyDropDownHeight();
    void ApplyFieldHeight();

    TComboBoxStyle FStyle = csDropDown;
    std::vector<AnsiString> FItems;
    int FItemIndex = -1;
    int FItemHeight = 0;
    int FDropDownCount = 8;
};

// A check box.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }

    bool GetChecked() const;
    void SetChecked(bool value);

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeHandle() override;

private:
    bool FChecked = false;
};

// A push button; a press fires OnClick.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }
    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
};

// An edit box, one line or several; every change of its text fires OnChange.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    const char* ClassName() const override { return "TEdit"; }

    void SetMultiLine(bool value) { FMultiLine = value; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    void Dispatch(TMessage& message) override;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool FMultiLine = false;
    bool FReadOnly = false;
};

// A list of text lines that keeps its newest line in view.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    const char* ClassName() const override { return "TListBox"; }

    void AddLine(const AnsiString& line);
    void Clear();

protected:
    void CreateParams(TCreateParams& params) override;
};
