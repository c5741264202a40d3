#pragma once
// TSteadyScrollBar: a scroll bar that repaints on a change of its range, value or steps only what
// it shows anew: nothing while the slider keeps its pixels (a view whose range grows by a row),
// the old and new places of the slider when only the slider moves, else the whole bar. The new
// place is marked when the window is about to paint: a slider moved several times between two
// paints repaints the place it left and the place it took, not the places it passed. Where the
// style fills the whole bar (Fusion, scroll bars not transient) it is opaque: a repaint of the bar
// paints nothing of the widgets behind it; and its contents are static: made longer or shorter with
// the slider in place (a view shortened by a panel shown below it), it repaints its far end only.
// Painted whole while idle (shown again, not under the mouse), it takes the pixels of its last
// drawing in the same state from the pixmap cache: the style's fills of a long bar are costly.
//
// TSteadyTreeWidget: a tree widget with the steady bar as its vertical bar. QTreeView repaints its
// whole vertical bar when it scrolls by more than a page; this tree leaves that to the bar, which
// has marked what its slider moved before the view scrolls.
#include <QPointer>
#include <QRect>
#include <QScrollBar>
#include <QTreeWidget>

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
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    // The slider's place with the few pixels its style draws around it.
    QRect Around(const QRect& slider) const;
    // Marks the slider's present place, when one waits to be marked.
    void MarkPending();

    TShown painted_;
    bool hasPainted_ = false;
    int paints_ = 0;
    int draws_ = 0;
    // The window watched for its next paint while the slider's new place waits to be marked.
    QPointer<QWidget> watched_;
};

class TSteadyTreeWidget : public QTreeWidget {
public:
    explicit TSteadyTreeWidget(QWidget* parent = nullptr);

protected:
    void scrollContentsBy(int dx, int dy) override;
};
