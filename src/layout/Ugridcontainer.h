#pragma once
// The grid container (type 6, "Grid"): a table of column titles and body rows whose texts come
// from CSV text, drawn by TTextDrawer::DrawGrid. The table can be split side by side into several
// paragraphs, a record's columns can wrap onto several lines (bands), rows are paged (RowsWrapStyle
// 0), squeezed onto one page (1) or spread evenly over it (2), and body rows can alternate two
// background colours (0xFFFFFF fills nothing). Lengths in tenths of a millimetre.
//
// Attributes after the font ones, in this order: LineWidth, HeaderStyle, HorzAlign, LineColor,
// TitleColor, RowColor1, RowColor2, RowHeight, RowGap, ColGap, ParaGap, DataWidthEnabled,
// GridLines, Paragraph (> 1), ParaOrient (with paragraphs, when true), DrawFullGrid (when true);
// type 6 only: RowsWrapStyle, ColsWrapStyle, RowCount, ColCount, Titles, TitleWidths, TitleAligns,
// ColWraps, CSV.
#include "core/Priorityitem.h"
#include "core/Ugrid.h"
#include "layout/Ucontainer.h"

#include <functional>
#include <limits>
#include <memory>
#include <vector>

class TGridContainer : public TContainer {
public:
    TGridContainer();
    explicit TGridContainer(int type);
    ~TGridContainer() override;

    THeaderAttributes& GetHeaders() { return *headers_; }
    TGrid& GetCells() { return *cells_; }

    void SetLineColor(TColor value) { Assign(lineColor_, value); }
    TColor GetLineColor() const { return lineColor_; }
    void SetTitleColor(TColor value) { Assign(titleColor_, value); }
    TColor GetTitleColor() const { return titleColor_; }
    void SetRowColor1(TColor value) { Assign(rowColor1_, value); }
    TColor GetRowColor1() const { return rowColor1_; }
    void SetRowColor2(TColor value) { Assign(rowColor2_, value); }
    TColor GetRowColor2() const { return rowColor2_; }
    void SetDataWidthEnabled(bool value) { Assign(dataWidthEnabled_, value); }
    bool GetDataWidthEnabled() const { return dataWidthEnabled_; }
    void SetParaOrient(bool value) { Assign(paraOrient_, value); }
    bool GetParaOrient() const { return paraOrient_; }
    void SetDrawFullGrid(bool value) { Assign(drawFullGrid_, value); }
    bool GetDrawFullGrid() const { return drawFullGrid_; }
    void SetRowHeight(int value) { Assign(rowHeight_, value); }
    int GetRowHeight() const { return rowHeight_; }
    void SetColGap(int value) { Assign(colGap_, value); }
    int GetColGap() const { return colGap_; }
    void SetRowGap(int value) { Assign(rowGap_, value); }
    int GetRowGap() const { return rowGap_; }
    void SetLineWidth(int value) { Assign(lineWidth_, value); }
    int GetLineWidth() const { return lineWidth_; }
    void SetHorzAlign(TTextHorzAlign value) { Assign(horzAlign_, value); }
    TTextHorzAlign GetHorzAlign() const { return horzAlign_; }
    void SetHeaderStyle(TGridHeaderStyle value) { Assign(headerStyle_, value); }
    TGridHeaderStyle GetHeaderStyle() const { return headerStyle_; }
    // Rows a line of a record takes: two (caption and value) with the captions in the rows.
    int StripsPerLine() const { return headerStyle_ == 2 ? 2 : 1; }
    void SetColsWrapStyle(int value) { Assign(colsWrapStyle_, value); }
    int GetColsWrapStyle() const { return colsWrapStyle_; }
    void SetRowsWrapStyle(int value) { Assign(rowsWrapStyle_, value); }
    int GetRowsWrapStyle() const { return rowsWrapStyle_; }
    void SetGridLines(TEdgeBorders value) { Assign(gridLines_, value); }
    TEdgeBorders GetGridLines() const { return gridLines_; }
    void SetVisibleRowCount(int value) { Assign(visibleRowCount_, value); }
    int GetRowCount() const { return rowCount_; }
    void SetRowCount(int count);
    int GetColCount() const { return colCount_; }
    // Rebuilds the columns: empty titles, 30 mm wide, left aligned; the titles text and the lists
    // are reset to match.
    void SetColCount(int count);
    int GetParagraph() const { return paragraph_; }
    void SetParagraph(int count);
    int GetParaGap() const { return paraGap_; }
    void SetParaGap(int gap);
    const std::string& GetCSV() const { return csv_; }
    void SetCSV(const std::string& text);
    const std::string& GetTitles() const { return titles_; }
    void SetTitles(const std::string& text);
    TPriorityItem GetTitleWidths() const { return titleWidths_; }
    void SetTitleWidths(TPriorityItem list);
    TPriorityItem GetTitleAligns() const { return titleAligns_; }
    void SetTitleAligns(TPriorityItem list);
    TPriorityItem GetColWraps() const { return colWraps_; }
    void SetColWraps(const TPriorityItem& list);
    // The headers' change notice: recomputes the bands.
    void ChangeHeader();

