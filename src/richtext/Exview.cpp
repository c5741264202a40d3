#include "richtext/Exview.h"

#include "gui/FontTable.h"
#include "gui/QtCanvas.h"
#include "richtext/Exviewaccessible.h"
#include "widgets/Ueurocharbuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

std::u32string Ucs4(const QString& text)
{
    const QList<uint> cps = text.toUcs4();
    std::u32string out;
    for (uint c : cps)
        out += static_cast<char32_t>(c);
    return out;
}

} // namespace

TExView::TExView(QWidget* owner) : TScrollCanvas(owner)
{
    ScrollTimer = new QTimer(this);
    ScrollTimer->setInterval(0);
    connect(ScrollTimer, &QTimer::timeout, this, [this] { DoScrollTimer(); });
    caretTimer_ = new QTimer(this);
    connect(caretTimer_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        viewport()->update();
    });
    InstallExViewAccessible();
    editor_ = std::make_unique<TExTextCommand>();
    editor_->OnChange = [this](TExTextEditor*) { ChangeEditor(); };
    euroCharBuilder_ = new TEuroCharBuilder(this);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::ArrowCursor);
    SetEditStyle(evsRichEdit);
    ApplySize();
}

TExView::~TExView()
{
    editor_->OnChange = nullptr;
    Notifers.clear();
}

// ---- options ----

void TExView::SetEditStyle(TEVStyle style)
{
    if (!GetCanWrite())
        return;
    TExTextCommand* e = editor_.get();
    TExTextDrawer* doc = e->GetText();
    e->BeginUpdate();
    EditStyle = style;
    const bool wrap = doc->GetWordWrap();
    switch (style) {
    case evsRichEdit:
        SetScrollStyle(wrap ? scsVertical : scsBoth);
        doc->SetFixedFont(false);
        doc->SetSingleLine(false);
        doc->SetWordParse(false);
        e->SetRichFormat(true);
        e->SetLeftAcrossLines(true);
        e->SetLineTailSpacing(false);
        break;
    case evsMultiEdit:
        SetScrollStyle(wrap ? scsVertical : scsBoth);
        doc->SetFixedFont(true);
        doc->SetSingleLine(false);
        doc->SetWordParse(true);
        e->SetRichFormat(false);
        e->SetLeftAcrossLines(false);
        e->SetLineTailSpacing(true);
        break;
    case evsSingleEdit:
        SetScrollStyle(scsNone);
        doc->SetSingleLine(true);
        doc->SetWordWrap(false);
        doc->SetWordParse(true);
        e->SetRichFormat(false);
        e->SetLeftAcrossLines(false);
        e->SetLineTailSpacing(false);
        break;
    }
    e->SetCanInsert(true);
    e->SetCanSelect(true);
    // Multi-line documents take the tab key; a single-line field leaves it to the focus chain.
    SetOption(style == evsSingleEdit ? GetOption() & ~TSCOptions(scoWantTabs) : GetOption() | scoWantTabs);
    e->Clear();
    e->EndUpdate();
}

TEVOptions TExView::GetEditOption() const
{
    const TExTextCommand* e = editor_.get();
    const TExTextDrawer* doc = e->GetText();
    const bool on[10] = {e->GetCanSelect(),  e->GetCanInsert(),  e->GetLineTailSpacing(), e->GetLeftAcrossLines(),
                         doc->GetFixedFont(), doc->GetSingleLine(), doc->GetWordWrap(),     doc->GetWordParse(),
                         doc->GetEuroText(),  e->GetRichFormat()};
    TEVOptions options = 0;
    for (int i = 0; i < 10; ++i)
        if (on[i])
            options |= EVOption(static_cast<TEVOption>(i));
    return options;
}

void TExView::SetEditOption(TEVOptions options)
{
    TExTextCommand* e = editor_.get();
    TExTextDrawer* doc = e->GetText();
    const auto has = [options](TEVOption o) { return (options & EVOption(o)) != 0; };
    e->BeginUpdate();
    e->SetCanSelect(has(evoCanSelect));
    e->SetCanInsert(has(evoCanInsert));
    e->SetLineTailSpacing(has(evoLineTailSpacing));
    e->SetLeftAcrossLines(has(evoLeftAcrossLines));
    doc->SetFixedFont(has(evoFixedFont));
    doc->SetSingleLine(has(evoSingleLine));
    doc->SetWordWrap(has(evoWordWrap));
    doc->SetWordParse(has(evoWordParse));
    doc->SetEuroText(has(evoEuroText));
    e->SetRichFormat(has(evoRichFormat));
    e->EndUpdate();
}

