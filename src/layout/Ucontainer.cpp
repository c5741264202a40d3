#include "layout/Ucontainer.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 5> kFontAttributes{"ParentFont", "FontName", "FontSize", "FontStyles",
                                                          "FontColor"};
constexpr std::array<std::string_view, 11> kItemAttributes{
    "Name", "Expanded", "Align", "AlignSize", "AlignRate", "BoundRect",
    "MMBoundRect", "MarginRect", "MMMarginRect", "Options", "DrawPageType"};

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

int ReadIntAttribute(const platform::XmlNode& node, const char* name, int absent)
{
    return node.HasAttribute(name) ? node.GetIntAttribute(name) : absent;
}

bool ReadBoolAttribute(const platform::XmlNode& node, const char* name, bool absent)
{
    return node.HasAttribute(name) ? node.GetBoolAttribute(name) : absent;
}

TContainer* ContainerOf(const TTreeItem* item) { return item ? dynamic_cast<TContainer*>(item->GetObject()) : nullptr; }

TContainer::TContainer() = default;

TContainer::TContainer(int type) : type_(type) {}

TContainer::~TContainer() { destroying_ = true; }

int TContainer::GetPageMax() { return 1; }

void TContainer::SetViewItem(TViewItem* item)
{
    viewItem_ = item;
    if (item && GetParentFont())
        CopyParentFont();
    Change();
}

void TContainer::DoChange() {}

void TContainer::CopyParentFont()
{
    const TContainer* parent = GetParent();
    fontName_ = parent->GetFontName();
    fontSize_ = parent->GetFontSize();
    fontStyles_ = parent->GetFontStyles();
    fontColor_ = parent->GetFontColor();
}

void TContainer::FontChange()
{
    if (GetParentFont())
        CopyParentFont();
    if (viewItem_)
        for (int i = 0; i < viewItem_->GetCountOfChildren(); ++i) {
            TContainer* child = ContainerOf(viewItem_->GetItem(i));
            if (child && child->GetParentFont())
                child->FontChange();
        }
    Change();
}

void TContainer::DoFont(std::string& name, int& size)
{
    name = GetFontName();
    size = GetFontSize();
}

void TContainer::ChangeRect(TRect&, bool) {}

void TContainer::ChangeSlaveRect(TViewItem*, TRect&, bool) {}

void TContainer::Draw(int, int, TRect, int, platform::Canvas&, int, int, bool) {}

bool TContainer::ChangedAreas(TRect, int, int, std::vector<TRect>&) { return false; }

void TContainer::PlayPictures(int, std::vector<std::shared_ptr<const platform::MetafilePlay>>&) {}

// ---- change batching -----------------------------------------------------------------------------

void TContainer::Change()
{
    changed_ = true;
    ++revision_;
    Update();
}

void TContainer::BeginUpdate() { ++updateCount_; }

void TContainer::EndUpdate()
{
    --updateCount_;
    Update();
}

