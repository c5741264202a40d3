#include "platform/Paradox.h"

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/Files.h"

namespace platform {

namespace {

// pxlib counts days from 0001-01-01 (day 1) and timestamps in milliseconds from the same origin;
// the date-time type counts days from 1899-12-30.
constexpr double kDayOffset = 693594.0;
constexpr double kMsPerDay = 86400000.0;

// Size of the value descriptor at the end of a memo, blob or graphic field.
constexpr int kBlobDescriptorSize = 10;
// Bytes before the picture of a graphic value.
constexpr std::size_t kGraphicPrefix = 8;

std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Integers of 1, 2 or 4 bytes: big-endian with the sign bit inverted; all bytes zero is empty.
// (pxlib's own reader of 4-byte integers tests 8 bytes on 64-bit systems, so the bytes are
// decoded here.)
bool ReadInteger(const unsigned char* p, int size, std::int64_t& value) {
    std::uint32_t raw = 0;
    bool empty = true;
    for (int i = 0; i < size; ++i) {
        raw = raw << 8 | p[i];
        empty = empty && p[i] == 0;
    }
    if (empty) return false;
    const std::uint32_t sign = 1u << (8 * size - 1);
    const std::uint32_t bits = raw ^ sign;   // two's complement of `size` bytes
    value = (bits & sign) ? static_cast<std::int64_t>(bits) - (static_cast<std::int64_t>(sign) << 1)
                          : static_cast<std::int64_t>(bits);
    return true;
}

// Doubles: big-endian IEEE 754; a positive value has its sign bit set, a negative one all bits
// inverted; all bytes zero is empty.
bool ReadDouble(const unsigned char* p, double& value) {
    std::uint64_t raw = 0;
    for (int i = 0; i < 8; ++i) raw = raw << 8 | p[i];
    if (raw == 0) return false;
    raw = (raw & 0x8000000000000000ull) ? raw & 0x7fffffffffffffffull : ~raw;
    std::memcpy(&value, &raw, sizeof value);
    return true;
}

std::uint16_t Le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The table file's header and data-block chain, checked before pxlib sees the file: pxlib trusts
// them, and a damaged or encrypted table makes it read past the file or follow a block chain that
// never ends. Header fields (little-endian):
//   0x00 record size (2)   0x02 header size (2)   0x05 block size in KiB (1)   0x06 records (4)
//   0x0C blocks (2)   0x0E first block (2)   0x10 last block (2)   0x21 fields (2)
//   0x25 encryption (4): 0, or 0xFF00FF00 with the word at 0x5C holding it (0: not encrypted)
// Block n (from 1) lies at header size + (n - 1) * block size and starts with the next block's
// number (2), the previous one's (2) and the bytes of its records minus one record (2, signed).
class HeaderCheck {
public:
    explicit HeaderCheck(const std::string& file) : file_(file) {}

    void Run() {
        std::FILE* stream = std::fopen(file_.c_str(), "rb");
        if (!stream) Fail("cannot be opened");
        std::fseek(stream, 0, SEEK_END);
        const long size = std::ftell(stream);
        std::rewind(stream);
        if (size >= static_cast<long>(kDataHeaderEnd)) {
            bytes_.resize(static_cast<std::size_t>(size));
            if (std::fread(bytes_.data(), 1, bytes_.size(), stream) != bytes_.size()) bytes_.clear();
        }
        std::fclose(stream);
        if (bytes_.size() < kDataHeaderEnd) Fail("the header is cut short");

        const unsigned char* head = bytes_.data();
        std::uint32_t encryption = Le32(head + 0x25);
        if (encryption == 0xFF00FF00u) encryption = Le32(head + 0x5C);
        if (encryption != 0)
            throw FileError("テーブル'" + file_ + "'はパスワードで保護されています。\n\r"
                            "パスワード付きのテーブルには対応していません。");

        const std::size_t recordSize = Le16(head);
        const std::size_t headerSize = Le16(head + 0x02);
        const std::size_t blockSize = std::size_t{head[0x05]} * 1024;
        const std::uint32_t records = Le32(head + 0x06);
        const std::size_t blocks = Le16(head + 0x0C);
        const std::size_t first = Le16(head + 0x0E);
        const std::size_t last = Le16(head + 0x10);
        const std::size_t fieldCount = Le16(head + 0x21);
        if (fieldCount == 0 || headerSize < kDataHeaderEnd + fieldCount * 2 || headerSize > bytes_.size())
            Fail("the header size does not fit the file");
        if (blockSize == 0 || blockSize > 32 * 1024) Fail("unknown block size");
        if (recordSize == 0 || recordSize + kBlockHead > blockSize) Fail("record size does not fit a block");
        if (blocks > (bytes_.size() - headerSize) / blockSize) Fail("the file ends before its last block");
        if (first > blocks || last > blocks || (first == 0) != (blocks == 0) || (last == 0) != (blocks == 0))
            Fail("block numbers outside the file");

        // The chain from the first block: every block at most once, and it holds the records.
        std::vector<bool> seen(blocks + 1, false);
        std::uint64_t stored = 0;
        for (std::size_t block = first; block != 0;) {
            if (block > blocks || seen[block]) Fail("the data blocks are not a chain");
            seen[block] = true;
            const unsigned char* data = head + headerSize + (block - 1) * blockSize;
            const auto added = static_cast<std::int16_t>(Le16(data + 4));
            if (added >= 0) {
                const std::size_t count = static_cast<std::size_t>(added) / recordSize + 1;
                if (count * recordSize + kBlockHead > blockSize) Fail("block " + std::to_string(block) + " overflows");
                stored += count;
            }
            block = Le16(data);
        }
        if (records > stored) Fail("records missing from the data blocks");
    }

private:
    static constexpr std::size_t kDataHeaderEnd = 0x78;
    static constexpr std::size_t kBlockHead = 6;

