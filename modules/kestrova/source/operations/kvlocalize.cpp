#include "operations/kvlocalize.h"

#include <algorithm>
#include <optional>

#include "brantic/io.h"
#include "collection/kvresolve.h"

namespace kv {

namespace {

// An element's name as one folder name: a name cannot lead out of the folder it is put in.
std::string FolderNameOf(std::string name) {
  std::replace(name.begin(), name.end(), '/', '_');
  if (name.empty() || name == "." || name == "..") name.insert(0, 1, '_');
  return name;
}

// The row's path as an absolute one: a relative path is taken from the document's folder.
std::optional<brantic::Url> AbsoluteUrl(const brantic::Url& url, const brantic::Url& folder) {
  if (!url.IsRelative()) return url;
  auto absolute = folder.Append(url);
  if (!absolute) return std::nullopt;
  return *absolute;
}

// The path relative to `folder`, when it lies inside it.
std::optional<bx3::Filename> InsideFolder(const brantic::Url& absolute, const brantic::Url& folder) {
  const auto relative = absolute.GetRelativeUrl(folder);
  if (!relative) return std::nullopt;
  return bx3::Filename(relative->GetPath());
}

}  // namespace

bool IsWrittenByRenderer(const KvAssetEntry& row, const bx3::Document* document) {
  if (row.hostFlag) return true;  // an output parameter
  static constexpr const char* kRenderCaches[] = {"gi", "gi2", "gil", "ao", "cs", "gir", "smap"};
  for (const char* suffix : kRenderCaches) {
    if (row.assetPath.CheckSuffix(suffix)) return true;
  }
  const bx3::Element* owner = row.ownerLink.Resolve(document);
  return owner && (owner->GetType() == bx3::type::kIlluminationCacheEffect ||
                   owner->GetType() == bx3::type::kExternalRendererEffect);
}

std::string LocalSubfolder(const KvAssetEntry& row, const bx3::Document* document) {
  static constexpr const char* kRenderCaches[] = {"gi", "gi2", "gil", "ao", "cs", "gir", "smap"};
  for (const char* suffix : kRenderCaches) {
    if (row.assetPath.CheckSuffix(suffix)) return "illum";
  }
  if (row.assetPath.CheckSuffix("vdb")) {
    const bx3::Element* owner = row.ownerLink.Resolve(document);
    if (owner && owner->GetType() == bx3::type::kVolumeSequenceObject)
      return "vol/" + FolderNameOf(owner->GetName().Std());
    return "vol";
  }
  if (row.assetType & (ASSETTYPE_IMAGE | ASSETTYPE_VIDEO)) return "tex";
  return {};
}

std::vector<KvPathMark> MarkRowsToLocalize(const std::vector<KvAssetEntry>& rows, bool anySelected,
                                           const bx3::Document& document) {
  const bx3::Filename folder = document.GetFolder();
  const brantic::Url folderUrl = folder.GetUrl();
  std::optional<KvResolveScope> scope;  // opened when a path needs resolving
  std::vector<KvPathMark> marks;
  for (size_t index = 0; index < rows.size(); ++index) {
    const KvAssetEntry& row = rows[index];
    // Under a root that did not answer nothing is asked for, and nothing is moved.
    if ((anySelected && !row.selected) || row.IsUnreachable()) continue;
    const brantic::Url url = row.assetPath.GetUrl();
    const std::optional<brantic::Url> absolute = folder.IsPopulated() ? AbsoluteUrl(url, folderUrl) : std::nullopt;
    const std::optional<bx3::Filename> inside = absolute ? InsideFolder(*absolute, folderUrl) : std::nullopt;
    std::optional<bx3::Filename> local;
    if (!url.IsRelative()) {
      // Absolute: relative to the document's folder when the file is inside it; a file found
      // by its name alone keeps only its name. A missing file inside the folder keeps its
      // folder too: that is where it is expected (or where a renderer writes it).
      if (brantic::IsExistingFile(url)) {
        if (const auto relative = url.GetRelativeUrl(folderUrl)) local = bx3::Filename(relative->GetPath());
      } else if (row.resolveResult == kResolveFoundByName) {
        local = row.assetPath.GetFile();
      } else if (inside) {
        local = *inside;
      }
    } else if (folder.IsPopulated() && row.resolveResult == kResolveBuiltByHost) {
      // Relative, and found only through the host's search folders: the file it found.
      const auto absolute = folderUrl.Append(url);
      if (absolute && !brantic::IsExistingFile(*absolute)) {
        const bx3::Element* owner = row.ownerLink.Resolve(&document);
        if (!scope) scope.emplace(folder);
        const bx3::Filename found =
            scope->Resolve(row.assetPath, owner && owner->GetType() == bx3::type::kBitmapShader).path;
        if (found.IsPopulated() && brantic::IsExistingFile(found.GetUrl())) {
          if (const auto relative = found.GetUrl().GetRelativeUrl(folderUrl))
            local = bx3::Filename(relative->GetPath());
        }
      }
    }
    // A missing file with a folder outside the document's: its name, in the folder its kind
    // belongs in. A file a renderer writes stays where the renderer writes it.
    if (!local && row.assetPath.GetDirectory().IsPopulated() && row.IsMissing() && !inside &&
        !IsWrittenByRenderer(row, &document)) {
      const std::string subfolder = LocalSubfolder(row, &document);
      local = subfolder.empty() ? row.assetPath.GetFile() : bx3::Filename(subfolder) + row.assetPath.GetFile();
    }
    if (local) marks.push_back({index, *local, false});
  }
  return marks;
}

}  // namespace kv
