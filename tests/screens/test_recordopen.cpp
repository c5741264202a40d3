// Opening records on the data screen: laid out and painted once, the kernel panel placed for the
// width it shows at (compact: below the tab's spacer); a memo loaded behind another tab and
// dealer edits show; each ingredient opens with its own dealer.
#include <gtest/gtest.h>

#include "database/Uvktobject.h"
#include "richtext/Exview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataviewer.h"
#include "screens/Fdealerselectpanel.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Fkerneleditpanel.h"
#include "screens/Fmemoeditpanel.h"
#include "support/screens/SampleDatabase.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <map>
#include <utility>

namespace {

using platform::Variant;

struct Counter : QObject {
    std::map<std::pair<QObject*, int>, int> events;
    int Of(QObject* watched, int type) { return events[{watched, type}]; }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        ++events[{watched, event->type()}];
        return false;
    }
};

TEST(RecordOpen, LaidOutOncePaintedOnceAndPlacedForItsWidth)
{
    vkttest::SampleDatabase db;
    TDataViewer viewer(nullptr);
    viewer.resize(900, 640);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    viewer.SetVktObject(&db.Object());
    TDataEditor* editor = viewer.GetDataEditor();
    for (const char* name : {"玉ねぎ", "和牛のステーキ", "", "玉ねぎ"}) {
        Counter counter;
        const bool shown = viewer.IsEditorShown();
        qApp->installEventFilter(&counter);
        viewer.EditData(db.Record(name));
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&counter);
        if (!*name) continue;
        EXPECT_EQ(counter.Of(editor, QEvent::Resize), shown ? 0 : 1) << name;
        for (const auto& [key, count] : counter.events) EXPECT_TRUE(key.second != QEvent::Paint || count == 1);
        QPushButton* button = editor->GetKernelEditPanel()->GetBtnShow();
        EXPECT_EQ(button->x(), button->parentWidget()->parentWidget()->parentWidget()->width() - 41) << name;
    }
    editor->ShowCompact();
    const QWidget* tab = editor->GetDetailEditPanel()->GetTab("TabKernel");
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->GetKernelEditPanel()->geometry(), QRect(0, 8, tab->width(), tab->height() - 8));
}

TEST(RecordOpen, AMemoLoadedBehindAnotherTabAndDealerEditsShow)
{
    vkttest::SampleDatabase db;
    TVktObject& o = db.Object();
    const TPriorityItem onion = TPriorityItem() << db.Record("玉ねぎ");
    const TPriorityItem dealer = TPriorityItem() << o.AddDealer("築地の問屋");
    o.EditData(TVktField::Dealer_Key, Variant(dealer.GetItem(0)), onion);
    TMemoEditPanel writer;
    QTest::keyClicks(writer.GetExView(), "Oignon doux");
    o.EditData(TVktField::Memo, Variant(writer.GetMemo()), onion);
    TDataEditor editor(nullptr);
    editor.SetVktObject(&o);
    TDetailEditPanel* detail = editor.GetDetailEditPanel();
    TExView* view = detail->GetMemoEditPanel()->GetExView();
    editor.show();
    editor.SetData(onion.GetItem(0));
    QLineEdit* contact = detail->GetDealerEditPanel()->GetDealerEdit();
    for (const char* name : {"山田 太郎", "佐藤 一郎"}) {
        o.EditData(TVktField::Dealer, Variant(std::string(name)), dealer);
        EXPECT_EQ(contact->text().toStdString(), name);
    }
    detail->GetPageControl()->setCurrentWidget(detail->GetTab("TabMemo"));
    EXPECT_EQ(view->GetText().substr(0, 11), "Oignon doux");
    EXPECT_FALSE(view->GetCanUndo());
    o.EditData(TVktField::Dealer_Key, Variant(0), onion);
    EXPECT_EQ(contact->text(), "");
}

TEST(RecordOpen, EachIngredientOpensWithItsOwnDealer)
{
    vkttest::SampleDatabase db;
    TVktObject& o = db.Object();
    for (const std::string name : {"和牛サーロイン", "玉ねぎ"})
        o.EditData(TVktField::Dealer_Key, Variant(o.AddDealer(name + "の問屋")), TPriorityItem() << db.Record(name));
    TDataEditor editor(nullptr);
    editor.SetVktObject(&o);
    const QComboBox* company = editor.GetDetailEditPanel()->GetDealerEditPanel()->GetCompanySelector();
    // "人参" has none ("---"); after the steak the sirloin shows its own again.
    const std::pair<const char*, const char*> opens[] = {{"和牛サーロイン", "和牛サーロインの問屋"},
                                                         {"玉ねぎ", "玉ねぎの問屋"}, {"人参", "---"},
                                                         {"和牛のステーキ", nullptr},
                                                         {"和牛サーロイン", "和牛サーロインの問屋"}};
    for (const auto& [name, dealer] : opens) {
        editor.SetData(db.Record(name));
        if (dealer) {
            EXPECT_EQ(company->currentText().toStdString(), dealer) << name;
        }
    }
    // With the kernel panel held it reads nothing: the onion's dealer is read for the onion.
    editor.GetKernelEditPanel()->BeginUpdate();
    editor.SetData(db.Record("玉ねぎ"));
    EXPECT_EQ(company->currentText().toStdString(), "玉ねぎの問屋");
    editor.GetKernelEditPanel()->EndUpdate();
}

} // namespace
