#include "layout/Umemocontainer.h"

#include "richtext/Uextextdrawer.h"

#include <sstream>

TMemoContainer::TMemoContainer() : TContainer(ctMemo), drawer_(std::make_unique<TExTextDrawer>())
{
    drawer_->SetWordWrap(true);
    drawer_->Clear();
    richText_ = GetRichText();
    Revise();
}

TMemoContainer::TMemoContainer(int type) : TContainer(type), drawer_(std::make_unique<TExTextDrawer>())
{
    drawer_->SetWordWrap(true);
    drawer_->SetMultiPage(true);
    drawer_->Clear();
    richText_ = GetRichText();
    Revise();
}

TMemoContainer::~TMemoContainer() = default;

void TMemoContainer::Revise()
{
    static int last = 0;
    revision_ = ++last;
}

std::string TMemoContainer::GetRichText()
{
    std::ostringstream out(std::ios::binary);
    SaveToStream(out);
    return out.str();
}

void TMemoContainer::SetRichText(const std::string& value)
{
    if (value == richText_)
        return;
    if (!value.empty()) {
        richText_ = value;
        std::istringstream in(value, std::ios::binary);
        LoadFromStream(in);
        return;
    }
    drawer_->Clear();
    richText_ = GetRichText();
    Revise();
}

void TMemoContainer::SaveToStream(std::ostream& stream) { drawer_->SaveToStream(stream, kExStreamRich); }

void TMemoContainer::LoadFromStream(std::istream& stream)
{
    drawer_->LoadFromStream(stream, kExStreamRich);
    Revise();
    BeginUpdate();
    const TExStyle normal = drawer_->GetStyles().GetStyle(0);
    TFontStyles styles;
    if (normal.Bold == 1)
        styles << fsBold;
    if (normal.Italic == 1)
        styles << fsItalic;
    if (normal.Underline > 0 && normal.Underline != TExStyle::kUnsetFlag)
        styles << fsUnderline;
    if (normal.Strike > 0 && normal.Strike != TExStyle::kUnsetFlag)
        styles << fsStrikeOut;
    // A style without a font or size keeps the container's.
    const std::string name = drawer_->GetFonts().GetName(normal.DBFont);
    SetFont(name.empty() ? GetFontName() : name, normal.Size > 0 ? normal.Size : GetFontSize(),
            drawer_->GetColors().GetColor(normal.Color), styles);
    Change();
    EndUpdate();
}

int TMemoContainer::GetPageMax() { return drawer_->GetPageCount(); }

void TMemoContainer::SetViewItem(TViewItem* item)
{
    TContainer::SetViewItem(item);
    // The content area, as the item's later rectangle changes give it.
    if (item) {
        const TRect content = item->GetTrueRect_();
        drawer_->SetWrapSize(content.Width(), content.Height());
    }
}

void TMemoContainer::FontChange()
{
    BeginUpdate();
    TContainer::FontChange();
    const std::string name = GetFontName();
    TFontAttributes& fonts = drawer_->GetFonts();
    const int entry = fonts.IndexOfFont(name);
    const int charset = fonts.GetCharset(entry);
    const int family = fonts.GetFamily(entry);
    TExStyle normal = drawer_->GetStyles().GetStyle(0);
    normal.DBFont = fonts.IndexOfFont(name, 128, family);
    normal.HighFont = fonts.IndexOfFont(name, 0, family);
    normal.LowFont = fonts.IndexOfFont(name, charset, family);
    normal.Size = GetFontSize();
    normal.Color = drawer_->GetColorIndex(GetFontColor());
    const TFontStyles styles = GetFontStyles();
    normal.Bold = styles.Contains(fsBold) ? 1 : 0;
    normal.Italic = styles.Contains(fsItalic) ? 1 : 0;
    normal.Underline = styles.Contains(fsUnderline) ? 1 : 0;
    normal.Strike = styles.Contains(fsStrikeOut) ? 1 : 0;
    drawer_->GetStyles().SetStyle(0, normal);
    Revise();
    Change();
    EndUpdate();
}

void TMemoContainer::ChangeRect(TRect& rect, bool mm)
{
    if (!mm)
        drawer_->SetWrapSize(rect.Width(), rect.Height());
}

void TMemoContainer::Draw(int offsetX, int offsetY, TRect rect, int, platform::Canvas& canvas, int page, int,
                          bool)
{
    if (!GetViewItem() || page > GetPageMax())
        return;
    const TLineInfo top = drawer_->PositionToLineInfo(drawer_->PageToCaret(page - 1) + 1);
    drawer_->DrawTextA(&canvas, GetViewItem()->GetTrueRect_(), rect, offsetX, offsetY, top, TSelectInfo(), true);
}

void TMemoContainer::SaveToXml(const platform::XmlNode& node)
{
    TContainer::SaveToXml(node);
    if (GetType() == ctMemo)
        node.SetAttribute("RichText", GetRichText());
}

void TMemoContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    // The attribute holds characters; a hand-edited one may hold non-ASCII ones the RTF did not escape.
    if (GetType() == ctMemo)
        SetRichText(node.HasAttribute("RichText") ? RTBytesOfText(node.GetAttribute("RichText")) : std::string());
}
