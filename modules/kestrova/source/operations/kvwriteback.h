// Writing a row's changed path back into the scene element its path came from. Every
// operation that changes where an asset points ends here.
#pragma once

#include <cstdint>

#include "bx3/document.h"
#include "bx3/filename.h"
#include "collection/kvassetentry.h"
#include "collection/kvresolve.h"

namespace kv {

enum KvWriteResult : int32_t {
  kWriteDone = 0,
  kWriteFailed = -1,        // no document, or no element took the path (the row keeps its old one)
  kWriteAlreadyLocal = -3,  // nothing written
  kWriteUnchanged = -4,     // nothing written
  kWriteReadOnly = -5,      // a use inside another file: never written
};

// Stores `newPath` in `row` and in the element that holds the row's path (the take override
// when the row was listed from one, else the element's own parameter, node or renderer),
// tells the element that it changed and resolves the row again. With `addUndo` an undo entry
// is recorded for each element before it changes; the caller opens and closes the undo
// step. With `localize` a path inside the document's folder is stored relative to it.
// Writes the scene only, never a file. GUI thread.
// `scope`, when given, resolves the paths of the pass (each distinct one once).
int32_t WriteAssetPath(KvAssetEntry& row, const bx3::Filename& newPath, bx3::Document* document, bool addUndo,
                       bool localize, KvResolveScope* scope = nullptr);

// Whether writing the row's path changed the scene where only this row reads it, so that the
// row as written shows the scene. Not so for renderers that relink every use of the old path
// themselves, for an illumination cache (it stores another name), and for files that name
// other files (the uses inside them follow the file).
bool WriteStaysInItsRow(const KvAssetEntry& row, bx3::Document& document);

enum KvClearResult : int32_t {
  kClearDone = 0,
  kClearGone = 1,      // the element was removed already (through another of its uses)
  kClearNotHeld = -1,  // the element holds no file where the row says: nothing was changed
};

// Removes the row's use of its file from the scene, recording undo (the caller opens and
// closes the step): a bitmap shader or a file track goes, a simulation drops its caches, a
// take's override goes, a node's file is emptied through its graph, any other element's file
// parameter is emptied. GUI thread.
int32_t ClearAssetUse(const KvAssetEntry& row, bx3::Document& document);

}  // namespace kv
