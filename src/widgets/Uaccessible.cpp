#include "widgets/Uaccessible.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <QWidget>

#include <utility>
#include <vector>

namespace {

// Marks a name this module gave: the text it was given, so a name set later by the code wins.
constexpr char kDerivedName[] = "vktDerivedName";
constexpr char kFollowsPage[] = "vktNameFollowsPage";

// A caption without its mnemonic marks ("&&" stays one "&").
QString StripMnemonic(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) out += QLatin1Char('&'), ++i;
            continue;
        }
        out += text[i];
    }
    return out.trimmed();
}

// The label whose buddy the widget is, among its siblings (where Qt looks for it).
const QLabel* BuddyLabel(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    if (!parent) return nullptr;
    for (const QObject* child : parent->children()) {
        const auto* label = qobject_cast<const QLabel*>(child);
        if (label && label->buddy() == widget) return label;
    }
    return nullptr;
}

// The name Qt gives the widget (its accessible name, a caption or a buddy label's text). A combo
// box without either reads its current item as its name: that is its value, not a name.
QString QtName(const QWidget* widget)
{
    if (qobject_cast<const QComboBox*>(widget)) {
        if (!widget->accessibleName().trimmed().isEmpty()) return widget->accessibleName().trimmed();
        const QLabel* label = BuddyLabel(widget);
        return label ? StripMnemonic(label->text()) : QString();
    }
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
    return iface ? iface->text(QAccessible::Name).trimmed() : QString();
}

// Where `widget` sits in `layout` or a layout nested in it: the layout and the item's index.
std::pair<QLayout*, int> PlaceIn(QLayout* layout, const QWidget* widget)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget) return {layout, i};
        if (QLayout* inner = item->layout()) {
            const auto place = PlaceIn(inner, widget);
            if (place.first) return place;
        }
    }
    return {nullptr, -1};
}

// The label that stands before `widget` in its layout and is no other control's buddy: the one in
// the cell to its left in a grid, the item before it in a box (left of it or above it), its row's
// label in a form.
const QLabel* LayoutLabel(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    if (!parent || !parent->layout() || widget->isWindow()) return nullptr;
    const auto [layout, index] = PlaceIn(parent->layout(), widget);
    if (!layout) return nullptr;
    QWidget* before = nullptr;
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        before = form->labelForField(const_cast<QWidget*>(widget));
    } else if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(index, &row, &column, &rows, &columns);
        if (QLayoutItem* left = column > 0 ? grid->itemAtPosition(row, column - 1) : nullptr) before = left->widget();
    } else if (qobject_cast<QBoxLayout*>(layout)) {
        // Spacing between a label and its control does not part them.
        int i = index - 1;
        while (i >= 0 && layout->itemAt(i)->spacerItem()) --i;
        if (i >= 0) before = layout->itemAt(i)->widget();
    }
    const auto* label = qobject_cast<const QLabel*>(before);
    if (!label || (label->buddy() && label->buddy() != widget) || label->text().trimmed().isEmpty()) return nullptr;
    return label;
}

// The widget and the composite controls it stands for (whose focus proxy it is), innermost first.
std::vector<const QWidget*> Standing(const QWidget* widget)
{
    std::vector<const QWidget*> standing{widget};
    for (const QWidget* owner = widget->parentWidget();
         owner && !standing.back()->isWindow() && owner->focusProxy() == standing.back(); owner = owner->parentWidget())
        standing.push_back(owner);
    return standing;
}

// A label standing before the control in its layout, no buddy yet, becomes its buddy: Qt reads it
// as the control's name, and as the label of a combo box, whose name is its current item.
void AdoptLayoutLabel(const QWidget* widget)
{
    if (widget->focusPolicy() == Qt::NoFocus || !QtName(widget).isEmpty()) return;
    for (const QWidget* w : Standing(widget)) {
        const QLabel* label = LayoutLabel(w);
        if (label && !label->buddy()) {
            const_cast<QLabel*>(label)->setBuddy(const_cast<QWidget*>(w));
            return;
        }
    }
}

// Under AT-SPI a combo box's name is its current item: a name it is given is told as its
// description as well (a label that is no sibling gives no label relation).
void ReadByDescription(QWidget* widget, const QString& name)
{
    if (qobject_cast<QComboBox*>(widget) && widget->accessibleDescription().isEmpty())
        widget->setAccessibleDescription(name);
}

