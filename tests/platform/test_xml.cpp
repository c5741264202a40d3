#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Xml.h"
#include "platform/XmlLimits.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::string AttributeDump(const XmlNode& node)
{
    std::string out;
    for (const auto& [name, value] : node.GetAttributes())
        out += name + "=" + value + ";";
    return out;
}

class XmlFileTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = temp_.Make("vkt-xml"); }
    vkttest::TempFolder temp_;
    std::string dir_;
};

} // namespace

TEST(Xml, BuildsElementsAttributesAndText)
{
    XmlDocument doc;
    XmlNode root = doc.CreateDocumentElement("FilterSet");
    XmlNode filter = root.AddChild("Filter");
    filter.SetAttribute("Name", "新規ユーザーフィルター1");
    XmlNode logic = filter.AddChild("Logic");
    logic.SetAttribute("Type", "4");
    logic.SetAttribute("Begin", "a\"<&>'");
    logic.SetAttribute("End", "z");
    logic.SetAttribute("Type", "5");
    root.AddChild("Memo").SetText("line1\r\nline2");

    EXPECT_EQ(AttributeDump(logic), "Type=5;Begin=a\"<&>';End=z;") << "insertion order, set in place";
    EXPECT_EQ(root.GetChildCount(), 2);
    EXPECT_EQ(root.GetChild(1).GetName(), "Memo");
    EXPECT_THROW(root.GetChild(2), ListIndexError);

    XmlDocument copy;
    copy.LoadFromString(doc.SaveToString());
    XmlNode copyRoot = copy.GetDocumentElement();
    EXPECT_EQ(copyRoot.GetName(), "FilterSet");
    XmlNode copyLogic = copyRoot.FindChild("Filter").FindChild("Logic");
    EXPECT_EQ(AttributeDump(copyLogic), "Type=5;Begin=a\"<&>';End=z;");
    EXPECT_EQ(copyRoot.FindChild("Filter").GetAttribute("Name"), "新規ユーザーフィルター1");
    EXPECT_EQ(copyRoot.FindChild("Memo").GetText(), "line1\r\nline2") << "line ends survive a round trip";
    EXPECT_EQ(copy.SaveToString(), doc.SaveToString());
}

TEST(Xml, MissingThingsGiveEmptyResults)
{
    XmlDocument doc;
    EXPECT_TRUE(doc.GetDocumentElement().IsNull());
    XmlNode root = doc.CreateDocumentElement("R");
    root.SetAttribute("Empty", "");
    EXPECT_TRUE(root.FindChild("None").IsNull());
    EXPECT_EQ(root.FindChild("None").FindChild("Deeper").GetAttribute("X", "dflt"), "dflt");
    EXPECT_EQ(root.GetAttribute("Absent", "7"), "7");
    EXPECT_EQ(root.GetAttribute("Empty", "7"), "");
    EXPECT_TRUE(root.HasAttribute("Empty"));
    EXPECT_FALSE(root.HasAttribute("Absent"));
    EXPECT_EQ(root.GetText(), "");
    EXPECT_THROW(XmlNode().AddChild("x"), Error);
}

TEST(Xml, DeclarationAndElementText)
{
    XmlDocument doc;
    XmlNode root = doc.CreateDocumentElement("Initial");
    root.AddChild("ViewFields").AddChild("Field").SetAttribute("Order", "1");
    const std::string text = doc.SaveToString();
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Initial>", 0), 0u) << text;
    EXPECT_EQ(doc.SaveToString(false).rfind("<Initial>", 0), 0u);
    const std::string element = root.FindChild("ViewFields").GetXml();
    EXPECT_EQ(element.rfind("<ViewFields>", 0), 0u) << element;
    EXPECT_EQ(element.back(), '>');
    XmlDocument again;
    again.LoadFromString(element);
    EXPECT_EQ(again.GetDocumentElement().FindChild("Field").GetAttribute("Order"), "1");
}

TEST(Xml, LoadsUtf8WhateverTheDeclarationSays)
{
    XmlDocument doc;
    doc.LoadFromString("<?xml version=\"1.0\" encoding=\"SHIFT-JIS\"?>\r\n<Initial>\r\n<A Name=\"原価\"/></Initial>");
    EXPECT_EQ(doc.GetDocumentElement().FindChild("A").GetAttribute("Name"), "原価");
    EXPECT_THROW(doc.LoadFromString(Utf8ToSjis("<A Name=\"原価\"/>")), ConvertError)
        << "code-page-932 bytes are not taken for UTF-8";
}

