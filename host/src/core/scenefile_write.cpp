// Writing .bx3 scene files.
#include <map>
#include <nlohmann/json.hpp>

#include "bx3/scenefile.h"
#include "main_thread_check.h"
#include "scenefile_common.h"

namespace bx3 {

namespace {

using Json = nlohmann::ordered_json;

class SceneWriter {
 public:
  explicit SceneWriter(const Document& document) : document_(document) {
    // Ids are numbered in file order, so a saved file reads back to the same text.
    int64_t next = 1;
    const auto number = [this, &next](const Element& element) { ids_[element.GetUid()] = next++; };
    for (const auto& [key, branch] : kBranchKeys) {
      VisitElementsBelow(*document.GetBranch(branch), number);
    }
    VisitElementsBelow(*document.GetBranch(Branch::Takes), number);
  }

  Json Write() {
    Json root;
    root["format"] = kSceneFormatName;
    root["version"] = kSceneFormatVersion;
    Json own = Json::object();
    WriteOwnData(document_, own);
    root["document"] = std::move(own);
    for (const auto& [key, branch] : kBranchKeys) {
      Json list = Json::array();
      for (const auto& child : document_.GetBranch(branch)->GetChildren()) {
        list.push_back(WriteElement(*child));
      }
      root[key] = std::move(list);
    }
    Json takes = Json::array();
    for (const Take* take : document_.GetTakes()) takes.push_back(WriteTake(*take));
    root["takes"] = std::move(takes);
    WriteActive(root, "activeMaterial", document_.GetActiveMaterial());
    WriteActive(root, "activeObject", document_.GetActiveObject());
    WriteActive(root, "activeRenderSettings", document_.GetActiveRenderSettings());
    if (!document_.GetPaintTextures().empty()) {
      Json textures = Json::array();
      for (const Filename& name : document_.GetPaintTextures()) textures.push_back(name.GetString().Std());
      root["paintTextures"] = std::move(textures);
    }
    if (!document_.GetPreviewPng().empty()) {
      root["preview"] = {{"png", EncodeBase64(document_.GetPreviewPng())}};
    }
    return root;
  }

 private:
  // Links to elements outside the document (which cannot be saved) are written as null.
  Json IdOf(const ElementLink& link) const {
    const auto found = ids_.find(link.GetUid());
    return found == ids_.end() ? Json(nullptr) : Json(found->second);
  }

  void WriteActive(Json& root, const char* key, const Element* element) {
    if (element) root[key] = IdOf(ElementLink(element));
  }

  Json WriteElement(const Element& element) {
    Json json;
    json["id"] = ids_.at(element.GetUid());
    json["type"] = element.GetTypeInfo()->name;
    WriteOwnData(element, json);
    if (!element.GetChildren().empty()) {
      Json children = Json::array();
      for (const auto& child : element.GetChildren()) children.push_back(WriteElement(*child));
      json["children"] = std::move(children);
    }
    return json;
  }

  Json WriteTake(const Take& take) {
    Json json;
    json["id"] = ids_.at(take.GetUid());
    const Element* parent = take.GetParent();
    if (parent && parent->GetType() == type::kTake) json["parent"] = IdOf(ElementLink(parent));
    WriteOwnData(take, json);
    if (!take.GetOverrides().empty()) {
      Json overrides = Json::array();
      for (const TakeOverride& entry : take.GetOverrides()) {
        overrides.push_back(
            {{"element", IdOf(entry.element)}, {"param", entry.paramId}, {"value", WriteValue(entry.value)}});
      }
      json["overrides"] = std::move(overrides);
    }
    return json;
  }

