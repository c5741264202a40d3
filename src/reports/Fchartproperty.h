#pragma once
// TChartProperty: the chart container's page. Tab "テキストとグラフスタイル": title, legend, date
// axis, axis limits (hundredths) and the 3-D effect; tab "グラフ": the series in the CSV grid
// editor (column 0 the X values, column i the Y values of series i - 1, the title row their
// titles) with the count of series and data rows and the title, colour, type and marker of the
// series in the current column. X cells are numbers, or dates "yyyy/mm/dd" when the X axis holds
// dates; a cell that does not read raises a conversion error naming its row and column. Series
// belong to the base chart only.
#include "reports/Ffontproperty.h"

#include <vector>

class QComboBox;
class QLineEdit;
class TColorDropDown;
class TCsvEdit;
class TChartContainer;
class TSeriesStruct;

class TChartProperty : public TFontProperty {
    Q_OBJECT
public:
    explicit TChartProperty(QWidget* parent = nullptr);

    void SetViewItem(TViewItem* item) override;
    TCsvEdit* GetCsvEdit() const { return CsvEdit; }
    // The series of grid column `index` + 1 as the page would write it.
    TSeriesStruct SeriesOfColumn(int index) const;

    // Handlers.
    void CBChartTypeChange();
    void CBMarkVisibleClick();
    void CBLegendVisibleClick();
    void CBView3DClick();
    void CBXTypeDateClick();
    void SeriesTitleEditExit();
    void CsvEditSelectCell();
    void CsvEditExit();

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The change handlers of the series count, the limits, the data count and the series colour.
    virtual void GraphCountChange();
    virtual void LimitChange();
    virtual void DataCountChange();
    virtual void SeriesColorChange();
    // The series of the current column (-1 on column 0).
    int CurrentSeries() const;
    void ShowSeries();
    void ResizeSeries(int count);
    // A series into its grid column, the X column and the per-series lists.
    void ShowSeriesData(int index, const TSeriesStruct& series);

    QLineEdit* TitleEdit = nullptr;
    QCheckBox* CBLegendVisible = nullptr;
    QComboBox* LegendAlignList = nullptr;
    QCheckBox* CBXTypeDate = nullptr;
    QRadioButton* RBDateFormat = nullptr;
    QRadioButton* RBDateFormat1 = nullptr;
    TUpDownEdit* LeftChartLimitEdit = nullptr;
    TUpDownEdit* TopChartLimitEdit = nullptr;
    TUpDownEdit* RightChartLimitEdit = nullptr;
    TUpDownEdit* BottomChartLimitEdit = nullptr;
    QCheckBox* CBView3D = nullptr;
    TUpDownEdit* View3DWidthEdit = nullptr;
    TCsvEdit* CsvEdit = nullptr;
    TUpDownEdit* GraphCountEdit = nullptr;
    TUpDownEdit* DataCountEdit = nullptr;
    QLineEdit* SeriesTitleEdit = nullptr;
    TColorDropDown* SeriesColorList = nullptr;
    QComboBox* CBChartType = nullptr;
    QCheckBox* CBMarkVisible = nullptr;

private:
    std::vector<int> types_;
    std::vector<int> marks_;
    std::vector<int> colors_;
    TViewItem* gridItem_ = nullptr;   // the item the grid was filled for
};
