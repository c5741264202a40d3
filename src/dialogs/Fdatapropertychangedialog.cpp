#include "dialogs/Fdatapropertychangedialog.h"

#include "data/Ufilterstruct.h"
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Uwizardpages.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "platform/Text.h"
#include "screens/Fclassbar.h"
#include "widgets/Fvktform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <vector>

namespace {

using F = TVktField;
constexpr int kHelpContext = 10768;
constexpr int kExtraHeight = 40;
constexpr int kRowTop = 48;
constexpr int kRowHeight = 26;
// The field of each tag, in sending order.
constexpr std::array<F, TDataPropertyChangeDialog::tagCount> kFields = {
    F::Class_Key, F::InvItem, F::Form_Key, F::UseUnit_Key, F::BuyUnit_Key, F::Dealer_Key};

} // namespace

TDataPropertyChangeDialog::TDataPropertyChangeDialog(QWidget* parent) : TVktDialog(parent)
{
    ReturnFocusOnClose(*this);
    setObjectName(QStringLiteral("DataPropertyChangeDialog"));
    setWindowTitle(QStringLiteral("項目の一括変更"));
    GetBtnSetting()->hide();
    GetBtnOk()->setText(QStringLiteral("変更"));
    resize(width(), height() + kExtraHeight);
    setFixedSize(size());
    QWidget* client = GetClient();

    auto* label = new QLabel(QStringLiteral("データビューで選択されている全てのデータの項目を一括して変更します。\n"
                                            "変更する項目を設定してから、[変更] ボタンをクリックしてください。"),
                             client);
    label->setObjectName(QStringLiteral("Label"));
    label->setGeometry(8, 8, 425, 32);

    const auto rowTop = [](int tag) { return kRowTop + tag * kRowHeight; };
    const auto caption = [&](const char* name, const char* text, int tag) {
        auto* l = new QLabel(platform::ToQString(text), client);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(16, rowTop(tag) + 3, 80, 16);
        return l;
    };
    caption("Label1", "分類", tagClass);
    caption("Label2", "形態", tagForm);
    caption("Label3", "使用単位", tagUseUnit);
    label4_ = caption("Label4", "購入単位", tagBuyUnit);
    label5_ = caption("Label5", "業者", tagDealer);

    cbClass_ = new TClassBar(client);
    cbClass_->setObjectName(QStringLiteral("CBClass"));
    cbClass_->SetLeafOnly(true);
    cbClass_->setGeometry(100, rowTop(tagClass), 240, 22);
    // After the bar has taken (or refused) the user's choice.
    connect(cbClass_->GetDropDown(), &QComboBox::activated, this, platform::Guarded([this](int) {
        if (cbClass_->GetClassID() != 0) Mark(tagClass);
    }));
    cbInvItem_ = new QCheckBox(QStringLiteral("棚卸し項目"), client);
    cbInvItem_->setObjectName(QStringLiteral("CBInvItem"));
    cbInvItem_->setGeometry(100, rowTop(tagInvItem), 240, 22);
    connect(cbInvItem_, &QCheckBox::clicked, this, platform::Guarded([this](bool) {
        cbInvItem_->setTristate(false);
        Mark(tagInvItem);
    }));
    const char* const listNames[] = {"CBForm", "CBUseUnit", "CBBuyUnit", "CBDealer"};
    for (int tag = tagForm; tag < tagCount; ++tag) {
        auto* list = new QComboBox(client);
        list->setObjectName(QString::fromLatin1(listNames[tag - tagForm]));
        list->setGeometry(100, rowTop(tag), 240, 22);
        connect(list, &QComboBox::activated, this, platform::Guarded([this, tag](int) { Mark(tag); }));
        lists_[tag] = list;
    }
    const char* const clearNames[] = {"BtnClearClass", "BtnClearInvItem", "BtnClearForm",
                                      "BtnClearUseUnit", "BtnClearBuyUnit", "BtnClearDealer"};
    for (int tag = 0; tag < tagCount; ++tag) {
        auto* b = new QPushButton(QStringLiteral("クリア"), client);
        b->setObjectName(QString::fromLatin1(clearNames[tag]));
        b->setGeometry(352, rowTop(tag), 81, 22);
        OnClick(b, this, [this, tag] { BtnClearClick(tag); });
        clearButtons_[tag] = b;
    }
    // Row by row: each value, then its クリア.
    std::vector<QWidget*> chain;
    for (int tag = 0; tag < tagCount; ++tag) {
        QWidget* value = lists_[tag];
        if (tag == tagClass) value = cbClass_->GetDropDown();
        if (tag == tagInvItem) value = cbInvItem_;
        chain.push_back(value);
        chain.push_back(clearButtons_[tag]);
    }
    platform::TabChain(chain);

    disconnect(GetBtnCancel(), &QPushButton::clicked, this, &QDialog::reject);
    OnClick(GetBtnCancel(), this, [this] { BtnCancelClick(); });
    OnClick(GetBtnOk(), this, [this] { BtnOkClick(); });
    BindHelp(*this, kHelpContext);

    TVktObjEvent& events = GetEvents();
    events.OnIconSetChange = [this](TVktObject*) {
        DoAttach();
        FillClasses();
    };
    events.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (ids.GetCount() > 0) ClassNotice(kind, ids.GetItem(0), true);
    };
    events.OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (ids.GetCount() > 0) ClassNotice(kind, ids.GetItem(0), false);
    };
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
        const TVktTable table = GetFieldTable(field);
        if (table == TVktTable::TblClass && ids.GetCount() > 0) ClassChanged(field, ids.GetItem(0));
        else if (table == TVktTable::TblUnits) {
            FillForms();
            FillUnits();
        } else if (table == TVktTable::TblDealer) FillDealers();
    };
}

