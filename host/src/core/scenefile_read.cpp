// Reading .bx3 scene files.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <utility>

#include "bx3/scenefile.h"
#include "main_thread_check.h"
#include "scenefile_common.h"

namespace bx3 {

namespace {

using Json = nlohmann::ordered_json;

// A problem found while reading, with the JSON pointer of the value it concerns.
struct SceneError {
  std::string position;
  std::string problem;
};

class SceneReader {
 public:
  explicit SceneReader(std::unique_ptr<Document> document) : document_(std::move(document)) {}

  // Throws SceneError; caught in ParseDocument so that no exception leaves this file.
  // Reads `root`, letting go of each element's text once the element is made: the text of a
  // large scene and the scene itself are not held whole at the same time.
  void Read(Json& root) {
    Expect(root.is_object(), "", "the scene must be a JSON object");
    const Json* format = Member(root, "format", "");
    Expect(format && format->is_string() && *format == kSceneFormatName, "/format",
           std::string("must be \"") + kSceneFormatName + "\"");
    const Json* version = Member(root, "version", "");
    Expect(version && version->is_number_integer() && version->get<int64_t>() >= 1 &&
               version->get<int64_t>() <= kSceneFormatVersion,
           "/version", "unsupported version (this host reads 1 to " + std::to_string(kSceneFormatVersion) + ")");
    if (const Json* doc = Member(root, "document", "")) ReadOwnData(*doc, "/document", *document_);
    for (const auto& [key, branch] : kBranchKeys) {
      Json* list = Member(root, key, "");
      if (!list) continue;
      const std::string where = std::string("/") + key;
      Expect(list->is_array(), where, "must be an array");
      for (size_t i = 0; i < list->size(); ++i) {
        auto element = ReadElement((*list)[i], where + "/" + std::to_string(i));
        document_->InsertElement(branch, std::move(element));
        (*list)[i] = Json();
      }
    }
    if (const Json* takes = Member(root, "takes", "")) ReadTakes(*takes);
    ResolveLinks();
    ReadActive(root, "activeMaterial", [&](Element* e) { document_->SetActiveMaterial(e); });
    ReadActive(root, "activeObject", [&](Element* e) { document_->SetActiveObject(e); });
    ReadActive(root, "activeRenderSettings", [&](Element* e) { document_->SetActiveRenderSettings(e); });
    if (const Json* textures = Member(root, "paintTextures", "")) {
      Expect(textures->is_array(), "/paintTextures", "must be an array of file names");
      std::vector<Filename> names;
      for (size_t i = 0; i < textures->size(); ++i) {
        Expect((*textures)[i].is_string(), "/paintTextures/" + std::to_string(i), "must be a file name text");
        names.emplace_back((*textures)[i].get<std::string>());
      }
      document_->SetPaintTextures(std::move(names));
    }
    if (const Json* preview = Member(root, "preview", "")) {
      Expect(preview->is_object(), "/preview", "must be an object");
      const Json* png = Member(*preview, "png", "/preview");
      Expect(png && png->is_string(), "/preview/png", "must be a base64 text");
      auto bytes = DecodeBase64(png->get<std::string>());
      Expect(bytes.HasValue(), "/preview/png", "is not valid base64");
      document_->SetPreviewPng(std::move(*bytes));
    }
    document_->MarkSaved();
  }

  std::unique_ptr<Document> TakeDocument() { return std::move(document_); }

 private:
  struct PendingLink {
    std::string position;
    int64_t fileId;
    std::function<void(Element*)> apply;
  };

  [[noreturn]] static void Fail(std::string position, std::string problem) {
    throw SceneError{std::move(position), std::move(problem)};
  }
  static void Expect(bool condition, const std::string& position, const std::string& problem) {
    if (!condition) Fail(position, problem);
  }
  static Json* Member(Json& object, const char* key, const std::string& where) {
    return const_cast<Json*>(Member(std::as_const(object), key, where));
  }
  static const Json* Member(const Json& object, const char* key, const std::string&) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(key);
    return found == object.end() || found->is_null() ? nullptr : &*found;
  }

