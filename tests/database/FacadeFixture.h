#pragma once
// Fixture of the database object's facade tests: the new-database content registered as "Kitchen"
// in an application of the test's own, and the object's record notices kept as texts
// ("add <kind>: <ids>", "delete <kind>: <ids>", "field <field>: <ids>"), each from that object.
#include "DbFixture.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"

// Notice texts in the order they came.
using Notices = std::vector<std::string>;

// Sets `recorder` to hand each record notice as its text, with the object that sent it, to `keep`.
inline void RecordNotices(TVktObjEvent& recorder,
                          const std::function<void(TVktObject* sender, const std::string& text)>& keep)
{
    recorder.OnRecordsAdd = [keep](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
        keep(sender, "add " + std::to_string(static_cast<int>(kind)) + ": " + ids.GetCommaText());
    };
    recorder.OnRecordsDelete = [keep](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
        keep(sender, "delete " + std::to_string(static_cast<int>(kind)) + ": " + ids.GetCommaText());
    };
    recorder.OnFieldChange = [keep](TVktObject* sender, TVktField field, TPriorityItem ids) {
        keep(sender, "field " + std::to_string(ToInt(field)) + ": " + ids.GetCommaText());
    };
}

class FacadeFixture : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
        notices.clear();   // a test may set up again
        app = std::make_unique<TVktApplication>();
        ASSERT_TRUE(app->RegisterDatabase("Kitchen", folder));
        object = app->GetObject("Kitchen");
        ASSERT_NE(object, nullptr);
        object->GetEvents().Add(&recorder);
        RecordNotices(recorder, [this](TVktObject* sender, const std::string& text) {
            EXPECT_EQ(sender, object);
            Notice(text);
        });
    }
    void TearDown() override {
        recorder.Detach();
        app.reset();
        DbFixture::TearDown();
    }

    // Keeps a notice's text.
    virtual void Notice(const std::string& text) { notices.push_back(text); }

    std::unique_ptr<TVktApplication> app;
    TVktObject* object = nullptr;
    TVktObjEvent recorder;
    Notices notices;
};
