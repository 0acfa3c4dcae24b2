#include "bx3/services.h"

#include <cstdio>
#include <memory>
#include <string>

#include "bx3/bitmap.h"
#include "bx3/commands.h"
#include "bx3/document.h"
#include "main_thread_check.h"
#include "searchpaths_dialog.h"

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

// One line on stdout, for batch runs and tests.
void Say(const std::string& text) {
  std::printf("bx3: %s\n", text.c_str());
  std::fflush(stdout);
}

std::string NameOf(const Element* element) { return element ? "\"" + element->GetName().Std() + "\"" : "nothing"; }

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
  if (!State().handlers.attributeManagerChanged) {
    Say("attribute manager shows " + NameOf(element) + " (mode " + std::to_string(state.mode) + ", parameter " +
        std::to_string(focus.IsEmpty() ? 0 : focus[0].id) + ")");
  }
  AttributesChanged();
}

void SelectNodeInEditor(const Element& material, const brantic::NodePath& node, const brantic::Id& nodeSpace) {
  BX3_MAIN_THREAD_ONLY();
  if (State().handlers.nodeEditor) return State().handlers.nodeEditor(material, &node, nodeSpace);
  Say("node editor selects " + node.Text().Std() + " of " + NameOf(&material) + " (" + nodeSpace.Std() + ")");
}

void EditNodeMaterial(const Element& material, const brantic::NodePath* node, const brantic::Id& nodeSpace) {
  BX3_MAIN_THREAD_ONLY();
  if (State().handlers.nodeEditor) return State().handlers.nodeEditor(material, node, nodeSpace);
  Say("node editor edits " + NameOf(&material) + (node ? " at " + node->Text().Std() : std::string()) + " (" +
      nodeSpace.Std() + ")");
}

namespace {

// A manager command of the host: it brings up the window's panel, or without a window says
// what it would show.
class ManagerCommand final : public CommandData {
 public:
  ManagerCommand(int32_t id, std::string line) : id_(id), line_(std::move(line)) {}
  bool Execute(Document*, GeDialog*) override {
    if (State().handlers.managerPanel && State().handlers.managerPanel(id_)) return true;
    Say(line_);
    return true;
  }
  int32_t CommandState(Document*, GeDialog*) override { return kCmdEnabled; }

 private:
  int32_t id_;
  std::string line_;
};

// A command that, here, only says what it did.
class SayingCommand final : public CommandData {
 public:
  explicit SayingCommand(std::string line) : line_(std::move(line)) {}
  bool Execute(Document*, GeDialog*) override {
    Say(line_);
    return true;
  }
  int32_t CommandState(Document*, GeDialog*) override { return kCmdEnabled; }

 private:
  std::string line_;
};

}  // namespace

bool SendNodeRequest(Element& element, int32_t code) {
  BX3_MAIN_THREAD_ONLY();
  if (code != kNodeRequestClearCache) return false;
  std::vector<int32_t> files;
  for (const auto& [id, value] : element.GetParameters()) {
    if (std::holds_alternative<Filename>(value)) files.push_back(id);
  }
  for (int32_t id : files) element.SetParameter(id, ParamValue());
  return true;
}

void RegisterHostCommands() {
  BX3_MAIN_THREAD_ONLY();
  if (!FindCommand(kCmdTakeManager)) {
    RegisterCommandPlugin(kCmdTakeManager, "Take Manager", 0, nullptr, "",
                          std::make_unique<ManagerCommand>(kCmdTakeManager, "take manager opens"));
  }
  if (!FindCommand(kCmdSimulationManager)) {
    RegisterCommandPlugin(kCmdSimulationManager, "Simulation Manager", 0, nullptr, "",
                          std::make_unique<ManagerCommand>(kCmdSimulationManager, "simulation manager opens"));
  }
  if (!FindCommand(kCmdTextureSearchPaths)) {
    RegisterCommandPlugin(kCmdTextureSearchPaths, "Texture Search Paths...", 0, nullptr,
                          "Lists, adds, removes, turns on and off and orders the folders searched for textures",
                          std::make_unique<SearchPathsCommand>());
  }
  if (!FindCommand(kCmdClearSimulationCaches)) {
    RegisterCommandPlugin(kCmdClearSimulationCaches, "Clear Simulation Caches", 0, nullptr, "",
                          std::make_unique<SayingCommand>("simulation caches cleared"));
  }
}

const AttributeManagerState& GetAttributeManagerState() { return State().attributes; }

}  // namespace bx3
