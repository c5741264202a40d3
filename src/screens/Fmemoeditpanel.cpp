#include "screens/Fmemoeditpanel.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "richtext/Exview.h"
#include "richtext/Uextexthelper.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Fvktform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QShowEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

constexpr int kTagFont = 0;
constexpr int kTagSize = 1;
constexpr int kTagColor = 2;

QToolBar* MakeBar(QWidget* parent, const char* name)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setFont(VktFormFont());
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    platform::TabFocusButtons(*bar);
    return bar;
}

} // namespace

TMemoEditPanel::TMemoEditPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("MemoEditPanel"));
    setFont(VktFormFont());
    resize(546, 218);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    exView_ = new TExView(this);
    exView_->setObjectName(QStringLiteral("ExView"));
    exView_->setAccessibleName(QStringLiteral("メモ"));
    exView_->SetWordWrap(true);
    exView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(exView_, 1);

    toolBar_ = MakeBar(this, "ToolBar");
    AddButton(toolBar_, "BtnLoad", "読み込み", "メモ読み込み|外部ファイルをメモに読み込みます。", &TMemoEditPanel::BtnLoadClick);
    AddButton(toolBar_, "BtnSave", "書き出し", "メモ書き出し|メモをファイルに書き出します。", &TMemoEditPanel::BtnSaveClick);
    toolBar_->addSeparator();
    AddButton(toolBar_, "BtnCut", "切り取り", "メモ切り取り|選択されたメモをクリップボードに切り取ります。",
              &TMemoEditPanel::BtnCutClick);
    AddButton(toolBar_, "BtnCopy", "コピー", "メモコピー|選択されたメモをクリップボードにコピーします。",
              &TMemoEditPanel::BtnCopyClick);
    AddButton(toolBar_, "BtnPaste", "貼り付け", "メモ貼り付け|クリップボードからメモに貼り付けます。",
              &TMemoEditPanel::BtnPasteClick);
    toolBar_->addSeparator();
    AddButton(toolBar_, "BtnDelete", "削除", "メモ削除|選択されたメモを削除します。", &TMemoEditPanel::BtnDeleteClick);
    toolBar_->addSeparator();
    AddButton(toolBar_, "BtnUndo", "元に戻す", "元に戻す|編集を元に戻します。", &TMemoEditPanel::BtnUndoClick);
    AddButton(toolBar_, "BtnRedo", "やり直す", "やり直す|編集をやり直します。", &TMemoEditPanel::BtnRedoClick);

    // The second row: the separator after the redo button wraps the bar.
    // The font list goes before the first separator when the panel is first shown: listing the
    // fonts is the dearest part of the panel.
    styleBar_ = MakeBar(this, "StyleBar");
    styleBar_->addSeparator();
    sizeEdit_ = new TUpDownEdit(styleBar_);
    sizeEdit_->setObjectName(QStringLiteral("SizeEdit"));
    sizeEdit_->setFixedWidth(56);
    sizeEdit_->SetLimitType(1);
    sizeEdit_->SetRange(10, 10);   // at least 1.0 pt; the upper limit equals the lower and is not applied
    sizeEdit_->SetScale(10);
    sizeEdit_->SetSuffix("pt");
    platform::SetHint(*sizeEdit_->GetEdit(), "フォントサイズ|フォントサイズを変更します。");
    styleBar_->addWidget(sizeEdit_);
    styleBar_->addSeparator();
    btnBold_ = AddButton(styleBar_, "BtnBold", "太字", "太字|書体を変更、解除します。", nullptr);
    btnItalic_ = AddButton(styleBar_, "BtnItalic", "斜体", "斜体|書体を変更、解除します。", nullptr);
    btnBold_->setCheckable(true);
    btnItalic_->setCheckable(true);
    connect(btnBold_, &QAction::triggered, this, [this] {
        FocusEditor();
        SetBold(!bold_);
    });
    connect(btnItalic_, &QAction::triggered, this, [this] {
        FocusEditor();
        SetItalic(!italic_);
    });
    styleBar_->addSeparator();
    colorList_ = new TColorDropDown(styleBar_);
    colorList_->setObjectName(QStringLiteral("ColorList"));
    colorList_->setFixedWidth(56);
    platform::SetHint(*colorList_->GetDropDown(), "フォントカラー|フォントカラーを変更します。");
    styleBar_->addWidget(colorList_);
    layout->addWidget(toolBar_);
    layout->addWidget(styleBar_);

    sizeEdit_->OnChange = [this](QObject*) { ApplyToolStyle(kTagSize); };
    colorList_->OnChange = [this](QObject*) { ApplyToolStyle(kTagColor); };
    for (QObject* input : {static_cast<QObject*>(sizeEdit_->GetEdit()), static_cast<QObject*>(colorList_->GetDropDown()),
                           static_cast<QObject*>(exView_)})
        input->installEventFilter(this);
    exView_->AddChangeNotifer([this](TExView*) { ShowCaretStyle(); });
    exView_->OnChange = [this](TExView*) { ExViewChange(); };
    BuildPopup();
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget* old, QWidget* now) { FocusChanged(old, now); });
    ShowCaretStyle();
}

