// The application's style draws what its base style draws: line-edit panels from the pixmap cache,
// item texts as laid out once.
#include <gtest/gtest.h>

#include "gui/CachedStyle.h"
#include "gui/KeptPixels.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyleOptionFrame>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

namespace {

// Draws `widget` and its children with `style` at the device pixel ratio; what they show.
QImage DrawnWith(QWidget& widget, QStyle* style, qreal ratio = 1)
{
    widget.setStyle(style);
    for (QWidget* child : widget.findChildren<QWidget*>()) child->setStyle(style);
    QApplication::processEvents();
    if (ratio == 1) return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage image(widget.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

// Where two drawings differ; empty when nowhere.
std::string Differing(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return "different sizes";
    QRect differing;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) differing |= QRect(x, y, 1, 1);
    if (differing.isEmpty()) return {};
    return "differing in " + std::to_string(differing.x()) + "," + std::to_string(differing.y()) + " " +
           std::to_string(differing.width()) + "x" + std::to_string(differing.height());
}

// Compares the widget drawn by the application's style with it drawn by the base style alone; at
// least `copies` of the drawings made copied from their kept pixels.
void ExpectSamePixels(QWidget& widget, qsizetype copies = 0)
{
    const qsizetype copiedBefore = platform::KeptDraws();
    auto* cached = dynamic_cast<platform::CachedStyle*>(QApplication::style());
    ASSERT_NE(cached, nullptr) << "the application's style";
    std::unique_ptr<QStyle> plain(QStyleFactory::create(platform::BaseStyleName(cached)));
    ASSERT_NE(plain, nullptr);
    // A focused edit's cursor stays shown: a blink between two drawings is no difference of theirs.
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage base = DrawnWith(widget, plain.get(), ratio);
        const QImage first = DrawnWith(widget, cached, ratio);
        const QImage again = DrawnWith(widget, cached, ratio);
        const QImage third = DrawnWith(widget, cached, ratio);
        ASSERT_FALSE(base.isNull());
        EXPECT_EQ(Differing(first, base), "") << "at a pixel ratio of " << ratio;
        EXPECT_EQ(Differing(again, base), "") << "drawn again from the caches, at a pixel ratio of " << ratio;
        EXPECT_EQ(Differing(third, base), "") << "drawn a third time, texts copied from their pixels kept, at "
                                                 "a pixel ratio of "
                                              << ratio;
    }
    widget.setStyle(nullptr);
    for (QWidget* child : widget.findChildren<QWidget*>()) child->setStyle(nullptr);
    QApplication::setCursorFlashTime(flashTime);
    EXPECT_GE(platform::KeptDraws() - copiedBefore, copies) << "drawings copied from their kept pixels";
}

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& place, Qt::Alignment alignment)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setAlignment(alignment);
    return label;
}

