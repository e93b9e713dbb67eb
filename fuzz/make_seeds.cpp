// Writes the seed corpora of the fuzz targets, and the hand-made malformed
// containers of tests/fixtures/malformed:
//   make_seeds corpus DIR      DIR/fuzz_container, fuzz_render, fuzz_roundtrip, fuzz_differential
//   make_seeds malformed DIR   the hand-made malformed containers (MANIFEST is written by
//                              malformed_manifest --write)
// The output is deterministic, so the checked-in files can be made again.
#include "FuzzSupport.h"

#include "container/ContainerWriter.h"
#include "support/ImageBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace zpk;
using namespace zpk::testing;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const Bytes& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", path.string().c_str());
        std::exit(1);
    }
}

Bytes build(const ContainerBuilder& builder)
{
    auto bytes = builder.build();
    if (!bytes) {
        std::fprintf(stderr, "make_seeds: %s\n", bytes.error().detail.c_str());
        std::exit(1);
    }
    return *bytes;
}

std::vector<std::pair<std::string, Bytes>> seedContainers()
{
    std::mt19937 rng(20240611);
    std::vector<std::pair<std::string, Bytes>> out;
    out.emplace_back("worked_example", singleEntry(kWorkedEntry));
    out.emplace_back("two_solids", build(ContainerBuilder()
                                             .entry(solidImage(20, 20, 1, greyRamp(4)))
                                             .entry(solidImage(9, 9, 2, greyRamp(4)))));
    out.emplace_back("mixed_256", build(ContainerBuilder().entry(mixedImage(rng, 16, 12, greyRamp(256)))));
    out.emplace_back("three_mixed", build(ContainerBuilder()
                                              .entry(mixedImage(rng, 7, 5, greyRamp(256)))
                                              .entry(mixedImage(rng, 30, 2, greyRamp(16)))
                                              .entry(mixedImage(rng, 3, 9, greyRamp(256)))));
    out.emplace_back("clipped_4001x3", build(ContainerBuilder().entry(solidImage(4001, 3, 1, greyRamp(2)))));
    out.emplace_back("tall_2x4003", build(ContainerBuilder().entry(mixedImage(rng, 2, 4003, greyRamp(4)))));
    out.emplace_back("empty_images", build(ContainerBuilder()
                                               .entry(solidImage(0, 5, 0, greyRamp(3)))
                                               .entry(solidImage(4, 0, 0, greyRamp(2)))));

    // a count of 0 and of 1: one row each, the entry at offset 30 and 32
    Bytes zero(30, 0);
    zero.insert(zero.end(), kWorkedEntry.begin(), kWorkedEntry.end());
    out.emplace_back("count_0", zero);
    out.emplace_back("count_1", singleEntry(kWorkedEntry));

    // the size example: entries at 36, 136 and 336, the third to the end
    {
        Bytes data(400, 0x11);
        for (std::size_t at : {0u, 100u, 300u}) {
            data[at] = 4;
            data[at + 2] = 3;
        }
        out.emplace_back("sizes_100_200_50", withSizes({100, 200, 50}, data));
    }
    // triplet 2 holds 0xFF 0xFE: the palette ends there and the stream starts on it
    out.emplace_back("pair_in_triplets",
                     singleEntry({0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0x05, 0x02, 0x00, 0x09}));
    // a run of value 0xFF with length low byte 0xFE: the pre-scan counts two codes
    out.emplace_back("run_ff_fe", singleEntry({0x10, 0x01, 0x01, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0xFF,
                                               0xFE, 0xFF, 0xFE, 0x00, 0x12, 0x12}));
    // size 0 entries: rows with equal texts
    {
        Bytes data = kWorkedEntry;
        data.insert(data.end(), kWorkedEntry.begin(), kWorkedEntry.end());
        out.emplace_back("size_zero_rows", withSizes({18, 0, 18}, data));
    }
    out.emplace_back("negative_width",
                     singleEntry({0x00, 0x80, 0x02, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x07, 0x07}));
    out.emplace_back("minus_one_square",
                     singleEntry({0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06}));
    out.emplace_back("huge_runs", singleEntry(hugeRunsEntry(6)));
    out.emplace_back("past_the_end", withSizes({0xFFFF, 0xFFFF, 0xFFFF}, Bytes(10, 0xFF)));
    // a stream shorter than width x height, an overshooting run, a run of 0
    out.emplace_back("short_stream", singleEntry({0x03, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30, 0x01,
                                                  0x00, 0x01, 0x00}));
    out.emplace_back("overshoot", singleEntry({0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30, 0x01,
                                               0xFF, 0xFE, 0x00, 0x09, 0x00}));
    out.emplace_back("run_of_zero", singleEntry({0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30, 0xFF,
                                                 0xFE, 0x00, 0x00, 0x00, 0x01, 0x02}));
    // a literal 0xFF on the last byte, and a run code cut by the end of the file
    out.emplace_back("ff_at_end",
                     singleEntry({0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30, 0x00, 0xFF}));
    out.emplace_back("code_cut", singleEntry({0x09, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30, 0x00,
                                              0xFF, 0xFE, 0x00, 0x03}));
    // width x height larger than the entry: the palette loop runs to the end of the file
    {
        Bytes entry = {0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
        for (int i = 0; i < 60; ++i) entry.push_back(static_cast<std::uint8_t>(i * 7));
        out.emplace_back("palette_to_end", singleEntry(entry));
    }
    // 255 small entries
    {
        std::vector<std::uint16_t> sizes(255, 8);
        Bytes data;
        for (int i = 0; i < 255; ++i)
            data.insert(data.end(), {0x01, 0x00, 0x01, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(i), 0x00});
        out.emplace_back("count_255", withSizes(sizes, data));
    }
    return out;
}

const std::vector<std::pair<std::uint8_t, std::array<std::string, 3>>> kOptionSets = {
    {0, {"0", "0", "0"}},
    {7, {"0", "0", "0"}},
    {3, {"-5.5", "abc", "99"}},
    {5, {"2.5", " 12 ", "+4"}},
    {1, {"100000", ".5", "7."}},
    {6, {"99999999999999999999", "-0.5", "1e2"}},
    {1, {"-300", "3.5000000000000000001", "-0"}},
};

// An input of fuzz_roundtrip: entries of the given sizes, colours and
// (value, repeat) pixel pieces.
struct RoundTripEntry {
    int width;
    int height;
    std::vector<Rgb> colours;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> pieces;
};

Bytes roundTripInput(const std::vector<RoundTripEntry>& entries)
{
    Bytes out{static_cast<std::uint8_t>(entries.size() - 1)};
    for (const auto& e : entries) {
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(e.width & 0xFF), static_cast<std::uint8_t>(e.width >> 8),
                    static_cast<std::uint8_t>(e.height & 0xFF), static_cast<std::uint8_t>(e.height >> 8),
                    static_cast<std::uint8_t>(e.colours.size() - 1)});
        for (const Rgb& c : e.colours) out.insert(out.end(), {c.red, c.green, c.blue});
        for (const auto& [value, repeat] : e.pieces) out.insert(out.end(), {value, repeat});
    }
    return out;
}

