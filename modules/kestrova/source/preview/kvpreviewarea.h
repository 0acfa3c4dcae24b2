// The preview area of the inspector window and the thread that loads its pictures.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "brantic/string.h"
#include "brantic/thread.h"
#include "brantic/weakref.h"
#include "bx3/bitmap.h"
#include "bx3/element.h"
#include "bx3/filename.h"
#include "bx3/lightprofile.h"
#include "bx3/userarea.h"
#include "preview/kvpreview_rules.h"

namespace kv {

// Shows a picture of the selected row: the file itself fitted into the area, a sound's wave
// form, a light profile's candela distribution, a scene file's stored preview, a picture the
// using element draws, a host icon, or a
// placeholder for the asset type. A double click shows the picture 1:1; dragging pans it.
// Nothing is loaded on the GUI thread: a request hands the work to KvPreviewThread.
class AssetPreviewArea : public bx3::GeUserArea {
 public:
  // What one load works from: a snapshot of the request fields, so that the GUI thread may
  // change them while a load runs.
  struct Request {
    uint64_t serial = 0;
    brantic::WeakRef<AssetPreviewArea> area;  // who takes the pictures
    bx3::Filename file;
    int32_t iconId = -1;
    uint32_t assetType = 0;
    bool noFileMode = false;
    bool sizeDependent = false;
    bool reload = true;
    bool hasElement = false;
    int32_t width = 0, height = 0;
    // Larger pictures are reduced while they are read, for the area only.
    int64_t wholePicturePixels = kWholePreviewPixels;
    // The wave form's and the light profile's colours, from the host on the GUI thread.
    bx3::Rgb waveColor{};
    bx3::Rgb waveBackground{};
    bx3::LightProfileColors profileColors{};
    // The element's own picture: a copy of a drawing element, or a layer's icon.
    std::unique_ptr<bx3::Element> drawingElement;
    std::optional<bx3::BaseBitmap> elementIcon;
  };
  // What one load produced, handed to the area on the GUI thread.
  struct Loaded {
    bx3::BaseBitmap full;
    bx3::BaseBitmap display;
    bool hasReducedCopy = false;
    bool keepCurrent = false;  // nothing to reload: the pictures shown stay valid
    bool unreadable = false;   // the picture file could not be read: a placeholder stands for it
    bool stopped = false;      // a newer request came while a large picture was read
  };

  class KvPreviewThread : public brantic::ThreadInterfaceTemplate<KvPreviewThread> {
   public:
    explicit KvPreviewThread(AssetPreviewArea& area) : area_(area) {}
    ~KvPreviewThread() override;
    brantic::Result<void> operator()();
    const char* GetName(int index) const override { return index == 0 ? "Kv Preview Thread" : nullptr; }
    // Loads what stands for a request; false when nothing could be loaded. A large picture
    // stops between strips when `stop` answers true.
    static bool LoadPreview(const Request& request, Loaded& loaded, const std::function<bool()>& stop = {});
    // Takes a load's pictures to the area unless a newer request came meanwhile.
    static void FinishPreview(const brantic::WeakRef<AssetPreviewArea>& area, uint64_t serial, Loaded loaded);

   private:
    AssetPreviewArea& area_;
  };

  AssetPreviewArea();
  ~AssetPreviewArea() override;

  bool Init() override;
  bool MinimumSize(int32_t& width, int32_t& height) override;
  void SizeChanged(int32_t width, int32_t height) override;
  void DrawArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const bx3::Container& message) override;
  bool HandleInput(const bx3::Container& message) override;

  // --- the request, filled by the dialog on a selection change
  // Forgets the shown picture and stops waiting for the running load.
  void ResetPreview();
  // Nothing selected: an empty area.
  void ClearPreview();
  void SetRequest(const bx3::Filename& file, bx3::Element* element, uint32_t assetType, bool noFileMode, int32_t iconId,
                  bool sizeDependent);
  // Starts loading what the request names.
  bool StartLoading();
  // Where the information text goes when a load changes it (the window's text gadget).
  void SetInfoTextSink(std::function<void(const brantic::String&)> sink) { infoTextSink_ = std::move(sink); }

  const brantic::String& InfoText() const { return infoText_; }
  void SetInfoText(brantic::String text) { infoText_ = std::move(text); }
  bool PreviewShown() const { return previewShown_; }
  bool PreviewReady() const { return previewReady_; }
  bool HasReducedCopy() const { return hasReducedCopy_; }
  bool ZoomActive() const { return zoomActive_; }
  int32_t ZoomX() const { return zoomX_; }
  int32_t ZoomY() const { return zoomY_; }
  const bx3::BaseBitmap& FullBitmap() const { return fullBitmap_; }
  const bx3::BaseBitmap& DisplayBitmap() const { return displayBitmap_; }
  const bx3::Filename& PreviewFile() const { return previewFile_; }
  uint32_t PreviewAssetType() const { return previewAssetType_; }
  int32_t IconId() const { return iconId_; }
  // Waits until the thread has nothing more to load (tests and batch runs).
  void WaitForLoads();
  // Whether a request waits for the thread (any thread).
  bool HasPendingRequest();

 private:
  friend class KvPreviewThread;
  // The newest request for the thread, or nothing (the thread then ends its run).
  std::optional<Request> TakeRequest();
  bool Submit(Request request);
  Request MakeRequest();

  std::unique_ptr<KvPreviewThread> previewThread_;
  bx3::Filename previewFile_;
  // The element by its identity: it may be deleted while its picture is shown.
  bx3::ElementLink previewElement_;
  brantic::String infoText_;
  bool previewShown_ = false;
  bx3::BaseBitmap fullBitmap_;
  bx3::BaseBitmap displayBitmap_;
  bool reloadRequested_ = true;
  bool noFileMode_ = false;
  int32_t iconId_ = -1;
  uint32_t previewAssetType_ = 1;
  int32_t areaWidth_ = 180;
  int32_t areaHeight_ = 120;
  bool zoomActive_ = false;
  int32_t zoomX_ = 0;
  int32_t zoomY_ = 0;
  bool sizeDependent_ = false;
  bool previewReady_ = false;
  bool hasReducedCopy_ = false;
  std::function<void(const brantic::String&)> infoTextSink_;

  // Requests travel to the thread through one slot: a newer request replaces one not yet
  // taken, and the thread takes them one after another while it runs.
  std::mutex requestMutex_;
  std::optional<Request> pending_;
  bool loading_ = false;
  uint64_t serial_ = 0;  // of the newest request; older loads are dropped
  brantic::WeakAnchor<AssetPreviewArea> anchor_{this};
};

}  // namespace kv
