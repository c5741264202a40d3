#include "reports/Fpreviewproperty.h"

#include "gui/QtSupport.h"
#include "reports/Fpaperproperty.h"
#include "reports/Fprinterproperty.h"
#include "widgets/Upapernamelist.h"

#include <QGroupBox>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QGroupBox* Frame(QWidget* parent, const char* caption, QWidget* content)
{
    auto* group = new QGroupBox(platform::ToQString(caption), parent);
    auto* box = new QVBoxLayout(group);
    box->setContentsMargins(4, 4, 4, 4);
    content->setParent(group);
    box->addWidget(content);
    return group;
}

} // namespace

TPreviewProperty::TPreviewProperty(QWidget* parent) : QWidget(parent)
{
    setObjectName("PreviewProperty");
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    PageProperty = new QTabWidget(this);
    PageProperty->setObjectName("PageProperty");
    box->addWidget(PageProperty);
    ScrollBox1 = new QScrollArea;
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setFocusPolicy(Qt::NoFocus);   // its fields take the keys, and scroll it into view
    TabSheet1 = ScrollBox1;
    PageProperty->addTab(ScrollBox1, platform::ToQString("プリンターと用紙"));
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    PrinterProperty = new TPrinterProperty;
    PaperProperty = new TPaperProperty;
    column->addWidget(Frame(content, "印刷する用紙", PrinterProperty));
    column->addWidget(Frame(content, "編集する用紙", PaperProperty));
    column->addStretch(1);
    ScrollBox1->setWidget(content);
    PaperProperty->OnChange = [this](QObject*) { PaperPropertyChange(); };
}

void TPreviewProperty::SetPreview(TPreview* preview)
{
    preview_ = preview;
    if (!preview) return;
    const int paper = preview->GetPaperType();
    PaperProperty->SetPaperType(paper);
    PaperProperty->SetOrientation(preview->GetOrientation());
    // The user-defined paper's size is the document's own.
    if (paper == kUserPaperID) PaperProperty->SetPaperSize(preview->GetMMCanvasSize_());
    const TRect m = preview->GetMMMargin_();
    PaperProperty->SetMargins(m.Left, m.Top, m.Right, m.Bottom);
}

void TPreviewProperty::PaperPropertyChange()
{
    if (!preview_) return;
    const TViewItemsUpdate update(*preview_->GetItems());
    preview_->SetPaperType(PaperProperty->GetPaperType());
    if (preview_->GetPaperType() == kUserPaperID)
        preview_->SetMMCanvasSize_(PaperProperty->GetPaperSize());
    else
        preview_->SetOrientation(PaperProperty->GetOrientation());
    preview_->SetMMMargin_(PaperProperty->GetMargins());
}
