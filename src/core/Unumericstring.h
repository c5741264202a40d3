#pragma once
// Display text of a number held in a variant (integer, double or currency amount) for reports and
// grids: plain, grouped with the currency sign, rounded up, in full-width digits or in kanji
// numerals with the yen and sen units. One program-wide instance serves every caller; a caller
// sets the float type and digit style through the accessor and then asks for the text.
#include "platform/Variant.h"

#include <cstdint>
#include <string>

// How a double or currency amount becomes plain text (stored as its integer value).
enum class TNSFloatType : std::uint8_t {
    Formatted = 0,   // grouped, FloatDigit / CurrencyDigit decimals, currency with its sign
    General = 1,     // shortest text; currency as "¥" and up to four decimals
    Ceiling = 2,     // rounded up to a whole number; currency with "¥" in front
};

class TNumericString {
public:
    // Decimals of the program's fixed regional settings: 2 for numbers, 0 for currency.
    TNumericString();
    virtual ~TNumericString() = default;

    int GetFloatDigit() const { return floatDigit_; }
    void SetFloatDigit(int value) { floatDigit_ = value; }
    int GetCurrencyDigit() const { return currencyDigit_; }
    void SetCurrencyDigit(int value) { currencyDigit_ = value; }
    // 0 plain, 1 full-width, 2 kanji numerals, 3 and above formal kanji numerals.
    int GetDigitStyle() const { return digitStyle_; }
    void SetDigitStyle(int value) { digitStyle_ = value; }
    TNSFloatType GetFloatType() const { return floatType_; }
    void SetFloatType(TNSFloatType value) { floatType_ = value; }

    // The text of an integer, double or currency variant; "" for any other kind.
    std::string GetAsString(const platform::Variant& value) const;
    // The text of a price of one use unit (a use price, an item's price, a history price): as
    // GetAsString, but a Formatted amount keeps the decimals it holds past CurrencyDigit, as far as
    // four significant digits, so that a price per gram under one yen does not read ¥0 and a price
    // of a plate does not read to a ten-thousandth of a yen.
    std::string GetUnitPriceText(platform::Currency amount) const;

private:
    std::string PlainText(const platform::Variant& value) const;

    int floatDigit_;
    int currencyDigit_;
    int digitStyle_ = 0;
    TNSFloatType floatType_ = TNSFloatType::Formatted;
};

// The program-wide instance (created on first use), with DigitStyle and FloatType reset to 0.
TNumericString& NumericString();
// The program-wide instance with FloatType and DigitStyle set to the arguments.
TNumericString& NumericString(TNSFloatType floatType, int digitStyle);
