#pragma once
// A small DOM facade over pugixml. Text in memory is UTF-8; attribute values are read as written
// (raw line breaks and tabs in a value are kept, not turned into blanks). A document owns its
// nodes; XmlNode is a non-owning handle that stays valid while its document lives and the node is
// not removed. A null handle (default-constructed, or a lookup that found nothing) answers every read with an
// empty result; writing through it raises Error. Like a pointer, a const handle still writes to
// its node.
#include "platform/Errors.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

namespace platform {

// A text that is not well-formed XML: pugixml's description and the byte offset.
class XmlError : public Error {
public:
    XmlError(const std::string& message, std::ptrdiff_t offset) : Error(message), offset_(offset) {}
    std::ptrdiff_t Offset() const { return offset_; }

private:
    std::ptrdiff_t offset_;
};

class XmlNode {
public:
    XmlNode() = default;
    explicit XmlNode(pugi::xml_node node) : node_(node) {}

    bool IsNull() const { return !node_; }
    explicit operator bool() const { return static_cast<bool>(node_); }
    bool operator==(const XmlNode& other) const { return node_ == other.node_; }

    // Element name ("" for the document node).
    std::string GetName() const;
    XmlNode GetParent() const;

    // Text content: the first text or CDATA child; setting it replaces that child's text or adds one.
    std::string GetText() const;
    void SetText(std::string_view text) const;

    // Child elements (other node kinds are skipped).
    XmlNode AddChild(std::string_view name) const;
    XmlNode FindChild(std::string_view name) const;
    int GetChildCount() const;
    // Child element `index`; an index outside 0 .. count-1 raises ListIndexError.
    XmlNode GetChild(int index) const;
    std::vector<XmlNode> GetChildren() const;
    void RemoveChild(const XmlNode& child) const;

    // Attributes keep their insertion order; setting an existing one changes it in place.
    void SetAttribute(std::string_view name, std::string_view value) const;
    std::string GetAttribute(std::string_view name, std::string_view defaultValue = {}) const;
    bool HasAttribute(std::string_view name) const;
    // Integers in decimal (IntToStr); reading raises ConvertError for an absent attribute or a
    // value that is not an integer (StrToInt).
    void SetIntAttribute(std::string_view name, int value) const;
    int GetIntAttribute(std::string_view name) const;
    // Booleans written "True"/"False"; read as Variant reads a text ("true"/"false" in any case or a
    // number); an absent or unreadable value raises VariantError.
    void SetBoolAttribute(std::string_view name, bool value) const;
    bool GetBoolAttribute(std::string_view name) const;
    int GetAttributeCount() const;
    std::vector<std::pair<std::string, std::string>> GetAttributes() const;

    // The node's own XML text (no declaration), indented.
    std::string GetXml() const;

    pugi::xml_node Handle() const { return node_; }

private:
    void RequireNode() const;

    pugi::xml_node node_;
};

enum class XmlEncoding { Utf8, ShiftJis };

class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(XmlDocument&&) noexcept;
    XmlDocument& operator=(XmlDocument&&) noexcept;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // The document node: its children are the top-level nodes.
    XmlNode GetDocumentNode() const;
    // The first top-level element; null for an empty document.
    XmlNode GetDocumentElement() const;
    // Removes everything and adds a new root element.
    XmlNode CreateDocumentElement(std::string_view name);
    void Clear();

    // The encoding SaveToBytes writes: "UTF-8" (the default) or a name of code page 932
    // ("Shift-JIS", "Shift_JIS", "cp932", …); another name raises Error. Loading bytes or a file
    // sets it to the encoding read.
    void SetEncoding(std::string_view name);
    XmlEncoding GetEncoding() const { return encoding_; }

    // Parses UTF-8 text whatever encoding its declaration names (the declaration is dropped).
    // Malformed UTF-8 raises ConvertError; malformed XML (also an element that repeats an
    // attribute, which pugixml alone would accept) raises XmlError, as in every load below. On failure the
    // document is left empty.
    void LoadFromString(std::string_view utf8);
    // The document as UTF-8 text, led by <?xml version="1.0" encoding="UTF-8"?> unless
    // `declaration` is false.
    std::string SaveToString(bool declaration = true) const;

    // The document in its encoding, led by its declaration (code page 932 declares "Shift_JIS");
    // characters code page 932 lacks are written as character references (&#x1F600;). A character
    // it lacks in a name raises ConvertError.
    std::string SaveToBytes() const;
    // Reads bytes as LoadFromFile reads a file; bytes invalid in their encoding raise ConvertError,
    // an encoding it does not read Error, malformed XML XmlError.
    void LoadFromBytes(std::string_view bytes);

    // Reads a file in UTF-8 (with or without a byte-order mark) or, when its declaration names
    // Shift_JIS (or cp932, windows-31j), in code page 932. Failures raise FileError naming the
    // path; malformed XML raises XmlError.
    void LoadFromFile(const std::string& path);
    // Writes the document with the declaration of the encoding ("UTF-8" or "Shift_JIS"),
    // atomically. In code page 932 characters it lacks become character references as in
    // SaveToBytes; one in a name raises FileError and leaves the file as it was.
    void SaveToFile(const std::string& path, XmlEncoding encoding = XmlEncoding::Utf8) const;

private:
    std::unique_ptr<pugi::xml_document> doc_;
    XmlEncoding encoding_ = XmlEncoding::Utf8;
};

} // namespace platform
