#include "gui/Clipboard.h"
#include "gui/QtSupport.h"
#include "layout/Pageview.h"
#include "platform/Codec.h"
#include "support/Command.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using vkttest::Capture;

std::string Join(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : "|") + part;
    return out;
}

class PageViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenPixelsPerInch(96);
        auto printer = std::make_unique<vkttest::RecordingPrinter>("Recorder", 96);
        printer->margin = 48;
        recorder = &vkttest::InstallRecordingPrinter(std::move(printer));
        view = std::make_unique<TPageView>();
    }
    void Show(int width = 600, int height = 500)
    {
        view->resize(width, height);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->setFocus();
        QTest::qWait(80); // the debounced resize
        view->Redraw();
    }
    // An item at (x, y) of w × h in 1/100 mm.
    TViewItem* Item(TViewItem* parent, TRect mm, const std::string& name = {})
    {
        TViewItem* item = view->AddItem(parent, nullptr);
        item->SetMMBoundRect_(mm);
        item->SetName(name);
        return item;
    }
    QPoint ScreenPoint(TViewItem* item, bool bottomRight) const
    {
        const TRect r = item->GetScalingRect(view->GetScale_());
        const TPoint o = view->GetPageDrawer()->GetPageOrigin(0);
        return bottomRight ? QPoint(r.Right + o.X, r.Bottom + o.Y) : QPoint(r.Left + o.X + 10, r.Top + o.Y + 10);
    }

    vkttest::PrinterScope printerScope;
    vkttest::RecordingPrinter* recorder = nullptr;
    std::unique_ptr<TPageView> view;
};

} // namespace

TEST_F(PageViewTest, DefaultsPaperOrientationAndClear)
{
    EXPECT_EQ(view->GetPaperType(), kA4PaperID);
    EXPECT_FALSE(view->GetOrientation());
    EXPECT_EQ(view->GetPage(), 1);
    EXPECT_EQ(view->GetViewType(), 2);
    EXPECT_TRUE(view->GetShowItemMargin());
    EXPECT_TRUE(view->GetShowMargin());
    EXPECT_FALSE(view->GetModified());
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetMMBoundRect_(), (TRect{0, 0, 21000, 29700}));
    EXPECT_EQ(view->GetItems()->GetPrintRoot()->GetBoundRect_(), (TRect{50, 50, 775, 1117}))
        << "the printable area of the printer, 48 of 96 pixels inside";

    view->SetOrientation(true);
    view->SetPaperType(8);
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetMMBoundRect_(), (TRect{0, 0, 42000, 29700}));
    EXPECT_EQ(view->GetPageDrawer()->GetMMPageWidth_(), 42000);
    view->SetMMCanvasSize_({10000, 5000});
    view->SetPaperType(256);
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetMMBoundRect_(), (TRect{0, 0, 5000, 10000}))
        << "the user paper keeps its canvas size, landscape";
    view->SetOrientation(false);
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetMMBoundRect_(), (TRect{0, 0, 10000, 5000}));

    Item(nullptr, {0, 0, 100, 100});
    EXPECT_TRUE(view->GetModified());
    int clears = 0;
    view->OnClear = [&](TPageView*) { ++clears; };
    view->Clear();
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(view->GetModified());
    EXPECT_EQ(view->GetPaperType(), kA4PaperID);
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetCountOfChildren(), 0);

    // The printer's printable area is no change of the layout's.
    recorder->margin = 96;
    PrinterObject()->DoChange(false);
    EXPECT_EQ(view->GetItems()->GetPrintRoot()->GetBoundRect_(), (TRect{100, 100, 725, 1067}));
    EXPECT_FALSE(view->GetModified());
}

