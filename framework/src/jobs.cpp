#include "brantic/jobs.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <list>
#include <thread>
#include <vector>

namespace brantic {

// Gives the worker loop access to JobInterface::Execute.
struct JobQueueAccess {
  static void Execute(JobInterface& job, bool drop) { job.Execute(drop); }
};

void JobInterface::Wait() const {
  std::unique_lock lock(mutex_);
  doneCondition_.wait(lock, [this] { return done_; });
}

bool JobInterface::IsDone() const {
  std::lock_guard lock(mutex_);
  return done_;
}

void JobInterface::Execute(bool drop) {
  const bool run = !drop && !IsCancelled();
  // Nothing a job throws leaves its worker thread: the job counts as failed.
  std::optional<std::string> failure;
  if (run) {
    try {
      Run();
    } catch (const std::exception& error) {
      failure = error.what();
    } catch (...) {
      failure = "an unknown exception";
    }
  }
  {
    std::lock_guard lock(mutex_);
    done_ = true;
    ran_ = run;
    failure_ = std::move(failure);
  }
  doneCondition_.notify_all();
}

std::optional<std::string> JobInterface::Failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

struct JobQueue::State {
  std::string name;
  JobPriority priority = JobPriority::Background;
  mutable std::mutex mutex;
  std::condition_variable workAvailable;
  mutable std::condition_variable idle;
  std::deque<std::shared_ptr<JobInterface>> pending;
  int32_t running = 0;
  bool retiring = false;  // no handle is left: finish the pending jobs, then end
  bool dropPending = false;
  int32_t threadsLeft = 0;
  std::vector<std::thread> threads;

  bool IsIdle() const { return pending.empty() && running == 0; }
};

namespace {

struct QueueRegistry {
  std::mutex mutex;
  std::list<std::weak_ptr<JobQueue::State>> live;
  std::list<std::shared_ptr<JobQueue::State>> retired;

  ~QueueRegistry() { ShutdownRetired(); }

  void ShutdownRetired() {
    std::list<std::shared_ptr<JobQueue::State>> joining;
    {
      std::lock_guard lock(mutex);
      joining.swap(retired);
    }
    for (auto& state : joining) {
      {
        std::lock_guard lock(state->mutex);
        state->dropPending = true;
      }
      state->workAvailable.notify_all();
      for (std::thread& thread : state->threads) thread.join();
    }
  }

  // Joins released queues whose workers have all ended. Never blocks for long: their
  // threads are past their last job.
  void ReapFinished() {
    std::list<std::shared_ptr<JobQueue::State>> finished;
    {
      std::lock_guard lock(mutex);
      for (auto it = retired.begin(); it != retired.end();) {
        std::lock_guard stateLock((*it)->mutex);
        if ((*it)->threadsLeft == 0) {
          finished.push_back(std::move(*it));
          it = retired.erase(it);
        } else {
          ++it;
        }
      }
      live.remove_if([](const auto& weak) { return weak.expired(); });
    }
    for (auto& state : finished) {
      for (std::thread& thread : state->threads) thread.join();
    }
  }
};

QueueRegistry& Registry() {
  static QueueRegistry registry;
  return registry;
}

void WorkerLoop(JobQueue::State* state) {
  // Background work yields to the thread that draws the window.
  if (state->priority == JobPriority::Background) setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
  std::unique_lock lock(state->mutex);
  for (;;) {
    state->workAvailable.wait(lock,
                              [state] { return !state->pending.empty() || state->retiring || state->dropPending; });
    if (state->pending.empty()) break;  // released or shut down, and nothing left
    std::shared_ptr<JobInterface> job = std::move(state->pending.front());
    state->pending.pop_front();
    const bool drop = state->dropPending;
    ++state->running;
    lock.unlock();
    JobQueueAccess::Execute(*job, drop);
    job.reset();
    lock.lock();
    --state->running;
    if (state->IsIdle()) state->idle.notify_all();
  }
  --state->threadsLeft;
  state->idle.notify_all();
}

}  // namespace

Result<std::shared_ptr<JobQueue>> JobQueue::Create(std::string name, int32_t threadCount, JobPriority priority) {
  if (threadCount < 0) return IllegalArgumentError("negative thread count");
  Registry().ReapFinished();
  if (threadCount == 0) {
    threadCount = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  }
  auto state = std::make_shared<State>();
  state->name = std::move(name);
  state->priority = priority;
  state->threadsLeft = threadCount;
  try {
    for (int32_t i = 0; i < threadCount; ++i) {
      state->threads.emplace_back([raw = state.get()] { WorkerLoop(raw); });
      pthread_setname_np(state->threads.back().native_handle(), state->name.substr(0, 15).c_str());
    }
  } catch (const std::system_error& error) {
    // Stop the workers that did start before reporting the failure.
    {
      std::lock_guard lock(state->mutex);
      state->retiring = true;
      state->threadsLeft -= threadCount - static_cast<int32_t>(state->threads.size());
    }
    state->workAvailable.notify_all();
    for (std::thread& thread : state->threads) thread.join();
    return IllegalStateError(std::string("cannot start worker threads: ") + error.what());
  }
  {
    std::lock_guard lock(Registry().mutex);
    Registry().live.push_back(state);
  }
  return std::shared_ptr<JobQueue>(new JobQueue(std::move(state)));
}

JobQueue::~JobQueue() {
  {
    std::lock_guard lock(state_->mutex);
    state_->retiring = true;
  }
  state_->workAvailable.notify_all();
  std::lock_guard lock(Registry().mutex);
  Registry().retired.push_back(std::move(state_));
}

Result<void> JobQueue::Enqueue(std::shared_ptr<JobInterface> job) {
  if (!job) return NullPointerError("no job to enqueue");
  {
    std::lock_guard lock(state_->mutex);
    state_->pending.push_back(std::move(job));
  }
  state_->workAvailable.notify_one();
  return OK();
}

Result<void> JobQueue::EnqueueAll(std::vector<std::shared_ptr<JobInterface>> jobs) {
  for (const auto& job : jobs) {
    if (!job) return NullPointerError("no job to enqueue");
  }
  if (jobs.empty()) return OK();
  {
    std::lock_guard lock(state_->mutex);
    for (auto& job : jobs) state_->pending.push_back(std::move(job));
  }
  state_->workAvailable.notify_all();
  return OK();
}

void JobQueue::WaitIdle() const {
  std::unique_lock lock(state_->mutex);
  state_->idle.wait(lock, [this] { return state_->IsIdle(); });
}

const std::string& JobQueue::Name() const { return state_->name; }

int32_t JobQueue::ThreadCount() const { return static_cast<int32_t>(state_->threads.size()); }

// Every queue that still exists, released ones that still drain included.
static std::vector<std::shared_ptr<JobQueue::State>> LiveStates() {
  std::vector<std::shared_ptr<JobQueue::State>> states;
  std::lock_guard lock(Registry().mutex);
  for (const auto& weak : Registry().live) {
    if (auto state = weak.lock()) states.push_back(std::move(state));
  }
  return states;
}

void JobQueue::WaitAllIdle() {
  for (const auto& state : LiveStates()) {
    std::unique_lock lock(state->mutex);
    state->idle.wait(lock, [&] { return state->IsIdle(); });
  }
}

bool JobQueue::AreAllIdle() {
  for (const auto& state : LiveStates()) {
    std::lock_guard lock(state->mutex);
    if (!state->IsIdle()) return false;
  }
  return true;
}

void JobQueue::ShutdownAll() { Registry().ShutdownRetired(); }

}  // namespace brantic
