#include "preview/kvpreviewarea.h"

#include <sys/stat.h>

#include <algorithm>

#include "brantic/application.h"
#include "brantic/mainthread.h"
#include "bx3/canvas.h"
#include "bx3/host.h"
#include "bx3/icons.h"
#include "bx3/lightprofile.h"
#include "bx3/sound.h"
#include "bx3/types.h"
#include "collection/kvassettype.h"
#include "ids/kvresources.h"
#include "preview/kvinfotext.h"
#include "preview/kvpreview_rules.h"

namespace kv {

namespace {

constexpr int32_t kMinimumWidth = 180;
constexpr int32_t kMinimumHeight = 120;

bool IsRegularFile(const bx3::Filename& file) {
  struct stat info {};
  return file.IsPopulated() && ::stat(file.GetString().Std().c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bx3::Rgb Grey(int32_t level) { return bx3::Rgb{uint8_t(level), uint8_t(level), uint8_t(level)}; }

// The placeholder picture of an asset type, from the icons folder beside the program's modules.
bool LoadPlaceholder(uint32_t assetType, bx3::BaseBitmap& bitmap) {
  const std::string_view name = PlaceholderFileName(assetType);
  brantic::Url folder = brantic::GetApplicationLocation(brantic::ApplicationLocation::Application);
  if (folder.IsEmpty() || name.empty()) return false;
  for (std::string_view part : {"modules", "kestrova", "icons"}) {
    auto next = folder.Append(part);
    if (!next) return false;
    folder = *next;
  }
  const bx3::Filename file(folder.GetSystemPath() + "/" + std::string(name));
  return bitmap.Init(file) == bx3::kImageResultOk;
}

}  // namespace

// --- the thread

AssetPreviewArea::KvPreviewThread::~KvPreviewThread() {
  Cancel();
  Wait(1e30);
}

brantic::Result<void> AssetPreviewArea::KvPreviewThread::operator()() {
  brantic::Result<void> result;
  // Requests that came while a load ran are taken one after another; only the newest is kept.
  while (std::optional<Request> request = area_.TakeRequest()) {
    if (IsCancelled()) continue;
    Loaded loaded;
    // A large picture read strip by strip gives way to a newer request.
    if (!LoadPreview(*request, loaded, [this] { return IsCancelled() || area_.HasPendingRequest(); })) {
      result = brantic::OutOfMemoryError("the preview could not be loaded");
      continue;
    }
    if (loaded.stopped) continue;
    result = brantic::OK();
    brantic::ExecuteOnMainThread(
        [area = request->area, serial = request->serial, loaded = std::move(loaded)]() mutable {
          FinishPreview(area, serial, std::move(loaded));
        });
  }
  return result;
}

bool AssetPreviewArea::KvPreviewThread::LoadPreview(const Request& request, Loaded& loaded,
                                                    const std::function<bool()>& stop) {
  if (!request.reload && !request.sizeDependent) {
    loaded.keepCurrent = true;
    return true;
  }
  bx3::BaseBitmap& full = loaded.full;
  const bool fileExists = IsRegularFile(request.file);

  bool fallBack = false;
  if (request.iconId != -1) {
    if (bx3::GetIcon(request.iconId, full)) return true;
    fallBack = true;
  }
  if (!fallBack && fileExists && request.file.CheckSuffix("ies")) {
    // A light profile is drawn as its candela distribution; a damaged one gets the
    // placeholder (the information text says why).
    bx3::BaseLightProfile profile;
    if (profile.Load(request.file) && full.Init(std::max(1, request.width), std::max(1, request.height), 24) &&
        profile.GetBitmap(full, request.profileColors)) {
      return true;
    }
    full.FlushAll();
    return LoadPlaceholder(request.assetType, full);
  }
  if (!fallBack && fileExists && (IsImageFile(request.file) || IsVideoFile(request.file))) {
    brantic::PictureFit fit;
    fit.wholeUpTo = request.wholePicturePixels;
    fit.reducedSize = [](int32_t width, int32_t height) {
      const std::optional<PreviewSize> reduced = ReducedCopySize(width, height);
      return reduced ? brantic::PictureSize{reduced->width, reduced->height} : brantic::PictureSize{width, height};
    };
    fit.stop = stop;
    switch (full.Init(request.file, fit)) {
      case bx3::kImageResultOk: break;
      case bx3::kImageResultCancelled: loaded.stopped = true; return true;
      default:
        // A damaged or unreadable picture: its type's placeholder, and a note in the text.
        full.FlushAll();
        loaded.unreadable = true;
        return LoadPlaceholder(request.assetType, full);
    }
    // Too large to hold whole: the copy read is all there is, also for the 1:1 view.
    if (full.WasReduced()) return true;
    const std::optional<PreviewSize> reduced = ReducedCopySize(full.GetBw(), full.GetBh());
    if (!reduced) return true;
    if (!loaded.display.Init(reduced->width, reduced->height, 24)) return false;
    full.ScaleTo(loaded.display);
    loaded.hasReducedCopy = true;
    return true;
  }
  if (!fallBack && request.drawingElement) {
    bx3::ParamBitmapRequest drawn{bx3::kParamSimulationPreview, request.width, nullptr};
    request.drawingElement->Message(bx3::kMsgGetParamBitmap, &drawn);
    if (!drawn.bitmap) return false;
    full = std::move(*drawn.bitmap);
    return true;
  }
  if (!fallBack && request.elementIcon) {
    full = *request.elementIcon;
    return true;
  }
  if (!fallBack && request.hasElement && !request.noFileMode && fileExists) {
    if (request.assetType == ASSETTYPE_AUDIO) {
      bx3::BaseSound sound;
      if (sound.Load(request.file) && full.Init(std::max(1, request.width), std::max(1, request.height), 24)) {
        const bx3::SoundInformation info = sound.GetSoundInfo();
        if (!sound.GetBitmap(full, brantic::TimeValue(), SoundDuration(info), request.waveColor,
                             request.waveBackground)) {
          return false;
        }
        return true;
      }
      full.FlushAll();
    } else if (request.file.CheckSuffix("bx3") && bx3::LoadScenePreview(request.file, full)) {
      return true;
    }
  }
  // Nothing better: the type's placeholder.
  if (request.assetType == 0) return false;
  return LoadPlaceholder(request.assetType, full);
}

void AssetPreviewArea::KvPreviewThread::FinishPreview(const brantic::WeakRef<AssetPreviewArea>& target, uint64_t serial,
                                                      Loaded loaded) {
  auto locked = target.Lock();
  if (!locked) return;
  AssetPreviewArea& area = *locked.Get();
  // The pictures of an earlier request never show for a later one.
  if (serial != area.serial_) return;
  if (!loaded.keepCurrent) {
    area.fullBitmap_ = std::move(loaded.full);
    area.displayBitmap_ = std::move(loaded.display);
    area.hasReducedCopy_ = loaded.hasReducedCopy;
  }
  if (loaded.unreadable) {
    area.infoText_ = brantic::String(GetResourceString(res::kPictureUnreadable).Std() + "\n\n" + area.infoText_.Std());
    if (area.infoTextSink_) area.infoTextSink_(area.infoText_);
  }
  area.reloadRequested_ = false;
  // A wave form keeps showing, stretched, while the next one is drawn for a new size.
  if (area.sizeDependent_ && !area.fullBitmap_.IsEmpty()) area.fullBitmap_.CopyTo(area.displayBitmap_);
  area.previewReady_ = true;
  area.Redraw();
}

// --- the area

AssetPreviewArea::AssetPreviewArea() = default;

AssetPreviewArea::~AssetPreviewArea() {
  anchor_.Invalidate();
  {
    std::lock_guard lock(requestMutex_);
    pending_.reset();
  }
  // The thread finishes the load it is in, then ends; its completion finds no area.
  previewThread_.reset();
}

bool AssetPreviewArea::Init() {
  infoText_ = NothingSelectedText();
  if (!previewThread_) previewThread_ = std::make_unique<KvPreviewThread>(*this);
  return previewThread_ != nullptr;
}

bool AssetPreviewArea::MinimumSize(int32_t& width, int32_t& height) {
  width = kMinimumWidth;
  height = kMinimumHeight;
  return true;
}

void AssetPreviewArea::SizeChanged(int32_t width, int32_t height) {
  zoomActive_ = false;
  if (width == areaWidth_ && height == areaHeight_) return;
  areaWidth_ = width;
  areaHeight_ = height;
  if (sizeDependent_ && previewShown_ && previewThread_) {
    // A wave form is drawn for the area's size.
    previewReady_ = false;
    Submit(MakeRequest());
  }
}

void AssetPreviewArea::DrawArea(int32_t, int32_t, int32_t, int32_t, const bx3::Container& message) {
  const int32_t reason = message.GetInt32(bx3::input::kDrawReason);
  if (reason == bx3::input::kDrawFocusGained || reason == bx3::input::kDrawFocusLost) return;
  OffScreenOn();
  DrawSetPen(bx3::GetHostColor(bx3::color::kBackground));
  DrawRectangle(0, 0, areaWidth_, areaHeight_);
  if (!previewShown_) return;
  const bx3::BaseBitmap* bitmap = nullptr;
  if (previewReady_) {
    bitmap = !hasReducedCopy_ || zoomActive_ ? &fullBitmap_ : &displayBitmap_;
  } else if (sizeDependent_) {
    bitmap = &displayBitmap_;
  }
  if (!bitmap || bitmap->IsEmpty()) return;
  const int32_t W = areaWidth_, H = areaHeight_;
  int32_t w = bitmap->GetBw();
  const int32_t h = bitmap->GetBh();
  if (w == W + 1) w = W;
  if (w <= W && h <= H) zoomActive_ = false;
  if (!zoomActive_) {
    const PreviewRect fitted = FittedRectangle(W, H, bitmap->GetBw(), h, sizeDependent_);
    DrawBitmap(*bitmap, fitted.x, fitted.y, fitted.width, fitted.height, 0, 0, bitmap->GetBw(), h,
               bx3::kBitmapScaled | bx3::kBitmapUnscaled);
    return;
  }
  const ZoomView view = ComputeZoomView(W, H, w, h, zoomX_, zoomY_);
  DrawBitmap(*bitmap, view.destination.x, view.destination.y, view.destination.width, view.destination.height,
             view.source.x, view.source.y, view.source.width, view.source.height, bx3::kBitmapUnscaled);
  const PreviewRect& nav = view.navigator;
  DrawSetPen(Grey(50));
  DrawRectangle(nav.x, nav.y, nav.x + nav.width - 1, nav.y + nav.height - 1);
  DrawSetPen(Grey(190));
  DrawRectangle(view.visible.x, view.visible.y, view.visible.x + view.visible.width - 1,
                view.visible.y + view.visible.height - 1);
  DrawLine(nav.x - 1, nav.y - 1, nav.x + nav.width, nav.y - 1);
  DrawLine(nav.x + nav.width, nav.y - 1, nav.x + nav.width, nav.y + nav.height);
  DrawLine(nav.x + nav.width, nav.y + nav.height, nav.x - 1, nav.y + nav.height);
  DrawLine(nav.x - 1, nav.y + nav.height, nav.x - 1, nav.y - 1);
}

bool AssetPreviewArea::HandleInput(const bx3::Container& message) {
  const int32_t channel = message.GetInt32(bx3::input::kChannel);
  const bool doubleClick = message.GetBool(bx3::input::kDoubleClick);
  if ((channel == bx3::input::kMouseLeft && doubleClick) || (channel == bx3::input::kMouseRight && zoomActive_)) {
    zoomActive_ = !zoomActive_;
    zoomX_ = zoomActive_ ? message.GetInt32(bx3::input::kMouseX) : 0;
    zoomY_ = zoomActive_ ? message.GetInt32(bx3::input::kMouseY) : 0;
    Redraw();
    return true;
  }
  if (channel != bx3::input::kMouseLeft || !zoomActive_) return true;
  // Pan the 1:1 view: the pointer is hidden while dragging and put back where it was.
  int32_t pointerX = message.GetInt32(bx3::input::kMouseX);
  int32_t pointerY = message.GetInt32(bx3::input::kMouseY);
  MouseDragStart(-1, zoomX_, zoomY_, 2);
  bool first = true;
  double dx = 0, dy = 0;
  while (MouseDrag(dx, dy) == bx3::kDragContinue) {
    if (!GetInputState(bx3::input::kMouseLeft)) break;
    if (!first && int32_t(dx) == 0 && int32_t(dy) == 0) continue;
    first = false;
    zoomX_ = ClampZoom(zoomX_, int32_t(dx), areaWidth_);
    zoomY_ = ClampZoom(zoomY_, int32_t(dy), areaHeight_);
    Redraw();
  }
  MouseDragEnd();
  Local2Screen(pointerX, pointerY);
  SetPointerPosition(pointerX, pointerY);
  return true;
}

void AssetPreviewArea::ResetPreview() {
  previewReady_ = false;
  hasReducedCopy_ = false;
  displayBitmap_.FlushAll();
  ++serial_;  // a load still running belongs to the previous request
  reloadRequested_ = true;
  zoomActive_ = false;
  iconId_ = -1;
  previewAssetType_ = 0;
}

void AssetPreviewArea::ClearPreview() {
  previewShown_ = false;
  previewFile_ = bx3::Filename();
  previewElement_.Clear();
  noFileMode_ = false;
  sizeDependent_ = false;
  Redraw();
}

void AssetPreviewArea::SetRequest(const bx3::Filename& file, bx3::Element* element, uint32_t assetType, bool noFileMode,
                                  int32_t iconId, bool sizeDependent) {
  previewShown_ = true;
  previewFile_ = file;
  previewElement_.Set(element);
  previewAssetType_ = assetType;
  noFileMode_ = noFileMode;
  iconId_ = iconId;
  sizeDependent_ = sizeDependent;
}

bool AssetPreviewArea::StartLoading() {
  if (!previewThread_) return false;
  return Submit(MakeRequest());
}

AssetPreviewArea::Request AssetPreviewArea::MakeRequest() {
  Request request;
  request.serial = ++serial_;
  // Taken here, on the GUI thread: the thread never touches the window.
  request.area = anchor_.GetWeakRef();
  request.file = previewFile_;
  request.iconId = iconId_;
  request.assetType = previewAssetType_;
  request.noFileMode = noFileMode_;
  request.sizeDependent = sizeDependent_;
  request.reload = reloadRequested_;
  request.width = areaWidth_;
  request.height = areaHeight_;
  request.waveColor = bx3::GetHostColor(bx3::color::kWaveForm);
  request.waveBackground = bx3::GetHostColor(bx3::color::kBackground);
  request.profileColors = {request.waveBackground, bx3::GetHostColor(bx3::color::kEdgeLight), request.waveColor,
                           bx3::GetHostColor(bx3::color::kTextCurrent)};
  const bx3::Element* element = previewElement_.Resolve(bx3::GetActiveDocument());
  request.hasElement = element != nullptr;
  // The thread never touches the scene: it gets a copy of an element that draws itself and
  // a layer's icon.
  if (element && element->IsInstanceOf(bx3::type::kSimulation)) {
    request.drawingElement = element->CloneData();
  } else if (element && element->GetType() == bx3::type::kLayer) {
    bx3::BaseBitmap icon;
    if (bx3::GetElementIcon(*element, icon)) request.elementIcon = std::move(icon);
  }
  return request;
}

bool AssetPreviewArea::Submit(Request request) {
  {
    std::lock_guard lock(requestMutex_);
    pending_ = std::move(request);
    if (loading_) return true;  // the running thread takes it after its current load
    loading_ = true;
  }
  // The previous run has ended or ends now, having found nothing more to do.
  if (previewThread_->Reset() && previewThread_->Start()) return true;
  std::lock_guard lock(requestMutex_);
  loading_ = false;
  pending_.reset();
  return false;
}

std::optional<AssetPreviewArea::Request> AssetPreviewArea::TakeRequest() {
  std::lock_guard lock(requestMutex_);
  if (!pending_) {
    loading_ = false;
    return std::nullopt;
  }
  std::optional<Request> request = std::move(pending_);
  pending_.reset();
  return request;
}

bool AssetPreviewArea::HasPendingRequest() {
  std::lock_guard lock(requestMutex_);
  return pending_.has_value();
}

void AssetPreviewArea::WaitForLoads() {
  if (previewThread_) previewThread_->Wait(1e30);
}

}  // namespace kv