TEST_F(PageViewTest, PagesAndViewTypes)
{
    Item(nullptr, {0, 0, 100, 100})->SetDrawPage({2, 3});
    EXPECT_EQ(view->GetPageMax(), 3);
    view->SetPage(0);
    EXPECT_EQ(view->GetPage(), 1);
    view->SetPage(99);
    EXPECT_EQ(view->GetPage(), 3);
    view->QueryPageMax = [](TPageView*, TViewItem*, int& max) { max = 5; };
    EXPECT_EQ(view->GetPageMax(), 5);

    Show(600, 500);
    EXPECT_EQ(view->GetScale_(), view->GetPageDrawer()->GetFullWidthScale_());
    view->DrawFullPage();
    const int fullPage = view->GetScale_();
    EXPECT_EQ(view->GetViewType(), 1);
    view->SetViewType(0);
    EXPECT_EQ(view->GetViewType(), 1) << "a free scale comes only through SetScale_";
    view->SetScale_(40000);
    EXPECT_EQ(view->GetViewType(), 0);
    EXPECT_EQ(view->GetScale_(), 40000);
    EXPECT_GT(view->GetDocWidth(), 3000);
    EXPECT_LT(fullPage, 10000);
    EXPECT_FALSE(view->KeyDown(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier));
    EXPECT_EQ(view->GetScale_(), 39000);
}

TEST_F(PageViewTest, PageObjectBothWays)
{
    view->SetMMCanvasSize_({10000, 20000});
    view->SetCanvasSize_({393, 787});
    view->SetPaperType(256);
    view->GetItems()->GetPageRoot()->SetMMMarginRect_({1000, 1000, 1000, 1000});
    Item(Item(nullptr, {1000, 1000, 5000, 5000}, "outer"), {1000, 1000, 2000, 2000}, "inner");
    platform::XmlDocument doc;
    const platform::XmlNode root = doc.CreateDocumentElement("PageScript");
    view->SaveToXml(root);
    const platform::XmlNode page = root.FindChild("PageObject");
    EXPECT_EQ(page.GetAttribute("Paper"), "256");
    EXPECT_EQ(page.GetAttribute("CanvasSize"), "393,787");
    EXPECT_EQ(page.GetAttribute("MMCanvasSize"), "10000,20000");
    EXPECT_FALSE(page.HasAttribute("Orientation"));
    EXPECT_EQ(page.GetAttribute("MMMarginRect"), "1000,1000,1000,1000");

    TPageView back;
    back.LoadFromXml(root);
    EXPECT_EQ(back.GetPaperType(), 256);
    EXPECT_EQ(back.GetItems()->GetPageRoot()->GetMMBoundRect_(), (TRect{0, 0, 10000, 20000}));
    ASSERT_NE(back.GetItems()->ItemOfName("inner"), nullptr);
    EXPECT_EQ(back.GetItems()->ItemOfName("inner")->GetParent()->GetName(), "outer");
    platform::XmlDocument again;
    back.SaveToXml(again.CreateDocumentElement("PageScript"));
    EXPECT_EQ(again.SaveToString(), doc.SaveToString());

    page.SetAttribute("Paper", "9");
    page.SetAttribute("Orientation", "1");
    back.LoadFromXml(root);
    EXPECT_TRUE(back.GetOrientation());
    EXPECT_EQ(back.GetItems()->GetPageRoot()->GetMMBoundRect_(), (TRect{0, 0, 29700, 21000}));
    page.SetAttribute("MarginRect", "1,2,3");
    EXPECT_THROW(back.LoadFromXml(root), platform::ListIndexError);
}

TEST_F(PageViewTest, PrintableAreaFollowsThePrinterAndADestroyedViewIsNotCalled)
{
    recorder->margin = 96;
    PrinterObject()->DoChange(false);
    EXPECT_EQ(view->GetItems()->GetPrintRoot()->GetBoundRect_(), (TRect{100, 100, 725, 1067}));
    view.reset();
    PrinterObject()->DoChange(true);
    EXPECT_EQ(PrinterObject()->GetEventHandlerCount(), 0);
}

