#pragma once
// A widget's named child of a type, the test failing where there is none.
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace vkttest {

template <typename T>
T* Child(QWidget* parent, const char* name)
{
    auto* child = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

} // namespace vkttest
