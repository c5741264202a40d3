#include "platform/Variant.h"

#include "platform/Errors.h"
#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace platform {

namespace {

using Kind = Variant::Kind;

const char* KindName(Kind kind)
{
    switch (kind) {
    case Kind::Empty: return "Empty";
    case Kind::Null: return "Null";
    case Kind::Integer: return "Int64";
    case Kind::Double: return "Double";
    case Kind::Boolean: return "Boolean";
    case Kind::Text: return "String";
    case Kind::DateTime: return "Date";
    case Kind::Currency: return "Currency";
    case Kind::Bytes: return "Array of Byte";
    }
    return "Unknown";
}

[[noreturn]] void CannotConvert(Kind from, const char* to)
{
    throw VariantError(std::string("Could not convert variant of type (") + KindName(from) + ") into type (" + to + ")");
}

[[noreturn]] void NotAValue(std::string_view text, const char* what)
{
    throw ConvertError("'" + std::string(text) + "' is not a valid " + what);
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// A decimal integer with an optional sign, blanks allowed around it.
bool TryReadInt64(std::string_view text, std::int64_t& value)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return false;
    }
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// Nearest integer, halves to the even neighbour; false when outside the 64-bit range.
bool TryRoundToInt64(double value, std::int64_t& result)
{
    if (!std::isfinite(value))
        return false;
    double whole = std::floor(value);
    const double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole < -9223372036854775808.0 || whole >= 9223372036854775808.0)
        return false;
    result = static_cast<std::int64_t>(whole);
    return true;
}

// "True"/"False" in any case, or a number (non-zero is true).
bool TryReadBool(std::string_view text, bool& value)
{
    const std::string_view trimmed = TrimBlanks(text);
    if (EqualsAsciiNoCase(trimmed, "true")) {
        value = true;
        return true;
    }
    if (EqualsAsciiNoCase(trimmed, "false")) {
        value = false;
        return true;
    }
    double number = 0;
    if (TryStrToFloat(trimmed, number)) {
        value = number != 0;
        return true;
    }
    return false;
}

// The display form, or the ISO form of storage.
bool TryReadDateTime(std::string_view text, TDateTime& value)
{
    return TryStrToDateTime(text, value) || TryFromIsoText(TrimBlanks(text), value);
}

int Sign(double difference)
{
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

template <typename T>
int ThreeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Exact comparison of a (non-NaN) double with a 64-bit integer.
int CompareDoubleInt(double d, std::int64_t i)
{
    if (d >= 9223372036854775808.0)
        return 1;
    if (d < -9223372036854775808.0)
        return -1;
    const auto t = static_cast<std::int64_t>(std::trunc(d));
    if (t != i)
        return t < i ? -1 : 1;
    return Sign(d - std::trunc(d));
}

std::string IntText(std::int64_t value)
{
    char buf[24];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    return std::string(buf, ptr);
}

bool IsNumber(Kind kind)
{
    return kind == Kind::Integer || kind == Kind::Double || kind == Kind::Currency;
}

} // namespace

Variant Variant::Null()
{
    Variant v;
    v.v_.emplace<NullTag>();
    return v;
}

Variant::Variant(int v) : v_(std::in_place_type<std::int64_t>, v) {}
Variant::Variant(std::int64_t v) : v_(std::in_place_type<std::int64_t>, v) {}
Variant::Variant(double v) : v_(std::in_place_type<double>, v) {}
Variant::Variant(bool v) : v_(std::in_place_type<bool>, v) {}
Variant::Variant(const char* v) : v_(std::in_place_type<std::string>, v ? v : "") {}
Variant::Variant(std::string v) : v_(std::in_place_type<std::string>, std::move(v)) {}
Variant::Variant(Currency v) : v_(std::in_place_type<Currency>, v) {}

void Variant::AssignText(std::string_view text) {
    if (auto* held = std::get_if<std::string>(&v_))
        held->assign(text);
    else
        v_.emplace<std::string>(text);
}
Variant::Variant(platform::Bytes v) : v_(std::in_place_type<platform::Bytes>, std::move(v)) {}

Variant Variant::FromDateTime(TDateTime v)
{
    Variant result;
    result.v_.emplace<DateTag>(DateTag{v});
    return result;
}