TFontDropDown* TMemoEditPanel::GetFontList()
{
    if (fontList_) return fontList_;
    fontList_ = new TFontDropDown(styleBar_);
    fontList_->setObjectName(QStringLiteral("FontList"));
    fontList_->setFixedWidth(145);
    platform::SetHint(*fontList_->GetDropDown(), "フォント|フォントを変更します。");
    QAction* first = styleBar_->actions().value(0);
    styleBar_->insertWidget(first, fontList_);
    // Made last, it stands first on the bar and is read first.
    if (QWidget* next = first ? styleBar_->widgetForAction(first) : nullptr)
        platform::TabChainBefore(*next, {fontList_});
    fontList_->OnChange = [this](QObject*) { ApplyToolStyle(kTagFont); };
    fontList_->GetDropDown()->installEventFilter(this);
    ShowCaretStyle();
    return fontList_;
}

void TMemoEditPanel::showEvent(QShowEvent* event)
{
    LoadPending();
    GetFontList();
    QFrame::showEvent(event);
}

TMemoEditPanel::~TMemoEditPanel()
{
    // The children go after this: their focus moves are no edits.
    disconnect(focusConnection_);
}

QAction* TMemoEditPanel::AddButton(QToolBar* bar, const char* name, const char* caption, const char* hint,
                                   void (TMemoEditPanel::*handler)())
{
    auto* action = new QAction(platform::ToQString(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    platform::SetHint(*action, hint);
    if (handler) connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    bar->addAction(action);
    return action;
}

QAction* TMemoEditPanel::GetAction(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void TMemoEditPanel::BuildPopup()
{
    pmMemo_ = new QMenu(this);
    pmMemo_->setObjectName(QStringLiteral("PMMemo"));
    struct Item {
        const char* caption;
        const char* hint;
        void (TMemoEditPanel::*handler)();
    };
    const Item items[] = {
        {"読み込み", "メモ読み込み", &TMemoEditPanel::BtnLoadClick}, {"書き出し", "メモ書き出し", &TMemoEditPanel::BtnSaveClick},
        {"-", "", nullptr},
        {"切り取り", "メモ切り取り", &TMemoEditPanel::BtnCutClick}, {"コピー", "メモコピー", &TMemoEditPanel::BtnCopyClick},
        {"貼り付け", "メモ貼り付け", &TMemoEditPanel::BtnPasteClick},
        {"-", "", nullptr},
        {"削除", "メモ削除", &TMemoEditPanel::BtnDeleteClick},
        {"-", "", nullptr},
        {"元に戻す", "", &TMemoEditPanel::BtnUndoClick}, {"やり直す", "", &TMemoEditPanel::BtnRedoClick},
    };
    for (const Item& item : items) {
        if (!item.handler) {
            pmMemo_->addSeparator();
            continue;
        }
        QAction* action = pmMemo_->addAction(platform::ToQString(item.caption));
        if (*item.hint) platform::SetHint(*action, item.hint);
        connect(action, &QAction::triggered, this, [this, handler = item.handler] { (this->*handler)(); });
    }
    exView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(exView_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmMemo_->popup(exView_->mapToGlobal(pos)); });
}

TExView* TMemoEditPanel::GetExView() const
{
    LoadPending();
    return exView_;
}

std::string TMemoEditPanel::GetMemo() const
{
    LoadPending();
    TExTextCommand* editor = exView_->GetEditor();
    if (editor->GetText()->GetString().size() <= 2) return {};
    std::ostringstream stream;
    editor->SaveToRichStream(stream);
    return stream.str();
}

void TMemoEditPanel::SetMemo(const std::string& memo)
{
    if (isVisible()) {
        pendingMemo_.reset();
        LoadMemo(memo);
    } else {
        pendingMemo_ = memo;
    }
}

void TMemoEditPanel::LoadPending() const
{
    if (!pendingMemo_) return;
    const std::string memo = std::move(*pendingMemo_);
    pendingMemo_.reset();
    const_cast<TMemoEditPanel*>(this)->LoadMemo(memo);
}

void TMemoEditPanel::LoadMemo(const std::string& memo)
{
    loading_ = true;
    try {
        if (memo.empty()) {
            exView_->Clear();
        } else {
            TExTextCommand* editor = exView_->GetEditor();
            std::istringstream stream(memo);
            editor->BeginUpdate();
            editor->Clear();
            editor->LoadFromRichStream(stream);
            editor->SetCaret(0);
            editor->EndUpdate();
        }
    } catch (...) {
        loading_ = false;
        throw;
    }
    exView_->GetEditor()->ClearHistory();
    loading_ = false;
}

void TMemoEditPanel::SetModified(bool modified)
{
    if (modified_ == modified) return;
    modified_ = modified;
    if (OnModifiedChange) OnModifiedChange(this);
}

void TMemoEditPanel::DoApply()
{
    if (OnApply) OnApply(this);
}

void TMemoEditPanel::ApplyEdit()
{
    if (!modified_) return;
    SetModified(false);
    undoText_ = GetMemo();
    exView_->GetEditor()->ClearHistory();
    DoApply();
}

void TMemoEditPanel::CancelEdit()
{
    if (!modified_) return;
    SetMemo(undoText_);
    SetModified(false);
}

void TMemoEditPanel::SetBold(bool bold)
{
    LoadPending();
    bold_ = bold;
    btnBold_->setChecked(bold);
    TExStyle style = exView_->GetStyle();
    style.Bold = bold ? 1 : 0;
    exView_->SetStyle(style);
}

void TMemoEditPanel::SetItalic(bool italic)
{
    LoadPending();
    italic_ = italic;
    btnItalic_->setChecked(italic);
    TExStyle style = exView_->GetStyle();
    style.Italic = italic ? 1 : 0;
    exView_->SetStyle(style);
}

bool TMemoEditPanel::InGroup(const QWidget* widget) const
{
    // The parent chain crosses popup windows (a drop-down's list belongs to its combo box).
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == exView_ || w == fontList_ || w == sizeEdit_ || w == colorList_) return true;
    }
    return false;
}

