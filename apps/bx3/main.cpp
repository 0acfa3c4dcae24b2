// bx3: the host application. Loads the modules next to it, opens scene documents and runs
// the registered commands.
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "batch.h"
#include "brantic/jobs.h"
#include "brantic/mainthread.h"
#include "bx3/assets.h"
#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/module.h"
#include "bx3/prefs.h"
#include "bx3/qtgui.h"
#include "bx3/scenefile.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadArguments = 2;

const char* const kUsage =
    "usage: bx3 [options] [SCENE.bx3]\n"
    "\n"
    "Runs the host application with the modules in the modules/ folder next to it: its window\n"
    "on SCENE.bx3 when there is a display, or a batch run (--batch) without one.\n"
    "\n"
    "options:\n"
    "  --list-commands   print every registered command: id, name and help text\n"
    "  --assets          print every file use of SCENE.bx3 (one line per use)\n"
    "  --prefs DIR       keep the preferences in DIR instead of the user's config folder\n"
    "  --modules DIR     load the modules in DIR too (besides the modules/ folder)\n"
    "  --batch ...       run actions without a window (below)\n"
    "  --check, --scan, --merge ...   the modules' command-line tools (below)\n"
    "  --version         print the version\n"
    "  --help            print this text\n"
    "\n"
    "exit codes: 0 done, 1 a module or command failed, 2 bad arguments or a scene that\n"
    "cannot be loaded (a tool answers its own)\n";

