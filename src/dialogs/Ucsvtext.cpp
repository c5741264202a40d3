#include "dialogs/Ucsvtext.h"

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

[[noreturn]] void Refuse(const std::string& path, int line, const char* reason)
{
    throw platform::FileError(path + "\n" + std::to_string(line) + "行目: " + reason);
}

// Physical line (from 1) of a byte offset: CR LF, CR and LF each end one line.
int LineOf(std::string_view bytes, std::size_t offset)
{
    int line = 1;
    for (std::size_t i = 0; i < offset && i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))) ++line;
    }
    return line;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t CountLineFeeds(std::string_view text)
{
    std::size_t count = 0;
    for (const char* p = text.data(), *end = p + text.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))); ++p)
        ++count;
    return count;
}

// True when UTF-8 text holds a character of the private-use area, where code page 932 puts its
// user-defined characters.
bool HasPrivateUse(std::string_view utf8)
{
    std::size_t pos = 0;
    char32_t cp = 0;
    while (platform::TryNextCodePoint(utf8, pos, cp))
        if (cp >= 0xE000 && cp <= 0xF8FF) return true;
    return false;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// True when well-formed code page 932 bytes hold what is a Latin word in Windows-1252: between two
// ASCII letters, a double-byte character whose trail byte is a lower-case ASCII letter ("Crème" is
// "r", E8 6D, "e") or a half-width katakana ("CAFÉS" is "F", C9, "S"). Japanese text has neither.
bool HasLatinWord(std::string_view bytes)
{
    const std::size_t n = bytes.size();
    bool letterBefore = false;
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            letterBefore = IsAsciiLetter(bytes[i]);
            ++i;
            continue;
        }
        const bool single = c >= 0xA1 && c <= 0xDF;
        const std::size_t next = i + (single ? 1 : 2);
        if (letterBefore && next < n && IsAsciiLetter(bytes[next]) &&
            (single || (bytes[i + 1] >= 'a' && bytes[i + 1] <= 'z')))
            return true;
        letterBefore = false;
        i = next;
    }
    return false;
}

// Code page 932 text in UTF-8; a byte that does not decode refuses the file naming its line.
std::string DecodeSjis(std::string_view bytes, const std::string& path)
{
    try {
        return platform::SjisToUtf8(bytes);
    } catch (const platform::ConvertError&) {
        // Name the first line that does not decode on its own (CR and LF are never trail bytes).
        std::size_t start = 0;
        for (int line = 1;; ++line) {
            std::size_t end = bytes.find_first_of("\r\n", start);
            if (end == std::string_view::npos) end = bytes.size();
            try {
                platform::SjisToUtf8(bytes.substr(start, end - start));
            } catch (const platform::ConvertError&) {
                Refuse(path, line, "文字コードを変換できません。");
            }
            if (end >= bytes.size()) break;
            start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
        }
        Refuse(path, 1, "文字コードを変換できません。");
    }
}

