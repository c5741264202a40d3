#include "core/Ustringsplitter.h"

#include "platform/Text.h"

namespace {

constexpr std::string_view kOpeners = "(<[{";
constexpr std::string_view kClosers = ")>]}";

int PositionOf(std::size_t index)
{
    return index == std::string_view::npos ? 0 : static_cast<int>(index) + 1;
}

} // namespace

TStringSplitter::TStringSplitter() : splitter_(","), quote_("'\"(<[{")
{
    strings_.SetCaseSensitive(true);
}

TStringSplitter::TStringSplitter(const TStringSplitter& other)
    : strings_(other.strings_), splitter_(other.splitter_), quote_(other.quote_)
{
}

TStringSplitter& TStringSplitter::operator=(const TStringSplitter& other)
{
    if (this != &other) {
        strings_ = other.strings_;
        splitter_ = other.splitter_;
        quote_ = other.quote_;
    }
    return *this;
}

void TStringSplitter::Clear()
{
    strings_.Clear();
    splitter_ = ",";
    quote_ = "\"'";
}

int TStringSplitter::Add(std::string text)
{
    return strings_.Add(std::move(text));
}

void TStringSplitter::Delete(int index)
{
    strings_.Delete(index);
}

void TStringSplitter::SetText(std::string_view text)
{
    strings_.Clear();
    bool continued = false;
    const auto put = [&](std::string_view piece) {
        if (continued && GetCount() > 0) {
            const int last = GetCount() - 1;
            strings_.SetString(last, strings_.GetString(last) + std::string(piece));
        } else {
            strings_.Add(std::string(piece));
        }
    };

    std::string_view rest = text;
    while (!rest.empty() && !splitter_.empty()) {
        const std::size_t separator = rest.find(splitter_);
        if (separator == std::string_view::npos)
            break;
        const int p = static_cast<int>(separator) + 1;
        const int q = QuotedPos(rest);
        const int e = q != 0 ? EndQuotedPos(rest, q) : 0;
        if (q != 0 && e != 0 && q < p && p < e) {
            // The separator lies inside a quoted or bracketed section: keep the section whole.
            put(rest.substr(0, static_cast<std::size_t>(e)));
            rest.remove_prefix(static_cast<std::size_t>(e));
            continued = true;
        } else {
            put(rest.substr(0, separator));
            rest.remove_prefix(separator + splitter_.size());
            continued = false;
        }
    }
    if (!rest.empty())
        put(rest);
}

std::string TStringSplitter::GetText() const
{
    std::string text;
    for (int i = 0; i < GetCount(); ++i) {
        if (i > 0)
            text += splitter_;
        text += strings_.GetString(i);
    }
    return text;
}

int TStringSplitter::IndexOfMatches(std::string_view mask) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (platform::MatchesMask(platform::Trim(strings_.GetString(i)), mask))
            return i;
    return -1;
}

int TStringSplitter::QuotedPos(std::string_view text) const
{
    return quote_.empty() ? 0 : PositionOf(text.find_first_of(quote_));
}

int TStringSplitter::EndQuotedPos(std::string_view text, int position) const
{
    if (position < 1 || static_cast<std::size_t>(position) > text.size())
        return 0;
    const std::size_t at = static_cast<std::size_t>(position) - 1;
    const char c = text[at];
    if (const std::size_t opener = kOpeners.find(c); opener != std::string_view::npos)
        return PositionOf(text.find(kClosers[opener], at + 1));
    if (const std::size_t closer = kClosers.find(c); closer != std::string_view::npos)
        return PositionOf(text.substr(0, at).find(kOpeners[closer]));
    return PositionOf(text.find(c, at + 1));
}
