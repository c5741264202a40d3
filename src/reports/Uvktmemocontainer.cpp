#include "reports/Uvktmemocontainer.h"

#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

TVktMemoContainer::TVktMemoContainer()
    : TMemoContainer(ctVktMemo), TVktDetailLink(static_cast<TContainer&>(*this), TVktField::Memo)
{
}

int TVktMemoContainer::GetPageMax() { return LinkPageMax(GetPageDataCount()); }

void TVktMemoContainer::SetViewItem(TViewItem* item)
{
    BindDirect(item, [&] { TMemoContainer::SetViewItem(item); });
}

void TVktMemoContainer::DoChange()
{
    TMemoContainer::DoChange();
    DetailChange();
}

void TVktMemoContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                             int pageMax, bool printer)
{
    SetPage(page);
    TMemoContainer::Draw(offsetX, offsetY, rect, scale, canvas, 1, pageMax, printer);
}

void TVktMemoContainer::SaveToXml(const platform::XmlNode& node)
{
    TMemoContainer::SaveToXml(node);
    SaveLink(node, false);
}

void TVktMemoContainer::LoadFromXml(const platform::XmlNode& node)
{
    TMemoContainer::LoadFromXml(node);
    LoadLink(node);
}

void TVktMemoContainer::ShowDetail(const std::string& text)
{
    SetRichText(text);
    SetParentFont(true);
}

void TVktMemoContainer::ClearDetail() { SetRichText({}); }
