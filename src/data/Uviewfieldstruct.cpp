#include "data/Uviewfieldstruct.h"

#include <string>

#include "data/Ufilterstruct.h"
#include "data/Vkttabledefine.h"
#include "platform/Text.h"
#include "platform/Variant.h"

namespace {

// An attribute read as an integer the way a variant converts: absent is Null, present is text.
int IntAttribute(const platform::XmlNode& node, std::string_view name) {
    const platform::Variant value =
        node.HasAttribute(name) ? platform::Variant(node.GetAttribute(name)) : platform::Variant::Null();
    return value.AsInt();
}

} // namespace

bool TAccessFieldStruct::operator!=(const TAccessFieldStruct& other) const {
    return fields_ != other.fields_ || orders_ != other.orders_;
}

bool TViewFieldStruct::operator!=(const TViewFieldStruct& other) const {
    return name_ != other.name_ || order_ != other.order_ || width_ != other.width_;
}

bool TPreviewFieldStruct::operator!=(const TPreviewFieldStruct& other) const {
    return name_ != other.name_ || order_ != other.order_ || width_ != other.width_ ||
           return_ != other.return_;
}

void TViewFieldStruct::SaveToXml(platform::XmlNode node) const {
    const int count = name_.GetCount();
    if (count == 0) return;
    // Let the shorter list raise its index error before the node is touched.
    order_.GetItem(count - 1);
    width_.GetItem(count - 1);
    for (int i = 0; i < count; ++i) {
        platform::XmlNode child = node.AddChild("ViewField");
        child.SetAttribute("Name", GetFieldName(ToVktField(name_.GetItem(i))));
        child.SetAttribute("Order", platform::IntToStr(order_.GetItem(i)));
        child.SetAttribute("Width", platform::IntToStr(width_.GetItem(i)));
    }
}

void TViewFieldStruct::LoadFromXml(const platform::XmlNode& node, TVktTable base) {
    name_.Clear();
    order_.Clear();
    width_.Clear();
    if (node.IsNull()) return;
    for (const platform::XmlNode& child : node.GetChildren()) {
        const TVktField field = FindFieldByName(child.GetAttribute("Name"));
        if (field == VktFieldNotFound) continue;
        if (base != TVktTable::None && !CanListField(base, field)) continue;
        const int order = IntAttribute(child, "Order");
        const int width = IntAttribute(child, "Width");
        name_.Push(ToInt(field));
        order_.Push(order);
        width_.Push(width);
    }
}
