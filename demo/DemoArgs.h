// The gallery's command line: which dialog to open at once and with which settings.
#pragma once

#include "dialogs/DlgsUnit.h"
#include "framework/SysUtils.h"

#include <vector>

enum TDemoDialogKind { dkFind, dkReplace, dkOpen, dkSave, dkFolder };

// "find", "replace", "open", "save" or "folder": the name --dialog takes.
const char* DemoDialogName(TDemoDialogKind kind);

struct TDemoOptions {
    bool OpenAtOnce = false;  // --dialog was given
    TDemoDialogKind Dialog = dkFind;
    bool SubFormShown = true;
    CustDlgs::TSubFormPos SubFormPos = CustDlgs::fpBottom;
    int SubFormWidth = -1;  // -1: the sample form's own size
    int SubFormHeight = -1;
    CustDlgs::TSubFormAnchors Anchors = CustDlgs::AllSubFormAnchors;
    bool Sizing = false;
    unsigned MinEdge[4] = {0, 0, 0, 0};  // left, top, right, bottom
    AnsiString Caption;
    bool Icon = false;
    bool OldStyle = false;      // open and save: the old look
    bool EnableSizing = true;   // open and save: the platform's own resizing
    bool UnicodeNames = false;  // open and save: names the code page lacks are taken
    bool NewStyle = false;      // folder: the new browser
    bool EditBox = false;       // folder: the name edit box
    bool StatusShown = false;   // folder: the status line
    AnsiString Status;
    AnsiString Root;
    AnsiString Select;
    int Reopen = 0;
    bool ExitAfter = false;
    AnsiString LogFile;
};

struct TDemoArgsResult {
    bool Ok = true;
    TDemoOptions Options;
    AnsiString BadArgument;  // the argument at fault, as given
    AnsiString Reason;       // why, for the message box
};

// Reads the arguments after the program name. Never throws; a fault names its argument.
TDemoArgsResult ParseDemoArgs(const std::vector<AnsiString>& args);

// The usage lines the message box for a bad argument ends with.
extern const char* const DemoUsage;