void TExView::SetReadOnly(bool on)
{
    if (on == ReadOnly)
        return;
    ReadOnly = on;
    if (hasFocus()) {
        if (on)
            HideCaret();
        else
            ShowCaret();
    }
}

bool TExView::GetWordWrap() const { return editor_->GetText()->GetWordWrap(); }

void TExView::SetWordWrap(bool on)
{
    if ((on && EditStyle == evsSingleEdit) || ReadOnly || on == GetWordWrap())
        return;
    SetScrollStyle(on ? scsVertical : scsBoth);
    editor_->GetText()->SetWordWrap(on);
    editor_->SetViewLeft(0);
    if (on)
        ApplySize();
}

bool TExView::GetOverwrite() const { return editor_->GetOverwrite(); }

void TExView::SetOverwrite(bool on)
{
    if (GetCanWrite())
        editor_->SetOverwrite(on);
}

bool TExView::GetRichAnalyze() const { return editor_->GetRichAnalyze(); }

void TExView::SetRichAnalyze(bool on) { editor_->SetRichAnalyze(on); }

bool TExView::IsEmpty() const { return editor_->GetText()->GetCharCount() == 0; }

TSelectInfo TExView::GetSelectInfo() const { return editor_->GetSelInfo(); }

TExStyle TExView::GetStyle() const { return editor_->GetStyle(); }

TExParaStyle TExView::GetParaStyle() const { return editor_->GetParaStyle(); }

void TExView::SetStyle(const TExStyle& style)
{
    if (GetCanWrite())
        editor_->SetStyle(style);
}

void TExView::SetParaStyle(const TExParaStyle& para)
{
    if (GetCanWrite())
        editor_->SetParaStyle(para);
}

// ---- enabling and actions ----

bool TExView::GetCanCopy() const { return editor_->GetCanSelect() && editor_->GetSelInfo().GetEnabled(); }

bool TExView::GetCanDelete() const
{
    return GetCanWrite() && editor_->GetCanInsert() && editor_->GetSelInfo().GetEnabled();
}

bool TExView::GetCanPaste() const
{
    return GetCanWrite() && editor_->GetCanInsert() && TExLightText_::ClipboardHasText(editor_->GetRichFormat()) != 0;
}

bool TExView::GetCanUndo() const { return GetCanWrite() && editor_->GetHistorys()->GetCanUndo(); }

bool TExView::GetCanRedo() const { return GetCanWrite() && editor_->GetHistorys()->GetCanRedo(); }

void TExView::CopyToClipboard()
{
    if (editor_->GetCanSelect())
        editor_->CopyToClipboard();
}

void TExView::DeleteSelection()
{
    if (GetCanWrite() && editor_->GetCanSelect())
        editor_->DeleteSelection();
}

void TExView::CutToClipboard()
{
    if (GetCanWrite() && editor_->GetCanInsert())
        editor_->CutToClipboard();
}

void TExView::PasteFromClipboard()
{
    if (GetCanWrite() && editor_->GetCanInsert())
        editor_->PasteFromClipboard();
}

void TExView::InsertPageNew()
{
    if (GetCanWrite() && editor_->GetCanInsert())
        editor_->InsertPageNew();
}

void TExView::Undo() { editor_->Undo(); }

void TExView::Redo() { editor_->Redo(); }

void TExView::Clear()
{
    if (GetCanWrite())
        editor_->Clear();
}

// ---- text and files ----

void TExView::SetText(const std::string& text)
{
    Loading = true;
    TExTextDrawer* doc = editor_->GetText();
    editor_->BeginUpdate();
    // The clear and the new text are wrapped and coloured once, together.
    doc->BeginUpdate();
    editor_->Clear();
    TExLightText runs;
    runs.GetFontAttributes().SetFixedFont(doc->GetFixedFont());
    runs.SetAnsi(text);
    if (runs.Count() > 0)
        doc->ReplaceFromLightText(&runs);
    doc->EndUpdate();
    editor_->SetCaret(0);
    editor_->EndUpdate();
    Loading = false;
}

