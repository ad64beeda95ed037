// The link label module's registration.
#include "controls/LtLabel.h"
#include "framework/DesignRegistry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(LtLabelRegisterTest, PutsExactlyTheLinkLabelOnStandard)
{
    ClearDesignRegistry();
    LtLabel::Register();
    EXPECT_EQ(std::vector<AnsiString>{"Standard"}, PalettePages());
    std::vector<TComponentClass> classes = PaletteClasses("Standard");
    ASSERT_EQ(1u, classes.size());
    EXPECT_EQ("TLightLabel", classes[0].Name);
    TObjectPtr<TComponent> made(classes[0].Create(nullptr));
    EXPECT_NE(nullptr, dynamic_cast<TLightLabel*>(made.get()));
    EXPECT_STREQ("TLightLabel", made->ClassName());
    EXPECT_TRUE(PropertiesInCategory(sVisualCategoryName).empty());
    ClearDesignRegistry();
}

}  // namespace
