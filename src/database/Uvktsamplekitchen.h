#pragma once
// The sample kitchen: a database the program makes at a user's first start, so that what it does
// is on the screen at once. It is made like any database (TVktApplication::CreateDatabase, then
// the database object's own operations: records inserted, items appended, uses typed, prices
// dated, memos and pictures stored, a stock-taking sheet and a user filter made), never copied
// from a file, so it always has the current schema, and every price is the price chain's own.
//
// Content (Uvktsamplekitchen.cpp holds it as tables): three dealers; about sixty ingredients with
// buy units, prices, quantities and yields and a year of price history each (three months
// monthly, the rest folded into the yearly history);
// fifteen recipes, bases and sauces first, used as items by the dishes; three menus; rich-text
// memos; pictures read from the program's picture folder (JPEG and EMF files shipped with it; a
// missing file is left out); two attribute items with checks; a stock-taking sheet of this month
// with counts; one user filter.
#include <functional>
#include <string>

class TVktApplication;
class TVktObject;
class TVktShellServices;

// The registry name of the sample kitchen.
inline constexpr const char* kSampleKitchenName = "サンプル";
// The picture files the sample uses, in the picture folder.
inline constexpr const char* kSamplePictureFiles[] = {"daurade.jpg", "tarte.jpg", "menu.emf"};

// Fills a database just made by CreateDatabase through its database object; pictures are read
// from `pictureFolder`, memos written by the shell's rich-text writer (`writer`), prices those of
// the costing rule. Its write-ahead log is checkpointed and kept short as it goes, so that a
// nearly full disk holds the making. False at the first operation that fails (what was done
// before stays).
bool FillSampleKitchen(TVktObject& object, const std::string& pictureFolder, const TVktShellServices& writer);

// Makes the sample kitchen whole or not at all: in a folder of its own beside its place
// (`dataFolder`/.sample-making) through a private registry, then renamed into place ("Sample", or
// "Sample1", "Sample2", ... when that exists) and registered as kSampleKitchenName. A kill at any
// moment leaves the unlisted making folder, which the next call removes, or a whole sample. On
// failure nothing stays and the registry's shell is told once, with the cause (a full disk, a
// folder that cannot be written); false then. False without a word when kSampleKitchenName is
// registered already. Raises nothing that the operations raise.
bool CreateSampleKitchen(TVktApplication& registry, const std::string& dataFolder, const std::string& pictureFolder);

// What a user's settings remember of the sample.
enum class TSampleRecord { None, Made, Failed };

// The shell's memory of the sample; read and written while the data folder's lock is held.
struct TSampleMemory {
    std::function<TSampleRecord()> Read;
    std::function<void(TSampleRecord)> Write;
};

// The first start: when no database is registered, takes the data folder's lock (two first starts
// at once make one sample) and, when the memory says the sample was never tried, makes it
// (CreateSampleKitchen) and remembers the outcome, a failure too (it is said once, not at every
// start). A whole sample found unlisted (the end of a start that was killed, or of another start
// that made it meanwhile) is registered instead of made again. True when the sample is
// registered by this call.
bool MakeSampleOnFirstStart(TVktApplication& registry, const TSampleMemory& memory, const std::string& dataFolder,
                            const std::string& pictureFolder);
