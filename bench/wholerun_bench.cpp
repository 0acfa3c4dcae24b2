// A whole batch run of the inspector on a generated scene of 100,000 bitmap-shader uses over
// 20,000 files (16,000 small PNGs present, 2,000 found by name in 50 texture search folders,
// 2,000 missing), against the floor of the same work: parse the scene file, ask the file
// system once per distinct candidate path, read each present file's header once as the run
// does (PNG headers directly, others with the same media libraries) on as many threads. Both
// run as processes of their own, so that their time and peak memory are theirs alone; the
// system calls of the real run are counted with strace when it is installed. The argument
// scales the counts (100: the counts above).
//
//   ./bench/wholerun_bench [--benchmark_filter=...]        (needs bx3 built beside it)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "brantic/media.h"
#include "brantic/parallel.h"
#include "brantic/pictureheader.h"
#include "process_figures.h"
#include "support/big_scene.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSearchFolders = 50;

struct Shape {
  int64_t uses, distinct, present, foundByName;
};
Shape ShapeOf(int64_t scale) { return {1000 * scale, 200 * scale, 160 * scale, 20 * scale}; }

std::string Folder(int64_t scale) { return "/tmp/kv_bench_wholerun_" + std::to_string(scale); }
std::string SearchFolder(int64_t scale, int folder) { return Folder(scale) + "/search/f" + std::to_string(folder); }

// The scene, its files and the preferences naming the search folders; made once.
void MakeSceneOnce(int64_t scale) {
  const std::string folder = Folder(scale);
  if (fs::exists(folder + "/complete")) return;
  fs::remove_all(folder);
  const Shape shape = ShapeOf(scale);
  kvtest::BigSceneShape big;
  big.uses = shape.uses;
  big.distinctFiles = shape.distinct;
  big.presentFiles = shape.present;
  big.foundByName = shape.foundByName;
  kvtest::WriteBigScene(folder, big);
  // The files found by name go from the scene's "tex" folder into the search folders.
  nlohmann::json paths = nlohmann::json::array();
  for (int i = 0; i < kSearchFolders; ++i) {
    fs::create_directories(SearchFolder(scale, i));
    paths.push_back({{"path", SearchFolder(scale, i)}, {"enabled", true}});
  }
  for (int64_t file = shape.present; file < shape.present + shape.foundByName; ++file) {
    const std::string name = "t" + std::to_string(file) + ".png";
    fs::rename(folder + "/tex/" + name, SearchFolder(scale, int(file % kSearchFolders)) + "/" + name);
  }
  fs::create_directories(folder + "/prefs");
  std::ofstream(folder + "/prefs/prefs.json") << nlohmann::json{{"textureSearchPaths", paths}}.dump(2);
  std::ofstream(folder + "/complete") << "";
}

