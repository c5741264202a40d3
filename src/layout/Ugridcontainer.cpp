#include "layout/Ugridcontainer.h"

#include "gui/PageRecording.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "platform/Text.h"
#include "platform/Units.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace {

TColor BackColor(TColor color) { return color == 0xFFFFFF ? -1 : color; }

} // namespace

TGridContainer::TGridContainer() : TContainer(ctGrid) { Init(); }

TGridContainer::TGridContainer(int type) : TContainer(type) { Init(); }

void TGridContainer::Init()
{
    headers_ = std::make_unique<THeaderAttributes>();
    cells_ = std::make_unique<TGrid>();
    SetFont(kDefaultFontName, 100, GetFontColor(), GetFontStyles());
    headers_->Add("", 300, 0, 1);
    headers_->SetFont(1, GetFontStruct());
    headers_->AddWrap(1);
    titleWidths_ << 300;
    titleAligns_ << 0;
    colWraps_ << 0;
    headers_->OnChange = [this](THeaderAttributes*) { ChangeHeader(); };
}

TGridContainer::~TGridContainer() { headers_->OnChange = nullptr; }

// ---- settings ------------------------------------------------------------------------------------

void TGridContainer::SetRowCount(int count)
{
    if (count == rowCount_)
        return;
    rowCount_ = count;
    cells_->SetRowCount(std::max(count, 0));
    Change();
}

void TGridContainer::SetColCount(int count)
{
    if (count == colCount_)
        return;
    colCount_ = count;
    cells_->SetColCount(std::max(count, 0));
    // The rebuilt columns have no titles; the stored text says so, so writing the old titles shows them again.
    titles_.clear();
    rebuilding_ = true;
    titleWidths_.Clear();
    titleAligns_.Clear();
    try {
        headers_->Clear();
        for (int c = 0; c < count; ++c) {
            headers_->Add("", 300, 0, 1);
            titleWidths_ << 300;
            titleAligns_ << 0;
            headers_->SetFont(1, GetFontStruct());
        }
    } catch (...) {
        rebuilding_ = false;
        throw;
    }
    rebuilding_ = false;
    Change();
}

void TGridContainer::SetParagraph(int count)
{
    count = std::max(count, 1);
    if (count == paragraph_)
        return;
    paragraph_ = count;
    if (GetViewItem())
        Rewrap(GetViewItem()->GetMMTrueRect_().Width());
    Change();
}

void TGridContainer::SetParaGap(int gap)
{
    if (gap == paraGap_)
        return;
    paraGap_ = gap;
    if (GetViewItem())
        Rewrap(GetViewItem()->GetMMTrueRect_().Width());
    Change();
}

void TGridContainer::SetCSV(const std::string& text)
{
    csv_ = text;
    const std::vector<std::string> lines = SplitTextLines(text);
    for (int r = 0; r < rowCount_; ++r) {
        const std::vector<std::string> fields =
            r < static_cast<int>(lines.size()) ? platform::SplitCommaText(lines[static_cast<std::size_t>(r)])
                                               : std::vector<std::string>();
        for (int c = 0; c < colCount_; ++c)
            cells_->SetCells(c, r, c < static_cast<int>(fields.size()) ? fields[static_cast<std::size_t>(c)] : "");
    }
    Change();
}

void TGridContainer::SetTitles(const std::string& text)
{
    if (text == titles_)
        return;
    titles_ = text;
    const std::vector<std::string> items = platform::SplitCommaText(text);
    for (int c = 0; c < colCount_ && c < headers_->GetCount(); ++c) {
        const std::string item = c < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(c)] : "";
        headers_->GetAttribute(c).Title = platform::Trim(item).empty() ? "" : item;
    }
    ChangeHeader();
}

void TGridContainer::SetColumnList(TPriorityItem list, TPriorityItem& stored, int THeaderAttribute::*field)
{
    if (list.GetCount() < colCount_)
        list.SetCount(colCount_);
    if (list == stored)
        return;
    stored = list;
    for (int c = 0; c < colCount_ && c < headers_->GetCount(); ++c)
        headers_->GetAttribute(c).*field = list.GetItem(c);
    ChangeHeader();
}

