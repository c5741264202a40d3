#include "gui/Anchors.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// One per anchoring parent: the anchored children with their distances at anchoring time.
class AnchorKeeper : public QObject {
public:
    explicit AnchorKeeper(QWidget& parent) : QObject(&parent), parent_(parent)
    {
        parent.installEventFilter(this);
    }

    void Set(QWidget& control, AnchorSides sides)
    {
        const QRect g = control.geometry();
        Entry entry{&control, sides, g.left(), g.top(), parent_.width() - g.right() - 1,
                    parent_.height() - g.bottom() - 1, g.width(), g.height()};
        for (auto& e : entries_) {
            if (e.control == &control) {
                e = entry;
                return;
            }
        }
        entries_.push_back(entry);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &parent_ && event->type() == QEvent::Resize) Apply();
        return false;
    }

private:
    struct Entry {
        QPointer<QWidget> control;
        AnchorSides sides;
        int left, top, right, bottom, width, height;
    };

    // Start and length on one axis: both sides stretch, the far side alone moves.
    static void Place(bool nearSide, bool farSide, int nearGap, int farGap, int length, int extent,
                      int& start, int& size)
    {
        size = length;
        start = nearGap;
        if (farSide && nearSide) size = std::max(0, extent - nearGap - farGap);
        else if (farSide) start = extent - farGap - length;
    }

    void Apply()
    {
        std::erase_if(entries_, [this](const Entry& e) { return !e.control || e.control->parentWidget() != &parent_; });
        for (const auto& e : entries_) {
            int x = 0, y = 0, w = 0, h = 0;
            Place(e.sides.testFlag(AnchorSide::Left), e.sides.testFlag(AnchorSide::Right), e.left, e.right, e.width,
                  parent_.width(), x, w);
            Place(e.sides.testFlag(AnchorSide::Top), e.sides.testFlag(AnchorSide::Bottom), e.top, e.bottom, e.height,
                  parent_.height(), y, h);
            e.control->setGeometry(x, y, w, h);
        }
    }

    QWidget& parent_;
    std::vector<Entry> entries_;
};

} // namespace

void Anchor(QWidget& control, AnchorSides sides)
{
    QWidget* parent = control.parentWidget();
    if (!parent) return;
    AnchorKeeper* keeper = nullptr;
    for (QObject* child : parent->children()) {
        if ((keeper = dynamic_cast<AnchorKeeper*>(child))) break;
    }
    if (!keeper) keeper = new AnchorKeeper(*parent);
    keeper->Set(control, sides);
}

} // namespace platform
