#pragma once
// TPaneTabWidget: a tab widget that draws its pane's frame once per state and size and then takes
// it from the pixmap cache, laid down one rectangle of the paint region at a time. The style's
// frame (Fusion) has long translucent lines, and Qt's raster engine hands any such line of more
// than about a hundred pixels to its thread pool and waits for it, as it does any blend through a
// clip of several rectangles: the frame of a tall pane cost more than all the controls on it.
#include <QTabBar>
#include <QTabWidget>

// TKeptTabBar: a tab bar painted whole while idle (no pointer over it, no button down) is copied
// from the pixels kept of its drawing in the same state over the same pixels. QTabBar elides every
// caption, shaping it, on each paint: two thirds of a tab bar's paint.
class TKeptTabBar : public QTabBar {
public:
    explicit TKeptTabBar(QWidget* parent = nullptr) : QTabBar(parent) {}

    // Paints the bar's own drawing made (tests).
    int GetDrawCount() const { return draws_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString StateKey() const;

    int draws_ = 0;
};

class TPaneTabWidget : public QTabWidget {
public:
    explicit TPaneTabWidget(QWidget* parent = nullptr);

    // Drawings of the frame by the style (tests).
    int GetDrawCount() const { return draws_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int draws_ = 0;
};
