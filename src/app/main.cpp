// zpkview [--inspect] [FILE]: the viewer. Its file list shows the container files of the
// working folder; FILE, when given, is loaded at start as a click in that
// list would load it.
#include "export/TemporaryFiles.h"
#include "window/CanvasMenu.h"
#include "window/FirstPaintReport.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>

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
        const bool reportFirstPaint = zpk::FirstPaintReport::wanted();
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
                canvas->installEventFilter(new zpk::FirstPaintReport(canvas));
            }
        });
    }
    return QApplication::exec();
}
