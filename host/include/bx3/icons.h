// The host's icon set: small flat pictures drawn by the host, by id. Any thread.
#pragma once

#include <cstdint>

#include "bx3/bitmap.h"

namespace bx3 {

class Element;

// Icon ids of the host beside the element types (every element type has an icon whose id
// is its type id).
namespace icon {
inline constexpr int32_t kStatusFound = 300000231;
inline constexpr int32_t kStatusMissing = 300000230;
inline constexpr int32_t kStatusFoundElsewhere = 1031728;
inline constexpr int32_t kStatusPartlyFound = 1031729;  // some files of a set are missing
inline constexpr int32_t kStatusUnreachable = 1031730;  // the file's root did not answer
inline constexpr int32_t kFoldClosed = 300000118;
inline constexpr int32_t kFoldOpen = 300000119;
inline constexpr int32_t kNoLayer = 200000134;
inline constexpr int32_t kFilterShown = 300000198;
inline constexpr int32_t kFilterHidden = 300000199;
// Asset kinds: image, image sequence, movie, sound, other, cache, 3D reference,
// 3D reference sequence, cache sequence.
inline constexpr int32_t kAssetImage = 1051235;
inline constexpr int32_t kAssetImageSequence = 1051236;
inline constexpr int32_t kAssetVideo = 1051237;
inline constexpr int32_t kAssetAudio = 1051238;
inline constexpr int32_t kAssetOther = 1051239;
inline constexpr int32_t kAssetCache = 1051240;
inline constexpr int32_t kAssetReferenced3D = 1051241;
inline constexpr int32_t kAssetReferenced3DSequence = 1051242;
inline constexpr int32_t kAssetCacheSequence = 1051243;
inline constexpr int32_t kAssetTileSet = 1051244;
}  // namespace icon

inline constexpr int32_t kIconSize = 16;

// Draws icon `id` into `bitmap` (made 16 × 16, 32-bit). False for an unknown id.
bool GetIcon(int32_t id, BaseBitmap& bitmap);
bool HasIcon(int32_t id);
// The icon of an element: a layer shows its colour, every other element its type's icon.
bool GetElementIcon(const Element& element, BaseBitmap& bitmap);
// The same icons without a copy, for drawing them row after row: each is drawn once and kept
// for the life of the process. Null for an unknown id.
const BaseBitmap* FindIcon(int32_t id);
const BaseBitmap* FindElementIcon(const Element& element);

}  // namespace bx3
