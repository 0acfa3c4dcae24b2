// Frame and tile sets found through folder listings: 1,000 "<UDIM>" paths over ten folders
// of 10,000 files each (100,000 files, ten tiles a set, the rest other files), against one
// bare read of those folders (what "ls -f" does).
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "brantic/folderlisting.h"
#include "bx3/host.h"
#include "collection/kvresolve.h"

namespace {

constexpr int kFolders = 10;
constexpr int kFilesPerFolder = 10000;
constexpr int kSetsPerFolder = 100;
constexpr int kTilesPerSet = 10;

struct Tree {
  std::string root;
  std::string project;
  std::vector<std::string> folders;
  std::vector<bx3::Filename> paths;

  Tree() {
    char pattern[] = "/tmp/kv_filesets_bench_XXXXXX";
    root = ::mkdtemp(pattern);
    project = root + "/proj";
    for (int f = 0; f < kFolders; ++f) {
      const std::string folder = project + "/tiles/d" + std::to_string(f);
      std::filesystem::create_directories(folder);
      folders.push_back(folder);
      int files = 0;
      for (int s = 0; s < kSetsPerFolder; ++s) {
        for (int t = 0; t < kTilesPerSet; ++t, ++files) {
          std::ofstream(folder + "/asset_" + std::to_string(s) + "." + std::to_string(1001 + t) + ".png");
        }
        paths.emplace_back("tiles/d" + std::to_string(f) + "/asset_" + std::to_string(s) + ".<UDIM>.png");
      }
      for (; files < kFilesPerFolder; ++files) std::ofstream(folder + "/other_" + std::to_string(files) + ".exr");
    }
    bx3::InitializeHost();
    ::sync();  // the new files written out before anything is measured
  }
  ~Tree() { std::filesystem::remove_all(root); }
};

Tree& GetTree() {
  static Tree tree;
  return tree;
}

void ResolveAndCount(benchmark::State& state, bool warm) {
  Tree& tree = GetTree();
  const bx3::Filename documentFolder(tree.project);
  const std::vector<brantic::Url> searchFolders = {documentFolder.GetUrl(),
                                                   bx3::Filename(tree.project + "/tex").GetUrl()};
  int64_t tiles = 0;
  auto kept = std::make_unique<brantic::FolderListings>();
  for (auto _ : state) {
    if (!warm) kept = std::make_unique<brantic::FolderListings>();  // one pass
    brantic::FolderListings& listings = *kept;
    const kv::KvResolveContext context{&searchFolders, nullptr, nullptr, &listings};
    for (const bx3::Filename& path : tree.paths) {
      bx3::Filename resolved;
      if (kv::ResolveAssetPathIn(documentFolder, context, path, resolved, true) == kv::kResolveMissing) continue;
      const auto pattern = brantic::PathPattern::Find(resolved.View());
      tiles += int64_t(listings.Members(std::string(pattern->Folder()), *pattern).size());
    }
  }
  state.counters["tiles"] = double(tiles) / double(state.iterations());
  state.counters["sets"] = double(tree.paths.size());
}
void BM_ResolveAndCountSets(benchmark::State& state) { ResolveAndCount(state, false); }
BENCHMARK(BM_ResolveAndCountSets)->Unit(benchmark::kMillisecond)->MinTime(2.0);
// The same with the folders read already: what the sets themselves cost.
void BM_ResolveAndCountSetsListed(benchmark::State& state) { ResolveAndCount(state, true); }
BENCHMARK(BM_ResolveAndCountSetsListed)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The listings alone: each folder read and indexed once.
void BM_ListingsOnly(benchmark::State& state) {
  Tree& tree = GetTree();
  size_t names = 0;
  for (auto _ : state) {
    brantic::FolderListings listings;
    for (const std::string& folder : tree.folders) names += listings.List(folder)->size();
  }
  benchmark::DoNotOptimize(names);
}
BENCHMARK(BM_ListingsOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Every name of the same folders read once, as "ls -f" reads them.
void BM_BareListOfFolders(benchmark::State& state) {
  Tree& tree = GetTree();
  int64_t names = 0;
  for (auto _ : state) {
    for (const std::string& folder : tree.folders) {
      DIR* dir = ::opendir(folder.c_str());
      while (const dirent* entry = dir ? ::readdir(dir) : nullptr) names += entry->d_name[0] != '.';
      if (dir) ::closedir(dir);
    }
  }
  state.counters["files"] = double(names) / double(state.iterations());
}
BENCHMARK(BM_BareListOfFolders)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