  int64_t ReadId(const Json& object, const std::string& where) {
    const Json* id = Member(object, "id", where);
    Expect(id && id->is_number_integer() && id->get<int64_t>() > 0, where + "/id", "needs a positive integer id");
    return id->get<int64_t>();
  }

  void NoteId(int64_t fileId, Element* element, const std::string& where) {
    Expect(byFileId_.emplace(fileId, element).second, where + "/id", "duplicate id " + std::to_string(fileId));
  }

  void LinkLater(const Json& value, const std::string& where, std::function<void(Element*)> apply) {
    Expect(value.is_number_integer(), where, "a link must be an element id");
    pending_.push_back({where, value.get<int64_t>(), std::move(apply)});
  }

  std::unique_ptr<Element> ReadElement(const Json& json, const std::string& where, int depth = 0) {
    // Element trees are walked recursively; a hostile file must not exhaust the stack.
    Expect(depth < kMaxNesting, where, "elements nested deeper than " + std::to_string(kMaxNesting) + " levels");
    Expect(json.is_object(), where, "an element must be an object");
    const int64_t fileId = ReadId(json, where);
    const Json* typeName = Member(json, "type", where);
    Expect(typeName && typeName->is_string(), where + "/type", "needs a type name");
    const TypeInfo* info = FindTypeByName(typeName->get<std::string>());
    Expect(info != nullptr, where + "/type", "unknown element type \"" + typeName->get<std::string>() + "\"");
    Expect(info->category != TypeCategory::Document && info->category != TypeCategory::Head &&
               info->category != TypeCategory::Take,
           where + "/type", "\"" + std::string(info->name) + "\" cannot stand here");
    std::unique_ptr<Element> element = CreateElement(info->id);
    NoteId(fileId, element.get(), where);
    ReadOwnData(json, where, *element);
    if (const Json* children = Member(json, "children", where)) {
      Expect(children->is_array(), where + "/children", "must be an array");
      for (size_t i = 0; i < children->size(); ++i) {
        element->InsertChild(ReadElement((*children)[i], where + "/children/" + std::to_string(i), depth + 1));
      }
    }
    return element;
  }

  void ReadOwnData(const Json& json, const std::string& where, Element& element) {
    Expect(json.is_object(), where, "must be an object");
    if (const Json* name = Member(json, "name", where)) {
      Expect(name->is_string(), where + "/name", "must be a text");
      element.SetName(name->get<std::string>());
    }
    if (const Json* layer = Member(json, "layer", where)) {
      LinkLater(*layer, where + "/layer", [&element, position = where + "/layer"](Element* target) {
        Expect(target->GetType() == type::kLayer, position, "links to an element that is no layer");
        element.SetLayer(target);
      });
    }
    if (const Json* params = Member(json, "params", where)) {
      Expect(params->is_object(), where + "/params", "must be an object of parameters");
      for (const auto& [key, value] : params->items()) {
        const std::string position = where + "/params/" + key;
        const int32_t paramId = ParseParamId(key, position);
        ReadParam(value, position, [&element, paramId](ParamValue v) { element.SetParameter(paramId, std::move(v)); });
      }
    }
    if (const Json* graphs = Member(json, "graphs", where)) ReadGraphs(*graphs, where + "/graphs", element);
  }

  static int32_t ParseParamId(const std::string& key, const std::string& position) {
    auto id = brantic::String(key).ToInt64();
    Expect(id.HasValue() && *id >= INT32_MIN && *id <= INT32_MAX, position, "parameter keys are 32-bit integers");
    return static_cast<int32_t>(*id);
  }

