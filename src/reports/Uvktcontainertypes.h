#pragma once
// The report container types 8-17 of a layout bound to a database, and the binding that teaches a
// layout document (TPreview) these types: it makes their containers, names them in the layout
// file, gives their captions, decides where they may be created or moved, and keeps every
// database container bound to one open database and one selection filter.
#include "data/Ufilterstruct.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class TContainer;
class TPageView;
class TPreview;
class TTreeItem;
class TViewItem;
class TVktObject;
class TVktTopContainer;

// The codes of the report container types, after the layout's own (TContainerType).
enum TVktContainerTypeCode : int {
    ctVktDataList = 8,
    ctVktRecipe = 9,
    ctVktMenu = 10,
    ctVktBaseContainer = 11, // the database container: holds the data-bound containers
    ctVktContainer = 12,
    ctVktField = 13,
    ctVktMemo = 14,
    ctVktImage = 15,
    ctVktGrid = 16,
    ctVktChart = 17,
};

struct TVktContainerType {
    int Code;
    std::string_view Name;      // in the layout file, compared exactly
    std::string_view Caption;
};

inline constexpr std::array<TVktContainerType, 10> VktContainerTypes{{
    {ctVktDataList, "VktDataList", "データリストコンテナ"},
    {ctVktRecipe, "VktRecipe", "データレシピコンテナ"},
    {ctVktMenu, "VktMenu", "データメニューコンテナ"},
    {ctVktBaseContainer, "VktBaseContainer", "データベースコンテナ"},
    {ctVktContainer, "VktContainer", "データコンテナ"},
    {ctVktField, "VktField", "データフィールド"},
    {ctVktMemo, "VktMemo", "データメモ"},
    {ctVktImage, "VktImage", "データイメージ"},
    {ctVktGrid, "VktGrid", "データグリッド"},
    {ctVktChart, "VktChart", "データグラフ"},
}};

// The row of a code; null outside 8-17.
const TVktContainerType* FindVktContainerType(int code);

// Not a widget: lives as long as its owner keeps it, and takes its handlers off the document when
// it is destroyed (which must happen before the document goes). Listing records is no edit of the
// layout: binding, filtering and showing leave the document's modified flag as it was.
class TVktLayoutBinding {
public:
    explicit TVktLayoutBinding(TPreview* preview);
    ~TVktLayoutBinding();
    TVktLayoutBinding(const TVktLayoutBinding&) = delete;
    TVktLayoutBinding& operator=(const TVktLayoutBinding&) = delete;

    TPreview* GetPreview() const { return preview_; }
    TVktObject* GetVktObject() const { return object_; }
    const TFilterObject& GetFilter() const { return filter_; }

    // Binds every database container of the layout and hands it the filter (each lists once).
    void Attach(TVktObject* object);
    // Unbinds them all.
    void Detach();
    // Hands a filter over; the next Update passes it to the database containers, which re-query.
    void SetFilter(const TFilterObject& filter);
    // Lifts the suspension while shown and gives the database containers the filter, each
    // re-querying at most once; nothing is listed without a valid database.
    void Update();
    // Hidden: the database containers are suspended at once (notices only mark a re-query).
    // Shown: the suspension ends with the next Update, together with a filter handed over.
    void SetShown(bool shown);
    bool GetShown() const { return shown_; }
    // The database containers of the layout in item order.
    std::vector<TVktTopContainer*> GetTopContainers() const;

    // The document's handlers (installed by the constructor under these names).
    void PreviewNewContainer(TPreview* sender, int type, TContainer*& container);
    void PreviewCanNewContainer(TPreview* sender, TViewItem* item, int type, bool& accept);
    void PreviewGetContainerCaption(TPreview* sender, int type, std::string& str);
    void PreviewContainerTypeToName(TPreview* sender, int type, std::string& str);
    void PreviewContainerTypeFromName(TPreview* sender, const std::string& str, int& type);
    void PreviewCanMoveItem(TPageView* sender, TViewItem* source, TViewItem* target, bool asChild, bool& accept);
    void PreviewMoveItem(TPageView* sender, TTreeItem* source, TTreeItem* target, int mode);

private:
    TPreview* preview_;
    TVktObject* object_ = nullptr;
    TFilterObject filter_;
    bool filterPending_ = false;
    bool shown_ = true;
};
