#include "brantic/pathexpand.h"

#include <cctype>
#include <cstdlib>

namespace brantic {

namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// "$F" and "$F" with one digit 1-9, not followed by a name character: a frame token.
bool IsFrameToken(std::string_view text, size_t dollar) {
  if (dollar + 1 >= text.size() || text[dollar + 1] != 'F') return false;
  size_t end = dollar + 2;
  if (end < text.size() && text[end] >= '1' && text[end] <= '9') ++end;
  return end >= text.size() || !IsNameChar(text[end]);
}

// A variable reference at `at` ("$NAME" or "${NAME}"): its name and length; nothing otherwise.
std::optional<std::pair<std::string_view, size_t>> VariableAt(std::string_view text, size_t at) {
  if (text[at] != '$' || IsFrameToken(text, at)) return std::nullopt;
  if (at + 1 < text.size() && text[at + 1] == '{') {
    const size_t close = text.find('}', at + 2);
    if (close == std::string_view::npos || close == at + 2) return std::nullopt;
    const std::string_view name = text.substr(at + 2, close - at - 2);
    for (char c : name) {
      if (!IsNameChar(c)) return std::nullopt;
    }
    return std::make_pair(name, close + 1 - at);
  }
  size_t end = at + 1;
  if (end >= text.size() || !IsNameStart(text[end])) return std::nullopt;
  while (end < text.size() && IsNameChar(text[end])) ++end;
  return std::make_pair(text.substr(at + 1, end - at - 1), end - at);
}

bool IsWindowsStyle(std::string_view path) {
  return (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') ||
         path.starts_with("\\\\") || path.find('\\') != std::string_view::npos;
}

// Two characters of a path prefix alike: separators of either kind, letters of a Windows
// path in any case.
bool SameChar(char a, char b, bool windows) {
  if (IsSeparator(a) && IsSeparator(b)) return windows || a == b;
  return windows ? std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)) : a == b;
}

// The length of `prefix` in `path` when it is a prefix ending at a separator (or the end).
std::optional<size_t> PrefixLength(std::string_view path, std::string_view prefix) {
  while (prefix.size() > 1 && IsSeparator(prefix.back())) prefix.remove_suffix(1);
  if (prefix.empty() || path.size() < prefix.size()) return std::nullopt;
  const bool windows = IsWindowsStyle(prefix);
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (!SameChar(path[i], prefix[i], windows)) return std::nullopt;
  }
  if (path.size() > prefix.size() && !IsSeparator(path[prefix.size()]) && !IsSeparator(prefix.back())) {
    return std::nullopt;
  }
  return prefix.size();
}

std::string WithSlashes(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  return result;
}

std::string JoinRoot(std::string_view root, std::string_view rest, bool slashes) {
  std::string joined(root);
  while (joined.size() > 1 && IsSeparator(joined.back())) joined.pop_back();
  std::string tail = slashes ? WithSlashes(rest) : std::string(rest);
  if (!tail.empty() && !IsSeparator(tail.front())) joined += '/';
  return joined + tail;
}

}  // namespace

