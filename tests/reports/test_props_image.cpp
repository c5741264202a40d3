// The image page on a real image item: pictures added, listed, shown, reordered, turned, deleted
// and saved byte for byte; the draw style written and kept in the layout file.
#include "layout/Preview.h"
#include "layout/Uimagecontainer.h"
#include "reports/Fcontainerproperty.h"
#include "reports/Fimageproperty.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Imageview.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QToolButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string ReadBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

// Chooses the files the test gives.
class ProbeImagePage : public TImageProperty {
public:
    std::vector<std::string> PickPictures() override { return std::exchange(picks, {}); }
    std::vector<std::string> picks;
};

class ImagePageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("images");
        const Qt::GlobalColor colors[] = {Qt::red, Qt::green, Qt::blue};
        const char* names[] = {"/鮪.bmp", "/鯛.bmp", "/海老.bmp"};
        for (int i = 0; i < 3; ++i) {
            QImage picture(8 + i, 6, QImage::Format_RGB32);
            picture.fill(colors[i]);
            files.push_back(folder + names[i]);
            picture.save(QString::fromStdString(files.back()), "BMP");
        }
        TViewItem* item = preview.AddContainer(5);
        item->SetMMBoundRect_({2000, 2000, 12000, 12000});
        image = dynamic_cast<TImageContainer*>(item->GetObject());
        page.SetViewItem(item);
    }
    QAction* Tool(const char* name) { return page.findChild<QAction*>(name); }
    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (int i = 0; i < page.GetFileList()->count(); ++i) rows.push_back(page.GetFileList()->item(i)->text().toStdString());
        return rows;
    }

    std::string folder;
    std::vector<std::string> files;
    TPreview preview;
    TImageContainer* image = nullptr;
    ProbeImagePage page;
};

TEST_F(ImagePageTest, PicturesAddedMovedTurnedDeletedAndSaved)
{
    EXPECT_FALSE(Tool("BtnSave")->isEnabled()) << "nothing to save";
    page.picks = files;
    Tool("BtnOpen")->trigger();
    ASSERT_EQ(image->GetItemCount(), 3);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"鮪.bmp", "鯛.bmp", "海老.bmp"}));
    EXPECT_EQ(page.GetFileList()->currentRow(), 2);
    EXPECT_EQ(page.GetImageView()->GetData(), image->GetImageData(2));

    page.GetFileList()->setCurrentRow(0);
    Tool("BtnItemUp")->trigger();
    EXPECT_EQ(Rows().front(), "鮪.bmp") << "the first row stays";
    Tool("BtnItemDown")->trigger();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"鯛.bmp", "鮪.bmp", "海老.bmp"}));
    EXPECT_EQ(image->GetFileName(1), "鮪.bmp");
    EXPECT_EQ(page.GetFileList()->currentRow(), 1);

    const std::string before = image->GetImageData(1);
    Tool("BtnRightRotate")->trigger();
    EXPECT_NE(image->GetImageData(1), before);
    EXPECT_EQ(page.GetImageView()->GetData(), image->GetImageData(1));

    const std::string saved = folder + "/saved.bmp";
    vkttest::Scripted().files.push_back(saved);
    Tool("BtnSave")->trigger();
    EXPECT_EQ(ReadBytes(saved), image->GetImageData(1));

    Tool("BtnClear")->trigger();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"鯛.bmp", "海老.bmp"}));
    EXPECT_EQ(image->GetItemCount(), 2);
}

// The property pages' tool buttons take the focus by Tab: their commands are on no menu.
TEST(PropertyToolBars, EveryButtonTakesTheFocusByTab)
{
    TImageProperty image;
    TContainerProperty container;
    for (QWidget* page : {static_cast<QWidget*>(&image), static_cast<QWidget*>(&container)}) {
        page->show();
        const QList<QToolButton*> buttons = page->findChildren<QToolButton*>();
        ASSERT_GE(buttons.size(), 4) << page->metaObject()->className();
        for (const QToolButton* button : buttons)
            EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus)
                << page->metaObject()->className() << " "
                << (button->defaultAction() ? button->defaultAction()->objectName() : button->objectName()).toStdString();
    }
}

