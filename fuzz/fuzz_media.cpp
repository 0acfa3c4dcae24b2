// The media probe: a file of any bytes, under any of the names the inspector knows, is read
// for its size, type, format and resolution without crashing or hanging.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bx3/host.h"
#include "collection/kvassettype.h"
#include "collection/kvprobe.h"
#include "collection/kvresolve.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    bx3::InitializeHost();
    char pattern[] = "/tmp/kv_fuzz_media_XXXXXX";
    return std::string(::mkdtemp(pattern));
  }();
  if (size == 0) return 0;
  // The first byte picks the suffix the file is probed under.
  static const char* const kSuffixes[] = {".png", ".jpg", ".exr", ".tif", ".hdr",  ".dds", ".tga", ".bmp",
                                          ".mp4", ".mov", ".avi", ".wav", ".flac", ".mp3", ".ies", ".gi2"};
  const std::string path = folder + "/input" + kSuffixes[data[0] % std::size(kSuffixes)];
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);
  }
  kv::KvAssetEntry entry;
  entry.assetPath = bx3::Filename(path);
  entry.resolveResult = kv::kResolveFound;
  entry.resolvedPath = brantic::String(path);
  entry.resolvedUrl = brantic::Url::FromSystemPath(path);
  entry.assetType = kv::ASSETTYPE_IMAGE;
  kv::ProbeAssetFile(entry);
  return 0;
}
