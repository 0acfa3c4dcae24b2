// The kinds of asset a row can be, and how a file is sorted into one.
#pragma once

#include <cstdint>

#include "brantic/result.h"
#include "brantic/string.h"

namespace bx3 {
class Filename;
}

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

// Rows that hold pictures.
inline constexpr uint32_t kAssetTypeMaskPicture = ASSETTYPE_IMAGE | ASSETTYPE_VIDEO;
// Rows the media framework is never asked about.
inline constexpr uint32_t kAssetTypeMaskScene = ASSETTYPE_CACHE | ASSETTYPE_REFERENCED3D;

// Gives ASSETTYPE its value names in the framework's enumeration registry.
brantic::Result<void> RegisterAssetTypeEnumeration();

// True when the name's suffix is in the list (the host's suffix test, which ignores case).
bool IsImageFile(const bx3::Filename& name);
bool IsVideoFile(const bx3::Filename& name);
bool IsAudioFile(const bx3::Filename& name);
bool IsExternalCacheFile(const bx3::Filename& name);
bool IsReferenced3DFile(const bx3::Filename& name);

// The type of a file by its name alone: the lists are tried in the order image, video,
// audio, cache, 3D reference; OTHER when none matches or the file part is empty.
uint32_t ClassifyAssetName(const bx3::Filename& name);

// What a media input of the framework says it can read.
struct KvMediaSupport {
  bool video = false;
  bool image = false;
  bool audio = false;
};

// The type after the media framework read the file: video first, then image (never for
// "ies" light profiles), then audio; otherwise unchanged. Cache and 3D reference rows are
// never refined.
uint32_t RefineAssetType(uint32_t type, const bx3::Filename& name, const KvMediaSupport& support);

// The format of a file by its name, until the file itself is read: the name the media
// readers give files of its suffix ("PNG" for "a.png"), else the suffix, else "(none)".
brantic::String FormatTextOfName(const bx3::Filename& name);

// The name of a type as the type column shows it without sequence distinction.
brantic::String AssetTypeName(uint32_t assetType);

}  // namespace kv
