// `zpk export FILE... --all`: every entry of every container as a PNG,
// spread over worker threads.
//
// Row K of FILE goes to DIR/STEM/KKK.png (STEM: FILE's name without folder
// and extension; K with three digits, as a list has at most 255 rows). The
// work is a plan (one folder per file, checked for clashes before anything
// is written), then a pool of workers that read the files in order and take
// their entries one at a time. Each entry is decoded on a fresh palette and
// written through a temporary file, so the files written do not depend on
// the number of workers or their timing; outcomes are stored by file and
// row, and reported in that order.
#pragma once

#include "cli/EntryExport.h"
#include "cli/FileOutput.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zpk::cli {

struct BatchSettings {
    std::vector<std::string> files;
    std::string outputFolder;  // empty: the current folder
    ExportStyle style;
    Overwrite overwrite = Overwrite::Refuse;
    int jobs = 0;  // worker threads; 0: one per hardware thread
};

// Where one container's entries go.
struct PlannedFile {
    std::string path;    // as given
    std::string folder;  // outputFolder/STEM
};

struct BatchPlan {
    std::vector<PlannedFile> files;
    ExportStyle style;
    Overwrite overwrite = Overwrite::Refuse;
    int threads = 1;  // at least 1
};

// Why no plan can be made: two files would share a folder.
struct PlanConflict {
    std::string message;
};

// One folder per file, and the number of threads. Two files with the same
// STEM (or the same file twice) are refused: their PNGs would overwrite
// each other.
std::variant<BatchPlan, PlanConflict> planBatch(const BatchSettings& settings);

// The folder of `file`'s PNGs: outputFolder/STEM, or STEM alone.
std::string outputFolderOf(const std::string& outputFolder, const std::string& file);
// The PNG of `row` in `folder`: folder/007.png.
std::string entryPngPath(const std::string& folder, int row);

struct EntryOutcome {
    int row = 0;
    bool exported = false;
    std::string output;   // the PNG's path
    // Why it was not exported, or what is special about the PNG written
    // (--indexed, written as RGBA), as it follows "FILE: " in a message:
    // "entry row 7 is 0 x 4 pixels: nothing to draw". Empty when nothing.
    std::string problem;
    std::string note;
};

struct FileOutcome {
    std::string path;
    std::string folder;
    bool read = false;    // read, and its folder made
    std::string problem;  // why not
    std::vector<EntryOutcome> entries;  // one per list row, in order; empty when not read

    int exported() const;
    int failed() const;  // entries not exported
    int noted() const;   // entries with a note
};

struct BatchResult {
    std::vector<FileOutcome> files;  // in the order given

    std::int64_t entries() const;  // rows of the files read
    std::int64_t exported() const;
    std::int64_t filesNotRead() const;
    bool allExported() const { return filesNotRead() == 0 && exported() == entries(); }
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
// thread reports progress meanwhile.
BatchResult runBatch(const BatchPlan& plan, ProgressReporter& progress);

}  // namespace zpk::cli
