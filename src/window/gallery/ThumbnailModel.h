// The gallery's rows: one per list row of the loaded container, with its
// caption (row, width x height), what it holds (a picture, no data,
// nothing to draw) and its thumbnail once made. Widths and heights come
// from each entry's first four bytes, read when the file is set; the
// thumbnails from the loader.
//
// Thumbnails are kept per row for one file, one set of options and one
// size. Their memory stays within rowCount() x side² x 4 bytes: a new size
// keeps what still fits into it (a 1x thumbnail is exact at any size it
// fits, a scaled one is shown until its replacement comes) and drops the
// rest.
#pragma once

#include "decode/Decoder.h"
#include "window/gallery/Thumbnail.h"

#include <QAbstractListModel>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zpk {

class ThumbnailModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum class State {
        Waiting,        // a picture whose thumbnail is not made yet
        Picture,        // its thumbnail is there (perhaps made for another size)
        NoData,         // the width and height bytes lie past the end of the file
        NothingToDraw,  // width or height below 1
    };
    enum Role {
        StateRole = Qt::UserRole + 1,  // State, as int
        ImageRole,                     // QImage: the thumbnail, or a null image
        FullSizeRole,                  // bool: the image is the entry at 1x
        DrawnRole,                     // bool: the row the main window drew last
        StatusTextRole,                // QString: what the picture's place says instead of a picture
    };

    explicit ThumbnailModel(QObject* parent = nullptr);

    // The rows of `file` (nothing when no file is loaded). `fileName` is
    // what tooltips call the file. Every thumbnail goes, but with
    // `keepSame` (the options are the ones they were made with) a row whose
    // entry and the bytes behind it are those of a row before keeps that
    // row's thumbnail: after an edit, only the rows it made are drawn again.
    void setFile(const ContainerFile& file, const QString& fileName, bool keepSame = false);
    // Every thumbnail goes (the options changed); the rows stay.
    void dropThumbnails();
    void setSide(int side);
    int side() const { return m_side; }
    // Keeps a thumbnail made for the current size; false (and nothing
    // kept) for one of another size, or of a row that does not exist.
    bool setThumbnail(const Thumbnail& thumbnail);
    void setDrawnRow(int row);
    int drawnRow() const { return m_drawnRow; }

    // Rows whose picture still wants a thumbnail for the current size, and
    // how many there are.
    std::vector<int> rowsToMake() const;
    int waitingCount() const { return m_waiting; }
    bool needsRow(int row) const;
    State state(int row) const;
    QImage image(int row) const;
    // The bytes of every thumbnail kept.
    qint64 cachedBytes() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Rows are dragged (to move them within the gallery) as kRowsMimeType:
    // their numbers, in text, apart by spaces.
    static constexpr const char* kRowsMimeType = "application/x-zpkview-rows";
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

private:
    struct Row {
        std::optional<EntrySize> size;  // nothing: no data
        State state = State::NoData;
        QImage image;
        bool fullSize = false;
        bool current = false;  // made for the current size (or exact at it)
        // What the thumbnail depends on, as a hash of the entry's bytes and
        // those behind it; 0: not known (a large entry)
        std::uint64_t key = 0;
        bool selfContained = false;  // see Thumbnail
    };
    void changed(int row);
    void countWaiting();

    std::vector<Row> m_rows;
    QString m_fileName;
    int m_side = 128;
    int m_drawnRow = -1;
    int m_waiting = 0;  // rows for which needsRow() holds
};

}  // namespace zpk
