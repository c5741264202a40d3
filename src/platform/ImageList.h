#pragma once
// A list of small pictures of one size (16 × 16 by default), each with a mask of transparent
// pixels, in the manner of the class library's image list.
#include "platform/Bitmap.h"
#include "platform/Color.h"

#include <functional>
#include <vector>

namespace platform {

class ImageList {
public:
    explicit ImageList(int width = 16, int height = 16);
    virtual ~ImageList() = default;

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetCount() const { return static_cast<int>(images_.size()); }

    // The colour drawn in place of transparent pixels; kNoColor (the default), or any value outside
    // 0 .. 0xFFFFFF, leaves the target's pixels there.
    TColor GetBkColor() const { return bkColor_; }
    void SetBkColor(TColor color);

    // Adds a picture: its top-left width × height pixels (a smaller picture leaves the rest
    // transparent); pixels of the transparent colour become transparent. Returns the new index.
    int AddMasked(const Picture& picture, TColor transparent);
    // An index outside the list raises ListIndexError.
    void Delete(int index);
    void Clear();

    // The image's pixels as stored (transparent pixels keep their colour) and its mask.
    const Picture& GetImage(int index) const;
    bool IsTransparent(int index, int x, int y) const;

    // Draws image `index` with its top-left corner at (x, y) of the target, clipped to the target:
    // opaque pixels in their colour, transparent ones in the background colour when there is
    // one. An index outside the list draws nothing.
    void Draw(Picture& target, int x, int y, int index) const;

    // Fired after every change of the images (add, delete, clear).
    std::function<void(ImageList* sender)> OnChange;

protected:
    virtual void DoChange();

private:
    struct Image {
        Picture picture;
        std::vector<bool> transparent;   // row-major, width × height
    };

    const Image& ImageAt(int index) const;

    int width_;
    int height_;
    TColor bkColor_ = kNoColor;
    std::vector<Image> images_;
};

} // namespace platform
