// The batch report of an open dialog: its tree's rows, its status and its information, as text
// or as JSON.
#pragma once

#include "bx3/dialog.h"
#include "bx3/scenefile.h"

namespace bx3app {

// Writes the report of `dialog` through `write`, in pieces of about a megabyte; false when
// writing failed. GUI thread only: the tree draws its rows here, while a thread of the report's
// own puts the rows drawn so far into words and writes them.
bool WriteReport(bx3::GeDialog& dialog, bool json, const bx3::ChunkWriter& write);

}  // namespace bx3app
