#pragma once
// Lists of small icons (16 × 16 by index) for actions, menus, trees and lists.
#include "platform/ImageList.h"

#include <QIcon>
#include <QPixmap>

#include <string>
#include <vector>

namespace platform {

class IconList {
public:
    explicit IconList(int width = 16, int height = 16);

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetCount() const { return static_cast<int>(pixmaps_.size()); }

    int Add(const QPixmap& pixmap);
    void Clear();
    // An index outside the list gives an icon showing its number.
    QIcon Icon(int index) const;
    QPixmap Pixmap(int index) const;

    // The class icons of a database, transparent pixels kept.
    static IconList FromImageList(const ImageList& images);

private:
    int width_;
    int height_;
    std::vector<QPixmap> pixmaps_;
};

// The program's compiled-in icon lists by name ("commands", "filters", …), loaded once from
// resources/icons/<name>/NN.png.
const IconList& ProgramIcons(const std::string& name);
// The meaning of an index of a list, from its manifest ("" when unknown).
std::string ProgramIconMeaning(const std::string& name, int index);

} // namespace platform
