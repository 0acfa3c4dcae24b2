// Drawing surfaces of user areas and tree cells, and the host's colours. Main thread only.
#pragma once

#include <cstdint>

#include "brantic/string.h"
#include "bx3/bitmap.h"

namespace bx3 {

// Colour ids of the host.
namespace color {
inline constexpr int32_t kBackground = 1000;
inline constexpr int32_t kHeaderText = 1003;
inline constexpr int32_t kEdgeLight = 1006;
inline constexpr int32_t kEdgeDark = 1007;
inline constexpr int32_t kText = 1247;
inline constexpr int32_t kTextSelected = 1249;
inline constexpr int32_t kTextPartlySelected = 1250;
inline constexpr int32_t kRowAlternate = 1254;
inline constexpr int32_t kRow = 1255;
inline constexpr int32_t kRowSelected = 1256;  // the ground of a selected row of a tree
inline constexpr int32_t kWaveForm = 1298;
inline constexpr int32_t kTextCurrent = 1355;
}  // namespace color

// The colour of a host colour id; a neutral grey for ids the host does not know.
Rgb GetHostColor(int32_t id);

// Flags for Canvas::DrawBitmap.
enum BitmapDrawFlags : int32_t {
  kBitmapScaled = 0x100,    // scaled into the target rectangle
  kBitmapUnscaled = 0x200,  // 1:1, clipped to the target rectangle
  kBitmapAlpha = 0x001,     // blend with the bitmap's alpha channel
};

// What a user area or a tree cell draws on. Coordinates are pixels from the top left.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void SetPen(Rgb color) = 0;
  virtual void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;  // inclusive corners
  virtual void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double width) = 0;
  virtual void DrawText(const brantic::String& text, int32_t x, int32_t y, Rgb color, Rgb background) = 0;
  virtual void DrawBitmap(const BaseBitmap& bitmap, int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t x,
                          int32_t y, int32_t w, int32_t h, int32_t flags) = 0;
  virtual void SetClip(int32_t x, int32_t y, int32_t w, int32_t h) = 0;
  virtual void ClearClip() = 0;
  virtual int32_t FontHeight() const = 0;
  virtual int32_t TextWidth(const brantic::String& text) const = 0;
};

}  // namespace bx3
