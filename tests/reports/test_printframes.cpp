// The printer, paper and page-settings frames: the paper choice and the size edits, margins kept
// on the paper as it lies, quiet setters, the page settings written into a layout and read back
// from its file, printer drop-downs following each other, and frames without any printer.
#include "layout/Preview.h"
#include "reports/Fpaperproperty.h"
#include "reports/Fpreviewproperty.h"
#include "reports/Fprinterproperty.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Upapernamelist.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr int kA4 = 9;
constexpr int kA3 = 8;

template <typename T>
T* Child(QWidget* frame, const char* name)
{
    return frame->findChild<T*>(QString::fromLatin1(name));
}

// Picks a paper in the frame's list as the user does.
void PickPaper(TPaperProperty& frame, int id)
{
    QComboBox* list = frame.GetPaperList()->GetDropDown();
    list->setCurrentIndex(list->findData(id));
    emit list->activated(list->currentIndex());
}

std::string Margins(const platform::Rect& r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

class PaperFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        frame.OnChange = [this](QObject*) { ++changes; };
        frame.SetPaperType(kA4);
    }
    void Type(const char* edit, int value) { Child<TUpDownEdit>(&frame, edit)->SetValue(value); }

    TPaperProperty frame;
    int changes = 0;
};

TEST_F(PaperFrameTest, PaperChoiceDecidesSizeAndOrientationControls)
{

    QComboBox* list = frame.GetPaperList()->GetDropDown();
    EXPECT_EQ(list->count(), 103);
    for (int i = 1; i < list->count(); ++i)
        EXPECT_LE(list->itemText(i - 1).toStdString(), list->itemText(i).toStdString()) << "sorted";
    PickPaper(frame, kUserPaperID);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(Child<TUpDownEdit>(&frame, "PaperWidthEdit")->isEnabled());
    EXPECT_FALSE(Child<QRadioButton>(&frame, "RBHorz")->isEnabled());
    Type("PaperWidthEdit", 12345);
    EXPECT_EQ(frame.GetPaperSize(), (platform::Point{12345, 29700}));
    PickPaper(frame, kA3);
    EXPECT_FALSE(Child<TUpDownEdit>(&frame, "PaperHeightEdit")->isEnabled());
    EXPECT_TRUE(Child<QRadioButton>(&frame, "RBVert")->isEnabled());
    EXPECT_EQ(Child<TUpDownEdit>(&frame, "PaperWidthEdit")->GetValue(), 29700);
    EXPECT_EQ(Child<TUpDownEdit>(&frame, "PaperHeightEdit")->GetValue(), 42000);
    EXPECT_EQ(frame.GetPaperSize(), GetMMPaperSize_(kA3));

    // Setters raise nothing.
    changes = 0;
    frame.SetOrientation(true);
    frame.SetOrientation(false);
    frame.SetMargins(100, 200, 300, 400);
    frame.SetPaperType(kUserPaperID);
    frame.SetPaperSize({1, 2});
    EXPECT_EQ(changes, 0);
}

TEST_F(PaperFrameTest, MarginsStayOnThePaperAsItLies)
{
    const struct {
        bool landscape;
        const char* edit;
        int value;
        const char* margins;   // left, top, right, bottom after the change
    } cases[] = {
        {false, "LeftMarginEdit", 25000, "21000,1000,0,1000"},
        {false, "RightMarginEdit", 20500, "1000,1000,20000,1000"},
        {false, "BottomMarginEdit", 30000, "1000,1000,1000,28700"},
        {true, "LeftMarginEdit", 25000, "25000,1000,1000,1000"},
        {true, "BottomMarginEdit", 20500, "1000,1000,1000,20000"},
        {true, "TopMarginEdit", 25000, "1000,21000,1000,0"},
    };
    for (const auto& c : cases) {
        frame.SetOrientation(c.landscape);
        frame.SetMargins(1000, 1000, 1000, 1000);
        Type(c.edit, c.value);
        EXPECT_EQ(Margins(frame.GetMargins()), c.margins) << c.edit << (c.landscape ? " landscape" : "");
    }
}

class PageSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        vkttest::InstallPdfPrinter(vkttest::NewTempFolder("pdf") + "/x.pdf");
        folder = vkttest::NewTempFolder("settings");
        page = std::make_unique<TPreviewProperty>();
    }
    TPaperProperty& Paper() { return *page->GetPaperProperty(); }

    vkttest::PrinterScope restore;
    std::string folder;
    TPreview preview;
    std::unique_ptr<TPreviewProperty> page;
};

