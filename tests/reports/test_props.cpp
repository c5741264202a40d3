// The container and font pages on real items of a layout document, and the property host:
// bounds and margins in mm, fixed edges with rate or size, drawn pages, options and z-order;
// fonts, the nine-way alignment and the parent font; a face this machine lacks; what the host
// shows for each selection; and writes that fail inside the update brackets.
#include "gui/Application.h"
#include "layout/Preview.h"
#include "layout/Ucontainer.h"
#include "reports/Fcontainerproperty.h"
#include "reports/Ffontproperty.h"
#include "reports/Fpaperproperty.h"
#include "reports/Fpreviewitempropertyex.h"
#include "reports/Fpreviewproperty.h"
#include "support/Child.h"
#include "support/ScriptedServices.h"
#include "widgets/Fupdownedit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

using vkttest::Child;

TContainer* ContainerOf(TViewItem* item) { return dynamic_cast<TContainer*>(item->GetObject()); }

class PropsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("props");
        box = Add(1, nullptr, {1000, 1000, 15000, 20000});
        ContainerOf(box)->SetFont("Noto Serif CJK JP", 140, 0x0000FF, {fsBold});
        text = Add(2, box, {2000, 3000, 8000, 5000});
        memo = Add(3, nullptr, {16000, 1000, 20000, 5000});
        preview.SetSelected(nullptr);
    }
    TViewItem* Add(int type, TViewItem* parent, TRect mm)
    {
        preview.SetSelected(parent);
        TViewItem* item = preview.AddContainer(type);
        item->SetMMBoundRect_(mm);
        return item;
    }
    std::string Saved(const char* name)
    {
        const std::string file = folder + "/" + name;
        preview.SaveToFile(file);
        return ReadBytes(file);
    }
    TUpDownEdit* Edit(QWidget* page, const char* name) { return Child<TUpDownEdit>(page, name); }

    std::string folder;
    TPreview preview;
    TViewItem* box = nullptr;
    TViewItem* text = nullptr;
    TViewItem* memo = nullptr;
};

TEST_F(PropsTest, BoundsMarginsAndFixedEdges)
{
    TFontProperty2 page;
    const std::string before = Saved("before.xml");
    page.SetViewItem(text);
    EXPECT_EQ(Saved("shown.xml"), before) << "showing changes nothing";
    const struct {
        const char* edit;
        int value;
    } shown[] = {{"LeftEdit", 2000}, {"TopEdit", 3000}, {"WidthEdit", 6000}, {"HeightEdit", 2000}};
    for (const auto& s : shown) EXPECT_EQ(Edit(&page, s.edit)->GetValue(), s.value) << s.edit;
    EXPECT_EQ(Edit(&page, "WidthEdit")->GetEdit()->text().toStdString(), "60mm");

    Edit(&page, "LeftEdit")->SetValue(1000);
    Edit(&page, "WidthEdit")->SetValue(5000);
    EXPECT_EQ(text->GetMMBoundRect_(), (TRect{1000, 3000, 6000, 5000}));
    Edit(&page, "TopMarginEdit")->SetValue(250);
    Edit(&page, "LeftMarginEdit")->SetValue(-40);
    EXPECT_EQ(text->GetMMMarginRect_(), (TRect{0, 250, 0, 0})) << "margins not below 0";

    // Fixed edges: the rate and size only for one fixed edge; each clears the other.
    QAction* left = page.findChild<QAction*>("ActLeftFixed");
    left->trigger();
    EXPECT_EQ(text->GetAlign(), alLeft);
    EXPECT_TRUE(Edit(&page, "AlignRateEdit")->isEnabled());
    Edit(&page, "AlignRateEdit")->SetValue(30);
    EXPECT_EQ(text->GetAlignRate(), 30);
    Edit(&page, "AlignSizeEdit")->SetValue(1500);
    EXPECT_EQ(text->GetAlignRate(), 0);
    EXPECT_EQ(text->GetAlignSize_(), 1500);
    EXPECT_EQ(Edit(&page, "AlignRateEdit")->GetValue(), 0);
    Edit(&page, "AlignRateEdit")->SetValue(150);
    EXPECT_EQ(text->GetAlignRate(), 100) << "rate at most 100";
    EXPECT_EQ(Edit(&page, "AlignSizeEdit")->GetValue(), 0);
    page.findChild<QAction*>("ActClientFixed")->trigger();
    EXPECT_EQ(text->GetAlign(), alClient);
    EXPECT_FALSE(Edit(&page, "AlignSizeEdit")->isEnabled());
    EXPECT_EQ(Edit(&page, "WidthEdit")->GetValue(), text->GetMMBoundRect_().Width()) << "shown after the move";

    // Saved and read back.
    Saved("moved.xml");
    TPreview reloaded;
    reloaded.LoadFromFile(folder + "/moved.xml");
    TViewItem* again = reloaded.GetItems()->GetItem(2);
    EXPECT_EQ(again->GetAlign(), alClient);
    EXPECT_EQ(again->GetMMMarginRect_(), (TRect{0, 250, 0, 0}));
}

