#include "dialogs/Fexecutedialog.h"

#include "database/Uvktobject.h"
#include "dialogs/Uwizardpages.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "widgets/Fvktform.h"
#include "widgets/Mvktmodule.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kClientWidth = 449;
constexpr int kClientHeight = 105;
constexpr int kLabelWidth = 377;
constexpr int kLabelHeight = 30;   // what a set-up text and a record's text need
constexpr int kPaintIntervalMs = 50;
constexpr int kPumpIntervalMs = 5;

constexpr const char* kCancelCaption = "キャンセル";
constexpr const char* kCloseCaption = "閉じる";
constexpr const char* kFinished = "終了しました。";
constexpr const char* kCancelled = "実行はキャンセルされました。";
constexpr const char* kFailed = "エラーのため実行を中断しました。";
constexpr const char* kAskCancel = "キャンセルしますか？";
// A stock-taking sheet is made or re-valued whole or not at all.
constexpr const char* kAskCancelSheet = "キャンセルしますか？\r\n棚卸し表は実行前の状態に戻ります。";
constexpr const char* kSheetAsBefore = "棚卸し表は実行前のままです。";
// Records in use listed by name in the notice after an erase, and users per record.
constexpr std::size_t kListedRecords = 10;
constexpr std::size_t kListedUsers = 3;

// "a、b、c ほか2件" of the first `limit` names.
std::string NameList(const std::vector<std::string>& names, std::size_t limit)
{
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < limit; ++i) text += (i > 0 ? "、" : "") + names[i];
    if (names.size() > limit) text += " ほか" + std::to_string(names.size() - limit) + "件";
    return text;
}

// The notice of the records an erase left where they were because recipes or menus use them.
std::string InUseNotice(const std::vector<TVktItemUse>& uses)
{
    std::string text = "次のデータは他の料理やメニューの材料に使われているため、ゴミ箱に移動しませんでした。\r\n";
    for (std::size_t i = 0; i < uses.size() && i < kListedRecords; ++i)
        text += "\r\n・" + uses[i].Name + "（使用: " + NameList(uses[i].Users, kListedUsers) + "）";
    if (uses.size() > kListedRecords) text += "\r\n・ほか" + std::to_string(uses.size() - kListedRecords) + "件";
    return text;
}

// The clock of running routines, read once per record.
const QElapsedTimer& RunClock()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock;
}

// When the running routine next lets the window system's events through, on RunClock. Runs do not
// overlap but for a nested one, which only moves the next pass.
qint64& NextPump()
{
    static qint64 due = 0;
    return due;
}

} // namespace

// The program's icon at 48 × 48, compiled into the library.
static QPixmap ProgramPicture()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(dialogs);
        return true;
    }();
    (void)registered;
    return QPixmap(QStringLiteral(":/dialogs/program48.png"));
}

TExecuteDialog::TExecuteDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    ReturnFocusOnClose(*this);
    setObjectName("ExecuteDialog");
    setFont(VktFormFont());
    setModal(true);
    setWindowTitle(platform::ToQString("データベースのプロパティ"));

    image_ = new QLabel(this);
    image_->setObjectName("Image");
    image_->setGeometry(8, 8, 48, 48);
    image_->setPixmap(ProgramPicture());

    label_ = new QLabel(this);
    label_->setObjectName("Label");
    // A record's text shows as it is written; a fixed size keeps each record's text from asking the
    // window for a new layout (a posted event per record).
    label_->move(64, 8);
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->resize(kLabelWidth, 16);
    progressBar_->setRange(0, 0);
    progressBar_->setTextVisible(false);

    bevel1_ = new QFrame(this);
    bevel1_->setObjectName("Bevel1");
    bevel1_->resize(433, 2);
    bevel1_->setFrameShape(QFrame::HLine);
    bevel1_->setFrameShadow(QFrame::Sunken);

    appLabel_ = new QLabel(this);
    appLabel_->setObjectName("AppLabel");
    appLabel_->resize(280, 25);
    appLabel_->setFont(VktFormFont(true));
    appLabel_->setEnabled(false);
    appLabel_->setText(platform::ToQString(" " + VktMdl()->GetProductName() + " "));

    btnCancel_ = new QPushButton(platform::ToQString(kCancelCaption), this);
    btnCancel_->setObjectName("BtnCancel");
    btnCancel_->resize(75, 25);
    btnCancel_->setDefault(true);
    connect(btnCancel_, &QPushButton::clicked, this, platform::Guarded([this](bool) { BtnCancelClick(); }));

    Arrange(kLabelHeight);

    UnbindOnNotice([this] { SetDataObject(nullptr); });
}

