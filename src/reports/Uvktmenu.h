#pragma once
// The menu template (type 10, "VktMenu"): a menu card per record with "Header" and "Footer" grids
// of record fields, an "Item" grid of its rows, an "Image" (a plain picture, the background) and a
// double frame of the graphic containers "Graphic1" (outer) and "Graphic2" (inner).
#include "reports/Uvkttemplate.h"

class TGraphicContainer;
class TImageContainer;

class TVktMenu : public TVktCardTemplate {
public:
    TVktMenu();

    int GetRowHeight() const { return ReadGrid("Item", &TGridContainer::GetRowHeight, 0); }
    // Also the "Header" and "Footer" heights: h × rows × 10.
    void SetRowHeight(int height);
    int GetColGap() const { return ReadGrid("Item", &TGridContainer::GetColGap, 0); }
    void SetColGap(int gap) { WriteGrids(kCardGrids, &TGridContainer::SetColGap, gap); }
    int GetNumSjis() const { return ReadGrid("Item", &TVktGridContainer::GetNumSjis, 0); }
    void SetNumSjis(int value) { WriteGrids(kCardGrids, &TVktGridContainer::SetNumSjis, value); }
    int GetFrameType() const;
    void SetFrameType(int type);
    int GetImageType() const;
    void SetImageType(int type);
    int GetFrameRound() const;
    // The inner frame's corners are inset by its item's top margin.
    void SetFrameRound(int size);
    bool GetFrameEnabled() const { return GetExpandedOf("Graphic1"); }
    void SetFrameEnabled(bool value) { SetExpandedOf("Graphic1", value); }
    bool GetImageEnabled() const;
    void SetImageEnabled(bool value);
    bool GetImageTrim() const;
    void SetImageTrim(bool value);
    TColor GetFrameColor() const;
    void SetFrameColor(TColor color);
    // (h × r + (r + 1) × w) × 10 with the item grid's row height h and line width w: each row is
    // drawn a line width taller than h, and the grid keeps one line width for its closing rule.
    int BandHeight(int rows) const override;
    // The picture file as the only picture of "Image".
    void LoadFromFile(const std::string& fileName);
    // The picture's bytes (empty without one).
    std::string GetImageData() const;

private:
    TVktGridContainer* Item() const { return DataGrid("Item"); }
    TGraphicContainer* Frame(const char* name) const;
    TImageContainer* Image() const;
};
