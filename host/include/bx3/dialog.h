// Non-modal dialogs and their gadgets. Main thread only.
//
// GeDialog is the base of the module's windows. The window itself is made by a toolkit that
// the GUI library installs; without one a dialog cannot open, and every gadget call answers
// false. Inside CreateLayout the dialog adds groups, gadgets and menus; afterwards it sets
// and reads gadget values by id.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>

#include "brantic/string.h"
#include "bx3/container.h"

namespace bx3 {

class GeDialog;
class GeUserArea;
class TreeViewGadget;

// Dialog types.
inline constexpr int32_t kDialogNonModal = 20;

// Layout flags of groups and gadgets.
enum LayoutFlags : int32_t {
  kLayoutNone = 0,
  kFitHorizontal = 1,
  kFitVertical = 2,
  kFit = 3,
  kAlignRight = 4,
  kAlignCenter = 8,
  kNoBorder = 16,
  kToggle = 32,  // bitmap buttons: stay pressed until pressed again
};

enum class GadgetKind : int32_t {
  StaticText,
  EditText,
  MultiLineText,
  Button,
  ComboBox,
  EditNumber,
  Checkbox,
  BitmapButton,
  UserArea,
  TreeView,
  Separator,
};

struct GadgetSpec {
  GadgetKind kind = GadgetKind::StaticText;
  int32_t id = 0;
  int32_t flags = kLayoutNone;
  int32_t width = 0;  // minimum width in pixels; 0 for the natural width
  int32_t height = 0;
  brantic::String text;  // static text, button caption
  int32_t iconOff = 0;   // bitmap buttons
  int32_t iconOn = 0;
  bool readOnly = false;  // multi-line text
  Container settings;     // tree views
};

using GadgetValue = std::variant<bool, int32_t, double, brantic::String>;

// Window messages a dialog receives in Message (the container's id is the kind).
namespace message {
inline constexpr int32_t kKey = FourCC("bKey");            // input::kChannel holds a key code
inline constexpr int32_t kHelp = FourCC("cinf");           // answer the help id under kHelpId
inline constexpr int32_t kActivate = FourCC("bACG");       // kActive: the window became active
inline constexpr int32_t kLayoutChanged = FourCC("inte");  // a tree's columns were rearranged
inline constexpr int32_t kGroupChanged = FourCC("gpch");
inline constexpr int32_t kActive = FourCC("actv");
inline constexpr int32_t kHelpId = FourCC("hlid");
inline constexpr int32_t kGadget = FourCC("gdid");  // the gadget a message concerns
}  // namespace message

// Keys of group weights: the count of row or column values; the values follow it.
inline constexpr int32_t kWeightColumns = 2000;
inline constexpr int32_t kWeightRows = 3000;

// Key codes of the navigation keys in key messages.
namespace key {
inline constexpr int32_t kUp = 0x101, kDown = 0x102, kLeft = 0x103, kRight = 0x104;
inline constexpr int32_t kPageUp = 0x105, kPageDown = 0x106, kHome = 0x107, kEnd = 0x108;
inline constexpr int32_t kEnter = 0x109, kEscape = 0x10a, kDelete = 0x10b;
}  // namespace key

// What the GUI library makes for an open dialog.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual bool GroupBegin(int32_t id, int32_t flags, int32_t columns, int32_t rows, const brantic::String& title) = 0;
  virtual bool GroupEnd() = 0;
  virtual bool GroupBorderSpace(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
  virtual bool AddGadget(const GadgetSpec& spec) = 0;
  virtual bool AddChild(int32_t id, int32_t childId, const brantic::String& text) = 0;
  // Empties a group; gadgets added next go into it until LayoutChanged.
  virtual bool FlushGroup(int32_t id) = 0;
  virtual bool LayoutChanged(int32_t id) = 0;
  virtual bool AttachUserArea(GeUserArea& area, int32_t id) = 0;
  virtual TreeViewGadget* FindTreeView(int32_t id) = 0;
  virtual bool SetValue(int32_t id, const GadgetValue& value) = 0;
  virtual std::optional<GadgetValue> GetValue(int32_t id) const = 0;
  virtual bool SetLimits(int32_t id, double minimum, double maximum, double step) = 0;
  virtual bool Enable(int32_t id, bool enabled) = 0;
  virtual bool Focus(int32_t id) = 0;
  virtual void SetTitle(const brantic::String& title) = 0;
  virtual void SetTimer(int32_t milliseconds) = 0;
  // Group weights (see GeDialog::SetGroupWeights).
  virtual bool SetGroupWeights(int32_t id, const Container& weights) = 0;
  virtual bool GetGroupWeights(int32_t id, Container& weights) const = 0;
  // Menus: entries are registered commands; their state comes from CommandState.
  virtual void MenuFlushAll() = 0;
  virtual void MenuSubBegin(const brantic::String& title) = 0;
  virtual void MenuSubEnd() = 0;
  virtual void MenuAddCommand(int32_t commandId) = 0;
  virtual void MenuAddSeparator() = 0;
  virtual void MenuFinished() = 0;
  virtual void MenuSetState(int32_t commandId, bool enabled, bool checked) = 0;
};

// What the GUI library provides for dialogs.
class DialogToolkit {
 public:
  virtual ~DialogToolkit() = default;
  // Makes (or raises) the dialog's window; calls CreateLayout and InitValues when it is new.
  virtual bool OpenWindow(GeDialog& dialog, int32_t type, int32_t pluginId, int32_t x, int32_t y, int32_t width,
                          int32_t height, int32_t subId) = 0;
  virtual bool CloseWindow(GeDialog& dialog) = 0;
  virtual bool RestoreWindow(GeDialog& dialog, int32_t pluginId, int32_t subId, const Container& layout) = 0;
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
  bool Open(int32_t type, int32_t pluginId, int32_t x, int32_t y, int32_t width, int32_t height, int32_t subId = 0);
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
  // The gadgets a report of the dialog shows as its status line and information text
  // (0: none).
  virtual int32_t StatusGadget() const { return 0; }
  virtual int32_t InfoGadget() const { return 0; }

