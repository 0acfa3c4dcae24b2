#include "kvscenewalk.h"

#include "kvcollect_rules.h"

namespace kv {

size_t KvSceneWalk::Run(bx3::Document& document, KvUseVisitor& visitor) {
  bx3::GetAllAssets(&document, false, bx3::Filename(), bx3::kAssetQueryAll, uses_);
  visitor.Begin(uses_.size());
  for (const bx3::AssetUse& found : uses_) {
    KvUse use;
    use.owner = found.element ? found.element : &document;
    use.ownerMain = OwnerMainOf(found.element, document);
    use.file = &found.file;
    use.parameterId = found.parameterId;
    use.hostDescId = bx3::DescId(bx3::DescLevel{found.channelId, 0, 0});
    use.hostFlag = found.flag;
    use.nodePath = &found.nodePath;
    use.nodeSpace = &found.nodeSpace;
    use.take = found.take;
    visitor.Visit(document, use);
  }
  const size_t count = uses_.size();
  uses_.clear();  // the uses point at elements: they are not kept
  return count;
}

}  // namespace kv
