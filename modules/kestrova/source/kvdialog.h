// The inspector window.
#pragma once

#include "bx3/dialog.h"

namespace kv {

// The one inspector dialog. It lives from registration until the main command is
// destroyed; closing the window keeps it, with its settings and rows.
class KestrovaDialog : public bx3::GeDialog {
 public:
  KestrovaDialog() = default;
  ~KestrovaDialog() override = default;
};

}  // namespace kv
