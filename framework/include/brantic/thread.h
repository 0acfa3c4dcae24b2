// Threads with cooperative cancellation.
//
// A ThreadInterface runs its Run() on a thread of its own each time it is started. Start,
// Cancel, Reset and Wait are called by the owner (usually the main thread); IsCancelled by
// the running body. Destroying the object cancels the run and waits for it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "brantic/result.h"

namespace brantic {

class ThreadInterface {
 public:
  ThreadInterface() = default;
  virtual ~ThreadInterface();
  ThreadInterface(const ThreadInterface&) = delete;
  ThreadInterface& operator=(const ThreadInterface&) = delete;

  // Starts a run. Fails while a run is still going on, or when no thread can be made.
  Result<void> Start();
  // Asks the running body to stop; does not wait.
  void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
  // Waits for the previous run to end and clears the cancellation, so that Start may run
  // again.
  Result<void> Reset();
  // Waits up to `timeoutSeconds` (any larger value than a year waits without limit) for the
  // run to end; true when no run is going on.
  bool Wait(double timeoutSeconds);
  bool IsRunning() const;
  // For the running body: stop as soon as you can.
  bool IsCancelled() const { return cancelled_.load(std::memory_order_relaxed); }
  // The result of the last finished run.
  Result<void> LastResult() const;

  // Waits until no run of any thread object is going on (batch runs and tests).
  static void WaitAllRuns();

  // The thread's name ("Kv Preview Thread"): index 0 names the thread, others answer null.
  virtual const char* GetName(int index) const = 0;

 protected:
  virtual Result<void> Run() = 0;

 private:
  void Join();

  mutable std::mutex mutex_;
  std::condition_variable finished_;
  std::thread thread_;
  bool running_ = false;
  Result<void> lastResult_;
  std::atomic<bool> cancelled_{false};
};

// Derive as `class MyThread : public ThreadInterfaceTemplate<MyThread>` and give MyThread a
// `Result<void> operator()()` and a GetName.
template <typename Derived>
class ThreadInterfaceTemplate : public ThreadInterface {
 protected:
  Result<void> Run() override { return static_cast<Derived&>(*this)(); }
};

}  // namespace brantic
