#include "cli/BatchExport.h"

#include "container/Container.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zpk::cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// More threads than this only cost memory (each holds a decoded entry and
// its PNG) on any machine this runs on.
constexpr int kMaxThreads = 256;

// The progress reporter hears of the batch at most this often.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// The rows the header of `path` announces, or 0 when it cannot be read or
// is no container. Reads the count and the size table only (a container's
// header is never longer than that of 255 entries), and only from a regular
// file, which cannot block.
std::int64_t announcedRows(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return 0;
    std::vector<std::uint8_t> header(static_cast<std::size_t>(headerLength(kMaxEntries)));
    struct stat info {};
    ssize_t got = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        do {
            got = ::pread(fd, header.data(), header.size(), 0);
        } while (got < 0 && errno == EINTR);
    }
    ::close(fd);
    if (got < 0) return 0;
    header.resize(static_cast<std::size_t>(got));
    const auto parsed = parseContainer(std::move(header));
    return parsed ? parsed->rowCount() : 0;
}

std::string threeDigits(int row)
{
    std::string digits = std::to_string(row);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

// One entry: the PNG written, or why not.
EntryOutcome exportOne(const ContainerFile& file, const PlannedFile& planned, int row, const BatchPlan& plan)
{
    EntryOutcome outcome;
    outcome.row = row;
    outcome.output = entryPngPath(planned.folder, row);
    const std::string prefix = rowText(row);
    const auto exists = [&] {
        return prefix + ": " + outcome.output + " " + std::string(kExistsMessage) + " (--force replaces it)";
    };
    try {
        // not worth decoding for a PNG that would be refused; the write
        // itself still refuses one that appears meanwhile
        struct stat info {};
        if (plan.overwrite == Overwrite::Refuse && ::lstat(outcome.output.c_str(), &info) == 0) {
            outcome.problem = exists();
            return outcome;
        }
        const auto exported = exportEntry(file, row, plan.style);
        if (!exported) {
            outcome.problem = exportErrorText(row, exported.error());
            return outcome;
        }
        const auto written = writeFileAtomically(outcome.output, exported->png, plan.overwrite);
        if (!written) {
            const std::string& message = written.error().message;
            outcome.problem =
                message == kExistsMessage ? exists() : prefix + ": " + outcome.output + ": " + message;
            return outcome;
        }
        outcome.exported = true;
        if (const std::string note = rgbaFallbackNote(*exported, plan.style.format); !note.empty())
            outcome.note = prefix + " " + note;
    } catch (const std::bad_alloc&) {
        outcome.problem = prefix + ": out of memory";
    } catch (const std::exception& e) {
        outcome.problem = prefix + ": " + e.what();
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
    BatchRun(const BatchPlan& plan, ProgressReporter& progress)
        : m_plan(plan), m_progress(progress), m_files(plan.files.size()), m_outcomes(plan.files.size())
    {
        for (std::size_t i = 0; i < m_files.size(); ++i) {
            m_outcomes[i].path = plan.files[i].path;
            m_outcomes[i].folder = plan.files[i].folder;
            m_files[i].announcedRows = announcedRows(plan.files[i].path);
            m_entriesTotal += m_files[i].announcedRows;
        }
        // a file or two beyond one per worker: enough to keep every worker
        // busy between files, few enough to bound the memory held
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
        m_progress.finished(snapshot());
        return BatchResult{std::move(m_outcomes)};
    }

private:
    struct FileState {
        std::int64_t announcedRows = 0;
        std::shared_ptr<const ContainerFile> container;  // while its entries are exported
        int remaining = 0;                                // entries not yet finished
        bool finished = false;
    };
    struct Job {
        std::size_t file;
        int row;
    };

    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            // read the next file when the queue runs low, so that the
            // others have entries to take meanwhile
            const bool lowOnWork = m_ready.size() < static_cast<std::size_t>(m_plan.threads);
            if (m_nextFile < m_files.size() && m_openFiles < m_maxOpenFiles && lowOnWork) {
                const std::size_t index = m_nextFile++;
                ++m_loading;
                ++m_openFiles;
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
            m_workChanged.wait(lock);
        }
        if (--m_activeWorkers == 0) m_progressChanged.notify_all();
    }

    // Reads a file and makes its folder; runs unlocked, and touches only
    // this file's outcome, which no other worker reaches yet.
    std::shared_ptr<const ContainerFile> open(std::size_t index)
    {
        FileOutcome& outcome = m_outcomes[index];
        try {
            auto loaded = loadContainer(outcome.path);
            if (!loaded) {
                outcome.problem = errorReason(loaded.error());
                return nullptr;
            }
            std::error_code ec;
            fs::create_directories(outcome.folder, ec);
            if (ec) {
                outcome.problem = "cannot make the folder " + outcome.folder + ": " + ec.message();
                return nullptr;
            }
            outcome.read = true;
            outcome.entries.resize(static_cast<std::size_t>(loaded->rowCount()));
            return std::make_shared<const ContainerFile>(std::move(*loaded));
        } catch (const std::bad_alloc&) {
            outcome.problem = "out of memory";
        } catch (const std::exception& e) {
            outcome.problem = e.what();
        }
        outcome.entries.clear();
        return nullptr;
    }

    // Queues the entries of a file just read (locked).
    void publish(std::size_t index, std::shared_ptr<const ContainerFile> container)
    {
        FileState& state = m_files[index];
        const int rows = container ? container->rowCount() : 0;
        m_entriesTotal += rows - state.announcedRows;
        state.remaining = rows;
        state.container = std::move(container);
        for (int row = 0; row < rows; ++row) m_ready.push_back({index, row});
        if (rows == 0) finishFile(index);
        m_workChanged.notify_all();
    }

    void finishEntry(const Job& job, EntryOutcome outcome)
    {
        ++m_entriesDone;
        if (!outcome.exported) ++m_entriesFailed;
        m_outcomes[job.file].entries[static_cast<std::size_t>(job.row)] = std::move(outcome);
        if (--m_files[job.file].remaining == 0) finishFile(job.file);
    }

    void finishFile(std::size_t index)
    {
        FileState& state = m_files[index];
        state.finished = true;
        state.container.reset();
        --m_openFiles;
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
    int m_loading = 0;               // files being read
    int m_activeWorkers = 0;
    std::size_t m_filesDone = 0;
    std::int64_t m_entriesDone = 0;
    std::int64_t m_entriesTotal = 0;
    std::int64_t m_entriesFailed = 0;
};

}  // namespace

std::string outputFolderOf(const std::string& outputFolder, const std::string& file)
{
    const std::string stem = containerStem(file);
    return outputFolder.empty() ? stem : (fs::path(outputFolder) / stem).string();
}

std::string entryPngPath(const std::string& folder, int row)
{
    return (fs::path(folder) / (threeDigits(row) + ".png")).string();
}

std::variant<BatchPlan, PlanConflict> planBatch(const BatchSettings& settings)
{
    BatchPlan plan;
    plan.style = settings.style;
    plan.overwrite = settings.overwrite;
    int threads = settings.jobs > 0 ? settings.jobs : static_cast<int>(std::thread::hardware_concurrency());
    plan.threads = std::clamp(threads, 1, kMaxThreads);

    std::map<std::string, std::string> fileOfFolder;
    for (const std::string& file : settings.files) {
        PlannedFile planned{file, outputFolderOf(settings.outputFolder, file)};
        const auto [at, inserted] = fileOfFolder.emplace(planned.folder, file);
        if (!inserted) {
            if (at->second == file) return PlanConflict{"'" + file + "' is given twice"};
            return PlanConflict{"'" + at->second + "' and '" + file + "' would both write into the folder '" +
                                planned.folder +
                                "' (export them in separate runs, each with its own -o DIR)"};
        }
        plan.files.push_back(std::move(planned));
    }
    return plan;
}

int FileOutcome::exported() const
{
    return static_cast<int>(
        std::count_if(entries.begin(), entries.end(), [](const EntryOutcome& e) { return e.exported; }));
}

int FileOutcome::failed() const { return static_cast<int>(entries.size()) - exported(); }

int FileOutcome::noted() const
{
    return static_cast<int>(
        std::count_if(entries.begin(), entries.end(), [](const EntryOutcome& e) { return !e.note.empty(); }));
}

std::int64_t BatchResult::entries() const
{
    std::int64_t n = 0;
    for (const FileOutcome& f : files) n += static_cast<std::int64_t>(f.entries.size());
    return n;
}

std::int64_t BatchResult::exported() const
{
    std::int64_t n = 0;
    for (const FileOutcome& f : files) n += f.exported();
    return n;
}

std::int64_t BatchResult::filesNotRead() const
{
    return std::count_if(files.begin(), files.end(), [](const FileOutcome& f) { return !f.read; });
}

BatchResult runBatch(const BatchPlan& plan, ProgressReporter& progress)
{
    BatchRun run(plan, progress);
    return run.run();
}

}  // namespace zpk::cli
