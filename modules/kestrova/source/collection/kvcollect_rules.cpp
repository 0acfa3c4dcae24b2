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
      return std::make_pair(TimeToFrame(owner.GetTime(1004), rate), TimeToFrame(owner.GetTime(1005), rate));
    }
    case type::kVolumeSequenceObject: return std::make_pair(owner.GetInt32(6003), owner.GetInt32(6004));
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
  struct Remap {
    int32_t type;  // 0: any type
    int32_t level;
    int32_t result;
    int32_t creator;
  };
  static constexpr Remap kRemaps[] = {
      {5833, 1000, 805, 5833},           {5102, 90036, 1018, 5102},     {1032106, 1001, 802, 1032106},
      {5189, 2140, 802, 5189},           {1019337, 1025, 900, 1019337}, {1028083, 1000, 802, 1028083},
      {1025766, 1001, 802, 1025766},     {110305, 1011, 105, 110305},   {1025462, 10011, 10010, 1025462},
      {440000255, 1001, 802, 440000255}, {0, 1041668, 110050, 110050},
  };
  for (const Remap& remap : kRemaps) {
    if ((remap.type == 0 || remap.type == elementType) && remap.level == firstLevelId) {
      return bx3::DescId(bx3::DescLevel{remap.result, 1, remap.creator});
    }
  }
  return {};
}

}  // namespace kv