void TMemoEditPanel::FocusChanged(QWidget* old, QWidget* now)
{
    const bool wasIn = InGroup(old);
    const bool isIn = InGroup(now);
    if (!wasIn && isIn) ExViewEnter();
    else if (wasIn && !isIn) platform::Guard([this] { ExViewExit(); });
}

void TMemoEditPanel::ExViewEnter() { undoText_ = GetMemo(); }

void TMemoEditPanel::ExViewExit() { ApplyEdit(); }

void TMemoEditPanel::ExViewChange() { SetModified(!loading_ && exView_->GetCanUndo()); }

void TMemoEditPanel::ShowCaretStyle()
{
    const TExStyle style = exView_->GetStyle();
    bold_ = style.Bold == 1;
    italic_ = style.Italic == 1;
    btnBold_->setChecked(bold_);
    btnItalic_->setChecked(italic_);
    sizeEdit_->SetValueQuiet(style.Size > 0 ? style.Size : 10);
    TExText* doc = exView_->GetEditor()->GetText();
    int font = -1;
    switch (style.CharClass) {
    case kClassAscii: font = style.LowFont; break;
    case kClassEuro: font = style.HighFont; break;
    case kClassDouble: font = style.DBFont; break;
    default: break;
    }
    if (fontList_) {
        QComboBox* fonts = fontList_->GetDropDown();
        const QSignalBlocker blocker(fonts);
        fonts->setCurrentIndex(font < 0 ? -1 : fonts->findText(platform::ToQString(doc->GetFonts().GetName(font))));
    }
    colorList_->SetColor(style.Color > 0 ? doc->GetColors().GetColor(style.Color) : platform::TColor(0));
}

