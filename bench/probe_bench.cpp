// Probing asset files (size, type, format, resolution) as the collection's worker jobs do,
// over 2,000 PNG, 200 EXR, 50 movie and 50 sound files, next to a bare loop that reads the
// same headers with OpenImageIO and libavformat directly.
#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>
#include <sndfile.h>
extern "C" {
#include <libavformat/avformat.h>
}

#include <filesystem>
#include <string>
#include <vector>

#include "bx3/host.h"
#include "collection/kvassettype.h"
#include "collection/kvprobe.h"
#include "preview/kvinfotext.h"
#include "support/media_fixtures.h"

namespace {

struct Files {
  kvtest::TempFolder folder;
  std::vector<std::string> pictures;  // read through the image library
  std::vector<std::string> media;     // read through the movie library

  Files() {
    kvtest::ImageFile png;
    png.width = png.height = 256;
    kvtest::ImageFile exr;
    exr.width = exr.height = 256;
    exr.channels = {"R", "G", "B", "A"};
    exr.alphaChannel = 3;
    exr.format = "half";
    Require(kvtest::WriteImage(folder / "master.png", png));
    Require(kvtest::WriteImage(folder / "master.exr", exr));
    Require(kvtest::WriteSound(folder / "master.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000, 48000));
    const bool movie = kvtest::WriteMovie(folder / "master.mov");
    for (int i = 0; i < 2000; ++i) Copy("master.png", "p" + std::to_string(i) + ".png", pictures);
    for (int i = 0; i < 200; ++i) Copy("master.exr", "e" + std::to_string(i) + ".exr", pictures);
    for (int i = 0; movie && i < 50; ++i) Copy("master.mov", "m" + std::to_string(i) + ".mov", media);
    for (int i = 0; i < 50; ++i) Copy("master.wav", "s" + std::to_string(i) + ".wav", media);
    bx3::InitializeHost();
  }
  static void Require(bool ok) {
    if (!ok) std::abort();
  }
  void Copy(const std::string& from, const std::string& to, std::vector<std::string>& list) {
    std::filesystem::copy_file(folder / from, folder / to);
    list.push_back(folder / to);
  }
  size_t Count() const { return pictures.size() + media.size(); }
};

Files& GetFiles() {
  static Files files;
  return files;
}

void BM_ProbeAssetFile(benchmark::State& state) {
  Files& files = GetFiles();
  std::vector<kv::KvAssetEntry> rows;
  for (const auto* list : {&files.pictures, &files.media}) {
    for (const std::string& path : *list) {
      kv::KvAssetEntry entry;
      entry.assetPath = bx3::Filename(path);
      entry.resolvedUrl = brantic::Url::FromSystemPath(path);
      kv::ClassifyAssetFile(entry);
      rows.push_back(entry);
    }
  }
  int64_t pixels = 0;
  for (auto _ : state) {
    for (kv::KvAssetEntry row : rows) {
      kv::ProbeAssetFile(row);
      pixels += row.resolutionX;
    }
  }
  benchmark::DoNotOptimize(pixels);
  state.counters["files/s"] =
      benchmark::Counter(double(state.iterations() * files.Count()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProbeAssetFile)->Unit(benchmark::kMillisecond)->MinTime(5.0);

// 10,000 files named as pictures that hold none: half empty, half text. Their first bytes turn
// them away before any reader is tried.
void BM_ProbeEmptyAndForeignFiles(benchmark::State& state) {
  static kvtest::TempFolder folder;
  static std::vector<kv::KvAssetEntry> rows = [] {
    std::vector<kv::KvAssetEntry> made;
    for (int i = 0; i < 10000; ++i) {
      const std::string path = folder / ("f" + std::to_string(i) + ".png");
      kvtest::WriteBytes(path, i % 2 ? "not a picture\n" : "");
      kv::KvAssetEntry entry;
      entry.assetPath = bx3::Filename(path);
      entry.resolvedUrl = brantic::Url::FromSystemPath(path);
      kv::ClassifyAssetFile(entry);
      made.push_back(entry);
    }
    return made;
  }();
  int64_t unreadable = 0;
  for (auto _ : state) {
    for (kv::KvAssetEntry row : rows) unreadable += kv::ProbeAssetFile(row) ? 0 : 1;
  }
  if (unreadable != int64_t(state.iterations()) * 10000) state.SkipWithError("a file was read as a picture");
  state.counters["files/s"] = benchmark::Counter(double(state.iterations() * rows.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProbeEmptyAndForeignFiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The libraries alone: open, read the header, close.
void BM_BareHeaderReads(benchmark::State& state) {
  Files& files = GetFiles();
  OIIO::attribute("openexr:core", 1);
  av_log_set_level(AV_LOG_QUIET);
  int64_t pixels = 0;
  for (auto _ : state) {
    for (const std::string& path : files.pictures) {
      auto input = OIIO::ImageInput::open(path);
      pixels += input->spec().width;
    }
    for (const std::string& path : files.media) {
      AVFormatContext* context = nullptr;
      if (avformat_open_input(&context, path.c_str(), nullptr, nullptr) == 0) {
        avformat_find_stream_info(context, nullptr);
        pixels += context->nb_streams;
        avformat_close_input(&context);
      }
    }
  }
  benchmark::DoNotOptimize(pixels);
  state.counters["files/s"] =
      benchmark::Counter(double(state.iterations() * files.Count()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareHeaderReads)->Unit(benchmark::kMillisecond)->MinTime(5.0);

}  // namespace

BENCHMARK_MAIN();
