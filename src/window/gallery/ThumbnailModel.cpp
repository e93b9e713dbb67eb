#include "window/gallery/ThumbnailModel.h"

#include <QMimeData>

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace zpk {

ThumbnailModel::ThumbnailModel(QObject* parent) : QAbstractListModel(parent) {}

namespace {

// Entries longer than this get no key: hashing them would cost more than
// drawing them again.
constexpr std::int64_t kLongestKeyed = std::int64_t{1} << 20;
// How far behind its end an entry's decode may look.
constexpr std::int64_t kBytesBehind = 8;

// FNV-1a over the entry of `row` and the bytes behind it, or 0.
std::uint64_t keyOf(const ContainerFile& file, int row)
{
    const std::int64_t begin = file.entryOffset(row);
    const std::int64_t end = std::min<std::int64_t>(file.entryEnd(row), file.fileLength);
    if (begin > file.fileLength || end - begin > kLongestKeyed) return 0;
    const std::int64_t until = std::min<std::int64_t>(end + kBytesBehind, file.fileLength);
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    const auto mix = [&hash](std::uint64_t value) {
        hash ^= value;
        hash *= 0x100000001b3ULL;
    };
    for (const std::uint8_t b : file.reader().span(begin, std::max<std::int64_t>(0, until - begin))) mix(b);
    // where the entry ends, and whether the file does
    mix(static_cast<std::uint64_t>(end - begin) << 8);
    mix(static_cast<std::uint64_t>(until == file.fileLength) << 16);
    return hash == 0 ? 1 : hash;
}

}  // namespace

void ThumbnailModel::setFile(const ContainerFile& file, const QString& fileName, bool keepSame)
{
    beginResetModel();
    std::vector<Row> before = std::exchange(m_rows, {});
    m_fileName = fileName;
    m_drawnRow = -1;
    if (file.isLoaded()) {
        m_rows.resize(static_cast<std::size_t>(file.rowCount()));
        for (int row = 0; row < file.rowCount(); ++row) {
            Row& r = m_rows[static_cast<std::size_t>(row)];
            r.size = entrySize(file, row);
            if (!r.size) r.state = State::NoData;
            else if (r.size->width < 1 || r.size->height < 1) r.state = State::NothingToDraw;
            else r.state = State::Waiting;
            if (r.state == State::Waiting) r.key = keyOf(file, row);
        }
    }
    if (keepSame) {
        std::unordered_map<std::uint64_t, const Row*> made;
        for (const Row& r : before)
            if (r.state == State::Picture && r.selfContained && r.key != 0) made.emplace(r.key, &r);
        for (Row& r : m_rows) {
            const auto found = r.key != 0 ? made.find(r.key) : made.end();
            if (found == made.end()) continue;
            const Row& old = *found->second;
            r.state = State::Picture;
            r.image = old.image;
            r.fullSize = old.fullSize;
            r.current = old.current;
            r.selfContained = true;
        }
    }
    countWaiting();
    endResetModel();
}

void ThumbnailModel::dropThumbnails()
{
    for (Row& r : m_rows) {
        if (r.state != State::Picture) continue;
        r.state = State::Waiting;
        r.image = QImage();
        r.current = false;
    }
    countWaiting();
    if (!m_rows.empty()) emit dataChanged(index(0), index(rowCount() - 1));
}

void ThumbnailModel::setSide(int side)
{
    side = std::clamp(side, kMinThumbnailSide, kMaxThumbnailSide);
    if (side == m_side) return;
    m_side = side;
    for (Row& r : m_rows) {
        if (r.image.isNull()) continue;
        const bool fits = r.image.width() <= side && r.image.height() <= side;
        if (!fits) {
            // larger than the new bound: it goes, and is made again
            r.image = QImage();
            r.state = State::Waiting;
            r.current = false;
        } else {
            // a 1x image is exact at any size it fits into; a scaled one
            // stays on show, enlarged, until the one of this size comes
            r.current = r.fullSize;
        }
    }
    countWaiting();
    if (!m_rows.empty()) emit dataChanged(index(0), index(rowCount() - 1));
}

bool ThumbnailModel::setThumbnail(const Thumbnail& thumbnail)
{
    if (thumbnail.row < 0 || thumbnail.row >= rowCount()) return false;
    Row& r = m_rows[static_cast<std::size_t>(thumbnail.row)];
    const bool wasNeeded = needsRow(thumbnail.row);
    switch (thumbnail.kind) {
    case Thumbnail::Kind::Picture: {
        const bool exact =
            thumbnail.side == m_side ||
            (thumbnail.fullSize && thumbnail.image.width() <= m_side && thumbnail.image.height() <= m_side);
        if (!exact || thumbnail.image.isNull()) return false;
        r.state = State::Picture;
        r.image = thumbnail.image;
        r.fullSize = thumbnail.fullSize;
        r.selfContained = thumbnail.selfContained;
        r.current = true;
        break;
    }
    case Thumbnail::Kind::NoData:
        r.state = State::NoData;
        r.image = QImage();
        break;
    case Thumbnail::Kind::NothingToDraw:
        r.state = State::NothingToDraw;
        r.image = QImage();
        break;
    }
    m_waiting -= wasNeeded ? 1 : 0;  // it is needed no more
    changed(thumbnail.row);
    return true;
}

void ThumbnailModel::setDrawnRow(int row)
{
    if (row == m_drawnRow) return;
    const int old = m_drawnRow;
    m_drawnRow = row;
    changed(old);
    changed(row);
}

bool ThumbnailModel::needsRow(int row) const
{
    if (row < 0 || row >= rowCount()) return false;
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    return r.state == State::Waiting || (r.state == State::Picture && !r.current);
}

std::vector<int> ThumbnailModel::rowsToMake() const
{
    std::vector<int> rows;
    for (int row = 0; row < rowCount(); ++row)
        if (needsRow(row)) rows.push_back(row);
    return rows;
}

ThumbnailModel::State ThumbnailModel::state(int row) const
{
    if (row < 0 || row >= rowCount()) return State::NoData;
    return m_rows[static_cast<std::size_t>(row)].state;
}

QImage ThumbnailModel::image(int row) const
{
    if (row < 0 || row >= rowCount()) return {};
    return m_rows[static_cast<std::size_t>(row)].image;
}

qint64 ThumbnailModel::cachedBytes() const
{
    qint64 bytes = 0;
    for (const Row& r : m_rows) bytes += r.image.sizeInBytes();
    return bytes;
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int row = index.row();
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    switch (role) {
    case Qt::DisplayRole:
        if (!r.size) return tr("항목 %1").arg(row);
        return tr("항목 %1\n%2 x %3").arg(row).arg(r.size->width).arg(r.size->height);
    case Qt::AccessibleTextRole: {
        const QString status = data(index, StatusTextRole).toString();
        QString text =
            data(index, Qt::DisplayRole).toString().replace(QLatin1Char('\n'), QStringLiteral(", "));
        return status.isEmpty() ? text : text + QStringLiteral(", ") + status;
    }
    case Qt::ToolTipRole:
        if (!r.size) return tr("%1, 항목 %2, 자료 없음").arg(m_fileName).arg(row);
        return tr("%1, 항목 %2, %3 x %4").arg(m_fileName).arg(row).arg(r.size->width).arg(r.size->height);
    case StateRole: return static_cast<int>(r.state);
    case ImageRole: return r.image;
    case FullSizeRole: return r.fullSize;
    case DrawnRole: return row == m_drawnRow;
    case StatusTextRole:
        if (r.state == State::NoData) return tr("자료 없음");
        if (r.state == State::NothingToDraw) return tr("그림 없음");
        return QString();
    default: return {};
    }
}

void ThumbnailModel::countWaiting()
{
    m_waiting = 0;
    for (int row = 0; row < rowCount(); ++row) m_waiting += needsRow(row) ? 1 : 0;
}

void ThumbnailModel::changed(int row)
{
    if (row < 0 || row >= rowCount()) return;
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

Qt::ItemFlags ThumbnailModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags out = QAbstractListModel::flags(index);
    if (index.isValid()) out |= Qt::ItemIsDragEnabled;
    return out;
}

QStringList ThumbnailModel::mimeTypes() const { return {QString::fromLatin1(kRowsMimeType)}; }

QMimeData* ThumbnailModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid()) rows.append(QString::number(index.row()));
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowsMimeType), rows.join(QLatin1Char(' ')).toLatin1());
    return data;
}

}  // namespace zpk
