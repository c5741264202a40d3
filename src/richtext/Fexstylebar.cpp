#include "richtext/Fexstylebar.h"

#include "gui/QtCanvas.h"
#include "gui/Services.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <QToolButton>

#include <algorithm>

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

} // namespace

TExStyleBar::TExStyleBar(QWidget* owner) : QFrame(owner)
{
    setObjectName("ExStyleBar");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    const auto button = [&](QAction* action) {
        auto* b = new QToolButton(this);
        b->setDefaultAction(action);
        b->setAutoRaise(true);
        layout->addWidget(b);
        return b;
    };
    const auto simple = [&](const char* name, const QString& hint, int tag = -1, bool check = false) {
        return button(AddAction(name, hint, tag, check));
    };
    simple("ActClear", "新規作成");
    simple("ActOpen", "開く");
    simple("ActSave", "保存");
    FontList = new TFontDropDown(this);
    FontList->setProperty("tag", 0);
    FontList->setToolTip("フォント");
    layout->addWidget(FontList);
    simple("ActCopy", "コピー");
    simple("ActCut", "切り取り");
    simple("ActPaste", "貼り付け");
    simple("ActDelete", "削除");
    simple("ActUndo", "元に戻す");
    simple("ActRedo", "やり直す");
    FontSize = new TUpDownEdit(this);
    FontSize->setProperty("tag", 9);
    FontSize->setToolTip("フォントサイズ");
    FontSize->SetLimitType(1);
    FontSize->SetRange(10, 10);
    FontSize->SetScale(10);
    FontSize->SetSuffix("pt");
    layout->addWidget(FontSize);
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
    const auto dropButton = [&](const char* name, const QString& hint, int tag, QMenu* menu) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setProperty("tag", tag);
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setMenu(menu);
        b->setPopupMode(QToolButton::MenuButtonPopup);
        b->setText(hint);
        connect(b, &QToolButton::clicked, this, [this, b] { StyleChange(b); });
        layout->addWidget(b);
        return b;
    };
    BtnUnderline = dropButton("BtnUnderline", "アンダーライン", 3, PMUnderline);
    BtnStrikeout = dropButton("BtnStrikeout", "取り消し線", 4, PMStrikeout);
    simple("ActOutline", "アウトライン", 5, true);
    auto* align = new QActionGroup(this);
    align->setExclusive(true);
    align->addAction(simple("ActLeftAlign", "左揃え", 10, true)->defaultAction());
    align->addAction(simple("ActCenterAlign", "センター", 11, true)->defaultAction());
    align->addAction(simple("ActRightAlign", "右揃え", 12, true)->defaultAction());
    simple("ActNewPage", "改ページ");
    const auto colour = [&](const char* name, const QString& hint, int tag) {
        auto* c = new TColorDropDown(this);
        c->setObjectName(name);
        c->setProperty("tag", tag);
        c->setToolTip(hint);
        c->OnChange = [this](QObject* sender) { StyleChange(sender); };
        layout->addWidget(c);
        return c;
    };
    ColorList = colour("ColorList", "フォントカラー", 6);
    HighlightList = colour("HighlightList", "ハイライト", 7);
    ULColorList = colour("ULColorList", "アンダーライン", 8);
    Finder = new TExView(this);
    Finder->setObjectName("Finder");
    Finder->SetEditStyle(evsSingleEdit);
    Finder->setFixedSize(60, QFontMetrics(font()).height() + 2 * Finder->GetMargin() + 2);
    layout->addWidget(Finder);
    simple("ActFind", "検索");
    layout->addStretch();
    FontList->OnChange = [this](QObject*) { StyleChange(FontList); };
    FontSize->OnChange = [this](QObject*) { StyleChange(FontSize); };
    ActionListUpdate();
}

TExStyleBar::~TExStyleBar() { SetExView(nullptr); }

QAction* TExStyleBar::AddAction(const char* name, const QString& hint, int tag, bool checkable)
{
    auto* action = new QAction(hint, this);
    action->setObjectName(name);
    action->setToolTip(hint);
    action->setCheckable(checkable);
    action->setProperty("tag", tag);
    connect(action, &QAction::triggered, this, [this, name = std::string(name)] { Execute(name.c_str()); });
    actions_.push_back(action);
    return action;
}

QAction* TExStyleBar::Action(const char* name) const
{
    for (QAction* a : actions_)
        if (a->objectName() == name)
            return a;
    return nullptr;
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
    FontSize->SetValueQuiet(style.Size > 0 ? style.Size : 100);
    Action("ActBold")->setChecked(Checked(style.Bold));
    Action("ActItalic")->setChecked(Checked(style.Italic));
    Action("ActOutline")->setChecked(Checked(style.Outline));
    BtnUnderline->setChecked(Checked(style.Underline));
    BtnStrikeout->setChecked(Checked(style.Strike));
    const TSelectInfo sel = view_->GetSelectInfo();
    std::string face = sel.GetSelFontName();
    if (face.empty() && !sel.GetEnabled())
        face = doc->GetFonts().GetName(style.LowFont);   // the input method is never open for the bar
    const int index = FontList->GetDropDown()->findText(QString::fromStdString(face));
    FontList->GetDropDown()->setCurrentIndex(face.empty() ? -1 : index);
    TColorAttributes& colors = doc->GetColors();
    const platform::TColor black = platform::RgbColor(0, 0, 0);
    const platform::TColor text = style.Color >= 0 ? colors.GetColor(style.Color) : black;
    ColorList->SetColor(text);
    HighlightList->SetColor(style.Highlight > 0 ? colors.GetColor(style.Highlight) : view_->GetColor());
    ULColorList->SetColor(style.ULColor > 0 ? colors.GetColor(style.ULColor) : text);
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
    switch (tag) {
    case 0: {
        const std::string face = FontList->GetFontName();
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
        QToolButton* b = tag == 3 ? BtnUnderline : BtnStrikeout;
        int kind = 0;
        if (b->isChecked()) {
            kind = checkedKind(tag == 3 ? PMUnderline : PMStrikeout);
            if (kind <= 0)
                kind = 1;
        }
        (tag == 3 ? style.Underline : style.Strike) = static_cast<std::uint8_t>(kind);
        break;
    }
    case 6: style.Color = doc->GetColorIndex(ColorList->GetColor()); break;
    case 7:
        style.Highlight =
            HighlightList->GetColor() == view_->GetColor() ? 0 : doc->GetColorIndex(HighlightList->GetColor());
        break;
    case 8: style.ULColor = doc->GetColorIndex(ULColorList->GetColor()); break;
    case 9: style.Size = FontSize->GetValue(); break;
    case 10:
    case 11:
    case 12:
        para.Align = static_cast<std::uint8_t>(tag - 10);
        view_->SetParaStyle(para);
        break;
    default: break;
    }
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
    BtnUnderline->setChecked(Tag(item) != 0);
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
    BtnStrikeout->setChecked(Tag(item) != 0);
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
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(attached);
    for (QAction* a : actions_)
        a->setEnabled(attached);
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
