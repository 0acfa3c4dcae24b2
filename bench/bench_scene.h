// A scene of bitmap-shader uses over 20% as many distinct small pictures (10% of them
// missing, every hundredth a sequence), made in a temporary folder and made the host's only
// document, for the benchmarks of the inspector.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bx3/host.h"
#include "bx3/qtgui.h"
#include "ids/kvresources.h"
#include "support/media_fixtures.h"
#include "support/temp_folder.h"

namespace kvbench {

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

// The GUI (offscreen when asked) and the module's resources, once per program.
// Whole runs timed by hand, five times, reported as aggregates in milliseconds.
inline void FiveTimedRuns(benchmark::internal::Benchmark* runs) {
  runs->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->UseManualTime()->Unit(benchmark::kMillisecond);
}

inline void InitializeGuiOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  bx3::InitializeGui(argc, argv);
  kv::LoadModuleResources(KV_MODULE_SOURCE_DIR);
}

}  // namespace kvbench
