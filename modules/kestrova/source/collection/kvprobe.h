// The worker half of the collection: what a row's file is, read from its header.
#pragma once

#include "collection/kvassetentry.h"

namespace kv {

// Written to the error stream when a media input cannot be made to ask what it reads.
inline constexpr const char* kMediaInputDiagnostic =
    "Assertion failed: MediaInputRef must be creatable with empty Url() to check MEDIAINPUTPROPERTIES.";

// What probing a file tells of it: all a row takes over from the probe.
struct KvProbeResult {
  int64_t fileSize = 0;
  int64_t resolutionX = 0;
  int64_t resolutionY = 0;
  brantic::String formatText;
  uint32_t assetType = ASSETTYPE_OTHER;

  static KvProbeResult Of(const KvAssetEntry& probed) {
    return {probed.fileSize, probed.resolutionX, probed.resolutionY, probed.formatText, probed.assetType};
  }
};

// Fills in a row's own copy: file size, type refinement, format text and resolution. Reads
// headers only and touches nothing shared, so any thread may run it. False when the file is
// unreadable: not a regular file, or a picture, movie or sound whose header no reader
// understands (empty, damaged or foreign). Scenes and files of other kinds are not read.
bool ProbeAssetFile(KvAssetEntry& entry);

}  // namespace kv
