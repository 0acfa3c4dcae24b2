#include "brantic/mainthread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace brantic {

namespace {

struct MainQueue {
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<std::function<void()>> closures;
  std::function<void()> wakeUp;
  // Read without the lock: main-thread checks run at many entry points.
  std::atomic<std::thread::id> mainThread{std::this_thread::get_id()};
};

MainQueue& Queue() {
  static MainQueue queue;
  return queue;
}

// Initialised while the library loads, which happens on the process's first thread.
[[maybe_unused]] const bool kMainThreadNoted = (Queue(), true);

}  // namespace

void SetMainThread() { Queue().mainThread.store(std::this_thread::get_id()); }

bool IsMainThread() { return Queue().mainThread.load(std::memory_order_relaxed) == std::this_thread::get_id(); }

void ExecuteOnMainThread(std::function<void()> closure) {
  if (!closure) return;
  std::function<void()> wakeUp;
  {
    std::lock_guard lock(Queue().mutex);
    Queue().closures.push_back(std::move(closure));
    wakeUp = Queue().wakeUp;
  }
  Queue().posted.notify_all();
  if (wakeUp) wakeUp();
}

namespace {

// Runs the front closure; false when there was none.
bool RunOneClosure() {
  std::function<void()> closure;
  {
    std::lock_guard lock(Queue().mutex);
    if (Queue().closures.empty()) return false;
    closure = std::move(Queue().closures.front());
    Queue().closures.pop_front();
  }
  closure();
  return true;
}

}  // namespace

int64_t DrainMainThreadQueue() {
  int64_t count = 0;
  while (RunOneClosure()) ++count;
  return count;
}

int64_t DrainMainThreadQueueFor(double budgetSeconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(std::max(budgetSeconds, 0.0));
  int64_t count = 0;
  while (RunOneClosure()) {
    ++count;
    if (std::chrono::steady_clock::now() >= end) break;
  }
  return count;
}

bool HasMainThreadWork() {
  std::lock_guard lock(Queue().mutex);
  return !Queue().closures.empty();
}

bool WaitForMainThreadWork(double timeoutSeconds) {
  std::unique_lock lock(Queue().mutex);
  const double seconds = timeoutSeconds < 0 ? 0 : (timeoutSeconds > 1e7 ? 1e7 : timeoutSeconds);
  const auto limit = std::chrono::duration<double>(seconds);
  return Queue().posted.wait_for(lock, limit, [] { return !Queue().closures.empty(); });
}

void SetMainThreadWakeUp(std::function<void()> wakeUp) {
  std::lock_guard lock(Queue().mutex);
  Queue().wakeUp = std::move(wakeUp);
}

}  // namespace brantic
