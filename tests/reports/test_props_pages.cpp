// The text and graphic pages on real items: kinds, text, background, angle and outline; shapes
// with their round sizes and the arrow; each change shown in the page view or its PDF and kept in
// the layout file; and a diagonal-outline text that the page keeps as it is.
#include "layout/Preview.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Umemocontainer.h"
#include "layout/Utextcontainer.h"
#include "reports/Fgraphicproperty.h"
#include "reports/Fmemoproperty.h"
#include "reports/Fpreviewitempropertyex.h"
#include "richtext/Exview.h"
#include "reports/Ftextproperty.h"
#include "support/Child.h"
#include "support/ScriptedServices.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using vkttest::Child;

// The text of a one-page PDF.
std::string PdfText(const std::string& pdf)
{
    QProcess process;
    process.start("pdftotext", {QString::fromStdString(pdf), "-"});
    process.waitForFinished(30000);
    return process.readAllStandardOutput().toStdString();
}

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("pages");
        TViewItem* item = preview.AddContainer(2);
        item->SetMMBoundRect_({2000, 2000, 12000, 4000});
        text = dynamic_cast<TTextContainer*>(item->GetObject());
        text->SetText("原価表");
        preview.SetSelected(nullptr);
        item = preview.AddContainer(4);
        item->SetMMBoundRect_({2000, 6000, 8000, 9000});
        shape = dynamic_cast<TGraphicContainer*>(item->GetObject());
        preview.SetSelected(nullptr);
    }
    TPreview& Reloaded()
    {
        preview.SaveToFile(folder + "/layout.xml");
        reloaded.LoadFromFile(folder + "/layout.xml");
        return reloaded;
    }

    std::string folder;
    TPreview preview;
    TPreview reloaded;
    TTextContainer* text = nullptr;
    TGraphicContainer* shape = nullptr;
};

TEST_F(PagesTest, TextKindsBackgroundAngleAndOutline)
{
    TTextProperty page;
    page.SetViewItem(text->GetViewItem());
    auto* edit = Child<QLineEdit>(&page, "Edit");
    EXPECT_EQ(edit->text().toStdString(), "原価表");
    EXPECT_TRUE(Child<QRadioButton>(&page, "RBText")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(&page, "CBTextBrush")->isChecked());
    EXPECT_EQ(Child<TColorDropDown>(&page, "TextBrushColorList")->GetColor(), 0xFFFFFF) << "no background shows white";

    edit->setText("本日の献立");
    emit edit->editingFinished();
    EXPECT_EQ(text->GetText(), "本日の献立");
    preview.SaveToEMF(folder + "/page.pdf");
    EXPECT_NE(PdfText(folder + "/page.pdf").find("本日の献立"), std::string::npos);

    Child<QCheckBox>(&page, "CBTextBrush")->click();
    EXPECT_EQ(text->GetTextBrushColor(), 0xFFFFFF);
    Child<QCheckBox>(&page, "CBTextBrush")->click();
    EXPECT_EQ(text->GetTextBrushColor(), -1);
    Child<QSlider>(&page, "TextAngleTrack")->setValue(450);
    EXPECT_EQ(text->GetTextAngle(), 450);
    EXPECT_EQ(Child<TUpDownEdit>(&page, "TextAngleEdit")->GetEdit()->text().toStdString(), "45°");
    Child<TUpDownEdit>(&page, "TextAngleEdit")->SetValue(900);
    EXPECT_EQ(Child<QSlider>(&page, "TextAngleTrack")->value(), 900);
    Child<QCheckBox>(&page, "CBOutline")->click();
    EXPECT_TRUE(text->GetOutLine());

    Child<QRadioButton>(&page, "RBPage")->click();
    EXPECT_EQ(text->GetTextType(), 1);
    page.SetViewItem(text->GetViewItem());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_TRUE(edit->text().isEmpty());

    auto* saved = dynamic_cast<TTextContainer*>(Reloaded().GetItems()->GetItem(1)->GetObject());
    EXPECT_EQ(saved->GetTextType(), 1);
    EXPECT_EQ(saved->GetTextAngle(), 900);
    EXPECT_TRUE(saved->GetOutLine());
}

