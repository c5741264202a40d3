#pragma once
// The default class-icon set of a new database: eight 16 × 16 pictures drawn in code, and the
// settings text ("ClassIcon") that a new database stores.
//
// Settings text: "<IconSet>" + for each icon i, in index order, with nothing between:
//   <Icon Icon_ID="i" Value="Base64 of a 16 × 16 bitmap file" />
// + "</IconSet>". Every pixel that is not part of a drawing has the back colour RGB (254, 254, 254),
// which marks the transparent part when the set is loaded into an image list.
//
// Index  picture                          used for
//   0    a white and blue database drum    the database root
//   1    blue arrows in a circle           the trash
//   2    a yellow ball                     the ingredients root
//   3    a green ball                      the recipes root
//   4    a blue ball                       the menus root
//   5    a flat yellow oval                an ingredient class
//   6    a flat green oval                 a recipe class
//   7    a flat blue oval                  a menu class
#include <string>

#include "platform/Color.h"
#include "platform/ImageList.h"

inline constexpr int kClassIconSize = 16;
inline constexpr platform::TColor kClassIconBackColor = platform::RgbColor(254, 254, 254);

class TVktClassIcons {
public:
    // Draws the eight default icons into the image list (back colour kClassIconBackColor, the
    // pixels of that colour transparent).
    TVktClassIcons();

    // The icons in index order, kClassIconSize square.
    const platform::ImageList& GetClassIcons() const { return classIcons_; }
    // The settings text of the set (format above).
    std::string GetIconSetText() const;

private:
    platform::ImageList classIcons_{kClassIconSize, kClassIconSize};
};

// The settings text of the default set; the same text on every call.
std::string GetVktClassIcons();
