#include "reports/Fmemoproperty.h"

#include "gui/Application.h"
#include "layout/Umemocontainer.h"
#include "richtext/Exview.h"
#include "richtext/Fexstylebar.h"

#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <sstream>

TMemoProperty::TMemoProperty(QWidget* parent) : TContainerProperty(parent)
{
    setObjectName("MemoProperty");
    SetPageType(ctMemo);
    QVBoxLayout* column = AddTab("メモ", "ScrollBox2");
    QWidget* tab = column->parentWidget();
    ExStyleBar = new TExStyleBar(tab);
    ExStyleBar->setObjectName("ExStyleBar");
    ExView = new TExView(tab);
    ExView->setObjectName("ExView");
    ExView->SetWordWrap(true);
    ExView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ExView->setMinimumHeight(160);
    column->addWidget(ExStyleBar);
    column->addWidget(ExView, 1);
    ExStyleBar->SetExView(ExView);
    ExView->OnChange = [this](TExView*) { platform::Guard([this] { ExViewChange(); }); };
    lastRichText_ = ViewRichText();
}

std::string TMemoProperty::ViewRichText() const
{
    std::ostringstream out(std::ios::binary);
    ExView->GetEditor()->SaveToRichStream(out);
    return out.str();
}

void TMemoProperty::ExViewChange()
{
    if (loading_) return;
    edited_ = true;
    ApplyAll();
}

void TMemoProperty::GetProperty(TContainer* container)
{
    auto* memo = dynamic_cast<TMemoContainer*>(container);
    if (!memo || GetPageType() != ctMemo) return;
    // The memo the view holds, unchanged since it was loaded or written: nothing to compare.
    if (memo->GetTextRevision() == viewRevision_) return;
    const std::string rich = memo->GetRichText();
    if (rich == lastRichText_) {
        viewRevision_ = memo->GetTextRevision();
        return;
    }
    const QScopedValueRollback<bool> loading(loading_, true);
    TExTextCommand* editor = ExView->GetEditor();
    std::istringstream in(rich, std::ios::binary);
    editor->BeginUpdate();
    try {
        editor->Clear();
        editor->LoadFromRichStream(in);
        editor->SetCaret(0);
    } catch (...) {
        editor->EndUpdate();
        throw;
    }
    editor->EndUpdate();
    editor->ClearHistory();
    lastRichText_ = rich;
    viewRevision_ = memo->GetTextRevision();
    edited_ = false;
}

void TMemoProperty::SetProperty(TContainer* container)
{
    auto* memo = dynamic_cast<TMemoContainer*>(container);
    if (!memo || loading_ || !edited_ || GetPageType() != ctMemo) return;
    memo->SetRichText(ViewRichText());
    // The memo writes the text its own way (its font taken into the first style), so the next show
    // knows it by its stamp; writing it as RTF per key would cost as much as reading it.
    viewRevision_ = memo->GetTextRevision();
    lastRichText_.clear();
    edited_ = false;
}
