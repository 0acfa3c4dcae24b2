// The asset query: every use of an external file in a document. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "brantic/nodes.h"
#include "bx3/document.h"

namespace bx3 {

// What the query includes; kAssetQueryAll (336) asks for everything.
enum AssetQueryFlags : int32_t {
  kAssetQueryNodeMaterials = 0x10,  // files of texture nodes in node graphs
  kAssetQueryTakeOverrides = 0x40,  // files that takes set for a parameter
  kAssetQueryOutputs = 0x100,       // files elements write (render outputs)
  kAssetQueryAll = 0x150,
};

struct AssetUse {
  Filename file;
  int32_t parameterId = -1;    // the material channel (0-13) a shader feeds; -1 otherwise
  Element* element = nullptr;  // null for files of the document itself
  bool flag = false;           // the element writes this file (a render output)
  int32_t channelId = 0;       // id of the parameter that holds the file
  brantic::NodePath nodePath;
  brantic::Id nodeSpace;
  Take* take = nullptr;  // the take that sets the file, for take overrides
};

// One record per use of a file, in a stable order: the document's own parameters, then the
// objects, materials, render settings and effects, each list depth first in child order
// (an element's parameters, then its children, then its node graphs), then take overrides.
// Empty file parameters are not listed. `allowDialogs` and `lastPath` are accepted for the
// host protocol; this host never asks and never remembers a path.
bool GetAllAssets(const Document* document, bool allowDialogs, const Filename& lastPath, int32_t flags,
                  std::vector<AssetUse>& uses);
// The same uses in the same order, handed to `visit` one at a time instead of collected: the
// uses of a large scene are not all held at once.
bool VisitAllAssets(const Document* document, int32_t flags, const std::function<void(const AssetUse&)>& visit);

}  // namespace bx3
