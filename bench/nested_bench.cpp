// Reading the material libraries an OBJ names: a 1 GB OBJ (geometry, with "mtllib" lines at
// its start and middle) scanned by the reader, against "grep -c mtllib" on the same file (a
// process of its own, its count written to a file), both from the page cache. KV_BENCH_OBJ_MB sets another size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "brantic/nestedfiles.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

struct BigObj {
  kvtest::TempFolder folder;
  std::string path = folder / "big.obj";
  BigObj() {
    const char* sized = std::getenv("KV_BENCH_OBJ_MB");
    const int64_t megabytes = sized ? std::atoll(sized) : 1024;
    std::string block;
    for (int i = 0; i < 20000; ++i) block += "v 0.125 -2.5 3.75\nvt 0.5 0.25\nf 1/1 2/2 3/3\n";
    std::ofstream out(path, std::ios::binary);
    out << "mtllib crate.mtl\n";
    for (int64_t written = 0; written < megabytes << 20; written += int64_t(block.size())) {
      out << block;
      if (written == 0) out << "mtllib second.mtl other.mtl\n";
    }
  }
};

BigObj& Obj() {
  static BigObj obj;
  return obj;
}

void BM_ReadObjLibraries(benchmark::State& state) {
  const std::string& path = Obj().path;
  size_t found = 0;
  for (auto _ : state) found = brantic::ReadObjLibraries(path)->files.size();
  state.counters["libraries"] = double(found);
}
BENCHMARK(BM_ReadObjLibraries)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_GrepCount(benchmark::State& state) {
  const std::string& path = Obj().path;
  for (auto _ : state) {
    pid_t child = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Not /dev/null: GNU grep stops at the first match when its output goes nowhere.
    const std::string count = Obj().folder / "count.txt";
    posix_spawn_file_actions_addopen(&actions, 1, count.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char* argv[] = {const_cast<char*>("grep"), const_cast<char*>("-c"), const_cast<char*>("mtllib"),
                    const_cast<char*>(path.c_str()), nullptr};
    if (posix_spawnp(&child, "grep", &actions, nullptr, argv, environ) != 0) state.SkipWithError("no grep");
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(child, &status, 0);
  }
}
BENCHMARK(BM_GrepCount)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
