#pragma once
// The chart container (type 7, "Chart"): one or more series (0 pie, 1 fast line, 2 bar, 3 line,
// 4 area) with title, legend and axes, drawn through Qt Charts onto the page canvas at the
// device's resolution and zoom; the legend is laid out and drawn here, beside the plot area it
// leaves to Qt. With the 3-D view on, the series are drawn as bodies of View3DWidth percent depth
// over Qt's layout of axes (walls behind them unless a pie hides the axes; a pie as a tilted disc). Mark backgrounds, arrow and tick lengths are kept and
// saved but not drawn.
//
// Series text (TSeriesStruct::GetData): MarksVisible (1/0), Color, Title, Kind, point count, then
// y and x of every point, joined with ":" and quoted with ";" by the comma-text rules.
// Attributes after the font ones: LegendVisible, LegendAlign, View3D, View3DWidth (3D only); type
// 7 only: XTypeDate, DateFormat (when not 0), ChartLimit "l,t,r,b", GraphCount, GraphData (comma
// text of the series texts).
#include "layout/Ucontainer.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

class QChart;
class QPainter;

// A chart's legend as drawn: boxes in the chart's pixels from its top left.
struct TChartLegendEntry {
    QRectF Marker;
    QRectF Text;
    QString Label;   // elided to the room there is
    QBrush Fill;
    QPen Pen;
};

struct TChartLegend {
    QRectF Box;    // empty when no legend is drawn
    QRectF Plot;   // the plot area left beside it
    QFont Font;
    QColor Color;
    std::vector<TChartLegendEntry> Entries;   // those that fit, in the series' order
};

struct TSeriesData {
    double X = 0;
    double Y = 0;
    std::string Label;
    bool operator==(const TSeriesData&) const = default;
};

class TSeriesStruct {
public:
    void Add(double x, double y, const std::string& label) { points_.push_back({x, y, label}); }
    void Clear() { points_.clear(); }
    int GetCount() const { return static_cast<int>(points_.size()); }
    double GetX(int i) const { return Point(i).X; }
    double GetY(int i) const { return Point(i).Y; }
    const std::string& GetLabel(int i) const { return Point(i).Label; }
    void SetX(int i, double x) { Point(i).X = x; }
    void SetY(int i, double y) { Point(i).Y = y; }
    void SetLabel(int i, const std::string& label) { Point(i).Label = label; }

    bool Equal(const TSeriesStruct& other) const;
    bool operator==(const TSeriesStruct& other) const { return Equal(other); }
    bool operator!=(const TSeriesStruct& other) const { return !Equal(other); }

    std::string GetData() const;
    // Malformed numbers raise platform::ConvertError; labels do not travel in the text.
    void SetData(const std::string& text);

    bool MarksVisible = false;
    int Kind = 1;
    TColor Color = 0;
    std::string Title;

private:
    TSeriesData& Point(int i);
    const TSeriesData& Point(int i) const;

    std::vector<TSeriesData> points_;
};

// Splits and joins texts by the comma-text rules with another delimiter and quote character.
std::vector<std::string> SplitDelimitedText(std::string_view text, char delimiter, char quote);
std::string JoinDelimitedText(const std::vector<std::string>& items, char delimiter, char quote);

struct TChartAxisRange {
    bool Automatic = true;
    double Minimum = 0;
    double Maximum = 0;
};

class TChartContainer : public TContainer {
public:
    TChartContainer();
    explicit TChartContainer(int type);
    ~TChartContainer() override;

    int GetGraphCount() const { return static_cast<int>(series_.size()); }
    void SetGraphCount(int count);
    // Index outside the series raises platform::ListIndexError.
    void SetData(int index, const TSeriesStruct& series);
    TSeriesStruct GetData(int index) const;
    void ClearSeries() { SetGraphCount(0); }
    // The colours given to the points of a pie series (empty for other kinds).
    const std::vector<TColor>& GetPieColors(int index) const;

    void SetTitle(const std::string& text);
    const std::string& GetTitle() const { return title_; }
    void SetXTypeDate(bool value) { Assign(xTypeDate_, value); }
    bool GetXTypeDate() const { return xTypeDate_; }
    void SetDateFormat(int value);
    int GetDateFormat() const { return dateFormat_; }
    void SetLegendVisible(bool value);
    bool GetLegendVisible() const { return legendVisible_; }
    // 0 left, 1 right, 2 top, 3 bottom.
    void SetLegendAlign(int value);
    int GetLegendAlign() const { return legendAlign_; }
    void SetView3D(bool value) { Assign(view3D_, value); }
    bool GetView3D() const { return view3D_; }
    void SetView3DWidth(int value) { Assign(view3DWidth_, value); }
    int GetView3DWidth() const { return view3DWidth_; }
    void SetPieColorH(int value) { Assign(pieColorH_, std::min(value, 360)); }
    int GetPieColorH() const { return pieColorH_; }
    void SetPieColorS(int value) { Assign(pieColorS_, std::min(value, 100)); }
    int GetPieColorS() const { return pieColorS_; }
    void SetPieColorV(int value) { Assign(pieColorV_, std::min(value, 100)); }
    int GetPieColorV() const { return pieColorV_; }
    // Axis ranges in hundredths of the axis unit: Left..Right the bottom axis, Bottom..Top the left
    // one; equal ends make that axis automatic.
    void SetChartLimit(const TRect& limit);
    const TRect& GetChartLimit() const { return chartLimit_; }
    const TChartAxisRange& GetLeftAxis() const { return leftAxis_; }
    const TChartAxisRange& GetBottomAxis() const { return bottomAxis_; }
    // Axes and walls are shown unless a series is a pie.
    bool GetAxesVisible() const { return axesVisible_; }
    TPoint GetChartSize() const { return chartSize_; }

    static TColor ColorSaturationDown(TColor color, int percent);

    void DoChange() override;
    void FontChange() override;
    void ChangeRect(TRect& rect, bool mm) override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    // A chart of the current settings for one device: fonts of `fontHeight` pixels in the face
    // `fontName`, lines `lineWidth` pixels wide.
    std::unique_ptr<QChart> MakeChart(const std::string& fontName, int fontHeight, int lineWidth) const;
    // How many charts Draw has built (a kept chart is drawn again until something changes).
    int GetChartBuilds() const { return chartBuilds_; }
    // The legend of the chart Draw built last; null before any.
    const TChartLegend* GetDrawnLegend() const;

private:
    struct TDrawnChart;
    // The kept chart for these fonts, lines and size, rebuilt after any change.
    TDrawnChart& ChartFor(const std::string& fontName, int fontHeight, int lineWidth, int width, int height);

    std::vector<TSeriesStruct> series_;
    std::vector<std::vector<TColor>> pieColors_;
    std::string title_;
    int dateFormat_ = 0;
    bool dateFormatApplied_ = false;
    bool xTypeDate_ = false;
    bool legendVisible_ = true;
    int legendAlign_ = 1;
    bool view3D_ = false;
    int view3DWidth_ = 15;
    TRect chartLimit_;
    TChartAxisRange leftAxis_;
    TChartAxisRange bottomAxis_;
    bool axesVisible_ = true;
    int pieColorH_ = 55;
    int pieColorS_ = 100;
    int pieColorV_ = 50;
    TPoint chartSize_;
    std::unique_ptr<TDrawnChart> drawn_;
    int chartBuilds_ = 0;
};
