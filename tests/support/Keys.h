#pragma once
// Keys pressed on the focused widget, as the cook types them.
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <string>

namespace vkttest {

// Types the characters of `text` one key each.
inline void Type(const std::string& text)
{
    for (char c : text) QTest::keyClick(QApplication::focusWidget(), c);
}

// Presses `key` (a Qt::Key) with `modifiers`.
inline void Key(int key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

} // namespace vkttest
