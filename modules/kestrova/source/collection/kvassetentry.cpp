#include "collection/kvassetentry.h"

#include "bx3/document.h"

namespace kv {

void ClassifyAssetFile(KvAssetEntry& entry) { entry.assetType = ClassifyAssetName(entry.assetPath); }

void WithdrawProposal(KvAssetEntry& row) {
  row.newPath = brantic::String();
  row.hasNewPath = 0;
  row.newPathState = kNewPathUnchecked;
  for (KvRelinkCandidate& candidate : row.relinkCandidates) {
    candidate.flags &= uint8_t(~kCandidateChosen);
    candidate.path = brantic::String();
  }
}

bool IsDescribedOwnType(const bx3::Element& element) {
  return element.IsInstanceOf(bx3::type::kObjectBase) || element.IsInstanceOf(bx3::type::kMaterialBase) ||
         element.IsInstanceOf(bx3::type::kTagBase) || element.IsInstanceOf(bx3::type::kSceneEffectBase);
}

bx3::Element* DescribedElementOf(bx3::Element* owner, bx3::Element* ownerMain) {
  if (owner && (!ownerMain || IsDescribedOwnType(*owner))) return owner;
  return ownerMain;
}

bx3::Element* DescribedElement(const KvAssetEntry& entry, const bx3::Document* document) {
  return DescribedElementOf(entry.ownerLink.Resolve(document), entry.ownerMainLink.Resolve(document));
}

brantic::String NodeSpaceName(const brantic::Id& nodeSpace) {
  const auto data = brantic::FindNodeSpace(nodeSpace);
  return data ? data->displayName : brantic::String();
}

}  // namespace kv