std::string TExView::GetText() const
{
    std::string s = editor_->GetText()->GetString();
    if (EditStyle == evsSingleEdit && s.size() >= 2)
        s.resize(s.size() - 2);
    return s;
}

std::u16string TExView::GetWideText() const
{
    std::u16string s = editor_->GetText()->GetUniString();
    if (EditStyle == evsSingleEdit && s.size() >= 2)
        s.resize(s.size() - 2);
    return s;
}

void TExView::LoadFromFile(const std::string& name)
{
    if (!GetCanWrite())
        return;
    editor_->BeginUpdate();
    editor_->Clear();
    if (editor_->GetRichAnalyze())
        editor_->AnalyzeFromFile(name);
    else
        editor_->LoadFromFile(name);
    editor_->EndUpdate();
}

void TExView::SaveToFile(const std::string& name) { editor_->SaveToFile(name); }

int TExView::AddChangeNotifer(std::function<void(TExView* sender)> event)
{
    Notifers.push_back(TExViewNotifer{std::move(event)});
    return static_cast<int>(Notifers.size()) - 1;
}

void TExView::DeleteChangeNotifer(int index)
{
    if (index >= 0 && index < GetChangeNotiferCount())
        Notifers.erase(Notifers.begin() + index);
}

// ---- size, change and drawing ----

void TExView::ApplySize()
{
    const int width = GetClientWidth() - 2 * Margin;
    const int height = GetClientHeight() - 2 * Margin;
    if (width <= 0 || height <= 0)
        return;
    const qreal ratio = devicePixelRatioF();
    if (Buffer.isNull() || Buffer.deviceIndependentSize().toSize() != QSize(width, height) ||
        Buffer.devicePixelRatio() != ratio) {
        Buffer = QImage(QSize(width, height) * ratio, QImage::Format_RGB32);
        Buffer.setDevicePixelRatio(ratio);
        Buffer.fill(Qt::white);
    }
    editor_->GetText()->SetWrapSize(width, height);
}

void TExView::Resizing()
{
    editor_->BeginUpdate();
    ApplySize();
    TExTextDrawer* doc = editor_->GetText();
    SetDocHeight(GetClientHeight() + doc->GetHeight() - doc->LastLineInfo().GetHeight());
    editor_->SetTopLineInfo(doc->LineCountToLineInfo(editor_->GetTopLineInfo().Row + 1));
    editor_->Change();
    editor_->EndUpdate();
}

void TExView::ChangeEditor()
{
    TExTextCommand* e = editor_.get();
    const TExTextDrawer* doc = e->GetText();
    syncing_ = true;
    if (!doc->GetWordWrap()) {
        const int x = e->GetCaretInfo().WordInfo.X + e->GetLineTailSpace() * e->GetCaretInfo().LineInfo.GetENSquare();
        int width = doc->GetWidth() > x ? doc->GetWidth() : x;
        if (e->GetLineTailSpacing())
            width += GetClientWidth() / 3;
        SetDocWidth(width);
    }
    SetDocHeight(GetClientHeight() + doc->GetHeight() - doc->LastLineInfo().GetHeight());
    SetDocPoint(e->GetViewLeft(), e->GetTopLineInfo().Top);
    syncing_ = false;
    const int flags = e->GetChangeFlags();
    if ((flags & 2) || ((flags & 1) && e->GetSelInfo().GetEnabled()))
        UpdateBuffer();
    caretOn_ = true;
    viewport()->update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont);
    Announce();
    DoChane();
}

