// Makes thumbnails (see Thumbnail.h) on a small pool of worker threads, so
// that the window never waits on a decode. The window says what to make
// (start(): a file, options and a size) and in which order (request():
// the rows it shows first); finished thumbnails come back on the window's
// thread through thumbnailMade(), several per event when they finish
// together.
//
// Each start() begins a new generation: rows still waiting are dropped,
// and a thumbnail of an older generation that a worker finishes later is
// thrown away, never reported. A worker holds the work it took (the file
// too, by a shared pointer) until it is done with it, so the file it reads
// stays alive and unchanged whatever the window loads meanwhile.
// Destroying the loader waits for the workers to finish the rows they hold.
#pragma once

#include "state/PictureOptions.h"
#include "state/ViewerState.h"
#include "window/gallery/Thumbnail.h"

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zpk {

class ThumbnailLoader : public QObject {
    Q_OBJECT

public:
    // `threads` workers; 0: one per processor (QThread::idealThreadCount()).
    // They start with the first start().
    explicit ThumbnailLoader(int threads = 0, QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    // New work: thumbnails of `file`'s rows with `options`, for squares of
    // `side` pixels. Nothing is made until request() names rows. Returns
    // the new generation.
    std::uint64_t start(std::shared_ptr<const ContainerFile> file, const PictureOptions& options, int side);
    // The rows to make, first things first; replaces the order given
    // before. Rows a worker is making already are left out.
    void request(const std::vector<int>& rows);
    // Drops the rows waiting and the work itself (its file goes once no
    // worker holds it); thumbnails still being made are not reported.
    void stop();

    std::uint64_t generation() const { return m_generation; }
    int threadCount() const { return m_threadCount; }
    // Rows waiting or being made for the current generation.
    int outstanding() const;

signals:
    // A thumbnail of the current generation, on the loader's thread.
    void thumbnailMade(const zpk::Thumbnail& thumbnail);

private:
    struct Work {
        std::shared_ptr<const ContainerFile> file;
        PictureOptions options;
        int side = 0;
        std::uint64_t generation = 0;
    };

    void run();
    void deliver();

    const int m_threadCount;
    std::vector<std::thread> m_threads;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    std::shared_ptr<const Work> m_work;  // null: nothing to do
    std::deque<int> m_pending;           // rows of m_work, first first
    std::vector<int> m_running;          // rows of m_work being made
    std::vector<Thumbnail> m_done;       // made, of m_work, not yet delivered
    bool m_deliveryPosted = false;
    // written on the loader's thread only, and there under the lock
    std::uint64_t m_generation = 0;
};

}  // namespace zpk
