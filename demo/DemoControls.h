// The standard controls the gallery needs beyond the framework's: push button, edit box and
// list box, each a plain platform control.
#pragma once

#include "framework/Controls.h"

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