void TExView::Announce()
{
    if (!QAccessible::isActive()) {
        spokenCaret_ = -1;
        return;
    }
    const TExSpokenText spoken(*this);
    const QString& text = spoken.Text();
    const int caret = spoken.ToOffset(editor_->GetCaret());
    if (spokenCaret_ >= 0 && text != spokenText_) {
        // The changed middle: what the old and the new text do not share at either end.
        qsizetype head = 0;
        const qsizetype shorter = std::min(text.size(), spokenText_.size());
        while (head < shorter && text[head] == spokenText_[head]) ++head;
        qsizetype tail = 0;
        while (tail < shorter - head && text[text.size() - 1 - tail] == spokenText_[spokenText_.size() - 1 - tail])
            ++tail;
        const QString removed = spokenText_.mid(head, spokenText_.size() - head - tail);
        const QString inserted = text.mid(head, text.size() - head - tail);
        const int at = static_cast<int>(head);
        if (removed.isEmpty()) {
            QAccessibleTextInsertEvent insert(this, at, inserted);
            QAccessible::updateAccessibility(&insert);
        } else if (inserted.isEmpty()) {
            QAccessibleTextRemoveEvent remove(this, at, removed);
            QAccessible::updateAccessibility(&remove);
        } else {
            QAccessibleTextUpdateEvent update(this, at, removed, inserted);
            QAccessible::updateAccessibility(&update);
        }
    }
    spokenText_ = text;
    if (caret != spokenCaret_) {
        spokenCaret_ = caret;
        QAccessibleTextCursorEvent moved(this, caret);
        QAccessible::updateAccessibility(&moved);
    }
}

void TExView::DoChane()
{
    if (Loading)
        return;
    const std::vector<TExViewNotifer> notifers = Notifers;
    for (const TExViewNotifer& n : notifers)
        if (n.Event)
            n.Event(this);
    if (editor_->GetTextChanged() && OnChange)
        OnChange(this);
}

const QImage& TExView::GetBuffer()
{
    DrawBuffer();
    return Buffer;
}

void TExView::DrawBuffer()
{
    if (Buffer.isNull() || !std::exchange(bufferStale_, false))
        return;
    const TExTextCommand* e = editor_.get();
    TExTextDrawer* doc = e->GetText();
    const int width = static_cast<int>(Buffer.deviceIndependentSize().width());
    const int height = static_cast<int>(Buffer.deviceIndependentSize().height());
    QPainter painter(&Buffer);
    platform::QtCanvas canvas(painter, TExTextWrapper::kPixelsPerInch, TExTextWrapper::kPixelsPerInch,
                              platform::CanvasKind::Screen);
    canvas.Save();
    const platform::Rect area{0, 0, width, height};
    canvas.IntersectClip(area);
    canvas.FillRect(area, GetColor());
    const TLineInfo& top = e->GetTopLineInfo();
    doc->DrawTextA(&canvas, area, area, -e->GetViewLeft(), top.Top - e->GetTopPixel(), top, e->GetSelInfo(), false);
    canvas.Restore();
}

QRect TExView::CaretRect() const
{
    const TExTextCommand* e = editor_.get();
    const TCaretInfo& c = e->GetCaretInfo();
    const TLineInfo& row = c.LineInfo;
    const int x = c.WordInfo.X + e->GetLineTailSpace() * row.GetENSquare() - e->GetViewLeft() + Margin;
    const int y = row.Top + row.GetBeforeLineSpace() + row.GetAscent() - c.WordInfo.GetAscent() - e->GetTopPixel() + Margin;
    return QRect(x, y, e->GetOverwrite() ? 3 : 1, c.WordInfo.GetAscent() + c.WordInfo.GetDescent());
}

QFont TExView::TypingFont() const
{
    TExStyle style = editor_->GetStyle();
    style.CharClass = kClassDouble;
    platform::FontSpec spec = editor_->GetText()->GetFonts().GetLOGFONT(style);
    const int size = style.Size > 0 ? style.Size : 105;
    spec.Height = -(TExTextWrapper::kPixelsPerInch * size / 720);
    return platform::MakeQFont(spec, TExTextWrapper::kPixelsPerInch);
}

