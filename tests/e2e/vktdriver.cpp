// The driver loaded into the program as a generic input plugin ("vktdriver:<run>"): it arms one
// timer in the application's constructor and then plays its run's stages against the real
// windows. It finds widgets by object name, class and text, clicks at their geometry, types with
// QTest, reads state only to wait and record, and saves a screenshot after every stage as
// <out>/e2e-NN-<stage>.png (NN from 01 in the first run, from 81 in the second). A stage that
// times out is logged by name with a screenshot and ends the program with exit code 3. The log is
// <out>/e2e-run<run>.log.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTableView>
#include <QTabWidget>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

namespace {

constexpr int kPollMs = 50;
constexpr int kStageTimeoutMs = 20000;
const QString kRecipeTitle = QStringLiteral("特製原価率表");
const QString kRecipeContainer = QStringLiteral("データレシピコンテナ");
const QString kFoodListContainer = QStringLiteral("データリストコンテナ");
// The classes and records the editor stages use.
const QString kFoodsClass = QStringLiteral("食材");
const QString kFoodClass = QStringLiteral("果物類");
const QString kRecipeClass = QStringLiteral("ソース");
const QString kMenuClass = QStringLiteral("バンケット");
const QString kRecipeName = QStringLiteral("フルーツソース");
const QString kMenuName = QStringLiteral("宴会コース");

// Looked for in the active modal window first, then in every visible window, then in all.
QWidget* FindWidget(const QString& name, const char* cls = "QWidget")
{
    QWidgetList tops = QApplication::topLevelWidgets();
    std::stable_sort(tops.begin(), tops.end(), [](QWidget* a, QWidget* b) {
        const auto rank = [](QWidget* w) { return w == QApplication::activeModalWidget() ? 0 : w->isVisible() ? 1 : 2; };
        return rank(a) < rank(b);
    });
    for (QWidget* top : tops) {
        if (top->objectName() == name && top->inherits(cls)) return top;
        for (QWidget* w : top->findChildren<QWidget*>(name))
            if (w->inherits(cls)) return w;
    }
    return nullptr;
}

bool Showing(QWidget* w) { return w && w->isVisible(); }

// The tool button of a command on the main window.
QToolButton* CommandButton(const QString& action)
{
    QWidget* window = FindWidget("VktSingleViewer");
    if (!window) return nullptr;
    for (QToolButton* b : window->findChildren<QToolButton*>())
        if (b->defaultAction() && b->defaultAction()->objectName() == action && b->isVisible()) return b;
    return nullptr;
}

QAction* Command(const QString& action)
{
    for (QAction* a : qApp->findChildren<QAction*>(action)) return a;
    for (QWidget* top : QApplication::topLevelWidgets())
        for (QAction* a : top->findChildren<QAction*>(action)) return a;
    return nullptr;
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

// Japanese comes as an input method commits it.
void Commit(QWidget* edit, const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit, &commit);
}

void Type(QLineEdit* edit, const QString& text)
{
    Click(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    bool latin1 = true;
    for (QChar c : text) latin1 = latin1 && c.unicode() < 0x80;
    if (latin1) {
        QTest::keyClicks(edit, text);
        return;
    }
    Commit(edit, text);
}

// Types `path` into Qt's own file dialog, if one shows, and accepts it; true once it was answered.
bool AnswerFileDialog(const QString& path)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QFileDialog*>(top);
        auto* name = dialog && dialog->isVisible() ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (!name) continue;
        // Under load the name's completer can take the Return: a dialog still showing the path a
        // second after it was typed is accepted again.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (name->text() == path) {
            if (now - dialog->property("vktAnswered").toLongLong() < 1000) continue;
        } else {
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, path);
        }
        dialog->setProperty("vktAnswered", now);
        QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
        return true;
    }
    return false;
}

// Picks a layout in the tool bar's selecter as the keyboard does, one step at a time.
void PickLayout(int index)
{
    auto* selecter = static_cast<QComboBox*>(FindWidget("PreviewFileSelecter", "QComboBox"));
    selecter->setFocus();
    while (selecter->currentIndex() < index) QTest::keyClick(selecter, Qt::Key_Down);
    while (selecter->currentIndex() > index) QTest::keyClick(selecter, Qt::Key_Up);
}

// The designer's item tree, and its item whose text starts with `caption`.
QTreeWidgetItem* LayoutItem(const QString& caption)
{
    QWidget* op = FindWidget("PreviewItemOperator");
    auto* tree = op ? op->findChild<QTreeWidget*>() : nullptr;
    if (!tree) return nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0).startsWith(caption)) return *it;
    return nullptr;
}

