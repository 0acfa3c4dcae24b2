#include "collection/kvcollect_rules.h"

#include <cmath>

#include "collection/kvassettype.h"

namespace kv {

bx3::Element* OwnerMainOf(bx3::Element* element, bx3::Document& document) {
  if (!element) return &document;
  bx3::Element* main = element->GetMain();
  if (main) {
    for (int32_t base : {bx3::type::kObjectBase, bx3::type::kTagBase, bx3::type::kMaterialBase,
                         bx3::type::kRenderSettings, bx3::type::kSceneEffectBase}) {
      if (main->IsInstanceOf(base)) return main;
    }
  }
  return element;
}

std::pair<int32_t, int32_t> TrailingDigits(std::string_view name) {
  size_t start = name.size();
  while (start > 0 && name[start - 1] >= '0' && name[start - 1] <= '9') --start;
  if (start == name.size()) return {-1, 0};
  return {int32_t(start), int32_t(name.size() - start)};
}

void RecomputeFrameDigits(KvAssetEntry& row) {
  if (!row.IsSequence()) return;
  const auto [position, length] = TrailingDigits(row.assetPath.GetFile().WithoutSuffix().View());
  row.frameDigitsPos = position;
  row.frameDigitsLen = length;
}

int32_t TimeToFrame(const brantic::TimeValue& time, double rate) { return time.GetFrame(rate); }

std::optional<std::pair<int32_t, int32_t>> OwnerFrameRange(const bx3::Element& owner, const bx3::Document& document,
                                                           const bx3::Filename& assetPath,
                                                           const brantic::NodePath& nodePath,
                                                           const brantic::Id& nodeSpace) {
  using namespace bx3;
  switch (owner.GetType()) {
    case type::kBitmapShader:
      if (IsVideoFile(assetPath)) return std::nullopt;  // a movie is never a sequence
      return std::make_pair(owner.GetInt32(param::kBitmapFirstFrame), owner.GetInt32(param::kBitmapLastFrame));
    case type::kIlluminationCacheEffect: {
      const Element* settings = document.GetActiveRenderSettings();
      if (!settings) return std::nullopt;
      const double rate = settings->GetFloat(param::kRenderFrameRate, document.GetFrameRate());
      return std::make_pair(TimeToFrame(settings->GetTime(param::kRenderFirstFrame), rate),
                            TimeToFrame(settings->GetTime(param::kRenderLastFrame), rate));
    }
    case type::kPointCacheTag: {
      const double rate = document.GetFrameRate();
      return std::make_pair(TimeToFrame(owner.GetTime(param::kPointCacheFirstFrame), rate),
                            TimeToFrame(owner.GetTime(param::kPointCacheLastFrame), rate));
    }
    case type::kVolumeSequenceObject:
      return std::make_pair(owner.GetInt32(param::kVolumeSequenceFirstFrame),
                            owner.GetInt32(param::kVolumeSequenceLastFrame));
    case type::kStandardMaterial: {
      auto* graph = const_cast<Element&>(owner).GetNodeGraph(nodeSpace);
      const brantic::Node* node = graph ? graph->FindNode(nodePath) : nullptr;
      const auto nodeType = node ? brantic::FindNodeType(node->type) : std::nullopt;
      if (!node || !nodeType || nodeType->firstFramePort.IsEmpty()) return std::nullopt;
      auto frame = [&](const brantic::Id& port) -> int32_t {
        const brantic::PortValue* value = node->FindPort(port);
        const auto* number = value ? std::get_if<int64_t>(value) : nullptr;
        return number ? int32_t(*number) : 0;
      };
      return std::make_pair(frame(nodeType->firstFramePort), frame(nodeType->lastFramePort));
    }
    default: return std::nullopt;
  }
}

TakeLookup LookUpTake(const bx3::Document& document, const bx3::Take* useTake, const bx3::Element* owner,
                      int32_t paramId) {
  TakeLookup lookup;
  const bx3::Take* main = document.GetMainTake();
  if (!main) return lookup;
  lookup.found = true;
  if (useTake) {
    lookup.name = useTake->GetName();
    lookup.isOverride = useTake != main;
    return lookup;
  }
  for (const bx3::Take* take : document.GetTakes()) {
    if (take != main && take->FindOverride(owner, paramId)) {
      lookup.name = take->GetName();
      lookup.isOverride = true;
      return lookup;
    }
  }
  lookup.name = main->GetName();
  return lookup;
}

bx3::DescId RemapTargetDescId(int32_t elementType, int32_t firstLevelId) {
  using namespace bx3::type;
  // The parameter the attribute editor shows for an element's file parameter: its id in the
  // editor's description, made by the element's type (or by the renderer's for any type).
  constexpr int32_t kAnyType = 0;
  constexpr int32_t kEditorShaderFile = 805;
  constexpr int32_t kEditorLightProfile = 1018;
  constexpr int32_t kEditorFile = 802;
  constexpr int32_t kEditorCacheFile = 900;
  constexpr int32_t kEditorEnvironment = 105;
  constexpr int32_t kEditorVolumeFile = 10010;
  constexpr int32_t kEditorRendererFile = 110050;
  constexpr int32_t kRendererFileParameter = 1041668;
  struct Remap {
    int32_t type;
    int32_t parameter;
    int32_t editorParameter;
    int32_t creator;
  };
  static constexpr Remap kRemaps[] = {
      {kBitmapShader, bx3::param::kBitmapFile, kEditorShaderFile, kBitmapShader},
      {kLightObject, bx3::param::kLightProfileFile, kEditorLightProfile, kLightObject},
      {kSimulation, bx3::param::kSimulationFile, kEditorFile, kSimulation},
      {kSpeakerObject, bx3::param::kSpeakerFile, kEditorFile, kSpeakerObject},
      {kPointCacheTag, bx3::param::kPointCacheFile, kEditorCacheFile, kPointCacheTag},
      {kCacheObject, bx3::param::kCacheObjectFile, kEditorFile, kCacheObject},
      {kReferenceObject, bx3::param::kReferenceFile, kEditorFile, kReferenceObject},
      {kProjectSettings, bx3::param::kProjectEnvironmentFile, kEditorEnvironment, kProjectSettings},
      {kVolumeObject, bx3::param::kVolumeFile, kEditorVolumeFile, kVolumeObject},
      {kScatterObject, bx3::param::kScatterFile, kEditorFile, kScatterObject},
      {kAnyType, kRendererFileParameter, kEditorRendererFile, kEditorRendererFile},
  };
  for (const Remap& remap : kRemaps) {
    if ((remap.type == kAnyType || remap.type == elementType) && remap.parameter == firstLevelId) {
      return bx3::DescId(bx3::DescLevel{remap.editorParameter, 1, remap.creator});
    }
  }
  return {};
}

}  // namespace kv
