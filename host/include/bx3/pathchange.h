// How the host's renderers answer a path change (kMsgAssetPathChanged): the external
// renderer's element and the node materials of the second renderer keep their own file
// paths and relink them when told. What they received is remembered, and said on stdout,
// so that runs can be checked. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/string.h"
#include "bx3/element.h"

namespace bx3 {

struct ReceivedPathChange {
  ElementUid element = 0;
  brantic::String elementName;
  Filename oldPath;
  Filename newPath;
  int32_t relinked = 0;  // how many of the element's uses of the old path now use the new one
};

// Relinks `element`'s uses of the change's old path when the element keeps its own paths.
// False when the element is not one that does (the message is then left unanswered).
bool ApplyAssetPathChange(Element& element, const AssetPathChange& change);

// Every path change a renderer received since the start (or the last clear), in order.
const std::vector<ReceivedPathChange>& GetReceivedPathChanges();
void ClearReceivedPathChanges();

}  // namespace bx3
