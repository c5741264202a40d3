#include "reports/Uvktchartcontainer.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "platform/Color.h"
#include "platform/Xml.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

#include <cmath>

using F = TVktField;
using platform::TDateTime;

namespace {

void InitSeries(TSeriesStruct& series, const char* title, int kind, TColor color)
{
    series.Title = title;
    series.Kind = kind;
    series.Color = color;
}

double PriceOf(const TVktAccesser& accesser, TVktField field)
{
    const platform::Variant value = accesser.GetValue(field);
    return value.IsEmptyOrNull() ? 0.0 : value.AsCurrency().ToDouble();
}

TDateTime DateOfField(const TVktAccesser& accesser, TVktField field)
{
    const platform::Variant value = accesser.GetValue(field);
    return value.IsEmptyOrNull() ? 0.0 : platform::DateOf(value.AsDateTime());
}

// The history's own table: a record-table query lists each record once.
TVktTable HistoryTable(TVktField key)
{
    return key == F::MHistory_Key ? TVktTable::TblMHistory : TVktTable::TblYHistory;
}

TDateTime FirstOfMonth(TDateTime date)
{
    const platform::DateParts parts = platform::DecodeDate(date);
    return platform::EncodeDate(parts.year, parts.month, 1);
}

} // namespace

TVktMHChartStruct::TVktMHChartStruct() { InitSeries(series_, "月間履歴", 1, platform::RgbColor(21, 101, 234)); }

TVktYHChartStruct::TVktYHChartStruct()
{
    InitSeries(series_[0], "最高価格", 4, platform::RgbColor(247, 157, 157));
    InitSeries(series_[1], "平均価格", 4, platform::RgbColor(157, 247, 157));
    InitSeries(series_[2], "最低価格", 4, platform::RgbColor(247, 247, 157));
    InitSeries(series_[3], "最終価格", 1, platform::RgbColor(157, 157, 247));
}

void TVktYHChartStruct::Clear()
{
    for (TSeriesStruct& series : series_) series.Clear();
}

void TVktYHChartStruct::Add(TDateTime date, double max, double average, double min, double last)
{
    series_[0].Add(date, max, {});
    series_[1].Add(date, average, {});
    series_[2].Add(date, min, {});
    series_[3].Add(date, last, {});
}

TVktItemChartStruct::TVktItemChartStruct() { InitSeries(series_, "", 0, 0); }

void TVktItemChartStruct::SetData(const std::string& label, double value)
{
    series_.Title = "材料チャート";
    series_.Add(0, value, label);
}

// ---- the chart --------------------------------------------------------------------------------

TVktChartContainer::TVktChartContainer() : TChartContainer(ctVktChart), TVktDataLink(static_cast<TContainer&>(*this))
{
    SetPieColorV(75);
    SetPieColorH(25);
}

TVktChartContainer::~TVktChartContainer() = default;

void TVktChartContainer::DataChange()
{
    dataChanged_ = true;
    Change();
}

void TVktChartContainer::SetDataType(int value)
{
    if (value == dataType_) return;
    dataType_ = value;
    SetXTypeDate(value == 0 || value == 1);
    DataChange();
}

void TVktChartContainer::SetYHViewRange(int value)
{
    if (value == yhViewRange_) return;
    yhViewRange_ = value;
    DataChange();
}

void TVktChartContainer::SetItemFieldType(int value)
{
    if (value == itemFieldType_) return;
    itemFieldType_ = value;
    DataChange();
}

TVktField TVktChartContainer::GetItemLabelField() const
{
    return itemFieldType_ == 0 ? F::Data : itemFieldType_ == 1 ? F::Data2 : F::ItemCatIndex;
}

void TVktChartContainer::SetViewItem(TViewItem* item)
{
    BindDirect(item, [&] { TChartContainer::SetViewItem(item); });
}

void TVktChartContainer::DBActive()
{
    TVktTopContainer* top = GetTopContainer();
    chartAccesser_ = std::make_unique<TVktAccesser>(top ? top->GetVktObject() : nullptr);
    DataChange();
    if (top) top->BroadcastDBActive(GetViewItem());
}

