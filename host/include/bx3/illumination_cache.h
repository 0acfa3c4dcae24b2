// How the illumination cache effect keeps its file: the cache writes "NAME_FFFFF.gi2" (its
// frame number of five digits, its own suffix) and stores only "NAME_". The asset query reads
// the stored name back as a file, and whoever writes a file into the effect stores its name.
// Any thread.
#pragma once

#include <cstdint>

#include "bx3/filename.h"

namespace bx3::illumination {

inline constexpr int32_t kParamCacheFile = 1000;
inline constexpr int32_t kParamUseCacheFile = 3809;  // an int32: 1 uses the file
inline constexpr const char* kCacheSuffix = ".gi2";
inline constexpr size_t kFrameDigits = 5;

// The file a stored name stands for: with the cache's suffix when it has none.
Filename FileOfStoredName(const Filename& stored);
// The name to store for a file: without its suffix and without a frame number at its end.
Filename StoredNameOfFile(const Filename& file);

}  // namespace bx3::illumination