void writeCorpus(const fs::path& dir)
{
    const auto containers = seedContainers();
    std::size_t option = 0;
    for (const auto& [name, bytes] : containers) {
        writeFile(dir / "fuzz_container" / (name + ".zpk"), bytes);
        // each container once plain, once with the next option set
        const auto& [flags, boxes] = kOptionSets[1 + option++ % (kOptionSets.size() - 1)];
        const auto plain = fuzz::joinRenderInput(0, kOptionSets[0].second, bytes);
        const auto withOptions = fuzz::joinRenderInput(flags, boxes, bytes);
        writeFile(dir / "fuzz_render" / (name + ".plain"), plain);
        writeFile(dir / "fuzz_render" / (name + ".options"), withOptions);
        writeFile(dir / "fuzz_differential" / (name + ".plain"), plain);
        writeFile(dir / "fuzz_differential" / (name + ".options"), withOptions);
    }

    std::mt19937 rng(99);
    std::uniform_int_distribution<int> byte(0, 255);
    auto pieces = [&](int count, int maxRepeat) {
        std::vector<std::pair<std::uint8_t, std::uint8_t>> p;
        std::uniform_int_distribution<int> repeat(0, maxRepeat);
        for (int i = 0; i < count; ++i)
            p.emplace_back(static_cast<std::uint8_t>(byte(rng)), static_cast<std::uint8_t>(repeat(rng)));
        return p;
    };
    const fs::path rt = dir / "fuzz_roundtrip";
    writeFile(rt / "one_pixel", roundTripInput({{1, 1, greyRamp(2), {{1, 0}}}}));
    writeFile(rt / "small_mixed", roundTripInput({{8, 6, greyRamp(256), pieces(40, 191)}}));
    writeFile(rt / "ff_fe_pixels",
              roundTripInput({{12,
                               4,
                               greyRamp(256),
                               {{0xFF, 0}, {0xFE, 3}, {0xFF, 7}, {0xFE, 0}, {0xFF, 0xFE}, {0xFE, 0xFF}}}}));
    writeFile(rt / "long_runs", roundTripInput({{300, 300, greyRamp(3), {{1, 200}, {2, 212}, {0, 4}}}}));
    writeFile(rt / "wide_clipped", roundTripInput({{4100, 2, greyRamp(16), pieces(30, 255)}}));
    writeFile(rt / "three_entries", roundTripInput({{5, 5, greyRamp(5), pieces(10, 7)},
                                                    {0, 3, greyRamp(1), {}},
                                                    {254, 1, greyRamp(256), pieces(20, 191)}}));
    writeFile(rt / "width_254_after_ff", roundTripInput({{2, 1, {{1, 2, 3}, {4, 5, 0xFF}}, {{1, 0}, {1, 0}}},
                                                         {254, 1, greyRamp(2), {{1, 255}}}}));
}

