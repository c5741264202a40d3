// Field edits and the price chain.
//
// The chain applies the costing rule (Mvktcosting.h). The use prices are rounded to the currency
// as the batch insert rounds them; a missing value or a divisor of 0 gives 0, never NULL. An
// ingredient's chain also rewrites its monthly history row of today with its use unit and price.
#include "database/Mvktfunctor.h"

#include "platform/Errors.h"
#include "platform/Text.h"

namespace {

using F = TVktField;

// Fields whose edit runs the record's price chain (ItemPrice is not one of them).
constexpr TVktFieldSet kPriceBearingFields{F::BuyPrice, F::Quantity, F::Yield, F::Complete,
                                           F::SalePrice, F::ItemUse, F::ItemUsePrice};

// The value is no content: empty, NULL, an empty text or no bytes.
bool IsEmptyContent(const platform::Variant& value) {
    switch (value.GetKind()) {
    case platform::Variant::Kind::Empty:
    case platform::Variant::Kind::Null: return true;
    case platform::Variant::Kind::Text: return value.AsString().empty();
    case platform::Variant::Kind::Bytes: return value.AsBytes().empty();
    default: return false;
    }
}

// Integer value of the comma-text piece belonging to position `index`; raises when it is missing
// or not an integer.
int KeyValueAt(const std::vector<std::string>& values, int index) {
    if (index >= static_cast<int>(values.size()))
        throw platform::ConvertError("No value for field position " + platform::IntToStr(index));
    return platform::StrToInt(values[static_cast<std::size_t>(index)]);
}

// The write statements of one field of a record, the row addressed by the leading key columns of
// the field's table bound as :Key0, :Key1, ... (so that one text serves every record) and the
// field's value as :EditData.
class KeyedField {
public:
    // Raises when there is no key value.
    KeyedField(TVktField field, const TPriorityItem& keys) : field_(field), keys_(keys) {
        if (keys.GetCount() == 0) throw platform::Error("No key values for " + GetFieldName(field));
    }

    std::string Update() const {
        return "update " + Table() + " set " + GetFieldName(field_) + " = :EditData" + Where();
    }
    std::string Insert() const {
        std::string columns;
        std::string values;
        for (int i = 0; i < keys_.GetCount(); ++i) {
            columns += KeyColumn(i) + ", ";
            values += ":Key" + platform::IntToStr(i) + ", ";
        }
        return "insert into " + Table() + " ( " + columns + GetFieldName(field_) + " ) values ( " + values +
               ":EditData )";
    }
    std::string Delete() const { return "delete from " + Table() + Where(); }

    void BindKeys(platform::Statement& statement) const {
        for (int i = 0; i < keys_.GetCount(); ++i) statement.BindInt64("Key" + platform::IntToStr(i), keys_.GetItem(i));
    }

private:
    std::string Table() const { return GetTableFileName(GetFieldTable(field_)); }
    std::string KeyColumn(int index) const {
        return GetFieldName(ToVktField(ToInt(GetTableFirstField(GetFieldTable(field_))) + index));
    }
    std::string Where() const {
        std::string text = " where ";
        for (int i = 0; i < keys_.GetCount(); ++i)
            text += (i > 0 ? " and " : "") + KeyColumn(i) + " = :Key" + platform::IntToStr(i);
        return text;
    }

    TVktField field_;
    const TPriorityItem& keys_;
};

} // namespace

bool TVktFunctor::EditData(TVktField field, const platform::Variant& value, const TPriorityItem& keys) {
    // One savepoint for the field and what follows it: a failing field write leaves nothing. What
    // follows may fail on its own and then undoes only its own part: the savepoint is rolled back
    // and the field written again alone.
    bool followFailed = false;
    const auto edit = [&](bool follow) { return Write(false, [&] {
        const KeyedField keyed(field, keys);
        const auto run = [&](const std::string& sql) {
            platform::StatementLease statement = Lease(sql);
            keyed.BindKeys(*statement);
            return statement;
        };
        switch (field) {
        case TVktField::Information:
        case TVktField::Information2: {
            // The two texts of a record are one row: the other one is carried over.
            const int key = keys.GetItem(0);
            const bool first = field == TVktField::Information;
            const std::string other = QueryText(
                std::string("select ") + (first ? "Information2" : "Information") + " from " +
                    Tbl(TVktTable::TblInformation) + " where Information_Key = :Key",
                {{"Key", key}});
            run(keyed.Delete())->Execute();
            const std::string text = value.AsString();
            Exec("insert into " + Tbl(TVktTable::TblInformation) + " values ( :Key, :Info, :Info2 )",
                 {{"Key", key}, {"Info", first ? text : other}, {"Info2", first ? other : text}});
            break;
        }
        case TVktField::AttrCheck: {
            // A TAttrCheckState; a code above acChecked counts as checked.
            run(keyed.Delete())->Execute();
            const int code = value.AsInt();
            if (code > acNoEntry) {
                platform::StatementLease insert = run(keyed.Insert());
                insert->BindBool("EditData", code != acUnchecked);
                insert->Execute();
            }
            break;
        }
        case TVktField::Memo:
        case TVktField::Image: {
            run(keyed.Delete())->Execute();
            if (!IsEmptyContent(value)) {
                platform::StatementLease insert = run(keyed.Insert());
                insert->Bind("EditData", value, platform::FieldType::Graphic);
                insert->Execute();
            }
            break;
        }
        default: {
            platform::StatementLease update = run(keyed.Update());
            update->Bind("EditData", value, GetFieldType(field));
            update->Execute();
            break;
        }
        }

        // What follows does not change the result: the field itself is written.
        if (follow && DataFields.Contains(field)) {
            const int dataId = keys.GetItem(0);
            try {
                if (kPriceBearingFields.Contains(field))
                    RunPriceChain(dataId);
                else
                    StampChangeDate(dataId);
            } catch (const std::exception&) {
                followFailed = true;
                throw;
            }
        }
        return true;
    }); };
    const bool written = edit(true);
    return followFailed ? edit(false) : written;
}

