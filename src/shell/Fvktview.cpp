#include "shell/Fvktview.h"

#include "database/Uvktobject.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "reports/Fvktpreview.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdatalistview.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Finventoryview.h"
#include "shell/Fvktpanel.h"
#include "shell/Mvktcommandmodule.h"
#include "widgets/Mvktmodule.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

// The widest count panel 1 shows whole: six digits each side.
constexpr const char* kWidestCount = "000000/000000";

// An owner-drawn panel of the status bar, `width` wide or as wide as `widest` needs in its font.
class TStatusPanel : public QWidget {
public:
    TStatusPanel(QWidget* parent, int width, std::function<void(QPainter&, const QRect&)> draw,
                 QString widest = {})
        : QWidget(parent), width_(width), widest_(std::move(widest)), draw_(std::move(draw))
    {
        Measure();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        draw_(painter, rect());
    }
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange) Measure();
        QWidget::changeEvent(event);
    }

private:
    void Measure()
    {
        // The text 3 pixels in from the frame, the 16-pixel images 2 pixels in.
        const QFontMetrics metrics = fontMetrics();
        setFixedWidth(std::max(width_, widest_.isEmpty() ? 0 : metrics.horizontalAdvance(widest_) + 6));
        setMinimumHeight(std::max(metrics.height() + 6, 20));
    }

    int width_;
    QString widest_;
    std::function<void(QPainter&, const QRect&)> draw_;
};

QColor SysColor(platform::SystemColor color) { return platform::ToQColor(platform::GetSystemColor(color)); }

// A drawn panel reads what it shows.
void NameAsShown(QWidget* panel, const std::string& shown)
{
    const QString name = platform::ToQString(shown);
    if (panel->accessibleName() != name) panel->setAccessibleName(name);
}

// Panel 2's images by icon: the list and its index.
QPixmap StatusPixmap(const TVktPanel& panel, TVktView::TStatusIcon icon)
{
    const TVktCommandModule* module = VktCommandModule();
    switch (icon) {
    case TVktView::TStatusIcon::OtherRoot:
        if (const platform::IconList* images = panel.GetClassFilterView()->GetClassView()->GetImages())
            return images->Pixmap(1);
        return {};
    case TVktView::TStatusIcon::Inventory:
        return module ? module->GetImageList().Pixmap(29) : QPixmap();
    case TVktView::TStatusIcon::Filtered:
        return module ? module->GetFilterIcons().Pixmap(0) : QPixmap();
    case TVktView::TStatusIcon::Editing:
        return module ? module->GetImageList().Pixmap(35) : QPixmap();
    }
    return {};
}

} // namespace

TVktView::TVktView(QWidget* parent) : TVktForm(parent)
{
    auto* layout = new QVBoxLayout(GetClient());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    vktPanel_ = new TVktPanel(GetClient(), this);
    vktPanel_->setObjectName("VktPanel");
    layout->addWidget(vktPanel_, 1);

    QStatusBar* bar = GetStatusBar();
    bar->setSizeGripEnabled(false);
    panel0_ = new QLabel(bar);
    panel0_->setObjectName("StatusPanel0");
    panel1_ = new TStatusPanel(
        bar, kPanel1Width,
        [this](QPainter& p, const QRect& r) {
            DrawStatusPanel1(p, r);
            NameAsShown(panel1_, StatusCountText());
        },
        QString::fromLatin1(kWidestCount));
    panel1_->setObjectName("StatusPanel1");
    panel2_ = new TStatusPanel(bar, kPanel2Width, [this](QPainter& p, const QRect& r) { DrawStatusPanel2(p, r); });
    panel2_->setObjectName("StatusPanel2");
    bar->addWidget(panel0_, 1);
    bar->addPermanentWidget(panel1_);
    bar->addPermanentWidget(panel2_);

    vktPanel_->OnChange = [this](TVktPanel*) { UpdateStatusBar(); };
    GetEvents().OnRename = [this](TVktObject*) { DoRename(); };
    SetCaption(nullptr);
}

TVktView::~TVktView()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

void TVktView::SetCaption(const TVktObject* object)
{
    std::string caption = VktMdl()->GetProductName();
    if (object) caption += " [" + object->GetName() + "]" + (object->IsReadOnly() ? " (読み取り専用)" : "");
    setWindowTitle(platform::ToQString(caption));
}

void TVktView::DoAttach()
{
    UpdateStatusBar();
    SetCaption(GetDataObject());
}

void TVktView::DoDetach()
{
    UpdateStatusBar();
    SetCaption(nullptr);
}

void TVktView::DoRename()
{
    SetCaption(GetDataObject());
}

bool TVktView::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        panel0_->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return TVktForm::event(event);
}

void TVktView::UpdateStatusBar()
{
    NameAsShown(panel1_, StatusCountText());
    panel1_->update();
    panel2_->update();
}

std::string TVktView::StatusCountText() const
{
    if (!vktPanel_->GetSetupDone()) return "0/0";
    // The layout view lists the selection's records itself; none of them is marked there.
    if (vktPanel_->GetPreviewMode()) return "0/" + std::to_string(vktPanel_->GetPreview()->GetRecordCount());
    if (vktPanel_->GetInventoryMode()) {
        const TInvListView* list = vktPanel_->GetInventoryView()->GetInvListView();
        if (list->IsEmpty()) return "0/0";
        return "1/" + std::to_string(list->GetModel()->GetRowCount());
    }
    const TDataListView* list = vktPanel_->GetDataViewer()->GetDataView()->GetDataListView();
    return std::to_string(list->GetSelectedIDs().GetCount()) + "/" + std::to_string(list->GetRows().GetCount());
}

std::vector<TVktView::TStatusIcon> TVktView::StatusIcons() const
{
    std::vector<TStatusIcon> icons;
    if (!vktPanel_->GetSetupDone()) return icons;
    if (vktPanel_->GetVktObject() && vktPanel_->GetClassFilterView()->GetSelectedFamily() == -1)
        icons.push_back(TStatusIcon::OtherRoot);
    if (vktPanel_->GetInventoryMode()) icons.push_back(TStatusIcon::Inventory);
    if (vktPanel_->IsFiltered()) icons.push_back(TStatusIcon::Filtered);
    if (vktPanel_->IsEditing()) icons.push_back(TStatusIcon::Editing);
    return icons;
}

void TVktView::DrawStatusPanel1(QPainter& painter, const QRect& rect) const
{
    painter.fillRect(rect, SysColor(platform::SystemColor::BtnFace));
    const QRect frame = rect.adjusted(0, 0, -1, -1);
    painter.setPen(SysColor(platform::SystemColor::BtnShadow));
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(SysColor(platform::SystemColor::BtnHighlight));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
    painter.setPen(SysColor(platform::SystemColor::WindowText));
    painter.setFont(font());
    const QRect text = rect.adjusted(3, 3, 0, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, platform::ToQString(StatusCountText()));
}

void TVktView::DrawStatusPanel2(QPainter& painter, const QRect& rect) const
{
    painter.fillRect(rect, SysColor(platform::SystemColor::BtnFace));
    int x = rect.right() + 1 - 33;
    for (const TStatusIcon icon : StatusIcons()) {
        const QPixmap pixmap = StatusPixmap(*vktPanel_, icon);
        if (!pixmap.isNull()) painter.drawPixmap(x + 2, rect.top() + 2, pixmap);
        x -= 20;
    }
}
