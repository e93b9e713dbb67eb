#include "overview/FileThumbnail.h"

#include "overview/PositionedEntries.h"
#include "overview/SheetCanvas.h"

#include <algorithm>
#include <deque>

namespace zpk {

namespace {

// A list row whose head promises pixels, with its stored (clipped) size.
struct Candidate {
    int row = 0;
    int width = 0;
    int height = 0;
};

std::vector<Candidate> candidatesOf(const ContainerIndex& index)
{
    std::vector<Candidate> out;
    for (std::size_t row = 0; row < index.heads.size(); ++row) {
        if (!index.heads[row]) continue;
        const EntrySize size = entrySizeFrom(*index.heads[row]);
        if (size.width < 1 || size.height < 1) continue;
        out.push_back(
            {static_cast<int>(row), std::min(size.width, kMaxGridSide), std::min(size.height, kMaxGridSide)});
    }
    return out;
}

// The work of one thumbnail: the file, its deadline, and the pictures
// decoded, which the canvas points into (a deque keeps them in place).
class ThumbnailWork {
public:
    ThumbnailWork(PositionedEntries entries, const ThumbnailSettings& settings)
        : m_entries(std::move(entries)),
          m_settings(settings),
          m_deadline(settings.start +
                     (m_entries.fileLength() > kLargeFileLength ? kLargeFileTimeLimit : kThumbnailTimeLimit))
    {
    }

    Result<ContainerThumbnail> run()
    {
        const std::vector<Candidate> candidates = candidatesOf(m_entries.index());
        const int quarter = m_settings.size / 4;
        const auto small = [&](const Candidate& c) { return c.width < quarter && c.height < quarter; };
        const std::size_t probe = std::min<std::size_t>(kSheetProbe, candidates.size());
        const bool sheet =
            probe >= 2 &&
            std::all_of(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(probe), small);
        auto made = sheet ? contactSheet(candidates, small) : Result<bool>(false);
        if (made && !*made) made = single(candidates);
        if (!made) return made.error();
        if (m_outOfTime) return finished(ThumbnailStatus::OutOfTime);
        if (!*made) return finished(ThumbnailStatus::NothingToDraw);
        return encode();
    }

private:
    // Decodes `row`; nothing when it draws no pixel or needs too large a
    // window, or when time ran out (m_outOfTime).
    Result<const EntryPicture*> decoded(int row)
    {
        if (m_decodes >= kMaxThumbnailDecodes) return nullptr;
        ++m_decodes;
        auto got = m_entries.decode(row, m_settings.picture, kMaxThumbnailWindow, m_deadline);
        if (!got) return got.error();
        if (got->outcome == WindowOutcome::OutOfTime) m_outOfTime = true;
        if (got->outcome != WindowOutcome::Decoded || got->image.produced == 0) return nullptr;
        m_pictures.push_back(entryPicture(std::move(got->image), got->palette, m_settings.picture.dropFirst));
        return &m_pictures.back();
    }

    // The first small entries that fit, in shelves; false when none draws.
    template <typename Small>
    Result<bool> contactSheet(const std::vector<Candidate>& candidates, Small small)
    {
        const int size = m_settings.size;
        const int gap = std::max(1, size / 64);
        int x = 0;
        int y = 0;
        int shelf = 0;  // the height of the current shelf
        for (const Candidate& c : candidates) {
            if (!small(c) || m_decodes >= kMaxThumbnailDecodes || m_outOfTime) break;
            if (x > 0 && x + c.width > size) {
                y += shelf + gap;
                x = 0;
                shelf = 0;
            }
            if (y + c.height > size) break;
            auto picture = decoded(c.row);
            if (!picture) return picture.error();
            if (*picture == nullptr) continue;
            m_placed.push_back({*picture, x, y, c.width, c.height});
            m_rows.push_back(c.row);
            m_width = std::max(m_width, x + c.width);
            m_height = std::max(m_height, y + c.height);
            x += c.width + gap;
            shelf = std::max(shelf, c.height);
        }
        return !m_placed.empty();
    }

    // The first entry that draws.
    Result<bool> single(const std::vector<Candidate>& candidates)
    {
        for (const Candidate& c : candidates) {
            if (m_decodes >= kMaxThumbnailDecodes || m_outOfTime) break;
            auto picture = decoded(c.row);
            if (!picture) return picture.error();
            if (*picture == nullptr) continue;
            m_width = c.width;
            m_height = c.height;
            m_placed.push_back({*picture, 0, 0, m_width, m_height});
            m_rows.push_back(c.row);
            return true;
        }
        return false;
    }

    // The pictures as placed at 1x, scaled as a whole so that the longer
    // side is the size asked: a large one shrunk; a small one enlarged
    // without blending, each of its pixels a block of one colour (of the
    // whole step, or one pixel less where the size is not a whole number
    // of steps).
    Result<ContainerThumbnail> encode()
    {
        const FittedSize filled = filledSize(m_width, m_height, m_settings.size);
        const std::int64_t longer = std::max(m_width, m_height);
        const std::int64_t side = std::max(filled.width, filled.height);
        const int step = wholeStep(static_cast<int>(longer), m_settings.size);
        const auto scaled = [&](int at) { return static_cast<int>((at * side + longer / 2) / longer); };
        SheetCanvas canvas(filled.width, filled.height);
        for (const Placement& p : m_placed) {
            const int x = scaled(p.x);
            const int y = scaled(p.y);
            canvas.placePicture(x, y, *p.picture, scaled(p.x + p.width) - x, scaled(p.y + p.height) - y,
                                step);
        }
        m_width = filled.width;
        m_height = filled.height;
        auto encoded = encodeRgbaRows(
            m_width, m_height,
            [&](int y, std::uint8_t* out) {
                if (std::chrono::steady_clock::now() >= m_deadline) return RowStep::Stop;
                canvas.row(y, out);
                return RowStep::Written;
            },
            Compression::Fast);
        if (!encoded) return encoded.error();
        if (encoded->stopped) return finished(ThumbnailStatus::OutOfTime);
        ContainerThumbnail out = finished(ThumbnailStatus::Made);
        out.png = std::move(encoded->png);
        out.width = m_width;
        out.height = m_height;
        out.rows = m_rows;
        return out;
    }

    ContainerThumbnail finished(ThumbnailStatus status) const
    {
        ContainerThumbnail out;
        out.status = status;
        out.bytesRead = m_entries.bytesRead();
        out.fileLength = m_entries.fileLength();
        return out;
    }

    struct Placement {
        const EntryPicture* picture;
        int x;
        int y;
        int width;
        int height;
    };

    PositionedEntries m_entries;
    const ThumbnailSettings& m_settings;
    Deadline m_deadline;
    std::deque<EntryPicture> m_pictures;
    std::vector<Placement> m_placed;
    std::vector<int> m_rows;
    int m_width = 0;
    int m_height = 0;
    int m_decodes = 0;
    bool m_outOfTime = false;
};

}  // namespace

Result<ContainerThumbnail> makeContainerThumbnail(const std::string& path, const ThumbnailSettings& settings)
{
    auto entries = PositionedEntries::open(path);
    if (!entries) return entries.error();
    ThumbnailWork work(std::move(*entries), settings);
    return work.run();
}

}  // namespace zpk
