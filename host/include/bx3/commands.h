// Command plug-ins, registration, command state and events. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/string.h"
#include "bx3/container.h"

namespace bx3 {

class Document;
class GeDialog;

// Every plug-in object of the host derives from BaseData.
class BaseData {
 public:
  virtual ~BaseData() = default;
};

// Command states answered by CommandData::CommandState.
inline constexpr int32_t kCmdDisabled = 0;
inline constexpr int32_t kCmdEnabled = 0x40000000;
inline constexpr int32_t kCmdEnabledChecked = 0x7fffffff;
inline constexpr int32_t kCmdCheckedDisabled = 0x3fffffff;

// Reads a command state word.
inline bool IsCommandEnabled(int32_t state) { return (state & kCmdEnabled) != 0; }
inline bool IsCommandChecked(int32_t state) { return (state & kCmdCheckedDisabled) == kCmdCheckedDisabled; }

// Flags of a registered command (kept and shown, with no further meaning here).
inline constexpr int32_t kCmdFlagModuleCommand = 0x10000000;

class CommandData : public BaseData {
 public:
  virtual bool Execute(Document* document, GeDialog* parentManager);
  virtual bool ExecuteSubId(Document* document, int32_t subId);
  virtual bool ExecuteOptionId(Document* document, int32_t optionId);
  virtual int32_t CommandState(Document* document, GeDialog* parentManager);
  virtual bool GetSubContainer(Document* document, Container& subMenu);
  // Reopens the command's window from a saved layout.
  virtual bool RestoreWindow(const Container& layout);
  virtual brantic::String GetScriptName();
  virtual bool Message(int32_t type, void* data);
};

struct RegisteredCommand {
  int32_t id;
  brantic::String name;
  int32_t flags;
  brantic::String help;
  std::unique_ptr<CommandData> command;
};

// Registers a command; the host owns it from now on. Fails (and destroys `command`) for a
// null command or an id that is already registered.
bool RegisterCommandPlugin(int32_t id, const brantic::String& name, int32_t flags, const void* icon,
                           const brantic::String& help, std::unique_ptr<CommandData> command);

// The generic registration of other plug-in kinds. Only kind 21 (a manager: a window the
// host lists among its managers) is known; its record must be 768 bytes.
inline constexpr int32_t kPluginKindManager = 21;
inline constexpr int32_t kManagerRecordSize = 768;
bool RegisterPlugin(int32_t kind, int32_t id, const brantic::String& name, const void* record, int32_t recordSize);

struct RegisteredManager {
  int32_t id;
  brantic::String name;
};

const std::vector<RegisteredCommand>& GetRegisteredCommands();
// The registered name of a command; empty when it is not registered.
brantic::String GetCommandName(int32_t id);
const std::vector<RegisteredManager>& GetRegisteredManagers();
CommandData* FindCommand(int32_t id);
// Runs a command with the active document; false when it is not registered or answers false.
bool CallCommand(int32_t id, int32_t subId = 0);
// The state of a registered command; kCmdDisabled when it is not registered.
int32_t GetCommandState(int32_t id);
// A module's command-line tool: `bx3 OPTION ARGUMENT...` runs it instead of a window or a
// batch, and its answer is the process's exit code. Declared as data so that bx3 --help can
// list it before anything runs.
struct CommandLineTool {
  std::vector<std::string> options;  // the options that start it ("--check", ...)
  std::string usage;                 // for bx3 --help
  // Gets the arguments from the option on; must not throw.
  std::function<int(const std::vector<std::string>& arguments)> run;
};
// Fails for a tool without options or run, or with an option another tool has.
bool RegisterCommandLineTool(CommandLineTool tool);
const CommandLineTool* FindCommandLineTool(std::string_view option);
const std::vector<CommandLineTool>& GetCommandLineTools();

// Destroys every registered command, manager record and command-line tool (at shutdown,
// before modules unload).
void FreeRegisteredCommands();

// --- events
// Key of the first value of a special event in its message container.
inline constexpr int32_t kMessageValue1 = FourCC("Mci1");
inline constexpr int32_t kMessageValue2 = FourCC("Mci2");

// Posts a special event: after the current work, every open dialog receives a core message
// `messageId` whose container holds p1 under "Mci1" and p2 under "Mci2". Any thread.
void SpecialEventAdd(int32_t messageId, int64_t p1 = 0, int64_t p2 = 0);
// Sends a core message to every open dialog at once.
void SendCoreMessage(int32_t messageId, const Container& message);
// The host's change messages, delivered to every open dialog as core messages.
inline constexpr int32_t kCoreMessageChange = 604;                // the scene changed; Mci1: change flags
inline constexpr int32_t kCoreMessageRedraw = FourCC("drcl");     // the views were redrawn
inline constexpr int32_t kCoreMessageSearchPathsChanged = -1008;  // paths resolve differently now
inline constexpr int32_t kCoreMessageRedrawLists = 1050506;       // what lists draw changed
// A change of the scene: after the current work every open dialog receives the change
// message once, however many changes came before it. Any thread.
void NoteSceneChange();

// The general update event: the host redraws its views after the current work (and tells
// the dialogs with the redraw message).
void EventAdd(int32_t flags = 0);
// The GUI redraws its views through this.
void SetGeneralUpdateHandler(std::function<void()> handler);
// How many general updates were asked for (for tests and the batch report).
int64_t GeneralUpdateCount();

}  // namespace bx3
