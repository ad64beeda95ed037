// The link label module's registration.
#include "controls/LtLabel.h"
#include "framework/DesignRegistry.h"
#include "support/PaletteCheck.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(LtLabelRegisterTest, PutsExactlyTheLinkLabelOnStandard)
{
    ClearDesignRegistry();
    LtLabel::Register();
    EXPECT_EQ(std::vector<AnsiString>{"Standard"}, PalettePages());
    const std::vector<std::string> made = MadeFromPalette("Standard");
    EXPECT_EQ(std::vector<std::string>{"TLightLabel"}, made);
    TObjectPtr<TComponent> label(PaletteClasses("Standard").front().Create(nullptr));
    EXPECT_NE(nullptr, dynamic_cast<TLightLabel*>(label.get()));
    EXPECT_TRUE(FiledProperties(sVisualCategoryName, made).empty());
    ClearDesignRegistry();
}

}  // namespace
