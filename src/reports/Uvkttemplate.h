#pragma once
// The base of the report templates (types 8-10): a container with no data of its own that edits a
// prepared subtree of the layout through properties. Each property finds its child by item name in
// the whole layout (the first item of that name) and checks the child's container type: a missing
// child, or one of another type, reads as the property's default and is never written.
//
// Attributes: the font ones only.
#include "data/Uviewfieldstruct.h"
#include "layout/Ucontainer.h"
#include "reports/Uvktgridcontainer.h"

#include <initializer_list>
#include <string>

class TVktTopContainer;

class TVktTemplate : public TContainer {
public:
    // The grids of a record card: its item rows and the record fields above and below them.
    static constexpr std::initializer_list<const char*> kCardGrids = {"Item", "Header", "Footer"};

    explicit TVktTemplate(int type);

    // Whether the prepared subtree can be selected and deleted and shows its frames (read from the
    // first child item; false without one).
    bool GetChildVisible() const;
    void SetChildVisible(bool value);

    std::string GetFontName2() const;
    void SetFontName2(const std::string& name);
    int GetFontSize2() const;
    void SetFontSize2(int size);

protected:
    // The container of the first item named `name` when it has container type `type`; else null.
    template <typename T>
    T* Child(const char* name, int type) const
    {
        TContainer* child = GetItemOfName(name);
        return child && child->GetType() == type ? dynamic_cast<T*>(child) : nullptr;
    }
    // The first item of that name, whatever it holds; null when none.
    TViewItem* ChildItem(const char* name) const;
    TVktTopContainer* DataTop() const;
    // The text of the "Title" text container.
    std::string GetTitleText() const;
    void SetTitleText(const std::string& title);
    TVktGridContainer* DataGrid(const char* name) const;

    bool GetExpandedOf(const char* name) const;
    void SetExpandedOf(const char* name, bool value);
    int GetAlignRateOf(const char* name) const;
    void SetAlignRateOf(const char* name, int rate);
    void SetAlignSizeOf(const char* name, int size);

    // Grid lines: rows are the top and bottom edges together, columns the left and right ones.
    static bool HasLines(const TGridContainer* grid, bool rows);
    // The grid's lines with that pair of edges added or removed.
    static TEdgeBorders WithLines(const TGridContainer* grid, bool rows, bool value);

    // 1 + the line breaks after fields other than the last one.
    static int BandRows(const TPreviewFieldStruct& fields);
    // Writes the fields of the "Header" (`header` true) or "Footer" grid, sets that item's height
    // and gives "DataTop" the query list: the fields written, merged with the other band's; the list
    // written last decides the order of a field in both. One update of the item list.
    void SetBandFields(bool header, const TPreviewFieldStruct& fields, int height);
    // The preview fields of a grid as they are; empty without it.
    TPreviewFieldStruct GetGridFields(const char* name) const;
    void SetGridFields(const char* name, const TPreviewFieldStruct& fields);
    // A value of the named data grid; `absent` without it.
    template <typename C, typename V>
    V ReadGrid(const char* name, V (C::*get)() const, V absent) const
    {
        const TVktGridContainer* grid = DataGrid(name);
        return grid ? (grid->*get)() : absent;
    }
    // Sets a value of the named data grid when it exists.
    template <typename C, typename A, typename V>
    void WriteGrid(const char* name, void (C::*set)(A), const V& value) const
    {
        if (TVktGridContainer* grid = DataGrid(name)) (grid->*set)(value);
    }
    // Gives the grids the lines of `reference` with the rows' (top, bottom) or columns' (left,
    // right) edges added or removed; nothing without the reference grid.
    void SetLinesOf(const char* reference, std::initializer_list<const char*> grids, bool rows, bool value);
    // The title colour and the second row colour of each grid.
    void SetRowColorOf(std::initializer_list<const char*> grids, TColor color);
    // Sets a value of each of the named data grids that exists, in one update of the item list.
    template <typename C, typename A, typename V>
    void WriteGrids(std::initializer_list<const char*> names, void (C::*set)(A), const V& value)
    {
        InItemsUpdate([&] { ForGrids(names, [&](TVktGridContainer& grid) { (grid.*set)(value); }); });
    }
    // Calls `write` on each of the named data grids that exists.
    template <typename Write>
    void ForGrids(std::initializer_list<const char*> names, Write write) const
    {
        for (const char* name : names)
            if (TVktGridContainer* grid = DataGrid(name)) write(*grid);
    }
    // The item of that name when its container has type `type`; else null.
    TViewItem* TypedItem(const char* name, int type) const;
    // Runs `write` inside one update of the layout's item list.
    template <typename Write>
    void InItemsUpdate(Write write);
};

template <typename Write>
void TVktTemplate::InItemsUpdate(Write write)
{
    TViewItems* items = GetViewItem() ? GetViewItem()->GetOwner() : nullptr;
    if (!items) {
        write();
        return;
    }
    const TViewItemsUpdate update(*items);
    write();
}

// The base of the record-card templates (recipe, menu): "Header" and "Footer" grids of record
// fields around an "Item" grid of the record's items. The getters give the grids' preview fields
// as they are.
class TVktCardTemplate : public TVktTemplate {
public:
    TPreviewFieldStruct GetHeaderFields() const { return GetGridFields("Header"); }
    // Also the band's height and the query list (see SetBandFields).
    void SetHeaderFields(const TPreviewFieldStruct& fields)
    {
        SetBandFields(true, fields, BandHeight(BandRows(fields)));
    }
    TPreviewFieldStruct GetFooterFields() const { return GetGridFields("Footer"); }
    void SetFooterFields(const TPreviewFieldStruct& fields)
    {
        SetBandFields(false, fields, BandHeight(BandRows(fields)));
    }
    TPreviewFieldStruct GetItemFields() const { return GetGridFields("Item"); }
    void SetItemFields(const TPreviewFieldStruct& fields) { SetGridFields("Item", fields); }

    // The height of a band of `rows` rows.
    virtual int BandHeight(int rows) const = 0;

protected:
    using TVktTemplate::TVktTemplate;
    // The "Header" and "Footer" items' heights from their rows.
    void FitBands();
};
