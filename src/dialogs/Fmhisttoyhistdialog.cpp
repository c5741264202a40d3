#include "dialogs/Fmhisttoyhistdialog.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "widgets/Fvktform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int kHelpContext = 8976;
constexpr int kExtraHeight = 60;
constexpr int kPaintIntervalMs = 50;

// The records a fold runs over: every data record.
int DataRecordCount(TVktObject& object)
{
    TVktAccesser counter(&object);
    counter.BeginUpdate();
    counter.SetTable(TVktTable::TblData);
    TPriorityItem fields;
    fields << ToInt(TVktField::Data_ID);
    counter.SetFields(fields);
    counter.SetWindow(1);   // counted, one row read
    counter.EndUpdate();
    return counter.GetRowCount();
}

} // namespace

// Disables the wizard's controls for a fold and gives each its state back after it. The bar's
// repaints hold the cook's input back; what was given during the fold was aimed at disabled
// controls, so it is dropped at the end instead of reaching them once they are enabled again.
class TMHistToYHistDialog::TRunLock : public QObject {
public:
    explicit TRunLock(TMHistToYHistDialog& dialog)
    {
        for (QWidget* w : std::initializer_list<QWidget*>{dialog.GetBtnPrev(), dialog.GetBtnNext(),
                                                          dialog.GetBtnCancel(), dialog.GetBtnHelp(),
                                                          dialog.btnCreate_, dialog.mHistDateList_,
                                                          dialog.cbDeleteMHist_}) {
            held_.emplace_back(w, w->isEnabled());
            w->setEnabled(false);
        }
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TRunLock() override
    {
        QCoreApplication::processEvents();   // the held-back input, into eventFilter
        QCoreApplication::instance()->removeEventFilter(this);
        for (const auto& [w, enabled] : held_)
            if (w) w->setEnabled(enabled);
    }
    TRunLock(const TRunLock&) = delete;
    TRunLock& operator=(const TRunLock&) = delete;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu: return true;
        default: return false;
        }
    }

private:
    std::vector<std::pair<QPointer<QWidget>, bool>> held_;
};

TMHistToYHistDialog::TMHistToYHistDialog(QWidget* parent) : TWizardDialog(parent, false, kExtraHeight)
{
    setObjectName(QStringLiteral("MHistToYHistDialog"));
    setWindowTitle(QStringLiteral("年間履歴作成ウィザード"));
    GetBtnOk()->setText(QStringLiteral("作成"));
    BindHelp(*this, kHelpContext);

    QWidget* start = GetPages()->AddPage("TabSheet1", "ウィザード開始");
    AddPageLabel(start, "Label", "年間履歴作成ウィザード", 12, 12, 0, true);
    AddPageLabel(start, "LabelStr", "月間履歴を最高、最低、平均、最終価格に集計し年間履歴として保存します。", 12, 48);
    AddPageLabel(start, "Label1", "年間履歴は、棚卸し表や料理、メニューデータの材料の価格として利用されます。", 12, 72);
    AddPageLabel(start, "Label5", "年間履歴を作成するには進むをクリックしてください。", 12, 108);

    QWidget* page = GetPages()->AddPage("TabSheet2", "年間履歴作成");
    AddPageLabel(page, "Label6", "作成する年月を選択してください。", 12, 12);
    mHistDateList_ = new QComboBox(page);
    mHistDateList_->setObjectName(QStringLiteral("MHistDateList"));
    mHistDateList_->setGeometry(12, 36, 130, 22);
    mHistDateList_->setPlaceholderText(QStringLiteral("年月を選択"));
    cbDeleteMHist_ = new QCheckBox(QStringLiteral("変換後月間履歴を削除する"), page);
    cbDeleteMHist_->setObjectName(QStringLiteral("CBDeleteMHist"));
    cbDeleteMHist_->setGeometry(160, 37, 240, 20);
    btnCreate_ = new QPushButton(QStringLiteral("変換"), page);
    btnCreate_->setObjectName(QStringLiteral("BtnCreate"));
    btnCreate_->setGeometry(462, 72, 97, 22);
    progressBar_ = new QProgressBar(page);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setGeometry(12, 75, 440, 16);
    progressBar_->setTextVisible(false);
    progressBar_->hide();
    AddPageLabel(page, "Label2", "月間履歴は削除しなければ何度でも編集、変換することが出来ますが", 12, 110);
    AddPageLabel(page, "Label3", "データベースファイルのサイズは大きくなります。", 12, 128);
    AddPageLabel(page, "Label4", "不要になりしだい削除することを推奨します。", 12, 146);

    SetScreenPlace(this, TScreenPlace::Center);

    connect(mHistDateList_, &QComboBox::activated, this, platform::Guarded([this](int) { MHistDateListChange(); }));
    OnClick(btnCreate_, this, [this] { BtnCreateClick(); });
}