void TGridContainer::SetTitleWidths(TPriorityItem list) { SetColumnList(std::move(list), titleWidths_, &THeaderAttribute::Width); }

void TGridContainer::SetTitleAligns(TPriorityItem list)
{
    SetColumnList(std::move(list), titleAligns_, &THeaderAttribute::HorzAlign);
}

void TGridContainer::SetColWraps(const TPriorityItem& list)
{
    if (list == colWraps_)
        return;
    colWraps_ = list;
    ChangeHeader();
}

// ---- bands ---------------------------------------------------------------------------------------

void TGridContainer::Rewrap(int width)
{
    const int limit =
        colsWrapStyle_ == 0
            ? static_cast<int>((static_cast<double>(width + 10 * paraGap_) / paragraph_ - 10 * paraGap_) * 0.1)
            : 0;
    // A column's width holds its rules.
    headers_->Wrapping(limit, 0, colGap_);
    EnsureBand();
}

void TGridContainer::EnsureBand()
{
    if (headers_->GetWrapCount() == 0)
        headers_->AddWrap(headers_->GetCount());
}

void TGridContainer::ChangeHeader()
{
    if (!GetViewItem())
        return;
    colCount_ = headers_->GetCount();
    if (dataWidthEnabled_ || colsWrapStyle_ == 1) {
        headers_->ClearWrap();
        int count = 0;
        for (int c = 0; c < colCount_; ++c) {
            ++count;
            if (c < colWraps_.GetCount() && colWraps_.GetItem(c) != 0) {
                headers_->AddWrap(count);
                count = 0;
            }
        }
        if (count > 0)
            headers_->AddWrap(count);
        EnsureBand();
    } else {
        Rewrap(GetViewItem()->GetMMTrueRect_().Width());
    }
    if (!rebuilding_)
        Change();
}