TExecuteDialog::~TExecuteDialog()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

void TExecuteDialog::Arrange(int labelHeight)
{
    const int below = std::max(labelHeight, kLabelHeight) - kLabelHeight;
    label_->setFixedSize(kLabelWidth, kLabelHeight + below);
    progressBar_->move(64, 42 + below);
    bevel1_->move(8, 67 + below);
    appLabel_->move(8, 74 + below);
    btnCancel_->move(366, 74 + below);
    setFixedSize(kClientWidth, kClientHeight + below);
}

// ---- Set-ups ----------------------------------------------------------------------------------------

template <typename Store>
bool TExecuteDialog::Setup(int operation, const char* caption, const char* label, Store&& store)
{
    if (isVisible()) return false;
    TVktObject* object = GetDataObject();
    if (!object || !object->IsValid()) return true;

    cancel_ = false;
    // Qt shows a range of 0 to 0 as a busy indicator: a run of no steps gets an empty bar.
    progressBar_->setRange(0, std::max(store(*object), 1));
    progressBar_->setValue(0);
    operation_ = operation;
    setWindowTitle(platform::ToQString(caption));
    label_->setText(platform::ToQString(label));
    Arrange(kLabelHeight);
    btnCancel_->setText(platform::ToQString(kCancelCaption));
    SetScreenPlace(this, TScreenPlace::Center);
    exec();
    operation_ = opNone;   // closed before its start: the operation never runs later
    setUpdatesEnabled(true);   // an auto-closed run left them off
    return true;
}

bool TExecuteDialog::InsertData(TVktObjKind kind, int stepCount, std::string text, TPriorityItem fields)
{
    return Setup(opInsertData, "データ一括変換", "データの一括変換をしています...", [&](TVktObject&) {
        kind_ = kind;
        text_ = std::move(text);
        lists_[0] = std::move(fields);
        return stepCount;
    });
}

bool TExecuteDialog::ChangeDataClass(int classId, TPriorityItem ids)
{
    return Setup(opChangeDataClass, "データ分類変更", "データの分類を変更しています...", [&](TVktObject&) {
        argument_ = classId;
        return StoreIds(std::move(ids));
    });
}

bool TExecuteDialog::EraseData(TPriorityItem ids)
{
    return Setup(opEraseData, "データ削除", "データをゴミ箱に削除しています...",
                 [&](TVktObject&) { return StoreIds(std::move(ids)); });
}

bool TExecuteDialog::RestoreData(TPriorityItem ids)
{
    return Setup(opRestoreData, "データ復帰", "データをゴミ箱から復帰しています...",
                 [&](TVktObject&) { return StoreIds(std::move(ids)); });
}

bool TExecuteDialog::PurgeData(TPriorityItem ids)
{
    return Setup(opPurgeData, "データ削除", "ゴミ箱から削除しています...",
                 [&](TVktObject&) { return StoreIds(std::move(ids)); });
}

bool TExecuteDialog::AppendRecipeItem(int recipeId, TPriorityItem ids)
{
    return Setup(opAppendRecipeItem, "材料追加", "材料を追加しています...", [&](TVktObject&) {
        argument_ = recipeId;
        return StoreIds(std::move(ids));
    });
}

bool TExecuteDialog::SetInventoryEntry(std::uint8_t priceType, bool recreate, platform::TDateTime date)
{
    return Setup(opSetInventoryEntry, "棚卸し表作成", "項目を追加しています...", [&](TVktObject& object) {
        option1_ = priceType;
        option2_ = recreate;
        argument_ = static_cast<int>(date);   // the whole day
        return StoreIds(object.GetInventoryItems());
    });
}

bool TExecuteDialog::SetInventoryEntries(int invDateId, TPriorityItem ids)
{
    return Setup(opSetInventoryEntries, "棚卸し表に追加", "項目を追加しています...", [&](TVktObject&) {
        argument_ = invDateId;
        return StoreIds(std::move(ids));
    });
}

