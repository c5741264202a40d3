#pragma once
// The data chart (type 17, "VktChart"): a chart of the record in its slot (or of the ingredient
// of its recipe item SubDataIndex): the prices of the latest month of its history (DataType 0), its
// yearly prices over YHViewRange years (1), or the use-price shares of its recipe items (any other
// value; labelled by name, French name or category by ItemFieldType 0, 1, other). The chart is
// built again on every data change; a record without history shows no series.
//
// Attributes after the chart's style attributes (no series of its own): PageDataIndex, SubData,
// SubDataIndex (see the data link); DataType and YHViewRange always; ItemFieldType when DataType is
// 2 and it is not 0.
#include "data/Ufilterstruct.h"
#include "layout/Uchartcontainer.h"
#include "platform/DateTime.h"
#include "reports/Uvktdatalink.h"

#include <memory>

class TVktAccesser;

// The latest month's prices: one fast-line series.
class TVktMHChartStruct {
public:
    TVktMHChartStruct();
    void Clear() { series_.Clear(); }
    void Add(platform::TDateTime date, double price) { series_.Add(date, price, {}); }
    const TSeriesStruct& GetSeries() const { return series_; }

private:
    TSeriesStruct series_;
};

// The yearly prices: highest, average, lowest (areas) and last (fast line), in that order.
class TVktYHChartStruct {
public:
    TVktYHChartStruct();
    void Clear();
    void Add(platform::TDateTime date, double max, double average, double min, double last);
    const TSeriesStruct& GetSeries(int index) const { return series_[index]; }

private:
    TSeriesStruct series_[4];
};

// The recipe items' use prices: one pie series.
class TVktItemChartStruct {
public:
    TVktItemChartStruct();
    void Clear() { series_.Clear(); }
    void SetData(const std::string& label, double value);
    const TSeriesStruct& GetSeries() const { return series_; }

private:
    TSeriesStruct series_;
};

class TVktChartContainer : public TChartContainer, public TVktDataLink {
public:
    TVktChartContainer();
    ~TVktChartContainer() override;

    int GetDataType() const { return dataType_; }
    void SetDataType(int value);
    int GetYHViewRange() const { return yhViewRange_; }
    void SetYHViewRange(int value);
    int GetItemFieldType() const { return itemFieldType_; }
    void SetItemFieldType(int value);
    int GetDataID() const { return dataID_; }
    // Builds the chart of the record (none for 0) when it is another record.
    void SetDataID(int id);
    bool GetDataChanged() const { return dataChanged_; }
    void DataChange();
    // The label field of the recipe-item chart.
    TVktField GetItemLabelField() const;
    // Whether Draw draws anything now.
    bool GetCanDraw() const;
    // Queries run to build charts (for tests).
    int GetQueryCount() const { return queryCount_; }

    int GetPageMax() override;
    void SetViewItem(TViewItem* item) override;
    void DoChange() override;
    void DoFont(std::string& name, int& size) override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    void DBActive() override;
    void DBInactive() override;
    void DBChange() override;

protected:
    void LinkChange() override { DataChange(); }

private:
    void SetData(int id);
    // Runs the query on the chart accesser; false when it lists no rows.
    bool Query(TVktTable table, const TPriorityItem& fields, const TPriorityItem& orders,
               const TFilterObject& filter);
    // The newest date of the history whose key field is `key` (0 for none).
    platform::TDateTime LatestDate(TVktField key, TVktField date, int id);
    int ItemIngredient(int id, int index);

    std::unique_ptr<TVktAccesser> chartAccesser_;
    TVktMHChartStruct mhChart_;
    TVktYHChartStruct yhChart_;
    TVktItemChartStruct itemChart_;
    int dataID_ = 0;
    int dataType_ = -1;
    int itemFieldType_ = 0;
    int yhViewRange_ = 1;
    int queryCount_ = 0;
    bool dataChanged_ = false;
};
