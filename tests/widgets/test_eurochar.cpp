#include "widgets/Ueurocharbuilder.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <string>

namespace {

class EuroCharTest : public testing::Test {
protected:
    void SetUp() override
    {
        builder = new TEuroCharBuilder(&edit);
        edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
        edit.setFocus();
    }
    void Trigger(Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        QTest::keyClick(&edit, Qt::Key_Plus, mods | Qt::KeypadModifier);
    }
    // Types the characters as a keyboard would (Shift for capitals).
    void Type(const char* text)
    {
        for (const char* p = text; *p; ++p) {
            const char c = *p;
            const bool upper = c >= 'A' && c <= 'Z';
            QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key(QChar(c).toUpper().unicode()), QString(QChar(c)),
                                upper ? Qt::ShiftModifier : Qt::NoModifier);
        }
    }
    std::string Text() { return edit.text().toStdString(); }

    QLineEdit edit;
    TEuroCharBuilder* builder = nullptr;
};

TEST_F(EuroCharTest, SequencesComposeAccentedLetters)
{
    const struct {
        const char* keys;
        const char* typed;
    } cases[] = {
        {"'e", "é"}, {"'E", "É"}, {"`a", "à"}, {"^o", "ô"}, {"\"u", "ü"}, {"\"I", "Ï"},
        {"ae", "æ"}, {"AE", "Æ"}, {"oe", "œ"}, {"oE", "Œ"}, {",c", "ç"}, {",C", "Ç"},
        {",a", "a"}, {"'c", "c"}, {"ax", "x"}, {"x", "x"},   {"'y", "y"},
    };
    for (const auto& c : cases) {
        edit.clear();
        Trigger();
        Type(c.keys);
        EXPECT_EQ(Text(), c.typed) << c.keys;
        EXPECT_EQ(builder->GetState(), 0) << c.keys;
    }
}

TEST_F(EuroCharTest, TriggerNeedsExactlyTheBuildStateModifiers)
{
    Trigger(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(builder->GetState(), 0);
    edit.clear();
    Trigger(Qt::NoModifier);
    EXPECT_EQ(Text(), "+");
    EXPECT_EQ(builder->GetState(), 0);

    builder->SetBuildState(bsCtrl | bsShift);
    edit.clear();
    Trigger(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(builder->GetState(), 1);
    // Shift alone (no character) keeps the composer waiting.
    QTest::keyClick(&edit, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(builder->GetState(), 1);
    Type("'e");
    EXPECT_EQ(Text(), "é");
}

} // namespace
