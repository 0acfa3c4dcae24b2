// The inspector's view settings: which columns and asset types it shows and how it groups,
// stored in the host's preferences under the main command's id.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "bx3/container.h"
#include "bx3/treeview.h"
#include "ids/kvcolumns.h"
#include "ids/kvgadgets.h"

namespace kv {

// One view flag: its command, its two defaults and, for column flags, its column and the
// group mode that shows the column whatever the flag says.
struct KvViewFlag {
  int32_t commandId;
  bool newDialogDefault;
  bool missingKeyDefault;
  int32_t columnId;  // 0 for the asset type filters
  int32_t forcedBy;  // group mode, 0 for none
};

// The 20 stored flags in their table order: 14 columns, then 6 asset type filters.
const std::vector<KvViewFlag>& ViewFlagTable();
// The flag of a command, or null.
const KvViewFlag* FindViewFlag(int32_t commandId);
// The default column order.
const std::vector<int32_t>& DefaultColumnOrder();

inline constexpr int32_t kPrefsGroupMode = 1051540;
// The tree's column layout is stored under the tree's gadget id.
inline constexpr int32_t kPrefsColumnLayout = kGadgetTree;

struct KvViewSettings {
  std::map<int32_t, bool> flags;  // by command id
  int32_t groupMode = 0;
  bool filterBar = false;
  bx3::Container columnLayout;  // the tree's layout as the user arranged it
  // While search and replace proposes paths, the proposed path column shows whatever its
  // flag says; not stored.
  bool showProposals = false;

  // A new dialog's settings.
  static KvViewSettings Defaults();
  bool Flag(int32_t commandId) const;
  // Reads stored settings: each flag from its key, or its missing-key default; `stored` null
  // (first run) or not a container keeps the new-dialog defaults.
  void Load(const bx3::Container* stored);
  bx3::Container Save() const;
  // The column is shown: always for the status column, when its flag is on, when it is the
  // column of the current group mode, or the proposed path column while proposals exist.
  bool IsColumnShown(int32_t columnId) const;
};

// The tree's columns: first those of the stored layout in its order, then the rest in the
// default order; only the shown ones, all drawn by the module.
std::vector<bx3::TreeColumn> BuildColumnLayout(const KvViewSettings& settings);

}  // namespace kv