// The floor, in a process of its own (see main).
int RunFloor(const std::string& scenePath, int64_t scale) {
  std::ifstream file(scenePath);
  const nlohmann::json scene = nlohmann::json::parse(file, nullptr, false);
  if (scene.is_discarded()) return 1;
  std::vector<std::string> distinct;
  {
    std::vector<std::string> all;
    for (const auto& material : scene["materials"]) {
      for (const auto& shader : material["children"]) all.push_back(shader["params"]["1000"]["file"]);
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    distinct = std::move(all);
  }
  // Each candidate path once: the stored one, then by name in the scene's "tex" folder and in
  // each search folder, until one is there.
  const std::string folder = fs::path(scenePath).parent_path();
  std::vector<std::pair<std::string, int64_t>> present;
  struct stat info {};
  for (const std::string& path : distinct) {
    const std::string name = fs::path(path).filename();
    std::vector<std::string> candidates = {folder + "/" + path, folder + "/tex/" + name};
    for (int i = 0; i < kSearchFolders; ++i) candidates.push_back(SearchFolder(scale, i) + "/" + name);
    for (const std::string& candidate : candidates) {
      if (::stat(candidate.c_str(), &info) == 0) {
        present.emplace_back(candidate, int64_t(info.st_size));
        break;
      }
    }
  }
  std::atomic<int64_t> described{0};
  brantic::ParallelFor(present.size(), [&](size_t index) {
    // A PNG's header is read as the run reads it, without the readers; other files through them.
    if (brantic::ReadPictureHeader(present[index].first, present[index].second)) {
      described.fetch_add(1);
      return;
    }
    const brantic::Url url = brantic::Url::FromSystemPath(present[index].first);
    (void)brantic::DetectFileFormats(
        url,
        [&](const brantic::Url&, const brantic::FileFormatHandler& handler) -> brantic::Result<bool> {
          if (handler.Description()) described.fetch_add(1);
          return true;
        },
        present[index].second);
  });
  return described.load() == int64_t(present.size()) ? 0 : 1;
}

using kvbench::Bx3Path;
using kvbench::Median;
using kvbench::ProcessFigures;
using kvbench::RunProcess;
using kvbench::SelfPath;

std::vector<std::string> BatchArguments(int64_t scale) {
  const std::string folder = Folder(scale);
  return {Bx3Path(), "--batch",  "--prefs", folder + "/prefs",   folder + "/big.bx3", "--command", "1029486",
          "--wait",  "--report", "json",    folder + "/out.json"};
}

// Calls of `syscall` per distinct file in strace's summary of a run; -1 without strace.
std::map<std::string, double> SystemCallsPerFile(int64_t scale) {
  std::map<std::string, double> calls;
  if (std::system("command -v strace > /dev/null 2>&1") != 0) return calls;
  const std::string summary = Folder(scale) + "/strace.txt";
  std::string command = "strace -f -c -o " + summary;
  for (const std::string& argument : BatchArguments(scale)) command += " '" + argument + "'";
  if (std::system((command + " > /dev/null 2>&1").c_str()) != 0) return calls;
  std::ifstream in(summary);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::vector<std::string> parts;
    for (std::string part; fields >> part;) parts.push_back(part);
    if (parts.size() >= 5 && (parts.back() == "newfstatat" || parts.back() == "openat")) {
      calls[parts.back()] = std::stod(parts[3]) / double(ShapeOf(scale).distinct);
    }
  }
  return calls;
}

// Makes the scene once; false (the benchmark skipped) without bx3 built beside it.
bool SceneAndBx3Ready(benchmark::State& state, int64_t scale) {
  MakeSceneOnce(scale);
  if (fs::exists(Bx3Path())) return true;
  state.SkipWithError("bx3 is not built beside the benchmarks");
  return false;
}

void BM_WholeRun(benchmark::State& state) {
  const int64_t scale = state.range(0);
  if (!SceneAndBx3Ready(state, scale)) return;
  kvbench::PairedFigures figures;
  for (auto _ : state) {
    const ProcessFigures floor = RunProcess({SelfPath(), "--floor", Folder(scale) + "/big.bx3", std::to_string(scale)});
    const ProcessFigures run = RunProcess(BatchArguments(scale));
    if (!floor.ok || !run.ok) state.SkipWithError("a run failed");
    figures.Add(floor, run);
    state.SetIterationTime(run.seconds);
  }
  figures.SetCounters(state);
  for (const auto& [name, perFile] : SystemCallsPerFile(scale)) state.counters[name + "_per_file"] = perFile;
}
BENCHMARK(BM_WholeRun)->Arg(100)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

// bx3 --check of the same scene, headers read (--probe) and not, against the same floor.
void BM_Check(benchmark::State& state) {
  const int64_t scale = state.range(0);
  const bool probe = state.range(1) != 0;
  if (!SceneAndBx3Ready(state, scale)) return;
  const std::string folder = Folder(scale);
  std::vector<std::string> check = {
      Bx3Path(),   "--prefs", folder + "/prefs", "--check", folder + "/big.bx3", "--json", folder + "/check.json",
      "--fail-on", "none"};
  if (probe) check.push_back("--probe");
  kvbench::PairedFigures figures;
  for (auto _ : state) {
    const ProcessFigures floor = RunProcess({SelfPath(), "--floor", folder + "/big.bx3", std::to_string(scale)});
    const ProcessFigures run = RunProcess(check);
    if (!floor.ok || !run.ok) state.SkipWithError("a run failed");
    figures.Add(floor, run);
    state.SetIterationTime(run.seconds);
  }
  figures.SetCounters(state);
}
BENCHMARK(BM_Check)->Args({100, 1})->Args({100, 0})->Unit(benchmark::kSecond)->UseManualTime()->Iterations(7);

