#include "dialogs/Ucsvtext.h"

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/StringList.h"

#include <algorithm>
#include <cstring>
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

// True when every quoted piece of a line read as comma text has its closing quote.
bool QuotesClosed(std::string_view line)
{
    std::size_t p = 0;
    const std::size_t n = line.size();
    auto skipBlanks = [&] {
        while (p < n && static_cast<unsigned char>(line[p]) <= 0x20) ++p;
    };
    skipBlanks();
    while (p < n) {
        if (line[p] == '"') {
            ++p;
            bool closed = false;
            while (p < n && !closed) {
                if (line[p] == '"' && p + 1 < n && line[p + 1] == '"') p += 2;
                else closed = line[p++] == '"';
            }
            if (!closed) return false;
        } else {
            while (p < n && static_cast<unsigned char>(line[p]) > 0x20 && line[p] != ',') ++p;
        }
        skipBlanks();
        if (p < n && line[p] == ',') {
            ++p;
            skipBlanks();
        }
    }
    return true;
}

TCsvRows ParseSjis(std::string_view bytes, const std::string& path)
{
    std::string text;
    try {
        text = platform::SjisToUtf8(bytes);
    } catch (const platform::ConvertError&) {
        // Name the first line that does not decode on its own.
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
    platform::StringList lines;
    lines.SetText(text);
    for (int i = 0; i < lines.GetCount(); ++i)
        if (!QuotesClosed(lines.GetString(i))) Refuse(path, i + 1, "引用符が閉じていません。");
    return SplitCsvText(text);
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

// The encoding of a file's bytes (the byte-order mark taken off `bytes`); raises the refusals
// that come before the rows are read.
TCsvEncoding DecideEncoding(std::string_view& bytes, const std::string& path)
{
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        throw platform::FileError(path + "\nUTF-16のファイルは読み込めません。");
    const bool bom = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (bom) bytes.remove_prefix(kUtf8Bom.size());
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        Refuse(path, LineOf(bytes, nul), "NUL文字が含まれています。");
    // One pass: the ASCII before the first high byte, then UTF-8 from there.
    const std::size_t ascii = platform::AsciiPrefixLength(bytes);
    const bool high = ascii < bytes.size();
    const std::size_t malformed = platform::Utf8ErrorOffset(bytes, ascii);
    const bool utf8 = malformed == std::string_view::npos;
    if (!bom && !(high && utf8)) return TCsvEncoding::Sjis;
    if (!utf8) Refuse(path, LineOf(bytes, malformed), "文字コードを変換できません。");
    return TCsvEncoding::Utf8;
}

} // namespace

TCsvRows ParseSpreadsheetCsv(std::string_view utf8, const std::string& path)
{
    RowsSink sink(CountLineFeeds(utf8) + 1);
    ScanSpreadsheetCsv(utf8, path, sink);
    return sink.Take();
}

TCsvFile ParseCsvBytes(std::string_view bytes, const std::string& path)
{
    TCsvFile file;
    file.Encoding = DecideEncoding(bytes, path);
    file.Rows = file.Encoding == TCsvEncoding::Utf8 ? ParseSpreadsheetCsv(bytes, path) : ParseSjis(bytes, path);
    return file;
}

TCsvFile ReadCsvFile(const std::string& path) { return ParseCsvBytes(platform::ReadFileBytes(path), path); }

TCsvEncoding ReadCsvFile(const std::string& path, TCsvGrid& grid)
{
    const std::string data = platform::ReadFileBytes(path);
    std::string_view bytes = data;
    const TCsvEncoding encoding = DecideEncoding(bytes, path);
    if (encoding == TCsvEncoding::Sjis) {
        SetRows(grid, ParseSjis(bytes, path));
        return encoding;
    }
    // A first pass raises every refusal before the grid is touched and gives its shape, as
    // SetRows makes it.
    ShapeSink shape;
    ScanSpreadsheetCsv(bytes, path, shape);
    grid.SetColCount(grid.GetFixedCols() + std::max(shape.Widest(), 1));
    grid.SetRowCount(grid.GetFixedRows() + std::max(shape.Rows(), 1));
    GridSink fill(grid);
    ScanSpreadsheetCsv(bytes, path, fill);
    if (shape.Rows() == 0) fill.Row();
    return encoding;
}

TCsvEncoding WriteCsvFile(const std::string& path, std::string_view text, TCsvEncoding encoding)
{
    if (encoding == TCsvEncoding::Sjis) {
        try {
            const std::string bytes = platform::Utf8ToSjis(text);
            if (platform::SjisToUtf8(bytes) == text) {
                platform::WriteFileAtomic(path, bytes);
                return TCsvEncoding::Sjis;
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
