#include "reports/Fprintexecutedlg.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/RunPump.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "layout/Pageview.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Fvktform.h"
#include "widgets/Uprintersupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr const char* kIdleText = "印刷待機中";
constexpr const char* kPicturesText = "図の描画を待っています...";
constexpr const char* kStoppedText = "印刷を中止しました";
constexpr const char* kCloseCaption = "閉じる";
constexpr const char* kCancelCaption = "キャンセル";

template <typename W>
W* Make(QWidget* parent, const char* name, QRect bounds, const char* text = nullptr)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(bounds);
    if constexpr (requires { w->setText(QString()); })
        if (text) w->setText(platform::ToQString(text));
    return w;
}

TUpDownEdit* MakeNumber(QWidget* parent, const char* name, QRect bounds)
{
    auto* edit = Make<TUpDownEdit>(parent, name, bounds);
    edit->SetLimitType(1);
    edit->SetRange(1, 1);
    edit->SetValueQuiet(1);
    return edit;
}

// The check box that titles a group box, standing on its upper border.
QCheckBox* MakeTitleBox(QWidget* parent, QGroupBox* group, const char* name, const char* text)
{
    auto* box = Make<QCheckBox>(parent, name, {group->x() + 8, group->y() - 2, 180, 18}, text);
    box->adjustSize();
    box->setAutoFillBackground(true);
    box->raise();
    return box;
}

TPrintExecuteDlg*& Instance()
{
    static TPrintExecuteDlg* dialog = nullptr;
    return dialog;
}

} // namespace

TPrintExecuteDlg::TPrintExecuteDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("PrintExecuteDlg");
    setFont(VktFormFont());
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(platform::ToQString("印刷"));

    GroupBox1 = Make<QGroupBox>(this, "GroupBox1", {16, 16, 201, 121});
    PrintTypeList = Make<QComboBox>(GroupBox1, "PrintTypeList", {12, 24, 177, 22});
    for (const char* item : {"指定ページを全て印刷する", "奇数ページを印刷する", "偶数ページを印刷する"})
        PrintTypeList->addItem(platform::ToQString(item));
    PrintTypeList->setCurrentIndex(0);
    StartPageLabel = Make<QLabel>(GroupBox1, "StartPageLabel", {12, 58, 84, 20}, "スタートページ");
    StartPageEdit = MakeNumber(GroupBox1, "StartPageEdit", {100, 56, 89, 22});
    EndPageLabel = Make<QLabel>(GroupBox1, "EndPageLabel", {12, 88, 84, 20}, "ラストページ");
    EndPageEdit = MakeNumber(GroupBox1, "EndPageEdit", {100, 86, 89, 22});
    CBSelPage = MakeTitleBox(this, GroupBox1, "CBSelPage", "指定のページを印刷する");

    GroupBox2 = Make<QGroupBox>(this, "GroupBox2", {232, 16, 201, 121});
    CopyCountLabel = Make<QLabel>(GroupBox2, "CopyCountLabel", {12, 28, 84, 20}, "印刷部数");
    CopyCountEdit = MakeNumber(GroupBox2, "CopyCountEdit", {100, 26, 89, 22});
    // The list has no label of its own: a screen reader reads what it chooses.
    PrintTypeList->setAccessibleDescription(QStringLiteral("印刷するページ"));
    StartPageLabel->setBuddy(StartPageEdit);
    EndPageLabel->setBuddy(EndPageEdit);
    CopyCountLabel->setBuddy(CopyCountEdit);
    RBPageCopy = Make<QRadioButton>(GroupBox2, "RBPageCopy", {12, 60, 180, 20}, "ページごとに印刷 (高速)");
    RBFileCopy = Make<QRadioButton>(GroupBox2, "RBFileCopy", {12, 88, 180, 20}, "部単位ごとに印刷");
    RBPageCopy->setChecked(true);
    CBCopy = MakeTitleBox(this, GroupBox2, "CBCopy", "指定の部数を印刷する");

    ProgressLabel = Make<QLabel>(this, "ProgressLabel", {16, 142, 417, 16}, kIdleText);
    ProgressBar = Make<QProgressBar>(this, "ProgressBar", {16, 160, 417, 16});
    ProgressBar->setTextVisible(false);
    SetProgressMax(100);
    Bevel1 = Make<QFrame>(this, "Bevel1", {16, 188, 417, 2});
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    Label = Make<QLabel>(this, "Label", {16, 200, 188, 20});
    Label->setFont(VktFormFont(true));
    Label->setEnabled(false);
    BtnPrint = Make<QPushButton>(this, "BtnPrint", {208, 200, 105, 20}, "印刷");
    BtnPrint->setDefault(true);
    BtnPrint->setAutoDefault(true);
    BtnCancel = Make<QPushButton>(this, "BtnCancel", {328, 200, 105, 20}, kCloseCaption);
    BtnCancel->setAutoDefault(false);
    // Each group from its title box down, the left group first; the buttons last.
    platform::TabChain({CBSelPage, PrintTypeList, StartPageEdit, EndPageEdit, CBCopy, CopyCountEdit, RBPageCopy,
                        RBFileCopy, BtnPrint, BtnCancel});

    const auto onOption = [this] { platform::Guard([this] { PrintPageOperatorClick(); }); };
    connect(BtnPrint, &QPushButton::clicked, this, platform::Guarded([this](bool) { BtnPrintClick(); }));
    connect(BtnCancel, &QPushButton::clicked, this, platform::Guarded([this](bool) { BtnCancelClick(); }));
    connect(CBCopy, &QCheckBox::clicked, this, platform::Guarded([this](bool) { CBCopyClick(); }));
    connect(CBSelPage, &QCheckBox::clicked, this, [onOption](bool) { onOption(); });
    connect(PrintTypeList, &QComboBox::activated, this, [onOption](int) { onOption(); });
    connect(RBPageCopy, &QRadioButton::clicked, this, [onOption](bool) { onOption(); });
    connect(RBFileCopy, &QRadioButton::clicked, this, [onOption](bool) { onOption(); });
    for (TUpDownEdit* edit : {StartPageEdit, EndPageEdit, CopyCountEdit})
        edit->OnChange = [this](QObject*) { PrintPageOperatorClick(); };
}