// Reads UTF-8 text by the spreadsheet rules, handing each row's fields to `sink`: Field(piece)
// starts a field, Append(piece) adds to it, Row() ends a row. Raises the file's refusals.
template <typename Sink>
void ScanSpreadsheetCsv(std::string_view utf8, const std::string& path, Sink& sink)
{
    std::size_t p = 0;
    const std::size_t n = utf8.size();
    int line = 1;
    // Consumes a line break at p, if any; true when there was one.
    auto takeBreak = [&] {
        if (p < n && utf8[p] == '\r') {
            p += p + 1 < n && utf8[p + 1] == '\n' ? 2 : 1;
        } else if (p < n && utf8[p] == '\n') {
            ++p;
        } else {
            return false;
        }
        ++line;
        return true;
    };
    if (n == 0) return;
    while (true) {
        if (p < n && utf8[p] == '"') {
            const int opened = line;
            ++p;
            sink.Field({});
            while (true) {
                if (p >= n) Refuse(path, opened, "引用符が閉じていません。");
                if (utf8[p] == '"') {
                    if (p + 1 < n && utf8[p + 1] == '"') {
                        sink.Append("\"");
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                if (takeBreak()) {
                    sink.Append(" ");
                } else {
                    const std::size_t start = p;
                    while (p < n && utf8[p] != '"' && utf8[p] != '\r' && utf8[p] != '\n') ++p;
                    sink.Append(utf8.substr(start, p - start));
                }
            }
            while (p < n && IsBlank(utf8[p])) ++p;
            if (p < n && utf8[p] != ',' && utf8[p] != '\r' && utf8[p] != '\n')
                Refuse(path, line, "閉じた引用符の後に文字があります。");
        } else {
            const std::size_t start = p;
            while (p < n && utf8[p] != ',' && utf8[p] != '\r' && utf8[p] != '\n') ++p;
            sink.Field(utf8.substr(start, p - start));
        }
        if (p < n && utf8[p] == ',') {
            ++p;
            continue;
        }
        sink.Row();
        if (!takeBreak() || p >= n) break;   // a last break adds no row
    }
}

// The rows as lists of strings.
class RowsSink {
public:
    explicit RowsSink(std::size_t lines) { rows_.reserve(lines); }
    void Field(std::string_view piece) { row_.emplace_back(piece); }
    void Append(std::string_view piece) { row_.back().append(piece); }
    void Row()
    {
        const std::size_t width = row_.size();
        rows_.push_back(std::move(row_));
        row_ = {};
        row_.reserve(width);
    }
    TCsvRows Take() { return std::move(rows_); }

private:
    TCsvRows rows_;
    std::vector<std::string> row_;
};

// Only the shape: the number of rows and of fields in the widest one.
class ShapeSink {
public:
    void Field(std::string_view) { ++width_; }
    void Append(std::string_view) {}
    void Row()
    {
        widest_ = std::max(widest_, width_);
        width_ = 0;
        ++rows_;
    }
    int Rows() const { return rows_; }
    int Widest() const { return widest_; }

private:
    int rows_ = 0;
    int width_ = 0;
    int widest_ = 0;
};

// The non-fixed cells of a grid already shaped for the rows, written over in place: their
// strings keep their room. The cells after a short row's last field are emptied.
class GridSink {
public:
    explicit GridSink(TCsvGrid& grid) : grid_(grid), row_(grid.GetFixedRows()), col_(grid.GetFixedCols()) {}
    void Field(std::string_view piece) { grid_.CellAt(col_++, row_).assign(piece); }
    void Append(std::string_view piece) { grid_.CellAt(col_ - 1, row_).append(piece); }
    void Row()
    {
        while (col_ < grid_.GetColCount()) grid_.CellAt(col_++, row_).clear();
        ++row_;
        col_ = grid_.GetFixedCols();
    }

private:
    TCsvGrid& grid_;
    int row_;
    int col_;
};

// The encoding of bytes without a byte-order mark, by the rules of the header; the code page 932
// text when that is the encoding.
TCsvEncoding Detect(std::string_view bytes, std::string* sjis)
{
    // One pass: the ASCII before the first high byte, then UTF-8 from there.
    const std::size_t ascii = platform::AsciiPrefixLength(bytes);
    if (platform::Utf8ErrorOffset(bytes, ascii) == std::string_view::npos) return TCsvEncoding::Utf8;
    std::string text;
    try {
        text = platform::SjisToUtf8(bytes);
    } catch (const platform::ConvertError&) {
        return TCsvEncoding::Cp1252;
    }
    if (HasPrivateUse(text) || HasLatinWord(bytes)) return TCsvEncoding::Cp1252;
    if (sjis) *sjis = std::move(text);
    return TCsvEncoding::Sjis;
}

bool HasUtf16Mark(std::string_view bytes)
{
    return bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

// A file's text in UTF-8: a view of its own bytes when they are UTF-8, else the decoded copy.
class CsvText {
public:
    // Raises the refusals that come before the rows are read.
    CsvText(std::string_view bytes, const std::string& path, std::optional<TCsvEncoding> named)
    {
        if (HasUtf16Mark(bytes)) throw platform::FileError(path + "\nUTF-16のファイルは読み込めません。");
        const bool bom = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
        if (bom) bytes.remove_prefix(kUtf8Bom.size());
        if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
            Refuse(path, LineOf(bytes, nul), "NUL文字が含まれています。");
        bytes_ = bytes;
        encoding_ = named ? *named : bom ? TCsvEncoding::Utf8 : Detect(bytes, &decoded_);
        if (!named && encoding_ == TCsvEncoding::Sjis) return;   // decoded by Detect
        switch (encoding_) {
        case TCsvEncoding::Utf8:
            if (const std::size_t bad = platform::Utf8ErrorOffset(bytes); bad != std::string_view::npos)
                Refuse(path, LineOf(bytes, bad), "文字コードを変換できません。");
            break;
        case TCsvEncoding::Sjis: decoded_ = DecodeSjis(bytes, path); break;
        case TCsvEncoding::Cp1252: decoded_ = platform::Cp1252ToUtf8(bytes); break;
        }
    }
    TCsvEncoding Encoding() const { return encoding_; }
    std::string_view Text() const { return encoding_ == TCsvEncoding::Utf8 ? bytes_ : std::string_view(decoded_); }

private:
    std::string_view bytes_;
    std::string decoded_;
    TCsvEncoding encoding_ = TCsvEncoding::Utf8;
};

} // namespace

const char* CsvEncodingName(TCsvEncoding encoding)
{
    switch (encoding) {
    case TCsvEncoding::Utf8: return "UTF-8";
    case TCsvEncoding::Sjis: return "Shift-JIS";
    case TCsvEncoding::Cp1252: return "Windows-1252";
    }
    return "";
}

TCsvEncoding DetectCsvEncoding(std::string_view bytes)
{
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) return TCsvEncoding::Utf8;
    return Detect(bytes, nullptr);
}

TCsvRows ParseSpreadsheetCsv(std::string_view utf8, const std::string& path)
{
    RowsSink sink(CountLineFeeds(utf8) + 1);
    ScanSpreadsheetCsv(utf8, path, sink);
    return sink.Take();
}

TCsvFile ParseCsvBytes(std::string_view bytes, const std::string& path, std::optional<TCsvEncoding> encoding)
{
    const CsvText text(bytes, path, encoding);
    TCsvFile file;
    file.Encoding = text.Encoding();
    file.Rows = ParseSpreadsheetCsv(text.Text(), path);
    return file;
}

TCsvFile ReadCsvFile(const std::string& path, std::optional<TCsvEncoding> encoding)
{
    return ParseCsvBytes(platform::ReadFileBytes(path), path, encoding);
}

TCsvEncoding ReadCsvFile(const std::string& path, TCsvGrid& grid, std::optional<TCsvEncoding> encoding)
{
    const std::string data = platform::ReadFileBytes(path);
    const CsvText text(data, path, encoding);
    // A first pass raises every refusal before the grid is touched and gives its shape, as
    // SetRows makes it.
    ShapeSink shape;
    ScanSpreadsheetCsv(text.Text(), path, shape);
    grid.SetColCount(grid.GetFixedCols() + std::max(shape.Widest(), 1));
    grid.SetRowCount(grid.GetFixedRows() + std::max(shape.Rows(), 1));
    GridSink fill(grid);
    ScanSpreadsheetCsv(text.Text(), path, fill);
    if (shape.Rows() == 0) fill.Row();
    return text.Encoding();
}

TCsvEncoding WriteCsvFile(const std::string& path, std::string_view text, TCsvEncoding encoding)
{
    if (encoding != TCsvEncoding::Utf8) {
        const bool sjis = encoding == TCsvEncoding::Sjis;
        try {
            const std::string bytes = sjis ? platform::Utf8ToSjis(text) : platform::Utf8ToCp1252(text);
            if ((sjis ? platform::SjisToUtf8(bytes) : platform::Cp1252ToUtf8(bytes)) == text) {
                platform::WriteFileAtomic(path, bytes);
                return encoding;
            }
        } catch (const platform::ConvertError&) {
            // Not in the code page: written as UTF-8 below.
        }
    }
    std::string bytes(kUtf8Bom);
    bytes += text;
    platform::WriteFileAtomic(path, bytes);
    return TCsvEncoding::Utf8;
}
