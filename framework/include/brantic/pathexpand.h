// Paths as a production writes them, made paths of this machine: variables ("$NAME",
// "${NAME}", a leading "~"), path mappings (a root of another system and where it lives here)
// and Windows-style relative paths (".\a.jpg", "..\tex\a.png"). Any thread once made.
//
// Variables are looked up in the expander's own table first, then in the environment; "$F"
// and "$F" with one digit are frame tokens, never variables. After the variables, the first
// mapping whose "from" is a prefix of the path (ending at a separator) puts its "to" in its
// place; a Windows-style "from" ("P:\proj", "\\server\share") matches either slash and a
// drive letter in any case, and the rest of such a path takes "/" as its separator.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/result.h"

namespace brantic {

struct PathMapping {
  std::string from;
  std::string to;
  bool operator==(const PathMapping&) const = default;
};

// What a path became and what applied.
struct ExpandedPath {
  std::string path;
  // The first variable used and its value; empty when none applied.
  std::string variable;
  std::string value;
  // A variable without a value: the path is left as written and cannot be found.
  std::string unsetVariable;
  // The mapping applied, if any.
  std::optional<PathMapping> mapping;
  bool Changed(std::string_view written) const { return path != written; }
};

class PathExpander {
 public:
  PathExpander() = default;
  PathExpander(std::map<std::string, std::string> variables, std::vector<PathMapping> mappings, bool useEnvironment)
      : variables_(std::move(variables)), mappings_(std::move(mappings)), useEnvironment_(useEnvironment) {}

  ExpandedPath Expand(std::string_view path) const;
  // The mapping alone ("Apply Path Mappings"); nothing when no mapping matches.
  std::optional<std::string> Map(std::string_view path) const;
  // How a write keeps what the path it replaces was written with: `newPath` (a path of this
  // machine) under the value of the variable `oldPath` starts with is written through that
  // variable (unless `keepVariable` is false), and under a mapping's "to" through that
  // mapping's "from". Otherwise `newPath`.
  std::string KeepForm(std::string_view oldPath, std::string_view newPath, bool keepVariable = true) const;

  // The value of a variable: the table, then the environment; nothing when unset.
  std::optional<std::string> Value(std::string_view name) const;
  const std::vector<PathMapping>& Mappings() const { return mappings_; }
  bool IsEmpty() const { return variables_.empty() && mappings_.empty() && !useEnvironment_; }

 private:
  std::map<std::string, std::string> variables_;
  std::vector<PathMapping> mappings_;
  bool useEnvironment_ = true;
};

// Mappings as text, one a line: "FROM => TO"; and back, refusing a line without both ends
// with its line number. Empty lines are passed over.
std::string MappingsToText(const std::vector<PathMapping>& mappings);
Result<std::vector<PathMapping>> MappingsFromText(std::string_view text);

// True when a path may hold a variable or a Windows-style part (a "$", a leading "~", a
// backslash or a drive letter); without mappings, other paths stay as written.
bool MayNeedExpanding(std::string_view path);

}  // namespace brantic
