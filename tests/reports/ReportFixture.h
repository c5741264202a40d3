#pragma once
// A small report database and a layout document bound to it: eleven ingredients "食材01" …
// "食材11" with French names, memos on the odd ones and pictures on every third, and a recipe
// "ステーキ" of 食材02 and 食材01 (in that item order).
#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Vkttabledefine.h"
#include "reports/Uvktcontainertypes.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

class TContainer;
class TVktGridContainer;
class TPreview;
class TViewItem;
class TVktApplication;
class TVktObject;

namespace vkttest {

class ReportDatabase {
public:
    explicit ReportDatabase(int ingredients = 11);
    ~ReportDatabase();

    TVktObject& Object() const { return *object_; }
    const std::string& Folder() const { return folder_; }
    const std::vector<int>& Ingredients() const { return ingredients_; }
    int Recipe() const { return recipe_; }
    static std::string MemoOf(int index);
    static std::string PictureOf(int index);
    // The ingredients class, not in the trash.
    static TFilterObject FoodFilter();
    // Exactly these records.
    static TFilterObject IdFilter(const std::vector<int>& ids);

private:
    std::unique_ptr<TVktApplication> registry_;
    TVktObject* object_ = nullptr;
    std::string folder_;
    std::vector<int> ingredients_;
    int recipe_ = 0;
};

// A layout document with its binding attached to the database and given the filter.
struct BoundLayout {
    explicit BoundLayout(TVktObject* object, const TFilterObject& filter = {});
    ~BoundLayout();
    // A new item of `type` under `parent` (top level for none).
    TContainer* Add(int type, TContainer* parent);
    template <typename T>
    T* Add(int type, TContainer* parent) { return dynamic_cast<T*>(Add(type, parent)); }
    // A data grid under `parent` with these columns, all `width` wide.
    TVktGridContainer* AddGrid(TContainer* parent, std::initializer_list<TVktField> fields, int width);
    // Every data container's text (field text, memo RTF size and text, picture size, grid cells,
    // chart points) on a page.
    std::string Dump(int page);

    std::unique_ptr<TPreview> preview;
    std::unique_ptr<TVktLayoutBinding> binding;
};

} // namespace vkttest