    int GetPage() const { return page_; }
    void SetPage(int page);
    int GetGridRowCount();
    int GetVisibleRowCount();

    int GetPageMax() override;
    void FontChange() override;
    void ChangeRect(TRect& rect, bool mm) override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    virtual void DoChangePage();
    virtual void TextQuery(TTextDrawer* sender, int col, int row, std::string& text);
    // Only the rows reaching into [bandTop, bandBottom) (pixels of the canvas) when given.
    void DrawList(platform::Canvas& canvas, TRect rect, int scale, int page,
                  int bandTop = std::numeric_limits<int>::min(), int bandBottom = std::numeric_limits<int>::max());
    // Paragraph-relative row and 1-based paragraph to a record, then TextQuery.
    void TextQueryProc(TTextDrawer* sender, int col, int row, int tag, std::string& text);
    // Adds the pixels of the table rows `rows` (sorted, counted as TextQuery counts them) as drawn
    // on `page` with the item's content at `rect` (pixels with the offsets) and `scale`; rows not
    // on the page add nothing. False when the rows cannot be placed (another page last drawn).
    bool RowAreas(TRect rect, int scale, int page, const std::vector<int>& rows, std::vector<TRect>& areas);

private:
    void Init();
    // The table row of a paragraph-relative row in 1-based paragraph `tag` on the page drawn; -1
    // for none.
    int TableRow(int row, int tag);
    // Pads the list to the columns and, when it differs from `stored`, copies it into the columns.
    void SetColumnList(TPriorityItem list, TPriorityItem& stored, int THeaderAttribute::*field);
    // Bands from the width (1/100 mm) of the item.
    void Rewrap(int width);
    void EnsureBand();
    // Visible and fitting rows without the title rows of a top title.
    void BodyRowCounts(int& vis, int& grid);
    int ParagraphRows(int vis, int grid) const;

    std::unique_ptr<THeaderAttributes> headers_;
    std::unique_ptr<TGrid> cells_;
    std::string csv_;
    std::string titles_;
    TPriorityItem titleWidths_;
    TPriorityItem titleAligns_;
    TPriorityItem colWraps_;
    bool rebuilding_ = false;
    bool dataWidthEnabled_ = false;
    bool paraOrient_ = false;
    bool drawFullGrid_ = false;
    int visibleRowCount_ = 0;
    int rowHeight_ = 50;
    int colGap_ = 0;
    int rowGap_ = 0;
    int paraGap_ = 0;
    int colCount_ = 1;
    int rowCount_ = 1;
    int lineWidth_ = 5;
    int paragraph_ = 1;
    TTextHorzAlign horzAlign_ = 0;
    TGridHeaderStyle headerStyle_ = 0;
    int colsWrapStyle_ = 0;
    int rowsWrapStyle_ = 0;
    TEdgeBorders gridLines_{ebLeft, ebTop, ebRight, ebBottom};
    int page_ = 0;
    // Told of the rows DrawList places (RowAreas).
    std::function<void(int Row, int Tag, const TRect& Rect)> rowProbe_;
    TColor lineColor_ = 0;
    TColor titleColor_ = 0xFFFFFF;
    TColor rowColor1_ = 0xFFFFFF;
    TColor rowColor2_ = 0xFFFFFF;
};