TDataPropertyChangeDialog::~TDataPropertyChangeDialog()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

void TDataPropertyChangeDialog::DoAttach()
{
    if (TVktObject* object = GetDataObject()) {
        icons_ = platform::IconList::FromImageList(object->GetClassIcons());
        cbClass_->SetImages(&icons_);
    }
}

void TDataPropertyChangeDialog::DoDetach()
{
    cbClass_->SetImages(nullptr);
    SetDataKind(0);
}

void TDataPropertyChangeDialog::SetDataKind(std::uint8_t kind)
{
    if (kind == kind_) return;
    kind_ = kind;
    const bool food = kind == 1;
    for (QWidget* w : {static_cast<QWidget*>(lists_[tagBuyUnit]), static_cast<QWidget*>(lists_[tagDealer]),
                       static_cast<QWidget*>(clearButtons_[tagBuyUnit]), static_cast<QWidget*>(clearButtons_[tagDealer]),
                       static_cast<QWidget*>(label4_), static_cast<QWidget*>(label5_)})
        w->setEnabled(food);
    FillClasses();
    FillForms();
    FillUnits();
    FillDealers();
}

void TDataPropertyChangeDialog::FillClasses()
{
    const int chosen = cbClass_->GetClassID();
    cbClass_->Clear();
    TVktObject* object = GetDataObject();
    if (kind_ == ctRoot || !object || !object->IsValid()) return;
    TVDBClass reader(object);
    TFilterObject filter;
    filter.Add(F::ClassType, foEqual, static_cast<int>(kind_), {});
    QueryRows(reader, filter);
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        cbClass_->AddClass(reader.GetClassID(), reader.GetClassType(), reader.GetIconKey(), reader.GetTreeID(),
                           reader.GetClass());
    }
    cbClass_->SetClassID(chosen);
    if (changed_.Contains(F::Class_Key) && cbClass_->GetClassID() != chosen) BtnClearClick(tagClass);
}

template <class Fill>
void TDataPropertyChangeDialog::Refill(int tag, Fill&& fill)
{
    QComboBox* list = lists_[tag];
    const QVariant chosen = list->currentIndex() < 0 ? QVariant() : list->currentData();
    list->clear();
    TVktObject* object = GetDataObject();
    if (kind_ != 0 && object && object->IsValid()) fill(*object, *list);
    list->setCurrentIndex(chosen.isValid() ? list->findData(chosen) : -1);
    if (changed_.Contains(kFields[tag]) && list->currentIndex() < 0) BtnClearClick(tag);
}

namespace {

void AddUnits(TVktObject& object, QComboBox& list, int unitKind)
{
    TVDBUnits reader(&object);
    TFilterObject filter;
    filter.SetKind(unitKind);
    QueryRows(reader, filter);
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        list.addItem(platform::ToQString(reader.GetUnits()), reader.GetUnitsID());
    }
}

} // namespace

void TDataPropertyChangeDialog::FillForms()
{
    Refill(tagForm, [this](TVktObject& object, QComboBox& list) { AddUnits(object, list, kind_); });
}

void TDataPropertyChangeDialog::FillUnits()
{
    Refill(tagUseUnit, [this](TVktObject& object, QComboBox& list) { AddUnits(object, list, kind_ + 3); });
    Refill(tagBuyUnit, [this](TVktObject& object, QComboBox& list) {
        if (kind_ == 1) AddUnits(object, list, kind_ + 3);
    });
}

void TDataPropertyChangeDialog::FillDealers()
{
    Refill(tagDealer, [](TVktObject& object, QComboBox& list) {
        TVDBDealer reader(&object);
        reader.Refresh();
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            list.addItem(platform::ToQString(reader.GetCompany()), reader.GetDealerID());
        }
    });
}

void TDataPropertyChangeDialog::ClassNotice(TVktObjKind kind, int id, bool added)
{
    switch (kind) {
    case TVktObjKind::Class:
        if (!added) {
            const bool chosen = cbClass_->GetClassID() == id;
            cbClass_->DeleteClass(id);
            // The bar falls back on the parent, a branch: the choice is gone.
            if (chosen) BtnClearClick(tagClass);
        } else if (TVDBClass reader(GetDataObject()); ReadClassRow(reader, id) && reader.GetClassType() == kind_) {
            cbClass_->AddClass(id, kind_, reader.GetIconKey(), reader.GetTreeID(), reader.GetClass());
        }
        break;
    case TVktObjKind::Form: FillForms(); break;
    case TVktObjKind::Unit: FillUnits(); break;
    case TVktObjKind::Dealer: FillDealers(); break;
    default: break;
    }
}

