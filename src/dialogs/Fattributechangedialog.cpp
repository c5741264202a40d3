#include "dialogs/Fattributechangedialog.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Uwizardpages.h"
#include "gui/Anchors.h"
#include "gui/Application.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "widgets/Fvktform.h"

#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kHelpContext = 10256;
constexpr int kExtraHeight = 60;
constexpr int kIdRole = Qt::UserRole;
constexpr int kStateRole = Qt::UserRole + 1;

// The check marks by TAttrCheckState: acUnchecked, acChecked, and 3 for acNoEntry.
QIcon StateIcon(int state) { return platform::ProgramIcons("filters").Icon(state == acNoEntry ? 3 : state); }

QTreeWidget* MakeList(QWidget* parent, const char* name, const QRect& bounds)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setColumnCount(1);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setIndentation(0);
    list->setGeometry(bounds);
    return list;
}

} // namespace

TAttributeChangeDialog::TAttributeChangeDialog(QWidget* parent) : TVktDialog(parent)
{
    ReturnFocusOnClose(*this);
    setObjectName(QStringLiteral("AttributeChangeDialog"));
    setWindowTitle(QStringLiteral("属性設定の変更"));
    GetBtnSetting()->hide();
    GetBtnOk()->setText(QStringLiteral("変更"));
    resize(width(), height() + kExtraHeight);
    setFixedSize(size());
    QWidget* client = GetClient();
    const int bottom = GetBevel()->y() + 2;

    auto* label3 = new QLabel(QStringLiteral("データビューで選択されているデータの属性を変更します。\n"
                                             "登録されている属性の中から変更する属性を選択し、状態を設定します。"),
                              client);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->setGeometry(8, 8, 425, 32);
    auto* label1 = new QLabel(QStringLiteral("登録されている属性"), client);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(8, 46, 150, 16);
    auto* label2 = new QLabel(QStringLiteral("変更する属性"), client);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(283, 46, 150, 16);
    listView1_ = MakeList(client, "ListView1", QRect(8, 64, 150, bottom - 64));
    listView2_ = MakeList(client, "ListView2", QRect(283, 64, 150, bottom - 64));
    listView2_->viewport()->installEventFilter(this);
    for (QTreeWidget* list : {listView1_, listView2_})
        platform::Anchor(*list, platform::AnchorSide::Left | platform::AnchorSide::Top | platform::AnchorSide::Bottom);

    const auto button = [client](const char* name, const char* caption, int top) {
        auto* b = new QPushButton(platform::ToQString(caption), client);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(168, top, 105, 22);
        return b;
    };
    btnAdd_ = button("BtnAdd", "選択 &>>", 64);
    btnAll_ = button("BtnAll", "全て(&A)", 90);
    btnDelete_ = button("BtnDelete", "削除 &<<", 116);
    btnTrue_ = button("BtnTrue", "チェック有り(&T)", 152);
    btnFalse_ = button("BtnFalse", "チェック無し(&F)", 178);
    btnDisable_ = button("BtnDisable", "無効(&D)", 204);
    // Column by column: the registered list, the buttons between, the list being changed.
    platform::TabChain({listView1_, btnAdd_, btnAll_, btnDelete_, btnTrue_, btnFalse_, btnDisable_, listView2_});

    OnClick(btnAdd_, this, [this] { Move(listView1_->currentItem(), listView2_); });
    OnClick(btnAll_, this, [this] {
        while (listView1_->topLevelItemCount() > 0) Move(listView1_->topLevelItem(0), listView2_);
    });
    OnClick(btnDelete_, this, [this] { Move(listView2_->currentItem(), listView1_); });
    OnClick(btnTrue_, this, [this] { SetSelectedState(acChecked); });
    OnClick(btnFalse_, this, [this] { SetSelectedState(acUnchecked); });
    OnClick(btnDisable_, this, [this] { SetSelectedState(acNoEntry); });
    connect(listView1_, &QTreeWidget::itemDoubleClicked, this,
            platform::Guarded([this](QTreeWidgetItem* item, int) { Move(item, listView2_); }));
    disconnect(GetBtnCancel(), &QPushButton::clicked, this, &QDialog::reject);
    OnClick(GetBtnCancel(), this, [this] { BtnCancelClick(); });
    OnClick(GetBtnOk(), this, [this] { BtnOkClick(); });
    BindHelp(*this, kHelpContext);

    TVktObjEvent& events = GetEvents();
    const auto refillOn = [this](TVktObject*, TVktObjKind kind, TPriorityItem) {
        if (kind == TVktObjKind::AttrItem) Refill();
    };
    events.OnRecordsAdd = refillOn;
    events.OnRecordsDelete = refillOn;
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem) {
        if (field == TVktField::Attribute) Refill();
    };
}

