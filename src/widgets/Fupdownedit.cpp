#include "widgets/Fupdownedit.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>
#include <functional>

// The two arrows, painted: a press steps at once and starts repeating (400 ms, then every
// 50 ms); the release stops it.
class TUpDownArrows : public QWidget {
public:
    explicit TUpDownArrows(QWidget* parent) : QWidget(parent), timer_(new QTimer(this))
    {
        setObjectName("UpDown");
        setFixedWidth(16);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        connect(timer_, &QTimer::timeout, this, [this] {
            timer_->setInterval(50);
            if (OnStep)
                OnStep(pressedDown_);
        });
    }

    std::function<void(bool down)> OnStep;
    std::function<void()> OnRelease;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || pressed_)
            return;
        pressed_ = true;
        pressedDown_ = event->position().y() >= height() / 2;
        update();
        timer_->start(400);
        if (OnStep)
            OnStep(pressedDown_);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !pressed_)
            return;
        pressed_ = false;
        timer_->stop();
        update();
        if (OnRelease)
            OnRelease();
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int half = height() / 2;
        const QRect parts[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
        for (int i = 0; i < 2; ++i) {
            QStyleOptionButton button;
            button.initFrom(this);
            button.rect = parts[i];
            const bool sunken = pressed_ && pressedDown_ == (i == 1);
            button.state |= sunken ? QStyle::State_Sunken : QStyle::State_Raised;
            style()->drawControl(QStyle::CE_PushButtonBevel, &button, &painter, this);
            QStyleOption arrow;
            arrow.initFrom(this);
            arrow.rect = parts[i].adjusted(3, 2, -3, -2);
            style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
                                   &painter, this);
        }
    }

private:
    QTimer* timer_;
    bool pressed_ = false;
    bool pressedDown_ = false;
};

TUpDownEdit::TUpDownEdit(QWidget* owner) : TNumberEdit(owner)
{
    setObjectName("UpDownEdit");
    upDown_ = new TUpDownArrows(this);
    layout()->addWidget(upDown_);
    upDown_->OnStep = [this](bool down) { UpDownChangingEx(down); };
    upDown_->OnRelease = [this] { UpDownMouseUp(); };
}

TUpDownEdit::~TUpDownEdit() = default;

QWidget* TUpDownEdit::GetUpDown() const { return upDown_; }

int TUpDownEdit::Limited(int value, bool quiet) const
{
    if (limitType_ == 0)
        return value;
    if (max_ != min_)
        return std::clamp(value, std::min(min_, max_), std::max(min_, max_));
    switch (limitType_) {
    case 1: {
        const int lower = quiet ? 0 : min_;
        return value < lower ? lower : value;
    }
    case 2: {
        const int upper = quiet ? 0 : max_;
        return value > upper ? upper : value;
    }
    default:
        return min_;
    }
}

void TUpDownEdit::SetValue(int value) { TNumberEdit::SetValue(Limited(value, false)); }
void TUpDownEdit::SetValueQuiet(int value) { TNumberEdit::SetValueQuiet(Limited(value, true)); }

void TUpDownEdit::SetLimitType(int type)
{
    limitType_ = type;
    min_ = 0;
    max_ = 0;
    SetValueQuiet(0);
}

void TUpDownEdit::SetRange(int min, int max)
{
    min_ = min;
    max_ = max;
    SetValueQuiet(value_);
}

void TUpDownEdit::Step()
{
    // Wide arithmetic: a step past the end of int stays at the end.
    const long long next = static_cast<long long>(value_) + (stepDown_ ? -GetScale() : GetScale());
    SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

void TUpDownEdit::UpDownChangingEx(bool down)
{
    stepDown_ = down;
    buttonHeld_ = true;
    Step();
}

void TUpDownEdit::UpDownMouseUp()
{
    buttonHeld_ = false;
    DoChange();
}

void TUpDownEdit::DoChange()
{
    if (!buttonHeld_)
        TNumberEdit::DoChange();
}
