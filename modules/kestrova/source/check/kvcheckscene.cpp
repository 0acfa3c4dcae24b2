#include "check/kvcheckscene.h"

#include <functional>
#include <unordered_map>
#include <utility>

#include "brantic/rootwatch.h"
#include "bx3/types.h"
#include "check/kvorphans.h"
#include "collection/kvassettype.h"
#include "collection/kvresolve.h"
#include "collection/kvrowtext.h"

namespace kv {

std::string CheckStatusOf(const KvAssetEntry& row, const brantic::ExpandedPath& expanded) {
  switch (row.resolveResult) {
    case kResolveMissing: return "missing";
    case kResolveUnreachable: return "unreachable";
    default: break;
  }
  if (row.IsPartlyFound()) return "partial";
  return row.resolveResult == kResolveFound && !expanded.mapping ? "found" : "elsewhere";
}

std::string CheckKindOf(uint32_t assetType) {
  switch (assetType & ~uint32_t(ASSETTYPE_SEQUENCE)) {
    case ASSETTYPE_IMAGE: return "image";
    case ASSETTYPE_VIDEO: return "movie";
    case ASSETTYPE_AUDIO: return "sound";
    case ASSETTYPE_CACHE: return "cache";
    case ASSETTYPE_REFERENCED3D: return "3d";
    default: return "other";
  }
}

namespace {

// The parameter that holds a row's path: its name, after the node of a node graph or the
// shader of a material that holds it.
std::string ParameterOf(const KvAssetEntry& row, const bx3::Document& document) {
  std::string name;
  const bx3::Element* owner = row.ownerLink.Resolve(&document);
  if (owner && !row.hostDescId.IsEmpty()) {
    const int32_t id = row.hostDescId.First().id;
    const bx3::ParamDescription* description = bx3::FindParamDescription(owner->GetType(), id);
    if (description) name = description->name;
  }
  if (!row.nodePath.IsEmpty()) return row.nodePath.Text().Std() + (name.empty() ? "" : "/" + name);
  // A shader inside a material: named, so that two shaders of one material stay two uses.
  if (owner && owner != DescribedElement(row, &document)) return owner->GetName().Std() + "/" + name;
  return name;
}

struct TextAddressesHash {
  size_t operator()(const std::pair<const char*, const char*>& texts) const {
    return std::hash<const char*>()(texts.first) * 31 + std::hash<const char*>()(texts.second);
  }
};

bool IsAbsoluteAsWritten(const KvAssetEntry& row) {
  if (row.IsNested()) return false;  // anchored at the file that writes it
  const brantic::Url url = row.assetPath.GetUrl();
  return !url.IsEmpty() && !url.IsRelative();
}

// A new asset of the report, with the problems its first use shows.
void AddAsset(KvCheckReport& report, const KvAssetEntry& row, std::string_view written, std::string_view resolved,
              std::string status, const brantic::ExpandedPath& expanded, const KvCheckContext& context) {
  KvCheckAsset& asset = report.assets.emplace_back();
  asset.path = std::string(written);
  asset.resolved = std::string(resolved);
  asset.status = std::move(status);
  asset.kind = CheckKindOf(row.assetType);
  if (row.setKind != kSetNone) {
    (row.setKind == kSetTiles ? asset.tiles : asset.frames) = KvCheckSet{row.setFound, row.setExpected};
  }
  if (asset.status == "missing" || asset.status == "partial" || asset.status == "unreachable") {
    AddProblem(asset, asset.status);
  }
  if (!expanded.unsetVariable.empty()) AddProblem(asset, "unset-variable");
  if (IsAbsoluteAsWritten(row)) AddProblem(asset, "absolute");
  // The root has its links resolved: a path through a linked folder is compared so too.
  if (!context.projectRoot.empty() && !resolved.empty() && row.resolveResult != kResolvePaintTexture &&
      !brantic::IsUnderRoot(resolved, context.projectRoot) &&
      !brantic::IsUnderRoot(ComparablePath(std::string(resolved)), context.projectRoot)) {
    AddProblem(asset, "outside-project");
  }
  if (row.HasFile() && !row.resolvedUrl.IsEmpty()) asset.probeFile = row.resolvedUrl.GetPath().Std();
}

}  // namespace

void AddSceneAssets(KvCheckReport& report, KvCheckAssetIndex& index, const std::string& scene,
                    const std::vector<KvAssetEntry>& rows, const bx3::Document& document,
                    const KvCheckContext& context) {
  // The uses of one file share the texts of its paths (a scene keeps one copy of each, and so
  // does the resolution): each row is first looked up by the addresses of its texts, which
  // spares hashing them for every use. Rows whose texts are copies meet through the full key.
  std::unordered_map<const char*, brantic::ExpandedPath> expansions;  // each path expanded once
  std::unordered_map<std::pair<const char*, const char*>, size_t, TextAddressesHash> assetOfTexts;
  std::string key;
  // The uses share their texts: the scene's path, and each parameter's name once.
  const brantic::String sceneText(scene);
  std::unordered_map<std::string, brantic::String> parameters;
  const auto parameterText = [&parameters](std::string name) {
    const auto known = parameters.find(name);
    return known != parameters.end() ? known->second : parameters.emplace(name, brantic::String(name)).first->second;
  };
  for (const KvAssetEntry& row : rows) {
    const std::string_view written = row.assetPath.View();
    auto expansion = expansions.find(written.data());
    if (expansion == expansions.end()) {
      brantic::ExpandedPath expanded;
      if (context.expander) expanded = context.expander->Expand(written);
      expansion = expansions.emplace(written.data(), std::move(expanded)).first;
    }
    const brantic::ExpandedPath& expanded = expansion->second;
    std::string status = CheckStatusOf(row, expanded);
    const std::string_view resolved = row.resolvedPath.View();
    const auto known = assetOfTexts.find({written.data(), resolved.data()});
    size_t asset = known != assetOfTexts.end() ? known->second : report.assets.size();
    if (asset == report.assets.size() || report.assets[asset].status != status) {
      key.assign(written).append(1, '\0').append(resolved).append(1, '\0').append(status);
      const auto [entry, added] = index.try_emplace(key, report.assets.size());
      asset = entry->second;
      assetOfTexts.insert_or_assign({written.data(), resolved.data()}, asset);
      if (added) AddAsset(report, row, written, resolved, std::move(status), expanded, context);
    }
    report.assets[asset].usedBy.push_back(
        {sceneText, ElementText(row, &document), parameterText(ParameterOf(row, document)), row.via});
  }
}

void AddUsedFiles(const std::vector<KvAssetEntry>& rows, std::vector<std::string>& files) {
  const brantic::FileQueries& queries = brantic::RootWatch::Shared()->Files();
  for (const KvAssetEntry& row : rows) {
    if (!row.HasFile()) continue;
    const std::string resolved = row.resolvedPath.Std();
    const auto pattern = RowSetPattern(row, resolved);
    if (!pattern) {
      if (!row.resolvedUrl.IsEmpty()) files.push_back(row.resolvedUrl.GetPath().Std());
      continue;
    }
    std::string folder(pattern->Folder());
    if (!folder.empty() && folder.back() != '/') folder += '/';
    queries.ReadNames(folder.empty() ? "." : folder, [&](std::string_view name) {
      if (pattern->Match(name)) files.push_back(folder + std::string(name));
    });
  }
}

}  // namespace kv
