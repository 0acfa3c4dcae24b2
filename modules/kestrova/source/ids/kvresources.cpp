#include "ids/kvresources.h"

#include <optional>

#include "bx3/resources.h"

namespace kv {

namespace {

std::optional<bx3::StringTable>& Table() {
  static std::optional<bx3::StringTable> table;
  return table;
}

std::string& Folder() {
  static std::string folder;
  return folder;
}

}  // namespace

bool LoadModuleResources(const std::string& moduleFolder) {
  auto table = bx3::StringTable::Load(moduleFolder);
  if (!table) return false;
  Table() = std::move(*table);
  return true;
}

void FreeModuleResources() { Table().reset(); }

bool ModuleResourcesLoaded() { return Table().has_value(); }

brantic::String GetResourceString(int32_t id) { return Table() ? Table()->Get(id) : brantic::String(); }

brantic::String GetResourceString(int32_t id, std::string_view parameter) {
  return Table() ? Table()->Get(id, parameter) : brantic::String();
}

void SetModuleFolder(std::string folder) { Folder() = std::move(folder); }
const std::string& GetModuleFolder() { return Folder(); }

}  // namespace kv
