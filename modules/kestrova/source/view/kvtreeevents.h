// What the tree's input asks of the window around it: edits that write the scene, elements
// and files to show, notes for the status line. The tree decides what the user meant; the
// window carries it out.
#pragma once

#include <vector>

#include "brantic/string.h"
#include "bx3/element.h"
#include "bx3/filename.h"
#include "collection/kvassetentry.h"

namespace kv {

class KvTreeEvents {
 public:
  enum class FileAction { Show, Open, PictureViewer };

  virtual ~KvTreeEvents() = default;
  // Gives each row the path beside it (an edit of a name or a path in place), as one step.
  virtual void EditPaths(const std::vector<KvAssetEntry*>& rows, const std::vector<bx3::Filename>& paths) = 0;
  // Gives an element another name, as one step.
  virtual void RenameElement(bx3::Element& element, const brantic::String& name) = 0;
  // Shows the element that uses the row's file (`file`: its file parameter) in the host.
  virtual void ShowInManager(const KvAssetEntry& row, bool file) = 0;
  // Shows or opens the row's file; false when that could not be done.
  virtual bool RunFileAction(const KvAssetEntry& row, FileAction action) = 0;
  // A note for the status line.
  virtual void ShowNote(const brantic::String& note) = 0;
};

}  // namespace kv
