// The food-list layout on the sample kitchen database printed through the print dialog: every
// ingredient of the class is on exactly one page, in the pages' order, and each page carries
// its page number.
#include "layout/Preview.h"
#include "reports/Fprintexecutedlg.h"
#include "reports/PresetBuilder.h"
#include "reports/ReportFixture.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"
#include "support/widgets/RecordingPrinter.h"

#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using F = TVktField;

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
    vkttest::SampleDatabase kitchen;
    kitchen.AddIngredients(vkttest::SampleDatabase::kVegetable, 90);
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, vkttest::SampleDatabase::kVegetable, {});
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    vkttest::BoundLayout layout(&kitchen.Object(), filter);
    layout.preview->LoadFromFile(vkttest::PresetSourceFolder() + "/FoodList.xml");
    layout.binding->Update();
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

} // namespace
