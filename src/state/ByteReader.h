// ByteReader: the one place that reads a file buffer by position.
//
// Positions are signed 64-bit offsets counted from 0. A range [pos, pos+len)
// is inside the buffer when pos >= 0, pos <= size and len <= size - pos;
// the sum pos + len is never formed, so no test can overflow. Every read
// outside the buffer reports "nothing there" instead of touching memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace zpk {

class ByteReader {
public:
    constexpr ByteReader() = default;
    constexpr explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::int64_t size() const { return static_cast<std::int64_t>(m_bytes.size()); }

    bool has(std::int64_t pos, std::int64_t len = 1) const
    {
        return pos >= 0 && len >= 0 && pos <= size() && len <= size() - pos;
    }

    std::optional<std::uint8_t> at(std::int64_t pos) const
    {
        if (!has(pos)) return std::nullopt;
        return m_bytes[static_cast<std::size_t>(pos)];
    }

    // Little-endian 16-bit value at pos and pos + 1.
    std::optional<std::uint16_t> u16(std::int64_t pos) const
    {
        if (!has(pos, 2)) return std::nullopt;
        const auto i = static_cast<std::size_t>(pos);
        return static_cast<std::uint16_t>(m_bytes[i] | (m_bytes[i + 1] << 8));
    }

    // The bytes [pos, pos + len), or an empty span when any of them lies
    // outside the buffer.
    std::span<const std::uint8_t> span(std::int64_t pos, std::int64_t len) const
    {
        if (!has(pos, len)) return {};
        return m_bytes.subspan(static_cast<std::size_t>(pos), static_cast<std::size_t>(len));
    }

    // True when byte(pos) is 0xFF and byte(pos + 1) is 0xFE, both inside.
    bool isPair(std::int64_t pos) const
    {
        if (!has(pos, 2)) return false;
        const auto i = static_cast<std::size_t>(pos);
        return m_bytes[i] == 0xFF && m_bytes[i + 1] == 0xFE;
    }

    // First position q in [from, to) that starts a 0xFF 0xFE pair lying
    // wholly inside the buffer, or `to` when there is none. `to` is clamped
    // to the buffer, so a caller may pass any bound.
    std::int64_t findPair(std::int64_t from, std::int64_t to) const
    {
        if (from < 0) from = 0;
        // a pair needs its second byte inside, so it starts at size - 2 at most
        const std::int64_t last = size() - 1;
        const std::int64_t end = to < last ? to : last;
        const std::uint8_t* b = m_bytes.data();
        std::int64_t q = from;
#if defined(__wasm_simd128__)
        // WebAssembly has no memchr worth calling: sixteen positions at a
        // time, each block's bytes q to q + 16 at or below end < size()
        const v128_t ff = wasm_i8x16_splat(-1);
        const v128_t fe = wasm_i8x16_splat(-2);
        for (; end - q >= 16; q += 16) {
            const v128_t pairs = wasm_v128_and(wasm_i8x16_eq(wasm_v128_load(b + q), ff),
                                               wasm_i8x16_eq(wasm_v128_load(b + q + 1), fe));
            const auto mask = static_cast<unsigned>(wasm_i8x16_bitmask(pairs));
            if (mask != 0) return q + __builtin_ctz(mask);
        }
        for (; q < end; ++q) {
            if (b[q] == 0xFF && b[q + 1] == 0xFE) return q;
        }
#else
        // run codes back to back: the next pair is close, found without a call
        for (const std::int64_t near = end - q < 16 ? end : q + 16; q < near; ++q) {
            if (b[q] == 0xFF && b[q + 1] == 0xFE) return q;
        }
        // memchr finds a rare 0xFF fastest; where 0xFF bytes lie close
        // together, a call for each is slow, so the search goes on 32
        // positions at a time, with no branch per byte
        for (int closeMisses = 0; q < end && closeMisses < 8;) {
            const std::int64_t hit = findByte(q, end, 0xFF);
            if (hit >= end) return to;
            if (b[hit + 1] == 0xFE) return hit;
            closeMisses = hit - q < 16 ? closeMisses + 1 : 0;
            q = hit + 1;
        }
        constexpr std::int64_t kBlock = 32;
        while (end - q >= kBlock) {
            unsigned any = 0;
            for (std::int64_t i = 0; i < kBlock; ++i)
                any |= static_cast<unsigned>(b[q + i] == 0xFF) & static_cast<unsigned>(b[q + i + 1] == 0xFE);
            if (any != 0) break;
            q += kBlock;
        }
        for (; q < end; ++q) {
            if (b[q] == 0xFF && b[q + 1] == 0xFE) return q;
        }
#endif
        return to;
    }

    // First position q in [from, to) holding `value`, or `to` when none does.
    std::int64_t findByte(std::int64_t from, std::int64_t to, std::uint8_t value) const
    {
        if (from < 0) from = 0;
        const std::int64_t end = to < size() ? to : size();
        if (from >= end) return to;
        const auto* base = m_bytes.data();
#if defined(__wasm_simd128__)
        // WebAssembly's C library looks a word at a time; sixteen bytes at a
        // time is what the native memchr does too
        std::int64_t q = from;
        const v128_t wanted = wasm_i8x16_splat(static_cast<std::int8_t>(value));
        for (; end - q >= 16; q += 16) {
            const auto mask =
                static_cast<unsigned>(wasm_i8x16_bitmask(wasm_i8x16_eq(wasm_v128_load(base + q), wanted)));
            if (mask != 0) return q + __builtin_ctz(mask);
        }
        for (; q < end; ++q) {
            if (base[q] == value) return q;
        }
        return to;
#else
        const void* hit = std::memchr(base + from, value, static_cast<std::size_t>(end - from));
        if (hit == nullptr) return to;
        return static_cast<const std::uint8_t*>(hit) - base;
#endif
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

}  // namespace zpk
