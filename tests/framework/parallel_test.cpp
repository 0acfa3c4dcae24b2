#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

#include "brantic/jobs.h"
#include "brantic/parallel.h"

namespace {

TEST(ParallelForTest, RunsEveryPartOnceWhateverTheHelpers) {
  for (const size_t parts : {0u, 1u, 2u, 7u, 1000u}) {
    for (const size_t helpers : {size_t(0), size_t(1), SIZE_MAX}) {
      std::vector<std::atomic<int>> runs(parts);
      brantic::ParallelFor(
          parts, [&](size_t part) { runs[part].fetch_add(1); }, helpers);
      for (size_t part = 0; part < parts; ++part) {
        ASSERT_EQ(runs[part].load(), 1) << parts << " parts, " << helpers << " helpers, part " << part;
      }
    }
  }
}

TEST(ParallelForTest, FailuresReachTheCallerAfterTheOtherParts) {
  std::atomic<int> done{0};
  const auto body = [&](size_t part) {
    if (part == 3) throw std::runtime_error("part 3");
    done.fetch_add(1);
  };
  EXPECT_THROW(brantic::ParallelFor(8, body), std::runtime_error);
  EXPECT_LE(done.load(), 7);
  // Nothing of the failed loop is left running on the pool.
  brantic::JobQueue::WaitAllIdle();
}

TEST(HelperTeamTest, ACallerNeverWaitsForHelpersThatDidNotStart) {
  // Every pool thread is kept busy by a team that waits for the second team's caller: if
  // the second team waited for its own (never started) helpers, this would not end.
  std::atomic<bool> release{false};
  std::atomic<size_t> blocking{0};
  const size_t poolSize = std::max<size_t>(brantic::CoreCount() - 1, 1);
  brantic::HelperTeam blockers(poolSize, [&](size_t) {
    blocking.fetch_add(1);
    while (!release.load()) std::this_thread::yield();
  });
  while (blocking.load() < poolSize) std::this_thread::yield();
  std::atomic<int> ranHelpers{0};
  {
    brantic::HelperTeam team(3, [&](size_t) { ranHelpers.fetch_add(1); });
    team.Join();
  }
  release.store(true);
  blockers.Join();
  brantic::JobQueue::WaitAllIdle();
  EXPECT_EQ(ranHelpers.load(), 0);  // closed before any pool thread was free
}

TEST(ParallelStableSortTest, SameOrderForAnyNumberOfParts) {
  // Many equal keys: a sort that is not stable, or a merge that prefers a later part on a
  // tie, changes the order of the second members.
  std::vector<std::pair<int, int>> items(5003);
  for (size_t i = 0; i < items.size(); ++i) items[i] = {int((i * 7919) % 13), int(i)};
  const auto byFirst = [](const auto& a, const auto& b) { return a.first < b.first; };
  std::vector<std::pair<int, int>> expected = items;
  std::stable_sort(expected.begin(), expected.end(), byFirst);
  for (const size_t parts : {1u, 2u, 3u, 4u, 16u, 10000u}) {
    std::vector<std::pair<int, int>> visited;
    std::vector<std::pair<int, int>> unsorted = items;
    brantic::ParallelStableSort(unsorted, byFirst, parts, [&](const auto& item) { visited.push_back(item); });
    EXPECT_EQ(visited, expected) << parts << " parts";
  }
  std::vector<int> empty;
  brantic::ParallelStableSort(empty, std::less<int>(), 4, [](int) { ADD_FAILURE(); });
}

}  // namespace
