#include "dialogs/Ffieldselectdialog.h"

#include "database/Uvktobject.h"
#include "gui/Anchors.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "screens/Ffieldselector.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fvktform.h"

#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include <functional>

namespace {

constexpr int kHelpContext = 9232;
// The height added to the base dialog's client for the list.
constexpr int kExtraHeight = 150;

void OnClick(QPushButton* button, QObject* context, std::function<void()> fn)
{
    QObject::connect(button, &QPushButton::clicked, context, [fn = std::move(fn)] { platform::Guard(fn); });
}

} // namespace

TFieldSelectDialog::TFieldSelectDialog(QWidget* parent) : TVktDialog(parent)
{
    using platform::AnchorSide;
    setObjectName(QStringLiteral("FieldSelectDialog"));
    setWindowTitle(QStringLiteral("詳細表示の設定"));
    setSizeGripEnabled(true);
    QWidget* client = GetClient();

    auto* label = new QLabel(QStringLiteral("表示する列の項目と順序"), client);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(8, 8, 300, 16);
    fieldSelector_ = new TFieldSelector(client, this);
    fieldSelector_->setGeometry(8, 26, 318, 166);

    const auto button = [client](const char* name, const char* caption, int top) {
        auto* b = new QPushButton(platform::ToQString(caption), client);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(336, top, 97, 22);
        platform::Anchor(*b, AnchorSide::Right | AnchorSide::Top);
        return b;
    };
    btnVisible_ = button("BtnVisible", "ソートなし(&V)", 26);
    btnAsnt_ = button("BtnAsnt", "昇順で表示(&T)", 52);
    btnDsnt_ = button("BtnDsnt", "降順で表示(&B)", 78);
    btnInvisible_ = button("BtnInvisible", "非表示(&I)", 104);
    btnUp_ = button("BtnUp", "上に(&U)", 142);
    btnDown_ = button("BtnDown", "下に(&D)", 168);
    platform::Anchor(*fieldSelector_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right | AnchorSide::Bottom);

    TStateListView* list = fieldSelector_->GetStateListView();
    const auto state = [this, list](QPushButton* b, int value) {
        OnClick(b, this, [list, value] { list->SetSelectedState(value); });
    };
    state(btnInvisible_, 0);
    state(btnVisible_, 1);
    state(btnAsnt_, 2);
    state(btnDsnt_, 3);
    OnClick(btnUp_, this, [list] { list->MoveUp(); });
    OnClick(btnDown_, this, [list] { list->MoveDown(); });
    OnClick(GetBtnSetting(), this, [this] { fieldSelector_->Apply(); });
    OnClick(GetBtnOk(), this, [this] {
        fieldSelector_->Apply();
        accept();
    });
    OnClick(GetBtnHelp(), this, [] { platform::ShowHelp(kHelpContext); });
    platform::AddIdleHandler(this, [this] {
        if (isVisible()) UpdateActions();
    });

    resize(width(), height() + kExtraHeight);
    setMinimumHeight(height() - kExtraHeight / 2);
}

void TFieldSelectDialog::showEvent(QShowEvent* event)
{
    TVktDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    SetScreenPlace(this, TScreenPlace::BottomRight);
}

void TFieldSelectDialog::UpdateActions()
{
    TVktObject* object = GetDataObject();
    const bool active = object && object->IsValid() &&
                        !fieldSelector_->GetStateListView()->GetListView()->selectedItems().isEmpty();
    for (QPushButton* b : {btnVisible_, btnAsnt_, btnDsnt_, btnInvisible_, btnUp_, btnDown_}) b->setEnabled(active);
    GetBtnSetting()->setEnabled(fieldSelector_->CanApply());
}

void TFieldSelectDialog::FillFields()
{
    TStateListView* list = fieldSelector_->GetStateListView();
    list->Clear();
    for (TVktField field : ListFieldSet.Fields()) list->AddItem(GetFieldCaption(field), ToInt(field));
}

void TFieldSelectDialog::Prepare(TVktObject* obj)
{
    SetDataObject(obj);
    if (obj) fieldSelector_->SetFields(obj->GetViewFields());
    UpdateActions();
}

TFieldSelectDialog* FieldSelectDlg()
{
    static QPointer<TFieldSelectDialog> dialog;
    if (!dialog) {
        dialog = new TFieldSelectDialog();
        if (platform::Application* app = platform::Application::Instance())
            app->AtExit([guarded = dialog] { delete guarded.data(); });
        dialog->FillFields();
    }
    return dialog;
}

void ShowFieldSelectDlg(TVktObject* obj)
{
    TFieldSelectDialog* dialog = FieldSelectDlg();
    dialog->Prepare(obj);
    dialog->exec();
}
