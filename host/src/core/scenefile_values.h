// Reading the values of a scene file (parameters, times, node graphs, links), apart from the
// structure that holds them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

#include "brantic/nodes.h"
#include "bx3/element.h"
#include "json_reader.h"

namespace bx3::scenefile {

// A link read from the file: the id of the element it names, resolved once the whole file is read.
struct LinkRef {
  int64_t fileId = 0;
  std::string position;
};

// A parameter's value, or the link it holds until links are resolved.
using ReadValue = std::variant<ParamValue, LinkRef>;

class SceneValueReader : protected JsonReader {
 protected:
  explicit SceneValueReader(std::string_view text) : JsonReader(text) {}

  LinkRef ReadLink(const char* problem) { return LinkRef{Integer(problem), Where()}; }
  // Names and file names repeat across a scene (many shaders of one name, many uses of one
  // picture); each distinct text is held once.
  brantic::String Intern(std::string_view text);
  int32_t ParseParamId(std::string_view key);
  // Reads {"file": "..."} and the other typed forms; a link stays a reference until all is read.
  ReadValue ReadParam();
  brantic::TimeValue ReadTime();
  brantic::NodeGraph ReadGraph();

 private:
  brantic::Node ReadNode();
  brantic::PortValue ReadPortValue();

  static constexpr size_t kMaxInterned = 256;
  std::unordered_map<std::string_view, brantic::String> interned_;
};

}  // namespace bx3::scenefile
