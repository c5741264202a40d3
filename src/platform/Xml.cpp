#include "platform/Xml.h"

#include "platform/Codec.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace platform {

namespace {

constexpr unsigned kParseFlags = pugi::parse_default & ~pugi::parse_eol; // keep "\r\n" as written
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

void Parse(pugi::xml_document& doc, std::string_view utf8, const std::string& context)
{
    const pugi::xml_parse_result result = doc.load_buffer(utf8.data(), utf8.size(), kParseFlags, pugi::encoding_utf8);
    if (result)
        return;
    doc.reset();
    std::string message = context.empty() ? std::string() : "'" + context + "': ";
    message += std::string("XML parse error: ") + result.description() + " at offset " +
               IntToStr(static_cast<std::int64_t>(result.offset));
    throw XmlError(message, result.offset);
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

void XmlDocument::LoadFromFile(const std::string& path)
{
    doc_->reset();
    const std::string bytes = ReadFileBytes(path);
    const std::string_view body = StripUtf8Bom(bytes);
    const std::string encoding = body.size() == bytes.size() ? DeclaredEncoding(body) : std::string();
    std::string converted;
    std::string_view utf8;
    try {
        if (IsShiftJisName(encoding)) {
            converted = SjisToUtf8(body);
            utf8 = converted;
        } else if (IsUtf8Name(encoding)) {
            CheckUtf8(body);
            utf8 = body;
        } else {
            throw FileError("'" + path + "': the encoding '" + encoding + "' is not supported");
        }
    } catch (const ConvertError& e) {
        throw FileError("'" + path + "': " + e.Message());
    }
    Parse(*doc_, utf8, path);
}

void XmlDocument::SaveToFile(const std::string& path, XmlEncoding encoding) const
{
    if (encoding == XmlEncoding::Utf8) {
        WriteFileAtomic(path, SaveToString(true));
        return;
    }
    std::string bytes = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n";
    try {
        bytes += Utf8ToSjis(SaveToString(false));
    } catch (const ConvertError& e) {
        throw FileError("'" + path + "': " + e.Message());
    }
    WriteFileAtomic(path, bytes);
}

} // namespace platform
