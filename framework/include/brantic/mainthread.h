// The main (GUI) thread and its queue of closures.
//
// Any thread may post a closure; the host's event loop runs them on the main thread
// (DrainMainThreadQueue). Tests drain the queue explicitly instead of sleeping.
#pragma once

#include <cstdint>
#include <functional>

namespace brantic {

// The calling thread becomes the main thread. By default it is the thread that loaded the
// framework, which is the process's first thread.
void SetMainThread();
bool IsMainThread();

// Queues `closure` to run on the main thread and returns at once, from any thread. Closures
// run in the order they were posted.
void ExecuteOnMainThread(std::function<void()> closure);

// Main thread only: runs queued closures, including those they post, until the queue is
// empty. Answers how many ran.
int64_t DrainMainThreadQueue();

// Main thread only: like DrainMainThreadQueue, but stops once `budgetSeconds` have passed
// (after at least one closure), so that an event loop stays responsive while many closures
// arrive. Answers how many ran.
int64_t DrainMainThreadQueueFor(double budgetSeconds);

// True when closures are waiting.
bool HasMainThreadWork();

// Blocks the calling thread until a closure is queued or `timeoutSeconds` passed; answers
// whether work is waiting.
bool WaitForMainThreadWork(double timeoutSeconds);

// Called from the posting thread after every post, so that an event loop can wake up and
// drain. Main thread only; pass an empty function to remove it.
void SetMainThreadWakeUp(std::function<void()> wakeUp);

}  // namespace brantic
