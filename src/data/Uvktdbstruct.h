#pragma once
// Typed row accessors: TVktAccesser preset with a table, a field list and a sort order, with one
// getter per column that the screens read. Constructors list nothing; the first refresh (or the
// binding through SetVktObject) lists.
//
//   class             table        fields                                       order
//   TVDBClass         TblClass     Class_ID TreeID ClassType Class Class2 Icon_Key  TreeID
//   TVDBUnits         TblUnits     Units_ID UnitsKind UnitsType Units Units2    Units_ID
//   TVDBAttrItem      TblAttrItem  AttrItem_ID Attribute                        AttrItem_ID
//   TVDBAttribute     TblAttribute Attribute_Key AttrItem_Key AttrCheck         Attribute_Key
//   TVDBDealer        TblDealer    Dealer_ID Company .. EMail                   Dealer_ID
//   TVDBItem          TblItem      Item_Key .. ItemUsePrice, Class Data ItemUnit Icon_Key
//                                  ItemCatIndex                                 none (builder's key order)
//   TVDBKernel        TblData      Data_ID .. ChangeDate, EraseDate             Data_ID
//   TVDBDetail        TblData      Data_ID Memo Image                           none
//   TVDBFood          TblData      kernel, BuyUnit_Key BuyPrice Quantity Yield Dealer_Key
//   TVDBCook          TblData      kernel, Complete TotalPrice SalePrice CostRate
//   TVDBMenu          TblData      recipe, Information Information2
//   TVDBMonthHistory  TblMHistory  MHistory_Key MHistoryDate MHistoryUnit_Key MHistoryPrice
//   TVDBYearHistory   TblYHistory  YHistory_Key YHistoryDate YHistoryUnit_Key YHLast/Max/Ave/MinPrice
//   TVDBInvDate       TblInvDate   InvDate_ID InvDate InvType                   InvDate descending
//
// Getters read the current row (GetValue). A NULL or missing cell reads as the zero of the
// getter's type (0, 0.0, false, "", the date-time 0, an empty tree index).
#include <initializer_list>
#include <string>

#include "core/Treeindex.h"
#include "data/Uvktaccesser.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"

class TVktDB : public TVktAccesser {
public:
    explicit TVktDB(TVktAccesserOwner owner = {}) : TVktAccesser(owner) {}

    // The key column of the class; None when the class has no key.
    virtual TVktField GetKeyField() const { return TVktField::None; }
    // Makes current the first row whose key equals `key`; when none does (or the class has no
    // key), the row index stays as it was.
    void Locate(int key);

protected:
    // Typed reads of the current row.
    int IntOf(TVktField field) const;
    bool BoolOf(TVktField field) const;
    double DoubleOf(TVktField field) const;
    platform::Currency CurrencyOf(TVktField field) const;
    platform::TDateTime DateTimeOf(TVktField field) const;
    std::string TextOf(TVktField field) const;
    // Runs a constructor's preset inside one update bracket and drops the refresh it asked for,
    // so that constructing lists nothing.
    template <class Body>
    void Preset(Body&& body) {
        BeginUpdate();
        body();
        ClearDirty();
        EndUpdate();
    }
    // Appends fields with no order (inside a preset).
    void AppendFields(std::initializer_list<TVktField> fields);
};

class TVDBClass : public TVktDB {
public:
    explicit TVDBClass(TVktAccesserOwner owner = {});
    TVktField GetKeyField() const override { return TVktField::Class_ID; }
    int GetClassID() const { return IntOf(TVktField::Class_ID); }
    TTreeIndex GetTreeID() const;
    int GetClassType() const { return IntOf(TVktField::ClassType); }
    std::string GetClass() const { return TextOf(TVktField::Class); }
    std::string GetClass2() const { return TextOf(TVktField::Class2); }
    int GetIconKey() const { return IntOf(TVktField::Icon_Key); }
};

class TVDBUnits : public TVktDB {
public:
    explicit TVDBUnits(TVktAccesserOwner owner = {});
    TVktField GetKeyField() const override { return TVktField::Units_ID; }
    int GetUnitsID() const { return IntOf(TVktField::Units_ID); }
    std::string GetUnits() const { return TextOf(TVktField::Units); }
    std::string GetUnits2() const { return TextOf(TVktField::Units2); }
};

class TVDBAttrItem : public TVktDB {
public:
    explicit TVDBAttrItem(TVktAccesserOwner owner = {});
    TVktField GetKeyField() const override { return TVktField::AttrItem_ID; }
    int GetAttrItemID() const { return IntOf(TVktField::AttrItem_ID); }
    std::string GetAttribute() const { return TextOf(TVktField::Attribute); }
};

class TVDBAttribute : public TVktDB {
public:
    explicit TVDBAttribute(TVktAccesserOwner owner = {});
    int GetAttrItemKey() const { return IntOf(TVktField::AttrItem_Key); }
    bool GetAttrCheck() const { return BoolOf(TVktField::AttrCheck); }
};

