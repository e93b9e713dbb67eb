// Result<T>: a value or an Error, shaped like C++23's std::expected so that
// it can be swapped for it later. Bad input is reported through it; a broken
// invariant of our own is an assertion instead.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace zpk {

enum class ErrorCode {
    CannotOpen,     // the file could not be opened or read
    TooShort,       // the file ends before the header or the size table
    TooLarge,       // 2 GiB or more: a length must fit a signed 32-bit integer
    NoSuchEntry,    // a row outside the entry list
    NoData,         // the entry's width and height bytes lie past the file
    EmptyImage,     // width or height below 1: nothing to draw
    InvalidImage,   // the writer was given an image it cannot store
    WriteFailed,    // an output file could not be written
};

struct Error {
    ErrorCode code = ErrorCode::CannotOpen;
    std::int64_t offset = -1;  // byte offset the error applies to, or -1
    std::string message;       // short reason (for CannotOpen: the system's)
    std::string path;          // the file concerned, when there is one
    std::int64_t actualLength = 0;  // TooShort: the file's length
    std::int64_t neededLength = 0;  // TooShort: the length the header needs
};

// An error with a code and a short reason, nothing else known.
inline Error makeError(ErrorCode code, std::string message)
{
    Error e;
    e.code = code;
    e.message = std::move(message);
    return e;
}

template <typename T>
class Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit like expected
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}  // NOLINT

    bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() & { assert(has_value()); return std::get<0>(m_state); }
    const T& value() const& { assert(has_value()); return std::get<0>(m_state); }
    T&& value() && { assert(has_value()); return std::get<0>(std::move(m_state)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { assert(!has_value()); return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

}  // namespace zpk
