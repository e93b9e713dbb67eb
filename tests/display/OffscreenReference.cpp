// The reference side of the real-display test (real-display.sh).
//
//   OffscreenReference render FOLDER START.png END.png
//     Makes the main window on FOLDER on Qt's offscreen platform, writes its
//     grab() to START.png, and brings it into the state the test reaches
//     with real input: demo.zpk picked in File1, rows 2 then 1 of List1
//     clicked, UserColor checked, "200" typed over the text of color1, then
//     a click on the canvas; writes the grab of that to END.png. On standard
//     output, where the test clicks and what it expects to see, in window
//     coordinates:
//       window W H
//       control NAME X Y W H     every named control that shows
//       row LIST ROW X Y W H     the rows the test clicks
//       menu W H                 the canvas menu's size
//
//   OffscreenReference compare A.png B.png NAME:X,Y,W,H...
//     Compares two pictures of the window, region by region. One line per
//     region: NAME, the pixels that differ, the pixels compared and the
//     largest difference in one colour channel. Exits with 1 when a picture
//     cannot be read or a region does not lie inside both.
#include "window/FileListBox.h"
#include "window/MainWindow.h"
#include "window/menu/CanvasMenu.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QRect>
#include <QRegularExpression>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kWaitMilliseconds = 5000;

[[noreturn]] void die(const QString& message)
{
    std::fprintf(stderr, "OffscreenReference: %s\n", qPrintable(message));
    std::exit(1);
}

// Handles events until `done` holds; dies after a few seconds.
void waitFor(const std::function<bool()>& done, const char* what)
{
    const QDeadlineTimer deadline(kWaitMilliseconds);
    while (!done()) {
        if (deadline.hasExpired()) die(QStringLiteral("gave up waiting: %1").arg(QLatin1String(what)));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
}

template <typename T>
T* control(const QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QLatin1String(name));
    if (widget == nullptr) die(QStringLiteral("the window has no control %1").arg(QLatin1String(name)));
    return widget;
}

void printRect(const char* kind, const QString& name, const QRect& r)
{
    std::printf("%s %s %d %d %d %d\n", kind, qPrintable(name), r.x(), r.y(), r.width(), r.height());
}

// A row of a list, in the coordinates of `window`.
QRect rowRect(const QWidget& window, QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    if (item == nullptr) die(QStringLiteral("%1 has no row %2").arg(list->objectName()).arg(row));
    const QRect inViewport = list->visualItemRect(item);
    return {list->viewport()->mapTo(&window, inViewport.topLeft()), inViewport.size()};
}

void save(QWidget& window, const QString& path)
{
    QCoreApplication::processEvents();
    if (!window.grab().save(path, "PNG")) die(QStringLiteral("cannot write %1").arg(path));
}