void TGridContainer::FontChange()
{
    BeginUpdate();
    try {
        TContainer::FontChange();
        for (int c = 0; c < headers_->GetCount(); ++c)
            headers_->SetFont(headers_->GetCharSet(c), GetFontStruct());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TGridContainer::ChangeRect(TRect& rect, bool mm)
{
    if (mm && GetViewItem())
        Rewrap(rect.Width());
}

void TGridContainer::SetPage(int page)
{
    if (page == page_)
        return;
    page_ = page;
    DoChangePage();
}

void TGridContainer::DoChangePage() {}

// ---- rows and pages ------------------------------------------------------------------------------

int TGridContainer::GetGridRowCount()
{
    if (!GetViewItem())
        return paragraph_;
    const int g = rowsWrapStyle_ == 0 ? 10 * rowGap_ : 0;
    const int height = GetViewItem()->GetMMTrueRect_().Height() - 10 * lineWidth_;
    const int block = std::max(headers_->GetWrapCount(), 1) * StripsPerLine() * (10 * lineWidth_ + 10 * rowHeight_) + g;
    if (block != 0 && height > block)
        return paragraph_ * (height / block);
    return paragraph_;
}

int TGridContainer::GetVisibleRowCount()
{
    if (visibleRowCount_ == 0)
        return GetGridRowCount();
    return std::max(visibleRowCount_, paragraph_) + (headerStyle_ == 0 ? paragraph_ : 0);
}

int TGridContainer::GetPageMax()
{
    if (!GetViewItem() || rowsWrapStyle_ != 0)
        return 1;
    int rows = GetVisibleRowCount();
    if (rows > paragraph_ && headerStyle_ == 0)
        rows -= paragraph_;
    if (rows <= 0)
        return 1;
    return (std::max(rowCount_, 0) + rows - 1) / rows;
}

void TGridContainer::BodyRowCounts(int& vis, int& grid)
{
    vis = GetVisibleRowCount();
    grid = GetGridRowCount();
    if (headerStyle_ == 0) {
        if (vis > paragraph_)
            vis -= paragraph_;
        if (grid > paragraph_)
            grid -= paragraph_;
    }
}

int TGridContainer::ParagraphRows(int vis, int grid) const
{
    if (rowsWrapStyle_ == 0 && (drawFullGrid_ || rowCount_ > vis || !paraOrient_))
        return std::min(grid, vis) / paragraph_;
    if (rowsWrapStyle_ == 1 && grid > rowCount_)
        return grid / paragraph_;
    return (rowCount_ + paragraph_ - 1) / paragraph_;
}

// ---- drawing -------------------------------------------------------------------------------------

void TGridContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                          int, bool printer)
{
    SetPage(page);
    const TRect moved{rect.Left + offsetX, rect.Top + offsetY, rect.Right + offsetX, rect.Bottom + offsetY};
    if (printer) {
        DrawList(canvas, moved, scale, page);
        return;
    }
    if (colCount_ == 0 || rowCount_ == 0 || rect.Width() < paragraph_ || rect.Height() <= 0)
        return;
    // Off the printer each paint draws the rows in sight (all on a canvas that does not say which):
    // a recording of them, replayed, took about three times as long as drawing them, each text
    // shaped anew from its characters and its font read back.
    const std::optional<platform::Rect> bounds = platform::PaintableBounds(canvas);
    platform::CanvasState state(canvas);
    canvas.IntersectClip(moved);
    DrawList(canvas, moved, scale, page, bounds ? bounds->Top : std::numeric_limits<int>::min(),
             bounds ? bounds->Bottom : std::numeric_limits<int>::max());
}

void TGridContainer::DrawList(platform::Canvas& canvas, TRect rect, int scale, int page, int bandTop, int bandBottom)
{
    if (!GetViewItem())
        return;
    int rh = 10 * rowHeight_;
    int rg = rowsWrapStyle_ == 2 ? 0 : 10 * rowGap_;
    const int cg = 10 * colGap_;
    const int lw = 10 * lineWidth_;
    const int h = GetViewItem()->GetMMTrueRect_().Height() - lw + rg;
    int vis = 0;
    int grid = 0;
    BodyRowCounts(vis, grid);
    const int p = ParagraphRows(vis, grid);
    // Rows a record takes: one a band, or a caption and a value row with the captions in the rows.
    const int rows = std::max(headers_->GetWrapCount(), 1) * StripsPerLine();
    const int block = rows * (lw + rh) + rg;
    const int n = headerStyle_ == 0 ? p + 1 : p;
    if (rowsWrapStyle_ == 2 && rowCount_ / paragraph_ <= p && n != 0) {
        rg = static_cast<int>(static_cast<double>(h) / n - block);
        if (rg < 0) {
            rg = 0;
            rh = std::min(rh, static_cast<int>(static_cast<double>(h / n) / rows - lw));
        }
    } else if (rowsWrapStyle_ != 0 && n != 0) {
        rh = std::min(rh, static_cast<int>(static_cast<double>(h / n - rg) / rows - lw));
    }
    const double k = canvas.DpiY() * scale * (1 / platform::kMMPerInch) * 0.0001;
    const double g = (paraGap_ / 10) * k;
    // The millimetres a paragraph's pixels stand for: columns as wide as the item fill it exactly,
    // whatever the rounding of its pixels.
    const int gapMM = paraGap_ / 10 * 100;
    const int spanMM = (GetViewItem()->GetMMTrueRect_().Width() + gapMM) / paragraph_ - gapMM;
    TTextDrawer drawer(canvas);
    drawer.SetRowBand(bandTop, bandBottom);
    drawer.OnRowPlaced = rowProbe_;
    const TTextQueryEvent query = [this](TTextDrawer* sender, int col, int row, int tag, std::string& text) {
        TextQueryProc(sender, col, row, tag, text);
    };
    double left = rect.Left;
    for (int para = 1; para <= paragraph_; ++para) {
        const int right = static_cast<int>((rect.Width() + g) / paragraph_ - g + left);
        int rows = 0;
        if (drawFullGrid_) {
            rows = p;
        } else if (rowsWrapStyle_ == 0 && !paraOrient_) {
            const int s = (page - 1) * vis + (para - 1) * p;
            rows = s < rowCount_ ? rowCount_ - s : 0;
        } else {
            const int base = (page - 1) * vis;
            rows = (rowCount_ - base) / paragraph_;
            if ((rowCount_ - base) % paragraph_ != 0 && base + rows * paragraph_ + para - 1 < rowCount_)
                ++rows;
        }
        rows = std::max(std::min(rows, p), 0);
        {
            platform::CanvasState state(canvas);
            canvas.IntersectClip(TRect{static_cast<int>(left), rect.Top, right, rect.Bottom});
            drawer.DrawGrid({static_cast<int>(left), rect.Top, right, rect.Bottom}, scale, headerStyle_,
                            !dataWidthEnabled_, *headers_, rows, rh, rg, horzAlign_, lw, cg, lineColor_, gridLines_,
                            query, para, BackColor(titleColor_), BackColor(rowColor1_), BackColor(rowColor2_),
                            spanMM);
        }
        left = static_cast<int>(g + right);
    }
}

void TGridContainer::TextQueryProc(TTextDrawer* sender, int col, int row, int tag, std::string& text)
{
    const int i = TableRow(row, tag);
    if (i >= 0)
        TextQuery(sender, col, i, text);
}

bool TGridContainer::RowAreas(TRect rect, int scale, int page, const std::vector<int>& rows, std::vector<TRect>& areas)
{
    if (page != page_ || rect.IsEmpty())
        return false;
    if (rows.empty())
        return true;
    // The rows are placed as drawing places them, on a canvas that records and draws nothing.
    platform::PageRecorder recorder(1, 1, platform::ScreenPixelsPerInch());
    rowProbe_ = [&](int row, int tag, const TRect& placed) {
        if (std::binary_search(rows.begin(), rows.end(), TableRow(row, tag)))
            areas.push_back(placed);
    };
    try {
        DrawList(recorder.GetCanvas(), rect, scale, page, std::numeric_limits<int>::max(),
                 std::numeric_limits<int>::min());
    } catch (const std::exception&) {
        rowProbe_ = nullptr;
        return false;
    }
    rowProbe_ = nullptr;
    return true;
}

int TGridContainer::TableRow(int row, int tag)
{
    int vis = 0;
    int grid = 0;
    BodyRowCounts(vis, grid);
    const int p = rowsWrapStyle_ == 0 && (drawFullGrid_ || vis < rowCount_ || !paraOrient_)
                      ? std::min(grid, vis) / paragraph_
                      : (rowCount_ + paragraph_ - 1) / paragraph_;
    int i = -1;
    if (paraOrient_) {
        i = (page_ - 1) * vis + row * paragraph_ + tag - 1;
    } else if (rowsWrapStyle_ == 0 || (rowCount_ % paragraph_ == 0 && row < p)) {
        i = (page_ - 1) * vis + (tag - 1) * p + row;
    } else {
        const int m = rowCount_ % paragraph_;
        if ((m >= tag && row < p) || (m < tag && row < p - 1)) {
            i = row;
            for (int k = 1; k < tag; ++k)
                i += p - (k > m ? 1 : 0);
        }
    }
    return i >= 0 && i < rowCount_ ? i : -1;
}

void TGridContainer::TextQuery(TTextDrawer*, int col, int row, std::string& text)
{
    if (col < cells_->GetColCount() && row < cells_->GetRowCount())
        text = cells_->GetCells(col, row);
}

// ---- layout file ---------------------------------------------------------------------------------

void TGridContainer::SaveToXml(const platform::XmlNode& node)
{
    TContainer::SaveToXml(node);
    node.SetIntAttribute("LineWidth", lineWidth_);
    node.SetIntAttribute("HeaderStyle", headerStyle_);
    node.SetAttribute("HorzAlign", TextHorzAlignToString(horzAlign_));
    node.SetIntAttribute("LineColor", lineColor_);
    node.SetIntAttribute("TitleColor", titleColor_);
    node.SetIntAttribute("RowColor1", rowColor1_);
    node.SetIntAttribute("RowColor2", rowColor2_);
    node.SetIntAttribute("RowHeight", rowHeight_);
    node.SetIntAttribute("RowGap", rowGap_);
    node.SetIntAttribute("ColGap", colGap_);
    node.SetIntAttribute("ParaGap", paraGap_);
    node.SetBoolAttribute("DataWidthEnabled", dataWidthEnabled_);
    node.SetAttribute("GridLines", EdgeBordersToString(gridLines_));
    if (paragraph_ > 1) {
        node.SetIntAttribute("Paragraph", paragraph_);
        if (paraOrient_)
            node.SetBoolAttribute("ParaOrient", true);
    }
    if (drawFullGrid_)
        node.SetBoolAttribute("DrawFullGrid", true);
    if (GetType() != ctGrid)
        return;
    node.SetIntAttribute("RowsWrapStyle", rowsWrapStyle_);
    node.SetIntAttribute("ColsWrapStyle", colsWrapStyle_);
    node.SetIntAttribute("RowCount", rowCount_);
    node.SetIntAttribute("ColCount", colCount_);
    node.SetAttribute("Titles", titles_);
    node.SetAttribute("TitleWidths", titleWidths_.GetCommaText());
    node.SetAttribute("TitleAligns", titleAligns_.GetCommaText());
    node.SetAttribute("ColWraps", colWraps_.GetCommaText());
    node.SetAttribute("CSV", csv_);
}

void TGridContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    SetLineWidth(node.GetIntAttribute("LineWidth"));
    SetHeaderStyle(node.GetIntAttribute("HeaderStyle"));
    SetHorzAlign(TextHorzAlignFromString(node.GetAttribute("HorzAlign")));
    SetLineColor(node.GetIntAttribute("LineColor"));
    SetTitleColor(node.GetIntAttribute("TitleColor"));
    SetRowColor1(node.GetIntAttribute("RowColor1"));
    SetRowColor2(node.GetIntAttribute("RowColor2"));
    SetRowHeight(node.GetIntAttribute("RowHeight"));
    SetRowGap(node.GetIntAttribute("RowGap"));
    SetColGap(node.GetIntAttribute("ColGap"));
    SetParaGap(ReadIntAttribute(node, "ParaGap", 0));
    SetDataWidthEnabled(node.GetBoolAttribute("DataWidthEnabled"));
    SetGridLines(EdgeBordersFromString(node.GetAttribute("GridLines")));
    SetParagraph(ReadIntAttribute(node, "Paragraph", 1));
    SetParaOrient(ReadBoolAttribute(node, "ParaOrient", false));
    SetDrawFullGrid(ReadBoolAttribute(node, "DrawFullGrid", false));
    if (GetType() != ctGrid)
        return;
    SetRowsWrapStyle(node.GetIntAttribute("RowsWrapStyle"));
    SetColsWrapStyle(node.GetIntAttribute("ColsWrapStyle"));
    SetRowCount(node.GetIntAttribute("RowCount"));
    SetColCount(node.GetIntAttribute("ColCount"));
    SetTitles(node.GetAttribute("Titles"));
    TPriorityItem list;
    list.SetCommaText(node.GetAttribute("TitleWidths"));
    SetTitleWidths(list);
    list.SetCommaText(node.GetAttribute("TitleAligns"));
    SetTitleAligns(list);
    list.SetCommaText(node.GetAttribute("ColWraps"));
    SetColWraps(list);
    SetCSV(node.GetAttribute("CSV"));
    ChangeHeader();
}
