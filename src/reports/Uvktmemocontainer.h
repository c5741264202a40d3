#pragma once
// The data memo (type 14, "VktMemo"): the formatted memo of the record in its slot, or of the
// ingredient of its recipe item, laid out as on a first page whatever page is drawn. The memo of
// the record shown is fetched once and kept until another record is shown or the data change.
//
// Attributes after the memo ones (which store no text for this type): PageDataIndex, SubData,
// SubDataIndex (see the data link).
#include "layout/Umemocontainer.h"
#include "reports/Uvktdatalink.h"

class TVktMemoContainer : public TMemoContainer, public TVktDetailLink {
public:
    TVktMemoContainer();

    int GetPageMax() override;
    void SetViewItem(TViewItem* item) override;
    void DoChange() override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

protected:
    void ShowDetail(const std::string& text) override;
    void ClearDetail() override;
};
