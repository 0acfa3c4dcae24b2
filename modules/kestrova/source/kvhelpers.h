// Helper threads for work the GUI thread shares out: a few workers of a job queue run one
// function each while the calling thread does its own part. GUI thread (or any one thread).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "brantic/jobs.h"

namespace kv {

// The number of threads worth sharing work between: the processor cores, at least 1, at most 16.
size_t CoreCount();

// Runs `work(helper)` for helper 1..count on workers of a job queue named `queueName`.
// Destruction waits for them. When a queue or a job cannot be had, fewer helpers run
// (`Started` tells how many): callers do the rest on their own thread.
class KvHelperThreads {
 public:
  KvHelperThreads(std::string queueName, size_t count, std::function<void(size_t helper)> work);
  ~KvHelperThreads() { Wait(); }
  KvHelperThreads(const KvHelperThreads&) = delete;
  KvHelperThreads& operator=(const KvHelperThreads&) = delete;

  size_t Started() const { return jobs_.size(); }
  // Blocks until every started helper has run.
  void Wait();

 private:
  std::vector<std::shared_ptr<brantic::ClosureJob<void>>> jobs_;
};

}  // namespace kv