bool TExecuteDialog::DeleteInventoryEntry(int invDateId, TPriorityItem ids)
{
    return Setup(opDeleteInventoryEntry, "棚卸し表から削除", "項目を削除しています...", [&](TVktObject&) {
        argument_ = invDateId;
        return StoreIds(std::move(ids));
    });
}

bool TExecuteDialog::SetDataAttributes(TPriorityItem ids, TPriorityItem attrItems, TPriorityItem states)
{
    return Setup(opSetDataAttributes, "データ属性変更", "データの属性を変更しています...", [&](TVktObject&) {
        lists_[1] = std::move(attrItems);
        lists_[2] = std::move(states);
        return StoreIds(std::move(ids));
    });
}

bool TExecuteDialog::UpdateDataKeys(std::string values, TPriorityItem ids, TPriorityItem fields)
{
    return Setup(opUpdateDataKeys, "データ一括変更", "データを変更しています...", [&](TVktObject&) {
        text_ = std::move(values);
        lists_[1] = std::move(fields);
        return StoreIds(std::move(ids));
    });
}

int TExecuteDialog::StoreIds(TPriorityItem ids)
{
    lists_[0] = std::move(ids);
    return lists_[0].GetCount();
}

// ---- The run ----------------------------------------------------------------------------------------

void TExecuteDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (operation_ == opNone || startQueued_) return;
    startQueued_ = true;
    QTimer::singleShot(0, this, [this] { Start(); });
}

void TExecuteDialog::Start()
{
    startQueued_ = false;
    if (operation_ == opNone || running_) return;
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // The code is cleared before the routine runs, so a routine that raises never runs twice.
    const int operation = std::exchange(operation_, opNone);
    running_ = true;
    steps_ = 0;
    recordText_.reset();
    failedRow_ = 0;
    failedText_.clear();
    paintDue_ = RunClock().elapsed() + kPaintIntervalMs;
    NextPump() = RunClock().elapsed() + kPumpIntervalMs;
    bool ok = false;
    const bool completed = platform::Guard([&] {
        struct Running {   // the run ends however the routine leaves
            TExecuteDialog& dialog;
            ~Running()
            {
                dialog.running_ = false;
                // A raise is reported with the window showing its last state behind the error.
                if (std::uncaught_exceptions() > 0) dialog.PaintProgress();
            }
        } running{*this};
        setUpdatesEnabled(false);
        ok = RunRoutine(operation);
    });
    EndRun(operation, completed, ok);
}

bool TExecuteDialog::RunRoutine(int operation)
{
    TVktObject* object = GetDataObject();
    if (!object) return false;
    const TVktProgressEvent progress = [this](TVktObject* sender, const std::string& text, bool& cont, int tag) {
        Progress(sender, text, cont, tag);
    };
    // Copies: a binding or set-up during the run cannot change what the routine works on.
    const int tag = operation - 1;
    const TPriorityItem ids = lists_[0];
    const TPriorityItem second = lists_[1];
    const TPriorityItem third = lists_[2];
    const std::string text = text_;
    const int argument = argument_;
    switch (operation) {
    case opInsertData: return object->InsertData(kind_, text, ids, tag, progress);
    case opChangeDataClass: return object->ChangeDataClass(argument, tag, ids, progress);
    case opEraseData: return object->EraseData(tag, ids, progress);
    case opRestoreData: return object->RestoreData(tag, ids, progress);
    case opPurgeData: return object->PurgeData(tag, ids, progress);
    case opAppendRecipeItem: return object->AppendRecipeItem(argument, tag, ids, progress);
    case opSetInventoryEntry:
        return object->SetInventoryEntry(option1_, option2_, ids, static_cast<platform::TDateTime>(argument), tag,
                                         progress);
    case opSetInventoryEntries: return object->SetInventoryEntries(argument, tag, ids, progress);
    case opDeleteInventoryEntry: return object->DeleteInventoryEntry(argument, tag, ids, progress);
    case opSetDataAttributes: return object->SetDataAttributes(tag, ids, second, third, progress);
    case opUpdateDataKeys: return object->UpdateDataKeys(text, tag, ids, second, progress);
    default: return false;
    }
}

