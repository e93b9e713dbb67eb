// The bytes of a loaded file and one zero byte behind them, in a buffer
// that is not zero-filled first: a load writes each byte once, by reading
// the file straight into it. The buffer comes from malloc, so that a
// stream read to its end grows it with realloc, which moves a large block
// by remapping its pages instead of holding the old and the new at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <utility>

namespace zpk {

class FileBytes {
public:
    FileBytes() = default;
    // Room for `length` bytes of data, left for the caller to fill, and the
    // zero byte behind them.
    explicit FileBytes(std::size_t length) : m_bytes(allocate(length + 1)), m_size(length + 1)
    {
        m_bytes.get()[length] = 0;
    }
    // A buffer moved from holds nothing (empty, size 0).
    FileBytes(FileBytes&& other) noexcept
        : m_bytes(std::move(other.m_bytes)), m_size(std::exchange(other.m_size, 0))
    {
    }
    FileBytes& operator=(FileBytes&& other) noexcept
    {
        m_bytes = std::move(other.m_bytes);
        m_size = std::exchange(other.m_size, 0);
        return *this;
    }
    FileBytes(const FileBytes& other) : FileBytes()
    {
        if (!other.empty()) *this = copyOf({other.data(), other.m_size - 1});
    }
    FileBytes& operator=(const FileBytes& other)
    {
        if (this != &other) *this = FileBytes(other);
        return *this;
    }

    // A copy of `data`, and the zero byte.
    static FileBytes copyOf(std::span<const std::uint8_t> data)
    {
        FileBytes out(data.size());
        if (!data.empty()) std::memcpy(out.data(), data.data(), data.size());
        return out;
    }

    // The data and the zero byte behind them; 0 while nothing is held.
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::uint8_t* data() { return m_bytes.get(); }
    const std::uint8_t* data() const { return m_bytes.get(); }
    const std::uint8_t* begin() const { return m_bytes.get(); }
    const std::uint8_t* end() const { return m_bytes.get() + m_size; }
    std::uint8_t operator[](std::size_t i) const { return m_bytes.get()[i]; }
    std::uint8_t back() const { return m_bytes.get()[m_size - 1]; }
    std::span<const std::uint8_t> span() const { return {m_bytes.get(), m_size}; }

    // Keeps the first `length` bytes of data (at most those held) and puts
    // the zero byte behind them.
    void truncate(std::size_t length)
    {
        if (m_size == 0 || length + 1 > m_size) return;
        m_size = length + 1;
        m_bytes.get()[length] = 0;
    }

    // Room for `length` bytes of data, the first ones kept (those behind
    // them are left for the caller to fill), and the zero byte behind them.
    // Throws std::bad_alloc when the memory cannot be had; then nothing
    // changes.
    void resize(std::size_t length)
    {
        void* grown = std::realloc(m_bytes.get(), length + 1);
        if (grown == nullptr) outOfMemory();
        (void)m_bytes.release();
        m_bytes.reset(static_cast<std::uint8_t*>(grown));
        m_size = length + 1;
        m_bytes.get()[length] = 0;
    }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    // std::bad_alloc, or an abort where exceptions are compiled out (the
    // WebAssembly build, whose page starts again on a trap)
    [[noreturn]] static void outOfMemory()
    {
#if defined(__cpp_exceptions)
        throw std::bad_alloc();
#else
        std::abort();
#endif
    }
    static std::uint8_t* allocate(std::size_t size)
    {
        void* p = std::malloc(size);
        if (p == nullptr) outOfMemory();
        return static_cast<std::uint8_t*>(p);
    }

    std::unique_ptr<std::uint8_t, Free> m_bytes;
    std::size_t m_size = 0;
};

}  // namespace zpk
