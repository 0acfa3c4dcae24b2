// A canvas that draws with a QPainter.
#pragma once

#include <QFontMetrics>
#include <QPainter>

#include "bx3/canvas.h"

namespace bx3::gui {

QColor ToQColor(Rgb color);
QImage ToQImage(const BaseBitmap& bitmap);

class QtCanvas final : public Canvas {
 public:
  explicit QtCanvas(QPainter& painter) : painter_(painter), metrics_(painter.font()) {}

  void SetPen(Rgb color) override { pen_ = ToQColor(color); }
  void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double width) override;
  void DrawText(const brantic::String& text, int32_t x, int32_t y, Rgb color, Rgb background) override;
  void DrawBitmap(const BaseBitmap& bitmap, int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t x, int32_t y,
                  int32_t w, int32_t h, int32_t flags) override;
  void SetClip(int32_t x, int32_t y, int32_t w, int32_t h) override;
  void ClearClip() override { painter_.setClipping(false); }
  int32_t FontHeight() const override { return metrics_.height(); }
  int32_t TextWidth(const brantic::String& text) const override;

 private:
  QPainter& painter_;
  QFontMetrics metrics_;
  QColor pen_{Qt::white};
};

}  // namespace bx3::gui
