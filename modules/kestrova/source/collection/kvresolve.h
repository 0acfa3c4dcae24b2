// Where an asset path really points.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/url.h"
#include "bx3/filename.h"
#include "collection/kvassetentry.h"

namespace kv {

// Resolves `assetPath` as stored in a scene element for a document whose folder is
// `documentPath`. Writes `resolvedPath` for the results 4, 3 and 1 only. `isBitmapShader`
// (the using element is a bitmap shader) enables the host's texture-path builder. The third
// argument is not read. Touches the file system once per candidate; every framework error
// ends in kResolveMissing. GUI thread (it asks the host for the search folders).
int32_t ResolveAssetPath(const bx3::Filename& documentPath, const bx3::Filename& assetPath, const void* unused,
                         bx3::Filename& resolvedPath, bool isBitmapShader);

// What a resolution asks the host for, taken once on the GUI thread for many paths of one
// document, so that helper threads can resolve them.
struct KvResolveContext {
  // The document's search folders; null when they could not be made (only the stored path
  // counts then).
  const std::vector<brantic::Url>* searchFolders = nullptr;
  // The textures open documents hold open for painting.
  const std::vector<bx3::Filename>* paintTextures = nullptr;
};

// The same with what the host knows taken beforehand. Any thread: touches only the file
// system and `context`.
int32_t ResolveAssetPathIn(const bx3::Filename& documentPath, const KvResolveContext& context,
                           const bx3::Filename& assetPath, bx3::Filename& resolvedPath, bool isBitmapShader);

}  // namespace kv
