#pragma once
// A number field with up and down arrows that step by one shown unit, and optional limits.
// Holding an arrow repeats the step and fires one change, when it is released.
#include "widgets/Fnumberedit.h"

class TUpDownArrows;

class TUpDownEdit : public TNumberEdit {
    Q_OBJECT
public:
    explicit TUpDownEdit(QWidget* owner = nullptr);
    ~TUpDownEdit() override;

    void SetValue(int value) override;
    void SetValueQuiet(int value) override;

    // 0 none, 1 lower, 2 upper, 3 both; clears both limits and the value.
    int GetLimitType() const { return limitType_; }
    void SetLimitType(int type);
    int GetMin() const { return min_; }
    int GetMax() const { return max_; }
    void SetRange(int min, int max);
    void SetMin(int min) { SetRange(min, max_); }
    void SetMax(int max) { SetRange(min_, max); }

    // The value after the limits: with Max ≠ Min every limit type but 0 clamps into [Min, Max];
    // with Max = Min type 1 raises values below it, type 2 lowers values above it and type 3
    // always gives Min. `quiet` uses 0 in place of the single limit of types 1 and 2.
    int Limited(int value, bool quiet) const;

    // An arrow (or key) pressed: the held flag is set and the value steps (down when `down`).
    void UpDownChangingEx(bool down);
    // The arrow (or key) released: the held flag is cleared and the one change fires.
    void UpDownMouseUp();
    bool GetButtonHeld() const { return buttonHeld_; }

    QWidget* GetUpDown() const;

protected:
    void DoChange() override;
    // Value ± Scale in the step direction.
    virtual void Step();

private:
    TUpDownArrows* upDown_ = nullptr;
    int limitType_ = 0;
    int max_ = 0;
    int min_ = 0;
    bool stepDown_ = false;
    bool buttonHeld_ = false;
};
