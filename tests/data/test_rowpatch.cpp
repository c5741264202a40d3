#include "data/Uvktrowpatch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "LinkFixture.h"

namespace {

using F = TVktField;
using platform::Variant;

// Five records; the listing holds records 1-4 (a Data_ID filter), Data_ID, Data and Data2.
class RowPatchTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        for (int id = 1; id <= 5; ++id) {
            const char letter = static_cast<char>('a' + id - 1);
            Add(vkttest::DataRow{.Data_ID = id, .Conserve = {}, .InvItem = {}, .Data = std::string(1, letter),
                                 .Data2 = std::string(1, static_cast<char>(letter - 'a' + 'A'))});
        }
        for (int id = 1; id <= 4; ++id) base.Add(F::Data_ID, foEqual, Variant(id), {});
        base.Add(F::Data, foIsNotEmpty, {}, {});
        listing = std::make_unique<TVktAccesser>(link.get());
        listing->BeginUpdate();
        listing->SetTable(TVktTable::TblData);
        listing->SetFields(TPriorityItem() << ToInt(F::Data_ID) << ToInt(F::Data) << ToInt(F::Data2));
        listing->SetOrder(TPriorityItem() << 1 << 0 << 0);
        listing->SetFilter(base);
        listing->EndUpdate();
        ASSERT_EQ(listing->GetRowCount(), 4);
        rowOf = [this](int id) { return listing->FindRow(F::Data_ID, Variant(id)); };
    }
    void TearDown() override {
        listing.reset();   // before the database it is bound to
        LinkFixture::TearDown();
    }

    std::string Cached(TVktField field) {
        std::string out;
        for (int row = 0; row < listing->GetRowCount(); ++row) {
            listing->SetRowIndex(row);
            out += (row ? "|" : "") + listing->GetText(field);
        }
        return out;
    }

    TFilterObject base;
    std::unique_ptr<TVktAccesser> listing;
    TRowOfId rowOf;
};

TEST_F(RowPatchTest, FilterNamesOnlyListedRecordsAndKeepsOtherConditions) {
    const struct {
        std::vector<int> ids;
        std::vector<int> expected;   // Data_ID conditions; empty: no patch at all
    } cases[] = {
        {{2}, {2}}, {{3, 9, 1}, {3, 1}}, {{5, 9}, {}}, {{}, {}},
    };
    for (const auto& c : cases) {
        TPriorityItem ids;
        for (int id : c.ids) ids << id;
        const std::optional<TFilterObject> filter = ListedRecordsFilter(base, ids, rowOf);
        ASSERT_EQ(filter.has_value(), !c.expected.empty()) << c.ids.size();
        if (!filter) continue;
        ASSERT_GE(filter->IndexOf(F::Data), 0);
        const TFilters& named = filter->Filters(filter->IndexOf(F::Data_ID));
        ASSERT_EQ(named.GetCount(), static_cast<int>(c.expected.size()));
        for (int i = 0; i < named.GetCount(); ++i) EXPECT_EQ(named.GetBegin(i), Variant(c.expected[i]));
    }
}

TEST_F(RowPatchTest, PatchOverwritesTheCopiedFieldsOfTheNamedRowsOnly) {
    Sql("update VktDB1F set Data = Data || '2', Data2 = Data2 || '2'");
    const std::optional<TFilterObject> filter = ListedRecordsFilter(base, TPriorityItem() << 2 << 5, rowOf);
    ASSERT_TRUE(filter);
    const int patched = PatchListedRows(*listing, rowOf, TVktTable::TblData, TPriorityItem() << ToInt(F::Data),
                                        TPriorityItem() << ToInt(F::Data), *filter);
    EXPECT_EQ(patched, 1);
    EXPECT_EQ(Cached(F::Data), "a|b2|c|d");   // the base's Data_ID alternatives do not widen the patch
    EXPECT_EQ(Cached(F::Data2), "A|B|C|D");
    EXPECT_EQ(Cached(F::Data_ID), "1|2|3|4");
}

TEST_F(RowPatchTest, PatchOfEveryListedRowLeavesUnlistedRecordsOut) {
    Sql("update VktDB1F set Data2 = lower(Data2)");
    TFilterObject all;
    all.Add(F::Data, foIsNotEmpty, {}, {});
    const int patched = PatchListedRows(*listing, rowOf, TVktTable::TblData, TPriorityItem() << ToInt(F::Data2),
                                        TPriorityItem() << ToInt(F::Data2), all);
    EXPECT_EQ(patched, 4);
    EXPECT_EQ(Cached(F::Data2), "a|b|c|d");
}

} // namespace