void TExView::DoDraw(platform::Canvas& canvas, int, int)
{
    const int cw = GetClientWidth();
    const int ch = GetClientHeight();
    const platform::TColor back = GetColor();
    if (Buffer.isNull()) {
        canvas.FillRect({0, 0, cw, ch}, back);
        return;
    }
    DrawBuffer();
    const QSize size = Buffer.deviceIndependentSize().toSize();
    canvas.FillRect({Margin + size.width(), 0, cw, ch}, back);
    canvas.FillRect({0, Margin + size.height(), cw, ch}, back);
    QPainter* painter = canvas.GetPainter();
    if (!painter)
        return;
    painter->drawImage(QPoint(Margin, Margin), Buffer);
    canvas.FrameRect({0, 0, cw, ch}, back);
    const QRect caret = CaretRect();
    if (!preedit_.isEmpty()) {
        const QFont font = TypingFont();
        const QFontMetrics metrics(font);
        const QRect box(caret.left(), caret.bottom() + 1 - metrics.height(), metrics.horizontalAdvance(preedit_),
                        metrics.height());
        painter->fillRect(box, QColor(255, 255, 255));
        QFont underlined = font;
        underlined.setUnderline(true);
        painter->setFont(underlined);
        painter->setPen(Qt::black);
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, preedit_);
    }
    if (caretShown_ && caretOn_ && GetCanWrite() && hasFocus())
        painter->fillRect(caret, QColor(0, 0, 0));
}

void TExView::ShowCaret()
{
    caretShown_ = true;
    caretOn_ = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash > 0)
        caretTimer_->start(flash / 2);
    viewport()->update();
}

void TExView::HideCaret()
{
    caretShown_ = false;
    caretTimer_->stop();
    viewport()->update();
}

void TExView::DoFocus(bool focused)
{
    viewport()->setCursor(focused ? Qt::IBeamCursor : Qt::ArrowCursor);
    if (!GetCanWrite())
        return;
    if (focused)
        ShowCaret();
    else
        HideCaret();
}

void TExView::DoScrolled(int orientation, int code, int& pos)
{
    if (syncing_)
        return;
    TExTextCommand* e = editor_.get();
    TExTextDrawer* doc = e->GetText();
    if (orientation == 0) {
        pos = std::max(pos, 0);
        e->SetViewLeft(pos);
        return;
    }
    TLineInfo row = e->GetTopLineInfo();
    if (code == 0) {
        doc->PrevLineInfo(row);
    } else if (code == 1) {
        doc->NextLineInfo(row);
    } else {
        row = doc->PointToLineInfo(pos);
        if (pos - row.Top > row.GetHeight() / 2)
            doc->NextLineInfo(row);
    }
    e->SetTopLineInfo(row);
    pos = row.Top;
}

// ---- mouse ----

platform::Point TExView::DocPoint(QPoint client) const
{
    return {client.x() + editor_->GetViewLeft() - Margin, client.y() + editor_->GetTopPixel() - Margin};
}

void TExView::MouseDown(QMouseEvent* event)
{
    MouseSelecting = event->button() == Qt::LeftButton;
    lastMouse_ = event->position().toPoint();
    if (!WordClick) {
        editor_->BeginUpdate();
        editor_->EndSelection();
        editor_->SetCaretPos(DocPoint(lastMouse_));
        editor_->EndUpdate();
    }
    TScrollCanvas::MouseDown(event);
}

void TExView::mouseMoveEvent(QMouseEvent* event)
{
    lastMouse_ = event->position().toPoint();
    if (!viewport()->rect().contains(lastMouse_)) {
        ScrollTimer->setInterval(50);
        if (MouseSelecting)
            ScrollTimer->start();
        return;
    }
    ScrollTimer->stop();
    if (MouseSelecting && (event->buttons() & Qt::LeftButton) && !WordClick) {
        editor_->BeginUpdate();
        editor_->BeginSelection();
        editor_->SetCaretPos(DocPoint(lastMouse_));
        editor_->EndUpdate();
    }
}

void TExView::DoScrollTimer()
{
    editor_->BeginUpdate();
    editor_->BeginSelection();
    editor_->SetCaretPos(DocPoint(lastMouse_));
    editor_->VisibleCaret();
    editor_->EndUpdate();
}

void TExView::mouseDoubleClickEvent(QMouseEvent* event)
{
    WordClick = true;
    event->accept();
}

void TExView::mouseReleaseEvent(QMouseEvent*)
{
    ScrollTimer->stop();
    editor_->BeginUpdate();
    if (WordClick)
        editor_->SelectWord();
    if (!editor_->GetSelInfo().GetEnabled())
        editor_->EndSelection();
    WordClick = false;
    MouseSelecting = false;
    editor_->VisibleCaret();
    editor_->EndUpdate();
}

