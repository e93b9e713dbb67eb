#include "window/gallery/ThumbnailLoader.h"

#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace zpk {

namespace {

// How much lower the workers run than the window's thread, in nice steps:
// a quarter of a processor each against a busy thread of normal priority.
constexpr int kWorkerNiceness = 5;

}  // namespace

ThumbnailLoader::ThumbnailLoader(int threads, QObject* parent)
    : QObject(parent), m_threadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()))
{
}

ThumbnailLoader::~ThumbnailLoader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
        m_pending.clear();
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads) t.join();
}

std::uint64_t ThumbnailLoader::start(std::shared_ptr<const ContainerFile> file, const PictureOptions& options,
                                     int side)
{
    auto work = std::make_shared<Work>();
    work->file = std::move(file);
    work->options = options;
    work->side = side;
    {
        const std::lock_guard lock(m_mutex);
        work->generation = ++m_generation;
        m_work = std::move(work);
        m_pending.clear();
        m_running.clear();
        m_done.clear();
    }
    if (m_threads.empty()) {
        m_threads.reserve(static_cast<std::size_t>(m_threadCount));
        for (int i = 0; i < m_threadCount; ++i) m_threads.emplace_back([this] { run(); });
    }
    return m_generation;
}

void ThumbnailLoader::request(const std::vector<int>& rows)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pending.clear();
        if (!m_work || !m_work->file) return;
        const int rowCount = m_work->file->rowCount();
        for (const int row : rows) {
            if (row < 0 || row >= rowCount) continue;
            if (std::find(m_running.begin(), m_running.end(), row) != m_running.end()) continue;
            m_pending.push_back(row);
        }
        if (m_pending.empty()) return;
    }
    m_wake.notify_all();
}

void ThumbnailLoader::stop()
{
    const std::lock_guard lock(m_mutex);
    ++m_generation;
    m_work.reset();
    m_pending.clear();
    m_running.clear();
    m_done.clear();
}

int ThumbnailLoader::outstanding() const
{
    const std::lock_guard lock(m_mutex);
    return static_cast<int>(m_pending.size() + m_running.size());
}

void ThumbnailLoader::run()
{
    // named, so that a profiler or a debugger tells the workers from the window's thread
    pthread_setname_np(pthread_self(), "zpk-thumbnails");
    // below the window's thread: when both want a processor, a paint or a
    // key goes first and a thumbnail waits (Linux gives each thread its own
    // nice value; where it cannot be raised, the workers run as they are)
    const auto self = static_cast<id_t>(gettid());
    errno = 0;
    if (const int nice = getpriority(PRIO_PROCESS, self); errno == 0)
        setpriority(PRIO_PROCESS, self, std::min(nice + kWorkerNiceness, 19));
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || (m_work && !m_pending.empty()); });
        if (m_quit) return;
        const std::shared_ptr<const Work> work = m_work;
        const int row = m_pending.front();
        m_pending.pop_front();
        m_running.push_back(row);
        lock.unlock();

        Thumbnail made = makeThumbnail(*work->file, row, work->options, work->side);

        lock.lock();
        // a start() or stop() meanwhile cleared the rows being made; this
        // one belongs to no generation that is wanted
        if (work->generation != m_generation) continue;
        m_running.erase(std::find(m_running.begin(), m_running.end(), row));
        m_done.push_back(std::move(made));
        if (m_deliveryPosted) continue;  // the delivery on its way takes this one too
        m_deliveryPosted = true;
        lock.unlock();
        // the loader outlives this thread (the destructor joins it), and
        // Qt drops the call if the loader is gone before it runs
        QMetaObject::invokeMethod(this, &ThumbnailLoader::deliver, Qt::QueuedConnection);
        lock.lock();
    }
}

void ThumbnailLoader::deliver()
{
    std::vector<Thumbnail> done;
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(m_mutex);
        done.swap(m_done);
        m_deliveryPosted = false;
        generation = m_generation;
    }
    for (const Thumbnail& thumbnail : done) {
        // a receiver may have started new work: the rest is of no use then
        if (m_generation != generation) return;
        emit thumbnailMade(thumbnail);
    }
}

}  // namespace zpk
