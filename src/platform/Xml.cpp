#include "platform/Xml.h"

#include "platform/Codec.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Variant.h"
#include "platform/XmlLimits.h"

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {

// Keep "\r\n" as written, and line breaks and tabs inside attribute values too.
constexpr unsigned kParseFlags = pugi::parse_default & ~pugi::parse_eol & ~pugi::parse_wconv_attribute;
constexpr const char* kSjisDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n";
constexpr unsigned kFormatFlags = pugi::format_indent | pugi::format_no_declaration;
constexpr const char* kIndent = "  ";

class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : out_(out) {}
    void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

private:
    std::string& out_;
};

// Raises ConvertError naming the offset of the first malformed UTF-8 sequence.
void CheckUtf8(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size())
        NextCodePoint(text, pos);
}

std::string_view StripUtf8Bom(std::string_view bytes)
{
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return bytes;
}

// The value of the encoding pseudo-attribute of a leading declaration; "" when there is none.
std::string DeclaredEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 5) != "<?xml")
        return {};
    const std::size_t end = bytes.find("?>");
    const std::string_view decl = bytes.substr(0, end);
    std::size_t pos = decl.find("encoding");
    if (pos == std::string_view::npos)
        return {};
    pos += 8;
    while (pos < decl.size() && static_cast<unsigned char>(decl[pos]) <= 0x20)
        ++pos;
    if (pos >= decl.size() || decl[pos] != '=')
        return {};
    ++pos;
    while (pos < decl.size() && static_cast<unsigned char>(decl[pos]) <= 0x20)
        ++pos;
    if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\''))
        return {};
    const char quote = decl[pos++];
    const std::size_t close = decl.find(quote, pos);
    if (close == std::string_view::npos)
        return {};
    return std::string(decl.substr(pos, close - pos));
}

bool IsShiftJisName(std::string_view name)
{
    for (std::string_view known : {"shift_jis", "shift-jis", "sjis", "x-sjis", "cp932", "windows-31j", "ms_kanji",
                                   "csshiftjis"})
        if (SameText(name, known))
            return true;
    return false;
}

bool IsUtf8Name(std::string_view name)
{
    return name.empty() || SameText(name, "utf-8") || SameText(name, "utf8");
}

[[noreturn]] void FailParse(pugi::xml_document& doc, const std::string& context, const std::string& description,
                            std::ptrdiff_t offset)
{
    doc.reset();
    std::string message = context.empty() ? std::string() : "'" + context + "': ";
    message += "XML parse error: " + description + " at offset " + IntToStr(static_cast<std::int64_t>(offset));
    throw XmlError(message, offset);
}

// Fails on the first element, in document order, that carries an attribute name twice (pugixml
// accepts that; XML does not) or stands deeper than kMaxXmlDepth.
void CheckElements(pugi::xml_document& doc, const std::string& context)
{
    std::vector<std::string_view> names;
    pugi::xml_node node = doc.first_child();
    int depth = 1;
    while (node) {
        names.clear();
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
            names.emplace_back(a.name());
        std::sort(names.begin(), names.end());
        const auto repeated = std::adjacent_find(names.begin(), names.end());
        if (repeated != names.end())
            FailParse(doc, context, "Repeated attribute " + std::string(*repeated) + " of element " + node.name(),
                      node.offset_debug());
        if (depth > kMaxXmlDepth)
            FailParse(doc, context, "Elements nested deeper than " + IntToStr(kMaxXmlDepth), node.offset_debug());
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node)
            node = node.next_sibling();
    }
}

void Parse(pugi::xml_document& doc, std::string_view utf8, const std::string& context)
{
    const pugi::xml_parse_result result = doc.load_buffer(utf8.data(), utf8.size(), kParseFlags, pugi::encoding_utf8);
    if (!result)
        FailParse(doc, context, result.description(), result.offset);
    CheckElements(doc, context);
}

// The UTF-8 text of a document's bytes: a byte-order mark dropped, code page 932 converted into
// `buffer` when the declaration names it. Invalid bytes raise ConvertError, an encoding it does
// not read Error.
std::string_view DecodeDocument(std::string_view bytes, std::string& buffer, XmlEncoding& encoding)
{
    const std::string_view body = StripUtf8Bom(bytes);
    const std::string declared = body.size() == bytes.size() ? DeclaredEncoding(body) : std::string();
    if (IsShiftJisName(declared)) {
        buffer = SjisToUtf8(body);
        encoding = XmlEncoding::ShiftJis;
        return buffer;
    }
    if (!IsUtf8Name(declared))
        throw Error("the encoding '" + declared + "' is not supported");
    CheckUtf8(body);
    encoding = XmlEncoding::Utf8;
    return body;
}

