// What a media file's first bytes say it is, before any reader is tried: an empty file or one
// of another kind (text, a scene, an archive) named like a picture is turned away at once,
// instead of by every reader in turn. Any thread.
#pragma once

#include <string_view>

namespace brantic {

// How many first bytes the sniff looks at.
inline constexpr size_t kSniffBytes = 32;

enum class SniffedMedia {
  Empty,      // no bytes at all
  Signature,  // starts as a picture, movie or sound format does
  Unknown,    // no signature the sniff knows
};

SniffedMedia SniffMedia(std::string_view firstBytes);

// Formats without a signature at their start (Targa, raw streams of sound and video, ...):
// a file of such a suffix is read even when its bytes are Unknown.
bool SuffixMayLackSignature(std::string_view suffix);

}  // namespace brantic
