#include <array>
#include <set>
#include <thread>

#include "brantic/thread.h"
#include "bx3/icons.h"
#include "bx3/scenefile.h"
#include "kestrova/inspector_fixture.h"
#include "preview/kvinfotext.h"
#include "preview/kvpreview_rules.h"

using namespace kv;
using Area = AssetPreviewArea;

namespace {

TEST(PreviewRulesTest, FittedRectangles) {
  struct Case {
    int32_t W, H, w, h;
    bool sizeDependent;
    PreviewRect expected;
  };
  const Case cases[] = {
      {180, 120, 120, 80, false, {30, 20, 120, 80}},      // smaller: 1:1, centred
      {400, 300, 2000, 1000, false, {0, 50, 400, 200}},   // landscape fit
      {400, 300, 1000, 2000, false, {125, 0, 150, 300}},  // portrait fit
      {180, 120, 181, 100, false, {0, 10, 180, 100}},     // one pixel wider counts as as wide
      {180, 120, 180, 120, false, {0, 0, 180, 120}},
      {300, 100, 40, 20, true, {0, 0, 300, 100}},  // wave forms are stretched
      {180, 120, 0, 80, false, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FittedRectangle(c.W, c.H, c.w, c.h, c.sizeDependent), c.expected) << c.w << "x" << c.h;
  }
}

TEST(PreviewRulesTest, ReducedCopiesAndZoomBounds) {
  EXPECT_EQ(ReducedCopySize(4000, 3000), (PreviewSize{900, 675}));
  EXPECT_EQ(ReducedCopySize(1000, 2000), (PreviewSize{300, 600}));
  EXPECT_EQ(ReducedCopySize(900, 600), std::nullopt);
  EXPECT_EQ(ReducedCopySize(901, 10), (PreviewSize{900, 9}));
  EXPECT_EQ(ClampZoom(170, 50, 180), 180);
  EXPECT_EQ(ClampZoom(5, -20, 180), 0);
  EXPECT_EQ(ClampZoom(90, 3, 180), 93);

  // The 1:1 view of a large picture stays inside the picture at its edges.
  const ZoomView corner = ComputeZoomView(400, 300, 2000, 1000, 0, 50);
  EXPECT_EQ(corner.source, (PreviewRect{0, 0, 400, 300}));
  const ZoomView far = ComputeZoomView(400, 300, 2000, 1000, 400, 250);
  EXPECT_EQ(far.source, (PreviewRect{1600, 700, 400, 300}));
  EXPECT_EQ(far.navigator.x + far.navigator.width, 390);
  EXPECT_EQ(far.navigator.y + far.navigator.height, 290);
}

class PreviewTest : public kvtest::InspectorFixture {
 protected:
  // Loads on a thread of its own, as the preview thread does: a host function for the GUI
  // thread only stops a debug build.
  static Area::Loaded Load(Area::Request request) {
    Area::Loaded loaded;
    bool done = false;
    std::thread([&] { done = Area::KvPreviewThread::LoadPreview(request, loaded); }).join();
    EXPECT_TRUE(done);
    return loaded;
  }
  static Area::Request FileRequest(const std::string& file, uint32_t type) {
    Area::Request request;
    request.file = bx3::Filename(file);
    request.assetType = type;
    request.hasElement = true;
    request.width = 180;
    request.height = 120;
    return request;
  }
  // Selects the row of a file and asks for its preview, as a click would.
  void Select(int64_t group) {
    const KvViewLists& lists = View().Lists();
    View().Selection().Select(
        Collection().Rows()[size_t(lists.rowIndexList[size_t(lists.viewGroups[size_t(group)][0])])]);
    View().SetCurrent(group, -1);
    kv::KvDialogTestAccess::RequestPreview(dialog_);
  }
  // The module's placeholder picture of a kind of file ("video", "image", ...).
  static bx3::BaseBitmap Placeholder(const std::string& icon) {
    bx3::BaseBitmap placeholder;
    EXPECT_EQ(placeholder.Init(bx3::Filename(std::string(KV_MODULE_SOURCE_DIR) + "/icons/" + icon + ".tif")),
              bx3::kImageResultOk);
    return placeholder;
  }
  void FinishPreviews() {
    brantic::ThreadInterface::WaitAllRuns();
    brantic::DrainMainThreadQueue();
  }
};

TEST_F(PreviewTest, TheDecisionChain) {
  // Large pictures get a reduced copy; small ones are drawn themselves.
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "large.jpg", {.width = 4000, .height = 3000}));
  const Area::Loaded big = Load(FileRequest(folder_ / "large.jpg", ASSETTYPE_IMAGE));
  EXPECT_TRUE(big.hasReducedCopy);
  EXPECT_EQ(big.display.GetBw(), 900);
  EXPECT_EQ(big.display.GetBh(), 675);
  EXPECT_EQ(big.full.GetBw(), 4000);
  EXPECT_FALSE(Load(FileRequest(folder_ / "tex/a.png", ASSETTYPE_IMAGE)).hasReducedCopy);

  // A missing movie shows the movie placeholder; a folder is no file.
  const Area::Loaded missing = Load(FileRequest(folder_ / "gone.mov", ASSETTYPE_VIDEO));
  const bx3::BaseBitmap placeholder = Placeholder("video");
  EXPECT_EQ(missing.full, placeholder);
  EXPECT_EQ(Load(FileRequest(folder_ / "tex", ASSETTYPE_VIDEO)).full, placeholder);

  // A scene file shows its stored preview, or the placeholder of 3D references.
  bx3::Document withPreview;
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "preview.png", {.width = 40, .height = 30}));
  withPreview.SetPreviewPng(kvtest::ReadBytes(folder_ / "preview.png"));
  ASSERT_TRUE(bx3::SaveDocument(withPreview, folder_ / "with.bx3"));
  bx3::Document withoutPreview;
  ASSERT_TRUE(bx3::SaveDocument(withoutPreview, folder_ / "without.bx3"));
  EXPECT_EQ(Load(FileRequest(folder_ / "with.bx3", ASSETTYPE_REFERENCED3D)).full.GetBw(), 40);
  const bx3::BaseBitmap reference = Placeholder("referenced3d");
  EXPECT_EQ(Load(FileRequest(folder_ / "without.bx3", ASSETTYPE_REFERENCED3D)).full, reference);

  // A sound shows its wave form, drawn for the area's size.
  ASSERT_TRUE(kvtest::WriteSound(folder_ / "hum.wav", 0x010002, 1, 8000, 800));
  Area::Request sound = FileRequest(folder_ / "hum.wav", ASSETTYPE_AUDIO);
  sound.sizeDependent = true;
  sound.width = 300;
  sound.height = 90;
  sound.waveColor = bx3::Rgb{1, 2, 3};
  sound.waveBackground = bx3::Rgb{4, 5, 6};
  const Area::Loaded wave = Load(std::move(sound));
  EXPECT_EQ(wave.full.GetBw(), 300);
  EXPECT_EQ(wave.full.GetBh(), 90);
  // Drawn in the colours the request brought from the GUI thread.
  std::set<std::array<uint8_t, 3>> colours;
  for (int32_t y = 0; y < 90; ++y) {
    for (int32_t x = 0; x < 300; ++x) {
      std::array<uint8_t, 3> c{};
      wave.full.GetPixel(x, y, c[0], c[1], c[2]);
      colours.insert(c);
    }
  }
  EXPECT_EQ(colours, (std::set<std::array<uint8_t, 3>>{{1, 2, 3}, {4, 5, 6}}));

  // A layer group without a layer shows the host's no-layer icon.
  Area::Request noLayer;
  noLayer.iconId = bx3::icon::kNoLayer;
  noLayer.noFileMode = true;
  EXPECT_EQ(Load(std::move(noLayer)).full.GetIconId(), bx3::icon::kNoLayer);

  // A group of no particular type has nothing to show.
  Area::Request nothing;
  nothing.noFileMode = true;
  Area::Loaded none;
  EXPECT_FALSE(Area::KvPreviewThread::LoadPreview(nothing, none));
}

