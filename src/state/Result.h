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
    CannotOpen,        // the file could not be opened or read (systemError tells why)
    NotRegularFile,    // a pipe, a device or a socket: it has no length to read up to
    TooShort,          // the file ends before the header or the size table
    TooLarge,          // 2 GiB or more: a length must fit a signed 32-bit integer
    NoData,            // the entry's width and height bytes lie past the file
    EmptyImage,        // width or height below 1: nothing to draw
    InvalidImage,      // the writer was given an image it cannot store (detail tells why)
    CannotEncode,      // the PNG encoder failed (detail: its own reason)
    InvalidPalette,    // a palette file that is malformed, truncated or too long (detail tells where)
    CannotPack,        // a picture or entry cannot go into a container (detail tells why)
    WriteFailed,       // an output file could not be written (systemError tells why)
    Exists,            // the output exists already and was kept
    CannotMakeFolder,  // an output folder could not be made (systemError tells why)
    Busy,              // another program is changing the file, and did not finish in time
    ChangedOnDisk,     // the file is not the one that was read any more: nothing was written
    WriteProtected,    // the file's permissions keep this user from writing it
    OutOfMemory,
    Internal,  // an unexpected failure (detail: what was thrown)
};

// What went wrong, as codes and numbers: the front ends turn it into their
// own sentences, in their own language.
struct Error {
    ErrorCode code = ErrorCode::CannotOpen;
    std::string path;               // the file concerned, when there is one
    int systemError = 0;            // an errno value, when the system said why
    std::int64_t actualLength = 0;  // TooShort, TooLarge: the file's length
    std::int64_t neededLength = 0;  // TooShort: the length the header needs
    int imageWidth = 0;             // EmptyImage: the entry's width and height
    int imageHeight = 0;
    // A library's own reason (CannotEncode), the writer's broken rule
    // (InvalidImage) or what was thrown (Internal); empty otherwise.
    std::string detail;
};

inline Error makeError(ErrorCode code, std::string path = {}, int systemError = 0)
{
    Error e;
    e.code = code;
    e.path = std::move(path);
    e.systemError = systemError;
    return e;
}

inline Error makeDetailedError(ErrorCode code, std::string detail)
{
    Error e;
    e.code = code;
    e.detail = std::move(detail);
    return e;
}

template <typename T>
class Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit like expected
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}  // NOLINT

    bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() &
    {
        assert(has_value());
        return std::get<0>(m_state);
    }
    const T& value() const&
    {
        assert(has_value());
        return std::get<0>(m_state);
    }
    T&& value() &&
    {
        assert(has_value());
        return std::get<0>(std::move(m_state));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const
    {
        assert(!has_value());
        return std::get<1>(m_state);
    }

private:
    std::variant<T, Error> m_state;
};

}  // namespace zpk
