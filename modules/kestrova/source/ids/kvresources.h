// The module's string resources and its link to the host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "brantic/string.h"
#include "ids/kvresourceids.h"

namespace kv {

// Loads <moduleFolder>/res/strings.json; false when it cannot be read.
bool LoadModuleResources(const std::string& moduleFolder);
void FreeModuleResources();
bool ModuleResourcesLoaded();
// The text of a string resource; empty when it is missing or not loaded.
brantic::String GetResourceString(int32_t id);
// The text of a string resource with its "@" placeholder replaced by `parameter`.
brantic::String GetResourceString(int32_t id, std::string_view parameter);

// The folder of the module's library, noted on the first start.
void SetModuleFolder(std::string folder);
const std::string& GetModuleFolder();

}  // namespace kv