void TMHistToYHistDialog::PageChanged(int page)
{
    if (page == 0) return;
    mHistDateList_->setCurrentIndex(-1);
    cbDeleteMHist_->setEnabled(false);
    btnCreate_->setEnabled(false);
    progressBar_->hide();
}

void TMHistToYHistDialog::MHistDateListChange()
{
    GetBtnNext()->setEnabled(false);
    GetBtnCancel()->setEnabled(true);
    btnCreate_->setEnabled(true);
    progressBar_->hide();
    // The monthly history of the running month cannot be deleted.
    cbDeleteMHist_->setEnabled(ChosenMonth(*mHistDateList_) < FirstDayOfMonth(platform::Now()));
}

void TMHistToYHistDialog::BtnCreateClick()
{
    TVktObject* object = GetDataObject();
    const int month = ChosenMonth(*mHistDateList_);
    if (!object || month == 0) return;
    const bool remove = cbDeleteMHist_->isEnabled() && cbDeleteMHist_->isChecked();
    if (remove && !platform::AskYesNo("変換後月間履歴を削除してもよろしいですか？", "確認", false)) return;
    bool made = false;
    {
        // Nothing stops a fold: while it runs every control looks as unusable as it is.
        const platform::BusyCursor busy;
        const TRunLock lock(*this);
        made = object->MakeYHistory(remove, 0, month, FoldProgress(DataRecordCount(*object)));
    }
    if (!made) {
        progressBar_->hide();
        platform::ShowError("年間履歴を作成できませんでした。");
        return;
    }
    progressBar_->setValue(progressBar_->maximum());
    // The month folded stays shown while it is listed; a deleted one leaves the list.
    if (remove) {
        mHistDateList_->removeItem(mHistDateList_->currentIndex());
        mHistDateList_->setCurrentIndex(-1);
    }
    cbDeleteMHist_->setChecked(false);
    cbDeleteMHist_->setEnabled(false);
    GetBtnNext()->setEnabled(true);
    GetBtnCancel()->setEnabled(false);
    btnCreate_->setEnabled(false);
}

TVktProgressEvent TMHistToYHistDialog::FoldProgress(int records)
{
    progressBar_->setRange(0, std::max(records, 1));
    progressBar_->setValue(0);
    progressBar_->show();
    // Painted as the run goes, at most every kPaintIntervalMs; the cook's input is held back (the run
    // lock drops it).
    const auto paint = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    paint();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [this, clock, paint, steps = 0, due = qint64(kPaintIntervalMs)](TVktObject*, const std::string&, bool&,
                                                                           int) mutable {
        ++steps;
        if (clock->elapsed() < due) return;
        due = clock->elapsed() + kPaintIntervalMs;
        progressBar_->setValue(std::min(steps, progressBar_->maximum()));
        paint();
    };
}

void TMHistToYHistDialog::Prepare()
{
    TVktObject* object = GetDataObject();
    FillMonthList(*mHistDateList_, object && object->IsValid() ? object->GetMHistoryMonths() : TPriorityItem());
    ShowPage(0);
}

int TMHistToYHistDialog::Execute()
{
    Prepare();
    return exec();
}

TMHistToYHistDialog* MHistToYHistDlg()
{
    static QPointer<TMHistToYHistDialog> dialog;
    return SingleDialog(dialog);
}

void ShowMHistToYHistDlg(TVktObject* obj)
{
    TMHistToYHistDialog* dialog = MHistToYHistDlg();
    dialog->SetDataObject(obj);
    dialog->Execute();
}
