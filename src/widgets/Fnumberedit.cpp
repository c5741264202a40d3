#include "widgets/Fnumberedit.h"

#include "gui/QtSupport.h"
#include "platform/Errors.h"
#include "platform/NumberText.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <climits>
#include <cmath>

namespace {

// The kept characters of a typed number: digits, a sign at the very start, one "."; a second
// "." ends it.
std::string KeptText(const std::string& text)
{
    std::string kept;
    bool point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            kept += c;
        } else if (i == 0 && (c == '+' || c == '-')) {
            kept += c;
        } else if (c == '.') {
            if (point)
                break;
            point = true;
            kept += c;
        }
    }
    return kept;
}

bool HasDigit(const std::string& kept) { return kept.find_first_of("0123456789") != std::string::npos; }

// Whether typing `typed` over the field's selection (or at its cursor) adds anything to the number
// its text reads: a space, a letter, a second point or a sign inside the number add nothing.
bool AddsToNumber(const QLineEdit& edit, const QString& typed)
{
    QString text = edit.text();
    int at = edit.cursorPosition();
    if (edit.hasSelectedText()) {
        at = edit.selectionStart();
        text.remove(at, edit.selectedText().size());
    }
    const std::string without = KeptText(platform::FromQString(text));
    return KeptText(platform::FromQString(text.insert(at, typed))) != without;
}

// Typed characters: printable text of a key pressed without Ctrl, Alt or Meta (a shortcut such as
// Ctrl+A is no typing).
bool IsTyping(const QKeyEvent& key)
{
    const QString text = key.text();
    if (text.isEmpty() || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    for (const QChar c : text)
        if (!c.isPrint()) return false;
    return true;
}

int ClampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

TNumberEdit::TNumberEdit(QWidget* owner) : QWidget(owner)
{
    setObjectName("NumberEdit");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    edit_ = new QLineEdit("0", this);
    edit_->setObjectName("Edit");
    layout->addWidget(edit_);
    edit_->installEventFilter(this);
    setFocusProxy(edit_);
}

TNumberEdit::~TNumberEdit() = default;

void TNumberEdit::SetValue(int value)
{
    const bool changed = value != value_;
    value_ = value;
    RefreshText();
    if (changed)
        DoChange();
}

void TNumberEdit::SetValueQuiet(int value)
{
    value_ = value;
    RefreshText();
}

void TNumberEdit::SetScale(int scale)
{
    if (scale == 0)
        throw platform::Error("0は指定できません");
    scale_ = scale;
    SetValueQuiet(value_);
}

void TNumberEdit::SetPrefix(const std::string& prefix)
{
    prefix_ = prefix;
    SetValueQuiet(value_);
}

void TNumberEdit::SetSuffix(const std::string& suffix)
{
    suffix_ = suffix;
    SetValueQuiet(value_);
}

void TNumberEdit::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TNumberEdit::RefreshText()
{
    const std::string number = platform::FloatToStr(static_cast<double>(value_) / scale_);
    edit_->setText(platform::ToQString(edit_->hasFocus() ? number : prefix_ + number + suffix_));
}

void TNumberEdit::EditExit() { SetValue(ParseScaled(platform::FromQString(edit_->text()), scale_)); }

double TNumberEdit::ParseText(const std::string& text)
{
    const std::string kept = KeptText(text);
    if (!HasDigit(kept))
        return 0;
    std::size_t used = 0;
    return platform::ReadFloatPrefix(kept, used);
}

int TNumberEdit::ParseScaled(const std::string& text, int scale)
{
    const std::string kept = KeptText(text);
    if (!HasDigit(kept))
        return 0;
    // All digits as one integer N with k of them after the point: the result is N × scale / 10^k.
    const bool negative = kept[0] == '-';
    __int128 digits = 0;
    __int128 divisor = 1;
    bool point = false;
    int significant = 0;
    for (char c : kept) {
        if (c == '.') {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (significant >= 27)   // beyond any int: the double path below saturates
                return ClampToInt(ParseText(text) * scale);
            if (digits != 0 || c != '0')
                ++significant;
            digits = digits * 10 + (c - '0');
            if (point) {
                divisor *= 10;
                if (divisor > static_cast<__int128>(1) << 100)
                    return ClampToInt(ParseText(text) * scale);
            }
        }
    }
    __int128 result = digits * scale / divisor;
    if (negative)
        result = -result;
    if (result > INT_MAX)
        return INT_MAX;
    if (result < INT_MIN)
        return INT_MIN;
    return static_cast<int>(result);
}

bool TNumberEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_) {
        switch (event->type()) {
        case QEvent::FocusIn:
            RefreshText();
            break;
        case QEvent::FocusOut:
            EditExit();
            break;
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !edit_->text().isEmpty())
                EditExit();
            // A character the number cannot take is refused; the text stays as it was.
            if (IsTyping(*key) && !edit_->isReadOnly() && !AddsToNumber(*edit_, key->text()))
                return true;
            break;
        }
        case QEvent::InputMethod: {
            const auto* input = static_cast<QInputMethodEvent*>(event);
            if (!input->commitString().isEmpty() && !AddsToNumber(*edit_, input->commitString())) {
                // The composition ends without inserting anything.
                QInputMethodEvent nothing;
                QCoreApplication::sendEvent(edit_, &nothing);
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
