// The library of the texture-list tag: the tag shows one texture of its list at a time, the
// one its index selects, in its texture parameter. Writing another texture of the list means
// selecting it, writing, and selecting the one shown before again. Main thread only.
#pragma once

#include <cstdint>

#include "bx3/document.h"

namespace bx3::texturelist {

inline constexpr int32_t kParamTexture = 1000;
inline constexpr int32_t kParamIndex = 1001;

// Readies `tag` for changes within `document`. False when it is not a texture-list tag of
// that document.
bool Prepare(Element& tag, const Document& document);
// The index of the texture the tag shows.
int32_t GetIndex(const Element& tag);
// Selects the texture at `index`; a negative index keeps the one shown.
void SetIndex(Element& tag, int32_t index);
// Ends the changes begun with Prepare: the tag tells that its data changed.
void Finish(Element& tag, const Document& document);

}  // namespace bx3::texturelist
