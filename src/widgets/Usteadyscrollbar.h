#pragma once
// TSteadyScrollBar: a scroll bar that repaints on a change of its range, value or steps only what
// it shows anew: nothing while the slider keeps its pixels (a view whose range grows by a row),
// the old and new places of the slider when only the slider moves, else the whole bar. The new
// place is marked when the window is about to paint: a slider moved several times between two
// paints repaints the place it left and the place it took, not the places it passed. Where the
// style fills the whole bar (Fusion, scroll bars not transient) it is opaque: a repaint of the bar
// paints nothing of the widgets behind it.
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

    // Paint events received (tests).
    int GetPaintCount() const { return paints_; }

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TShown {
        QRect slider;
        QRect groove;
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
    // The window watched for its next paint while the slider's new place waits to be marked.
    QPointer<QWidget> watched_;
};

class TSteadyTreeWidget : public QTreeWidget {
public:
    explicit TSteadyTreeWidget(QWidget* parent = nullptr);

protected:
    void scrollContentsBy(int dx, int dy) override;
};
