#pragma once
// The data picture (type 15, "VktImage"): the picture of the record in its slot, or of the
// ingredient of its recipe item, in every cell of its cell layout. The picture of the record shown
// is fetched once and kept until another record is shown or the data change.
//
// Attributes after the image ones (which store no pictures for this type): PageDataIndex,
// SubData, SubDataIndex (see the data link).
#include "layout/Uimagecontainer.h"
#include "reports/Uvktdatalink.h"

class TVktImageContainer : public TImageContainer, public TVktDetailLink {
public:
    TVktImageContainer();

    // The picture bytes shown ("" for none).
    const std::string& GetShownImage() const { return imageData_; }
    std::string GetImageData(int index) override;

    // Without a record count per page, the rows over the cells of the layout.
    int GetPageMax() override;
    void SetViewItem(TViewItem* item) override;
    void DoChange() override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

protected:
    void ShowDetail(const std::string& text) override { imageData_ = text; }
    void ClearDetail() override { Change(); }

private:
    std::string imageData_;
};
