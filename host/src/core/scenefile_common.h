// Shared between reading and writing scene files.
#pragma once

#include <array>
#include <utility>

#include "bx3/document.h"

namespace bx3 {

inline constexpr const char* kSceneFormatName = "bx3-scene";
inline constexpr int64_t kSceneFormatVersion = 1;

// The element lists of a scene file, in file order.
inline constexpr std::array<std::pair<const char*, Branch>, 5> kBranchKeys{{
    {"layers", Branch::Layers},
    {"objects", Branch::Objects},
    {"materials", Branch::Materials},
    {"renderSettings", Branch::RenderSettings},
    {"effects", Branch::SceneEffects},
}};

}  // namespace bx3
