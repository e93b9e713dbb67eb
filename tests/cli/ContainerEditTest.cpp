// The edits of a container held in memory: each one is checked by decoding
// every row of its result against what that row should show (a row of the
// container edited, or a new picture), and each refusal by its rule and row.
#include "cli/CliSupport.h"
#include "fixtures/Fixtures.h"

#include "container/Container.h"
#include "export/EntryExport.h"
#include "pack/ContainerEdit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace zpk::testing {
namespace {

// What row `row` of `file` shows: its export as a PNG, or why it has none.
std::string shown(const ContainerFile& file, int row)
{
    PictureOptions options;
    options.form = OutputForm::Rgba;
    auto exported = exportEntry(file, row, options);
    if (!exported) return "error " + std::to_string(static_cast<int>(exported.error().code));
    return std::string(exported->png.begin(), exported->png.end());
}

std::string shown(const WriterImage& image) { return shown(parsed(built(containerOf({image}))), 0); }

// A row of the result: the row of the container edited that it shows, or
// (as -1 - k) the k-th new picture.
constexpr int newPicture(int k) { return -1 - k; }

struct EditCase {
    const char* name;
    std::function<Result<EditableContainer>(const EditableContainer&)> edit;
    std::vector<int> rows;  // what each row of the result shows
};

struct RefusalCase {
    const char* name;
    std::vector<WriterImage> container;
    std::function<Result<EditableContainer>(const EditableContainer&)> edit;
    Refusal refusal;
    int row;
};

const std::vector<WriterImage>& pictures()
{
    static const std::vector<WriterImage> all = {spriteImage(40, 30, 1), stripedImage(31, 7, threeColours()),
                                                 framedImage(), spriteImage(20, 50, 2), solidImage(9, 4, 77)};
    return all;
}

EditableContainer editable(const ContainerFile& file)
{
    auto container = editableContainer(file);
    EXPECT_TRUE(container.has_value());
    return container ? *container : EditableContainer{};
}

// Ends in a literal 0xFF: a 0xFE behind it would make that a run code.
const WriterImage kEndsFF{2, 1, greyRamp(256), {1, 0xFF}};

}  // namespace

TEST(ContainerEdit, EveryRowShowsWhatTheEditPutThere)
{
    const ContainerFile file = parsed(built(containerOf(pictures())));
    const EditableContainer five = editable(file);
    const WriterImage a = spriteImage(33, 21, 9);
    const WriterImage b = randomImage(70, 60, 4);
    const std::vector<EditCase> cases = {
        {"insert in front", [&](auto& c) { return insertRows(c, 0, {a}); }, {newPicture(0), 0, 1, 2, 3, 4}},
        {"insert two between",
         [&](auto& c) {
             return insertRows(c, 2, {a, b});
         },
         {0, 1, newPicture(0), newPicture(1), 2, 3, 4}},
        {"append", [&](auto& c) { return insertRows(c, 5, {a}); }, {0, 1, 2, 3, 4, newPicture(0)}},
        {"insert nothing", [&](auto& c) { return insertRows(c, 3, {}); }, {0, 1, 2, 3, 4}},
        {"delete the first", [](auto& c) { return deleteRows(c, {0}); }, {1, 2, 3, 4}},
        {"delete the last", [](auto& c) { return deleteRows(c, {4}); }, {0, 1, 2, 3}},
        {"delete apart",
         [](auto& c) {
             return deleteRows(c, {3, 1});
         },
         {0, 2, 4}},
        {"move forward", [](auto& c) { return moveRow(c, 1, 3); }, {0, 2, 3, 1, 4}},
        {"move back", [](auto& c) { return moveRow(c, 4, 0); }, {4, 0, 1, 2, 3}},
        {"move in place", [](auto& c) { return moveRow(c, 2, 2); }, {0, 1, 2, 3, 4}},
        {"step towards the front",
         [](auto& c) {
             return reorderRows(c, reorder::step(5, {0, 2, 3}, -1));
         },
         {0, 2, 3, 1, 4}},
        {"step towards the back",
         [](auto& c) {
             return reorderRows(c, reorder::step(5, {1, 3, 4}, 1));
         },
         {0, 2, 1, 3, 4}},
        {"gather at the end",
         [](auto& c) {
             return reorderRows(c, reorder::gather(5, {3, 0}, 5));
         },
         {1, 2, 4, 0, 3}},
        {"replace two",
         [&](auto& c) {
             return replaceRows(c, {4, 1}, {a, b});
         },
         {0, newPicture(1), 2, 3, newPicture(0)}},
    };
    for (const EditCase& test : cases) {
        SCOPED_TRACE(test.name);
        auto edited = test.edit(five);
        ASSERT_TRUE(edited.has_value()) << static_cast<int>(edited.error().refusal);
        auto result = edited->file();
        ASSERT_TRUE(result.has_value());
        ASSERT_EQ(result->rowCount(), static_cast<int>(test.rows.size()));
        const std::vector<const WriterImage*> added = {&a, &b};
        for (int k = 0; k < result->rowCount(); ++k) {
            const int from = test.rows[static_cast<std::size_t>(k)];
            EXPECT_EQ(shown(*result, k),
                      from >= 0 ? shown(file, from) : shown(*added[static_cast<std::size_t>(-1 - from)]))
                << "row " << k;
        }
        // the label is kept, and the container given is left as it was
        EXPECT_TRUE(
            std::equal(file.fileBytes.begin(), file.fileBytes.begin() + 28, result->fileBytes.begin()));
        EXPECT_EQ(five.rowCount(), 5);
    }
    // an edit undone by its opposite gives the file's bytes back
    auto there = moveRow(five, 0, 4);
    ASSERT_TRUE(there.has_value());
    auto back = moveRow(*there, 4, 0);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->file()->fileBytes.span().size(), file.fileBytes.span().size());
    EXPECT_TRUE(std::ranges::equal(back->file()->fileBytes.span(), file.fileBytes.span()));
}

