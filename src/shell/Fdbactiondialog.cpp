#include "shell/Fdbactiondialog.h"

#include "database/Uvktapplication.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "shell/Ushellservices.h"
#include "widgets/Fvktform.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>

#include <utility>

namespace {

constexpr int kWidth = 361;
constexpr int kHeight = 81;

} // namespace

QPixmap DatabasePicture(int image)
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(shell);
        return true;
    }();
    (void)registered;
    return QPixmap(QStringLiteral(":/pictures/database%1.png").arg(image));
}

TDBActionDialog::TDBActionDialog(TVktApplication& registry, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), registry_(registry)
{
    setObjectName("DBActionDialog");
    setFont(VktFormFont());
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setWindowTitle(platform::ToQString(" " + registry.GetProductName() + " "));

    image_ = new QLabel(this);
    image_->setObjectName("Image");
    image_->setFixedSize(32, 32);
    image_->setPixmap(DatabasePicture(3));
    label_ = new QLabel(this);
    label_->setObjectName("Label");

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 0, 16, 0);
    layout->setSpacing(16);
    layout->addWidget(image_);
    layout->addWidget(label_, 1);

    SetScreenPlace(this, TScreenPlace::Center);
}

void TDBActionDialog::SetStatusText(const std::string& text)
{
    label_->setText(platform::ToQString(text));
    if (!isVisible()) return;
    label_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TDBActionDialog::Run(int operation, const char* text, const std::function<bool()>& op)
{
    operation_ = operation;
    SetStatusText(text);
    bool result = false;
    // The code is cleared before the operation runs, so nothing ever runs it again.
    platform::RunModalOperation(*this, [this, &result, op] {
        operation_ = opNone;
        result = op();
    });
    operation_ = opNone;
    return result;
}

bool TDBActionDialog::CreateDatabase(const std::string& folder, const std::string& name)
{
    return Run(opCreate, "データベース作成中...", [&] { return registry_.CreateDatabase(name, folder); });
}

bool TDBActionDialog::UpgradeDatabase(const std::string& name)
{
    return Run(opUpgrade, "データベースアップグレード中...", [&] { return registry_.UpgradeDatabase(name); });
}

bool TDBActionDialog::DeleteDatabase(const std::string& name)
{
    return Run(opDelete, "データベース削除中...", [&] { return registry_.DeleteDatabase(name); });
}

bool TDBActionDialog::MoveDatabase(const std::string& name, const std::string& folder)
{
    return Run(opMove, "データベース移動中...", [&] { return registry_.MoveDatabase(name, folder); });
}

bool TDBActionDialog::CopyDatabase(const std::string& name, const std::string& folder, std::string& newName)
{
    return Run(opCopy, "データベースコピー中...", [&] { return registry_.CopyDatabase(name, folder, newName); });
}

TDBActionDialog* DBActionDlg()
{
    static QPointer<TDBActionDialog> dialog;
    if (!dialog) {
        dialog = new TDBActionDialog(VktApplication());
        DeleteAtExit(dialog);
    }
    return dialog;
}

bool WithActionDialog(TVktApplication& registry, const std::function<bool(TDBActionDialog& dialog)>& action)
{
    if (&registry == &VktApplication()) return action(*DBActionDlg());
    TDBActionDialog dialog(registry);
    return action(dialog);
}
