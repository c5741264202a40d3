#include "shell/Mvktcommandmodule.h"

#include "database/Mvktxml.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "dialogs/Fappendinventorydialog.h"
#include "dialogs/Fattributechangedialog.h"
#include "dialogs/Fclasschangedialog.h"
#include "dialogs/Fcsvconvertor.h"
#include "dialogs/Fdatapropertychangedialog.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Ffieldselectdialog.h"
#include "dialogs/Finventorydialog.h"
#include "dialogs/Fmhisttoyhistdialog.h"
#include "dialogs/Fothereditdialog.h"
#include "gui/Application.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "layout/Preview.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Finvdatebar.h"
#include "screens/Finventoryview.h"
#include "reports/Fprintexecutedlg.h"
#include "reports/Fvktpreview.h"
#include "shell/Fdatabasedialog.h"
#include "shell/Fvktpanel.h"
#include "widgets/Mvktmodule.h"
#include "widgets/Uprintersupport.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Binds the panel, and the window holding it with it (a form binds its panels), so that the
// window's caption names the database.
void BindPanel(TVktPanel& panel, TVktObject* object)
{
    if (auto* form = dynamic_cast<TVktForm*>(panel.GetPanelOwner())) form->SetDataObject(object);
    else panel.SetVktObject(object);
}

TVktCommandModule* gModule = nullptr;

constexpr const char* kConfirm = "確認";

// The batch dialog of the panel's database, its auto-close flag set.
TExecuteDialog* Batch(TVktObject* object, bool autoClose)
{
    TExecuteDialog* dialog = ExecuteDlg(object);
    dialog->SetAutoClose(autoClose);
    return dialog;
}

// Shift skips the question; false when the user refused it.
bool AskUnlessShift(const char* question, bool& shift)
{
    shift = platform::Services().ShiftDown();
    return shift || platform::AskYesNo(question, kConfirm, true);
}

TDataListView* RecordList(const TVktPanel* panel)
{
    return panel && panel->GetDataViewer() ? panel->GetDataViewer()->GetDataView()->GetDataListView() : nullptr;
}

} // namespace

TVktCommandModule* VktCommandModule() { return gModule; }

TVktCommandModule* CreateVktCommandModule()
{
    if (!gModule) gModule = new TVktCommandModule(QCoreApplication::instance());
    return gModule;
}

