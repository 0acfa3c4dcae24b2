// Where an asset path really points.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/url.h"
#include "bx3/filename.h"

namespace kv {

// Result codes of ResolveAssetPath (a row's resolveResult).
enum KvResolveResult : int32_t {
  kResolveMissing = 0,
  kResolveFoundByName = 1,     // found by file name alone in a search folder
  kResolvePaintTexture = 2,    // a texture the host holds open for painting
  kResolveBuiltByHost = 3,     // built by the host from a search folder inside the document folder
  kResolveFound = 4,           // at the stored path, or as the relative path below a search folder
};

// Resolves `assetPath` as stored in a scene element for a document whose folder is
// `documentPath`. Writes `resolvedPath` for the results 4, 3 and 1 only. `isBitmapShader`
// (the using element is a bitmap shader) enables the host's texture-path builder. The third
// argument is not read. Touches the file system once per candidate; every framework error
// ends in kResolveMissing.
int32_t ResolveAssetPath(const bx3::Filename& documentPath, const bx3::Filename& assetPath,
                         const void* unused, bx3::Filename& resolvedPath, bool isBitmapShader);

// The same with the document's search folders asked for once, for many paths of one
// document. Null folders: the search folders could not be made (only the stored path counts).
int32_t ResolveAssetPathIn(const bx3::Filename& documentPath, const std::vector<brantic::Url>* folders,
                           const bx3::Filename& assetPath, bx3::Filename& resolvedPath, bool isBitmapShader);

}  // namespace kv
