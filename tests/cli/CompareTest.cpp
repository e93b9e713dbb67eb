// The compare floor: two containers row by row, by the pictures export
// writes or by the entries' bytes, and one row's pictures with the mask of
// the pixels that differ.
#include "fixtures/Fixtures.h"

#include "compare/Compare.h"

#include <gtest/gtest.h>

#include <variant>

namespace zpk::testing {
namespace {

using Entry = std::variant<WriterImage, Bytes>;  // a picture, or an entry's bytes as written

ContainerFile containerWith(const std::vector<Entry>& entries)
{
    ContainerBuilder builder;
    for (const Entry& entry : entries) {
        if (const auto* image = std::get_if<WriterImage>(&entry)) builder.entry(*image);
        else builder.rawEntry(std::get<Bytes>(entry));
    }
    return parsed(built(builder));
}

// A 4 x 4 picture of value 1 with `changed` pixels of value 2 from the top left.
WriterImage grey4x4(int changed = 0)
{
    WriterImage image = solidImage(4, 4, 1);
    for (int i = 0; i < changed; ++i) image.pixels[static_cast<std::size_t>(i)] = 2;
    return image;
}

// 0 x 4 pixels: it exports no picture; `tail` tells two of them apart.
Bytes emptyEntry(std::uint8_t tail = 0) { return {0, 0, 4, 0, 7, 7, tail}; }

// Every pixel of value 0, coloured `colour`: transparent with drop-first.
WriterImage valueZero(Rgb colour) { return solidImage(2, 2, 0, {colour}); }

struct Expected {
    RowChange change;
    std::int64_t differingPixels = 0;
};

struct Case {
    const char* name;
    std::vector<Entry> a, b;
    CompareBy by;
    DropFirst dropFirst;
    std::vector<Expected> rows;
};

TEST(Compare, RowByRow)
{
    const Rgb red{200, 0, 0};
    const Rgb blue{0, 0, 200};
    const std::vector<Case> cases{
        {"the same",
         {grey4x4(), framedImage()},
         {grey4x4(), framedImage()},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Same}, {RowChange::Same}}},
        {"one row changed",
         {grey4x4(), framedImage()},
         {grey4x4(3), framedImage()},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Pixels, 3}, {RowChange::Same}}},
        {"a row added",
         {grey4x4()},
         {grey4x4(), framedImage()},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Same}, {RowChange::OnlyInB}}},
        {"a row removed",
         {grey4x4(), framedImage()},
         {grey4x4()},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Same}, {RowChange::OnlyInA}}},
        {"a size change",
         {grey4x4()},
         {solidImage(5, 4, 1)},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Size}}},
        {"transparent pixels of other colour bytes",
         {valueZero(red)},
         {valueZero(blue)},
         CompareBy::Pictures,
         DropFirst::On,
         {{RowChange::Same}}},
        {"the same pixels drawn opaque",
         {valueZero(red)},
         {valueZero(blue)},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Pixels, 4}}},
        {"both undecodable, the same bytes",
         {emptyEntry()},
         {emptyEntry()},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Same}}},
        {"both undecodable, other bytes",
         {emptyEntry(1)},
         {emptyEntry(2)},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Picture}}},
        {"one undecodable",
         {grey4x4()},
         {emptyEntry()},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Picture}}},
        {"the same picture from other bytes",
         {valueZero(red)},
         {solidImage(2, 2, 0, {red, blue})},
         CompareBy::Pictures,
         DropFirst::Off,
         {{RowChange::Same}}},
        {"by bytes",
         {valueZero(red)},
         {solidImage(2, 2, 0, {red, blue})},
         CompareBy::Bytes,
         DropFirst::Off,
         {{RowChange::Bytes}}},
        {"by bytes, the same",
         {grey4x4(), emptyEntry()},
         {grey4x4()},
         CompareBy::Bytes,
         DropFirst::Off,
         {{RowChange::Same}, {RowChange::OnlyInA}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureOptions options;
        options.dropFirst = c.dropFirst;
        const ContainerComparison result =
            compareContainers(containerWith(c.a), containerWith(c.b), c.by, options);
        EXPECT_TRUE(result.complete);
        ASSERT_EQ(result.rows.size(), c.rows.size());
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(result.rows[i].row, static_cast<int>(i));
            EXPECT_EQ(result.rows[i].change, c.rows[i].change) << "row " << i;
            EXPECT_EQ(result.rows[i].differingPixels, c.rows[i].differingPixels) << "row " << i;
        }
    }
}

