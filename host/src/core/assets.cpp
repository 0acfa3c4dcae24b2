#include "bx3/assets.h"

#include <functional>

#include "bx3/illumination_cache.h"
#include "main_thread_check.h"

namespace bx3 {

namespace {

class AssetCollector {
 public:
  AssetCollector(int32_t flags, const std::function<void(const AssetUse&)>& visit) : flags_(flags), visit_(visit) {}

  void Parameters(const Element& element, Element* user) {
    for (const auto& [id, value] : element.GetParameters()) {
      const auto* file = std::get_if<Filename>(&value);
      if (!file || !file->IsPopulated()) continue;
      const ParamDescription* description = FindParamDescription(element.GetType(), id);
      const bool isOutput = description && description->isOutput;
      if (isOutput && !(flags_ & kAssetQueryOutputs)) continue;
      AssetUse use;
      use.file = CacheFileOf(element, id, *file);
      use.parameterId = ChannelOf(element);
      use.element = user;
      use.flag = isOutput;
      use.channelId = id;
      visit_(use);
    }
  }

  void Tree(const Element& element) {
    for (const auto& child : element.GetChildren()) {
      Parameters(*child, child.get());
      Tree(*child);
      if (flags_ & kAssetQueryNodeMaterials) Graphs(*child);
    }
  }

  void Graphs(Element& element) {
    for (const auto& [space, graph] : element.GetNodeGraphs()) {
      for (const brantic::Node& node : graph.Nodes()) {
        const auto type = brantic::FindNodeType(node.type);
        const brantic::Id port = type && !type->valuePort.IsEmpty() ? type->valuePort : brantic::Id("file");
        const brantic::PortValue* value = node.FindPort(port);
        Filename file;
        if (const auto* url = value ? std::get_if<brantic::Url>(value) : nullptr) {
          file = Filename::FromUrl(*url);
        } else if (const auto* text = value ? std::get_if<brantic::String>(value) : nullptr) {
          file = Filename(*text);
        }
        if (!file.IsPopulated()) continue;
        AssetUse use;
        use.file = file;
        use.element = &element;
        use.nodePath = node.path;
        use.nodeSpace = space;
        visit_(use);
      }
    }
  }

  void TakeOverrides(const Document& document) {
    for (Take* take : document.GetTakes()) {
      for (const TakeOverride& entry : take->GetOverrides()) {
        const auto* file = std::get_if<Filename>(&entry.value);
        Element* element = entry.element.Resolve(&document);
        if (!file || !file->IsPopulated() || !element) continue;
        AssetUse use;
        use.file = *file;
        use.parameterId = ChannelOf(*element);
        use.element = element;
        use.channelId = entry.paramId;
        use.take = take;
        visit_(use);
      }
    }
  }

 private:
  // The material channel of a shader: its own or that of the shader it sits in.
  static int32_t ChannelOf(const Element& element) {
    for (const Element* up = &element; up && up->IsInstanceOf(type::kShaderBase); up = up->GetParent()) {
      if (up->GetParameter(param::kShaderChannel)) return up->GetInt32(param::kShaderChannel, -1);
    }
    return -1;
  }

  // The illumination cache stores its file's name without the suffix; the file has its own.
  static Filename CacheFileOf(const Element& element, int32_t id, const Filename& file) {
    if (element.GetType() != type::kIlluminationCacheEffect || id != illumination::kParamCacheFile) return file;
    return illumination::FileOfStoredName(file);
  }

  int32_t flags_;
  const std::function<void(const AssetUse&)>& visit_;
};

}  // namespace

bool VisitAllAssets(const Document* document, int32_t flags, const std::function<void(const AssetUse&)>& visit) {
  BX3_MAIN_THREAD_ONLY();
  if (!document) return false;
  AssetCollector collector(flags, visit);
  collector.Parameters(*document, nullptr);
  for (Branch branch : {Branch::Objects, Branch::Materials, Branch::RenderSettings, Branch::SceneEffects}) {
    collector.Tree(*document->GetBranch(branch));
  }
  if (flags & kAssetQueryTakeOverrides) collector.TakeOverrides(*document);
  return true;
}

bool GetAllAssets(const Document* document, bool /*allowDialogs*/, const Filename& /*lastPath*/, int32_t flags,
                  std::vector<AssetUse>& uses) {
  uses.clear();
  return VisitAllAssets(document, flags, [&uses](const AssetUse& use) { uses.push_back(use); });
}

}  // namespace bx3
