// An empty top-level QWidget of the viewer's size, and nothing else: Qt's
// own start-up floor for bench/startup.sh. With ZPKVIEW_REPORT_FIRST_PAINT
// set it prints "first-paint NANOSECONDS" (std::chrono::steady_clock) once
// its first paint is done and flushed, and quits, as the viewer does.
#include "window/FirstPaintReport.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(574, 473);  // the viewer's client area
    zpk::FirstPaintReport report;
    if (zpk::FirstPaintReport::wanted()) window.installEventFilter(&report);
    window.show();
    return QApplication::exec();
}
