// Binding of forms and panels to database objects, the rebuild gate, and the dialog base.
#include <gtest/gtest.h>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "gui/KeptPixels.h"
#include "support/ScriptedServices.h"
#include "widgets/Fguipanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

std::string NameOf(const TVktObject* obj) { return obj ? obj->GetName() : "-"; }

class ProbePanel : public TGuiPanel {
public:
    ProbePanel(QWidget* parent, std::string name, Log& log, TPanelOwner* owner = nullptr)
        : TGuiPanel(parent, owner), name_(std::move(name)), log_(log) {}
    ~ProbePanel() override {
        MarkDestroying();
        SetVktObject(nullptr);
    }

protected:
    // A detach notes whether the subscription is still in a list, an attach whether it is already.
    void DoAttach() override { Note("attach", GetObjEvent().GetOwner() != nullptr); }
    void DoDetach() override { Note("detach", GetObjEvent().GetOwner() != nullptr); }
    void DoUpdate() override {
        log_.push_back(name_ + " update " + NameOf(GetVktObject()));
        if (failUpdate && GetVktObject()) throw std::runtime_error("update failed");
    }

public:
    bool failUpdate = false;

private:
    void Note(const char* what, bool subscribed) {
        log_.push_back(name_ + " " + what + " " + NameOf(GetVktObject()) + (subscribed ? " subscribed" : ""));
    }
    std::string name_;
    Log& log_;
};

class ProbeForm : public TVktForm {
public:
    explicit ProbeForm(Log& log) : log_(log) {}
    ~ProbeForm() override {
        MarkDestroying();
        SetDataObject(nullptr);
    }

protected:
    void DoAttach() override { log_.push_back("form attach " + NameOf(GetDataObject())); }
    void DoDetach() override { log_.push_back("form detach " + NameOf(GetDataObject())); }

private:
    Log& log_;
};

class PanelBinding : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"A", "B"}) {
            ASSERT_TRUE(registry.CreateDatabase(name, vkttest::NewTempFolder("db")));
        }
        a = registry.GetObject("A");
        b = registry.GetObject("B");
    }

    // A form owning P, which owns Q1 and Q2.
    void BuildTree() {
        form = std::make_unique<ProbeForm>(log);
        p = new ProbePanel(form->GetClient(), "P", log);
        q1 = new ProbePanel(p, "Q1", log);
        q2 = new ProbePanel(p, "Q2", log);
    }

    TVktApplication registry;
    TVktObject* a = nullptr;
    TVktObject* b = nullptr;
    Log log;
    std::unique_ptr<ProbeForm> form;
    ProbePanel* p = nullptr;
    ProbePanel* q1 = nullptr;
    ProbePanel* q2 = nullptr;
};

TEST_F(PanelBinding, FormBindsItsPanelTreeWithOneCountAndSubscriptionEach)
{
    BuildTree();
    ASSERT_EQ(form->GetPanels(), std::vector<TGuiPanel*>{p});
    ASSERT_EQ(p->GetPanels(), (std::vector<TGuiPanel*>{q1, q2}));

    form->SetDataObject(a);
    EXPECT_EQ(a->GetOpenCount(), 4);
    EXPECT_EQ(a->GetEvents().GetCount(), 4);
    EXPECT_EQ(log, (Log{"form attach A", "P attach A", "Q1 attach A", "Q1 update A", "Q2 attach A", "Q2 update A",
                        "P update A"}));

    log.clear();
    form->SetDataObject(a);   // already bound: nothing at all
    EXPECT_EQ(log, Log{});
    EXPECT_EQ(a->GetOpenCount(), 4);

    form->SetDataObject(nullptr);
    EXPECT_EQ(a->GetOpenCount() + a->GetEvents().GetCount(), 0);
    EXPECT_EQ(q2->GetVktObject(), nullptr);

    q1->failUpdate = true;   // the failure reaches the caller after every panel followed
    EXPECT_THROW(form->SetDataObject(b), std::runtime_error);
    EXPECT_EQ(b->GetOpenCount(), 4);
    EXPECT_EQ(q2->GetVktObject(), b);
}

