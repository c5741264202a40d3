#include "data/Uvktobjevent.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>

TVktObjEvent::~TVktObjEvent()
{
    Detach();
}

void TVktObjEvent::Detach()
{
    if (owner_)
        owner_->Take(this);
    owner_ = nullptr;
}

TVktObjEvents::~TVktObjEvents()
{
    for (TVktObjEvent* item : items_)
        item->owner_ = nullptr;
}

void TVktObjEvents::Add(TVktObjEvent* record)
{
    if (!record)
        return;
    record->Detach();   // never in two lists
    record->owner_ = this;
    items_.push_back(record);
}

TVktObjEvent* TVktObjEvents::GetItem(int index) const
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

int TVktObjEvents::IndexOf(const TVktObjEvent* record) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == record)
            return static_cast<int>(i);
    return -1;
}

void TVktObjEvents::Take(TVktObjEvent* record)
{
    auto it = std::find(items_.begin(), items_.end(), record);
    if (it != items_.end())
        items_.erase(it);
    record->owner_ = nullptr;
}

void TVktObjEvents::FireEach(const std::function<void(TVktObjEvent&)>& call)
{
    // The count is read afresh at every step: handlers may subscribe or leave.
    for (std::size_t i = 0; i < items_.size(); ++i)
        call(*items_[i]);
}

void TVktObjEvents::FireCurrent(TVktObject* sender)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnCurrent) e.OnCurrent(sender); });
}

void TVktObjEvents::FireRename(TVktObject* sender)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnRename) e.OnRename(sender); });
}

void TVktObjEvents::FireNotify(TVktObject* sender)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnNotify) e.OnNotify(sender); });
}

void TVktObjEvents::FireIconSetChange(TVktObject* sender)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnIconSetChange) e.OnIconSetChange(sender); });
}

void TVktObjEvents::FireFilterSetChange(TVktObject* sender)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnFilterSetChange) e.OnFilterSetChange(sender); });
}

void TVktObjEvents::FireViewFieldsChange(TVktObject* sender)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnViewFieldsChange) e.OnViewFieldsChange(sender); });
}

void TVktObjEvents::FireRecordsAdd(TVktObject* sender, TVktObjKind kind, const TPriorityItem& ids)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnRecordsAdd) e.OnRecordsAdd(sender, kind, ids); });
}

void TVktObjEvents::FireRecordsDelete(TVktObject* sender, TVktObjKind kind, const TPriorityItem& ids)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnRecordsDelete) e.OnRecordsDelete(sender, kind, ids); });
}

void TVktObjEvents::FireFieldChange(TVktObject* sender, TVktField field, const TPriorityItem& ids)
{
    FireEach([&](TVktObjEvent& e) { if (e.OnFieldChange) e.OnFieldChange(sender, field, ids); });
}

void TVktObjEvents::FireUntilEmpty(TVktObject* sender, TVktNotifyEvent TVktObjEvent::*handler)
{
    while (!items_.empty()) {
        TVktObjEvent* first = items_.front();
        if (first->*handler)
            (first->*handler)(sender);
        // A handler that did not leave would hold the loop forever: its record is detached.
        if (!items_.empty() && items_.front() == first)
            Take(first);
    }
}

void TVktObjEvents::FireClose(TVktObject* sender)
{
    FireUntilEmpty(sender, &TVktObjEvent::OnClose);
}

void TVktObjEvents::FireRelease(TVktObject* sender)
{
    FireUntilEmpty(sender, &TVktObjEvent::OnRelease);
}
