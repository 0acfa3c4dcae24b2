#include "batch.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "brantic/jobs.h"
#include "brantic/json_cursor.h"
#include "brantic/mainthread.h"
#include "brantic/thread.h"
#include "bx3/automation.h"
#include "bx3/commands.h"
#include "bx3/dialog.h"
#include "bx3/host.h"
#include "bx3/modal.h"
#include "bx3/qtgui.h"
#include "bx3/scenefile.h"
#include "bx3/treeview.h"
#include "report.h"

namespace bx3app {

const char* const kBatchUsage =
    "batch mode: bx3 --batch [--prefs DIR] [--modules DIR] SCENE.bx3 ACTION...\n"
    "  --command ID|NAME          run a registered command\n"
    "  --answer yes|no|cancel     answer the next message box\n"
    "  --choose PATH              answer the next file or folder dialog (\"\" cancels)\n"
    "  --gadget PLUGIN:GADGET=VALUE   set a gadget of an open dialog\n"
    "  --press PLUGIN:GADGET      press a gadget of an open dialog\n"
    "  --click N [COLUMN], --click-add N [COLUMN], --click-remove N [COLUMN]\n"
    "                             click tree row N (from 0, drawing order) at the left edge of\n"
    "                             a column's cell (the first column when none is given)\n"
    "  --double-click N COLUMN    double-click a cell (COLUMN: four-character id such as path)\n"
    "  --edit N COLUMN TEXT       edit a cell's text in place\n"
    "  --context N COLUMN ENTRY   run a context-menu entry of a cell\n"
    "  --key NAME                 up, down, left, right, pageup, pagedown, home, end\n"
    "  --header COLUMN            click a column header\n"
    "  --wait                     wait until background work and posted work are done (a\n"
    "                             running dialog timer fires once meanwhile)\n"
    "  --undo, --redo             undo or redo on the scene\n"
    "  --open FILE                open another scene in place of this one\n"
    "  --revert                   load the scene's file again, dropping unsaved changes\n"
    "  --save [FILE]              save the scene (atomically)\n"
    "  --report text|json [FILE]  report the open dialog's tree, status and information\n"
    "  --screenshot PLUGIN FILE   write a PNG of an open dialog\n";

namespace {

// How many arguments each action takes: fixed, or a range for the optional ones.
struct ActionShape {
  const char* name;
  int minimum;
  int maximum;
};

constexpr ActionShape kActions[] = {
    {"--command", 1, 1},      {"--answer", 1, 1}, {"--choose", 1, 1},    {"--gadget", 1, 1},
    {"--press", 1, 1},        {"--click", 1, 2},  {"--click-add", 1, 2}, {"--click-remove", 1, 2},
    {"--double-click", 2, 2}, {"--edit", 3, 3},   {"--context", 3, 3},   {"--key", 1, 1},
    {"--header", 1, 1},       {"--wait", 0, 0},   {"--undo", 0, 0},      {"--redo", 0, 0},
    {"--open", 1, 1},         {"--revert", 0, 0}, {"--save", 0, 1},      {"--report", 1, 2},
    {"--screenshot", 2, 2},
};

const ActionShape* FindShape(const std::string& name) {
  for (const ActionShape& shape : kActions) {
    if (name == shape.name) return &shape;
  }
  return nullptr;
}

bool ToInt(const std::string& text, int64_t& value) {
  auto parsed = brantic::String(text).ToInt64();
  if (!parsed) return false;
  value = *parsed;
  return true;
}

// The dialog the tree actions mean: the one opened last that is still open.
bx3::GeDialog* CurrentDialog() { return bx3::LastOpenedDialog(); }

// "1029486:10087=text" -> plug-in, gadget, value.
bool SplitGadget(const std::string& text, int32_t& plugin, int32_t& gadget, std::string* value) {
  const size_t colon = text.find(':');
  const size_t equals = value ? text.find('=', colon) : std::string::npos;
  if (colon == std::string::npos || (value && equals == std::string::npos)) return false;
  int64_t p = 0, g = 0;
  if (!ToInt(text.substr(0, colon), p) ||
      !ToInt(text.substr(colon + 1, value ? equals - colon - 1 : std::string::npos), g)) {
    return false;
  }
  plugin = int32_t(p);
  gadget = int32_t(g);
  if (value) *value = text.substr(equals + 1);
  return true;
}

void WaitUntilStill() {
  // Background jobs post their results; results may start more work: until all is still.
  for (int round = 0; round < 1000; ++round) {
    brantic::JobQueue::WaitAllIdle();
    brantic::ThreadInterface::WaitAllRuns();
    bx3::ProcessGuiEvents();
    if (!brantic::HasMainThreadWork()) {
      brantic::JobQueue::WaitAllIdle();
      brantic::ThreadInterface::WaitAllRuns();
      if (!brantic::HasMainThreadWork()) return;
    }
  }
}

// Until all is still, with each timer a dialog has running fired once, as if its time had
// passed (a proposal after typing, for example).
void WaitForQuiet() {
  WaitUntilStill();
  bool fired = false;
  for (bx3::GeDialog* dialog : bx3::GetOpenDialogs()) {
    if (dialog->TimerInterval() == 0) continue;
    dialog->Timer(bx3::Container());
    fired = true;
  }
  if (fired) WaitUntilStill();
}

// Runs one action; an error message when it could not be done.
std::string Run(const BatchAction& action) {
  const auto& args = action.arguments;
  const std::string& name = action.name;
  bx3::Document* document = bx3::GetActiveDocument();
  auto needDialog = [&]() -> bx3::GeDialog* { return CurrentDialog(); };
  int64_t number = 0;
  int32_t column = 0;

  if (name == "--command") {
    int32_t id = 0;
    if (ToInt(args[0], number)) {
      id = int32_t(number);
    } else {
      for (const bx3::RegisteredCommand& command : bx3::GetRegisteredCommands()) {
        if (command.name == args[0]) id = command.id;
      }
    }
    if (!bx3::FindCommand(id)) return "no command " + args[0];
    // As a greyed menu entry would, a disabled command refuses to run.
    if (!bx3::IsCommandEnabled(bx3::GetCommandState(id))) {
      return "command " + std::to_string(id) + " (" + bx3::GetCommandName(id).Std() + ") is disabled";
    }
    const bool done = bx3::CallCommand(id);
    bx3::ProcessGuiEvents();
    return done ? "" : "command " + args[0] + " answered false";
  }
  if (name == "--answer") {
    const int32_t answer = args[0] == "yes" ? bx3::kAnswerYes : args[0] == "no" ? bx3::kAnswerNo : bx3::kAnswerCancel;
    bx3::QueueMessageAnswer(answer);
    return "";
  }
  if (name == "--choose") {
    bx3::QueueFileAnswer(args[0].empty() ? std::nullopt : std::optional<bx3::Filename>(bx3::Filename(args[0])));
    return "";
  }
  if (name == "--gadget" || name == "--press") {
    int32_t plugin = 0, gadget = 0;
    std::string value;
    SplitGadget(args[0], plugin, gadget, name == "--gadget" ? &value : nullptr);
    bx3::GeDialog* dialog = bx3::FindOpenDialog(plugin);
    if (!dialog) return "no open dialog " + std::to_string(plugin);
    const bool done =
        name == "--gadget" ? bx3::SetGadgetFromText(*dialog, gadget, value) : bx3::PressGadget(*dialog, gadget);
    return done ? "" : "cannot use gadget " + args[0];
  }
  if (name == "--click" || name == "--click-add" || name == "--click-remove") {
    bx3::GeDialog* dialog = needDialog();
    const int32_t mode = name == "--click"       ? bx3::kSelectReplace
                         : name == "--click-add" ? bx3::kSelectAdd
                                                 : bx3::kSelectRemove;
    ToInt(args[0], number);
    if (args.size() > 1) bx3::ParseColumnId(args[1], column);
    return dialog && bx3::ClickTreeRow(*dialog, number, mode, args.size() > 1 ? column : 0)
               ? ""
               : "no tree row " + args[0] + (args.size() > 1 ? " column " + args[1] : "");
  }
  if (name == "--double-click" || name == "--edit" || name == "--context") {
    bx3::GeDialog* dialog = needDialog();
    ToInt(args[0], number);
    bx3::ParseColumnId(args[1], column);
    if (!dialog) return "no open dialog with a tree";
    bool done = false;
    if (name == "--double-click") done = bx3::DoubleClickTreeRow(*dialog, number, column);
    if (name == "--edit") done = bx3::EditTreeRow(*dialog, number, column, brantic::String(args[2]));
    if (name == "--context") {
      int64_t entry = 0;
      ToInt(args[2], entry);
      done = bx3::RunTreeContextEntry(*dialog, number, column, int32_t(entry));
    }
    return done ? "" : "cannot " + name.substr(2) + " row " + args[0] + " column " + args[1];
  }
  if (name == "--key") {
    bx3::GeDialog* dialog = needDialog();
    return dialog && bx3::SendKeyByName(*dialog, args[0]) ? "" : "cannot press the key " + args[0];
  }
  if (name == "--header") {
    bx3::GeDialog* dialog = needDialog();
    bx3::ParseColumnId(args[0], column);
    return dialog && bx3::ClickTreeHeader(*dialog, column) ? "" : "no column " + args[0];
  }
  if (name == "--wait") {
    WaitForQuiet();
    return "";
  }
  if (name == "--undo" || name == "--redo") {
    if (!document) return "no scene";
    const bool done = name == "--undo" ? document->Undo() : document->Redo();
    bx3::EventAdd();
    bx3::ProcessGuiEvents();
    return done ? "" : std::string("nothing to ") + (name == "--undo" ? "undo" : "redo");
  }
  if (name == "--open" || name == "--revert") {
    if (name == "--revert" && !document) return "no scene";
    const std::string path = name == "--open" ? args[0] : document->GetFilename().GetString().Std();
    auto opened = bx3::OpenDocumentInPlace(path);
    if (!opened) return opened.GetError().Message();
    bx3::EventAdd();
    bx3::ProcessGuiEvents();
    return "";
  }
  if (name == "--save") {
    if (!document) return "no scene";
    const std::string path = args.empty() ? document->GetFilename().GetString().Std() : args[0];
    auto saved = bx3::SaveDocument(*document, path);
    return saved ? "" : saved.GetError().Message();
  }
  if (name == "--report") {
    bx3::GeDialog* dialog = needDialog();
    if (!dialog) return "no open dialog to report";
    const bool json = args[0] == "json";
    if (args.size() < 2) {
      const bx3::ChunkWriter toStdout = [](std::string_view bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
      };
      return WriteReport(*dialog, json, toStdout) ? "" : "cannot write the report";
    }
    auto written = bx3::WriteFileAtomically(
        args[1], [&](const bx3::ChunkWriter& write) { return WriteReport(*dialog, json, write); });
    return written ? "" : written.GetError().Message();
  }
  if (name == "--screenshot") {
    ToInt(args[0], number);
    bx3::GeDialog* dialog = bx3::FindOpenDialog(int32_t(number));
    if (!dialog) return "no open dialog " + args[0];
    return bx3::GrabDialog(*dialog, args[1]) ? "" : "cannot write " + args[1];
  }
  return "unknown action " + name;
}

}  // namespace

brantic::Result<BatchPlan> ParseBatchArguments(const std::vector<std::string>& arguments) {
  BatchPlan plan;
  size_t i = 0;
  for (; i < arguments.size() && plan.scenePath.empty(); ++i) {
    if (arguments[i].rfind("--", 0) == 0) {
      return brantic::IllegalArgumentError("the scene comes before the actions (found " + arguments[i] + ")");
    }
    plan.scenePath = arguments[i];
  }
  if (plan.scenePath.empty()) return brantic::IllegalArgumentError("--batch needs a scene");
  while (i < arguments.size()) {
    const std::string& name = arguments[i++];
    const ActionShape* shape = FindShape(name);
    if (!shape) return brantic::IllegalArgumentError("unknown batch action " + name);
    BatchAction action{name, {}};
    while (int(action.arguments.size()) < shape->maximum && i < arguments.size() &&
           (int(action.arguments.size()) < shape->minimum || !FindShape(arguments[i]))) {
      action.arguments.push_back(arguments[i++]);
    }
    if (int(action.arguments.size()) < shape->minimum) {
      return brantic::IllegalArgumentError(name + " needs " + std::to_string(shape->minimum) + " argument(s)");
    }
    // Check the forms now, so that a bad argument never leaves a half-run batch.
    const auto& args = action.arguments;
    int64_t number = 0;
    int32_t column = 0;
    if (name == "--answer" && args[0] != "yes" && args[0] != "no" && args[0] != "cancel") {
      return brantic::IllegalArgumentError("--answer takes yes, no or cancel, not " + args[0]);
    }
    if ((name == "--click" || name == "--click-add" || name == "--click-remove" || name == "--double-click" ||
         name == "--edit" || name == "--context") &&
        (!ToInt(args[0], number) || number < 0)) {
      return brantic::IllegalArgumentError(name + " needs a row number, not " + args[0]);
    }
    if ((name == "--double-click" || name == "--edit" || name == "--context") && !bx3::ParseColumnId(args[1], column)) {
      return brantic::IllegalArgumentError(name + " needs a column, not " + args[1]);
    }
    if (name.starts_with("--click") && args.size() > 1 && !bx3::ParseColumnId(args[1], column)) {
      return brantic::IllegalArgumentError(name + " needs a column, not " + args[1]);
    }
    if (name == "--context" && !ToInt(args[2], number)) {
      return brantic::IllegalArgumentError("--context needs an entry number, not " + args[2]);
    }
    if (name == "--header" && !bx3::ParseColumnId(args[0], column)) {
      return brantic::IllegalArgumentError("--header needs a column, not " + args[0]);
    }
    int32_t plugin = 0, gadget = 0;
    std::string value;
    if ((name == "--gadget" && !SplitGadget(args[0], plugin, gadget, &value)) ||
        (name == "--press" && !SplitGadget(args[0], plugin, gadget, nullptr))) {
      return brantic::IllegalArgumentError(name + " takes PLUGIN:GADGET" + (name == "--gadget" ? "=VALUE" : "") +
                                           ", not " + args[0]);
    }
    if (name == "--report" && args[0] != "text" && args[0] != "json") {
      return brantic::IllegalArgumentError("--report takes text or json, not " + args[0]);
    }
    if (name == "--screenshot" && !ToInt(args[0], number)) {
      return brantic::IllegalArgumentError("--screenshot needs a plug-in id, not " + args[0]);
    }
    plan.actions.push_back(std::move(action));
  }
  return plan;
}

int RunBatch(const BatchPlan& plan) {
  for (const BatchAction& action : plan.actions) {
    const std::string problem = Run(action);
    if (!problem.empty()) {
      std::fprintf(stderr, "bx3: %s: %s\n", action.name.c_str(), problem.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace bx3app
