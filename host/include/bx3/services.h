// Host services the module reaches for: the system file browser, the picture viewer and the
// attribute manager. Main thread only.
//
// With a window system they show real windows; in batch runs and tests they say on stdout
// what they would show, and remember it, so that runs can be checked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "brantic/nodes.h"
#include "brantic/string.h"
#include "bx3/element.h"
#include "bx3/filename.h"

namespace bx3 {

// Shows `path` in the system's file browser (its folder, with the file selected), or with
// `open` opens the file with the system's default application. False for an empty path.
bool ShowInFileBrowser(const Filename& path, bool open);

// The picture viewer: one window that shows one picture.
class PictureViewer {
 public:
  virtual ~PictureViewer() = default;
  // Loads a picture or the first frame of a movie; false when the file is not one.
  virtual bool LoadFile(const Filename& file) = 0;
  virtual bool Show() = 0;
  virtual Filename LoadedFile() const = 0;
};
// The picture viewer (`index` -1: the one the host has). Null when there is none.
PictureViewer* GetPictureViewer(int32_t index);

// The attribute manager: shows an element's parameters.
struct AttributeManagerState {
  int32_t mode = 0;
  bool open = false;
  ElementLink element;
  DescId focus;  // the parameter scrolled to
  int32_t flags = 0;
  int64_t shows = 0;  // how many times an element was shown
};
// Prepares the manager for a new element (releases a lock on the shown element).
void AttributeManagerRelease();
// Sets the manager's mode; with `open` the manager is brought up.
void AttributeManagerSetMode(int32_t mode, bool open);
// Shows `element` with `flags`, scrolled to the parameter `focus` (empty: the top).
void AttributeManagerShow(const Element* element, int32_t flags, const DescId& focus);
const AttributeManagerState& GetAttributeManagerState();

// The node editor: selects a node of a material's graph, or opens a material for editing its
// nodes (at `node` when given). Headless they say what they would show.
void SelectNodeInEditor(const Element& material, const brantic::NodePath& node, const brantic::Id& nodeSpace);
void EditNodeMaterial(const Element& material, const brantic::NodePath* node, const brantic::Id& nodeSpace);

// Host commands that bring up a manager of the host, and the one that tells the
// simulations to drop what they cached.
inline constexpr int32_t kCmdTakeManager = 431000053;
inline constexpr int32_t kCmdSimulationManager = 1032108;
inline constexpr int32_t kCmdClearSimulationCaches = 1038402;
// The window that edits the texture search folders of the preferences.
inline constexpr int32_t kCmdTextureSearchPaths = 200000273;

// A request to an element of a simulation (the simulation or one of its node items). Code
// kNodeRequestClearCache drops the files it cached: its file parameters are emptied.
// Record the undo before. False for an unknown code.
inline constexpr int32_t kNodeRequestClearCache = 2;
bool SendNodeRequest(Element& element, int32_t code);
// Registers the host's own manager commands (once; later calls do nothing).
void RegisterHostCommands();

// What the GUI installs to show the services for real; without it the services print.
struct ServiceHandlers {
  std::function<bool(const Filename&, bool open)> showInFileBrowser;
  std::function<PictureViewer*()> pictureViewer;
  std::function<void()> attributeManagerChanged;  // redraw the attribute manager panel
  // Shows a material's node graph of a node space in the node editor, `node` (may be null)
  // selected.
  std::function<void(const Element& material, const brantic::NodePath* node, const brantic::Id& nodeSpace)> nodeEditor;
  // Brings up the panel of a host manager command (kCmdTakeManager, kCmdSimulationManager);
  // false when there is none.
  std::function<bool(int32_t command)> managerPanel;
};
void SetServiceHandlers(ServiceHandlers handlers);

}  // namespace bx3