  // Reads {"file": "..."} and the other typed forms; links are resolved after the whole
  // file was read.
  void ReadParam(const Json& value, const std::string& where, std::function<void(ParamValue)> set) {
    Expect(value.is_object() && value.size() == 1, where,
           "a parameter is an object with one typed value, such as {\"file\": \"a.png\"}");
    // The one entry of the object: its key names the type.
    const auto only = value.begin();
    const std::string kind = only.key();
    const auto& data = only.value();
    const std::string position = where + "/" + kind;
    if (kind == "bool") {
      Expect(data.is_boolean(), position, "must be true or false");
      set(data.get<bool>());
    } else if (kind == "int") {
      Expect(data.is_number_integer() && data.get<int64_t>() >= INT32_MIN && data.get<int64_t>() <= INT32_MAX, position,
             "must be a 32-bit integer");
      set(static_cast<int32_t>(data.get<int64_t>()));
    } else if (kind == "float") {
      Expect(data.is_number(), position, "must be a number");
      set(data.get<double>());
    } else if (kind == "time") {
      set(ReadTime(data, position));
    } else if (kind == "string") {
      Expect(data.is_string(), position, "must be a text");
      set(brantic::String(data.get<std::string>()));
    } else if (kind == "file") {
      Expect(data.is_string(), position, "must be a file name text");
      set(Filename(data.get<std::string>()));
    } else if (kind == "url") {
      Expect(data.is_string(), position, "must be a URL text");
      set(brantic::Url::FromString(data.get<std::string>()));
    } else if (kind == "link") {
      LinkLater(data, position, [set](Element* target) { set(ElementLink(target)); });
    } else {
      Fail(position, "unknown value type \"" + kind + "\"");
    }
  }

  static brantic::TimeValue ReadTime(const Json& data, const std::string& position) {
    Expect(data.is_array() && data.size() == 2 && data[0].is_number_integer() && data[1].is_number_integer() &&
               data[1].get<int64_t>() > 0,
           position, "a time is [numerator, positive denominator]");
    return brantic::TimeValue(data[0].get<int64_t>(), data[1].get<int64_t>());
  }

  void ReadGraphs(const Json& graphs, const std::string& where, Element& element) {
    Expect(graphs.is_array(), where, "must be an array of node graphs");
    for (size_t g = 0; g < graphs.size(); ++g) {
      const std::string gWhere = where + "/" + std::to_string(g);
      const Json& json = graphs[g];
      const Json* space = Member(json, "space", gWhere);
      Expect(space && space->is_string() && !space->get<std::string>().empty(), gWhere + "/space",
             "needs a node space identifier");
      Expect(element.GetNodeGraphs().count(brantic::Id(space->get<std::string>())) == 0, gWhere + "/space",
             "a second graph for the same node space");
      brantic::NodeGraph graph(brantic::Id(space->get<std::string>()));
      if (const Json* nodes = Member(json, "nodes", gWhere)) {
        Expect(nodes->is_array(), gWhere + "/nodes", "must be an array");
        for (size_t n = 0; n < nodes->size(); ++n) {
          graph.AddNode(ReadNode((*nodes)[n], gWhere + "/nodes/" + std::to_string(n), graph)).HasValue();
        }
      }
      element.SetNodeGraph(std::move(graph));
    }
  }

  brantic::Node ReadNode(const Json& json, const std::string& where, const brantic::NodeGraph& graph) {
    Expect(json.is_object(), where, "a node must be an object");
    const Json* path = Member(json, "path", where);
    Expect(path && path->is_string(), where + "/path", "needs a node path");
    auto nodePath = brantic::NodePath::FromText(path->get<std::string>());
    Expect(nodePath.HasValue() && !nodePath->IsEmpty(), where + "/path", "is not a node path");
    Expect(graph.FindNode(*nodePath) == nullptr, where + "/path",
           "duplicate node path \"" + path->get<std::string>() + "\"");
    brantic::Node node{*nodePath, {}, {}};
    if (const Json* type = Member(json, "type", where)) {
      Expect(type->is_string(), where + "/type", "must be a text");
      node.type = brantic::Id(type->get<std::string>());
    }
    if (const Json* ports = Member(json, "ports", where)) {
      Expect(ports->is_object(), where + "/ports", "must be an object");
      for (const auto& [key, value] : ports->items()) {
        node.ports.emplace(brantic::Id(key), ReadPortValue(value, where + "/ports/" + key));
      }
    }
    return node;
  }