TEST_F(PageSettingsTest, ChangesAreWrittenIntoTheLayoutAndItsFile)
{
    preview.SetPaperType(kA4);
    preview.SetMMMargin_({1000, 1500, 1000, 1500});
    page->SetPreview(&preview);
    EXPECT_EQ(Paper().GetPaperType(), kA4);
    EXPECT_EQ(Margins(Paper().GetMargins()), "1000,1500,1000,1500");
    const std::string shown = folder + "/shown.xml";
    preview.SaveToFile(shown);

    PickPaper(Paper(), kA3);
    Child<QRadioButton>(&Paper(), "RBHorz")->click();
    Child<TUpDownEdit>(&Paper(), "LeftMarginEdit")->SetValue(2500);
    EXPECT_EQ(preview.GetPaperType(), kA3);
    EXPECT_TRUE(preview.GetOrientation());
    EXPECT_EQ(Margins(preview.GetMMMargin_()), "2500,1500,1000,1500");
    // The page root is the turned A3 sheet.
    EXPECT_EQ(preview.GetItems()->GetPageRoot()->GetMMBoundRect_().Width(), 42000);

    const std::string file = folder + "/a3.xml";
    preview.SaveToFile(file);
    TPreview reloaded;
    reloaded.LoadFromFile(file);
    EXPECT_EQ(reloaded.GetPaperType(), kA3);
    EXPECT_TRUE(reloaded.GetOrientation());
    EXPECT_EQ(Margins(reloaded.GetMMMargin_()), "2500,1500,1000,1500");
    // Showing alone changed nothing.
    TPreview first;
    first.LoadFromFile(shown);
    page->SetPreview(&first);
    first.SaveToFile(folder + "/again.xml");
    const auto bytes = [](const std::string& name) {
        std::FILE* in = std::fopen(name.c_str(), "rb");
        std::string out;
        for (int ch; in && (ch = std::fgetc(in)) != EOF;) out.push_back(static_cast<char>(ch));
        if (in) std::fclose(in);
        return out;
    };
    EXPECT_EQ(bytes(folder + "/again.xml"), bytes(shown));
}

TEST_F(PageSettingsTest, UserPaperShowsAndKeepsTheLayoutsOwnSize)
{
    preview.SetPaperType(kUserPaperID);
    preview.SetMMCanvasSize_({15000, 20000});
    page->SetPreview(&preview);
    EXPECT_EQ(Paper().GetPaperSize(), (platform::Point{15000, 20000}));
    Child<TUpDownEdit>(&Paper(), "TopMarginEdit")->SetValue(2000);
    EXPECT_EQ(preview.GetMMCanvasSize_(), (platform::Point{15000, 20000})) << "a margin keeps the size";
    EXPECT_EQ(preview.GetMMMargin_().Top, 2000);
    Child<TUpDownEdit>(&Paper(), "PaperWidthEdit")->SetValue(16000);
    EXPECT_EQ(preview.GetMMCanvasSize_(), (platform::Point{16000, 20000}));
}

TEST(PrinterFrameTest, DropDownsFollowEachOtherAndFramesWorkWithoutPrinter)
{
    const vkttest::PrinterScope restore;
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::make_unique<vkttest::RecordingPrinter>("前"));
    devices.push_back(std::make_unique<vkttest::RecordingPrinter>("後"));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
    TPrinterDropDown one;
    TPrinterProperty two;
    QComboBox* list = two.GetPrinterDropDown()->GetDropDown();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(1).toStdString(), "後");
    emit one.GetDropDown()->activated(1);
    EXPECT_EQ(PrinterObject()->GetPrinterIndex(), 1);
    EXPECT_EQ(list->currentIndex(), 1);
    Child<QRadioButton>(&two, "CanvasHorz")->click();
    EXPECT_TRUE(PrinterObject()->GetOrientation());
    PrinterObject()->SetOrientation(false);
    EXPECT_TRUE(Child<QRadioButton>(&two, "CanvasVart")->isChecked());

    vkttest::InstallNoPrinter();
    TPreviewProperty page;
    TPrinterProperty* printer = page.GetPrinterProperty();
    for (const char* name : {"DropDown", "CanvasVart", "CanvasHorz", "BtnShowProperty", "Label1", "Label2"})
        EXPECT_FALSE(Child<QWidget>(printer, name)->isEnabled()) << name;
    TPreview preview;
    page.SetPreview(&preview);
    PickPaper(*page.GetPaperProperty(), kA3);
    EXPECT_EQ(preview.GetPaperType(), kA3) << "the paper frame works without a printer";
}

} // namespace
