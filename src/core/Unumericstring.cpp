#include "core/Unumericstring.h"

#include "platform/Codec.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr char32_t kYenSign = 0x00A5;

constexpr std::array<const char*, 10> kFullWidthDigits = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
// Numerals 0..9 and ten.
constexpr std::array<const char*, 11> kKanjiNumerals = {"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
constexpr std::array<const char*, 11> kFormalNumerals = {"零", "壱", "弐", "参", "四", "五", "六", "七", "八", "九", "拾"};
constexpr const char* kHundred = "百";
constexpr const char* kThousand = "千";
// Words after the 2nd to 5th group of four digits; a higher group has none.
constexpr std::array<const char*, 4> kGroupWords = {"万", "億", "京", "垓"};
constexpr const char* kYen = "円";
constexpr const char* kSen = "銭";
constexpr const char* kTen = "十";

std::vector<char32_t> CodePoints(std::string_view text)
{
    std::vector<char32_t> cps;
    for (std::size_t pos = 0; pos < text.size();)
        cps.push_back(platform::NextCodePoint(text, pos));
    return cps;
}

std::string FullWidth(std::string_view plain)
{
    std::string out;
    for (char32_t c : CodePoints(plain)) {
        if (c >= '0' && c <= '9')
            out += kFullWidthDigits[c - '0'];
        else if (c == kYenSign)
            out += "￥";
        else if (c == ',')
            out += "，";
        else if (c == '.')
            out += "、";
    }
    return out;
}

std::string Kanji(std::string_view plain, int style)
{
    const auto& numeral = style == 2 ? kKanjiNumerals : kFormalNumerals;

    // Cut or fill the decimals to two; a text without a point has none.
    std::vector<char32_t> text = CodePoints(plain);
    std::size_t point = 0;
    while (point < text.size() && text[point] != '.')
        ++point;
    if (point == text.size())
        text.push_back('.');
    else
        text.resize(point + 3, '0');

    std::vector<int> whole;
    std::vector<int> decimals;
    bool afterPoint = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == point)
            afterPoint = true;
        else if (text[i] >= '0' && text[i] <= '9')
            (afterPoint ? decimals : whole).push_back(static_cast<int>(text[i] - '0'));
    }

    std::string out;
    const std::size_t places = whole.size();
    bool groupHasDigit = false;
    for (std::size_t i = 0; i < places; ++i) {
        const std::size_t p = places - 1 - i;
        const int digit = whole[i];
        if (digit != 0) {
            groupHasDigit = true;
            // In the lowest group a one before ten, hundred or thousand is not written.
            if (!(digit == 1 && p < 4 && p % 4 != 0))
                out += numeral[static_cast<std::size_t>(digit)];
            switch (p % 4) {
            case 1: out += numeral[10]; break;
            case 2: out += kHundred; break;
            case 3: out += kThousand; break;
            default: break;
            }
        }
        if (p % 4 == 0) {
            const std::size_t group = p / 4;
            if (group >= 1 && group <= kGroupWords.size() && groupHasDigit)
                out += kGroupWords[group - 1];
            groupHasDigit = false;
        }
    }
    out += kYen;

    if (!decimals.empty()) {
        std::string sen;
        const int tens = decimals[0];
        if (tens != 0) {
            if (tens != 1)
                sen += numeral[static_cast<std::size_t>(tens)];
            sen += kTen;
        }
        if (decimals.size() > 1 && decimals[1] != 0)
            sen += numeral[static_cast<std::size_t>(decimals[1])];
        if (!sen.empty())
            out += sen + kSen;
    }
    if (out.starts_with(kYen))
        out = numeral[0] + out;
    return out;
}

// The smallest whole number of currency units not below the amount.
std::int64_t CeilUnits(platform::Currency amount)
{
    const std::int64_t raw = amount.Raw();
    std::int64_t units = raw / 10000;
    if (raw % 10000 > 0)
        ++units;
    return units;
}

} // namespace

TNumericString::TNumericString()
    : floatDigit_(platform::kNumberDecimals), currencyDigit_(platform::kCurrencyDecimals)
{
}

std::string TNumericString::PlainText(const platform::Variant& value) const
{
    using Kind = platform::Variant::Kind;
    const std::string yen = platform::kCurrencySign;
    switch (value.GetKind()) {
    case Kind::Integer:
        return platform::IntToStr(value.AsInt64());
    case Kind::Double: {
        const double v = value.AsDouble();
        switch (floatType_) {
        case TNSFloatType::General: return platform::FloatToStr(v);
        case TNSFloatType::Ceiling: return platform::FormatFixed(std::ceil(v) + 0.0, 0);
        default: return platform::FormatNumber(v, floatDigit_);
        }
    }
    case Kind::Currency: {
        const platform::Currency amount = value.AsCurrency();
        switch (floatType_) {
        case TNSFloatType::General: return yen + amount.ToText();
        case TNSFloatType::Ceiling: return yen + platform::IntToStr(CeilUnits(amount));
        default: return platform::FormatCurrency(amount.ToDouble(), currencyDigit_);
        }
    }
    default:
        return {};
    }
}

namespace {

constexpr int kUnitPriceSignificantDigits = 4;

} // namespace

std::string TNumericString::GetUnitPriceText(platform::Currency amount) const
{
    if (floatType_ != TNSFloatType::Formatted || digitStyle_ != 0) return GetAsString(platform::Variant(amount));
    std::int64_t fraction = amount.Raw() % 10000;
    int held = fraction == 0 ? 0 : 4;
    while (held > 0 && fraction % 10 == 0) {
        fraction /= 10;
        --held;
    }
    // Decimals only to four significant digits: ¥0.3519 and ¥2.653 a gram, but ¥172.7 and ¥1,992 a plate.
    int wholeDigits = 0;
    for (std::int64_t whole = amount.Raw() / 10000; whole != 0; whole /= 10)
        ++wholeDigits;
    const int decimals = std::min(held, std::max(0, kUnitPriceSignificantDigits - wholeDigits));
    return platform::FormatCurrency(amount.ToDouble(), std::max(decimals, currencyDigit_));
}

std::string TNumericString::GetAsString(const platform::Variant& value) const
{
    const std::string plain = PlainText(value);
    if (digitStyle_ <= 0)
        return plain;
    if (digitStyle_ == 1)
        return FullWidth(plain);
    if (plain.empty())
        return plain;
    return Kanji(plain, digitStyle_);
}

TNumericString& NumericString()
{
    return NumericString(TNSFloatType::Formatted, 0);
}

TNumericString& NumericString(TNSFloatType floatType, int digitStyle)
{
    static TNumericString instance;
    instance.SetFloatType(floatType);
    instance.SetDigitStyle(digitStyle);
    return instance;
}
