#include "kvassetentry.h"

#include "bx3/document.h"

namespace kv {

bx3::Element* DescribedElement(const KvAssetEntry& entry, const bx3::Document* document) {
  bx3::Element* owner = entry.ownerLink.Resolve(document);
  bx3::Element* main = entry.ownerMainLink.Resolve(document);
  if (owner && (!main || owner->IsInstanceOf(bx3::type::kObjectBase) ||
                owner->IsInstanceOf(bx3::type::kMaterialBase) || owner->IsInstanceOf(bx3::type::kTagBase) ||
                owner->IsInstanceOf(bx3::type::kSceneEffectBase))) {
    return owner;
  }
  return main;
}

brantic::String NodeSpaceName(const brantic::Id& nodeSpace) {
  const auto data = brantic::FindNodeSpace(nodeSpace);
  return data ? data->displayName : brantic::String();
}

}  // namespace kv