TVktCommandModule::TVktCommandModule(QObject* parent) : QObject(parent)
{
    setObjectName("VktCommandModule");
    using M = TVktCommandModule;
    // clang-format off
    ActNewDataBase = MakeAction(aNewDataBase, "ActNewDataBase", "新規データベース作成...",
        "新規データベース作成...|新しい空のデータベースを作成します。", 0, false, &M::ActNewDataBaseExecute);
    ActAppendDataBase = MakeAction(aAppendDataBase, "ActAppendDataBase", "データベース登録...",
        "データベース登録...|登録されていないデータベースを再登録します。", 27, false, &M::ActAppendDataBaseExecute);
    ActOpenDataBase = MakeAction(aOpenDataBase, "ActOpenDataBase", "データベースを開く...",
        "データベースを開く...|データベースを開きます。", 25, false, &M::ActOpenDataBaseExecute);
    ActCloseDataBase = MakeAction(aCloseDataBase, "ActCloseDataBase", "データベースを閉じる",
        "データベースを閉じる|現在開いているデータベースを閉じます。", 26, false, &M::ActCloseDataBaseExecute);
    ActNewData = MakeAction(aNewData, "ActNewData", "新規データ作成",
        "新規データ作成|選択されている分類にデータを新規作成します。", 7, false, &M::ActNewDataExecute);
    ActEditData = MakeAction(aEditData, "ActEditData", "データ編集",
        "データ編集|データビューで選択されているデータを編集します。", 35, true, &M::ActEditDataExecute);
    ActDeleteData = MakeAction(aDeleteData, "ActDeleteData", "データ削除...",
        "データ削除|データビューで選択されているデータを削除します。", 8, false, &M::ActDeleteDataExecute);
    ActReviveData = MakeAction(aReviveData, "ActReviveData", "データ復帰",
        "データ復帰|データビューで選択されているデータをゴミ箱から復帰します。", 11, false, &M::ActReviveDataExecute);
    ActChangeDataClass = MakeAction(aChangeDataClass, "ActChangeDataClass", "データの分類変更...",
        "分類変更...|データビューで選択されているデータの分類を変更します。", 30, false, &M::ActChangeDataClassExecute);
    ActAppendItem = MakeAction(aAppendItem, "ActAppendItem", "材料追加",
        "材料追加|選択されているデータをエディタの材料に追加します。", 28, false, &M::ActAppendItemExecute);
    ActAppendInventory = MakeAction(aAppendInventory, "ActAppendInventory", "棚卸し表に追加...",
        "棚卸し表に追加|選択中のデータを棚卸し表に追加します。", 51, false, &M::ActAppendInventoryExecute);
    ActChangeDataAttribute = MakeAction(aChangeDataAttribute, "ActChangeDataAttribute", "データの属性変更...",
        "属性変更...|データビューで選択されているデータの属性を変更します。", 50, false,
        &M::ActChangeDataAttributeExecute);
    ActChangeDataProperty = MakeAction(aChangeDataProperty, "ActChangeDataProperty", "データ項目一括変換...",
        "項目一括変換...|データビューで選択されているデータの項目を一括して変換します。", 30, false,
        &M::ActChangeDataPropertyExecute);
    ActDeleteInventory = MakeAction(aDeleteInventory, "ActDeleteInventory", "棚卸し表から削除",
        "棚卸し表から削除|選択中のデータを棚卸し表から削除します。", 8, false, &M::ActDeleteInventoryExecute);
    ActViewSelAll = MakeAction(aViewSelAll, "ActViewSelAll", "すべて選択",
        "すべて選択|データビューのデータを全て選択します。", -1, false, &M::ActViewSelAllExecute);
    ActViewSelRev = MakeAction(aViewSelRev, "ActViewSelRev", "選択の切り替え",
        "選択の切り替え|データビューの選択を切り替えます。", -1, false, &M::ActViewSelRevExecute);
    ActViewSelClear = MakeAction(aViewSelClear, "ActViewSelClear", "選択の解除",
        "選択の解除|データビューの選択を解除します。", -1, false, &M::ActViewSelClearExecute);
    ActShowPreviewProperty = MakeAction(aShowPreviewProperty, "ActShowPreviewProperty", "印刷プレビューの設定",
        "印刷プレビューの設定|印刷プレビューの設定表示を切り替えます。", 35, true,
        &M::ActShowPreviewPropertyExecute);
    ActShowPrinterMargin = MakeAction(aShowPrinterMargin, "ActShowPrinterMargin", "印刷可能範囲の表示",
        "印刷可能範囲の表示|印刷可能範囲の表示を切り替えます。", 34, true, &M::ActShowPrinterMarginExecute);
    ActPreviewPrint = MakeAction(aPreviewPrint, "ActPreviewPrint", "プリントアウト...",
        "プリントアウト...|プレビュー表示を印刷します。", 3, false, &M::ActPreviewPrintExecute);
    ActShowInventory = MakeAction(aShowInventory, "ActShowInventory", "棚卸し表示",
        "棚卸し表示|棚卸し表を表示します", 29, true, &M::ActShowInventoryExecute);
    ActShowPreview = MakeAction(aShowPreview, "ActShowPreview", "印刷プレビュー",
        "印刷プレビュー|印刷プレビューを表示します", 33, true, &M::ActShowPreviewExecute);
    ActShowClassTree = MakeAction(aShowClassTree, "ActShowClassTree", "クラスツリー表示",
        "クラスツリー表示", 31, true, &M::ActShowClassTreeExecute);
    ActShowClassBar = MakeAction(aShowClassBar, "ActShowClassBar", "クラスバー表示",
        "クラスバー表示", 32, true, &M::ActShowClassBarExecute);
    ActShowViewFieldDialog = MakeAction(aShowViewFieldDialog, "ActShowViewFieldDialog", "詳細表示の設定...",
        "表示項目設定...|データビューに表示する項目やそーと順を設定します。", -1, false,
        &M::ActShowViewFieldDialogExecute);
    ActShowCsvImportDialog = MakeAction(aShowCsvImportDialog, "ActShowCsvImportDialog", "データ一括変換...",
        "ＣＳＶインポート...|ＣＳＶファイルからＶＫＴデータを生成するためのウィザードを開始します。", -1, false,
        &M::ActShowCsvImportDialogExecute);
    ActShowCreateInventoryListDialog = MakeAction(aShowCreateInventoryListDialog,
        "ActShowCreateInventoryListDialog", "棚卸し表作成...",
        "棚卸し表作成...|棚卸し表を作成するためのウィザードを開始します。", -1, false,
        &M::ActShowCreateInventoryListDialogExecute);
    ActShowOtherDataDialog = MakeAction(aShowOtherDataDialog, "ActShowOtherDataDialog",
        "データベースの詳細編集...", "データベースの詳細編集...|データベースの詳細を編集します。", -1, false,
        &M::ActShowOtherDataDialogExecute);
    ActShowMHistToYHistDialog = MakeAction(aShowMHistToYHistDialog, "ActShowMHistToYHistDialog", "年間履歴生成",
        "年間履歴生成|月間履歴から年間履歴を生成するためのウィザードを開始します。", -1, false,
        &M::ActShowMHistToYHistDialogExecute);
    ActSaveXml = MakeAction(aSaveXml, "ActSaveXml", "ActSaveXml", "", -1, false, &M::ActSaveXmlExecute);
    // clang-format on

    classGroup_ = new QActionGroup(this);
    classGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    classGroup_->addAction(ActShowClassTree);
    classGroup_->addAction(ActShowClassBar);

    updateTimer_ = new QTimer(this);
    updateTimer_->setInterval(150);
    connect(updateTimer_, &QTimer::timeout, this, [this] { platform::Guard([this] { updateActions(); }); });
    updateTimer_->start();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        connect(app, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && !qobject_cast<QMenuBar*>(now) && !qobject_cast<QMenu*>(now)) focusBeforeMenu_ = now;
        });
    updateActions();
}

