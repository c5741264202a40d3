// The food-list layout on the sample kitchen database printed through the print dialog: every
// ingredient of the class is on exactly one page, in the pages' order, and each page carries
// its page number; on a cups-pdf queue of a private CUPS server, a range with copies arrives as
// one A4 PDF in the queue's output folder, and a page of real pictures arrives as it was drawn.
#include "core/Uvktsupport.h"
#include "gui/Image.h"
#include "layout/Preview.h"
#include "layout/Uimagecontainer.h"
#include "platform/JpegWriter.h"
#include "reports/Fprintexecutedlg.h"
#include "reports/PresetBuilder.h"
#include "reports/PrintSupport.h"
#include "reports/ReportFixture.h"
#include "support/CupsServer.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using F = TVktField;

// The shipped food list bound to the vegetables of the sample kitchen, `added` more of them.
struct VegetableList {
    explicit VegetableList(int added)
    {
        kitchen.AddIngredients(vkttest::SampleDatabase::kVegetable, added);
        TFilterObject filter;
        filter.Add(F::Class_ID, foEqual, vkttest::SampleDatabase::kVegetable, {});
        filter.Add(F::Erase_Key, foIsEmpty, {}, {});
        layout.emplace(&kitchen.Object(), filter);
        layout->preview->LoadFromFile(vkttest::PresetSourceFolder() + "/FoodList.xml");
        layout->binding->Update();
    }

    vkttest::SampleDatabase kitchen;
    std::optional<vkttest::BoundLayout> layout;
};

