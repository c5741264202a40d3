#pragma once
// A subscriber of a database object as the screens are: it owns one subscription record, holds one
// reference while bound, lets go on OnClose and OnRelease, and logs every notice it receives as a
// short text ("Current", "Rename", "FieldChange 52 1,2", ...).
#include <functional>
#include <string>
#include <vector>

#include "data/Uvktobjevent.h"
#include "database/Uvktobject.h"

class ObjSubscriber {
public:
    ObjSubscriber() {
        auto log = [this](const char* text) { return [this, text](TVktObject*) { Log(text); }; };
        record_.OnCurrent = log("Current");
        record_.OnRename = log("Rename");
        record_.OnNotify = log("Notify");
        record_.OnIconSetChange = log("IconSetChange");
        record_.OnFilterSetChange = log("FilterSetChange");
        record_.OnViewFieldsChange = log("ViewFieldsChange");
        record_.OnClose = [this](TVktObject*) {
            Log("Close");
            Bind(nullptr);
        };
        record_.OnRelease = [this](TVktObject*) {
            Log("Release");
            Bind(nullptr);
        };
        record_.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
            Log("RecordsAdd " + std::to_string(static_cast<int>(kind)) + " " + ids.GetCommaText());
        };
        record_.OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
            Log("RecordsDelete " + std::to_string(static_cast<int>(kind)) + " " + ids.GetCommaText());
        };
        record_.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
            Log("FieldChange " + std::to_string(static_cast<int>(field)) + " " + ids.GetCommaText());
        };
    }
    ~ObjSubscriber() { Bind(nullptr); }
    ObjSubscriber(const ObjSubscriber&) = delete;
    ObjSubscriber& operator=(const ObjSubscriber&) = delete;

    // Binds to the object (null: to none), releasing the previous one.
    void Bind(TVktObject* object) {
        record_.Detach();
        TVktObject* previous = object_;
        object_ = object;
        if (previous) previous->Release();
        if (object_) {
            object_->AddRef();
            object_->GetEvents().Add(&record_);
        }
    }
    TVktObject* Object() const { return object_; }
    bool IsSubscribed() const { return record_.GetOwner() != nullptr; }

    std::vector<std::string> log;
    // Called after each notice is logged.
    std::function<void(const std::string& text)> onNotice;

private:
    void Log(const std::string& text) {
        log.push_back(text);
        if (onNotice) onNotice(text);
    }

    TVktObjEvent record_;
    TVktObject* object_ = nullptr;
};
