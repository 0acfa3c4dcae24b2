#include "collection/kvresolve.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "brantic/io.h"
#include "brantic/parallel.h"
#include "brantic/searchpaths.h"
#include "bx3/host.h"
#include "collection/kvassettype.h"

namespace kv {

int32_t ResolveAssetPath(const bx3::Filename& documentPath, const bx3::Filename& assetPath, const void* /*unused*/,
                         bx3::Filename& resolvedPath, bool isBitmapShader) {
  auto folders = brantic::FillSearchPaths(documentPath.GetUrl());
  const std::vector<bx3::Filename> paintTextures = bx3::GetPaintTextures();
  return ResolveAssetPathIn(documentPath, KvResolveContext{folders ? &*folders : nullptr, &paintTextures}, assetPath,
                            resolvedPath, isBitmapShader);
}

int32_t ResolveAssetPathIn(const bx3::Filename& documentPath, const KvResolveContext& context,
                           const bx3::Filename& assetPath, bx3::Filename& resolvedPath, bool isBitmapShader) {
  const std::vector<brantic::Url>* folders = context.searchFolders;
  const brantic::Url url = assetPath.GetUrl();
  if (!url.IsEmpty() && brantic::IsExistingFile(url)) {
    resolvedPath = bx3::Filename::FromUrl(url);
    return kResolveFound;
  }
  if (!folders) return kResolveMissing;

  // Files already looked at are not asked for again by name ("tex/a.png" below the
  // document's folder is "a.png" in its "tex" folder).
  // A set, not a list: there may be very many search folders.
  std::unordered_set<std::string> tried;
  if (url.IsRelative()) {
    tried.reserve(folders->size());
    for (const brantic::Url& folder : *folders) {
      auto candidate = folder.Append(url);
      if (!candidate) return kResolveMissing;
      candidate = candidate->Normalize(brantic::kNormalizeResolveDots);
      if (!candidate) return kResolveMissing;
      tried.insert(candidate->ToString());
      if (brantic::IsExistingFile(*candidate)) {
        resolvedPath = bx3::Filename::FromUrl(*candidate);
        return kResolveFound;
      }
      // The host can build the path for bitmap shaders from folders inside the document's
      // folder. An unsaved document has no folder, so nothing lies inside it.
      const bx3::Filename folderName = bx3::Filename::FromUrl(folder);
      if (isBitmapShader && documentPath.IsPopulated() && !folderName.IsEqual(documentPath) &&
          folderName.GetString().Find(documentPath.View()) != brantic::String::kNotFound) {
        bx3::Filename built;
        if (bx3::GenerateTexturePath(folderName, bx3::Filename::FromUrl(url), built)) {
          resolvedPath = built;
          return kResolveBuiltByHost;
        }
      }
    }
  }

  const brantic::String name = url.GetName();
  if (name.IsEmpty()) return kResolveMissing;
  for (const brantic::Url& folder : *folders) {
    auto candidate = folder.Append(name.View());
    if (!candidate) return kResolveMissing;
    if (!tried.empty() && tried.count(candidate->ToString()) != 0) continue;
    if (brantic::IsExistingFile(*candidate)) {
      resolvedPath = bx3::Filename::FromUrl(*candidate);
      return kResolveFoundByName;
    }
  }

  if (context.paintTextures && IsImageFile(assetPath)) {
    for (const bx3::Filename& texture : *context.paintTextures) {
      if (texture.IsEqual(assetPath)) return kResolvePaintTexture;
    }
  }
  return kResolveMissing;
}

KvResolveScope::KvResolveScope(const bx3::Filename& documentFolder)
    : folder_(documentFolder),
      searchFolders_(brantic::FillSearchPaths(documentFolder.GetUrl())),
      paintTextures_(bx3::GetPaintTextures()) {}

const KvResolveScope::Resolution& KvResolveScope::Resolve(const bx3::Filename& assetPath, bool isBitmapShader) {
  auto [found, isNew] = resolved_[isBitmapShader ? 1 : 0].try_emplace(assetPath);
  if (isNew) {
    const KvResolveContext context{searchFolders_ ? &*searchFolders_ : nullptr, &paintTextures_};
    found->second.result = ResolveAssetPathIn(folder_, context, assetPath, found->second.path, isBitmapShader);
    if (found->second.result == kResolveMissing) found->second.path = bx3::Filename();
  }
  return found->second;
}

void KvResolveScope::ResolveAll(const std::vector<std::pair<bx3::Filename, bool>>& paths) {
  // The new ones get their entries here (the maps do not change while the helpers work); the
  // helpers fill them in.
  struct Work {
    const bx3::Filename* path;
    bool bitmap;
    Resolution* resolution;
  };
  std::vector<Work> work;
  for (const auto& [path, bitmap] : paths) {
    auto [found, isNew] = resolved_[bitmap ? 1 : 0].try_emplace(path);
    if (isNew) work.push_back({&found->first, bitmap, &found->second});
  }
  const KvResolveContext context{searchFolders_ ? &*searchFolders_ : nullptr, &paintTextures_};
  brantic::ParallelFor(work.size(), [&](size_t i) {
    Resolution& resolution = *work[i].resolution;
    resolution.result = ResolveAssetPathIn(folder_, context, *work[i].path, resolution.path, work[i].bitmap);
    if (resolution.result == kResolveMissing) resolution.path = bx3::Filename();
  });
}

}  // namespace kv
