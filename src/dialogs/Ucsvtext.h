#pragma once
// CSV files of the grid editor: their encoding, reading and writing.
//
// Encoding, decided from the bytes at load:
//   UTF-16 byte-order mark                  refused
//   UTF-8 byte-order mark                   UTF-8
//   bytes >= 0x80, all well-formed UTF-8    UTF-8
//   anything else (pure ASCII included)     code page 932
// UTF-8 files are read as spreadsheets write them: only commas separate, blanks belong to the
// field, a quoted field may hold commas, doubled quotes and line breaks (each break becomes one
// blank), a quote inside an unquoted field is literal, only blanks may follow a closing quote.
// Code-page-932 files are read by the grid's own text rules (lines, then comma text).
//
// A file that cannot be read raises platform::FileError "<path>\n<n>行目: <reason>" with the
// physical line from 1 (an open quote names the line it opened on); nothing is returned.
#include "dialogs/Ucsvgrid.h"

#include <string>
#include <string_view>

enum class TCsvEncoding { Sjis, Utf8 };

struct TCsvFile {
    TCsvRows Rows;
    TCsvEncoding Encoding = TCsvEncoding::Sjis;
};

// The rows of a file's bytes; `path` only names the file in errors.
TCsvFile ParseCsvBytes(std::string_view bytes, const std::string& path);
TCsvFile ReadCsvFile(const std::string& path);
// Reads a file into a grid as SetRows(grid, ReadCsvFile(path).Rows) does, the cells of a UTF-8
// file written over in place (their strings keep their room). A file that cannot be read leaves
// the grid as it was. Returns the encoding read.
TCsvEncoding ReadCsvFile(const std::string& path, TCsvGrid& grid);
// The rows of UTF-8 text (no byte-order mark) by the spreadsheet rules.
TCsvRows ParseSpreadsheetCsv(std::string_view utf8, const std::string& path);

// Writes CSV text (lines ended by CR LF) through an atomic replace: code page 932 without a mark,
// or UTF-8 with a byte-order mark. A text that code page 932 cannot carry unchanged is written as
// UTF-8. Returns the encoding written.
TCsvEncoding WriteCsvFile(const std::string& path, std::string_view text, TCsvEncoding encoding);
