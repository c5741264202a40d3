#include "richtext/Fexstylebar.h"

#include "gui/QtCanvas.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr const char* kFilter = "リッチテキストファイル(ＲＴＦ)|*.rtf|全てのファイル|*.*";

int Tag(const QObject* o) { return o ? o->property("tag").toInt() : -1; }

bool Checked(int v) { return v >= 1 && v != TExStyle::kUnsetFlag; }

// Rows of the kind menus: a check column with a dot for the checked kind, then the item's sample
// icon at its own size (not squeezed into the small square menu icon) and its text over it. The
// base style paints only the row's background and highlight.
class KindMenuStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !item || item->menuItemType == QStyleOptionMenuItem::Separator)
            return QProxyStyle::sizeFromContents(type, option, contents, widget);
        const QSize sample = SampleSize(*item);
        const int text = item->fontMetrics.horizontalAdvance(item->text);
        const int height = std::max(item->fontMetrics.height(), sample.height()) + 2;
        return {SampleLeft(height) + std::max(sample.width(), text) + 2 * kMargin, height};
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || !item || item->menuItemType == QStyleOptionMenuItem::Separator) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem back = *item;
        back.text.clear();
        back.icon = QIcon();
        back.checkType = QStyleOptionMenuItem::NotCheckable;
        back.checked = false;
        QProxyStyle::drawControl(element, &back, painter, widget);

        const bool enabled = item->state & State_Enabled;
        const bool selected = enabled && (item->state & State_Selected);
        const QPalette::ColorRole role = selected ? QPalette::HighlightedText : QPalette::ButtonText;
        const QRect& r = item->rect;
        painter->save();
        if (item->checked) {
            const int d = std::max(4, r.height() * 2 / 5);
            const QRect dot(r.x() + kMargin + (r.height() - d) / 2, r.y() + (r.height() - d) / 2, d, d);
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(item->palette.brush(enabled ? QPalette::Active : QPalette::Disabled, role));
            painter->drawEllipse(dot);
        }
        const QSize sample = SampleSize(*item);
        const int left = r.x() + SampleLeft(r.height());
        if (!sample.isEmpty()) {
            const QPixmap pixmap = item->icon.pixmap(sample, painter->device()->devicePixelRatioF(),
                                                     enabled ? QIcon::Normal : QIcon::Disabled);
            painter->drawPixmap(left, r.y() + (r.height() - sample.height()) / 2, pixmap);
        }
        painter->restore();
        if (!item->text.isEmpty())
            drawItemText(painter, QRect(left, r.y(), r.right() - left, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         item->palette, enabled, item->text, role);
    }

private:
    static constexpr int kMargin = 4;

    // The check column is as wide as the row is high.
    static int SampleLeft(int rowHeight) { return kMargin + rowHeight + kMargin; }
    static QSize SampleSize(const QStyleOptionMenuItem& item)
    {
        const QList<QSize> sizes = item.icon.availableSizes();
        return sizes.isEmpty() ? QSize() : sizes.front();
    }
};

constexpr int kGlyph = 16;
constexpr int kFontWidth = 120;   // the font field in the bar
constexpr int kColorWidth = 44;   // a colour field's swatch in the bar
constexpr const char* kControlProperty = "control";

// A field of the bar as an action: the bar asks it for one instance, the bar's overflow menu for
// another while the field does not fit. In the menu an instance stands behind its caption; in the
// bar behind its glyph when it has one.
class TBarControl final : public QWidgetAction {
public:
    TBarControl(QObject* owner, QString caption, QIcon glyph, std::function<QWidget*(QWidget*)> make)
        : QWidgetAction(owner), caption_(std::move(caption)), glyph_(std::move(glyph)), make_(std::move(make))
    {
    }

