// The facade's batch loop runs its records together in one savepoint and, when one fails, again
// with a savepoint per record: whatever record fails, the database, the notices and the progress
// must be those of a savepoint per record from the start.
#include "FacadeFixture.h"

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"

namespace {

constexpr int kBeef = 4;

// The database object with its batch loop in reach.
class ReplayObject : public TVktObject {
public:
    using TVktObject::TVktObject;
    using TVktObject::SetOptimisticBatches;

    // One step per index: erases record `first + i`, then raises at `raiseAt`.
    bool EraseRaising(int first, int count, int raiseAt, const TVktProgressEvent& progress) {
        return RunBatchLoop(
            count, TVktBatchMode::Batch, 7, progress,
            [&](int i) {
                TVktBatchStep result;
                result.ok = BoundFunctor().EraseData(first + i);
                result.done = first + i;
                result.text = "erase " + std::to_string(first + i);
                if (i == raiseAt) throw std::runtime_error("step " + std::to_string(i));
                return result;
            },
            [&](const TPriorityItem& done) { DoFieldChange(TVktField::EraseDate, done); });
    }
};

// What one run left: the rows of the tables a batch writes, the notices and the progress calls.
struct Outcome {
    bool result = false;
    std::string error;
    std::string rows;
    std::vector<std::string> notices;
    std::vector<std::string> progress;

    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* out) {
    *out << "result " << o.result << " error '" << o.error << "' notices " << o.notices.size() << " progress "
         << o.progress.size() << "\n" << o.rows;
}

class BatchReplayTest : public DbFixture {
protected:
    // A fresh database with ten ingredients (1..10), the object on it.
    void Open() {
        object.reset();
        app.reset();
        TearDown();
        DbFixture::SetUp();
        CreateDefaults();
        for (int id = 1; id <= 10; ++id) {
            const std::string key = std::to_string(id);
            Add(vkttest::DataRow{.Data_ID = id, .Class_Key = kBeef, .Form_Key = 1, .Data = "R" + key,
                                 .UseUnit_Key = 5, .UsePrice = 250});
            Sql("insert into VktDB1K values (" + key + ", 5, 1000, 4, 100, 1)");
        }
        app = std::make_unique<TVktApplication>();
        ASSERT_TRUE(app->RegisterDatabase("Kitchen", folder));
        object = std::make_unique<ReplayObject>(app.get(), "Kitchen");
        object->AddRef();
        object->GetEvents().Add(&recorder);
    }
    void TearDown() override {
        recorder.Detach();
        if (object) object->Release();
        object.reset();
        app.reset();
        DbFixture::TearDown();
    }

    // Runs `batch` on a fresh database, with or without the optimistic first pass.
    template <class Batch>
    Outcome Run(bool optimistic, int stopAt, int raiseAt, Batch&& batch) {
        Open();
        Outcome outcome;
        RecordNotices(recorder, [&](TVktObject*, const std::string& text) { outcome.notices.push_back(text); });
        int calls = 0;
        const TVktProgressEvent progress = [&](TVktObject*, const std::string& text, bool& cont, int tag) {
            outcome.progress.push_back(text + "|" + std::to_string(cont) + "|" + std::to_string(tag));
            ++calls;
            if (calls == stopAt) cont = false;
            if (calls == raiseAt) throw std::runtime_error("progress " + std::to_string(calls));
        };
        object->SetOptimisticBatches(optimistic);
        try {
            outcome.result = batch(*object, progress);
        } catch (const std::exception& error) {
            outcome.error = error.what();
        }
        for (const char* table : {"VktDB1F", "VktDB1K", "VktDB1L", "VktDB1G"}) {
            platform::Statement rows(Db(), std::string("select * from ") + table + " order by 1, 2");
            while (rows.Step()) {
                std::string line = table;
                for (int c = 0; c < rows.ColumnCount(); ++c)
                    line += "|" + std::to_string(static_cast<int>(rows.GetStorageClass(c))) + ":" + rows.GetText(c);
                outcome.rows += line + "\n";
            }
        }
        return outcome;
    }

    std::unique_ptr<TVktApplication> app;
    std::unique_ptr<ReplayObject> object;
    TVktObjEvent recorder;
};

// Ingredient rows named and priced; the row at `failAt` has a cut-off UTF-8 name, which fails it
// after its food row is written.
std::string InsertRows(int count, int failAt) {
    std::string rows;
    for (int i = 0; i < count; ++i)
        rows += std::to_string(kBeef) + "," + (i == failAt ? std::string("ab\xC3") : "N" + std::to_string(i)) + "," +
                std::to_string(100 + i) + "\r\n";
    return rows;
}

TPriorityItem InsertFields() {
    TPriorityItem fields;
    fields << ToInt(TVktField::Class_Key) << ToInt(TVktField::Data) << ToInt(TVktField::BuyPrice);
    return fields;
}

TEST_F(BatchReplayTest, AFailingRecordAnywhereGivesWhatASavepointPerRecordGives) {
    std::mt19937 random(20240415);
    for (int trial = 0; trial < 12; ++trial) {
        constexpr int kRows = 25;
        const int failAt = static_cast<int>(random() % (kRows + 3));   // some trials fail no row
        const int stopAt = trial % 3 == 0 ? static_cast<int>(random() % kRows) + 1 : -1;
        SCOPED_TRACE("trial " + std::to_string(trial) + ": row " + std::to_string(failAt) + " fails, progress stops at " +
                     std::to_string(stopAt));
        const auto insert = [&](ReplayObject& o, const TVktProgressEvent& p) {
            return o.InsertData(TVktObjKind::Food, InsertRows(kRows, failAt), InsertFields(), 3, p);
        };
        const Outcome byRecord = Run(false, stopAt, -1, insert);
        const Outcome atOnce = Run(true, stopAt, -1, insert);
        EXPECT_EQ(atOnce, byRecord);
        if (failAt < kRows && (stopAt < 0 || failAt < stopAt)) {
            EXPECT_FALSE(byRecord.result);
            EXPECT_EQ(byRecord.progress.size(), static_cast<std::size_t>(failAt + 1)) << "once per record, the failed one too";
        }
        EXPECT_EQ(byRecord.rows.find("ab"), std::string::npos);
    }
}

TEST_F(BatchReplayTest, AStepOrACallbackThatRaisesGivesWhatASavepointPerRecordGives) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 12; ++trial) {
        const int raiseStep = trial % 2 == 0 ? static_cast<int>(random() % 8) : -1;
        const int raiseCall = trial % 2 == 1 ? static_cast<int>(random() % 8) + 1 : -1;
        SCOPED_TRACE("trial " + std::to_string(trial) + ": step " + std::to_string(raiseStep) + ", call " +
                     std::to_string(raiseCall));
        const auto erase = [&](ReplayObject& o, const TVktProgressEvent& p) {
            return o.EraseRaising(2, 8, raiseStep, p);
        };
        const Outcome byRecord = Run(false, -1, raiseCall, erase);
        const Outcome atOnce = Run(true, -1, raiseCall, erase);
        EXPECT_EQ(atOnce, byRecord);
        EXPECT_FALSE(byRecord.error.empty());
        // The record whose step raised is not erased; those before it are, and announced.
        const int erased = raiseStep >= 0 ? raiseStep : raiseCall;
        EXPECT_EQ(Int("select count(*) from VktDB1G"), erased);
        EXPECT_EQ(byRecord.notices.size(), erased > 0 ? 1u : 0u);
    }
}

} // namespace
