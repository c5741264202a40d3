#include "dialogs/Fuseunitchangedialog.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/NumberText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace {

constexpr int kHelpContext = 9488;
constexpr int kExtraHeight = 90;

QLineEdit* AddEdit(QWidget* page, const char* name, int left, int top, bool readOnly)
{
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(readOnly);
    edit->setGeometry(left, top, 90, 22);
    return edit;
}

} // namespace

TUseUnitChangeDialog::TUseUnitChangeDialog(QWidget* parent) : TWizardDialog(parent, true, kExtraHeight)
{
    setObjectName(QStringLiteral("UseUnitChangeDialog"));
    setWindowTitle(QStringLiteral("使用単位の変更ウィザード"));
    BindHelp(*this, kHelpContext);

    QWidget* start = GetPages()->AddPage("TabSheet1", "ウィザード開始");
    AddPageLabel(start, "Label", "使用単位の変更ウィザード", 12, 12, 0, true);
    AddPageLabel(start, "Label12", "使用単位の変更はそのデータの価格変動の履歴に影響を与えます。", 12, 48);
    AddPageLabel(start, "Label14", "このウィザードはそれらの整合性を保つために価格や使用量を変換します。", 12, 72);
    AddPageLabel(start, "Label16", "使用単位を変更するには進むをクリックしてください。", 12, 108);

    QWidget* page = GetPages()->AddPage("TabSheet2", "使用単位の変更");
    AddPageLabel(page, "Label1", "単価の更新履歴の精度を維持するために履歴のデータを修正します。", 12, 10);
    AddPageLabel(page, "Label2", "これは旧単位から新単位への倍率を履歴の単価にかけることで実現されます。", 12, 28);
    AddPageLabel(page, "Label9", "旧単位", 12, 58, 50);
    oldUnitEdit_ = AddEdit(page, "OldUnitEdit", 62, 55, true);
    AddPageLabel(page, "Label7", "から", 156, 58, 30);
    AddPageLabel(page, "Label10", "新単位", 196, 58, 50);
    newUnitEdit_ = AddEdit(page, "NewUnitEdit", 246, 55, true);
    AddPageLabel(page, "Label8", "へ", 340, 58, 30);
    AddPageLabel(page, "Label11", "倍率", 12, 90, 50);
    unitRateEdit_ = AddEdit(page, "UnitRateEdit", 62, 87, false);
    AddPageLabel(page, "Label3", "例", 12, 122, 30);
    AddPageLabel(page, "Label4", "ｇからｋｇへ変更する場合は １０００ を", 40, 122);
    AddPageLabel(page, "Label5", "ｋｇからｇへ変更する場合は ０．００１ を倍率に入力します。", 40, 140);
    AddPageLabel(page, "Label6", "使用単位だけを変更して、価格や使用量のデータを修正しない場合は １ を入力します。", 12,
                 166);

    connect(unitRateEdit_, &QLineEdit::textChanged, this, platform::Guarded([this](const QString&) {
        UnitRateEditChange();
    }));
}

void TUseUnitChangeDialog::PageChanged(int page)
{
    if (page == 0) return;
    GetBtnNext()->setText(QStringLiteral("実行"));
    GetBtnNext()->setEnabled(rateValid_);
}

void TUseUnitChangeDialog::UnitRateEditChange()
{
    const std::string text = platform::FromQString(unitRateEdit_->text());
    double value = 0;
    // A rate of 0 or below would wipe or negate the price history.
    rateValid_ = !text.empty() && platform::TryStrToFloat(text, value) && std::isfinite(value) && value > 0;
    rate_ = rateValid_ ? value : 1.0;
    if (GetPages()->currentIndex() == 1) GetBtnNext()->setEnabled(rateValid_);
}

std::string TUseUnitChangeDialog::UnitName(int id) const
{
    TVktObject* object = GetDataObject();
    if (!object || !object->IsValid()) return {};
    TVDBUnits reader(object);
    reader.Refresh();
    reader.Locate(id);
    return reader.GetRowCount() > 0 && reader.GetUnitsID() == id ? reader.GetUnits() : std::string();
}

void TUseUnitChangeDialog::Prepare(int oldUnit, int newUnit)
{
    oldUnitEdit_->setText(platform::ToQString(UnitName(oldUnit)));
    newUnitEdit_->setText(platform::ToQString(UnitName(newUnit)));
    unitRateEdit_->setText(QStringLiteral("1"));
    rate_ = 1.0;
    rateValid_ = true;
    ShowPage(0);
}

bool TUseUnitChangeDialog::Execute(int oldUnit, int newUnit, double& rate)
{
    Prepare(oldUnit, newUnit);
    const bool confirmed = exec() == QDialog::Accepted;
    rate = confirmed ? rate_ : 1.0;
    return confirmed;
}

TUseUnitChangeDialog* UseUnitChangeDlg(TVktObject* obj)
{
    static QPointer<TUseUnitChangeDialog> dialog;
    TUseUnitChangeDialog* d = SingleDialog(dialog);
    d->SetDataObject(obj);
    return d;
}
