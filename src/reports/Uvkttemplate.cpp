#include "reports/Uvkttemplate.h"

#include "layout/Utextcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"

TVktTemplate::TVktTemplate(int type) : TContainer(type) {}

TViewItem* TVktTemplate::ChildItem(const char* name) const
{
    TViewItem* own = GetViewItem();
    return own && own->GetOwner() ? own->GetOwner()->ItemOfName(name) : nullptr;
}

TViewItem* TVktTemplate::TypedItem(const char* name, int type) const
{
    TViewItem* item = ChildItem(name);
    const TContainer* container = ContainerOf(item);
    return container && container->GetType() == type ? item : nullptr;
}

TVktTopContainer* TVktTemplate::DataTop() const { return Child<TVktTopContainer>("DataTop", 11); }

std::string TVktTemplate::GetTitleText() const
{
    auto* title = Child<TTextContainer>("Title", 2);
    return title ? title->GetText() : std::string();
}

void TVktTemplate::SetTitleText(const std::string& title)
{
    if (auto* text = Child<TTextContainer>("Title", 2)) text->SetText(title);
}

TVktGridContainer* TVktTemplate::DataGrid(const char* name) const { return Child<TVktGridContainer>(name, 16); }

// ---- shared properties ------------------------------------------------------------------------

bool TVktTemplate::GetChildVisible() const
{
    TViewItem* own = GetViewItem();
    if (!own || own->GetCountOfChildren() == 0) return false;
    return !(own->GetItem(0)->GetOptions() == TVIOptions());
}

void TVktTemplate::SetChildVisible(bool value)
{
    TViewItem* own = GetViewItem();
    if (!own || !own->GetOwner()) return;
    TViewItems* items = own->GetOwner();
    const TVIOptions options = value ? TVIOptions{voSelectable, voDeletable, voShowFrame} : TVIOptions();
    const int first = own->GetAbsoluteIndex() + 1;
    const int last = own->GetLastPosterity()->GetAbsoluteIndex();
    const TViewItemsUpdate update(*items);
    for (int i = first; i <= last; ++i) static_cast<TViewItem*>(items->GetItem(i))->SetOptions(options);
}

std::string TVktTemplate::GetFontName2() const
{
    TVktTopContainer* top = DataTop();
    return top ? top->GetFontName2() : std::string();
}

void TVktTemplate::SetFontName2(const std::string& name)
{
    if (TVktTopContainer* top = DataTop()) top->SetFontName2(name);
}

int TVktTemplate::GetFontSize2() const
{
    TVktTopContainer* top = DataTop();
    return top ? top->GetFontSize2() : 0;
}

void TVktTemplate::SetFontSize2(int size)
{
    if (TVktTopContainer* top = DataTop()) top->SetFontSize2(size);
}

// ---- named items ------------------------------------------------------------------------------

bool TVktTemplate::GetExpandedOf(const char* name) const
{
    TViewItem* item = ChildItem(name);
    return item && item->GetExpanded();
}

void TVktTemplate::SetExpandedOf(const char* name, bool value)
{
    if (TViewItem* item = ChildItem(name)) item->SetExpanded(value);
}

int TVktTemplate::GetAlignRateOf(const char* name) const
{
    TViewItem* item = ChildItem(name);
    return item ? item->GetAlignRate() : 0;
}

void TVktTemplate::SetAlignRateOf(const char* name, int rate)
{
    if (TViewItem* item = ChildItem(name)) item->SetAlignRate(rate);
}

void TVktTemplate::SetAlignSizeOf(const char* name, int size)
{
    if (TViewItem* item = ChildItem(name)) item->SetAlignSize_(size);
}

// ---- grids ------------------------------------------------------------------------------------

bool TVktTemplate::HasLines(const TGridContainer* grid, bool rows)
{
    if (!grid) return false;
    const TEdgeBorders lines = grid->GetGridLines();
    return rows ? lines.Contains(ebTop) && lines.Contains(ebBottom) : lines.Contains(ebLeft) && lines.Contains(ebRight);
}

TEdgeBorders TVktTemplate::WithLines(const TGridContainer* grid, bool rows, bool value)
{
    TEdgeBorders lines = grid ? grid->GetGridLines() : TEdgeBorders();
    const TEdgeBorder first = rows ? ebTop : ebLeft;
    const TEdgeBorder second = rows ? ebBottom : ebRight;
    if (value) lines << first << second;
    else lines >> first >> second;
    return lines;
}

void TVktTemplate::SetLinesOf(const char* reference, std::initializer_list<const char*> grids, bool rows, bool value)
{
    TVktGridContainer* source = DataGrid(reference);
    if (!source) return;
    const TEdgeBorders lines = WithLines(source, rows, value);
    InItemsUpdate([&] { ForGrids(grids, [&](TVktGridContainer& grid) { grid.SetGridLines(lines); }); });
}

void TVktTemplate::SetRowColorOf(std::initializer_list<const char*> grids, TColor color)
{
    InItemsUpdate([&] {
        ForGrids(grids, [&](TVktGridContainer& grid) {
            grid.SetTitleColor(color);
            grid.SetRowColor2(color);
        });
    });
}

int TVktTemplate::BandRows(const TPreviewFieldStruct& fields)
{
    const TPriorityItem& returns = fields.GetReturn();
    int rows = 1;
    for (int i = 0; i + 1 < returns.GetCount(); ++i)
        if (returns.GetItem(i) == 1) ++rows;
    return rows;
}

TPreviewFieldStruct TVktTemplate::GetGridFields(const char* name) const
{
    TVktGridContainer* grid = DataGrid(name);
    return grid ? grid->GetPreviewFields() : TPreviewFieldStruct();
}

void TVktTemplate::SetGridFields(const char* name, const TPreviewFieldStruct& fields)
{
    if (TVktGridContainer* grid = DataGrid(name)) grid->SetPreviewFields(fields);
}

void TVktTemplate::SetBandFields(bool header, const TPreviewFieldStruct& fields, int height)
{
    const char* own = header ? "Header" : "Footer";
    TVktGridContainer* grid = DataGrid(own);
    if (!grid) return;
    InItemsUpdate([&] {
        grid->SetPreviewFields(fields);
        SetAlignSizeOf(own, height);
        TVktTopContainer* top = DataTop();
        if (!top) return;
        // The header's list first; a field of the list written takes that list's order.
        const TPreviewFieldStruct other = GetGridFields(header ? "Footer" : "Header");
        const TPreviewFieldStruct& first = header ? fields : other;
        const TPreviewFieldStruct& second = header ? other : fields;
        TAccessFieldStruct query;
        query.GetFields() = first.GetName();
        query.GetOrders() = first.GetOrder();
        query.GetOrders().SetCount(query.GetFields().GetCount());
        for (int i = 0; i < second.GetName().GetCount(); ++i) {
            const int field = second.GetName().GetItem(i);
            const int order = i < second.GetOrder().GetCount() ? second.GetOrder().GetItem(i) : 0;
            const int at = query.GetFields().IndexOf(field);
            if (at < 0) {
                query.GetFields() << field;
                query.GetOrders() << order;
            } else if (!header) {
                query.GetOrders().SetItem(at, order);
            }
        }
        top->SetAccessFields(query);
    });
}

void TVktCardTemplate::FitBands()
{
    if (DataGrid("Header")) SetAlignSizeOf("Header", BandHeight(BandRows(GetHeaderFields())));
    if (DataGrid("Footer")) SetAlignSizeOf("Footer", BandHeight(BandRows(GetFooterFields())));
}