void ClickTreeItem(QTreeWidgetItem* item)
{
    QTreeWidget* tree = item->treeWidget();
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// The recipe container's title, on its property page's style tab; null until it shows.
QLineEdit* RecipeTitleEdit()
{
    QWidget* page = FindWidget("VktRecipeProperty");
    auto* tabs = page && page->isVisible() ? page->findChild<QTabWidget*>() : nullptr;
    if (!tabs) return nullptr;
    auto* title = page->findChild<QLineEdit*>("TitleEdit");
    if (title && !title->isVisible())
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == QStringLiteral("スタイル"))
                QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(i).center());
    return Showing(title) ? title : nullptr;
}

// The batch dialog shows its run ended.
bool BatchFinished()
{
    QWidget* batch = FindWidget("ExecuteDialog");
    auto* label = batch ? batch->findChild<QLabel*>("Label") : nullptr;
    return Showing(batch) && label && label->text() == QStringLiteral("終了しました。");
}

// Closes the batch dialog, then the wizard under it with its last page's button.
void CloseBatchAndWizard()
{
    Click(FindWidget("ExecuteDialog")->findChild<QWidget*>("BtnCancel"));
    QTimer::singleShot(200, [] { Click(FindWidget("BtnNext", "QPushButton")); });
}

// The stock-taking sheet's grid; its columns: class, form, name, unit, price, remained, total.
constexpr int kRemainedColumn = 5;
QTableView* StockGrid()
{
    QWidget* list = FindWidget("InvListView");
    return list ? list->findChild<QTableView*>() : nullptr;
}

// Types into a grid's cell as a user does: click, F2, type, Enter.
void EditCell(QTableView* grid, int row, int col, const QString& text)
{
    const QModelIndex cell = grid->model()->index(row, col);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QTest::keyClick(grid->viewport(), Qt::Key_F2);
    QTimer::singleShot(100, grid, [grid, text] {
        QLineEdit* edit = nullptr;
        for (QLineEdit* e : grid->findChildren<QLineEdit*>())
            if (e->isVisible()) edit = e;
        if (!edit) return;
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    });
}

// The side navigation's class tree; its node of `caption` clicked, or asked whether it is current.
QTreeWidget* ClassTree() { return static_cast<QTreeWidget*>(FindWidget("ClassTree", "QTreeWidget")); }
void ClickClass(const QString& caption)
{
    for (QTreeWidgetItemIterator it(ClassTree()); *it; ++it)
        if ((*it)->text(0) == caption) return ClickTreeItem(*it);
}
bool ClassShown(const QString& caption)
{
    QTreeWidgetItem* current = ClassTree()->currentItem();
    return current && current->text(0) == caption;
}

// The record list's grid; a row clicked (marked) or double-clicked (opened in the editor).
QTableView* RecordGrid() { return FindWidget("DataListView")->findChild<QTableView*>(); }
QPoint RecordAt(int row) { return RecordGrid()->visualRect(RecordGrid()->model()->index(row, 2)).center(); }
void MarkRecord(int row, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(RecordGrid()->viewport(), Qt::LeftButton, modifiers, RecordAt(row));
}
// The main window is made active first, as a window manager does once a dialog closed: the
// editor's fields apply when they lose the focus.
void OpenRecord(int row)
{
    FindWidget("VktSingleViewer")->activateWindow();
    QTest::mouseDClick(RecordGrid()->viewport(), Qt::LeftButton, {}, RecordAt(row));
}

// A control of the record editor's kernel panel, and the text a line edit of it shows.
QWidget* KernelControl(const char* name)
{
    QWidget* kernel = FindWidget("KernelEditPanel");
    return kernel ? kernel->findChild<QWidget*>(name) : nullptr;
}
QString KernelText(const char* name)
{
    auto* edit = qobject_cast<QLineEdit*>(KernelControl(name));
    return edit ? edit->text() : QString();
}
// Types a kernel field's value and applies it with Ctrl+Enter; the name is a rich-text line.
void TypeKernel(const char* name, const QString& text)
{
    QWidget* control = KernelControl(name);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        Type(edit, text);
    } else {
        Click(control);
        QTest::keyClick(control, Qt::Key_A, Qt::ControlModifier);
        Commit(control, text);
    }
    QTest::keyClick(control, Qt::Key_Return, Qt::ControlModifier);
}

// The editor's item grid (null while hidden); its columns: index, class, name, unit, price, use,
// use price.
constexpr int kItemName = 2;
constexpr int kItemPrice = 4;
constexpr int kItemUse = 5;
constexpr int kItemUsePrice = 6;
QTableView* ItemGrid()
{
    QWidget* items = FindWidget("ItemEditPanel");
    return Showing(items) ? items->findChild<QTableView*>() : nullptr;
}
QString ItemCell(int row, int col) { return ItemGrid()->model()->index(row, col).data().toString(); }
// A shown figure's number: its digits and point.
double Number(const QString& text)
{
    QString digits;
    for (QChar c : text)
        if (c.isDigit() || c == '.') digits += c;
    return digits.toDouble();
}
// The items listed (an empty grid keeps one blank row); -1 while the grid is hidden.
int ItemRows()
{
    if (!ItemGrid()) return -1;
    int rows = 0;
    while (rows < ItemGrid()->model()->rowCount() && !ItemCell(rows, kItemName).isEmpty()) ++rows;
    return rows;
}

