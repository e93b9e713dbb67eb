// zpkview [--lang ko|en] [--inspect] [--gallery] [Qt's options] [FILE]: the viewer. Its
// file list shows the container files of the working folder, or of FILE's
// folder when FILE is given; FILE is then loaded at start as a click in that
// list would load it, and stays selected there. --gallery opens the gallery
// once the file is loaded (at start without a FILE).
#include "io/TemporaryFiles.h"
#include "window/FileListBox.h"
#include "window/FirstPaintReport.h"
#include "window/Language.h"
#include "window/MainWindow.h"
#include "window/PictureCanvas.h"
#include "window/menu/CanvasMenu.h"

#include <QApplication>
#include <QByteArray>
#include <QCommandLineParser>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;

const char* const kUsage = "Usage: zpkview [options] [file]";

// Qt's own options, which QApplication reads: "-style Fusion" or
// "-style=Fusion" for those that take a value, also spelt with two dashes.
constexpr std::array<std::string_view, 12> kQtValueOptions = {
    "style",         "stylesheet", "platform",        "platformpluginpath",
    "platformtheme", "plugin",     "qwindowgeometry", "qwindowicon",
    "qwindowtitle",  "session",    "display",         "geometry"};
// with "=" only: these, and -style= and -stylesheet=
constexpr std::array<std::string_view, 5> kQtJoinedOptions = {"style", "stylesheet", "qmljsdebugger",
                                                              "dialogs", "fontengine"};
constexpr std::array<std::string_view, 2> kQtFlags = {"reverse", "widgetcount"};

template <std::size_t N>
bool isOneOf(std::string_view name, const std::array<std::string_view, N>& names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The command line cut in two: the arguments Qt takes, behind the program's
// name, for QApplication, and the program's own. Both keep the strings of
// argv, which live as long as the program.
struct SplitArguments {
    std::vector<char*> qt;
    std::vector<char*> own;
};

// Takes Qt's options out of the command line, so that the program's own
// parser does not read "-style" as five short options; an error text when
// one of them lacks its value. Nothing after "--" is an option.
std::variant<SplitArguments, QString> splitQtOptions(int argc, char** argv)
{
    SplitArguments split;
    split.qt.push_back(argv[0]);
    split.own.push_back(argv[0]);
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        char* arg = argv[i];
        const std::string_view text(arg);
        if (optionsEnded || text.size() < 2 || text[0] != '-') {
            split.own.push_back(arg);
            continue;
        }
        if (text == "--") optionsEnded = true;
        std::string_view name = text.substr(text.starts_with("--") ? 2 : 1);
        const std::size_t equals = name.find('=');
        if (equals != std::string_view::npos) {
            if (isOneOf(name.substr(0, equals), kQtJoinedOptions)) {
                split.qt.push_back(arg);
                continue;
            }
        } else if (isOneOf(name, kQtFlags)) {
            split.qt.push_back(arg);
            continue;
        } else if (isOneOf(name, kQtValueOptions)) {
            if (i + 1 >= argc)
                return QStringLiteral("option '%1' needs a value").arg(QString::fromLocal8Bit(arg));
            split.qt.push_back(arg);
            split.qt.push_back(argv[++i]);
            continue;
        }
        split.own.push_back(arg);
    }
    return split;
}

// The command line, read before any window exists, so that --help,
// --version and usage errors need no display.
struct StartOptions {
    std::optional<QByteArray> file;  // as the system gives it: bytes
    zpk::Language language = zpk::Language::Korean;
    bool inspect = false;
    bool gallery = false;
};

QString helpText(const QCommandLineParser& parser)
{
    // Qt's first line names the program by the path it was started with
    QString text = parser.helpText();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return QString::fromLatin1(kUsage) + (end < 0 ? QString() : text.mid(end));
}

int usageError(const QString& message)
{
    std::fprintf(stderr, "zpkview: %s\n%s\nTry 'zpkview --help' for more information.\n", qPrintable(message),
                 kUsage);
    return kUsageError;
}

// The positional arguments as bytes: QString would lose a name that is
// not valid UTF-8. Options that take a value are skipped with it.
QList<QByteArray> positionalBytes(const std::vector<char*>& own)
{
    QList<QByteArray> found;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < own.size(); ++i) {
        const char* arg = own[i];
        if (optionsEnded || arg[0] != '-' || std::strcmp(arg, "-") == 0) {
            found.append(QByteArray(arg));
        } else if (std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(arg, "--lang") == 0 || std::strcmp(arg, "-lang") == 0) {
            ++i;  // its value
        }
    }
    return found;
}

