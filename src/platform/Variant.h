#pragma once
// A variant value: empty, null, integer, double, boolean, text, date-time, currency or bytes.
//
// Conversions: doubles, dates and currency become integers rounded half to even; a boolean is
// 1 or 0 as a number; a text is read as the target type (numbers with "."; dates in the display
// or the ISO form; booleans "True"/"False" in any case, or a number). Empty converts to zero,
// false and "". Null converts only to the empty text and empty bytes (empty texts are stored
// as NULL); every other conversion of Null raises VariantError.
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/FieldType.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

using Bytes = std::vector<std::uint8_t>;

class Variant {
public:
    enum class Kind { Empty, Null, Integer, Double, Boolean, Text, DateTime, Currency, Bytes };

    Variant() = default;
    static Variant Null();
    Variant(int v);
    Variant(std::int64_t v);
    Variant(double v);
    Variant(bool v);
    Variant(const char* v);
    Variant(std::string v);
    Variant(Currency v);
    Variant(platform::Bytes v);
    static Variant FromDateTime(TDateTime v);
    // Makes the value the text; a variant already holding a text keeps its storage (no allocation
    // when the text fits), so one variant can take the texts of many rows.
    void AssignText(std::string_view text);

    Kind GetKind() const;
    bool IsEmpty() const { return GetKind() == Kind::Empty; }
    bool IsNull() const { return GetKind() == Kind::Null; }
    bool IsEmptyOrNull() const { return IsEmpty() || IsNull(); }

    // Conversions; an impossible one raises VariantError.
    std::int64_t AsInt64() const;
    int AsInt() const;
    double AsDouble() const;
    bool AsBool() const;
    std::string AsString() const;     // text form: numbers general format, dates "yyyy/mm/dd[ h:nn:ss]"
    TDateTime AsDateTime() const;
    Currency AsCurrency() const;
    const platform::Bytes& AsBytes() const;

    // Text form for a field of the given type, and back (empty text gives Null). Empty and Null
    // write "". Forms: integers in decimal, booleans "True"/"False", floats FloatToStr, currency
    // Currency::ToText, dates "yyyy/mm/dd", date-times DateTimeToStr; graphic and formatted memo
    // fields carry their bytes unchanged. ToText raises VariantError when the value does not convert
    // to the type; FromText raises ConvertError for a text that does not read as the type (dates
    // also read in the ISO form; a date field keeps the date only; small integers and integers
    // are range-checked to 16 and 32 bits).
    std::string ToText(FieldType type) const;
    static Variant FromText(std::string_view text, FieldType type);

    // Equality as the filters compare: numbers with numbers by value, texts exactly, dates, currency.
    // Integers and currency compare exactly, a double against an integer exactly, against currency
    // as doubles; a date compares with a date or a number by its value; a text against a number,
    // date or boolean is read as one (false when it does not read); booleans only with booleans;
    // bytes by content. Empty equals only Empty, Null only Null; NaN equals nothing.
    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }
    // Ordering: -1, 0, 1 under the same rules; Empty sorts before Null, Null before every value;
    // texts by their bytes. Raises VariantError for values that do not compare.
    int Compare(const Variant& other) const;

private:
    struct EmptyTag { bool operator==(const EmptyTag&) const = default; };
    struct NullTag { bool operator==(const NullTag&) const = default; };
    struct DateTag { TDateTime value; };
    std::variant<EmptyTag, NullTag, std::int64_t, double, bool, std::string, DateTag, Currency, platform::Bytes> v_;
};

} // namespace platform
