// Reading and writing scene files of many elements, in process.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>

#include "bx3/scenefile.h"
#include "support/big_scene.h"

namespace {

// A scene of `elements` elements: a material for every ten bitmap shaders.
const std::string& SceneOf(int64_t elements) {
  static std::map<int64_t, std::string> paths;
  auto& path = paths[elements];
  if (path.empty()) {
    const std::string folder =
        (std::filesystem::temp_directory_path() / ("kv_bench_scenefile_" + std::to_string(elements))).string();
    kvtest::BigSceneShape shape;
    shape.uses = elements * 10 / 11;
    shape.presentFiles = 0;
    shape.foundByName = 0;
    path = kvtest::WriteBigScene(folder, shape);
  }
  return path;
}

void BM_LoadScene(benchmark::State& state) {
  const std::string& path = SceneOf(state.range(0));
  for (auto _ : state) {
    auto document = bx3::LoadDocument(path);
    if (!document) state.SkipWithError(document.GetError().Message().c_str());
    benchmark::DoNotOptimize(document);
    // Freeing the document is not loading it.
    state.PauseTiming();
    if (document) document->reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadScene)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_SerializeScene(benchmark::State& state) {
  auto document = bx3::LoadDocument(SceneOf(state.range(0)));
  for (auto _ : state) {
    auto text = bx3::SerializeDocument(**document);
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SerializeScene)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
