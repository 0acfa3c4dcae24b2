// The host's preferences, persisted as JSON. Main thread only.
//
// The file is <folder>/prefs.json, where the folder is $BX3_PREFS_DIR when set, else
// $XDG_CONFIG_HOME/bx3, else ~/.config/bx3.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "brantic/pathexpand.h"
#include "brantic/result.h"
#include "bx3/container.h"
#include "bx3/filename.h"

namespace bx3 {

struct TextureSearchPath {
  Filename path;
  bool enabled = true;
  bool operator==(const TextureSearchPath&) const = default;
};

class Preferences {
 public:
  static Preferences& Get();

  // Containers of plug-ins, keyed by plug-in id.
  Container& Plugins() { return plugins_; }
  const std::vector<TextureSearchPath>& GetTextureSearchPaths() const { return searchPaths_; }
  // Tells the dialogs that paths may resolve differently now.
  void SetTextureSearchPaths(std::vector<TextureSearchPath> paths);
  // Variables for paths ("variables" in the file; they override the environment) and path
  // mappings ("pathMappings"); setting either tells the dialogs as the search folders do.
  const std::map<std::string, std::string>& GetPathVariables() const { return variables_; }
  const std::vector<brantic::PathMapping>& GetPathMappings() const { return mappings_; }
  void SetPathVariables(std::map<std::string, std::string> variables);
  void SetPathMappings(std::vector<brantic::PathMapping> mappings);
  // What reads paths on other threads takes: the variables, the mappings and the environment.
  brantic::PathExpander MakePathExpander() const { return brantic::PathExpander(variables_, mappings_, true); }
  // How long the first file query under a root (a mount point, a mapping's target, a
  // variable's value) may take before the root counts as unreachable ("rootAnswerSeconds").
  static constexpr double kDefaultRootAnswerSeconds = 2.0;
  double GetRootAnswerSeconds() const { return rootAnswerSeconds_; }
  void SetRootAnswerSeconds(double seconds) { rootAnswerSeconds_ = seconds; }

  static std::string Folder();
  // Reads the file; a missing file leaves the defaults. A broken file is reported and the
  // defaults stay, so a bad file never stops the host.
  brantic::Result<void> Load();
  // Writes the file atomically. A file that Load could not read is first kept aside as
  // prefs.json.unreadable (said once on stderr): a save never overwrites what the user had.
  brantic::Result<void> Save();
  void Reset();

  std::string ToJson() const;
  brantic::Result<void> FromJson(std::string_view text);

 private:
  // Keeps the file Load could not read under a name of its own; false when that failed.
  brantic::Result<void> KeepUnreadableFile(const std::string& path);

  Container plugins_;
  std::vector<TextureSearchPath> searchPaths_;
  std::map<std::string, std::string> variables_;
  std::vector<brantic::PathMapping> mappings_;
  double rootAnswerSeconds_ = kDefaultRootAnswerSeconds;
  bool unreadable_ = false;  // the file on disk could not be read and is not kept aside yet
};

}  // namespace bx3
