// The platform's modeless find and replace dialogs.
#pragma once

#include "framework/CommonDialog.h"
#include "framework/Sets.h"

#include <cstdint>
#include <initializer_list>
#include <windows.h>
#include <commdlg.h>

// What a find or replace dialog offers and what the user chose; each maps to one FR_ flag.
enum TFindOption : std::uint8_t {
    frDown,
    frFindNext,
    frHideMatchCase,
    frHideWholeWord,
    frHideUpDown,
    frMatchCase,
    frDisableMatchCase,
    frDisableUpDown,
    frDisableWholeWord,
    frReplace,
    frReplaceAll,
    frWholeWord,
    frShowHelp,
};

// A set of TFindOption: bit n stands for the option of value n.
using TFindOptions = TSet<TFindOption, std::uint16_t>;
static_assert(TFindOptions{frDown, frShowHelp}.Bits() == 0x1001, "the options' numbers are stored");

constexpr std::uint16_t FindOptionBit(TFindOption option)
{
    return TFindOptions::Bit(option);
}

constexpr TFindOptions FindOptions(std::initializer_list<TFindOption> options)
{
    return TFindOptions(options);
}

constexpr bool HasFindOption(TFindOptions set, TFindOption option)
{
    return set.Contains(option);
}

// The platform's FR_ flags of a set of options, and back (flags without an option are dropped).
DWORD FindOptionsToFlags(TFindOptions options);
TFindOptions FlagsToFindOptions(DWORD flags);

// The platform's modeless find dialog. Its window lives until the user closes it (Cancel, Esc,
// the close box), CloseDialog is called or the component is freed; each button press in it
// fires OnFind (or, in the replace dialog, OnReplace) with the text and options the user chose.
class TFindDialog : public TCommonDialog {
public:
    explicit TFindDialog(TComponent* owner);

    const char* ClassName() const override { return "TFindDialog"; }

    // Closes an open dialog as its Cancel button does.
    void CloseDialog();

    AnsiString GetFindText() const { return FFindText; }
    // Longer texts are cut to what the platform's buffer holds.
    void SetFindText(const AnsiString& value);
    AnsiString GetReplaceText() const { return FReplaceText; }
    void SetReplaceText(const AnsiString& value);
    // The texts exactly as typed, whatever the code page: read from the boxes in Unicode while
    // the dialog is open, kept as they were at the last report and when it closed. An ANSI text
    // set is its Unicode form; a wide text set stands in the box as given, cut where the buffer
    // would cut its ANSI form. The ANSI text of a wide text set, and of what the boxes held at the
    // close, is its exact form, or empty where the code page lacks a character.
    WideString GetFindTextW() const;
    void SetFindTextW(const WideString& value);
    WideString GetReplaceTextW() const;
    void SetReplaceTextW(const WideString& value);
    TFindOptions GetOptions() const { return FOptions; }
    void SetOptions(TFindOptions value) { FOptions = value; }

    // The dialog's place on the screen: the live window while open; -1 until the caller sets it,
    // in which case the framework's own place stands.
    int GetLeft() const;
    int GetTop() const;
    void SetLeft(int value);
    void SetTop(int value);

    void Dispatch(TMessage& message) override;

    TNotifyEvent OnFind;
    TNotifyEvent OnReplace;

    // The size of each text buffer in bytes, the terminating zero included.
    static constexpr int TextBufferSize = 256;

protected:
    // Execute opens the dialog, or brings the open one to the top; false if the platform failed,
    // and while the platform is still creating it (from OnShow).
    bool ShowDialog(TDialogRun& run) override;
    bool IsModal() const override { return false; }
    ~TFindDialog() override;
    // "Find Next" was pressed: fires OnFind.
    virtual void DoFind();
    // "Replace" or "Replace All" was pressed: fires OnReplace.
    virtual void DoReplace();
    // Creates the platform's window for `record` (the find dialog; the replace dialog overrides).
    virtual HWND CreateFindWindow(FINDREPLACEA& record);
    // A modeless dialog closes in its own order: as its Cancel button does, the platform reporting
    // the end (OnClose fires) before the window goes.
    void CloseOpenDialog() override { CloseDialog(); }

private:
    friend struct FindOwnerWindow;

    void WMInitDialog(TMessage& message);
    void WMDestroy(TMessage& message);
    // The platform's report of a button press, in the record it was opened with.
    void FindMessage(FINDREPLACEA& record);
    void MoveTo(int left, int top);
    // The text of the open dialog's box `id`, or `kept` without one.
    WideString BoxTextW(int id, const WideString& kept) const;
    // Keeps what the boxes hold now.
    void KeepTextsW();
    // The hidden window that owns the dialog and receives the platform's reports.
    HWND OwnerWindow();

    FINDREPLACEA FFindReplace = {};
    char FFindText[TextBufferSize] = {};
    char FReplaceText[TextBufferSize] = {};
    WideString FFindTextW;
    WideString FReplaceTextW;
    TFindOptions FOptions = {frDown};
    TPoint FPosition = {-1, -1};
    HWND FOwnerWindow = nullptr;
};

// The platform's modeless replace dialog: the find dialog with a replacement text.
class TReplaceDialog : public TFindDialog {
public:
    explicit TReplaceDialog(TComponent* owner);

    const char* ClassName() const override { return "TReplaceDialog"; }

protected:
    ~TReplaceDialog() override = default;
    HWND CreateFindWindow(FINDREPLACEA& record) override;
};
