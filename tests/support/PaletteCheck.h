// What a form designer gets from the palette and the property categories, seen from the
// components the entries make rather than from the names they were filed under.
#pragma once

#include "framework/DesignRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// The classes of the components the page's entries make, in palette order. Each is made with an
// owner, which it joins, and is shown under the name it gives itself.
inline std::vector<std::string> MadeFromPalette(const AnsiString& page)
{
    std::vector<std::string> made;
    for (const TComponentClass& entry : PaletteClasses(page)) {
        TObjectPtr<TComponent> owner(new TComponent(nullptr));
        TComponent* component = entry.Create(owner.get());
        EXPECT_EQ(1, owner->ComponentCount()) << entry.Name;
        EXPECT_EQ(entry.Name, component->ClassName());
        made.push_back(component->ClassName());
    }
    return made;
}

// "Class.Property" for each property filed under `category`, in order; each class must be one
// the palette makes.
inline std::vector<std::string> FiledProperties(const char* category, const std::vector<std::string>& made)
{
    std::vector<std::string> filed;
    for (const TPropertyRegistration& entry : PropertiesInCategory(category)) {
        EXPECT_NE(made.end(), std::find(made.begin(), made.end(), entry.ClassName))
            << entry.ClassName << " is made by no palette entry";
        filed.push_back(entry.ClassName + "." + entry.PropertyName);
    }
    return filed;
}