TEST_F(PanelBinding, RebindingDetachesTheOldObjectBeforeAttachingTheNew)
{
    ProbePanel panel(nullptr, "P", log);
    panel.SetVktObject(a);
    log.clear();
    panel.SetVktObject(b);
    EXPECT_EQ(log, (Log{"P detach A", "P attach B", "P update B"}));
    EXPECT_EQ(a->GetOpenCount() + a->GetEvents().GetCount(), 0);
    EXPECT_EQ(b->GetEvents().IndexOf(&panel.GetObjEvent()), 0);
}

TEST_F(PanelBinding, ClosingTheDatabaseUnbindsEveryFormAndPanelOnce)
{
    BuildTree();
    form->SetDataObject(a);
    log.clear();
    a->Close();
    EXPECT_EQ(log, (Log{"form detach A", "P detach A", "Q1 detach A", "Q1 update -", "Q2 detach A", "Q2 update -",
                        "P update -"}));
    EXPECT_EQ(a->GetOpenCount(), 0);
    EXPECT_EQ(form->GetDataObject(), nullptr);
}

TEST_F(PanelBinding, PanelMovedUnderAnotherParentFollowsItsOwner)
{
    BuildTree();
    QWidget elsewhere;
    q1->setParent(&elsewhere);
    form->SetDataObject(b);
    EXPECT_EQ(q1->GetVktObject(), b);
    EXPECT_EQ(b->GetOpenCount(), 4);
    delete q1;   // leaves its owner's list
    EXPECT_EQ(p->GetPanels(), std::vector<TGuiPanel*>{q2});
    EXPECT_EQ(b->GetOpenCount(), 3);
}

TEST_F(PanelBinding, ChangesInNestedBracketsRebuildOnceAtTheOutermostEnd)
{
    ProbePanel panel(nullptr, "P", log);
    panel.BeginUpdate();
    panel.BeginUpdate();
    for (int i = 0; i < 3; ++i) panel.Changed();
    panel.EndUpdate();
    EXPECT_EQ(log, Log{});
    panel.EndUpdate();
    EXPECT_EQ(log, Log{"P update -"});
    panel.EndUpdate();   // unbalanced: nothing pending, and the lock stays usable
    panel.Changed();
    EXPECT_EQ(log, (Log{"P update -", "P update -"}));

}

TEST_F(PanelBinding, NothingRebuildsDuringDestruction)
{
    BuildTree();
    form->SetDataObject(a);
    log.clear();
    form.reset();
    EXPECT_EQ(log, (Log{"form detach A", "P detach A", "Q1 detach A", "Q2 detach A"}));
    EXPECT_EQ(a->GetOpenCount() + a->GetEvents().GetCount(), 0);
}

TEST_F(PanelBinding, FailedAddRefLeavesThePanelUnbound)
{
    // Registered, but the folder holds no database: the first AddRef cannot read its settings.
    ASSERT_TRUE(registry.RegisterDatabase("Empty", vkttest::NewTempFolder("empty")));
    TVktObject* empty = registry.GetObject("Empty");
    ProbePanel panel(nullptr, "P", log);
    EXPECT_ANY_THROW(panel.SetVktObject(empty));
    EXPECT_EQ(panel.GetVktObject(), nullptr);
    EXPECT_EQ(empty->GetEvents().GetCount(), 0);
    panel.SetVktObject(a);
    EXPECT_EQ(a->GetOpenCount(), 1);
}

// ----- TVktDialog ---------------------------------------------------------------------------------

