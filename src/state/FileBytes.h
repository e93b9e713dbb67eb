// The bytes of a loaded file and one zero byte behind them, in a buffer
// that is not zero-filled first: a load writes each byte once, by reading
// the file straight into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <utility>

namespace zpk {

class FileBytes {
public:
    FileBytes() = default;
    // Room for `length` bytes of data, left for the caller to fill, and the
    // zero byte behind them.
    explicit FileBytes(std::size_t length) : m_bytes(new std::uint8_t[length + 1]), m_size(length + 1)
    {
        m_bytes[length] = 0;
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
    std::uint8_t operator[](std::size_t i) const { return m_bytes[i]; }
    std::uint8_t back() const { return m_bytes[m_size - 1]; }
    std::span<const std::uint8_t> span() const { return {m_bytes.get(), m_size}; }

    // Keeps the first `length` bytes of data (at most those held) and puts
    // the zero byte behind them.
    void truncate(std::size_t length)
    {
        if (m_size == 0 || length + 1 > m_size) return;
        m_size = length + 1;
        m_bytes[length] = 0;
    }

private:
    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::size_t m_size = 0;
};

}  // namespace zpk
