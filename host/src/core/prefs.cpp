#include "bx3/prefs.h"

#include "bx3/commands.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "bx3/scenefile.h"
#include "json_reader.h"
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

// Preferences hold a few levels of containers; a file nesting them deeper is not ours.
constexpr int kMaxContainerDepth = 32;

class PreferencesReader : JsonReader {
 public:
  explicit PreferencesReader(std::string_view text) : JsonReader(text, 4 * kMaxContainerDepth + 8) {}

  // Throws JsonTextError and JsonValueError; FromJson catches them.
  void Read(std::vector<TextureSearchPath>& paths, std::map<std::string, std::string>& variables,
            std::vector<brantic::PathMapping>& mappings, double& rootAnswerSeconds, Container& plugins) {
    Members("the preferences must be a JSON object", [&](std::string_view key) {
      if (key == "textureSearchPaths") {
        Items("must be an array", [&](size_t) {
          std::optional<Filename> path;
          bool enabled = true;
          Members("a search path must be an object", [&](std::string_view member) {
            if (member == "path") {
              path = Filename(std::string(Text("must be a folder text")));
            } else if (member == "enabled") {
              enabled = Bool("must be true or false");
            } else {
              Skip();
            }
          });
          Expect(path.has_value(), "needs a path");
          paths.push_back({std::move(*path), enabled});
        });
      } else if (key == "variables") {
        Members("must be an object of texts", [&](std::string_view name) {
          Expect(!name.empty(), "a variable needs a name");
          variables[std::string(name)] = std::string(Text("must be a text"));
        });
      } else if (key == "pathMappings") {
        Items("must be an array", [&](size_t) {
          std::optional<std::string> from, to;
          Members("a path mapping must be an object", [&](std::string_view member) {
            if (member == "from") {
              from = std::string(Text("must be a text"));
            } else if (member == "to") {
              to = std::string(Text("must be a text"));
            } else {
              Skip();
            }
          });
          Expect(from && !from->empty() && to && !to->empty(), "needs a \"from\" and a \"to\"");
          mappings.push_back({std::move(*from), std::move(*to)});
        });
      } else if (key == "rootAnswerSeconds") {
        rootAnswerSeconds = Number("must be a number of seconds");
        Expect(rootAnswerSeconds > 0 && rootAnswerSeconds <= 3600, "must be more than 0 and at most 3600 seconds");
      } else if (key == "plugins") {
        plugins = ReadContainer(0);
      } else {
        Skip();
      }
    });
    ExpectEnd("more data after the end of the preferences");
  }

 private:
  Container ReadContainer(int depth) {
    Expect(depth < kMaxContainerDepth,
           "containers nested deeper than " + std::to_string(kMaxContainerDepth) + " levels");
    std::optional<int32_t> id;
    Container container;
    Members("a container must be an object", [&](std::string_view key) {
      if (key == "id") {
        id = static_cast<int32_t>(Integer("must be a 32-bit integer", INT32_MIN, INT32_MAX));
      } else if (key == "values") {
        Members("must be an object", [&](std::string_view valueKey) {
          int32_t valueId = 0;
          const auto [end, error] = std::from_chars(valueKey.data(), valueKey.data() + valueKey.size(), valueId);
          Expect(error == std::errc() && end == valueKey.data() + valueKey.size(), "keys are 32-bit integers");
          ReadValue(container, valueId, depth);
        });
      } else {
        Skip();
      }
    });
    if (id) container.SetId(*id);
    return container;
  }

  void ReadValue(Container& container, int32_t id, int depth) {
    OneMember("a value is an object with one typed value", [&](std::string_view kind) {
      if (kind == "bool") {
        container.SetBool(id, Bool("must be true or false"));
      } else if (kind == "int") {
        container.SetInt32(id, static_cast<int32_t>(Integer("must be a 32-bit integer", INT32_MIN, INT32_MAX)));
      } else if (kind == "int64") {
        container.SetInt64(id, Integer("must be a 64-bit integer"));
      } else if (kind == "float") {
        container.SetFloat(id, Number("must be a number"));
      } else if (kind == "string") {
        container.SetString(id, brantic::String(std::string(Text("must be a text"))));
      } else if (kind == "container") {
        container.SetContainer(id, ReadContainer(depth + 1));
      } else {
        Fail(Where(), "unknown value type \"" + std::string(kind) + "\"");
      }
    });
  }
};

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
  variables_.clear();
  mappings_.clear();
  rootAnswerSeconds_ = kDefaultRootAnswerSeconds;
  unreadable_ = false;
}

