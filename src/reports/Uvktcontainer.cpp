#include "reports/Uvktcontainer.h"

#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

TVktContainer::TVktContainer() : TVktContainer(ctVktContainer) {}

TVktContainer::TVktContainer(int type) : TGraphicContainer(type), TVktDataLink(static_cast<TContainer&>(*this)) {}

void TVktContainer::SetViewItem(TViewItem* item)
{
    FindTopContainer(nullptr);
    TGraphicContainer::SetViewItem(item);
    FindTopContainer(item);
    InheritThroughSetters();
}

void TVktContainer::SaveToXml(const platform::XmlNode& node)
{
    TGraphicContainer::SaveToXml(node);
    SaveLink(node, true);
}

void TVktContainer::LoadFromXml(const platform::XmlNode& node)
{
    TGraphicContainer::LoadFromXml(node);
    LoadLink(node);
}

void TVktContainer::DBActive()
{
    if (GetTopContainer()) GetTopContainer()->BroadcastDBActive(GetViewItem());
}

void TVktContainer::DBInactive()
{
    if (GetTopContainer()) GetTopContainer()->BroadcastDBInactive(GetViewItem());
}

void TVktContainer::DBChange()
{
    if (GetTopContainer()) GetTopContainer()->BroadcastDBChange(GetViewItem());
}
