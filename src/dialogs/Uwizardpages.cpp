#include "dialogs/Uwizardpages.h"

#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Uvktdbstruct.h"
#include "gui/Anchors.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "widgets/Fguipanel.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>

TWizardPages::TWizardPages(QWidget* parent) : QTabWidget(parent)
{
    tabBar()->setFocusPolicy(Qt::NoFocus);
    tabBar()->installEventFilter(this);
}

QWidget* TWizardPages::AddPage(const char* name, const char* caption)
{
    auto* page = new QWidget();
    page->setObjectName(QString::fromLatin1(name));
    addTab(page, platform::ToQString(caption));
    setTabEnabled(count() - 1, count() == 1);
    return page;
}

void TWizardPages::ShowPage(int n)
{
    if (n < 0 || n >= count()) return;
    setTabEnabled(n, true);
    setCurrentIndex(n);
    for (int i = 0; i < count(); ++i)
        if (i != n) setTabEnabled(i, false);
}

bool TWizardPages::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tabBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return true;
        default:
            break;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}

void TWizardPages::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) &&
        (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

namespace {

// The wizards are wider than the base dialog, so that every line of their pages shows whole.
constexpr int kWizardExtraWidth = 150;

} // namespace

// ===== TWizardDialog =====================================================================

TWizardDialog::TWizardDialog(QWidget* parent, bool okIsNext, int extraHeight) : TVktDialog(parent)
{
    ReturnFocusOnClose(*this);
    using platform::AnchorSide;
    pages_ = new TWizardPages(GetClient());
    pages_->setObjectName(QStringLiteral("PageControl"));
    pages_->setGeometry(8, 8, 425, GetBevel()->y() - 4);
    platform::Anchor(*pages_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right | AnchorSide::Bottom);
    buttons_ = ArrangeWizardButtons(*this, okIsNext ? GetBtnOk() : nullptr);
    resize(width() + kWizardExtraWidth, height() + extraHeight);
    setFixedSize(size());
    OnClick(buttons_.BtnNext, this, [this] {
        if (pages_->currentIndex() == 0) ShowPage(1);
        else done(QDialog::Accepted);
    });
    OnClick(buttons_.BtnPrev, this, [this] { ShowPage(0); });
    disconnect(GetBtnCancel(), &QPushButton::clicked, this, &QDialog::reject);
    OnClick(GetBtnCancel(), this, [this] { BtnCancelClick(); });
}

void TWizardDialog::ShowPage(int n)
{
    pages_->ShowPage(n);
    buttons_.BtnPrev->setEnabled(n == 1);
    buttons_.BtnNext->setText(n == 0 ? QStringLiteral("進む &>>") : QStringLiteral("閉じる"));
    buttons_.BtnNext->setEnabled(n == 0);
    GetBtnCancel()->setEnabled(true);
    PageChanged(n);
    FocusFirstInput(pages_->currentWidget(), buttons_.BtnNext);
}

void TWizardDialog::BtnCancelClick()
{
    if (AskQuitWizard()) done(QDialog::Rejected);
}

void TWizardDialog::reject()
{
    if (GetBtnCancel()->isEnabled()) platform::Guard([this] { BtnCancelClick(); });
}

// ===== support ===========================================================================

void ReleaseAtExit(QWidget* dialog)
{
    if (platform::Application* app = platform::Application::Instance())
        app->AtExit([guarded = QPointer<QWidget>(dialog)] { delete guarded.data(); });
}

void FocusFirstInput(QWidget* area, QWidget* fallback)
{
    QWidget* target = nullptr;
    for (QWidget* w = area ? area->nextInFocusChain() : nullptr; w && w != area; w = w->nextInFocusChain()) {
        if (!area->isAncestorOf(w)) continue;
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(area) || !w->isEnabledTo(area)) continue;
        // A read-only text shows a value; it is not where the user types.
        if (const auto* edit = qobject_cast<QLineEdit*>(w); edit && edit->isReadOnly()) continue;
        target = w;
        break;
    }
    if (!target && fallback && fallback->isEnabled()) target = fallback;
    if (!target) return;
    target->setFocus(Qt::TabFocusReason);
    // A text typed at once replaces the value shown.
    if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->selectAll();
}