TEST(VktDialog, ComponentsAnchorsAndMinimumWidth)
{
    TVktDialog dialog;
    dialog.show();
    QWidget* client = dialog.GetClient();
    EXPECT_EQ(dialog.width(), 449);   // the minimum width wins over the 441 of the design
    EXPECT_EQ(client->height(), 241);
    EXPECT_EQ(dialog.GetAppLabel()->text().toStdString(), " Vektara 2005 ");

    // Distances to the right and bottom edges of the 441 × 241 design.
    const struct {
        QPushButton* button;
        const char* caption;
        int rightGap;
    } buttons[] = {{dialog.GetBtnOk(), "OK", 328}, {dialog.GetBtnCancel(), "キャンセル", 224},
                   {dialog.GetBtnSetting(), "適用(&A)", 120}, {dialog.GetBtnHelp(), "ヘルプ(&H)", 16}};
    const auto check = [&](const char* when) {
        for (const auto& b : buttons) {
            const QRect g = b.button->geometry();
            EXPECT_EQ(b.button->text().toStdString(), b.caption);
            EXPECT_EQ(g.size(), QSize(97, 20)) << b.caption << " " << when;
            EXPECT_EQ(client->width() - g.right() - 1, b.rightGap) << b.caption << " " << when;
            EXPECT_EQ(client->height() - g.bottom() - 1, 5) << b.caption << " " << when;
        }
        const QRect bevel = dialog.GetBevel()->geometry();
        EXPECT_EQ(bevel.left(), 8) << when;
        EXPECT_EQ(client->width() - bevel.right() - 1, 8) << when;
        EXPECT_EQ(dialog.GetAppLabel()->x(), 16) << when;
    };
    const auto statusMargin = [&] { return dialog.GetStatusBar()->width() - dialog.GetStatusPanel()->width(); };
    check("at first");
    const int margin = statusMargin();
    EXPECT_LE(margin, 4);
    dialog.resize(dialog.width() + 100, dialog.height() + 30);
    EXPECT_EQ(dialog.GetBevel()->width(), 425 + 8 + 100);
    check("widened");
    EXPECT_EQ(statusMargin(), margin);
    dialog.resize(300, dialog.height());
    EXPECT_EQ(dialog.width(), 449);
}

TEST(VktDialog, EnterClicksOkAndEscRejects)
{
    TVktDialog dialog;
    dialog.show();
    QSignalSpy ok(dialog.GetBtnOk(), &QPushButton::clicked);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(ok.count(), 1);
    EXPECT_TRUE(dialog.isVisible());   // OK has no modal result of its own
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace

namespace {

// A panel's frame, drawn one rectangle of the region at a time, only along its edges, and copied
// from its kept pixels when drawn there again, looks as a plain frame's: the list inside made lower
// and higher, the frame enabled and disabled; framing a list, and framing nothing (a region of one
// rectangle, the whole panel).
TEST(GuiPanelFrame, LooksAsAPlainFrameDrawnAgainAndAgain)
{
    const struct {
        int shape, lineWidth, midLineWidth;
        bool list;
    } cases[] = {
        {QFrame::Box, 1, 0, true},
        {QFrame::Box, 2, 1, false},
        {QFrame::StyledPanel | QFrame::Sunken, 1, 0, true},
        {QFrame::StyledPanel | QFrame::Raised, 1, 0, false},
        {QFrame::Panel | QFrame::Sunken, 2, 0, false},
        {QFrame::WinPanel | QFrame::Raised, 2, 0, true},
    };
    const qsizetype copied = platform::KeptDraws();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "frame style " << c.shape << ", line " << c.lineWidth);
        const auto make = [&](QWidget& window, QFrame* frame) {
            window.resize(300, 200);
            frame->setParent(&window);
            frame->setFrameStyle(c.shape);
            frame->setLineWidth(c.lineWidth);
            frame->setMidLineWidth(c.midLineWidth);
            if (c.list) {
                auto* inside = new QLabel(QStringLiteral("一覧"), frame);
                inside->setAutoFillBackground(true); // opaque: the frame's region is its edges
                auto* layout = new QHBoxLayout(frame);
                layout->setContentsMargins(1, 1, 1, 1);
                layout->addWidget(inside);
            }
            window.show();
            return frame;
        };
        QWidget panelWindow;
        QWidget plainWindow;
        QFrame* panel = make(panelWindow, new TGuiPanel(nullptr));
        QFrame* plain = make(plainWindow, new QFrame);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panelWindow));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plainWindow));
        for (const bool enabled : {true, false}) {
            panel->setEnabled(enabled);
            plain->setEnabled(enabled);
            for (const int height : {190, 120, 190, 120, 190, 60, 190}) {
                panel->setGeometry(5, 5, 290, height);
                plain->setGeometry(5, 5, 290, height);
                QApplication::processEvents();
                EXPECT_EQ(panelWindow.grab().toImage(), plainWindow.grab().toImage())
                    << (enabled ? "enabled" : "disabled") << ", " << height << " high";
            }
            // The whole panel painted at once, as when it is shown.
            panel->repaint();
            plain->repaint();
            EXPECT_EQ(panelWindow.grab().toImage(), plainWindow.grab().toImage()) << "repainted whole";
        }
    }
    EXPECT_GT(platform::KeptDraws() - copied, 0) << "edges copied from their kept pixels";
}

} // namespace
