#pragma once
// Fixture of the registry tests: a temporary root for database folders, an application of the
// test's own answering through the fake shell, and the clock fixed at 2024-03-15 10:20:30.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "FakeShell.h"
#include "database/Uvktapplication.h"
#include "platform/DateTime.h"
#include "support/TempFolder.h"

class RegistryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root = temp.Make("vktreg");
        platform::SetFixedNow(platform::EncodeDateTime(2024, 3, 15, 10, 20, 30));
        registry = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*registry);
    }
    void TearDown() override {
        registry.reset();
        platform::SetClock({});
        temp.Remove();
    }

    // A new empty folder under the root.
    std::string Folder(const std::string& name) {
        const std::string folder = root + "/" + name;
        std::filesystem::create_directories(folder);
        return folder;
    }

    vkttest::TempFolder temp;
    std::string root;
    std::unique_ptr<TVktApplication> registry;
    FakeShell* shell = nullptr;
};