bool TVktFunctor::UpdatePriceChain(int dataId) {
    return Write(false, [&] { return RunPriceChain(dataId); });
}

bool TVktFunctor::RunPriceChain(int dataId) {
    const platform::TDateTime now = platform::Now();
    const std::string stamp = platform::ToIsoDateTime(now);
    const std::string today = platform::ToIsoDate(now);
    const std::string data = Tbl(TVktTable::TblData);

    // The record's state, and an ingredient's buy price, quantity and yield (NULL or no row as 0).
    bool conserve = false;
    bool erased = false;
    int classType = ctRoot;
    double food[3] = {0, 0, 0};
    bool hasCook = false;
    TStoredNumber total;
    double complete = 0;
    {
        static const std::string text =
            "select D.Conserve, E.Erase_Key, C.ClassType, F.BuyPrice, F.Quantity, F.Yield, K.Cook_Key, K.TotalPrice,"
            " K.Complete from " + data + " D left join " + Tbl(TVktTable::TblClass) +
            " C on C.Class_ID = D.Class_Key left join " + Tbl(TVktTable::TblErase) +
            " E on E.Erase_Key = D.Data_ID left join " + Tbl(TVktTable::TblFood) +
            " F on F.Food_Key = D.Data_ID left join " + Tbl(TVktTable::TblCook) +
            " K on K.Cook_Key = D.Data_ID where D.Data_ID = :ID";
        platform::StatementLease state = Lease(text);
        state->BindInt64("ID", dataId);
        if (state->Step()) {
            conserve = state->GetBool(0);
            erased = !state->IsNull(1);
            classType = state->GetInt(2);
            for (int i = 0; i < 3; ++i) food[i] = state->GetDouble(3 + i);
            hasCook = !state->IsNull(6);
            total = TStoredNumber::Read(*state, 7);
            complete = state->GetDouble(8);
        }
    }
    // A record in the trash or kept only for the inventory is not recosted, not even stamped.
    if (conserve || erased) return false;

    auto setUsePrice = [&](platform::Currency price) {
        static const std::string text = "update " + data + " set ChangeDate = :Now, UsePrice = :Price where Data_ID = :ID";
        platform::StatementLease update = Lease(text);
        update->BindTextRef("Now", stamp);
        update->BindDouble("Price", price.ToDouble());
        update->BindInt64("ID", dataId);
        update->Execute();
    };
    if (classType == ctFood) {
        setUsePrice(FoodUsePrice(food[0], food[1], food[2]));
        const std::string history = Tbl(TVktTable::TblMHistory);
        static const std::string drop =
            "delete from " + history + " where ( MHistory_Key = :ID ) and ( MHistoryDate = :Today )";
        static const std::string add = "insert into " + history +
                                       " ( MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice ) "
                                       "select Data_ID, :Today, UseUnit_Key, UsePrice from " + data +
                                       " where Data_ID = :ID";
        for (const std::string* text : {&drop, &add}) {
            platform::StatementLease statement = Lease(*text);
            statement->BindInt64("ID", dataId);
            statement->BindTextRef("Today", today);
            statement->Execute();
        }
    } else if (classType == ctCook || classType == ctMenu) {
        std::vector<TCostItem> items;
        {
            static const std::string text = "select ItemIndex, ItemUse, ItemPrice, ItemUsePrice from " +
                                            Tbl(TVktTable::TblItem) + " where Item_Key = :ID order by ItemIndex";
            platform::StatementLease rows = Lease(text);
            rows->BindInt64("ID", dataId);
            while (rows->Step())
                items.push_back({rows->GetInt(0), TStoredNumber::Read(*rows, 1), rows->GetDouble(2),
                                 TStoredNumber::Read(*rows, 3)});
        }
        WriteCookCost(dataId, items, hasCook, total, complete);
    }
    return true;
}