void TExecuteDialog::EndRun(int operation, bool completed, bool ok)
{
    btnCancel_->setText(platform::ToQString(kCloseCaption));
    // A raise ends the run as failed even when a cancel was waiting for its answer.
    const bool cancelled = completed && cancel_;
    const bool failed = !completed || (!ok && !cancelled);
    std::string end = cancelled ? kCancelled : kFinished;
    if (failed) {
        end = kFailed;
        if (operation == opInsertData && failedRow_ > 0)
            end += "\n" + std::to_string(failedRow_) + "行目: " + failedText_;
    }
    if (operation == opSetInventoryEntry && (cancelled || failed)) end += std::string("\n") + kSheetAsBefore;
    // An erase leaves the records that recipes or menus use: the cook is told which and why.
    std::vector<TVktItemUse> inUse;
    if (operation == opEraseData && completed && GetDataObject()) {
        TPriorityItem processed = lists_[0];
        processed.SetCount(std::min(steps_, processed.GetCount()));
        inUse = GetDataObject()->GetItemUses(processed);
        if (!inUse.empty()) end += "\n使用中の" + std::to_string(inUse.size()) + "件はゴミ箱に移動しませんでした。";
    }
    recordText_.reset();   // the end text takes its place
    label_->setText(platform::ToQString(end));
    Arrange(label_->heightForWidth(kLabelWidth));   // every line of the end text above the bar
    ShowProgress();
    // A window that closes itself is not painted again; it closes with updates off until then.
    if (autoClose_ && !failed)
        QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
    else
        PaintProgress();
    autoClose_ = false;
    if (!inUse.empty()) platform::ShowInformation(InUseNotice(inUse));
}

void TExecuteDialog::Progress(TVktObject*, const std::string& text, bool& cont, int tag)
{
    const bool recordOk = cont;
    ++steps_;
    if (tag == 0) recordText_ = text;
    const qint64 clock = RunClock().elapsed();
    if (clock >= paintDue_) PaintProgress();
    // Posted events (a queued click) are seen at every record, the window system's (a click on
    // Cancel) within kPumpIntervalMs: letting those through at every record cost more than the
    // records themselves.
    if (clock >= NextPump()) {
        NextPump() = clock + kPumpIntervalMs;
        ShowProgress();
        platform::PumpEvents();
    } else {
        QCoreApplication::sendPostedEvents();
    }
    if (!recordOk) {
        // The routine stops at this record; no question about a run that ends anyway.
        failedRow_ = steps_;
        failedText_ = text;
        cancel_ = false;
        cont = false;
        return;
    }
    if (cancel_) {
        ShowProgress();
        const char* question = tag == opSetInventoryEntry - 1 ? kAskCancelSheet : kAskCancel;
        if (!platform::AskYesNo(question, "確認", false)) cancel_ = false;
    }
    cont = !cancel_;
}

void TExecuteDialog::PaintProgress()
{
    paintDue_ = RunClock().elapsed() + kPaintIntervalMs;
    ShowProgress();
    setUpdatesEnabled(true);
    if (isVisible()) repaint();
    if (running_) setUpdatesEnabled(false);
}

void TExecuteDialog::ShowProgress()
{
    const int value = std::min(steps_, progressBar_->maximum());
    if (progressBar_->value() != value) progressBar_->setValue(value);
    if (recordText_) {
        label_->setText(platform::ToQString(*recordText_));
        recordText_.reset();
    }
}

void TExecuteDialog::BtnCancelClick()
{
    if (Busy())
        cancel_ = true;   // asked at the next progress call
    else
        accept();
}

void TExecuteDialog::reject()
{
    if (!Busy()) QDialog::reject();
}

void TExecuteDialog::closeEvent(QCloseEvent* event)
{
    if (Busy())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

TExecuteDialog* ExecuteDlg(TVktObject* obj)
{
    static QPointer<TExecuteDialog> dialog;
    if (!dialog) {
        dialog = new TExecuteDialog();
        if (platform::Application* app = platform::Application::Instance())
            app->AtExit([guarded = dialog] { delete guarded.data(); });
    }
    dialog->SetDataObject(obj);
    return dialog;
}