TAttributeChangeDialog::~TAttributeChangeDialog()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

int TAttributeChangeDialog::State(const QTreeWidgetItem* item) { return item->data(0, kStateRole).toInt(); }

void TAttributeChangeDialog::Refill()
{
    listView1_->clear();
    listView2_->clear();
    TVktObject* object = GetDataObject();
    if (object && object->IsValid()) {
        TVDBAttrItem reader(object);
        reader.Refresh();
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            auto* item = new QTreeWidgetItem(listView1_, {platform::ToQString(reader.GetAttribute())});
            item->setData(0, kIdRole, reader.GetAttrItemID());
        }
    }
    Moved();
}

void TAttributeChangeDialog::DoDetach()
{
    listView1_->clear();
    listView2_->clear();
}

void TAttributeChangeDialog::Move(QTreeWidgetItem* item, QTreeWidget* to)
{
    if (!item) return;
    QTreeWidget* from = item->treeWidget();
    if (!from || from == to) return;
    from->takeTopLevelItem(from->indexOfTopLevelItem(item));
    to->addTopLevelItem(item);
    if (to == listView2_) SetState(item, acNoEntry);
    else item->setIcon(0, QIcon());
    Moved();
}

void TAttributeChangeDialog::SetState(QTreeWidgetItem* item, int state)
{
    item->setData(0, kStateRole, state);
    item->setIcon(0, StateIcon(state));
}

void TAttributeChangeDialog::SetSelectedState(int state)
{
    if (QTreeWidgetItem* item = listView2_->currentItem()) SetState(item, state);
}

void TAttributeChangeDialog::Moved()
{
    const bool any = listView2_->topLevelItemCount() > 0;
    GetBtnOk()->setEnabled(any);
    GetBtnCancel()->setText(any ? QStringLiteral("キャンセル") : QStringLiteral("閉じる"));
}

QRect TAttributeChangeDialog::PictureRect(QTreeWidgetItem* item) const
{
    const QRect row = listView2_->visualItemRect(item);
    return {row.left(), row.top(), listView2_->iconSize().width() + 4, row.height()};
}

bool TAttributeChangeDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == listView2_->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        QTreeWidgetItem* item = listView2_->itemAt(pos);
        if (item && mouse->button() == Qt::LeftButton) {
            const bool onPicture = PictureRect(item).contains(pos);
            if (event->type() == QEvent::MouseButtonDblClick) {
                if (!onPicture) platform::Guard([&] { Move(item, listView1_); });
                return true;
            }
            if (onPicture && item == listView2_->currentItem() && item->isSelected())
                SetState(item, (State(item) + 1) % 3);
        }
    }
    return TVktDialog::eventFilter(watched, event);
}

void TAttributeChangeDialog::BtnOkClick()
{
    TVktObject* object = GetDataObject();
    if (object && object->IsValid() && ids_.GetCount() > 0) {
        TPriorityItem items;
        TPriorityItem states;
        for (int i = 0; i < listView2_->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = listView2_->topLevelItem(i);
            items << item->data(0, kIdRole).toInt();
            states << State(item);
        }
        ExecuteDlg(object)->SetDataAttributes(ids_, items, states);
    }
    accept();
}

void TAttributeChangeDialog::BtnCancelClick()
{
    if (GetBtnCancel()->text() == QStringLiteral("閉じる") || platform::Services().ShiftDown() ||
        platform::AskYesNo("終了しますか？", "確認", false))
        done(QDialog::Rejected);
}

void TAttributeChangeDialog::reject()
{
    if (GetBtnCancel()->isEnabled()) platform::Guard([this] { BtnCancelClick(); });
}

void TAttributeChangeDialog::showEvent(QShowEvent* event)
{
    TVktDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    SetScreenPlace(this, TScreenPlace::BottomRight);
}

void TAttributeChangeDialog::Prepare(const TPriorityItem& ids)
{
    ids_ = ids;
    Refill();
}

int TAttributeChangeDialog::Execute(const TPriorityItem& ids)
{
    Prepare(ids);
    return exec();
}

TAttributeChangeDialog* ShowAttributeChangeDlg(TVktObject* obj)
{
    static QPointer<TAttributeChangeDialog> dialog;
    TAttributeChangeDialog* d = SingleDialog(dialog);
    d->SetDataObject(obj);
    return d;
}
