#pragma once
// The memo container (type 3, "Memo"): formatted text wrapped to its item's rectangle and, when
// longer than the rectangle, continued over further pages. The text lives in a rich-text document
// and is exchanged as RTF; the item's size in layout units is the document's wrap size in pixels.
// The data-bound memo (another type code) runs the document in multi-page mode and stores no text.
//
// Attribute after the font ones: RichText (type 3 only), the document as RTF. Reading it sets the
// container font from the document's default style, so the RTF's font wins over the attributes.
#include "layout/Ucontainer.h"

#include <iosfwd>
#include <memory>
#include <string>

class TExTextDrawer;

class TMemoContainer : public TContainer {
public:
    TMemoContainer();
    explicit TMemoContainer(int type);
    ~TMemoContainer() override;

    TExTextDrawer* GetDrawer() const { return drawer_.get(); }

    virtual std::string GetRichText();
    // An equal text does nothing; an empty one clears the document and keeps the empty RTF.
    void SetRichText(const std::string& value);
    // Stamps the document's text and font: a new value, unique among all memo containers, on
    // construction and on every change through the container (a read text, a clear, a font).
    // Equal stamps mean the same container with the same text, without writing it as RTF.
    int GetTextRevision() const { return revision_; }
    // The document as RTF; reading takes its default style into the container font.
    void LoadFromStream(std::istream& stream);
    void SaveToStream(std::ostream& stream);

    int GetPageMax() override;
    void SetViewItem(TViewItem* item) override;
    void FontChange() override;
    void ChangeRect(TRect& rect, bool mm) override;
    // Page `page` from the row one past the first character of that page wrap; a page beyond the
    // memo's own pages draws nothing.
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

private:
    void Revise();

    std::unique_ptr<TExTextDrawer> drawer_;
    std::string richText_;
    int revision_ = 0;
};
