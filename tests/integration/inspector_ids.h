// The inspector's ids as the integration tests use them: the module's own table, and the
// lists the tests walk through.
#pragma once

#include <cstdint>

#include "ids/kvgadgets.h"
#include "ids/kvids.h"

namespace kvtest {

using namespace kv;

// The columns that are off in a new window first: each one makes the list wider.
inline constexpr int32_t kColumnCommands[] = {
    kCmdViewNewPath, kCmdViewElementType, kCmdViewFileSize,    kCmdViewResolution, kCmdViewGlobalPath,
    kCmdViewFormat,  kCmdViewAsset,       kCmdViewTexturePath, kCmdViewMaterial,   kCmdViewBreadcrumb,
    kCmdViewLayer,   kCmdViewTake,        kCmdViewAssetType,   kCmdViewNodeSpace,  kCmdViewVia};

}  // namespace kvtest
