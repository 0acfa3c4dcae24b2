#include "bx3/services.h"

#include <cstdio>

#include "bx3/bitmap.h"
#include "main_thread_check.h"

namespace bx3 {

namespace {

// Loads pictures like the window does, and says what it would show.
class PrintingPictureViewer final : public PictureViewer {
 public:
  bool LoadFile(const Filename& file) override {
    BaseBitmap bitmap;
    if (bitmap.Init(file) != kImageResultOk) return false;
    loaded_ = file;
    return true;
  }
  bool Show() override {
    if (!loaded_.IsPopulated()) return false;
    std::printf("bx3: picture viewer shows %s\n", loaded_.GetString().CStr());
    std::fflush(stdout);
    return true;
  }
  Filename LoadedFile() const override { return loaded_; }

 private:
  Filename loaded_;
};

struct ServiceState {
  ServiceHandlers handlers;
  PrintingPictureViewer printingViewer;
  AttributeManagerState attributes;
};

ServiceState& State() {
  static ServiceState state;
  return state;
}

void AttributesChanged() {
  if (State().handlers.attributeManagerChanged) State().handlers.attributeManagerChanged();
}

}  // namespace

void SetServiceHandlers(ServiceHandlers handlers) { State().handlers = std::move(handlers); }

bool ShowInFileBrowser(const Filename& path, bool open) {
  BX3_MAIN_THREAD_ONLY();
  if (!path.IsPopulated()) return false;
  if (State().handlers.showInFileBrowser) return State().handlers.showInFileBrowser(path, open);
  std::printf("bx3: file browser %s %s\n", open ? "opens" : "shows", path.GetString().CStr());
  std::fflush(stdout);
  return true;
}

PictureViewer* GetPictureViewer(int32_t /*index*/) {
  BX3_MAIN_THREAD_ONLY();
  if (State().handlers.pictureViewer) return State().handlers.pictureViewer();
  return &State().printingViewer;
}

void AttributeManagerRelease() { State().attributes.element.Clear(); }

void AttributeManagerSetMode(int32_t mode, bool open) {
  BX3_MAIN_THREAD_ONLY();
  State().attributes.mode = mode;
  if (open) State().attributes.open = true;
  AttributesChanged();
}

void AttributeManagerShow(const Element* element, int32_t flags, const DescId& focus) {
  BX3_MAIN_THREAD_ONLY();
  AttributeManagerState& state = State().attributes;
  state.element.Set(element);
  state.flags = flags;
  state.focus = focus;
  ++state.shows;
  AttributesChanged();
}

const AttributeManagerState& GetAttributeManagerState() { return State().attributes; }

}  // namespace bx3
