// What the fuzz targets share: a check that aborts with a message, the
// layout of a render input (options in front of the container bytes), a
// CRC-32, and, under libFuzzer, a tracker of the bytes allocated while one
// input runs.
//
// Every target compiles with clang (libFuzzer) and with g++ (the CTest
// replay), so nothing here is clang-only unless guarded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#if defined(ZPK_FUZZ_TRACK_ALLOCATIONS)
#include <sanitizer/allocator_interface.h>
#endif

namespace zpk::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line, long long a = 0, long long b = 0,
                              bool withValues = false)
{
    if (withValues) std::fprintf(stderr, "%s:%d: check failed: %s (%lld vs %lld)\n", file, line, what, a, b);
    else std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) ::zpk::fuzz::fail(#cond, __FILE__, __LINE__);                                           \
    } while (0)

#define FUZZ_CHECK_EQ(a, b)                                                                                  \
    do {                                                                                                     \
        const auto fuzzA_ = (a);                                                                             \
        const auto fuzzB_ = (b);                                                                             \
        if (!(fuzzA_ == fuzzB_))                                                                             \
            ::zpk::fuzz::fail(#a " == " #b, __FILE__, __LINE__, static_cast<long long>(fuzzA_),              \
                              static_cast<long long>(fuzzB_), true);                                         \
    } while (0)

// Inputs of fuzz_render and fuzz_differential:
//   byte 0        option bits: 1 UserColor, 2 drop first, 4 clear
//   bytes 1 to 3  lengths of the three box texts, each taken modulo 25
//   then          the three texts, back to back
//   then          the container file
// A short input gives short (or empty) texts and an empty container.
constexpr std::size_t kMaxBoxText = 24;

struct RenderInput {
    bool userColor = false;
    bool dropFirst = false;
    bool clear = false;
    std::array<std::string, 3> boxes;
    std::span<const std::uint8_t> container;
};

inline RenderInput splitRenderInput(const std::uint8_t* data, std::size_t size)
{
    RenderInput in;
    const std::span<const std::uint8_t> all(data, size);
    std::size_t pos = 0;
    const std::uint8_t flags = size > 0 ? all[0] : 0;
    in.userColor = (flags & 1) != 0;
    in.dropFirst = (flags & 2) != 0;
    in.clear = (flags & 4) != 0;
    pos = size < 4 ? size : 4;
    for (std::size_t i = 0; i < 3; ++i) {
        std::size_t length = i + 1 < size ? all[i + 1] % (kMaxBoxText + 1) : 0;
        if (length > size - pos) length = size - pos;
        in.boxes[i].assign(reinterpret_cast<const char*>(all.data()) + pos, length);
        pos += length;
    }
    in.container = all.subspan(pos);
    return in;
}

// The inverse, for the seed generator.
inline std::vector<std::uint8_t> joinRenderInput(std::uint8_t flags, const std::array<std::string, 3>& boxes,
                                                 const std::vector<std::uint8_t>& container)
{
    std::vector<std::uint8_t> out{flags};
    for (const auto& text : boxes) out.push_back(static_cast<std::uint8_t>(text.size()));
    for (const auto& text : boxes) out.insert(out.end(), text.begin(), text.end());
    out.insert(out.end(), container.begin(), container.end());
    return out;
}

// The file bytes as parseContainer wants them, with room for the zero byte
// behind the data so that no second buffer is needed.
inline std::vector<std::uint8_t> fileContents(std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> contents;
    contents.reserve(bytes.size() + 1);
    contents.assign(bytes.begin(), bytes.end());
    return contents;
}

// CRC-32 (IEEE 802.3, reflected, polynomial 0xEDB88320), as zlib computes
// it: crc32Update(crc32Update(0, a), b) is the CRC of a followed by b.
inline std::uint32_t crc32Update(std::uint32_t crc, std::span<const std::uint8_t> bytes)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// Peak of the bytes allocated and not yet freed since the tracker was made,
// under libFuzzer's sanitizers; a tracker that measures nothing elsewhere.
// "No input may allocate more than the file's size plus the clipped image
// plus a small constant" is checked with it.
class AllocationTracker {
public:
#if defined(ZPK_FUZZ_TRACK_ALLOCATIONS)
    AllocationTracker()
    {
        installHooks();
        live() = 0;
        peak() = 0;
        active() = true;
    }
    ~AllocationTracker() { active() = false; }
    static constexpr bool measures() { return true; }
    std::int64_t peakBytes() const { return peak(); }

private:
    static std::int64_t& live()
    {
        static std::int64_t bytes = 0;
        return bytes;
    }
    static std::int64_t& peak()
    {
        static std::int64_t bytes = 0;
        return bytes;
    }
    static bool& active()
    {
        static bool on = false;
        return on;
    }
    static void onMalloc(const volatile void*, std::size_t size)
    {
        if (!active()) return;
        live() += static_cast<std::int64_t>(size);
        if (live() > peak()) peak() = live();
    }
    static void onFree(const volatile void* ptr)
    {
        if (!active() || ptr == nullptr) return;
        // a block made before the tracker would take live below zero; it only
        // makes the peak smaller than the truth by what it frees, which the
        // targets avoid by freeing nothing of their own from before
        live() -= static_cast<std::int64_t>(__sanitizer_get_allocated_size(const_cast<const void*>(ptr)));
    }
    static void installHooks()
    {
        static const bool installed = [] {
            __sanitizer_install_malloc_and_free_hooks(&onMalloc, &onFree);
            return true;
        }();
        (void)installed;
    }
#else
    static constexpr bool measures() { return false; }
    std::int64_t peakBytes() const { return 0; }
#endif
};

// The largest stored image: 4000 x 4000 one-byte cells.
constexpr std::int64_t kClippedImageBytes = 4000LL * 4000LL;

// How much image one input may make the decoding targets decode, in pixels.
// A row of a 4000 x 4000 image allocates and fills 16 MB whatever the
// input's length, and inputs that reach such rows would take the fuzzer's
// time from the search. So the targets proper allow pixels in proportion to
// the input: enough for any image up to 128 x 128, for images clipped on one
// side (4001 x 1 or 1 x 4001), and for runs longer than one code carries in
// inputs of 1.6 KB and more. Their _large builds (ZPK_FUZZ_LARGE_IMAGES)
// decode images of any size, far fewer a second, and get a small share of a
// campaign's time; the CTest replay runs both over the same inputs. The
// differential target spends the same budget in the reference's work units
// (reference::workBound), which count pixels and bytes walked alike.
#if defined(ZPK_FUZZ_LARGE_IMAGES)
constexpr bool kLargeImages = true;
#else
constexpr bool kLargeImages = false;
#endif
constexpr std::int64_t kBasePixelBudget = 1 << 14;
constexpr std::int64_t kPixelsPerInputByte = 32;
inline std::int64_t pixelBudget(std::size_t inputSize)
{
    return kBasePixelBudget + kPixelsPerInputByte * static_cast<std::int64_t>(inputSize);
}
// Entry tables, list texts, the canvas (377 x 449 x 4 bytes) and the
// allocator's rounding: all small beside the file and the image.
constexpr std::int64_t kSmallConstant = 1 << 20;

}  // namespace zpk::fuzz