TVktCommandModule::~TVktCommandModule()
{
    if (gModule == this) gModule = nullptr;
}

QAction* TVktCommandModule::MakeAction(int index, const char* name, const char* caption, const char* hint,
                                       int image, bool checkable, void (TVktCommandModule::*handler)())
{
    auto* action = new QAction(platform::ToQString(caption), this);
    action->setObjectName(name);
    if (*hint) platform::SetHint(*action, hint);
    action->setProperty("ImageIndex", image);
    if (image >= 0) action->setIcon(GetImageList().Icon(image));
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, platform::Guarded([this, handler](bool) {
                (this->*handler)();
                updateActions();
            }));
    actions_.at(index) = action;
    return action;
}

QAction* TVktCommandModule::ActionByName(const std::string& name) const
{
    for (QAction* action : actions_)
        if (action->objectName().toStdString() == name) return action;
    return nullptr;
}

const platform::IconList& TVktCommandModule::GetImageList() const { return platform::ProgramIcons("commands"); }
const platform::IconList& TVktCommandModule::GetFilterIcons() const { return platform::ProgramIcons("filters"); }

void TVktCommandModule::WatchMenu(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this] { platform::Guard([this] { updateActions(); }); });
}

void TVktCommandModule::SetCurrentPanel(TVktPanel* panel)
{
    currentPanel_ = panel;
    updateActions();
}

QWidget* TVktCommandModule::KeyboardFocus() const
{
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QMenuBar*>(focus) || qobject_cast<QMenu*>(focus) || QApplication::activePopupWidget())
        return focusBeforeMenu_.data();
    return focus;
}

TVktObject* TVktCommandModule::GetValidObject() const
{
    TVktPanel* panel = currentPanel_.data();
    TVktObject* object = panel ? panel->GetVktObject() : nullptr;
    return object && object->IsValid() ? object : nullptr;
}

// ---- enabling ----

