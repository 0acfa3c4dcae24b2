#include "brantic/parallel.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "brantic/jobs.h"

namespace brantic {

namespace {

// The process's helper threads. They keep the priority of the threads they help: those wait
// for them.
JobQueue* HelperPool() {
  static const std::shared_ptr<JobQueue> pool = [] {
    auto queue = JobQueue::Create("Helpers", int32_t(std::max<size_t>(CoreCount() - 1, 1)), JobPriority::Interactive);
    return queue ? std::move(*queue) : std::shared_ptr<JobQueue>();
  }();
  return pool.get();
}

}  // namespace

size_t CoreCount() { return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 16); }

struct HelperTeam::State {
  std::function<void(size_t)> work;
  std::mutex mutex;
  std::condition_variable finished;
  bool closed = false;
  size_t running = 0;
  std::exception_ptr failure;
};

HelperTeam::HelperTeam(size_t count, std::function<void(size_t helper)> work) : state_(std::make_shared<State>()) {
  state_->work = std::move(work);
  JobQueue* pool = count > 0 ? HelperPool() : nullptr;
  if (!pool) return;
  std::vector<std::shared_ptr<JobInterface>> jobs;
  for (size_t helper = 1; helper <= count; ++helper) {
    auto job = ClosureJob<void>::Create([state = state_, helper] {
      {
        std::lock_guard lock(state->mutex);
        if (state->closed) return;  // the caller finished without this helper
        ++state->running;
      }
      std::exception_ptr failure;
      try {
        state->work(helper);
      } catch (...) {
        failure = std::current_exception();
      }
      {
        std::lock_guard lock(state->mutex);
        if (failure && !state->failure) state->failure = failure;
        --state->running;
      }
      state->finished.notify_all();
    });
    if (!job) break;
    jobs.push_back(std::move(*job));
  }
  queued_ = jobs.size();
  if (!pool->EnqueueAll(std::move(jobs))) queued_ = 0;
}

HelperTeam::~HelperTeam() {
  try {
    Join();
  } catch (...) {
    // A helper's failure nobody asked for; Join already waited for the helpers.
  }
}

void HelperTeam::Join() {
  if (joined_) return;
  joined_ = true;
  std::exception_ptr failure;
  {
    std::unique_lock lock(state_->mutex);
    state_->closed = true;
    state_->finished.wait(lock, [this] { return state_->running == 0; });
    failure = state_->failure;
  }
  if (failure) std::rethrow_exception(failure);
}

void ParallelFor(size_t parts, const std::function<void(size_t part)>& body, size_t helpers) {
  if (parts == 0) return;
  std::atomic<size_t> next{0};
  const auto claimParts = [&next, parts, &body](size_t) {
    for (size_t part = next.fetch_add(1, std::memory_order_relaxed); part < parts;
         part = next.fetch_add(1, std::memory_order_relaxed)) {
      body(part);
    }
  };
  HelperTeam team(std::min({helpers, parts - 1, CoreCount() - 1}), claimParts);
  std::exception_ptr failure;
  try {
    claimParts(0);
  } catch (...) {
    failure = std::current_exception();
    next.store(parts, std::memory_order_relaxed);  // no further parts for anyone
  }
  team.Join();  // throws a helper's failure
  if (failure) std::rethrow_exception(failure);
}

}  // namespace brantic
