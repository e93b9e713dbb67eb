// Loading a container from a file, and decoding an entry whose palette
// runs to the end of a large file.
//
//   load 64 MiB, 1 GiB   loadContainer of a container with 255 entries (254
//                   random 200 x 200 images, a 4000 x 4000 literal entry,
//                   then random bytes up to the size), against the least
//                   any program must do to hold the same file: open, fstat,
//                   malloc of the length plus the zero byte behind the data
//                   (not zero-filled), one read of the whole file, the zero
//                   byte, close, free. The loader does that and parses the
//                   entry table.  (>= 0.95)
//   palette to end  decodeEntry of the last row of a 64, 128 and 256 MiB
//                   container, loaded before timing, whose last entry has
//                   no 0xFF 0xFE pair after its start and an area larger
//                   than the file: the pre-scan and the palette loop both
//                   run to the end of the file, and the pixel stream starts
//                   there (no pixel comes out). Filled with 0xFF bytes, the
//                   worst case of the pair search (every byte starts a
//                   candidate), and at 256 MiB also with random bytes.
//                   Against one plain pass that counts 0xFF 0xFE pairs over
//                   the same bytes; no target, Complexity(oN) fits the time
//                   against the size to show that it grows linearly.
// bytes/s counts the file's bytes; pixels/s, for the load, the pixels of
// all the entries the file holds.
//
// The files go to a folder of their own under $TMPDIR (or /tmp), which is
// removed at the end. Each file is deleted as soon as its benchmark is done
// (a palette file as soon as it is loaded), so that at most one large file
// exists at a time; the load holds one copy of it in memory at a time (the
// subject's is freed before the baseline reads its own): 1 GiB of disk and
// of memory at the 1 GiB point.
#include "BenchSupport.h"

#include "decode/Decoder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zpk::bench {
namespace {

constexpr std::int64_t kMiB = 1024 * 1024;
// The writer's entry layout: width, height, two zero bytes, 256 colours.
constexpr std::int64_t kEntryHeaderBytes = 6 + 3 * 256;

TempFolder& folder()
{
    static TempFolder made;
    return made;
}

// Random literal bytes that hold no 0xFF 0xFE pair, also across calls: a
// 0xFE behind a 0xFF becomes 0xFD.
class PairFreeBytes {
public:
    explicit PairFreeBytes(std::uint32_t seed, std::uint8_t before) : m_rng(seed), m_last(before) {}

    void fill(std::uint8_t* out, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            auto v = static_cast<std::uint8_t>(m_rng() >> 24);
            if (v == 0xFE && m_last == 0xFF) v = 0xFD;
            out[i] = v;
            m_last = v;
        }
    }

private:
    std::mt19937 m_rng;
    std::uint8_t m_last;
};

// "64 MiB", padded to three digits so that the summary lists sizes in
// order; "1 GiB" for whole gibibytes.
std::string mebibytes(std::int64_t count, bool padded = true)
{
    const bool gibibytes = count >= 1024 && count % 1024 == 0;
    const std::string digits = std::to_string(gibibytes ? count / 1024 : count);
    const std::string pad(padded && digits.size() < 3 ? 3 - digits.size() : 0, ' ');
    return pad + digits + (gibibytes ? " GiB" : " MiB");
}

// --- the load --------------------------------------------------------------

// An entry of exactly `totalBytes` bytes: `width` columns, grey colours, and
// a stream of random literals closed by one run code that completes the
// last row. The palette loop finds its end by the image's area.
struct LiteralEntry {
    Bytes bytes;
    int width = 0;
    int height = 0;
};