std::array<TActionRule, TVktCommandModule::aActionCount> TVktCommandModule::ActionRules(const TCommandState& s)
{
    std::array<TActionRule, aActionCount> r{};
    const bool panel = s.HasPanel;
    const bool valid = panel && s.DatabaseValid;
    // A database opened read-only takes no change: every action that changes data stays off.
    const bool writable = valid && !s.ReadOnly;
    // The record list shows: neither the layout view nor stock-taking.
    const bool listing = panel && !s.PreviewMode && !s.InventoryMode;
    const bool marked = listing && s.RowsMarked;
    const int classType = s.SelectedClassType;
    const auto set = [&r](int index, bool enabled, bool checked = false) { r[index] = {enabled, checked}; };

    set(aNewDataBase, panel);
    set(aAppendDataBase, panel);
    set(aOpenDataBase, panel);
    set(aCloseDataBase, valid);
    set(aNewData, listing && writable && classType >= ctFood && s.ClassLeaf);
    const bool editChecked = listing && valid && s.EditorShowsRecord;
    set(aEditData, listing && (s.EditChecked || (valid && s.ListHasRows && s.ListFocused)), editChecked);
    set(aDeleteData, listing && writable && marked);
    set(aReviveData, listing && writable && marked && classType < ctRoot);
    set(aChangeDataClass, listing && writable && marked && classType >= ctRoot);
    set(aAppendItem,
        listing && writable && marked && classType >= ctRoot && editChecked && s.EditorClassType != ctFood);
    set(aAppendInventory, listing && writable && marked && classType >= ctRoot);
    set(aChangeDataAttribute, listing && writable && marked && classType >= ctRoot);
    set(aChangeDataProperty, listing && writable && marked && classType > ctRoot);
    set(aDeleteInventory, panel && !s.PreviewMode && s.InventoryMode && writable && s.InventoryHasRow);
    set(aViewSelAll, listing && valid);
    set(aViewSelRev, listing && valid && marked);
    set(aViewSelClear, listing && valid && marked);
    set(aShowPreviewProperty, panel && s.PreviewMode, panel && s.PreviewMode && s.PropertyVisible);
    set(aShowPrinterMargin, panel && s.PreviewMode, panel && s.PreviewMode && s.PrinterMarginShown);
    set(aPreviewPrint, panel && s.PreviewMode && s.PrinterEnabled);
    set(aShowInventory, panel, panel && s.InventoryMode);
    set(aShowPreview, panel, panel && s.PreviewMode);
    set(aShowClassTree, panel, panel && !s.ClassBarShown);
    set(aShowClassBar, panel, panel && s.ClassBarShown);
    set(aShowViewFieldDialog, listing && valid);
    set(aShowCsvImportDialog, writable);
    set(aShowCreateInventoryListDialog, writable);
    set(aShowOtherDataDialog, writable);
    set(aShowMHistToYHistDialog, writable);
    return r;
}

TCommandState TVktCommandModule::CurrentState() const
{
    TCommandState s;
    TVktPanel* panel = currentPanel_.data();
    if (!panel) return s;
    s.HasPanel = true;
    const TVktObject* object = GetValidObject();
    s.DatabaseValid = object != nullptr;
    s.ReadOnly = object && object->IsReadOnly();
    s.PreviewMode = panel->GetPreviewMode();
    s.InventoryMode = panel->GetInventoryMode();
    s.ClassBarShown = panel->GetClassBarShown();
    s.EditChecked = ActEditData->isChecked();
    s.PrinterEnabled = PrinterObject()->GetEnabled();
    if (!panel->GetSetupDone()) return s;

    const TClassView* tree = panel->GetClassFilterView()->GetClassView();
    s.SelectedClassType = tree->GetSelectedClassType();
    const QTreeWidgetItem* node = tree->GetCurrentNode();
    s.ClassLeaf = node && node->childCount() == 0;
    const TDataListView* list = RecordList(panel);
    s.RowsMarked = !s.InventoryMode && list->GetSelectedIDs().GetCount() > 0;
    s.ListHasRows = list->GetRows().GetCount() > 0;
    const QWidget* focus = KeyboardFocus();
    s.ListFocused = focus && (focus == list || focus == list->GetStringGrid());
    // An editor not built yet shows nothing; asking must not build it.
    const TDataEditor* editor = panel->GetDataViewer()->FindDataEditor();
    s.EditorShowsRecord = editor && panel->GetDataViewer()->IsEditorShown() && editor->GetDataID() != 0;
    s.EditorClassType = editor ? editor->GetClassType() : ctRoot;
    const TInvListView* inv = panel->GetInventoryView()->GetInvListView();
    s.InventoryHasRow = inv->GetRowID(inv->GetStringGrid()->currentIndex().row()) != 0;
    s.PropertyVisible = panel->GetPreview()->GetPropertyVisible();
    s.PrinterMarginShown = panel->GetPreview()->GetPreview()->GetShowMargin();
    return s;
}

void TVktCommandModule::updateActions()
{
    const auto rules = ActionRules(CurrentState());
    for (int i = 0; i < aSaveXml; ++i) {
        QAction* action = actions_[i];
        action->setEnabled(rules[i].Enabled);
        if (action->isCheckable() && action->isChecked() != rules[i].Checked) action->setChecked(rules[i].Checked);
    }
}

// ---- switching database ----

