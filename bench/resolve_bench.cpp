// Asset path resolution over 100,000 paths: half present, a quarter found by name in a search
// folder, a quarter missing. Compared with a bare loop that stats the same candidate files
// the resolver has to look at, each once.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bx3/host.h"
#include "bx3/prefs.h"
#include "collection/kvresolve.h"

namespace {

constexpr int kPaths = 100000;
constexpr int kFilesPerFolder = 500;

struct Tree {
  std::string root;
  std::string project;
  std::vector<bx3::Filename> assetPaths;
  // For the bare loop: every file the resolver tries for each path, in its order.
  std::vector<std::string> candidates;

  Tree() {
    char pattern[] = "/tmp/kv_resolve_bench_XXXXXX";
    root = ::mkdtemp(pattern);
    project = root + "/proj";
    const std::string library = root + "/library";
    std::filesystem::create_directories(project + "/tex");
    std::filesystem::create_directories(library);
    // The search folders are the project, its tex folder and the library.
    const std::vector<std::string> folders = {project, project + "/tex", library};
    for (int i = 0; i < kPaths; ++i) {
      const std::string name = "asset_" + std::to_string(i) + ".exr";
      const std::string folder = project + "/shots/s" + std::to_string(i / kFilesPerFolder);
      if (i % 4 < 2) {  // present at its stored path
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/" + name);
        assetPaths.emplace_back(folder + "/" + name);
        candidates.push_back(folder + "/" + name);
      } else if (i % 4 == 2) {  // moved: found by name in the library
        std::ofstream(library + "/" + name);
        assetPaths.emplace_back(root + "/old/" + name);
        candidates.push_back(root + "/old/" + name);
        for (const std::string& searchFolder : folders) candidates.push_back(searchFolder + "/" + name);
      } else {  // missing
        assetPaths.emplace_back(root + "/gone/" + name);
        candidates.push_back(root + "/gone/" + name);
        for (const std::string& searchFolder : folders) candidates.push_back(searchFolder + "/" + name);
      }
    }
    bx3::InitializeHost();
    bx3::Preferences::Get().SetTextureSearchPaths({{bx3::Filename(library), true}});
  }
  ~Tree() { std::filesystem::remove_all(root); }
};

Tree& GetTree() {
  static Tree tree;
  return tree;
}

void BM_ResolveAssetPath(benchmark::State& state) {
  Tree& tree = GetTree();
  const bx3::Filename documentPath(tree.project);
  int64_t found = 0;
  for (auto _ : state) {
    for (const bx3::Filename& path : tree.assetPaths) {
      bx3::Filename resolved;
      found += kv::ResolveAssetPath(documentPath, path, nullptr, resolved, false) != kv::kResolveMissing;
    }
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * kPaths);
  state.counters["paths/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kPaths), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ResolveAssetPath)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The same files the resolver looks at, each stat'ed once: the cost of the file system alone.
void BM_BareStatOfCandidates(benchmark::State& state) {
  Tree& tree = GetTree();
  int64_t found = 0;
  for (auto _ : state) {
    for (const std::string& candidate : tree.candidates) {
      struct stat info {};
      found += ::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * kPaths);
  state.counters["paths/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kPaths), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareStatOfCandidates)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// One stat per stored path, for scale.
void BM_BareStatOfAssetPaths(benchmark::State& state) {
  Tree& tree = GetTree();
  int64_t found = 0;
  for (auto _ : state) {
    for (const bx3::Filename& path : tree.assetPaths) {
      struct stat info {};
      found += ::stat(path.GetString().CStr(), &info) == 0;
    }
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * kPaths);
}
BENCHMARK(BM_BareStatOfAssetPaths)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