// Code page 932 of serialized XML, with a character reference for each character the code page
// lacks where one is allowed: in text and in quoted attribute values. One inside a tag's names,
// a comment, CDATA or a processing instruction raises ConvertError.
std::string XmlToSjis(std::string_view utf8)
{
    try {
        return Utf8ToSjis(utf8);
    } catch (const ConvertError&) {
    }
    std::string out;
    out.reserve(utf8.size());
    bool inTag = false;      // between '<' and '>'
    bool special = false;    // inside "<!" or "<?"
    char quote = 0;          // the quote of an attribute value being written
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(utf8, pos);
        if (cp < 0x80) {
            const char c = static_cast<char>(cp);
            if (!inTag) {
                if (c == '<') {
                    inTag = true;
                    special = pos < utf8.size() && (utf8[pos] == '!' || utf8[pos] == '?');
                }
            } else if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (!special && (c == '"' || c == '\'')) {
                quote = c;
            } else if (c == '>') {
                inTag = false;
                special = false;
            }
            out += c;
            continue;
        }
        const std::string_view character = utf8.substr(start, pos - start);
        try {
            out += Utf8ToSjis(character);
        } catch (const ConvertError&) {
            if (inTag && (quote == 0 || special))
                throw;
            char reference[16];
            std::snprintf(reference, sizeof reference, "&#x%X;", static_cast<unsigned>(cp));
            out += reference;
        }
    }
    return out;
}

} // namespace

// ---- XmlNode ----

void XmlNode::RequireNode() const
{
    if (!node_)
        throw Error("XML node is null");
}

std::string XmlNode::GetName() const
{
    return node_.name();
}

XmlNode XmlNode::GetParent() const
{
    return XmlNode(node_.parent());
}

std::string XmlNode::GetText() const
{
    return node_.text().get();
}

void XmlNode::SetText(std::string_view text) const
{
    RequireNode();
    pugi::xml_node node = node_;
    node.text().set(std::string(text).c_str());
}

XmlNode XmlNode::AddChild(std::string_view name) const
{
    RequireNode();
    pugi::xml_node node = node_;
    pugi::xml_node child = node.append_child(std::string(name).c_str());
    if (!child)
        throw Error("Cannot add the element '" + std::string(name) + "'");
    return XmlNode(child);
}

XmlNode XmlNode::FindChild(std::string_view name) const
{
    for (pugi::xml_node child = node_.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && name == child.name())
            return XmlNode(child);
    return XmlNode();
}

