#include "widgets/Fscaleselecter.h"

#include "widgets/Fupdownedit.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace {

struct ScaleItem {
    const char* name;
    const char* caption;
    int tag;
};

constexpr ScaleItem kScaleItems[] = {
    {"MI1600", "1600%", 160000}, {"MI800", "800%", 80000}, {"MI400", "400%", 40000}, {"MI200", "200%", 20000},
    {"MI100", "100%", 10000},    {"MI75", "75%", 7500},     {"MI66", "66%", 6600},     {"MI50", "50%", 5000},
    {"MI33", "33%", 3300},       {"MI25", "25%", 2500},
};

QAction* AddItem(QMenu* menu, const char* name, const QString& caption, int tag)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setData(tag);
    return action;
}

} // namespace

TScaleSelecter::TScaleSelecter(QWidget* owner) : QWidget(owner)
{
    setObjectName("ScaleSelecter");
    resize(145, 21);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    edit_ = new TUpDownEdit(this);
    edit_->setObjectName("Edit");
    layout->addWidget(edit_);
    edit_->SetLimitType(1);
    edit_->SetScale(100);
    edit_->SetRange(1000, 1000);
    edit_->SetSuffix("%");
    edit_->OnChange = [this](QObject*) { EditChange(); };
    QLineEdit* field = edit_->GetEdit();
    field->setContextMenuPolicy(Qt::NoContextMenu);
    field->installEventFilter(this);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName("PopupMenu");
    miFullScale_ = AddItem(popupMenu_, "MIFullScale", QStringLiteral("全体表示"), -1);
    miWidthScale_ = AddItem(popupMenu_, "MIWidthScale", QStringLiteral("全幅表示"), -2);
    for (QAction* fit : {miFullScale_, miWidthScale_})
        fit->setCheckable(true);
    connect(miFullScale_, &QAction::triggered, this, [this] { MIFullScaleClick(); });
    connect(miWidthScale_, &QAction::triggered, this, [this] { MIWidthScaleClick(); });
    popupMenu_->addSeparator()->setObjectName("N1");
    for (const ScaleItem& item : kScaleItems) {
        QAction* action = AddItem(popupMenu_, item.name, QString::fromUtf8(item.caption), item.tag);
        connect(action, &QAction::triggered, this, [this, action] { MIScaleClick(action); });
    }
}

TScaleSelecter::~TScaleSelecter() = default;

int TScaleSelecter::GetScale() const { return edit_->GetValue(); }
void TScaleSelecter::SetScale(int scale) { edit_->SetValueQuiet(scale); }

void TScaleSelecter::SetScaleMode(int mode)
{
    scaleMode_ = mode;
    miFullScale_->setChecked(mode == 1);
    miWidthScale_->setChecked(mode == 2);
}

void TScaleSelecter::DropDown() { popupMenu_->popup(mapToGlobal(QPoint(0, height()))); }

void TScaleSelecter::EditChange()
{
    SetScaleMode(0);
    DoChange();
}

void TScaleSelecter::MIFullScaleClick()
{
    SetScaleMode(1);
    DoChange();
}

void TScaleSelecter::MIWidthScaleClick()
{
    SetScaleMode(2);
    DoChange();
}

void TScaleSelecter::MIScaleClick(QAction* sender)
{
    const int tag = sender->data().toInt();
    if (tag > 0)
        edit_->SetValue(tag);
}

void TScaleSelecter::DoChange()
{
    if (OnChange)
        OnChange(this);
}

bool TScaleSelecter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_->GetEdit())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (isEnabled())
            DropDown();
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Menu) {
            DropDown();
            return true;
        }
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            keyHeld_ = true;
            edit_->UpDownChangingEx(key->key() == Qt::Key_Down);
            return true;
        }
        break;
    }
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !key->isAutoRepeat()) {
            if (keyHeld_) {
                keyHeld_ = false;
                edit_->UpDownMouseUp();
            }
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