TPrintExecuteDlg::~TPrintExecuteDlg()
{
    if (Instance() == this) Instance() = nullptr;
}

void TPrintExecuteDlg::Setup(TPageView* view, const std::string& remark, const std::string& title)
{
    pageView_ = view;
    const int pageMax = view ? view->GetPageMax() : 1;
    setWindowTitle(platform::ToQString("印刷 - " + title));
    BtnPrint->setEnabled(PrinterObject()->GetEnabled());
    CBSelPage->setChecked(false);
    CBCopy->setChecked(false);
    CBSelPage->setEnabled(pageMax >= 2);
    // The page limits first: the option handler reads the page count from them.
    for (TUpDownEdit* edit : {StartPageEdit, EndPageEdit}) {
        edit->SetRange(1, pageMax);
        edit->SetSuffix("/" + std::to_string(pageMax));
    }
    PrintPageOperatorClick();
    CBCopyClick();
    Label->setVisible(!remark.empty());
    Label->setText(platform::ToQString(" " + remark + " "));
}

bool TPrintExecuteDlg::PagePrinted(int page) const
{
    const int mode = PrintTypeList->currentIndex();
    return mode == 0 || (mode == 1 && page % 2 != 0) || (mode == 2 && page % 2 == 0);
}

int TPrintExecuteDlg::PrintCount() const
{
    int count = 0;
    for (int p = StartPageEdit->GetValue(); p <= EndPageEdit->GetValue(); ++p)
        if (PagePrinted(p)) ++count;
    return count * (RBPageCopy->isChecked() ? 1 : CopyCountEdit->GetValue());
}

void TPrintExecuteDlg::SetProgressMax(int max)
{
    progressMax_ = max;
    // A range of 0 to 0 animates as busy: nothing to print shows an empty bar instead.
    ProgressBar->setRange(0, std::max(max, 1));
    ProgressBar->setValue(0);
}

void TPrintExecuteDlg::PrintPageOperatorClick()
{
    const bool range = CBSelPage->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{PrintTypeList, StartPageLabel, StartPageEdit, EndPageLabel,
                                                      EndPageEdit})
        w->setEnabled(range);
    if (!range) {
        StartPageEdit->SetValueQuiet(1);
        EndPageEdit->SetValueQuiet(EndPageEdit->GetMax());
    }
    SetProgressMax(PrintCount());
    ProgressLabel->setText(platform::ToQString(kIdleText));
    // No print run without a usable printer (none, or a job under way).
    BtnPrint->setEnabled(PrinterObject()->GetEnabled());
    if (BtnPrint->isEnabled()) BtnPrint->setFocus();
}

void TPrintExecuteDlg::CBCopyClick()
{
    CopyCountEdit->SetValueQuiet(1);
    const bool copies = CBCopy->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{CopyCountLabel, CopyCountEdit, RBPageCopy, RBFileCopy})
        w->setEnabled(copies);
    RBPageCopy->setChecked(true);
    PrintPageOperatorClick();
}