int render(const QString& folder, const QString& start, const QString& end)
{
    zpk::MainWindow window(folder);
    // The pointer starts outside the window, as on the test's display; it
    // enters the canvas at the end.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        QCursor::setPos(screen->geometry().bottomRight());
    window.show();
    window.activateWindow();
    waitFor([&] { return window.isActiveWindow(); }, "the window to become active");

    auto* file1 = control<zpk::FileListBox>(window, "File1");
    auto* list1 = control<QListWidget>(window, "List1");
    auto* checkColor = control<QCheckBox>(window, "check_color");
    auto* color1 = control<QLineEdit>(window, "color1");
    QWidget* picture1 = control<QWidget>(window, "Picture1");

    // The rows the test clicks, read before the clicks change anything.
    const int demoRow = static_cast<int>(file1->fileNames().indexOf(QStringLiteral("demo.zpk")));
    if (demoRow != 0) die(QStringLiteral("demo.zpk is not the first file of %1").arg(folder));
    const QRect demoRect = rowRect(window, file1, demoRow);
    save(window, start);

    // A click on the file selects its row: File1 reports it, the window loads it.
    file1->setCurrentRow(demoRow);
    if (!window.drawnEntry()) die(QStringLiteral("demo.zpk drew nothing"));
    if (list1->count() < 3) die(QStringLiteral("demo.zpk has fewer than 3 entries"));
    const QRect row2 = rowRect(window, list1, 2);
    const QRect row1 = rowRect(window, list1, 1);
    list1->setCurrentRow(2);
    list1->setCurrentRow(1);
    checkColor->click();
    // Typed over the selected text: one edit per key, each one a render.
    color1->setFocus(Qt::MouseFocusReason);
    color1->selectAll();
    for (const char* key : {"2", "0", "0"}) color1->insert(QLatin1String(key));
    if (color1->text() != QStringLiteral("200")) die(QStringLiteral("color1 shows %1").arg(color1->text()));
    // The canvas takes the focus (no caret blinks anywhere).
    picture1->setFocus(Qt::MouseFocusReason);
    waitFor([&] { return picture1->hasFocus(); }, "the canvas to take the focus");
    // The pointer rests where the test clicked last, in the middle of the
    // canvas: no control is drawn as hovered.
    QCursor::setPos(picture1->mapToGlobal(picture1->rect().center()));
    waitFor(
        [&] {
            const QList<QWidget*> controls =
                window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            return picture1->underMouse() &&
                   std::none_of(controls.begin(), controls.end(),
                                [&](const QWidget* c) { return c != picture1 && c->underMouse(); });
        },
        "the pointer to rest on the canvas");
    save(window, end);

    std::printf("window %d %d\n", window.width(), window.height());
    for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        // Command1 hides behind Command2, the menu is a window of its own
        if (child->objectName().isEmpty() || child->isWindow() || !child->isVisible() ||
            child->objectName() == QStringLiteral("Command1"))
            continue;
        printRect("control", child->objectName(), child->geometry());
    }
    printRect("row", QStringLiteral("File1 %1").arg(demoRow), demoRect);
    printRect("row", QStringLiteral("List1 2"), row2);
    printRect("row", QStringLiteral("List1 1"), row1);
    const QSize menu = window.canvasMenu()->sizeHint();
    std::printf("menu %d %d\n", menu.width(), menu.height());
    return 0;
}

QImage readPicture(const QString& path)
{
    QImage image(path);
    if (image.isNull()) die(QStringLiteral("cannot read the picture %1").arg(path));
    return image.convertToFormat(QImage::Format_RGB32);
}

int compare(const QString& pathA, const QString& pathB, const QStringList& regions)
{
    const QImage a = readPicture(pathA);
    const QImage b = readPicture(pathB);
    static const QRegularExpression pattern(QStringLiteral("^([^:]+):(\\d+),(\\d+),(\\d+),(\\d+)$"));
    for (const QString& spec : regions) {
        const QRegularExpressionMatch m = pattern.match(spec);
        if (!m.hasMatch()) die(QStringLiteral("not a region NAME:X,Y,W,H: %1").arg(spec));
        const QRect r(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(),
                      m.captured(5).toInt());
        if (r.isEmpty() || !a.rect().contains(r) || !b.rect().contains(r))
            die(QStringLiteral("region %1 does not lie inside both pictures (%2x%3, %4x%5)")
                    .arg(spec)
                    .arg(a.width())
                    .arg(a.height())
                    .arg(b.width())
                    .arg(b.height()));
        long differing = 0;
        int largest = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
            const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb pa = rowA[x];
                const QRgb pb = rowB[x];
                if (pa == pb) continue;
                ++differing;
                largest = std::max({largest, std::abs(qRed(pa) - qRed(pb)), std::abs(qGreen(pa) - qGreen(pb)),
                                    std::abs(qBlue(pa) - qBlue(pb))});
            }
        }
        std::printf("%s %ld %lld %d\n", qPrintable(m.captured(1)), differing,
                    static_cast<long long>(r.width()) * r.height(), largest);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    const auto usage = [] {
        std::fprintf(stderr, "usage: OffscreenReference render FOLDER START.png END.png\n"
                             "       OffscreenReference compare A.png B.png NAME:X,Y,W,H...\n");
        return 2;
    };
    if (argc < 2) return usage();
    const QString mode = QString::fromLocal8Bit(argv[1]);
    QStringList args;
    for (int i = 2; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
    // reading pictures needs no application object
    if (mode == QStringLiteral("compare") && args.size() >= 3) return compare(args[0], args[1], args.mid(2));
    if (mode != QStringLiteral("render") || args.size() != 3) return usage();
    // the reference is the offscreen render, whatever the caller's environment says
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return render(args[0], args[1], args[2]);
}
