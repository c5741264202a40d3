#pragma once
// The group container (type 12, "VktContainer"): a graphic box below a database container that
// holds the data containers of one record slot (PageDataIndex) or one recipe item (SubData,
// SubDataIndex). It shows no data itself and passes the database container's notices on.
//
// Attributes after the graphic ones: SubData, PageDataIndex, SubDataIndex (see the data link).
#include "layout/Ugraphiccontainer.h"
#include "reports/Uvktdatalink.h"

class TVktContainer : public TGraphicContainer, public TVktDataLink {
public:
    TVktContainer();
    explicit TVktContainer(int type);

    void SetViewItem(TViewItem* item) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    void DBActive() override;
    void DBInactive() override;
    void DBChange() override;
};
