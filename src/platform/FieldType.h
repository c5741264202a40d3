#pragma once
// Types of stored fields, with the codes the screens and the schema tables use.
namespace platform {

enum class FieldType : int {
    Unknown = 0,
    String = 1,
    SmallInt = 2,
    Integer = 3,
    Boolean = 5,
    Float = 6,
    Currency = 7,
    Date = 9,
    DateTime = 11,
    Memo = 16,
    Graphic = 17,
    FmtMemo = 18,
};

} // namespace platform
