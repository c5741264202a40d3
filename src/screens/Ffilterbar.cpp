#include "screens/Ffilterbar.h"

#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "gui/TabFocus.h"
#include "widgets/Fvktform.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace {

const char* const kStateProperty = "VktState";

QIcon FilterIcon(int index) { return platform::ProgramIcons("filters").Icon(index); }

QToolButton* DropButton(QToolBar* bar, const char* name, const QString& caption, QMenu* menu)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setIcon(FilterIcon(0));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
    button->setAutoRaise(true);
    button->setMinimumSize(111, 18);
    bar->addWidget(button);
    return button;
}

} // namespace

TFilterBar::TFilterBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("FilterBar"));
    resize(268, 18);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar"));
    platform::TabFocusButtons(*toolBar_);
    toolBar_->setFont(VktFormFont());
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 2px; }"));
    layout->addWidget(toolBar_);

    quickMenu_ = new QMenu(this);
    quickMenu_->setObjectName(QStringLiteral("QuickMenu"));
    miQuickSepa_ = quickMenu_->addSeparator();
    miQuickSepa_->setObjectName(QStringLiteral("MIQuickSepa"));
    miAllQuickDisabled_ = quickMenu_->addAction(QStringLiteral("すべて無効"));
    miAllQuickDisabled_->setObjectName(QStringLiteral("MIAllQuickDisabled"));
    connect(miAllQuickDisabled_, &QAction::triggered, this, [this] { AllQuickDisabled(); });

    customMenu_ = new QMenu(this);
    customMenu_->setObjectName(QStringLiteral("CustomMenu"));
    miUserSepa_ = customMenu_->addSeparator();
    miUserSepa_->setObjectName(QStringLiteral("MIUserSepa"));
    miAllUserDisabled_ = customMenu_->addAction(QStringLiteral("ユーザーフィルター無効"));
    miAllUserDisabled_->setObjectName(QStringLiteral("MIAllUserDisabled"));
    connect(miAllUserDisabled_, &QAction::triggered, this, [this] { AllUserDisabled(); });

    toolBar_->addSeparator();
    btnQuick_ = DropButton(toolBar_, "BtnQuick", QStringLiteral("クイックフィルター"), quickMenu_);
    toolBar_->addSeparator();
    btnCustom_ = DropButton(toolBar_, "BtnCustom", QStringLiteral("ユーザーフィルター"), customMenu_);
}

void TFilterBar::ClearLists()
{
    ClearQuick();
    ClearUser();
}

std::vector<QAction*> TFilterBar::QuickItems() const
{
    std::vector<QAction*> items;
    for (QAction* action : quickMenu_->actions()) {
        if (action == miQuickSepa_) break;
        items.push_back(action);
    }
    return items;
}

std::vector<QAction*> TFilterBar::UserItems() const
{
    std::vector<QAction*> items;
    for (QAction* action : customMenu_->actions()) {
        if (action == miUserSepa_) break;
        items.push_back(action);
    }
    return items;
}

int TFilterBar::ItemState(const QAction* item) { return item ? item->property(kStateProperty).toInt() : 0; }

void TFilterBar::SetItemState(QAction* item, int state)
{
    item->setProperty(kStateProperty, state);
    item->setIcon(FilterIcon(state));
}

void TFilterBar::ClearQuick()
{
    for (QAction* item : QuickItems()) {
        quickMenu_->removeAction(item);
        delete item->menu();
    }
}

void TFilterBar::AddQuick(int id, const std::string& name)
{
    auto* sub = new QMenu(platform::ToQString(name), quickMenu_);
    QAction* item = sub->menuAction();
    item->setData(id);
    SetItemState(item, qsDisabled);
    const std::pair<const char*, int> choices[] = {
        {"チェックあり", qsCheckOn}, {"チェックなし", qsCheckOff}, {"無効", qsDisabled}};
    for (const auto& [caption, state] : choices) {
        QAction* choice = sub->addAction(FilterIcon(state), QString::fromUtf8(caption));
        choice->setData(state);
        connect(choice, &QAction::triggered, this, [this, item, state = state] { QuickChosen(item, state); });
    }
    quickMenu_->insertAction(miQuickSepa_, item);
}

void TFilterBar::ClearUser()
{
    userFilterIndex_ = -1;
    for (QAction* item : UserItems()) {
        customMenu_->removeAction(item);
        delete item;
    }
}

void TFilterBar::AddUser(int index, const std::string& name)
{
    auto* item = new QAction(platform::ToQString(name), customMenu_);
    item->setData(index);
    SetItemState(item, qsCheckOff);
    connect(item, &QAction::triggered, this, [this, item] { UserChosen(item); });
    customMenu_->insertAction(miUserSepa_, item);
}

void TFilterBar::GetQuickFilters(TPriorityItem& ids, TPriorityItem& checks) const
{
    ids.Clear();
    checks.Clear();
    for (QAction* item : QuickItems()) {
        const int state = ItemState(item);
        if (state == qsCheckOff || state == qsCheckOn) {
            ids << item->data().toInt();
            checks << state - 1;
        }
    }
}

void TFilterBar::SetQuickFilters(const TPriorityItem& ids, const TPriorityItem& checks)
{
    const std::vector<QAction*> items = QuickItems();
    for (QAction* item : items) SetItemState(item, qsDisabled);
    for (int k = 0; k < ids.GetCount() && k < checks.GetCount(); ++k)
        for (QAction* item : items)
            if (item->data().toInt() == ids.GetItem(k)) SetItemState(item, checks.GetItem(k) + 1);
}

void TFilterBar::SetUserFilter(int index)
{
    for (QAction* item : UserItems()) SetItemState(item, item->data().toInt() == index ? qsCheckOn : qsCheckOff);
    userFilterIndex_ = index;
}

void TFilterBar::QuickChosen(QAction* quickItem, int state)
{
    SetItemState(quickItem, state);
    if (OnQuickFilterChange) OnQuickFilterChange(this);
}

void TFilterBar::AllQuickDisabled()
{
    for (QAction* item : QuickItems()) SetItemState(item, qsDisabled);
    if (OnQuickFilterChange) OnQuickFilterChange(this);
}

void TFilterBar::UserChosen(QAction* userItem)
{
    SetUserFilter(userItem->data().toInt());
    if (OnUserFilterChange) OnUserFilterChange(this);
}

void TFilterBar::AllUserDisabled()
{
    SetUserFilter(-1);
    if (OnUserFilterChange) OnUserFilterChange(this);
}
