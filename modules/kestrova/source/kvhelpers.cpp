#include "kvhelpers.h"

#include <algorithm>
#include <thread>

namespace kv {

size_t CoreCount() { return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 16); }

KvHelperThreads::KvHelperThreads(std::string queueName, size_t count, std::function<void(size_t helper)> work) {
  if (count == 0) return;
  // The calling thread waits for them: they keep its priority.
  auto queue = brantic::JobQueue::Create(std::move(queueName), int32_t(count), brantic::JobPriority::Interactive);
  if (!queue) return;
  for (size_t helper = 1; helper <= count; ++helper) {
    auto job = brantic::ClosureJob<void>::Create([work, helper] { work(helper); });
    if (!job || !(*queue)->Enqueue(*job)) break;
    jobs_.push_back(std::move(*job));
  }
}

void KvHelperThreads::Wait() {
  for (const auto& job : jobs_) job->Wait();
}

}  // namespace kv