void TVktCommandModule::OpenDatabase(int mode)
{
    TOpenDataBaseDialog* dialog = OpenDataBaseDlg();
    if (!dialog->Execute(mode)) return;
    SwitchDatabase(dialog->GetSelectedName(), mode == 0);
}

void TVktCommandModule::SwitchDatabase(const std::string& name, bool onlyValid)
{
    TVktPanel* panel = currentPanel_.data();
    if (!panel) return;
    if (TVktObject* old = panel->GetVktObject(); old && (!onlyValid || old->IsValid())) {
        old->Close();
        BindPanel(*panel, nullptr);
    }
    TVktObject* object = VktApplication().GetObject(name);
    BindPanel(*panel, object);
    object->MakeCurrent();
    // Told once the window shows the database.
    if (object->IsReadOnly()) platform::ShowInformation(object->GetReadOnlyNotice(), "確認");
}

void TVktCommandModule::ActNewDataBaseExecute() { OpenDatabase(1); }
void TVktCommandModule::ActAppendDataBaseExecute() { OpenDatabase(2); }
void TVktCommandModule::ActOpenDataBaseExecute() { OpenDatabase(0); }

void TVktCommandModule::ActCloseDataBaseExecute()
{
    TVktObject* object = GetValidObject();
    if (!object) return;
    object->Close();
    BindPanel(*currentPanel_, nullptr);
}

// ---- records ----

void TVktCommandModule::ActNewDataExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    object->AddNewData(currentPanel_->GetClassFilterView()->GetClassView()->GetSelectedID(), "");
}

void TVktCommandModule::ActEditDataExecute()
{
    TVktPanel* panel = currentPanel_.data();
    if (!panel || !panel->GetSetupDone()) return;
    TDataViewer* viewer = panel->GetDataViewer();
    if (ActEditData->isChecked()) {
        const TDataListView* list = RecordList(panel);
        const int row = list->GetLastRow() >= 0 ? list->GetLastRow() : list->GetStringGrid()->currentIndex().row();
        viewer->EditData(row >= 0 && row < list->GetRows().GetCount() ? list->GetRows().GetID(row) : 0);
        viewer->ShowEditor(true);
    } else {
        viewer->EditData(0);
    }
}

void TVktCommandModule::ActDeleteDataExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    const TPriorityItem ids = RecordList(currentPanel_)->GetSelectedIDs();
    if (currentPanel_->GetClassFilterView()->GetClassView()->GetSelectedClassType() < ctRoot) {
        if (!platform::AskYesNo("選択されているデータをゴミ箱から削除しますか？\r\n"
                                "削除されたデータを元に戻すことは出来ません。",
                                kConfirm, false))
            return;
        Batch(object, false)->PurgeData(ids);
        return;
    }
    bool shift = false;
    if (!AskUnlessShift("選択されているデータをゴミ箱に削除しますか？", shift)) return;
    Batch(object, shift)->EraseData(ids);
}

void TVktCommandModule::ActReviveDataExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    bool shift = false;
    if (!AskUnlessShift("選択されているデータをゴミ箱から復帰しますか？", shift)) return;
    Batch(object, shift)->RestoreData(RecordList(currentPanel_)->GetSelectedIDs());
}

void TVktCommandModule::ActAppendItemExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    const TDataEditor* editor = currentPanel_->GetDataViewer()->FindDataEditor();
    if (!editor || editor->GetClassType() < ctCook) return;
    bool shift = false;
    if (!AskUnlessShift("選択されているデータを編集中のデータの材料に追加しますか？", shift)) return;
    Batch(object, shift)->AppendRecipeItem(editor->GetDataID(), RecordList(currentPanel_)->GetSelectedIDs());
}

void TVktCommandModule::ActAppendInventoryExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    const TPriorityItem ids = RecordList(currentPanel_)->GetSelectedIDs();
    if (!platform::Services().ShiftDown()) {
        AppendInventoryDlg(object)->Execute(ids);
        return;
    }
    const TPriorityItem dates = object->GetInvDates();
    if (dates.GetCount() == 0) return;
    Batch(object, true)->SetInventoryEntries(dates.GetItem(0), ids);
}

void TVktCommandModule::ActDeleteInventoryExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    if (!platform::AskYesNo("選択されているデータを棚卸し表から削除しますか？\r\n"
                            "削除されたデータを復旧することはできません。",
                            kConfirm, false))
        return;
    const TInvListView* inv = currentPanel_->GetInventoryView()->GetInvListView();
    TPriorityItem ids;
    ids << inv->GetRowID(inv->GetStringGrid()->currentIndex().row());
    const int sheet = currentPanel_->GetClassFilterView()->GetInvDateBar()->GetInvDateID();
    Batch(object, false)->DeleteInventoryEntry(sheet, ids);
}

