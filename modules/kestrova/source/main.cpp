#include "main.h"

#include <memory>
#include <new>

#include "bx3/commands.h"
#include "bx3/module.h"
#include "check/kvcheckrun.h"
#include "collection/kvassettype.h"
#include "commands/kvcommands.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"
#include "window/kvdialog.h"

namespace kv {

namespace {

int32_t g_startCount = 0;
const bx3::HostRecord* g_host = nullptr;

inline constexpr int32_t kAnswerHostTooOld = -3;

std::string FolderOf(const char* path) {
  const std::string text = path ? path : "";
  const size_t slash = text.rfind('/');
  return slash == std::string::npos ? std::string(".") : text.substr(0, slash);
}

}  // namespace

int32_t ModuleStartCount() { return g_startCount; }

bool ModuleStart() {
  auto main = std::make_unique<Kestrova>();
  std::unique_ptr<KestrovaDialog> dialog(new (std::nothrow) KestrovaDialog());
  if (!dialog) return false;
  KestrovaDialog* shared = dialog.get();
  main->SetDialog(std::move(dialog));

  const brantic::String title = GetResourceString(res::kTitle);
  if (!bx3::RegisterCommandPlugin(kMainCommandId, brantic::String(title.Std() + "..."), bx3::kCmdFlagModuleCommand,
                                  nullptr, brantic::String(), std::move(main))) {
    return false;
  }
  const unsigned char managerRecord[bx3::kManagerRecordSize] = {};
  if (!bx3::RegisterPlugin(bx3::kPluginKindManager, kMainCommandId, title, managerRecord, bx3::kManagerRecordSize)) {
    return false;
  }
  size_t count = 0;
  const SubCommandEntry* table = SubCommandTable(count);
  for (size_t i = 0; i < count; ++i) {
    const SubCommandEntry& entry = table[i];
    std::unique_ptr<KestrovaCommandData> command = entry.create(shared, entry.id);
    const brantic::String help = entry.helpResource ? GetResourceString(entry.helpResource) : brantic::String();
    const brantic::String name = GetResourceString(entry.nameResource);
    if (!bx3::RegisterCommandPlugin(entry.id, name, bx3::kCmdFlagModuleCommand, nullptr, help, std::move(command))) {
      return false;
    }
  }
  return RegisterCheckTool();
}

void ModuleEnd() {}

bool ModuleMessage(int32_t id, void* data) {
  switch (id) {
    case 0: return true;
    case bx3::kModuleMessageLoadResources: {
      if (!LoadModuleResources(GetModuleFolder())) return false;
      auto* request = static_cast<bx3::ResourceRequest*>(data);
      if (request && request->state) request->state->pending = 0;
      return true;
    }
    default: return false;
  }
}

}  // namespace kv

extern "C" __attribute__((visibility("default"))) int32_t bx3_main(int32_t action, intptr_t p1, intptr_t p2,
                                                                   intptr_t p3) {
  using namespace kv;
  switch (action) {
    case bx3::kModuleStart: {
      ++g_startCount;
      if (g_startCount > 1) return 1;
      const auto* host = reinterpret_cast<const bx3::HostRecord*>(p3);
      if (!host || host->version < kMinimumHostVersion) {
        // Leave the counter as it was, so that a later start with a proper host sets up.
        --g_startCount;
        return kAnswerHostTooOld;
      }
      g_host = host;
      SetModuleFolder(FolderOf(host->modulePath));
      (void)RegisterAssetTypeEnumeration();
      return 1;
    }
    case bx3::kModulePluginStart: return ModuleStart() ? 1 : 0;
    case bx3::kModuleEnd:
      if (g_startCount > 0 && --g_startCount == 0) {
        ModuleEnd();
        FreeModuleResources();
        g_host = nullptr;
      }
      return 1;
    case bx3::kModuleQuery: return 5;
    case bx3::kModuleMessage: return ModuleMessage(static_cast<int32_t>(p1), reinterpret_cast<void*>(p2)) ? 1 : -1;
    default: return -1;
  }
}