TEST_F(PreviewTest, RapidReselectionEndsWithTheLastRow) {
  // Two files of different sizes, so that the shown picture tells which one it is.
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "tex/b.png", {.width = 96, .height = 40}));
  OpenSettled();
  for (int i = 0; i < 100; ++i) Select(i % 2);  // a.png, b.png, a.png, ...; b.png last
  FinishPreviews();
  const Area& area = Preview();
  EXPECT_TRUE(area.PreviewReady());
  EXPECT_EQ(area.PreviewFile().GetFileView(), "b.png");
  EXPECT_EQ(area.FullBitmap().GetBw(), 96);
  EXPECT_THAT(Text(kGadgetInfo), testing::HasSubstr("b.png"));

  // Nothing selected: an empty area and the note that nothing is selected.
  View().Selection().Clear(Collection().Rows());
  kv::KvDialogTestAccess::RequestPreview(dialog_);
  EXPECT_FALSE(area.PreviewShown());
  EXPECT_EQ(Text(kGadgetInfo), "<<" + GetResourceString(res::kNothingSelected).Std() + ">>");
}

// What used to go wrong: a picture whose header asked for more memory than there is took the
// program down, and one that could not be read left the area empty without a word.
TEST_F(PreviewTest, AnUnreadablePictureShowsThePlaceholderAndSaysSo) {
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "tex/b.exr",
                                 {.width = 64, .height = 64, .format = "half", .tileWidth = 16, .tileHeight = 16}));
  ASSERT_TRUE(kvtest::PatchExrAttribute(folder_ / "tex/b.exr", "tiles",
                                        kvtest::LittleEndian32({65536, 65536}) + std::string(1, '\0')));
  materials_[3]->GetChildren().front()->SetParameter(bx3::param::kBitmapFile, bx3::Filename("tex/b.exr"));
  const Area::Loaded loaded = Load(FileRequest(folder_ / "tex/b.exr", ASSETTYPE_IMAGE));
  EXPECT_TRUE(loaded.unreadable);
  const bx3::BaseBitmap placeholder = Placeholder("image");
  EXPECT_EQ(loaded.full, placeholder);

  OpenSettled();
  Select(1);  // b.exr
  FinishPreviews();
  EXPECT_TRUE(Preview().PreviewReady());
  std::string info = Text(kGadgetInfo);
  EXPECT_EQ(info.rfind(GetResourceString(res::kPictureUnreadable).Std() + "\n\n", 0), 0u) << info;
  EXPECT_NE(info.find("b.exr"), std::string::npos) << info;
}

