// The application object: the message loop, the main form and the standard exception box.
#pragma once

#include "framework/Forms.h"

class TApplication : public TComponent {
public:
    TApplication();

    const char* ClassName() const override { return "TApplication"; }

    // Prepares the common controls and the application's hidden window.
    void Initialize();

    // The task-bar text; also the caption of the exception box.
    const AnsiString& GetTitle() const { return FTitle; }
    void SetTitle(const AnsiString& title);

    // The application's hidden top-level window (owner of message boxes and shell calls); null
    // while the platform cannot make it.
    HWND GetHandle();
    TForm* GetMainForm() const { return FMainForm; }

    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (FMainForm == nullptr) {
            form->HandleNeeded();
            FMainForm = form;
        }
    }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    // Handles every message now waiting in this thread's queue, then returns.
    void ProcessMessages();
    // Waits for one message or timer tick and handles it.
    void HandleMessage();
    void Terminate();
    // A modeless dialog window whose keyboard input (Tab, Enter, Esc) the message loop hands to
    // the platform's dialog handling while it is open; remove it before it is destroyed.
    void AddModelessDialog(HWND window);
    void RemoveModelessDialog(HWND window);
    bool GetTerminated() const { return FTerminated; }
    // Frees the forms the application owns (at program exit).
    void DestroyForms();
    // Frees `component` in a message loop once no event of it, nor of anything it owns, is
    // running on the stack (see TEventScope), however many loops (message boxes, modal dialogs)
    // run from inside such an event meanwhile. A component freed otherwise meanwhile is simply
    // dropped from the list; one already being destroyed is left to whoever destroys it. Safe to
    // call more than once. Raises Exception, recording nothing, when the application's window
    // (which takes the release message) cannot be created.
    void Release(TComponent* component);
    // An event scope ended: posts the release message when a released component is now free to go.
    void EventEnded();

    // Shows the exception being handled; call from inside a catch block.
    void HandleException(TObject* sender);
    // Returns whether the box could be shown.
    bool ShowException(const AnsiString& message);
    // The text the exception box shows for `message`.
    static AnsiString ExceptionBoxText(const AnsiString& message);

    // Replaces the exception box (tests use it to observe what would be shown).
    std::function<void(TObject* sender, const AnsiString& message)> OnException;

protected:
    ~TApplication() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool ProcessMessage(MSG& msg);
    // Frees every component waiting for its release whose events have all ended.
    void FreeReleased();
    bool ReleaseReady() const;
    // Posts the release message unless one is on its way.
    void PostRelease();
    static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    AnsiString FTitle;
    HWND FHandle = nullptr;
    TForm* FMainForm = nullptr;
    std::vector<HWND> FModelessDialogs;
    std::vector<TComponent*> FReleased;
    // A release message is on its way.
    bool FReleasePosted = false;
    bool FTerminated = false;
};

extern TApplication* Application;
