#include "kvassettype.h"

#include "brantic/enumeration.h"

namespace kv {

brantic::Result<void> RegisterAssetTypeEnumeration() {
  return brantic::RegisterEnumeration("ASSETTYPE", 4,
                                      {{ASSETTYPE_INVALID, "INVALID"},
                                       {ASSETTYPE_OTHER, "OTHER"},
                                       {ASSETTYPE_IMAGE, "IMAGE"},
                                       {ASSETTYPE_VIDEO, "VIDEO"},
                                       {ASSETTYPE_AUDIO, "AUDIO"},
                                       {ASSETTYPE_CACHE, "CACHE"},
                                       {ASSETTYPE_REFERENCED3D, "REFERENCED3D"},
                                       {ASSETTYPE_SEQUENCE, "SEQUENCE"}});
}

}  // namespace kv
