#pragma once
// Accented Latin letters typed on a Japanese keyboard: after the trigger (Ctrl + keypad plus by
// default) an accent character and then a letter, the control receives the accented letter as if
// it had been typed.
//
//   accent  '  acute   `  grave   ^  circumflex   "  diaeresis   a/A  æ   o/O  œ   ,  ç
//
// The composer is an event filter and a child of its control: it lives as long as the control.
#include <QFlags>
#include <QObject>

class QWidget;

enum TBuildStateFlag { bsShift = 0x1, bsCtrl = 0x2 };
Q_DECLARE_FLAGS(TBuildState, TBuildStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBuildState)

class TEuroCharBuilder : public QObject {
    Q_OBJECT
public:
    explicit TEuroCharBuilder(QWidget* control);
    ~TEuroCharBuilder() override;

    // Which of Shift and Ctrl must be held with the trigger key (and which must not).
    TBuildState GetBuildState() const { return buildState_; }
    void SetBuildState(TBuildState state) { buildState_ = state; }

    // 0 idle, 1 waiting for the accent, 2 to 8 waiting for the letter.
    int GetState() const { return state_; }

    // The Windows-1252 code of `letter` with accent 0 acute, 1 grave, 2 circumflex, 3 diaeresis,
    // 4 æ, 5 œ, 6 ç; 0 when the pair has none.
    static int Compose(int accent, char32_t letter);
    // Sends the composed letter to the control; false when the pair has none.
    bool Euro(int accent, char32_t letter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* control_;
    TBuildState buildState_ = bsCtrl;
    int state_ = 0;
    bool sending_ = false;
};
