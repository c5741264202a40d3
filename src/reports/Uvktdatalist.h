#pragma once
// The data list template (type 8, "VktDataList"): a list of records one row each, with a title, a
// date and a page number. Its properties edit the named children "Title" (text), "DataTop"
// (database container), "DataGrid" (data grid), the "Header" and "Footer" bands, "Page" and "Date".
#include "reports/Uvkttemplate.h"

class TVktDataList : public TVktTemplate {
public:
    TVktDataList();

    std::string GetTitle() const { return GetTitleText(); }
    void SetTitle(const std::string& title) { SetTitleText(title); }
    int GetRowHeight() const { return ReadGrid("DataGrid", &TGridContainer::GetRowHeight, 0); }
    // Also the "Header" and "Footer" bands: row height × 10 + 100.
    void SetRowHeight(int height);
    int GetParagraph() const { return ReadGrid("DataGrid", &TGridContainer::GetParagraph, 0); }
    void SetParagraph(int count) { WriteGrid("DataGrid", &TGridContainer::SetParagraph, count); }
    int GetColGap() const { return ReadGrid("DataGrid", &TGridContainer::GetColGap, 0); }
    void SetColGap(int gap) { WriteGrid("DataGrid", &TGridContainer::SetColGap, gap); }
    int GetParaGap() const { return ReadGrid("DataGrid", &TGridContainer::GetParaGap, 0); }
    void SetParaGap(int gap) { WriteGrid("DataGrid", &TGridContainer::SetParaGap, gap); }
    TNSFloatType GetFloatType() const
    {
        return ReadGrid("DataGrid", &TVktGridContainer::GetFloatType, TNSFloatType::Formatted);
    }
    void SetFloatType(TNSFloatType type) { WriteGrid("DataGrid", &TVktGridContainer::SetFloatType, type); }
    int GetNumSjis() const { return ReadGrid("DataGrid", &TVktGridContainer::GetNumSjis, 0); }
    void SetNumSjis(int value) { WriteGrid("DataGrid", &TVktGridContainer::SetNumSjis, value); }
    int GetSumField() const { return ReadGrid("DataGrid", &TVktGridContainer::GetSumField, 0); }
    void SetSumField(int field) { WriteGrid("DataGrid", &TVktGridContainer::SetSumField, field); }
    int GetSumClass() const { return ReadGrid("DataGrid", &TVktGridContainer::GetSumClass, 0); }
    void SetSumClass(int field) { WriteGrid("DataGrid", &TVktGridContainer::SetSumClass, field); }
    bool GetPageVisible() const { return GetExpandedOf("Page"); }
    void SetPageVisible(bool value) { SetExpandedOf("Page", value); }
    bool GetDateVisible() const { return GetExpandedOf("Date"); }
    void SetDateVisible(bool value) { SetExpandedOf("Date", value); }
    bool GetParaOrient() const { return ReadGrid("DataGrid", &TGridContainer::GetParaOrient, false); }
    void SetParaOrient(bool value) { WriteGrid("DataGrid", &TGridContainer::SetParaOrient, value); }
    bool GetDrawFullGrid() const { return ReadGrid("DataGrid", &TGridContainer::GetDrawFullGrid, false); }
    void SetDrawFullGrid(bool value) { WriteGrid("DataGrid", &TGridContainer::SetDrawFullGrid, value); }
    bool GetRowLine() const { return HasLines(Grid(), true); }
    void SetRowLine(bool value) { SetLinesOf("DataGrid", {"DataGrid"}, true, value); }
    bool GetColLine() const { return HasLines(Grid(), false); }
    void SetColLine(bool value) { SetLinesOf("DataGrid", {"DataGrid"}, false, value); }
    // The title colour and the second row colour.
    TColor GetRowColor() const { return ReadGrid("DataGrid", &TGridContainer::GetTitleColor, TColor{0xFFFFFF}); }
    void SetRowColor(TColor color) { SetRowColorOf({"DataGrid"}, color); }
    TColor GetGridColor() const { return ReadGrid("DataGrid", &TGridContainer::GetLineColor, TColor{0}); }
    void SetGridColor(TColor color) { WriteGrid("DataGrid", &TGridContainer::SetLineColor, color); }
    // The grid's columns with the orders the database container sorts by.
    TPreviewFieldStruct GetFields() const;
    // The grid's columns, and the orders other than 0 as the database container's sort fields.
    void SetFields(TPreviewFieldStruct fields);

private:
    TVktGridContainer* Grid() const { return DataGrid("DataGrid"); }
};
