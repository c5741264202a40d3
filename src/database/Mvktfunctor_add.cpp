// Adding records and master rows: default names, new records, classes, forms, units, dealers,
// attribute items, inventory sheets, and moving a record to another class of its family.
#include "database/Mvktfunctor.h"

#include <string_view>
#include <unordered_set>

#include "core/Uvktsupport.h"
#include "platform/Text.h"

namespace {

// Where the default names of a kind live. Kinds without a default name have an empty base.
struct NewNameSource {
    std::string_view Base;
    TVktTable Table;
    TVktField Name;
};

NewNameSource NameSourceOf(TVktObjKind kind) {
    switch (kind) {
    case TVktObjKind::Class: return {"新規分類", TVktTable::TblClass, TVktField::Class};
    case TVktObjKind::Form: return {"新規形態", TVktTable::TblUnits, TVktField::Units};
    case TVktObjKind::Unit: return {"新規単位", TVktTable::TblUnits, TVktField::Units};
    case TVktObjKind::Dealer: return {"新規業者", TVktTable::TblDealer, TVktField::Company};
    case TVktObjKind::AttrItem: return {"新規属性", TVktTable::TblAttrItem, TVktField::Attribute};
    case TVktObjKind::Food: return {"新規食材", TVktTable::TblData, TVktField::Data};
    case TVktObjKind::Cook: return {"新規料理", TVktTable::TblData, TVktField::Data};
    case TVktObjKind::Menu: return {"新規メニュー", TVktTable::TblData, TVktField::Data};
    default: return {"", TVktTable::None, TVktField::None};
    }
}

// Second-language names of new classes, forms and units.
constexpr const char* kNewClass2 = "NouveauClasse";
constexpr const char* kNewForm2 = "NouveauFome";
constexpr const char* kNewUnit2 = "NouveauUnit\\e1";   // escaped; stored through StrToEuro

// Deepest class level a TreeID of 21 characters holds.
constexpr int kMaxClassDepth = 10;

} // namespace

std::string TVktFunctor::MakeNewName(TVktObjKind kind) {
    const NewNameSource source = NameSourceOf(kind);
    if (source.Base.empty()) return {};
    return Read(std::string(), [&] {
        // One pass collects the names taken under the base; the lowest free number wins. The names
        // that start with the base sort from the base itself to below the base followed by a byte
        // no UTF-8 text holds: a comparison of bytes, with no substring made per row.
        const std::string column = Col(source.Name);
        platform::StatementLease find = Lease("select " + column + " from " + Tbl(source.Table) + " where " + column +
                                              " >= :Base and " + column + " < :End");
        find->BindText("Base", source.Base);
        find->BindText("End", std::string(source.Base) + '\xff');
        std::unordered_set<std::string> taken;
        while (find->Step()) taken.insert(find->GetText(0));
        for (int n = 1;; ++n) {
            std::string candidate = std::string(source.Base) + platform::IntToStr(n);
            if (!taken.contains(candidate)) return candidate;
        }
    });
}

int TVktFunctor::AddNewData(int classId, const std::string& name) {
    const int classType = GetClassType(classId);
    if (classType == ctRoot || classType == ctTrash) return 0;   // the root and the trash take no records
    TVktObjKind kind = TVktObjKind::Data;
    switch (classType) {
    case ctFood: kind = TVktObjKind::Food; break;
    case ctCook: kind = TVktObjKind::Cook; break;
    case ctMenu: kind = TVktObjKind::Menu; break;
    default: break;
    }
    std::vector<std::string> values{platform::IntToStr(classId)};
    TPriorityItem fields;
    fields << ToInt(TVktField::Class_Key);
    if (!name.empty()) {
        values.push_back(name);
        fields << ToInt(TVktField::Data);
    }
    return InsertData(kind, platform::JoinCommaText(values), fields);
}

