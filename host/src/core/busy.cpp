#include "bx3/busy.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

#include "main_thread_check.h"

namespace bx3 {

namespace {

std::atomic<bool> escapeRequested{false};

std::function<void()>& EventPump() {
  static std::function<void()> pump;
  return pump;
}

// How often the waiting GUI thread looks at its events: often enough to paint smoothly.
constexpr int64_t kEventSliceMs = 20;

}  // namespace

int64_t GetTimerMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool TestEscape() {
  BX3_MAIN_THREAD_ONLY();
  return escapeRequested.exchange(false);
}

void RequestEscape() { escapeRequested.store(true); }

void SetBusyEventPump(std::function<void()> pump) { EventPump() = std::move(pump); }

bool RunBusy(const std::function<void(const std::atomic<bool>& stop)>& work, const std::function<void()>& tick,
             int32_t tickMs) {
  BX3_MAIN_THREAD_ONLY();
  // Asked to stop before it began (RequestEscape): the work starts stopped.
  std::atomic<bool> stop{TestEscape()};
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::jthread worker([&] {
    try {
      work(stop);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "bx3: background work failed: %s\n", error.what());
    }
    std::lock_guard lock(mutex);
    done = true;
    finished.notify_all();
  });
  int64_t nextTick = GetTimerMs() + tickMs;
  for (;;) {
    if (EventPump()) EventPump()();
    if (TestEscape()) {
      stop.store(true);
      stop.notify_all();
    }
    const int64_t now = GetTimerMs();
    if (now >= nextTick) {
      if (tick) tick();
      nextTick = now + tickMs;
    }
    std::unique_lock lock(mutex);
    const int64_t waitMs = EventPump() ? std::min(kEventSliceMs, nextTick - now) : nextTick - now;
    if (finished.wait_for(lock, std::chrono::milliseconds(std::max<int64_t>(waitMs, 1)), [&] { return done; })) break;
  }
  return !stop.load();
}

}  // namespace bx3
