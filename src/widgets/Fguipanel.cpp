#include "widgets/Fguipanel.h"

#include "gui/Anchors.h"
#include "gui/KeptPixels.h"
#include "gui/PixmapKey.h"
#include "gui/QtSupport.h"
#include "gui/TabFocus.h"
#include "widgets/Mvktmodule.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleOptionFrame>

namespace {

constexpr int kPanelWidth = 235;
constexpr int kPanelHeight = 127;
constexpr int kDialogClientWidth = 441;
constexpr int kDialogClientHeight = 241;
constexpr int kDialogMinWidth = 449;
constexpr int kButtonWidth = 97;
constexpr int kButtonHeight = 20;
constexpr int kButtonTop = 216;

// A lowered line along the bottom edge of its box.
class BottomLine : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int y = height() - 2;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(0, y, width() - 1, y);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, y + 1, width() - 1, y + 1);
    }
};

TPanelOwner* NearestOwner(QObject* object)
{
    for (; object; object = object->parent()) {
        if (auto* owner = dynamic_cast<TPanelOwner*>(object)) return owner;
    }
    return nullptr;
}

} // namespace

// ===== TGuiPanel ======================================================================================

TGuiPanel::TGuiPanel(QWidget* parent, TPanelOwner* owner) : QFrame(parent)
{
    resize(kPanelWidth, kPanelHeight);
    SetPanelOwner(owner ? owner : NearestOwner(parent));
    UnbindOnNotice([this] { SetVktObject(nullptr); });
}

void TGuiPanel::paintEvent(QPaintEvent* event)
{
    // Through a clip of several rectangles Qt's raster engine blends span by span and hands long
    // spans to its thread pool; through one rectangle it draws the frame's lines directly. A panel
    // whose list shortens repaints its frame's four edges.
    // The style strokes a plain box pixel by pixel: each rectangle's pixels are kept and copied when
    // the same frame is painted there again over the same pixels (a list made lower and higher).
    // Only the band the frame's width takes along the edges is drawn: inside it the frame draws
    // nothing, and a part of the region can be most of the panel.
    if (frameShape() == QFrame::NoFrame) return;
    if (frameShape() == QFrame::WinPanel) {
        // Its corners are drawn differently through a clip rectangle.
        QFrame::paintEvent(event);
        return;
    }
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect outer = frameRect();
    const int width = frameWidth();
    const QRect inner = outer.adjusted(width, width, -width, -width);
    QRegion band(outer);
    if (inner.isValid()) band -= inner;
    QPainter painter(this);
    for (const QRect& part : event->region() & band) {
        const QString key = platform::PixmapKey(u"vkt-panelframe")
                                .Add(reinterpret_cast<quintptr>(style()))
                                .Add(option.state)
                                .Add(option.direction)
                                .AddRect(option.rect)
                                .Add(option.palette.cacheKey())
                                .Add(option.frameShape)
                                .Add(option.lineWidth)
                                .Add(option.midLineWidth)
                                .Add(option.features)
                                .AddRect(part)
                                .Get();
        const auto draw = [&](QPainter& onto) {
            onto.setClipRect(part);
            drawFrame(&onto);
        };
        if (!platform::DrawOverKept(painter, part, 0, key, draw)) {
            draw(painter);
            painter.setClipping(false);
        }
    }
}

TGuiPanel::~TGuiPanel()
{
    MarkDestroying();
    SetVktObject(nullptr);
    SetPanelOwner(nullptr);
}

void TGuiPanel::SetVktObject(TVktObject* obj)
{
    if (Bind(obj)) Changed();
}

void TGuiPanel::EndUpdate()
{
    if (updateLock_ > 0) --updateLock_;
    Flush();
}

void TGuiPanel::Changed()
{
    updatePending_ = true;
    Flush();
}

void TGuiPanel::Flush()
{
    if (!updatePending_ || updateLock_ != 0 || GetDestroying()) return;
    updatePending_ = false;
    DoUpdate();
}

void TGuiPanel::SetVisible(bool visible)
{
    setVisible(visible);
    Flush();
}

// ===== TVktDialog =====================================================================================

TVktDialog::TVktDialog(QWidget* parent) : TVktForm(parent)
{
    using platform::AnchorSide;
    QWidget* client = GetClient();
    client->resize(kDialogClientWidth, kDialogClientHeight);

    bevel_ = new BottomLine(client);
    bevel_->setObjectName("Bevel");
    bevel_->setGeometry(8, 200, 425, 10);

    appLabel_ = new QLabel(client);
    appLabel_->setObjectName("AppLabel");
    appLabel_->setFont(VktFormFont(true));
    appLabel_->setEnabled(false);
    appLabel_->setAutoFillBackground(true);   // interrupts the bevel line
    appLabel_->setText(platform::ToQString(" " + VktMdl()->GetProductName() + " "));
    // Left 16; the baseline 3 pixels above the buttons, where the design's 12-pixel font at top
    // 203 puts it (the installed face is taller).
    appLabel_->resize(appLabel_->sizeHint());
    appLabel_->move(16, kButtonTop - 3 - appLabel_->fontMetrics().ascent());

    const auto button = [&](const char* name, const char* caption, int left) {
        auto* b = new QPushButton(platform::ToQString(caption), client);
        b->setObjectName(name);
        b->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
        return b;
    };
    btnHelp_ = button("BtnHelp", "ヘルプ(&H)", 328);
    btnSetting_ = button("BtnSetting", "適用(&A)", 224);
    btnCancel_ = button("BtnCancel", "キャンセル", 120);
    btnOk_ = button("BtnOk", "OK", 16);
    btnOk_->setDefault(true);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    buttonRow_ = {btnOk_, btnCancel_, btnSetting_, btnHelp_};

    platform::Anchor(*bevel_, AnchorSide::Left | AnchorSide::Right | AnchorSide::Bottom);
    platform::Anchor(*appLabel_, AnchorSide::Left | AnchorSide::Bottom);
    for (QPushButton* b : {btnOk_, btnCancel_, btnSetting_, btnHelp_})
        platform::Anchor(*b, AnchorSide::Right | AnchorSide::Bottom);

    statusPanel_ = new QLabel(GetStatusBar());
    statusPanel_->setObjectName("StatusPanel0");
    GetStatusBar()->addWidget(statusPanel_, 1);
    GetStatusBar()->setSizeGripEnabled(false);   // the panel spans the whole line

    setMinimumWidth(kDialogMinWidth);
    resize(kDialogClientWidth, kDialogClientHeight + GetStatusBar()->sizeHint().height());
}

bool TVktDialog::event(QEvent* event)
{
    // Once built, before it is first shown: the subclass's controls come before the row.
    if (event->type() == QEvent::Polish) platform::TabChainLast(*this, buttonRow_);
    return TVktForm::event(event);
}
