// Non-modal dialogs. Main thread only.
//
// GeDialog is the base of the module's windows. The window itself is made by a toolkit that
// the GUI library installs; without one a dialog cannot open, but everything else about it
// (its values, core messages while open) behaves as documented.
#pragma once

#include <cstdint>

#include "bx3/container.h"

namespace bx3 {

class GeDialog;

// Dialog types.
inline constexpr int32_t kDialogNonModal = 20;

// What the GUI library provides for dialogs.
class DialogToolkit {
 public:
  virtual ~DialogToolkit() = default;
  // Makes (or raises) the dialog's window; calls CreateLayout and InitValues when it is new.
  virtual bool OpenWindow(GeDialog& dialog, int32_t type, int32_t pluginId, int32_t x, int32_t y,
                          int32_t width, int32_t height, int32_t subId) = 0;
  virtual bool CloseWindow(GeDialog& dialog) = 0;
  virtual bool RestoreWindow(GeDialog& dialog, int32_t pluginId, int32_t subId,
                             const Container& layout) = 0;
  virtual bool FocusGadget(GeDialog& dialog, int32_t gadgetId) = 0;
};

// Installs the toolkit (the GUI library does this); null removes it.
void SetDialogToolkit(DialogToolkit* toolkit);
DialogToolkit* GetDialogToolkit();

class GeDialog {
 public:
  GeDialog();
  virtual ~GeDialog();
  GeDialog(const GeDialog&) = delete;
  GeDialog& operator=(const GeDialog&) = delete;

  // Opens the window (or brings it up when open). False without a toolkit.
  bool Open(int32_t type, int32_t pluginId, int32_t x, int32_t y, int32_t width, int32_t height,
            int32_t subId = 0);
  bool IsOpen() const { return open_; }
  bool Close();
  bool RestoreLayout(int32_t pluginId, int32_t subId, const Container& layout);
  int32_t GetPluginId() const { return pluginId_; }
  // Gives the keyboard focus to a gadget of the open window.
  bool Activate(int32_t gadgetId);

  // --- overridable operations, called by the host
  virtual bool CreateLayout() { return true; }
  virtual bool InitValues() { return true; }
  virtual bool CoreMessage(int32_t id, const Container& message);
  virtual bool Command(int32_t id, const Container& message);
  virtual bool AskClose() { return false; }
  virtual void Timer(const Container& message);
  virtual void DestroyWindow() {}
  virtual int32_t Message(const Container& message, Container& result);

  // For the toolkit: the window opened or closed.
  void SetOpenState(bool open, int32_t pluginId);

 private:
  bool open_ = false;
  int32_t pluginId_ = 0;
};

// Delivers a core message to every open dialog (used by the event functions).
void DeliverCoreMessage(int32_t messageId, const Container& message);

}  // namespace bx3
