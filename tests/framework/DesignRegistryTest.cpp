// The design-time registry: palette pages with their classes, and property categories.
#include "framework/DesignRegistry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Gadget : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "Gadget"; }
};

class Widget : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "Widget"; }
};

class DesignRegistryTest : public ::testing::Test {
protected:
    DesignRegistryTest() { ClearDesignRegistry(); }
    ~DesignRegistryTest() override { ClearDesignRegistry(); }

    static std::vector<AnsiString> Names(const std::vector<TComponentClass>& classes)
    {
        std::vector<AnsiString> names;
        for (const TComponentClass& c : classes)
            names.push_back(c.Name);
        return names;
    }
};

TEST_F(DesignRegistryTest, PagesKeepTheirClassesInOrderAndOnce)
{
    RegisterComponents("Dialogs", {ComponentClass<Widget>("Widget")});
    RegisterComponents("Standard", {ComponentClass<Gadget>("Gadget")});
    RegisterComponents("Dialogs", {ComponentClass<Gadget>("Gadget"), ComponentClass<Widget>("Widget")});

    EXPECT_EQ((std::vector<AnsiString>{"Dialogs", "Standard"}), PalettePages());
    EXPECT_EQ((std::vector<AnsiString>{"Widget", "Gadget"}), Names(PaletteClasses("Dialogs")));
    EXPECT_EQ((std::vector<AnsiString>{"Gadget"}), Names(PaletteClasses("Standard")));
    EXPECT_TRUE(PaletteClasses("Additional").empty());
}

TEST_F(DesignRegistryTest, AClassReferenceMakesAnOwnedComponentOfItsClass)
{
    RegisterComponents("Standard", {ComponentClass<Widget>("Widget")});
    auto ownerOwned = MakeObject<TComponent>(nullptr);
    TComponent& owner = *ownerOwned;
    TComponent* made = PaletteClasses("Standard").at(0).Create(&owner);
    EXPECT_STREQ("Widget", made->ClassName());
    EXPECT_EQ(&owner, made->GetOwner());
    EXPECT_EQ(1, owner.ComponentCount());
}

TEST_F(DesignRegistryTest, IncompleteRegistrationsAreRefused)
{
    EXPECT_THROW(RegisterComponents("", {ComponentClass<Widget>("Widget")}), Exception);
    EXPECT_THROW(RegisterComponents("Standard", {TComponentClass{"Widget", nullptr}}), Exception);
    EXPECT_THROW(RegisterComponents("Standard", {ComponentClass<Widget>("")}), Exception);
}

TEST_F(DesignRegistryTest, PropertiesAreFiledPerCategory)
{
    RegisterPropertiesInCategory(sVisualCategoryName, "Widget", {"SubForm", "SubFormPos"});
    RegisterPropertiesInCategory(sVisualCategoryName, "Gadget", {"Title"});
    RegisterPropertiesInCategory(sLocalizableCategoryName, "Gadget", {"Title", "StatusText"});
    RegisterPropertiesInCategory(sVisualCategoryName, "Widget", {"SubForm"});

    std::vector<TPropertyRegistration> visual = PropertiesInCategory("Visual");
    ASSERT_EQ(3u, visual.size());
    EXPECT_EQ("Widget", visual[0].ClassName);
    EXPECT_EQ("SubForm", visual[0].PropertyName);
    EXPECT_EQ("SubFormPos", visual[1].PropertyName);
    EXPECT_EQ("Gadget", visual[2].ClassName);
    EXPECT_EQ("Title", visual[2].PropertyName);

    std::vector<TPropertyRegistration> localizable = PropertiesInCategory("Localizable");
    ASSERT_EQ(2u, localizable.size());
    EXPECT_EQ("Localizable", localizable[0].Category);
    EXPECT_EQ("Title", localizable[0].PropertyName);
    EXPECT_EQ("StatusText", localizable[1].PropertyName);
    EXPECT_TRUE(PalettePages().empty());
}

TEST_F(DesignRegistryTest, ClearingForgetsEverything)
{
    RegisterComponents("Standard", {ComponentClass<Widget>("Widget")});
    RegisterPropertiesInCategory(sVisualCategoryName, "Widget", {"Caption"});
    ClearDesignRegistry();
    EXPECT_TRUE(PalettePages().empty());
    EXPECT_TRUE(PaletteClasses("Standard").empty());
    EXPECT_TRUE(PropertiesInCategory(sVisualCategoryName).empty());
}

}  // namespace