// ---- keys and input method ----

unsigned short TExView::VirtualKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace: return TExTextCommand::kVkBack;
    case Qt::Key_Tab: return TExTextCommand::kVkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return TExTextCommand::kVkReturn;
    case Qt::Key_PageUp: return TExTextCommand::kVkPrior;
    case Qt::Key_PageDown: return TExTextCommand::kVkNext;
    case Qt::Key_End: return TExTextCommand::kVkEnd;
    case Qt::Key_Home: return TExTextCommand::kVkHome;
    case Qt::Key_Left: return TExTextCommand::kVkLeft;
    case Qt::Key_Up: return TExTextCommand::kVkUp;
    case Qt::Key_Right: return TExTextCommand::kVkRight;
    case Qt::Key_Down: return TExTextCommand::kVkDown;
    case Qt::Key_Insert: return TExTextCommand::kVkInsert;
    case Qt::Key_Delete: return TExTextCommand::kVkDelete;
    default: return key >= Qt::Key_A && key <= Qt::Key_Z ? static_cast<unsigned short>(key) : 0;
    }
}

void TExView::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && !(GetOption() & scoWantTabs)) {
        // Ctrl+Tab and the like pass to the parents; the field types nothing.
        event->ignore();
        return;
    }
    const bool backwards = event->key() == Qt::Key_Backtab || (event->key() == Qt::Key_Tab && shift);
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && (ctrl || backwards)) {
        // A control that types Tab is left by Ctrl+Tab, backwards by Shift+Tab (with Ctrl or not).
        QAbstractScrollArea::focusNextPrevChild(!backwards);
        event->accept();
        return;
    }
    unsigned short key = VirtualKey(event->key());
    if (key != 0 && (GetCanWrite() || (ctrl && key == 'C'))) {
        editor_->Command(shift, ctrl, key);
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (GetCanWrite() && !ctrl && !event->text().isEmpty()) {
        const std::u32string text = Ucs4(event->text());
        editor_->BeginUpdate();
        for (char32_t c : text)
            if (c >= 32)
                KeyPress(c);
        editor_->EndUpdate();
        event->accept();
        return;
    }
    TScrollCanvas::keyPressEvent(event);
}

bool TExView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        const unsigned short vk = tab && !(GetOption() & scoWantTabs) ? 0 : VirtualKey(key->key());
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        const bool letter = vk == 'A' || vk == 'C' || vk == 'V' || vk == 'X' || vk == 'Z';
        if ((vk != 0 && !(vk >= 'A' && vk <= 'Z')) || (ctrl && letter)) {
            event->accept();
            return true;
        }
    }
    return TScrollCanvas::event(event);
}

void TExView::KeyPress(char32_t code)
{
    if (!GetCanWrite() || code < 32)
        return;
    const TExStyle saved = editor_->GetStyle();
    if (euroCharBuilder_->GetState() != 0) {
        TFontAttributes& fonts = editor_->GetText()->GetFonts();
        TExStyle style = saved;
        style.HighFont = fonts.IndexOfFont(fonts.GetName(saved.LowFont), 0, fonts.GetFamily(saved.LowFont));
        editor_->SetTypingStyle(style);
    }
    editor_->InsertChar(code);
    editor_->SetTypingStyle(saved);
}

void TExView::TypeText(const std::u32string& text)
{
    editor_->BeginUpdate();
    editor_->DeleteSelection();
    const TExStyle saved = editor_->GetStyle();
    for (char32_t c : text)
        if (c >= 32)
            editor_->InsertChar(c);
    editor_->SetTypingStyle(saved);
    editor_->EndUpdate();
}

void TExView::inputMethodEvent(QInputMethodEvent* event)
{
    if (!GetCanWrite()) {
        event->ignore();
        return;
    }
    if (!event->commitString().isEmpty())
        TypeText(Ucs4(event->commitString()));
    preedit_ = event->preeditString();
    viewport()->update();
    event->accept();
}

QVariant TExView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled: return GetCanWrite();
    case Qt::ImCursorRectangle: return CaretRect().translated(viewport()->pos());
    case Qt::ImFont: return TypingFont();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: return editor_->GetCaret();
    default: return TScrollCanvas::inputMethodQuery(query);
    }
}
