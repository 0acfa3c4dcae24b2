// The kinds of asset a row can be.
#pragma once

#include <cstdint>

#include "brantic/result.h"

namespace kv {

// A flag set; every row holds exactly one of OTHER..REFERENCED3D.
enum ASSETTYPE : uint32_t {
  ASSETTYPE_INVALID = 0,
  ASSETTYPE_OTHER = 1,
  ASSETTYPE_IMAGE = 2,
  ASSETTYPE_VIDEO = 4,
  ASSETTYPE_AUDIO = 8,
  ASSETTYPE_CACHE = 16,
  ASSETTYPE_REFERENCED3D = 32,
  ASSETTYPE_SEQUENCE = 64,
};

inline constexpr uint32_t kAssetTypeMaskPicture = ASSETTYPE_IMAGE | ASSETTYPE_VIDEO;
inline constexpr uint32_t kAssetTypeMaskScene = ASSETTYPE_CACHE | ASSETTYPE_REFERENCED3D;

// Gives ASSETTYPE its value names in the framework's enumeration registry.
brantic::Result<void> RegisterAssetTypeEnumeration();

}  // namespace kv
