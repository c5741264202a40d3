#include "reports/Uvktfieldcontainer.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "platform/Xml.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

using F = TVktField;

TVktFieldContainer::TVktFieldContainer() : TTextContainer(ctVktField), TVktDataLink(static_cast<TContainer&>(*this)) {}

TVktFieldContainer::~TVktFieldContainer() = default;

void TVktFieldContainer::DataChange()
{
    dataChanged_ = true;
    Change();
}

void TVktFieldContainer::SetField(int field)
{
    if (field == field_) return;
    field_ = field;
    DataChange();
    if (GetTopContainer()) GetTopContainer()->RequestQuery();
}

void TVktFieldContainer::SetViewItem(TViewItem* item)
{
    BindDirect(item, [&] { TTextContainer::SetViewItem(item); });
}

std::string TVktFieldContainer::GetText()
{
    TVktTopContainer* top = GetTopContainer();
    if (!top || !top->GetVktObject()) return {};
    if (field_ == 0) return top->GetVktObject()->GetName();
    if (GetPageDataCount() == 0 || GetPageDataIndex() == 0) return {};
    if (!GetSubData()) {
        const int row = GetRecordRow();
        if (row < 0) return {};
        top->GetAccesser()->SetRowIndex(row);
        return top->GetAccesser()->GetText(ToVktField(field_));
    }
    if (GetSubDataIndex() == 0 || !subAccesser_ || subAccesser_->GetRowCount() == 0) return {};
    const platform::Variant value = subAccesser_->GetValue(ToVktField(field_));
    return value.IsEmptyOrNull() ? std::string() : value.AsString();
}

int TVktFieldContainer::GetPageMax() { return LinkPageMax(GetPageDataCount()); }

void TVktFieldContainer::DoChange()
{
    TVktTopContainer* top = GetTopContainer();
    if (!dataChanged_ || !top || !top->GetVktObject()) return;
    dataChanged_ = false;
    if (field_ == 0 || GetPageDataCount() == 0 || GetPageDataIndex() == 0 || GetSubDataIndex() == 0 ||
        !GetSubData() || !subAccesser_)
        return;
    TFilterObject filter;
    filter.Add(F::Item_Key, foEqual, GetRecordID(), 0);
    filter.Add(F::ItemIndex, foEqual, GetSubDataIndex(), 0);
    subAccesser_->BeginUpdate();
    subAccesser_->SetTable(TVktTable::TblItem);
    subAccesser_->SetFields(TPriorityItem() << ToInt(F::Data_Key) << field_);
    subAccesser_->SetOrder(TPriorityItem() << 0 << 0);
    subAccesser_->SetFilter(filter);
    subAccesser_->Refresh();
    subAccesser_->EndUpdate();
}

void TVktFieldContainer::DoFont(std::string& name, int& size)
{
    if (GetTopContainer() && FrenchFields.Contains(field_)) {
        name = GetTopContainer()->GetFontName2();
        size = GetTopContainer()->GetFontSize2();
        return;
    }
    TTextContainer::DoFont(name, size);
}

void TVktFieldContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                              int pageMax, bool printer)
{
    SetPage(page);
    if (!printer) {
        shownText_ = GetText();
        shownPage_ = page;
    }
    TTextContainer::Draw(offsetX, offsetY, rect, scale, canvas, page, pageMax, printer);
}

void TVktFieldContainer::SaveToXml(const platform::XmlNode& node)
{
    TTextContainer::SaveToXml(node);
    SaveLink(node, false);
    if (field_ != 0) node.SetIntAttribute("Field", field_);
}

void TVktFieldContainer::LoadFromXml(const platform::XmlNode& node)
{
    TTextContainer::LoadFromXml(node);
    LoadLink(node);
    SetField(ReadIntAttribute(node, "Field", 0));
}

void TVktFieldContainer::DBActive()
{
    TVktTopContainer* top = GetTopContainer();
    subAccesser_ = std::make_unique<TVktAccesser>(top ? top->GetVktObject() : nullptr);
    DataChange();
    if (top) top->BroadcastDBActive(GetViewItem());
}

void TVktFieldContainer::DBInactive()
{
    subAccesser_.reset();
    if (GetTopContainer()) GetTopContainer()->BroadcastDBInactive(GetViewItem());
    Change();
}

void TVktFieldContainer::DBChange()
{
    TVktTopContainer* top = GetTopContainer();
    // After a row patch a text that reads as it was drawn is not drawn again.
    const bool asDrawn =
        top && top->GetRowPatch() && !GetSubData() && GetPage() == shownPage_ && GetText() == shownText_;
    if (!asDrawn) DataChange();
    if (top) top->BroadcastDBChange(GetViewItem());
}

void TVktFieldContainer::DBRename()
{
    if (field_ == 0) Change();
}

void TVktFieldContainer::CollectReadFields(TPriorityItem& fields) const
{
    if (!GetSubData() && field_ != 0 && fields.IndexOf(field_) < 0) fields << field_;
}
