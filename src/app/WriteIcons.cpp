// zpkview-icons FOLDER: writes the window's icon into FOLDER as the hicolor
// theme lays it out (FOLDER/NxN/apps/zpkview.png), at the sizes desktops
// ask for. Run by the build; its output is installed.
#include "window/WindowIcon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zpkview-icons FOLDER\n");
        return 2;
    }
    // drawing needs no display
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const int side : {16, 32, 48, 64, 128, 256}) {
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(side));
        const QString file = QDir(folder).filePath(QStringLiteral("zpkview.png"));
        if (!QDir().mkpath(folder) || !zpk::windowIconImage(side).save(file, "PNG")) {
            std::fprintf(stderr, "zpkview-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