namespace {

constexpr std::string_view kMappingArrow = " => ";

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string MappingsToText(const std::vector<PathMapping>& mappings) {
  std::string text;
  for (const PathMapping& mapping : mappings) text += mapping.from + std::string(kMappingArrow) + mapping.to + "\n";
  return text;
}

Result<std::vector<PathMapping>> MappingsFromText(std::string_view text) {
  std::vector<PathMapping> mappings;
  int line = 0;
  while (!text.empty()) {
    ++line;
    const size_t end = text.find('\n');
    const std::string_view row = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (row.empty()) continue;
    const size_t arrow = row.find(Trimmed(kMappingArrow));
    const std::string_view from = arrow == std::string_view::npos ? row : Trimmed(row.substr(0, arrow));
    const std::string_view to = arrow == std::string_view::npos
                                    ? std::string_view()
                                    : Trimmed(row.substr(arrow + Trimmed(kMappingArrow).size()));
    if (from.empty() || to.empty()) {
      return IllegalArgumentError("line " + std::to_string(line) + ": a mapping is \"FROM => TO\"");
    }
    mappings.push_back({std::string(from), std::string(to)});
  }
  return mappings;
}

bool MayNeedExpanding(std::string_view path) {
  return path.find('$') != std::string_view::npos || path.starts_with('~') || IsWindowsStyle(path);
}

std::optional<std::string> PathExpander::Value(std::string_view name) const {
  if (const auto found = variables_.find(std::string(name)); found != variables_.end()) return found->second;
  if (useEnvironment_) {
    if (const char* value = std::getenv(std::string(name).c_str())) return std::string(value);
  }
  return std::nullopt;
}

std::optional<std::string> PathExpander::Map(std::string_view path) const {
  for (const PathMapping& mapping : mappings_) {
    if (const auto length = PrefixLength(path, mapping.from)) {
      return JoinRoot(mapping.to, path.substr(*length), IsWindowsStyle(mapping.from));
    }
  }
  return std::nullopt;
}

ExpandedPath PathExpander::Expand(std::string_view path) const {
  ExpandedPath expanded;
  expanded.path = std::string(path);
  if (mappings_.empty() && !MayNeedExpanding(path)) return expanded;
  std::string text;
  // A leading "~" alone or before a separator is the home folder.
  size_t at = 0;
  if (path.starts_with('~') && (path.size() == 1 || IsSeparator(path[1]))) {
    const auto home = Value("HOME");
    if (!home) {
      expanded.unsetVariable = "HOME";
      return expanded;
    }
    text = *home;
    expanded.variable = "~";
    expanded.value = *home;
    at = 1;
  }
  while (at < path.size()) {
    const auto variable = path[at] == '$' ? VariableAt(path, at) : std::nullopt;
    if (!variable) {
      text += path[at++];
      continue;
    }
    const auto value = Value(variable->first);
    if (!value) {
      expanded.unsetVariable = std::string(variable->first);
      return expanded;
    }
    if (expanded.variable.empty()) {
      expanded.variable = std::string(variable->first);
      expanded.value = *value;
    }
    text += *value;
    at += variable->second;
  }
  if (const auto mapped = Map(text)) {
    for (const PathMapping& mapping : mappings_) {
      if (PrefixLength(text, mapping.from)) {
        expanded.mapping = mapping;
        break;
      }
    }
    text = *mapped;
  } else if (text.starts_with(".\\") || text.starts_with("..\\")) {
    text = WithSlashes(text);  // a Windows-style relative path
  }
  expanded.path = std::move(text);
  return expanded;
}

std::string PathExpander::KeepForm(std::string_view oldPath, std::string_view newPath, bool keepVariable) const {
  // The variable the old path starts with.
  std::optional<std::pair<std::string_view, size_t>> variable;
  std::optional<std::string> value;
  if (oldPath.starts_with('~') && (oldPath.size() == 1 || IsSeparator(oldPath[1]))) {
    variable = std::make_pair(std::string_view("~"), size_t(1));
    value = Value("HOME");
  } else if (oldPath.starts_with('$')) {
    variable = VariableAt(oldPath, 0);
    if (variable) value = Value(variable->first);
  }
  if (keepVariable && variable && value && !value->empty()) {
    if (const auto length = PrefixLength(newPath, *value)) {
      return std::string(oldPath.substr(0, variable->second)) + std::string(newPath.substr(*length));
    }
  }
  if (mappings_.empty()) return std::string(newPath);
  // The mapping the old path was read through: written back in its own form.
  const std::string oldExpanded = Expand(oldPath).path;
  for (const PathMapping& mapping : mappings_) {
    if (!PrefixLength(oldPath, mapping.from) && !PrefixLength(oldExpanded, mapping.to)) continue;
    if (const auto length = PrefixLength(newPath, mapping.to)) {
      std::string rest(newPath.substr(*length));
      if (IsWindowsStyle(mapping.from)) {
        for (char& c : rest) {
          if (c == '/') c = '\\';
        }
      }
      std::string from = mapping.from;
      while (from.size() > 1 && IsSeparator(from.back())) from.pop_back();
      return from + rest;
    }
  }
  return std::string(newPath);
}

}  // namespace brantic
