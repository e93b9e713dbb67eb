// Planning a batch export, and what its outcome counts.
#include "export/BatchExport.h"

#include "export/ExportNaming.h"

#include <algorithm>
#include <map>
#include <sched.h>
#include <sys/stat.h>
#include <thread>

namespace zpk {

namespace {

// More threads than this only cost memory (each holds a decoded entry and
// its PNG) on any machine this runs on.
constexpr int kMaxThreads = 256;

}  // namespace

std::variant<BatchPlan, PlanConflict> planBatch(const BatchSettings& settings)
{
    BatchPlan plan;
    plan.options = settings.options;
    plan.overwrite = settings.skipExisting ? Overwrite::Refuse : settings.overwrite;
    plan.skipExisting = settings.skipExisting;
    plan.streams = settings.streams;
    const int threads = settings.jobs > 0 ? settings.jobs : availableProcessors();
    plan.threads = std::clamp(threads, 1, kMaxThreads);

    std::map<std::string, std::string> fileOfFolder;
    for (const std::string& file : settings.files) {
        PlannedFile planned{file, outputFolderOf(settings.outputFolder, file), nullptr, {}};
        const auto [at, inserted] = fileOfFolder.emplace(planned.folder, file);
        if (!inserted) return PlanConflict{at->second, file, planned.folder};
        plan.files.push_back(std::move(planned));
    }
    return plan;
}

int FileOutcome::exported() const
{
    return static_cast<int>(
        std::count_if(entries.begin(), entries.end(), [](const EntryOutcome& e) { return e.exported; }));
}

int FileOutcome::failed() const
{
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [](const EntryOutcome& e) { return e.attempted && !e.exported; }));
}

int FileOutcome::fellBackToRgba(OutputForm asked) const
{
    return static_cast<int>(std::count_if(
        entries.begin(), entries.end(), [asked](const EntryOutcome& e) { return e.fellBackToRgba(asked); }));
}

int availableProcessors()
{
    // the processors this process may run on (taskset, cgroups' cpusets),
    // not all that the machine has
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::vector<std::string> existingOutputs(const PlannedFile& file, int rows)
{
    std::vector<std::string> existing;
    for (const int row : rowsToExport(file, rows)) {
        std::string png = entryPngPath(file.folder, row);
        struct stat info {};
        if (::lstat(png.c_str(), &info) == 0) existing.push_back(std::move(png));
    }
    return existing;
}

std::vector<int> rowsToExport(const PlannedFile& file, int rowCount)
{
    std::vector<int> rows;
    if (file.rows.empty()) {
        for (int row = 0; row < rowCount; ++row) rows.push_back(row);
    } else {
        for (const int row : file.rows)
            if (row >= 0 && row < rowCount) rows.push_back(row);
    }
    return rows;
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

}  // namespace zpk
