#include "shell/Mvktcommandmodule.h"

#include "gui/IconList.h"
#include "shell/Fvktpanel.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>

namespace {
TVktCommandModule* gModule = nullptr;
}

TVktCommandModule* VktCommandModule() { return gModule; }

TVktCommandModule* CreateVktCommandModule()
{
    if (!gModule) gModule = new TVktCommandModule(QCoreApplication::instance());
    return gModule;
}

TVktCommandModule::TVktCommandModule(QObject* parent) : QObject(parent)
{
    setObjectName("VktCommandModule");
    for (int i = 0; i < aActionCount; ++i) actions_[i] = new QAction(this);
    ActNewDataBase = actions_[aNewDataBase];
    ActAppendDataBase = actions_[aAppendDataBase];
    ActOpenDataBase = actions_[aOpenDataBase];
    ActCloseDataBase = actions_[aCloseDataBase];
    ActNewData = actions_[aNewData];
    ActEditData = actions_[aEditData];
    ActDeleteData = actions_[aDeleteData];
    ActReviveData = actions_[aReviveData];
    ActChangeDataClass = actions_[aChangeDataClass];
    ActAppendItem = actions_[aAppendItem];
    ActAppendInventory = actions_[aAppendInventory];
    ActChangeDataAttribute = actions_[aChangeDataAttribute];
    ActChangeDataProperty = actions_[aChangeDataProperty];
    ActDeleteInventory = actions_[aDeleteInventory];
    ActViewSelAll = actions_[aViewSelAll];
    ActViewSelRev = actions_[aViewSelRev];
    ActViewSelClear = actions_[aViewSelClear];
    ActShowPreviewProperty = actions_[aShowPreviewProperty];
    ActShowPrinterMargin = actions_[aShowPrinterMargin];
    ActPreviewPrint = actions_[aPreviewPrint];
    ActShowInventory = actions_[aShowInventory];
    ActShowPreview = actions_[aShowPreview];
    ActShowClassTree = actions_[aShowClassTree];
    ActShowClassBar = actions_[aShowClassBar];
    ActShowViewFieldDialog = actions_[aShowViewFieldDialog];
    ActShowCsvImportDialog = actions_[aShowCsvImportDialog];
    ActShowCreateInventoryListDialog = actions_[aShowCreateInventoryListDialog];
    ActShowOtherDataDialog = actions_[aShowOtherDataDialog];
    ActShowMHistToYHistDialog = actions_[aShowMHistToYHistDialog];
    ActSaveXml = actions_[aSaveXml];
    updateTimer_ = new QTimer(this);
}

TVktCommandModule::~TVktCommandModule()
{
    if (gModule == this) gModule = nullptr;
}

std::array<TActionRule, TVktCommandModule::aActionCount> TVktCommandModule::ActionRules(const TCommandState&)
{
    return {};
}
TCommandState TVktCommandModule::CurrentState() const { return {}; }
void TVktCommandModule::updateActions() {}
void TVktCommandModule::SetCurrentPanel(TVktPanel* panel) { currentPanel_ = panel; }
TVktObject* TVktCommandModule::GetValidObject() const { return nullptr; }
void TVktCommandModule::SwitchDatabase(const std::string&, bool) {}
QAction* TVktCommandModule::ActionByName(const std::string&) const { return nullptr; }
const platform::IconList& TVktCommandModule::GetImageList() const { return platform::ProgramIcons("commands"); }
const platform::IconList& TVktCommandModule::GetFilterIcons() const { return platform::ProgramIcons("filters"); }
void TVktCommandModule::WatchMenu(QMenu*) {}
