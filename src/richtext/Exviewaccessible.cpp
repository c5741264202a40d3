#include "richtext/Exviewaccessible.h"

#include "richtext/Exview.h"
#include "richtext/Uexlighttext_.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>

namespace {

// UTF-16 units of the first `chars` code points of `text` from `from`.
int Utf16Of(const QString& text, int from, int length, int chars)
{
    int i = from;
    const int end = from + length;
    for (; chars > 0 && i < end; --chars)
        i += (text[i].isHighSurrogate() && i + 1 < end) ? 2 : 1;
    return i - from;
}

// Code points in `length` UTF-16 units of `text` from `from`.
int CharsOf(const QString& text, int from, int length)
{
    int chars = 0;
    for (int i = from; i < from + length; ++chars)
        i += (text[i].isHighSurrogate() && i + 1 < from + length) ? 2 : 1;
    return chars;
}

class TExViewAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit TExViewAccessible(TExView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface && !View()->GetReadOnly())
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The scroll bars and the viewport are the control's own drawing, not parts to read.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const bool readOnly = View()->GetReadOnly();
        s.editable = !readOnly;
        s.readOnly = readOnly;
        s.multiLine = View()->GetEditStyle() != evsSingleEdit;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) return TExSpokenText(*View()).Text();
        return QAccessibleWidget::text(t);
    }

    // ---- text ----
    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        const TSelectInfo sel = View()->GetSelectInfo();
        if (index != 0 || !sel.GetEnabled()) return;
        const TExSpokenText spoken(*View());
        *start = spoken.ToOffset(sel.GetTopPosition());
        *end = spoken.ToOffset(sel.GetBottomPosition());
    }
    int selectionCount() const override { return View()->GetSelectInfo().GetEnabled() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0) Editor()->SetCaret(Editor()->GetCaret());
    }
    void setSelection(int, int start, int end) override
    {
        const TExSpokenText spoken(*View());
        TExTextCommand* e = Editor();
        e->BeginUpdate();
        e->SetCaret(spoken.ToPosition(end));
        TSelectInfo sel = e->GetSelInfo();
        sel.Anchor = e->GetText()->PositionToCaretInfo(spoken.ToPosition(start));
        e->SetSelInfo(sel);
        e->EndUpdate();
    }
    int cursorPosition() const override { return TExSpokenText(*View()).ToOffset(Editor()->GetCaret()); }
    void setCursorPosition(int position) override
    {
        Editor()->SetCaret(TExSpokenText(*View()).ToPosition(position));
    }
    QString text(int start, int end) const override
    {
        const QString all = TExSpokenText(*View()).Text();
        start = std::clamp(start, 0, static_cast<int>(all.size()));
        end = std::clamp(end, start, static_cast<int>(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(TExSpokenText(*View()).Text().size()); }
    // The caret's place stands for the characters' places: the control draws its own text.
    QRect characterRect(int) const override
    {
        const QRect caret = View()->CaretRect();
        return QRect(View()->viewport()->mapToGlobal(caret.topLeft()), caret.size());
    }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int start, int) override { setCursorPosition(start); }
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = std::max(0, offset);
        *end = *start;
        return {};
    }

    // ---- editable text ----
    void deleteText(int start, int end) override
    {
        if (View()->GetReadOnly() || end <= start) return;
        setSelection(0, start, end);
        Editor()->DeleteSelection();
    }
    void insertText(int offset, const QString& text) override
    {
        if (View()->GetReadOnly()) return;
        TExTextCommand* e = Editor();
        e->BeginUpdate();
        e->SetCaret(TExSpokenText(*View()).ToPosition(offset));
        for (const char32_t c : text.toUcs4()) {
            if (c == U'\n')
                e->InsertReturn();
            else if (c == U'\t')
                e->InsertTab();
            else if (c != U'\r')
                e->InsertChar(c);
        }
        e->EndUpdate();
    }
    void replaceText(int start, int end, const QString& text) override
    {
        deleteText(start, end);
        insertText(start, text);
    }

private:
    TExView* View() const { return static_cast<TExView*>(widget()); }
    TExTextCommand* Editor() const { return View()->GetEditor(); }
};

QAccessibleInterface* ExViewFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TExView") && object && object->isWidgetType())
        return new TExViewAccessible(static_cast<TExView*>(object));
    return nullptr;
}

} // namespace

TExSpokenText::TExSpokenText(const TExView& view)
{
    int position = 0;
    for (const TExWord* w = view.GetEditor()->GetText()->GetFirstWord(); w; w = w->GetNextWord()) {
        const int units = w->GetWordCharCount();
        const int offset = static_cast<int>(text_.size());
        if (w->GetType() == kWordPara) {
            text_ += QLatin1Char('\n');
            pieces_.push_back({position, offset, units, units, 1});
        } else {
            const QString s = QString::fromStdString(w->GetString());
            text_ += s;
            const int width = w->GetType() == kWordText ? w->GetUnitWidth() : std::max(1, units);
            pieces_.push_back({position, offset, units, width, static_cast<int>(s.size())});
        }
        position += units;
    }
    // The document's closing paragraph end is no text of the cook's.
    if (!pieces_.empty() && text_.endsWith(QLatin1Char('\n'))) {
        text_.chop(1);
        pieces_.pop_back();
    }
}

int TExSpokenText::ToOffset(int position) const
{
    for (const Piece& p : pieces_) {
        if (position >= p.position + p.units) continue;
        const int chars = std::max(0, position - p.position) / std::max(1, p.unitWidth);
        return p.offset + Utf16Of(text_, p.offset, p.length, chars);
    }
    return static_cast<int>(text_.size());
}

int TExSpokenText::ToPosition(int offset) const
{
    int end = 0;
    for (const Piece& p : pieces_) {
        end = p.position + p.units;
        if (offset >= p.offset + p.length) continue;
        const int chars = CharsOf(text_, p.offset, std::max(0, offset - p.offset));
        return p.position + std::min(p.units, chars * p.unitWidth);
    }
    return end;
}

void InstallExViewAccessible()
{
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(ExViewFactory);
}
