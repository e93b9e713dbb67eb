// Exporting every entry of one or more containers as PNGs, spread over
// worker threads: `zpk export --all` and the viewer's "export all".
//
// Row K of FILE goes to DIR/STEM/KKK.png (see ExportNaming.h). The work is
// a plan (one folder per file, checked for clashes before anything is
// written), then a pool of workers that read the files in order and take
// their entries one at a time. Each entry is decoded on a fresh palette and
// written through a temporary file, so the files written do not depend on
// the number of workers or their timing; outcomes are stored by file and
// row, and reported in that order. Outcomes are values: the front ends
// word them.
//
// A new PNG is not synced on its own: the batch makes all it wrote durable
// at once, at its end, before it reports (one syncfs per file system). A
// PNG that replaces an existing one is synced before its rename, so that a
// crash never leaves the old one lost.
#pragma once

#include "container/Container.h"
#include "io/FileOutput.h"
#include "state/PictureOptions.h"
#include "state/Result.h"
#include "state/ViewerState.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zpk {

struct BatchSettings {
    std::vector<std::string> files;
    std::string outputFolder;  // empty: the current folder
    PictureOptions options;
    Overwrite overwrite = Overwrite::Refuse;
    bool skipExisting = false;           // an existing PNG is kept and counts as done
    int jobs = 0;                        // worker threads; 0: one per processor this process may use
    Streams streams = Streams::Refused;  // whether a FILE may be a pipe or standard input
};

// Where one container's entries go.
struct PlannedFile {
    std::string path;    // as given
    std::string folder;  // outputFolder/STEM
    // The container already in memory (the viewer's loaded file), which
    // must outlive the run; empty: read from `path`.
    std::shared_ptr<const ContainerFile> loaded;
    // The rows to export, in this order (those the file does not have are
    // left out); empty: every row.
    std::vector<int> rows;
};

struct BatchPlan {
    std::vector<PlannedFile> files;
    PictureOptions options;
    Overwrite overwrite = Overwrite::Refuse;
    bool skipExisting = false;
    int threads = 1;  // at least 1
    Streams streams = Streams::Refused;
    // Deferred: new PNGs are made durable at once when the batch ends.
    // Synced: each is synced before its rename and nothing at the end, the
    // way of old, kept for a benchmark to compare with.
    Durability durability = Durability::Deferred;
};

// Why no plan can be made: two files would share a folder.
struct PlanConflict {
    std::string first;   // the file that had the folder first
    std::string second;  // the same as `first` when a file is given twice
    std::string folder;
};

// One folder per file, and the number of threads. Two files with the same
// STEM (or the same file twice) are refused: their PNGs would overwrite
// each other.
std::variant<BatchPlan, PlanConflict> planBatch(const BatchSettings& settings);

// The processors this process may run on: the default number of workers.
int availableProcessors();

// The PNGs of a file's first `rows` rows (or of the rows it names) that
// exist already: what a run with Overwrite::Replace would replace, so that
// a front end can ask first.
std::vector<std::string> existingOutputs(const PlannedFile& file, int rows);

// The rows of `file` a run exports, of the `rowCount` it has.
std::vector<int> rowsToExport(const PlannedFile& file, int rowCount);

struct EntryOutcome {
    int row = 0;
    bool exported = false;         // written, or kept (skipped)
    bool skipped = false;          // an existing PNG kept, with BatchPlan::skipExisting
    bool attempted = false;        // false when the run was cancelled before it
    std::string output;            // the PNG's path
    std::optional<Error> problem;  // why it was not exported
    // What the PNG holds, and for an indexed export written as RGBA why:
    // the pixels the stream produced of width x height.
    OutputForm form = OutputForm::Rgba;
    std::int64_t produced = 0;
    std::int64_t pixelCount = 0;

    // Written (not kept) as RGBA though the palette form was asked for.
    bool fellBackToRgba(OutputForm asked) const
    {
        return exported && !skipped && asked == OutputForm::Indexed && form != asked;
    }
};

struct FileOutcome {
    std::string path;
    std::string folder;
    bool read = false;                  // read, and its folder made
    std::optional<Error> problem;       // why not; none when the run was cancelled before it
    std::vector<EntryOutcome> entries;  // one per list row, in order; empty when not read

    int exported() const;
    int failed() const;                          // entries attempted and not exported
    int fellBackToRgba(OutputForm asked) const;  // entries written as RGBA though asked indexed
};

struct BatchResult {
    std::vector<FileOutcome> files;  // in the order given
    bool cancelled = false;
    // The PNGs written could not be made durable (ErrorCode::WriteFailed,
    // the folder, the errno): they are in place, but a crash could still
    // lose them.
    std::optional<Error> unsynced;

    std::int64_t entries() const;  // rows of the files read
    std::int64_t exported() const;
    std::int64_t filesNotRead() const;
    bool allExported() const
    {
        return !cancelled && !unsynced && filesNotRead() == 0 && exported() == entries();
    }
};

// A moment of a running batch.
struct BatchProgress {
    std::size_t filesDone = 0;  // read and finished, or failed to read
    std::size_t filesTotal = 0;
    std::int64_t entriesDone = 0;
    // The rows of the files read so far plus, for the others, the rows their
    // header announces (read up front), so the total is known from the start.
    std::int64_t entriesTotal = 0;
    std::int64_t entriesFailed = 0;
    double elapsedSeconds = 0;
};

// Told how a batch goes. Every call comes from the thread that called
// runBatch, never two at a time.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    virtual void started(const BatchProgress&) {}
    // While the batch runs, at most ten times a second.
    virtual void advanced(const BatchProgress&) {}
    // Once per file, in the order of the plan (a file finished early waits
    // for those before it).
    virtual void fileFinished(std::size_t, const FileOutcome&, const BatchProgress&) {}
    virtual void finished(const BatchProgress&) {}
};

// Runs the plan to its end on plan.threads worker threads; the calling
// thread reports progress meanwhile. When `cancel` becomes true the workers
// finish the entries they hold and take no more (BatchResult::cancelled).
BatchResult runBatch(const BatchPlan& plan, ProgressReporter& progress,
                     const std::atomic<bool>* cancel = nullptr);

}  // namespace zpk
