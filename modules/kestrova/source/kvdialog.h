// The inspector window.
#pragma once

#include "bx3/dialog.h"
#include "kvassetentry.h"

namespace kv {

// The one inspector dialog. It lives from registration until the main command is
// destroyed; closing the window keeps it, with its settings and rows.
class KestrovaDialog : public bx3::GeDialog {
 public:
  KestrovaDialog() = default;
  ~KestrovaDialog() override = default;

  // The rows of the active document and the lists the tree reads them through.
  KvAssetTable& Assets() { return assets_; }
  const KvAssetTable& Assets() const { return assets_; }

 private:
  KvAssetTable assets_;
};

}  // namespace kv
