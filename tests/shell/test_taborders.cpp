// The Tab chains of the dialogs and panels as the eye reads them: from the control a form opens
// with (its first input), top to bottom and left to right, the button row last, round to the
// first again; hidden and disabled controls are passed over and nothing holds the keys.
#include <gtest/gtest.h>

#include "database/Uvktobject.h"
#include "dialogs/Fappendinventorydialog.h"
#include "dialogs/Fattributechangedialog.h"
#include "dialogs/Fclasschangedialog.h"
#include "dialogs/Fdatapropertychangedialog.h"
#include "dialogs/Ffieldselectdialog.h"
#include "dialogs/Fothereditdialog.h"
#include "reports/Fcontainerproperty.h"
#include "reports/Fgraphicproperty.h"
#include "reports/Fprintexecutedlg.h"
#include "reports/Fvktdataproperty.h"
#include "reports/Fvktpreview.h"
#include "richtext/Exview.h"
#include "screens/Fclassview.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fmemoeditpanel.h"
#include "support/Keys.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <string>

namespace {

using vkttest::SampleDatabase;

// A control by its object name; a field or list inside a compound by the compound's.
std::string Name(const QWidget* w)
{
    if (!w) return "<none>";
    const QString own = w->objectName();
    if (own == QStringLiteral("qt_tabwidget_tabbar")) return "tabs";
    if ((own.isEmpty() || own == QStringLiteral("Edit") || own == QStringLiteral("DropDown")) && w->parentWidget())
        return w->parentWidget()->objectName().toStdString();
    return own.toStdString();
}

// The focused control, then each one Tab reaches (Ctrl+Tab from a text that keeps Tab) until
// the first comes round again.
std::string Walk()
{
    QWidget* first = QApplication::focusWidget();
    std::string chain = Name(first);
    for (QWidget* at = first; at;) {
        vkttest::Key(Qt::Key_Tab);
        QWidget* next = QApplication::focusWidget();
        if (next == at) {
            vkttest::Key(Qt::Key_Tab, Qt::ControlModifier);
            next = QApplication::focusWidget();
        }
        if (next == first) break;
        chain += " " + Name(next);
        if (next == at || chain.size() > 1000) return chain + " <held>";
        at = next;
    }
    return chain;
}

struct Row {
    const char* form;
    std::function<QWidget*(SampleDatabase&)> make;
    const char* chain;
    std::function<void(QWidget&)> shown = {};   // what the cook does first
};

template <class W>
W* Bound(SampleDatabase& db)
{
    auto* w = new W;
    w->SetDataObject(&db.Object());
    return w;
}

// The property pages' graphic tab, the keys on its tab bar.
void GraphicPage(QWidget& w)
{
    auto* tabs = w.findChild<QTabWidget*>("PageControl");
    tabs->setCurrentIndex(1);
    tabs->tabBar()->setFocus();
}

void OtherEditTab(QWidget& w, int tab)
{
    static_cast<TOtherEditDialog&>(w).SetTab(tab);
    QApplication::processEvents();
}

TEST(TabOrders, RunAsTheEyeReads)
{
    const Row rows[] = {
        {"分類設定の変更",
         [](SampleDatabase& db) {
             auto* d = Bound<TClassChangeDialog>(db);
             d->GetClassView()->SelectID(SampleDatabase::kBeef);
             d->UpdateActions();
             return d;
         },
         "ClassTree BtnNew BtnOk BtnCancel BtnHelp"},
        {"属性設定の変更",
         [](SampleDatabase& db) {
             auto* d = Bound<TAttributeChangeDialog>(db);
             d->Prepare({});
             return d;
         },
         "ListView1 BtnAdd BtnAll BtnDelete BtnTrue BtnFalse BtnDisable ListView2 BtnCancel BtnHelp"},
        {"項目の一括変更",
         [](SampleDatabase& db) {
             auto* d = Bound<TDataPropertyChangeDialog>(db);
             d->Prepare(1, {});
             d->GetCBInvItem()->click();
             return d;
         },
         "CBClass CBInvItem BtnClearInvItem CBForm CBUseUnit CBBuyUnit CBDealer BtnOk BtnCancel BtnHelp"},
        {"詳細表示の設定",
         [](SampleDatabase& db) {
             auto* d = new TFieldSelectDialog;
             d->FillFields();
             d->Prepare(&db.Object());
             return d;
         },
         "ListView BtnOk BtnCancel BtnHelp"},
        {"棚卸し表追加ウィザード",
         [](SampleDatabase& db) {
             auto* d = Bound<TAppendInventoryDialog>(db);
             d->ShowPage(1);
             return d;
         },
         "InvDateList BtnPrev BtnCancel BtnHelp"},
        {"データベースの詳細: アイコン", [](SampleDatabase& db) { return Bound<TOtherEditDialog>(db); },
         "IconGrid BtnSave BtnLoad BtnOk BtnHelp TabControl",
         [](QWidget& w) { OtherEditTab(w, TOtherEditDialog::tbIcon); }},
        {"データベースの詳細: 分類", [](SampleDatabase& db) { return Bound<TOtherEditDialog>(db); },
         "ClassTree BtnChildNew BtnUp BtnDown BtnOk BtnHelp TabControl",
         [](QWidget& w) { OtherEditTab(w, TOtherEditDialog::tbClass); }},
        {"印刷", [](SampleDatabase&) { return new TPrintExecuteDlg; },
         "BtnPrint BtnCancel CBSelPage PrintTypeList StartPageEdit EndPageEdit CBCopy CopyCountEdit RBPageCopy",
         [](QWidget& w) {
             auto* pages = w.findChild<QCheckBox*>("CBSelPage");
             pages->setEnabled(true);
             pages->click();   // its fields open, and 印刷 takes the keys
         }},
        {"コンテナのプロパティ", [](SampleDatabase&) { return new TContainerProperty; },
         "tabs LeftEdit TopEdit WidthEdit HeightEdit TopMarginEdit BottomMarginEdit LeftMarginEdit RightMarginEdit "
         "BtnNoneAlign BtnLeftAlign BtnTopAlign BtnRightAlign BtnBottomAlign BtnClientAlign BtnLeftOrder BtnTopOrder "
         "BtnRightOrder BtnBottomOrder BtnHorzCenter BtnVertCenter BtnBothCenter BtnFront BtnLast RBNoSelPage "
         "CBCanSelect CBCanDelete CBDrawViewRect",
         [](QWidget& w) { w.findChild<QTabWidget*>("PageControl")->tabBar()->setFocus(); }},
        {"グラフィックのプロパティ", [](SampleDatabase&) { return new TGraphicProperty; },
         "tabs GraphicTypeList PenColorList LineWidthEdit CBFillInner BrushColorList CBMasking",
         GraphicPage},
        {"データとグラフィック", [](SampleDatabase&) { return new TVktContainerProperty; },
         "tabs DataIndexEdit CBItemData ItemIndexEdit GraphicTypeList PenColorList LineWidthEdit CBFillInner "
         "BrushColorList CBMasking",
         GraphicPage},
        {"月間履歴と使用単価の編集", [](SampleDatabase&) { return new THistoryChartPanel; },
         "tabs CBMHistoryList BtnMHistEdit BtnMHMark StringGrid MHChart",
         [](QWidget& w) {
             static_cast<THistoryChartPanel&>(w).GetBtnMHistEdit()->click();
             w.findChild<QTabWidget*>()->tabBar()->setFocus();
         }},
        {"レイアウトの編集",
         [](SampleDatabase&) {
             // A control before it, as the class tree stands before it in the main window.
             auto* window = new QWidget;
             auto* column = new QVBoxLayout(window);
             column->addWidget(new QLineEdit(window));
             window->findChild<QLineEdit*>()->setObjectName("Before");
             auto* panel = new TVktPreview(window);
             column->addWidget(panel);
             window->resize(800, 500);
             panel->SetToolBarVisible(true);
             return window;
         },
         "Before BtnClear BtnOpen BtnSave BtnPrint BtnDelete BtnContainer BtnText BtnMemo BtnGraphic BtnImage BtnGrid "
         "BtnChart BtnVktTop ToolButton5 ToolButton6 ToolButton7 Preview",
         [](QWidget& w) { w.findChild<QWidget*>("Before")->setFocus(); }},
        {"メモ", [](SampleDatabase&) { return new TMemoEditPanel; },
         "ExView ToolBar ToolBar ToolBar ToolBar ToolBar ToolBar ToolBar ToolBar FontList SizeEdit StyleBar StyleBar "
         "ColorList",
         [](QWidget& w) { static_cast<TMemoEditPanel&>(w).GetExView()->setFocus(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.form);
        SampleDatabase db;
        std::unique_ptr<QWidget> form(row.make(db));
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        if (row.shown) row.shown(*form);
        QApplication::processEvents();
        EXPECT_EQ(Walk(), row.chain);
        if (auto* dialog = qobject_cast<QDialog*>(form.get())) dialog->reject();
    }
}

} // namespace
