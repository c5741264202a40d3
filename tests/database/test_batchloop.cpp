// The facade's batch loops when the progress callback raises: the records done before the raise
// stay committed and are announced before the exception reaches the caller.
#include "FacadeFixture.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "support/Ids.h"

namespace {

constexpr int kBeef = 4;
constexpr int kPork = 5;

using vkttest::Ids;

class BatchRaiseTest : public FacadeFixture {
protected:
    void SetUp() override {
        FacadeFixture::SetUp();
        validAtNotice.clear();
        calls = 0;
        for (int id = 1; id <= 3; ++id) {
            const std::string key = std::to_string(id);
            Add(vkttest::DataRow{.Data_ID = id, .Class_Key = kBeef, .Form_Key = 1, .Data = "R" + key,
                                 .UseUnit_Key = 5, .UsePrice = 250});
            Sql("insert into VktDB1K values (" + key + ", 5, 1000, 4, 100, 1)");
        }
    }

    void Notice(const std::string& text) override {
        notices.push_back(text);
        validAtNotice.push_back(object->IsValid());
    }
    // Raises from the `raiseAt`-th call.
    TVktProgressEvent RaisingAt(int raiseAt) {
        return [this, raiseAt](TVktObject*, const std::string&, bool&, int) {
            if (++calls == raiseAt) throw std::runtime_error("stopped");
        };
    }

    std::vector<bool> validAtNotice;
    int calls = 0;
};

struct RaiseCase {
    const char* name;
    std::function<void(TVktObject&, const TVktProgressEvent&)> run;
    // What the database holds afterwards and what was announced, the callback raising at call 2.
    const char* query;
    const char* rows;
    Notices notices;
};

TEST_F(BatchRaiseTest, TheRecordsDoneBeforeARaiseAreKeptAndAnnounced) {
    const RaiseCase cases[] = {
        {"erase", [](TVktObject& o, const TVktProgressEvent& p) { o.EraseData(0, Ids({1, 2, 3}), p); },
         "select group_concat(Erase_Key) from VktDB1G", "1,2", {"field 52: 1,2"}},
        {"class", [](TVktObject& o, const TVktProgressEvent& p) { o.ChangeDataClass(kPork, 0, Ids({3, 2, 1}), p); },
         "select group_concat(Data_ID) from VktDB1F where Class_Key = 5", "2,3", {"field 43: 3,2"}},
        {"insert",
         [](TVktObject& o, const TVktProgressEvent& p) {
             o.InsertData(TVktObjKind::Food, "A\r\nB\r\nC", Ids({ToInt(TVktField::Data)}), 0, p);
         },
         "select group_concat(Data) from VktDB1F where Data_ID > 3", "A,B", {"add 7: 4,5"}},
        {"sheet (no batch flag)",
         [](TVktObject& o, const TVktProgressEvent& p) { o.SetInventoryEntries(1, 0, Ids({1, 2, 3}), p); },
         "select group_concat(Inventory_Key) from VktDB1Q", "1,2", {"add 11: 1,2"}},
    };
    for (const RaiseCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Sql("insert into VktDB1E values (1, '2024-02-29', 0)");
        EXPECT_THROW(c.run(*object, RaisingAt(2)), std::runtime_error);
        EXPECT_EQ(Text(c.query), c.rows);
        EXPECT_EQ(notices, c.notices);
        EXPECT_EQ(validAtNotice, std::vector<bool>(c.notices.size(), true)) << "the batch flag is cleared first";
        EXPECT_TRUE(object->IsValid());
    }
}

} // namespace