    [[noreturn]] void Fail(const std::string& what) const {
        throw FileError("Paradox table " + file_ + ": damaged (" + what + ")");
    }

    const std::string& file_;
    std::vector<unsigned char> bytes_;
};

// Whether a field of `type` may be `size` bytes long: the fixed sizes of the numeric, date and
// logical types, 1 to 255 bytes of alpha or bytes, at least a descriptor for a memo. A type this
// reader does not know is left to the record read, which refuses it.
bool SizeFitsType(ParadoxType type, int size) {
    switch (type) {
    case ParadoxType::Logical: return size == 1;
    case ParadoxType::Short: return size == 2;
    case ParadoxType::Long:
    case ParadoxType::AutoInc:
    case ParadoxType::Date:
    case ParadoxType::Time: return size == 4;
    case ParadoxType::Number:
    case ParadoxType::Currency:
    case ParadoxType::Timestamp: return size == 8;
    case ParadoxType::Bcd: return size == 17;
    case ParadoxType::Alpha:
    case ParadoxType::Bytes: return size >= 1 && size <= 255;
    case ParadoxType::Memo:
    case ParadoxType::Blob:
    case ParadoxType::FmtMemo:
    case ParadoxType::Ole:
    case ParadoxType::Graphic: return size >= kBlobDescriptorSize && size <= 255;
    }
    return size >= 0;
}

} // namespace

struct ParadoxTable::Impl {
    std::string file;
    pxdoc_t* doc = nullptr;
    std::string lastError;            // the last error pxlib reported
    std::vector<ParadoxField> fields;
    std::vector<int> offsets;         // start of each field in the record
    std::vector<int> fieldDecimals;   // px_fdc of each field (the digits of a BCD field)
    std::vector<char> record;
    std::FILE* memo = nullptr;        // the memo file, opened on first need
    long memoSize = 0;                // its size in bytes

    ~Impl() {
        if (memo) std::fclose(memo);
        if (doc) {
            PX_close(doc);
            PX_delete(doc);
        }
    }

    static void OnError(pxdoc_t*, int level, const char* message, void* data) {
        if (level == PX_Warning) return;
        static_cast<Impl*>(data)->lastError = message ? message : "unknown error";
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw FileError("Paradox table " + file + ": " + what);
    }

    std::string FieldLabel(std::size_t field) const {
        const std::string& name = fields[field].Name;
        if (name.empty()) return "#" + std::to_string(field + 1);
        return IsValidUtf8(name) ? name : Cp1252ToUtf8(name);
    }

    [[noreturn]] void FailField(int recordIndex, std::size_t field, const std::string& what) const {
        Fail("record " + std::to_string(recordIndex + 1) + ", field " + FieldLabel(field) + ": " + what);
    }

    void OpenMemoFile(int recordIndex, std::size_t field) {
        if (memo) return;
        const std::filesystem::path path(file);
        const std::string folder = path.has_parent_path() ? path.parent_path().string() : ".";
        const std::string name = path.stem().string() + ".mb";
        const std::string found = FindFileNoCase(folder, name);
        if (found.empty()) FailField(recordIndex, field, "the memo file " + name + " is missing");
        memo = std::fopen(found.c_str(), "rb");
        if (!memo) FailField(recordIndex, field, "the memo file " + found + " cannot be opened");
        if (std::fseek(memo, 0, SEEK_END) != 0 || (memoSize = std::ftell(memo)) < 0)
            FailField(recordIndex, field, "the memo file " + found + " cannot be read");
    }