void TMemoEditPanel::ApplyToolStyle(int tag)
{
    LoadPending();
    TExStyle style;
    style.Invisible();
    TExText* doc = exView_->GetEditor()->GetText();
    switch (tag) {
    case kTagFont: {
        const std::string face = fontList_->GetFontName();
        if (face.empty()) return;
        std::int32_t charset = 0;
        std::int32_t family = 0;
        GetFontFamilyInfo(face, charset, family);
        style.DBFont = doc->GetFonts().IndexOfFont(face, 128, family);
        style.HighFont = style.LowFont = doc->GetFonts().IndexOfFont(face, charset, family);
        break;
    }
    case kTagSize: style.Size = sizeEdit_->GetValue(); break;
    case kTagColor: style.Color = doc->GetColorIndex(colorList_->GetColor()); break;
    default: return;
    }
    exView_->SetStyle(style);
}

bool TMemoEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (RunEditKey(EditKeyOf(key->key(), key->modifiers()), [this] { CancelEdit(); }, [this] { ApplyEdit(); }))
            return true;
    }
    return QFrame::eventFilter(watched, event);
}

void TMemoEditPanel::FocusEditor()
{
    LoadPending();
    if (!exView_->hasFocus()) exView_->setFocus(Qt::OtherFocusReason);
}

std::string TMemoEditPanel::SaveName(const std::string& name)
{
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::string ext = hasExt ? name.substr(dot) : std::string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".rtf" || ext == ".txt") return name;
    return (hasExt ? name.substr(0, dot) : name) + ".rtf";
}

void TMemoEditPanel::BtnLoadClick()
{
    FocusEditor();
    const auto name = platform::Services().OpenFile("", kOpenFilter, openName_, openName_);
    if (!name) return;
    openName_ = *name;
    exView_->LoadFromFile(*name);
    SetModified(!loading_ && GetMemo() != undoText_);
}

void TMemoEditPanel::BtnSaveClick()
{
    FocusEditor();
    const auto name = platform::Services().SaveFile("", kSaveFilter, saveName_, saveName_);
    if (!name) return;
    saveName_ = openName_ = SaveName(*name);
    exView_->SaveToFile(saveName_);
}

void TMemoEditPanel::BtnCutClick()
{
    FocusEditor();
    exView_->CutToClipboard();
}

void TMemoEditPanel::BtnCopyClick()
{
    FocusEditor();
    exView_->CopyToClipboard();
}

void TMemoEditPanel::BtnPasteClick()
{
    FocusEditor();
    exView_->PasteFromClipboard();
}

void TMemoEditPanel::BtnDeleteClick()
{
    FocusEditor();
    exView_->DeleteSelection();
}

void TMemoEditPanel::BtnUndoClick()
{
    FocusEditor();
    exView_->Undo();
}

void TMemoEditPanel::BtnRedoClick()
{
    FocusEditor();
    exView_->Redo();
}