// The plain run without a report, as the runs below take it as their base.
std::vector<std::string> PlainArguments(int64_t scale) {
  std::vector<std::string> plain = BatchArguments(scale);
  plain.resize(plain.size() - 3);
  return plain;
}

// Make Paths Absolute of every row, and its undo, on top of the plain run with every row
// selected (the selection shows the current row's preview, which opens the media readers):
// each as a process of its own, five times; the medians of what each adds, in plain runs.
void BM_MakePathsAbsolute(benchmark::State& state) {
  const int64_t scale = state.range(0);
  if (!SceneAndBx3Ready(state, scale)) return;
  std::vector<std::string> plain = PlainArguments(scale);
  for (const char* action : {"--command", "1029813", "--wait"}) plain.push_back(action);
  std::vector<std::string> absolute = plain;
  for (const char* action : {"--command", "1029820", "--wait"}) absolute.push_back(action);
  std::vector<std::string> undone = absolute;
  for (const char* action : {"--undo", "--wait"}) undone.push_back(action);
  std::vector<double> plainSeconds, absoluteSeconds, undoneSeconds;
  double plainPeak = 0, peak = 0;
  for (auto _ : state) {
    const ProcessFigures runs[] = {RunProcess(plain), RunProcess(absolute), RunProcess(undone)};
    for (const ProcessFigures& run : runs) {
      if (!run.ok) state.SkipWithError("a run failed");
      peak = std::max(peak, run.peakMegabytes);
    }
    plainPeak = std::max(plainPeak, runs[0].peakMegabytes);
    plainSeconds.push_back(runs[0].seconds);
    absoluteSeconds.push_back(runs[1].seconds);
    undoneSeconds.push_back(runs[2].seconds);
    state.SetIterationTime(runs[1].seconds);
  }
  const double base = Median(plainSeconds), written = Median(absoluteSeconds), back = Median(undoneSeconds);
  state.counters["plain_s"] = base;
  state.counters["absolute_over_plain"] = (written - base) / base;
  state.counters["undo_over_plain"] = (back - written) / base;
  state.counters["plain_MB"] = plainPeak;
  state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_MakePathsAbsolute)->Arg(100)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(5);

// The flat list's JSON and text reports of every row (93 MB and 40 MB at scale 100), on top of
// the plain run without a report: each as a process of its own, five times; the medians of
// what each adds, in plain runs.
void BM_FlatReport(benchmark::State& state) {
  const int64_t scale = state.range(0);
  if (!SceneAndBx3Ready(state, scale)) return;
  const std::vector<std::string> plain = PlainArguments(scale);
  const auto reporting = [&](const char* kind, const std::string& file) {
    std::vector<std::string> arguments = plain;
    for (const std::string& action : {std::string("--command"), std::string("1051540"), std::string("--wait"),
                                      std::string("--report"), std::string(kind), file}) {
      arguments.push_back(action);
    }
    return arguments;
  };
  const std::string folder = Folder(scale);
  const std::vector<std::string> json = reporting("json", folder + "/flat.json");
  const std::vector<std::string> text = reporting("text", folder + "/flat.txt");
  std::vector<double> plainSeconds, jsonSeconds, textSeconds;
  double peak = 0;
  for (auto _ : state) {
    const ProcessFigures runs[] = {RunProcess(plain), RunProcess(json), RunProcess(text)};
    for (const ProcessFigures& run : runs) {
      if (!run.ok) state.SkipWithError("a run failed");
      peak = std::max(peak, run.peakMegabytes);
    }
    plainSeconds.push_back(runs[0].seconds);
    jsonSeconds.push_back(runs[1].seconds);
    textSeconds.push_back(runs[2].seconds);
    state.SetIterationTime(runs[1].seconds);
  }
  const double base = Median(plainSeconds);
  state.counters["plain_s"] = base;
  state.counters["json_over_plain"] = (Median(jsonSeconds) - base) / base;
  state.counters["text_over_plain"] = (Median(textSeconds) - base) / base;
  state.counters["json_MB"] = double(fs::file_size(folder + "/flat.json")) / 1e6;
  state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_FlatReport)->Arg(100)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(5);

