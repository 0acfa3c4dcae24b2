#include "qt_canvas.h"

namespace bx3::gui {

QColor ToQColor(Rgb color) { return QColor(color.r, color.g, color.b); }

QImage ToQImage(const BaseBitmap& bitmap) {
  if (bitmap.IsEmpty()) return QImage();
  const QImage::Format format = bitmap.Channels() == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
  const QImage view(bitmap.Pixels().data(), bitmap.GetBw(), bitmap.GetBh(), bitmap.GetBw() * bitmap.Channels(), format);
  return view.copy();  // the bitmap may change after drawing
}

void QtCanvas::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (x2 < x1 || y2 < y1) return;
  painter_.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), pen_);
}

void QtCanvas::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double width) {
  painter_.setPen(QPen(pen_, width));
  painter_.drawLine(x1, y1, x2, y2);
}

void QtCanvas::DrawText(const brantic::String& text, int32_t x, int32_t y, Rgb color, Rgb /*background*/) {
  painter_.setPen(ToQColor(color));
  painter_.drawText(x, y + metrics_.ascent(), QString::fromUtf8(text.View().data(), int(text.Length())));
}

void QtCanvas::DrawBitmap(const BaseBitmap& bitmap, int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t x,
                          int32_t y, int32_t w, int32_t h, int32_t flags) {
  const QImage image = ToQImage(bitmap);
  if (image.isNull()) return;
  if (flags & kBitmapUnscaled) {
    painter_.drawImage(QRect(x, y, w, h), image, QRect(sx, sy, w, h));
  } else {
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter_.drawImage(QRect(x, y, w, h), image, QRect(sx, sy, sw, sh));
  }
}

void QtCanvas::SetClip(int32_t x, int32_t y, int32_t w, int32_t h) { painter_.setClipRect(x, y, w, h); }

int32_t QtCanvas::TextWidth(const brantic::String& text) const {
  return metrics_.horizontalAdvance(QString::fromUtf8(text.View().data(), int(text.Length())));
}

}  // namespace bx3::gui
