// TVktObject: the per-database settings it keeps (class icons, user filters, three column layouts),
// read on the first opening and stored when they change.
#include "database/Uvktobject.h"

#include "platform/FlagScope.h"

#include <filesystem>
#include <utility>

#include "core/Uvktsupport.h"
#include "platform/Files.h"
#include "platform/Jpeg.h"
#include "platform/Text.h"

namespace {

// The stored text of a section: a new document's root element, filled, as XML without a
// declaration.
template <typename Fill>
std::string SectionText(const std::string& element, Fill&& fill)
{
    platform::XmlDocument document;
    platform::XmlNode root = document.CreateDocumentElement(element);
    fill(root);
    return root.GetXml();
}

// The picture stretched onto a size × size picture (nearest pixel).
platform::Picture Stretch(const platform::Picture& source, int size)
{
    platform::Picture target(size, size);
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            target.SetPixel(x, y, source.GetPixel(x * width / size, y * height / size));
    return target;
}

} // namespace

// ---- Reading ----------------------------------------------------------------------------------------

void TVktObject::ReadSettings()
{
    TVktObjectFunctor& functor = *functor_;
    const std::string icons = functor.GetInitial("ClassIcon");
    const std::string filters = functor.GetInitial("Filter");
    const std::string viewFields = functor.GetInitial("ViewField");
    const std::string invViewFields = functor.GetInitial("InvViewField");
    const std::string itemViewFields = functor.GetInitial("ItemViewField");

    const std::string text = "<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?><Initial>\r\n" + icons + "\r\n" +
                             filters + "\r\n" + viewFields + invViewFields + itemViewFields + "\r\n</Initial>";
    platform::XmlDocument document;
    document.LoadFromString(text);
    const platform::XmlNode initial = document.GetDocumentNode().FindChild("Initial");

    // What was just read is not stored again.
    platform::FlagScope loading(loadingSettings_);
    LoadIcons(initial.FindChild("IconSet"));
    filterSet_->LoadFromXML(initial.FindChild("FilterSet"));
    // Each layout keeps the columns its list can show.
    viewFields_.LoadFromXml(initial.FindChild("ViewFields"), TVktTable::TblData);
    invViewFields_.LoadFromXml(initial.FindChild("InvViewFields"), TVktTable::TblInventory);
    itemViewFields_.LoadFromXml(initial.FindChild("ItemViewFields"), TVktTable::TblItem);
}

void TVktObject::StoreSetting(const std::string& setting, const std::string& text)
{
    if (readOnly_) throw platform::DatabaseError(ReadOnlyRefusal());
    BoundFunctor().StoreInitial(setting, text);
}

// ---- Column layouts ---------------------------------------------------------------------------------

void TVktObject::SaveLayout(TViewFieldStruct& target, const TViewFieldStruct& layout, const std::string& setting,
                            const std::string& element)
{
    if (!(layout != target)) return;
    // Built first: a layout that cannot be written is not taken. A read-only database keeps the
    // columns the cook arranges to read it for the session.
    const std::string text = SectionText(element, [&](platform::XmlNode root) { layout.SaveToXml(root); });
    if (!readOnly_) BoundFunctor().StoreInitial(setting, text);
    target = layout;
    DoViewFieldsChange();
}

void TVktObject::SaveViewFields(TViewFieldStruct layout)
{
    SaveLayout(viewFields_, layout, "ViewField", "ViewFields");
}

void TVktObject::SaveInvViewFields(TViewFieldStruct layout)
{
    SaveLayout(invViewFields_, layout, "InvViewField", "InvViewFields");
}

void TVktObject::SaveItemViewFields(TViewFieldStruct layout)
{
    SaveLayout(itemViewFields_, layout, "ItemViewField", "ItemViewFields");
}

// ---- User filters -----------------------------------------------------------------------------------

void TVktObject::SaveFilterSet()
{
    const std::string text = SectionText("FilterSet", [&](platform::XmlNode root) { filterSet_->SaveToXML(root); });
    StoreSetting("Filter", text);
    events_->FireFilterSetChange(this);
}

bool TVktObject::DeleteFilter(int index)
{
    if (index < 0 || index >= filterSet_->GetCount() || !MayChange()) return false;
    filterSet_->Delete(index);
    return true;
}

bool TVktObject::MoveFilter(int fromIndex, int toIndex)
{
    if (!MayChange()) return false;
    filterSet_->Move(fromIndex, toIndex);
    SaveFilterSet();
    return true;
}

// ---- Class icons ------------------------------------------------------------------------------------

void TVktObject::SaveIconSet()
{
    const std::string text = SectionText("IconSet", [&](platform::XmlNode root) { IconsToText(root); });
    StoreSetting("ClassIcon", text);
    events_->FireIconSetChange(this);
}

void TVktObject::LoadIcons(const platform::XmlNode& iconSet)
{
    // One store per image while refilling would rewrite the set again and again.
    platform::FlagScope loading(loadingSettings_);
    classIcons_->Clear();
    for (const platform::XmlNode& child : iconSet.GetChildren()) {
        if (child.GetName() != "Icon") continue;
        AddImages(*classIcons_, Base64ToBin(child.GetAttribute("Value")), kIconBackColor);
    }
}

void TVktObject::IconsToText(platform::XmlNode iconSet) const
{
    for (int i = 0; i < classIcons_->GetCount(); ++i) {
        platform::XmlNode icon = iconSet.AddChild("Icon");
        icon.SetAttribute("Icon_ID", platform::IntToStr(i));
        icon.SetAttribute("Value", BinToBase64(GetImagesTo(*classIcons_, i, kIconBackColor), {}, true));
    }
}

bool TVktObject::AddIconFromFile(const std::string& fileName)
{
    platform::Picture picture;
    try {
        const std::string extension = platform::LowerCase(std::filesystem::path(fileName).extension().string());
        if (extension == ".bmp")
            picture = platform::DecodeBmp(platform::ReadFileBytes(fileName));
        else if (extension == ".jpg" || extension == ".jpeg")
            picture = platform::DecodeJpeg(platform::ReadFileBytes(fileName));
        else
            return false;
    }
    catch (const std::exception&) {
        return false;
    }
    return AddIconBitmap(picture);
}

bool TVktObject::AddIconBitmap(const platform::Picture& picture)
{
    if (picture.IsEmpty() || !MayChange()) return false;
    classIcons_->AddMasked(Stretch(picture, classIcons_->GetWidth()), kIconBackColor);
    return true;
}

bool TVktObject::RemoveIcon(int index)
{
    if (index < 0 || index >= classIcons_->GetCount()) return false;
    if (!Change(false, [&] { return BoundFunctor().ShiftIconKeys(index); })) return false;
    classIcons_->Delete(index);   // stores the icon set
    return true;
}
