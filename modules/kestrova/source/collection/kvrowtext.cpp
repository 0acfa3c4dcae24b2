#include "collection/kvrowtext.h"

#include <string>
#include <string_view>
#include <vector>

#include "bx3/document.h"
#include "bx3/types.h"
#include "collection/kvassettype.h"
#include "ids/kvresources.h"

namespace kv {

namespace {

using brantic::String;

String R(int32_t id) { return GetResourceString(id); }

}  // namespace

std::string ZeroPadded(int64_t value, int32_t digits) {
  std::string text = std::to_string(value < 0 ? -value : value);
  if (int32_t(text.size()) < digits) text.insert(0, size_t(digits) - text.size(), '0');
  return value < 0 ? "-" + text : text;
}

String StatusText(int32_t resolveResult) {
  switch (resolveResult) {
    case kResolveMissing: return R(res::kStatusMissing);
    case kResolveUnreachable: return R(res::kStatusUnreachable);
    case kResolveFoundByName: return R(res::kStatusFoundInSearchFolder);
    case kResolvePaintTexture: return R(res::kStatusOpenForPainting);
    case kResolveBuiltByHost: return R(res::kStatusBuiltFromSearchFolder);
    case kResolveFound: return R(res::kStatusFound);
    default: return R(res::kNone);
  }
}

String AssetTypeText(const KvAssetEntry& record, bool undecorated) {
  if (record.setKind == kSetTiles) return R(res::kTypeTileSet);
  if (undecorated && record.IsSequence()) {
    switch (record.assetType) {
      case ASSETTYPE_IMAGE: return R(res::kTypeImageSequence);
      case ASSETTYPE_CACHE: return R(res::kTypeCacheSequence);
      case ASSETTYPE_REFERENCED3D: return R(res::kTypeReference3dSequence);
      default: return R(res::kTypeSequence);
    }
  }
  return AssetTypeName(record.assetType);
}

String SequenceName(const String& fileName, int32_t first, int32_t last, int32_t digitsPos, int32_t digitsLen) {
  std::string name = fileName.Std();
  if (digitsPos > int32_t(name.size())) return fileName;
  if (digitsLen > 0 && digitsPos >= 0) name.erase(size_t(digitsPos), size_t(digitsLen));
  if (digitsPos >= 0) {
    name.insert(size_t(digitsPos), "[" + ZeroPadded(first, digitsLen) + "-" + ZeroPadded(last, digitsLen) + "]");
  }
  return String(std::move(name));
}

String AssetNameText(const KvAssetEntry& record) {
  const bx3::Filename file = record.assetPath.GetFile();
  if (!file.IsPopulated()) return R(res::kNoFileName);
  if (!record.IsSequence() || IsVideoFile(file)) return file.GetString();
  return SequenceName(file.GetString(), record.sequenceStart, record.sequenceEnd, record.frameDigitsPos,
                      record.frameDigitsLen);
}

String FormatText(const KvAssetEntry& record) {
  if (!record.formatText.IsEmpty()) return record.formatText;
  return FormatTextOfName(record.assetPath);
}

String LayerText(const KvAssetEntry& record, const bx3::Document* document) {
  const bx3::Element* layer = record.layerLink.Resolve(document);
  return layer ? layer->GetName() : R(res::kNoLayer);
}

String TakeText(const KvAssetEntry& record) { return record.takeName.IsEmpty() ? R(res::kNone) : record.takeName; }

String NodeSpaceText(const KvAssetEntry& record) {
  const String name = NodeSpaceName(record.nodeSpace);
  return name.IsEmpty() ? String("-") : name;
}

String ElementText(const KvAssetEntry& record, const bx3::Document* document) {
  const bx3::Element* element = DescribedElement(record, document);
  if (!element) return R(res::kNone);
  if (element->GetType() == bx3::type::kDocument) {
    const String file = static_cast<const bx3::Document*>(element)->GetFilename().GetFile().GetString();
    return file.IsEmpty() ? R(res::kNone) : file;
  }
  return element->GetName().IsEmpty() ? R(res::kNone) : element->GetName();
}

String BreadcrumbText(const KvAssetEntry& record, const bx3::Document* document) {
  const bx3::Element* owner = record.ownerLink.Resolve(document);
  const bx3::Element* ownerMain = record.ownerMainLink.Resolve(document);
  // Upwards from the owner; the document and the lists that hold the top-level elements
  // are not part of the chain, nor are nameless elements at its foot. Joined from the top down.
  std::vector<std::string_view> upwards;
  for (const bx3::Element* element = owner;
       element && element->GetType() != bx3::type::kDocument && element->GetType() != bx3::type::kHead;
       element = element->GetUp()) {
    if (!upwards.empty() || !element->GetName().IsEmpty()) upwards.push_back(element->GetName().View());
  }
  std::string chain;
  for (size_t i = upwards.size(); i-- > 0;) {
    chain += upwards[i];
    if (i > 0) chain += '/';
  }
  if (owner && owner != ownerMain && !record.hostDescId.IsEmpty()) {
    if (const bx3::ParamDescription* parameter =
            bx3::FindParamDescription(owner->GetType(), record.hostDescId.First().id)) {
      chain += (chain.empty() ? "" : "/") + std::string(parameter->name);
    }
  }
  if (!record.nodePath.IsEmpty()) chain += (chain.empty() ? "" : "/") + record.nodePath.Text().Std();
  if (record.parameterId != -1) {
    const std::string_view channel = bx3::MaterialChannelName(record.parameterId);
    chain = (channel.empty() ? std::string("Other") : std::string(channel)) + "/" + chain;
  }
  return String(std::move(chain));
}

String ResolutionText(const KvAssetEntry& record) {
  if (record.resolutionX < 1 || record.resolutionY < 1) return String("-");
  return String(std::to_string(record.resolutionX) + " x " + std::to_string(record.resolutionY));
}

}  // namespace kv