void TVktChartContainer::DBInactive()
{
    if (GetTopContainer()) GetTopContainer()->BroadcastDBInactive(GetViewItem());
    SetDataID(0);
    chartAccesser_.reset();
}

void TVktChartContainer::DBChange()
{
    DataChange();
    if (GetTopContainer()) GetTopContainer()->BroadcastDBChange(GetViewItem());
}

int TVktChartContainer::GetPageMax()
{
    if (GetPageDataCount() == 0 || GetSubData()) return 1;
    return LinkPageMax(GetPageDataCount());
}

void TVktChartContainer::DoFont(std::string& name, int& size)
{
    if (GetTopContainer() && FrenchFields.Contains(GetItemLabelField())) {
        name = GetTopContainer()->GetFontName2();
        size = GetTopContainer()->GetFontSize2();
        return;
    }
    TChartContainer::DoFont(name, size);
}

bool TVktChartContainer::GetCanDraw() const
{
    TVktTopContainer* top = GetTopContainer();
    return GetViewItem() && top && top->GetActive() && GetPageDataCount() != 0 && GetPageDataIndex() != 0 &&
           (!GetSubData() || GetSubDataIndex() != 0);
}

void TVktChartContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                              int pageMax, bool printer)
{
    SetPage(page);
    if (GetCanDraw()) TChartContainer::Draw(offsetX, offsetY, rect, scale, canvas, page, pageMax, printer);
}

// ---- building the chart -----------------------------------------------------------------------

void TVktChartContainer::DoChange()
{
    TChartContainer::DoChange();
    TVktTopContainer* top = GetTopContainer();
    if (!dataChanged_ || !top || !top->GetVktObject() || GetPageDataCount() == 0 || GetPageDataIndex() == 0) return;
    dataChanged_ = false;
    SetDataID(0);
    const int id = GetRecordID();
    if (!GetSubData()) SetDataID(id);
    else if (GetSubDataIndex() != 0 && id != 0) SetDataID(ItemIngredient(id, GetSubDataIndex()));
    TChartContainer::DoChange();
}

int TVktChartContainer::ItemIngredient(int id, int index)
{
    TVktAccesser item(GetTopContainer()->GetVktObject());
    TFilterObject filter;
    filter.Add(F::Item_Key, foEqual, id, 0);
    filter.Add(F::ItemIndex, foEqual, index, 0);
    item.BeginUpdate();
    item.SetTable(TVktTable::TblItem);
    item.SetFields(TPriorityItem() << ToInt(F::Data_Key));
    item.SetOrder(TPriorityItem() << 0);
    item.SetFilter(filter);
    item.EndUpdate();
    const platform::Variant key = item.GetRowCount() > 0 ? item.GetValue(F::Data_Key) : platform::Variant();
    return key.IsEmptyOrNull() ? 0 : key.AsInt();
}

void TVktChartContainer::SetDataID(int id)
{
    if (id == dataID_) return;
    dataID_ = id;
    TVktTopContainer* top = GetTopContainer();
    if (top && top->GetVktObject()) SetData(id);
}

bool TVktChartContainer::Query(TVktTable table, const TPriorityItem& fields, const TPriorityItem& orders,
                               const TFilterObject& filter)
{
    ++queryCount_;
    chartAccesser_->BeginUpdate();
    chartAccesser_->SetTable(table);
    chartAccesser_->SetFields(fields);
    chartAccesser_->SetOrder(orders);
    chartAccesser_->SetFilter(filter);
    chartAccesser_->Refresh();
    chartAccesser_->EndUpdate();
    return chartAccesser_->GetRowCount() > 0;
}

TDateTime TVktChartContainer::LatestDate(TVktField key, TVktField date, int id)
{
    TFilterObject filter;
    filter.Add(key, foEqual, id, 0);
    if (!Query(HistoryTable(key), TPriorityItem() << ToInt(date), TPriorityItem() << 2, filter)) return 0;
    chartAccesser_->SetRowIndex(0);
    return DateOfField(*chartAccesser_, date);
}

