#pragma once
// TSteadyScrollBar: a scroll bar that repaints on a change of its range, value or steps only what
// it shows anew: nothing while the slider keeps its pixels (a view whose range grows by a row),
// the old and new places of the slider when only the slider moves, else the whole bar. Where the
// style fills the whole bar (Fusion, scroll bars not transient) it is opaque: a repaint of the bar
// paints nothing of the widgets behind it; and its contents are static: made longer or shorter with
// the slider in place (a view shortened by a panel shown below it), it repaints its far end only.
// Painted whole while idle (shown again, not under the mouse), it takes the pixels of its last
// drawing in the same state from the pixmap cache: the style's fills of a long bar are costly.
#include <QRect>
#include <QScrollBar>

class TSteadyScrollBar : public QScrollBar {
public:
    explicit TSteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Paint events received; drawings of the bar by the style (tests).
    int GetPaintCount() const { return paints_; }
    int GetDrawCount() const { return draws_; }

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct TShown {
        QRect slider;
        QRect groove;
        QRect addLine;
        bool atMinimum = false;
        bool atMaximum = false;
        bool empty = false;
        bool operator==(const TShown&) const = default;
    };
    TShown Shown() const;
    void TakeStyle();

    TShown painted_;
    bool hasPainted_ = false;
    int paints_ = 0;
    int draws_ = 0;
};
