// The memo panel: the empty memo, RTF that reads back with its text and styles, the focus group
// (typing then leaving applies once, a trip through the font list does not), Esc, and the names
// a memo is saved under.
#include <gtest/gtest.h>

#include "richtext/Exview.h"
#include "screens/Fmemoeditpanel.h"
#include "support/ScriptedServices.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <filesystem>
#include <string>

namespace {

class MemoPanel : public testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&panel);
        layout->addWidget(&other);
        panel.OnApply = [this](QObject*) { applied.push_back(panel.GetMemo()); };
        window.resize(560, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other.setFocus();
    }
    void Type(const char* text) { QTest::keyClicks(panel.GetExView(), text); }
    std::string Text() const { return panel.GetExView()->GetText(); }

    QWidget window;
    TMemoEditPanel panel{&window};
    QLineEdit other{&window};
    std::vector<std::string> applied;
};

TEST_F(MemoPanel, AnEmptyDocumentIsTheEmptyMemo)
{
    EXPECT_EQ(panel.GetMemo(), "");
    panel.SetMemo("");
    EXPECT_EQ(panel.GetMemo(), "");
    panel.GetExView()->setFocus();
    Type("x");
    QTest::keyClick(panel.GetExView(), Qt::Key_Backspace);
    EXPECT_EQ(panel.GetMemo(), "");
}

TEST_F(MemoPanel, TypedTextAppliesOnceAsRtfThatReadsBack)
{
    panel.GetExView()->setFocus();
    panel.SetBold(true);
    Type("Sauce");
    panel.SetBold(false);
    Type(" au vin");
    EXPECT_TRUE(panel.GetModified());
    // A trip through the font list belongs to the edit.
    panel.GetFontList()->GetDropDown()->setFocus();
    panel.GetExView()->setFocus();
    EXPECT_TRUE(applied.empty());
    other.setFocus();
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(applied[0].rfind("{\\rtf1", 0), 0u);
    panel.GetExView()->setFocus();
    other.setFocus();
    EXPECT_EQ(applied.size(), 1u);

    TMemoEditPanel copy;
    copy.SetMemo(applied[0]);
    EXPECT_EQ(copy.GetExView()->GetText(), Text());
    EXPECT_EQ(copy.GetMemo(), applied[0]);
    EXPECT_FALSE(copy.GetExView()->GetCanUndo());
    copy.GetExView()->GetEditor()->SetCaret(2);
    EXPECT_EQ(copy.GetExView()->GetStyle().Bold, 1);
    copy.GetExView()->GetEditor()->SetCaret(8);
    EXPECT_EQ(copy.GetExView()->GetStyle().Bold, 0);
}

TEST_F(MemoPanel, EscRestoresTheMemoOfTheStartAndClearsUndo)
{
    panel.SetMemo(TMemoEditPanel().GetMemo());
    panel.GetExView()->SetText("ブイヨン\r\n");
    const std::string start = panel.GetMemo();
    panel.GetExView()->setFocus();
    Type("abc");
    ASSERT_TRUE(panel.GetModified());
    QTest::keyClick(panel.GetExView(), Qt::Key_Escape);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(panel.GetMemo(), start);
    EXPECT_FALSE(panel.GetExView()->GetCanUndo());
    other.setFocus();
    EXPECT_TRUE(applied.empty());
    // Ctrl+Enter applies and stays.
    panel.GetExView()->setFocus();
    Type("d");
    QTest::keyClick(panel.GetExView(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(applied.size(), 1u);
    EXPECT_TRUE(panel.GetExView()->hasFocus());
}

TEST_F(MemoPanel, TheSizeFieldTakesAnySizeFromOnePoint)
{
    panel.GetExView()->setFocus();
    Type("abc");
    panel.GetExView()->GetEditor()->SelectAll();
    QLineEdit* size = panel.GetSizeEdit()->GetEdit();
    size->setFocus();
    size->selectAll();
    QTest::keyClicks(size, "16");
    QTest::keyClick(size, Qt::Key_Return);
    EXPECT_EQ(panel.GetSizeEdit()->GetValue(), 160);
    EXPECT_EQ(panel.GetExView()->GetStyle().Size, 160);
    // The up arrow steps one point; a size below one point becomes one point.
    panel.GetSizeEdit()->UpDownChangingEx(false);
    panel.GetSizeEdit()->UpDownMouseUp();
    EXPECT_EQ(panel.GetExView()->GetStyle().Size, 170);
    size->selectAll();
    QTest::keyClicks(size, "0.5");
    QTest::keyClick(size, Qt::Key_Return);
    EXPECT_EQ(panel.GetExView()->GetStyle().Size, 10);
}

TEST_F(MemoPanel, SavedNamesKeepRtfAndTextExtensionsOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/m/memo.doc", "/m/memo.rtf"}, {"/m/memo.TXT", "/m/memo.TXT"}, {"/m/memo.Rtf", "/m/memo.Rtf"},
        {"/m.d/memo", "/m.d/memo.rtf"}};
    for (const auto& [name, saved] : cases) EXPECT_EQ(TMemoEditPanel::SaveName(name), saved) << name;

    const std::string folder = vkttest::NewTempFolder("memo");
    panel.GetExView()->SetText("Potage\r\n");
    vkttest::Scripted().files.push_back(folder + "/memo.doc");
    panel.BtnSaveClick();
    EXPECT_TRUE(std::filesystem::exists(folder + "/memo.rtf"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/memo.doc"));
}

} // namespace
