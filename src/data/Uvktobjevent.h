#pragma once
// Change notification: the subscription record of one subscriber (TVktObjEvent), the subscriber
// list of one open database (TVktObjEvents), and the small interface of an open database that
// subscribers in this layer (read accessors) need. TVktObject (database layer) implements it.
#include "core/Priorityitem.h"
#include "data/Vkttabledefine.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TVktObject;
class TVktObjEvents;

// Record kinds of add and delete notices and of new-record naming.
enum class TVktObjKind : std::uint8_t {
    Class = 0,
    Form = 1,
    Unit = 2,
    Dealer = 3,
    AttrItem = 4,
    InvDate = 5,
    Data = 6,
    Food = 7,
    Cook = 8,
    Menu = 9,
    RecipeItem = 10,
    Inventory = 11,
};

constexpr int ToInt(TVktObjKind kind) { return static_cast<int>(kind); }
// The ClassType of the classes of a record family (ctFood, ctCook, ctMenu): its kind's
// distance from Data.
constexpr int FamilyClassType(int family) { return family - ToInt(TVktObjKind::Data); }

using TVktNotifyEvent = std::function<void(TVktObject* sender)>;
using TVktRecordsEvent = std::function<void(TVktObject* sender, TVktObjKind kind, TPriorityItem ids)>;
using TVktFieldEvent = std::function<void(TVktObject* sender, TVktField field, TPriorityItem ids)>;

// One subscription, owned by its subscriber for the subscriber's whole life. It is in at most one
// list at a time; the list refers to it and never frees it, and a record that is destroyed while
// subscribed takes itself out first, so a list never holds a dangling record.
class TVktObjEvent {
public:
    TVktObjEvent() = default;
    TVktObjEvent(const TVktObjEvent&) = delete;
    TVktObjEvent& operator=(const TVktObjEvent&) = delete;
    virtual ~TVktObjEvent();

    // Takes the record out of its list; always clears the owning list.
    void Detach();
    // Same as Detach: the subscriber frees its record itself.
    void Remove() { Detach(); }
    TVktObjEvents* GetOwner() const { return owner_; }

    TVktNotifyEvent OnCurrent;
    TVktNotifyEvent OnClose;
    TVktNotifyEvent OnRelease;
    TVktNotifyEvent OnRename;
    TVktNotifyEvent OnNotify;
    TVktNotifyEvent OnIconSetChange;
    TVktNotifyEvent OnFilterSetChange;
    TVktNotifyEvent OnViewFieldsChange;
    TVktRecordsEvent OnRecordsAdd;
    TVktRecordsEvent OnRecordsDelete;
    TVktFieldEvent OnFieldChange;

private:
    friend class TVktObjEvents;
    TVktObjEvents* owner_ = nullptr;
};

// The subscriptions of one database object, in subscription order.
class TVktObjEvents {
public:
    TVktObjEvents() = default;
    TVktObjEvents(const TVktObjEvents&) = delete;
    TVktObjEvents& operator=(const TVktObjEvents&) = delete;
    // Clears the owning list of every record still in it.
    ~TVktObjEvents();

    // Appends the record (taking it out of any other list first).
    void Add(TVktObjEvent* record);
    int GetCount() const { return static_cast<int>(items_.size()); }
    // Record i; raises platform::ListIndexError outside 0 .. Count-1.
    TVktObjEvent* GetItem(int index) const;
    int IndexOf(const TVktObjEvent* record) const;

    // Ordinary firing: every record's callback in turn, the count read afresh at each step.
    void FireCurrent(TVktObject* sender);
    void FireRename(TVktObject* sender);
    void FireNotify(TVktObject* sender);
    void FireIconSetChange(TVktObject* sender);
    void FireFilterSetChange(TVktObject* sender);
    void FireViewFieldsChange(TVktObject* sender);
    // Each handler gets its own copy of the ids.
    void FireRecordsAdd(TVktObject* sender, TVktObjKind kind, const TPriorityItem& ids);
    void FireRecordsDelete(TVktObject* sender, TVktObjKind kind, const TPriorityItem& ids);
    void FireFieldChange(TVktObject* sender, TVktField field, const TPriorityItem& ids);

    // Close and release firing: calls the first record until the list is empty. Each handler must
    // take its record out; a record still first after its call is detached so the loop always ends.
    void FireClose(TVktObject* sender);
    void FireRelease(TVktObject* sender);

private:
    friend class TVktObjEvent;
    void Take(TVktObjEvent* record);
    void FireEach(const std::function<void(TVktObjEvent&)>& call);
    void FireUntilEmpty(TVktObject* sender, TVktNotifyEvent TVktObjEvent::*handler);

    std::vector<TVktObjEvent*> items_;
};

// What a subscriber of this layer needs of an open database. TVktObject implements it.
class TVktObjectLink {
public:
    virtual ~TVktObjectLink() = default;
    virtual void AddRef() = 0;
    virtual void Release() = 0;
    // False while the object is destroyed, during a batch, or when a table file is missing.
    virtual bool IsValid() = 0;
    // The database folder.
    virtual std::string GetPath() const = 0;
    virtual TVktObjEvents& GetEvents() = 0;
    // The object as the sender of its notices.
    virtual TVktObject* GetSender() = 0;
};
