#include "dialogs/Fclasschangedialog.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Uwizardpages.h"
#include "gui/Anchors.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "screens/Fclassview.h"
#include "widgets/Fvktform.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

using F = TVktField;
constexpr int kHelpContext = 10000;
constexpr int kExtraHeight = 170;

} // namespace

TClassChangeDialog::TClassChangeDialog(QWidget* parent) : TVktDialog(parent)
{
    ReturnFocusOnClose(*this);
    using platform::AnchorSide;
    setObjectName(QStringLiteral("ClassChangeDialog"));
    setWindowTitle(QStringLiteral("分類設定の変更"));
    setSizeGripEnabled(true);
    GetBtnSetting()->hide();
    GetBtnOk()->setText(QStringLiteral("変更"));
    resize(width(), height() + kExtraHeight);
    setMinimumHeight(height() - kExtraHeight / 2);
    QWidget* client = GetClient();
    const int bottom = GetBevel()->y();

    label1_ = new QLabel(QStringLiteral("データビューで選択されているデータの分類を変更します。\n"
                                        "データの変更先を選択してから、[変更] ボタンをクリックしてください。\n"
                                        "移動先は末端の分類のみが選択可能です。"),
                         client);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(8, 8, 425, 48);
    classView_ = new TClassView(client);
    classView_->setObjectName(QStringLiteral("ClassView"));
    classView_->SetLeafOnly(true);
    classView_->setGeometry(8, 60, 318, bottom - 60);
    btnNew_ = new QPushButton(QStringLiteral("項目作成(&N)"), client);
    btnNew_->setObjectName(QStringLiteral("BtnNew"));
    btnNew_->setGeometry(336, 60, 97, 22);
    btnChildNew_ = new QPushButton(QStringLiteral("下位項目作成(&C)"), client);
    btnChildNew_->setObjectName(QStringLiteral("BtnChildNew"));
    btnChildNew_->setGeometry(336, 88, 97, 22);
    platform::Anchor(*label1_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right);
    platform::Anchor(*classView_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right | AnchorSide::Bottom);
    platform::Anchor(*btnNew_, AnchorSide::Right | AnchorSide::Top);
    platform::Anchor(*btnChildNew_, AnchorSide::Right | AnchorSide::Top);

    OnClick(btnNew_, this, [this] { BtnNewClick(); });
    OnClick(btnChildNew_, this, [this] { BtnChildNewClick(); });
    OnClick(GetBtnOk(), this, [this] { BtnOkClick(); });
    BindHelp(*this, kHelpContext);
    platform::AddIdleHandler(this, [this] {
        if (isVisible()) UpdateActions();
    });

    TVktObjEvent& events = GetEvents();
    events.OnIconSetChange = [this](TVktObject*) { FillTree(); };
    events.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (kind == TVktObjKind::Class && ids.GetCount() > 0) AddClassRow(ids.GetItem(0));
    };
    events.OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (kind == TVktObjKind::Class)
            for (int i = 0; i < ids.GetCount(); ++i) classView_->DeleteClass(ids.GetItem(i));
    };
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
        if (GetFieldTable(field) == TVktTable::TblClass && ids.GetCount() > 0) ClassChanged(field, ids.GetItem(0));
    };
}

TClassChangeDialog::~TClassChangeDialog()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

void TClassChangeDialog::SetIds(const TPriorityItem& ids)
{
    if (ids_.GetCommaText() != ids.GetCommaText()) ids_ = ids;
}

void TClassChangeDialog::DoAttach() { FillTree(); }

void TClassChangeDialog::DoDetach()
{
    classView_->Clear();
    classView_->SetImages(nullptr);
}

void TClassChangeDialog::FillTree()
{
    TVktObject* object = GetDataObject();
    const int selected = classView_->GetSelectedID();
    classView_->Clear();
    if (!object || !object->IsValid()) return;
    icons_ = platform::IconList::FromImageList(object->GetClassIcons());
    classView_->SetImages(&icons_);
    TVDBClass reader(object);
    reader.Refresh();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        if (IsFamilyClassType(reader.GetClassType()))
            classView_->AddClass(reader.GetClassID(), reader.GetClassType(), reader.GetIconKey(), reader.GetClass(),
                                 reader.GetTreeID());
    }
    classView_->SelectID(selected);
}

void TClassChangeDialog::AddClassRow(int id)
{
    TVDBClass reader(GetDataObject());
    if (!ReadClassRow(reader, id) || !IsFamilyClassType(reader.GetClassType())) return;
    classView_->AddClass(id, reader.GetClassType(), reader.GetIconKey(), reader.GetClass(), reader.GetTreeID());
}

void TClassChangeDialog::ClassChanged(TVktField field, int id)
{
    if (field == F::TreeID) {
        FillTree();
        return;
    }
    QTreeWidgetItem* node = classView_->FindNode(id);
    if (!node || (field != F::Class && field != F::Icon_Key)) return;
    TVDBClass reader(GetDataObject());
    if (!ReadClassRow(reader, id)) return;
    if (field == F::Class) classView_->SetNodeText(node, reader.GetClass());
    else classView_->SetNodeImage(node, reader.GetIconKey());
}

void TClassChangeDialog::UpdateActions()
{
    TVktObject* object = GetDataObject();
    QTreeWidgetItem* node = classView_->GetClassTree()->currentItem();
    const bool chosen = object && object->IsValid() && node;
    const int depth = chosen ? classView_->GetNodeTreeIndex(node).Depth() : 0;
    GetBtnOk()->setEnabled(chosen && node->childCount() == 0);
    btnNew_->setEnabled(chosen && depth >= 3);
    btnChildNew_->setEnabled(chosen && depth > 1 && object->ClassIsBranchOrEmpty(classView_->GetNodeID(node)));
}

void TClassChangeDialog::BtnNewClick()
{
    TVktObject* object = GetDataObject();
    QTreeWidgetItem* node = classView_->GetClassTree()->currentItem();
    if (!object || !node || !node->parent()) return;
    object->AddClass(classView_->GetNodeID(node->parent()), "");
}

void TClassChangeDialog::BtnChildNewClick()
{
    TVktObject* object = GetDataObject();
    const int id = classView_->GetSelectedID();
    if (!object || id == 0) return;
    object->AddClass(id, "");
}

void TClassChangeDialog::BtnOkClick()
{
    TVktObject* object = GetDataObject();
    if (object && object->IsValid() && ids_.GetCount() > 0)
        ExecuteDlg(object)->ChangeDataClass(classView_->GetSelectedID(), ids_);
    accept();
}

void TClassChangeDialog::showEvent(QShowEvent* event)
{
    TVktDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    SetScreenPlace(this, TScreenPlace::BottomRight);
}

TClassChangeDialog* ClassChangeDlg()
{
    static QPointer<TClassChangeDialog> dialog;
    return SingleDialog(dialog);
}

void ShowClassChangeDlg(TVktObject* obj, const TPriorityItem& ids)
{
    TClassChangeDialog* dialog = ClassChangeDlg();
    dialog->SetDataObject(obj);
    dialog->SetIds(ids);
    dialog->exec();
}
