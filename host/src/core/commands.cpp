#include "bx3/commands.h"

#include <atomic>

#include "brantic/mainthread.h"
#include "bx3/dialog.h"
#include "bx3/host.h"
#include "main_thread_check.h"

namespace bx3 {

namespace {

std::vector<RegisteredCommand>& Commands() {
  static std::vector<RegisteredCommand> commands;
  return commands;
}

std::vector<RegisteredManager>& Managers() {
  static std::vector<RegisteredManager> managers;
  return managers;
}

std::vector<CommandLineTool>& Tools() {
  static std::vector<CommandLineTool> tools;
  return tools;
}

int64_t& UpdateCount() {
  static int64_t count = 0;
  return count;
}

std::function<void()>& UpdateHandler() {
  static std::function<void()> handler;
  return handler;
}

}  // namespace

bool CommandData::Execute(Document*, GeDialog*) { return false; }
bool CommandData::ExecuteSubId(Document*, int32_t) { return false; }
bool CommandData::ExecuteOptionId(Document*, int32_t) { return false; }
int32_t CommandData::CommandState(Document*, GeDialog*) { return kCmdEnabled; }
bool CommandData::GetSubContainer(Document*, Container&) { return false; }
bool CommandData::RestoreWindow(const Container&) { return false; }
brantic::String CommandData::GetScriptName() { return {}; }
bool CommandData::Message(int32_t, void*) { return true; }

bool RegisterCommandPlugin(int32_t id, const brantic::String& name, int32_t flags, const void* /*icon*/,
                           const brantic::String& help, std::unique_ptr<CommandData> command) {
  if (!command || id <= 0 || FindCommand(id)) return false;
  Commands().push_back({id, name, flags, help, std::move(command)});
  return true;
}

bool RegisterPlugin(int32_t kind, int32_t id, const brantic::String& name, const void* record, int32_t recordSize) {
  if (kind != kPluginKindManager || !record || recordSize != kManagerRecordSize || id <= 0) {
    return false;
  }
  for (const RegisteredManager& manager : Managers()) {
    if (manager.id == id) return false;
  }
  Managers().push_back({id, name});
  return true;
}

const std::vector<RegisteredCommand>& GetRegisteredCommands() { return Commands(); }
const std::vector<RegisteredManager>& GetRegisteredManagers() { return Managers(); }

brantic::String GetCommandName(int32_t id) {
  for (const RegisteredCommand& entry : Commands()) {
    if (entry.id == id) return entry.name;
  }
  return {};
}

CommandData* FindCommand(int32_t id) {
  for (RegisteredCommand& entry : Commands()) {
    if (entry.id == id) return entry.command.get();
  }
  return nullptr;
}

bool CallCommand(int32_t id, int32_t subId) {
  BX3_MAIN_THREAD_ONLY();
  CommandData* command = FindCommand(id);
  if (!command) return false;
  Document* document = GetActiveDocument();
  return subId != 0 ? command->ExecuteSubId(document, subId) : command->Execute(document, nullptr);
}

int32_t GetCommandState(int32_t id) {
  BX3_MAIN_THREAD_ONLY();
  CommandData* command = FindCommand(id);
  return command ? command->CommandState(GetActiveDocument(), nullptr) : kCmdDisabled;
}

void FreeRegisteredCommands() {
  // Destroy in reverse registration order, as objects made later may refer to earlier ones.
  auto& commands = Commands();
  while (!commands.empty()) commands.pop_back();
  Managers().clear();
  Tools().clear();
}

bool RegisterCommandLineTool(CommandLineTool tool) {
  BX3_MAIN_THREAD_ONLY();
  if (tool.options.empty() || !tool.run) return false;
  for (const std::string& option : tool.options) {
    if (!option.starts_with("--") || FindCommandLineTool(option)) return false;
  }
  Tools().push_back(std::move(tool));
  return true;
}

const CommandLineTool* FindCommandLineTool(std::string_view option) {
  for (const CommandLineTool& tool : Tools()) {
    for (const std::string& own : tool.options) {
      if (own == option) return &tool;
    }
  }
  return nullptr;
}

const std::vector<CommandLineTool>& GetCommandLineTools() { return Tools(); }

void SpecialEventAdd(int32_t messageId, int64_t p1, int64_t p2) {
  brantic::ExecuteOnMainThread([messageId, p1, p2] {
    Container message(messageId);
    message.SetInt64(kMessageValue1, p1);
    message.SetInt64(kMessageValue2, p2);
    DeliverCoreMessage(messageId, message);
  });
}

void SendCoreMessage(int32_t messageId, const Container& message) {
  BX3_MAIN_THREAD_ONLY();
  DeliverCoreMessage(messageId, message);
}

void NoteSceneChange() {
  static std::atomic<bool> posted{false};
  if (posted.exchange(true)) return;
  brantic::ExecuteOnMainThread([] {
    posted = false;
    Container message(kCoreMessageChange);
    message.SetInt64(kMessageValue1, 0);
    DeliverCoreMessage(kCoreMessageChange, message);
  });
}

void EventAdd(int32_t /*flags*/) {
  BX3_MAIN_THREAD_ONLY();
  ++UpdateCount();
  if (UpdateHandler()) UpdateHandler()();
  SpecialEventAdd(kCoreMessageRedraw);
}

void SetGeneralUpdateHandler(std::function<void()> handler) { UpdateHandler() = std::move(handler); }

int64_t GeneralUpdateCount() { return UpdateCount(); }

}  // namespace bx3