TEST_F(PreviewTest, ALightProfileIsDrawnAndADamagedOneGetsThePlaceholder) {
  // A round spot: one curve, straight down from the centre.
  kvtest::WriteBytes(folder_ / "spot.ies",
                     "IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 3 1 1 2 0 0 0\n1 1 40\n0 45 90\n0\n900 500 0\n");
  const auto request = [&] {
    Area::Request made = FileRequest(folder_ / "spot.ies", ASSETTYPE_OTHER);
    made.profileColors = {{0, 0, 0}, {60, 60, 60}, {255, 0, 0}, {0, 255, 0}};
    return made;
  };
  const Area::Loaded drawn = Load(request());
  ASSERT_EQ(drawn.full.GetBw(), 180);
  ASSERT_EQ(drawn.full.GetBh(), 120);
  EXPECT_FALSE(drawn.unreadable);
  // The curve reaches the outer ring below the centre: red there, and nowhere green.
  uint8_t r = 0, g = 0, b = 0;
  drawn.full.GetPixel(90, 60 + 56 - 1, r, g, b);
  EXPECT_GT(r, 100) << int(r) << " " << int(g) << " " << int(b);
  for (int32_t y = 0; y < 120; ++y) {
    for (int32_t x = 0; x < 180; ++x) {
      drawn.full.GetPixel(x, y, r, g, b);
      ASSERT_LT(g, 100) << x << "," << y;
    }
  }

  kvtest::WriteBytes(folder_ / "spot.ies", "IESNA:LM-63-2002\nTILT=NONE\n1 1000 1 3 1 1 2 0 0 0\n1 1 40\n0 45 x\n");
  const Area::Loaded damaged = Load(request());
  const bx3::BaseBitmap placeholder = Placeholder("Other");
  EXPECT_EQ(damaged.full, placeholder);
  EXPECT_FALSE(damaged.unreadable) << "the information text says why, not the picture note";
}

