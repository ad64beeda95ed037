// Program entry.
#include "app/Mainform.h"
#include "framework/Application.h"

namespace {

// A start that failed: the exception box where one can be shown, else a line on standard error.
void ReportFailedStart(const AnsiString& message)
{
    if (Application->ShowException(message))
        return;
    AnsiString line = Application->GetTitle() + ": " + TApplication::ExceptionBoxText(message) + "\r\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->SetTitle("Tapstorm");
        Application->CreateForm(MForm);
    } catch (const std::exception& e) {
        // No window was built, so nothing was read and nothing is stored: the settings file stays
        // as it was, and the exit code tells the caller the program never ran.
        ReportFailedStart(e.what());
        return 1;
    }
    try {
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e.Message());
    }
    // Closing the main form ended the loop; freeing it now stores the settings.
    Application->DestroyForms();
    return 0;
}