int XmlNode::GetChildCount() const
{
    int count = 0;
    for (pugi::xml_node child = node_.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            ++count;
    return count;
}

XmlNode XmlNode::GetChild(int index) const
{
    if (index >= 0) {
        int i = 0;
        for (pugi::xml_node child = node_.first_child(); child; child = child.next_sibling())
            if (child.type() == pugi::node_element && i++ == index)
                return XmlNode(child);
    }
    RaiseListIndex(index);
}

std::vector<XmlNode> XmlNode::GetChildren() const
{
    std::vector<XmlNode> children;
    for (pugi::xml_node child = node_.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            children.emplace_back(child);
    return children;
}

void XmlNode::RemoveChild(const XmlNode& child) const
{
    RequireNode();
    pugi::xml_node node = node_;
    if (!node.remove_child(child.node_))
        throw Error("The node is not a child of '" + GetName() + "'");
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) const
{
    RequireNode();
    pugi::xml_node node = node_;
    const std::string key(name);
    pugi::xml_attribute attribute = node.attribute(key.c_str());
    if (!attribute)
        attribute = node.append_attribute(key.c_str());
    if (!attribute || !attribute.set_value(std::string(value).c_str()))
        throw Error("Cannot set the attribute '" + key + "'");
}

std::string XmlNode::GetAttribute(std::string_view name, std::string_view defaultValue) const
{
    const pugi::xml_attribute attribute = node_.attribute(std::string(name).c_str());
    return attribute ? std::string(attribute.value()) : std::string(defaultValue);
}

bool XmlNode::HasAttribute(std::string_view name) const
{
    return static_cast<bool>(node_.attribute(std::string(name).c_str()));
}

int XmlNode::GetAttributeCount() const
{
    int count = 0;
    for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute())
        ++count;
    return count;
}

std::vector<std::pair<std::string, std::string>> XmlNode::GetAttributes() const
{
    std::vector<std::pair<std::string, std::string>> attributes;
    for (pugi::xml_attribute a = node_.first_attribute(); a; a = a.next_attribute())
        attributes.emplace_back(a.name(), a.value());
    return attributes;
}

void XmlNode::SetIntAttribute(std::string_view name, int value) const
{
    SetAttribute(name, IntToStr(value));
}

int XmlNode::GetIntAttribute(std::string_view name) const
{
    return StrToInt(GetAttribute(name));
}

void XmlNode::SetBoolAttribute(std::string_view name, bool value) const
{
    SetAttribute(name, value ? "True" : "False");
}

bool XmlNode::GetBoolAttribute(std::string_view name) const
{
    if (!HasAttribute(name))
        return Variant::Null().AsBool();
    return Variant(GetAttribute(name)).AsBool();
}

std::string XmlNode::GetXml() const
{
    std::string out;
    if (!node_)
        return out;
    StringWriter writer(out);
    node_.print(writer, kIndent, kFormatFlags, pugi::encoding_utf8);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// ---- XmlDocument ----

XmlDocument::XmlDocument() : doc_(std::make_unique<pugi::xml_document>()) {}
XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;

XmlNode XmlDocument::GetDocumentNode() const
{
    return XmlNode(*doc_);
}

XmlNode XmlDocument::GetDocumentElement() const
{
    return XmlNode(doc_->document_element());
}

XmlNode XmlDocument::CreateDocumentElement(std::string_view name)
{
    doc_->reset();
    return GetDocumentNode().AddChild(name);
}

void XmlDocument::Clear()
{
    doc_->reset();
}

void XmlDocument::SetEncoding(std::string_view name)
{
    if (IsShiftJisName(name))
        encoding_ = XmlEncoding::ShiftJis;
    else if (!name.empty() && IsUtf8Name(name))
        encoding_ = XmlEncoding::Utf8;
    else
        throw Error("The XML encoding '" + std::string(name) + "' is not supported");
}

void XmlDocument::LoadFromString(std::string_view utf8)
{
    doc_->reset();
    utf8 = StripUtf8Bom(utf8);
    CheckUtf8(utf8);
    Parse(*doc_, utf8, {});
}

std::string XmlDocument::SaveToString(bool declaration) const
{
    std::string out;
    if (declaration)
        out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    StringWriter writer(out);
    doc_->save(writer, kIndent, kFormatFlags, pugi::encoding_utf8);
    return out;
}

std::string XmlDocument::SaveToBytes() const
{
    if (encoding_ == XmlEncoding::Utf8)
        return SaveToString(true);
    return kSjisDeclaration + XmlToSjis(SaveToString(false));
}

void XmlDocument::LoadFromBytes(std::string_view bytes)
{
    doc_->reset();
    std::string buffer;
    XmlEncoding encoding = XmlEncoding::Utf8;
    Parse(*doc_, DecodeDocument(bytes, buffer, encoding), {});
    encoding_ = encoding;
}

void XmlDocument::LoadFromFile(const std::string& path)
{
    doc_->reset();
    const std::string bytes = ReadFileBytes(path);
    std::string buffer;
    XmlEncoding encoding = XmlEncoding::Utf8;
    std::string_view utf8;
    try {
        utf8 = DecodeDocument(bytes, buffer, encoding);
    } catch (const Error& e) {
        throw FileError("'" + path + "': " + e.Message());
    }
    Parse(*doc_, utf8, path);
    encoding_ = encoding;
}

void XmlDocument::SaveToFile(const std::string& path, XmlEncoding encoding) const
{
    if (encoding == XmlEncoding::Utf8) {
        WriteFileAtomic(path, SaveToString(true));
        return;
    }
    std::string bytes = kSjisDeclaration;
    try {
        bytes += XmlToSjis(SaveToString(false));
    } catch (const ConvertError& e) {
        throw FileError("'" + path + "': " + e.Message());
    }
    WriteFileAtomic(path, bytes);
}

} // namespace platform
