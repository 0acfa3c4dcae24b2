// The display names of media formats, as the media readers give them: by the picture
// library's name of its reader, and by file suffix for a file that cannot be read (a missing
// one), so that a missing PNG reads "PNG" like a found one. Any thread.
#pragma once

#include <string_view>

namespace brantic {

// "PNG" for "png", "OpenEXR" for "openexr"; empty for a reader without a display name.
std::string_view FormatNameOfReader(std::string_view reader);

// The name the readers give a file of this suffix ("PNG" for "png" or "PNG", "QuickTime /
// MOV" for "mov"); empty for a suffix that names no media format.
std::string_view FormatNameOfSuffix(std::string_view suffix);

}  // namespace brantic