TEST_F(PagesTest, DiagonalOutlineTextKeepsItsKindAndText)
{
    text->SetTextType(3);
    text->SetText("社外秘");
    TTextProperty page;
    page.SetViewItem(text->GetViewItem());
    for (const char* kind : {"RBText", "RBPage", "RBDate"})
        EXPECT_FALSE(Child<QRadioButton>(&page, kind)->isChecked()) << kind;
    EXPECT_EQ(Child<QLineEdit>(&page, "Edit")->text().toStdString(), "社外秘");
    Child<TUpDownEdit>(&page, "LeftEdit")->SetValue(3000);
    page.ApplyAll();
    EXPECT_EQ(text->GetTextType(), 3);
    EXPECT_EQ(text->GetText(), "社外秘");
    EXPECT_EQ(text->GetViewItem()->GetMMLeft_(), 3000);
    Child<QRadioButton>(&page, "RBDate")->click();
    EXPECT_EQ(text->GetTextType(), 2) << "a kind the user picks is written";
}

TEST_F(PagesTest, ShapesRoundSizesAndArrow)
{
    TGraphicProperty page;
    page.show();
    page.SetViewItem(shape->GetViewItem());
    auto* types = Child<QComboBox>(&page, "GraphicTypeList");
    const auto choose = [&](int type) {
        types->setCurrentIndex(type);
        emit types->activated(type);
    };
    choose(2);
    EXPECT_EQ(shape->GetGraphicType(), 2);
    EXPECT_EQ(shape->GetRoundSize(), (TPoint{120, 120}));
    EXPECT_TRUE(Child<QSlider>(&page, "ArrowAngleTrack")->isHidden());
    Child<TUpDownEdit>(&page, "RoundXEdit")->SetValue(400);
    EXPECT_EQ(shape->GetRoundSize().X, 300) << "a twentieth of 60 mm";
    EXPECT_EQ(Child<TUpDownEdit>(&page, "RoundXEdit")->GetValue(), 300);

    choose(10);
    EXPECT_EQ(shape->GetRoundSize(), (TPoint{120, 60}));
    EXPECT_TRUE(Child<TUpDownEdit>(&page, "ArrowWidthEdit")->isEnabled());
    EXPECT_FALSE(Child<QSlider>(&page, "ArrowAngleTrack")->isHidden());
    Child<QSlider>(&page, "ArrowAngleTrack")->setValue(1800);
    EXPECT_EQ(shape->GetArrowAngle(), 1800);
    Child<TUpDownEdit>(&page, "ArrowWidthEdit")->SetValue(50);
    EXPECT_EQ(shape->GetArrowWidth(), 50);

    choose(1);
    EXPECT_EQ(shape->GetRoundSize(), (TPoint{0, 0}));
    EXPECT_FALSE(Child<TUpDownEdit>(&page, "RoundXEdit")->isEnabled());
    EXPECT_EQ(shape->GetBrushColor(), -1);
    Child<QCheckBox>(&page, "CBFillInner")->click();
    EXPECT_EQ(shape->GetBrushColor(), 0xFFFFFF);

    // The fill shows in the page view.
    auto* brush = Child<TColorDropDown>(&page, "BrushColorList");
    brush->SetColor(0x0000FF);   // red in the colour's BGR order
    page.ApplyAll();
    preview.resize(600, 800);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    const QImage image = preview.grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0)) ++red;
    EXPECT_GT(red, 100);

    auto* saved = dynamic_cast<TGraphicContainer*>(Reloaded().GetItems()->GetItem(2)->GetObject());
    EXPECT_EQ(saved->GetGraphicType(), 1);
    EXPECT_EQ(saved->GetBrushColor(), 0x0000FF);
}

} // namespace

