#pragma once
// The data list template (type 8, "VktDataList"): a list of records one row each, with a title, a
// date and a page number. Its properties edit the named children "Title" (text), "DataTop"
// (database container), "DataGrid" (data grid), the "Header" and "Footer" bands, "Page" and "Date".
#include "core/Unumericstring.h"
#include "reports/Uvkttemplate.h"

class TVktDataList : public TVktTemplate {
public:
    TVktDataList();

    std::string GetTitle() const;
    void SetTitle(const std::string& title);
    int GetRowHeight() const;
    // Also the "Header" and "Footer" bands: row height × 10 + 100.
    void SetRowHeight(int height);
    int GetParagraph() const;
    void SetParagraph(int count);
    int GetColGap() const;
    void SetColGap(int gap);
    int GetParaGap() const;
    void SetParaGap(int gap);
    TNSFloatType GetFloatType() const;
    void SetFloatType(TNSFloatType type);
    int GetNumSjis() const;
    void SetNumSjis(int value);
    int GetSumField() const;
    void SetSumField(int field);
    int GetSumClass() const;
    void SetSumClass(int field);
    bool GetPageVisible() const { return GetExpandedOf("Page"); }
    void SetPageVisible(bool value) { SetExpandedOf("Page", value); }
    bool GetDateVisible() const { return GetExpandedOf("Date"); }
    void SetDateVisible(bool value) { SetExpandedOf("Date", value); }
    bool GetParaOrient() const;
    void SetParaOrient(bool value);
    bool GetDrawFullGrid() const;
    void SetDrawFullGrid(bool value);
    bool GetRowLine() const;
    void SetRowLine(bool value);
    bool GetColLine() const;
    void SetColLine(bool value);
    // The title colour and the second row colour.
    TColor GetRowColor() const;
    void SetRowColor(TColor color);
    TColor GetGridColor() const;
    void SetGridColor(TColor color);
    // The grid's columns with the orders the database container sorts by.
    TPreviewFieldStruct GetFields() const;
    // The grid's columns, and the orders other than 0 as the database container's sort fields.
    void SetFields(TPreviewFieldStruct fields);

private:
    TVktGridContainer* Grid() const { return DataGrid("DataGrid"); }
};