Variant::Kind Variant::GetKind() const
{
    return static_cast<Kind>(v_.index());
}

std::int64_t Variant::AsInt64() const
{
    const Kind kind = GetKind();
    std::int64_t result = 0;
    switch (kind) {
    case Kind::Empty: return 0;
    case Kind::Integer: return std::get<std::int64_t>(v_);
    case Kind::Boolean: return std::get<bool>(v_) ? 1 : 0;
    case Kind::Double:
        if (TryRoundToInt64(std::get<double>(v_), result))
            return result;
        break;
    case Kind::DateTime:
        if (TryRoundToInt64(std::get<DateTag>(v_).value, result))
            return result;
        break;
    case Kind::Currency: {
        const std::int64_t raw = std::get<Currency>(v_).Raw();
        std::int64_t units = raw / 10000;
        const std::int64_t rest = raw % 10000;   // same sign as raw
        if (rest > 5000 || (rest == 5000 && units % 2 != 0))
            ++units;
        else if (rest < -5000 || (rest == -5000 && units % 2 != 0))
            --units;
        return units;
    }
    case Kind::Text: {
        const std::string& text = std::get<std::string>(v_);
        if (TryReadInt64(text, result))
            return result;
        double number = 0;
        if (TryStrToFloat(text, number) && TryRoundToInt64(number, result))
            return result;
        break;
    }
    case Kind::Null:
    case Kind::Bytes:
        break;
    }
    CannotConvert(kind, "Int64");
}

int Variant::AsInt() const
{
    const std::int64_t value = AsInt64();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        CannotConvert(GetKind(), "Integer");
    return static_cast<int>(value);
}

double Variant::AsDouble() const
{
    const Kind kind = GetKind();
    switch (kind) {
    case Kind::Empty: return 0;
    case Kind::Integer: return static_cast<double>(std::get<std::int64_t>(v_));
    case Kind::Double: return std::get<double>(v_);
    case Kind::Boolean: return std::get<bool>(v_) ? 1 : 0;
    case Kind::DateTime: return std::get<DateTag>(v_).value;
    case Kind::Currency: return std::get<Currency>(v_).ToDouble();
    case Kind::Text: {
        double number = 0;
        if (TryStrToFloat(std::get<std::string>(v_), number))
            return number;
        break;
    }
    case Kind::Null:
    case Kind::Bytes:
        break;
    }
    CannotConvert(kind, "Double");
}

bool Variant::AsBool() const
{
    const Kind kind = GetKind();
    switch (kind) {
    case Kind::Empty: return false;
    case Kind::Integer: return std::get<std::int64_t>(v_) != 0;
    case Kind::Double: return std::get<double>(v_) != 0;
    case Kind::Boolean: return std::get<bool>(v_);
    case Kind::DateTime: return std::get<DateTag>(v_).value != 0;
    case Kind::Currency: return std::get<Currency>(v_).Raw() != 0;
    case Kind::Text: {
        bool value = false;
        if (TryReadBool(std::get<std::string>(v_), value))
            return value;
        break;
    }
    case Kind::Null:
    case Kind::Bytes:
        break;
    }
    CannotConvert(kind, "Boolean");
}

std::string Variant::AsString() const
{
    const Kind kind = GetKind();
    switch (kind) {
    case Kind::Empty:
    case Kind::Null: return {};
    case Kind::Integer: return IntText(std::get<std::int64_t>(v_));
    case Kind::Double: return FloatToStr(std::get<double>(v_));
    case Kind::Boolean: return std::get<bool>(v_) ? "True" : "False";
    case Kind::Text: return std::get<std::string>(v_);
    case Kind::Currency: return std::get<Currency>(v_).ToText();
    case Kind::DateTime:
        try {
            return DateTimeToStr(std::get<DateTag>(v_).value);
        } catch (const ConvertError&) {
            break;
        }
    case Kind::Bytes:
        break;
    }
    CannotConvert(kind, "String");
}