void TContainer::Update()
{
    if (updating_ || destroying_ || !changed_ || updateCount_ != 0)
        return;
    updating_ = true;
    changed_ = false;
    try {
        if (!loading_) {
            DoChange();
            if (viewItem_)
                viewItem_->Change();
        }
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

// ---- font ----------------------------------------------------------------------------------------

TContainer* TContainer::GetParent() const
{
    return viewItem_ ? ContainerOf(viewItem_->GetParent()) : nullptr;
}

bool TContainer::GetParentFont() const { return GetParent() ? parentFont_ : false; }

void TContainer::SetParentFont(bool value)
{
    if (value == GetParentFont())
        return;
    parentFont_ = value;
    FontChange();
}

std::string TContainer::GetFontName() const { return GetParentFont() ? GetParent()->GetFontName() : fontName_; }
int TContainer::GetFontSize() const { return GetParentFont() ? GetParent()->GetFontSize() : fontSize_; }
TFontStyles TContainer::GetFontStyles() const { return GetParentFont() ? GetParent()->GetFontStyles() : fontStyles_; }
TColor TContainer::GetFontColor() const { return GetParentFont() ? GetParent()->GetFontColor() : fontColor_; }

void TContainer::SetFontName(const std::string& name)
{
    if (name == GetFontName())
        return;
    parentFont_ = false;
    fontName_ = name;
    FontChange();
}

void TContainer::SetFontSize(int size)
{
    if (size == GetFontSize())
        return;
    parentFont_ = false;
    fontSize_ = size;
    FontChange();
}

void TContainer::SetFontStyles(TFontStyles styles)
{
    if (styles == GetFontStyles())
        return;
    parentFont_ = false;
    fontStyles_ = styles;
    FontChange();
}

void TContainer::SetFontColor(TColor color)
{
    if (color == GetFontColor())
        return;
    parentFont_ = false;
    fontColor_ = color;
    FontChange();
}

void TContainer::SetFont(const std::string& name, int size, TColor color, TFontStyles styles)
{
    if (name == GetFontName() && size == GetFontSize() && color == GetFontColor() && styles == GetFontStyles())
        return;
    parentFont_ = false;
    fontName_ = name;
    fontSize_ = size;
    fontColor_ = color;
    fontStyles_ = styles;
    FontChange();
}

TFontStruct TContainer::GetFontStruct() const
{
    TFontStruct font;
    font.Name = GetFontName();
    font.Size = GetFontSize();
    font.Style = GetFontStyles();
    font.Color = GetFontColor();
    return font;
}

TContainer* TContainer::GetItemOfName(const std::string& name) const
{
    if (!viewItem_ || !viewItem_->GetOwner())
        return nullptr;
    return ContainerOf(viewItem_->GetOwner()->ItemOfName(name));
}

// ---- layout file ---------------------------------------------------------------------------------

void TContainer::SaveToXml(const platform::XmlNode& node)
{
    if (GetParentFont())
        return;
    node.SetBoolAttribute("ParentFont", false);
    node.SetAttribute("FontName", GetFontName());
    node.SetIntAttribute("FontSize", GetFontSize());
    node.SetAttribute("FontStyles", FontStylesToString(GetFontStyles()));
    node.SetIntAttribute("FontColor", GetFontColor());
}

void TContainer::LoadFromXml(const platform::XmlNode& node)
{
    const bool own = node.HasAttribute("ParentFont");
    parentFont_ = !own;
    if (GetParentFont())
        return;
    // A top-level element without its own font attributes keeps the defaults.
    if (!own && !node.HasAttribute("FontSize"))
        return;
    fontName_ = node.GetAttribute("FontName");
    fontSize_ = node.GetIntAttribute("FontSize");
    fontStyles_ = FontStylesFromString(node.GetAttribute("FontStyles"));
    SetFontColor(node.GetIntAttribute("FontColor"));
}

// ---- unknown type --------------------------------------------------------------------------------

TNullContainer::TNullContainer() : TContainer(ctUnknown) {}

void TNullContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    // Only the first of a repeated name is kept: the one GetAttribute reads and SetAttribute writes.
    kept_.clear();
    for (auto& attribute : node.GetAttributes()) {
        const auto known = [&](const auto& k) { return k.first == attribute.first; };
        if (!IsOneOf(attribute.first, kItemAttributes) && std::none_of(kept_.begin(), kept_.end(), known))
            kept_.push_back(std::move(attribute));
    }
}

void TNullContainer::SaveToXml(const platform::XmlNode& node)
{
    // The kept attributes in their order; the font ones take the container's current values (or
    // are left out when it follows its parent), and font attributes not read before come last.
    platform::XmlDocument scratch;
    const platform::XmlNode font = scratch.CreateDocumentElement("Font");
    TContainer::SaveToXml(font);
    for (const auto& [name, value] : kept_) {
        if (!IsOneOf(name, kFontAttributes))
            node.SetAttribute(name, value);
        else if (font.HasAttribute(name))
            node.SetAttribute(name, font.GetAttribute(name));
    }
    for (const auto& [name, value] : font.GetAttributes())
        if (!node.HasAttribute(name))
            node.SetAttribute(name, value);
}