void TVktCommandModule::ActChangeDataClassExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    ShowClassChangeDlg(object, RecordList(currentPanel_)->GetSelectedIDs());
    currentPanel_->GetDataViewer()->GetDataView()->Changed();
}

void TVktCommandModule::ActChangeDataAttributeExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    ShowAttributeChangeDlg(object)->Execute(RecordList(currentPanel_)->GetSelectedIDs());
}

void TVktCommandModule::ActChangeDataPropertyExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    const int type = currentPanel_->GetClassFilterView()->GetClassView()->GetSelectedClassType();
    if (!IsFamilyClassType(type)) return;
    ShowDataPropertyChangeDlg(object)->Execute(static_cast<std::uint8_t>(type),
                                               RecordList(currentPanel_)->GetSelectedIDs());
    currentPanel_->GetDataViewer()->GetDataView()->Changed();
}

void TVktCommandModule::ActShowViewFieldDialogExecute()
{
    if (TVktPanel* panel = currentPanel_.data()) ShowFieldSelectDlg(panel->GetVktObject());
}
void TVktCommandModule::ActShowCsvImportDialogExecute()
{
    if (TVktObject* object = GetValidObject()) ShowCsvConvertor(object);
}
void TVktCommandModule::ActShowCreateInventoryListDialogExecute()
{
    if (TVktObject* object = GetValidObject()) ShowInventoryDlg(object);
}
void TVktCommandModule::ActShowOtherDataDialogExecute()
{
    if (TVktPanel* panel = currentPanel_.data()) ShowOtherEditDlg(panel->GetVktObject(), 0);
}
void TVktCommandModule::ActShowMHistToYHistDialogExecute()
{
    if (TVktObject* object = GetValidObject()) ShowMHistToYHistDlg(object);
}

// ---- the record list's marks ----

void TVktCommandModule::ActViewSelAllExecute()
{
    if (TDataListView* list = RecordList(currentPanel_)) list->SelectAll();
}

void TVktCommandModule::ActViewSelRevExecute()
{
    if (TDataListView* list = RecordList(currentPanel_)) list->InvertSelection();
}

void TVktCommandModule::ActViewSelClearExecute()
{
    if (TDataListView* list = RecordList(currentPanel_)) list->UnselectAll();
}

// ---- views and printing ----

void TVktCommandModule::ActShowPreviewPropertyExecute()
{
    if (currentPanel_ && currentPanel_->GetPreview())
        currentPanel_->GetPreview()->SetPropertyVisible(ActShowPreviewProperty->isChecked());
}

void TVktCommandModule::ActShowPrinterMarginExecute()
{
    if (currentPanel_ && currentPanel_->GetPreview())
        currentPanel_->GetPreview()->GetPreview()->SetShowMargin(ActShowPrinterMargin->isChecked());
}

void TVktCommandModule::ActPreviewPrintExecute()
{
    if (!currentPanel_ || !currentPanel_->GetPreview()) return;
    ShowPrintExecuteDlg(currentPanel_->GetPreview()->GetPreview(), VktMdl()->GetProductName(), "");
}

void TVktCommandModule::ActShowInventoryExecute()
{
    if (currentPanel_) currentPanel_->ShowInventory(ActShowInventory->isChecked());
}

void TVktCommandModule::ActShowPreviewExecute()
{
    if (currentPanel_) currentPanel_->ShowPreview(ActShowPreview->isChecked());
}

void TVktCommandModule::ActShowClassTreeExecute()
{
    if (currentPanel_) currentPanel_->ShowClassBar(false);
}

void TVktCommandModule::ActShowClassBarExecute()
{
    if (currentPanel_) currentPanel_->ShowClassBar(true);
}

// ---- XML export ----

void TVktCommandModule::ActSaveXmlExecute()
{
    TVktObject* object = GetValidObject();
    if (!object || !currentPanel_->GetSetupDone()) return;
    const auto file = platform::Services().SaveFile("", kXmlFilter, {}, "");
    if (!file) return;
    GetVktXmlFunctor(object->GetPath()).SaveXml(*file, RecordList(currentPanel_)->GetSelectedIDs());
}
