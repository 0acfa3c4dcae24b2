// Where an asset path really points.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "brantic/folderlisting.h"
#include "brantic/pathexpand.h"
#include "brantic/pathpattern.h"
#include "brantic/result.h"
#include "brantic/rootwatch.h"
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
  // Variables and path mappings; null: paths are looked for as written.
  const brantic::PathExpander* expander = nullptr;
  // The pass's folder listings for frame and tile sets; null: each set reads its folders.
  brantic::FolderListings* listings = nullptr;
  // The pass's roots: a path under one that does not answer is unreachable, and nothing
  // under it is asked for. Null: every root is asked, through the system's file queries.
  brantic::RootWatch::Pass* roots = nullptr;
};

// How long a pass waits for a root's first answer before it passes the root over (it is
// looked at again if it answers within the preferences' deadline): the window never waits
// longer on a root that does not answer.
inline constexpr std::chrono::milliseconds kRootPatience{100};
// While it lives, every path and folder is asked of the file system once, however often it
// is looked for: a scan of many scenes that share files, or a write and the reading again
// that follows it. GUI thread.
class KvRememberedFiles {
 public:
  KvRememberedFiles()
      : previous_(brantic::RootWatch::Install(std::make_shared<brantic::RootWatch>(
            std::make_shared<brantic::RememberingFileQueries>(brantic::RootWatch::Shared()->SharedFiles()),
            *brantic::RootWatch::Shared()))) {}
  ~KvRememberedFiles() { brantic::RootWatch::Install(previous_); }
  KvRememberedFiles(const KvRememberedFiles&) = delete;
  KvRememberedFiles& operator=(const KvRememberedFiles&) = delete;

 private:
  std::shared_ptr<brantic::RootWatch> previous_;
};

// A pass over the roots with the preferences' deadline. GUI thread.
std::unique_ptr<brantic::RootWatch::Pass> MakeRootPass();
// The root an asset path lies under once expanded and mapped (a mapping's target, a
// variable's value or a mount point); empty for a relative path. Any thread.
std::string RootOfAssetPath(const bx3::Filename& assetPath, const KvResolveContext& context);

// The same with what the host knows taken beforehand. Any thread: touches only the file
// system and `context`. A path with a variable or a mapped root is looked for expanded (an
// unset variable: missing). A path with a frame or tile token is found where a folder holds
// at least one of its files; `resolvedPath` is then the path with the token. A path under a
// root that does not answer is kResolveUnreachable; search folders under one are passed over.
int32_t ResolveAssetPathIn(const bx3::Filename& documentPath, const KvResolveContext& context,
                           const bx3::Filename& assetPath, bx3::Filename& resolvedPath, bool isBitmapShader);

// Whether `anchored`, the missing relative path `written` joined to the document's folder,
// is missing too without asking again: it names a place `written` was looked for, and both
// are looked for by name in the same search folders. Not decided (false) where variables,
// mappings, frame or tile tokens or textures held open for painting take part.
bool AnchoredStaysMissing(const bx3::Filename& written, const bx3::Filename& anchored,
                          const bx3::Filename& documentFolder, const KvResolveContext& context);

// One pass's resolutions, as an explicit scope: what the host knows (the search folders, the
// textures open for painting) is taken once when the scope opens, and each distinct path
// (with its bitmap-shader flag) is looked up on the disk once while the scope lives. Opened
// on the GUI thread; ResolveAll works on helper threads.
class KvResolveScope {
 public:
  explicit KvResolveScope(const bx3::Filename& documentFolder);
  KvResolveScope(const KvResolveScope&) = delete;
  KvResolveScope& operator=(const KvResolveScope&) = delete;

  struct Resolution {
    int32_t result = kResolveMissing;
    bx3::Filename path;  // the file found; empty for a missing one
  };
  const Resolution& Resolve(const bx3::Filename& assetPath, bool isBitmapShader);
  // Resolves the paths not resolved yet on helper threads (any number of them at once).
  void ResolveAll(const std::vector<std::pair<bx3::Filename, bool>>& paths);

  const bx3::Filename& DocumentFolder() const { return folder_; }
  KvResolveContext Context() {
    return {searchFolders_ ? &*searchFolders_ : nullptr, &paintTextures_, &expander_, &listings_, roots_.get()};
  }
  const brantic::Result<std::vector<brantic::Url>>& SearchFolders() const { return searchFolders_; }

 private:
  bx3::Filename folder_;
  brantic::Result<std::vector<brantic::Url>> searchFolders_;
  std::vector<bx3::Filename> paintTextures_;
  brantic::PathExpander expander_;
  std::unique_ptr<brantic::RootWatch::Pass> roots_;
  brantic::FolderListings listings_;
  std::unordered_map<bx3::Filename, Resolution, bx3::FilenameHash> resolved_[2];  // by the bitmap-shader flag
};

// The path with the row's set token: `path` itself for a token path, else `path` (a frame
// of a sequence by its digits) with its frame digits as "#"; none for a row of no set.
std::optional<brantic::PathPattern> RowSetPattern(const KvAssetEntry& row, const std::string& path);

// The set a path's token names (kSetNone without a token). Any thread.
uint8_t SetKindOfPath(const bx3::Filename& path);
// The first file of the set `pattern` (a path with its token) names; empty when none exists.
// Any thread.
brantic::Url FirstSetFile(const bx3::Filename& pattern, brantic::FolderListings& listings);

// What a row stands for when it names a set of files (frames or tiles), counted against the
// files on disk: the expected items (the owner's frame range, the shader's tile list, else
// the items on disk) and how many exist. A set of which none exists is missing; its URL is
// that of its first existing item (what is probed and previewed). GUI thread.
void CountSetItems(std::vector<KvAssetEntry>& rows, const bx3::Document& document, const KvResolveContext& context);

// The items of one row's set: expected and missing, for its information text; empty when
// the row is no set. GUI thread.
struct KvSetItems {
  uint8_t kind = kSetNone;
  int64_t expected = 0;
  int64_t found = 0;
  std::string missing;   // the missing items, sorted, runs as ranges ("7-9, 19")
  bool counted = false;  // the expected items are the owner's range or list, not what is on disk
};
KvSetItems ListSetItems(const KvAssetEntry& row, const bx3::Document* document, const KvResolveContext& context);

// The tile list a bitmap shader stores ("1001-1003, 1011"); empty without one.
std::vector<int64_t> ParseTileList(std::string_view text);

}  // namespace kv
