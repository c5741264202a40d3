#pragma once
// Read-only access to a Paradox table file (".db") and the memo file (".mb") beside it.
//
// pxlib opens the table file and reads its header and records. The field values are decoded here
// (pxlib's reader of 4-byte integers is wrong on 64-bit systems), and so is the memo file (pxlib
// 0.6.8 overruns a stack buffer, aborting the process, when it opens one). A record holds, in the
// last ten bytes of a memo, blob or graphic field, a descriptor
//   offset 0  4 bytes LE  block offset in the memo file (low byte: index within a sub-allocated block)
//   offset 4  4 bytes LE  length of the value (for a graphic: 8 bytes more than the picture)
//   offset 8  2 bytes LE  modification number
// and in the bytes before it the start of the value; a value no longer than those bytes lives in
// the record alone. In the memo file (blocks of 4096 bytes) a value lies in
//   - a block of type 2: header of 9 bytes (type, block count, length, modification number),
//     then the value; or
//   - a block of type 3 (sub-allocated): at block + 12 + index * 5 a pointer of 5 bytes
//     [0] offset in 16-byte units, [1] length in 16-byte units rounded up, [2..3] modification
//     number, [4] bytes used of the last unit: length = ([1] - 1) * 16 + [4].
// A graphic value starts with 8 bytes before the picture; they are dropped.
//
// Neither file is ever written: both are opened for reading only.
#include <memory>
#include <string>
#include <vector>

#include "platform/Variant.h"

namespace platform {

// Field types of the file format (the type codes stored in the header).
enum class ParadoxType : int {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FmtMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoInc = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

struct ParadoxField {
    std::string Name;   // the bytes of the header, as stored
    ParadoxType Type;
    int Size;           // bytes in the record
};

class ParadoxTable {
public:
    // Opens the table file for reading. Raises FileError when it is missing, not a Paradox
    // table, damaged (a header or data-block chain that does not fit the file, a field whose
    // declared length does not fit its type or the record) or encrypted
    // (password-protected tables are not supported). The memo file (same name, extension ".mb" in any letter case) is opened when a value
    // needs it.
    explicit ParadoxTable(const std::string& file);
    ~ParadoxTable();
    ParadoxTable(const ParadoxTable&) = delete;
    ParadoxTable& operator=(const ParadoxTable&) = delete;

    const std::string& GetFileName() const;
    const std::vector<ParadoxField>& GetFields() const;
    // The name of field `index` as UTF-8 (names are ASCII in practice; other bytes read as
    // Windows-1252, which decodes every byte), or "#" and its position from 1 when it has none.
    std::string GetFieldLabel(std::size_t index) const;
    int GetRecordCount() const;

    // The values of record `index` (0 .. count - 1, in file order), one per field, as:
    //  - Null for an empty field (an alpha field of no bytes, a blank number, date or memo);
    //  - Alpha, Memo, FmtMemo, Blob, Graphic, Ole, Bytes: Bytes, exactly as stored (an alpha
    //    field up to its first zero byte; a graphic without its 8-byte prefix);
    //  - Short, Long, AutoInc: Integer; Logical: Boolean;
    //  - Number, Currency, Bcd: Double;
    //  - Date: a date-time without time of day; Time: a time of day (a fraction of a day);
    //    Timestamp: a date-time.
    // Raises FileError (naming the file, the record and the field) when the record or a memo
    // cannot be read.
    std::vector<Variant> ReadRecord(int index);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