TEST_F(ImagePageTest, OneDialogAddsEveryPickedFileInOrder)
{
    TImageProperty real;
    real.SetViewItem(image->GetViewItem());
    auto& scripted = vkttest::Scripted();
    scripted.fileLists.push_back({files[2], files[0], files[1]});
    scripted.fileLists.push_back({});
    scripted.fileLists.push_back({files[0]});
    QAction* open = real.findChild<QAction*>("BtnOpen");

    open->trigger();
    const std::vector<std::string> added{"海老.bmp", "鮪.bmp", "鯛.bmp"};
    ASSERT_EQ(image->GetItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(image->GetFileName(i), added[static_cast<std::size_t>(i)]);
        EXPECT_EQ(image->GetImageData(i), ReadBytes(files[static_cast<std::size_t>((i + 2) % 3)]));
    }
    EXPECT_EQ(real.GetFileList()->currentRow(), 2) << "the last one added is shown";

    open->trigger();   // cancelled
    EXPECT_EQ(image->GetItemCount(), 3);
    open->trigger();   // a single file
    ASSERT_EQ(image->GetItemCount(), 4);
    EXPECT_EQ(image->GetFileName(3), "鮪.bmp");

    ASSERT_EQ(scripted.calls.size(), 3u) << "one dialog per click";
    EXPECT_EQ(scripted.calls[0], std::string("OpenFiles|イメージ読み込み|") + TImageProperty::kPictureFilter + "|" +
                                     QDir::homePath().toStdString());

    // A metafile whose records cannot be read is added as it is, and the user is told why it shows
    // nothing, while the page is up.
    EXPECT_TRUE(scripted.messages.empty());
    real.show();
    const std::string damaged = vkttest::EmfBuilder(40, 30).Rectangle(2, 2, 20, 20, 0xFF0000).Bytes().substr(0, 120);
    QFile file(QString::fromStdString(folder + "/鍋.emf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged.data(), static_cast<qint64>(damaged.size()));
    file.close();
    scripted.fileLists.push_back({folder + "/鍋.emf"});
    open->trigger();
    ASSERT_EQ(image->GetItemCount(), 5);
    EXPECT_EQ(image->GetImageData(4), damaged);
    ASSERT_TRUE(vkttest::WaitForPlayers());
    ASSERT_EQ(scripted.messages.size(), 1u);
    EXPECT_EQ(scripted.messages[0].text, "このメタファイルは表示できません。\nメタファイルのレコードが壊れているか、読み取れません。\n"
                                         "図のデータはそのまま残ります。");
    real.hide();
    scripted.fileLists.push_back({folder + "/鍋.emf"});
    open->trigger();
    EXPECT_EQ(scripted.messages.size(), 1u) << "said again with the page closed";
}

TEST_F(ImagePageTest, StyleWrittenAndKept)
{
    auto* style = page.findChild<QComboBox*>("DrawTypeList");
    style->setCurrentIndex(2);
    emit style->activated(2);
    page.findChild<TUpDownEdit*>("ColCountEdit")->SetValue(3);
    EXPECT_EQ(image->GetDrawType(), idtCenter);
    EXPECT_EQ(image->GetColCount(), 3);
    page.picks = {files[0]};
    page.findChild<QAction*>("BtnOpen")->trigger();
    preview.SaveToFile(folder + "/images.xml");
    TPreview reloaded;
    reloaded.LoadFromFile(folder + "/images.xml");
    auto* kept = dynamic_cast<TImageContainer*>(reloaded.GetItems()->GetItem(1)->GetObject());
    EXPECT_EQ(kept->GetDrawType(), idtCenter);
    EXPECT_EQ(kept->GetColCount(), 3);
    EXPECT_EQ(kept->GetImageData(0), image->GetImageData(0));
    // Showing the same pictures again keeps the selection.
    page.GetFileList()->setCurrentRow(0);
    page.SetViewItem(image->GetViewItem());
    EXPECT_EQ(page.GetFileList()->currentRow(), 0);
    page.SetViewItem(nullptr);
    EXPECT_EQ(page.GetFileList()->count(), 0);
}

} // namespace
