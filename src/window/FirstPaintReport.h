// For measuring start-up (bench/startup.sh): watches a widget, and after its
// first paint prints "first-paint NANOSECONDS" on standard output and quits.
// The nanoseconds are std::chrono::steady_clock's (CLOCK_MONOTONIC), which
// another process can compare with its own. The line is posted from the
// paint event, so it comes once that event is done and the window's surface
// has been flushed.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace zpk {

class FirstPaintReport : public QObject {
public:
    explicit FirstPaintReport(QObject* parent = nullptr) : QObject(parent) {}

    // Whether the measuring script asked for the report.
    static bool wanted() { return qEnvironmentVariableIsSet("ZPKVIEW_REPORT_FIRST_PAINT"); }

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

}  // namespace zpk
