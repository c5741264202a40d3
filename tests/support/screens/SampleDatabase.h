#pragma once
// A small kitchen database for the screen tests and snapshots, made through the program's own
// database layer (TVktApplication::CreateDatabase) and filled through the database object:
// ingredients with Japanese and French names, buy and use units, yen prices, quantities and
// yields (use prices differ from buy prices), two costed recipes and a costed menu, three
// attribute items with checks, two user filters, two stock-taking months and one record in the
// trash. Made in a fresh temporary folder; the object lives as long as this builder.
#include "core/Priorityitem.h"

#include <memory>
#include <string>

class TVktApplication;
class TVktObject;

namespace vkttest {

class SampleDatabase {
public:
    // Classes of the new-database tree.
    static constexpr int kRoot = 1;
    static constexpr int kFoods = 2;
    static constexpr int kMeat = 3;
    static constexpr int kBeef = 4;
    static constexpr int kPork = 5;
    static constexpr int kChicken = 6;
    static constexpr int kFish = 9;
    static constexpr int kVegetables = 13;
    static constexpr int kVegetable = 14;
    static constexpr int kHerb = 15;
    static constexpr int kDairyDrink = 19;
    static constexpr int kDishes = 34;
    static constexpr int kSauce = 36;
    static constexpr int kMeatDish = 38;
    static constexpr int kBanquet = 44;
    static constexpr int kTrash = 47;

    // `filled` false: the new database as created, nothing added.
    explicit SampleDatabase(bool filled = true);
    ~SampleDatabase();
    SampleDatabase(const SampleDatabase&) = delete;
    SampleDatabase& operator=(const SampleDatabase&) = delete;

    TVktObject& Object() const { return *object_; }
    TVktApplication& Registry() const { return *registry_; }
    const std::string& Folder() const { return folder_; }

    // The id of the record named `name`; 0 when none.
    int Record(const std::string& name) const;
    // Attribute items "国産", "有機", "冷凍" and the stock-taking sheets (older, newer).
    int Domestic() const { return domestic_; }
    int Organic() const { return organic_; }
    int Frozen() const { return frozen_; }
    int OlderSheet() const { return olderSheet_; }
    int NewerSheet() const { return newerSheet_; }
    // User filters: 0 "高価な食材" (BuyPrice at least 1000), 1 "国産品" (Domestic checked).
    static constexpr int kExpensiveFilter = 0;
    static constexpr int kDomesticFilter = 1;

    // Adds `count` ingredients "食材N" to a class in one batch; their ids.
    TPriorityItem AddIngredients(int classId, int count);

private:
    int Add(int classId, const std::string& name, const std::string& french);

    std::unique_ptr<TVktApplication> registry_;
    TVktObject* object_ = nullptr;
    std::string folder_;
    int domestic_ = 0;
    int organic_ = 0;
    int frozen_ = 0;
    int olderSheet_ = 0;
    int newerSheet_ = 0;
};

} // namespace vkttest
