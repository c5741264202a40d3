#include "reports/Uvktimagecontainer.h"

#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

TVktImageContainer::TVktImageContainer()
    : TImageContainer(ctVktImage), TVktDetailLink(static_cast<TContainer&>(*this), TVktField::Image)
{
}

std::string TVktImageContainer::GetImageData(int) { return imageData_; }

int TVktImageContainer::GetPageMax()
{
    return LinkPageMax(GetPageDataCount() != 0 ? GetPageDataCount() : GetColCount() * GetRowCount());
}

void TVktImageContainer::SetViewItem(TViewItem* item)
{
    BindDirect(item, [&] { TImageContainer::SetViewItem(item); });
}

void TVktImageContainer::DoChange()
{
    TImageContainer::DoChange();
    DetailChange();
}

void TVktImageContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                              int pageMax, bool printer)
{
    SetPage(page);
    TImageContainer::Draw(offsetX, offsetY, rect, scale, canvas, page, pageMax, printer);
}

void TVktImageContainer::SaveToXml(const platform::XmlNode& node)
{
    TImageContainer::SaveToXml(node);
    SaveLink(node, false);
}

void TVktImageContainer::LoadFromXml(const platform::XmlNode& node)
{
    TImageContainer::LoadFromXml(node);
    LoadLink(node);
}
