// A wait that keeps the program's windows alive: events are handled as
// they come while the time runs.
#pragma once

namespace zpk {

// Waits `waitSeconds` seconds on a monotonic clock while the event loop
// runs. Returns at once, without handling any event, for 0 or less; returns
// early when `ending` becomes true or the program is ending. Throws
// std::invalid_argument for NaN or an infinite value.
void waitHandlingEvents(float waitSeconds, const bool& ending);

}  // namespace zpk
