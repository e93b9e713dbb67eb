// zpkview [--inspect] [FILE]: the viewer. Its file list shows the container files of the
// working folder; FILE, when given, is loaded at start as a click in that
// list would load it.
#include "export/TemporaryFiles.h"
#include "window/CanvasMenu.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

// With ZPKVIEW_REPORT_FIRST_PAINT set (bench/startup.sh sets it), the
// viewer prints "first-paint NANOSECONDS" on standard output once the
// canvas has painted the image of the file given at start, and quits: the
// start-up time is measured up to that line (the nanoseconds are
// std::chrono::steady_clock's, CLOCK_MONOTONIC, comparable between
// processes). The report is posted from the paint event, so it runs once
// that event is done, after the window's surface has been flushed.
class FirstPaintReport : public QObject {
public:
    explicit FirstPaintReport(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_posted) {
            m_posted = true;
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("first-paint %lld\n",
                            static_cast<long long>(
                                std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_posted = false;
};

}  // namespace

int main(int argc, char* argv[])
{
    zpk::installSignalCleanup();  // a save or an export cut short leaves no temporary file
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zpkview"));
    QApplication::setApplicationVersion(QStringLiteral(ZPK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Viewer for zpk resource containers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption inspect(
        QStringLiteral("inspect"),
        QCoreApplication::translate("main", "Open the inspector once the file is drawn."));
    parser.addOption(inspect);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QCoreApplication::translate("main", "A container file to open at start."),
                                 QStringLiteral("[file]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        qWarning("%s", qPrintable(QCoreApplication::translate("main", "zpkview: give at most one file")));
        return 2;
    }

    zpk::MainWindow window;
    window.show();
    if (!files.isEmpty()) {
        // once the window is up, so that a message box about the file has
        // the window to stand in front of
        const QString path = files.first();
        const bool showDetails = parser.isSet(inspect);
        const bool reportFirstPaint = qEnvironmentVariableIsSet("ZPKVIEW_REPORT_FIRST_PAINT");
        QTimer::singleShot(0, &window, [&window, path, showDetails, reportFirstPaint] {
            window.loadFile(path);
            if (showDetails && window.drawnEntry()) window.canvasMenu()->openDetailWindow();
            if (reportFirstPaint) {
                // the load drew the image and asked for a paint: the next
                // paint of the canvas shows it
                QWidget* canvas = window.findChild<QWidget*>(QStringLiteral("Picture1"));
                if (canvas == nullptr || !window.drawnEntry()) {
                    std::fprintf(stderr, "zpkview: no image drawn, no first paint to report\n");
                    QCoreApplication::exit(1);
                    return;
                }
                canvas->installEventFilter(new FirstPaintReport(canvas));
            }
        });
    }
    return QApplication::exec();
}
