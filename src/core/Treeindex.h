#pragma once
// TTreeIndex: the key that places a class in the class tree.
//
// Text form (AsString): ["Z"] <DigitSize as one hex digit> <Path>
//   "Z"       present when Enabled is false
//   DigitSize hexadecimal digits per group, 1 .. 15
//   Path      one group of DigitSize upper-case hex digits per level, top level first; "" is the
//             level above all classes
// "200" is digit size 2 with the single group 00; "20001" is its child with index 1.
//
// Comparison looks at Path only (byte order), so a parent sorts before its descendants and a
// depth-first walk of the tree is the sorted order of its keys.
//
// Refusals raise platform::IntOverflowError with the message "インデックスが範囲を超えています" and
// leave the key unchanged. Groups that are not hexadecimal make the reading operation raise
// platform::ConvertError.
#include <string>

class TTreeIndex {
public:
    TTreeIndex() = default;
    // Empty path with the given digit size.
    explicit TTreeIndex(const int& digitSize);
    // As SetAsString.
    explicit TTreeIndex(const std::string& text);
    TTreeIndex(const TTreeIndex&) = default;
    TTreeIndex& operator=(const TTreeIndex&) = default;
    TTreeIndex& operator=(const std::string& text);

    bool operator==(const TTreeIndex& other) const { return path_ == other.path_; }
    bool operator!=(const TTreeIndex& other) const { return path_ != other.path_; }
    bool operator<(const TTreeIndex& other) const { return path_ < other.path_; }
    bool operator>(const TTreeIndex& other) const { return path_ > other.path_; }

    std::string GetAsString() const;
    // Empty text: overflow error. A text that is only "Z": platform::StringIndexError. A digit-size
    // character that is not hexadecimal: platform::ConvertError; "0" as digit size: overflow error.
    // The path itself is not validated.
    void SetAsString(const std::string& text);

    // Same digit size, enabled, path without its last group ("" stays "").
    TTreeIndex GetParent() const;
    // Path becomes the parent's path followed by this key's last group (on an empty path: the
    // parent's path); the parent's flag and digit size are not taken.
    void SetParent(TTreeIndex parent);

    // Value of the last group; ConvertError on an empty path.
    int GetIndex() const;
    // Replaces the last group (on an empty path: makes the first group). Values below 0 or at or
    // above 16^DigitSize raise the overflow error.
    void SetIndex(int value);

    // Value of the group at `level` (0 = top); ConvertError when the level is at or beyond Depth.
    int GetDigit(int level) const;
    // Replaces the group at `level`; a level at or beyond Depth appends a group at the end.
    // Negative levels and values outside 0 .. 16^DigitSize - 1 raise the overflow error.
    void SetDigit(int level, int value);

    // True when `other` is this key or lies below it.
    bool IsPosterity(const TTreeIndex& other) const;
    // True when `other` lies under this key's parent (this key included).
    bool IsSiviling(const TTreeIndex& other) const;

    int Depth() const { return static_cast<int>(path_.size()) / digitSize_; }

    const std::string& GetPath() const { return path_; }
    void SetPath(const std::string& path) { path_ = path; }
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    int GetDigitSize() const { return digitSize_; }
    // 1 .. 15, else the overflow error; the path is not rewritten.
    void SetDigitSize(int digitSize);

private:
    std::string Group(int value) const;
    std::string LastGroup() const;

    std::string path_;
    bool enabled_ = true;
    int digitSize_ = 2;
};
