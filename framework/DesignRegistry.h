// Design-time registration: which component classes a form designer offers on which palette
// page, and which of their properties it lists under which category. Component modules fill it
// from their Register procedure; the running program never does.
#pragma once

#include "framework/Classes.h"

#include <functional>
#include <initializer_list>
#include <vector>

// A class reference a designer can show and instantiate: its name and how to make one.
struct TComponentClass {
    AnsiString Name;
    std::function<TComponent*(TComponent* owner)> Create;
};

// The class reference of T, shown under `name` (the name T's ClassName gives).
template <class T>
TComponentClass ComponentClass(const char* name)
{
    return {name, [](TComponent* owner) -> TComponent* { return new T(owner); }};
}

// The property categories the framework knows by name.
extern const char* const sVisualCategoryName;       // "Visual"
extern const char* const sLocalizableCategoryName;  // "Localizable"

// One property of one class, filed under a category.
struct TPropertyRegistration {
    AnsiString Category;
    AnsiString ClassName;
    AnsiString PropertyName;
};

// Puts the classes on the palette page `page`, after what the page already holds.
void RegisterComponents(const AnsiString& page, std::initializer_list<TComponentClass> classes);
// Files the named properties of the class `className` under `category`.
void RegisterPropertiesInCategory(const AnsiString& category, const AnsiString& className,
                                  std::initializer_list<const char*> propertyNames);

// The palette pages in the order they were first used.
std::vector<AnsiString> PalettePages();
// The classes on one page, in registration order (empty for an unknown page).
std::vector<TComponentClass> PaletteClasses(const AnsiString& page);
// Every property filed under `category`, in registration order.
std::vector<TPropertyRegistration> PropertiesInCategory(const AnsiString& category);
// Forgets everything registered (a designer reloading its packages; tests).
void ClearDesignRegistry();
