#include "bx3/prefs.h"

#include "bx3/commands.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "bx3/scenefile.h"
#include "main_thread_check.h"

namespace bx3 {

namespace {

using Json = nlohmann::ordered_json;

Json ContainerToJson(const Container& container) {
  Json values = Json::object();
  for (const auto& [key, value] : container.Values()) {
    Json entry;
    if (const auto* v = std::get_if<bool>(&value))
      entry = {{"bool", *v}};
    else if (const auto* v = std::get_if<int32_t>(&value))
      entry = {{"int", *v}};
    else if (const auto* v = std::get_if<int64_t>(&value))
      entry = {{"int64", *v}};
    else if (const auto* v = std::get_if<double>(&value))
      entry = {{"float", *v}};
    else if (const auto* v = std::get_if<brantic::String>(&value))
      entry = {{"string", v->Std()}};
    else if (const auto* v = std::get_if<std::shared_ptr<Container>>(&value))
      entry = {{"container", ContainerToJson(**v)}};
    values[std::to_string(key)] = std::move(entry);
  }
  return {{"id", container.GetId()}, {"values", std::move(values)}};
}

// Throws nlohmann's exceptions on a bad shape; the caller turns them into an error.
Container ContainerFromJson(const Json& json) {
  Container container(json.at("id").get<int32_t>());
  for (const auto& [key, entry] : json.at("values").items()) {
    const int32_t id = std::stoi(key);
    if (!entry.is_object() || entry.size() != 1) throw std::invalid_argument("bad value of " + key);
    // The one entry of the object: its key names the type.
    const auto only = entry.begin();
    const std::string kind = only.key();
    const auto& value = only.value();
    if (kind == "bool")
      container.SetBool(id, value.get<bool>());
    else if (kind == "int")
      container.SetInt32(id, value.get<int32_t>());
    else if (kind == "int64")
      container.SetInt64(id, value.get<int64_t>());
    else if (kind == "float")
      container.SetFloat(id, value.get<double>());
    else if (kind == "string")
      container.SetString(id, brantic::String(value.get<std::string>()));
    else if (kind == "container")
      container.SetContainer(id, ContainerFromJson(value));
    else
      throw std::invalid_argument("unknown value type " + kind);
  }
  return container;
}

}  // namespace

Preferences& Preferences::Get() {
  BX3_MAIN_THREAD_ONLY();
  static Preferences preferences;
  return preferences;
}

std::string Preferences::Folder() {
  if (const char* folder = std::getenv("BX3_PREFS_DIR"); folder && *folder) return folder;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/bx3";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/bx3";
}

void Preferences::Reset() {
  plugins_ = Container();
  searchPaths_.clear();
}

std::string Preferences::ToJson() const {
  Json paths = Json::array();
  for (const TextureSearchPath& path : searchPaths_) {
    paths.push_back({{"path", path.path.GetString().Std()}, {"enabled", path.enabled}});
  }
  Json root = {{"textureSearchPaths", std::move(paths)}, {"plugins", ContainerToJson(plugins_)}};
  return root.dump(2) + "\n";
}

brantic::Result<void> Preferences::FromJson(std::string_view text) {
  try {
    const Json root = Json::parse(text.begin(), text.end());
    std::vector<TextureSearchPath> paths;
    if (root.contains("textureSearchPaths")) {
      for (const Json& entry : root.at("textureSearchPaths")) {
        paths.push_back({Filename(entry.at("path").get<std::string>()), entry.value("enabled", true)});
      }
    }
    Container plugins = root.contains("plugins") ? ContainerFromJson(root.at("plugins")) : Container();
    searchPaths_ = std::move(paths);
    plugins_ = std::move(plugins);
    return brantic::OK();
  } catch (const std::exception& error) {
    return brantic::IllegalArgumentError(std::string("bad preferences: ") + error.what());
  }
}

brantic::Result<void> Preferences::Load() {
  const std::string path = Folder() + "/prefs.json";
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return brantic::OK();
  if (!S_ISREG(info.st_mode)) return brantic::IoError(path + ": not a regular file");
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  auto loaded = FromJson(content.str());
  if (!loaded) return brantic::IllegalArgumentError(path + ": " + loaded.GetError().Message());
  return brantic::OK();
}

brantic::Result<void> Preferences::Save() const {
  const std::string folder = Folder();
  // Create the folder and its parents as needed.
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), 0755);
    if (slash == std::string::npos) break;
  }
  return WriteFileAtomically(folder + "/prefs.json", ToJson());
}

void Preferences::SetTextureSearchPaths(std::vector<TextureSearchPath> paths) {
  if (paths == searchPaths_) return;
  searchPaths_ = std::move(paths);
  SpecialEventAdd(kCoreMessageSearchPathsChanged);
}

}  // namespace bx3
