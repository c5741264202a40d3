#include "dialogs/Finventorydialog.h"

#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

constexpr int kHelpContext = 8720;
constexpr int kExtraHeight = 70;
constexpr const char* kMonthProperty = "vktMonth";

} // namespace

TInventoryDialog::TInventoryDialog(QWidget* parent) : TWizardDialog(parent, false, kExtraHeight)
{
    setObjectName(QStringLiteral("InventoryDialog"));
    setWindowTitle(QStringLiteral("棚卸し表作成ウィザード"));
    BindHelp(*this, kHelpContext);

    QWidget* start = GetPages()->AddPage("TabStart", "ウィザード開始");
    AddPageLabel(start, "Label1", "棚卸し表作成ウィザードの開始", 12, 12, 0, true);
    AddPageLabel(start, "Label2", "棚卸し表は、編集の前に年月を指定してあらかじめ表を作成する必要があります。", 12, 44);
    AddPageLabel(start, "Label3", "表に使用されるデータは、作成する時点で棚卸し項目として設定されているデータを", 12, 68);
    AddPageLabel(start, "Label4", "元に指定した年月の単価が参照されます。", 12, 86);
    AddPageLabel(start, "Label5", "棚卸し表を作成するには進むをクリックしてください。", 12, 118);
    AddPageLabel(start, "Label6", "データは表作成後も追加および削除することが出来ます。", 12, 142);

    QWidget* page = GetPages()->AddPage("TabSheet1", "棚卸し表の作成");
    AddPageLabel(page, "LabelCreateDate", "作成する年月", 12, 15, 90);
    yHistDateEdit_ = new QLineEdit(page);
    yHistDateEdit_->setObjectName(QStringLiteral("YHistDateEdit"));
    yHistDateEdit_->setReadOnly(true);
    yHistDateEdit_->setGeometry(104, 12, 110, 22);
    upDown_ = new QWidget(page);
    upDown_->setObjectName(QStringLiteral("UpDown"));
    upDown_->setGeometry(214, 12, 16, 22);
    upButton_ = new QToolButton(upDown_);
    upButton_->setObjectName(QStringLiteral("UpButton"));
    upButton_->setArrowType(Qt::UpArrow);
    upButton_->setGeometry(0, 0, 16, 11);
    downButton_ = new QToolButton(upDown_);
    downButton_->setObjectName(QStringLiteral("DownButton"));
    downButton_->setArrowType(Qt::DownArrow);
    downButton_->setGeometry(0, 11, 16, 11);
    AddPageLabel(page, "Label7", "作成する年月を選択してください。", 240, 15);
    AddPageLabel(page, "LabelCreatePrice", "使用単価", 12, 51, 90);
    cbPriceType_ = new QComboBox(page);
    cbPriceType_->setObjectName(QStringLiteral("CBPriceType"));
    for (const char* item : {"現在の価格", "指定年月の最終価格", "指定年月の最高価格", "指定年月の平均価格",
                             "指定年月の最低価格"})
        cbPriceType_->addItem(platform::ToQString(item));
    cbPriceType_->setGeometry(104, 48, 150, 22);
    AddPageLabel(page, "Label8", "設定する価格の種類を選択してください。", 12, 80);
    cbInit_ = new QCheckBox(QStringLiteral("表の編集されたデータを全て破棄し、再度作成しなおす。"), page);
    cbInit_->setObjectName(QStringLiteral("CBInit"));
    cbInit_->setGeometry(12, 110, 400, 20);
    btnCreate_ = new QPushButton(QStringLiteral("作成"), page);
    btnCreate_->setObjectName(QStringLiteral("BtnCreate"));
    btnCreate_->setGeometry(462, 150, 97, 22);

    OnClick(upButton_, this, [this] { StepMonth(true); });
    OnClick(downButton_, this, [this] { StepMonth(false); });
    connect(cbPriceType_, &QComboBox::currentIndexChanged, this, platform::Guarded([this](int) { PropertyChange(); }));
    connect(cbInit_, &QCheckBox::toggled, this, platform::Guarded([this](bool) { PropertyChange(); }));
    OnClick(btnCreate_, this, [this] { BtnCreateClick(); });
}

int TInventoryDialog::GetMonth() const { return yHistDateEdit_->property(kMonthProperty).toInt(); }

void TInventoryDialog::SetMonth(int firstDay)
{
    yHistDateEdit_->setProperty(kMonthProperty, firstDay);
    yHistDateEdit_->setText(platform::ToQString(MonthText(firstDay, true)));
}

void TInventoryDialog::StepMonth(bool up)
{
    const int day = GetMonth();
    const platform::DateParts date = platform::DecodeDate(day);
    SetMonth(up ? day + platform::DaysInMonth(date.year, date.month) : FirstDayOfMonth(day - 1));
    PropertyChange();
}

void TInventoryDialog::PageChanged(int page)
{
    if (page == 0) return;
    TVktObject* object = GetDataObject();
    months_ = object ? object->GetInvDateMonths() : TPriorityItem();
    PropertyChange();
}

void TInventoryDialog::PropertyChange()
{
    btnCreate_->setEnabled(true);
    GetBtnNext()->setEnabled(false);
    GetBtnCancel()->setEnabled(true);
    cbInit_->setEnabled(months_.IndexOf(GetMonth()) >= 0);
}

void TInventoryDialog::BtnCreateClick()
{
    btnCreate_->setEnabled(false);
    TVktObject* object = GetDataObject();
    {
        const platform::BusyCursor busy;
        ExecuteDlg(object)->SetInventoryEntry(static_cast<std::uint8_t>(std::max(0, cbPriceType_->currentIndex())),
                                              cbInit_->isEnabled() && cbInit_->isChecked(), GetMonth());
    }
    if (object) months_ = object->GetInvDateMonths();
    GetBtnNext()->setEnabled(true);
    GetBtnCancel()->setEnabled(false);
}

TInventoryDialog* InventoryDlg()
{
    static QPointer<TInventoryDialog> dialog;
    if (!dialog) {
        const platform::BusyCursor busy;
        return SingleDialog(dialog);
    }
    return dialog;
}

void ShowInventoryDlg(TVktObject* obj)
{
    TInventoryDialog* dialog = InventoryDlg();
    dialog->ShowPage(0);
    dialog->SetDataObject(obj);
    dialog->SetMonth(FirstDayOfMonth(platform::Now()));
    dialog->exec();
}
