#include "framework/DesignRegistry.h"

#include <algorithm>

const char* const sVisualCategoryName = "Visual";
const char* const sLocalizableCategoryName = "Localizable";

namespace {
struct TPalettePage {
    AnsiString Name;
    std::vector<TComponentClass> Classes;
};

struct TRegistry {
    std::vector<TPalettePage> Pages;
    std::vector<TPropertyRegistration> Properties;
};

TRegistry& Registry()
{
    static TRegistry registry;
    return registry;
}

TPalettePage& PageNamed(const AnsiString& name)
{
    auto& pages = Registry().Pages;
    auto it = std::find_if(pages.begin(), pages.end(), [&](const TPalettePage& p) { return p.Name == name; });
    if (it != pages.end())
        return *it;
    pages.push_back({name, {}});
    return pages.back();
}
}  // namespace

void RegisterComponents(const AnsiString& page, std::initializer_list<TComponentClass> classes)
{
    if (page.empty())
        throw Exception("A component class needs a palette page");
    TPalettePage& target = PageNamed(page);
    for (const TComponentClass& cls : classes) {
        if (cls.Name.empty() || !cls.Create)
            throw Exception(Format("Incomplete component class on page %s", page.c_str()));
        // A class sits on one page once; registering it again moves nothing.
        auto same = [&](const TComponentClass& c) { return c.Name == cls.Name; };
        if (std::none_of(target.Classes.begin(), target.Classes.end(), same))
            target.Classes.push_back(cls);
    }
}

void RegisterPropertiesInCategory(const AnsiString& category, const AnsiString& className,
                                  std::initializer_list<const char*> propertyNames)
{
    auto& props = Registry().Properties;
    for (const char* name : propertyNames) {
        auto same = [&](const TPropertyRegistration& r) {
            return r.Category == category && r.ClassName == className && r.PropertyName == name;
        };
        if (std::none_of(props.begin(), props.end(), same))
            props.push_back({category, className, name});
    }
}

std::vector<AnsiString> PalettePages()
{
    std::vector<AnsiString> names;
    for (const TPalettePage& page : Registry().Pages)
        names.push_back(page.Name);
    return names;
}

std::vector<TComponentClass> PaletteClasses(const AnsiString& page)
{
    for (const TPalettePage& p : Registry().Pages) {
        if (p.Name == page)
            return p.Classes;
    }
    return {};
}

std::vector<TPropertyRegistration> PropertiesInCategory(const AnsiString& category)
{
    std::vector<TPropertyRegistration> found;
    for (const TPropertyRegistration& r : Registry().Properties) {
        if (r.Category == category)
            found.push_back(r);
    }
    return found;
}

void ClearDesignRegistry()
{
    Registry().Pages.clear();
    Registry().Properties.clear();
}
