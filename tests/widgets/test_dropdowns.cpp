#include "widgets/Fcanvasdropdown.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"

#include "core/Ucolorsupport.h"
#include "gui/QtSupport.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"

#include <QAbstractItemDelegate>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using vkttest::RecordingPrinter;

std::vector<std::string> Items(const QComboBox& combo)
{
    std::vector<std::string> items;
    for (int i = 0; i < combo.count(); ++i) items.push_back(platform::FromQString(combo.itemText(i)));
    return items;
}

// The user picks an item.
void Pick(QComboBox& combo, int index)
{
    combo.setCurrentIndex(index);
    emit combo.activated(index);
}

// Item `index` as the open list draws it in a cell of the given size.
QImage DrawListItem(TOwnerDrawComboBox& combo, int index, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = QRect(QPoint(0, 0), size);
    option.palette = combo.palette();
    combo.itemDelegate()->paint(&painter, option, combo.model()->index(index, 0));
    return image;
}

class DropDownTest : public testing::Test {
protected:
    void SetUp() override { vkttest::Scripted().Reset(); }
    vkttest::PrinterScope scope_;
};

TEST_F(DropDownTest, ColorItemsAndSilentSetColor)
{
    TColorDropDown frame;
    TOwnerDrawComboBox& combo = *frame.GetDropDown();
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"カスタム...", "0x000000", "0x808080", "0x7f0000", "0xff0000",
                                                       "0x7f007f", "0xff00ff", "0x00007f", "0x0000ff", "0x007f7f",
                                                       "0x00ffff", "0x007f00", "0x00ff00", "0x7f7f00", "0xffff00",
                                                       "0xA4A0A0", "0xFFFFFF"}));
    EXPECT_EQ(frame.size(), QSize(113, 20));
    EXPECT_EQ(combo.maxVisibleItems(), 17);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(frame.GetColor(), 0);
    int changes = 0;
    frame.OnChange = [&](QObject*) { ++changes; };

    struct Case {
        platform::TColor color;
        int index;
    };
    for (const Case& c : {Case{0x0000FF, 8}, Case{0xA4A0A0, 15}, Case{0x123456, 0}, Case{0xFFFFFF, 16}}) {
        SCOPED_TRACE(c.color);
        frame.SetColor(c.color);
        EXPECT_EQ(frame.GetColor(), c.color);
        EXPECT_EQ(combo.currentIndex(), c.index);
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(DropDownTest, ColorChosenByTheUser)
{
    TColorDropDown frame;
    TOwnerDrawComboBox& combo = *frame.GetDropDown();
    int changes = 0;
    frame.OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &frame);
        ++changes;
    };
    Pick(combo, 4);
    EXPECT_EQ(frame.GetColor(), 0xFF0000);
    EXPECT_EQ(changes, 1);

    Pick(combo, 0);   // picker cancelled: the colour stays, the event fires
    EXPECT_EQ(frame.GetColor(), 0xFF0000);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(vkttest::Scripted().calls, std::vector<std::string>{"PickColor|" + std::to_string(0xFF0000)});

    vkttest::Scripted().colors.push_back(platform::TColor{0x00FF00});
    Pick(combo, 0);
    EXPECT_EQ(frame.GetColor(), 0x00FF00);
    EXPECT_EQ(combo.currentIndex(), 12);
    EXPECT_EQ(changes, 3);
}

TEST_F(DropDownTest, ColorDrawing)
{
    TColorDropDown frame;
    TOwnerDrawComboBox& combo = *frame.GetDropDown();
    frame.SetColor(0xFFFFFF);
    frame.show();
    const QImage closed = combo.grab().toImage();
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.rect = combo.rect();
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    EXPECT_EQ(closed.pixelColor(field.center()), QColor(Qt::white));
    EXPECT_EQ(closed.pixelColor(field.left(), field.center().y()), QColor(Qt::black));
    EXPECT_EQ(closed.pixelColor(field.center().x(), field.bottom()), QColor(Qt::black));

    // A swatch in the list is outlined in its own colour.
    const QImage white = DrawListItem(combo, 16, {113, 14});
    EXPECT_EQ(white.pixelColor(0, 0), QColor(Qt::white));
    const QImage red = DrawListItem(combo, 4, {113, 14});
    EXPECT_EQ(red.pixelColor(0, 7), QColor(0, 0, 255));

    // The spectrum: hue across the frame's width, brightness down one item's height.
    const QImage& spectrum = frame.GetSpectrum();
    ASSERT_EQ(spectrum.size(), QSize(113, 14));
    const QImage custom = DrawListItem(combo, 0, {113, 14});
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {1, 7}, {56, 13}, {112, 10}, {100, 4}}) {
        SCOPED_TRACE(x * 100 + y);
        const QColor expected =
            platform::ToQColor(HSBToRGB(static_cast<int>(360.0 / 113 * x), 100, static_cast<int>(100.0 / 14 * y)));
        EXPECT_EQ(spectrum.pixelColor(x, y), expected);
        EXPECT_EQ(custom.pixelColor(x, y), expected);
    }
    frame.resize(200, 20);
    EXPECT_EQ(frame.GetSpectrum().width(), 200);
}

