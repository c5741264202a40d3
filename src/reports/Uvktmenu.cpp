#include "reports/Uvktmenu.h"

#include "layout/Ugraphiccontainer.h"
#include "layout/Uimagecontainer.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktgridcontainer.h"

TVktMenu::TVktMenu() : TVktCardTemplate(ctVktMenu) {}

int TVktMenu::BandHeight(int rows) const
{
    const int h = GetRowHeight();
    const int w = Item() ? Item()->GetLineWidth() : 0;
    return (h * rows + (rows + 1) * w) * 10;
}

TGraphicContainer* TVktMenu::Frame(const char* name) const { return Child<TGraphicContainer>(name, 4); }

TImageContainer* TVktMenu::Image() const { return Child<TImageContainer>("Image", 5); }

void TVktMenu::SetRowHeight(int height)
{
    InItemsUpdate([&] {
        ForGrids(kCardGrids, [&](TVktGridContainer& grid) { grid.SetRowHeight(height); });
        FitBands();
    });
}

int TVktMenu::GetFrameType() const { return Frame("Graphic1") ? Frame("Graphic1")->GetGraphicType() : 0; }

void TVktMenu::SetFrameType(int type)
{
    for (const char* name : {"Graphic1", "Graphic2"})
        if (TGraphicContainer* frame = Frame(name)) frame->SetGraphicType(type);
}

int TVktMenu::GetImageType() const { return Image() ? Image()->GetDrawType() : idtStretch; }

void TVktMenu::SetImageType(int type)
{
    if (Image()) Image()->SetDrawType(type);
}

int TVktMenu::GetFrameRound() const { return Frame("Graphic1") ? Frame("Graphic1")->GetRoundSize().X : 0; }

void TVktMenu::SetFrameRound(int size)
{
    if (TGraphicContainer* outer = Frame("Graphic1")) outer->SetRoundSize({size, size});
    TGraphicContainer* inner = Frame("Graphic2");
    if (!inner || !inner->GetViewItem()) return;
    const int inset = inner->GetViewItem()->GetMMMarginRect_().Top / 10;
    inner->SetRoundSize({size - inset, size - inset});
}

bool TVktMenu::GetImageEnabled() const { return Image() && Image()->GetViewItem()->GetExpanded(); }

void TVktMenu::SetImageEnabled(bool value)
{
    if (Image()) Image()->GetViewItem()->SetExpanded(value);
}

bool TVktMenu::GetImageTrim() const { return Image() && Image()->GetTrimming(); }

void TVktMenu::SetImageTrim(bool value)
{
    if (Image()) Image()->SetTrimming(value);
}

TColor TVktMenu::GetFrameColor() const { return Frame("Graphic1") ? Frame("Graphic1")->GetPenColor() : 0; }

void TVktMenu::SetFrameColor(TColor color)
{
    for (const char* name : {"Graphic1", "Graphic2"})
        if (TGraphicContainer* frame = Frame(name)) frame->SetPenColor(color);
}

std::string TVktMenu::GetImageData() const
{
    TImageContainer* image = Image();
    return image && image->GetItemCount() > 0 ? image->GetImageData(0) : std::string();
}

void TVktMenu::LoadFromFile(const std::string& fileName)
{
    TImageContainer* image = Image();
    if (!image) return;
    image->BeginUpdate();
    image->Clear();
    image->AddFile(fileName);
    image->EndUpdate();
}
