#include "collection/kvscenewalk.h"

#include "collection/kvcollect_rules.h"

namespace kv {

size_t KvSceneWalk::Run(bx3::Document& document, KvUseVisitor& visitor) {
  size_t count = 0;
  bx3::VisitAllAssets(&document, bx3::kAssetQueryAll, [&count](const bx3::AssetUse&) { ++count; });
  visitor.Begin(count);
  bx3::VisitAllAssets(&document, bx3::kAssetQueryAll, [&](const bx3::AssetUse& found) {
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
  });
  return count;
}

}  // namespace kv