void TDataPropertyChangeDialog::ClassChanged(TVktField field, int id)
{
    if (field == F::TreeID) {
        FillClasses();
        return;
    }
    const int index = cbClass_->FindItem(id);
    if (index < 0 || (field != F::Class && field != F::Icon_Key)) return;
    TVDBClass reader(GetDataObject());
    if (!ReadClassRow(reader, id)) return;
    if (field == F::Class) cbClass_->SetItemName(index, reader.GetClass());
    else cbClass_->SetItemIcon(index, reader.GetIconKey());
}

void TDataPropertyChangeDialog::Mark(int tag)
{
    clearButtons_[tag]->setEnabled(true);
    changed_.Add(kFields[tag]);
    GetBtnOk()->setEnabled(true);
    GetBtnCancel()->setText(QStringLiteral("キャンセル"));
}

void TDataPropertyChangeDialog::BtnClearClick(int tag)
{
    if (tag == tagClass) {
        cbClass_->GetDropDown()->setCurrentIndex(-1);
    } else if (tag == tagInvItem) {
        cbInvItem_->setTristate(true);
        cbInvItem_->setCheckState(Qt::PartiallyChecked);
    } else {
        lists_[tag]->setCurrentIndex(-1);
    }
    changed_.Remove(kFields[tag]);
    clearButtons_[tag]->setEnabled(false);
    ChangedSetShown();
}

void TDataPropertyChangeDialog::ChangedSetShown()
{
    const bool any = ChangedFields().GetCount() > 0;
    GetBtnOk()->setEnabled(any);
    GetBtnCancel()->setText(any ? QStringLiteral("キャンセル") : QStringLiteral("閉じる"));
}

TPriorityItem TDataPropertyChangeDialog::ChangedFields() const
{
    TPriorityItem fields;
    for (F field : kFields)
        if (changed_.Contains(field)) fields << ToInt(field);
    return fields;
}

std::string TDataPropertyChangeDialog::ValueText() const
{
    std::vector<std::string> values;
    for (int tag = 0; tag < tagCount; ++tag) {
        if (!changed_.Contains(kFields[tag])) continue;
        int value = 0;
        if (tag == tagClass) value = cbClass_->GetClassID();
        else if (tag == tagInvItem) value = cbInvItem_->isChecked() ? 1 : 0;
        else if (lists_[tag]->currentIndex() >= 0) value = lists_[tag]->currentData().toInt();
        values.push_back(std::to_string(value));
    }
    return platform::JoinCommaText(values);
}

void TDataPropertyChangeDialog::BtnOkClick()
{
    const bool shift = platform::Services().ShiftDown();
    if (!shift && !platform::AskYesNo("選択されているすべてのデータを変更しますか？", "確認", true)) return;
    TVktObject* object = GetDataObject();
    TExecuteDialog* batch = ExecuteDlg(object);
    batch->SetAutoClose(shift);
    {
        const platform::BusyCursor busy;
        batch->UpdateDataKeys(ValueText(), ids_, ChangedFields());
    }
    GetBtnOk()->setEnabled(false);
    GetBtnCancel()->setText(QStringLiteral("閉じる"));
}

void TDataPropertyChangeDialog::BtnCancelClick()
{
    if (GetBtnCancel()->text() == QStringLiteral("閉じる") || platform::Services().ShiftDown() ||
        platform::AskYesNo("データは変更されていません。終了しますか？", "確認", false))
        done(QDialog::Accepted);
}

void TDataPropertyChangeDialog::reject()
{
    if (GetBtnCancel()->isEnabled()) platform::Guard([this] { BtnCancelClick(); });
}

void TDataPropertyChangeDialog::showEvent(QShowEvent* event)
{
    TVktDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    SetScreenPlace(this, TScreenPlace::BottomRight);
}

int TDataPropertyChangeDialog::Execute(std::uint8_t kind, const TPriorityItem& ids)
{
    Prepare(kind, ids);
    return exec();
}

void TDataPropertyChangeDialog::Prepare(std::uint8_t kind, const TPriorityItem& ids)
{
    ids_ = ids;
    SetDataKind(kind);
    changed_ = TVktFieldSet();
    cbClass_->GetDropDown()->setCurrentIndex(-1);
    for (int tag = tagForm; tag < tagCount; ++tag) lists_[tag]->setCurrentIndex(-1);
    cbInvItem_->setTristate(true);
    cbInvItem_->setCheckState(Qt::PartiallyChecked);
    for (QPushButton* b : clearButtons_) b->setEnabled(false);
    GetBtnOk()->setEnabled(false);
    GetBtnCancel()->setText(QStringLiteral("閉じる"));
}

TDataPropertyChangeDialog* ShowDataPropertyChangeDlg(TVktObject* obj)
{
    static QPointer<TDataPropertyChangeDialog> dialog;
    TDataPropertyChangeDialog* d = SingleDialog(dialog);
    d->SetDataObject(obj);
    return d;
}