    // The fields made, the bar's first; each is the instance itself or the row holding it.
    QList<QWidget*> Made() const { return createdWidgets(); }

protected:
    QWidget* createWidget(QWidget* parent) override
    {
        const bool inMenu = qobject_cast<QMenu*>(parent) != nullptr;
        if (!inMenu && glyph_.isNull()) return make_(parent);
        auto* row = new QWidget(parent);
        auto* layout = new QHBoxLayout(row);
        layout->setSpacing(inMenu ? 6 : 1);
        layout->setContentsMargins(inMenu ? 6 : 0, inMenu ? 2 : 0, inMenu ? 6 : 0, inMenu ? 2 : 0);
        auto* label = new QLabel(row);
        label->setToolTip(caption_);
        if (inMenu) {
            label->setText(caption_);
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("フォントサイズ")));
        } else {
            label->setPixmap(glyph_.pixmap(QSize(kGlyph, kGlyph), row->devicePixelRatioF()));
        }
        layout->addWidget(label);
        QWidget* control = make_(row);
        layout->addWidget(control);
        if (!inMenu) row->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        row->setProperty(kControlProperty, QVariant::fromValue(static_cast<QObject*>(control)));
        return row;
    }

private:
    QString caption_;
    QIcon glyph_;
    std::function<QWidget*(QWidget*)> make_;
};

// ---- glyphs ------------------------------------------------------------------------------------

const QColor kInk(0x30, 0x30, 0x30);
const QColor kBlue(0x22, 0x5c, 0xb4);
const QColor kPaper(Qt::white);

