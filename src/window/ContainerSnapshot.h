// A copy of the loaded container that worker threads can read while the
// main window loads another file in its place: the workers hold the copy
// through a shared pointer, so it lives until the last of them lets go,
// and nothing of it ever changes.
//
// The file's bytes are copied in slices, one slice per turn of the event
// loop, so that a large file never holds the window up for long. The
// source must stay as it is until ready() or the next start() or cancel();
// the main window changes its file only in a load, which announces itself
// (MainWindow::fileLoaded), and the owner starts again then.
#pragma once

#include "state/ViewerState.h"

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <memory>

namespace zpk {

class ContainerSnapshot : public QObject {
    Q_OBJECT

public:
    // Bytes copied per turn of the event loop: about a millisecond of
    // memcpy and page faults.
    static constexpr std::size_t kSliceBytes = std::size_t{2} << 20;

    explicit ContainerSnapshot(QObject* parent = nullptr);

    // Starts copying `source` (any copy under way is dropped). A file of
    // one slice or less is copied at once, and ready() comes before start()
    // returns; a larger one from the next turn of the event loop on.
    void start(const ContainerFile& source);
    // Drops the copy under way; ready() does not come.
    void cancel();
    bool isCopying() const { return m_copy != nullptr; }

signals:
    void ready(const std::shared_ptr<const ContainerFile>& file);

private:
    void copySlice();

    const ContainerFile* m_source = nullptr;
    std::shared_ptr<ContainerFile> m_copy;
    std::size_t m_copied = 0;  // bytes of the file's data copied so far
    QTimer m_next;
};

}  // namespace zpk
