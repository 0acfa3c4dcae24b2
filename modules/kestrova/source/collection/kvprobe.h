// The worker half of the collection: what a row's file is, read from its header.
#pragma once

#include <string>
#include <unordered_map>

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
  int64_t modified = 0;  // when the file was last changed, as the probe found it

  static KvProbeResult Of(const KvAssetEntry& probed, int64_t modified = 0) {
    return {probed.fileSize, probed.resolutionX, probed.resolutionY, probed.formatText, probed.assetType, modified};
  }
};

// What earlier probes found, by the file's system path.
using KvProbeMemory = std::unordered_map<std::string, KvProbeResult>;

// Fills in a row's own copy: file size, type refinement, format text and resolution. Reads
// headers only and touches nothing shared, so any thread may run it. False when the file is
// unreadable: not a regular file, or a picture, movie or sound whose header no reader
// understands (empty, damaged or foreign). Scenes and files of other kinds are not read.
bool ProbeAssetFile(KvAssetEntry& entry);
// Whether probing a file of this name and type needs the media readers (PNG headers are read
// without them).
bool ProbeNeedsMediaReaders(const bx3::Filename& path, uint32_t assetType);

// Probes a row's own copy, unless `memory` holds its file with the same size and time of
// change: a file that has not changed is not read again (after a write that only changes
// how paths are written, every file is the same). Any thread.
KvProbeResult ProbeRemembering(KvAssetEntry& entry, const KvProbeMemory* memory);

}  // namespace kv
