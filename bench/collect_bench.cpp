// The inspector's collection on scenes of 10,000 and 100,000 file uses over 20% as many
// distinct files (small pictures, 10% of them missing, some sequences, repeated uses), five
// scenes of each size: RefreshAssets on the GUI thread, the time until every probe result is
// stored, the longest GUI-thread slice while results arrive, and the memory per row; next to
// a bare loop that stats each distinct path once and sorts the rows. And the same listing with
// a fifth of the uses under a share that does not answer.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "bench_scene.h"
#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "bx3/host.h"
#include "bx3/qtgui.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "support/blocking_files.h"
#include "window/kvdialog.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_RefreshAssets(benchmark::State& state) {
  kvbench::InitializeGuiOnce();
  kvbench::Scene scene(state.range(0));
  kv::KestrovaDialog dialog;
  dialog.Open(bx3::kDialogNonModal, kv::kMainCommandId, -1, -1, 1200, 500);
  brantic::JobQueue::WaitAllIdle();
  brantic::DrainMainThreadQueue();
  double refresh = 0, probed = 0, longestSlice = 0;
  int64_t largestBatch = 0;
  int64_t rows = 0, bytes = 0;
  for (auto _ : state) {
    const size_t before = mallinfo2().uordblks;
    const auto start = Clock::now();
    dialog.RefreshAssets();
    const auto refreshed = Clock::now();
    bytes = int64_t(mallinfo2().uordblks) - int64_t(before);
    rows = int64_t(dialog.Collection().Rows().size());
    // Results arrive as the event loop drains; each drain is one GUI-thread slice.
    for (;;) {
      const bool jobsDone = brantic::JobQueue::AreAllIdle();
      brantic::WaitForMainThreadWork(0.01);
      const auto sliceStart = Clock::now();
      const int64_t ran = brantic::DrainMainThreadQueue();
      const double slice = Seconds(Clock::now() - sliceStart);
      if (slice > longestSlice) {
        longestSlice = slice;
        largestBatch = ran;
      }
      if (jobsDone && !brantic::HasMainThreadWork()) break;
    }
    refresh = Seconds(refreshed - start);
    probed = Seconds(Clock::now() - start);
    state.SetIterationTime(refresh);
  }
  state.counters["refresh_s"] = refresh;
  state.counters["all_probed_s"] = probed;
  state.counters["longest_slice_ms"] = longestSlice * 1000;
  state.counters["results_in_longest_slice"] = double(largestBatch);
  state.counters["rows/s"] = double(rows) / refresh;
  state.counters["bytes/row"] = rows ? double(bytes) / double(rows) : 0;
  state.counters["rows"] = double(rows);
  dialog.Close();
  bx3::CloseAllDocuments();
}
BENCHMARK(BM_RefreshAssets)->Arg(10000)->Arg(100000)->Apply(kvbench::FiveTimedRuns);

// A scene of 10,000 uses of which a fifth lie under a share that does not answer (its queries
// block until the end): the window lists them and paints, waiting on the share no longer than
// a pass's patience. Each iteration meets the share afresh, as a first collection does.
void BM_RefreshWithDeadRoot(benchmark::State& state) {
  kvbench::InitializeGuiOnce();
  kvbench::Scene scene(state.range(0));
  int64_t use = 0;
  for (const auto& material : bx3::GetActiveDocument()->GetBranch(bx3::Branch::Materials)->GetChildren()) {
    if (use++ % 5 == 0) {
      material->GetChildren().front()->SetParameter(bx3::param::kBitmapFile,
                                                    bx3::Filename("/kvdead/tex/file_" + std::to_string(use) + ".png"));
    }
  }
  kv::KestrovaDialog dialog;
  dialog.Open(bx3::kDialogNonModal, kv::kMainCommandId, -1, -1, 1200, 500);
  brantic::JobQueue::WaitAllIdle();
  brantic::DrainMainThreadQueue();
  const std::string picture = scene.folder / "window.png";
  int64_t unreachable = 0;
  for (auto _ : state) {
    kvtest::InstalledWatch watch(std::make_shared<kvtest::BlockingFiles>("/kvdead"));
    const auto start = Clock::now();
    dialog.RefreshAssets();
    if (!bx3::GrabDialog(dialog, picture)) state.SkipWithError("the window was not painted");
    state.SetIterationTime(Seconds(Clock::now() - start));
    unreachable = dialog.Collection().UnreachableCount();
  }
  state.counters["unreachable_rows"] = double(unreachable);
  dialog.Close();
  bx3::CloseAllDocuments();
}
BENCHMARK(BM_RefreshWithDeadRoot)->Arg(10000)->Apply(kvbench::FiveTimedRuns);