TEST(Xml, TopLevelNodesAndChildren)
{
    XmlDocument doc;
    doc.LoadFromString("<!-- c --><InitialID A=\"1\" B=\"2\"><x/>text<y/><!--z--></InitialID>");
    std::vector<std::string> names;
    for (const XmlNode& node : doc.GetDocumentNode().GetChildren())
        names.push_back(node.GetName());
    ASSERT_EQ(names, std::vector<std::string>{"InitialID"});
    XmlNode root = doc.GetDocumentElement();
    EXPECT_EQ(AttributeDump(root), "A=1;B=2;");
    EXPECT_EQ(root.GetChildCount(), 2) << "only elements count";
    root.RemoveChild(root.FindChild("x"));
    EXPECT_EQ(root.GetChild(0).GetName(), "y");
    EXPECT_EQ(root.GetChild(0).GetParent(), root);
}

TEST(Xml, ParseErrorsNameDescriptionAndOffset)
{
    XmlDocument doc;
    try {
        doc.LoadFromString("<a><b></a>");
        FAIL() << "no error";
    } catch (const XmlError& e) {
        EXPECT_EQ(e.Message(), "XML parse error: Start-end tags mismatch at offset 8");
        EXPECT_EQ(e.Offset(), 8);
    }
    EXPECT_TRUE(doc.GetDocumentElement().IsNull()) << "a failed load leaves the document empty";
    EXPECT_THROW(doc.LoadFromString(""), XmlError);
}

// pugixml takes a repeated attribute; XML does not, and a reader would see one occurrence while
// a writer changed another.
TEST(Xml, AnElementRepeatingAnAttributeIsAParseError)
{
    XmlDocument doc;
    try {
        doc.LoadFromString("<a x=\"1\"><b y=\"1\" z=\"2\"/><b k=\"?\" y=\"2\" k=\"3\"/></a>");
        FAIL() << "no error";
    } catch (const XmlError& e) {
        EXPECT_EQ(e.Message(), "XML parse error: Repeated attribute k of element b at offset 26");
        EXPECT_EQ(e.Offset(), 26);
    }
    EXPECT_TRUE(doc.GetDocumentElement().IsNull());
    EXPECT_THROW(doc.LoadFromBytes("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r><s a=\"1\" a=\"1\"/></r>"),
                 XmlError);
    doc.LoadFromString("<a x=\"1\"><b x=\"1\" y=\"1\"/><c y=\"2\"/></a>");   // the same name on other elements
    EXPECT_EQ(doc.GetDocumentElement().GetChildCount(), 2);
}

// Readers of a document (layouts, pasted items) walk its elements recursively: a document nested
// deeper than they may go is refused as it is read, however it came (a file, the clipboard).
TEST(Xml, ElementsNestedTooDeepAreAParseError)
{
    const auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += "<Item>";
        for (int i = 0; i < depth; ++i)
            text += "</Item>";
        return text;
    };
    XmlDocument doc;
    doc.LoadFromString(nested(kMaxXmlDepth));
    EXPECT_EQ(doc.GetDocumentElement().GetName(), "Item");
    for (const int depth : {kMaxXmlDepth + 1, 1'000'000}) {
        try {
            doc.LoadFromBytes(nested(depth));
            FAIL() << depth << ": no error";
        } catch (const XmlError& e) {
            EXPECT_EQ(e.Message().rfind("XML parse error: Elements nested deeper than 256", 0), 0u) << e.Message();
        }
        EXPECT_TRUE(doc.GetDocumentElement().IsNull());
    }
}

TEST_F(XmlFileTest, ShiftJisFileRoundTrip)
{
    const std::string path = dir_ + "/layout.xml";
    XmlDocument doc;
    XmlNode root = doc.CreateDocumentElement("レシピ原価表");
    root.SetAttribute("名前", "ｶﾅ 漢字 ①");
    root.AddChild("Item").SetText("原価 & <価格>");
    doc.SaveToFile(path, XmlEncoding::ShiftJis);

    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", 0), 0u);
    EXPECT_NE(bytes.find(Utf8ToSjis("<レシピ原価表")), std::string::npos) << "the body is code page 932";
    EXPECT_FALSE(IsValidUtf8(bytes));

    XmlDocument back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.SaveToString(), doc.SaveToString());
    EXPECT_EQ(back.GetDocumentElement().GetAttribute("名前"), "ｶﾅ 漢字 ①");
    EXPECT_EQ(back.GetDocumentElement().FindChild("Item").GetText(), "原価 & <価格>");
}

TEST_F(XmlFileTest, Utf8FilesWithAndWithoutMarkOrDeclaration)
{
    XmlDocument doc;
    doc.CreateDocumentElement("R").SetAttribute("V", "原価");
    const std::string path = dir_ + "/u.xml";
    doc.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);

    for (const std::string& text : {std::string("\xEF\xBB\xBF<R V=\"原価\"/>"), std::string("<R V='原価'/>"),
                                    std::string("<?xml version='1.0' encoding = 'utf-8' ?><R V=\"原価\"/>")}) {
        WriteFileAtomic(path, text);
        XmlDocument back;
        back.LoadFromFile(path);
        EXPECT_EQ(back.GetDocumentElement().GetAttribute("V"), "原価") << text;
    }
}

