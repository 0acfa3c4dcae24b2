// What the inspector does with one row's file and element: shows the file in the system's
// file browser, opens it with the system or in the host's picture viewer, and shows the
// using element in the host's attribute manager or node editor.
#pragma once

#include <cstdint>

#include "bx3/document.h"
#include "collection/kvassetentry.h"

namespace kv {

enum class KvFileAction { Show, Open, PictureViewer };

// The file of `row` as the resolver finds it for `document` (empty when it finds none, or
// without a document), handed to the system's file browser, the system or the picture
// viewer. Answers the host's answer (false when there is no picture viewer, or the file does
// not load into it).
bool RunFileAction(const KvAssetEntry& row, const bx3::Document* document, KvFileAction action);

// Shows the element that uses the row's file: the material (or its shader, or its node) for
// a material's file, else the element itself in the attribute manager's mode for its type.
// `open`: the user opened the row (a double click) rather than running a command; `file`:
// show the file's own parameter rather than the element.
void ShowAssetInManager(const KvAssetEntry& row, bool open, bool file, bx3::Document* document);

}  // namespace kv
