// The default class-icon set and its settings text.
#include <gtest/gtest.h>

#include <set>

#include "core/Uvktsupport.h"
#include "database/Mvktclassicons.h"
#include "platform/Bitmap.h"
#include "platform/ImageList.h"
#include "platform/Xml.h"

namespace {

using platform::RgbColor;

TEST(ClassIcons, TextHoldsEightIconElementsInOrder) {
    const std::string text = GetVktClassIcons();
    EXPECT_EQ(text.rfind("<IconSet><Icon Icon_ID=\"0\" Value=\"", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 14), "\" /></IconSet>");
    EXPECT_EQ(text.find("/><Icon Icon_ID=\"1\" Value=\"") != std::string::npos, true);

    platform::XmlDocument document;
    document.LoadFromString(text);
    const platform::XmlNode root = document.GetDocumentElement();
    EXPECT_EQ(root.GetName(), "IconSet");
    ASSERT_EQ(root.GetChildCount(), 8);
    for (int i = 0; i < 8; ++i) {
        const platform::XmlNode icon = root.GetChild(i);
        EXPECT_EQ(icon.GetName(), "Icon");
        EXPECT_EQ(icon.GetAttribute("Icon_ID"), std::to_string(i));
        EXPECT_EQ(icon.GetAttributeCount(), 2);
    }
    EXPECT_EQ(GetVktClassIcons(), text);   // the same text on every call
}

TEST(ClassIcons, PicturesLoadAsSixteenSquareWithTheBackColourTransparent) {
    platform::XmlDocument document;
    document.LoadFromString(GetVktClassIcons());
    platform::ImageList list;
    std::set<std::string> distinct;
    for (const platform::XmlNode& icon : document.GetDocumentElement().GetChildren()) {
        const std::string bytes = Base64ToBin(icon.GetAttribute("Value"));
        distinct.insert(bytes);
        const platform::Picture picture = platform::DecodeBmp(bytes);
        ASSERT_EQ(picture.GetWidth(), 16);
        ASSERT_EQ(picture.GetHeight(), 16);
        AddImages(list, bytes, kClassIconBackColor);
        const int index = list.GetCount() - 1;
        int transparent = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool back = picture.GetPixel(x, y) == RgbColor(254, 254, 254);
                EXPECT_EQ(list.IsTransparent(index, x, y), back) << index << " " << x << "," << y;
                transparent += back;
            }
        // Each drawing leaves a border of background and covers a fair part of the square.
        EXPECT_GT(transparent, 30) << index;
        EXPECT_LT(transparent, 200) << index;
    }
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_EQ(distinct.size(), 8u);
}

TEST(ClassIcons, DrawingsCarryTheirColours) {
    const TVktClassIcons icons;
    const platform::ImageList& list = icons.GetClassIcons();
    ASSERT_EQ(list.GetCount(), 8);
    EXPECT_EQ(list.GetBkColor(), RgbColor(254, 254, 254));
    // Centre pixel: dominant channel of the ball and oval colours (yellow, green, blue).
    auto centre = [&](int index) { return list.GetImage(index).GetPixel(8, 8); };
    for (int index : {2, 5}) {
        EXPECT_GT(platform::RedOf(centre(index)), platform::BlueOf(centre(index)) + 100) << index;
        EXPECT_GT(platform::GreenOf(centre(index)), platform::BlueOf(centre(index)) + 100) << index;
    }
    for (int index : {3, 6}) EXPECT_GT(platform::GreenOf(centre(index)), platform::RedOf(centre(index)) + 80);
    for (int index : {4, 7}) EXPECT_GT(platform::BlueOf(centre(index)), platform::RedOf(centre(index)) + 80);
    // The drum is mostly white with blue; the arrows only blue.
    std::set<platform::TColor> arrowColours;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (!list.IsTransparent(1, x, y)) arrowColours.insert(list.GetImage(1).GetPixel(x, y));
    EXPECT_EQ(arrowColours.size(), 1u);
    EXPECT_TRUE(list.IsTransparent(1, 8, 8));   // the circle is open in the middle
    EXPECT_EQ(list.GetImage(0).GetPixel(5, 7), RgbColor(255, 255, 255));
    EXPECT_EQ(list.GetImage(0).GetPixel(7, 13), RgbColor(0, 64, 224));   // lower outline
    // Ovals are flat: nothing drawn in the top and bottom rows of the square.
    for (int index : {5, 6, 7})
        for (int x = 0; x < 16; ++x) {
            EXPECT_TRUE(list.IsTransparent(index, x, 2));
            EXPECT_TRUE(list.IsTransparent(index, x, 13));
        }
}

} // namespace