TDateTime Variant::AsDateTime() const
{
    const Kind kind = GetKind();
    switch (kind) {
    case Kind::Empty: return 0;
    case Kind::Integer: return static_cast<double>(std::get<std::int64_t>(v_));
    case Kind::Double: return std::get<double>(v_);
    case Kind::DateTime: return std::get<DateTag>(v_).value;
    case Kind::Currency: return std::get<Currency>(v_).ToDouble();
    case Kind::Text: {
        TDateTime value = 0;
        if (TryReadDateTime(std::get<std::string>(v_), value))
            return value;
        break;
    }
    case Kind::Null:
    case Kind::Boolean:
    case Kind::Bytes:
        break;
    }
    CannotConvert(kind, "Date");
}

Currency Variant::AsCurrency() const
{
    const Kind kind = GetKind();
    try {
        switch (kind) {
        case Kind::Empty: return Currency();
        case Kind::Integer: {
            const std::int64_t units = std::get<std::int64_t>(v_);
            constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10000;
            if (units > kLimit || units < -kLimit)
                break;
            return Currency::FromInt(units);
        }
        case Kind::Double: return Currency::FromDouble(std::get<double>(v_));
        case Kind::Boolean: return Currency::FromInt(std::get<bool>(v_) ? 1 : 0);
        case Kind::DateTime: return Currency::FromDouble(std::get<DateTag>(v_).value);
        case Kind::Currency: return std::get<Currency>(v_);
        case Kind::Text: return Currency::FromText(std::get<std::string>(v_));
        case Kind::Null:
        case Kind::Bytes:
            break;
        }
    } catch (const ConvertError&) {
        // out of range or not a number: reported below as a failed conversion
    }
    CannotConvert(kind, "Currency");
}

const platform::Bytes& Variant::AsBytes() const
{
    static const platform::Bytes kNoBytes;
    switch (GetKind()) {
    case Kind::Bytes: return std::get<platform::Bytes>(v_);
    case Kind::Empty:
    case Kind::Null: return kNoBytes;
    default: CannotConvert(GetKind(), "Array of Byte");
    }
}

std::string Variant::ToText(FieldType type) const
{
    if (IsEmptyOrNull())
        return {};
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer: return IntText(AsInt64());
    case FieldType::Boolean: return AsBool() ? "True" : "False";
    case FieldType::Float: return FloatToStr(AsDouble());
    case FieldType::Currency: return AsCurrency().ToText();
    case FieldType::Date:
    case FieldType::DateTime:
        try {
            return type == FieldType::Date ? DateToStr(AsDateTime()) : DateTimeToStr(AsDateTime());
        } catch (const ConvertError&) {
            CannotConvert(GetKind(), "Date");
        }
    case FieldType::Graphic:
    case FieldType::FmtMemo:
        if (GetKind() == Kind::Bytes) {
            const platform::Bytes& bytes = std::get<platform::Bytes>(v_);
            return std::string(bytes.begin(), bytes.end());
        }
        return AsString();
    case FieldType::Unknown:
    case FieldType::String:
    case FieldType::Memo:
        break;
    }
    return AsString();
}

Variant Variant::FromText(std::string_view text, FieldType type)
{
    if (text.empty())
        return Null();
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer: {
        std::int64_t value = 0;
        const std::int64_t limit = type == FieldType::SmallInt ? 32767 : std::numeric_limits<int>::max();
        if (!TryReadInt64(text, value) || value > limit || value < -limit - 1)
            NotAValue(text, "integer value");
        return Variant(value);
    }
    case FieldType::Boolean: {
        bool value = false;
        if (!TryReadBool(text, value))
            NotAValue(text, "boolean value");
        return Variant(value);
    }
    case FieldType::Float: return Variant(StrToFloat(text));
    case FieldType::Currency: return Variant(Currency::FromText(text));
    case FieldType::Date:
    case FieldType::DateTime: {
        TDateTime value = 0;
        if (!TryReadDateTime(text, value))
            NotAValue(text, type == FieldType::Date ? "date" : "date and time");
        return FromDateTime(type == FieldType::Date ? DateOf(value) : value);
    }
    case FieldType::Graphic:
    case FieldType::FmtMemo: return Variant(platform::Bytes(text.begin(), text.end()));
    case FieldType::Unknown:
    case FieldType::String:
    case FieldType::Memo:
        break;
    }
    return Variant(std::string(text));
}

