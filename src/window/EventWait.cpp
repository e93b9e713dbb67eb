#include "window/EventWait.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace zpk {

void waitHandlingEvents(float waitSeconds, const bool& ending)
{
    if (std::isnan(waitSeconds) || std::isinf(waitSeconds))
        throw std::invalid_argument("wait: waitSeconds must be a finite number of seconds");
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (;;) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const double remaining = static_cast<double>(waitSeconds) - elapsed;
        if (remaining <= 0 || ending) return;

        // Sleep in the event loop: events are handled as they come, and the
        // loop wakes when the time is up.
        const double milliseconds = std::ceil(remaining * 1000.0);
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(milliseconds >= INT_MAX ? INT_MAX : static_cast<int>(milliseconds));
        loop.exec();
        // The loop ended before the timer: the program is ending.
        if (timer.isActive()) return;
    }
}

}  // namespace zpk