  void WriteOwnData(const Element& element, Json& json) {
    if (!element.GetName().IsEmpty()) json["name"] = element.GetName().Std();
    if (!element.GetLayerLink().IsEmpty()) json["layer"] = IdOf(element.GetLayerLink());
    if (!element.GetParameters().empty()) {
      Json params = Json::object();
      for (const auto& [id, value] : element.GetParameters()) {
        params[std::to_string(id)] = WriteValue(value);
      }
      json["params"] = std::move(params);
    }
    if (!element.GetNodeGraphs().empty()) {
      Json graphs = Json::array();
      for (const auto& [space, graph] : element.GetNodeGraphs()) {
        Json nodes = Json::array();
        for (const brantic::Node& node : graph.Nodes()) {
          Json jsonNode;
          jsonNode["path"] = node.path.Text().Std();
          if (!node.type.IsEmpty()) jsonNode["type"] = node.type.Std();
          Json ports = Json::object();
          for (const auto& [port, value] : node.ports) ports[port.Std()] = WritePortValue(value);
          if (!ports.empty()) jsonNode["ports"] = std::move(ports);
          nodes.push_back(std::move(jsonNode));
        }
        graphs.push_back({{"space", space.Std()}, {"nodes", std::move(nodes)}});
      }
      json["graphs"] = std::move(graphs);
    }
  }

  Json WriteValue(const ParamValue& value) const {
    struct Visitor {
      const SceneWriter& writer;
      Json operator()(std::monostate) const { return {{"string", ""}}; }
      Json operator()(bool v) const { return {{"bool", v}}; }
      Json operator()(int32_t v) const { return {{"int", v}}; }
      Json operator()(double v) const { return {{"float", v}}; }
      Json operator()(const brantic::TimeValue& v) const {
        return {{"time", Json::array({v.Numerator(), v.Denominator()})}};
      }
      Json operator()(const brantic::String& v) const { return {{"string", v.Std()}}; }
      Json operator()(const Filename& v) const { return {{"file", v.GetString().Std()}}; }
      Json operator()(const ElementLink& v) const { return {{"link", writer.IdOf(v)}}; }
      Json operator()(const brantic::Url& v) const { return {{"url", v.ToString()}}; }
    };
    return std::visit(Visitor{*this}, value);
  }

  static Json WritePortValue(const brantic::PortValue& value) {
    struct Visitor {
      Json operator()(std::monostate) const { return {{"string", ""}}; }
      Json operator()(bool v) const { return {{"bool", v}}; }
      Json operator()(int64_t v) const { return {{"int", v}}; }
      Json operator()(double v) const { return {{"float", v}}; }
      Json operator()(const brantic::String& v) const { return {{"string", v.Std()}}; }
      Json operator()(const brantic::Url& v) const { return {{"url", v.ToString()}}; }
      Json operator()(const brantic::TimeValue& v) const {
        return {{"time", Json::array({v.Numerator(), v.Denominator()})}};
      }
    };
    return std::visit(Visitor{}, value);
  }

  const Document& document_;
  std::map<ElementUid, int64_t> ids_;
};

}  // namespace

std::string SerializeDocument(const Document& document) { return SceneWriter(document).Write().dump(2) + "\n"; }

brantic::Result<void> SaveDocument(Document& document, const std::string& path) {
  BX3_MAIN_THREAD_ONLY();
  auto written = WriteFileAtomically(path, SerializeDocument(document));
  if (!written) return written;
  document.SetFilename(Filename(path));
  document.MarkSaved();
  return brantic::OK();
}

std::string EncodeBase64(std::string_view bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t chunk = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) chunk |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) chunk |= static_cast<uint8_t>(bytes[i + 2]);
    out += kAlphabet[(chunk >> 18) & 63];
    out += kAlphabet[(chunk >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
  }
  return out;
}

brantic::Result<std::string> DecodeBase64(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  if (text.size() % 4 != 0) return brantic::IllegalArgumentError("base64 length is not a multiple of 4");
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    int digits[4];
    int padding = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + static_cast<size_t>(k)];
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        digits[k] = 0;
        ++padding;
        continue;
      }
      if (padding > 0 || (digits[k] = value(c)) < 0) {
        return brantic::IllegalArgumentError("bad base64 character");
      }
    }
    const uint32_t chunk = (static_cast<uint32_t>(digits[0]) << 18) | (static_cast<uint32_t>(digits[1]) << 12) |
                           (static_cast<uint32_t>(digits[2]) << 6) | static_cast<uint32_t>(digits[3]);
    out += static_cast<char>((chunk >> 16) & 0xff);
    if (padding < 2) out += static_cast<char>((chunk >> 8) & 0xff);
    if (padding < 1) out += static_cast<char>(chunk & 0xff);
  }
  return out;
}

}  // namespace bx3