void TPrintExecuteDlg::BtnPrintClick()
{
    if (printing_ || !pageView_) return;
    printing_ = true;
    // Cleared before events are let through: a stop confirmed from now on is kept.
    cancel_ = false;
    stopped_ = false;
    BtnPrint->setEnabled(false);
    BtnCancel->setText(platform::ToQString(kCancelCaption));
    platform::PumpEvents();
    if (cancel_) {
        EndRun(RunEnd::Stopped);
        return;
    }
    printed_ = 0;

    int from = 0;
    int to = 0;
    if (CBSelPage->isChecked()) {
        from = StartPageEdit->GetValue();
        to = from == EndPageEdit->GetMax() ? from : EndPageEdit->GetValue();
    }
    const bool pageCopies = RBPageCopy->isChecked();
    TPrinterObject* printer = PrinterObject();
    printer->SetCopyCount(pageCopies ? CopyCountEdit->GetValue() : 1);
    const QString caption = windowTitle();
    const std::string title = platform::FromQString(caption.mid(caption.indexOf(QLatin1Char('-')) + 1).trimmed());
    bool ok = false;
    try {
        // Pictures still playing are waited for with the window answering: the state says so, and
        // a confirmed stop gives the waits up. Pictures are painted onto the page, and the job
        // written, aside, the window answering meanwhile; a stop confirmed then takes effect once
        // the page is done.
        platform::RunPump pump(
            [this](std::size_t ended, std::size_t waited) { return PicturesPlaying(ended, waited); },
            [] { platform::PumpEvents(); });
        ok = pageView_->DrawPrinter(
            title, pageCopies ? 1 : CopyCountEdit->GetValue(), PrintTypeList->currentIndex(), from, to,
            [this](TPageView* sender, int page, int count) { return PrintProgress(sender, page, count); }, &pump);
    } catch (...) {
        EndRun(RunEnd::Failed);
        throw;
    }
    // A stopped job was cancelled whole. A failed job (no printer, a refused or unwritten job) is
    // not reported as finished; a printer that said why is quoted. A stop confirmed only while the
    // finished job was sent came too late: the job is reported as it ended.
    EndRun(stopped_ ? RunEnd::Stopped : ok ? RunEnd::Finished : RunEnd::Failed);
    if (!ok && !stopped_ && !printer->GetLastError().empty())
        platform::ShowError("印刷できませんでした。\n" + printer->GetLastError(), "エラー");
}

void TPrintExecuteDlg::EndRun(RunEnd end)
{
    ProgressLabel->setText(platform::ToQString(end == RunEnd::Finished  ? "印刷終了"
                                               : end == RunEnd::Stopped ? kStoppedText
                                                                        : "印刷できませんでした。"));
    BtnCancel->setText(platform::ToQString(kCloseCaption));
    printing_ = false;
    // A finished or stopped run is printed again only after an option changes; a failed one may be
    // retried.
    if (end == RunEnd::Failed) BtnPrint->setEnabled(PrinterObject()->GetEnabled());
}

bool TPrintExecuteDlg::PicturesPlaying(std::size_t ended, std::size_t waited)
{
    const QString text = platform::ToQString(kPicturesText);
    if (ProgressLabel->text() != text)
        ProgressLabel->setText(text);
    // The bar counts the pictures drawn of those waited for, until the page is printed.
    const int max = static_cast<int>(std::max<std::size_t>(waited, 1));
    if (ProgressBar->maximum() != max) ProgressBar->setRange(0, max);
    ProgressBar->setValue(static_cast<int>(std::min(ended, waited)));
    platform::PumpEvents();
    stopped_ = stopped_ || cancel_;
    return !cancel_;
}

bool TPrintExecuteDlg::PrintProgress(TPageView*, int page, int pageCount)
{
    platform::PumpEvents();
    if (cancel_) {
        stopped_ = true;
        return false;
    }
    ProgressLabel->setText(platform::ToQString(std::to_string(page) + " / " + std::to_string(pageCount) +
                                               " 印刷中..."));
    if (PagePrinted(page) && printed_ < progressMax_) ++printed_;
    ProgressBar->setRange(0, std::max(progressMax_, 1));
    ProgressBar->setValue(printed_);
    return true;
}

void TPrintExecuteDlg::BtnCancelClick()
{
    platform::PumpEvents();
    if (!printing_) {
        QDialog::reject();
        return;
    }
    if (platform::Services().MessageBox("印刷を中止してもよろしいですか？", "確認", platform::MsgIcon::Question,
                                        platform::MsgButtons::OkCancel,
                                        platform::MsgAnswer::Cancel) == platform::MsgAnswer::Ok)
        cancel_ = true;
}

void TPrintExecuteDlg::reject()
{
    platform::Guard([this] { BtnCancelClick(); });
}

TPrintExecuteDlg* PrintExecuteDlg() { return Instance(); }

void ShowPrintExecuteDlg(TPageView* view, std::string remark, std::string title)
{
    TPrintExecuteDlg*& dialog = Instance();
    if (!dialog) {
        dialog = new TPrintExecuteDlg;
        if (auto* app = platform::Application::Instance())
            app->AtExit([] { delete Instance(); });
    }
    dialog->Setup(view, remark, title);
    SetScreenPlace(dialog, TScreenPlace::Center);
    dialog->exec();
}