// The wizard's page, from its visible page widget's object name.
bool OnPage(const QString& page) { return Showing(FindWidget(page)) && Showing(FindWidget("CsvConvertor")); }

// The side navigation's width, from the panel's splitter; 0 while it is hidden.
int ClassPanelWidth()
{
    auto* splitter = static_cast<QSplitter*>(FindWidget("Splitter", "QSplitter"));
    return splitter && Showing(FindWidget("ClassFilterView")) ? splitter->sizes().value(0) : 0;
}

// Drags the splitter's first handle by `dx` as a mouse does: press, move with the button held, release.
void DragSplitter(QSplitter* splitter, int dx)
{
    QWidget* handle = splitter->handle(1);
    const QPoint from = handle->rect().center();
    const QPoint to = from + QPoint(dx, 0);
    const auto send = [handle](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, handle->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

class Driver : public QObject {
public:
    struct Stage {
        QString name;
        std::function<void()> act;      // once, when the stage begins
        std::function<bool()> done;     // polled until true
        // The answer given to a message box that shows meanwhile (none: the box is left open).
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
    };

    Driver(int run, QObject* parent) : QObject(parent), run_(run)
    {
        out_ = qEnvironmentVariable("VKT_E2E_OUT", QStringLiteral("."));
        data_ = qEnvironmentVariable("VKT_E2E_DATA", QDir::tempPath());
        QTimer::singleShot(0, this, [this] { Begin(); });
    }

private:
    void Log(const QString& line)
    {
        QFile file(QStringLiteral("%1/e2e-run%2.log").arg(out_).arg(run_));
        if (file.open(QIODevice::Append | QIODevice::Text)) file.write((line + '\n').toUtf8());
    }

    void Shoot(const QString& stage)
    {
        QWidget* target = QApplication::activeModalWidget();
        if (!target) target = FindWidget("VktSingleViewer");
        if (!target) return;
        const int number = (run_ - 1) * 80 + index_ + 1;
        const QString file = QStringLiteral("%1/e2e-%2-%3.png").arg(out_).arg(number, 2, 10, QChar('0')).arg(stage);
        target->grab().save(file);
    }

    void LogBounds()
    {
        if (QWidget* w = FindWidget("VktSingleViewer")) {
            const QRect r = w->geometry();
            Log(QStringLiteral("bounds %1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
        }
    }

    void Begin()
    {
        stages_ = run_ == 1 ? FirstRun() : SecondRun();
        QDir().mkpath(out_);
        Log(QStringLiteral("run %1").arg(run_));
        Start();
    }

    void Start()
    {
        if (index_ >= int(stages_.size())) {
            Log("done");
            return;
        }
        clock_.start();
        acted_ = false;
        step_ = 0;
        QTimer::singleShot(kPollMs, this, [this] { Poll(); });
    }

    void Poll()
    {
        if (index_ < 0) return;
        Stage& stage = stages_[index_];
        if (!acted_) {
            acted_ = true;
            if (stage.act) {
                // Queued: an action that opens a modal dialog returns only when the dialog ends,
                // and the polls must go on inside it. Its stage is asked whether it is done only
                // from the next poll on.
                QTimer::singleShot(0, this, stage.act);
                QTimer::singleShot(kPollMs, this, [this] { Poll(); });
                return;
            }
        }
        if (stage.answer != QMessageBox::NoButton) {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(top);
                QAbstractButton* button = box && box->isVisible() ? box->button(stage.answer) : nullptr;
                if (!button) continue;
                Log("answered " + box->text());
                QTimer::singleShot(0, button, [button] { Click(button); });
                break;
            }
        }
        if (stage.done()) {
            QTest::qWait(100);
            Shoot(stage.name);
            Log("stage " + stage.name + " ok");
            ++index_;
            Start();
            return;
        }
        if (clock_.elapsed() > kStageTimeoutMs) {
            Shoot(stage.name + "-timeout");
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible())
                    Log("message " + box->text());
            Log("timeout " + stage.name);
            QCoreApplication::exit(3);
            return;
        }
        QTimer::singleShot(kPollMs, this, [this] { Poll(); });
    }

    Stage Shown()
    {
        return {"start", {}, [] {
                    QWidget* w = FindWidget("VktSingleViewer");
                    return Showing(w) && w->windowHandle() && w->windowHandle()->isExposed() &&
                           Command("ActShowPreview");
                }};
    }
    // The designer shown with the recipe layout picked.
    Stage RecipeLayout(const QString& stage)
    {
        return {stage,
                [] {
                    if (!Command("ActShowPreview")->isChecked()) Command("ActShowPreview")->trigger();
                    QTimer::singleShot(100, [] { PickLayout(1); });
                },
                [] { return Showing(FindWidget("VktPreview")) && LayoutItem(kRecipeContainer); }};
    }

    // Clicks a command's tool button, or triggers it as its menu item does where it has none.
    Stage ClickCommand(const QString& stage, const QString& action, std::function<bool()> done)
    {
        return {stage, [action] {
                    if (QToolButton* b = CommandButton(action)) Click(b);
                    else if (QAction* a = Command(action)) a->trigger();
                },
                std::move(done)};
    }
    static bool DatabaseOpen()
    {
        QAction* close = Command("ActCloseDataBase");
        return close && close->isEnabled() && !Showing(FindWidget("OpenDataBaseDialog"));
    }
    // The window is closed as a window manager does; the program then ends by itself.
    Stage Close()
    {
        return {"close", {}, [this] {
                    QWidget* w = FindWidget("VktSingleViewer");
                    if (!w) return false;
                    Shoot("close");
                    Log("stage close ok");
                    Log("done");
                    QCoreApplication::postEvent(w->windowHandle(), new QCloseEvent);
                    index_ = -1000;   // nothing follows
                    return false;
                }};
    }

    // A record made in a leaf class and opened in the editor, its name, finished amount and sale
    // price typed there; each typed field is applied with Ctrl+Enter, the last one by leaving it.
    std::vector<Stage> NewRecord(const QString& kind, const QString& cls, const QString& name,
                                 const QString& complete, const QString& sale)
    {
        const bool menu = kind == QStringLiteral("menu");
        return {
            {kind + "-class", [cls] { ClickClass(cls); },
             [cls] { return ClassShown(cls) && Command("ActNewData")->isEnabled(); }},
            // The new record is the class's only row: marking it shows it is listed.
            {kind + "-new", [] { Click(CommandButton("ActNewData")); },
             [] {
                 MarkRecord(0);
                 return Command("ActViewSelClear")->isEnabled();
             }},
            {kind + "-open", [] { OpenRecord(0); },
             [menu] {
                 return QApplication::activeWindow() && Showing(KernelControl("CompleteEdit")) &&
                        Showing(KernelControl("InformationEdit")) == menu && ItemRows() == 0;
             }},
            {kind + "-kernel",
             [name, complete, sale] {
                 TypeKernel("NameEdit", name);
                 TypeKernel("CompleteEdit", complete);
                 TypeKernel("SalePriceEdit", sale);
                 Click(KernelControl("NameEdit"));
             },
             [this, kind] {
                 // Shown formatted once applied and left.
                 const QString sale = KernelText("SalePriceEdit");
                 const QString complete = KernelText("CompleteEdit");
                 if (!sale.startsWith(QStringLiteral("¥")) || sale == QStringLiteral("¥0") || complete == "0.00")
                     return false;
                 Log(kind + " kernel " + complete + "|" + sale);
                 return true;
             }},
        };
    }

    // Rows of the class marked in the record list (the first, then up to `last` with Shift) and
    // appended to the edited record as its items through the batch dialog.
    std::vector<Stage> AppendItems(const QString& kind, const QString& cls, int last)
    {
        return {
            {kind + "-marked", [cls] { ClickClass(cls); },
             [this, cls, last] {
                 if (!ClassShown(cls) || RecordGrid()->model()->rowCount() <= last) return false;
                 if (step_++ == 0) {
                     MarkRecord(0);
                     if (last > 0) MarkRecord(last, Qt::ShiftModifier);
                 }
                 return Command("ActAppendItem")->isEnabled();
             }},
            {kind + "-items", [] { Click(CommandButton("ActAppendItem")); },
             [last] {
                 if (BatchFinished()) Click(FindWidget("ExecuteDialog")->findChild<QWidget*>("BtnCancel"));
                 return !Showing(FindWidget("ExecuteDialog")) && ItemRows() == last + 1;
             },
             QMessageBox::Yes},
        };
    }

    // Each item's use typed into the item grid, a row once the one before shows its use applied.
    Stage TypeUses(const QString& stage, const QStringList& uses)
    {
        return {stage, {},
                [this, uses] {
                    if (ItemRows() != uses.size()) return false;
                    for (int row = 0; row < uses.size(); ++row) {
                        if (Number(ItemCell(row, kItemUse)) == uses[row].toDouble()) continue;
                        if (step_ <= row) EditCell(ItemGrid(), row, kItemUse, uses[row]);
                        step_ = row + 1;
                        return false;
                    }
                    return true;
                }};
    }

    // The edited record's figures as shown: each item's name, price, use and use price, then the
    // total, the use price and the cost rate.
    void LogFigures(const QString& what)
    {
        for (int row = 0; row < ItemRows(); ++row)
            Log(QStringLiteral("%1 item %2|%3|%4|%5")
                    .arg(what, ItemCell(row, kItemName), ItemCell(row, kItemPrice), ItemCell(row, kItemUse),
                         ItemCell(row, kItemUsePrice)));
        Log(QStringLiteral("%1 total %2|%3|%4")
                .arg(what, KernelText("TotalPriceEdit"), KernelText("UsePriceEdit"), KernelText("CostRateEdit")));
    }
    Stage Figures(const QString& stage, const QString& what)
    {
        return {stage, {}, [this, what] {
                    LogFigures(what);
                    return true;
                }};
    }

    // A record of the class opened in the editor from its row in the record list.
    Stage OpenFrom(const QString& stage, const QString& cls, int row, std::function<bool()> shown)
    {
        return {stage, [cls] { ClickClass(cls); },
                [this, cls, row, shown] {
                    if (!ClassShown(cls) || RecordGrid()->model()->rowCount() <= row) return false;
                    if (step_++ == 0) OpenRecord(row);
                    return QApplication::activeWindow() && shown();
                }};
    }

    // A recipe of the first three fruit and a menu serving that recipe, built in the editor (the
    // controller works its figures out from the same values).
    std::vector<Stage> RecipeAndMenu()
    {
        std::vector<Stage> stages = NewRecord("recipe", kRecipeClass, kRecipeName, "2", "1000");
        Add(stages, AppendItems("recipe", kFoodClass, 2));
        stages.push_back(TypeUses("recipe-uses", {"2", "0.5", "3"}));
        stages.push_back(Figures("recipe-figures", "recipe"));
        Add(stages, NewRecord("menu", kMenuClass, kMenuName, "1", "2500"));
        Add(stages, AppendItems("menu", kRecipeClass, 0));
        stages.push_back(TypeUses("menu-uses", {"2"}));
        stages.push_back(Figures("menu-figures", "menu"));
        return stages;
    }

    // The second fruit's buy price changed in the editor; the recipe, whose figures stay as they
    // were, is then repriced at current prices from its item tool bar.
    std::vector<Stage> Reprice()
    {
        return {
            OpenFrom("food-open", kFoodClass, 1, [] { return Showing(KernelControl("BuyPriceEdit")); }),
            {"buy-price",
             [this] {
                 before_ = KernelText("UsePriceEdit");
                 TypeKernel("BuyPriceEdit", "212");
                 Click(KernelControl("NameEdit"));
             },
             [this] {
                 const QString buy = KernelText("BuyPriceEdit");
                 const QString use = KernelText("UsePriceEdit");
                 if (!buy.startsWith(QStringLiteral("¥")) || use == before_) return false;
                 Log("buy price " + buy + "|" + use);
                 return true;
             }},
            OpenFrom("recipe-reopen", kRecipeClass, 0, [] { return ItemRows() == 3; }),
            Figures("recipe-stale", "stale"),
            {"reprice",
             [this] {
                 before_ = ItemCell(1, kItemPrice);
                 const QModelIndex first = ItemGrid()->model()->index(0, kItemName);
                 QTest::mouseClick(ItemGrid()->viewport(), Qt::LeftButton, {},
                                   ItemGrid()->visualRect(first).center());
                 // The button's menu runs its own loop until an entry is clicked.
                 QTimer::singleShot(100, [] { Click(FindWidget("BtnItemReprice")); });
             },
             [this] {
                 auto* menu = static_cast<QMenu*>(FindWidget("PMItemReprice", "QMenu"));
                 if (Showing(menu)) {
                     const QRect entry = menu->actionGeometry(FindWidget("DetailEditPanel")->findChild<QAction*>(
                         "ActItemRepriceNow", Qt::FindDirectChildrenOnly));
                     QTest::mouseClick(menu, Qt::LeftButton, {}, entry.center());
                     return false;
                 }
                 return ItemRows() == 3 && ItemCell(1, kItemPrice) != before_;
             }},
            Figures("reprice-figures", "repriced"),
        };
    }

    // The designer's layout printed through the print dialog to the PDF printer; its strip's
    // page count and the file are logged.
    std::vector<Stage> Print(const QString& prefix, const QString& pdf)
    {
        return {
            ClickCommand(prefix + "print-dialog", "ActPreviewPrint",
                         [this, prefix] {
                             if (!Showing(FindWidget("PrintExecuteDlg"))) return false;
                             // The strip's "page/pages".
                             auto* pages = FindWidget("PageEdit")->findChild<QLineEdit*>();
                             Log(prefix + "pages " + pages->text().section('/', 1));
                             return true;
                         }),
            {prefix + "print-pdf",
             [] { Click(FindWidget("BtnPrint", "QPushButton")); },
             [this, prefix, pdf] {
                 // The PDF printer asks for its file in Qt's own dialog.
                 if (AnswerFileDialog(pdf)) Log(prefix + "pdf " + pdf);
                 auto* progress = static_cast<QLabel*>(FindWidget("ProgressLabel", "QLabel"));
                 return progress && progress->text() == QStringLiteral("印刷終了") && QFile::exists(pdf);
             }},
            {prefix + "print-close",
             [] { Click(FindWidget("PrintExecuteDlg")->findChild<QWidget*>("BtnCancel")); },
             [] { return !Showing(FindWidget("PrintExecuteDlg")); }},
        };
    }

    // The recipe layout over the recipe's class, the PDF printer picked in the printer frame of the
    // layout's root, printed; then the food list over the ingredients again.
    std::vector<Stage> PrintRecipe()
    {
        std::vector<Stage> stages = {
            {"recipe-print-layout",
             [] {
                 ClickClass(kRecipeClass);
                 QTimer::singleShot(100, [] { PickLayout(1); });
             },
             [] { return ClassShown(kRecipeClass) && LayoutItem(kRecipeContainer); }},
            {"printer-frame", [] { ClickTreeItem(LayoutItem(QStringLiteral("プリンター"))); },
             [this] {
                 QWidget* frame = FindWidget("PrinterDropDown");
                 auto* printers = Showing(frame) ? frame->findChild<QComboBox*>("DropDown") : nullptr;
                 if (!printers) return false;
                 const int pdf = printers->findText(QStringLiteral("PDFファイル"));
                 if (pdf < 0) return false;
                 // The drop-down opened with a click, its entry clicked in the list.
                 QAbstractItemView* list = printers->view();
                 if (step_ == 0) {
                     Click(printers);
                     step_ = 1;
                 } else if (Showing(list)) {
                     const QRect entry = list->visualRect(printers->model()->index(pdf, 0));
                     QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
                     step_ = 2;
                 } else if (step_ == 2) {
                     Log("printer " + printers->currentText());
                     return true;
                 }
                 return false;
             }},
        };
        Add(stages, Print("recipe-", data_ + "/recipe.pdf"));
        stages.push_back({"food-list-again",
                          [] {
                              ClickClass(kFoodsClass);
                              QTimer::singleShot(100, [] { PickLayout(0); });
                          },
                          [] { return ClassShown(kFoodsClass) && LayoutItem(kFoodListContainer); }});
        return stages;
    }

    static void Add(std::vector<Stage>& stages, std::vector<Stage> more)
    {
        std::move(more.begin(), more.end(), std::back_inserter(stages));
    }

    std::vector<Stage> FirstRun()
    {
        const QString folder = data_ + "/kitchen";
        std::vector<Stage> stages = {
            Shown(),
            ClickCommand("new-database", "ActNewDataBase", [] { return Showing(FindWidget("CreateFolderEdit")); }),
            {"database-folder",
             [folder] {
                 Type(static_cast<QLineEdit*>(FindWidget("CreateFolderEdit", "QLineEdit")), folder);
                 Click(FindWidget("BtnOk"));
             },
             [] { return Showing(FindWidget("NameEdit")); },
             QMessageBox::Yes},
            {"database-name",
             [] {
                 Type(static_cast<QLineEdit*>(FindWidget("NameEdit", "QLineEdit")), QStringLiteral("Kitchen"));
                 Click(FindWidget("BtnOk"));
             },
             &Driver::DatabaseOpen, QMessageBox::Yes},
            ClickCommand("csv-wizard", "ActShowCsvImportDialog", [] { return OnPage("TabStart"); }),
            {"csv-fields",
             [this] {
                 Click(FindWidget("BtnNext", "QPushButton"));
                 Click(FindWidget("RBFoodFamily", "QRadioButton"));
                 // Class, name, buy unit, buy price, quantity, yield and dealer, in the list's order.
                 auto* list = FindWidget("CsvFieldSelector")->findChild<QListWidget*>();
                 for (int row : {0, 2, 5, 6, 7, 8, 9}) {
                     const QPoint at = list->visualItemRect(list->item(row)).center();
                     QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                     Click(FindWidget("BtnShow", "QPushButton"));
                 }
                 fieldsChosen_ = true;
             },
             [this] { return fieldsChosen_ && OnPage("TabFieldSelect") && FindWidget("BtnNext")->isEnabled(); }},
            {"csv-table",
             [] {
                 Click(FindWidget("BtnNext", "QPushButton"));
                 Click(FindWidget("CsvEditor")->findChild<QWidget*>("BtnLoad"));
             },
             [this, csv = data_ + "/foods.csv"] {
                 if (AnswerFileDialog(csv)) {
                     Log("csv " + csv);
                     csvAnswered_ = true;
                 }
                 // Seven fields: the page's next button is enabled once the table has their columns.
                 QWidget* modal = QApplication::activeModalWidget();
                 return csvAnswered_ && OnPage("TabFileEdit") && modal && !modal->inherits("QFileDialog") &&
                        FindWidget("BtnNext")->isEnabled();
             }},
            {"csv-unknown",
             [] { Click(FindWidget("BtnNext", "QPushButton")); },
             [] { return OnPage("TabItemActivate"); }},
            {"csv-new-items",
             [] {
                 // Every unknown name of every kind shown made a new item.
                 auto* tabs = static_cast<QTabWidget*>(FindWidget("PageControl1", "QTabWidget"));
                 for (int i = 0; i < tabs->count(); ++i) {
                     if (!tabs->isTabVisible(i)) continue;
                     QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(i).center());
                     for (int n = 0; n < 4; ++n) Click(tabs->widget(i)->findChild<QWidget*>("BtnItemNew"));
                 }
                 Click(FindWidget("BtnNext", "QPushButton"));
             },
             [] { return OnPage("TabComplete"); }, QMessageBox::Ok},
            {"csv-import",
             [] {
                 Click(FindWidget("BtnNext", "QPushButton"));
                 Click(FindWidget("BtnCsvComp", "QPushButton"));
             },
             [this] {
                 if (!BatchFinished()) return false;
                 Log("import " + static_cast<QLabel*>(FindWidget("Label12", "QLabel"))->text());
                 return true;
             }},
            {"csv-close", &CloseBatchAndWizard,
             [] { return !Showing(FindWidget("CsvConvertor")) && !Showing(FindWidget("ExecuteDialog")); }},
        };
        Add(stages, RecipeAndMenu());
        Add(stages, Reprice());
        Add(stages, {
            // The ingredients' class: the stock-taking sheet and the food list show them alone.
            {"food-classes", [] { ClickClass(kFoodsClass); }, [] { return ClassShown(kFoodsClass); }},
            ClickCommand("stock-wizard", "ActShowCreateInventoryListDialog",
                         [] { return Showing(FindWidget("InventoryDialog")); }),
            // This month's sheet, of every ingredient marked for stock-taking.
            {"stock-create",
             [] {
                 Click(FindWidget("BtnNext", "QPushButton"));
                 Click(FindWidget("BtnCreate", "QPushButton"));
             },
             [this] {
                 if (!BatchFinished()) return false;
                 Log("stock month " + static_cast<QLineEdit*>(FindWidget("YHistDateEdit", "QLineEdit"))->text());
                 return true;
             }},
            {"stock-close", &CloseBatchAndWizard,
             [] { return !Showing(FindWidget("InventoryDialog")) && !Showing(FindWidget("ExecuteDialog")); }},
            // The sheet shown, its month picked in the date bar.
            {"stock-sheet",
             [] {
                 Command("ActShowInventory")->trigger();
                 QTimer::singleShot(100, [] {
                     QWidget* bar = FindWidget("InvDateBar");
                     auto* dates = bar ? bar->findChild<QComboBox*>("DropDown") : nullptr;
                     if (!dates) return;
                     dates->setFocus();
                     if (dates->currentIndex() < 0) QTest::keyClick(dates, Qt::Key_Down);
                 });
             },
             [] {
                 QTableView* grid = StockGrid();
                 return Showing(grid) && !grid->model()->index(0, 2).data().toString().isEmpty();
             }},
            // A remaining quantity typed into the first row's cell.
            {"stock-remained", [] { EditCell(StockGrid(), 0, kRemainedColumn, "3"); },
             [this] {
                 QAbstractItemModel* model = StockGrid()->model();
                 const QString remained = model->index(0, kRemainedColumn).data().toString();
                 const QString total = model->index(0, kRemainedColumn + 1).data().toString();
                 if (remained.isEmpty() || remained.startsWith('0') || total.isEmpty()) return false;
                 const QString name = model->index(0, 2).data().toString();
                 const QString price = model->index(0, kRemainedColumn - 1).data().toString();
                 Log(QStringLiteral("counted %1|%2|%3|%4").arg(name, price, remained, total));
                 return true;
             }},
            ClickCommand("stock-sheet-closed", "ActShowInventory", [] { return !Showing(StockGrid()); }),
            ClickCommand("designer", "ActShowPreview", [] { return Showing(FindWidget("VktPreview")); }),
            ClickCommand("property-area", "ActShowPreviewProperty",
                         [] { return Showing(FindWidget("PreviewItemOperator")); }),
        });
        Add(stages, Print("", data_ + "/foodlist.pdf"));
        Add(stages, PrintRecipe());
        Add(stages, {
            // Back on the data list, whose rows are the ones exported.
            ClickCommand("data-list", "ActShowPreview",
                         [] { return !Showing(FindWidget("VktPreview")) && Command("ActViewSelAll")->isEnabled(); }),
            {"xml-export",
             [] {
                 Command("ActViewSelAll")->trigger();
                 Command("ActSaveXml")->trigger();
             },
             [this, xml = data_ + "/foods.xml"] {
                 if (AnswerFileDialog(xml)) Log("xml " + xml);
                 return QFile::exists(xml) && !QApplication::activeModalWidget();
             }},
            {"class-panel",
             [this] {
                 widthBefore_ = ClassPanelWidth();
                 DragSplitter(static_cast<QSplitter*>(FindWidget("Splitter", "QSplitter")), 60);
             },
             [this] {
                 // The act is queued: nothing is done before it read the width it starts from.
                 const int width = ClassPanelWidth();
                 if (widthBefore_ <= 0 || width < widthBefore_ + 60) return false;
                 Log(QStringLiteral("class panel %1").arg(width));
                 return true;
             }},
            ClickCommand("class-bar", "ActShowClassBar", [] {
                return Showing(FindWidget("ClassFilterBar")) && !Showing(FindWidget("ClassFilterView"));
            }),
            {"window-bounds",
             [] {
                 if (QWidget* w = FindWidget("VktSingleViewer")) w->setGeometry(70, 50, 940, 680);
             },
             [this] {
                 QWidget* w = FindWidget("VktSingleViewer");
                 if (!w || w->geometry().size() != QSize(940, 680)) return false;
                 LogBounds();
                 return true;
             }},
            RecipeLayout("recipe-layout"),
            {"recipe-title",
             [] { ClickTreeItem(LayoutItem(kRecipeContainer)); },
             [] {
                 QLineEdit* title = RecipeTitleEdit();
                 if (!title) return false;
                 if (title->text() != kRecipeTitle) {
                     Type(title, kRecipeTitle);
                     QTest::keyClick(title, Qt::Key_Return);
                     return false;
                 }
                 return true;
             }},
            // Another layout picked: the changed one is kept in the database's folder.
            {"recipe-saved", [] { PickLayout(0); },
             [] {
                 auto* selecter = static_cast<QComboBox*>(FindWidget("PreviewFileSelecter", "QComboBox"));
                 return selecter->currentIndex() == 0 && LayoutItem(kFoodListContainer);
             }},
            Close(),
        });
        return stages;
    }

    std::vector<Stage> SecondRun()
    {
        return {
            {"start", {}, [this] {
                 if (!Shown().done()) return false;
                 LogBounds();
                 return true;
             }},
            // The database open when the window closed is open again, named in the caption.
            {"database-reopened", {}, [this] {
                 if (!DatabaseOpen()) return false;
                 for (QWidget* window : QApplication::topLevelWidgets()) {
                     const QString caption = window->windowTitle();
                     const qsizetype open = caption.indexOf(QStringLiteral(" ["));
                     if (window->isVisible() && open > 0 && caption.endsWith(QLatin1Char(']'))) {
                         Log("database " + caption.mid(open + 2, caption.size() - open - 3));
                         return true;
                     }
                 }
                 return false;
             }},
            {"class-bar-kept", {}, [] {
                 return Showing(FindWidget("ClassFilterBar")) && !Showing(FindWidget("ClassFilterView"));
             }},
            RecipeLayout("recipe-layout"),
            {"recipe-title-kept",
             [] {
                 if (!Command("ActShowPreviewProperty")->isChecked()) Command("ActShowPreviewProperty")->trigger();
                 QTimer::singleShot(100, [] { ClickTreeItem(LayoutItem(kRecipeContainer)); });
             },
             [this] {
                 QLineEdit* title = RecipeTitleEdit();
                 if (!title) return false;
                 Log("recipe title " + title->text());
                 return true;
             }},
            ClickCommand("class-panel-kept", "ActShowClassTree",
                         [this] {
                             const int width = ClassPanelWidth();
                             if (width <= 0) return false;
                             Log(QStringLiteral("class panel %1").arg(width));
                             return true;
                         }),
            Close(),
        };
    }

    int run_;
    QString out_;
    QString data_;
    std::vector<Stage> stages_;
    int index_ = 0;
    bool acted_ = false;
    int widthBefore_ = 0;
    bool fieldsChosen_ = false;
    bool csvAnswered_ = false;
    // Steps taken by a stage that acts while it waits; 0 when a stage begins.
    int step_ = 0;
    QString before_;
    QElapsedTimer clock_;
};

} // namespace

class VktDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "vktdriver.json")
public:
    QObject* create(const QString& key, const QString& argument) override
    {
        if (key.compare(QLatin1String("vktdriver"), Qt::CaseInsensitive) != 0) return nullptr;
        return new Driver(argument.toInt(), nullptr);
    }
};

#include "vktdriver.moc"