TEST_F(PropsTest, DrawnPagesOptionsAndOrder)
{
    TFontProperty2 page;
    page.SetViewItem(text);
    Child<QRadioButton>(&page, "RBSelPage")->click();
    EXPECT_EQ(text->GetDrawPageType(), 0);
    EXPECT_EQ(text->GetDrawPage(), (TPoint{1, 1}));
    EXPECT_TRUE(Edit(&page, "EndPageEdit")->isEnabled());
    Edit(&page, "EndPageEdit")->SetValue(4);
    EXPECT_EQ(text->GetDrawPage(), (TPoint{1, 4}));
    Child<QRadioButton>(&page, "RBOddPage")->click();
    EXPECT_EQ(text->GetDrawPageType(), 1);
    EXPECT_EQ(text->GetDrawPage(), (TPoint{0, 0}));
    page.SetViewItem(memo);
    page.SetViewItem(text);
    EXPECT_TRUE(Child<QRadioButton>(&page, "RBOddPage")->isChecked());
    EXPECT_FALSE(Edit(&page, "StartPageEdit")->isEnabled());
    memo->SetDrawPage({2, 5});
    page.SetViewItem(memo);
    EXPECT_TRUE(Child<QRadioButton>(&page, "RBSelPage")->isChecked());
    EXPECT_EQ(Edit(&page, "StartPageEdit")->GetValue(), 2);
    EXPECT_EQ(Edit(&page, "EndPageEdit")->GetValue(), 5);
    EXPECT_TRUE(Edit(&page, "EndPageEdit")->isEnabled());

    // Options: the three boxes; the item's other options stay.
    TVIOptions options = memo->GetOptions();
    memo->SetOptions(options << voHidden);
    page.SetViewItem(memo);
    Child<QCheckBox>(&page, "CBCanDelete")->click();
    EXPECT_EQ(memo->GetOptions(), (TVIOptions{voSelectable, voShowFrame, voHidden}));
    EXPECT_FALSE(Child<QCheckBox>(&page, "CBItemExpanded")->isVisibleTo(&page));

    // Z-order among the siblings.
    EXPECT_EQ(memo->GetIndex(), 1);
    page.findChild<QAction*>("ActBackground")->trigger();
    EXPECT_EQ(memo->GetIndex(), 0);
    page.findChild<QAction*>("ActForeground")->trigger();
    EXPECT_EQ(memo->GetIndex(), 1);
}

