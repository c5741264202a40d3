#pragma once
// The sample kitchen: a database the program makes at a user's first start, so that what it does
// is on the screen at once. It is made like any database (TVktApplication::CreateDatabase, then
// the database object's own operations: records inserted, items appended, uses typed, prices
// dated, memos and pictures stored, a stock-taking sheet and a user filter made), never copied
// from a file, so it always has the current schema, and every price is the price chain's own.
//
// Content (Uvktsamplekitchen.cpp holds it as tables): three dealers; about sixty ingredients with
// buy units, prices, quantities and yields and three earlier months of price history each;
// fifteen recipes, bases and sauces first, used as items by the dishes; three menus; rich-text
// memos; pictures read from the program's picture folder (JPEG and EMF files shipped with it; a
// missing file is left out); two attribute items with checks; a stock-taking sheet of this month
// with counts; one user filter.
#include <string>

class TVktApplication;
class TVktObject;

// The registry name of the sample kitchen.
inline constexpr const char* kSampleKitchenName = "サンプル";
// The picture files the sample uses, in the picture folder.
inline constexpr const char* kSamplePictureFiles[] = {"daurade.jpg", "tarte.jpg", "menu.emf"};

// Fills a database just made by CreateDatabase through its database object; pictures are read
// from `pictureFolder`. False at the first operation that fails (what was done before stays).
bool FillSampleKitchen(TVktObject& object, const std::string& pictureFolder);

// Makes the sample kitchen in a new folder below `dataFolder` ("Sample", or "Sample1", "Sample2",
// ... when that exists) and registers it as kSampleKitchenName. On failure nothing stays registered and the
// folder made is removed; false then (the registry has said why when it could not create the
// database). Raises nothing that the operations raise.
bool CreateSampleKitchen(TVktApplication& registry, const std::string& dataFolder, const std::string& pictureFolder);

// The first start: when the sample was never made for this user (`madeBefore` false) and no
// database is registered, makes it (CreateSampleKitchen) and returns true; otherwise does nothing
// and returns false. The caller remembers a true answer, so that a sample the cook deleted is
// never made again.
bool MakeSampleOnFirstStart(TVktApplication& registry, bool madeBefore, const std::string& dataFolder,
                            const std::string& pictureFolder);
