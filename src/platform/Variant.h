#pragma once
// A variant value: empty, null, integer, double, boolean, text, date-time, currency or bytes.
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/FieldType.h"

#include <cstdint>
#include <string>
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

    // Text form for a field of the given type, and back (empty text gives Null).
    std::string ToText(FieldType type) const;
    static Variant FromText(std::string_view text, FieldType type);

    // Equality as the filters compare: numbers with numbers by value, texts exactly, dates, currency.
    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }
    // Ordering: -1, 0, 1; raises VariantError for values that do not compare.
    int Compare(const Variant& other) const;

private:
    struct EmptyTag { bool operator==(const EmptyTag&) const = default; };
    struct NullTag { bool operator==(const NullTag&) const = default; };
    struct DateTag { TDateTime value; };
    std::variant<EmptyTag, NullTag, std::int64_t, double, bool, std::string, DateTag, Currency, platform::Bytes> v_;
};

} // namespace platform
