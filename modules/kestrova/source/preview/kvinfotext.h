// The information text of the selected row.
#pragma once

#include <cstdint>

#include "brantic/media.h"
#include "brantic/string.h"
#include "brantic/time.h"
#include "bx3/sound.h"
#include "collection/kvassetentry.h"

namespace kv {

// The text shown beside the preview: a title, what the file holds (picture, movie, sound or
// light profile lines) and where it comes from. `mode` is the group mode when a whole group
// is selected, else kGroupNone. Opens the file to read its header.
brantic::String BuildAssetInfoText(const KvAssetEntry& entry, int32_t mode);

// The picture and movie lines of the information text for one detected handler; appends to
// `text`. Answers false (appending nothing) when the file has no readable picture.
brantic::Result<bool> AppendImageMediaInfo(const KvAssetEntry& entry, std::string& text, const brantic::Url& url,
                                           const brantic::FileFormatHandler& handler);

// The information text when no row is selected.
brantic::String NothingSelectedText();

// A sound's length: its sample count over its sample rate; 0 for a rate of 0.
brantic::TimeValue SoundDuration(const bx3::SoundInformation& info);

}  // namespace kv
