#include "data/Uvktobjevent.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

TVktObject* const kSender = nullptr;

struct Subscriber {
    explicit Subscriber(TVktObjEvents& list, std::vector<std::string>& log, std::string name)
        : record(std::make_unique<TVktObjEvent>()), name(std::move(name))
    {
        record->OnClose = [this, &log](TVktObject*) { log.push_back("close " + this->name); record->Detach(); };
        record->OnRelease = [this, &log](TVktObject*) { log.push_back("release " + this->name); record->Detach(); };
        list.Add(record.get());
    }
    std::unique_ptr<TVktObjEvent> record;
    std::string name;
};

TEST(ObjEvents, EmptyListFiresNothing)
{
    TVktObjEvents list;
    list.FireCurrent(kSender);
    list.FireClose(kSender);
    list.FireRecordsAdd(kSender, TVktObjKind::Data, TPriorityItem());
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ObjEvents, EveryHandlerGetsItsOwnCopyOfTheIds)
{
    TVktObjEvents list;
    std::vector<std::string> seen;
    TVktObjEvent a, b, silent;
    a.OnRecordsAdd = [&](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        seen.push_back(std::to_string(static_cast<int>(kind)) + ":" + ids.GetCommaText());
        ids << 99;
        ids.SetItem(0, -1);
    };
    b.OnRecordsAdd = a.OnRecordsAdd;
    list.Add(&a);
    list.Add(&silent);   // no handler: skipped
    list.Add(&b);
    TPriorityItem ids;
    ids << 3 << 5;
    list.FireRecordsAdd(kSender, TVktObjKind::Cook, ids);
    EXPECT_EQ(seen, (std::vector<std::string>{"8:3,5", "8:3,5"}));
    EXPECT_EQ(ids.GetCommaText(), "3,5");
}

TEST(ObjEvents, FieldChangeCarriesTheField)
{
    TVktObjEvents list;
    TVktObjEvent a;
    TVktField got = TVktField::None;
    a.OnFieldChange = [&](TVktObject*, TVktField field, TPriorityItem) { got = field; };
    list.Add(&a);
    list.FireFieldChange(kSender, TVktField::EraseDate, TPriorityItem());
    EXPECT_EQ(got, TVktField::EraseDate);
}

TEST(ObjEvents, CloseLoopCallsTheFirstRecordUntilEmpty)
{
    TVktObjEvents list;
    std::vector<std::string> log;
    Subscriber s1(list, log, "1"), s2(list, log, "2"), s3(list, log, "3");
    list.FireClose(kSender);
    EXPECT_EQ(log, (std::vector<std::string>{"close 1", "close 2", "close 3"}));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(s2.record->GetOwner(), nullptr);
}

TEST(ObjEvents, CloseLoopEndsWhenAHandlerStays)
{
    TVktObjEvents list;
    TVktObjEvent stubborn, empty;
    int calls = 0;
    stubborn.OnRelease = [&](TVktObject*) { ++calls; };
    list.Add(&stubborn);
    list.Add(&empty);
    list.FireRelease(kSender);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(stubborn.GetOwner(), nullptr);
}

TEST(ObjEvents, LeavingDuringOrdinaryFiringSkipsTheNext)
{
    TVktObjEvents list;
    TVktObjEvent a, b, c;
    std::string order;
    a.OnCurrent = [&](TVktObject*) { order += "a"; a.Detach(); };
    b.OnCurrent = [&](TVktObject*) { order += "b"; };
    c.OnCurrent = [&](TVktObject*) { order += "c"; };
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);
    list.FireCurrent(kSender);
    EXPECT_EQ(order, "ac");
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(ObjEvents, SubscribingDuringFiringIsReachedInTheSamePass)
{
    TVktObjEvents list;
    TVktObjEvent a, late;
    std::string order;
    a.OnRename = [&](TVktObject*) { order += "a"; list.Add(&late); };
    late.OnRename = [&](TVktObject*) { order += "l"; };
    list.Add(&a);
    list.FireRename(kSender);
    EXPECT_EQ(order, "al");
}

TEST(ObjEvents, DetachAndRemoveOfAnUnsubscribedRecord)
{
    TVktObjEvent record;
    record.Detach();
    record.Remove();
    EXPECT_EQ(record.GetOwner(), nullptr);
}

TEST(ObjEvents, RecordMovesBetweenListsAndLeavesOnDestruction)
{
    TVktObjEvents first, second;
    auto record = std::make_unique<TVktObjEvent>();
    first.Add(record.get());
    second.Add(record.get());
    EXPECT_EQ(first.GetCount(), 0);
    EXPECT_EQ(record->GetOwner(), &second);
    record.reset();
    EXPECT_EQ(second.GetCount(), 0);
}

TEST(ObjEvents, ListDestructorClearsTheOwnerOfItsRecords)
{
    TVktObjEvent record;
    {
        TVktObjEvents list;
        list.Add(&record);
        EXPECT_EQ(record.GetOwner(), &list);
    }
    EXPECT_EQ(record.GetOwner(), nullptr);
    record.Detach();   // must not touch the freed list
}

} // namespace
