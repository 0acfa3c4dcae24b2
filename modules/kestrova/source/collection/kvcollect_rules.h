// The rules that turn one use of a file into a row: owner main, frame ranges, the digit run
// of sequence names, take lookup and parameter remapping. No dialog needed.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "brantic/nodes.h"
#include "brantic/string.h"
#include "bx3/document.h"
#include "collection/kvassetentry.h"

namespace kv {

// The element a use is shown under: the element's main element when it is an object, tag,
// material, render settings or effect; else the element; the document when there is none.
bx3::Element* OwnerMainOf(bx3::Element* element, bx3::Document& document);

// The run of digits that ends a name (without suffix): its position and length, or (-1, 0).
std::pair<int32_t, int32_t> TrailingDigits(std::string_view name);
// A sequence row's frame digits, found again in its file name (after the name changed).
void RecomputeFrameDigits(KvAssetEntry& row);

// The frame range the owner plays, when it plays one (first and last frame), by owner type.
std::optional<std::pair<int32_t, int32_t>> OwnerFrameRange(const bx3::Element& owner, const bx3::Document& document,
                                                           const bx3::Filename& assetPath,
                                                           const brantic::NodePath& nodePath,
                                                           const brantic::Id& nodeSpace);

// The take a use belongs to: the use's own take, else a take that overrides the parameter,
// else the main take. `found` is false without takes.
struct TakeLookup {
  bool found = false;
  brantic::String name;
  bool isOverride = false;
};
TakeLookup LookUpTake(const bx3::Document& document, const bx3::Take* useTake, const bx3::Element* owner,
                      int32_t paramId);

// The parameter an attribute editor shows for a use: the remapped identifier for the element
// types that have one; empty otherwise.
bx3::DescId RemapTargetDescId(int32_t elementType, int32_t firstLevelId);

// A time as a frame: floor(numerator × rate) / floor(denominator), truncated.
int32_t TimeToFrame(const brantic::TimeValue& time, double rate);

}  // namespace kv