std::string ApplicationFolder(const char* argv0) {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path = length > 0 ? std::string(buffer, static_cast<size_t>(length)) : argv0;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string ValueText(const bx3::AssetUse& use) {
  std::string text = use.file.GetString().Std();
  if (use.element)
    text += "\t" + use.element->GetName().Std();
  else
    text += "\t(document)";
  text += "\t" + std::to_string(use.channelId);
  if (!use.nodePath.IsEmpty()) text += "\t" + use.nodeSpace.Std() + ":" + use.nodePath.Text().Std();
  if (use.take) text += "\ttake " + use.take->GetName().Std();
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file-size limit fails with an error the save reports, instead of a
  // signal that ends the program without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  bool listCommands = false;
  bool listAssets = false;
  bool batch = false;
  bool help = false;
  std::string scenePath;
  // An option bx3 does not know may be a module's tool: it and the rest are the tool's.
  std::vector<std::string> toolArguments;
  std::vector<std::string> moduleFolders;
  std::vector<std::string> batchArguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (batch) {
      batchArguments.push_back(argument);
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      help = true;
      continue;
    }
    if (argument == "--version") {
      std::printf("bx3 0.1.0 (host interface %d)\n", bx3::kHostApiVersion);
      return kExitOk;
    }
    if (argument == "--list-commands") {
      listCommands = true;
    } else if (argument == "--assets") {
      listAssets = true;
    } else if (argument == "--batch") {
      batch = true;
    } else if (argument == "--modules") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "bx3: --modules needs a folder\n");
        return kExitBadArguments;
      }
      moduleFolders.push_back(argv[++i]);
    } else if (argument == "--prefs") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "bx3: --prefs needs a folder\n");
        return kExitBadArguments;
      }
      ::setenv("BX3_PREFS_DIR", argv[++i], 1);
    } else if (argument.starts_with("--") && !help) {
      toolArguments.assign(argv + i, argv + argc);
      break;
    } else if (!argument.empty() && argument[0] == '-') {
      std::fprintf(stderr, "bx3: unknown option %s (see bx3 --help)\n", argument.c_str());
      return kExitBadArguments;
    } else if (scenePath.empty()) {
      scenePath = argument;
    } else {
      std::fprintf(stderr, "bx3: only one scene can be given (%s and %s)\n", scenePath.c_str(), argument.c_str());
      return kExitBadArguments;
    }
  }
  // In batch mode --prefs may follow --batch too.
  while (batch && batchArguments.size() >= 2 && batchArguments[0] == "--prefs") {
    ::setenv("BX3_PREFS_DIR", batchArguments[1].c_str(), 1);
    batchArguments.erase(batchArguments.begin(), batchArguments.begin() + 2);
  }
  while (batch && batchArguments.size() >= 2 && batchArguments[0] == "--modules") {
    moduleFolders.push_back(batchArguments[1]);
    batchArguments.erase(batchArguments.begin(), batchArguments.begin() + 2);
  }
  std::optional<bx3app::BatchPlan> plan;
  if (batch) {
    auto parsed = bx3app::ParseBatchArguments(batchArguments);
    if (!parsed) {
      std::fprintf(stderr, "bx3: %s (see bx3 --help)\n", parsed.GetError().Message().c_str());
      return kExitBadArguments;
    }
    plan = std::move(*parsed);
    scenePath = plan->scenePath;
    // A batch run never shows a window.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  if (!toolArguments.empty() && (batch || listAssets || listCommands || !scenePath.empty())) {
    std::fprintf(stderr, "bx3: %s goes alone (see bx3 --help)\n", toolArguments[0].c_str());
    return kExitBadArguments;
  }
  if (listAssets && scenePath.empty()) {
    std::fprintf(stderr, "bx3: --assets needs a scene\n");
    return kExitBadArguments;
  }

  bx3::InitializeHost();
  if (auto loaded = bx3::Preferences::Get().Load(); !loaded) {
    std::fprintf(stderr, "bx3: %s (using defaults)\n", loaded.GetError().Message().c_str());
  }
  if (!scenePath.empty()) {
    auto document = bx3::LoadDocument(scenePath);
    if (!document) {
      std::fprintf(stderr, "bx3: %s\n", document.GetError().Message().c_str());
      return kExitBadArguments;
    }
    bx3::AddDocument(std::move(*document));
  }

  // Without a listing, a batch or a tool the user wants the window; it needs a screen.
  const bool interactive = !batch && !listCommands && !listAssets && !help && toolArguments.empty();
  if (interactive) {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) {
      std::fprintf(stderr, "bx3: there is no display to show the window on; use --batch (see bx3 --help)\n");
      return kExitFailed;
    }
  }
  if (batch || interactive) bx3::InitializeGui(argc, argv);
  std::vector<std::string> problems;
  auto modules = bx3::LoadModules(ApplicationFolder(argv[0]) + "/modules", problems);
  for (const std::string& folder : moduleFolders) {
    auto more = bx3::LoadModules(folder, problems);
    for (auto& module : more) modules.push_back(std::move(module));
  }
  for (const std::string& problem : problems) std::fprintf(stderr, "bx3: %s\n", problem.c_str());
  int exitCode = problems.empty() ? kExitOk : kExitFailed;

  if (help) {
    std::fputs(kUsage, stdout);
    std::fputs("\n", stdout);
    std::fputs(bx3app::kBatchUsage, stdout);
    for (const bx3::CommandLineTool& tool : bx3::GetCommandLineTools()) std::printf("\n%s", tool.usage.c_str());
  }
  if (!toolArguments.empty()) {
    const bx3::CommandLineTool* tool = bx3::FindCommandLineTool(toolArguments[0]);
    if (!tool) {
      std::fprintf(stderr, "bx3: unknown option %s (see bx3 --help)\n", toolArguments[0].c_str());
      exitCode = kExitBadArguments;
    } else if (exitCode == kExitOk) {
      exitCode = tool->run(toolArguments);
    }
  }
  if (listCommands) {
    for (const bx3::RegisteredCommand& command : bx3::GetRegisteredCommands()) {
      std::printf("%d\t%s\t%s\n", command.id, command.name.CStr(), command.help.CStr());
    }
  }
  if (listAssets) {
    std::vector<bx3::AssetUse> uses;
    bx3::GetAllAssets(bx3::GetActiveDocument(), false, bx3::Filename(), bx3::kAssetQueryAll, uses);
    for (const bx3::AssetUse& use : uses) std::printf("%s\n", ValueText(use).c_str());
  }

  if (plan && exitCode == kExitOk) exitCode = bx3app::RunBatch(*plan);
  if (interactive) {
    const int closed = bx3::RunMainWindow();
    if (exitCode == kExitOk) exitCode = closed;
    if (auto saved = bx3::Preferences::Get().Save(); !saved) {
      std::fprintf(stderr, "bx3: cannot save the preferences: %s\n", saved.GetError().Message().c_str());
    }
  }

  brantic::JobQueue::WaitAllIdle();
  bx3::ProcessGuiEvents();
  // Commands (and the dialogs they own) live in the modules' code: free them before the
  // modules unload.
  bx3::FreeRegisteredCommands();
  bx3::ProcessGuiEvents();
  modules.clear();
  bx3::CloseAllDocuments();
  brantic::JobQueue::ShutdownAll();
  bx3::ShutdownGui();
  return exitCode;
}
