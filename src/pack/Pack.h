// Making containers from pictures, replacing one entry of a container, and
// taking an entry's bytes out, all in memory: the caller writes the result
// (through writeFileAtomically), so an error leaves every file as it was.
// Errors are ErrorCode::CannotPack with the file concerned as path and the
// refusal with its facts (the entry, the row, the pixel), unless said
// otherwise.
#pragma once

#include "container/ContainerWriter.h"
#include "pack/PictureReader.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zpk {

// The PNGs an export of every entry wrote into `folder`, as paths in row
// order: folder/000.png, folder/001.png, ... Only names of three digits and
// ".png" count; other files are left alone. The numbers must run from 000
// without a gap: a missing number (an entry that could not be exported,
// say) is an error naming it, rather than a container whose later rows
// move up by one. No 000.png, or more than 255 numbers, is an error too.
// A folder that cannot be read is ErrorCode::CannotOpen.
Result<std::vector<std::string>> listExportedPngs(const std::string& folder);

// A container of `images` in order, each encoded knowing the first byte of
// the one behind it; names[j] names image j's file in errors. Every limit is
// checked before anything is returned: at most 255 entries (the error
// names the first image too many), widths and heights 0 to 32767, every
// entry but the last at most 65535 bytes once encoded (the error tells its
// size), and the colours of each (see encodeEntry).
Result<std::vector<std::uint8_t>> packContainer(const std::vector<WriterImage>& images,
                                                const std::vector<std::string>& names);

// A container of the PNG pictures at `paths`, in order, as packContainer
// makes it, read one picture at a time: each is encoded as soon as it is
// read (the byte behind an entry is the next picture's width, which that
// picture's header gives), and only the encoded entries are kept, so the
// memory held is about one picture's pixel values and the container. Each
// limit is told as soon as it is broken. `noted` is called with each
// picture the reader noticed something about.
Result<ContainerPlan>
packPictures(const std::vector<std::string>& paths, const PackOptions& options,
             const std::function<void(const std::string& path, const PictureNotes& notes)>& noted = {});

// The bytes of list row `row`'s entry as the file holds them: from its
// first byte to the next row's first byte, or to the end of the file for
// the last row (trailing bytes and all: the last entry has no end of its
// own). A row whose size is 0 has no bytes. A row that starts past the end
// of the file is ErrorCode::NoData.
Result<std::vector<std::uint8_t>> entryBytes(const ContainerFile& file, int row);

// The length of list row `row`'s entry as entryBytes gives it, without a copy.
std::int64_t entryLength(const ContainerFile& file, int row);

// The container `file` with list row `row`'s entry replaced by `image`,
// encoded knowing the byte behind it. Every other entry keeps its bytes
// exactly (the last one up to the end of the file, trailing bytes
// included; rows of size 0 stay without bytes), and so do the 28 bytes in
// front of the count and the byte behind it; the count is the number of
// list rows (so a file whose count byte is 0, with its one row, gets the
// count 1) and the size table is written anew from the entries' lengths.
// Refused, with nothing made:
//   - a row that does not exist, or any row that starts past the end of the
//     file (the size table does not describe the file's bytes);
//   - a new entry larger than 65535 bytes that is not the last;
//   - a new entry that would not decode back to `image` (the entry behind
//     it starts with 0xFF 0xFE, which its decode would count as its own);
//   - an entry in front of it that decoded exactly within its own bytes and
//     would no longer (it ends in 0xFF and the new entry starts with 0xFE).
// An entry whose stream runs on past its end into what follows (a damaged
// one) reads other bytes once they move, as in any rewrite of the file.
Result<std::vector<std::uint8_t>> replaceEntry(const ContainerFile& file, int row, const WriterImage& image);

// The same as a plan to write: every entry but the new one is borrowed from
// `file`, which must outlive it.
Result<ContainerPlan> planReplacement(const ContainerFile& file, int row, const WriterImage& image);

// The same with the new entry's bytes given as they are (from entryBytes,
// say), written without a check of their own.
Result<std::vector<std::uint8_t>> replaceEntry(const ContainerFile& file, int row,
                                               const std::vector<std::uint8_t>& newEntryBytes);

}  // namespace zpk