TEST(ContainerEdit, RefusalsNameTheRuleAndTheRow)
{
    const WriterImage large = randomImage(300, 300, 1);  // over 65535 bytes
    const std::vector<RefusalCase> cases = {
        {"a row that does not exist", pictures(), [](auto& c) { return moveRow(c, 1, 5); },
         Refusal::NoSuchRow, 5},
        {"a row twice", pictures(),
         [](auto& c) {
             return deleteRows(c, {2, 2});
         },
         Refusal::NoSuchRow, 2},
        {"insert past the end", pictures(), [](auto& c) { return insertRows(c, 6, {framedImage()}); },
         Refusal::NoSuchRow, 6},
        {"an order missing a row", pictures(),
         [](auto& c) {
             return reorderRows(c, {0, 1, 2, 3});
         },
         Refusal::NoSuchRow, 4},
        {"every row deleted", pictures(),
         [](auto& c) {
             return deleteRows(c, {0, 1, 2, 3, 4});
         },
         Refusal::NoRowsLeft, -1},
        {"the 256th entry", std::vector<WriterImage>(254, solidImage(1, 1, 3)),
         [](auto& c) {
             return insertRows(c, 0, {framedImage(), framedImage()});
         },
         Refusal::TooManyEntries, -1},
        {"a side too long", pictures(),
         [](auto& c) {
             return insertRows(c, 1, {WriterImage{40000, 0, {}, {}}});
         },
         Refusal::SideOutOfRange, 1},
        {"a large picture not last", pictures(), [&](auto& c) { return insertRows(c, 2, {large}); },
         Refusal::EntryTooLarge, 2},
        {"the large last row moved forward",
         {framedImage(), large},
         [](auto& c) { return moveRow(c, 1, 0); },
         Refusal::EntryTooLarge,
         1},
        {"a deletion puts 0xFE behind 0xFF",
         {kEndsFF, framedImage(), solidImage(0xFE, 1, 3)},
         [](auto& c) { return deleteRows(c, {1}); },
         Refusal::RowBeforeChanged,
         0},
        {"a move puts 0xFE behind 0xFF",
         {kEndsFF, framedImage(), solidImage(0xFE, 1, 3)},
         [](auto& c) { return moveRow(c, 2, 1); },
         Refusal::RowBeforeChanged,
         0},
        {"an insertion puts 0xFE behind 0xFF",
         {kEndsFF, framedImage()},
         [](auto& c) { return insertRows(c, 1, {solidImage(0xFE, 1, 3)}); },
         Refusal::RowBeforeChanged,
         0},
    };
    for (const RefusalCase& test : cases) {
        SCOPED_TRACE(test.name);
        const ContainerFile file = parsed(built(containerOf(test.container)));
        auto refused = test.edit(editable(file));
        ASSERT_FALSE(refused.has_value());
        EXPECT_EQ(refused.error().code, ErrorCode::CannotPack);
        EXPECT_EQ(refused.error().path, file.filePath);
        EXPECT_EQ(std::pair(refused.error().refusal, refused.error().row), std::pair(test.refusal, test.row));
    }

    // a new picture in front of an entry that starts with a run code would
    // count it as its own
    const ContainerFile odd =
        parsed(built(ContainerBuilder().entry(framedImage()).rawEntry({0xFF, 0xFE, 0, 0x40, 0})));
    auto inserted = insertRows(editable(odd), 1, {WriterImage{3, 1, greyRamp(4), {1, 2, 3}}});
    ASSERT_FALSE(inserted.has_value());
    EXPECT_EQ(std::pair(inserted.error().refusal, inserted.error().row),
              std::pair(Refusal::NotDecodedBack, 1));
}

TEST(ContainerEdit, RowsWithQuirksKeepTheirBytes)
{
    // trailing bytes belong to the last row and travel with it; a row of no
    // bytes stays without; the edits share every entry they did not make (a
    // count byte of 0 and a size table past the file: PackLibrary's replace
    // tests, which go through the same rebuild)
    Bytes bytes = built(ContainerBuilder().entry(framedImage()).rawEntry({}).entry(solidImage(3, 3, 4)));
    bytes.insert(bytes.end(), {1, 2, 3, 4});
    const EditableContainer container = editable(parsed(bytes));
    auto moved = moveRow(container, 2, 0);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->rows[0].bytes.data(), container.rows[2].bytes.data());
    EXPECT_TRUE(moved->rows[2].bytes.empty());
    const auto tail = moved->rows[0].bytes.last(4);
    EXPECT_EQ(Bytes(tail.begin(), tail.end()), (Bytes{1, 2, 3, 4}));
}

}  // namespace zpk::testing