namespace {

class MemoPageTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        TViewItem* item = preview.AddContainer(3);
        item->SetMMBoundRect_({2000, 10000, 15000, 20000});
        memo = dynamic_cast<TMemoContainer*>(item->GetObject());
        // The memo as an edit view writes it.
        TExView writer;
        writer.SetText("本日の献立");
        std::ostringstream rtf;
        writer.GetEditor()->SaveToRichStream(rtf);
        memo->SetRichText(rtf.str());
        preview.SetSelected(nullptr);
    }
    TMemoContainer* memo = nullptr;
};

TEST_F(MemoPageTest, LoadedOnceWrittenOnlyAfterTyping)
{
    TMemoProperty page;
    page.show();
    const std::string stored = memo->GetRichText();
    page.SetViewItem(memo->GetViewItem());
    TExView* view = page.GetExView();
    EXPECT_NE(view->GetText().find("本日の献立"), std::string::npos) << view->GetText();
    view->GetEditor()->SetCaret(2);
    page.SetViewItem(text->GetViewItem());
    page.SetViewItem(memo->GetViewItem());
    EXPECT_EQ(view->GetEditor()->GetCaret(), 2) << "unchanged rich text is not loaded again";

    // A move writes the item, not the memo, even when the view's own writing of it differs (here
    // a text set without a change notice stands for what the view's reader drops).
    view->SetText("読み込めない部分");
    page.findChild<TUpDownEdit*>("TopEdit")->SetValue(11000);
    page.ApplyAll();
    EXPECT_EQ(memo->GetViewItem()->GetMMTop_(), 11000);
    EXPECT_EQ(memo->GetRichText(), stored);

    // Typing is written at once and shows in the page's PDF.
    view->setFocus();
    view->GetEditor()->SetCaret(0);
    QTest::keyClicks(view, "Menu ");
    EXPECT_NE(memo->GetRichText(), stored);
    EXPECT_NE(memo->GetRichText().find("Menu"), std::string::npos);
    preview.SaveToEMF(folder + "/memo.pdf");
    EXPECT_NE(PdfText(folder + "/memo.pdf").find("Menu"), std::string::npos);
    auto* saved = dynamic_cast<TMemoContainer*>(Reloaded().GetItems()->GetItem(3)->GetObject());
    EXPECT_EQ(saved->GetRichText(), memo->GetRichText());
}

// The page as the designer hosts it, shown again by the notices of each write: typed characters
// stay in order, wherever the caret is, and reach the memo.
TEST_F(MemoPageTest, TypingKeepsTheCaretWhileEachKeyIsWritten)
{
    TViewItem* item = preview.AddContainer(3);
    item->SetMMBoundRect_({2000, 21000, 15000, 28000});
    auto* empty = dynamic_cast<TMemoContainer*>(item->GetObject());
    TPreviewItemPropertyEx host;
    host.SetPreview(&preview);
    host.show();
    preview.SetSelected(item);
    auto* page = dynamic_cast<TMemoProperty*>(host.GetCurrentPage());
    ASSERT_NE(page, nullptr);
    TExView* view = page->GetExView();
    view->setFocus();
    QTest::keyClicks(view, "Tonkatsu");
    EXPECT_EQ(view->GetText(), "Tonkatsu\r\n");
    EXPECT_EQ(view->GetEditor()->GetCaret(), 8);
    EXPECT_EQ(empty->GetDrawer()->GetString(), "Tonkatsu\r\n");

    view->GetEditor()->SetCaret(3);
    QTest::keyClicks(view, " - ");
    EXPECT_EQ(view->GetText(), "Ton - katsu\r\n");
    EXPECT_EQ(empty->GetDrawer()->GetString(), "Ton - katsu\r\n");

    preview.SetSelected(memo->GetViewItem());
    view->GetEditor()->SetCaret(4);   // after two double-byte characters
    QTest::keyClicks(view, "AB");
    EXPECT_EQ(view->GetText(), "本日ABの献立\r\n");
    EXPECT_EQ(memo->GetDrawer()->GetString(), "本日ABの献立\r\n");

    // A text the memo takes by another road than the page shows at once.
    memo->SetRichText(empty->GetRichText());
    QApplication::processEvents();
    EXPECT_EQ(view->GetText(), "Ton - katsu\r\n");
}

} // namespace
