#include "export/BatchExport.h"

#include "container/Container.h"
#include "export/EntryExport.h"
#include "export/ExportNaming.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <thread>

namespace zpk {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The files a batch holds in memory at once (all workers share each file):
// files are read ahead while they fit in this many bytes together, and a
// larger one is read only when no other is held, so that the peak stays
// near the largest file plus one image per worker, whatever the number of
// workers.
constexpr std::int64_t kOpenBytesBudget = 64 << 20;

// The progress reporter hears of the batch at most this often.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// One entry: the PNG written, or why not.
EntryOutcome exportOne(const ContainerFile& file, const PlannedFile& planned, int row, const BatchPlan& plan)
{
    EntryOutcome outcome;
    outcome.row = row;
    outcome.attempted = true;
    outcome.output = entryPngPath(planned.folder, row);
    try {
        // not worth decoding for a PNG that would be refused; the write
        // itself still refuses one that appears meanwhile
        const auto keep = [&] {
            if (plan.skipExisting) {
                outcome.exported = true;
                outcome.skipped = true;
            } else {
                outcome.problem = makeError(ErrorCode::Exists, outcome.output);
            }
            return outcome;
        };
        struct stat info {};
        if (::lstat(outcome.output.c_str(), &info) == 0) {
            if (plan.overwrite == Overwrite::Refuse) return keep();
            // a batch replaces PNGs, and writes into nothing else: a FIFO
            // there would wait for a reader for ever
            struct stat target {};
            if (::stat(outcome.output.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
                outcome.problem = makeError(ErrorCode::NotRegularFile, outcome.output);
                return outcome;
            }
        }
        Palette palette{};  // fresh: the PNG does not depend on the entries before
        const DecodedImage image = decodeEntry(file, row, palette, plan.options);
        // new files are made durable together once the batch ends
        const auto written = writeEntryPng(image, palette, plan.options, outcome.output,
                                           WriteOptions{plan.overwrite, {}, plan.durability});
        if (!written && written.error().code == ErrorCode::Exists) return keep();
        if (!written) {
            outcome.problem = written.error();
            return outcome;
        }
        outcome.form = written->form;
        outcome.produced = written->produced;
        outcome.pixelCount = written->pixelCount;
        outcome.exported = true;
    } catch (const std::bad_alloc&) {
        outcome.problem = makeError(ErrorCode::OutOfMemory);
    } catch (const std::exception& e) {
        outcome.problem = makeDetailedError(ErrorCode::Internal, e.what());
    }
    return outcome;
}

// The shared state of one run: the files in order, the queue of entries
// ready to export, and the counters the progress reporter sees. Everything
// here is guarded by m_mutex, except that the worker reading a file fills
// its outcome unlocked before any of its entries is queued, and that the
// outcome of a finished file is read unlocked, as nothing writes it any more.
class BatchRun {
public:
    BatchRun(const BatchPlan& plan, ProgressReporter& progress, const std::atomic<bool>* cancel)
        : m_plan(plan),
          m_progress(progress),
          m_cancel(cancel),
          m_files(plan.files.size()),
          m_outcomes(plan.files.size())
    {
        for (std::size_t i = 0; i < m_files.size(); ++i) {
            const PlannedFile& planned = plan.files[i];
            m_outcomes[i].path = planned.path;
            m_outcomes[i].folder = planned.folder;
            const int announced =
                planned.loaded ? planned.loaded->rowCount() : announcedRowCount(planned.path);
            m_files[i].announcedRows = static_cast<int>(rowsToExport(planned, announced).size());
            m_entriesTotal += m_files[i].announcedRows;
        }
        for (std::size_t i = 0; i < m_files.size(); ++i) m_files[i].bytes = sizeOf(plan.files[i]);
        // a file beyond one per worker keeps every worker busy between
        // small files; the byte budget keeps large ones to one at a time
        m_maxOpenFiles = static_cast<std::size_t>(plan.threads) + 1;
    }

    BatchResult run()
    {
        m_start = Clock::now();
        m_progress.started(snapshot());
        {
            std::vector<std::jthread> workers;
            workers.reserve(static_cast<std::size_t>(m_plan.threads));
            m_activeWorkers = m_plan.threads;
            for (int i = 0; i < m_plan.threads; ++i) workers.emplace_back([this] { work(); });
            report();
        }  // the workers have ended
        BatchResult result{std::move(m_outcomes), cancelled(), std::nullopt};
        if (m_plan.durability == Durability::Deferred) result.unsynced = makeDurable(result);
        m_progress.finished(snapshot());
        return result;
    }

private:
    struct FileState {
        std::int64_t announcedRows = 0;
        std::int64_t bytes = 0;  // what reading it takes: its length, or the whole budget for a stream
        std::shared_ptr<const ContainerFile> container;  // while its entries are exported
        int remaining = 0;                               // entries not yet finished
        bool finished = false;
    };
    struct Job {
        std::size_t file;
        int row;
        std::size_t slot;  // its outcome's place among the file's entries
    };

    // Whether the next file may be read now: always when none is open, else
    // while the files open and it stay within the byte budget.
    bool admits(const FileState& next) const
    {
        if (m_openFiles == 0) return true;
        return m_openFiles < m_maxOpenFiles && m_openBytes + next.bytes <= kOpenBytesBudget;
    }

    static std::int64_t sizeOf(const PlannedFile& file)
    {
        if (file.loaded) return file.loaded->fileLength;
        struct stat info {};
        if (::stat(file.path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_size;
        return kOpenBytesBudget;  // a stream: its size shows only once it is read
    }

    bool cancelled() const { return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed); }

    // The PNGs written wait in memory until here: one sync of each file
    // system they went to makes them durable (a sync per file would wait
    // for the disk as many times). Also after a cancel, for those written.
    static std::optional<Error> makeDurable(const BatchResult& result)
    {
        std::vector<dev_t> synced;
        for (const FileOutcome& file : result.files) {
            const bool wrote = std::any_of(file.entries.begin(), file.entries.end(),
                                           [](const EntryOutcome& e) { return e.exported && !e.skipped; });
            if (!wrote) continue;
            struct stat info {};
            if (::stat(file.folder.c_str(), &info) != 0)
                return makeError(ErrorCode::WriteFailed, file.folder, errno);
            if (std::find(synced.begin(), synced.end(), info.st_dev) != synced.end()) continue;
            if (const int err = syncFileSystem(file.folder); err != 0)
                return makeError(ErrorCode::WriteFailed, file.folder, err);
            synced.push_back(info.st_dev);
        }
        return std::nullopt;
    }

    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            // cancelled: finish what is in hand, take nothing more
            if (cancelled()) break;
            // read the next file when the queue runs low, so that the
            // others have entries to take meanwhile
            const bool lowOnWork = m_ready.size() < static_cast<std::size_t>(m_plan.threads);
            if (m_nextFile < m_files.size() && lowOnWork && admits(m_files[m_nextFile])) {
                const std::size_t index = m_nextFile++;
                ++m_loading;
                ++m_openFiles;
                m_openBytes += m_files[index].bytes;
                lock.unlock();
                auto container = open(index);
                lock.lock();
                --m_loading;
                publish(index, std::move(container));
                continue;
            }
            if (!m_ready.empty()) {
                const Job job = m_ready.front();
                m_ready.pop_front();
                const std::shared_ptr<const ContainerFile> container = m_files[job.file].container;
                lock.unlock();
                EntryOutcome outcome = exportOne(*container, m_plan.files[job.file], job.row, m_plan);
                lock.lock();
                finishEntry(job, std::move(outcome));
                continue;
            }
            // nothing queued and nothing more to come: the others finish
            // what they hold
            if (m_nextFile == m_files.size() && m_loading == 0) break;
            m_workChanged.wait_for(lock, kProgressInterval);  // wakes to see a cancel too
        }
        if (--m_activeWorkers == 0) m_progressChanged.notify_all();
    }

    // Reads a file and makes its folder; runs unlocked, and touches only
    // this file's outcome, which no other worker reaches yet.
    std::shared_ptr<const ContainerFile> open(std::size_t index)
    {
        FileOutcome& outcome = m_outcomes[index];
        try {
            std::shared_ptr<const ContainerFile> container = m_plan.files[index].loaded;
            if (!container) {
                auto loaded = loadContainer(outcome.path, m_plan.streams);
                if (!loaded) {
                    outcome.problem = loaded.error();
                    return nullptr;
                }
                container = std::make_shared<const ContainerFile>(std::move(*loaded));
            }
            std::error_code ec;
            fs::create_directories(outcome.folder, ec);
            if (ec) {
                outcome.problem = makeError(ErrorCode::CannotMakeFolder, outcome.folder, ec.value());
                return nullptr;
            }
            outcome.read = true;
            for (const int row : rowsToExport(m_plan.files[index], container->rowCount()))
                outcome.entries.emplace_back().row = row;
            return container;
        } catch (const std::bad_alloc&) {
            outcome.problem = makeError(ErrorCode::OutOfMemory);
        } catch (const std::exception& e) {
            outcome.problem = makeDetailedError(ErrorCode::Internal, e.what());
        }
        outcome.entries.clear();
        return nullptr;
    }

    // Queues the entries of a file just read (locked).
    void publish(std::size_t index, std::shared_ptr<const ContainerFile> container)
    {
        FileState& state = m_files[index];
        const std::vector<EntryOutcome>& entries = m_outcomes[index].entries;
        const int rows = container ? static_cast<int>(entries.size()) : 0;
        m_entriesTotal += rows - state.announcedRows;
        state.remaining = rows;
        state.container = std::move(container);
        for (int k = 0; k < rows; ++k)
            m_ready.push_back({index, entries[static_cast<std::size_t>(k)].row, static_cast<std::size_t>(k)});
        if (rows == 0) finishFile(index);
        m_workChanged.notify_all();
    }

    void finishEntry(const Job& job, EntryOutcome outcome)
    {
        ++m_entriesDone;
        if (!outcome.exported) ++m_entriesFailed;
        m_outcomes[job.file].entries[job.slot] = std::move(outcome);
        if (--m_files[job.file].remaining == 0) finishFile(job.file);
    }

    void finishFile(std::size_t index)
    {
        FileState& state = m_files[index];
        state.finished = true;
        state.container.reset();
        --m_openFiles;
        m_openBytes -= state.bytes;
        ++m_filesDone;
        m_workChanged.notify_all();
        m_progressChanged.notify_all();
    }

    BatchProgress snapshot() const
    {
        BatchProgress p;
        p.filesDone = m_filesDone;
        p.filesTotal = m_files.size();
        p.entriesDone = m_entriesDone;
        p.entriesTotal = m_entriesTotal;
        p.entriesFailed = m_entriesFailed;
        p.elapsedSeconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        return p;
    }

    // The calling thread's part: tells the reporter of finished files in
    // order, and of the counters now and then, until the workers are done.
    void report()
    {
        auto lastAdvance = Clock::now();
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_progressChanged.wait_for(lock, kProgressInterval, [&] {
                return m_activeWorkers == 0 ||
                       (m_nextToReport < m_files.size() && m_files[m_nextToReport].finished);
            });
            const bool done = m_activeWorkers == 0;
            const std::size_t from = m_nextToReport;
            while (m_nextToReport < m_files.size() && m_files[m_nextToReport].finished) ++m_nextToReport;
            const std::size_t to = m_nextToReport;
            const BatchProgress now = snapshot();
            lock.unlock();

            // finished files are no longer written by any worker
            for (std::size_t i = from; i < to; ++i) m_progress.fileFinished(i, m_outcomes[i], now);
            if (done) return;
            if (Clock::now() - lastAdvance >= kProgressInterval) {
                m_progress.advanced(now);
                lastAdvance = Clock::now();
            }
            lock.lock();
        }
    }

