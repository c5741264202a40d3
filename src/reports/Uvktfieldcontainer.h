#pragma once
// The field container (type 13, "VktField"): the text of one field of the record in its slot on
// the page drawn, of recipe item SubDataIndex of that record (SubData), or, for Field 0, the
// database's name. French-name fields are drawn in the database container's second font.
//
// Attributes after the text ones: PageDataIndex, SubData, SubDataIndex (see the data link), and
// Field (the field number) when it is not 0.
#include "layout/Utextcontainer.h"
#include "reports/Uvktdatalink.h"

#include <memory>
#include <string>

class TVktAccesser;

class TVktFieldContainer : public TTextContainer, public TVktDataLink {
public:
    TVktFieldContainer();
    ~TVktFieldContainer() override;

    int GetField() const { return field_; }
    // A new field re-queries the database container (the field joins or leaves its query).
    void SetField(int field);
    bool GetDataChanged() const { return dataChanged_; }
    void DataChange();

    std::string GetText() override;
    int GetPageMax() override;
    void SetViewItem(TViewItem* item) override;
    void DoChange() override;
    void DoFont(std::string& name, int& size) override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    void DBActive() override;
    void DBInactive() override;
    void DBChange() override;
    void DBRename() override;
    void CollectReadFields(TPriorityItem& fields) const override;

protected:
    void LinkChange() override { DataChange(); }

private:
    std::unique_ptr<TVktAccesser> subAccesser_;
    int field_ = 0;
    bool dataChanged_ = false;
    // The text last drawn on screen and its page: a row patch that leaves it as drawn repaints
    // nothing.
    std::string shownText_;
    int shownPage_ = -1;
};
