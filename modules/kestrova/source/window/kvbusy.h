// The busy pointer while a command works.
#pragma once

#include "bx3/dialog.h"

namespace kv {

// Shows the busy pointer for as long as it lives.
class BusyPointer {
 public:
  BusyPointer() { bx3::SetMousePointer(bx3::kMousePointerBusy); }
  ~BusyPointer() { bx3::SetMousePointer(bx3::kMousePointerNormal); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace kv