std::string Preferences::ToJson() const {
  Json paths = Json::array();
  for (const TextureSearchPath& path : searchPaths_) {
    paths.push_back({{"path", path.path.GetString().Std()}, {"enabled", path.enabled}});
  }
  Json root = {{"textureSearchPaths", std::move(paths)}, {"plugins", ContainerToJson(plugins_)}};
  // Written only when there are some: files without them stay as they were.
  if (!variables_.empty()) root["variables"] = variables_;
  if (!mappings_.empty()) {
    Json mappings = Json::array();
    for (const brantic::PathMapping& mapping : mappings_)
      mappings.push_back({{"from", mapping.from}, {"to", mapping.to}});
    root["pathMappings"] = std::move(mappings);
  }
  if (rootAnswerSeconds_ != kDefaultRootAnswerSeconds) root["rootAnswerSeconds"] = rootAnswerSeconds_;
  return root.dump(2) + "\n";
}

brantic::Result<void> Preferences::FromJson(std::string_view text) {
  std::vector<TextureSearchPath> paths;
  std::map<std::string, std::string> variables;
  std::vector<brantic::PathMapping> mappings;
  double rootAnswerSeconds = kDefaultRootAnswerSeconds;
  Container plugins;
  try {
    PreferencesReader(text).Read(paths, variables, mappings, rootAnswerSeconds, plugins);
  } catch (const JsonTextError& error) {
    return brantic::IllegalArgumentError("bad preferences: " + brantic::JsonCursor::LineAndColumn(text, error.offset) +
                                         ": " + error.problem);
  } catch (const JsonValueError& error) {
    return brantic::IllegalArgumentError("bad preferences: " + (error.position.empty() ? "/" : error.position) + ": " +
                                         error.problem);
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError("bad preferences: out of memory while reading");
  }
  searchPaths_ = std::move(paths);
  variables_ = std::move(variables);
  mappings_ = std::move(mappings);
  rootAnswerSeconds_ = rootAnswerSeconds;
  plugins_ = std::move(plugins);
  return brantic::OK();
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
  if (!loaded) {
    unreadable_ = true;
    return brantic::IllegalArgumentError(path + ": " + loaded.GetError().Message());
  }
  unreadable_ = false;
  return brantic::OK();
}

brantic::Result<void> Preferences::KeepUnreadableFile(const std::string& path) {
  // An earlier unreadable file keeps its name too: the first free one is taken.
  std::string kept = path + ".unreadable";
  struct stat info {};
  for (int number = 2; ::lstat(kept.c_str(), &info) == 0; ++number) {
    if (number > 1000) return brantic::IoError(path + ": no free name to keep the unreadable preferences under");
    kept = path + ".unreadable." + std::to_string(number);
  }
  if (::rename(path.c_str(), kept.c_str()) != 0) {
    if (errno != ENOENT) {
      return brantic::IoError(path + ": cannot keep the unreadable preferences as " + kept + ": " +
                              std::strerror(errno));
    }
    unreadable_ = false;  // gone meanwhile: nothing to keep
    return brantic::OK();
  }
  std::fprintf(stderr, "bx3: the preferences in %s could not be read; they are kept as %s\n", path.c_str(),
               kept.c_str());
  unreadable_ = false;
  return brantic::OK();
}

brantic::Result<void> Preferences::Save() {
  const std::string folder = Folder();
  // Create the folder and its parents as needed.
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    ::mkdir(folder.substr(0, slash).c_str(), 0755);
    if (slash == std::string::npos) break;
  }
  const std::string path = folder + "/prefs.json";
  if (unreadable_) {
    if (auto kept = KeepUnreadableFile(path); !kept) return kept;
  }
  return WriteFileAtomically(path, ToJson());
}

void Preferences::SetTextureSearchPaths(std::vector<TextureSearchPath> paths) {
  if (paths == searchPaths_) return;
  searchPaths_ = std::move(paths);
  SpecialEventAdd(kCoreMessageSearchPathsChanged);
}

void Preferences::SetPathVariables(std::map<std::string, std::string> variables) {
  if (variables == variables_) return;
  variables_ = std::move(variables);
  SpecialEventAdd(kCoreMessageSearchPathsChanged);
}

void Preferences::SetPathMappings(std::vector<brantic::PathMapping> mappings) {
  if (mappings == mappings_) return;
  mappings_ = std::move(mappings);
  SpecialEventAdd(kCoreMessageSearchPathsChanged);
}

}  // namespace bx3
