#include "reports/Fpreviewoperator.h"

#include "gui/Application.h"
#include "layout/Preview.h"
#include "widgets/Fscaleselecter.h"
#include "widgets/Fupdownedit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// The width of an up-down field whose edit shows `text` whole.
int TextRoom(const TUpDownEdit& field, const char* text)
{
    const QLineEdit* edit = field.GetEdit();
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    const QSize content(edit->fontMetrics().horizontalAdvance(QString::fromUtf8(text)) + 4, edit->fontMetrics().height());
    const QSize framed = edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, content, edit);
    const QMargins margins = edit->textMargins();
    return framed.width() + margins.left() + margins.right() + field.GetUpDown()->width();
}

} // namespace

TPreviewOperator::TPreviewOperator(QWidget* parent) : QWidget(parent)
{
    setObjectName("PreviewOperator");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    ScaleSelecter = new TScaleSelecter(this);
    ScaleSelecter->setObjectName("ScaleSelecter");
    // The zoom field as wide as its longest text needs; the page field takes the rest.
    ScaleSelecter->setFixedWidth(TextRoom(*ScaleSelecter->GetEdit(), "999.99%"));
    PageEdit = new TUpDownEdit(this);
    PageEdit->setObjectName("PageEdit");
    PageEdit->setMinimumWidth(TextRoom(*PageEdit, "999/999"));
    PageEdit->SetLimitType(3);
    PageEdit->SetRange(1, 1);
    PageEdit->SetValueQuiet(1);
    PageEdit->SetSuffix("/1");
    ScaleSelecter->GetEdit()->setAccessibleName(QStringLiteral("表示倍率"));
    PageEdit->setAccessibleName(QStringLiteral("ページ"));
    row->addWidget(ScaleSelecter, 1);
    row->addWidget(PageEdit);
    ScaleSelecter->OnChange = [this](QObject*) { Apply(); };
    PageEdit->OnChange = [this](QObject*) { Apply(); };
}

TPreviewOperator::~TPreviewOperator()
{
    if (preview_ && notifier_) preview_->DeleteActionNotifier(notifier_);
}

void TPreviewOperator::SetPreview(TPreview* preview)
{
    if (preview_ && notifier_) preview_->DeleteActionNotifier(notifier_);
    notifier_ = nullptr;
    ScaleSelecter->SetScaleMode(0);
    ScaleSelecter->SetScale(0);
    preview_ = preview;
    if (!preview) return;
    notifier_ = preview->AddActionNotifier(
        [this](TPreview*) { PreviewChangeView(); }, {}, {}, {},
        [this](TPreview*, TViewItem*, bool) { PreviewSelChange(); }, {},
        [this](TPreview*, TViewItem*) { PreviewSelChange(); });
    PreviewChangeView();
}

int TPreviewOperator::GetPage() const { return PageEdit->GetValue(); }
void TPreviewOperator::SetPage(int page) { PageEdit->SetValueQuiet(page); }
int TPreviewOperator::GetPageCount() const { return PageEdit->GetMax(); }

void TPreviewOperator::SetPageCount(int count)
{
    const int page = PageEdit->GetValue();
    PageEdit->SetRange(1, std::max(count, 1));
    PageEdit->SetSuffix("/" + std::to_string(PageEdit->GetMax()));
    PageEdit->SetValueQuiet(page);
}

int TPreviewOperator::GetViewType() const { return ScaleSelecter->GetScaleMode(); }
void TPreviewOperator::SetViewType(int type) { ScaleSelecter->SetScaleMode(type); }
int TPreviewOperator::GetScale() const { return ScaleSelecter->GetScale(); }
void TPreviewOperator::SetScale(int scale) { ScaleSelecter->SetScale(scale); }

void TPreviewOperator::Apply()
{
    if (!preview_) return;
    // Read both first: the page change's notice writes the document's view back into the strip.
    const int mode = ScaleSelecter->GetScaleMode();
    const int scale = ScaleSelecter->GetScale();
    preview_->SetPage(PageEdit->GetValue());
    switch (mode) {
    case 0: preview_->SetScale_(scale); break;
    case 1: preview_->DrawFullPage(); break;
    case 2: preview_->DrawFullWidth(); break;
    default: break;
    }
}

void TPreviewOperator::PreviewChangeView()
{
    if (!preview_) return;
    ScaleSelecter->SetScaleMode(preview_->GetViewType());
    ScaleSelecter->SetScale(preview_->GetScale_());
    PreviewSelChange();
}

void TPreviewOperator::PreviewSelChange()
{
    if (!preview_) return;
    SetPageCount(preview_->GetPageMax());
    PageEdit->SetValueQuiet(preview_->GetPage());
}
