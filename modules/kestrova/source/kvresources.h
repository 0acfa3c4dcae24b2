// The module's string resources and its link to the host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "brantic/string.h"

namespace kv {

// Resource ids used outside the command table.
inline constexpr int32_t kResTitle = 10000;
// The note above the information text of a picture that could not be read.
inline constexpr int32_t kResPictureUnreadable = 10242;

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
