#pragma once
// A list of texts, each with an attached object pointer the list does not own, in the manner of
// the class library's string list: name=value lines, line text and comma text, case-insensitive
// search by default, optional refusal of duplicates on Add.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class StringList {
public:
    StringList() = default;
    StringList(std::initializer_list<std::string> items);

    int GetCount() const { return static_cast<int>(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }

    // Item access; an index outside 0 .. Count-1 raises ListIndexError.
    const std::string& GetString(int index) const;
    void SetString(int index, std::string text);
    void* GetObject(int index) const;
    void SetObject(int index, void* object);
    template <class T> T* GetObjectAs(int index) const { return static_cast<T*>(GetObject(index)); }

    // Appends and returns the new index. With IgnoreDuplicates set, a text the list already holds
    // (IndexOf) is not added again and the index of the existing item is returned (its object is
    // left as it was).
    int Add(std::string text);
    int AddObject(std::string text, void* object);
    void AddStrings(const StringList& other);
    // Inserts before `index`; index = Count appends. Other indexes raise ListIndexError.
    // Insert does not look at IgnoreDuplicates.
    void Insert(int index, std::string text);
    void InsertObject(int index, std::string text, void* object);
    void Delete(int index);
    void Clear();
    // Moves the item (with its object) from one index to another.
    void Move(int fromIndex, int toIndex);
    void Exchange(int index1, int index2);

    // Comparison used by IndexOf, IndexOfName and Sort: ASCII case-insensitive unless
    // CaseSensitive is set.
    bool GetCaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value) { caseSensitive_ = value; }
    bool GetIgnoreDuplicates() const { return ignoreDuplicates_; }
    void SetIgnoreDuplicates(bool value) { ignoreDuplicates_ = value; }

    // Index of the first item equal to the text; -1 when none is.
    int IndexOf(std::string_view text) const;
    int IndexOfObject(const void* object) const;

    // name=value lines: the name is the part before the first '=' ("" for a line without '=').
    int IndexOfName(std::string_view name) const;
    std::string GetName(int index) const;
    // The part after the first '=' of item `index` ("" for a line without '=').
    std::string GetValueFromIndex(int index) const;
    // Value of the first line with that name; "" when there is none.
    std::string GetValue(std::string_view name) const;
    // Replaces the value of the first line with that name in place, or appends "name=value".
    // An empty value deletes the line, as the class library does.
    void SetValue(std::string_view name, std::string_view value);

    // Lines: every item followed by "\r\n". Reading splits at CR LF, LF or CR; a last line break
    // adds no empty item; the text ends at a NUL.
    std::string GetText() const;
    void SetText(std::string_view text);
    // Comma text (JoinCommaText / SplitCommaText of Text.h).
    std::string GetCommaText() const;
    void SetCommaText(std::string_view text);

    // Sorts by the list's comparison; items that compare equal keep their order.
    void Sort();

    // The texts, in order.
    std::vector<std::string> GetStrings() const;

private:
    struct Item {
        std::string text;
        void* object = nullptr;
    };

    void CheckIndex(int index) const;
    bool Equal(std::string_view a, std::string_view b) const;

    std::vector<Item> items_;
    bool caseSensitive_ = false;
    bool ignoreDuplicates_ = false;
};

} // namespace platform
