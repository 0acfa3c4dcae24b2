#include "bx3/userarea.h"

#include "bx3/treeview.h"

namespace bx3 {

void GeUserArea::DrawSetPen(Rgb color) {
  if (Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr) canvas->SetPen(color);
}

void GeUserArea::DrawRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr) canvas->FillRect(x1, y1, x2, y2);
}

void GeUserArea::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double width) {
  if (Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr) canvas->DrawLine(x1, y1, x2, y2, width);
}

void GeUserArea::DrawText(const brantic::String& text, int32_t x, int32_t y, Rgb color, Rgb background) {
  if (Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr) canvas->DrawText(text, x, y, color, background);
}

void GeUserArea::DrawBitmap(const BaseBitmap& bitmap, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx,
                            int32_t sy, int32_t sw, int32_t sh, int32_t flags) {
  if (Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr) {
    canvas->DrawBitmap(bitmap, sx, sy, sw, sh, x, y, w, h, flags);
  }
}

void GeUserArea::SetClippingRegion(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr) canvas->SetClip(x, y, w, h);
}

void GeUserArea::ClearClippingRegion() {
  if (Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr) canvas->ClearClip();
}

int32_t GeUserArea::DrawGetFontHeight() const {
  Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr;
  return canvas ? canvas->FontHeight() : 13;
}

int32_t GeUserArea::DrawGetTextWidth(const brantic::String& text) const {
  Canvas* canvas = host_ ? host_->CurrentCanvas() : nullptr;
  return canvas ? canvas->TextWidth(text) : int32_t(text.Length()) * 7;
}

void GeUserArea::Redraw() {
  if (host_) host_->Redraw();
}

bool GeUserArea::MouseDragStart(int32_t /*button*/, double /*x*/, double /*y*/, int32_t /*flags*/) {
  dragging_ = host_ != nullptr;
  return dragging_;
}

int32_t GeUserArea::MouseDrag(double& dx, double& dy) {
  dx = dy = 0.0;
  if (!dragging_ || !host_) return kDragCancelled;
  return host_->NextDragStep(dx, dy);
}

bool GeUserArea::MouseDragEnd() {
  const bool was = dragging_;
  dragging_ = false;
  return was;
}

void GeUserArea::Local2Screen(int32_t& x, int32_t& y) const {
  if (host_) host_->LocalToScreen(x, y);
}

void GeUserArea::SetPointerPosition(int32_t screenX, int32_t screenY) {
  if (host_) host_->SetPointerPosition(screenX, screenY);
}

Container ColumnLayoutToContainer(const std::vector<TreeColumn>& columns) {
  Container layout;
  layout.SetInt32(0, static_cast<int32_t>(columns.size()));
  for (size_t i = 0; i < columns.size(); ++i) {
    layout.SetInt32(static_cast<int32_t>(1 + 2 * i), columns[i].id);
    layout.SetInt32(static_cast<int32_t>(2 + 2 * i), columns[i].width);
  }
  return layout;
}

std::vector<TreeColumn> ColumnLayoutFromContainer(const Container& layout) {
  std::vector<TreeColumn> columns;
  const int32_t count = layout.GetInt32(0, 0);
  for (int32_t i = 0; i < count && i < 4096; ++i) {
    if (!layout.Contains(1 + 2 * i)) break;
    columns.push_back({layout.GetInt32(1 + 2 * i), kTreeColumnUser, layout.GetInt32(2 + 2 * i)});
  }
  return columns;
}

}  // namespace bx3
