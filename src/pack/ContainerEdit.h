// Editing a container held in memory: replacing, inserting, deleting and
// reordering rows. Each edit is a pure function: it returns a new
// container and leaves the one it was given as it was. The two share the
// bytes of every entry the edit did not make, so that a history of edits
// (an undo stack) costs little more than the entries made along it.
//
// Every edit keeps the picture of every other row: an entry's decode reads
// up to four bytes past its end (whether a 0xFF at its end starts a run
// code), so where an edit puts other bytes behind an entry that decoded
// exactly within its own bytes, that entry is decoded again and the edit
// is refused when it would show anything else. An entry that reads past
// its end anyway (a damaged one, or a row of no bytes, which shows what
// follows it) is not held to that: it shows other bytes as soon as they
// move, as in any rewrite of the file. A new picture is encoded knowing
// the first byte behind it and must decode back to exactly itself.
//
// Every limit is checked before anything is made: 1 to 255 rows, every
// entry but the last at most 65535 bytes, widths and heights 0 to 32767.
// Errors are ErrorCode::CannotPack with the container's path, the refusal
// and the row concerned: a row of the container given for its own rows
// and for a row number asked for, and the row a new picture would take.
#pragma once

#include "container/ContainerWriter.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zpk {

// One row's bytes and what keeps them alive: a shared buffer, or nothing
// when they are borrowed from a file the caller keeps.
struct EntryData {
    std::shared_ptr<const void> owner;
    std::span<const std::uint8_t> bytes;
};

struct EditableContainer {
    std::string path;  // the file it came from, named in errors
    ContainerLabel label{};
    std::uint8_t byte29 = 0;
    std::vector<EntryData> rows;

    int rowCount() const { return static_cast<int>(rows.size()); }
    // The container to write, borrowing the rows' bytes from this.
    ContainerPlan plan() const;
    // The container as a load of its bytes gives it (list texts and all),
    // under `path`, without a file identity.
    Result<ContainerFile> file() const;
};

// The rows of a loaded container: each row's bytes as entryBytes gives them
// (the last one to the end of the file, trailing bytes included), the 28
// bytes in front of the count and the byte behind it. A file whose count
// byte is 0 has its one row, and is written with the count 1. The rows are
// copied into one shared buffer; with `borrow`, they are borrowed from
// `file`, which must then outlive the result and every edit of it.
// Refused (Refusal::RowPastEnd) when a row starts past the end of the
// file: the size table does not describe the file's bytes.
Result<EditableContainer> editableContainer(const ContainerFile& file, bool borrow = false);

// A plan of `edited` that outlives it: the rows an edit made (those with
// an owner) are copied into the plan, the others borrowed from the file
// they came from, which the caller keeps (editableContainer's `borrow`).
// What an edit over a file being rewritten returns to updateContainer.
ContainerPlan planKeepingNew(const EditableContainer& edited);

// Row rows[k] replaced by images[k] (as many of each, no row twice).
Result<EditableContainer> replaceRows(const EditableContainer& container, const std::vector<int>& rows,
                                      const std::vector<WriterImage>& images);

// Row `row` replaced by `bytes` as they are, without a check of their own
// (the rows around them are still checked).
Result<EditableContainer> replaceRowBytes(const EditableContainer& container, int row,
                                          const std::vector<std::uint8_t>& bytes);

// `images` inserted in front of row `at`; `at` equal to the row count
// appends them.
Result<EditableContainer> insertRows(const EditableContainer& container, int at,
                                     const std::vector<WriterImage>& images);

// The rows named (in any order, no row twice) taken out. A container keeps
// at least one row (Refusal::NoRowsLeft): with none, its file would still
// read as one row.
Result<EditableContainer> deleteRows(const EditableContainer& container, const std::vector<int>& rows);

// The rows put in the order `order` gives: row k of the result is row
// order[k] of `container`. `order` holds every row once.
Result<EditableContainer> reorderRows(const EditableContainer& container, const std::vector<int>& order);

// Row `from` moved so that it ends up at row `to`, the rows between
// moving up or down by one.
Result<EditableContainer> moveRow(const EditableContainer& container, int from, int to);

// The orders that reorderRows takes for the moves a list offers.
namespace reorder {
// The rows `selected` gathered, in their order, in front of row `before`
// of the list as it is (the row count: at the end).
std::vector<int> gather(int rowCount, const std::vector<int>& selected, int before);
// Each selected row stepped one place towards the front (`step` -1) or the
// back (+1), past the nearest row not selected; selected rows already at
// that end stay.
std::vector<int> step(int rowCount, const std::vector<int>& selected, int step);
// Where each row of `order` came from, turned round: the new row of every
// old row.
std::vector<int> newRows(const std::vector<int>& order);
}  // namespace reorder

}  // namespace zpk