// A scene of 1,000 references to one referenced scene of 100 uses against the same 100,000
// uses written in the scene itself: the rows inside the referenced file cost what the
// scene's own rows cost (each file read once, each path resolved once).
void BM_RefreshNested(benchmark::State& state) {
  kvbench::InitializeGuiOnce();
  const bool nested = state.range(0) == 1;
  kvtest::TempFolder folder;
  std::filesystem::create_directories(folder / "refs/tex");
  const std::string model = folder / "model.png";
  if (!kvtest::WriteImage(model, kvtest::ImageFile{})) std::abort();
  std::string materials;
  for (int i = 0; i < 100; ++i) {
    const std::string name = "tex/t" + std::to_string(i) + ".png";
    if (i % 10 != 9) std::filesystem::copy_file(model, folder / ("refs/" + name));
    materials += std::string(i ? "," : "") + R"({"id": )" + std::to_string(2 * i + 1) +
                 R"(, "type": "material.standard", "name": "M", "children": [{"id": )" + std::to_string(2 * i + 2) +
                 R"(, "type": "shader.bitmap", "name": "S", "params": {"1000": {"file": ")" + name + R"("}}}]})";
  }
  kvtest::WriteBytes(
      folder / "refs/prop.bx3",
      R"({"format": "bx3-scene", "version": 1, "document": {"name": "Prop"}, "materials": [)" + materials + "]}");
  auto document = std::make_unique<bx3::Document>();
  document->SetFilename(bx3::Filename(folder / "scene.bx3"));
  for (int i = 0; i < 1000; ++i) {
    if (nested) {
      document->InsertElement(bx3::Branch::Objects, bx3::CreateElement(bx3::type::kReferenceObject, "R"))
          ->SetParameter(bx3::param::kReferenceFile, bx3::Filename("refs/prop.bx3"));
      continue;
    }
    for (int j = 0; j < 100; ++j) {
      bx3::Element* material =
          document->InsertElement(bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, "M"));
      material->InsertChild(bx3::CreateElement(bx3::type::kBitmapShader, "S"))
          ->SetParameter(bx3::param::kBitmapFile, bx3::Filename("refs/tex/t" + std::to_string(j) + ".png"));
    }
  }
  bx3::CloseAllDocuments();
  bx3::AddDocument(std::move(document));
  kv::KestrovaDialog dialog;
  dialog.Open(bx3::kDialogNonModal, kv::kMainCommandId, -1, -1, 1200, 500);
  brantic::JobQueue::WaitAllIdle();
  brantic::DrainMainThreadQueue();
  for (auto _ : state) {
    const auto start = Clock::now();
    dialog.RefreshAssets();
    state.SetIterationTime(Seconds(Clock::now() - start));
    brantic::JobQueue::WaitAllIdle();
    brantic::DrainMainThreadQueue();
  }
  state.counters["rows"] = double(dialog.Collection().Rows().size());
  dialog.Close();
  bx3::CloseAllDocuments();
}
BENCHMARK(BM_RefreshNested)->ArgName("nested")->Arg(0)->Arg(1)->Apply(kvbench::FiveTimedRuns);

// Stat every distinct path once, then sort one text per use.
void BM_BareStatAndSort(benchmark::State& state) {
  kvbench::Scene scene(state.range(0));
  for (auto _ : state) {
    int64_t found = 0;
    for (const std::string& path : scene.distinct) {
      struct stat info {};
      found += ::stat(path.c_str(), &info) == 0;
    }
    std::vector<std::string> names;
    names.reserve(size_t(state.range(0)));
    for (int64_t i = 0; i < state.range(0); ++i) names.push_back(scene.distinct[size_t(i) % scene.distinct.size()]);
    std::sort(names.begin(), names.end());
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_BareStatAndSort)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