int TVktFunctor::AddClass(int parentId, const std::string& name) {
    return Write(0, [&] {
        const std::string table = Tbl(TVktTable::TblClass);
        std::string parentText;
        int classType = ctRoot;
        int iconKey = 0;
        {
            platform::StatementLease parent =
                Lease("select TreeID, ClassType, Icon_Key from " + table + " where Class_ID = :ID",
                      {{"ID", parentId}});
            if (!parent->Step()) return 0;
            parentText = parent->GetText("TreeID");
            classType = parent->GetInt("ClassType");
            iconKey = parent->GetInt("Icon_Key");
        }
        const TTreeIndex parentIndex(parentText);
        if (parentIndex.Depth() <= 1 || parentIndex.Depth() >= kMaxClassDepth) return 0;

        const int id = NextKey(TVktField::Class_ID);

        // The direct children are the parent's TreeID followed by one group of digits: within the
        // range of TreeIDs that start with the parent's (read through the TreeID index), those one
        // group longer. The last of them comes first.
        TTreeIndex newIndex = parentIndex;
        bool hadChild = false;
        {
            platform::StatementLease children =
                Lease("select TreeID, ClassType, Icon_Key from " + table +
                          " where TreeID > :Parent and TreeID < :End and length(TreeID) = :Length"
                          " order by TreeID desc limit 1",
                      {{"Parent", parentText},
                       {"End", parentText + '\xff'},
                       {"Length", static_cast<int>(parentText.size()) + parentIndex.GetDigitSize()}});
            if (children->Step()) {
                hadChild = true;
                classType = children->GetInt("ClassType");
                iconKey = children->GetInt("Icon_Key");
                newIndex = TTreeIndex(children->GetText("TreeID"));
                newIndex.SetIndex(newIndex.GetIndex() + 1);
            } else {
                newIndex.SetDigit(parentIndex.Depth(), 0);
            }
        }

        const std::string className = name.empty() ? MakeNewName(TVktObjKind::Class) : name;
        Exec("insert into " + table + " values ( :ID, :TreeID, :ClassType, :Class, :Class2, :Icon_Key )",
             {{"ID", id},
              {"TreeID", newIndex.GetAsString()},
              {"ClassType", classType},
              {"Class", className},
              {"Class2", std::string(kNewClass2)},
              {"Icon_Key", iconKey}});
        // A first child takes over its parent's records: records stay in classes without sub-classes.
        if (!hadChild)
            Exec("update " + Tbl(TVktTable::TblData) + " set Class_Key = :ID where Class_Key = :Parent",
                 {{"ID", id}, {"Parent", parentId}});
        return id;
    });
}

int TVktFunctor::AddForm(std::int8_t classType, const std::string& name) {
    return Write(0, [&] {
        const int id = NextKey(TVktField::Units_ID);
        Exec("insert into " + Tbl(TVktTable::TblUnits) + " values ( :ID, 0, :Type, :Units, :Units2 )",
             {{"ID", id},
              {"Type", static_cast<int>(classType)},
              {"Units", name.empty() ? MakeNewName(TVktObjKind::Form) : name},
              {"Units2", std::string(kNewForm2)}});
        return id;
    });
}

int TVktFunctor::AddUnit(std::int8_t classType, const std::string& name) {
    return Write(0, [&] {
        const int id = NextKey(TVktField::Units_ID);
        Exec("insert into " + Tbl(TVktTable::TblUnits) + " values ( :ID, 1, :Type, :Units, :Units2 )",
             {{"ID", id},
              {"Type", static_cast<int>(classType)},
              {"Units", name.empty() ? MakeNewName(TVktObjKind::Unit) : name},
              {"Units2", StrToEuro(kNewUnit2)}});
        return id;
    });
}

int TVktFunctor::AddDealer(const std::string& name) {
    return Write(0, [&] {
        const int id = NextKey(TVktField::Dealer_ID);
        Exec("insert into " + Tbl(TVktTable::TblDealer) + " ( Dealer_ID, Company ) values ( :ID, :Company )",
             {{"ID", id}, {"Company", name.empty() ? MakeNewName(TVktObjKind::Dealer) : name}});
        return id;
    });
}

int TVktFunctor::AddAttrItem(const std::string& name) {
    return Write(0, [&] {
        const int id = NextKey(TVktField::AttrItem_ID);
        Exec("insert into " + Tbl(TVktTable::TblAttrItem) + " values ( :ID, :Attribute )",
             {{"ID", id}, {"Attribute", name.empty() ? MakeNewName(TVktObjKind::AttrItem) : name}});
        return id;
    });
}

int TVktFunctor::AddInvDate(std::uint8_t priceType, platform::TDateTime date) {
    return Write(0, [&] {
        const std::string table = Tbl(TVktTable::TblInvDate);
        const std::string monthEnd = platform::ToIsoDate(platform::EndOfMonth(date));
        const int existing = static_cast<int>(
            QueryInt("select InvDate_ID from " + table + " where InvDate = :Date", {{"Date", monthEnd}}));
        if (existing != 0) {
            Exec("update " + table + " set InvType = :Type where InvDate_ID = :ID",
                 {{"Type", static_cast<int>(priceType)}, {"ID", existing}});
            return existing;
        }
        const int id = NextKey(TVktField::InvDate_ID);
        Exec("insert into " + table + " values ( :ID, :Date, :Type )",
             {{"ID", id}, {"Date", monthEnd}, {"Type", static_cast<int>(priceType)}});
        return id;
    });
}

bool TVktFunctor::ChangeDataClass(int dataId, int classId) {
    ForgetBatchMemo();
    // Inside a batch's row it writes in the batch's savepoint (see MakeYHistory).
    return InBatchRow(false, [&] {
        // Only a record whose present class has the target's class type (0 for a class that is
        // not there) moves.
        static const std::string update =
            "update " + Tbl(TVktTable::TblData) + " set Class_Key = :Class, ChangeDate = :Now where ( Data_ID = :ID ) and "
            "( ( select ClassType from " + Tbl(TVktTable::TblClass) + " where Class_ID = Class_Key ) = "
            "coalesce( ( select ClassType from " + Tbl(TVktTable::TblClass) + " where Class_ID = :Class ), 0 ) )";
        Exec(update, {{"Class", classId}, {"Now", platform::ToIsoDateTime(platform::Now())}, {"ID", dataId}});
        return true;
    });
}
