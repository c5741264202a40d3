#pragma once
// The recipe template (type 9, "VktRecipe"): a recipe card per record with "Header" and "Footer"
// grids of record fields, an "Item" grid of the ingredient rows, a "Detail" block holding the
// record's "Image" (data image) and "Chart" (data chart) in a "DetailFrame", the "PageHeader" and
// "PageFooter" bands, "Title", "Page" and "Date".
#include "reports/Uvkttemplate.h"

class TVktRecipe : public TVktCardTemplate {
public:
    TVktRecipe();

    std::string GetTitle() const { return GetTitleText(); }
    void SetTitle(const std::string& title) { SetTitleText(title); }
    int GetRowHeight() const { return ReadGrid("Item", &TGridContainer::GetRowHeight, 0); }
    // Also the page bands (h × 10 + 100) and the "Header" and "Footer" heights from their rows.
    void SetRowHeight(int height);
    int GetParagraph() const { return ReadGrid("Item", &TGridContainer::GetParagraph, 0); }
    void SetParagraph(int count) { WriteGrid("Item", &TGridContainer::SetParagraph, count); }
    int GetColGap() const { return ReadGrid("Item", &TGridContainer::GetColGap, 0); }
    void SetColGap(int gap) { WriteGrids(kCardGrids, &TGridContainer::SetColGap, gap); }
    int GetParaGap() const { return ReadGrid("Item", &TGridContainer::GetParaGap, 0); }
    void SetParaGap(int gap) { WriteGrid("Item", &TGridContainer::SetParaGap, gap); }
    int GetDetailFixRate() const { return GetAlignRateOf("Detail"); }
    void SetDetailFixRate(int rate) { SetAlignRateOf("Detail", rate); }
    int GetImageFixRate() const;
    void SetImageFixRate(int rate);
    int GetChartFixRate() const;
    void SetChartFixRate(int rate);
    int GetChartField() const;
    void SetChartField(int type);
    bool GetPageVisible() const { return GetExpandedOf("Page"); }
    void SetPageVisible(bool value) { SetExpandedOf("Page", value); }
    bool GetDateVisible() const { return GetExpandedOf("Date"); }
    void SetDateVisible(bool value) { SetExpandedOf("Date", value); }
    bool GetParaOrient() const { return ReadGrid("Item", &TGridContainer::GetParaOrient, false); }
    void SetParaOrient(bool value) { WriteGrid("Item", &TGridContainer::SetParaOrient, value); }
    bool GetDrawFullGrid() const { return ReadGrid("Item", &TGridContainer::GetDrawFullGrid, false); }
    void SetDrawFullGrid(bool value) { WriteGrid("Item", &TGridContainer::SetDrawFullGrid, value); }
    bool GetRowLine() const { return HasLines(Item(), true); }
    void SetRowLine(bool value) { SetLinesOf("Item", {"Item", "Header", "Footer"}, true, value); }
    bool GetColLine() const { return HasLines(Item(), false); }
    void SetColLine(bool value) { SetLinesOf("Item", {"Item", "Header", "Footer"}, false, value); }
    bool GetDetailEnabled() const { return GetExpandedOf("Detail"); }
    void SetDetailEnabled(bool value) { SetExpandedOf("Detail", value); }
    // Shown: the item and all its ancestors expanded; the setter expands the item only.
    bool GetImageEnabled() const;
    void SetImageEnabled(bool value);
    bool GetImageTrim() const;
    void SetImageTrim(bool value);
    bool GetChartEnabled() const;
    void SetChartEnabled(bool value);
    // True: "Detail" at the bottom with "Image" and "Chart" side by side; false: at the right with
    // them stacked.
    bool GetDetailPos() const;
    void SetDetailPos(bool value);
    TColor GetRowColor() const { return ReadGrid("Item", &TGridContainer::GetTitleColor, TColor{0xFFFFFF}); }
    void SetRowColor(TColor color) { SetRowColorOf({"Item", "Header", "Footer"}, color); }
    // Also the detail frame's pen.
    TColor GetGridColor() const { return ReadGrid("Item", &TGridContainer::GetLineColor, TColor{0}); }
    void SetGridColor(TColor color);

    // (h × 2r + (2r + 2) × w) × 10 with the item grid's row height h and line width w.
    int BandHeight(int rows) const override;

private:
    TVktGridContainer* Item() const { return DataGrid("Item"); }
    TViewItem* ImageItem() const { return TypedItem("Image", 15); }
    TViewItem* ChartItem() const { return TypedItem("Chart", 17); }
};
