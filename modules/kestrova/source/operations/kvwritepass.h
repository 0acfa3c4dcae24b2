// One write of the inspector into the scene. It opens the undo step, writes rows through
// WriteAssetPath, clears uses and renames elements, counts what changed, what was skipped and
// what failed, and when it ends closes the step and tells the host once (also when nothing
// was written: the host hears that the command ran). Every change the
// module makes to a scene goes through one. GUI thread.
#pragma once

#include <cstdint>
#include <vector>

#include "brantic/string.h"
#include "bx3/document.h"
#include "collection/kvassetentry.h"
#include "collection/kvcollection.h"
#include "operations/kvwriteback.h"

namespace kv {

// What a write keeps of the form the old path was written in.
enum class KvPathForm {
  Kept,               // its variable and its mapped root, where the new path lies under them
  VariablesExpanded,  // its mapped root only (Make Paths Absolute expands variables)
  Written,            // the new path as it is (Apply Path Mappings)
};

// Where a scene stands: the document, its change counters (its own and its material list's)
// and its revision. Equal stamps: nothing changed in between.
struct KvSceneStamp {
  const bx3::Document* document = nullptr;
  uint32_t documentDirty = 0;
  uint32_t materialsDirty = 0;
  uint64_t revision = 0;
  static KvSceneStamp Of(const bx3::Document* document);
  bool operator==(const KvSceneStamp&) const = default;
};

class KvWritePass {
 public:
  explicit KvWritePass(bx3::Document& document);
  ~KvWritePass();
  KvWritePass(const KvWritePass&) = delete;
  KvWritePass& operator=(const KvWritePass&) = delete;

  // Writes `path` into the element that holds the row's path (the row takes the path and is
  // resolved again); answers WriteAssetPath's result. What the old path was written with is
  // kept: its frame or tile token (a chosen file of the set stands for the set), and as
  // `form` says, the variable or the mapped root a new path lies under.
  int32_t Write(KvAssetEntry& row, const bx3::Filename& path, bool localize = false,
                KvPathForm form = KvPathForm::Kept);
  // Removes the row's use of its file; answers ClearAssetUse's result.
  int32_t Clear(const KvAssetEntry& row);
  // Gives an element another name.
  void Rename(bx3::Element& element, const brantic::String& name);

  struct Counts {
    int64_t changed = 0;
    int64_t alreadyLocal = 0;  // skipped: the path was as local as it gets
    int64_t unchanged = 0;     // skipped: the element held that path already
    int64_t failed = 0;        // no element took the path, or held none to clear
    int64_t readOnly = 0;      // left alone: a use inside another file, which is never written
    int64_t Skipped() const { return alreadyLocal + unchanged; }
  };
  const Counts& GetCounts() const { return counts_; }

  // What the passes that ended since the last call did, for the window that ran them.
  struct Ended {
    Counts counts;
    // The rows written, when each now shows what the scene holds and the scene changed in
    // nothing else: a file of the same name (the same one under another spelling, or another
    // one to be probed), written where only that row reads it. False after a clear, a rename,
    // a failed write or any other write: the scene is then read again.
    bool onlyWrittenRowsChanged = true;
    std::vector<KvWrittenRow> writtenRows;
    KvSceneStamp before;  // the scene as the first pass found it
    KvSceneStamp after;   // and as the last one left it
  };
  static Ended TakeEnded();

 private:
  void Note(bool rowShowsTheScene, KvWrittenRow written = {});

  bx3::Document& document_;
  KvResolveScope scope_;  // the written paths resolve through one scope
  Counts counts_;
  KvSceneStamp before_;
  bool onlyWrittenRowsChanged_ = true;
  std::vector<KvWrittenRow> writtenRows_;
};

}  // namespace kv
