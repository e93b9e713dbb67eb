#include "cli/Commands.h"

#include "cli/CommandSupport.h"

#ifndef ZPK_VERSION
#error "ZPK_VERSION must be defined by the build"
#endif

namespace zpk::cli {

namespace {

// The lambdas of a std::visit as one visitor.
template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

ExitStatus run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
               ErrStream errStream)
{
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed))
        return usage(err, error->message, error->command, error->meant);
    return std::visit(
        Overloaded{
            [&](const HelpRequest& help) {
                out << helpText(help.topic);
                return ExitStatus::Success;
            },
            [&](const VersionRequest&) {
                out << "zpk " << ZPK_VERSION << '\n';
                return ExitStatus::Success;
            },
            [&](const ListSettings& settings) { return runList(settings, out, err); },
            [&](const InfoSettings& settings) { return runInfo(settings, out, err); },
            [&](const ExportSettings& settings) { return runExport(settings, out, err, errStream); },
            [&](const ThumbnailSettings& settings) { return runThumbnail(settings, out, err); },
            [&](const SheetSettings& settings) { return runSheet(settings, out, err); },
            [&](const PaletteSettings& settings) { return runPalette(settings, out, err); },
            [&](const PackSettings& settings) { return runPack(settings, out, err); },
            [&](const ReplaceSettings& settings) { return runReplace(settings, out, err); },
            [&](const InsertSettings& settings) { return runInsert(settings, out, err); },
            [&](const DeleteSettings& settings) { return runDelete(settings, out, err); },
            [&](const MoveSettings& settings) { return runMove(settings, out, err); },
            [&](const ExtractSettings& settings) { return runExtract(settings, out, err); },
            [&](const DiffSettings& settings) { return runDiff(settings, out, err); },
            [&](const GifSettings& settings) { return runGif(settings, out, err); },
        },
        std::get<Invocation>(parsed));
}

}  // namespace zpk::cli