// Collect Files of every row of a scene of 100,000 uses over 16,000 small PNGs in a library
// folder (the argument scales the counts, as above), against its floor: the plain run plus
// `cp -r` of the same files. Each run starts from a fresh scene folder holding only the scene,
// and each timed process from written-back files; the counters are medians of five. Where a
// disk's pace swings from run to run, KV_COLLECT_BENCH_FOLDER puts the files on another file
// system (say a loop-mounted ext4 image).
std::string CollectFolder(int64_t scale) {
  const char* chosen = std::getenv("KV_COLLECT_BENCH_FOLDER");
  return (chosen && *chosen ? std::string(chosen) + "/kv_bench_collect_" + std::to_string(scale)
                            : Folder(scale) + "_collect");
}

void MakeCollectSceneOnce(int64_t scale) {
  const std::string folder = CollectFolder(scale);
  if (fs::exists(folder + "/complete")) return;
  fs::remove_all(folder);
  kvtest::BigSceneShape shape;
  shape.uses = 1000 * scale;
  shape.distinctFiles = shape.presentFiles = 160 * scale;
  shape.foundByName = 0;
  shape.absolutePaths = true;
  kvtest::WriteBigScene(folder + "/lib", shape);
  fs::rename(folder + "/lib/big.bx3", folder + "/scene.bx3");
  fs::create_directories(folder + "/prefs");
  std::ofstream(folder + "/complete") << "";
}

void BM_CollectFiles(benchmark::State& state) {
  const int64_t scale = state.range(0);
  MakeCollectSceneOnce(scale);
  if (!fs::exists(Bx3Path())) return state.SkipWithError("bx3 is not built beside the benchmarks");
  const std::string folder = CollectFolder(scale), run = folder + "/run";
  const auto freshRun = [&] {
    fs::remove_all(run);
    fs::create_directories(run);
    fs::copy_file(folder + "/scene.bx3", run + "/big.bx3");
    ::sync();
  };
  const std::vector<std::string> plain = {Bx3Path(),        "--batch",   "--prefs", folder + "/prefs",
                                          run + "/big.bx3", "--command", "1029486", "--wait"};
  std::vector<std::string> collect = plain;
  for (const char* action : {"--answer", "yes", "--command", "1050522", "--wait"}) collect.push_back(action);
  std::vector<double> plainSeconds, copySeconds, collectSeconds, ratios;
  double peak = 0;
  for (auto _ : state) {
    freshRun();
    const ProcessFigures base = RunProcess(plain);
    freshRun();
    const ProcessFigures collected = RunProcess(collect);
    const bool copied = fs::exists(run + "/tex/t" + std::to_string(160 * scale - 1) + ".png");
    fs::remove_all(run + "/tex");
    ::sync();
    const ProcessFigures copy = RunProcess({"/bin/cp", "-r", folder + "/lib/maps", run + "/tex"});
    if (!base.ok || !collected.ok || !copied || !copy.ok) state.SkipWithError("a run failed");
    plainSeconds.push_back(base.seconds);
    copySeconds.push_back(copy.seconds);
    collectSeconds.push_back(collected.seconds);
    ratios.push_back(collected.seconds / (base.seconds + copy.seconds));
    peak = std::max(peak, collected.peakMegabytes);
    state.SetIterationTime(collected.seconds);
  }
  fs::remove_all(run);
  state.counters["plain_s"] = Median(plainSeconds);
  state.counters["cp_s"] = Median(copySeconds);
  state.counters["collect_s"] = Median(collectSeconds);
  state.counters["ratio"] = Median(ratios);
  state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_CollectFiles)->Arg(100)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--floor") return RunFloor(argv[2], std::atoll(argv[3]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
