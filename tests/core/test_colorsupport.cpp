#include "core/Ucolorsupport.h"

#include <gtest/gtest.h>

namespace {

using platform::RgbColor;

TEST(HSBToRGB, PureColoursOfTheSixSectors)
{
    EXPECT_EQ(HSBToRGB(0, 100, 50), 0x0000FF);   // red in the low byte
    EXPECT_EQ(HSBToRGB(60, 100, 50), RgbColor(255, 255, 0));
    EXPECT_EQ(HSBToRGB(120, 100, 50), RgbColor(0, 255, 0));
    EXPECT_EQ(HSBToRGB(180, 100, 50), RgbColor(0, 255, 255));
    EXPECT_EQ(HSBToRGB(240, 100, 50), RgbColor(0, 0, 255));
    EXPECT_EQ(HSBToRGB(300, 100, 50), RgbColor(255, 0, 255));
    EXPECT_EQ(HSBToRGB(30, 100, 50), RgbColor(255, 127, 0));    // 30 × 4.25 = 127.5, truncated
    EXPECT_EQ(HSBToRGB(90, 100, 50), RgbColor(127, 255, 0));
    EXPECT_EQ(HSBToRGB(359, 100, 50), RgbColor(255, 0, 4));
}

TEST(HSBToRGB, HueIsTakenModulo360)
{
    for (int hue : {0, 45, 200, 359}) {
        EXPECT_EQ(HSBToRGB(hue + 360, 80, 60), HSBToRGB(hue, 80, 60));
        EXPECT_EQ(HSBToRGB(hue + 720, 80, 60), HSBToRGB(hue, 80, 60));
    }
    EXPECT_EQ(HSBToRGB(-60, 100, 50), HSBToRGB(300, 100, 50));
}

TEST(HSBToRGB, BrightnessEndsAreBlackAndWhiteForEveryHueAndSaturation)
{
    for (int hue = 0; hue < 360; hue += 7) {
        for (int saturation = 0; saturation <= 100; ++saturation) {
            ASSERT_EQ(HSBToRGB(hue, saturation, 100), RgbColor(255, 255, 255)) << hue << " " << saturation;
            ASSERT_EQ(HSBToRGB(hue, saturation, 0), RgbColor(0, 0, 0)) << hue << " " << saturation;
        }
        ASSERT_EQ(HSBToRGB(hue, 0, 50), RgbColor(128, 128, 128)) << hue;
    }
}

TEST(HSBToRGB, MiddleStepsAreNotTruncated)
{
    // Saturation 50 gives 191.5, 127.5 and 64 at hue 30; brightness 40 scales them by 0.8.
    EXPECT_EQ(HSBToRGB(30, 50, 50), RgbColor(191, 127, 64));
    EXPECT_EQ(HSBToRGB(30, 50, 40), RgbColor(153, 102, 51));
    EXPECT_EQ(HSBToRGB(30, 50, 75), RgbColor(223, 191, 159));
    EXPECT_EQ(HSBToRGB(0, 0, 75), RgbColor(191, 191, 191));
}

TEST(HSBToRGB, OtherScale)
{
    const int saved = _HSBOfSBRate;
    _HSBOfSBRate = 255;
    EXPECT_EQ(HSBToRGB(0, 255, 127), RgbColor(255, 0, 0));
    EXPECT_EQ(HSBToRGB(120, 0, 0), RgbColor(0, 0, 0));
    // An odd scale lets full brightness pass 255; the channels stay within their byte.
    EXPECT_EQ(HSBToRGB(200, 100, 255), RgbColor(255, 255, 255));
    _HSBOfSBRate = saved;
}

} // namespace
