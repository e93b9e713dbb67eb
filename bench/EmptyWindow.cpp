// An empty top-level QWidget of the viewer's size, and nothing else: Qt's
// own start-up floor for bench/startup.sh. With ZPKVIEW_REPORT_FIRST_PAINT
// set it prints "first-paint NANOSECONDS" (std::chrono::steady_clock) once
// its first paint is done and flushed, and quits, as the viewer does.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class FirstPaintReport : public QObject {
public:
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
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(574, 473);  // the viewer's client area
    FirstPaintReport report;
    if (qEnvironmentVariableIsSet("ZPKVIEW_REPORT_FIRST_PAINT")) window.installEventFilter(&report);
    window.show();
    return QApplication::exec();
}