class TVDBDealer : public TVktDB {
public:
    explicit TVDBDealer(TVktAccesserOwner owner = {});
    TVktField GetKeyField() const override { return TVktField::Dealer_ID; }
    int GetDealerID() const { return IntOf(TVktField::Dealer_ID); }
    std::string GetCompany() const { return TextOf(TVktField::Company); }
    std::string GetDealer() const { return TextOf(TVktField::Dealer); }
    std::string GetPostCode() const { return TextOf(TVktField::PostCode); }
    std::string GetAddress() const { return TextOf(TVktField::Address); }
    std::string GetTel() const { return TextOf(TVktField::Tel); }
    std::string GetTel2() const { return TextOf(TVktField::Tel2); }
    std::string GetFax() const { return TextOf(TVktField::Fax); }
    std::string GetEMail() const { return TextOf(TVktField::EMail); }
};

class TVDBItem : public TVktDB {
public:
    explicit TVDBItem(TVktAccesserOwner owner = {});
    int GetIconKey() const { return IntOf(TVktField::Icon_Key); }
    std::string GetItemCatIndex() const { return TextOf(TVktField::ItemCatIndex); }
    std::string GetClass() const { return TextOf(TVktField::Class); }
    std::string GetData() const { return TextOf(TVktField::Data); }
    std::string GetItemUnit() const { return TextOf(TVktField::ItemUnit); }
    platform::Currency GetItemPrice() const { return CurrencyOf(TVktField::ItemPrice); }
    double GetItemUse() const { return DoubleOf(TVktField::ItemUse); }
    platform::Currency GetItemUsePrice() const { return CurrencyOf(TVktField::ItemUsePrice); }
};

class TVDBKernel : public TVktDB {
public:
    explicit TVDBKernel(TVktAccesserOwner owner = {});
    int GetClassKey() const { return IntOf(TVktField::Class_Key); }
    int GetFormKey() const { return IntOf(TVktField::Form_Key); }
    std::string GetData() const { return TextOf(TVktField::Data); }
    std::string GetData2() const { return TextOf(TVktField::Data2); }
    int GetUseUnitKey() const { return IntOf(TVktField::UseUnit_Key); }
    platform::Currency GetUsePrice() const { return CurrencyOf(TVktField::UsePrice); }
    bool GetInvItem() const { return BoolOf(TVktField::InvItem); }
    platform::TDateTime GetCreateDate() const { return DateTimeOf(TVktField::CreateDate); }
    platform::TDateTime GetChangeDate() const { return DateTimeOf(TVktField::ChangeDate); }
};

class TVDBDetail : public TVktDB {
public:
    explicit TVDBDetail(TVktAccesserOwner owner = {});
    // The stored bytes.
    std::string GetMemo() const { return TextOf(TVktField::Memo); }
    std::string GetImage() const { return TextOf(TVktField::Image); }
};

class TVDBFood : public TVDBKernel {
public:
    explicit TVDBFood(TVktAccesserOwner owner = {});
    int GetBuyUnitKey() const { return IntOf(TVktField::BuyUnit_Key); }
    platform::Currency GetBuyPrice() const { return CurrencyOf(TVktField::BuyPrice); }
    double GetQuantity() const { return DoubleOf(TVktField::Quantity); }
    double GetYield() const { return DoubleOf(TVktField::Yield); }
    int GetDealerKey() const { return IntOf(TVktField::Dealer_Key); }
};

class TVDBCook : public TVDBKernel {
public:
    explicit TVDBCook(TVktAccesserOwner owner = {});
    double GetComplete() const { return DoubleOf(TVktField::Complete); }
    platform::Currency GetTotalPrice() const { return CurrencyOf(TVktField::TotalPrice); }
    platform::Currency GetSalePrice() const { return CurrencyOf(TVktField::SalePrice); }
    double GetCostRate() const { return DoubleOf(TVktField::CostRate); }
};

class TVDBMenu : public TVDBCook {
public:
    explicit TVDBMenu(TVktAccesserOwner owner = {});
    std::string GetInformation() const { return TextOf(TVktField::Information); }
    std::string GetInformation2() const { return TextOf(TVktField::Information2); }
};

class TVDBMonthHistory : public TVktDB {
public:
    explicit TVDBMonthHistory(TVktAccesserOwner owner = {});
    platform::TDateTime GetMHistoryDate() const { return DateTimeOf(TVktField::MHistoryDate); }
    platform::Currency GetMHistoryPrice() const { return CurrencyOf(TVktField::MHistoryPrice); }
};

class TVDBYearHistory : public TVktDB {
public:
    explicit TVDBYearHistory(TVktAccesserOwner owner = {});
    platform::TDateTime GetYHistoryDate() const { return DateTimeOf(TVktField::YHistoryDate); }
    platform::Currency GetYHLastPrice() const { return CurrencyOf(TVktField::YHLastPrice); }
    platform::Currency GetYHMaxPrice() const { return CurrencyOf(TVktField::YHMaxPrice); }
    platform::Currency GetYHAvePrice() const { return CurrencyOf(TVktField::YHAvePrice); }
    platform::Currency GetYHMinPrice() const { return CurrencyOf(TVktField::YHMinPrice); }
};

// Inventory dates, newest first (equal dates by InvDate_ID).
class TVDBInvDate : public TVktDB {
public:
    explicit TVDBInvDate(TVktAccesserOwner owner = {});
    int GetInvDateID() const { return IntOf(TVktField::InvDate_ID); }
    platform::TDateTime GetInvDate() const { return DateTimeOf(TVktField::InvDate); }
};