  static brantic::PortValue ReadPortValue(const Json& value, const std::string& where) {
    Expect(value.is_object() && value.size() == 1, where, "a port value is an object with one typed value");
    // The one entry of the object: its key names the type.
    const auto only = value.begin();
    const std::string kind = only.key();
    const auto& data = only.value();
    const std::string position = where + "/" + kind;
    if (kind == "bool" && data.is_boolean()) return data.get<bool>();
    if (kind == "int" && data.is_number_integer()) return data.get<int64_t>();
    if (kind == "float" && data.is_number()) return data.get<double>();
    if (kind == "string" && data.is_string()) return brantic::String(data.get<std::string>());
    if (kind == "url" && data.is_string()) return brantic::Url::FromString(data.get<std::string>());
    if (kind == "time") return ReadTime(data, position);
    Fail(position, "not a port value of type \"" + kind + "\"");
  }

  void ReadTakes(const Json& takes) {
    Expect(takes.is_array(), "/takes", "must be an array");
    struct TakeEntry {
      int64_t parent;
      std::unique_ptr<Take> take;
      std::string where;
    };
    std::map<int64_t, TakeEntry> entries;
    std::vector<int64_t> order;
    for (size_t i = 0; i < takes.size(); ++i) {
      const std::string where = "/takes/" + std::to_string(i);
      const Json& json = takes[i];
      Expect(json.is_object(), where, "a take must be an object");
      const int64_t fileId = ReadId(json, where);
      auto take = std::make_unique<Take>();
      NoteId(fileId, take.get(), where);
      ReadOwnData(json, where, *take);
      int64_t parent = 0;
      if (const Json* p = Member(json, "parent", where)) {
        Expect(p->is_number_integer(), where + "/parent", "must be a take id");
        parent = p->get<int64_t>();
      }
      if (const Json* overrides = Member(json, "overrides", where)) {
        Expect(overrides->is_array(), where + "/overrides", "must be an array");
        for (size_t o = 0; o < overrides->size(); ++o) {
          ReadOverride((*overrides)[o], where + "/overrides/" + std::to_string(o), *take);
        }
      }
      order.push_back(fileId);
      entries.emplace(fileId, TakeEntry{parent, std::move(take), where});
    }
    // Every take but the first needs a parent take; parents form a tree without cycles.
    for (size_t i = 0; i < order.size(); ++i) {
      TakeEntry& entry = entries.at(order[i]);
      if (i == 0) {
        Expect(entry.parent == 0, entry.where + "/parent", "the main take has no parent");
        continue;
      }
      Expect(entry.parent != 0, entry.where + "/parent", "only the main take has no parent");
      std::set<int64_t> seen{order[i]};
      for (int64_t up = entry.parent; up != 0;) {
        const auto found = entries.find(up);
        Expect(found != entries.end(), entry.where + "/parent", "no take with id " + std::to_string(up));
        Expect(seen.insert(up).second, entry.where + "/parent", "the take hierarchy has a cycle");
        up = found->second.parent;
      }
    }
    // Insert parents before children, keeping the file's order among siblings.
    std::map<int64_t, Take*> inserted;
    while (inserted.size() < order.size()) {
      for (int64_t id : order) {
        TakeEntry& entry = entries.at(id);
        if (!entry.take) continue;
        Element* parent = nullptr;
        if (entry.parent != 0) {
          const auto found = inserted.find(entry.parent);
          if (found == inserted.end()) continue;
          parent = found->second;
        }
        Take* raw = entry.take.get();
        document_->InsertElement(Branch::Takes, std::move(entry.take), parent);
        inserted.emplace(id, raw);
      }
    }
  }