// Labels in every alignment, in rooms wider, narrower and lower than their text; Japanese,
// Latin, digits, mnemonics, spaces at either end, a wrapped, a disabled one and ones with margins,
// two fonts.
TEST(CachedStyle, TextsLookAsTheBaseStyleDrawsThem)
{
    const std::vector<QString> texts = {QStringLiteral("合計金額"), QStringLiteral("Ågÿ Viandes"),
                                        QStringLiteral("¥23,286"), QStringLiteral("出来上がり量 (g)"),
                                        QStringLiteral(" 余白 "), QStringLiteral("&Save")};
    const std::vector<Qt::Alignment> alignments = {
        Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignRight | Qt::AlignVCenter, Qt::AlignHCenter | Qt::AlignVCenter,
        Qt::AlignLeft | Qt::AlignTop,     Qt::AlignRight | Qt::AlignBottom,  Qt::AlignCenter};
    const std::vector<QSize> rooms = {{150, 16}, {150, 25}, {40, 16}, {150, 9}, {61, 13}};
    QFont bold = QApplication::font();
    bold.setBold(true);
    bold.setPixelSize(17);
    QWidget window;
    constexpr int kWidth = 1000;
    QPoint at(0, 0);
    for (const QFont& font : {QApplication::font(), bold}) {
        for (const QSize& room : rooms) {
            for (const QString& text : texts) {
                for (const Qt::Alignment alignment : alignments) {
                    if (at.x() + room.width() > kWidth) at = QPoint(0, at.y() + 28);
                    AddLabel(&window, text, QRect(at, room), alignment)->setFont(font);
                    at.rx() += room.width() + 3;
                }
            }
        }
    }
    const int y = at.y() + 30;
    window.resize(kWidth, y + 50);
    QLabel* wrapped = AddLabel(&window, QStringLiteral("長い説明文は折り返して表示されます"), QRect(0, y, 80, 40),
                               Qt::AlignLeft | Qt::AlignTop);
    wrapped->setWordWrap(true);
    AddLabel(&window, QStringLiteral("無効"), QRect(100, y, 80, 16), Qt::AlignLeft)->setEnabled(false);
    auto* buddy = AddLabel(&window, QStringLiteral("名称(&N)"), QRect(200, y, 80, 16), Qt::AlignLeft);
    buddy->setBuddy(new QLineEdit(&window));
    // Inside a margin the label does not clip: drawText clips to its rectangle.
    for (const Qt::Alignment alignment : {Qt::AlignLeft | Qt::AlignTop, Qt::AlignHCenter | Qt::AlignBottom})
        AddLabel(&window, QStringLiteral("出来上がり量 (g)"), QRect(alignment & Qt::AlignLeft ? 300 : 400, y, 60, 16),
                 alignment)
            ->setMargin(4);
    ExpectSamePixels(window, 100);
}

// Buttons, check boxes, tabs, headers, a group box, combo and spin boxes: their texts and frames.
TEST(CachedStyle, ControlsLookAsTheBaseStyleDrawsThem)
{
    QWidget window;
    window.resize(700, 420);
    (new QPushButton(QStringLiteral("&>>"), &window))->setGeometry(10, 10, 33, 22);
    (new QPushButton(QStringLiteral("閉じる"), &window))->setGeometry(50, 10, 80, 24);
    auto* check = new QCheckBox(QStringLiteral("棚卸し項目"), &window);
    check->setGeometry(140, 10, 145, 18);
    check->setChecked(true);
    auto* disabled = new QCheckBox(QStringLiteral("使用しない"), &window);
    disabled->setGeometry(300, 10, 145, 18);
    disabled->setEnabled(false);
    auto* tabs = new QTabWidget(&window);
    tabs->setGeometry(10, 40, 320, 120);
    for (const char* caption : {"品目", "グラフ", "属性", "メモ", "画像"})
        tabs->addTab(new QWidget, QString::fromUtf8(caption));
    auto* narrowTabs = new QTabWidget(&window);
    narrowTabs->setGeometry(340, 40, 150, 120);
    for (const char* caption : {"とても長いタブの見出し", "Second tab caption"})
        narrowTabs->addTab(new QWidget, QString::fromUtf8(caption));
    auto* table = new QTableWidget(3, 4, &window);
    table->setGeometry(10, 170, 400, 110);
    table->setHorizontalHeaderLabels({QStringLiteral("分類"), QStringLiteral("名称"), QStringLiteral("使用量"),
                                      QStringLiteral("Unit price (¥)")});
    table->setItem(0, 1, new QTableWidgetItem(QStringLiteral("黒胡椒（業務用）")));
    auto* group = new QGroupBox(QStringLiteral("価格"), &window);
    group->setGeometry(420, 170, 200, 60);
    auto* combo = new QComboBox(&window);
    combo->setGeometry(420, 240, 145, 20);
    combo->addItems({QStringLiteral("グラム"), QStringLiteral("個")});
    auto* editable = new QComboBox(&window);
    editable->setEditable(true);
    editable->setGeometry(420, 270, 145, 22);
    editable->addItem(QStringLiteral("シーシー"));
    (new QSpinBox(&window))->setGeometry(420, 300, 80, 22);
    ExpectSamePixels(window, 20); // tab shapes and check marks among them
}

