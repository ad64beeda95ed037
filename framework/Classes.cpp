#include "framework/Classes.h"

#include <algorithm>

namespace {
TExceptionHook ExceptionHook = nullptr;
TEventEndHook EventEndHook = nullptr;
// The innermost event scope running on this thread.
thread_local TEventScope* InnermostScope = nullptr;
}  // namespace

TEventEndHook SetEventEndHook(TEventEndHook hook)
{
    TEventEndHook previous = EventEndHook;
    EventEndHook = hook;
    return previous;
}

TEventScope::TEventScope(TComponent* component) : FComponent(component), FOuter(InnermostScope)
{
    InnermostScope = this;
}

TEventScope::~TEventScope()
{
    InnermostScope = FOuter;
    if (EventEndHook != nullptr)
        EventEndHook();
}

TExceptionHook SetExceptionHook(TExceptionHook hook)
{
    TExceptionHook previous = ExceptionHook;
    ExceptionHook = hook;
    return previous;
}

void ApplicationHandleException(TObject* sender)
{
    if (ExceptionHook != nullptr)
        ExceptionHook(sender);
}

void FreeObject(TObject* object)
{
    if (object == nullptr)
        return;
    // Counted as in an event for its whole end: a loop run meanwhile (the exception box of a
    // failing close handler, say) must not free it, or its owner, on a release still pending.
    TEventScope scope(dynamic_cast<TComponent*>(object));
    // An end that fails still frees the object: left alive it would be half ended for good.
    GuardedCall(object, [object] { object->BeforeDestruction(); });
    delete object;
}

void TPersistent::Assign(TPersistent* source)
{
    if (source != nullptr) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest)
{
    dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* source)
{
    const char* sourceName = source != nullptr ? source->ClassName() : "nil";
    throw EConvertError(Format("Cannot assign a %s to a %s", sourceName, ClassName()));
}

TComponent::TComponent(TComponent* owner)
{
    if (owner != nullptr)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    // A scope of this component still on the stack ends without it.
    for (TEventScope* scope = InnermostScope; scope != nullptr; scope = scope->FOuter) {
        if (scope->FComponent == this) {
            scope->FComponent = nullptr;
            scope->FFreed = true;
        }
    }
    Destroying();
    DestroyComponents();
    if (FOwner != nullptr)
        FOwner->RemoveComponent(this);
}

void TComponent::BeforeDestruction()
{
    Destroying();
    // Newest first, as they are freed; a component may free another meanwhile.
    for (size_t i = FComponents.size(); i > 0; --i) {
        if (i - 1 < FComponents.size())
            EndComponent(FComponents[i - 1]);
    }
}

void TComponent::EndComponent(TComponent* component)
{
    if (component->FEndAsked)
        return;
    component->FEndAsked = true;
    // In an event while it ends, as under FreeObject: a release it had pending waits. One
    // component failing to end must not stop its owner ending: the failure goes to the exception
    // handler, and the owner goes on with the rest of its end.
    GuardedCall(component, [component] { component->BeforeDestruction(); });
}

void TComponent::Destroying()
{
    MarkDestroying();
    if (FNotifiedFree)
        return;
    FNotifiedFree = true;
    // Newest watcher first; each one takes itself off the list as it is told.
    while (!FFreeNotifies.empty()) {
        TComponent* watcher = FFreeNotifies.back();
        watcher->Notification(this, opRemove);
        // A watcher that does not call the inherited Notification is dropped here.
        if (!FFreeNotifies.empty() && FFreeNotifies.back() == watcher)
            RemoveFreeNotification(watcher);
    }
}

void TComponent::MarkDestroying()
{
    if (FComponentState & csDestroying)
        return;
    FComponentState |= csDestroying;
    // What this object owns goes with it: the owner tells its other components of each one
    // before that one's own destructor runs, and by then it must already read as going.
    for (TComponent* child : FComponents)
        child->MarkDestroying();
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* child = FComponents.back();
        // Only a component that others watch needs the owner's notification on the way out.
        if (child->FComponentState & csFreeNotification) {
            RemoveComponent(child);
        } else {
            FComponents.pop_back();
            child->FOwner = nullptr;
        }
        // Inside a destructor nothing may escape: a failing end goes to the exception handler,
        // and the child is freed all the same.
        EndComponent(child);
        delete child;
    }
}

bool TComponent::InEvent() const
{
    for (const TEventScope* scope = InnermostScope; scope != nullptr; scope = scope->FOuter) {
        for (const TComponent* c = scope->FComponent; c != nullptr; c = c->FOwner) {
            if (c == this)
                return true;
        }
    }
    return false;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component->FOwner != nullptr)
        component->FOwner->RemoveComponent(component);
    component->FOwner = this;
    FComponents.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end())
        return;
    Notification(component, opRemove);
    it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it != FComponents.end())
        FComponents.erase(it);
    component->FOwner = nullptr;
}

void TComponent::FreeNotification(TComponent* component)
{
    if (component == nullptr || component == this)
        return;
    // Either one has told its watchers already and tells nobody again: a link made now would
    // outlive it.
    if (FNotifiedFree || component->FNotifiedFree)
        return;
    // Registered both ways even between siblings: the owner only reports a child's removal
    // once the child's derived parts are gone, while a free notification arrives whilst the
    // freed object is still whole (a watcher may ask what class it is).
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(component);
        component->FreeNotification(this);
    }
    FComponentState |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (component == nullptr)
        return;
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component)
{
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component);
    if (it != FFreeNotifies.end())
        FFreeNotifies.erase(it);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component != nullptr)
        RemoveFreeNotification(component);
    // Pass it on to the owned components, newest first; the list may shrink meanwhile.
    for (size_t i = FComponents.size(); i > 0; --i) {
        if (i - 1 < FComponents.size())
            FComponents[i - 1]->Notification(component, operation);
    }
}
