// Jobs and job queues. Any thread unless noted.
//
// A JobQueue is a named pool of worker threads. Jobs own copies of what they work on and
// post their results to the main thread (maintheread.h). Releasing the last reference to a
// queue does not drop its pending jobs: the workers finish them and then end; the threads
// are joined by the next Create or by ShutdownAll at exit.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "brantic/result.h"

namespace brantic {

struct JobQueueAccess;

class JobInterface {
 public:
  virtual ~JobInterface() = default;

  // A cancelled job that has not started yet is never run.
  void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
  bool IsCancelled() const { return cancelled_.load(std::memory_order_relaxed); }
  // Blocks until the job has run or was dropped. Never call it from the job's own queue.
  void Wait() const;
  bool IsDone() const;

 protected:
  virtual void Run() = 0;

 private:
  friend struct JobQueueAccess;
  // Runs the job unless it was cancelled, then wakes every waiter.
  void Execute(bool drop);

  mutable std::mutex mutex_;
  mutable std::condition_variable doneCondition_;
  bool done_ = false;
  bool ran_ = false;
  std::optional<std::string> failure_;
  std::atomic<bool> cancelled_{false};

 protected:
  bool HasRun() const {
    std::lock_guard lock(mutex_);
    return ran_;
  }
  // What the job's Run threw, when it threw (the worker caught it).
  std::optional<std::string> Failure() const;
};

template <typename R>
class ClosureJob final : public JobInterface {
 public:
  using Closure = std::function<R()>;

  static Result<std::shared_ptr<ClosureJob>> Create(Closure closure) {
    if (!closure) return NullPointerError("a closure job needs a closure");
    return std::shared_ptr<ClosureJob>(new ClosureJob(std::move(closure)));
  }

  // The closure's answer once the job has run; a Cancelled error when it was dropped.
  // Call after Wait().
  Result<R> GetResult() const {
    if (!IsDone() || !HasRun()) return Error(ErrorKind::Cancelled, "the job did not run");
    if (std::optional<std::string> failure = Failure()) return IllegalStateError("the job failed: " + *failure);
    if constexpr (std::is_void_v<R>) {
      return OK();
    } else {
      return *result_;
    }
  }

 protected:
  void Run() override {
    if constexpr (std::is_void_v<R>) {
      closure_();
    } else {
      result_.emplace(closure_());
    }
    closure_ = nullptr;  // release what the closure captured as soon as it is done
  }

 private:
  explicit ClosureJob(Closure closure) : closure_(std::move(closure)) {}

  Closure closure_;
  std::conditional_t<std::is_void_v<R>, std::monostate, std::optional<R>> result_;
};

// Background workers run at a lower priority so that the window stays responsive; workers
// that help the GUI thread finish what it waits for keep its priority.
enum class JobPriority { Background, Interactive };

class JobQueue {
 public:
  // `threadCount` 0 starts one worker per processor core.
  static Result<std::shared_ptr<JobQueue>> Create(std::string name, int32_t threadCount,
                                                  JobPriority priority = JobPriority::Background);
  ~JobQueue();
  JobQueue(const JobQueue&) = delete;
  JobQueue& operator=(const JobQueue&) = delete;

  Result<void> Enqueue(std::shared_ptr<JobInterface> job);
  // Enqueues many jobs at once, in order: one lock and one wake-up for all of them.
  Result<void> EnqueueAll(std::vector<std::shared_ptr<JobInterface>> jobs);
  // Blocks until no job of this queue is pending or running.
  void WaitIdle() const;
  const std::string& Name() const;
  int32_t ThreadCount() const;

  // Blocks until every queue, including released ones that still drain, is idle.
  static void WaitAllIdle();
  // True when no queue has a job pending or running (does not wait).
  static bool AreAllIdle();
  // Drops the pending jobs of every released queue and joins its threads. The host calls it
  // at exit, after it released its own queues.
  static void ShutdownAll();

  struct State;

 private:
  explicit JobQueue(std::shared_ptr<State> state) : state_(std::move(state)) {}
  std::shared_ptr<State> state_;
};

}  // namespace brantic
