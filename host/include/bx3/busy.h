// Long work that the GUI thread waits for, the escape test and the host's clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace bx3 {

// The host's clock in milliseconds, steady (not the time of day). Any thread.
int64_t GetTimerMs();

// The escape test: true once after the user pressed Escape while work was running (or after
// RequestEscape). Main thread only.
bool TestEscape();
// Asks the running work to stop, as pressing Escape does. Any thread.
void RequestEscape();

// Runs `work` on a thread of its own and returns once it has returned. Meanwhile the windows
// keep painting and results of other workers are taken in; clicks and keys other than
// Escape are ignored. Every `tickMs` milliseconds `tick` (may be empty) runs here, on the
// main thread, for progress in a status line. Escape sets `stop` (an escape asked for just before
// the work began too), which the work should test often. Answers false when the work was asked to stop. Main thread
// only.
bool RunBusy(const std::function<void(const std::atomic<bool>& stop)>& work, const std::function<void()>& tick,
             int32_t tickMs = 250);

// What the GUI installs so that RunBusy keeps the windows painting: handles the waiting events,
// dropping user input, except that Escape calls RequestEscape.
void SetBusyEventPump(std::function<void()> pump);

}  // namespace bx3