namespace {

// Orders two values; nullopt when they do not compare (see Variant::Compare).
std::optional<int> Order(const Variant& a, const Variant& b);

std::optional<int> OrderNumbers(const Variant& a, const Variant& b)
{
    const Kind ka = a.GetKind();
    const Kind kb = b.GetKind();
    if (ka == Kind::Integer && kb == Kind::Integer)
        return ThreeWay(a.AsInt64(), b.AsInt64());
    if (ka != Kind::Double && kb != Kind::Double) {   // integers and currency: exact in ten-thousandths
        auto raw = [](const Variant& v) -> __int128 {
            return v.GetKind() == Kind::Currency ? v.AsCurrency().Raw() : static_cast<__int128>(v.AsInt64()) * 10000;
        };
        return ThreeWay(raw(a), raw(b));
    }
    const double da = a.AsDouble();
    const double db = b.AsDouble();
    if (std::isnan(da) || std::isnan(db))
        return std::nullopt;
    if (ka == Kind::Integer)
        return -CompareDoubleInt(db, a.AsInt64());
    if (kb == Kind::Integer)
        return CompareDoubleInt(da, b.AsInt64());
    return da < db ? -1 : (da > db ? 1 : 0);
}

// A text against a value of another kind: the text read as that kind.
std::optional<int> OrderTextWith(const std::string& text, const Variant& other)
{
    switch (other.GetKind()) {
    case Kind::Integer:
    case Kind::Double:
    case Kind::Currency: {
        double number = 0;
        if (!TryStrToFloat(text, number))
            return std::nullopt;
        return Order(Variant(number), other);
    }
    case Kind::DateTime: {
        TDateTime value = 0;
        if (!TryReadDateTime(text, value))
            return std::nullopt;
        return Order(Variant::FromDateTime(value), other);
    }
    case Kind::Boolean: {
        bool value = false;
        if (!TryReadBool(text, value))
            return std::nullopt;
        return ThreeWay(value, other.AsBool());
    }
    default:
        return std::nullopt;
    }
}

std::optional<int> Order(const Variant& a, const Variant& b)
{
    const Kind ka = a.GetKind();
    const Kind kb = b.GetKind();
    // Empty before Null before every value.
    auto rank = [](Kind k) { return k == Kind::Empty ? 0 : (k == Kind::Null ? 1 : 2); };
    if (rank(ka) < 2 || rank(kb) < 2)
        return ThreeWay(rank(ka), rank(kb));

    if (IsNumber(ka) && IsNumber(kb))
        return OrderNumbers(a, b);
    if ((ka == Kind::DateTime && (kb == Kind::DateTime || IsNumber(kb))) || (kb == Kind::DateTime && IsNumber(ka))) {
        const double da = a.AsDouble();
        const double db = b.AsDouble();
        if (std::isnan(da) || std::isnan(db))
            return std::nullopt;
        return da < db ? -1 : (da > db ? 1 : 0);
    }
    if (ka == Kind::Boolean && kb == Kind::Boolean)
        return ThreeWay(a.AsBool(), b.AsBool());
    if (ka == Kind::Text && kb == Kind::Text) {
        const int c = a.AsString().compare(b.AsString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (ka == Kind::Text)
        return OrderTextWith(a.AsString(), b);
    if (kb == Kind::Text) {
        const std::optional<int> reversed = OrderTextWith(b.AsString(), a);
        return reversed ? std::optional<int>(-*reversed) : std::nullopt;
    }
    if (ka == Kind::Bytes && kb == Kind::Bytes)
        return ThreeWay(a.AsBytes(), b.AsBytes());
    return std::nullopt;
}

} // namespace

bool Variant::operator==(const Variant& other) const
{
    const std::optional<int> order = Order(*this, other);
    return order && *order == 0;
}

int Variant::Compare(const Variant& other) const
{
    const std::optional<int> order = Order(*this, other);
    if (!order)
        throw VariantError(std::string("Cannot compare a variant of type (") + KindName(GetKind())
                           + ") with one of type (" + KindName(other.GetKind()) + ")");
    return *order;
}

} // namespace platform
