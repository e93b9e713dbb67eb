#include "cli/CommandSupport.h"

#include "cli/Messages.h"
#include "cli/OptionTables.h"
#include "cli/TextEscape.h"
#include "io/FileOutput.h"
#include "palette/PaletteFile.h"

#include <cstring>
#include <memory>
#include <unistd.h>

namespace zpk::cli {

void report(std::ostream& err, std::string_view file, std::string_view reason)
{
    err << "zpk: " << terminalName(file) << ": " << reason << '\n';
}

void reportPackError(std::ostream& err, const Error& error, const std::string& fallback)
{
    report(err, error.path.empty() ? fallback : error.path, errorReason(error));
}

ExitStatus usage(std::ostream& err, const std::string& message, Command command, std::string_view meant)
{
    err << "zpk: " << message << '\n';
    if (!meant.empty()) err << "zpk: did you mean " << quoted(meant) << "?\n";
    err << usageLine(command) << '\n';
    return ExitStatus::Usage;
}

Result<ContainerFile> load(const std::string& path) { return loadContainer(path, Streams::ReadToEnd); }

std::optional<ContainerFile> loadWithRow(const std::string& path, int row, std::ostream& err)
{
    auto loaded = load(path);
    if (!loaded) {
        report(err, path, errorReason(loaded.error()));
        return std::nullopt;
    }
    if (row >= loaded->rowCount()) {
        report(err, path, missingRowText(row, loaded->rowCount()));
        return std::nullopt;
    }
    return std::move(*loaded);
}

std::optional<PictureOptions> pictureOptions(const DrawingOptions& drawing, std::ostream& err)
{
    PictureOptions picture = drawing.picture;
    if (drawing.paletteFile.empty()) return picture;
    auto colours = readPaletteFile(drawing.paletteFile);
    if (!colours) {
        report(err, drawing.paletteFile, errorReason(colours.error()));
        return std::nullopt;
    }
    picture.externalPalette = std::make_shared<const std::vector<Colour>>(std::move(*colours));
    return picture;
}

std::optional<Drawing> startDrawing(const DrawingOptions& drawing, const std::string& path, int row,
                                    std::ostream& err)
{
    auto picture = pictureOptions(drawing, err);
    if (!picture) return std::nullopt;
    auto loaded = loadWithRow(path, row, err);
    if (!loaded) return std::nullopt;
    return Drawing{std::move(*picture), std::move(*loaded)};
}

bool refusesTerminal(const std::string& output, std::ostream& err, std::string_view what)
{
    if (output != "-" || !::isatty(STDOUT_FILENO)) return false;
    err << "zpk: refusing to write " << what << " to a terminal: redirect standard output, or give -o FILE\n";
    return true;
}

ExitStatus writeOutput(const std::string& output, const ByteMaker& make, std::ostream& out, std::ostream& err)
{
    if (output == "-") {
        // the bytes are the output: anything said about them goes to standard error
        out.flush();
        int failed = 0;
        const auto refused = make([&](std::span<const std::uint8_t> bytes) {
            if (failed == 0) failed = writeAll(STDOUT_FILENO, bytes);
            return failed;
        });
        if (failed != 0) {
            err << "zpk: write error: " << std::strerror(failed) << '\n';
            return ExitStatus::Failure;
        }
        if (refused) {
            report(err, output, errorReason(*refused));
            return ExitStatus::Failure;
        }
        return ExitStatus::Success;
    }
    const auto written = writeFileAtomically(output, make, WriteOptions{});
    if (!written) {
        report(err, output, errorReason(written.error()));
        return ExitStatus::Failure;
    }
    return ExitStatus::Success;
}

ExitStatus writeOutput(const std::string& output, std::span<const std::uint8_t> bytes, std::ostream& out,
                       std::ostream& err)
{
    // a failed sink speaks for itself
    const auto whole = [bytes](const ByteSink& sink) -> std::optional<Error> {
        sink(bytes);
        return std::nullopt;
    };
    return writeOutput(output, whole, out, err);
}

bool tells(ProgressOutput progress, const std::string& output)
{
    return progress != ProgressOutput::Quiet && output != "-";
}

}  // namespace zpk::cli
