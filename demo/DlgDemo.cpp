// The dialogs gallery: program entry. Reads the command line, opens the log file and runs the
// gallery window; a bad argument is shown in a message box and ends the program with code 2.
#include "demo/DemoArgs.h"
#include "demo/EventLog.h"
#include "demo/Gallery.h"
#include "framework/Application.h"

#include <shellapi.h>

namespace {

// The arguments after the program name, in the ANSI code page like every text here.
std::vector<AnsiString> CommandLineArgs()
{
    std::vector<AnsiString> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(WideToAnsi(wide[i]));
    LocalFree(wide);
    return args;
}

int BadArgument(const AnsiString& argument, const AnsiString& reason)
{
    AnsiString text = "引数が正しくありません: " + argument + "\n" + reason + "\n\n" + DemoUsage;
    MessageBoxA(nullptr, text.c_str(), "dlgdemo", MB_OK | MB_ICONERROR);
    return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const TDemoArgsResult parsed = ParseDemoArgs(CommandLineArgs());
    if (!parsed.Ok)
        return BadArgument(parsed.BadArgument, parsed.Reason);

    TEventLog log;
    const TDemoOptions& options = parsed.Options;
    if (!options.LogFile.empty() && !log.OpenFile(options.LogFile))
        return BadArgument("--log " + options.LogFile, "このファイルには書き込めません");

    try {
        Application->Initialize();
        Application->SetTitle("dlgdemo");
        Application->OnException = [&log](TObject*, const AnsiString& message) {
            log.Add("exception", message);
            Application->ShowException(message);
        };
        Application->CreateForm(Gallery);
        Gallery->Start(options, &log);
        Application->Run();
    } catch (const Exception& e) {
        log.Add("exception", e.Message());
        Application->ShowException(e.Message());
    }
    Application->DestroyForms();
    return 0;
}
