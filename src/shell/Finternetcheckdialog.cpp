#include "shell/Finternetcheckdialog.h"

#include "gui/Services.h"
#include "gui/QtSupport.h"
#include "shell/Ushellservices.h"
#include "widgets/Fvktform.h"
#include "widgets/Mvktmodule.h"
#include "widgets/Uhttpthread.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kWidth = 369;
constexpr int kHeight = 97;
constexpr int kBarMaximum = 300;
constexpr int kBarStep = 10;

} // namespace

TInternetCheckDialog::TInternetCheckDialog(TVktModule* module, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), module_(module ? *module : *VktMdl())
{
    setObjectName("InternetCheckDialog");
    setWindowTitle(platform::ToQString("アップデート検索"));
    setFont(VktFormFont());
    setFixedSize(kWidth, kHeight);

    label_ = new QLabel(this);
    label_->setObjectName("Label");
    label_->setGeometry(16, 12, kWidth - 32, 18);

    bar_ = new QProgressBar(this);
    bar_->setObjectName("ProgressBar");
    bar_->setGeometry(16, 36, kWidth - 32, 16);
    bar_->setRange(0, kBarMaximum);
    bar_->setTextVisible(false);

    btnClose_ = new QPushButton(platform::ToQString("閉じる"), this);
    btnClose_->setObjectName("BtnClose");
    btnClose_->setGeometry(kWidth - 16 - 80, 62, 80, 25);
    connect(btnClose_, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, [this] { TimerTick(); });

    SetScreenPlace(this, TScreenPlace::Center);
}

void TInternetCheckDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const int showing = ++showing_;
    label_->setText(platform::ToQString("インターネット上のファイルを調べています..."));
    bar_->setValue(0);
    btnClose_->setEnabled(false);
    timer_->start();
    QPointer<TInternetCheckDialog> self(this);
    module_.StartUpdateCheck(true, [self, showing](THTTPThread* sender) {
        if (self && self->showing_ == showing) self->CheckDone(sender);
    });
}

void TInternetCheckDialog::TimerTick()
{
    const int value = bar_->value() + kBarStep;
    bar_->setValue(value > kBarMaximum ? 0 : value);
}

void TInternetCheckDialog::CheckDone(THTTPThread* sender)
{
    timer_->stop();
    btnClose_->setEnabled(true);
    btnClose_->setFocus(Qt::OtherFocusReason);   // the one control: Enter and Space close
    if (sender && sender->GetSucceeded()) {
        label_->setText(platform::ToQString(module_.IsNewerVersion() ? "ホームページで最新版が公開されています。"
                                                                     : "お使いのVektaraは最新版です。"));
        bar_->setValue(kBarMaximum);
    } else {
        label_->setText(platform::ToQString("更新情報を確認できませんでした。"));
        bar_->setValue(0);
    }
}

void ShowInternetCheckDlg()
{
    static QPointer<TInternetCheckDialog> dialog;
    if (!dialog) {
        dialog = new TInternetCheckDialog;
        DeleteAtExit(dialog);
    }
    dialog->exec();
}

void ShowUpdateNotice(const TVktModule* module)
{
    const TVktModule& mdl = module ? *module : *VktMdl();
    if (!mdl.GetNewsFound()) return;
    platform::ShowInformation(mdl.IsNewerVersion() ? "ホームページでアップデートファイルが公開されています。"
                                                   : "ホームページが更新されています。",
                              mdl.GetProductName());
}
