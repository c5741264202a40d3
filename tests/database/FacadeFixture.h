#pragma once
// Fixture of the database object's facade tests: the new-database content registered as "Kitchen"
// in an application of the test's own, and the object's record notices kept as texts
// ("add <kind>: <ids>", "delete <kind>: <ids>", "field <field>: <ids>"), each from that object.
#include "DbFixture.h"

#include <memory>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"

// Notice texts in the order they came.
using Notices = std::vector<std::string>;

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
        recorder.OnRecordsAdd = [this](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
            EXPECT_EQ(sender, object);
            Notice("add " + std::to_string(static_cast<int>(kind)) + ": " + ids.GetCommaText());
        };
        recorder.OnRecordsDelete = [this](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
            EXPECT_EQ(sender, object);
            Notice("delete " + std::to_string(static_cast<int>(kind)) + ": " + ids.GetCommaText());
        };
        recorder.OnFieldChange = [this](TVktObject* sender, TVktField field, TPriorityItem ids) {
            EXPECT_EQ(sender, object);
            Notice("field " + std::to_string(ToInt(field)) + ": " + ids.GetCommaText());
        };
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
