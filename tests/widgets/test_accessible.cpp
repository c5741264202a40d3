// What a screen reader is told of the forms and their controls: the forms' roles and the names
// given to controls that show no text of their own.
#include <gtest/gtest.h>

#include "widgets/Fnumberedit.h"
#include "widgets/Fvktform.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <functional>
#include <memory>
#include <string>

namespace {

// What a screen reader reads as the control's name: a combo box's name is its current item, its
// label comes by the label relation, else its description says what it is.
std::string Name(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    if (!iface) return "<none>";
    if (iface->role() == QAccessible::ComboBox) {
        const auto labels = iface->relations(QAccessible::Label);
        return (labels.isEmpty() ? iface->text(QAccessible::Description) : labels.first().first->text(QAccessible::Name))
            .toStdString();
    }
    return iface->text(QAccessible::Name).toStdString();
}

TEST(Accessible, AModelessFormIsAFrameAModalOneADialog)
{
    TVktForm window;
    window.show();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
    TVktForm dialog(&window);
    dialog.setWindowModality(Qt::ApplicationModal);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&dialog)->role(), QAccessible::Dialog);
    TVktForm pane;
    TVktForm inner(&pane);
    inner.setWindowFlags(Qt::Widget);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&inner)->role(), QAccessible::Client);
}

// Each row builds a control in a shown form and names the name it must read.
TEST(Accessible, ControlsWithoutTextAreNamedOnShow)
{
    const struct {
        const char* what;
        std::function<QWidget*(QWidget* client)> make;
        const char* name;
    } cases[] = {
        {"a tool button with a tooltip only",
         [](QWidget* c) {
             auto* b = new QToolButton(c);
             b->setToolTip("太字(&B)");
             return b;
         },
         "太字(B)"},
        {"a tool button's caption wins over its tooltip",
         [](QWidget* c) {
             auto* b = new QToolButton(c);
             b->setText("保存");
             b->setToolTip("メモを保存");
             return b;
         },
         "保存"},
        {"a name given by the code is kept",
         [](QWidget* c) {
             auto* b = new QToolButton(c);
             b->setToolTip("上へ");
             b->setAccessibleName("項目を上へ");
             return b;
         },
         "項目を上へ"},
        {"a number field reads its label, given to the composite",
         [](QWidget* c) {
             auto* edit = new TNumberEdit(c);
             auto* label = new QLabel("購入単価(&P)", c);
             label->setBuddy(edit);
             c->layout()->addWidget(label);
             c->layout()->addWidget(edit);
             return edit->GetEdit();
         },
         "購入単価(P)"},
        {"a number field without label reads its tooltip",
         [](QWidget* c) {
             auto* edit = new TNumberEdit(c);
             edit->setToolTip("左");
             c->layout()->addWidget(edit);
             return edit->GetEdit();
         },
         "左"},
        {"a combo reads the label before it",
         [](QWidget* c) {
             auto* combo = new QComboBox(c);
             combo->addItems({"kg", "g"});
             c->layout()->addWidget(new QLabel("購入単位", c));
             c->layout()->addWidget(combo);
             return combo;
         },
         "購入単位"},
        {"a number field reads the label before it in its row",
         [](QWidget* c) {
             auto* edit = new TNumberEdit(c);
             edit->setToolTip("ヒント");
             c->layout()->addWidget(new QLabel("上", c));
             c->layout()->addWidget(edit);
             return edit->GetEdit();
         },
         "上"},
        {"a combo reads the label in the grid cell to its left",
         [](QWidget* c) {
             auto* inner = new QWidget(c);
             auto* grid = new QGridLayout(inner);
             grid->addWidget(new QLabel("線の種類", inner), 0, 0);
             grid->addWidget(new QLabel("色", inner), 1, 0);
             auto* combo = new QComboBox(inner);
             combo->addItems({"赤", "青"});
             grid->addWidget(combo, 1, 1);
             c->layout()->addWidget(inner);
             return combo;
         },
         "色"},
        {"a label that is another control's buddy names only that one",
         [](QWidget* c) {
             auto* other = new QLineEdit(c);
             auto* label = new QLabel("名称", c);
             label->setBuddy(other);
             auto* edit = new QLineEdit(c);
             edit->setToolTip("仏名");
             c->layout()->addWidget(label);
             c->layout()->addWidget(edit);
             return edit;
         },
         "仏名"},
        {"a combo without label or tooltip is described by its status text",
         [](QWidget* c) {
             auto* combo = new QComboBox(c);
             combo->addItems({"食材リスト", "原価率表"});
             combo->setStatusTip("プレビュータイプ変更");
             return combo;
         },
         "プレビュータイプ変更"},
        {"a field with a buddy label reads the label",
         [](QWidget* c) {
             auto* edit = new QLineEdit(c);
             edit->setToolTip("ヒント");
             auto* label = new QLabel("内容量", c);
             label->setBuddy(edit);
             return edit;
         },
         "内容量"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TVktForm form;
        new QHBoxLayout(form.GetClient());
        QWidget* control = c.make(form.GetClient());
        form.show();
        EXPECT_EQ(Name(control), c.name);
    }
}

TEST(Accessible, ANameFromATooltipFollowsTheTooltip)
{
    TVktForm form;
    auto* button = new QToolButton(form.GetClient());
    button->setToolTip("メモ読み込み");
    form.show();
    EXPECT_EQ(Name(button), "メモ読み込み");
    button->setToolTip("メモ保存");
    EXPECT_EQ(Name(button), "メモ保存");
    // A name the code gives later is not replaced by the next tooltip.
    button->setAccessibleName("保存");
    button->setToolTip("クリップ");
    EXPECT_EQ(Name(button), "保存");
}

TEST(Accessible, AButtonShownLaterInAShownFormIsNamed)
{
    TVktForm form;
    form.show();
    auto* button = new QToolButton(form.GetClient());
    button->setToolTip("下へ");
    button->show();
    EXPECT_EQ(Name(button), "下へ");
}

} // namespace
