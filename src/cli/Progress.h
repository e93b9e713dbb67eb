// What a person sees of `zpk export --all`: progress while it runs, then a
// summary of what was not exported.
#pragma once

#include "export/BatchExport.h"

#include <ostream>
#include <string>

namespace zpk::cli {

// One line per file, in the order given, for logs (standard error is not a
// terminal):
//   [1/3] a.zpk: 255 of 255 entries exported to out/a
//   [2/3] b.zpk: not read: cannot open: No such file or directory
//   [3/3] c.zpk: 250 of 255 entries exported to out/c (5 not exported, 3 as RGBA)
class LineProgress : public ProgressReporter {
public:
    LineProgress(std::ostream& out, OutputForm asked) : m_out(out), m_asked(asked) {}
    void fileFinished(std::size_t index, const FileOutcome& file, const BatchProgress& progress) override;

private:
    std::ostream& m_out;
    OutputForm m_asked;
};

// A bar redrawn in place, at most ten times a second, on a terminal:
//   [#######.........]  2/20 files  510/5100 entries  1234 entries/s  ETA 0:04
class TerminalProgress : public ProgressReporter {
public:
    // `fd` is the terminal the stream writes to, whose width the bar
    // follows; -1 for a fixed width.
    explicit TerminalProgress(std::ostream& out, int fd = -1) : m_out(out), m_fd(fd) {}
    void started(const BatchProgress& progress) override { draw(progress); }
    void advanced(const BatchProgress& progress) override { draw(progress); }
    void finished(const BatchProgress& progress) override;

private:
    void draw(const BatchProgress& progress);

    std::ostream& m_out;
    int m_fd;
    std::size_t m_lastLength = 0;
};

// The bar's text for a moment of the batch (no carriage return), fitting
// `columns` columns (one left free); 0: the fixed width of 16 cells. Below
// about 70 columns the bar gives way to a counter, "510/5100 entries".
std::string progressBarLine(const BatchProgress& progress, int columns = 0);

// The width of the terminal `fd`, or 0 when it is none or does not tell.
int terminalColumns(int fd);

// "0:04", "12:34", "1:02:03".
std::string durationText(double seconds);

// The line of LineProgress for a file (no line end).
// `asked` is the form asked for: an indexed export counts the entries
// written as RGBA.
std::string fileProgressLine(std::size_t index, std::size_t total, const FileOutcome& file, OutputForm asked);

enum class SummaryDetail {
    Full,          // notes, failures and the closing tally
    FailuresOnly,  // --quiet
};

// After the batch: on `err` the notes (entries written as RGBA though
// --indexed was asked), then one "zpk: FILE: reason" line per file not read
// and per entry not exported, in file and row order; on `out` a closing
// tally ("exported 510 of 510 entries of 2 files into out").
void writeBatchSummary(std::ostream& out, std::ostream& err, const BatchResult& result,
                       const std::string& outputFolder, OutputForm asked, SummaryDetail detail);

}  // namespace zpk::cli
