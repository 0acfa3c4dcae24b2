#include "bx3/texturelist.h"

#include "main_thread_check.h"

namespace bx3::texturelist {

bool Prepare(Element& tag, const Document& document) {
  BX3_MAIN_THREAD_ONLY();
  return tag.GetType() == type::kTextureListTag && tag.GetDocument() == &document;
}

int32_t GetIndex(const Element& tag) { return tag.GetInt32(kParamIndex, 0); }

void SetIndex(Element& tag, int32_t index) {
  // Only a change is stored, so that selecting and selecting back leaves the tag as it was.
  if (index < 0 || index == GetIndex(tag)) return;
  tag.SetParameter(kParamIndex, index);
}

void Finish(Element& tag, const Document& document) {
  if (tag.GetDocument() == &document) tag.Message(kMsgUpdate);
}

}  // namespace bx3::texturelist
