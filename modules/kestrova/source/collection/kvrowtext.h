// The texts of a row: its status, type, name, format, layer, take, node space, element,
// breadcrumb and resolution, as the cells, the sort and filter keys, the information text and
// the collected file names read them.
#pragma once

#include <cstdint>
#include <string>

#include "brantic/string.h"
#include "collection/kvassetentry.h"

namespace bx3 {
class Document;
}

namespace kv {

brantic::String StatusText(int32_t resolveResult);
// The asset type; in the undecorated form sequences read as sequences.
brantic::String AssetTypeText(const KvAssetEntry& record, bool undecorated);
// The file name, with a sequence's frame digits replaced by its frame range.
brantic::String AssetNameText(const KvAssetEntry& record);
// The probed format, else the file's suffix, else "none".
brantic::String FormatText(const KvAssetEntry& record);
brantic::String LayerText(const KvAssetEntry& record, const bx3::Document* document);
brantic::String TakeText(const KvAssetEntry& record);
// The node space's display name, "-" when there is none.
brantic::String NodeSpaceText(const KvAssetEntry& record);
// The name of the element the row is about ("none" when neither link resolves).
brantic::String ElementText(const KvAssetEntry& record, const bx3::Document* document);
// Channel, then the owner chain from the outermost element down, parameter and node path.
brantic::String BreadcrumbText(const KvAssetEntry& record, const bx3::Document* document);
brantic::String ResolutionText(const KvAssetEntry& record);

// `value` with at least `digits` digits, zeros in front ("-007" for -7 and 3).
std::string ZeroPadded(int64_t value, int32_t digits);

// A sequence's name: the frame digits at `digitsPos` replaced by "[first-last]" padded to
// their length. Movies keep their name.
brantic::String SequenceName(const brantic::String& fileName, int32_t first, int32_t last, int32_t digitsPos,
                             int32_t digitsLen);

}  // namespace kv
