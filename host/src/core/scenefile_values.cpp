// Reading the values of a scene file: parameters, times, node graphs and links.
#include "scenefile_values.h"

#include <charconv>
#include <optional>
#include <vector>

namespace bx3::scenefile {

using brantic::JsonKind;

brantic::String SceneValueReader::Intern(std::string_view text) {
  if (text.size() > kMaxInterned) return brantic::String(text);
  const auto found = interned_.find(text);
  if (found != interned_.end()) return found->second;
  brantic::String held(text);
  interned_.emplace(held.View(), held);
  return held;
}

int32_t SceneValueReader::ParseParamId(std::string_view key) {
  int32_t plain = 0;
  const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), plain);
  if (error == std::errc() && end == key.data() + key.size()) return plain;
  auto id = brantic::String(std::string(key)).ToInt64();
  Expect(id.HasValue() && *id >= INT32_MIN && *id <= INT32_MAX, "parameter keys are 32-bit integers");
  return static_cast<int32_t>(*id);
}

ReadValue SceneValueReader::ReadParam() {
  ReadValue result;
  OneMember("a parameter is an object with one typed value, such as {\"file\": \"a.png\"}", [&](std::string_view kind) {
    if (kind == "bool") {
      result = ParamValue(Bool("must be true or false"));
    } else if (kind == "int") {
      result = ParamValue(static_cast<int32_t>(Integer("must be a 32-bit integer", INT32_MIN, INT32_MAX)));
    } else if (kind == "float") {
      result = ParamValue(Number("must be a number"));
    } else if (kind == "time") {
      result = ParamValue(ReadTime());
    } else if (kind == "string") {
      result = ParamValue(brantic::String(std::string(Text("must be a text"))));
    } else if (kind == "file") {
      result = ParamValue(Filename(Intern(Text("must be a file name text"))));
    } else if (kind == "url") {
      result = ParamValue(brantic::Url::FromString(std::string(Text("must be a URL text"))));
    } else if (kind == "link") {
      // A link to an element outside the file was saved as null: it reads back empty.
      if (Null()) {
        result = ParamValue(ElementLink());
      } else {
        result = ReadLink("a link must be an element id");
      }
    } else {
      Fail(Where(), "unknown value type \"" + std::string(kind) + "\"");
    }
  });
  return result;
}

brantic::TimeValue SceneValueReader::ReadTime() {
  static const char* const kProblem = "a time is [numerator, positive denominator]";
  int64_t parts[2] = {0, 0};
  size_t count = 0;
  Items(kProblem, [&](size_t index) {
    Expect(index < 2, kProblem);
    parts[index] = Integer(kProblem);
    count = index + 1;
  });
  Expect(count == 2 && parts[1] > 0, kProblem);
  return brantic::TimeValue(parts[0], parts[1]);
}

brantic::NodeGraph SceneValueReader::ReadGraph() {
  std::optional<brantic::Id> space;
  struct ReadNodeEntry {
    brantic::Node node;
    std::string position;
  };
  std::vector<ReadNodeEntry> nodes;
  const std::string where = Where();
  Members("must be an object", [&](std::string_view key) {
    if (key == "space") {
      const std::string_view text = Text("needs a node space identifier");
      Expect(!text.empty(), "needs a node space identifier");
      space = brantic::Id(std::string(text));
    } else if (key == "nodes") {
      Items("must be an array", [&](size_t) { nodes.push_back({ReadNode(), Where()}); });
    } else {
      Skip();
    }
  });
  if (!space) Fail(where + "/space", "needs a node space identifier");
  brantic::NodeGraph graph(*space);
  for (ReadNodeEntry& entry : nodes) {
    if (graph.FindNode(entry.node.path) != nullptr) {
      Fail(entry.position + "/path", "duplicate node path \"" + entry.node.path.Text().Std() + "\"");
    }
    graph.AddNode(std::move(entry.node)).HasValue();
  }
  return graph;
}

brantic::Node SceneValueReader::ReadNode() {
  std::optional<brantic::NodePath> path;
  brantic::Node node{{}, {}, {}};
  const std::string where = Where();
  Members("a node must be an object", [&](std::string_view key) {
    if (key == "path") {
      auto parsed = brantic::NodePath::FromText(Text("needs a node path"));
      Expect(parsed.HasValue() && !parsed->IsEmpty(), "is not a node path");
      path = *parsed;
    } else if (key == "type") {
      node.type = brantic::Id(std::string(Text("must be a text")));
    } else if (key == "ports") {
      Members("must be an object", [&](std::string_view port) {
        brantic::Id id{std::string(port)};
        node.ports.emplace(std::move(id), ReadPortValue());
      });
    } else {
      Skip();
    }
  });
  if (!path) Fail(where + "/path", "needs a node path");
  node.path = *path;
  return node;
}

brantic::PortValue SceneValueReader::ReadPortValue() {
  brantic::PortValue value;
  OneMember("a port value is an object with one typed value", [&](std::string_view kindView) {
    const std::string kind(kindView);
    const std::string problem = "not a port value of type \"" + kind + "\"";
    const JsonKind next = Peek();
    if (kind == "bool" && next == JsonKind::Bool) {
      value = Bool(problem.c_str());
    } else if (kind == "int" && next == JsonKind::Number) {
      value = Integer(problem.c_str());
    } else if (kind == "float" && next == JsonKind::Number) {
      value = Number(problem.c_str());
    } else if (kind == "string" && next == JsonKind::String) {
      value = brantic::String(std::string(Text(problem.c_str())));
    } else if (kind == "url" && next == JsonKind::String) {
      value = brantic::Url::FromString(std::string(Text(problem.c_str())));
    } else if (kind == "time") {
      value = ReadTime();
    } else {
      Fail(Where(), problem);
    }
  });
  return value;
}

}  // namespace bx3::scenefile
