// The inspector's collection on scenes of 10,000 and 100,000 file uses over 20% as many
// distinct files (small pictures, 10% of them missing, some sequences, repeated uses), five
// scenes of each size: RefreshAssets on the GUI thread, the time until every probe result is
// stored, the longest GUI-thread slice while results arrive, and the memory per row; next to
// a bare loop that stats each distinct path once and sorts the rows.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "bx3/host.h"
#include "bx3/qtgui.h"
#include "kvdialog.h"
#include "kvids.h"
#include "kvresources.h"
#include "support/media_fixtures.h"
#include "support/temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Scene {
  kvtest::TempFolder folder;
  std::vector<std::string> distinct;

  explicit Scene(int64_t uses) {
    std::filesystem::create_directories(folder / "tex");
    const int64_t files = uses / 5;
    auto document = std::make_unique<bx3::Document>();
    document->SetFilename(bx3::Filename(folder / "scene.bx3"));
    // Every present file is the same small picture.
    const std::string model = folder / "model.png";
    if (!kvtest::WriteImage(model, kvtest::ImageFile{})) std::abort();
    for (int64_t i = 0; i < files; ++i) {
      const bool sequence = i % 100 == 0;
      const std::string name = "tex/file_" + std::to_string(i) + (sequence ? "_0001.png" : ".png");
      distinct.push_back(folder / name);
      if (i % 10 != 9) std::filesystem::copy_file(model, folder / name);  // every tenth is missing
    }
    for (int64_t i = 0; i < uses; ++i) {
      bx3::Element* material = document->InsertElement(
          bx3::Branch::Materials, bx3::CreateElement(bx3::type::kStandardMaterial, "M" + std::to_string(i)));
      bx3::Element* shader = material->InsertChild(bx3::CreateElement(bx3::type::kBitmapShader, "S"));
      const int64_t file = i % files;
      shader->SetParameter(bx3::param::kBitmapFile,
                           bx3::Filename(distinct[size_t(file)].substr(folder.Path().size() + 1)));
      if (file % 100 == 0) {
        shader->SetParameter(bx3::param::kBitmapFirstFrame, int32_t{1});
        shader->SetParameter(bx3::param::kBitmapLastFrame, int32_t{10});
      }
    }
    bx3::CloseAllDocuments();
    bx3::AddDocument(std::move(document));
  }
};

void Setup() {
  static bool done = false;
  if (done) return;
  done = true;
  static int argc = 1;
  static char name[] = "collect_bench";
  static char* argv[] = {name, nullptr};
  bx3::InitializeGui(argc, argv);
  kv::LoadModuleResources(KV_MODULE_SOURCE_DIR);
}

void BM_RefreshAssets(benchmark::State& state) {
  Setup();
  Scene scene(state.range(0));
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
BENCHMARK(BM_RefreshAssets)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Stat every distinct path once, then sort one text per use.
void BM_BareStatAndSort(benchmark::State& state) {
  Scene scene(state.range(0));
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
