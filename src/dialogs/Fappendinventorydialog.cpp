#include "dialogs/Fappendinventorydialog.h"

#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kHelpContext = 9744;
constexpr int kExtraHeight = 30;

} // namespace

TAppendInventoryDialog::TAppendInventoryDialog(QWidget* parent) : TWizardDialog(parent, false, kExtraHeight)
{
    setObjectName(QStringLiteral("AppendInventoryDialog"));
    setWindowTitle(QStringLiteral("棚卸し表追加ウィザード"));
    BindHelp(*this, kHelpContext);

    QWidget* start = GetPages()->AddPage("TabSheet1", "ウィザード開始");
    AddPageLabel(start, "Label1", "棚卸し表追加ウィザードの開始", 12, 12, 0, true);
    AddPageLabel(start, "Label2", "データビューで選択されているデータを棚卸し表に追加します。", 12, 48);
    AddPageLabel(start, "Label3", "棚卸し表追加ウィザードを開始するには進むをクリックしてください。", 12, 84);

    QWidget* page = GetPages()->AddPage("TabSheet2", "棚卸し表に追加");
    AddPageLabel(page, "Label7", "追加する年月を選択してください。", 12, 12, 400);
    AddPageLabel(page, "LabelCreateDate", "追加する年月", 12, 47, 90);
    invDateList_ = new QComboBox(page);
    invDateList_->setObjectName(QStringLiteral("InvDateList"));
    invDateList_->setGeometry(104, 44, 130, 22);
    btnCreate_ = new QPushButton(QStringLiteral("追加"), page);
    btnCreate_->setObjectName(QStringLiteral("BtnCreate"));
    btnCreate_->setGeometry(462, 110, 97, 22);

    connect(invDateList_, &QComboBox::activated, this, platform::Guarded([this](int) {
        GetBtnNext()->setEnabled(false);
        btnCreate_->setEnabled(true);
    }));
    OnClick(btnCreate_, this, [this] { BtnCreateClick(); });
}

void TAppendInventoryDialog::PageChanged(int page)
{
    if (page == 0) return;
    TVktObject* object = GetDataObject();
    FillMonthList(*invDateList_, object ? object->GetInvDateMonths() : TPriorityItem());
    btnCreate_->setEnabled(false);
}

void TAppendInventoryDialog::BtnCreateClick()
{
    TVktObject* object = GetDataObject();
    const int month = ChosenMonth(*invDateList_);
    {
        const platform::BusyCursor busy;
        const int sheet = object && month != 0 ? object->FindInvDate(month) : 0;
        ExecuteDlg(object)->SetInventoryEntries(sheet, ids_);
    }
    GetBtnNext()->setEnabled(true);
    btnCreate_->setEnabled(false);
}

int TAppendInventoryDialog::Execute(const TPriorityItem& ids)
{
    ShowPage(0);
    ids_ = ids;
    return exec();
}

TAppendInventoryDialog* AppendInventoryDlg(TVktObject* obj)
{
    static QPointer<TAppendInventoryDialog> dialog;
    TAppendInventoryDialog* d = SingleDialog(dialog);
    d->SetDataObject(obj);
    return d;
}
