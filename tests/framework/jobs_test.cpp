#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "brantic/thread.h"
#include "brantic/weakref.h"

namespace {

TEST(JobQueueTest, ClosureJobsDeliverResults) {
  auto queue = brantic::JobQueue::Create("test queue", 0);
  ASSERT_TRUE(queue.HasValue());
  EXPECT_GE((*queue)->ThreadCount(), 1);
  std::vector<std::shared_ptr<brantic::ClosureJob<int>>> jobs;
  for (int i = 0; i < 100; ++i) {
    auto job = brantic::ClosureJob<int>::Create([i] { return i * i; });
    ASSERT_TRUE(job.HasValue());
    ASSERT_TRUE((*queue)->Enqueue(*job).HasValue());
    jobs.push_back(*job);
  }
  for (int i = 0; i < 100; ++i) {
    jobs[static_cast<size_t>(i)]->Wait();
    EXPECT_EQ(*jobs[static_cast<size_t>(i)]->GetResult(), i * i);
  }
  EXPECT_FALSE(brantic::ClosureJob<int>::Create(nullptr).HasValue());
  EXPECT_FALSE((*queue)->Enqueue(nullptr).HasValue());
}

TEST(JobQueueTest, CancelledJobsNeverRun) {
  auto queue = brantic::JobQueue::Create("cancel", 1);
  std::atomic<bool> release{false};
  std::atomic<int> ran{0};
  auto blocker = *brantic::ClosureJob<void>::Create([&] {
    while (!release) std::this_thread::yield();
  });
  auto victim = *brantic::ClosureJob<void>::Create([&] { ++ran; });
  ASSERT_TRUE((*queue)->Enqueue(blocker).HasValue());
  ASSERT_TRUE((*queue)->Enqueue(victim).HasValue());
  victim->Cancel();
  release = true;
  victim->Wait();
  EXPECT_EQ(ran.load(), 0);
  EXPECT_EQ(victim->GetResult().GetError().Kind(), brantic::ErrorKind::Cancelled);
  EXPECT_TRUE(blocker->GetResult().HasValue() || !blocker->IsDone());
}

// What used to be a risk: releasing the last reference to a queue must not drop the jobs
// already queued (the asset collection releases its queue right after enqueueing).
TEST(JobQueueTest, ReleasedQueueFinishesItsJobs) {
  std::atomic<int> done{0};
  {
    auto queue = brantic::JobQueue::Create("released", 2);
    for (int i = 0; i < 50; ++i) {
      ASSERT_TRUE((*queue)->Enqueue(*brantic::ClosureJob<void>::Create([&] { ++done; })).HasValue());
    }
  }
  brantic::JobQueue::WaitAllIdle();
  EXPECT_EQ(done.load(), 50);
  brantic::JobQueue::ShutdownAll();
}

TEST(MainThreadQueueTest, WorkersPostAndTheMainThreadDrains) {
  EXPECT_TRUE(brantic::IsMainThread());
  auto queue = brantic::JobQueue::Create("posting", 4);
  std::vector<int> received;
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE((*queue)
                    ->Enqueue(*brantic::ClosureJob<void>::Create([&received, i] {
                      EXPECT_FALSE(brantic::IsMainThread());
                      brantic::ExecuteOnMainThread([&received, i] { received.push_back(i); });
                    }))
                    .HasValue());
  }
  (*queue)->WaitIdle();
  EXPECT_TRUE(received.empty());  // nothing runs on the main thread until it drains
  EXPECT_TRUE(brantic::HasMainThreadWork());
  EXPECT_EQ(brantic::DrainMainThreadQueue(), 20);
  EXPECT_EQ(received.size(), 20u);

  // Closures posted while draining run in the same drain, after those before them.
  std::vector<int> order;
  brantic::ExecuteOnMainThread([&] {
    order.push_back(1);
    brantic::ExecuteOnMainThread([&] { order.push_back(3); });
  });
  brantic::ExecuteOnMainThread([&] { order.push_back(2); });
  EXPECT_EQ(brantic::DrainMainThreadQueue(), 3);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_FALSE(brantic::WaitForMainThreadWork(0.0));
}

