// Putting a container together from entries: the header and size table,
// the checks on the count and the sizes, and the plan of pieces a file is
// written from (most of them borrowed from a loaded file).
#include "container/ContainerWriter.h"

#include "state/ViewerState.h"

#include <algorithm>
#include <string>

namespace zpk {

namespace {

constexpr std::size_t kMaxEntrySize = 65535;  // sizes are 16-bit
constexpr std::size_t kHeaderBytes = 30;

Error invalid(Refusal refusal) { return makeRefusal(ErrorCode::InvalidImage, refusal); }

}  // namespace

ContainerBuilder& ContainerBuilder::entry(WriterImage image)
{
    m_entries.emplace_back(std::move(image));
    return *this;
}

ContainerBuilder& ContainerBuilder::rawEntry(std::vector<std::uint8_t> bytes)
{
    m_entries.emplace_back(std::move(bytes));
    return *this;
}

ContainerBuilder& ContainerBuilder::header(const ContainerLabel& label, std::uint8_t byte29)
{
    m_label = label;
    m_byte29 = byte29;
    return *this;
}

std::vector<std::uint8_t> containerHeader(const std::vector<std::uint16_t>& sizes)
{
    std::vector<std::uint8_t> out(kHeaderBytes, 0);
    out[28] = static_cast<std::uint8_t>(sizes.size());
    for (const std::uint16_t size : sizes) {
        out.push_back(static_cast<std::uint8_t>(size & 0xFF));
        out.push_back(static_cast<std::uint8_t>(size >> 8));
    }
    return out;
}

namespace {

// `e`, the refusal of entry `entry`, which `failedEntry` (if given) receives.
Error failAt(std::size_t entry, Error e, int* failedEntry)
{
    if (failedEntry) *failedEntry = static_cast<int>(entry);
    return e;
}

// The refusal of a container of `count` entries (the first one too many is
// at fault), or nothing.
std::optional<Error> countProblem(std::size_t count, int* failedEntry)
{
    if (count <= static_cast<std::size_t>(kMaxEntries)) return std::nullopt;
    Error e = invalid(Refusal::TooManyEntries);
    e.count = static_cast<std::int64_t>(count);
    e.limit = kMaxEntries;
    return failAt(static_cast<std::size_t>(kMaxEntries), std::move(e), failedEntry);
}

}  // namespace

std::optional<Error> entrySizeProblem(std::size_t j, std::size_t size, std::size_t count)
{
    if (j + 1 >= count || size <= kMaxEntrySize) return std::nullopt;
    Error e = invalid(Refusal::EntryTooLarge);
    e.entry = static_cast<int>(j);
    e.count = static_cast<std::int64_t>(size);
    e.limit = static_cast<std::int64_t>(kMaxEntrySize);
    return e;
}

ContainerPlan& ContainerPlan::header(const ContainerLabel& label, std::uint8_t byte29)
{
    m_label = label;
    m_byte29 = byte29;
    m_labelled = true;
    return *this;
}

ContainerPlan& ContainerPlan::borrow(std::span<const std::uint8_t> bytes)
{
    m_entries.push_back(bytes);
    return *this;
}

ContainerPlan& ContainerPlan::own(std::vector<std::uint8_t> bytes)
{
    m_owned.push_back(std::move(bytes));
    m_entries.emplace_back(m_owned.back());
    return *this;
}

std::int64_t ContainerPlan::size() const
{
    auto total = static_cast<std::int64_t>(kHeaderBytes + 2 * m_entries.size());
    for (const auto entry : m_entries) total += static_cast<std::int64_t>(entry.size());
    return total;
}

Result<std::vector<std::span<const std::uint8_t>>> ContainerPlan::parts(int* failedEntry)
{
    if (auto problem = countProblem(m_entries.size(), failedEntry)) return std::move(*problem);
    std::vector<std::uint16_t> sizes;
    for (std::size_t j = 0; j < m_entries.size(); ++j) {
        if (auto problem = entrySizeProblem(j, m_entries[j].size(), m_entries.size()))
            return failAt(j, std::move(*problem), failedEntry);
        sizes.push_back(static_cast<std::uint16_t>(m_entries[j].size() & 0xFFFF));
    }
    m_header = containerHeader(sizes);
    if (m_labelled) {
        std::copy(m_label.begin(), m_label.end(), m_header.begin());
        m_header[29] = m_byte29;
    } else {
        const std::string label = "zpkview container";
        std::copy(label.begin(), label.end(), m_header.begin());
    }
    std::vector<std::span<const std::uint8_t>> out{m_header};
    out.insert(out.end(), m_entries.begin(), m_entries.end());
    return out;
}

Result<std::vector<std::uint8_t>> ContainerPlan::bytes(int* failedEntry)
{
    auto pieces = parts(failedEntry);
    if (!pieces) return pieces.error();
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(size()));
    for (const auto piece : *pieces) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

Result<std::vector<std::uint8_t>> ContainerBuilder::build(int* failedEntry) const
{
    // told before 256 images are encoded for nothing
    if (auto problem = countProblem(m_entries.size(), failedEntry)) return std::move(*problem);
    // the first byte of the entries from j on: an image's is its width's low
    // byte; a raw entry without bytes leaves the next one's behind it
    auto firstByteFrom = [&](std::size_t j) {
        for (; j < m_entries.size(); ++j) {
            if (const auto* image = std::get_if<WriterImage>(&m_entries[j])) return image->width & 0xFF;
            const auto& raw = std::get<std::vector<std::uint8_t>>(m_entries[j]);
            if (!raw.empty()) return static_cast<int>(raw.front());
        }
        return -1;
    };
    ContainerPlan plan;
    if (m_label) plan.header(*m_label, m_byte29);
    for (std::size_t j = 0; j < m_entries.size(); ++j) {
        if (const auto* image = std::get_if<WriterImage>(&m_entries[j])) {
            auto bytes = encodeEntry(*image, firstByteFrom(j + 1));
            if (!bytes) {
                Error e = bytes.error();
                e.entry = static_cast<int>(j);
                return failAt(j, std::move(e), failedEntry);
            }
            plan.own(std::move(*bytes));
        } else {
            plan.borrow(std::get<std::vector<std::uint8_t>>(m_entries[j]));
        }
        // told before the entries behind it are encoded
        if (auto problem = entrySizeProblem(j, plan.entry(static_cast<int>(j)).size(), m_entries.size()))
            return failAt(j, std::move(*problem), failedEntry);
    }
    return plan.bytes(failedEntry);
}

}  // namespace zpk
