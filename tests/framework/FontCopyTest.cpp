// Fonts: copying carries every attribute.
#include "framework/Graphics.h"

#include <gtest/gtest.h>

namespace {

TEST(FontCopyTest, AssignCopiesEveryAttributeAndReportsOneChange)
{
    TFont source;
    source.SetName("Courier New");
    source.SetHeight(-17);
    source.SetCharset(SHIFTJIS_CHARSET);
    source.SetColor(0x123456);
    source.SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
    source.SetPitch(fpFixed);

    TFont copy;
    int changes = 0;
    copy.OnChange = [&](TObject* sender) {
        ++changes;
        EXPECT_EQ(&copy, sender);
    };
    copy.Assign(&source);
    EXPECT_EQ(1, changes);
    EXPECT_EQ("Courier New", copy.GetName());
    EXPECT_EQ(-17, copy.GetHeight());
    EXPECT_EQ(source.GetSize(), copy.GetSize());
    EXPECT_EQ(SHIFTJIS_CHARSET, copy.GetCharset());
    EXPECT_EQ(static_cast<TColor>(0x123456), copy.GetColor());
    EXPECT_EQ(static_cast<TFontStyles>(fsBold | fsItalic | fsUnderline | fsStrikeOut), copy.GetStyle());
    EXPECT_EQ(fpFixed, copy.GetPitch());

    // The handle made for the copy is a font with those attributes.
    LOGFONTA lf = {};
    ASSERT_NE(0, GetObjectA(copy.GetHandle(), sizeof(lf), &lf));
    EXPECT_STREQ("Courier New", lf.lfFaceName);
    EXPECT_EQ(-17, lf.lfHeight);
    EXPECT_EQ(SHIFTJIS_CHARSET, lf.lfCharSet);
    EXPECT_EQ(FW_BOLD, lf.lfWeight);
    EXPECT_TRUE(lf.lfItalic && lf.lfUnderline && lf.lfStrikeOut);
}

}  // namespace