LiteralEntry literalEntry(std::int64_t totalBytes, int width, std::uint32_t seed)
{
    const std::int64_t literals = totalBytes - kEntryHeaderBytes - 5;
    check(literals > 0, "entry too short");
    const std::int64_t height = (literals + width - 1) / width;
    check(height <= 32767, "entry too tall");
    const std::int64_t runLength = width * height - literals;  // below width, so below 65536
    LiteralEntry e;
    e.width = width;
    e.height = static_cast<int>(height);
    e.bytes.reserve(static_cast<std::size_t>(totalBytes));
    e.bytes = {static_cast<std::uint8_t>(width & 0xFF),
               static_cast<std::uint8_t>(width >> 8),
               static_cast<std::uint8_t>(height & 0xFF),
               static_cast<std::uint8_t>(height >> 8),
               0,
               0};
    for (const Rgb& c : greyRamp()) e.bytes.insert(e.bytes.end(), {c.red, c.green, c.blue});
    const std::size_t streamStart = e.bytes.size();
    e.bytes.resize(streamStart + static_cast<std::size_t>(literals));
    PairFreeBytes(seed, e.bytes[streamStart - 1])
        .fill(e.bytes.data() + streamStart, static_cast<std::size_t>(literals));
    e.bytes.insert(e.bytes.end(), {0xFF, 0xFE, 7, static_cast<std::uint8_t>(runLength & 0xFF),
                                   static_cast<std::uint8_t>(runLength >> 8)});
    check(static_cast<std::int64_t>(e.bytes.size()) == totalBytes, "entry length");
    return e;
}

// A 64-bit FNV-1a hash, eight bytes at a time (so the same bytes in other
// pieces hash differently): enough to tell that a loaded gigabyte is the
// written one without keeping a second copy of it.
class Fingerprint {
public:
    void add(const std::uint8_t* bytes, std::size_t count)
    {
        std::size_t i = 0;
        for (; i + 8 <= count; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            m_hash = (m_hash ^ word) * 0x100000001B3ull;
        }
        for (; i < count; ++i) m_hash = (m_hash ^ bytes[i]) * 0x100000001B3ull;
    }
    std::uint64_t value() const { return m_hash; }

private:
    std::uint64_t m_hash = 0xCBF29CE484222325ull;
};

// Writes all of `bytes` to `fd`; aborts on failure.
void writeAllOrDie(int fd, const std::uint8_t* bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t done = ::write(fd, bytes, count);
        if (done < 0 && errno == EINTR) continue;
        check(done > 0, "cannot write a load file");
        bytes += done;
        count -= static_cast<std::size_t>(done);
    }
}

struct LoadCase {
    std::string path;
    std::int64_t pixels = 0;  // of all entries
};