// A table's row panels, asked for at every cell: drawn as the base style draws them, selected,
// alternate, both and neither.
TEST(CachedStyle, RowPanelsLookAsTheBaseStyleDrawsThem)
{
    auto* cached = dynamic_cast<platform::CachedStyle*>(QApplication::style());
    ASSERT_NE(cached, nullptr);
    std::unique_ptr<QStyle> plain(QStyleFactory::create(platform::BaseStyleName(cached)));
    QTableWidget table(2, 2);
    QPalette palette = table.palette();
    palette.setColor(QPalette::AlternateBase, QColor(255, 240, 200));
    palette.setColor(QPalette::Highlight, QColor(40, 90, 160));
    for (const bool selected : {false, true}) {
        for (const bool alternate : {false, true}) {
            QStyleOptionViewItem option;
            option.initFrom(&table);
            option.palette = palette;
            option.rect = QRect(2, 2, 40, 14);
            option.state.setFlag(QStyle::State_Selected, selected);
            option.features.setFlag(QStyleOptionViewItem::Alternate, alternate);
            const auto drawn = [&](const QStyle* style) {
                QImage image(48, 20, QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter painter(&image);
                style->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, &table);
                return image;
            };
            EXPECT_EQ(Differing(drawn(cached), drawn(plain.get())), "")
                << (selected ? "selected" : "") << (alternate ? " alternate" : "");
        }
    }
}

// Line edits: empty, with text, read-only, disabled, focused, of several sizes, and one at the foot
// of a scrolled panel that shows two rows of it.
TEST(CachedStyle, LineEditsLookAsTheBaseStyleDrawsThem)
{
    QWidget window;
    window.resize(520, 300);
    std::vector<QLineEdit*> edits;
    const auto add = [&](QWidget* parent, const QRect& place, const QString& text) {
        auto* edit = new QLineEdit(text, parent);
        edit->setGeometry(place);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edits.push_back(edit);
        return edit;
    };
    add(&window, QRect(8, 8, 145, 20), QString());
    add(&window, QRect(160, 8, 145, 20), QStringLiteral("¥23,286"));
    add(&window, QRect(312, 8, 145, 20), QStringLiteral("8.8889"))->setReadOnly(true);
    add(&window, QRect(8, 36, 145, 20), QStringLiteral("1,000"))->setEnabled(false);
    QLineEdit* focused = add(&window, QRect(160, 36, 297, 24), QStringLiteral("牛肉 ロース"));
    add(&window, QRect(8, 66, 60, 30), QStringLiteral("12"));
    auto* area = new QScrollArea(&window);
    area->setGeometry(8, 110, 330, 120);
    auto* panel = new QWidget;
    panel->resize(310, 300);
    add(panel, QRect(8, 8, 145, 20), QStringLiteral("180"));
    add(panel, QRect(8, area->viewport()->height() - 2, 145, 20), QStringLiteral("¥1,600"));
    add(panel, QRect(160, area->viewport()->height() - 2, 145, 20), QStringLiteral("0.9"))->setReadOnly(true);
    area->setWidget(panel);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    focused->setFocus();
    auto* cached = dynamic_cast<platform::CachedStyle*>(QApplication::style());
    ASSERT_NE(cached, nullptr);
    const int drawsBefore = cached->GetCachedDraws();
    ExpectSamePixels(window);
    EXPECT_GT(cached->GetCachedDraws(), drawsBefore) << "panels went through the cache";
}

// A painter that is not the screen's (scaled, or half transparent) gets the base style's drawing.
TEST(CachedStyle, ScaledOrTranslucentPaintersDrawDirectly)
{
    auto* cached = dynamic_cast<platform::CachedStyle*>(QApplication::style());
    ASSERT_NE(cached, nullptr);
    QLineEdit edit(QStringLiteral("42"));
    edit.resize(120, 20);
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = 1;
    // A palette of its own: no panel of an earlier test in the cache.
    option.palette.setColor(QPalette::Base, QColor(250, 251, 252));
    for (const bool scaled : {true, false}) {
        QImage image(300, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        const int before = cached->GetCachedDraws();
        QPainter painter(&image);
        if (scaled) painter.scale(2, 2);
        else painter.setOpacity(0.5);
        cached->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, &edit);
        painter.end();
        EXPECT_EQ(cached->GetCachedDraws(), before) << scaled;
        EXPECT_NE(image.pixel(scaled ? 120 : 60, scaled ? 2 : 1), QColor(Qt::white).rgb()) << "the frame was drawn";
    }
}

} // namespace
