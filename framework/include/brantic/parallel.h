// Work shared between the calling thread and the process's helper threads. Any thread.
//
// The helpers come from one pool for the whole process (one worker per processor core but
// one, at least one, started on first use) instead of a new queue per task. A caller never
// waits for a helper that has not started: it does every part nobody took itself, so a pool
// busy with other work only makes a task slower, never stuck.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace brantic {

// The number of threads worth sharing work between: the processor cores, at least 1, at most 16.
size_t CoreCount();

// Up to `count` helpers of the pool, each running `work(helper)` with helper 1..count beside
// the calling thread. Join (and destruction) waits for the helpers that started; the ones
// that had not started by then never run. `work` must therefore leave nothing undone that
// the caller does not finish itself. What a helper throws is kept and thrown again by Join.
class HelperTeam {
 public:
  HelperTeam(size_t count, std::function<void(size_t helper)> work);
  ~HelperTeam();
  HelperTeam(const HelperTeam&) = delete;
  HelperTeam& operator=(const HelperTeam&) = delete;

  // The number of helpers handed to the pool (not all of them need run).
  size_t Queued() const { return queued_; }
  void Join();

  struct State;

 private:
  std::shared_ptr<State> state_;
  size_t queued_ = 0;
  bool joined_ = false;
};

// Calls `body(part)` once for every part in [0, parts), on the calling thread and on up to
// `helpers` helpers (default: the pool's size), and returns when every part is done. An
// exception of a part is thrown again here, once the others are done.
void ParallelFor(size_t parts, const std::function<void(size_t part)>& body, size_t helpers = SIZE_MAX);

// Sorts `items` stably by `less` in `parts` parts side by side, then hands every item to
// `visit` in the merged order: items that sort alike keep their order, so the order is the
// same for any number of parts. `items` is left sorted part by part. Merging straight into
// what the caller builds spares a second array of items.
template <typename T, typename Less, typename Visit>
void ParallelStableSort(std::vector<T>& items, Less less, size_t parts, Visit visit) {
  parts = std::clamp<size_t>(parts, 1, std::max<size_t>(items.size(), 1));
  const auto bound = [&items, parts](size_t part) {
    return items.begin() + std::ptrdiff_t(items.size() * part / parts);
  };
  ParallelFor(
      parts, [&](size_t part) { std::stable_sort(bound(part), bound(part + 1), less); }, parts - 1);
  // One pass over the parts' fronts; on a tie the earlier part goes first.
  using Iterator = typename std::vector<T>::iterator;
  std::vector<std::pair<Iterator, Iterator>> fronts;
  for (size_t part = 0; part < parts; ++part) fronts.emplace_back(bound(part), bound(part + 1));
  for (size_t left = items.size(); left > 0; --left) {
    size_t best = parts;
    for (size_t part = 0; part < parts; ++part) {
      if (fronts[part].first == fronts[part].second) continue;
      if (best == parts || less(*fronts[part].first, *fronts[best].first)) best = part;
    }
    visit(*fronts[best].first);
    ++fronts[best].first;
  }
}

}  // namespace brantic