TEST(Compare, TellsSizesLengthsAndProblems)
{
    const ContainerFile a = containerWith({grey4x4(), grey4x4()});
    const ContainerFile b = containerWith({solidImage(5, 3, 1), emptyEntry()});
    const RowDifference size = compareRow(a, b, 0, CompareBy::Pictures, {});
    EXPECT_EQ(size.change, RowChange::Size);
    EXPECT_EQ(std::make_tuple(size.widthA, size.heightA, size.widthB, size.heightB),
              std::make_tuple(4, 4, 5, 3));
    EXPECT_EQ(size.bytesA, std::ssize(entrySpan(a, 0)));
    EXPECT_EQ(size.bytesB, std::ssize(entrySpan(b, 0)));

    const RowDifference empty = compareRow(a, b, 1, CompareBy::Pictures, {});
    EXPECT_EQ(empty.change, RowChange::Picture);
    EXPECT_FALSE(empty.problemA);
    ASSERT_TRUE(empty.problemB);
    EXPECT_EQ(empty.problemB->code, ErrorCode::EmptyImage);
    EXPECT_EQ(std::make_tuple(empty.widthB, empty.heightB, empty.bytesB),
              std::make_tuple(0, 4, std::int64_t{7}));

    const RowDifference missing = compareRow(a, containerWith({grey4x4()}), 1, CompareBy::Pictures, {});
    EXPECT_EQ(std::make_tuple(missing.change, missing.widthB, missing.bytesB),
              std::make_tuple(RowChange::OnlyInA, 0, std::int64_t{0}));
}

TEST(Compare, ProgressCanStopTheComparison)
{
    const ContainerFile a = containerWith({grey4x4(), grey4x4(), grey4x4()});
    std::vector<std::pair<int, int>> calls;
    const ContainerComparison result =
        compareContainers(a, a, CompareBy::Pictures, {}, [&](int done, int total) {
            calls.emplace_back(done, total);
            return done < 2;
        });
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
}

TEST(Compare, TheMaskCoversBothPicturesOnASizeChange)
{
    // A: 2 x 2 of value 1; B: 3 x 1, its first pixel value 1, then 2s
    WriterImage wide = solidImage(3, 1, 2);
    wide.pixels[0] = 1;
    const RowPictures pictures =
        rowPictures(containerWith({solidImage(2, 2, 1)}), containerWith({wide}), 0, {});
    EXPECT_EQ(pictures.difference.change, RowChange::Size);
    ASSERT_TRUE(pictures.a && pictures.b);
    EXPECT_EQ(std::make_pair(pictures.width, pictures.height), std::make_pair(3, 2));
    // row 0: the same, other, only in B; row 1: only in A, only in A, in neither
    EXPECT_EQ(pictures.mask, (Bytes{0, 1, 1,  //
                                    1, 1, 0}));

    // a side without the row: every pixel of the other differs
    const RowPictures added =
        rowPictures(containerWith({grey4x4()}), containerWith({grey4x4(), wide}), 1, {});
    EXPECT_EQ(added.difference.change, RowChange::OnlyInB);
    EXPECT_FALSE(added.a);
    EXPECT_EQ(added.mask, (Bytes{1, 1, 1}));
}

}  // namespace
}  // namespace zpk::testing