void TVktFunctor::WriteCookCost(int dataId, const std::vector<TCostItem>& items, bool hasCook,
                                const TStoredNumber& total, double complete) {
    const std::string itemTable = Tbl(TVktTable::TblItem);
    platform::StatementLease setUsePrice;
    for (const TCostItem& item : items) {
        const std::optional<double> usePrice = CostItemUsePrice(item);
        if (!usePrice || item.UsePrice.Holds(*usePrice)) continue;
        if (!setUsePrice.IsLeased())
            setUsePrice = Lease("update " + itemTable + " set ItemUsePrice = :Price where Item_Key = :R and"
                                " ItemIndex = :I");
        setUsePrice->BindDouble("Price", *usePrice);
        setUsePrice->BindInt64("R", dataId);
        setUsePrice->BindInt64("I", item.Index);
        setUsePrice->Execute();
        setUsePrice->Reset();
    }
    setUsePrice.Return();
    // TotalPrice as stored after the chain: a recipe without a cook row has none (0).
    double stored = 0;
    if (hasCook) {
        stored = CostTotal(items);
        if (!total.Holds(stored))
            Exec("update " + Tbl(TVktTable::TblCook) + " set TotalPrice = :Total where Cook_Key = :R",
                 {{"Total", stored}, {"R", dataId}});
    }
    Exec("update " + Tbl(TVktTable::TblData) + " set ChangeDate = :Now, UsePrice = :Price where Data_ID = :R",
         {{"Now", platform::ToIsoDateTime(platform::Now())},
          {"Price", CookUsePrice(stored, hasCook ? complete : 0).ToDouble()},
          {"R", dataId}});
}

bool TVktFunctor::UpdateDataKeys(int dataId, const std::string& values, const TPriorityItem& fields) {
    return Write(false, [&] {
        const std::vector<std::string> pieces = platform::SplitCommaText(values);
        const int classType = GetDataClassType(dataId);
        if (fields.GetCount() == 0) return true;

        // "set" assignments of the listed fields of one table, in list order; the i-th value
        // belongs to the i-th field.
        auto assignments = [&](const TVktFieldSet& columns, std::string& text, SqlParams& params) {
            for (int i = 0; i < fields.GetCount(); ++i) {
                const int id = fields.GetItem(i);
                if (!columns.Contains(id)) continue;
                const std::string column = Col(ToVktField(id));
                if (!text.empty()) text += ", ";
                text += column + " = :" + column;
                const int number = KeyValueAt(pieces, i);
                if (ToVktField(id) == TVktField::InvItem)
                    params.emplace_back(column, number != 0);
                else
                    params.emplace_back(column, number);
            }
        };

        std::string dataSet;
        SqlParams dataParams;
        assignments(TVktFieldSet{F::InvItem, F::Class_Key, F::Form_Key, F::UseUnit_Key}, dataSet, dataParams);
        if (!dataSet.empty()) dataSet += ", ";
        dataSet += "ChangeDate = :ChangeDate";
        dataParams.emplace_back("ChangeDate", platform::ToIsoDateTime(platform::Now()));
        dataParams.emplace_back("ID", dataId);
        Exec("update " + Tbl(TVktTable::TblData) + " set " + dataSet + " where Data_ID = :ID", dataParams);

        if (classType == ctFood) {
            std::string foodSet;
            SqlParams foodParams;
            assignments(TVktFieldSet{F::BuyUnit_Key, F::Dealer_Key}, foodSet, foodParams);
            if (!foodSet.empty()) {
                foodParams.emplace_back("ID", dataId);
                Exec("update " + Tbl(TVktTable::TblFood) + " set " + foodSet + " where Food_Key = :ID", foodParams);
            }
            // A new use unit relabels the price history; its prices stay as they are.
            const int unitAt = fields.IndexOf(ToInt(TVktField::UseUnit_Key));
            if (unitAt >= 0) ConvertHistoryUnit(dataId, KeyValueAt(pieces, unitAt), 1.0);
        }
        return true;
    });
}

bool TVktFunctor::SetDataAttributes(int dataId, const TPriorityItem& attrItems, const TPriorityItem& checks) {
    if (attrItems.GetCount() == 0) return true;
    return Write(false, [&] {
        const std::string table = Tbl(TVktTable::TblAttribute);
        // The item list holds integers only: its comma text is safe inside the statement.
        Exec("delete from " + table + " where ( Attribute_Key = :ID ) and ( AttrItem_Key in ( " +
                 attrItems.GetCommaText() + " ) )",
             {{"ID", dataId}});
        {
            platform::StatementLease insert =
                Lease("insert into " + table + " values ( :ID, :Item, :Check )", {{"ID", dataId}});
            for (int i = 0; i < attrItems.GetCount(); ++i) {
                const int code = checks.GetItem(i);
                if (code == acNoEntry) continue;
                insert->BindInt64("Item", attrItems.GetItem(i));
                insert->BindBool("Check", code == acChecked);
                insert->Execute();
                insert->Reset();
            }
        }
        TouchChangeDate(dataId);
        return true;
    });
}