TEST_F(DropDownTest, FontListSelectsTheDefaultFaceOnPrinterChanges)
{
    auto device = std::make_unique<RecordingPrinter>();
    device->fonts = {"Century", "ＭＳ Ｐゴシック", "Arial", "ＭＳ 明朝"};
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::move(device));
    devices.push_back(std::make_unique<RecordingPrinter>("other"));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));

    TFontDropDown frame;
    TOwnerDrawComboBox& combo = *frame.GetDropDown();
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"Arial", "Century", "ＭＳ 明朝", "ＭＳ Ｐゴシック"}));
    EXPECT_EQ(frame.GetFontName(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(combo.font().pixelSize(), 13);
    EXPECT_EQ(combo.maxVisibleItems(), 16);
    int changes = 0;
    frame.OnChange = [&](QObject*) { ++changes; };

    Pick(combo, 0);
    EXPECT_EQ(frame.GetFontName(), "Arial");
    EXPECT_EQ(changes, 1);
    PrinterObject()->SetCopyCount(2);   // not a printer change
    EXPECT_EQ(frame.GetFontName(), "Arial");
    PrinterObject()->SetPrinterIndex(1);
    EXPECT_EQ(frame.GetFontName(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(combo.count(), 4);   // the list of the construction is kept
}

TEST_F(DropDownTest, FontListWithoutTheDefaultFaceSelectsNothing)
{
    auto device = std::make_unique<RecordingPrinter>();
    device->fonts = {"Arial", "Century"};
    vkttest::InstallRecordingPrinter(std::move(device));
    TFontDropDown frame;
    EXPECT_EQ(frame.GetDropDown()->currentIndex(), -1);
    EXPECT_EQ(frame.GetFontName(), "");
    PrinterObject()->SetPrinterIndex(-1);
    EXPECT_EQ(frame.GetDropDown()->currentIndex(), -1);
}

TEST_F(DropDownTest, PaperListFollowsThePrinter)
{
    vkttest::InstallNoPrinter();
    {
        TCanvasDropDown frame;
        EXPECT_FALSE(frame.GetDropDown()->isEnabled());
        EXPECT_EQ(Items(*frame.GetDropDown()), std::vector<std::string>{"未定義"});
    }

    auto second = std::make_unique<RecordingPrinter>("second");
    second->papers.resize(2);
    second->defaults.PaperSize = 8;
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::make_unique<RecordingPrinter>("first"));
    devices.push_back(std::move(second));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
    TPrinterObject& printer = *PrinterObject();

    TCanvasDropDown frame;
    TOwnerDrawComboBox& combo = *frame.GetDropDown();
    EXPECT_EQ(frame.size(), QSize(109, 20));
    EXPECT_TRUE(combo.isEnabled());
    EXPECT_FALSE(combo.isEditable());
    EXPECT_EQ(combo.count(), 5);
    EXPECT_EQ(combo.currentText().toStdString(), "A4 210 x 297 mm");

    Pick(combo, 2);
    EXPECT_EQ(printer.GetPaperType(), 13);
    printer.SetPaperIndex(1);
    EXPECT_EQ(combo.currentIndex(), 1);

    printer.SetPrinterIndex(1);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(combo.currentText().toStdString(), "A3 297 x 420 mm");

    ASSERT_TRUE(printer.BeginDoc("job"));
    printer.DoChange(false);
    EXPECT_FALSE(combo.isEnabled());
    printer.CancelDoc();
    printer.DoChange(false);
    EXPECT_TRUE(combo.isEnabled());
}

TEST_F(DropDownTest, NoListenerOutlivesItsFrame)
{
    vkttest::InstallRecordingPrinter();
    const int before = PrinterObject()->GetEventHandlerCount();
    {
        TFontDropDown font;
        TCanvasDropDown paper;
        EXPECT_EQ(PrinterObject()->GetEventHandlerCount(), before + 2);
    }
    EXPECT_EQ(PrinterObject()->GetEventHandlerCount(), before);
    PrinterObject()->SetPrinterIndex(-1);   // would call the frames if they were still listed
}

} // namespace
