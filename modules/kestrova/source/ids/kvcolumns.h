// The ids of the inspector's columns: four-character codes, stored in the column layout.
#pragma once

#include <cstdint>

#include "bx3/container.h"

namespace kv {

// Column ids (four-character codes).
namespace column {
inline constexpr int32_t kStatus = bx3::FourCC("stat");
inline constexpr int32_t kAssetType = bx3::FourCC("atyp");
inline constexpr int32_t kAsset = bx3::FourCC("asse");
inline constexpr int32_t kPath = bx3::FourCC("path");
inline constexpr int32_t kGlobalPath = bx3::FourCC("gpat");
inline constexpr int32_t kNewPath = bx3::FourCC("npat");
inline constexpr int32_t kElementType = bx3::FourCC("etyp");
inline constexpr int32_t kElement = bx3::FourCC("elem");
inline constexpr int32_t kBreadcrumb = bx3::FourCC("brea");
inline constexpr int32_t kLayer = bx3::FourCC("laye");
inline constexpr int32_t kTake = bx3::FourCC("take");
inline constexpr int32_t kNodeSpace = bx3::FourCC("nspc");
inline constexpr int32_t kFormat = bx3::FourCC("form");
inline constexpr int32_t kSize = bx3::FourCC("size");
inline constexpr int32_t kResolution = bx3::FourCC("reso");
inline constexpr int32_t kVia = bx3::FourCC("via_");  // the files a use inside another file comes through
}  // namespace column

}  // namespace kv
