#include "core/Treeindex.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>

namespace {

const char* const kOutOfRange = "インデックスが範囲を超えています";

[[noreturn]] void RaiseOutOfRange()
{
    throw platform::IntOverflowError(kOutOfRange);
}

void CheckDigitSize(int digitSize)
{
    if (digitSize < 1 || digitSize > 15)
        RaiseOutOfRange();
}

// A group or digit-size character read as hexadecimal; an empty group has no value.
int HexValue(const std::string& digits)
{
    if (digits.empty())
        throw platform::ConvertError("'' is not a valid integer value");
    return platform::StrToInt("0x" + digits);
}

} // namespace

TTreeIndex::TTreeIndex(const int& digitSize)
{
    CheckDigitSize(digitSize);
    digitSize_ = digitSize;
}

TTreeIndex::TTreeIndex(const std::string& text)
{
    SetAsString(text);
}

TTreeIndex& TTreeIndex::operator=(const std::string& text)
{
    SetAsString(text);
    return *this;
}

std::string TTreeIndex::GetAsString() const
{
    std::string text = enabled_ ? "" : "Z";
    text += platform::IntToHex(digitSize_, 1);
    text += path_;
    return text;
}

void TTreeIndex::SetAsString(const std::string& text)
{
    if (text.empty())
        RaiseOutOfRange();
    std::size_t pos = 0;
    bool enabled = true;
    if (text[0] == 'Z') {
        enabled = false;
        pos = 1;
    }
    if (pos >= text.size())
        throw platform::StringIndexError("String index out of range (" + platform::IntToStr(pos + 1) + ")");
    const int digitSize = HexValue(text.substr(pos, 1));
    CheckDigitSize(digitSize);
    enabled_ = enabled;
    digitSize_ = digitSize;
    path_ = text.substr(pos + 1);
}

TTreeIndex TTreeIndex::GetParent() const
{
    TTreeIndex parent(digitSize_);
    const std::size_t n = path_.size() > static_cast<std::size_t>(digitSize_) ? path_.size() - digitSize_ : 0;
    parent.path_ = path_.substr(0, n);
    return parent;
}

void TTreeIndex::SetParent(TTreeIndex parent)
{
    path_ = parent.path_ + LastGroup();
}

int TTreeIndex::GetIndex() const
{
    return HexValue(LastGroup());
}

void TTreeIndex::SetIndex(int value)
{
    std::string group = Group(value);
    const std::size_t n = path_.size() > static_cast<std::size_t>(digitSize_) ? path_.size() - digitSize_ : 0;
    path_ = path_.substr(0, n) + group;
}

int TTreeIndex::GetDigit(int level) const
{
    if (level < 0)
        RaiseOutOfRange();
    const std::size_t start = static_cast<std::size_t>(level) * static_cast<std::size_t>(digitSize_);
    return HexValue(start < path_.size() ? path_.substr(start, digitSize_) : std::string());
}

void TTreeIndex::SetDigit(int level, int value)
{
    if (level < 0)
        RaiseOutOfRange();
    std::string group = Group(value);
    const std::size_t start = static_cast<std::size_t>(level) * static_cast<std::size_t>(digitSize_);
    if (start >= path_.size())
        path_ += group;
    else
        path_.replace(start, std::min<std::size_t>(digitSize_, path_.size() - start), group);
}

bool TTreeIndex::IsPosterity(const TTreeIndex& other) const
{
    return other.path_.compare(0, path_.size(), path_) == 0;
}

bool TTreeIndex::IsSiviling(const TTreeIndex& other) const
{
    const std::size_t n = path_.size() > static_cast<std::size_t>(digitSize_) ? path_.size() - digitSize_ : 0;
    return path_.substr(0, n) == other.path_.substr(0, n);
}

void TTreeIndex::SetDigitSize(int digitSize)
{
    CheckDigitSize(digitSize);
    digitSize_ = digitSize;
}

std::string TTreeIndex::Group(int value) const
{
    // 16^DigitSize exceeds every int from 8 digits on.
    if (value < 0 || (digitSize_ < 8 && static_cast<std::int64_t>(value) >= (std::int64_t{1} << (4 * digitSize_))))
        RaiseOutOfRange();
    return platform::IntToHex(value, digitSize_);
}

std::string TTreeIndex::LastGroup() const
{
    const std::size_t n = std::min<std::size_t>(digitSize_, path_.size());
    return path_.substr(path_.size() - n);
}
