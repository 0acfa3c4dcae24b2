// Globalize on 10,000 selected rows, the whole command on the GUI thread: the mark pass, the
// write pass into the scene with undo, the regroup, the refresh of the tree, the resolution
// of every row again and the status line. Each run is undone before the next.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench_scene.h"
#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "commands/kvcommands.h"
#include "ids/kvids.h"
#include "window/kvdialog.h"

namespace {

using Clock = std::chrono::steady_clock;

void FinishJobs() {
  brantic::JobQueue::WaitAllIdle();
  brantic::DrainMainThreadQueue();
}

void BM_Globalize(benchmark::State& state) {
  kvbench::InitializeGuiOnce();
  kvbench::Scene scene(state.range(0));
  bx3::Document* document = bx3::GetActiveDocument();
  kv::KestrovaDialog dialog;
  dialog.Open(bx3::kDialogNonModal, kv::kMainCommandId, -1, -1, 1200, 500);
  FinishJobs();
  kv::Kv_SelectAllCommand selectAll(&dialog);
  kv::Kv_GlobalizeCommand globalize(&dialog);
  int64_t written = 0;
  for (auto _ : state) {
    dialog.RefreshAssets();
    FinishJobs();
    selectAll.Execute(document, nullptr);
    const auto start = Clock::now();
    if (!globalize.Execute(document, nullptr)) state.SkipWithError("Globalize failed");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    written = dialog.View().SelectedCount();
    document->Undo();
  }
  state.counters["rows"] = double(written);
  dialog.Close();
  FinishJobs();
  bx3::CloseAllDocuments();
}
BENCHMARK(BM_Globalize)->Arg(10000)->Apply(kvbench::FiveTimedRuns);

}  // namespace

BENCHMARK_MAIN();