QPen Pen(const QColor& color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A page with a folded corner in the rectangle.
void DrawPage(QPainter& p, const QRectF& r)
{
    const qreal fold = std::min(r.width(), r.height()) * 0.35;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(Pen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
}

// Text lines across a page's inside.
void DrawLines(QPainter& p, qreal left, qreal right, std::initializer_list<qreal> ys)
{
    p.setPen(Pen(QColor(0x90, 0x90, 0x90), 1));
    for (qreal y : ys) p.drawLine(QPointF(left, y), QPointF(right, y));
}

// A letter fitted into the box, as a filled (or only outlined) shape.
void DrawLetter(QPainter& p, const QString& letter, const QRectF& box, bool serif, bool bold, bool italic,
                bool outlined = false)
{
    QFont font(serif ? QStringLiteral("Serif") : QStringLiteral("Sans Serif"));
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setPixelSize(64);
    font.setBold(bold);
    font.setItalic(italic);
    QPainterPath path;
    path.addText(0, 0, font, letter);
    const QRectF shape = path.boundingRect();
    const qreal scale = std::min(box.width() / shape.width(), box.height() / shape.height());
    QTransform fit;
    fit.translate(box.center().x(), box.center().y());
    fit.scale(scale, scale);
    fit.translate(-shape.center().x(), -shape.center().y());
    path = fit.map(path);
    if (outlined) {
        p.setPen(Pen(kInk, 1));
        p.setBrush(kPaper);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
    }
    p.drawPath(path);
}

// A curved arrow from the lower right up to the left (mirrored: to the right).
void DrawTurn(QPainter& p, bool mirrored)
{
    p.save();
    if (mirrored) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(13, 13);
    arc.cubicTo(13.5, 7.5, 10, 5.5, 6, 5.5);
    p.setPen(Pen(kBlue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(Pen(kBlue, 1));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(1.5, 5.5), QPointF(6.5, 1.5), QPointF(6.5, 9.5)}));
    p.restore();
}

// Four text lines of the given lengths, placed by the alignment (0 left, 1 centre, 2 right).
void DrawAlignment(QPainter& p, int alignment)
{
    p.setPen(Pen(kInk, 1.6));
    const qreal lengths[] = {12, 8, 12, 6};
    for (int i = 0; i < 4; ++i) {
        const qreal y = 3 + i * 3.3;
        const qreal left = alignment == 0 ? 2 : alignment == 1 ? 8 - lengths[i] / 2 : 14 - lengths[i];
        p.drawLine(QPointF(left, y), QPointF(left + lengths[i], y));
    }
}

// Draws a glyph in a 16 × 16 square.
void DrawGlyph(QPainter& p, std::string_view name)
{
    if (name == "ActClear") {
        DrawPage(p, QRectF(3, 1.5, 10, 13));
        p.setPen(Pen(QColor(0xe0, 0xa0, 0x00), 1.4));
        p.drawLine(QPointF(3.5, 10.5), QPointF(8.5, 10.5));
        p.drawLine(QPointF(6, 8), QPointF(6, 13));
    } else if (name == "ActOpen") {
        QPainterPath back;
        back.moveTo(1.5, 13.5);
        back.lineTo(1.5, 3);
        back.lineTo(5.5, 3);
        back.lineTo(7, 4.5);
        back.lineTo(12.5, 4.5);
        back.lineTo(12.5, 7);
        p.setPen(Pen(QColor(0x8a, 0x60, 0x10), 1));
        p.setBrush(QColor(0xf0, 0xc8, 0x60));
        p.drawPath(back);
        p.setBrush(QColor(0xf8, 0xdc, 0x80));
        p.drawPolygon(QPolygonF({QPointF(1.5, 13.5), QPointF(4, 7), QPointF(15, 7), QPointF(12.5, 13.5)}));
    } else if (name == "ActSave") {
        p.setPen(Pen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(QColor(0xd8, 0xd8, 0xd8));
        p.drawRect(QRectF(4.5, 1.5, 7, 4.5));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3.5, 8.5, 9, 6));
        DrawLines(p, 5, 11, {10.5, 12.5});
    } else if (name == "ActCopy") {
        DrawPage(p, QRectF(1.5, 1.5, 8, 10));
        DrawPage(p, QRectF(6.5, 4.5, 8, 10));
        DrawLines(p, 8.5, 12.5, {9.5, 11.5});
    } else if (name == "ActCut") {
        p.setPen(Pen(kInk, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(5.5, 9.5), QPointF(11.5, 1.5));
        p.drawLine(QPointF(10.5, 9.5), QPointF(4.5, 1.5));
        p.setPen(Pen(QColor(0xc6, 0x28, 0x28), 1.5));
        p.drawEllipse(QPointF(4.5, 12), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12), 2.3, 2.3);
    } else if (name == "ActPaste") {
        p.setPen(Pen(QColor(0x70, 0x50, 0x20), 1));
        p.setBrush(QColor(0xd0, 0xa0, 0x58));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        p.setBrush(QColor(0xb0, 0xb0, 0xb0));
        p.drawRect(QRectF(4, 1, 5, 3));
        DrawPage(p, QRectF(6.5, 6, 8, 9));
        DrawLines(p, 8.5, 12.5, {10.5, 12.5});
    } else if (name == "ActDelete") {
        p.setPen(Pen(QColor(0xc6, 0x28, 0x28), 2.6));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    } else if (name == "ActUndo" || name == "ActRedo") {
        DrawTurn(p, name == "ActRedo");
    } else if (name == "ActBold") {
        DrawLetter(p, QStringLiteral("B"), QRectF(3, 2, 10, 12), false, true, false);
    } else if (name == "ActItalic") {
        DrawLetter(p, QStringLiteral("I"), QRectF(4, 2, 8, 12), true, false, true);
    } else if (name == "ActUnderline") {
        DrawLetter(p, QStringLiteral("U"), QRectF(3.5, 1, 9, 10.5), false, false, false);
        p.setPen(Pen(kInk, 1.5));
        p.drawLine(QPointF(2.5, 14), QPointF(13.5, 14));
    } else if (name == "ActStrikeout") {
        DrawLetter(p, QStringLiteral("S"), QRectF(4, 1.5, 8, 13), false, false, false);
        p.setPen(Pen(QColor(0xc6, 0x28, 0x28), 1.5));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    } else if (name == "ActOutline") {
        DrawLetter(p, QStringLiteral("A"), QRectF(1.5, 1.5, 13, 13), false, true, false, true);
    } else if (name == "ActLeftAlign") {
        DrawAlignment(p, 0);
    } else if (name == "ActCenterAlign") {
        DrawAlignment(p, 1);
    } else if (name == "ActRightAlign") {
        DrawAlignment(p, 2);
    } else if (name == "ActNewPage") {
        p.setPen(Pen(kInk, 1));
        p.setBrush(kPaper);
        p.drawPolyline(QPolygonF({QPointF(3, 6), QPointF(3, 1.5), QPointF(13, 1.5), QPointF(13, 6)}));
        p.drawPolyline(QPolygonF({QPointF(3, 10), QPointF(3, 14.5), QPointF(13, 14.5), QPointF(13, 10)}));
        p.setPen(QPen(kBlue, 1.4, Qt::DashLine, Qt::FlatCap));
        p.drawLine(QPointF(0.5, 8), QPointF(15.5, 8));
    } else if (name == "ActFind") {
        p.setPen(Pen(kInk, 1.7));
        p.setBrush(QColor(0xd8, 0xe8, 0xf8));
        p.drawEllipse(QPointF(6.5, 6.5), 4.3, 4.3);
        p.setPen(Pen(kInk, 2.8));
        p.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
    } else if (name == "ColorList") {
        DrawLetter(p, QStringLiteral("A"), QRectF(3, 0.5, 10, 10), false, true, false);
        p.fillRect(QRectF(1.5, 12, 13, 3.5), QColor(0xd0, 0x30, 0x30));
    } else if (name == "HighlightList") {
        // A marker pen over its broad yellow stroke.
        p.fillRect(QRectF(1.5, 12, 13, 3.5), QColor(0xf5, 0xe0, 0x40));
        p.setPen(Pen(kInk, 1));
        p.setBrush(QColor(0xf0, 0xf0, 0xf0));
        p.drawPolygon(QPolygonF({QPointF(5, 7.5), QPointF(10.5, 1), QPointF(14, 4.5), QPointF(8.5, 11)}));
        p.setBrush(kInk);
        p.drawPolygon(QPolygonF({QPointF(5, 7.5), QPointF(8.5, 11), QPointF(5.5, 11.5), QPointF(4, 10)}));
    } else if (name == "ULColorList") {
        DrawLetter(p, QStringLiteral("U"), QRectF(3.5, 0.5, 9, 9.5), false, true, false);
        p.fillRect(QRectF(1.5, 12, 13, 3.5), kBlue);
    }
}

