#pragma once
// A fresh registry with the GUI shell services and helpers to make database folders in it.
#include "data/Mvkttables.h"
#include "database/Uvktapplication.h"
#include "platform/Files.h"
#include "shell/Ushellservices.h"
#include "support/ScriptedServices.h"

#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Counts the paint events of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

class ShellRegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        registry_ = std::make_unique<TVktApplication>();
        registry_->SetProductName("Vektara 2005");
        registry_->SetShellServices(std::make_unique<TShellServices>());
    }
    void TearDown() override { vkttest::Scripted().Reset(); }

    TVktApplication& Registry() { return *registry_; }

    // A new registered database in a fresh folder; its folder.
    std::string AddDatabase(const std::string& name)
    {
        const std::string folder = vkttest::NewTempFolder("db");
        EXPECT_TRUE(registry_->CreateDatabase(name, folder));
        return folder;
    }
    // A folder holding the current tables, registered nowhere.
    static std::string CurrentFolder()
    {
        const std::string folder = vkttest::NewTempFolder("cur");
        EXPECT_TRUE(GetVktTblFunctor().CreateTables(folder));
        return folder;
    }
    static bool HasDatabaseFile(const std::string& folder) { return platform::FileExists(folder + "/vektara.db"); }

    std::unique_ptr<TVktApplication> registry_;
};