// 254 random 200 x 200 images (the size table full), a last entry of
// 4000 x 4000 random literals, then random bytes up to `length` (the
// decoder stops at width x height pixels: the last entry runs to the end of
// the file but draws 4000 x 4000). Written in pieces and synced, so that
// the timed reads come from the page cache with no write-back beside them;
// loaded and decoded once to check it.
LoadCase writeLoadCase(std::int64_t length)
{
    constexpr int kSmall = 200;
    constexpr int kSmallEntries = kMaxEntries - 1;
    std::vector<WriterImage> images;
    ContainerBuilder builder;
    for (int j = 0; j < kSmallEntries; ++j) {
        images.push_back(randomImage(kSmall, kSmall, static_cast<std::uint32_t>(100 + j)));
        builder.entry(images.back());
    }
    // the run code at the end completes the last row with one pixel
    const LiteralEntry last =
        literalEntry(kEntryHeaderBytes + 5 + static_cast<std::int64_t>(kSide) * kSide - 1, kSide, 7);
    check(last.height == kSide, "last entry's height");
    builder.rawEntry(last.bytes);
    const Bytes head = buildOrDie(builder);
    check(static_cast<std::int64_t>(head.size()) <= length, "load file length");

    LoadCase made;
    made.path = folder().file("load" + std::to_string(length / kMiB) + ".zpk");
    made.pixels = static_cast<std::int64_t>(kSmallEntries) * kSmall * kSmall +
                  static_cast<std::int64_t>(last.width) * last.height;
    const int fd = ::open(made.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    check(fd >= 0, "cannot make a load file");
    Fingerprint written;
    writeAllOrDie(fd, head.data(), head.size());
    written.add(head.data(), head.size());
    Bytes piece(static_cast<std::size_t>(kMiB));
    PairFreeBytes padding(11, head.back());
    for (std::int64_t left = length - static_cast<std::int64_t>(head.size()); left > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, kMiB));
        padding.fill(piece.data(), n);
        writeAllOrDie(fd, piece.data(), n);
        written.add(piece.data(), n);
        left -= static_cast<std::int64_t>(n);
    }
    check(::fsync(fd) == 0 && ::close(fd) == 0, "cannot write a load file");

    auto file = loadContainer(made.path);
    check(file.has_value(), "the load file does not load");
    check(file->rowCount() == kMaxEntries && file->fileLength == length, "loaded entry table");
    check(static_cast<std::int64_t>(file->fileBytes.size()) == length + 1 && file->fileBytes.back() == 0,
          "loaded length and zero byte");
    Fingerprint loaded;  // in the pieces it was written in: the hash takes words
    loaded.add(file->fileBytes.data(), head.size());
    for (auto at = static_cast<std::int64_t>(head.size()); at < length; at += kMiB)
        loaded.add(file->fileBytes.data() + at, static_cast<std::size_t>(std::min(kMiB, length - at)));
    check(loaded.value() == written.value(), "loaded bytes");
    Palette palette{};
    check(decodeEntry(*file, 0, palette).pixels == images.front().pixels, "first entry's pixels");
    const DecodedImage lastImage = decodeEntry(*file, kMaxEntries - 1, palette);
    // every byte was compared above; the padding behind the last entry moves
    // where its palette ends, so only its pixel count is checked here
    check(lastImage.produced == static_cast<std::int64_t>(last.width) * last.height,
          "last entry's pixel count");
    return made;
}

// The baseline: the least any program must do to hold the file in memory
// with a zero byte behind it. The buffer comes from malloc and is not
// zero-filled (the loader's is not either); the first read asks for the
// whole file, and the loop only serves a read the kernel cuts short.
std::uint8_t* plainRead(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    check(fd >= 0, "open");
    struct stat info {};
    check(::fstat(fd, &info) == 0, "fstat");
    const auto length = static_cast<std::size_t>(info.st_size);
    auto* buffer = static_cast<std::uint8_t*>(std::malloc(length + 1));
    check(buffer != nullptr, "malloc");
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd, buffer + done, length - done);
        if (got < 0 && errno == EINTR) continue;
        check(got >= 0, "read");
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    buffer[length] = 0;
    ::close(fd);
    return buffer;
}

void BM_Load(benchmark::State& state)
{
    const std::int64_t length = state.range(0) * kMiB;
    const LoadCase c = writeLoadCase(length);
    PairedSamples samples;
    for (auto _ : state) {
        samples.run(
            state,
            [&] {
                // the loaded file goes at the end of the call, as the
                // baseline's buffer does
                Result<ContainerFile> file = loadContainer(c.path);
                check(file.has_value(), "load");
                benchmark::DoNotOptimize(file->fileBytes.data());
                benchmark::ClobberMemory();
            },
            [&] {
                std::uint8_t* bytes = plainRead(c.path);
                benchmark::DoNotOptimize(bytes);
                benchmark::ClobberMemory();
                std::free(bytes);
            });
    }
    std::remove(c.path.c_str());
    report(state, samples, "load " + mebibytes(state.range(0), false) + " container",
           "malloc (not zero-filled) + one read + zero byte", 0.95, length, c.pixels);
}

// --- the palette that runs to the end ----------------------------------------

enum class Filling { AllFF, Random };

