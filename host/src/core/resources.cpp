#include "bx3/resources.h"

#include <sys/stat.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "brantic/format.h"

namespace bx3 {

brantic::Result<StringTable> StringTable::Load(const std::string& moduleFolder) {
  const std::string path = moduleFolder + "/res/strings.json";
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return brantic::IoError(path + ": no string resources");
  }
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return Parse(content.str(), path);
}

brantic::Result<StringTable> StringTable::Parse(std::string_view json, std::string_view sourceName) {
  StringTable table;
  try {
    const auto root = nlohmann::json::parse(json.begin(), json.end());
    if (!root.is_object()) {
      return brantic::IllegalArgumentError(std::string(sourceName) + ": must be a JSON object");
    }
    for (const auto& [key, value] : root.items()) {
      auto id = brantic::String(key).ToInt64();
      if (!id || *id < INT32_MIN || *id > INT32_MAX || !value.is_string()) {
        return brantic::IllegalArgumentError(std::string(sourceName) + ": entry \"" + key +
                                             "\" must map a number to a text");
      }
      table.texts_[static_cast<int32_t>(*id)] = brantic::String(value.get<std::string>());
    }
  } catch (const nlohmann::json::exception& error) {
    return brantic::IllegalArgumentError(std::string(sourceName) + ": " + error.what());
  }
  return table;
}

brantic::String StringTable::Get(int32_t id) const {
  const auto found = texts_.find(id);
  return found == texts_.end() ? brantic::String() : found->second;
}

brantic::String StringTable::Get(int32_t id, std::string_view parameter) const {
  return brantic::Format(Get(id).View(), {parameter});
}

std::vector<int32_t> StringTable::Ids() const {
  std::vector<int32_t> ids;
  for (const auto& entry : texts_) ids.push_back(entry.first);
  return ids;
}

}  // namespace bx3
