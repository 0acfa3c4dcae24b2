// What a batch run left behind: the paths a saved scene holds, and the files of a folder.
#pragma once

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace kvtest {

// Every file and URL value of a saved scene.
inline void CollectPaths(const nlohmann::json& json, std::vector<std::string>& paths) {
  if (json.is_object()) {
    for (const auto& [key, value] : json.items()) {
      if ((key == "file" || key == "url") && value.is_string()) paths.push_back(value);
      CollectPaths(value, paths);
    }
  } else if (json.is_array()) {
    for (const auto& value : json) CollectPaths(value, paths);
  }
}

// Each file of a folder with its size and time of change.
inline std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> FolderState(
    const std::string& folder) {
  std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> state;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) state[entry.path()] = {entry.file_size(), entry.last_write_time()};
  }
  return state;
}

}  // namespace kvtest