namespace {

// Remembers the window active when the dialog shows and the widget focused in it; hands both back
// when the dialog hides, and again when a late activation reaches the hidden dialog.
class TFocusReturn final : public QObject {
public:
    explicit TFocusReturn(QDialog& dialog) : QObject(&dialog), dialog_(dialog) { dialog.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &dialog_) return false;
        switch (event->type()) {
        case QEvent::Show:
            if (QWidget* active = QApplication::activeWindow(); active && active != &dialog_) {
                window_ = active;
                focus_ = active->focusWidget();
            }
            break;
        case QEvent::Hide:
            GiveBack();
            break;
        case QEvent::WindowActivate:
            if (!dialog_.isVisible()) GiveBack();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void GiveBack()
    {
        if (!window_ || !window_->isVisible()) return;
        window_->activateWindow();
        if (focus_ && focus_->window() == window_ && focus_->isVisible() && focus_->isEnabled())
            focus_->setFocus(Qt::ActiveWindowFocusReason);
    }

    QDialog& dialog_;
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

} // namespace

void ReturnFocusOnClose(QDialog& dialog) { new TFocusReturn(dialog); }

void OnClick(QAbstractButton* button, QObject* context, std::function<void()> fn)
{
    QObject::connect(button, &QAbstractButton::clicked, context, [fn = std::move(fn)] { platform::Guard(fn); });
}

void BindHelp(TVktDialog& dialog, int context)
{
    const auto help = [context] { platform::Guard([context] { platform::ShowHelp(context); }); };
    OnClick(dialog.GetBtnHelp(), &dialog, help);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), &dialog);
    QObject::connect(f1, &QShortcut::activated, &dialog, help);
}

TWizardButtons ArrangeWizardButtons(TVktDialog& dialog, QPushButton* next)
{
    QPushButton* ok = dialog.GetBtnOk();
    const QRect place = ok->geometry();
    const auto at = [&](QPushButton* b, int left) { b->setGeometry(left, place.top(), place.width(), place.height()); };
    TWizardButtons buttons;
    buttons.BtnPrev = new QPushButton(QStringLiteral("戻る &<<"), ok->parentWidget());
    buttons.BtnPrev->setObjectName(QStringLiteral("BtnPrev"));
    if (next) {
        buttons.BtnNext = next;
    } else {
        buttons.BtnNext = new QPushButton(QStringLiteral("進む &>>"), ok->parentWidget());
        buttons.BtnNext->setObjectName(QStringLiteral("BtnNext"));
        buttons.BtnNext->setDefault(true);
        ok->hide();
    }
    at(buttons.BtnPrev, place.left());
    at(buttons.BtnNext, dialog.GetBtnCancel()->x());
    at(dialog.GetBtnCancel(), dialog.GetBtnSetting()->x());
    dialog.GetBtnSetting()->hide();
    for (QPushButton* b : {buttons.BtnPrev, buttons.BtnNext, dialog.GetBtnCancel()})
        platform::Anchor(*b, platform::AnchorSide::Right | platform::AnchorSide::Bottom);
    dialog.SetButtonRow({buttons.BtnPrev, buttons.BtnNext, dialog.GetBtnCancel(), dialog.GetBtnHelp()});
    return buttons;
}

QLabel* AddPageLabel(QWidget* page, const char* name, const char* text, int left, int top, int width, bool bold)
{
    auto* label = new QLabel(platform::ToQString(text), page);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->resize(width > 0 ? width : label->sizeHint().width(), 16);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        label->resize(width > 0 ? width : label->sizeHint().width(), 16);
    }
    return label;
}

bool AskQuitWizard()
{
    return platform::AskYesNo("ウィザードは完了していません。ウィザードを終了しますか？", "確認", false);
}

std::string MonthText(int day, bool spaced)
{
    const platform::DateParts date = platform::DecodeDate(day);
    return std::to_string(date.year) + (spaced ? "年 " : "年") + std::to_string(date.month) + "月";
}

int FirstDayOfMonth(platform::TDateTime value)
{
    const platform::DateParts date = platform::DecodeDate(value);
    return static_cast<int>(platform::EncodeDate(date.year, date.month, 1));
}

void FillMonthList(QComboBox& list, const TPriorityItem& days)
{
    list.clear();
    for (int i = 0; i < days.GetCount(); ++i)
        list.addItem(platform::ToQString(MonthText(days.GetItem(i), false)), days.GetItem(i));
    list.setCurrentIndex(-1);
}

int ChosenMonth(const QComboBox& list) { return list.currentIndex() < 0 ? 0 : list.currentData().toInt(); }

void QueryRows(TVktAccesser& accesser, const TFilterObject& filter)
{
    accesser.BeginUpdate();
    accesser.SetFilter(filter);
    accesser.EndUpdate();
    if (!accesser.GetListed()) accesser.Refresh();
}

bool ReadClassRow(TVDBClass& reader, int id)
{
    TFilterObject filter;
    filter.Add(TVktField::Class_ID, foEqual, id, {});
    QueryRows(reader, filter);
    reader.Locate(id);
    return reader.GetRowCount() > 0 && reader.GetClassID() == id;
}