// A button's glyph by its action's name, at 16 and 32 pixels.
QIcon Glyph(const char* name)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(kGlyph * scale, kGlyph * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        DrawGlyph(painter, name);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TExStyleBar::TExStyleBar(QWidget* owner) : QFrame(owner)
{
    setObjectName("ExStyleBar");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName("ToolBar");
    platform::TabFocusButtons(*ToolBar);
    ToolBar->setIconSize(QSize(kGlyph, kGlyph));
    ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    layout->addWidget(ToolBar);

    const auto simple = [&](const char* name, const QString& hint, int tag = -1, bool check = false) {
        return AddAction(name, hint, tag, check);
    };
    simple("ActClear", "新規作成");
    simple("ActOpen", "開く");
    simple("ActSave", "保存");
    ToolBar->addSeparator();
    FontListControl = AddControl("FontList", "フォント", QIcon(), [this](QWidget* parent) {
        auto* list = new TFontDropDown(parent);
        list->setFixedWidth(kFontWidth);
        list->setProperty("tag", 0);
        list->setToolTip("フォント");
        if (FontList) list->GetDropDown()->setCurrentIndex(FontList->GetDropDown()->currentIndex());
        list->OnChange = [this, list](QObject*) { StyleChange(list); };
        return list;
    });
    FontList = Instances<TFontDropDown>(FontListControl).value(0);
    ToolBar->addSeparator();
    simple("ActCopy", "コピー");
    simple("ActCut", "切り取り");
    simple("ActPaste", "貼り付け");
    simple("ActDelete", "削除");
    simple("ActUndo", "元に戻す");
    simple("ActRedo", "やり直す");
    ToolBar->addSeparator();
    FontSizeControl = AddControl("FontSize", "フォントサイズ", QIcon(), [this](QWidget* parent) {
        auto* size = new TUpDownEdit(parent);
        size->setProperty("tag", 9);
        size->setToolTip("フォントサイズ");
        size->SetLimitType(1);
        size->SetRange(10, 10);
        size->SetScale(10);
        size->SetSuffix("pt");
        // As wide as the largest size needs.
        size->setFixedWidth(size->GetEdit()->fontMetrics().horizontalAdvance(QStringLiteral("000.0pt")) + 12 +
                            size->GetUpDown()->width());
        if (FontSize) size->SetValueQuiet(FontSize->GetValue());
        size->OnChange = [this, size](QObject*) { StyleChange(size); };
        return size;
    });
    FontSize = Instances<TUpDownEdit>(FontSizeControl).value(0);
    simple("ActBold", "ボールド", 1, true);
    simple("ActItalic", "イタリック", 2, true);

    const auto kindMenu = [&](const char* menuName, const char* prefix, int count, bool strike) {
        auto* menu = new QMenu(this);
        menu->setObjectName(menuName);
        auto* style = new KindMenuStyle;
        style->setParent(menu);   // deleted after the menu's widget part
        menu->setStyle(style);
        auto* group = new QActionGroup(menu);
        group->setExclusive(true);
        for (int k = 0; k < count; ++k) {
            QAction* item = menu->addAction(KindIcon(k, strike), k == 0 ? QString("(なし)") : QString());
            item->setObjectName(QString("%1%2").arg(prefix).arg(k));
            item->setProperty("tag", k);
            item->setCheckable(true);
            group->addAction(item);
        }
        return menu;
    };
    PMUnderline = kindMenu("PMUnderline", "MIUL", 18, false);
    PMStrikeout = kindMenu("PMStrikeout", "MISO", 3, true);
    connect(PMUnderline, &QMenu::triggered, this, [this](QAction* a) { ULStyleClick(a); });
    connect(PMStrikeout, &QMenu::triggered, this, [this](QAction* a) { SOStyleClick(a); });
    const auto dropButton = [&](const char* name, const char* buttonName, const QString& hint, int tag, QMenu* menu) {
        QAction* action = simple(name, hint, tag, true);
        menu->setTitle(hint);
        menu->setIcon(action->icon());
        action->setMenu(menu);
        auto* button = qobject_cast<QToolButton*>(ToolBar->widgetForAction(action));
        button->setObjectName(buttonName);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    };
    dropButton("ActUnderline", "BtnUnderline", "アンダーライン", 3, PMUnderline);
    dropButton("ActStrikeout", "BtnStrikeout", "取り消し線", 4, PMStrikeout);
    simple("ActOutline", "アウトライン", 5, true);
    ToolBar->addSeparator();
    auto* align = new QActionGroup(this);
    align->setExclusive(true);
    align->addAction(simple("ActLeftAlign", "左揃え", 10, true));
    align->addAction(simple("ActCenterAlign", "センター", 11, true));
    align->addAction(simple("ActRightAlign", "右揃え", 12, true));
    simple("ActNewPage", "改ページ");
    ToolBar->addSeparator();
    const auto colour = [&](const char* name, const QString& hint, int tag, TColorDropDown*& shown) {
        QWidgetAction* control = AddControl(name, hint, Glyph(name), [this, name, hint, tag, &shown](QWidget* parent) {
            TColorDropDown* list = MakeColorList(parent, name, hint, tag);
            if (shown) list->SetColor(shown->GetColor());
            return list;
        });
        shown = Instances<TColorDropDown>(control).value(0);
        return control;
    };
    ColorListControl = colour("ColorList", "フォントカラー", 6, ColorList);
    HighlightListControl = colour("HighlightList", "ハイライト", 7, HighlightList);
    ULColorListControl = colour("ULColorList", "アンダーラインの色", 8, ULColorList);
    ToolBar->addSeparator();
    FinderControl = AddControl("Finder", "検索文字列", QIcon(), [this](QWidget* parent) {
        auto* finder = new TExView(parent);
        finder->setObjectName("Finder");
        finder->SetEditStyle(evsSingleEdit);
        finder->setFixedSize(60, QFontMetrics(font()).height() + 2 * finder->GetMargin() + 2);
        if (Finder) finder->SetText(Finder->GetText());
        // What is typed into one instance shows in the others.
        finder->OnChange = [this, finder](TExView*) {
            for (TExView* other : Instances<TExView>(FinderControl))
                if (other != finder) other->SetText(finder->GetText());
        };
        return finder;
    });
    Finder = Instances<TExView>(FinderControl).value(0);
    simple("ActFind", "検索");
    // The keys run along the bar as it stands: the lists are made after the buttons.
    std::vector<QWidget*> chain;
    for (QAction* action : ToolBar->actions()) chain.push_back(ToolBar->widgetForAction(action));
    platform::TabChain(chain);
    ActionListUpdate();
}

TColorDropDown* TExStyleBar::MakeColorList(QWidget* parent, const char* name, const QString& hint, int tag)
{
    auto* list = new TColorDropDown(parent);
    list->setObjectName(name);
    list->setProperty("tag", tag);
    list->setToolTip(hint);
    list->setFixedWidth(kColorWidth);
    list->OnChange = [this](QObject* sender) { StyleChange(sender); };
    return list;
}

TExStyleBar::~TExStyleBar() { SetExView(nullptr); }

QAction* TExStyleBar::AddAction(const char* name, const QString& hint, int tag, bool checkable)
{
    auto* action = new QAction(hint, this);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setIcon(Glyph(name));
    action->setCheckable(checkable);
    action->setProperty("tag", tag);
    connect(action, &QAction::triggered, this, [this, name = std::string(name)] { Execute(name.c_str()); });
    actions_.push_back(action);
    ToolBar->addAction(action);
    return action;
}

QWidgetAction* TExStyleBar::AddControl(const char* name, const QString& hint, const QIcon& glyph,
                                       const std::function<QWidget*(QWidget*)>& make)
{
    auto* control = new TBarControl(this, hint, glyph, make);
    control->setObjectName(name);
    control->setText(hint);
    control->setToolTip(hint);
    controls_.push_back(control);
    ToolBar->addAction(control);
    return control;
}

template <typename Control>
QList<Control*> TExStyleBar::Instances(const QWidgetAction* control) const
{
    QList<Control*> found;
    for (QWidget* made : static_cast<const TBarControl*>(control)->Made()) {
        QObject* inner = made->property(kControlProperty).value<QObject*>();
        if (auto* instance = dynamic_cast<Control*>(inner ? inner : made)) found.push_back(instance);
    }
    return found;
}

QAction* TExStyleBar::Action(const char* name) const
{
    for (QAction* a : actions_)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

QToolButton* TExStyleBar::GetUnderlineButton() const
{
    return qobject_cast<QToolButton*>(ToolBar->widgetForAction(Action("ActUnderline")));
}

QToolButton* TExStyleBar::GetStrikeoutButton() const
{
    return qobject_cast<QToolButton*>(ToolBar->widgetForAction(Action("ActStrikeout")));
}

QIcon TExStyleBar::KindIcon(int kind, bool strike)
{
    QImage image(100, 12, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (kind != 0) {
        QPainter painter(&image);
        platform::QtCanvas canvas(painter, 96, 96, platform::CanvasKind::Screen);
        const int drawn = strike ? kind + 1 : kind;   // strike 1 as underline 2, strike 2 as 3
        TExTextDrawer::DrawUnderLine(&canvas, platform::RgbColor(0, 0, 0), 2, 98, 4, 4, drawn);
    }
    return QIcon(QPixmap::fromImage(image));
}

void TExStyleBar::SetExView(TExView* view)
{
    if (view_ && notiferId_ >= 0)
        view_->DeleteChangeNotifer(notiferId_);
    notiferId_ = -1;
    view_ = view;
    if (view_) {
        notiferId_ = view_->AddChangeNotifer([this](TExView*) { ViewChange(); });
        ViewChange();
    }
    ActionListUpdate();
}

void TExStyleBar::ViewChange()
{
    if (!view_)
        return;
    const TExStyle style = view_->GetStyle();
    TExText* doc = view_->GetEditor()->GetText();
    for (TUpDownEdit* size : Instances<TUpDownEdit>(FontSizeControl))
        size->SetValueQuiet(style.Size > 0 ? style.Size : 100);
    Action("ActBold")->setChecked(Checked(style.Bold));
    Action("ActItalic")->setChecked(Checked(style.Italic));
    Action("ActOutline")->setChecked(Checked(style.Outline));
    Action("ActUnderline")->setChecked(Checked(style.Underline));
    Action("ActStrikeout")->setChecked(Checked(style.Strike));
    const TSelectInfo sel = view_->GetSelectInfo();
    std::string face = sel.GetSelFontName();
    if (face.empty() && !sel.GetEnabled())
        face = doc->GetFonts().GetName(style.LowFont);   // the input method is never open for the bar
    for (TFontDropDown* list : Instances<TFontDropDown>(FontListControl)) {
        const int index = list->GetDropDown()->findText(QString::fromStdString(face));
        list->GetDropDown()->setCurrentIndex(face.empty() ? -1 : index);
    }
    TColorAttributes& colors = doc->GetColors();
    const platform::TColor black = platform::RgbColor(0, 0, 0);
    const platform::TColor text = style.Color >= 0 ? colors.GetColor(style.Color) : black;
    const auto show = [this](const QWidgetAction* control, platform::TColor color) {
        for (TColorDropDown* list : Instances<TColorDropDown>(control)) list->SetColor(color);
    };
    show(ColorListControl, text);
    show(HighlightListControl, style.Highlight > 0 ? colors.GetColor(style.Highlight) : view_->GetColor());
    show(ULColorListControl, style.ULColor > 0 ? colors.GetColor(style.ULColor) : text);
    for (QAction* item : PMStrikeout->actions())
        item->setChecked(Tag(item) == style.Strike);
    for (QAction* item : PMUnderline->actions())
        item->setChecked(Tag(item) == style.Underline);
    const int alignment = view_->GetParaStyle().Align;
    Action("ActLeftAlign")->setChecked(alignment == 0);
    Action("ActCenterAlign")->setChecked(alignment == 1);
    Action("ActRightAlign")->setChecked(alignment == 2);
}

void TExStyleBar::StyleChange(QObject* sender)
{
    if (!view_)
        return;
    TExStyle style;
    style.Invisible();
    TExParaStyle para;
    para.Invisible();
    TExText* doc = view_->GetEditor()->GetText();
    const int tag = Tag(sender);
    const auto checkedKind = [](QMenu* menu) {
        for (QAction* item : menu->actions())
            if (item->isChecked())
                return Tag(item);
        return -1;
    };
    // The value of the instance that changed (the bar's for another sender).
    const auto color = [sender](TColorDropDown* shown) {
        const auto* list = dynamic_cast<const TColorDropDown*>(sender);
        return (list ? list : shown)->GetColor();
    };
    switch (tag) {
    case 0: {
        const auto* list = dynamic_cast<const TFontDropDown*>(sender);
        const std::string face = (list ? list : FontList)->GetFontName();
        std::int32_t charset = 0;
        std::int32_t family = 0;
        GetFontFamilyInfo(face, charset, family);
        style.DBFont = doc->GetFontIndex(face, 128, family);
        style.HighFont = style.LowFont = doc->GetFontIndex(face, charset, family);
        break;
    }
    case 1: style.Bold = Action("ActBold")->isChecked() ? 1 : 0; break;
    case 2: style.Italic = Action("ActItalic")->isChecked() ? 1 : 0; break;
    case 5: style.Outline = Action("ActOutline")->isChecked() ? 1 : 0; break;
    case 3:
    case 4: {
        // The button's new state: pressed takes the checked kind ("(なし)" as 1), released 0.
        int kind = 0;
        if (Action(tag == 3 ? "ActUnderline" : "ActStrikeout")->isChecked()) {
            kind = checkedKind(tag == 3 ? PMUnderline : PMStrikeout);
            if (kind <= 0)
                kind = 1;
        }
        (tag == 3 ? style.Underline : style.Strike) = static_cast<std::uint8_t>(kind);
        break;
    }
    case 6: style.Color = doc->GetColorIndex(color(ColorList)); break;
    case 7: {
        const platform::TColor highlight = color(HighlightList);
        style.Highlight = highlight == view_->GetColor() ? 0 : doc->GetColorIndex(highlight);
        break;
    }
    case 8: style.ULColor = doc->GetColorIndex(color(ULColorList)); break;
    case 9: {
        const auto* size = dynamic_cast<const TUpDownEdit*>(sender);
        style.Size = (size ? size : FontSize)->GetValue();
        break;
    }
    case 10:
    case 11:
    case 12:
        para.Align = static_cast<std::uint8_t>(tag - 10);
        view_->SetParaStyle(para);
        break;
    default: break;
    }
    // The view's change notice brings the field's other instances in line.
    if (tag >= 0 && tag <= 9)
        view_->SetStyle(style);
    view_->setFocus();
}

void TExStyleBar::ULStyleClick(QAction* item)
{
    if (!view_)
        return;
    TExStyle style = view_->GetStyle();
    item->setChecked(true);
    style.Underline = static_cast<std::uint8_t>(Tag(item));
    style.ULColor = style.Color;
    Action("ActUnderline")->setChecked(Tag(item) != 0);
    view_->SetStyle(style);
    view_->setFocus();
}

void TExStyleBar::SOStyleClick(QAction* item)
{
    if (!view_)
        return;
    TExStyle style = view_->GetStyle();
    item->setChecked(true);
    style.Strike = static_cast<std::uint8_t>(Tag(item));
    Action("ActStrikeout")->setChecked(Tag(item) != 0);
    view_->SetStyle(style);
    view_->setFocus();
}

void TExStyleBar::Execute(const char* name)
{
    if (!view_)
        return;
    const std::string n = name;
    const int tag = Tag(Action(name));
    if (tag >= 0) {
        StyleChange(Action(name));
    } else if (n == "ActCopy") {
        view_->CopyToClipboard();
    } else if (n == "ActCut") {
        view_->CutToClipboard();
    } else if (n == "ActPaste") {
        view_->PasteFromClipboard();
    } else if (n == "ActDelete") {
        view_->DeleteSelection();
    } else if (n == "ActUndo") {
        view_->Undo();
    } else if (n == "ActRedo") {
        view_->Redo();
    } else if (n == "ActClear") {
        view_->Clear();
    } else if (n == "ActNewPage") {
        view_->InsertPageNew();
    } else if (n == "ActOpen") {
        if (auto file = platform::Services().OpenFile("開く", kFilter, {}, std::string()))
            view_->LoadFromFile(*file);
    } else if (n == "ActSave") {
        if (auto file = platform::Services().SaveFile("保存", kFilter, {}, std::string()))
            view_->SaveToFile(*file);
    } else if (n == "ActFind") {
        Find();
    }
    ActionListUpdate();
}

void TExStyleBar::Find()
{
    const std::u16string text = Finder->GetWideText();
    view_->GetEditor()->FindTextA(text);
}

void TExStyleBar::ActionListUpdate()
{
    const bool attached = view_ != nullptr;
    ToolBar->setEnabled(attached);
    for (QAction* a : actions_)
        a->setEnabled(attached);
    for (QWidgetAction* control : controls_)
        control->setEnabled(attached);
    if (!attached)
        return;
    const bool wrap = view_->GetWordWrap();
    const bool write = view_->GetCanWrite();
    Action("ActCopy")->setEnabled(view_->GetCanCopy());
    Action("ActCut")->setEnabled(view_->GetCanCopy() && view_->GetCanDelete());
    Action("ActPaste")->setEnabled(view_->GetCanPaste());
    Action("ActDelete")->setEnabled(view_->GetCanDelete());
    for (const char* name : {"ActLeftAlign", "ActCenterAlign", "ActRightAlign"})
        Action(name)->setEnabled(wrap);
    Action("ActUndo")->setEnabled(view_->GetCanUndo());
    Action("ActRedo")->setEnabled(view_->GetCanRedo());
    for (const char* name : {"ActClear", "ActOpen", "ActNewPage"})
        Action(name)->setEnabled(write);
}
