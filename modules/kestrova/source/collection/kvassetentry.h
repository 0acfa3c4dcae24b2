// One row of the inspector, and the containers of rows that the dialog keeps.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/nodes.h"
#include "brantic/string.h"
#include "brantic/url.h"
#include "bx3/element.h"
#include "bx3/filename.h"
#include "collection/kvassettype.h"

namespace bx3 {
class Document;
}

namespace kv {

// Where a row's path was found: the result codes of the path resolution (a row's resolveResult).
enum KvResolveResult : int32_t {
  kResolveMissing = 0,
  kResolveFoundByName = 1,   // found by file name alone in a search folder
  kResolvePaintTexture = 2,  // a texture the host holds open for painting
  kResolveBuiltByHost = 3,   // built by the host from a search folder inside the document folder
  kResolveFound = 4,         // at the stored path, or as the relative path below a search folder
  kResolveUnreachable = 5,   // under a root that did not answer: neither found nor missing
};

// Found as a file to read, however it was found (each of these answers saw the file exist).
inline bool IsFileFound(int32_t resolveResult) {
  return resolveResult == kResolveFound || resolveResult == kResolveFoundByName || resolveResult == kResolveBuiltByHost;
}

// What kind of set of files a row's path names.
enum KvSetKind : uint8_t {
  kSetNone = 0,
  kSetFrames = 1,  // a frame token ("####") or a sequence by its digits
  kSetTiles = 2,   // a tile token ("<UDIM>")
};

// A file the relink search found for a row; bit 0 of `flags` marks the chosen one.
struct KvRelinkCandidate {
  brantic::String path;
  uint8_t flags = 0;
  bool operator==(const KvRelinkCandidate&) const = default;
};

inline constexpr uint8_t kCandidateChosen = 0x01;

// Where a row's proposed new path would be found, as its status would read after it is
// written (search and replace checks it before anything is written).
enum KvNewPathState : uint8_t {
  kNewPathUnchecked = 0,
  kNewPathFound = 1,
  kNewPathFoundElsewhere = 2,  // only through a search folder or by the host
  kNewPathMissing = 3,
};
inline constexpr size_t kMaxRelinkCandidates = 65535;

// The parameter of a row: rows name parameters of the first level only, so one level is kept
// instead of a whole description id (a scene may hold 100,000 rows).
class KvParamDescId {
 public:
  KvParamDescId() = default;
  KvParamDescId(const bx3::DescId& id) : first_(id.IsEmpty() ? bx3::DescLevel{} : id[0]), set_(!id.IsEmpty()) {}
  bool IsEmpty() const { return !set_; }
  const bx3::DescLevel& First() const { return first_; }
  operator bx3::DescId() const { return set_ ? bx3::DescId(first_) : bx3::DescId(); }
  bool operator==(const KvParamDescId&) const = default;

 private:
  bx3::DescLevel first_;
  bool set_ = false;
};

// One use of one file by one element. A plain value: copies share strings and point their
// links at the same elements, so a row can be copied into a worker job and back.
struct KvAssetEntry {
  // Larger members first and the small ones together: a scene may hold 100,000 rows.
  bx3::Filename assetPath;
  bx3::ElementLink ownerMainLink;
  bx3::ElementLink ownerLink;
  brantic::NodePath nodePath;
  brantic::Id nodeSpace;
  bx3::ElementLink layerLink;
  bx3::ElementLink takeLink;
  brantic::String resolvedPath;
  int64_t resolutionX = 0;
  int64_t resolutionY = 0;
  brantic::String formatText;
  brantic::String takeName;
  int64_t fileSize = 0;
  brantic::String elementName;
  bx3::Filename relinkPath;
  brantic::String newPath;
  brantic::Url resolvedUrl;
  std::vector<KvRelinkCandidate> relinkCandidates;
  // For a use inside another file: the files it comes through ("refs/prop.bx3 › crate.mtl").
  brantic::String via;
  // Why the row's own file could not be read for the files it names, or that it refers back
  // to a file it comes through; empty otherwise.
  brantic::String nestedNote;
  // Which row this is, stable while rows are sorted: probing results find their row by it.
  uint64_t rowIdentity = 0;
  // For a use inside another file: the identity of the scene's own row it comes through.
  uint64_t topIdentity = 0;
  KvParamDescId hostDescId;
  KvParamDescId targetDescId;
  int32_t sequenceStart = 0;
  int32_t sequenceEnd = 0;
  int32_t setExpected = 0;  // the items of its set that should exist
  int32_t setFound = 0;     // and of those, the ones that do
  int32_t frameDigitsPos = 0;
  int32_t frameDigitsLen = 0;
  int32_t resolveResult = kResolveMissing;
  int32_t parameterId = -1;
  int32_t ownerMainStamp = -1;
  int32_t ownerStamp = -1;
  uint32_t assetType = ASSETTYPE_OTHER;
  uint8_t hostFlag = 0;
  uint8_t takeOverride = 0;
  uint8_t hasNewPath = 0;
  uint8_t newPathState = kNewPathUnchecked;  // whether the proposed file exists
  uint8_t opened = 0;
  uint8_t selected = 0;
  uint8_t setKind = kSetNone;
  uint8_t depth = 0;  // 0 for the scene's own uses, 1 for a use inside a file it uses, ...

  bool IsSequence() const { return sequenceStart != sequenceEnd; }
  bool IsMissing() const { return resolveResult == kResolveMissing; }
  bool IsUnreachable() const { return resolveResult == kResolveUnreachable; }
  // A use inside another file: shown, never written.
  bool IsNested() const { return depth > 0; }
  // A file was found that can be read (or, for a set, one of its files).
  bool HasFile() const { return !IsMissing() && !IsUnreachable() && !resolvedPath.IsEmpty(); }
  // Some files of its set exist and some are missing.
  bool IsPartlyFound() const { return !IsMissing() && setFound < setExpected; }
  bool operator==(const KvAssetEntry&) const = default;
};

// What the path cache remembers of a path within one collection.
struct KvPathCacheEntry {
  bx3::Filename resolvedPath;
  int32_t resolveResult = kResolveMissing;
  bx3::ElementLink owner;                // the element the path was first resolved for
  brantic::Url resolvedUrl;              // the file to probe; empty when there is none to probe
  brantic::String formatText;            // the format the name tells (its suffix, or "none")
  uint32_t assetType = ASSETTYPE_OTHER;  // the type the name tells
  uint32_t collectionItem = UINT32_MAX;  // its place among the new paths of the collection
  uint8_t setKind = kSetNone;            // the set of files its token names
};

// Sets the row's type from the file part of its assetPath.
void ClassifyAssetFile(KvAssetEntry& entry);

// Withdraws what the row proposes: its new path, and its candidates' choices and paths.
void WithdrawProposal(KvAssetEntry& row);

// The element a row is about: the owner when it is an object, material, tag or effect (or
// when there is no owner main), else the owner main. Null when neither link resolves.
bx3::Element* DescribedElement(const KvAssetEntry& entry, const bx3::Document* document);
bx3::Element* DescribedElementOf(bx3::Element* owner, bx3::Element* ownerMain);
// Objects, materials, tags and effects describe themselves.
bool IsDescribedOwnType(const bx3::Element& element);

// The display name of a node space; empty for an empty or unknown identifier.
brantic::String NodeSpaceName(const brantic::Id& nodeSpace);

}  // namespace kv
