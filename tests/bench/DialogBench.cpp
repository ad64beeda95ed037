// How fast the dialogs feel (a benchmark, not a test): each dialog is opened a number of times
// plain (the framework's or the folder browser component without customizing) and customized
// (a sub form at the bottom and DialogSizing), and for each opening the time from Execute to
// the window shown and to the dialog ready for input (its first idle moment) is taken; then the
// window is grown step by step as a grip drag does, and each step's layout pass is timed.
//   dlgbench.exe [openings per dialog and variant, default 10]
// Prints one line per dialog and variant; scripts/dialog-benchmark.sh runs it under Wine.
#include "dialogs/CFindDlg.h"
#include "dialogs/COpenDlg.h"
#include "dialogs/CSelFDlg.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace CustDlgs;

namespace {

double NowMs()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// What one opening measured.
struct TOpening {
    double Start = 0;
    double Shown = -1;  // ms from Execute
    double Ready = -1;
    HWND Dialog = nullptr;
    bool Resize = false;
    std::vector<double> Passes;  // ms per layout pass
};

TOpening* Current = nullptr;
HHOOK Watcher = nullptr;

bool IsDialogWindow(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0 && GetAncestor(window, GA_ROOT) == window;
}

// Grows the window 20 times by a few pixels, as the steps of a grip drag do; each resize lays
// the dialog out before SetWindowPos returns.
void MeasureLayout(TOpening& o)
{
    RECT r;
    GetWindowRect(o.Dialog, &r);
    for (int i = 1; i <= 20; ++i) {
        const double t0 = NowMs();
        SetWindowPos(o.Dialog, nullptr, 0, 0, r.right - r.left + 3 * i, r.bottom - r.top + 2 * i,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        o.Passes.push_back(NowMs() - t0);
    }
}

// Sees every message of this thread after its window handled it: the dialog's first showing,
// and the modal loop's first idle moment, where the layout is measured and the dialog closed.
LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && Current != nullptr) {
        TOpening& o = *Current;
        if (m->message == WM_SHOWWINDOW && m->wParam && o.Shown < 0 && IsDialogWindow(m->hwnd)) {
            o.Shown = NowMs() - o.Start;
            o.Dialog = m->hwnd;
        } else if (m->message == WM_ENTERIDLE && o.Dialog != nullptr && o.Ready < 0) {
            o.Ready = NowMs() - o.Start;
            if (o.Resize)
                MeasureLayout(o);
            PostMessageA(o.Dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(Watcher, code, wParam, lParam);
}

void PumpUntilIdle()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

template <class TDialog>
TOpening OpenModal(TDialog* dialog, bool resize)
{
    TOpening o;
    o.Resize = resize;
    Current = &o;
    o.Start = NowMs();
    dialog->Execute();
    Current = nullptr;
    return o;
}

// The find and replace dialogs are modeless: Execute returns with the window open.
template <class TDialog>
TOpening OpenModeless(TDialog* dialog, bool resize)
{
    TOpening o;
    o.Resize = resize;
    Current = &o;
    o.Start = NowMs();
    dialog->Execute();
    PumpUntilIdle();
    o.Ready = NowMs() - o.Start;
    Current = nullptr;
    if (resize && o.Dialog != nullptr)
        MeasureLayout(o);
    dialog->CloseDialog();
    PumpUntilIdle();
    return o;
}

template <class TDialog>
void Customize(TDialog* dialog, TForm* subForm)
{
    dialog->SetSubForm(subForm);
    dialog->SetSubFormPos(fpBottom);
    dialog->SetDialogSizing(true);
}

// The value `percent` of the figures lie at or below (nearest rank); -1 for none.
double Percentile(std::vector<double> v, int percent)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t rank = (v.size() * static_cast<size_t>(percent) + 99) / 100;
    return v[rank == 0 ? 0 : rank - 1];
}

double Median(std::vector<double> v)
{
    return Percentile(std::move(v), 50);
}

void Report(const char* dialog, const char* variant, const std::vector<TOpening>& openings)
{
    std::vector<double> shown, ready, passes;
    for (const TOpening& o : openings) {
        shown.push_back(o.Shown);
        ready.push_back(o.Ready);
        passes.insert(passes.end(), o.Passes.begin(), o.Passes.end());
    }
    std::printf("%-8s %-10s %6d %9.2f %9.2f %9.2f", dialog, variant, static_cast<int>(openings.size()),
                openings.front().Shown, Median(shown), Median(ready));
    if (passes.empty())
        std::printf(" %9s %9s %9s\n", "-", "-", "-");
    else
        std::printf(" %9.3f %9.3f %9.3f\n", Median(passes), Percentile(passes, 99),
                    *std::max_element(passes.begin(), passes.end()));
    std::fflush(stdout);
}

// Opens `plain` and `custom` `count` times each, alternating, so both meet the same load.
template <class TPlain, class TCustom, class TOpen>
void Compare(const char* name, TPlain* plain, TCustom* custom, TForm* subForm, int count, bool plainResizes, TOpen open)
{
    Customize(custom, subForm);
    std::vector<TOpening> plainRuns, customRuns;
    for (int i = 0; i < count; ++i) {
        plainRuns.push_back(open(plain, plainResizes));
        customRuns.push_back(open(custom, true));
    }
    Report(name, "plain", plainRuns);
    Report(name, "customized", customRuns);
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    Application->Initialize();
    Application->SetTitle("dlgbench");
    TForm* owner = nullptr;
    Application->CreateForm(owner);
    owner->SetBounds(0, 0, 200, 100);
    owner->Show();

    // The sub form every customized dialog embeds: a strip with two labels.
    TForm* subForm = new TForm(owner);
    subForm->SetClientWidth(280);
    subForm->SetClientHeight(40);
    for (int i = 0; i < 2; ++i) {
        TLabel* label = new TLabel(subForm);
        label->SetBounds(8, 4 + 18 * i, 260, 16);
        label->SetCaption("Sub form");
        label->SetParent(subForm);
    }

    Watcher = SetWindowsHookExA(WH_CALLWNDPROCRET, Watch, nullptr, GetCurrentThreadId());
    std::printf("%-8s %-10s %6s %9s %9s %9s %9s %9s %9s\n", "dialog", "variant", "opens", "first_ms", "shown_ms",
                "ready_ms", "layout_ms", "p99_ms", "max_ms");
    auto modal = [](auto* dialog, bool resize) { return OpenModal(dialog, resize); };
    auto modeless = [](auto* dialog, bool resize) { return OpenModeless(dialog, resize); };

    Compare("find", new TFindDialog(owner), new TCFindDialog(owner), subForm, count, false, modeless);
    Compare("replace", new TReplaceDialog(owner), new TCReplaceDialog(owner), subForm, count, false, modeless);
    // The platform's file dialogs resize themselves (ofEnableSizing), so the plain ones are timed too.
    Compare("open", new TOpenDialog(owner), new TCOpenDialog(owner), subForm, count, true, modal);
    Compare("save", new TSaveDialog(owner), new TCSaveDialog(owner), subForm, count, true, modal);
    Compare("folder", new TSelectFolderDialog(owner), new TCSelectFolderDialog(owner), subForm, count, false, modal);

    UnhookWindowsHookEx(Watcher);
    Application->DestroyForms();
    return 0;
}