void TVktChartContainer::SetData(int id)
{
    mhChart_.Clear();
    yhChart_.Clear();
    itemChart_.Clear();
    BeginUpdate();
    SetGraphCount(0);
    bool listed = false;
    TDateTime first = 0;
    TDateTime last = 0;
    if (id != 0 && chartAccesser_) {
        if (dataType_ == 0 || dataType_ == 1) {
            const bool month = dataType_ == 0;
            const TVktField key = month ? F::MHistory_Key : F::YHistory_Key;
            const TVktField date = month ? F::MHistoryDate : F::YHistoryDate;
            const TDateTime latest = LatestDate(key, date, id);
            if (latest != 0) {
                first = month ? FirstOfMonth(latest) : platform::IncMonth(FirstOfMonth(latest), -12 * yhViewRange_);
                last = platform::EndOfMonth(latest);
                TFilterObject filter;
                filter.Add(key, foEqual, id, 0);
                filter.Add(date, foBetween, platform::Variant::FromDateTime(first),
                           platform::Variant::FromDateTime(last));
                const TPriorityItem fields =
                    month ? TPriorityItem() << ToInt(date) << ToInt(F::MHistoryPrice)
                          : TPriorityItem() << ToInt(date) << ToInt(F::YHMaxPrice) << ToInt(F::YHAvePrice)
                                            << ToInt(F::YHMinPrice) << ToInt(F::YHLastPrice);
                TPriorityItem orders;
                orders.SetCount(fields.GetCount());
                listed = Query(HistoryTable(key), fields, orders, filter);
            }
        } else {
            TFilterObject filter;
            filter.Add(F::Item_Key, foEqual, id, 0);
            listed = Query(TVktTable::TblItem,
                           TPriorityItem() << ToInt(F::ItemIndex) << ToInt(F::ItemUsePrice)
                                           << ToInt(GetItemLabelField()),
                           TPriorityItem() << 0 << 0 << 0, filter);
        }
    }
    for (int r = 0; listed && r < chartAccesser_->GetRowCount(); ++r) {
        chartAccesser_->SetRowIndex(r);
        const TVktAccesser& row = *chartAccesser_;
        if (dataType_ == 0)
            mhChart_.Add(DateOfField(row, F::MHistoryDate), PriceOf(row, F::MHistoryPrice));
        else if (dataType_ == 1)
            yhChart_.Add(DateOfField(row, F::YHistoryDate), PriceOf(row, F::YHMaxPrice), PriceOf(row, F::YHAvePrice),
                         PriceOf(row, F::YHMinPrice), PriceOf(row, F::YHLastPrice));
        else
            itemChart_.SetData(row.GetText(GetItemLabelField()), PriceOf(row, F::ItemUsePrice));
    }
    if (listed) {
        if (dataType_ == 0) {
            SetGraphCount(1);
            TChartContainer::SetData(0, mhChart_.GetSeries());
        } else if (dataType_ == 1) {
            SetGraphCount(4);
            for (int i = 0; i < 4; ++i) TChartContainer::SetData(i, yhChart_.GetSeries(i));
        } else {
            SetGraphCount(1);
            TChartContainer::SetData(0, itemChart_.GetSeries());
        }
        if (dataType_ == 0 || dataType_ == 1)
            SetChartLimit(TRect{static_cast<int>(std::floor(first)) * 100, 0, static_cast<int>(std::floor(last)) * 100,
                                0});
    }
    EndUpdate();
}

// ---- layout file ------------------------------------------------------------------------------

void TVktChartContainer::SaveToXml(const platform::XmlNode& node)
{
    TChartContainer::SaveToXml(node);
    SaveLink(node, false);
    node.SetIntAttribute("DataType", dataType_);
    node.SetIntAttribute("YHViewRange", yhViewRange_);
    if (dataType_ == 2 && itemFieldType_ != 0) node.SetIntAttribute("ItemFieldType", itemFieldType_);
}

void TVktChartContainer::LoadFromXml(const platform::XmlNode& node)
{
    TChartContainer::LoadFromXml(node);
    LoadLink(node);
    SetDataType(ReadIntAttribute(node, "DataType", -1));
    SetYHViewRange(ReadIntAttribute(node, "YHViewRange", 1));
    SetItemFieldType(0);
    if (dataType_ == 2) SetItemFieldType(ReadIntAttribute(node, "ItemFieldType", 0));
}