  // --- layout (inside CreateLayout, or after FlushGroup)
  bool GroupBegin(int32_t id, int32_t flags, int32_t columns, int32_t rows, const brantic::String& title = {});
  bool GroupEnd();
  bool GroupBorderSpace(int32_t left, int32_t top, int32_t right, int32_t bottom);
  bool AddStaticText(int32_t id, int32_t flags, int32_t width, int32_t height, const brantic::String& text);
  bool AddEditText(int32_t id, int32_t flags, int32_t width = 0, int32_t height = 0);
  bool AddMultiLineEditText(int32_t id, int32_t flags, int32_t width, int32_t height, bool readOnly);
  bool AddButton(int32_t id, int32_t flags, int32_t width, int32_t height, const brantic::String& text);
  bool AddComboBox(int32_t id, int32_t flags, int32_t width = 0, int32_t height = 0);
  bool AddChild(int32_t id, int32_t childId, const brantic::String& text);
  bool AddEditNumber(int32_t id, int32_t flags, int32_t width = 0, int32_t height = 0);
  bool AddCheckbox(int32_t id, int32_t flags, int32_t width, int32_t height, const brantic::String& text);
  bool AddBitmapButton(int32_t id, int32_t flags, int32_t iconOff, int32_t iconOn);
  bool AddSeparator(int32_t flags = kFitHorizontal);
  bool AddUserArea(int32_t id, int32_t flags, int32_t width = 0, int32_t height = 0);
  bool AttachUserArea(GeUserArea& area, int32_t id);
  TreeViewGadget* AddTreeView(int32_t id, int32_t flags, int32_t width, int32_t height, const Container& settings);
  TreeViewGadget* FindTreeView(int32_t id);
  bool FlushGroup(int32_t id);
  bool LayoutChanged(int32_t id);

  // --- values
  bool SetString(int32_t id, const brantic::String& text);
  bool GetString(int32_t id, brantic::String& text) const;
  bool SetInt32(int32_t id, int32_t value);
  bool SetInt32(int32_t id, int32_t value, int32_t minimum, int32_t maximum, int32_t step);
  bool GetInt32(int32_t id, int32_t& value) const;
  bool SetFloat(int32_t id, double value);
  bool GetFloat(int32_t id, double& value) const;
  bool SetBool(int32_t id, bool value);
  bool GetBool(int32_t id, bool& value) const;
  bool Enable(int32_t id, bool enabled);
  void SetTitle(const brantic::String& title);
  // Calls Timer every `milliseconds`; 0 stops it.
  void SetTimer(int32_t milliseconds);
  // The timer's interval while it runs, else 0.
  int32_t TimerInterval() const { return window_ ? timerInterval_ : 0; }
  // Group weights: the sizes of a one-column group's rows (count under kWeightRows, values
  // under the keys after it) or of a one-row group's columns (kWeightColumns). Value i is for
  // row (column) i of the group; the rows with a value are divided by handles the user can
  // drag. A positive value is the row's share of the length the others leave it; a row whose
  // gadgets cannot grow in that direction keeps its natural size. Zero or a negative value:
  // the row starts at its natural size and keeps it as the window grows. Rows past the count
  // keep their natural size, without a handle. GetGroupWeights answers the shares as they
  // stand now (after dragging), in the same form.
  bool SetGroupWeights(int32_t id, const Container& weights);
  bool GetGroupWeights(int32_t id, Container& weights) const;

  // --- menus
  void MenuFlushAll();
  void MenuSubBegin(const brantic::String& title);
  void MenuSubEnd();
  void MenuAddCommand(int32_t commandId);
  void MenuAddSeparator();
  void MenuFinished();
  // Sets a menu entry's state: the entry of command `commandId`, enabled and checked.
  void MenuInitString(int32_t commandId, bool enabled, bool checked);

  // For the toolkit: the window opened (with its window) or closed (null).
  void SetOpenState(bool open, int32_t pluginId);
  void SetWindow(DialogWindow* window) { window_ = window; }
  DialogWindow* GetWindow() const { return window_; }

 private:
  bool open_ = false;
  int32_t pluginId_ = 0;
  int32_t timerInterval_ = 0;
  DialogWindow* window_ = nullptr;
};

// The open dialog of a plug-in id (the latest opened when several are); null when none.
GeDialog* FindOpenDialog(int32_t pluginId);
// The dialog opened (or brought up again) last that is still open; null when none is.
GeDialog* LastOpenedDialog();
// The open dialogs, in the order they were opened.
std::vector<GeDialog*> GetOpenDialogs();

// Delivers a core message to every open dialog (used by the event functions).
void DeliverCoreMessage(int32_t messageId, const Container& message);
// Delivers a core message to every dialog, open or not: for news that a dialog must hear
// even while its window is closed, such as a document that goes away.
void DeliverCoreMessageToAll(int32_t messageId, const Container& message);

// Mouse pointers of SetMousePointer.
inline constexpr int32_t kMousePointerNormal = 2;
inline constexpr int32_t kMousePointerBusy = 3;
// Shows the busy or normal pointer (the GUI library shows it; headless it is only noted).
void SetMousePointer(int32_t pointer);
int32_t GetMousePointer();
// The GUI library shows the pointer through this.
void SetMousePointerHandler(std::function<void(int32_t)> handler);

}  // namespace bx3
