#pragma once
// CSV files of the grid editor: their encoding, reading and writing.
//
// Encoding, decided from the bytes at load unless the caller names one:
//   UTF-16 byte-order mark                  refused
//   UTF-8 byte-order mark                   UTF-8
//   well-formed UTF-8, pure ASCII included  UTF-8
//   well-formed code page 932               code page 932, unless it decodes to user-defined
//                                           characters or holds a Latin word of Windows-1252
//                                           (an accented letter between ASCII letters)
//   anything else                           Windows-1252 (every byte decodes)
// A named encoding reads the bytes (a UTF-8 mark taken off) in that encoding only.
// Every encoding is read as spreadsheets write CSV (RFC 4180): only commas separate, blanks belong
// to the field, a quoted field may hold commas, doubled quotes and line breaks (each break becomes
// one blank), a quote inside an unquoted field is literal, only blanks may follow a closing quote.
// The program's own CSV (GetCSV) quotes every field holding a blank, so it reads back unchanged.
//
// A file that cannot be read raises platform::FileError "<path>\n<n>行目: <reason>" with the
// physical line from 1 (an open quote names the line it opened on); nothing is returned.
#include "dialogs/Ucsvgrid.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

enum class TCsvEncoding { Sjis, Utf8, Cp1252 };
// The encodings in the order the wizard offers them.
inline constexpr std::array<TCsvEncoding, 3> kCsvEncodings = {TCsvEncoding::Utf8, TCsvEncoding::Sjis,
                                                             TCsvEncoding::Cp1252};
// "UTF-8", "Shift-JIS", "Windows-1252".
const char* CsvEncodingName(TCsvEncoding encoding);

struct TCsvFile {
    TCsvRows Rows;
    TCsvEncoding Encoding = TCsvEncoding::Sjis;
};

// The encoding the bytes are read in when none is named (a byte-order mark included in them).
TCsvEncoding DetectCsvEncoding(std::string_view bytes);
// The rows of a file's bytes in the named encoding, else the detected one; `path` only names the
// file in errors.
TCsvFile ParseCsvBytes(std::string_view bytes, const std::string& path, std::optional<TCsvEncoding> encoding = {});
TCsvFile ReadCsvFile(const std::string& path, std::optional<TCsvEncoding> encoding = {});
// Reads a file into a grid as SetRows(grid, ReadCsvFile(path, encoding).Rows) does, the cells
// written over in place (their strings keep their room). A file that cannot be read leaves the
// grid as it was. Returns the encoding read.
TCsvEncoding ReadCsvFile(const std::string& path, TCsvGrid& grid, std::optional<TCsvEncoding> encoding = {});
// The rows of UTF-8 text (no byte-order mark) by the spreadsheet rules.
TCsvRows ParseSpreadsheetCsv(std::string_view utf8, const std::string& path);

// Writes CSV text (lines ended by CR LF) through an atomic replace: code page 932 or Windows-1252
// without a mark, or UTF-8 with a byte-order mark. A text that the code page cannot carry unchanged
// is written as UTF-8. Returns the encoding written.
TCsvEncoding WriteCsvFile(const std::string& path, std::string_view text, TCsvEncoding encoding);
