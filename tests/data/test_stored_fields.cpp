// Stored column layouts and filters keep only the fields the select builder can list for their
// base table, and every field they keep prepares there.
#include "SqlFixture.h"

#include <string>
#include <vector>

#include "data/Uviewfieldstruct.h"
#include "data/Vkttabledefine.h"
#include "platform/Xml.h"

namespace {

using F = TVktField;
using T = TVktTable;

// An element whose children name every field of the schema, as a stored layout or filter could.
platform::XmlNode EveryFieldElement(platform::XmlDocument& document, const char* element, const char* child) {
    platform::XmlNode root = document.CreateDocumentElement(element);
    for (int f = 1; f < VktFieldCount; ++f) {
        platform::XmlNode node = root.AddChild(child);
        node.SetAttribute("Name", GetFieldName(ToVktField(f)));
        node.SetAttribute("Order", "1");
        node.SetAttribute("Width", "50");
        node.AddChild("Logic").SetAttribute("Type", "9");   // is empty
    }
    return root;
}

class StoredFieldsTest : public SqlFixture {
protected:
    // The failures of preparing (and running) each statement.
    std::vector<std::string> failures;
    void Try(const std::string& sql, const TFilterObject* filter = nullptr, T base = T::None) {
        try {
            platform::Statement statement(db, sql);
            if (filter) SetFilterParams(*filter, statement, base);
            statement.Step();
        } catch (const platform::Error& e) {
            failures.push_back(e.what());
        }
    }
};

TEST_F(StoredFieldsTest, EveryFieldOfAStoredLayoutPreparesOnItsBase) {
    for (const T base : {T::TblData, T::TblItem, T::TblInventory}) {
        platform::XmlDocument document;
        TViewFieldStruct layout;
        layout.LoadFromXml(EveryFieldElement(document, "ViewFields", "ViewField"), base);
        const TPriorityItem& names = layout.GetName();
        ASSERT_GT(names.GetCount(), 20);
        for (int i = 0; i < names.GetCount(); ++i) {
            TPriorityItem fields, orders;
            fields << names.GetItem(i);
            orders << 1;
            Try(VktSQLString(base, fields, orders, TFilterObject()));
        }
        Try(VktSQLString(base, names, layout.GetOrder(), TFilterObject()));   // all at once
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first:\n" << failures.front();
}

TEST_F(StoredFieldsTest, EveryFieldOfAStoredFilterPreparesOnEveryRecordBase) {
    platform::XmlDocument document;
    TFilterObject filter;
    filter.LoadFromXml(EveryFieldElement(document, "Filter", "Field"));
    ASSERT_GT(filter.GetCount(), 20);
    for (const T base : {T::TblData, T::TblItem, T::TblInventory})
        for (int i = 0; i < filter.GetCount(); ++i) {
            TFilterObject one;
            one.SetFilters(filter.Filters(i));
            Try(VktSQLString(base, TPriorityItem(), TPriorityItem(), one), &one, base);
        }
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first:\n" << failures.front();
}

TEST_F(StoredFieldsTest, AFilterOfASavedQueryOnAnotherTableKeepsOnlyThatTablesFields) {
    TFilterObject filter;
    filter.Add(F::Data, 6, platform::Variant("a"), platform::Variant());
    filter.Add(F::Company, 6, platform::Variant("b"), platform::Variant());
    TPriorityItem fields;
    fields << ToInt(F::Company);
    const std::string sql = VktSQLString(T::TblDealer, fields, TPriorityItem(), filter);
    EXPECT_EQ(sql.find("Data"), std::string::npos);
    Try(sql, &filter, T::TblDealer);
    EXPECT_TRUE(failures.empty()) << failures.front();
}

} // namespace

