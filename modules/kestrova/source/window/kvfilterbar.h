// The filter bar's gadgets in the inspector window: building them for the chosen filter
// column, reading what they ask for, and keeping their values while the bar is hidden.
#pragma once

#include <cstdint>

#include "bx3/dialog.h"
#include "view/kvfilter.h"
#include "view/kvviewstate.h"

namespace kv {

class KvFilterBarGadgets {
 public:
  KvFilterBarGadgets(bx3::GeDialog& dialog, KvViewState& view) : dialog_(dialog), view_(view) {}

  // Rebuilds the bar's gadgets when its flag changed since the last call (or forced).
  void Update(bool force);
  // Puts the stored values into the gadgets when the window opens.
  void InitValues();
  // Shows or hides the bar, keeping its values while it is hidden, and checks its menu entry.
  void Show(bool shown);
  // What the gadgets ask for now.
  KvFilterBarState Read() const;
  // A gadget of the bar changed; false for gadgets that are not the bar's.
  bool HandleCommand(int32_t id);

 private:
  void Store();
  void Restore();
  // The stored comparison into the gadgets of the chosen column, and a changed gadget's
  // value into the stored comparison.
  void PutComparison();
  void TakeComparison(int32_t id);

  bx3::GeDialog& dialog_;
  KvViewState& view_;
  bool lastShown_ = false;
};

}  // namespace kv
