// Costs of the framework services that run once per asset row.
#include <benchmark/benchmark.h>

#include "brantic/format.h"
#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "brantic/url.h"

namespace {

void BM_UrlAppendNormalize(benchmark::State& state) {
  const brantic::Url folder = brantic::Url::FromSystemPath("/projects/show/shot_010/tex");
  const brantic::Url relative = brantic::Url::FromSystemPath("../maps/wood_diffuse_0001.exr");
  for (auto _ : state) {
    auto joined = folder.Append(relative);
    auto normal = joined->Normalize(brantic::kNormalizeResolveDots);
    benchmark::DoNotOptimize(normal);
  }
}
BENCHMARK(BM_UrlAppendNormalize);

void BM_Format(benchmark::State& state) {
  for (auto _ : state) {
    auto text = brantic::Format("@: @ x @\n", {"Resolution", 4096, 2160});
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_Format);

// A job per row that posts its result back, as the asset collection does.
void BM_JobRoundTrip(benchmark::State& state) {
  auto queue = brantic::JobQueue::Create("bench", 0);
  const int64_t jobs = state.range(0);
  for (auto _ : state) {
    int64_t stored = 0;
    for (int64_t i = 0; i < jobs; ++i) {
      auto job =
          brantic::ClosureJob<void>::Create([&stored] { brantic::ExecuteOnMainThread([&stored] { ++stored; }); });
      (void)(*queue)->Enqueue(*job);
    }
    (*queue)->WaitIdle();
    brantic::DrainMainThreadQueue();
    benchmark::DoNotOptimize(stored);
  }
  state.SetItemsProcessed(state.iterations() * jobs);
}
BENCHMARK(BM_JobRoundTrip)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