    const BatchPlan& m_plan;
    ProgressReporter& m_progress;
    const std::atomic<bool>* m_cancel;
    Clock::time_point m_start;

    std::mutex m_mutex;
    std::condition_variable m_workChanged;      // workers wait on it
    std::condition_variable m_progressChanged;  // the reporting thread waits on it
    std::vector<FileState> m_files;
    std::vector<FileOutcome> m_outcomes;
    std::deque<Job> m_ready;
    std::size_t m_nextFile = 0;      // the next file to read
    std::size_t m_nextToReport = 0;  // the next file to tell the reporter of
    std::size_t m_openFiles = 0;     // read (or being read) and not finished
    std::size_t m_maxOpenFiles = 1;
    std::int64_t m_openBytes = 0;  // the bytes of the files open
    int m_loading = 0;             // files being read
    int m_activeWorkers = 0;
    std::size_t m_filesDone = 0;
    std::int64_t m_entriesDone = 0;
    std::int64_t m_entriesTotal = 0;
    std::int64_t m_entriesFailed = 0;
};

}  // namespace

BatchResult runBatch(const BatchPlan& plan, ProgressReporter& progress, const std::atomic<bool>* cancel)
{
    BatchRun run(plan, progress, cancel);
    return run.run();
}

}  // namespace zpk
