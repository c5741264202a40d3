#include "reports/ReportFixture.h"

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "platform/Bitmap.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmemocontainer.h"
#include "support/ScriptedServices.h"

#include <stdexcept>

namespace vkttest {

namespace {

using F = TVktField;
using platform::Variant;

void Check(bool ok, const char* what)
{
    if (!ok) throw std::runtime_error(std::string("report database: ") + what);
}

TPriorityItem One(int id) { return TPriorityItem() << id; }

constexpr int kClass = 14;   // vegetables, a leaf class of the new database

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

} // namespace

std::string ReportDatabase::MemoOf(int index) { return "{\\rtf1\\ansi memo" + Two(index) + "x}"; }

std::string ReportDatabase::PictureOf(int index)
{
    platform::Picture picture(8 + index, 8, platform::RgbColor(20 * index % 255, 80, 160));
    return platform::EncodeBmp(picture);
}

TFilterObject ReportDatabase::FoodFilter()
{
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, kClass, {});
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

TFilterObject ReportDatabase::IdFilter(const std::vector<int>& ids)
{
    TFilterObject filter;
    filter.Add(F::Data_ID, foEqual, ids.empty() ? -1 : ids.front(), {});
    for (std::size_t i = 1; i < ids.size(); ++i) filter.Add(F::Data_ID, foEqual, ids[i], {});
    return filter;
}

ReportDatabase::ReportDatabase(int ingredients) : registry_(std::make_unique<TVktApplication>())
{
    folder_ = NewTempFolder("report");
    Check(registry_->CreateDatabase("レポート", folder_), "create");
    object_ = registry_->GetObject("レポート");
    TVktObject& db = *object_;
    db.AddRef();
    for (int i = 1; i <= ingredients; ++i) {
        const int id = db.AddNewData(kClass, "食材" + Two(i));
        Check(id != 0, "add");
        Check(db.EditData(F::Data2, Variant("Aliment " + Two(i)), One(id)), "french");
        Check(db.EditData(F::BuyPrice, Variant(100.0 * i), One(id)), "price");
        if (i % 2) Check(db.EditData(F::Memo, Variant(MemoOf(i)), One(id)), "memo");
        if (i % 3 == 0) Check(db.EditData(F::Image, Variant(PictureOf(i)), One(id)), "picture");
        ingredients_.push_back(id);
    }
    recipe_ = db.AddNewData(38, "ステーキ");
    Check(recipe_ != 0 && ingredients >= 2 &&
              db.AppendRecipeItem(recipe_, 0, TPriorityItem() << ingredients_[1] << ingredients_[0], nullptr),
          "recipe");
}

ReportDatabase::~ReportDatabase()
{
    if (object_ && object_->GetOpenCount() > 0) object_->Release();
}

BoundLayout::BoundLayout(TVktObject* object, const TFilterObject& filter)
    : preview(std::make_unique<TPreview>()), binding(std::make_unique<TVktLayoutBinding>(preview.get()))
{
    binding->SetFilter(filter);
    binding->Attach(object);
    binding->Update();
}

BoundLayout::~BoundLayout()
{
    binding->Detach();
    preview->Clear();
    binding.reset();
}

TContainer* BoundLayout::Add(int type, TContainer* parent)
{
    preview->SetSelected(parent ? parent->GetViewItem() : nullptr);
    TViewItem* item = preview->AddContainer(type);
    return item ? ContainerOf(item) : nullptr;
}

TVktGridContainer* BoundLayout::AddGrid(TContainer* parent, std::initializer_list<TVktField> fields, int width)
{
    auto* grid = Add<TVktGridContainer>(16, parent);
    TPreviewFieldStruct columns;
    for (TVktField field : fields) {
        columns.GetName() << ToInt(field);
        columns.GetWidth() << width;
        columns.GetReturn() << 0;
        columns.GetOrder() << 0;
    }
    grid->SetPreviewFields(columns);
    return grid;
}

std::string BoundLayout::Dump(int page)
{
    std::string out;
    TViewItems* items = preview->GetItems();
    for (int i = 0; i < items->GetCount(); ++i) {
        TVktDataLink* link = DataLinkOf(items->GetItem(i));
        if (!link) continue;
        link->SetPage(page);
        if (auto* field = dynamic_cast<TVktFieldContainer*>(link)) out += "[" + field->GetText() + "]";
        if (auto* memo = dynamic_cast<TVktMemoContainer*>(link))
        {
            const std::string rtf = memo->GetRichText();
            const std::size_t at = rtf.find("memo");
            out += "{" + (at == std::string::npos ? std::string() : rtf.substr(at, 7)) + "}";
        }
        if (auto* image = dynamic_cast<TVktImageContainer*>(link))
            out += "<" + std::to_string(image->GetShownImage().size()) + ">";
        if (auto* grid = dynamic_cast<TVktGridContainer*>(link)) {
            out += "#" + std::to_string(grid->GetPageMax());
            for (int r = 0; r < grid->GetRowCount(); ++r)
                for (int c = 0; c < grid->GetFields().GetCount(); ++c) out += "|" + grid->CellText(c, r);
        }
        if (auto* chart = dynamic_cast<TVktChartContainer*>(link)) {
            out += "~";
            for (int i = 0; i < chart->GetGraphCount(); ++i) {
                const TSeriesStruct series = chart->GetData(i);
                for (int p = 0; p < series.GetCount(); ++p)
                    out += std::to_string(series.GetX(p)) + ":" + std::to_string(series.GetY(p)) + series.GetLabel(p) + ";";
            }
        }
    }
    return out;
}

} // namespace vkttest