    void ReadMemo(long offset, void* buffer, std::size_t size, int recordIndex, std::size_t field) {
        if (std::fseek(memo, offset, SEEK_SET) != 0 || std::fread(buffer, 1, size, memo) != size)
            FailField(recordIndex, field, "the memo file ends before the value");
    }

    // `length` bytes of the memo file from `offset`; a length the file cannot hold (a damaged
    // descriptor) fails before anything is allocated.
    Bytes ReadMemoValue(long offset, std::uint32_t length, int recordIndex, std::size_t field) {
        if (offset > memoSize || length > static_cast<std::uint64_t>(memoSize - offset))
            FailField(recordIndex, field, "the memo file ends before the value");
        Bytes value(length);
        ReadMemo(offset, value.data(), length, recordIndex, field);
        return value;
    }

    // The value of a memo, blob or graphic field (see the header for the layout).
    Variant ReadBlob(const unsigned char* data, int size, int recordIndex, std::size_t field) {
        const int leader = size - kBlobDescriptorSize;
        if (leader < 0) FailField(recordIndex, field, "field too short for a memo");
        const std::uint32_t pointer = Le32(data + leader);
        const std::uint32_t length = Le32(data + leader + 4);
        if (length == 0) return Variant::Null();

        Bytes value;
        if (length <= static_cast<std::uint32_t>(leader)) {
            value.assign(data, data + length);
        } else {
            const long block = static_cast<long>(pointer & 0xffffff00u);
            const unsigned index = pointer & 0xffu;
            if (block == 0) FailField(recordIndex, field, "memo without a block");
            OpenMemoFile(recordIndex, field);
            unsigned char head[9];
            ReadMemo(block, head, sizeof head, recordIndex, field);
            if (head[0] == 2) {
                if (index != 0xffu || Le32(head + 3) != length)
                    FailField(recordIndex, field, "memo block does not match the record");
                value = ReadMemoValue(block + static_cast<long>(sizeof head), length, recordIndex, field);
            } else if (head[0] == 3) {
                unsigned char entry[5];
                ReadMemo(block + 12 + static_cast<long>(index) * 5, entry, sizeof entry, recordIndex, field);
                if ((static_cast<std::uint32_t>(entry[1]) - 1) * 16 + entry[4] != length)
                    FailField(recordIndex, field, "memo entry does not match the record");
                value = ReadMemoValue(block + static_cast<long>(entry[0]) * 16, length, recordIndex, field);
            } else {
                FailField(recordIndex, field, "memo block of unknown type " + std::to_string(head[0]));
            }
        }
        if (fields[field].Type == ParadoxType::Graphic) {
            if (value.size() < kGraphicPrefix) FailField(recordIndex, field, "graphic too short");
            value.erase(value.begin(), value.begin() + kGraphicPrefix);
            if (value.empty()) return Variant::Null();
        }
        return Variant(std::move(value));
    }

