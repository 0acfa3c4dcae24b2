// The file work of Relink and Collect Files against the system's own tools on the same files:
// the relink search (name index and one walk) of a tree of 100,000 files in 1,000 folders for
// 10,000 selected missing rows beside `find TREE -type f`, and the copies of Collect Files
// (1 GB in files of 10 MB) beside `cp -r`. The trees are made once under /tmp and kept.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bx3/files.h"
#include "operations/kvrelink.h"

namespace {

namespace fs = std::filesystem;

const std::string kTree = "/tmp/kv_bench_relink_tree";
const std::string kCopySource = "/tmp/kv_bench_copy/source";
constexpr int kTopFolders = 10, kFoldersEach = 100, kFilesEach = 100;  // 1,000 folders, 100,000 files
constexpr int kCopyFiles = 100;
constexpr int64_t kCopyFileBytes = 10 << 20;

std::string TreeFileName(int folder, int file) {
  return "t" + std::to_string(folder) + "_" + std::to_string(file) + ".png";
}

void MakeTreeOnce() {
  if (fs::exists(kTree + "/complete")) return;
  fs::remove_all(kTree);
  for (int top = 0; top < kTopFolders; ++top) {
    for (int sub = 0; sub < kFoldersEach; ++sub) {
      const int folder = top * kFoldersEach + sub;
      const std::string path = kTree + "/d" + std::to_string(top) + "/e" + std::to_string(sub);
      fs::create_directories(path);
      for (int file = 0; file < kFilesEach; ++file) {
        ::close(::open((path + "/" + TreeFileName(folder, file)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
      }
    }
  }
  ::close(::open((kTree + "/complete").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
}

void MakeCopySourceOnce() {
  if (fs::exists(kCopySource + "/complete")) return;
  fs::remove_all(kCopySource);
  fs::create_directories(kCopySource);
  std::vector<char> block(1 << 20);
  for (int file = 0; file < kCopyFiles; ++file) {
    const int fd = ::open((kCopySource + "/f" + std::to_string(file) + ".exr").c_str(),
                          O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    for (int64_t written = 0; written < kCopyFileBytes; written += int64_t(block.size())) {
      for (size_t i = 0; i < block.size(); i += 4096) block[i] = char(file + i);
      if (::write(fd, block.data(), block.size()) < 0) break;
    }
    ::close(fd);
  }
  ::close(::open((kCopySource + "/complete").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
}

void BM_FindBaseline(benchmark::State& state) {
  MakeTreeOnce();
  const std::string command = "find " + kTree + " -type f > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
  }
}
BENCHMARK(BM_FindBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// 10,000 selected missing rows, each looking for a file of a different folder of the tree.
void BM_RelinkSearch(benchmark::State& state) {
  MakeTreeOnce();
  std::vector<kv::KvAssetEntry> rows(10000);
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].assetPath = bx3::Filename("/gone/" + TreeFileName(int(i % 1000), int(i / 1000 * 7)));
    rows[i].selected = 1;
  }
  int64_t found = 0;
  for (auto _ : state) {
    const kv::KvRelinkIndex index(rows);
    kv::KvRelinkProgress progress;
    const kv::KvRelinkSearchResult result = kv::SearchForFiles(bx3::Filename(kTree), index, progress, nullptr);
    found = result.foundCount;
    benchmark::DoNotOptimize(result.finds.data());
  }
  if (found != int64_t(rows.size())) state.SkipWithError("not every row found its file");
  state.counters["found"] = double(found);
}
BENCHMARK(BM_RelinkSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CpBaseline(benchmark::State& state) {
  MakeCopySourceOnce();
  const std::string target = "/tmp/kv_bench_copy/cp";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(target);
    state.ResumeTiming();
    if (std::system(("cp -r " + kCopySource + " " + target).c_str()) != 0) state.SkipWithError("cp failed");
  }
  fs::remove_all(target);
  state.SetBytesProcessed(state.iterations() * kCopyFiles * kCopyFileBytes);
}
BENCHMARK(BM_CpBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The copies Collect Files makes: each through a temporary file renamed into place.
void BM_CollectCopies(benchmark::State& state) {
  MakeCopySourceOnce();
  const std::string target = "/tmp/kv_bench_copy/collected";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(target);
    state.ResumeTiming();
    if (!bx3::CreateFolder(bx3::Filename(target))) state.SkipWithError("no target folder");
    for (int file = 0; file < kCopyFiles; ++file) {
      const std::string name = "/f" + std::to_string(file) + ".exr";
      if (!bx3::CopyFile(bx3::Filename(kCopySource + name), bx3::Filename(target + name))) {
        state.SkipWithError("copy failed");
      }
    }
  }
  fs::remove_all(target);
  state.SetBytesProcessed(state.iterations() * kCopyFiles * kCopyFileBytes);
}
BENCHMARK(BM_CollectCopies)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
