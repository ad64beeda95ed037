// Program entry.
#include "app/Mainform.h"
#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->SetTitle("Tapstorm");
        Application->CreateForm(MForm);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e.Message());
    }
    // Closing the main form ended the loop; freeing it now stores the settings.
    Application->DestroyForms();
    return 0;
}
