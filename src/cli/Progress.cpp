#include "cli/Progress.h"

#include "cli/Messages.h"
#include "cli/TextEscape.h"

#include <algorithm>
#include <cmath>
#include <sys/ioctl.h>

namespace zpk::cli {

namespace {

// Sixteen cells leave the whole line under 80 columns, the width of a line
// when the terminal's is not known; a known width gets a bar from 8 to 40
// cells, and a terminal too narrow for 8 a plain counter.
constexpr int kBarCells = 16;
constexpr int kMinBarCells = 8;
constexpr int kMaxBarCells = 40;

std::string plural(std::int64_t n, const std::string& one, const std::string& many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Strings here are built by appending: prepending to a temporary
// ("0" + std::to_string(n)) draws a false -Wrestrict from g++ 12 at -O3.
std::string twoDigits(std::int64_t n)
{
    std::string out(n < 10 ? "0" : "");
    out += std::to_string(n);
    return out;
}

}  // namespace

std::string durationText(double seconds)
{
    // a day and more shows as hours; nothing longer is worth telling apart
    const auto total = static_cast<std::int64_t>(std::clamp(seconds, 0.0, 1e7));
    const std::int64_t hours = total / 3600;
    const std::int64_t minutes = total / 60 % 60;
    const std::int64_t rest = total % 60;
    if (hours > 0) return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(rest);
    return std::to_string(minutes) + ":" + twoDigits(rest);
}

std::string progressBarLine(const BatchProgress& p, int columns)
{
    double fraction = 1.0;
    if (p.entriesTotal > 0)
        fraction = static_cast<double>(p.entriesDone) / static_cast<double>(p.entriesTotal);
    else if (p.filesTotal > 0)
        fraction = static_cast<double>(p.filesDone) / static_cast<double>(p.filesTotal);
    fraction = std::clamp(fraction, 0.0, 1.0);

    const std::string entries =
        std::to_string(p.entriesDone) + "/" + std::to_string(p.entriesTotal) + " entries";
    std::string tail = "  " + std::to_string(p.filesDone) + "/" + std::to_string(p.filesTotal) + " files";
    tail += "  " + entries;
    const double rate = p.elapsedSeconds > 0 ? static_cast<double>(p.entriesDone) / p.elapsedSeconds : 0;
    tail += "  " + std::to_string(static_cast<std::int64_t>(std::llround(rate))) + " entries/s";
    const std::int64_t remaining = std::max<std::int64_t>(0, p.entriesTotal - p.entriesDone);
    if (remaining == 0) tail += "  ETA 0:00";
    else if (rate > 0) tail += "  ETA " + durationText(std::ceil(static_cast<double>(remaining) / rate));
    else tail += "  ETA --:--";

    int cells = kBarCells;
    if (columns > 0) {
        // the last column stays free, so that the cursor never wraps
        const int room = columns - 1 - static_cast<int>(tail.size()) - 2;
        if (room < kMinBarCells) {
            // too narrow for a bar: a counter, cut to the width if need be
            std::string counter = entries;
            if (static_cast<int>(counter.size()) > columns - 1)
                counter.resize(static_cast<std::size_t>(std::max(0, columns - 1)));
            return counter;
        }
        cells = std::min(room, kMaxBarCells);
    }
    const int filled = static_cast<int>(std::floor(fraction * cells));
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(cells - filled), '.');
    line += ']';
    return line + tail;
}

int terminalColumns(int fd)
{
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 0;
}

std::string fileProgressLine(std::size_t index, std::size_t total, const FileOutcome& file, OutputForm asked)
{
    std::string line = "[";
    line += std::to_string(index + 1) + "/" + std::to_string(total) + "] " + terminalName(file.path) + ": ";
    if (!file.read) return line + "not read: " + (file.problem ? errorReason(*file.problem) : "cancelled");
    line += std::to_string(file.exported()) + " of " +
            plural(static_cast<std::int64_t>(file.entries.size()), "entry", "entries") + " exported to " +
            terminalName(file.folder);
    const int failed = file.failed();
    const int noted = file.fellBackToRgba(asked);
    if (failed > 0 || noted > 0) {
        line += " (";
        if (failed > 0) line += std::to_string(failed) + " not exported";
        if (failed > 0 && noted > 0) line += ", ";
        if (noted > 0) line += std::to_string(noted) + " as RGBA";
        line += ")";
    }
    return line;
}

void LineProgress::fileFinished(std::size_t index, const FileOutcome& file, const BatchProgress& progress)
{
    m_out << fileProgressLine(index, progress.filesTotal, file, m_asked) << '\n';
    m_out.flush();
}

void TerminalProgress::draw(const BatchProgress& progress)
{
    // asked at every redraw (ten a second at most), so a resized terminal
    // gets a bar of its new width at once
    const std::string line = progressBarLine(progress, terminalColumns(m_fd));
    m_out << '\r' << line;
    // a shorter line than the last leaves its tail behind: blank it
    if (line.size() < m_lastLength) m_out << std::string(m_lastLength - line.size(), ' ');
    m_lastLength = line.size();
    m_out.flush();
}

void TerminalProgress::finished(const BatchProgress& progress)
{
    draw(progress);
    m_out << '\n';
    m_out.flush();
}

void writeBatchSummary(std::ostream& out, std::ostream& err, const BatchResult& result,
                       const std::string& outputFolder, OutputForm asked, SummaryDetail detail)
{
    if (detail == SummaryDetail::Full && asked == OutputForm::Indexed) {
        for (const FileOutcome& file : result.files) {
            for (const EntryOutcome& entry : file.entries) {
                if (entry.fellBackToRgba(asked))
                    err << "zpk: note: " << terminalName(file.path) << ": " << rowText(entry.row) << " "
                        << rgbaFallbackNote(entry.produced, entry.pixelCount) << '\n';
            }
        }
    }

    const std::int64_t entries = result.entries();
    const std::int64_t exported = result.exported();
    const std::int64_t notRead = result.filesNotRead();
    const auto files = static_cast<std::int64_t>(result.files.size());
    if (exported < entries || notRead > 0) {
        std::string counts;
        if (exported < entries)
            counts = std::to_string(entries - exported) + " of " + plural(entries, "entry", "entries") +
                     " not exported";
        if (notRead > 0)
            counts += (counts.empty() ? "" : ", ") + std::to_string(notRead) + " of " +
                      plural(files, "file", "files") + " not read";
        err << "zpk: " << counts << ":\n";
        for (const FileOutcome& file : result.files) {
            if (!file.read) {
                if (file.problem)
                    err << "zpk: " << terminalName(file.path) << ": " << errorReason(*file.problem) << '\n';
                continue;
            }
            for (const EntryOutcome& entry : file.entries) {
                if (entry.problem)
                    err << "zpk: " << terminalName(file.path) << ": "
                        << entryProblemText(entry.row, *entry.problem) << '\n';
            }
        }
    }
    if (result.unsynced) err << "zpk: " << unsyncedText(*result.unsynced) << '\n';
    err.flush();

    if (detail == SummaryDetail::Full) {
        out << "exported " << exported << " of " << plural(entries, "entry", "entries") << " of "
            << plural(files - notRead, "file", "files") << " into "
            << (outputFolder.empty() ? "." : terminalName(outputFolder));
        if (notRead > 0) out << "; " << plural(notRead, "file", "files") << " not read";
        out << '\n';
    }
}

}  // namespace zpk::cli