TEST_F(PageViewTest, MouseSelectsThenDragsAGrip)
{
    TViewItem* parent = Item(nullptr, {2000, 2000, 12000, 12000}, "parent");
    TViewItem* top = Item(parent, {0, 0, 100, 2000}, "top");
    top->SetAlign(alTop);
    Show();
    // The focus elsewhere (an item tree beside the view): the press that brings it selects too.
    view->clearFocus();
    QWidget* port = view->viewport();
    QTest::mouseClick(port, Qt::LeftButton, {}, ScreenPoint(top, false));
    EXPECT_TRUE(view->hasFocus());
    EXPECT_EQ(view->GetSelected(), top) << "the first press selects";
    const TRect before = top->GetMMBoundRect_();
    const QPoint grip = ScreenPoint(top, true);
    QTest::mousePress(port, Qt::LeftButton, {}, grip);
    EXPECT_TRUE(view->GetDragging());
    QMouseEvent move(QEvent::MouseMove, grip + QPoint(40, 30), port->mapToGlobal(grip + QPoint(40, 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, {}, grip + QPoint(40, 30));
    const TRect after = top->GetMMBoundRect_();
    EXPECT_EQ(after.Left, before.Left);
    EXPECT_EQ(after.Right, before.Right) << "an alTop item keeps the parent's sides";
    EXPECT_GT(after.Bottom, before.Bottom + 700);
    EXPECT_EQ(view->GetSelectBox()->GetSelectRect(), (TRect{ScreenPoint(top, false).x() - 10,
                                                            ScreenPoint(top, false).y() - 10,
                                                            ScreenPoint(top, true).x(), ScreenPoint(top, true).y()}));
}

// A screen reader reads the items (named, placed), the selected one, and nothing of items gone.
TEST_F(PageViewTest, AScreenReaderReadsTheItemsAndTheSelection)
{
    TViewItem* a = Item(nullptr, {2000, 2000, 6000, 6000}, "a");
    TViewItem* b = Item(nullptr, {7000, 2000, 9000, 6000}, "b");
    Show();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::Canvas);
    ASSERT_EQ(iface->childCount(), 2);
    EXPECT_EQ(iface->child(0)->text(QAccessible::Name), QStringLiteral("a"));
    EXPECT_EQ(iface->child(1)->text(QAccessible::Name), QStringLiteral("b"));
    EXPECT_EQ(iface->indexOfChild(iface->child(1)), 1);
    EXPECT_EQ(iface->child(0)->parent(), iface);
    EXPECT_TRUE(iface->child(0)->rect().contains(view->viewport()->mapToGlobal(ScreenPoint(a, false) + QPoint(2, 2))));
    view->SetSelected(b);
    EXPECT_TRUE(iface->child(1)->state().selected);
    EXPECT_FALSE(iface->child(0)->state().selected);
    EXPECT_EQ(iface->focusChild(), iface->child(1));
    QAccessibleInterface* second = iface->child(1);
    view->Clear();
    EXPECT_EQ(iface->childCount(), 0);
    EXPECT_FALSE(second->isValid());
    EXPECT_TRUE(second->text(QAccessible::Name).isEmpty());
}

TEST_F(PageViewTest, KeysNavigateMoveAndDelete)
{
    TViewItem* a = Item(nullptr, {0, 0, 5000, 5000}, "a");
    TViewItem* child = Item(a, {0, 0, 1000, 1000}, "child");
    TViewItem* b = Item(nullptr, {0, 8000, 5000, 13000}, "b");
    EXPECT_EQ(child->GetMMBoundRect_(), (TRect{0, 0, 1000, 1000}));
    view->SetSelected(a);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(view->KeyDown(Qt::Key_Right, Qt::ShiftModifier));
    EXPECT_EQ(a->GetMMBoundRect_(), (TRect{1000, 0, 6000, 5000}));
    view->KeyDown(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(a->GetMMBoundRect_(), (TRect{1000, 0, 6000, 5100}));
    EXPECT_TRUE(view->KeyDown(Qt::Key_Down, {}));
    EXPECT_EQ(view->GetSelected(), b);
    EXPECT_TRUE(view->KeyDown(Qt::Key_Up, Qt::AltModifier));
    EXPECT_EQ(view->GetSelected(), b);
    view->SetSelected(a);
    view->KeyDown(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(view->GetSelected(), child);
    view->KeyDown(Qt::Key_Escape, {});
    EXPECT_EQ(view->GetSelected(), a);
    view->KeyDown(Qt::Key_Escape, {});
    EXPECT_EQ(view->GetSelected(), nullptr);
    EXPECT_FALSE(view->KeyDown(Qt::Key_Delete, {}));

    view->SelNext();
    view->SelNext();
    view->SelNext();
    view->SelNext();
    EXPECT_EQ(view->GetSelected(), b) << "stops at the last item";
    view->SetSelected(nullptr);
    view->SelPrev();
    EXPECT_EQ(view->GetSelected(), b);

    child->SetOptions({voSelectable});
    view->SetSelected(a);
    vkttest::Scripted().Reset();
    view->KeyDown(Qt::Key_Delete, {});
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetCountOfChildren(), 2) << "a child is not deletable";
    EXPECT_EQ(view->GetSelected(), a) << "a refused delete keeps the selection";
    view->SetSelected(child);
    view->KeyDown(Qt::Key_Delete, {});
    ASSERT_EQ(vkttest::Scripted().messages.size(), 2u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, TPageView::kHoldsNotDeletableText);
    EXPECT_EQ(vkttest::Scripted().messages[1].text, TPageView::kNotDeletableText);
    EXPECT_EQ(view->GetSelected(), child);
    std::vector<std::string> log;
    view->OnDeleteItem = [&](TPageView*, TTreeItem* item) { log.push_back(static_cast<TViewItem*>(item)->GetName()); };
    view->OnCanMoveItem = [](TPageView*, TViewItem*, TViewItem*, bool asChild, bool& accept) { accept = !asChild; };
    view->ItemMove(b, a, true);
    EXPECT_EQ(b->GetParent(), view->GetItems()->GetPageRoot()) << "refused";
    view->ItemMove(b, a, false);
    EXPECT_EQ(b->GetIndex(), 0);
    view->SetSelected(b);
    view->KeyDown(Qt::Key_Delete, {});
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetCountOfChildren(), 1);
}

TEST_F(PageViewTest, ClipboardCopyCutPaste)
{
    QGuiApplication::clipboard()->clear();
    TViewItem* a = Item(nullptr, {1000, 1000, 6000, 6000}, "髙①～😀");
    Item(a, {1000, 1000, 2000, 2000}, "child");
    view->PasteFromClipboard();
    EXPECT_EQ(view->GetItems()->GetCount(), 4) << "nothing to paste";
    view->SetSelected(a);
    EXPECT_TRUE(view->KeyDown(Qt::Key_C, Qt::ControlModifier));
    const std::string bytes = platform::Clipboard::GetData(TPageView::kClipboardFormat);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\0');
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", 0), 0u);
    EXPECT_NE(bytes.find(platform::Utf8ToSjis("髙①～") + "&#x1F600;"), std::string::npos);

    view->SetReadOnly(true);
    view->KeyDown(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(view->GetItems()->GetCount(), 4);
    view->SetReadOnly(false);
    view->KeyDown(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(a->GetCountOfChildren(), 2) << "nested as the last child";
    TViewItem* copy = a->GetItem(1);
    EXPECT_EQ(copy->GetName(), "髙①～😀");
    EXPECT_EQ(copy->GetMMBoundRect_(), a->GetMMBoundRect_());
    EXPECT_EQ(copy->GetItemOfName("child")->GetMMBoundRect_(), (TRect{1000, 1000, 2000, 2000}));

    view->SetSelected(copy);
    view->CutToClipboard();
    EXPECT_EQ(a->GetCountOfChildren(), 1);

    // An item that may not be deleted is neither cut nor, copied, pasted: the copy could never be
    // deleted again.
    vkttest::Scripted().Reset();
    a->GetItem(0)->SetOptions({voSelectable});
    view->SetSelected(a);
    const std::string copied = platform::Clipboard::GetData(TPageView::kClipboardFormat);
    view->CutToClipboard();
    EXPECT_EQ(view->GetItems()->GetPageRoot()->GetItem(0), a);
    EXPECT_EQ(platform::Clipboard::GetData(TPageView::kClipboardFormat), copied) << "nothing copied";
    view->CopyToClipboard();
    view->PasteFromClipboard();
    EXPECT_EQ(a->GetCountOfChildren(), 1) << "nothing pasted";
    ASSERT_EQ(vkttest::Scripted().messages.size(), 2u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, TPageView::kHoldsNotDeletableText);
    EXPECT_EQ(vkttest::Scripted().messages[1].text, TPageView::kPasteNotDeletableText);
    platform::Clipboard::SetData(TPageView::kClipboardFormat, std::string("<PageObject><Item", 17) + '\0');
    EXPECT_THROW(view->PasteFromClipboard(), platform::XmlError);
    // Items nested past what a reader walks are refused as read, not walked until the stack ends.
    std::string deep = "<PageObject>";
    for (int i = 0; i < 200'000; ++i)
        deep += "<Item Options=\"0,1\">";
    for (int i = 0; i < 200'000; ++i)
        deep += "</Item>";
    platform::Clipboard::SetData(TPageView::kClipboardFormat, deep + "</PageObject>");
    EXPECT_THROW(view->PasteFromClipboard(), platform::XmlError);
    EXPECT_EQ(a->GetCountOfChildren(), 1);
}

TEST_F(PageViewTest, GrabShowsItemsAndInvertedFrames)
{
    view->OnDrawItem = [](TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas, int,
                          int, bool) {
        if (item->GetParent())
            canvas.FillRect({r.Left + x, r.Top + y, r.Right + x, r.Bottom + y}, 0x0000FF);
    };
    TViewItem* item = Item(nullptr, {2540, 2540, 7620, 7620});
    item->SetMMMarginRect_({254, 254, 254, 254});
    view->SetShowMargin(false);
    Show();
    view->SetScale_(10000);
    QTest::qWait(80);
    const QImage image = view->viewport()->grab().toImage();
    const TPoint o = view->GetPageDrawer()->GetPageOrigin(0);
    EXPECT_EQ(platform::FromQColor(image.pixelColor(o.X + 150, o.Y + 150)), 0x0000FFu) << "the item's content";
    int inverted = 0;
    for (int y = o.Y + 100; y < o.Y + 140; ++y)
        inverted += platform::FromQColor(image.pixelColor(o.X + 96, y)) == 0x000000u;
    EXPECT_GT(inverted, 10) << "the dotted frame inverts the white paper";
    EXPECT_EQ(platform::FromQColor(image.pixelColor(o.X + 60, o.Y + 60)), 0xFFFFFFu);
}

TEST_F(PageViewTest, PrinterRangesCopiesProgressAndErrors)
{
    std::vector<std::string> drawn;
    view->OnDrawItem = [&](TPageView*, TViewItem* item, int x, int, TRect, int, platform::Canvas&, int page, int,
                           bool printer) {
        if (item->GetParent() && printer)
            drawn.push_back(std::to_string(page) + (x == -48 ? "" : "?"));
    };
    Item(nullptr, {0, 0, 100, 100})->SetDrawPage({1, 4});
    const auto run = [&](int copies, int mode, int from, int to, int stopAt = 0) {
        drawn.clear();
        recorder->log.clear();
        const bool ok = view->DrawPrinter("T", copies, mode, from, to, [&](TPageView*, int page, int) {
            return page != stopAt;
        });
        return (ok ? "ok " : "failed ") + Join(drawn) + " / " + Join(recorder->log);
    };
    const struct {
        int copies, mode, from, to, stopAt;
        const char* result;
    } cases[] = {
        {1, 0, 0, 0, 0, "ok 1|2|3|4 / BeginDoc|T|NewPage|NewPage|NewPage|EndDoc"},
        {1, 0, 3, 2, 0, "ok 3 / BeginDoc|T|EndDoc"},
        {1, 0, 5, 9, 0, "ok 4 / BeginDoc|T|EndDoc"},
        {1, 2, 1, 4, 0, "ok 2|4 / BeginDoc|T|NewPage|EndDoc"},
        {2, 0, 1, 2, 0, "ok 1|2|1|2 / BeginDoc|T|NewPage|NewPage|NewPage|EndDoc"},
        {1, 0, 1, 4, 1, "ok 1 / BeginDoc|T|CancelDoc"},
        {1, 0, 1, 4, 4, "ok 1|2|3|4 / BeginDoc|T|NewPage|NewPage|NewPage|CancelDoc"},
        {2, 0, 1, 2, 2, "ok 1|2 / BeginDoc|T|NewPage|CancelDoc"},
        {1, 2, 1, 4, 1, "ok  / "},
        {0, 0, 1, 4, 0, "ok  / "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.copies, c.mode, c.from, c.to, c.stopAt), c.result) << c.copies << c.mode << c.from << c.to;

    recorder->refuseJobs = true;
    EXPECT_EQ(run(1, 0, 1, 1), "failed  / BeginDoc|T");
    recorder->refuseJobs = false;
    view->OnDrawItem = [](TPageView*, TViewItem*, int, int, TRect, int, platform::Canvas&, int page, int, bool) {
        if (page == 2)
            throw platform::Error("broken");
    };
    EXPECT_EQ(run(1, 0, 1, 4), "failed  / BeginDoc|T|NewPage|CancelDoc");
    EXPECT_TRUE(PrinterObject()->GetEnabled()) << "the job is gone";
    vkttest::InstallNoPrinter();
    EXPECT_FALSE(view->DrawPrinter("T", 1, 0, 0, 0));
}

// The PDF printer's scale: a box at (1, 1.5)-(3, 2.5) inches of the layout lands at the scale's
// share of that from the printable area's corner (the paper's), on the pages of the range, each as
// often as the copies ask.
TEST_F(PageViewTest, PrinterScaleDrawsEachPageAtThatPercentage)
{
    const std::string dir = vkttest::NewTempFolder("pagescale");
    view->OnDrawItem = [](TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas, int page,
                          int, bool) {
        if (!item->GetParent())
            return;
        canvas.FillRect({r.Left + x, r.Top + y, r.Right + x, r.Bottom + y}, 0x000000);
        const int inch = canvas.DpiX();
        platform::FontSpec font;
        font.Face = "Arial";
        font.Height = -inch / 6;
        canvas.SetFont(font);
        canvas.SetBrush({0, true});
        canvas.TextOut(x + inch / 5, y + inch / 5, "page " + std::to_string(page));
    };
    for (int page = 1; page <= 3; ++page)
        Item(nullptr, {2540, 3810, 7620, 6350})->SetDrawPage({page, page});

    for (const int scale : {100, 50, 200}) {
        SCOPED_TRACE(scale);
        const std::string pdf = dir + "/scaled" + std::to_string(scale) + ".pdf";
        vkttest::InstallPdfPrinter(pdf);
        PrinterObject()->SetScale(scale);
        PrinterObject()->SetCopyCount(2);
        ASSERT_TRUE(view->DrawPrinter("scaled", 1, 0, 2, 3));
        const std::string info = Capture("pdfinfo '" + pdf + "'");
        EXPECT_NE(info.find("Pages:           4"), std::string::npos) << info;
        EXPECT_NE(info.find("595 x 842 pts (A4)"), std::string::npos) << info;
        for (int sheet = 1; sheet <= 4; ++sheet) {
            const std::string n = std::to_string(sheet);
            const std::string text = Capture("pdftotext -f " + n + " -l " + n + " '" + pdf + "' -");
            EXPECT_NE(text.find("page " + std::to_string(sheet <= 2 ? 2 : 3)), std::string::npos)
                << "sheet " << sheet << ": " << text;
            const std::string png = dir + "/s" + std::to_string(scale) + "-" + n;
            Capture("pdftoppm -r 72 -f " + n + " -l " + n + " -singlefile -png '" + pdf + "' '" + png + "'");
            const QImage image(QString::fromStdString(png + ".png"));
            ASSERT_FALSE(image.isNull());
            // The box's edges along the lines through its middle, in points (72 a inch).
            const double s = scale / 100.0;
            const int midX = static_cast<int>(2 * 72 * s);
            const int midY = static_cast<int>(2 * 72 * s);
            const auto dark = [&](int px, int py) { return image.pixelColor(px, py).lightness() < 128; };
            int left = -1, right = -1, top = -1, bottom = -1;
            for (int px = 0; px < image.width(); ++px)
                if (dark(px, midY)) {
                    if (left < 0) left = px;
                    right = px;
                }
            for (int py = 0; py < image.height(); ++py)
                if (dark(midX, py)) {
                    if (top < 0) top = py;
                    bottom = py;
                }
            EXPECT_NEAR(left, 72 * s, 2) << "sheet " << sheet;
            EXPECT_NEAR(right + 1, 3 * 72 * s, 2) << "sheet " << sheet;
            EXPECT_NEAR(top, 1.5 * 72 * s, 2) << "sheet " << sheet;
            EXPECT_NEAR(bottom + 1, 2.5 * 72 * s, 2) << "sheet " << sheet;
        }
    }
}

TEST_F(PageViewTest, PdfOutputOfTheMetafileAndThePrinter)
{
    const std::string dir = vkttest::NewTempFolder("pageview");
    view->OnDrawItem = [](TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas, int page,
                          int, bool) {
        if (!item->GetParent())
            return;
        canvas.FillRect({r.Left + x, r.Top + y, r.Right + x, r.Bottom + y}, 0x808080);
        canvas.SetBrush({0, true});
        canvas.TextOut(r.Left + x, r.Bottom + y, "page " + std::to_string(page));
    };
    for (int page = 1; page <= 3; ++page)
    {
        TViewItem* item = Item(nullptr, {page * 2540, page * 5080, page * 2540 + 5080, page * 5080 + 2540});
        item->SetDrawPage({page, page});
        item->SetMMMarginRect_({254, 254, 254, 254});
    }
    const std::string emf = dir + "/page.pdf";
    view->SaveToEMF(emf);
    const std::string info = Capture("pdfinfo '" + emf + "'");
    EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
    EXPECT_NE(info.find("595 x 842 pts"), std::string::npos) << info;
    EXPECT_THROW(view->SaveToEMF(dir + "/missing/x.pdf"), platform::FileError);

    const std::string printed = dir + "/printed.pdf";
    vkttest::InstallPdfPrinter(printed);
    view->GetItems()->GetPageRoot()->SetName("root");
    EXPECT_TRUE(view->DrawPrinter("three", 1, 0, 0, 0));
    const std::string printedInfo = Capture("pdfinfo '" + printed + "'");
    EXPECT_NE(printedInfo.find("Pages:           3"), std::string::npos) << printedInfo;
    for (int page = 1; page <= 3; ++page) {
        const std::string p = std::to_string(page);
        EXPECT_NE(Capture("pdftotext -f " + p + " -l " + p + " '" + printed + "' -").find("page " + p),
                  std::string::npos);
        const std::string png = dir + "/p" + p;
        Capture("pdftoppm -r 72 -f " + p + " -l " + p + " -singlefile -png '" + printed + "' '" + png + "'");
        const QImage image(QString::fromStdString(png + ".png"));
        ASSERT_FALSE(image.isNull());
        // The box of page n spans (n + 0.1, 2n + 0.1) … (n + 1.9, 2n + 0.9) inches: 72 points each.
        const auto ink = [&](double xInch, double yInch) {
            return image.pixelColor(static_cast<int>(xInch * 72), static_cast<int>(yInch * 72)).lightness() < 200;
        };
        EXPECT_TRUE(ink(page + 1, page * 2 + 0.5)) << page;
        EXPECT_TRUE(ink(page + 0.15, page * 2 + 0.15)) << page;
        EXPECT_FALSE(ink(page - 0.05, page * 2 + 0.5)) << page;
        EXPECT_FALSE(ink(page + 1, page * 2 - 0.05)) << page;
    }
    const std::string pagePng = dir + "/emf";
    Capture("pdftoppm -r 72 -singlefile -png '" + emf + "' '" + pagePng + "'");
    const QImage page1(QString::fromStdString(pagePng + ".png"));
    ASSERT_FALSE(page1.isNull());
    EXPECT_LT(page1.pixelColor(108, 180).lightness(), 200) << "the first page's box";
    EXPECT_EQ(page1.pixelColor(72, 180).lightness(), 255) << "no frame on the bound rectangle";
}