TEST(MainThreadQueueTest, ADrainWithABudgetStopsWhenItIsSpent) {
  std::vector<int> order;
  for (int i = 0; i < 3; ++i) brantic::ExecuteOnMainThread([&order, i] { order.push_back(i); });
  // Nothing left to spend: one closure per drain, in order.
  EXPECT_EQ(brantic::DrainMainThreadQueueFor(0.0), 1);
  EXPECT_EQ(brantic::DrainMainThreadQueueFor(-1.0), 1);
  EXPECT_EQ(order, (std::vector<int>{0, 1}));
  EXPECT_EQ(brantic::DrainMainThreadQueueFor(60.0), 1);
  EXPECT_EQ(brantic::DrainMainThreadQueueFor(60.0), 0);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

class CountingThread : public brantic::ThreadInterfaceTemplate<CountingThread> {
 public:
  ~CountingThread() override {
    Cancel();
    Wait(1e30);
  }
  brantic::Result<void> operator()() {
    started = true;
    while (!IsCancelled()) std::this_thread::yield();
    ++runs;
    return brantic::OK();
  }
  const char* GetName(int index) const override { return index == 0 ? "Test Thread" : nullptr; }
  std::atomic<bool> started{false};
  std::atomic<int> runs{0};
};

TEST(ThreadTest, CancelResetAndRestart) {
  CountingThread thread;
  EXPECT_EQ(std::string(thread.GetName(0)), "Test Thread");
  EXPECT_EQ(thread.GetName(1), nullptr);
  ASSERT_TRUE(thread.Start().HasValue());
  EXPECT_FALSE(thread.Start().HasValue());  // one run at a time
  EXPECT_FALSE(thread.Wait(0.01));          // runs until cancelled
  thread.Cancel();
  EXPECT_TRUE(thread.Wait(1e30));
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.runs.load(), 1);
  EXPECT_TRUE(thread.IsCancelled());
  ASSERT_TRUE(thread.Reset().HasValue());
  EXPECT_FALSE(thread.IsCancelled());
  ASSERT_TRUE(thread.Start().HasValue());
  thread.Cancel();
  thread.Wait(1e30);
  EXPECT_EQ(thread.runs.load(), 2);
  EXPECT_TRUE(thread.LastResult().HasValue());
}

class ThrowingThread : public brantic::ThreadInterfaceTemplate<ThrowingThread> {
 public:
  ~ThrowingThread() override { Wait(1e30); }
  brantic::Result<void> operator()() { throw std::bad_alloc(); }
  const char* GetName(int) const override { return nullptr; }
};

// What used to go wrong: an exception thrown by a job or a thread's run (a damaged file
// made the image library run out of memory) ended the program.
TEST(ThreadTest, NothingThrownLeavesAJobOrAThread) {
  auto queue = brantic::JobQueue::Create("Throwing", 1);
  ASSERT_TRUE(queue);
  auto job = brantic::ClosureJob<int>::Create([]() -> int { throw std::runtime_error("broken file"); });
  ASSERT_TRUE(job);
  ASSERT_TRUE((*queue)->Enqueue(*job));
  (*job)->Wait();
  const auto result = (*job)->GetResult();
  ASSERT_FALSE(result);
  EXPECT_NE(result.GetError().Message().find("broken file"), std::string::npos);
  // The queue goes on with the next job.
  auto next = brantic::ClosureJob<int>::Create([] { return 5; });
  ASSERT_TRUE((*queue)->Enqueue(*next));
  (*next)->Wait();
  EXPECT_EQ(*(*next)->GetResult(), 5);

  ThrowingThread thread;
  ASSERT_TRUE(thread.Start());
  thread.Wait(1e30);
  EXPECT_FALSE(thread.LastResult());
}

struct Target {
  int value = 7;
  brantic::WeakAnchor<Target> anchor{this};
};

TEST(WeakRefTest, LocksToNothingAfterDestruction) {
  brantic::WeakRef<Target> weak;
  EXPECT_FALSE(weak.Lock());
  {
    Target target;
    weak = target.anchor.GetWeakRef();
    auto locked = weak.Lock();
    ASSERT_TRUE(locked);
    EXPECT_EQ(locked->value, 7);
  }
  EXPECT_FALSE(weak.Lock());
  EXPECT_EQ(weak.Lock().Get(), nullptr);

  // A result that arrives on the main thread after its target went away is dropped.
  int stored = 0;
  auto target = std::make_unique<Target>();
  brantic::WeakRef<Target> ref = target->anchor.GetWeakRef();
  auto queue = brantic::JobQueue::Create("weak", 1);
  ASSERT_TRUE((*queue)
                  ->Enqueue(*brantic::ClosureJob<void>::Create([ref, &stored] {
                    brantic::ExecuteOnMainThread([ref, &stored] {
                      if (auto locked = ref.Lock()) stored = locked->value;
                    });
                  }))
                  .HasValue());
  (*queue)->WaitIdle();
  target.reset();
  brantic::DrainMainThreadQueue();
  EXPECT_EQ(stored, 0);
}

}  // namespace