TEST_F(PreviewTest, AHugePictureIsReducedWhileItIsRead) {
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "wide.png", {.width = 1800, .height = 300}));
  const auto request = [&](int64_t wholePicturePixels) {
    Area::Request made = FileRequest(folder_ / "wide.png", ASSETTYPE_IMAGE);
    made.wholePicturePixels = wholePicturePixels;
    return made;
  };
  // Treated as a picture far larger than 8K would be: only the reduced copy is made, and it
  // is the picture, also for the 1:1 view.
  const Area::Loaded reduced = Load(request(100000));
  EXPECT_FALSE(reduced.hasReducedCopy);
  EXPECT_EQ(reduced.full.GetBw(), 900);
  EXPECT_EQ(reduced.full.GetBh(), 150);
  EXPECT_TRUE(reduced.display.IsEmpty());
  // The same copy as the whole picture scaled down.
  const Area::Loaded whole = Load(request(kWholePreviewPixels));
  EXPECT_TRUE(whole.hasReducedCopy);
  EXPECT_EQ(whole.full.GetBw(), 1800);
  EXPECT_EQ(whole.display.Pixels(), reduced.full.Pixels());
  // A newer request stops such a read.
  Area::Loaded stopped;
  EXPECT_TRUE(Area::KvPreviewThread::LoadPreview(request(100000), stopped, [] { return true; }));
  EXPECT_TRUE(stopped.stopped);
}

TEST_F(PreviewTest, ClosingDuringALoadIsSafe) {
  ASSERT_TRUE(kvtest::WriteImage(folder_ / "tex/b.png", {.width = 3000, .height = 3000}));
  auto dialog = std::make_unique<KestrovaDialog>();
  ASSERT_TRUE(dialog->Open(bx3::kDialogNonModal, kMainCommandId, -1, -1, 1200, 500));
  auto& rows = KvDialogTestAccess::Collection(*dialog).Rows();
  KvViewState& view = KvDialogTestAccess::View(*dialog);
  view.Selection().Select(rows[size_t(view.Lists().rowIndexList[size_t(view.Lists().viewGroups[1][0])])]);
  view.SetCurrent(1, -1);
  KvDialogTestAccess::RequestPreview(*dialog);
  dialog->Close();
  dialog.reset();  // waits for the load; its completion finds no dialog
  FinishPreviews();
  FinishJobs();
}

// A user area host that plays back a drag.
class DragHost : public kvtest::RecordingAreaHost {
 public:
  using RecordingAreaHost::RecordingAreaHost;
  int32_t Width() const override { return 180; }
  int32_t Height() const override { return 120; }
  bool IsMouseButtonDown(int32_t) const override { return true; }
  int32_t NextDragStep(double& dx, double& dy) override {
    if (step >= steps.size()) return bx3::kDragFinished;
    dx = steps[step].first;
    dy = steps[step].second;
    ++step;
    return bx3::kDragContinue;
  }
  std::vector<std::pair<double, double>> steps;
  size_t step = 0;
};

TEST_F(PreviewTest, ZoomTogglesAndDraggingStaysInside) {
  Area area;
  DragHost host(area);
  ASSERT_TRUE(area.Init());
  bx3::Container click(0);
  click.SetInt32(bx3::input::kChannel, bx3::input::kMouseLeft);
  click.SetBool(bx3::input::kDoubleClick, true);
  click.SetInt32(bx3::input::kMouseX, 100);
  click.SetInt32(bx3::input::kMouseY, 60);
  ASSERT_TRUE(area.HandleInput(click));
  EXPECT_TRUE(area.ZoomActive());
  EXPECT_EQ(area.ZoomX(), 100);

  bx3::Container press(0);
  press.SetInt32(bx3::input::kChannel, bx3::input::kMouseLeft);
  host.steps = {{50, -10}, {0, 0}, {500, -500}, {-30, 20}};
  ASSERT_TRUE(area.HandleInput(press));
  EXPECT_EQ(area.ZoomX(), 150);  // 100 + 50, then 180 at the edge, then 180 - 30
  EXPECT_EQ(area.ZoomY(), 20);   // 60 - 10, then 0 at the edge, then 0 + 20

  bx3::Container right(0);
  right.SetInt32(bx3::input::kChannel, bx3::input::kMouseRight);
  ASSERT_TRUE(area.HandleInput(right));
  EXPECT_FALSE(area.ZoomActive());
  EXPECT_EQ(area.ZoomX(), 0);
}

TEST_F(PreviewTest, AShownElementThatIsDeletedIsNotTouched) {
  OpenSettled();
  Select(1);  // b.png, used by Steel
  FinishPreviews();
  materials_[3]->Remove();
  // A later load of the same request (a resize does this for sounds) finds the element gone.
  ASSERT_TRUE(Preview().StartLoading());
  FinishPreviews();
  // The change message that follows takes the row away, and the preview with it.
  EXPECT_FALSE(Preview().PreviewShown());
  EXPECT_EQ(Text(kGadgetInfo), NothingSelectedText());
}

}  // namespace
