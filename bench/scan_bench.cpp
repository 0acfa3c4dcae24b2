// bx3 --scan of a generated project, 1,000 scenes of 100 uses each over 2,000 textures (a
// tenth of them missing), against the floor of the same work: parse every scene file and ask
// the file system once per distinct path. Both run as processes of their own. The argument
// scales the number of scenes (1000: the counts above).
//
//   ./bench/scan_bench [--benchmark_filter=...]        (needs bx3 built beside it)
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "process_figures.h"
#include "support/big_scene.h"

namespace {

namespace fs = std::filesystem;

constexpr int64_t kUsesPerScene = 100;
constexpr int64_t kTextures = 2000;
constexpr int64_t kPresentTextures = 1800;
constexpr int64_t kScenesPerFolder = 20;

std::string Folder(int64_t scenes) { return "/tmp/kv_bench_scan_" + std::to_string(scenes); }

// The project: shots/fNN/sNNNN.bx3 and tex/tN.png; made once.
void MakeProjectOnce(int64_t scenes) {
  const std::string folder = Folder(scenes);
  if (fs::exists(folder + "/complete")) return;
  fs::remove_all(folder);
  fs::create_directories(folder + "/tex");
  for (int64_t texture = 0; texture < kPresentTextures; ++texture) {
    std::ofstream(folder + "/tex/t" + std::to_string(texture) + ".png", std::ios::binary)
        .write(reinterpret_cast<const char*>(kvtest::kTinyPng), sizeof kvtest::kTinyPng);
  }
  for (int64_t scene = 0; scene < scenes; ++scene) {
    const std::string shots = folder + "/shots/f" + std::to_string(scene / kScenesPerFolder);
    fs::create_directories(shots);
    std::ofstream out(shots + "/s" + std::to_string(scene) + ".bx3");
    out << R"({"format": "bx3-scene", "version": 1, "materials": [)";
    int64_t id = 1;
    for (int64_t use = 0; use < kUsesPerScene; use += 10) {
      out << (use ? ",\n" : "\n") << R"({"id": )" << id++ << R"(, "type": "material.standard", "name": "M", )"
          << R"("children": [)";
      for (int64_t shader = 0; shader < 10; ++shader) {
        const int64_t texture = (scene * 7 + (use + shader) * 31) % kTextures;
        out << (shader ? ", " : "") << R"({"id": )" << id++ << R"(, "type": "shader.bitmap", "name": "S", )"
            << R"("params": {"1000": {"file": "../../tex/t)" << texture << R"(.png"}}})";
      }
      out << "]}";
    }
    out << "\n]}\n";
  }
  std::ofstream(folder + "/complete") << "";
}

// The floor, in a process of its own: every scene parsed, each distinct path asked once.
int RunFloor(const std::string& project) {
  std::vector<std::string> scenes;
  for (const auto& entry : fs::recursive_directory_iterator(project + "/shots")) {
    if (entry.path().extension() == ".bx3") scenes.push_back(entry.path());
  }
  std::set<std::string> distinct;
  for (const std::string& scene : scenes) {
    std::ifstream file(scene);
    const nlohmann::json json = nlohmann::json::parse(file, nullptr, false);
    if (json.is_discarded()) return 1;
    const std::string folder = fs::path(scene).parent_path();
    for (const auto& material : json["materials"]) {
      for (const auto& shader : material["children"]) {
        distinct.insert(
            fs::path(folder + "/" + shader["params"]["1000"]["file"].get<std::string>()).lexically_normal());
      }
    }
  }
  int64_t present = 0;
  struct stat info {};
  for (const std::string& path : distinct) present += ::stat(path.c_str(), &info) == 0;
  return present == kPresentTextures ? 0 : 1;
}

void BM_Scan(benchmark::State& state) {
  const int64_t scenes = state.range(0);
  MakeProjectOnce(scenes);
  if (!fs::exists(kvbench::Bx3Path())) {
    state.SkipWithError("bx3 is not built beside the benchmarks");
    return;
  }
  const std::string folder = Folder(scenes);
  kvbench::PairedFigures figures;
  for (auto _ : state) {
    const kvbench::ProcessFigures floor = kvbench::RunProcess({kvbench::SelfPath(), "--floor", folder});
    const kvbench::ProcessFigures run =
        kvbench::RunProcess({kvbench::Bx3Path(), "--prefs", folder + "/prefs", "--scan", folder + "/shots", "--json",
                             folder + "/scan.json", "--fail-on", "none"});
    if (!floor.ok || !run.ok) state.SkipWithError("a run failed");
    figures.Add(floor, run);
    state.SetIterationTime(run.seconds);
  }
  figures.SetCounters(state);
}
BENCHMARK(BM_Scan)->Arg(1000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(15);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--floor") return RunFloor(argv[2]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
