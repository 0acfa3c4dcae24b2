#include "brantic/thread.h"

#include <pthread.h>

#include <chrono>

namespace brantic {

namespace {

// How many runs of any thread object are going on, for WaitAllRuns.
struct RunCount {
  std::mutex mutex;
  std::condition_variable none;
  int64_t running = 0;
};

RunCount& Runs() {
  static RunCount runs;
  return runs;
}

void RunStarted() {
  std::lock_guard lock(Runs().mutex);
  ++Runs().running;
}

void RunEnded() {
  {
    std::lock_guard lock(Runs().mutex);
    --Runs().running;
  }
  Runs().none.notify_all();
}

}  // namespace

void ThreadInterface::WaitAllRuns() {
  std::unique_lock lock(Runs().mutex);
  Runs().none.wait(lock, [] { return Runs().running == 0; });
}

ThreadInterface::~ThreadInterface() {
  // A derived class whose Run reads its own members must wait in its own destructor;
  // this is the last line of defence against a thread outliving its object.
  Cancel();
  Join();
}

void ThreadInterface::Join() {
  if (thread_.joinable()) thread_.join();
}

Result<void> ThreadInterface::Start() {
  {
    std::lock_guard lock(mutex_);
    if (running_) return IllegalStateError("the thread is still running");
  }
  Join();
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  RunStarted();
  try {
    thread_ = std::thread([this] {
      // Nothing a run throws leaves the thread: it becomes the run's result.
      Result<void> result;
      try {
        result = Run();
      } catch (const std::exception& error) {
        result = IllegalStateError(std::string("the thread's run failed: ") + error.what());
      } catch (...) {
        result = IllegalStateError("the thread's run failed");
      }
      {
        std::lock_guard lock(mutex_);
        running_ = false;
        lastResult_ = std::move(result);
      }
      finished_.notify_all();
      RunEnded();
    });
  } catch (const std::system_error& error) {
    RunEnded();
    std::lock_guard lock(mutex_);
    running_ = false;
    return IllegalStateError(std::string("cannot start a thread: ") + error.what());
  }
  if (const char* name = GetName(0)) {
    pthread_setname_np(thread_.native_handle(), std::string(name).substr(0, 15).c_str());
  }
  return OK();
}

Result<void> ThreadInterface::Reset() {
  Wait(1e30);
  Join();
  cancelled_.store(false, std::memory_order_relaxed);
  return OK();
}

bool ThreadInterface::Wait(double timeoutSeconds) {
  std::unique_lock lock(mutex_);
  if (timeoutSeconds > 3.2e7) {
    finished_.wait(lock, [this] { return !running_; });
    return true;
  }
  const auto limit = std::chrono::duration<double>(timeoutSeconds < 0 ? 0 : timeoutSeconds);
  return finished_.wait_for(lock, limit, [this] { return !running_; });
}

bool ThreadInterface::IsRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

Result<void> ThreadInterface::LastResult() const {
  std::lock_guard lock(mutex_);
  return lastResult_;
}

}  // namespace brantic