void writeMalformed(const fs::path& dir)
{
    Bytes header(20, 0);
    writeFile(dir / "empty.zpk", {});
    writeFile(dir / "truncated_header.zpk", header);
    {
        Bytes b(35, 0);
        b[28] = 10;  // needs 30 + 2 * 9 = 48 bytes
        writeFile(dir / "truncated_size_table.zpk", b);
    }
    writeFile(dir / "entries_past_end.zpk", withSizes({0xFFFF, 0xFFFF, 0xFFFF}, Bytes(10, 0xFF)));
    {
        std::vector<std::uint16_t> sizes(255, 0xFFFF);
        writeFile(dir / "count_255_past_end.zpk", withSizes(sizes, Bytes(3, 0)));
    }
    {
        Bytes data;
        for (int i = 0; i < 2000; ++i) data.insert(data.end(), {0xFF, 0xFE});
        writeFile(dir / "pairs_everywhere.zpk", withSizes({7, 1, 2, 3, 500, 0}, data));
        Bytes ones(5000, 0xFF);
        ones[28] = 3;
        writeFile(dir / "all_ff.zpk", ones);
        Bytes fe(5000, 0xFE);
        fe[28] = 1;
        writeFile(dir / "all_fe.zpk", fe);
    }
    writeFile(dir / "negative_sizes.zpk",
              withSizes({11, 10, 12}, {0x00, 0x80, 0x02, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x07, 0x07,
                                       0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x05,
                                       0x00, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFE, 0x01, 0x10, 0x00, 0x00}));
    // 32767 x 32767 with maximal runs: counted past every buffer, 4000 x 4000 stored
    writeFile(dir / "huge_sizes.zpk", singleEntry(hugeRunsEntry(50)));
    writeFile(dir / "code_cut_at_end.zpk", singleEntry({0x09, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x20, 0x30,
                                                        0x00, 0xFF, 0xFE, 0x00, 0x03}));
    {
        Bytes entry = {0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
        for (int i = 0; i < 3000; ++i) entry.push_back(static_cast<std::uint8_t>(i * 7));
        writeFile(dir / "palette_to_end_of_file.zpk", singleEntry(entry));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds corpus|malformed DIR\n");
        return 2;
    }
    const std::string what = argv[1];
    if (what == "corpus") writeCorpus(argv[2]);
    else if (what == "malformed") writeMalformed(argv[2]);
    else {
        std::fprintf(stderr, "make_seeds: unknown kind %s\n", argv[1]);
        return 2;
    }
    return 0;
}
