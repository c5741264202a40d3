#pragma once
// A control showing a rectangular document larger or smaller than its client area (the viewport):
// it keeps the document size and the scroll offset, drives the scroll bars, centres a document
// smaller than the client, debounces re-layout after resizes and hands painting, scrolling and
// focus changes to virtual operations.
//
// Scroll codes (Orientation 0 horizontal, 1 vertical): 0 line up/left, 1 line down/right, 2 page
// up/left, 3 page down/right, 4 thumb position (release), 5 thumb track, 6 top/left and 7
// bottom/right (no movement).
#include "platform/Color.h"

#include <QAbstractScrollArea>
#include <QFlags>

#include <functional>

class QTimer;

namespace platform {
class Canvas;
}

enum TSCOption { scoEraseBkGnd = 0x1, scoWantTabs = 0x2 };
Q_DECLARE_FLAGS(TSCOptions, TSCOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSCOptions)

enum TSCScrollStyle { scsNone, scsHorizontal, scsVertical, scsBoth };

class TScrollCanvas : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TScrollCanvas(QWidget* owner = nullptr);
    ~TScrollCanvas() override;

    int GetDocWidth() const { return docWidth_; }
    int GetDocHeight() const { return docHeight_; }
    void SetDocWidth(int width);
    void SetDocHeight(int height);
    void SetDocSize(int width, int height);
    // The document point shown at the client's top-left corner.
    int GetDocLeft() const { return docLeft_; }
    int GetDocTop() const { return docTop_; }
    void SetDocLeft(int x);
    void SetDocTop(int y);
    // Clamped into 0 … Doc − client; with the bar of a direction the scroll path runs (code 4).
    void SetDocPoint(int x, int y);

    // Line steps in pixels; 0 means a tenth of the client size.
    int GetHSmallChange() const { return hSmallChange_; }
    int GetVSmallChange() const { return vSmallChange_; }
    void SetHSmallChange(int pixels) { hSmallChange_ = pixels; }
    void SetVSmallChange(int pixels) { vSmallChange_ = pixels; }

    unsigned GetResizingDelay() const { return resizingDelay_; }
    void SetResizingDelay(unsigned milliseconds);
    bool GetResizeDelaying() const;

    platform::TColor GetColor() const { return color_; }
    void SetColor(platform::TColor color);
    TSCOptions GetOption() const { return option_; }
    void SetOption(TSCOptions option);
    TSCScrollStyle GetScrollStyle() const { return scrollStyle_; }
    void SetScrollStyle(TSCScrollStyle style);

    int GetClientWidth() const;
    int GetClientHeight() const;
    // The offsets the next paint hands to DoDraw (centred when the document is smaller).
    int GetXOffset() const;
    int GetYOffset() const;

    void ScrollBarSettings();
    void HScrollBarSettings();
    void VScrollBarSettings();

    std::function<void(TScrollCanvas* sender)> OnScroll;
    std::function<void(TScrollCanvas* sender, int orientation, int code, int& pos)> OnScrolled;
    std::function<void(TScrollCanvas* sender, platform::Canvas& canvas, int xOffset, int yOffset)> OnDraw;
    std::function<void(TScrollCanvas* sender)> OnShowCaret;
    std::function<void(TScrollCanvas* sender)> OnHideCaret;
    // Mouse presses that reach the control while it has the focus.
    std::function<void(TScrollCanvas* sender, QMouseEvent* event)> OnMouseDown;

    // The scroll path of one orientation and code (what the bars, the wheel and SetDocPoint run).
    void ScrollMessage(int orientation, int code);

protected:
    // Called when a resize has settled; subclasses re-lay out and set the document size here.
    virtual void Resizing() {}
    // Called with the computed and clamped position before it is stored; may change it.
    virtual void DoScrolled(int orientation, int code, int& pos);
    // Called after the new offset was stored and the bar updated, before the repaint.
    virtual void DoScroll();
    virtual void DoFocus(bool focused);
    // Document point (x, y) is drawn at client point (x − xOffset, y − yOffset).
    virtual void DoDraw(platform::Canvas& canvas, int xOffset, int yOffset);
    virtual void DoResizeDelay();
    // A press while focused (the first press into an unfocused control only focuses it).
    virtual void MouseDown(QMouseEvent* event);
    // True when everything DoDraw paints follows the document: a scroll step then moves the
    // client's pixels and repaints only the strip it exposes. False here: the whole client.
    virtual bool ScrollsPixels() const { return false; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

private:
    void BarAction(int orientation, int action);
    void ApplyStyle();
    void ApplyBar(int orientation);
    // Repaints the client at once after its contents moved by (dx, dy) pixels.
    void RepaintScrolled(int dx, int dy);

    QTimer* resizeTimer_ = nullptr;
    int docWidth_ = 0;
    int docHeight_ = 0;
    int docLeft_ = 0;
    int docTop_ = 0;
    int hSmallChange_ = 0;
    int vSmallChange_ = 0;
    unsigned resizingDelay_ = 0;
    platform::TColor color_;
    TSCOptions option_;
    TSCScrollStyle scrollStyle_ = scsNone;
    int wheelRemainder_ = 0;
};