// Two entries: a small figure, then the last entry of width and height
// 32767 (an area larger than any file, so the palette loop has no stop
// position in it) followed by `filling` up to `length` bytes in all.
// Written in pieces: the file is never whole in memory.
void writePaletteFile(const std::string& path, std::int64_t length, Filling filling)
{
    const Bytes first = [] {
        auto encoded = encodeEntry(figureImage(64, 64, 5), 0xFF);
        check(encoded.has_value(), "the first entry");
        return std::move(*encoded);
    }();
    Bytes head = containerHeader({static_cast<std::uint16_t>(first.size()), 0});
    head.insert(head.end(), first.begin(), first.end());
    head.insert(head.end(), {0xFF, 0x7F, 0xFF, 0x7F});  // width 32767, height 32767

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    Bytes piece(static_cast<std::size_t>(kMiB), 0xFF);
    PairFreeBytes random(9, head.back());
    for (std::int64_t left = length - static_cast<std::int64_t>(head.size()); left > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, kMiB));
        if (filling == Filling::Random) random.fill(piece.data(), n);
        out.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(n));
        left -= static_cast<std::int64_t>(n);
    }
    out.close();
    check(out.good(), "cannot write the palette file");
}

// The baseline: one pass that counts 0xFF 0xFE pairs, the least a search
// for the palette's end has to do.
std::int64_t countPairs(const std::uint8_t* bytes, std::int64_t from, std::int64_t to)
{
    std::int64_t pairs = 0;
    for (std::int64_t i = from; i + 1 < to; ++i) pairs += (bytes[i] == 0xFF) & (bytes[i + 1] == 0xFE);
    return pairs;
}

void runPaletteToEnd(benchmark::State& state, Filling filling)
{
    const std::int64_t length = state.range(0) * kMiB;
    const std::string path = folder().file("palette.zpk");
    writePaletteFile(path, length, filling);
    auto loaded = loadContainer(path);
    std::remove(path.c_str());
    check(loaded.has_value(), "the palette file does not load");
    const ContainerFile& file = *loaded;
    const int last = file.rowCount() - 1;
    check(last == 1 && file.fileLength == length, "palette file entry table");

    const std::int64_t scanned = file.fileLength - file.entryStart(last);
    PairedSamples samples;
    Palette palette{};
    DecodedImage image;
    for (auto _ : state) {
        samples.run(
            state,
            [&] {
                image = decodeEntry(file, last, palette);
                benchmark::DoNotOptimize(image.streamStart);
                benchmark::ClobberMemory();
            },
            [&] {
                benchmark::DoNotOptimize(
                    countPairs(file.fileBytes.data(), file.entryStart(last), file.fileLength));
                benchmark::ClobberMemory();
            });
    }
    // the palette loop ran to the end of the file and nothing was drawn
    check(image.hasData && image.imageWidth == 32767 && image.imageHeight == 32767, "palette entry size");
    check(image.runExtra == 0 && image.runCodes == 0 && image.produced == 0, "palette entry holds no pair");
    check(image.streamStart == file.fileLength, "palette loop ends at the end of the file");
    check(image.storedColours == (file.fileLength - image.entryStart) / 3, "stored colours");

    const std::string label = std::string("decode palette to end, ") +
                              (filling == Filling::AllFF ? "0xFF bytes, " : "random, ") +
                              mebibytes(state.range(0));
    report(state, samples, label, "pair count pass", 0, scanned, 0);
    state.SetComplexityN(scanned);
}

void BM_PaletteToEndAllFF(benchmark::State& state) { runPaletteToEnd(state, Filling::AllFF); }
void BM_PaletteToEndRandom(benchmark::State& state) { runPaletteToEnd(state, Filling::Random); }

// 64 MiB: about 50 ms a load, 31 pairs; 1 GiB: nearly a second a load, 9
// pairs (odd counts, so that the median is one sample).
BENCHMARK(BM_Load)->ArgName("MiB")->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(31);
BENCHMARK(BM_Load)->ArgName("MiB")->Arg(1024)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_PaletteToEndAllFF)
    ->ArgName("MiB")
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_PaletteToEndRandom)
    ->ArgName("MiB")
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace zpk::bench

// The folder of written files goes with its static when main returns.
int main(int argc, char** argv) { return zpk::bench::runAndSummarise(argc, argv); }
