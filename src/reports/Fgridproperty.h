#pragma once
// TGridProperty: the grid container's page. Tab "テキストとグリッドスタイル": title style, lines,
// colours, gaps, row height and side-by-side blocks; tab "グリッド": the cells in the CSV grid
// editor (row 0 shows the titles) with the row and column counts and the title, width (1/10 mm),
// alignment and line-break flag of the current column. The page keeps those four per-column
// values in its own lists, sized with the column count. Counts, titles and cells belong to the
// base grid only: a derived grid type never has them replaced from this page.
#include "reports/Ffontproperty.h"

#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class TColorDropDown;
class TCsvEdit;

class TGridProperty : public TFontProperty {
    Q_OBJECT
public:
    explicit TGridProperty(QWidget* parent = nullptr);

    TCsvEdit* GetCsvEdit() const { return CsvEdit; }
    // The per-column values.
    const std::vector<std::string>& GetTitles() const { return titles_; }
    const std::vector<int>& GetWidths() const { return widths_; }

    // Handlers.
    void GridChange();
    void ColCountChange();
    void RowCountChange();
    void ColWidthChange();
    void TitleEditExit();
    void TextHorzAlignListChange();
    void CBColWrapClick();
    void CsvEditSelectCell();
    void CsvEditExit();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The current column's values into its controls.
    void ShowColumn();
    void ResizeColumns(int count);

    QComboBox* HeaderStyleList = nullptr;
    TUpDownEdit* LineWidthEdit = nullptr;
    TColorDropDown* LineColorList = nullptr;
    QComboBox* HorzAlignList = nullptr;
    TUpDownEdit* RowGapEdit = nullptr;
    TUpDownEdit* ColGapEdit = nullptr;
    TUpDownEdit* RowHeightEdit = nullptr;
    QCheckBox* CBLeftLine = nullptr;
    QCheckBox* CBTopLine = nullptr;
    QCheckBox* CBRightLine = nullptr;
    QCheckBox* CBBottomLine = nullptr;
    TColorDropDown* TitleColorList = nullptr;
    TColorDropDown* RowColor1List = nullptr;
    TColorDropDown* RowColor2List = nullptr;
    QCheckBox* CBDataWidthEnabled = nullptr;
    TUpDownEdit* ParagraphEdit = nullptr;
    QCheckBox* CBParaOrient = nullptr;
    TUpDownEdit* ParaGapEdit = nullptr;
    QCheckBox* CBDrawFullGrid = nullptr;
    TCsvEdit* CsvEdit = nullptr;
    TUpDownEdit* RowCountEdit = nullptr;
    TUpDownEdit* ColCountEdit = nullptr;
    QLineEdit* TitleEdit = nullptr;
    TUpDownEdit* ColWidthEdit = nullptr;
    QComboBox* TextHorzAlignList = nullptr;
    QComboBox* RowsWrapStyleList = nullptr;
    QComboBox* ColsWrapStyleList = nullptr;
    QCheckBox* CBColWrap = nullptr;

private:
    bool BaseGrid() const;

    std::vector<std::string> titles_;
    std::vector<int> widths_;
    std::vector<int> aligns_;
    std::vector<int> wraps_;
    // The container last shown: showing it again keeps the grid's chosen cell.
    const TContainer* shownGrid_ = nullptr;
};
