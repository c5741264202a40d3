#pragma once
// The content of one layout item. A container is bound to its TViewItem (which owns it as its
// object), knows its type code, carries a font that it may take from the container of the parent
// item, batches its change notices and draws itself. Type 1 is this plain box; TNullContainer
// (type 0) stands for a type nobody knows and writes the attributes it read back unchanged.
//
// Font attributes on the "Item" element, written only when the container has its own font:
//   ParentFont  "False"
//   FontName    face name
//   FontSize    tenths of a point
//   FontStyles  comma text of Bold, Italic, Underline, StrikeOut
//   FontColor   integer colour
// Every subclass writes and reads these first.
#include "layout/Utextdrawer.h"
#include "layout/Uviewitems.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {
class MetafilePlay;
}

// Container type codes, stored in each container; the layout file names them (TPreview). Codes from
// 8 on are types the owner of a layout document adds.
enum TContainerType : int {
    ctUnknown = 0, // TNullContainer
    ctContainer = 1,
    ctText = 2,
    ctMemo = 3,
    ctGraphic = 4,
    ctImage = 5,
    ctGrid = 6,
    ctChart = 7,
};

class TContainer : public TObject {
public:
    TContainer();
    explicit TContainer(int type);
    ~TContainer() override;

    TViewItem* GetViewItem() const { return viewItem_; }
    int GetType() const { return type_; }
    bool GetLoading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }

    virtual int GetPageMax();
    virtual void SetViewItem(TViewItem* item);
    virtual void DoChange();
    virtual void FontChange();
    virtual void DoFont(std::string& name, int& size);
    virtual void ChangeRect(TRect& rect, bool mm);
    virtual void ChangeSlaveRect(TViewItem* slave, TRect& rect, bool mm);
    // Rect is the item's rectangle in device pixels before the offsets; Scale 10000 = 100 %.
    virtual void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                      int pageMax, bool printer);
    // The parts of the view that the content changes since its last screen draw repaint, added to
    // `areas`, for the item drawn at `rect` (view pixels with the offsets, at `scale`, on `page`);
    // false when that is the whole item.
    virtual bool ChangedAreas(TRect rect, int scale, int page, std::vector<TRect>& areas);
    // Asks ahead for the pictures drawn on `page` that still play and adds their plays; none here.
    virtual void PlayPictures(int page, std::vector<std::shared_ptr<const platform::MetafilePlay>>& plays);
    virtual void SaveToXml(const platform::XmlNode& node);
    virtual void LoadFromXml(const platform::XmlNode& node);

    // Change batching: one DoChange and one item notice per outermost bracket; none while loading.
    void Change();
    // Counts every change, whether notified or not (in a bracket, while loading): drawing caches
    // compare it.
    unsigned GetRevision() const { return revision_; }
    void BeginUpdate();
    void EndUpdate();
    void Update();

    TContainer* GetParent() const;
    bool GetParentFont() const;
    void SetParentFont(bool value);
    std::string GetFontName() const;
    int GetFontSize() const;
    TFontStyles GetFontStyles() const;
    TColor GetFontColor() const;
    void SetFontName(const std::string& name);
    void SetFontSize(int size);
    void SetFontStyles(TFontStyles styles);
    void SetFontColor(TColor color);
    void SetFont(const std::string& name, int size, TColor color, TFontStyles styles);
    // The effective font as a drawing value (size in tenths of a point).
    TFontStruct GetFontStruct() const;

    // The container of the first item of that name in the whole layout; null when none.
    TContainer* GetItemOfName(const std::string& name) const;

protected:
    bool GetDestroying() const { return destroying_; }
    // Stores a different value and notifies one change; an equal value does nothing.
    template <typename T>
    void Assign(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        Change();
    }

private:
    void CopyParentFont();

    TViewItem* viewItem_ = nullptr;
    bool destroying_ = false;
    bool changed_ = false;
    unsigned revision_ = 0;
    bool updating_ = false;
    int updateCount_ = 0;
    bool loading_ = false;
    int type_ = ctContainer;
    std::string fontName_ = kDefaultFontName;
    int fontSize_ = 100;
    TFontStyles fontStyles_;
    TColor fontColor_ = 0;
    bool parentFont_ = true;
};

// Optional attributes: the value, or `absent` when the element has none (a malformed one raises).
int ReadIntAttribute(const platform::XmlNode& node, const char* name, int absent);
bool ReadBoolAttribute(const platform::XmlNode& node, const char* name, bool absent);

// The container an item carries; null for none or another object.
TContainer* ContainerOf(const TTreeItem* item);

class TNullContainer : public TContainer {
public:
    TNullContainer();

    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    // The attributes kept from the element (the item's own excluded), in document order.
    const std::vector<std::pair<std::string, std::string>>& GetKept() const { return kept_; }

private:
    std::vector<std::pair<std::string, std::string>> kept_;
};