QStringList PageWords(const std::string& pdf, int page)
{
    QProcess process;
    const QString n = QString::number(page);
    process.start("pdftotext", {"-f", n, "-l", n, "-layout", QString::fromStdString(pdf), "-"});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

TEST(FoodListPrintTest, EveryIngredientOnceOnItsPage)
{
    vkttest::Scripted().Reset();
    const vkttest::PrinterScope restore;
    const VegetableList list(90);
    const vkttest::BoundLayout& layout = *list.layout;
    const int pages = layout.preview->GetPageMax();
    ASSERT_GE(pages, 2);
    const std::string pdf = vkttest::NewTempFolder("foodlist") + "/list.pdf";
    vkttest::InstallPdfPrinter(pdf);

    QTimer::singleShot(0, [] {
        PrintExecuteDlg()->findChild<QPushButton*>("BtnPrint")->click();
        PrintExecuteDlg()->findChild<QPushButton*>("BtnCancel")->click();
    });
    ShowPrintExecuteDlg(layout.preview.get(), "Vektara", "");

    std::map<std::string, int> pageOf;
    int previous = 0;
    for (int page = 1; page <= pages; ++page) {
        const QStringList words = PageWords(pdf, page);
        ASSERT_FALSE(words.isEmpty()) << "page " << page;
        EXPECT_TRUE(words.contains(QString("-%1/%2-").arg(page).arg(pages))) << "page number on page " << page;
        EXPECT_EQ(words.contains(QString::fromUtf8("玉ねぎ")), page == 1) << "the sample's own first";
        static const QRegularExpression added(QString::fromUtf8("^食材(\\d+)$"));
        for (const QString& word : words) {
            const QRegularExpressionMatch match = added.match(word);
            if (!match.hasMatch()) continue;
            const int number = match.captured(1).toInt();
            EXPECT_EQ(pageOf.count(word.toStdString()), 0u) << word.toStdString() << " twice";
            pageOf[word.toStdString()] = page;
            EXPECT_GT(number, previous) << word.toStdString() << " out of order";
            previous = number;
        }
    }
    EXPECT_EQ(pageOf.size(), 90u);
}

TEST(FoodListPrintTest, ThroughACupsQueueWithARangeAndCopies)
{
    vkttest::CupsServer server;
    if (!server.Failure().empty()) GTEST_SKIP() << "no private CUPS server: " << server.Failure();
    vkttest::Scripted().Reset();
    const vkttest::PrinterScope restore;
    SetPrinterObject(nullptr);
    const int queue = PrinterObject()->PrinterNameToIndex(vkttest::CupsServer::kQueue);
    ASSERT_GE(queue, 0) << "the queue is listed";
    PrinterObject()->SetPrinterIndex(queue);

    const VegetableList list(150);
    const vkttest::BoundLayout& layout = *list.layout;
    const int pages = layout.preview->GetPageMax();
    ASSERT_GE(pages, 3);

    // Pages 2 to 3, two copies page by page.
    std::string state;
    QTimer::singleShot(0, [&] {
        QDialog* dialog = PrintExecuteDlg();
        dialog->findChild<QCheckBox*>("CBSelPage")->click();
        dialog->findChild<TUpDownEdit*>("StartPageEdit")->SetValue(2);
        dialog->findChild<TUpDownEdit*>("EndPageEdit")->SetValue(3);
        dialog->findChild<QCheckBox*>("CBCopy")->click();
        dialog->findChild<TUpDownEdit*>("CopyCountEdit")->SetValue(2);
        dialog->findChild<QPushButton*>("BtnPrint")->click();
        state = dialog->findChild<QLabel*>("ProgressLabel")->text().toStdString();
        dialog->findChild<QPushButton*>("BtnCancel")->click();
    });
    ShowPrintExecuteDlg(layout.preview.get(), "Vektara", "");
    EXPECT_EQ(state, "印刷終了") << PrinterObject()->GetLastError();
    EXPECT_TRUE(vkttest::Scripted().messages.empty());

    const std::vector<std::string> files = server.WaitForOutput(1);
    ASSERT_EQ(files.size(), 1u) << server.LogTail();
    const std::string pdf = files[0];
    EXPECT_EQ(vkttest::PdfPageCount(pdf), 4);
    EXPECT_NE(vkttest::Capture("pdfinfo '" + pdf + "'").find("595 x 842 pts (A4)"), std::string::npos);
    // The chain of CUPS filters re-encodes the fonts: which glyphs keep their text moves with what
    // the pages hold (one day's date lost every "5" of the rows), so the sheets are told by their
    // page numbers and compared by their pixels: each page twice, page by page.
    std::vector<QImage> looks;
    for (int sheet = 1; sheet <= 4; ++sheet) {
        const int page = sheet <= 2 ? 2 : 3;
        const QStringList words = PageWords(pdf, sheet);
        EXPECT_TRUE(words.contains(QString("-%1/%2-").arg(page).arg(pages))) << "sheet " << sheet << ": "
                                                                               << words.join(' ').toStdString();
        const std::string stem = server.OutputFolder() + "/sheet" + std::to_string(sheet);
        vkttest::Capture("pdftoppm -r 50 -gray -f " + std::to_string(sheet) + " -l " + std::to_string(sheet) +
                         " -singlefile -png '" + pdf + "' '" + stem + "'");
        looks.emplace_back(QString::fromStdString(stem + ".png"));
        ASSERT_FALSE(looks.back().isNull()) << "sheet " << sheet;
    }
    // The filters draw a copy's first sheet with a few pixels apart from the next (one cell's
    // dashes lighter), so copies are alike within 0.1 % of their pixels; pages 2 and 3 differ in
    // every row's number.
    const auto apart = [](const QImage& a, const QImage& b) {
        if (a.size() != b.size()) return 1.0;
        int differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                differing += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64;
        return double(differing) / (a.width() * a.height());
    };
    EXPECT_LT(apart(looks[0], looks[1]), 0.001) << "the second copy of page 2";
    EXPECT_LT(apart(looks[2], looks[3]), 0.001) << "the second copy of page 3";
    EXPECT_GT(apart(looks[0], looks[2]), 0.002) << "pages 2 and 3";
}

// Page `page` of `pdf` with a pixel for each picture of a sheet of 4 × 5, its mean grey.
QImage CellGreys(const std::string& pdf, int page, const std::string& stem)
{
    const std::string n = std::to_string(page);
    vkttest::Capture("pdftoppm -r 30 -gray -f " + n + " -l " + n + " -singlefile -png '" + pdf + "' '" + stem + "'");
    return QImage(QString::fromStdString(stem + ".png")).scaled(4, 5, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A page of the real pictures (the writers' metafiles, and two photos as JPEG) printed with two
// copies through the cups-pdf queue, whose filters render with pdftocairo at PostScript level 2:
// each sheet shows every picture as the PDF printer's page does.
TEST(FoodListPrintTest, PicturePageThroughACupsQueueAsThePdfPrinterDrawsIt)
{
    vkttest::CupsServer server;
    if (!server.Failure().empty()) GTEST_SKIP() << "no private CUPS server: " << server.Failure();
    vkttest::Scripted().Reset();
    const vkttest::PrinterScope restore;
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({0, 0, 21000, 29700});
    auto* pictures = dynamic_cast<TImageContainer*>(ContainerOf(item));
    ASSERT_NE(pictures, nullptr);
    pictures->SetColCount(4);
    pictures->SetRowCount(5);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VKT_EMF_DATA_DIR))
        if (entry.path().extension() == ".emf") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 18u);
    for (const std::string& name : names) {
        std::ifstream in(std::string(VKT_EMF_DATA_DIR) + "/" + name + ".emf", std::ios::binary);
        pictures->AddImage(BinToBase64(std::string(std::istreambuf_iterator<char>(in), {})));
    }
    for (const char* photo : {"lo-photo", "ink-clip"}) {
        const QImage png(QString::fromStdString(std::string(VKT_EMF_DATA_DIR) + "/" + photo + ".png"));
        pictures->AddImage(BinToBase64(platform::EncodeJpeg(platform::Image(png).ToPicture())));
        names.push_back(std::string(photo) + ".jpg");
    }

    const std::string folder = vkttest::NewTempFolder("picturepage");
    vkttest::InstallPdfPrinter(folder + "/drawn.pdf");
    ASSERT_TRUE(preview.DrawPrinter("pictures", 1, 0, 1, 1));
    SetPrinterObject(nullptr);
    const int queue = PrinterObject()->PrinterNameToIndex(vkttest::CupsServer::kQueue);
    ASSERT_GE(queue, 0);
    PrinterObject()->SetPrinterIndex(queue);
    PrinterObject()->SetCopyCount(2);
    EXPECT_TRUE(preview.DrawPrinter("pictures", 1, 0, 1, 1)) << PrinterObject()->GetLastError();
    const std::vector<std::string> files = server.WaitForOutput(1);
    ASSERT_EQ(files.size(), 1u) << server.LogTail();

    const QImage drawn = CellGreys(folder + "/drawn.pdf", 1, folder + "/drawn");
    ASSERT_EQ(drawn.size(), QSize(4, 5));
    for (int sheet = 1; sheet <= 2; ++sheet) {
        const QImage printed = CellGreys(files[0], sheet, folder + "/sheet" + std::to_string(sheet));
        ASSERT_EQ(printed.size(), QSize(4, 5)) << "sheet " << sheet << "\n" << server.LogTail();
        // The filters draw fine hatches and small text lighter or darker: within half and twice
        // each picture's ink.
        for (int i = 0; i < 20; ++i) {
            const int ink = 255 - qGray(drawn.pixel(i % 4, i / 4));
            const int printedInk = 255 - qGray(printed.pixel(i % 4, i / 4));
            EXPECT_TRUE(printedInk > ink / 2 && printedInk < ink * 2)
                << "sheet " << sheet << ": " << names[i] << " printed with ink " << printedInk << ", drawn " << ink;
        }
    }
}

} // namespace