bool Derived(const QWidget* widget)
{
    const QVariant given = widget->property(kDerivedName);
    return given.isValid() && given.toString() == widget->accessibleName();
}

// A form shown modelessly is one of the program's windows; a modal one is a dialog; one placed
// inside another window is a pane of it.
class TFormAccessible : public QAccessibleWidget {
public:
    explicit TFormAccessible(QWidget* form) : QAccessibleWidget(form, QAccessible::Dialog) {}

    QAccessible::Role role() const override
    {
        const QWidget* form = widget();
        if (!form->isWindow()) return QAccessible::Client;
        const auto* dialog = qobject_cast<const QDialog*>(form);
        const bool modal = form->windowModality() != Qt::NonModal || (dialog && dialog->isModal());
        return modal ? QAccessible::Dialog : QAccessible::Window;
    }
};

QAccessibleInterface* FormFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TVktForm") && object && object->isWidgetType())
        return new TFormAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// Names controls when they are shown and when their tooltip changes.
class TNamer : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::ToolTipChange) return false;
        if (!watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        // Shown again, a control keeps the name it was given unless a label has come for it since.
        if (type == QEvent::ToolTipChange || !Derived(widget) || BuddyLabel(widget)) NameAccessible(widget);
        return false;
    }
};

} // namespace

QString DerivedAccessibleName(const QWidget* widget)
{
    const bool button = qobject_cast<const QAbstractButton*>(widget) != nullptr;
    if (!button && widget->focusPolicy() == Qt::NoFocus) return {};
    if (!QtName(widget).isEmpty()) return {};
    const std::vector<const QWidget*> standing = Standing(widget);
    // A field standing for a composite control (its focus proxy) reads the composite's name.
    for (std::size_t i = 1; i < standing.size(); ++i) {
        const QString name = QtName(standing[i]);
        if (!name.isEmpty()) return name;
    }
    // Then the label before it in its layout, then its tooltip.
    for (const QWidget* w : standing)
        if (const QLabel* label = LayoutLabel(w)) return StripMnemonic(label->text());
    for (const QWidget* w : standing)
        if (!w->toolTip().trimmed().isEmpty()) return StripMnemonic(w->toolTip());
    // A tab widget reads its current page's caption; a scroll area on a page the page's caption.
    if (const auto* tabs = qobject_cast<const QTabWidget*>(widget))
        return tabs->currentIndex() >= 0 ? StripMnemonic(tabs->tabText(tabs->currentIndex())) : QString();
    if (qobject_cast<const QScrollArea*>(widget)) {
        for (const QWidget* page = widget; page && !page->isWindow(); page = page->parentWidget()) {
            const QWidget* stack = page->parentWidget();
            const auto* tabs = stack ? qobject_cast<const QTabWidget*>(stack->parentWidget()) : nullptr;
            if (tabs && tabs->indexOf(const_cast<QWidget*>(page)) >= 0)
                return StripMnemonic(tabs->tabText(tabs->indexOf(const_cast<QWidget*>(page))));
        }
    }
    // Last its status line text.
    for (const QWidget* w : standing)
        if (!w->statusTip().trimmed().isEmpty()) return w->statusTip().trimmed();
    return {};
}

void NameAccessible(QWidget* widget)
{
    // A tab widget named by its current page is named again when the page changes.
    if (auto* tabs = qobject_cast<QTabWidget*>(widget); tabs && !tabs->property(kFollowsPage).toBool()) {
        tabs->setProperty(kFollowsPage, true);
        QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [tabs] { NameAccessible(tabs); });
    }
    const bool derived = Derived(widget);
    if (!derived && !widget->accessibleName().isEmpty()) return;
    if (derived) widget->setAccessibleName(QString());
    AdoptLayoutLabel(widget);
    const QString name = DerivedAccessibleName(widget);
    if (name.isEmpty()) {
        widget->setProperty(kDerivedName, QVariant());
        return;
    }
    widget->setProperty(kDerivedName, name);
    widget->setAccessibleName(name);
    ReadByDescription(widget, name);
}

void InstallAccessibility()
{
    static bool installed = false;
    if (installed || !qApp) return;
    installed = true;
    QAccessible::installFactory(FormFactory);
    qApp->installEventFilter(new TNamer(qApp));
}

void SetLabelFor(QLabel* label, QWidget* control)
{
    label->setBuddy(control);
    if (control->parentWidget() == label->parentWidget()) return;
    control->setAccessibleName(StripMnemonic(label->text()));
    ReadByDescription(control, control->accessibleName());
}