  void ReadOverride(const Json& json, const std::string& where, Take& take) {
    Expect(json.is_object(), where, "an override must be an object");
    const Json* element = Member(json, "element", where);
    Expect(element != nullptr, where + "/element", "needs the id of the element");
    const Json* param = Member(json, "param", where);
    Expect(param && param->is_number_integer(), where + "/param", "needs a parameter id");
    const Json* value = Member(json, "value", where);
    Expect(value != nullptr, where + "/value", "needs a value");
    const int32_t paramId = static_cast<int32_t>(param->get<int64_t>());
    auto parsed = std::make_shared<ParamValue>();
    ReadParam(*value, where + "/value", [parsed](ParamValue v) { *parsed = std::move(v); });
    Take* target = &take;
    LinkLater(*element, where + "/element",
              [target, paramId, parsed](Element* overridden) { target->SetOverride(overridden, paramId, *parsed); });
  }

  template <typename Apply>
  void ReadActive(const Json& root, const char* key, Apply apply) {
    const Json* value = Member(root, key, "");
    if (!value) return;
    const std::string where = std::string("/") + key;
    Expect(value->is_number_integer(), where, "must be an element id");
    const auto found = byFileId_.find(value->get<int64_t>());
    Expect(found != byFileId_.end(), where, "no element with id " + std::to_string(value->get<int64_t>()));
    apply(found->second);
  }

  void ResolveLinks() {
    // Link values of overrides may be set before their own link resolves; the order of
    // pending_ is the file's order, which keeps the result deterministic.
    for (PendingLink& link : pending_) {
      const auto found = byFileId_.find(link.fileId);
      Expect(found != byFileId_.end(), link.position, "dangling link to element " + std::to_string(link.fileId));
      link.apply(found->second);
    }
  }

  static constexpr int kMaxNesting = 1000;

  std::unique_ptr<Document> document_;
  std::map<int64_t, Element*> byFileId_;
  std::vector<PendingLink> pending_;
};

std::string LineAndColumn(std::string_view text, size_t byte) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

brantic::Result<std::unique_ptr<Document>> ParseDocument(std::string_view text, std::string_view sourceName) {
  const std::string source(sourceName);
  Json root;
  try {
    root = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& error) {
    std::string what = error.what();
    // nlohmann's text repeats the position; keep only the problem.
    const size_t detail = what.find(": ", what.find("parse error"));
    if (detail != std::string::npos) what = what.substr(detail + 2);
    return brantic::IllegalArgumentError(source + ": " + LineAndColumn(text, error.byte ? error.byte - 1 : 0) +
                                         ": not a valid scene file (" + what + ")");
  }
  try {
    SceneReader reader(std::make_unique<Document>());
    reader.Read(root);
    return reader.TakeDocument();
  } catch (const SceneError& error) {
    return brantic::IllegalArgumentError(source + ": " + (error.position.empty() ? "/" : error.position) + ": " +
                                         error.problem);
  } catch (const Json::exception& error) {
    return brantic::IllegalArgumentError(source + ": " + error.what());
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError(source + ": out of memory while reading");
  }
}

brantic::Result<std::unique_ptr<Document>> LoadDocument(const std::string& path) {
  BX3_MAIN_THREAD_ONLY();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return brantic::IoError(path + ": no such file");
  if (!S_ISREG(info.st_mode)) return brantic::IoError(path + ": not a regular file");
  std::ifstream file(path, std::ios::binary);
  if (!file) return brantic::IoError(path + ": cannot open the file");
  // Read into one buffer of the file's size: a large scene is not held twice.
  std::string content;
  content.reserve(size_t(info.st_size));
  content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (file.bad()) return brantic::IoError(path + ": cannot read the file");
  auto document = ParseDocument(content, path);
  content = std::string();
  if (!document) return document;
  std::string absolute = path;
  if (!absolute.empty() && absolute.front() != '/') {
    if (char* cwd = ::getcwd(nullptr, 0)) {
      absolute = std::string(cwd) + "/" + path;
      std::free(cwd);
    }
  }
  (*document)->SetFilename(Filename(brantic::NormalizePathText(absolute)));
  (*document)->MarkSaved();
  return document;
}

}  // namespace bx3