TEST_F(PropsTest, FontsAlignmentAndParentFont)
{
    TFontProperty2 page;
    page.SetViewItem(box);
    TContainer* container = ContainerOf(box);
    EXPECT_EQ(Edit(&page, "FontSizeEdit")->GetEdit()->text().toStdString(), "14pt");
    EXPECT_TRUE(Child<QCheckBox>(&page, "CBBold")->isChecked());
    Edit(&page, "FontSizeEdit")->SetValue(3);
    EXPECT_EQ(container->GetFontSize(), 10) << "at least 1 pt";
    Child<QCheckBox>(&page, "CBItalic")->click();
    EXPECT_EQ(container->GetFontStyles(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(container->GetFontName(), "Noto Serif CJK JP");

    auto* align = Child<QComboBox>(&page, "TextAlign");
    align->setCurrentIndex(8);
    emit align->activated(8);
    EXPECT_EQ(page.GetHorzAlign(), 2);
    EXPECT_EQ(page.GetVertAlign(), 2);
    page.SetHorzAlign(1);
    page.SetVertAlign(0);
    EXPECT_EQ(align->currentText().toStdString(), "上");

    // The child follows its parent once the box is ticked.
    TContainer* child = ContainerOf(text);
    child->SetFont("Noto Sans CJK JP", 90, 0, {});
    page.SetViewItem(text);
    EXPECT_FALSE(Child<QCheckBox>(&page, "CBParentFont")->isChecked());
    Child<QCheckBox>(&page, "CBParentFont")->click();
    EXPECT_TRUE(child->GetParentFont());
    EXPECT_EQ(Edit(&page, "FontSizeEdit")->GetValue(), 10);
    EXPECT_TRUE(Child<QCheckBox>(&page, "CBItalic")->isChecked());
    // A move keeps following.
    Edit(&page, "TopEdit")->SetValue(3500);
    page.ApplyAll();
    EXPECT_TRUE(child->GetParentFont());
}

TEST_F(PropsTest, FaceMissingHereIsShownAndKept)
{
    ContainerOf(memo)->SetFontName("ＤＦ平成明朝体W7");
    TFontProperty2 page;
    page.SetViewItem(memo);
    auto* faces = page.findChild<QWidget*>("FontNameList")->findChild<QComboBox*>();
    EXPECT_EQ(faces->currentText().toStdString(), "ＤＦ平成明朝体W7");
    Edit(&page, "LeftEdit")->SetValue(17000);
    page.ApplyAll();
    EXPECT_EQ(ContainerOf(memo)->GetFontName(), "ＤＦ平成明朝体W7");
    EXPECT_EQ(memo->GetMMLeft_(), 17000);
}

// A page whose container write fails.
class FailingPage : public TFontProperty {
public:
    void SetProperty(TContainer*) override { throw std::runtime_error("書き込めません"); }
};

TEST_F(PropsTest, FailedWriteClosesTheBrackets)
{
    FailingPage page;
    page.SetViewItem(text);
    EXPECT_FALSE(platform::Guard([&] { page.ApplyAll(); }));
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, "書き込めません");
    EXPECT_EQ(preview.GetItems()->GetUpdateCount(), 0);
    EXPECT_FALSE(page.GetApplying());
    EXPECT_EQ(vkttest::Scripted().busyDepth, 0);
    Edit(&page, "LeftEdit")->SetValue(2500);
    EXPECT_EQ(text->GetMMLeft_(), 2500) << "the page still writes";
}

TEST_F(PropsTest, HostShowsThePageOfTheSelection)
{
    TPreviewItemPropertyEx host;
    host.SetPreview(&preview);
    EXPECT_EQ(host.GetCurrentPage(), nullptr);
    EXPECT_FALSE(host.GetPreviewProperty()->isHidden());

    preview.SetSelected(text);
    TContainerProperty* textPage = host.GetCurrentPage();
    ASSERT_NE(textPage, nullptr);
    EXPECT_EQ(textPage->GetPageType(), 2);
    EXPECT_EQ(textPage->GetViewItem(), text);
    EXPECT_TRUE(host.GetPreviewProperty()->isHidden());
    preview.SetSelected(box);
    EXPECT_EQ(host.GetCurrentPage()->GetPageType(), 1);
    EXPECT_EQ(textPage->GetViewItem(), nullptr) << "the page left is unbound";
    TViewItem* second = Add(2, nullptr, {1000, 22000, 5000, 24000});
    preview.SetSelected(text);
    preview.SetSelected(second);
    EXPECT_EQ(host.GetCurrentPage(), textPage) << "one page object per type";
    EXPECT_EQ(textPage->GetViewItem(), second);

    preview.SetSelected(nullptr);
    EXPECT_EQ(host.GetCurrentPage(), nullptr);
    EXPECT_EQ(textPage->GetViewItem(), nullptr);
    EXPECT_FALSE(host.GetPreviewProperty()->isHidden());

    // The page settings write into the document.
    TPaperProperty* paper = host.GetPreviewProperty()->GetPaperProperty();
    Child<TUpDownEdit>(paper, "TopMarginEdit")->SetValue(3000);
    EXPECT_EQ(preview.GetMMMargin_().Top, 3000);
    // A move of the shown item shows in the page.
    preview.SetSelected(second);
    second->SetMMPoint_(3000, 22000);
    preview.SetSelected(nullptr);
    preview.SetSelected(second);
    EXPECT_EQ(Child<TUpDownEdit>(textPage, "LeftEdit")->GetValue(), 3000);

    // A type without a page shows the page settings.
    preview.OnNewContainer = [](TPreview*, int type, TContainer*& c) {
        if (type == 42) c = new TContainer(42);
    };
    preview.SetSelected(nullptr);
    preview.AddContainer(42);
    EXPECT_EQ(host.GetCurrentPage(), nullptr);
    EXPECT_FALSE(host.GetPreviewProperty()->isHidden());
    host.SetPreview(nullptr);
    EXPECT_EQ(preview.GetActionNotifyCount(), 0);
}

} // namespace

namespace {

// A page that asks its host to show its item while it writes, as a notice would.
class NoticeDuringWrite : public TFontProperty {
public:
    void SetProperty(TContainer* container) override
    {
        TFontProperty::SetProperty(container);
        if (host) host->ShowItem(GetViewItem());
        writes.push_back(shows);
    }
    void GetProperty(TContainer* container) override
    {
        TFontProperty::GetProperty(container);
        ++shows;
    }
    TPreviewItemPropertyEx* host = nullptr;
    int shows = 0;
    std::vector<int> writes;   // the shows counted when each write ended
};

class ProbeHost : public TPreviewItemPropertyEx {
public:
    TContainerProperty* GetPage(int type) override
    {
        if (type != 1) return TPreviewItemPropertyEx::GetPage(type);
        if (!probe) {
            probe = new NoticeDuringWrite;
            probe->host = this;
            Adopt(probe);
        }
        return probe;
    }
    NoticeDuringWrite* probe = nullptr;
};

TEST_F(PropsTest, NoticeDuringAWriteShowsTheItemOnceAfterIt)
{
    ProbeHost host;
    host.SetPreview(&preview);
    preview.SetSelected(box);
    ASSERT_NE(host.probe, nullptr);
    Edit(host.probe, "WidthEdit")->SetValue(9000);
    const int shown = host.probe->shows;
    host.probe->ApplyAll();
    ASSERT_FALSE(host.probe->writes.empty());
    EXPECT_EQ(host.probe->writes.back(), shown) << "not shown halfway through the write";
    EXPECT_EQ(host.probe->shows, shown + 1) << "shown once after it";
    EXPECT_EQ(box->GetMMWidth_(), 9000);
}

} // namespace