TEST_F(XmlFileTest, UnconvertibleNameIsAFileError)
{
    const std::string path = dir_ + "/bad.xml";
    XmlDocument doc;
    doc.CreateDocumentElement("R😀").SetAttribute("V", "絵文字");
    WriteFileAtomic(path, "old");
    try {
        doc.SaveToFile(path, XmlEncoding::ShiftJis);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(e.Message().find("U+1F600"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
    }
    EXPECT_EQ(ReadFileBytes(path), "old") << "the file is untouched";

    WriteFileAtomic(path, "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><R V=\"\x83\x8C\x80\"/>");
    EXPECT_THROW(doc.LoadFromFile(path), FileError) << "invalid code page 932 bytes";
    WriteFileAtomic(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><R V=\"\xFF\"/>");
    EXPECT_THROW(doc.LoadFromFile(path), FileError) << "invalid UTF-8 bytes";
    WriteFileAtomic(path, "<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?><R/>");
    EXPECT_THROW(doc.LoadFromFile(path), FileError) << "an encoding it does not read";
    WriteFileAtomic(path, "<R><S></R>");
    try {
        doc.LoadFromFile(path);
        FAIL() << "no error";
    } catch (const XmlError& e) {
        EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
    }
    EXPECT_THROW(doc.LoadFromFile(dir_ + "/missing.xml"), FileError);
}

TEST_F(XmlFileTest, CodePage932KeepsWhatItLacksAsReferences)
{
    // "～①髙" are code page 932 characters; the emoji is not and travels as a reference.
    const std::string value = "～①髙\r\n二行目😀";
    XmlDocument doc;
    doc.SetEncoding("Shift-JIS");
    XmlNode root = doc.CreateDocumentElement("PageObject");
    root.SetAttribute("V", value);
    root.AddChild("T").SetText("文😀");
    const std::string bytes = doc.SaveToBytes();
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", 0), 0u);
    EXPECT_NE(bytes.find(Utf8ToSjis("～①髙")), std::string::npos);
    EXPECT_NE(bytes.find("&#13;&#10;"), std::string::npos) << "line breaks in a value are escaped";
    EXPECT_NE(bytes.find("&#x1F600;"), std::string::npos);

    const std::string path = dir_ + "/sjis.xml";
    doc.SaveToFile(path, XmlEncoding::ShiftJis);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    for (int source = 0; source < 2; ++source) {
        XmlDocument back;
        if (source == 0)
            back.LoadFromBytes(bytes);
        else
            back.LoadFromFile(path);
        EXPECT_EQ(back.GetEncoding(), XmlEncoding::ShiftJis);
        EXPECT_EQ(back.GetDocumentElement().GetAttribute("V"), value) << source;
        EXPECT_EQ(back.GetDocumentElement().FindChild("T").GetText(), "文😀") << source;
    }

    XmlDocument utf8;
    utf8.LoadFromBytes("<R V='x'/>");
    EXPECT_EQ(utf8.GetEncoding(), XmlEncoding::Utf8);
    EXPECT_EQ(utf8.SaveToBytes(), utf8.SaveToString());
    EXPECT_THROW(utf8.SetEncoding("ISO-2022-JP"), Error);
    EXPECT_THROW(utf8.LoadFromBytes("<?xml version=\"1.0\" encoding=\"Shift-JIS\"?><R V=\"\x83\x8C\x80\"/>"),
                 ConvertError);
}

TEST_F(XmlFileTest, RawLineBreaksInAFileAttributeAreKept)
{
    const std::string path = dir_ + "/raw.xml";
    WriteFileAtomic(path, "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<R V=\"a\r\nb\tc\"/>");
    XmlDocument doc;
    doc.LoadFromFile(path);
    EXPECT_EQ(doc.GetDocumentElement().GetAttribute("V"), "a\r\nb\tc");
}

TEST(Xml, IntegerAndBooleanAttributes)
{
    XmlDocument doc;
    XmlNode node = doc.CreateDocumentElement("R");
    node.SetIntAttribute("N", -42);
    node.SetBoolAttribute("B", false);
    node.SetBoolAttribute("C", true);
    EXPECT_EQ(AttributeDump(node), "N=-42;B=False;C=True;");
    EXPECT_EQ(node.GetIntAttribute("N"), -42);
    EXPECT_FALSE(node.GetBoolAttribute("B"));
    EXPECT_TRUE(node.GetBoolAttribute("C"));
    EXPECT_THROW(node.GetIntAttribute("Absent"), ConvertError) << "a required integer";
    EXPECT_THROW(node.GetBoolAttribute("Absent"), VariantError);
    node.SetAttribute("B", "1");
    EXPECT_TRUE(node.GetBoolAttribute("B")) << "a number reads as a boolean";
    node.SetAttribute("B", "TRUE");
    EXPECT_TRUE(node.GetBoolAttribute("B"));
    node.SetAttribute("N", "1x");
    EXPECT_THROW(node.GetIntAttribute("N"), ConvertError);
}