// Parses the command line; an exit status when the program ends here.
std::variant<StartOptions, int> readCommandLine(const std::vector<char*>& own)
{
    QStringList arguments;
    for (const char* arg : own) arguments.append(QString::fromLocal8Bit(arg));

    QCommandLineParser parser;
    // "-stylish" is one unknown option, not six short ones
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Viewer for zpk resource containers.\n\n"
                       "Qt's own options (-style, -platform, -display, -reverse, -qwindowgeometry, ...) "
                       "are taken as every Qt program takes them."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("The language of the window: ko (Korean) or en (English). "
                       "By default Korean for Korean and C locales, English for others."),
        QStringLiteral("ko|en"));
    const QCommandLineOption inspect(QStringLiteral("inspect"),
                                     QStringLiteral("Open the inspector once the file is drawn."));
    const QCommandLineOption gallery(
        QStringLiteral("gallery"),
        QStringLiteral("Open the gallery, every entry as a thumbnail, once the file is loaded."));
    parser.addOptions({help, version, lang, inspect, gallery});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A container file to open at start."),
                                 QStringLiteral("[file]"));
    if (!parser.parse(arguments)) return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(helpText(parser)), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("zpkview %s\n", ZPK_VERSION);
        return 0;
    }

    StartOptions options;
    options.inspect = parser.isSet(inspect);
    options.gallery = parser.isSet(gallery);
    if (parser.isSet(lang)) {
        const std::optional<zpk::Language> chosen = zpk::parseLanguage(parser.value(lang));
        if (!chosen)
            return usageError(QStringLiteral("--lang takes ko or en, not '%1'").arg(parser.value(lang)));
        options.language = *chosen;
    } else {
        options.language = zpk::systemLanguage();
    }
    const QList<QByteArray> files = positionalBytes(own);
    if (files.size() > 1) return usageError(QStringLiteral("give at most one file"));
    if (!files.isEmpty()) options.file = files.first();
    return options;
}

// Files and pictures of several megabytes come and go with every load. By
// default the C library raises its threshold for mapping a buffer of its own
// to the size of the largest one freed, after which such buffers come from
// the heap and their pages stay with the process when freed: the resident
// set grows by a picture's size at every load. A fixed threshold keeps every
// large buffer mapped, and returned to the system when it goes.
void keepLargeBuffersMapped() { mallopt(M_MMAP_THRESHOLD, 1 << 20); }

// The working folder as the system names it.
QByteArray workingFolder()
{
    const std::unique_ptr<char, decltype(&std::free)> here(getcwd(nullptr, 0), &std::free);
    return here ? QByteArray(here.get()) : QByteArrayLiteral(".");
}

}  // namespace

// an exception that reaches here (out of memory) ends the program, as it should
int main(int argc, char* argv[])  // NOLINT(bugprone-exception-escape)
{
    keepLargeBuffersMapped();
    auto split = splitQtOptions(argc, argv);
    if (const QString* error = std::get_if<QString>(&split)) return usageError(*error);
    SplitArguments& arguments = std::get<SplitArguments>(split);
    const auto read = readCommandLine(arguments.own);
    if (const int* status = std::get_if<int>(&read)) return *status;
    const StartOptions& options = std::get<StartOptions>(read);

    zpk::installSignalCleanup();  // a save or an export cut short leaves no temporary file
    // Qt sees its own options only: a file named like one of them, after
    // "--", stays the program's
    int qtArgc = static_cast<int>(arguments.qt.size());
    arguments.qt.push_back(nullptr);
    QApplication app(qtArgc, arguments.qt.data());
    QApplication::setApplicationName(QStringLiteral("zpkview"));
    QApplication::setApplicationVersion(QStringLiteral(ZPK_VERSION));
    if (!zpk::installLanguage(options.language))
        std::fprintf(stderr, "zpkview: the %s translation could not be loaded\n",
                     options.language == zpk::Language::English ? "English" : "Korean");

    // File1 opens on the start file's folder, so the file is listed there
    zpk::MainWindow window(
        zpk::FolderPath{options.file ? zpk::FileListBox::folderOf(*options.file) : workingFolder()});
    window.show();
    if (options.file) {
        // once the window is up, so that a message box about the file has
        // the window to stand in front of
        const QByteArray path = *options.file;
        const bool showDetails = options.inspect;
        const bool showGallery = options.gallery;
        const bool reportFirstPaint = zpk::FirstPaintReport::wanted();
        QTimer::singleShot(0, &window, [&window, path, showDetails, showGallery, reportFirstPaint] {
            window.loadPath(path);
            if (showDetails && window.drawnEntry()) window.canvasMenu()->openInspector();
            if (showGallery) window.canvasMenu()->openGallery();
            if (reportFirstPaint) {
                // the load drew the image and asked for a paint: the next
                // paint of the canvas shows it
                QWidget* canvas = window.canvas();
                if (!window.drawnEntry()) {
                    std::fprintf(stderr, "zpkview: no image drawn, no first paint to report\n");
                    QCoreApplication::exit(1);
                    return;
                }
                canvas->installEventFilter(new zpk::FirstPaintReport(canvas));
            }
        });
    } else if (options.gallery) {
        QTimer::singleShot(0, &window, [&window] { window.canvasMenu()->openGallery(); });
    }
    return QApplication::exec();
}
