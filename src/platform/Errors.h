#pragma once
// Exceptions of the platform layer. Every error the system raises derives from platform::Error;
// SilentAbort is apart: top-level handlers swallow it without a message.
#include <stdexcept>
#include <string>

namespace platform {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// An index outside a list ("List index out of bounds (5)").
class ListIndexError : public Error { using Error::Error; };
// A negative or impossible list count.
class ListCountError : public Error { using Error::Error; };
// A text that is not a number, a date or what the reader expects; division by zero of currency.
class ConvertError : public Error { using Error::Error; };
// Integer arithmetic leaving its range (carries the message of the raising operation).
class IntOverflowError : public Error { using Error::Error; };
// A character index outside a string.
class StringIndexError : public Error { using Error::Error; };
// A variant that cannot become the requested type.
class VariantError : public Error { using Error::Error; };
// A picture whose bytes cannot be decoded.
class InvalidPictureError : public Error { using Error::Error; };
// A file that cannot be read or written, or text in a file that cannot be converted.
class FileError : public Error { using Error::Error; };

// A database error: SQLite's message, the statement that failed and SQLite's (extended) result
// code, 0 when the error did not come from SQLite.
class DatabaseError : public Error {
public:
    DatabaseError(const std::string& message, const std::string& sql = {}, int code = 0)
        : Error(sql.empty() ? message : message + "\n" + sql), sqliteMessage_(message), sql_(sql), code_(code) {}
    const std::string& SqliteMessage() const { return sqliteMessage_; }
    const std::string& Sql() const { return sql_; }
    int Code() const { return code_; }
private:
    std::string sqliteMessage_;
    std::string sql_;
    int code_ = 0;
};

// The silent abort: ends an operation without a message. Not an Error on purpose.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void Abort() { throw SilentAbort(); }

// Raises the list-index error for an index outside a list.
[[noreturn]] inline void RaiseListIndex(long long index)
{
    throw ListIndexError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace platform
