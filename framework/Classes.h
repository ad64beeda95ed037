// Objects, persistent assignment and components with ownership and free notification.
//
// Dependency rule: a framework module includes only modules of the layers below its own
// (SysUtils, Messages, Types, Lists, ModulePath; Classes; Graphics, Icon, IniFile, Screen, Timer,
// WndThunk; Controls; StdCtrls, ComCtrls; Forms and Application; Dialogs, DesignRegistry), and
// whatever lies below Forms reaches the application only through the exception hook declared here.
#pragma once

#include "framework/Messages.h"
#include "framework/SysUtils.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
    // The class name the framework shows for this object (also used as a window class name).
    virtual const char* ClassName() const { return "TObject"; }

    // The message map: an object that takes messages overrides Dispatch with a switch on
    // the message number and passes what it does not handle to DefaultHandler.
    virtual void Dispatch(TMessage& message) { DefaultHandler(message); }
    // What happens to a message nobody handled; here, nothing.
    virtual void DefaultHandler(TMessage& message) {}

    // The last step while the object is still whole, just before its destructor: whoever frees
    // a framework object calls it first (an owner, the application, FreeObject). Everything that
    // can call back ends here (a dialog closes, a timer stops, a form's window goes), so the
    // handlers that run at the end still find every derived part in place; destructors raise no
    // events. May run more than once; only the first run does anything.
    virtual void BeforeDestruction() {}
};

// Frees `object` (null allowed): BeforeDestruction, then the destructor. Components, controls
// and forms are freed this way only (or by their owner, which does the same); their
// destructors are not public. An exception from BeforeDestruction goes to the exception hook
// and the object is freed all the same. A component counts as in an event (TEventScope) until it
// is gone, so no release frees it, or its owner, from a loop its end runs.
void FreeObject(TObject* object);

// Owns one framework object and frees it with FreeObject.
struct TObjectFree {
    void operator()(TObject* object) const { FreeObject(object); }
};
template <class T>
using TObjectPtr = std::unique_ptr<T, TObjectFree>;

// Creates a T that a TObjectPtr owns.
template <class T, class... Args>
TObjectPtr<T> MakeObject(Args&&... args)
{
    return TObjectPtr<T>(new T(std::forward<Args>(args)...));
}

// The exception hook. Code that stops exceptions at the platform's boundary (window procedures,
// thunks, timers, dialog hooks) calls ApplicationHandleException from inside its catch block;
// the application object installs the handler that shows them. With none installed the
// exception is dropped, since none may cross into the platform.
using TExceptionHook = void (*)(TObject* sender);
// Installs `hook` (null: none) and returns the one installed before.
TExceptionHook SetExceptionHook(TExceptionHook hook);
void ApplicationHandleException(TObject* sender);

// Event handlers take the sending object first.
using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
    const char* ClassName() const override { return "TPersistent"; }
    // Copies `source` into this object; classes that know the source override it.
    virtual void Assign(TPersistent* source);

protected:
    // Lets the source copy itself into `dest` when `dest` does not know it.
    virtual void AssignTo(TPersistent* dest);

private:
    [[noreturn]] void AssignError(TPersistent* source);
};

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
    csLoading = 0x01,
    csDestroying = 0x08,
    csFreeNotification = 0x200,
};

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const char* ClassName() const override { return "TComponent"; }
    // Marks the component as being destroyed and tells its watchers, while it is whole, then
    // asks each component it owns, newest first, to end its activity the same way.
    void BeforeDestruction() override;

    TComponent* GetOwner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents[static_cast<size_t>(index)]; }

    const AnsiString& GetName() const { return FName; }
    void SetName(const AnsiString& name) { FName = name; }
    int GetTag() const { return FTag; }
    void SetTag(int tag) { FTag = tag; }
    unsigned ComponentState() const { return FComponentState; }

    // Asks `component` to tell this object (through Notification) when it is freed, and the reverse.
    // Ignored once either of them has told its watchers of its end (it is being destroyed).
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Whether an event of this component, or of a component it owns at any depth, is running
    // on this thread's stack (see TEventScope).
    bool InEvent() const;

protected:
    // Freed through FreeObject or the owner only.
    ~TComponent() override;

    // Told when `component` is inserted into or removed from this owner, or a watched one is freed.
    virtual void Notification(TComponent* component, TOperation operation);
    // Marks the component as being destroyed and tells everyone watching it. Runs once; a
    // derived destructor may call it early, while the object is still whole.
    void Destroying();

private:
    // Sets csDestroying on this object and everything it owns, at any depth.
    void MarkDestroying();
    void RemoveNotification(TComponent* component);
    void DestroyComponents();
    // Runs the BeforeDestruction of an owned component, once for the owner's whole end; an
    // exception from it goes to the exception hook.
    void EndComponent(TComponent* component);

    TComponent* FOwner = nullptr;
    AnsiString FName;
    int FTag = 0;
    unsigned FComponentState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    bool FNotifiedFree = false;
    // The owner has asked this component to end (see EndComponent).
    bool FEndAsked = false;
};

// Marks an event of `component` as running while it lives on the stack. Every place where the
// platform calls into a component (window procedures, hooks, timer ticks) puts one around the
// call, and so does the end of a component (FreeObject, an owner ending what it owns): a
// component is only freed by a release once none of its events, nor of what it owns, is
// running, however many message loops run meanwhile. A component freed while its scope lives
// is simply forgotten by it.
class TEventScope {
public:
    explicit TEventScope(TComponent* component);
    ~TEventScope();
    TEventScope(const TEventScope&) = delete;
    TEventScope& operator=(const TEventScope&) = delete;

    // Whether the component of the scope was freed while the scope lived.
    bool ComponentFreed() const { return FFreed; }

private:
    TComponent* FComponent;
    TEventScope* FOuter;
    bool FFreed = false;

    friend class TComponent;
};

// The barrier wherever the platform calls into the framework (window procedures, hooks, timer
// ticks) and wherever a component ends: runs `action` as an event of `sender` (see TEventScope)
// and hands whatever it raises to the exception hook, with `sender` as the sender (none once the
// action freed it). Nothing crosses back into the platform. True when nothing was raised.
template <class TAction>
bool GuardedCall(TObject* sender, TAction&& action)
{
    TEventScope scope(dynamic_cast<TComponent*>(sender));
    try {
        action();
        return true;
    } catch (...) {
        ApplicationHandleException(scope.ComponentFreed() ? nullptr : sender);
        return false;
    }
}

// Told each time an event scope ends, so what waited for it can go on (the application frees the
// components released meanwhile). Returns the hook installed before.
using TEventEndHook = void (*)();
TEventEndHook SetEventEndHook(TEventEndHook hook);
