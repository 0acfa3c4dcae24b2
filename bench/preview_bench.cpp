// From a preview request to a ready preview, for an 8K EXR and a 4000 × 3000 JPEG, next to a
// bare OpenImageIO load of the same file plus a resize to the size of the reduced copy.
#include <benchmark/benchmark.h>

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>

#include "brantic/mainthread.h"
#include "brantic/thread.h"
#include "bx3/host.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "preview/kvpreview_rules.h"
#include "support/dialog_access.h"
#include "support/fake_dialog.h"
#include "support/media_fixtures.h"
#include "support/temp_folder.h"
#include "window/kvdialog.h"

namespace {

struct Files {
  kvtest::TempFolder folder;
  std::string exr, jpeg;
  Files() {
    kvtest::ImageFile exrImage;
    exrImage.width = 7680;
    exrImage.height = 4320;
    exrImage.format = "half";
    exr = folder / "eight_k.exr";
    kvtest::WriteImage(exr, exrImage);
    kvtest::ImageFile jpegImage;
    jpegImage.width = 4000;
    jpegImage.height = 3000;
    jpeg = folder / "photo.jpg";
    kvtest::WriteImage(jpeg, jpegImage);
  }
  const std::string& Get(int64_t which) const { return which == 0 ? exr : jpeg; }
};

Files& SharedFiles() {
  static Files files;
  return files;
}

void BM_PreviewRequestToReady(benchmark::State& state) {
  bx3::InitializeHost();
  kv::LoadModuleResources(KV_MODULE_SOURCE_DIR);
  kvtest::FakeToolkit toolkit;
  bx3::SetDialogToolkit(&toolkit);
  const std::string& file = SharedFiles().Get(state.range(0));
  {
    kv::KestrovaDialog dialog;
    dialog.Open(bx3::kDialogNonModal, kv::kMainCommandId, -1, -1, 1200, 500);
    kv::AssetPreviewArea& area = kv::KvDialogTestAccess::PreviewArea(dialog);
    for (auto _ : state) {
      area.ResetPreview();
      area.SetRequest(bx3::Filename(file), nullptr, kv::ASSETTYPE_IMAGE, false, -1, false);
      area.StartLoading();
      brantic::ThreadInterface::WaitAllRuns();
      brantic::DrainMainThreadQueue();
      if (!area.PreviewReady()) state.SkipWithError("the preview did not load");
    }
    state.counters["reduced_width"] = area.DisplayBitmap().GetBw();
    dialog.Close();
  }
  bx3::SetDialogToolkit(nullptr);
  state.SetLabel(state.range(0) == 0 ? "7680x4320 EXR" : "4000x3000 JPEG");
}
BENCHMARK(BM_PreviewRequestToReady)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareLoadAndResize(benchmark::State& state) {
  const std::string& file = SharedFiles().Get(state.range(0));
  for (auto _ : state) {
    OIIO::ImageBuf source(file);
    source.read(0, 0, true, OIIO::TypeDesc::UINT8);
    const auto size = kv::ReducedCopySize(source.spec().width, source.spec().height);
    OIIO::ImageBuf reduced = OIIO::ImageBufAlgo::resize(
        source, "box", 0, OIIO::ROI(0, size->width, 0, size->height, 0, 1, 0, source.nchannels()));
    benchmark::DoNotOptimize(reduced.localpixels());
  }
  state.SetLabel(state.range(0) == 0 ? "7680x4320 EXR" : "4000x3000 JPEG");
}
BENCHMARK(BM_BareLoadAndResize)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
