#pragma once
// The image container (type 5, "Image"): pictures (BMP, JPEG, EMF kept as bytes) laid out in
// ColCount × RowCount equal cells per page, over as many pages as the pictures need. Each cell
// stretches, fits (DrawType 1 top-left, 2 centred, 3 bottom-right; Trimming crops instead) or tiles
// (4) its picture, optionally with the file name written over it. On screen the container is drawn
// from a metafile cache kept until something changes; on the printer every cell is drawn directly.
// The cache holds its page's pictures by reference: each is decoded (on screen, scaled to the size
// drawn) or its metafile asked for once while its page is shown, however often the page is
// recorded again. A metafile picture still playing is cached as a frame, and the cache is drawn
// again when its player has ended; on screen a drawing is shown from pixels made off the window's
// thread, and shown again when they are made; the printer and PDF wait for the players and draw
// the vectors.
//
// Attributes after the font ones: DrawType, Trimming, Transparent, ColCount, RowCount, DrawName,
// HorzAlign, VertAlign, and for type 5 ImageData: comma text of the pairs (Base64 of the bytes
// with CR LF every 80 characters, file name), each pair itself comma text.
#include "gui/PageRecording.h"
#include "gui/PictureData.h"
#include "gui/PicturePixels.h"
#include "layout/Ucontainer.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <utility>

class TImageContainerItem : public TObject {
public:
    // Drops the picture; .bmp, .jpg/.jpeg and .emf (letter case ignored) load the file, any other
    // extension leaves the item without picture. An unreadable or damaged file raises.
    void LoadFromFile(const std::string& path);
    // Keeps the bytes whatever they hold; a known kind becomes the picture.
    void SetImageData(const std::string& bytes);
    const std::string& GetImageData() const { return imageData_; }
    // Writes the picture with the extension of its kind; sets FileName.
    void SaveToFile(const std::string& path);
    void Clear();
    // Turns right (or left) by 90°, mirrors left–right (or top–bottom); a metafile raises
    // platform::ConvertError and stays as it was.
    void Rotate(bool left);
    void Reverse(bool vertical);

    platform::PictureKind GetImageType() const { return picture_.GetKind(); }
    const platform::PictureData& GetPicture() const { return picture_; }
    // Size in 1/100 inch and 1/100 mm at the screen's resolution.
    TPoint GetSize_() const;
    TPoint GetMMSize_() const;

    std::string FileName;
    std::function<void(TImageContainerItem* Sender)> OnChange;

private:
    void DoChange();

    platform::PictureData picture_;
    std::string imageData_;
};

// How a picture fills its cell; stored as "DrawType". Any other value centres the picture.
enum TImageDrawType : int {
    idtStretch = 0,     // over the whole cell
    idtTopLeft = 1,     // proportional, at the cell's top-left corner
    idtCenter = 2,      // proportional, centred
    idtBottomRight = 3, // proportional, at the cell's bottom-right corner
    idtTile = 4,        // tiled at the picture's natural size, zoomed with the page
};

class TImageContainer : public TContainer {
public:
    TImageContainer();
    explicit TImageContainer(int type);
    ~TImageContainer() override;

    void AddFile(const std::string& path);
    void AddImage(const std::string& base64);
    void DeleteItem(int index);
    void Clear();
    void MoveItem(int from, int to);
    void Rotate(int index, bool left);
    void Reverse(int index, bool vertical);
    int GetItemCount() const;
    TImageContainerItem* GetItems(int index) const;
    virtual std::string GetFileName(int index);
    virtual std::string GetImageData(int index);
    void SetFileName(int index, const std::string& name);
    void SetImageData(int index, const std::string& bytes);
    std::string GetFileNames() const;

    int GetDrawType() const { return drawType_; }
    void SetDrawType(int value) { Assign(drawType_, value); }
    bool GetTrimming() const { return trimming_; }
    void SetTrimming(bool value) { Assign(trimming_, value); }
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool value) { Assign(transparent_, value); }
    bool GetDrawName() const { return drawName_; }
    void SetDrawName(bool value) { Assign(drawName_, value); }
    int GetColCount() const { return colCount_; }
    // At least 1.
    void SetColCount(int value) { Assign(colCount_, std::max(value, 1)); }
    int GetRowCount() const { return rowCount_; }
    void SetRowCount(int value) { Assign(rowCount_, std::max(value, 1)); }
    TTextHorzAlign GetHorzAlign() const { return horzAlign_; }
    void SetHorzAlign(TTextHorzAlign value) { Assign(horzAlign_, value); }
    TTextVertAlign GetVertAlign() const { return vertAlign_; }
    void SetVertAlign(TTextVertAlign value) { Assign(vertAlign_, value); }

    int GetPageMax() override;
    void DoChange() override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void PlayPictures(int page, std::vector<std::shared_ptr<const platform::MetafilePlay>>& plays) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    // The drawn size (a, b) of a picture a × b in a cell W × H: fitted inside, or (trim) filling it.
    static void FitPicture(bool trim, int w, int h, int& a, int& b);
    // The picture index of cell (row, col) on a page.
    int CellIndex(int page, int row, int col) const;
    const platform::PageRecording& GetCache() const { return cache_; }

private:
    struct ShownPicture;
    // Pictures by the size and hash of their bytes.
    using ShownPictures = std::map<std::pair<std::size_t, std::size_t>, std::shared_ptr<ShownPicture>>;

    TImageContainerItem* Append();
    void DrawMeta(const TRect& rect, int scale, platform::Canvas& canvas, int page, int pageMax, bool wait);
    // `wait`: a metafile is drawn when played (waiting for its player); else a frame stands for it
    // while it plays. With a recorder, the pictures are placed in it by reference (those of
    // `before` taken over into shown_).
    void DrawImage(int index, int offsetX, int offsetY, TRect cell, int scale, platform::Canvas& canvas, bool wait,
                   platform::PageRecorder* recorder = nullptr, ShownPictures* before = nullptr);
    // Players of pictures in the cache have ended: the cache is drawn again (a change of content,
    // not of the layout).
    void PicturesPlayed();

    std::vector<std::unique_ptr<TImageContainerItem>> items_;
    platform::PageRecording cache_;
    // The pictures the cache holds, and whether their bitmaps were made transparent.
    ShownPictures shown_;
    bool shownTransparent_ = false;
    int drawType_ = idtStretch;
    bool changed_ = false;
    bool trimming_ = false;
    bool transparent_ = false;
    bool drawName_ = false;
    int colCount_ = 1;
    int rowCount_ = 1;
    int cachedPage_ = 0;
    TTextHorzAlign horzAlign_ = 0;
    TTextVertAlign vertAlign_ = 0;
    platform::JobWaiter played_{[this] { PicturesPlayed(); }};
    // Pictures shown before their pixels were made (on screen) are shown again when they are.
    platform::JobWaiter rastered_{[this] { PicturesPlayed(); }};
};
