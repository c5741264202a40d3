#include "widgets/Ueurocharbuilder.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Accent states by the character that chooses them.
int AccentState(char32_t c)
{
    switch (c) {
    case U'\'': return 2;
    case U'`': return 3;
    case U'^': return 4;
    case U'"': return 5;
    case U'a':
    case U'A': return 6;
    case U'o':
    case U'O': return 7;
    case U',': return 8;
    default: return 0;
    }
}

// The Windows-1252 codes 0x80 … 0x9F used here, as Unicode.
char32_t UnicodeOf(int code)
{
    switch (code) {
    case 0x8C: return U'\u0152';
    case 0x9C: return U'\u0153';
    default: return static_cast<char32_t>(code);
    }
}

} // namespace

TEuroCharBuilder::TEuroCharBuilder(QWidget* control) : QObject(control), control_(control)
{
    control_->installEventFilter(this);
}

TEuroCharBuilder::~TEuroCharBuilder() = default;

int TEuroCharBuilder::Compose(int accent, char32_t letter)
{
    const bool upper = letter >= U'A' && letter <= U'Z';
    const char32_t lower = upper ? letter + 0x20 : letter;
    static constexpr struct {
        char32_t letter;
        int codes[4];
    } kVowels[] = {
        {U'a', {0xE1, 0xE0, 0xE2, 0xE4}}, {U'e', {0xE9, 0xE8, 0xEA, 0xEB}}, {U'i', {0xED, 0xEC, 0xEE, 0xEF}},
        {U'o', {0xF3, 0xF2, 0xF4, 0xF6}}, {U'u', {0xFA, 0xF9, 0xFB, 0xFC}},
    };
    int code = 0;
    if (accent >= 0 && accent <= 3) {
        for (const auto& vowel : kVowels)
            if (vowel.letter == lower)
                code = vowel.codes[accent];
    } else if (accent == 4 && lower == U'e') {
        code = 0xE6;
    } else if (accent == 5 && lower == U'e') {
        code = 0x9C;
    } else if (accent == 6 && lower == U'c') {
        code = 0xE7;
    }
    if (code == 0 || !upper)
        return code;
    return code == 0x9C ? code - 0x10 : code - 0x20;
}

bool TEuroCharBuilder::Euro(int accent, char32_t letter)
{
    const int code = Compose(accent, letter);
    if (code == 0)
        return false;
    const char32_t unicode = UnicodeOf(code);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&unicode, 1));
    sending_ = true;
    QCoreApplication::sendEvent(control_, &press);
    sending_ = false;
    return true;
}

bool TEuroCharBuilder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != control_ || sending_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    if (state_ == 0) {
        const bool ctrl = mods & Qt::ControlModifier;
        const bool shift = mods & Qt::ShiftModifier;
        if (key->key() == Qt::Key_Plus && (mods & Qt::KeypadModifier) && ctrl == bool(buildState_ & bsCtrl) &&
            shift == bool(buildState_ & bsShift)) {
            state_ = 1;
            return true;
        }
        return false;
    }
    const QString text = key->text();
    // A key without a character (Shift or Ctrl alone) keeps the composer waiting.
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const char32_t c = text.toUcs4().value(0);
    if (state_ == 1) {
        state_ = AccentState(c);
        return state_ != 0;
    }
    const int accent = state_ - 2;
    state_ = 0;
    return Euro(accent, c);
}
