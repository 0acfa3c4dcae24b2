// The inspector window's parts for tests and benchmarks: they set rows up and look at what
// the window's verbs did, where a user would click. Production code uses the verbs.
#pragma once

#include "window/kvdialog.h"

namespace kv {

struct KvDialogTestAccess {
  static KvCollection& Collection(KestrovaDialog& dialog) { return dialog.collection_; }
  static KvViewState& View(KestrovaDialog& dialog) { return dialog.view_; }
  static AssetPreviewArea& PreviewArea(KestrovaDialog& dialog) { return dialog.previewArea_; }
  static void RequestPreview(KestrovaDialog& dialog) { dialog.RequestPreview(); }
  static void SortRows(KestrovaDialog& dialog) { dialog.SortRows(); }
  static brantic::Result<void> RebuildViewGroups(KestrovaDialog& dialog) { return dialog.RebuildViewGroups(); }
  static void RefreshTree(KestrovaDialog& dialog) { dialog.RefreshTree(); }
  static bool BuildAssetArray(KestrovaDialog& dialog) { return dialog.BuildAssetArray(); }
};

}  // namespace kv