    Variant ReadValue(std::size_t field, int recordIndex) {
        const ParadoxField& def = fields[field];
        char* data = record.data() + offsets[field];
        const auto* bytes = reinterpret_cast<const unsigned char*>(data);
        switch (def.Type) {
        case ParadoxType::Alpha: {
            std::size_t length = 0;
            while (length < static_cast<std::size_t>(def.Size) && bytes[length] != 0) ++length;
            if (length == 0) return Variant::Null();
            return Variant(Bytes(bytes, bytes + length));
        }
        case ParadoxType::Bytes:
            if (bytes[0] == 0) return Variant::Null();
            return Variant(Bytes(bytes, bytes + def.Size));
        case ParadoxType::Short: {
            std::int64_t value = 0;
            if (!ReadInteger(bytes, 2, value)) return Variant::Null();
            return Variant(value);
        }
        case ParadoxType::Long:
        case ParadoxType::AutoInc: {
            std::int64_t value = 0;
            if (!ReadInteger(bytes, 4, value)) return Variant::Null();
            return Variant(value);
        }
        case ParadoxType::Logical: {
            std::int64_t value = 0;
            if (!ReadInteger(bytes, 1, value)) return Variant::Null();
            return Variant(value != 0);
        }
        case ParadoxType::Number:
        case ParadoxType::Currency: {
            double value = 0;
            if (!ReadDouble(bytes, value)) return Variant::Null();
            return Variant(value);
        }
        case ParadoxType::Date: {
            std::int64_t days = 0;
            if (!ReadInteger(bytes, 4, days)) return Variant::Null();
            return Variant::FromDateTime(static_cast<double>(days) - kDayOffset);
        }
        case ParadoxType::Time: {
            std::int64_t ms = 0;
            if (!ReadInteger(bytes, 4, ms)) return Variant::Null();
            return Variant::FromDateTime(static_cast<double>(ms) / kMsPerDay);
        }
        case ParadoxType::Timestamp: {
            double ms = 0;
            if (!ReadDouble(bytes, ms)) return Variant::Null();
            return Variant::FromDateTime(ms / kMsPerDay - kDayOffset);
        }
        case ParadoxType::Bcd: {
            char* text = nullptr;
            const int ret = PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), fieldDecimals[field], &text);
            if (ret <= 0 || text == nullptr) return Variant::Null();
            std::string number(text);
            doc->free(doc, text);
            for (char& c : number)
                if (c == ',') c = '.';   // pxlib writes the decimal point of the C locale
            double value = 0;
            const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
            if (ec != std::errc() || end != number.data() + number.size())
                FailField(recordIndex, field, "unreadable number " + number);
            return Variant(value);
        }
        case ParadoxType::Memo:
        case ParadoxType::Blob:
        case ParadoxType::FmtMemo:
        case ParadoxType::Ole:
        case ParadoxType::Graphic: return ReadBlob(bytes, def.Size, recordIndex, field);
        }
        FailField(recordIndex, field, "unsupported field type " + std::to_string(static_cast<int>(def.Type)));
    }
};

ParadoxTable::ParadoxTable(const std::string& file) : impl_(std::make_unique<Impl>()) {
    Impl& impl = *impl_;
    impl.file = file;
    if (!FileExists(file)) impl.Fail("file not found");
    HeaderCheck(file).Run();
    impl.doc = PX_new3(&Impl::OnError, nullptr, nullptr, nullptr, &impl);
    if (!impl.doc) impl.Fail("out of memory");
    if (PX_open_file(impl.doc, file.c_str()) < 0) impl.Fail("not a Paradox table (" + impl.lastError + ")");
    const pxhead_t* head = impl.doc->px_head;
    if (!head || (head->px_filetype != pxfFileTypIndexDB && head->px_filetype != pxfFileTypNonIndexDB))
        impl.Fail("not a Paradox table");

    const int count = PX_get_num_fields(impl.doc);
    int offset = 0;
    for (int i = 0; i < count; ++i) {
        const pxfield_t* field = PX_get_field(impl.doc, i);
        if (!field) impl.Fail("unreadable field definition");
        const auto type = static_cast<ParadoxType>(static_cast<unsigned char>(field->px_ftype));
        impl.fields.push_back({field->px_fname ? field->px_fname : "", type, field->px_flen});
        impl.fieldDecimals.push_back(field->px_fdc);
        impl.offsets.push_back(offset);
        if (!SizeFitsType(type, field->px_flen))
            impl.Fail("damaged (field " + impl.FieldLabel(impl.fields.size() - 1) + " of type " +
                      std::to_string(static_cast<int>(type)) + " declared " + std::to_string(field->px_flen) +
                      " bytes long)");
        offset += field->px_flen;
    }
    if (offset > PX_get_recordsize(impl.doc)) impl.Fail("damaged (fields exceed the record size)");
    impl.record.assign(static_cast<std::size_t>(PX_get_recordsize(impl.doc)), 0);
}

ParadoxTable::~ParadoxTable() = default;

const std::string& ParadoxTable::GetFileName() const { return impl_->file; }

const std::vector<ParadoxField>& ParadoxTable::GetFields() const { return impl_->fields; }

std::string ParadoxTable::GetFieldLabel(std::size_t index) const { return impl_->FieldLabel(index); }

int ParadoxTable::GetRecordCount() const { return PX_get_num_records(impl_->doc); }

std::vector<Variant> ParadoxTable::ReadRecord(int index) {
    Impl& impl = *impl_;
    if (index < 0 || index >= GetRecordCount()) impl.Fail("record " + std::to_string(index + 1) + " out of range");
    impl.lastError.clear();
    if (!PX_get_record(impl.doc, index, impl.record.data()))
        impl.Fail("record " + std::to_string(index + 1) + " unreadable (" + impl.lastError + ")");
    std::vector<Variant> values;
    values.reserve(impl.fields.size());
    for (std::size_t i = 0; i < impl.fields.size(); ++i) values.push_back(impl.ReadValue(i, index));
    return values;
}

} // namespace platform
